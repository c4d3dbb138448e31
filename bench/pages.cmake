quiverleaf_bench(pages_archive LIBS quiverleaf_core Qt6::Widgets)
