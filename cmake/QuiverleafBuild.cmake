# Shared build settings: compiler launcher, warnings, sanitizers, and helpers
# that keep each folder's CMakeLists to a few lines.

find_program(CCACHE_PROGRAM ccache)
if(CCACHE_PROGRAM)
  # Precompiled headers and ccache only get along with these sloppiness flags.
  # The base folder makes paths relative, so separate checkouts share the cache.
  set(CMAKE_C_COMPILER_LAUNCHER env CCACHE_BASEDIR=${PROJECT_SOURCE_DIR} CCACHE_NOHASHDIR=true CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime ${CCACHE_PROGRAM})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${CMAKE_C_COMPILER_LAUNCHER})
endif()

# Every test, tool and bench links the whole program with its debug
# information; compressed in objects and programs alike, a build tree takes a
# third of the disk.
add_compile_options(-gz=zlib)
add_link_options(-gz=zlib)

add_library(quiverleaf_warnings INTERFACE)
target_compile_options(quiverleaf_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wno-missing-field-initializers
  $<$<BOOL:${QUIVERLEAF_WERROR}>:-Werror>)

if(QUIVERLEAF_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# Sanitized code runs several times slower, and slower still on a busy
# machine: every test's time limit grows by one allowance, so that a
# sanitized run is red on a report, not on a slow test.
set(QUIVERLEAF_TIME_ALLOWANCE 1)
if(QUIVERLEAF_SANITIZE)
  set(QUIVERLEAF_TIME_ALLOWANCE 8)
endif()

# A test program lists its tests in a second or two even on a loaded machine.
set(QUIVERLEAF_LISTING_LIMIT 30)

# quiverleaf_time_limit(OUT seconds): a test's time limit in this build.
function(quiverleaf_time_limit out seconds)
  math(EXPR limit "${seconds} * ${QUIVERLEAF_TIME_ALLOWANCE}")
  set(${out} ${limit} PARENT_SCOPE)
endfunction()

# quiverleaf_test_time_limit(TEST seconds): gives a test that limit.
function(quiverleaf_test_time_limit test seconds)
  quiverleaf_time_limit(limit ${seconds})
  set_tests_properties(${test} PROPERTIES TIMEOUT ${limit})
endfunction()

# moc only looks again at a target's headers when its stamp is gone, and a
# header added to a globbed folder does not remove it: do that here whenever
# the globbed list changes.
function(quiverleaf_refresh_autogen name sources)
  string(SHA1 digest "${sources}")
  set(record ${CMAKE_CURRENT_BINARY_DIR}/${name}_autogen.sources)
  if(EXISTS ${record})
    file(READ ${record} previous)
    if(NOT previous STREQUAL digest)
      file(REMOVE ${CMAKE_CURRENT_BINARY_DIR}/${name}_autogen/timestamp)
    endif()
  endif()
  file(WRITE ${record} ${digest})
endfunction()

# quiverleaf_library(NAME FOLDERS dir... [QT] [LIBS lib...])
# Builds every source below the given folders into one static library. Sources
# are globbed so that adding a class never means editing a shared list.
function(quiverleaf_library name)
  cmake_parse_arguments(ARG "QT" "" "FOLDERS;LIBS" ${ARGN})
  set(sources)
  foreach(folder IN LISTS ARG_FOLDERS)
    file(GLOB_RECURSE found CONFIGURE_DEPENDS
         ${folder}/*.cpp ${folder}/*.c ${folder}/*.h)
    list(APPEND sources ${found})
  endforeach()
  list(FILTER sources EXCLUDE REGEX "/QtPch\\.h$")
  set(compiled ${sources})
  list(FILTER compiled INCLUDE REGEX "\\.(cpp|c)$")
  if(NOT compiled)
    # Nothing to compile yet: an interface library keeps dependants linking.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${ARG_LIBS})
    if(ARG_QT)
      target_link_libraries(${name} INTERFACE Qt6::Core Qt6::Gui)
    endif()
    return()
  endif()
  add_library(${name} STATIC ${sources})
  quiverleaf_refresh_autogen(${name} "${sources}")
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PRIVATE quiverleaf_warnings PUBLIC ${ARG_LIBS})
  if(ARG_QT)
    target_link_libraries(${name} PUBLIC Qt6::Core Qt6::Gui)
    target_precompile_headers(${name} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${PROJECT_SOURCE_DIR}/src/platform/QtPch.h>)
  endif()
endfunction()

# quiverleaf_tests(NAME FOLDER dir [QT] [WHOLE seconds] [LIBS lib...])
# One GoogleTest executable per test folder; each test case is its own CTest
# entry so that ctest -j spreads them over the cores. Every suite runs with a
# temporary home folder; Qt-based suites start a QApplication on the
# offscreen platform before the tests run. WHOLE adds one more entry,
# NAME_whole, that runs the suite as one process, as a developer runs it.
function(quiverleaf_tests name)
  cmake_parse_arguments(ARG "QT" "FOLDER;TIMEOUT;WHOLE" "LIBS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${ARG_FOLDER}/*.cpp ${ARG_FOLDER}/*.h)
  set(compiled ${sources})
  list(FILTER compiled INCLUDE REGEX "\\.cpp$")
  if(NOT compiled)
    return()
  endif()
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  quiverleaf_time_limit(ARG_TIMEOUT ${ARG_TIMEOUT})
  # ctest lists each program's tests before the run; a listing past its limit
  # stops the whole run, so it grows with the allowance like every test.
  quiverleaf_time_limit(listing_limit ${QUIVERLEAF_LISTING_LIMIT})
  add_executable(${name} ${sources})
  quiverleaf_refresh_autogen(${name} "${sources}")
  target_link_libraries(${name} PRIVATE quiverleaf_warnings ${ARG_LIBS} GTest::gtest GTest::gmock)
  if(ARG_QT)
    target_link_libraries(${name} PRIVATE quiverleaf_test_support Qt6::Test)
    target_precompile_headers(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src/platform/QtPch.h)
  else()
    target_link_libraries(${name} PRIVATE quiverleaf_test_plain_main)
  endif()
  target_compile_definitions(${name} PRIVATE
    QUIVERLEAF_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    QUIVERLEAF_BINARY_DIR="${PROJECT_BINARY_DIR}")
  set(environment ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
    ENVIRONMENT_MODIFICATION "QUIVERLEAF_RESOURCES=set:${PROJECT_SOURCE_DIR}/resources:${PROJECT_BINARY_DIR}/generated")
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT ${listing_limit}
    # One value per property: test discovery splits a list given as a value.
    PROPERTIES ${environment}
    TIMEOUT ${ARG_TIMEOUT})
  if(ARG_WHOLE)
    # Each test gets a process of its own above; here a test that works only
    # alone, or leaves something behind that stops a later one, shows (and
    # the last test started names the one that hung). The high cost starts it
    # first, so that it runs beside the single tests rather than after them.
    add_test(NAME ${name}_whole COMMAND ${name})
    quiverleaf_time_limit(ARG_WHOLE ${ARG_WHOLE})
    set_tests_properties(${name}_whole PROPERTIES ${environment} TIMEOUT ${ARG_WHOLE} COST 100000 LABELS whole)
  endif()
endfunction()

# quiverleaf_tool(NAME [QT] [LIBS lib...]) in a tests/tools/<name> folder:
# a small command-line program that tests call and people can run by hand.
function(quiverleaf_tool name)
  cmake_parse_arguments(ARG "QT" "" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE quiverleaf_warnings ${ARG_LIBS})
  if(ARG_QT)
    target_link_libraries(${name} PRIVATE Qt6::Core Qt6::Gui)
  endif()
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/tools)
endfunction()
