quiverleaf_bench(document_open LIBS quiverleaf_core Qt6::Widgets)
