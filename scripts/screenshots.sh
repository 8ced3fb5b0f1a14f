#!/usr/bin/env bash
# Saves the desktop tester's windows, on its built-in simulator, as the README's
# pictures in docs/screenshots/: every window as it opens on a 1366x768 laptop
# (main window, connected console, live chart, fault decoding, identification,
# control parameters, the PC connection scheme, the manual, the About box, and the
# dynamic, acceleration and loss tests after a run on the simulated car), the
# saved files opened again (two run-ups side by side and their printed page, the
# tester dump, a drive log of the simulated road), and the console on a 1920x1080
# screen. Runs under xvfb-run, so no display is needed.
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
for screen in 1366x768 1920x1080; do
  xvfb-run -a -s "-screen 0 ${screen}x24" "$tour" docs/screenshots "$screen"
done
