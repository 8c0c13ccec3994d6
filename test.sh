#!/usr/bin/env bash
# Builds labelprint and runs every test: format check, the warnings-as-errors build, and the same tests
# under AddressSanitizer + UndefinedBehaviorSanitizer. `./test.sh --quick` skips the sanitizer build.
set -euo pipefail
cd "$(dirname "$0")"
source tools/packages.sh
ensure_packages build test

quick=0
if [ "${1:-}" = "--quick" ]; then
    quick=1
fi
jobs=$(nproc)

echo "== clang-format"
git ls-files -- '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

echo "== build and test (warnings as errors)"
cmake --preset ci >/dev/null
cmake --build --preset ci -j"$jobs"
ctest --preset ci -j"$jobs"

echo "== clang-tidy"
tidy_log=$(mktemp)
if ! git ls-files -- 'src/*.cpp' | xargs -P"$jobs" -n4 clang-tidy -p build/ci --quiet >"$tidy_log" 2>&1; then
    grep -v "warnings generated" "$tidy_log"
    rm -f "$tidy_log"
    exit 1
fi
rm -f "$tidy_log"

if [ "$quick" -eq 0 ]; then
    echo "== build and test under ASan + UBSan"
    cmake --preset asan >/dev/null
    cmake --build --preset asan -j"$jobs"
    ctest --preset asan -j"$jobs"
fi
