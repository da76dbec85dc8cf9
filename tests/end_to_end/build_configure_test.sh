#!/usr/bin/env bash
# Configures the project the ways its users do, each in a fresh build
# directory, and checks what each configure leaves in or out:
#
#   tests/end_to_end/build_configure_test.sh SOURCE_DIR
#
# A bare configure builds the tests and the benchmarks where their libraries
# are found for the target and leaves them out elsewhere; asking for either
# where it cannot be built fails the configure, naming what is missing. A
# library that is not there is played by CMAKE_DISABLE_FIND_PACKAGE_<name>.
set -euo pipefail
cd "$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

in_or_out() {
  if [[ -e $1 ]]; then echo in; else echo out; fi
}

# check NAME OUTCOME TESTS BENCH [CMAKE ARGUMENT...]
#   OUTCOME: "configures", or "fails:TEXT" where TEXT is in cmake's output;
#   TESTS and BENCH: "in" or "out" of a configure that succeeds.
check() {
  local name=$1 outcome=$2 tests=$3 bench=$4
  shift 4
  local dir=$work/$name
  local status=0
  cmake -S . -B "$dir" "$@" >"$dir.log" 2>&1 || status=$?
  local problem=
  if [[ $outcome == configures ]]; then
    if ((status != 0)); then
      problem="the configure failed"
    elif [[ $(in_or_out "$dir/tests/CMakeFiles/game_test.dir") != "$tests" ]]; then
      problem="the tests should be $tests"
    elif [[ $(in_or_out "$dir/bench/CMakeFiles/ui_bench.dir") != "$bench" ]]; then
      problem="the benchmarks should be $bench"
    fi
  elif ((status == 0)); then
    problem="the configure should have failed"
  elif ! grep -qF "${outcome#fails:}" "$dir.log"; then
    problem="cmake did not say \"${outcome#fails:}\""
  fi
  if [[ -n $problem ]]; then
    echo "FAIL $name: $problem; cmake $*"
    tail -n 20 "$dir.log"
    failures=$((failures + 1))
  else
    echo "ok   $name"
  fi
}

no_gtest=-DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON
no_benchmark=-DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON
windows=(-G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release)

check everything-found configures in in -G Ninja
check nothing-found configures out out "$no_gtest" "$no_benchmark"
check both-left-out configures out out -G Ninja -DRALLIX_TESTS=OFF -DRALLIX_BENCH=OFF
check tests-asked-not-found "fails:GoogleTest" - - -G Ninja -DRALLIX_TESTS=ON "$no_gtest"
check bench-asked-not-found "fails:Google Benchmark" - - -G Ninja -DRALLIX_BENCH=ON "$no_benchmark"
# The Windows build as the README shows it: GoogleTest's sources are built
# with the cross compiler, and no Google Benchmark exists for the target.
check windows-as-printed configures in out "${windows[@]}"
check windows-bench-asked "fails:Google Benchmark" - - "${windows[@]}" -DRALLIX_BENCH=ON

exit $((failures > 0))
