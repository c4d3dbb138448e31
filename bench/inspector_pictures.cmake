# Large scans dropped and clicked in the window: peak memory and a click's cost.
quiverleaf_bench(inspector_pictures LIBS quiverleaf_core Qt6::Widgets Qt6::Test)
if(TARGET inspector_pictures)
  find_package(ZLIB REQUIRED)
  find_package(TIFF REQUIRED)
  target_sources(inspector_pictures PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/GreyPicture.cpp)
  target_include_directories(inspector_pictures PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(inspector_pictures PRIVATE ZLIB::ZLIB TIFF::TIFF)
endif()
