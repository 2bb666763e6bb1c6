#!/usr/bin/env bash
# Builds everything and runs every test through CTest.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
BUILD_DIR=${BUILD_DIR:-build}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD_DIR"
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d /tmp/tq612-runtime.XXXXXX)}
chmod 700 "$XDG_RUNTIME_DIR"
ctest --test-dir "$BUILD_DIR" --output-on-failure --timeout 600 -j2
# The sanitizer lane, then a short run of every fuzzer.
bash scripts/run-sanitizers.sh
bash scripts/run-fuzz.sh
# The Debian package: built, validated, installed, tried, purged.
bash scripts/run-package-test.sh
