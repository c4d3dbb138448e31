quiverleaf_bench(text3d_render LIBS quiverleaf_core Qt6::Gui)
