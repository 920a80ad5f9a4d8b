#!/usr/bin/env bash
# Installs what is missing, builds, and runs the tests through CTest.
#   ./test.sh              the normal build (./build) and every test
#   ./test.sh --sanitize   then every test again under AddressSanitizer and UndefinedBehavior-
#                          Sanitizer (./build-asan), and the tests of threaded code under
#                          ThreadSanitizer (./build-tsan)
#   ./test.sh --fuzz [S]   then each fuzz target of fuzz/ for S seconds (default 30), built
#                          with clang in ./build-fuzz
#   ./test.sh --ci         all of it, as CI runs it, with compiler warnings as errors (about
#                          12 minutes from a clean checkout on two cores)
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh

sanitize=0 fuzz=0 fuzz_seconds=30 werror=OFF
while [ $# -gt 0 ]; do
  case $1 in
    --sanitize) sanitize=1 ;;
    --fuzz)
      fuzz=1
      if [[ ${2:-} =~ ^[0-9]+$ ]]; then fuzz_seconds=$2; shift; fi ;;
    --ci) sanitize=1; fuzz=1; werror=ON ;;
    -h|--help) sed -n '2,10p' "$0"; exit 0 ;;
    *) echo "test.sh: unknown option '$1' (see ./test.sh --help)" >&2; exit 2 ;;
  esac
  shift
done

passed=0
run_tests() {  # <build dir> [ctest options]
  local dir=$1; shift
  ctest --test-dir "$dir" --output-on-failure -j "$(nproc)" "$@"
  passed=$((passed + $(ctest --test-dir "$dir" -N "$@" | awk '/^Total Tests:/ {print $3}')))
}

# CI's normal build has no debug information, which nothing in CI reads. The checked builds
# (sanitizers, fuzzing) keep line tables only (-g1): file and line in every stack trace, at a
# quarter less compile time than full debug information. They are also optimised less (-O1,
# as the sanitizers' makers advise for exact stack traces) and compile all their sources in
# batches (unity builds), which read each header once per batch instead of once per file. A
# build folder configured before keeps its own flags.
checked=(-DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" -DCMAKE_UNITY_BUILD=ON)
normal=()
[ $werror = ON ] && normal=(-DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG")

tarnwick_ensure_packages
tarnwick_build build -DTARNWICK_WERROR=$werror "${normal[@]}"
run_tests build

if [ $sanitize = 1 ]; then
  echo "== AddressSanitizer and UndefinedBehaviorSanitizer (build-asan)"
  # The checked builds build what their tests run: no measurement programs.
  tarnwick_build build-asan -DTARNWICK_SANITIZE=address,undefined -DTARNWICK_HAND_TOOLS=OFF -DTARNWICK_WERROR=$werror \
    "${checked[@]}"
  run_tests build-asan
  echo "== ThreadSanitizer (build-tsan)"
  # Only the tests whose code runs on more than one thread: the scans' workers (engine,
  # report, the runner) and the window's run in the background.
  tarnwick_build build-tsan -DTARNWICK_SANITIZE=thread -DTARNWICK_HAND_TOOLS=OFF -DTARNWICK_WERROR=$werror \
    "${checked[@]}" --target engine_test report_test app_cli_test tarnwick-cli window_test
  run_tests build-tsan -L '^(engine|report|app|window)$'

fi

if [ $fuzz = 1 ]; then
  echo "== Fuzz targets, ${fuzz_seconds} s each (build-fuzz)"
  tarnwick_ensure_packages "${tarnwick_fuzz_packages[@]}"
  tarnwick_build build-fuzz -DTARNWICK_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++-14 -DTARNWICK_WERROR=$werror \
    "${checked[@]}"
  mkdir -p build-fuzz/findings
  fuzz_target() {  # <seed folder>; new inputs go to the build folder, the seeds stay as they are
    local target work
    target=$(basename "$1") work=build-fuzz/corpus/$(basename "$1")
    mkdir -p "$work"
    build-fuzz/bin/"$target" -max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix=build-fuzz/findings/"$target"- "$work" "$1" >build-fuzz/"$target".log 2>&1
  }
  # One target per core at a time; each is a single process.
  targets=(fuzz/corpus/*/)
  declare -A status
  for ((i = 0; i < ${#targets[@]}; i += $(nproc))); do
    declare -A running=()
    for seeds in "${targets[@]:i:$(nproc)}"; do fuzz_target "$seeds" & running[$!]=$seeds; done
    for pid in "${!running[@]}"; do
      status[${running[$pid]}]=0
      wait "$pid" || status[${running[$pid]}]=$?
    done
    unset running
  done
  for seeds in "${targets[@]}"; do
    target=$(basename "$seeds")
    if [ "${status[$seeds]}" != 0 ]; then
      tail -n 40 build-fuzz/"$target".log
      echo "fuzz: $target FAILED; the input that did it is in build-fuzz/findings/" >&2
      exit 1
    fi
    echo "fuzz: $target: $(grep -o 'Done [0-9]* runs' build-fuzz/"$target".log | cut -d' ' -f2) inputs, no failure"
    passed=$((passed + 1))
  done
fi

if [ $sanitize = 1 ] || [ $fuzz = 1 ]; then
  echo "total: $passed passed, 0 failed"
fi
