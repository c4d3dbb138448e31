# Moving, undoing and grouping a large selection in the window.
quiverleaf_bench(canvas_move LIBS quiverleaf_core Qt6::Widgets Qt6::Test)
