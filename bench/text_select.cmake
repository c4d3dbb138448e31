# Selecting boxes of long texts, and saving a long book after a click in it.
quiverleaf_bench(text_select LIBS quiverleaf_core Qt6::Widgets Qt6::Test)
