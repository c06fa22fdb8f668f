#!/usr/bin/env bash
# tempyra-cli under load: a folder of COUNT (default 500) good and damaged
# files.
#   - one line per file, in byte order of the paths, the same answers with
#     --jobs 2 as with --jobs 1, exit status 1 and one reason per failed file;
#   - every copy of a good track gives the track's tempo, and what cannot be
#     analysed (empty, one byte, text, a tag that hides the stream) fails;
#   - with HEAP_PEAK_LIB (a malloc counter for LD_PRELOAD), the peak heap does
#     not grow with the length of a file (a 33-second track against the same
#     track 60 times over) nor, beyond the list of names, with the number of
#     files (50 against 500).
#
#   cli_load.sh TEMPYRA_CLI TEMPYRA_DRUMGEN WORK_DIR COUNT [HEAP_PEAK_LIB]
set -uo pipefail
cli=$1
drumgen=$2
work=$3
count=$4
heaplib=${5:-}
here=$(cd "$(dirname "$0")" && pwd)
set_dir="$work/set"
"$here/make_load_folder.sh" "$set_dir" "$drumgen" "$count" > /dev/null
status=$?
[ "$status" -eq 77 ] && exit 77
[ "$status" -eq 0 ] || { echo "making the folder failed"; exit 1; }

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# What a folder search must find: regular files with an audio name, in byte
# order of their paths (the pipe is not a regular file; x.mp3 is a folder).
find "$set_dir" -type f \( -iname '*.mp3' -o -iname '*.mp2' -o -iname '*.wav' \) |
  LC_ALL=C sort > "$work/expected_paths"
[ "$(wc -l < "$work/expected_paths")" -eq "$count" ] ||
  fail "the folder holds $(wc -l < "$work/expected_paths") audio files, not $count"

for jobs in 1 2; do
  "$cli" analyze --jobs "$jobs" "$set_dir" > "$work/out$jobs" 2> "$work/err$jobs"
  echo $? > "$work/status$jobs"
done
for jobs in 1 2; do
  [ "$(cat "$work/status$jobs")" -eq 1 ] || fail "--jobs $jobs exit status $(cat "$work/status$jobs"), not 1"
  cut -f2 "$work/out$jobs" | cmp -s - "$work/expected_paths" ||
    fail "--jobs $jobs: the lines are not one per file in path order"
  failed=$(cut -f1 "$work/out$jobs" | grep -c '^failed$')
  reasons=$(grep -c "^tempyra-cli: $set_dir/" "$work/err$jobs")
  [ "$failed" -eq "$reasons" ] || fail "--jobs $jobs: $failed failed lines but $reasons reasons"
done
cmp -s "$work/out1" "$work/out2" || fail "--jobs 2 answers differently from --jobs 1: $(diff "$work/out1" "$work/out2" | head -5)"

answer() { awk -F'\t' -v p="$set_dir/$1" '$2 == p { print $1 }' "$work/out1"; }
for base in a_mpeg2_mono.mp3 b_mpeg2_joint.mp3 c_mpeg1_mono.mp3 d_layer2.mp2 e_pcm.wav; do
  tempo=$(answer "good/$base")
  [ -n "$tempo" ] && [ "$tempo" != failed ] || fail "good/$base: $tempo"
  stem=${base%.*}
  ext=${base##*.}
  for copy in "$set_dir/good/${stem}"_copy*; do
    [ "$(answer "good/$(basename "$copy")")" = "$tempo" ] || fail "$(basename "$copy") differs"
  done
done
for name in junk/empty1.mp3 junk/one1.mp3 junk/text1.mp3 junk/header1.mp3 junk/video.wav \
            broken/id3_past_end.mp3 cut/a_mpeg2_mono_cut10.mp3; do
  [ "$(answer "$name")" = failed ] || fail "$name gives $(answer "$name"), not failed"
done
[ "$(answer broken/id3_ok.mp3)" = "$(answer good/a_mpeg2_mono.mp3)" ] || fail "a well-formed tag changes the answer"
[ "$(answer x.mp3/inner.mp3)" = "$(answer good/a_mpeg2_mono.mp3)" ] || fail "the file in the folder x.mp3"
echo "$count files: $(grep -vc '^failed' "$work/out1") tempi, $(grep -c '^failed' "$work/out1") failed, the same with --jobs 2"

if [ -n "$heaplib" ]; then
  peak() {  # peak heap bytes of one tempyra-cli analyze run
    HEAP_PEAK_FILE="$work/peak" LD_PRELOAD="$heaplib" "$cli" analyze --quiet "$@" > /dev/null 2>&1
    cat "$work/peak"
  }
  mkdir -p "$work/long" "$work/fifty"
  track="$set_dir/good/c_mpeg1_mono.mp3"
  for _ in $(seq 60); do cat "$track"; done > "$work/long/long.mp3"
  short=$(peak --jobs 1 "$track")
  long=$(peak --jobs 1 "$work/long/long.mp3")
  echo "peak heap: 33 s track $short bytes, 33 min track $long bytes"
  [ "$long" -le $((short + 65536)) ] || fail "the heap grows with the length of a file: $short -> $long bytes"
  [ "$long" -le $((4 * 1024 * 1024)) ] || fail "a long file needs $long bytes of heap"

  LC_ALL=C sort "$work/expected_paths" | head -n 50 | while read -r path; do
    cp -p "$path" "$work/fifty/$(printf '%s' "${path#"$set_dir"/}" | tr / _)" 2> /dev/null || true
  done
  few=$(peak --jobs 2 "$work/fifty")
  many=$(peak --jobs 2 "$set_dir")
  per_file=$(( (many - few) / (count > 50 ? count - 50 : 1) ))
  echo "peak heap with --jobs 2: 50 files $few bytes, $count files $many bytes ($per_file bytes more per file)"
  [ "$per_file" -le 1024 ] || fail "the heap grows by $per_file bytes per file"
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all load checks passed"
