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
  exec "$DEMO"
fi

SHOT=${SCREENSHOT:-$PWD/out/tq612-demo.png}
mkdir -p "$(dirname "$SHOT")"
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d /tmp/tq612-runtime.XXXXXX)}
chmod 700 "$XDG_RUNTIME_DIR"
DISPLAY_NUM=:$(( 90 + RANDOM % 100 ))
Xvfb "$DISPLAY_NUM" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
XVFB_PID=$!
trap 'kill "$DEMO_PID" 2>/dev/null || true; kill "$XVFB_PID" 2>/dev/null || true' EXIT
export DISPLAY=$DISPLAY_NUM
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
"$DEMO" &
DEMO_PID=$!
sleep 3
WINDOW=$(xdotool search --sync --name "TQ-612 Interface Program" | head -1)
if [ -x scripts/demo-actions.sh ]; then WINDOW=$WINDOW bash scripts/demo-actions.sh; fi
sleep 3
import -window "$WINDOW" "$SHOT"
echo "Screenshot saved to $SHOT"
