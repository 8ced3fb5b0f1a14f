#!/usr/bin/env bash
# ecuprobe-cli.exe through the real Win32 serial calls, under Wine: COM5 of the
# Windows build's Wine prefix is a link to the pseudo-terminal of an ecu-sim,
# and live and monitor run against it, then the window's console (where the
# Windows build has the window); then live on the simulator inside the tester.
# Usage: wine_com_port_test.sh ECU_SIM WINE_RUN WINDOWS_BUILD
# Exits 77 (skipped) where Wine or the Windows build is missing.
set -uo pipefail

sim="$1"
wine_run="$2"
exe="$3/src/cli/ecuprobe-cli.exe"
prefix="$3/wine"

if [ ! -x /usr/lib/wine/wine64 ]; then
  echo "SKIP: no wine64 (/usr/lib/wine/wine64); scripts/bootstrap.sh installs it"
  exit 77
fi
if [ ! -f "$exe" ]; then
  echo "SKIP: $exe is not built; make windows builds it"
  exit 77
fi

work="$(mktemp -d)"
link="$prefix/dosdevices/com5"
cleanup() {
  exec 3>&- 2>/dev/null
  [ -n "${sim_pid:-}" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  rm -f "$link"
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $1"
  for f in "$work"/*.out "$work"/*.err; do
    [ -f "$f" ] && { echo "--- $f"; cat "$f"; }
  done
  exit 1
}

# The prefix exists (its first start takes about 20 s) before COM5 is put in it.
timeout 120 "$wine_run" "$prefix" "$exe" --help >/dev/null 2>&1 || fail "ecuprobe-cli.exe --help"

# The simulator keeps running while its stdin stays open.
mkfifo "$work/sim-in"
"$sim" --pacing <"$work/sim-in" >"$work/sim.out" 2>"$work/sim.err" &
sim_pid=$!
exec 3>"$work/sim-in"
for _ in $(seq 100); do
  grep -q '^READY ' "$work/sim.out" && break
  sleep 0.1
done
pty="$(sed -n 's/^READY //p' "$work/sim.out")"
[ -n "$pty" ] || fail "ecu-sim did not start"
ln -sfn "$pty" "$link"

timeout 60 "$wine_run" "$prefix" "$exe" --port COM5 live --count 3 \
  >"$work/live.out" 2>"$work/live.err" || fail "live on COM5 ended with $?"
[ "$(grep -c '^=== Чтение [123]: ЭБУ Микас 5.4. ===' "$work/live.out")" = 3 ] ||
  fail "live on COM5 did not print three reads"
grep -q '^Обороты (FREQ): *[0-9]* об/мин' "$work/live.out" || fail "live on COM5 printed no speed"

{ sleep 4; echo help; sleep 3; echo quit; } |
  timeout 60 "$wine_run" "$prefix" "$exe" --port COM5 monitor --period 0 \
    >"$work/monitor.out" 2>"$work/monitor.err" || fail "monitor on COM5 ended with $?"
grep -q 'Commands (one per line, between polls):' "$work/monitor.out" ||
  fail "monitor on COM5 did not answer help"
grep -q 'Обороты' "$work/monitor.out" || fail "monitor on COM5 showed no live values"

# The window's console through "Начать" to live values and closed again, on
# Qt's offscreen platform with Qt's DLLs from the build.
console_test="$3/autotests/gui/wine_console_tests.exe"
if [ -f "$console_test" ]; then
  qt_bin="$(dirname "$(ls "$3"/*/bin/Qt6Core.dll | head -1)")"
  WINEPATH="Z:${qt_bin//\//\\}" timeout 120 "$(dirname "$wine_run")/wine-qtest.sh" "$prefix" \
    "$console_test" >"$work/console.out" 2>"$work/console.err" ||
    fail "the window's console on COM5 ended with $?"
fi

# No car and no pseudo-terminals on Windows: the simulator runs inside the tester.
timeout 60 "$wine_run" "$prefix" "$exe" --simulate live --count 3 \
  >"$work/simulated.out" 2>"$work/simulated.err" || fail "live on the simulator ended with $?"
[ "$(grep -c '^=== Чтение [123]: ЭБУ Микас 5.4. ===' "$work/simulated.out")" = 3 ] ||
  fail "live on the simulator did not print three reads"
echo "PASS: live, monitor and the console on COM5 through Wine's serial port, live on the simulator inside"
