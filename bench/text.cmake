quiverleaf_bench(text_layout LIBS quiverleaf_core Qt6::Gui)
quiverleaf_bench(text_flow LIBS quiverleaf_core Qt6::Widgets)
quiverleaf_bench(text_rtf_fonts LIBS quiverleaf_core Qt6::Gui)
