#!/usr/bin/env bash
# Runs a cross-built Qt Test program under Wine on the offscreen platform and
# prints its results. Qt Test writes them through OutputDebugString when its
# stdout is not a console, so they go to a file, printed afterwards.
# Usage: wine-qtest.sh PREFIX PROGRAM [ARGS...]
set -uo pipefail

here="$(dirname "$0")"
prefix="$1"
program="$2"
shift 2
results="$(mktemp --suffix=.txt)"
trap 'rm -f "$results"' EXIT

"$here/wine-run.sh" "$prefix" "$program" -platform offscreen -o "$results,txt" "$@"
status=$?
tr -d '\r' <"$results"
exit $status
