#!/usr/bin/env bash
# Builds labelprint, lays out a portable program folder (dist/) with the bundled examples beside the
# program, and starts it there.
set -euo pipefail
cd "$(dirname "$0")"
source tools/packages.sh
ensure_packages build

cmake --preset dev >/dev/null
cmake --build --preset dev -j"$(nproc)" --target lbl_app

mkdir -p dist
cp build/dev/src/app/labelprint dist/
for f in examples/*; do
    case "$f" in
        *.py) ;;
        */myini.ini) [ -f dist/myini.ini ] || cp "$f" dist/ ;; # keep the user's own choices
        *) cp "$f" dist/ ;;
    esac
done
cd dist
exec ./labelprint
