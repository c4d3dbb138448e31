# Keys, commands and the mouse in the first box of a long chain of linked boxes.
quiverleaf_bench(text_chain LIBS quiverleaf_core Qt6::Widgets Qt6::Test)
