quiverleaf_bench(text3d_render LIBS quiverleaf_core Qt6::Gui)
quiverleaf_bench(text3d_output LIBS quiverleaf_core Qt6::Gui)
quiverleaf_bench(text3d_page LIBS quiverleaf_core Qt6::Widgets)
