#!/usr/bin/env bash
# Checks the installer of `make windows-installer` as a Windows user meets it,
# in the Wine prefix of the windows build: a silent install (/S) puts every
# file of the deployed folder, and nothing else, into Program Files, the Start
# menu's ECUPROBE, the .tdm and saved-run types and the Add/Remove Programs
# entry with version and publisher; the installed programs run; the uninstaller
# takes all of that away again.
# Usage: scripts/windows-installer-check.sh [windows build dir]   (default build/windows)
set -euo pipefail
cd "$(dirname "$0")/.."

build="${1:-build/windows}"
prefix="$build/wine"
deploy="$build/deploy"
setup=$(ls "$build"/ecuprobe-*-setup.exe)
version=$(basename "$setup" | sed 's/^ecuprobe-\(.*\)-setup\.exe$/\1/')
export WINEPREFIX="$(realpath -m "$prefix")" WINEDEBUG=-all
wine=/usr/lib/wine/wine64
installed="$WINEPREFIX/drive_c/Program Files/ECUPROBE"
start_menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/ECUPROBE.lnk"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\ECUPROBE'
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
  echo "windows-installer-check: $1" >&2
  exit 1
}
run() { bash scripts/wine-run.sh "$prefix" "$@"; }
# Every Wine process of the prefix has ended: an NSIS uninstaller goes on in a
# copy of itself after the one started has returned.
settle() { /usr/lib/wine/wineserver64 -w; }
registry() { "$wine" reg query "$@" 2>/dev/null | tr -d '\r'; }
listing() { (cd "$1" && find . -mindepth 1 | sort); }

echo "== $setup /S"
run "$setup" /S
settle
[ -d "$installed" ] || fail "nothing installed in Program Files\\ECUPROBE"
listing "$deploy" >"$work/deployed"
listing "$installed" | grep -vx './uninstall.exe' >"$work/installed"
diff "$work/deployed" "$work/installed" || fail "installed files differ from $deploy (above)"
[ -f "$installed/uninstall.exe" ] || fail "no uninstall.exe"
[ -f "$start_menu" ] || fail "no ECUPROBE in the Start menu"
registry "$uninstall_key" >"$work/uninstall"
grep -q "DisplayVersion *REG_SZ *$version\$" "$work/uninstall" || fail "no DisplayVersion $version"
grep -q 'Publisher *REG_SZ *ecuprobe project$' "$work/uninstall" || fail "no Publisher"
registry 'HKCR\.tdm' /ve | grep -q 'REG_SZ *ECUPROBE.Document$' || fail ".tdm is not ECUPROBE.Document"
registry 'HKCR\ECUPROBE.Document' /ve | grep -q 'REG_SZ *ECUPRB Document$' ||
  fail "ECUPROBE.Document is not named ECUPRB Document"
for extension in .dmp .dma .dmm; do
  registry "HKCR\\$extension\\OpenWithProgids" | grep -q 'ECUPROBE.Run' ||
    fail "$extension does not open in the window"
done
registry 'HKCR\ECUPROBE.Run\shell\open\command' /ve | grep -qF 'ECUPROBE\ecuprobe.exe" "%1"' ||
  fail "saved runs have no open command"

echo "== the installed programs"
run "$installed/ecuprobe.exe" --version | tr -d '\r' | grep -qx "ecuprobe $version" ||
  fail "ecuprobe.exe --version"
run "$installed/ecuprobe-cli.exe" --simulate live --count 3 | tr -d '\r' >"$work/live"
[ "$(grep -c 'Обороты (FREQ):' "$work/live")" = 3 ] || fail "ecuprobe-cli.exe --simulate live --count 3"

echo "== uninstall.exe /S"
run "$installed/uninstall.exe" /S
settle
[ ! -e "$installed" ] || fail "Program Files\\ECUPROBE is still there: $(ls -A "$installed")"
[ ! -e "$start_menu" ] || fail "ECUPROBE is still in the Start menu"
for key in "$uninstall_key" 'HKCR\.tdm' 'HKCR\ECUPROBE.Document' 'HKCR\ECUPROBE.Run'; do
  ! registry "$key" >/dev/null || fail "$key is still in the registry"
done
for extension in .dmp .dma .dmm; do
  ! registry "HKCR\\$extension\\OpenWithProgids" /v ECUPROBE.Run >/dev/null ||
    fail "$extension still opens in the window"
done
echo "windows-installer-check: ecuprobe-$version-setup.exe installs, runs and uninstalls"
