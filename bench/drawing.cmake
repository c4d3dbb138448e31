quiverleaf_bench(drawing_framework LIBS quiverleaf_core Qt6::Gui)
