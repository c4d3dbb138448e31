quiverleaf_bench(snapping LIBS quiverleaf_core Qt6::Widgets)
