quiverleaf_bench(archive_bench LIBS quiverleaf_platform Qt6::Core Qt6::Gui)
