#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzzing build: first over its saved
# regressions (each input once), then for SECONDS seconds from its seeds.
# The targets run side by side, so the whole run takes about SECONDS
# seconds however many targets there are; each one's summary is printed
# when all have ended, in the order of the names.
#
#   tools/fuzz/run_fuzzers.sh BUILD_DIR SECONDS [NAME...]
#
# The growing corpus stays in BUILD_DIR/fuzz-corpus/NAME, so later runs go
# on where earlier ones stopped. A crash, leak, time-out or sanitizer report
# fails the run; the input that caused it is saved under
# BUILD_DIR/fuzz-artifacts/ and printed in base64 so that it can be taken
# from a CI log into fuzz/regressions/NAME/ once the fault is fixed.
# Options for one target (such as -max_len=65536) go on one line in
# fuzz/NAME_fuzzer.options.
set -uo pipefail

build=${1:?build folder}
seconds=${2:?seconds per target}
shift 2
root=$(cd "$(dirname "$0")/../.." && pwd)

names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  for binary in "$build"/fuzzers/*_fuzzer; do
    [ -x "$binary" ] && names+=("$(basename "$binary" _fuzzer)")
  done
fi
if [ ${#names[@]} -eq 0 ]; then
  echo "run_fuzzers: no fuzz targets in $build/fuzzers" >&2
  exit 1
fi

mkdir -p "$build/fuzz-artifacts" "$build/fuzz-logs"
status=0

report_failure() {
  local name=$1 log=$2
  echo "FUZZ FAILURE in $name; the last lines of $log:" >&2
  tail -n 40 "$log" >&2
  for artifact in "$build/fuzz-artifacts/$name"-*; do
    [ -f "$artifact" ] || continue
    local size
    size=$(stat -c %s "$artifact")
    echo "reproducer $artifact ($size bytes)" >&2
    if [ "$size" -le 65536 ]; then
      echo "base64 (decode with: base64 -d > fuzz/regressions/$name/NAME):" >&2
      base64 -w 76 "$artifact" >&2
    fi
  done
}

fuzz_target() {
  local name=$1
  binary="$build/fuzzers/${name}_fuzzer"
  if [ ! -x "$binary" ]; then
    echo "run_fuzzers: $binary is missing" >&2
    return 1
  fi
  options=()
  if [ -f "$root/fuzz/${name}_fuzzer.options" ]; then
    read -r -a options < "$root/fuzz/${name}_fuzzer.options"
  fi
  rm -f "$build/fuzz-artifacts/$name"-*

  # Saved regressions: every file once.
  regressions="$root/fuzz/regressions/$name"
  if [ -d "$regressions" ] && [ -n "$(ls -A "$regressions")" ]; then
    log="$build/fuzz-logs/$name-regressions.log"
    if ! "$binary" "${options[@]}" -runs=1 \
        -artifact_prefix="$build/fuzz-artifacts/$name-" "$regressions"/* > "$log" 2>&1; then
      report_failure "$name" "$log"
      return 1
    fi
    echo "$name: $(ls "$regressions" | wc -l) regression inputs pass"
  fi

  # Fuzzing from the seeds; new inputs go into the build's corpus.
  corpus="$build/fuzz-corpus/$name"
  mkdir -p "$corpus"
  seeds=()
  [ -d "$root/fuzz/seeds/$name" ] && seeds=("$root/fuzz/seeds/$name")
  log="$build/fuzz-logs/$name.log"
  if "$binary" "${options[@]}" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$build/fuzz-artifacts/$name-" \
      "$corpus" "${seeds[@]}" > "$log" 2>&1; then
    runs=$(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$')
    cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1)
    echo "$name: ${seconds} s, ${runs:-?} inputs, ${cov:-cov: ?}, corpus $(ls "$corpus" | wc -l) files"
  else
    report_failure "$name" "$log"
    return 1
  fi
}

pids=()
for name in "${names[@]}"; do
  fuzz_target "$name" > "$build/fuzz-logs/$name.summary" 2>&1 &
  pids+=($!)
done
for i in "${!names[@]}"; do
  wait "${pids[$i]}" || status=1
  cat "$build/fuzz-logs/${names[$i]}.summary"
done
exit $status
