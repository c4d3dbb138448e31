# Barcode rendering, beside the zint command-line encoder.
quiverleaf_bench(codes_barcodes LIBS quiverleaf_codes Qt6::Gui)
