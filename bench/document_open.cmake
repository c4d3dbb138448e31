quiverleaf_bench(document_open LIBS quiverleaf_core Qt6::Widgets)
quiverleaf_bench(scale_page LIBS quiverleaf_core Qt6::Widgets)
