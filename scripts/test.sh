#!/usr/bin/env bash
# Builds Brenwick with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/check-format.sh
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBRENWICK_SANITIZE=ON -DBRENWICK_WERROR=ON >/dev/null
cmake --build build/test
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp
cd build/test
ctest --output-on-failure -j "$(nproc)" "$@"
