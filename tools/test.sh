#!/usr/bin/env bash
# Sets up and runs every test: a normal build, then a build with AddressSanitizer and
# UndefinedBehaviorSanitizer (clang) that also runs the fuzzer; window tests run under Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
jobs=$(nproc)
xvfb=(xvfb-run -a -s "-screen 0 1280x1024x24")

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$jobs"
"${xvfb[@]}" ctest --test-dir build --output-on-failure -j"$jobs"

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
      -DOVK_SANITIZE=ON -DOVK_FUZZ=ON -DOVK_BENCH=OFF
cmake --build build-sanitize -j"$jobs"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/support/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
"${xvfb[@]}" ctest --test-dir build-sanitize --output-on-failure -j"$jobs"

build/serial-link/tests/bench_link_exchange
