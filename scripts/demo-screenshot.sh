#!/usr/bin/env bash
# Starts a demo program in a virtual display, presses Connect as a user would, and saves a
# screenshot of its window.
# Usage: demo-screenshot.sh PROGRAM SCREENSHOT [PROGRAM'S OPTIONS...]
set -euo pipefail
DEMO=$1
if [[ $DEMO == */* ]]; then DEMO=$(realpath "$DEMO"); fi
SHOT=$(realpath -m "$2")
shift 2
cd "$(dirname "$0")/.."
mkdir -p "$(dirname "$SHOT")"
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d /tmp/tq612-runtime.XXXXXX)}
chmod 700 "$XDG_RUNTIME_DIR"
# A journal of its own, so the screenshot shows a first start, not the offer to restore what an
# earlier screenshot's run recorded.
export XDG_STATE_HOME=$(mktemp -d /tmp/tq612-state.XXXXXX)
DISPLAY_NUM=:$(( 90 + RANDOM % 100 ))
Xvfb "$DISPLAY_NUM" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
XVFB_PID=$!
DEMO_PID=
trap 'if [ -n "$DEMO_PID" ]; then kill "$DEMO_PID" 2>/dev/null || true; fi; kill "$XVFB_PID" 2>/dev/null || true; rm -rf "$XDG_STATE_HOME"' EXIT
export DISPLAY=$DISPLAY_NUM
# The test command runs the other tests on Qt's offscreen platform; this one needs the display.
unset QT_QPA_PLATFORM
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
"$DEMO" "$@" &
DEMO_PID=$!
sleep 3
WINDOW=$(timeout 60 xdotool search --sync --name "TQ-612 Interface Program" | head -1)
if [ -z "$WINDOW" ]; then
  echo "The program's window did not appear within a minute" >&2
  exit 1
fi
if [ -x scripts/demo-actions.sh ]; then WINDOW=$WINDOW bash scripts/demo-actions.sh; fi
sleep 3
import -window "$WINDOW" "$SHOT"
echo "Screenshot saved to $SHOT"
