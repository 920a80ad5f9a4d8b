#!/usr/bin/env bash
# Installs what is missing, builds, and runs the tests through CTest.
#   ./test.sh              the normal build (./build) and every test
#   ./test.sh --sanitize   then every test again under AddressSanitizer and UndefinedBehavior-
#                          Sanitizer (./build-asan), and the tests of threaded code under
#                          ThreadSanitizer (./build-tsan), both built with clang
#   ./test.sh --fuzz [S]   then each fuzz target of fuzz/ for S seconds (default 20), built
#                          in ./build-asan
#   ./test.sh --ci         all of it, as CI runs it, with compiler warnings as errors (about
#                          10 minutes from a clean checkout on two cores)
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh

sanitize=0 fuzz=0 fuzz_seconds=20 werror=OFF
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
# (sanitizers, fuzzing) are clang's, which builds them in a little over half of g++'s time
# and runs their tests faster; they keep line tables only (-g1), for file and line in every
# stack trace, are optimised less (-O1, as the sanitizers' makers advise for exact stack
# traces), compile all their sources in batches (unity builds), which read each header once
# per batch instead of once per file, and leave out the measurement programs, which no test
# runs. The address build also holds the fuzz targets, so its sources are compiled once for
# both. A build folder configured before keeps its own flags; a checked one made with g++
# starts again.
checked=(-DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG"
         -DCMAKE_UNITY_BUILD=ON -DTARNWICK_HAND_TOOLS=OFF -DTARNWICK_WERROR=$werror)
normal=()
[ $werror = ON ] && normal=(-DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG")
fuzz_targets=()
for seeds in fuzz/corpus/*/; do fuzz_targets+=("$(basename "$seeds")"); done

tarnwick_ensure_packages
tarnwick_build build -DTARNWICK_WERROR=$werror "${normal[@]}"
run_tests build

if [ $sanitize = 1 ] || [ $fuzz = 1 ]; then
  tarnwick_ensure_packages "${tarnwick_checked_packages[@]}"
  for dir in build-asan build-tsan; do
    if [ -f $dir/CMakeCache.txt ] && ! grep -q '^CMAKE_CXX_COMPILER:[A-Z]*=.*clang' $dir/CMakeCache.txt; then
      rm -rf $dir
    fi
  done
  # Fuzzing alone builds only the fuzz targets.
  only=()
  [ $sanitize = 0 ] && only=(--target "${fuzz_targets[@]}")
  echo "== AddressSanitizer and UndefinedBehaviorSanitizer (build-asan)"
  tarnwick_build build-asan -DTARNWICK_SANITIZE=address,undefined -DTARNWICK_FUZZ=ON "${checked[@]}" "${only[@]}"
fi

if [ $sanitize = 1 ]; then
  run_tests build-asan
  echo "== ThreadSanitizer (build-tsan)"
  # Only the tests whose code runs on more than one thread: the scans' workers (engine,
  # report, the runner) and the window's run in the background.
  tarnwick_build build-tsan -DTARNWICK_SANITIZE=thread "${checked[@]}" \
    --target engine_test report_test app_cli_test tarnwick-cli window_test
  run_tests build-tsan -L '^(engine|report|app|window)$'
fi

if [ $fuzz = 1 ]; then
  echo "== Fuzz targets, ${fuzz_seconds} s each (build-asan)"
  mkdir -p build-asan/findings
  fuzz_target() {  # <target>; new inputs go to the build folder, the seeds stay as they are
    local work=build-asan/corpus/$1
    mkdir -p "$work"
    build-asan/bin/"$1" -max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix=build-asan/findings/"$1"- "$work" fuzz/corpus/"$1" >build-asan/"$1".log 2>&1
  }
  # One target per core at a time; each is a single process.
  declare -A status
  for ((i = 0; i < ${#fuzz_targets[@]}; i += $(nproc))); do
    declare -A running=()
    for target in "${fuzz_targets[@]:i:$(nproc)}"; do fuzz_target "$target" & running[$!]=$target; done
    for pid in "${!running[@]}"; do
      status[${running[$pid]}]=0
      wait "$pid" || status[${running[$pid]}]=$?
    done
    unset running
  done
  for target in "${fuzz_targets[@]}"; do
    if [ "${status[$target]}" != 0 ]; then
      tail -n 40 build-asan/"$target".log
      echo "fuzz: $target FAILED; the input that did it is in build-asan/findings/" >&2
      exit 1
    fi
    echo "fuzz: $target: $(grep -o 'Done [0-9]* runs' build-asan/"$target".log | cut -d' ' -f2) inputs, no failure"
    passed=$((passed + 1))
  done
fi

if [ $sanitize = 1 ] || [ $fuzz = 1 ]; then
  echo "total: $passed passed, 0 failed"
fi
