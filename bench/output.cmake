find_package(ZLIB REQUIRED)
quiverleaf_bench(output LIBS quiverleaf_core ZLIB::ZLIB)
