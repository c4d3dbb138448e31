quiverleaf_bench(grid_scroll LIBS quiverleaf_core Qt6::Widgets)
