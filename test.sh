#!/usr/bin/env bash
# Builds everything and passes every test, from a fresh machine on.
#   ./test.sh          dependencies, build, tests, sanitizer build and tests, a minute of fuzzing
#   ./test.sh --quick  build and tests only
set -euo pipefail
cd "$(dirname "$0")"
quick=0
[ "${1:-}" = "--quick" ] && quick=1
./scripts/install-deps.sh --tests
jobs=$(nproc)

# Line tables only (-g1): backtraces keep their files and lines, and a fresh clone compiles a good deal
# faster than with full debug information.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAMBEROL_WERROR=ON \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" >/dev/null
cmake --build build -j"$jobs"
QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure -j"$jobs" --timeout 300

[ "$quick" = 1 ] && exit 0

echo "== Sanitizer build (address, undefined)"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTAMBEROL_WERROR=ON -DTAMBEROL_SANITIZE=ON -DTAMBEROL_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="-O1" -DCMAKE_CXX_FLAGS_DEBUG="-g1" >/dev/null
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp:print_suppressions=0 \
UBSAN_OPTIONS=print_stacktrace=1 QT_QPA_PLATFORM=offscreen \
  ctest --test-dir build-asan --output-on-failure -j"$jobs" --timeout 600 -E windows_sources_compile

echo "== Fuzzing the .cdi reader"
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DTAMBEROL_FUZZ=ON -DTAMBEROL_GUI=OFF -DTAMBEROL_BENCH=OFF -DBUILD_TESTING=OFF >/dev/null
cmake --build build-fuzz -j"$jobs" --target fuzz_cdi_reader
mkdir -p build-fuzz/corpus
build-fuzz/fuzz/fuzz_cdi_reader -max_total_time="${TAMBEROL_FUZZ_SECONDS:-60}" -max_len=4096 \
  build-fuzz/corpus fuzz/seeds 2>&1 | tail -n 5
echo "All tests passed."
