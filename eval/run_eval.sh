#!/usr/bin/env bash
# `make eval`: the tempo evaluation. Makes the evaluation set if needed
# (make_eval_set.sh), runs on every file our precise estimator
# (tempyra-cli analyze --precise), our standard estimator (tempyra-cli
# analyze) and three estimators from Debian run as black boxes with their
# own default settings (bpm from bpm-tools, aubio tempo, soundstretch -bpm;
# they read the file as mpg123 decodes it), and prints Acc1, Acc2 and the
# median absolute error of each (score.py).
#
#   eval/run_eval.sh BUILD_DIR [SET_DIR]
set -euo pipefail
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
set_dir=${2:-$build/eval/set}
cli="$build/cli/tempyra-cli"
"$here/make_eval_set.sh" "$build" "$set_dir"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
results="$build/eval/results.tsv"  # kept for a look at single files
mkdir -p "$build/eval"
: > "$results"

cut -f1 "$set_dir/truth.tsv" > "$tmp/files"
paths=()
while read -r f; do paths+=("$set_dir/$f"); done < "$tmp/files"

# Ours: one run over all files each (the output keeps the input order).
"$cli" analyze --quiet --precise "${paths[@]}" | while IFS=$'\t' read -r bpm path; do
  printf 'tempyra --precise\t%s\t%s\n' "$(basename "$path")" "$bpm"
done >> "$results" || true
"$cli" analyze --quiet "${paths[@]}" | while IFS=$'\t' read -r bpm path; do
  printf 'tempyra (default)\t%s\t%s\n' "$(basename "$path")" "$bpm"
done >> "$results" || true

# The peers, file by file, on mpg123's decoding of the same MP3.
while read -r f; do
  mpg123 -q -w "$tmp/x.wav" "$set_dir/$f"
  value=$(sox "$tmp/x.wav" -t raw -r 44100 -e float -c 1 - 2> /dev/null | bpm 2> /dev/null || true)
  printf 'bpm (bpm-tools)\t%s\t%s\n' "$f" "$value" >> "$results"
  value=$(aubio tempo -i "$tmp/x.wav" 2> /dev/null | sed -n 's/^\([0-9.]*\) bpm$/\1/p' | tail -1)
  printf 'aubio tempo\t%s\t%s\n' "$f" "$value" >> "$results"
  value=$(soundstretch "$tmp/x.wav" -bpm 2>&1 | sed -n 's/^Detected BPM rate \([0-9.]*\).*/\1/p')
  printf 'soundstretch -bpm\t%s\t%s\n' "$f" "$value" >> "$results"
done < "$tmp/files"

echo "Tempo evaluation: $(wc -l < "$tmp/files") files in $set_dir"
echo "Acc1: within 4 % of the true tempo; Acc2: within 4 % of 1/3, 1/2, 1, 2 or 3 times it;"
echo "median |err|: median absolute error in BPM over the files within 4 % (Acc1's)."
echo
python3 "$here/score.py" "$set_dir/truth.tsv" "$results"
