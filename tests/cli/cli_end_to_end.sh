#!/usr/bin/env bash
# End to end through tempyra-cli analyze: synthetic beat streams analysed as
# PCM WAV files and as MP3 files made from them by Debian's lame must agree
# within 0.5 BPM; exit statuses, output order and formats.
#
#   cli_end_to_end.sh TEMPYRA_CLI TEMPYRA_BEATGEN
set -uo pipefail
cli=$1
beatgen=$2
if ! command -v lame >/dev/null; then
  echo "lame is missing (make test installs it)"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

bpm_of() { "$cli" analyze --quiet "$1" | cut -f1; }
near() { awk -v a="$1" -v b="$2" -v d="$3" 'BEGIN { x = a - b; if (x < 0) x = -x; exit !(x <= d) }'; }

# name rate interval total expected-from-PCM
while read -r name rate interval total expected; do
  "$beatgen" "$work/$name.wav" "$rate" "$interval" "$total" 1 || fail "beatgen $name"
  lame --quiet -b 128 "$work/$name.wav" "$work/$name.mp3" || fail "lame $name"
  pcm=$(bpm_of "$work/$name.wav")
  mp3=$(bpm_of "$work/$name.mp3")
  echo "$name: PCM $pcm, MP3 $mp3 (made to read $expected)"
  near "$pcm" "$expected" 0.005 || fail "$name: PCM gives $pcm, not $expected"
  near "$mp3" "$pcm" 0.5 || fail "$name: MP3 gives $mp3, PCM $pcm"
done <<'STREAMS'
beats120 44100 22050 2690100 119.77
beats90  44100 29400 2690100 179.60
beats120_48k 48000 24000 2928000 119.76
STREAMS

# Folding: 179.60 halves to 89.80 under a maximum of 120.
folded=$("$cli" analyze --quiet --max-tempo 120 "$work/beats90.mp3" | cut -f1)
near "$folded" 89.80 0.3 || fail "folding gives $folded"

# Exit statuses and order: a failing file among good ones, in the order given.
: > "$work/empty.mp3"
printf 'not audio at all' > "$work/text.mp3"
out=$("$cli" analyze --jobs 2 "$work/beats120.mp3" "$work/empty.mp3" "$work/beats90.wav" \
  "$work/text.mp3" "$work/missing.mp3" 2> "$work/err")
status=$?
[ "$status" -eq 1 ] || fail "exit status $status with failed files, not 1"
expected_order="$work/beats120.mp3
$work/empty.mp3
$work/beats90.wav
$work/text.mp3
$work/missing.mp3"
[ "$(printf '%s\n' "$out" | cut -f2)" = "$expected_order" ] || fail "output order: $out"
[ "$(printf '%s\n' "$out" | cut -f1 | grep -c '^failed$')" -eq 3 ] || fail "three failures expected: $out"
[ "$(wc -l < "$work/err")" -eq 3 ] || fail "one reason line per failed file: $(cat "$work/err")"
grep -q 'text.mp3: not MPEG audio (no MPEG audio frames found)' "$work/err" || fail "reason for text.mp3: $(cat "$work/err")"

"$cli" analyze --quiet "$work/beats120.wav" > /dev/null || fail "exit status for success not 0"

# The progress display goes to standard error only when that is a terminal:
# none above (a file), one under script(1)'s pseudo-terminal, none with --quiet.
grep -q $'\r' "$work/err" && fail "progress written to a standard error that is not a terminal"
if command -v script > /dev/null; then
  script -qec "'$cli' analyze '$work/beats120.mp3' '$work/text.mp3'" /dev/null > "$work/tty" 2>&1
  grep -q '\[0/2\] .*beats120.mp3' "$work/tty" || fail "no progress on a terminal: $(cat -v "$work/tty")"
  grep -q '\[1/2\] .*text.mp3' "$work/tty" || fail "progress does not name the current file: $(cat -v "$work/tty")"
  script -qec "'$cli' analyze --quiet '$work/beats120.mp3'" /dev/null > "$work/tty" 2>&1
  grep -q '\[0/1\]' "$work/tty" && fail "progress despite --quiet: $(cat -v "$work/tty")"
fi
"$cli" analyze --jobs 0 x > /dev/null 2>&1
[ $? -eq 2 ] || fail "usage error does not exit 2"

# The same answers with one job and with two, over a folder.
a=$("$cli" analyze --quiet --jobs 1 "$work")
b=$("$cli" analyze --quiet --jobs 2 "$work")
[ "$a" = "$b" ] || fail "--jobs 1 and --jobs 2 differ"

json=$("$cli" analyze --quiet --format json "$work/beats120.mp3")
[[ $json == *'"status":"ok"'* ]] || fail "json: $json"
[[ $json == *'"sample_rate":44100'* ]] || fail "json: $json"
csv=$("$cli" analyze --quiet --format csv "$work/beats120.wav" | tail -n 1)
[[ $csv =~ ,ok,61\.00[0-9],44100$ ]] || fail "csv: $csv"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all end-to-end checks passed"
