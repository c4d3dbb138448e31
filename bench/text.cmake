quiverleaf_bench(text_layout LIBS quiverleaf_core Qt6::Gui)
