# Start-up to the first window, against the peer layout program; run under
# xvfb-run (it needs an X server for xdotool to watch).
quiverleaf_bench(cold_start LIBS Qt6::Core)
target_compile_definitions(cold_start PRIVATE QUIVERLEAF_PROGRAM="$<TARGET_FILE:quiverleaf>")
add_dependencies(cold_start quiverleaf)
