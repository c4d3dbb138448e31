quiverleaf_bench(canvas_drag LIBS quiverleaf_core Qt6::Widgets)
quiverleaf_bench(canvas_costly_shape LIBS quiverleaf_core Qt6::Widgets)
quiverleaf_bench(canvas_scattered LIBS quiverleaf_core Qt6::Widgets Qt6::Test)
