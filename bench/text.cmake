quiverleaf_bench(text_layout LIBS quiverleaf_core Qt6::Gui)
quiverleaf_bench(text_flow LIBS quiverleaf_core Qt6::Widgets)
