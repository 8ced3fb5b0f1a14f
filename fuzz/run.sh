#!/usr/bin/env bash
# Runs each libFuzzer target of a fuzz build; any crash fails the run and leaves
# its input under <build dir>/fuzz-artifacts.
#
# Usage: fuzz/run.sh <build dir>          each target for FUZZ_SECONDS (default 10), as CI does
#        fuzz/run.sh <build dir> --long   each target until FUZZ_RUNS executions (default
#                                         ten million); what reaches new code is merged
#                                         into fuzz/corpus/
set -euo pipefail

build="${1:?usage: fuzz/run.sh <build dir> [--long]}"
mode="${2:-short}"
seconds="${FUZZ_SECONDS:-10}"
runs="${FUZZ_RUNS:-10000000}"
here="$(cd "$(dirname "$0")" && pwd)"
artifacts="$build/fuzz-artifacts"
mkdir -p "$artifacts"

fuzzers=(receive_fuzzer feed_byte_fuzzer trace_reader_fuzzer fault_rule_fuzzer
         monitor_command_fuzzer sim_request_fuzzer sample_file_fuzzer drive_log_fuzzer
         tester_dump_fuzzer)

status=0
for fuzzer in "${fuzzers[@]}"; do
  binary="$build/fuzz/$fuzzer"
  if [ ! -x "$binary" ]; then
    echo "fuzz: $binary is missing; build the fuzz preset first" >&2
    exit 2
  fi
  # New inputs go into the build's working corpus; the checked-in seeds only feed it.
  corpus="$build/fuzz-corpus/$fuzzer"
  seeds="$here/corpus/$fuzzer"
  mkdir -p "$corpus" "$seeds"
  log="$build/$fuzzer.log"
  if [ "$mode" = "--long" ]; then
    limit=(-runs="$runs")
    echo "fuzz: $fuzzer for $runs runs (log: $log)"
  else
    limit=(-max_total_time="$seconds")
    echo "fuzz: $fuzzer for ${seconds}s (log: $log)"
  fi
  if "$binary" "${limit[@]}" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$artifacts/$fuzzer-" "$corpus" "$seeds" >"$log" 2>&1; then
    grep -E '^Done [0-9]+ runs' "$log" | sed "s/^/fuzz: $fuzzer: /" || true
  else
    tail -n 40 "$log" >&2
    echo "fuzz: $fuzzer failed; the input is in $artifacts" >&2
    status=1
    continue
  fi
  if [ "$mode" = "--long" ]; then
    # Only inputs that reach code the kept corpus does not are added to it.
    "$binary" -merge=1 "$seeds" "$corpus" >>"$log" 2>&1
    echo "fuzz: $fuzzer: $(ls "$seeds" | wc -l) inputs kept in fuzz/corpus/$fuzzer"
  fi
done
exit "$status"
