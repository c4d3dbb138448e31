# Large scans dropped and clicked in the window: peak memory and a click's
# cost; flipped, adjusted and dropped again: time, stalls and peak memory.
foreach(name inspector_pictures picture_flips)
  quiverleaf_bench(${name} LIBS quiverleaf_core Qt6::Widgets Qt6::Test)
  if(TARGET ${name})
    find_package(ZLIB REQUIRED)
    find_package(TIFF REQUIRED)
    target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/GreyPicture.cpp)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    target_link_libraries(${name} PRIVATE ZLIB::ZLIB TIFF::TIFF)
  endif()
endforeach()
