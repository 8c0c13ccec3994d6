#!/bin/sh
# Builds the fuzz targets with clang and runs each for a while on its seeds; exits non-zero on a crash.
# LBL_FUZZ_BUILD: build folder (default build-fuzz); LBL_FUZZ_SECONDS: time per target (default 60).
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build=${LBL_FUZZ_BUILD:-$root/build-fuzz}
seconds=${LBL_FUZZ_SECONDS:-60}
targets="fuzz_sheet fuzz_template fuzz_settings"

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DLBL_SANITIZE="address;undefined" -DLBL_FUZZ=ON -DLBL_BUILD_TESTS=OFF -DLBL_BUILD_BENCH=OFF
# shellcheck disable=SC2086
cmake --build "$build" --target $targets -j2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
artifacts="$build/fuzz-artifacts"
mkdir -p "$artifacts"
failed=""
for target in $targets; do
    # New inputs go to a scratch copy, so the committed seeds stay as they are; inputs that once
    # crashed are read as seeds too.
    mkdir -p "$work/$target"
    cp "$root/fuzz/corpus/$target"/* "$work/$target/"
    extra=""
    if [ -d "$root/fuzz/regressions/$target" ]; then
        extra="$root/fuzz/regressions/$target"
    fi
    echo "== $target: ${seconds} s"
    # shellcheck disable=SC2086
    if ! QT_QPA_PLATFORM=offscreen nice -n 19 "$build/fuzz/$target" -max_total_time="$seconds" \
        -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 -artifact_prefix="$artifacts/$target-" \
        "$work/$target" $extra; then
        failed="$failed $target"
    fi
done

if [ -n "$failed" ]; then
    echo "fuzzing failed:$failed (inputs in $artifacts)" >&2
    exit 1
fi
echo "fuzzing passed: $targets"
