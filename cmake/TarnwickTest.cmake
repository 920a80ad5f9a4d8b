# tarnwick_add_test(<name> [QTEST] [DECIMAL_COMMA] SOURCES <files...> LIBS <targets...>
#                   [LABELS <labels...>])
#
# One executable per test file group, registered with CTest under a fixed locale, time zone
# and offscreen Qt platform, so that no result depends on the machine the tests run on.
# GoogleTest executables get GoogleTest's main; QTEST marks a Qt Test executable, which
# brings its own main (QTEST_MAIN) and links Qt Test instead. DECIMAL_COMMA: the test switches
# itself to de_DE.UTF-8 for some cases (tests/decimal_comma_locale.h) and needs the fixture
# that makes that locale first.
set(TARNWICK_TEST_LOCALE_DIR ${CMAKE_BINARY_DIR}/test-locales)

function(tarnwick_add_test name)
  cmake_parse_arguments(ARG "QTEST;DECIMAL_COMMA" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  if(ARG_QTEST)
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Test)
  else()
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main)
  endif()
  target_compile_definitions(${name} PRIVATE
    TARNWICK_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data"
    TARNWICK_TEST_LOCALE_DIR="${TARNWICK_TEST_LOCALE_DIR}")
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  add_test(NAME ${name} COMMAND ${name})
  set(env LC_ALL=C.UTF-8 TZ=UTC QT_QPA_PLATFORM=offscreen ${TARNWICK_SANITIZER_ENV})
  set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}" ENVIRONMENT "${env}")
  if(ARG_DECIMAL_COMMA)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED decimal_comma_locale)
  endif()
endfunction()
