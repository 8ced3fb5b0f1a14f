#!/usr/bin/env bash
# Runs each libFuzzer target of a fuzz build for a short, bounded time; any crash
# fails the run and leaves its input under <build dir>/fuzz-artifacts.
# Usage: fuzz/run.sh <build dir>    (FUZZ_SECONDS overrides the time per target)
set -euo pipefail

build="${1:?usage: fuzz/run.sh <build dir>}"
seconds="${FUZZ_SECONDS:-25}"
here="$(cd "$(dirname "$0")" && pwd)"
artifacts="$build/fuzz-artifacts"
mkdir -p "$artifacts"

status=0
for fuzzer in receive_fuzzer feed_byte_fuzzer; do
  binary="$build/fuzz/$fuzzer"
  if [ ! -x "$binary" ]; then
    echo "fuzz: $binary is missing; build the fuzz preset first" >&2
    exit 2
  fi
  # New inputs go into the build's working corpus; the checked-in seeds only feed it.
  corpus="$build/fuzz-corpus/$fuzzer"
  mkdir -p "$corpus"
  log="$build/$fuzzer.log"
  echo "fuzz: $fuzzer for ${seconds}s (log: $log)"
  if "$binary" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$artifacts/$fuzzer-" \
      "$corpus" "$here/corpus/$fuzzer" >"$log" 2>&1; then
    grep -E '^Done [0-9]+ runs' "$log" | sed "s/^/fuzz: $fuzzer: /" || true
  else
    tail -n 40 "$log" >&2
    echo "fuzz: $fuzzer failed; the input is in $artifacts" >&2
    status=1
  fi
done
exit "$status"
