#!/usr/bin/env bash
# Saves the desktop tester's windows, on its built-in simulator, as the README's
# pictures in docs/screenshots/: main window, connected console, live chart,
# fault decoding, identification, control parameters, the PC connection scheme, the dynamic
# test after a run-up on the runup scenario, two saved run-ups side by side and their printed page. Runs under xvfb-run, so no display is needed.
# Usage: scripts/screenshots.sh [build dir]    (default build/release)
set -euo pipefail
cd "$(dirname "$0")/.."

build="${1:-build/release}"
tour="$build/src/app/ecuprobe-screenshots"
if [ ! -x "$tour" ]; then
  echo "screenshots: $tour is missing; run 'make screenshots' or build that target" >&2
  exit 2
fi
mkdir -p docs/screenshots
# The user's own Qt settings and style must not change the pictures.
export QT_STYLE_OVERRIDE=Fusion
xvfb-run -a -s "-screen 0 1280x1024x24" "$tour" docs/screenshots
