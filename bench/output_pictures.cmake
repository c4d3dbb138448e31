find_package(ZLIB REQUIRED)
quiverleaf_bench(output_pictures LIBS quiverleaf_core ZLIB::ZLIB)
