# Barcode rendering beside libzint, linked in-process, on the same messages.
# Debian ships libzint without a pkg-config file.
find_path(ZINT_INCLUDE_DIR zint.h REQUIRED)
find_library(ZINT_LIBRARY zint REQUIRED)
quiverleaf_bench(codes_barcodes LIBS quiverleaf_codes Qt6::Gui ${ZINT_LIBRARY})
target_include_directories(codes_barcodes SYSTEM PRIVATE ${ZINT_INCLUDE_DIR})
