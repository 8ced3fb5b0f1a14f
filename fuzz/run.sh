#!/usr/bin/env bash
# Runs each libFuzzer target of a fuzz build; any crash fails the run and leaves
# its input under <build dir>/fuzz-artifacts.
#
# Usage: fuzz/run.sh <build dir>          each target for FUZZ_SECONDS (default 10), as CI does
#        fuzz/run.sh <build dir> --long   each target until FUZZ_RUNS executions (default
#                                         ten million); what reaches new code is merged
#                                         into fuzz/corpus/
# The targets run FUZZ_JOBS at a time (default: one per core).
set -euo pipefail

build="${1:?usage: fuzz/run.sh <build dir> [--long]}"
mode="${2:-short}"
seconds="${FUZZ_SECONDS:-10}"
runs="${FUZZ_RUNS:-10000000}"
jobs="${FUZZ_JOBS:-$(nproc)}"
here="$(cd "$(dirname "$0")" && pwd)"
artifacts="$build/fuzz-artifacts"
mkdir -p "$artifacts"

fuzzers=(receive_fuzzer feed_byte_fuzzer trace_reader_fuzzer fault_rule_fuzzer
         monitor_command_fuzzer sim_request_fuzzer sample_file_fuzzer drive_log_fuzzer
         tester_dump_fuzzer)

for fuzzer in "${fuzzers[@]}"; do
  if [ ! -x "$build/fuzz/$fuzzer" ]; then
    echo "fuzz: $build/fuzz/$fuzzer is missing; build the fuzz preset first" >&2
    exit 2
  fi
done

# One target's run; its lines are printed together when it ends, so targets
# running side by side do not interleave.
fuzz_one() {
  local fuzzer="$1" binary="$build/fuzz/$1" log="$build/$1.log"
  # New inputs go into the build's working corpus; the checked-in seeds only feed it.
  local corpus="$build/fuzz-corpus/$fuzzer" seeds="$here/corpus/$fuzzer"
  mkdir -p "$corpus" "$seeds"
  local limit
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
    tail -n 40 "$log"
    echo "fuzz: $fuzzer failed; the input is in $artifacts"
    return 1
  fi
  if [ "$mode" = "--long" ]; then
    # Only inputs that reach code the kept corpus does not are added to it.
    "$binary" -merge=1 "$seeds" "$corpus" >>"$log" 2>&1
    echo "fuzz: $fuzzer: $(ls "$seeds" | wc -l) inputs kept in fuzz/corpus/$fuzzer"
  fi
}

status=0
pids=()
names=()
outputs="$(mktemp -d)"
trap 'rm -rf "$outputs"' EXIT
finish_oldest() {
  if ! wait "${pids[0]}"; then
    status=1
  fi
  cat "$outputs/${names[0]}"
  pids=("${pids[@]:1}")
  names=("${names[@]:1}")
}
for fuzzer in "${fuzzers[@]}"; do
  if [ "${#pids[@]}" -ge "$jobs" ]; then
    finish_oldest
  fi
  fuzz_one "$fuzzer" >"$outputs/$fuzzer" 2>&1 &
  pids+=("$!")
  names+=("$fuzzer")
done
while [ "${#pids[@]}" -gt 0 ]; do
  finish_oldest
done
exit "$status"
