# Crash capture cost: children that crash with and without the crash reporter.
quiverleaf_bench(crash_capture LIBS quiverleaf_sdk)
add_executable(crash_capture_child crash_capture_child.cpp)
target_link_libraries(crash_capture_child PRIVATE quiverleaf_warnings quiverleaf_crash)
set_target_properties(crash_capture_child PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bench)
add_dependencies(crash_capture crash_capture_child)
target_compile_definitions(crash_capture PRIVATE CRASH_CAPTURE_CHILD="${PROJECT_BINARY_DIR}/bench/crash_capture_child")
