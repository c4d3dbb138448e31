quiverleaf_bench(text_nesting LIBS quiverleaf_core Qt6::Gui)
