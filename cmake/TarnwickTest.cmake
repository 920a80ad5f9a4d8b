# tarnwick_add_test(<name> [QTEST] SOURCES <files...> LIBS <targets...> [LABELS <labels...>])
#
# One executable per test file group, registered with CTest under a fixed locale, time zone
# and offscreen Qt platform, so that no result depends on the machine the tests run on.
# GoogleTest executables get GoogleTest's main; QTEST marks a Qt Test executable, which
# brings its own main (QTEST_MAIN) and links Qt Test instead.
function(tarnwick_add_test name)
  cmake_parse_arguments(ARG "QTEST" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  if(ARG_QTEST)
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Test)
  else()
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main)
  endif()
  target_compile_definitions(${name} PRIVATE
    TARNWICK_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data")
  add_test(NAME ${name} COMMAND ${name})
  set(env LC_ALL=C.UTF-8 TZ=UTC QT_QPA_PLATFORM=offscreen ${TARNWICK_SANITIZER_ENV})
  set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}" ENVIRONMENT "${env}")
endfunction()
