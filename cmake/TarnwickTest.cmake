# tarnwick_add_test_program(<target> [QTEST] SOURCES <files...> LIBS <targets...>)
# tarnwick_add_test_run(<name> <target> [DECIMAL_COMMA] [ARGS <args...>] [LABELS <labels...>]
#                       [COST <seconds>])
# tarnwick_add_test(<name> [QTEST] [DECIMAL_COMMA] SOURCES <files...> LIBS <targets...>
#                   [LABELS <labels...>] [COST <seconds>])  (a program run once under its own name)
#
# One test program per folder of tests: linking is most of what a small test program costs,
# and the sanitizer builds pay it three times. Each run is registered with CTest under a fixed
# locale, time zone and offscreen Qt platform, so that no result depends on the machine the
# tests run on. GoogleTest programs get GoogleTest's main. QTEST marks a Qt Test program,
# which brings its own main and links Qt Test, with Qt Widgets and Qt Test as a precompiled
# header (tests/support/qtest_pch.h): those two headers are most of a window test's compile
# time. GoogleTest's header is light (a precompiled one saved a fifth of a test file's compile
# time), and from a precompiled header GCC 12 no longer treats the standard library's inlined
# string code as a system header's, so tests that concatenate strings got false
# -Warray-bounds warnings: the GoogleTest programs have none. DECIMAL_COMMA: the
# test switches itself to de_DE.UTF-8 for some cases (tests/decimal_comma_locale.h) and needs
# the fixture that makes that locale first. COST: about how many seconds the test takes in a
# normal build. CTest starts the tests it expects to take longest first, from the times of
# the build folder's last run; a fresh folder has none, and a long test started last makes
# the whole run wait for it alone.
set(TARNWICK_TEST_LOCALE_DIR ${CMAKE_BINARY_DIR}/test-locales)

# The paths a test needs come through its environment (tests/test_paths.h): an absolute path
# compiled in would make every test file of a new checkout miss the compiler cache.
function(_tarnwick_test_target_setup target)
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
endfunction()

function(tarnwick_add_test_program target)
  cmake_parse_arguments(ARG "QTEST" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${target} ${ARG_SOURCES})
  _tarnwick_test_target_setup(${target})
  # A test program's files are compiled in batches (a unity build): they share most of their
  # headers, which a batch reads once. The program's own code keeps one file per unit.
  set_target_properties(${target} PROPERTIES UNITY_BUILD ON)
  if(ARG_QTEST)
    set_target_properties(${target} PROPERTIES AUTOMOC ON)
    target_link_libraries(${target} PRIVATE ${ARG_LIBS} Qt6::Test)
    target_precompile_headers(${target} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/qtest_pch.h)
  else()
    target_link_libraries(${target} PRIVATE ${ARG_LIBS} GTest::gtest_main)
  endif()
endfunction()

function(tarnwick_add_test_run name target)
  cmake_parse_arguments(ARG "DECIMAL_COMMA" "COST" "ARGS;LABELS" ${ARGN})
  add_test(NAME ${name} COMMAND ${target} ${ARG_ARGS})
  set(env LC_ALL=C.UTF-8 TZ=UTC QT_QPA_PLATFORM=offscreen ${TARNWICK_SANITIZER_ENV}
    TARNWICK_TEST_DATA_DIR=${PROJECT_SOURCE_DIR}/tests/data
    TARNWICK_TEST_LOCALE_DIR=${TARNWICK_TEST_LOCALE_DIR})
  set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}" ENVIRONMENT "${env}")
  if(ARG_DECIMAL_COMMA)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED decimal_comma_locale)
  endif()
  if(ARG_COST)
    set_tests_properties(${name} PROPERTIES COST ${ARG_COST})
  endif()
endfunction()

function(tarnwick_add_test name)
  cmake_parse_arguments(ARG "QTEST;DECIMAL_COMMA" "COST" "SOURCES;LIBS;LABELS" ${ARGN})
  set(qtest "")
  set(comma "")
  if(ARG_QTEST)
    set(qtest QTEST)
  endif()
  if(ARG_DECIMAL_COMMA)
    set(comma DECIMAL_COMMA)
  endif()
  tarnwick_add_test_program(${name} ${qtest} SOURCES ${ARG_SOURCES} LIBS ${ARG_LIBS})
  set(cost "")
  if(ARG_COST)
    set(cost COST ${ARG_COST})
  endif()
  tarnwick_add_test_run(${name} ${name} ${comma} LABELS ${ARG_LABELS} ${cost})
endfunction()
