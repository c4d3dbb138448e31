# Select All, deselecting and grouping on a crowded page in the window.
quiverleaf_bench(canvas_select LIBS quiverleaf_core Qt6::Widgets Qt6::Test)
