quiverleaf_bench(text_layout LIBS quiverleaf_core Qt6::Gui)
quiverleaf_bench(text_flow LIBS quiverleaf_core Qt6::Widgets)
quiverleaf_bench(text_hyphenation LIBS quiverleaf_core Qt6::Gui)
quiverleaf_bench(text_rtf_fonts LIBS quiverleaf_core Qt6::Gui)
# Opens and exports in child processes: itself for the window, page-render
# for output.
quiverleaf_bench(text_languages LIBS quiverleaf_core Qt6::Widgets)
target_compile_definitions(text_languages PRIVATE QUIVERLEAF_PAGE_RENDER="$<TARGET_FILE:page-render>")
add_dependencies(text_languages page-render)
