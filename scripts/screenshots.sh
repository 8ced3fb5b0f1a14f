#!/usr/bin/env bash
# Saves the desktop tester's windows, on its built-in simulator, as the README's
# pictures in docs/screenshots/: every window as it opens on a 1366x768 laptop
# (main window, connected console, live chart, fault decoding, identification,
# control parameters, the PC connection scheme, the manual, the About box, and the
# dynamic, acceleration and loss tests after a run on the simulated car), the
# saved files opened again (two run-ups side by side and their printed page, the
# tester dump, a drive log of the simulated road), and the console on a 1920x1080
# screen. Then, where the Windows build has the window, the same tour of
# ecuprobe-screenshots.exe under Wine on a 1366x768 screen takes the main window,
# the console, the dynamic test and the comparison as windows_*.png. Runs under
# xvfb-run, so no display is needed.
# Usage: scripts/screenshots.sh [build dir [windows build dir]]
#        (default build/release and build/windows)
set -euo pipefail
cd "$(dirname "$0")/.."

build="${1:-build/release}"
windows_build="${2:-build/windows}"
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

windows_tour="$windows_build/src/app/ecuprobe-screenshots.exe"
if [ ! -f "$windows_tour" ]; then
  echo "screenshots: no $windows_tour: no pictures of the Windows build"
  exit 0
fi
qt_bin="$(realpath "$(dirname "$(ls "$windows_build"/*/bin/Qt6Core.dll | head -1)")")"
# A prefix of its own: a Wine server started without a display, as the tests'
# is, stays without one for every later program of its prefix.
xvfb-run -a -s "-screen 0 1366x768x24" env WINEPATH="Z:${qt_bin//\//\\}" \
  bash scripts/wine-run.sh "$windows_build/wine-display" "$windows_tour" docs/screenshots \
  1366x768 windows_ main_window.png console.png dynamic_test.png comparison.png
