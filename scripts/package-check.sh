#!/usr/bin/env bash
# Checks the packages that `make package`, `make windows-package` and `make
# windows-installer` made, as CI does: lintian --pedantic finds nothing in the .deb;
# it installs with apt-get, its programs run from /usr/bin, its manual pages,
# desktop entry, file types, udev rule and bash completion are sound
# (scripts/installed-package-check.sh), and it removes leaving nothing under /usr;
# the zip holds ecuprobe-cli.exe (and the window, where the Windows build has it)
# with its README.txt, and they run under Wine; the installer installs, runs and
# uninstalls under Wine (scripts/windows-installer-check.sh). It installs and
# removes the package: run it as root on a machine of its own (CI's), never on a desk.
set -euo pipefail
cd "$(dirname "$0")/.."

one_file() {
  local matches=($1)
  if [ ${#matches[@]} -ne 1 ] || [ ! -f "${matches[0]}" ]; then
    echo "package-check: expected one $1, found: ${matches[*]}" >&2
    exit 1
  fi
  echo "${matches[0]}"
}

deb=$(one_file 'build/release/ecuprobe_*.deb')
zip=$(one_file 'build/windows/ecuprobe-*-windows-x64.zip')
version=$(dpkg-deb --field "$deb" Version)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "== lintian --pedantic $deb"
lintian --allow-root --pedantic --fail-on error,warning,info,pedantic "$deb"

echo "== apt-get install ./$deb"
find /usr | sort >"$work/before"
DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "./$deb"
test "$(command -v ecuprobe-cli)" = /usr/bin/ecuprobe-cli
for program in ecuprobe ecuprobe-cli ecu-sim; do
  test "$("/usr/bin/$program" --version)" = "$program $version"
done
/usr/bin/ecuprobe-cli --simulate live --count 1 | tee "$work/live"
grep -q 'Обороты (FREQ):' "$work/live"
man -P cat ecuprobe-cli | grep -q 'sudo usermod -aG dialout'
bash scripts/installed-package-check.sh
# The window on the simulator until SIGTERM, which it answers with 128+15
# after handing the outputs back; any other end is a failure to start.
status=0
QT_QPA_PLATFORM=offscreen timeout --preserve-status -s TERM -k 10 5 /usr/bin/ecuprobe --simulate ||
  status=$?
if [ "$status" -ne 143 ]; then
  echo "package-check: ecuprobe --simulate ended with $status before it was stopped" >&2
  exit 1
fi

echo "== apt-get remove ecuprobe"
DEBIAN_FRONTEND=noninteractive apt-get remove -y --purge ecuprobe
find /usr | sort >"$work/after"
if ! diff "$work/before" "$work/after"; then
  echo "package-check: the package left the files above under /usr" >&2
  exit 1
fi

echo "== $zip"
unzip -l "$zip"
unzip -q -d "$work/zip" "$zip"
folder="$work/zip/$(basename "$zip" .zip)"
test -f "$folder/README.txt"
exe() { bash scripts/wine-run.sh build/windows/wine "$folder/ecuprobe-cli.exe" "$@"; }
exe --version | tr -d '\r' | grep -qx "ecuprobe-cli $version"
exe --simulate live --count 1 | tr -d '\r' | tee "$work/wine-live"
grep -q 'Обороты (FREQ):' "$work/wine-live"
if [ -f build/windows/src/app/ecuprobe.exe ]; then
  # The folder runs as it stands: its own Qt DLLs, no others on the path.
  bash scripts/wine-run.sh build/windows/wine "$folder/ecuprobe.exe" --version | tr -d '\r' |
    grep -qx "ecuprobe $version"
  bash scripts/windows-installer-check.sh build/windows
fi
echo "package-check: the packages of ecuprobe $version are sound"
