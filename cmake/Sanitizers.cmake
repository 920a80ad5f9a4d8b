# Compiler and linker flags of the checked builds; see TARNWICK_SANITIZE and TARNWICK_FUZZ in
# the top-level CMakeLists.txt. Every finding is fatal (-fno-sanitize-recover), so a test or a
# fuzz target that meets one fails instead of printing a line nobody reads.

if(TARNWICK_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang" OR NOT TARNWICK_SANITIZE STREQUAL "address,undefined")
    message(FATAL_ERROR "TARNWICK_FUZZ needs clang (libFuzzer) and the address and undefined sanitizers: "
                        "configure with -DCMAKE_CXX_COMPILER=clang++-14 -DTARNWICK_SANITIZE=address,undefined")
  endif()
  # Every target is instrumented for coverage; only the fuzz targets link libFuzzer's main.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

if(TARNWICK_SANITIZE)
  set(_flags -fsanitize=${TARNWICK_SANITIZE} -fno-sanitize-recover=all -fno-omit-frame-pointer)
  # GCC leaves float-to-integer overflow out of "undefined"; a date or a Julian day too large
  # for an int is exactly the kind of fault these builds are for.
  if(TARNWICK_SANITIZE MATCHES "undefined" AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    list(APPEND _flags -fsanitize=float-cast-overflow)
  endif()
  add_compile_options(${_flags})
  # With the sanitizers' instrumentation GCC 12 reports members of the standard library's
  # std::function inside std::regex as maybe used uninitialised, which they are not; the
  # normal build keeps the warning.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    add_compile_options(-Wno-maybe-uninitialized)
  endif()
  add_link_options(${_flags})

  # Run-time options for every test (tarnwick_add_test adds them to the test's environment).
  if(TARNWICK_SANITIZE MATCHES "thread")
    # Qt and libswe are not built with the sanitizer: their own memory traffic (Qt's thread
    # pool allocating in one thread and freeing in another, synchronised by code the
    # sanitizer cannot see) is not ours to judge. Every access our code makes is still checked.
    set(TARNWICK_SANITIZER_ENV
        "TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:ignore_noninstrumented_modules=1")
  else()
    set(TARNWICK_SANITIZER_ENV
        "ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1"
        "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1"
        "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/cmake/lsan.supp")
  endif()
endif()
