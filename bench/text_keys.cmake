quiverleaf_bench(text_keys LIBS quiverleaf_core Qt6::Widgets Qt6::Test)
