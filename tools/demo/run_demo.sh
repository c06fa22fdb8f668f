#!/usr/bin/env bash
# `make demo`: analyses the bundled demo tracks with tempyra-cli and prints
# each measured tempo next to the tempo the track was made at (in its name).
#
#   tools/demo/run_demo.sh TEMPYRA_CLI DEMO_DIR
set -euo pipefail
cli=$1
dir=$2
printf '%-24s %10s %10s\n' "track" "made at" "measured"
"$cli" analyze --quiet "$dir" | while IFS=$'\t' read -r bpm path; do
  name=$(basename "$path")
  made=$(printf '%s' "$name" | sed -n 's/.*-\([0-9][0-9]*\)bpm\..*/\1/p')
  printf '%-24s %10s %10s\n' "$name" "${made:-?}" "$bpm"
done
