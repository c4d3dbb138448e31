quiverleaf_bench(canvas_drag LIBS quiverleaf_core Qt6::Widgets)
