#!/usr/bin/env bash
# Runs a cross-built Windows program under Debian's Wine: the windows preset's
# emulator, through which ctest starts each test program.
# Usage: wine-run.sh PREFIX PROGRAM [ARGS...]
#
# The prefix belongs to the build. Its first start takes about 20 s; it is made
# once, under a lock, so that tests started side by side do not race. Wine
# passes no QT_* variable on to a Windows program: Qt's options go on its
# command line (-platform offscreen), its DLLs come from WINEPATH. The
# wineserver is started apart from the caller's output, which it would
# otherwise hold open for the seconds it lingers after the program ends.
set -euo pipefail

export WINEPREFIX="$(realpath -m "$1")"
shift
export WINEDEBUG=-all
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver64

mkdir -p "$(dirname "$WINEPREFIX")"
(
  flock 9
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    # No Gecko and no Mono: nothing here needs them, and their installers would ask.
    WINEDLLOVERRIDES="mscoree,mshtml=" timeout 300 "$wine" wineboot --init </dev/null >/dev/null 2>&1
  fi
  # Wine's own Tahoma, which its registry gives for the dialog font, draws no
  # Latin text in Qt's line edits: DejaVu Sans (fonts-dejavu-core) stands in.
  if [ ! -f "$WINEPREFIX/.ecuprobe-fonts" ]; then
    for face in "MS Shell Dlg" "MS Shell Dlg 2"; do
      "$wine" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
        /v "$face" /t REG_SZ /d "DejaVu Sans" /f </dev/null >/dev/null 2>&1
    done
    touch "$WINEPREFIX/.ecuprobe-fonts"
  fi
) 9>"$WINEPREFIX.lock"

"$wineserver" -p5 </dev/null >/dev/null 2>&1 || true
exec "$wine" "$@"
