#!/usr/bin/env bash
# Presses Connect in the demo's window as a user would, so the screenshot shows live readings.
set -euo pipefail
# The Connect button sits at (3, 4) in the client area, which starts below the menu bar.
xdotool mousemove --window "$WINDOW" 40 $(( ${MENU_BAR_HEIGHT:-24} + 16 )) click 1
sleep 6
