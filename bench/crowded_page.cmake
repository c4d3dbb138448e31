# Peak memory of a crowded page in the window and in page-render.
quiverleaf_bench(crowded_page LIBS quiverleaf_core Qt6::Widgets)
add_dependencies(crowded_page page-render)
