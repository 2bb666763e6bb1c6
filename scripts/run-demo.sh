#!/usr/bin/env bash
# Builds the demo and starts it. With no display it runs in a virtual one for a few
# seconds and saves a screenshot of the window.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
BUILD_DIR=${BUILD_DIR:-build}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD_DIR" --target tq612-demo
DEMO="$BUILD_DIR/src/programs/tq612-demo"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$DEMO" "$@"
fi

bash scripts/demo-screenshot.sh "$DEMO" "${SCREENSHOT:-$PWD/out/tq612-demo.png}" "$@"
