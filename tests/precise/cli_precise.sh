#!/usr/bin/env bash
# tempyra-cli analyze --precise end to end: the demo tracks at their tempi,
# folding, the json confidence (only with --precise), short files that the
# standard estimate cannot measure, and failures reported as failures.
#
#   cli_precise.sh TEMPYRA_CLI TEMPYRA_PATTERNGEN DEMO_DIR
set -uo pipefail
cli=$1
patterngen=$2
demo=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
near() { awk -v a="$1" -v b="$2" -v d="$3" 'BEGIN { x = a - b; if (x < 0) x = -x; exit !(x <= d) }'; }

# The demo tracks, in the order given, each at its own tempo.
out=$("$cli" analyze --quiet --precise "$demo/house-128bpm.mp3" "$demo/steady-140bpm.mp3" \
  "$demo/breaks-174bpm.mp3") || fail "exit status $? on the demo tracks"
echo "$out"
set -- 128 140 174
while IFS=$'\t' read -r bpm path; do
  near "$bpm" "$1" 0.015 || fail "$path: $bpm, not $1"
  shift
done <<< "$out"

# Folding applies to the precise value: 174 halves to 87 under 120.
folded=$("$cli" analyze --quiet --precise --max-tempo 120 "$demo/breaks-174bpm.mp3" | cut -f1)
near "$folded" 87.0 0.01 || fail "folded: $folded"
folded=$("$cli" analyze --quiet --precise --min-tempo 100 "$demo/house-128bpm.mp3" | cut -f1)
near "$folded" 128.0 0.01 || fail "not to be folded: $folded"

# json: a confidence in [0, 1] with --precise, none without.
json=$("$cli" analyze --quiet --precise --format json "$demo/house-128bpm.mp3")
echo "$json"
confidence=$(printf '%s' "$json" | sed -n 's/.*"confidence":\([0-9.]*\).*/\1/p')
[ -n "$confidence" ] || fail "no confidence: $json"
awk -v c="${confidence:-2}" 'BEGIN { exit !(c >= 0 && c <= 1) }' || fail "confidence $confidence"
# The runner-up level: another tempo, its confidence in [0, 1], and none
# when a range leaves no room for another level.
alternative=$(printf '%s' "$json" | sed -n 's/.*"alternative":\([0-9.]*\),.*/\1/p')
alt_confidence=$(printf '%s' "$json" | sed -n 's/.*"alternative_confidence":\([0-9.]*\).*/\1/p')
[ -n "$alternative" ] && [ -n "$alt_confidence" ] || fail "no alternative: $json"
near "${alternative:-128}" 128 5 && fail "alternative $alternative at the chosen level"
awk -v c="${alt_confidence:-2}" 'BEGIN { exit !(c >= 0 && c <= 1) }' ||
  fail "alternative confidence $alt_confidence"
json=$("$cli" analyze --quiet --precise --format json --min-tempo 100 --max-tempo 150 \
  "$demo/house-128bpm.mp3")
case "$json" in *'"alternative":'*)
  alternative=$(printf '%s' "$json" | sed -n 's/.*"alternative":\([0-9.]*\),.*/\1/p')
  awk -v a="$alternative" 'BEGIN { exit !(a >= 100 && a <= 150) }' || fail "unfolded: $json" ;;
esac
json=$("$cli" analyze --quiet --format json "$demo/house-128bpm.mp3")
case "$json" in *confidence*) fail "confidence without --precise: $json" ;; esac
case "$json" in *alternative*) fail "alternative without --precise: $json" ;; esac

# Twelve seconds: too short for the standard estimate, enough for this one.
"$patterngen" "$work/short.wav" house 124.6 12 44100 3 || fail "patterngen"
short=$("$cli" analyze --quiet --precise "$work/short.wav" | cut -f1)
near "$short" 124.6 0.05 || fail "12 s at 124.6: $short"
"$cli" analyze --quiet "$work/short.wav" > /dev/null && fail "the standard estimate measured 12 s"

# Silence and a file that is no audio fail, with a reason, exit status 1.
printf 'RIFF' > "$work/bad.mp3"
# 20 s of mono 16-bit silence at 44100 Hz: 1764000 data bytes.
{
  printf 'RIFF\xc4\xea\x1a\x00WAVEfmt \x10\x00\x00\x00\x01\x00\x01\x00'
  printf '\x44\xac\x00\x00\x88\x58\x01\x00\x02\x00\x10\x00data\xa0\xea\x1a\x00'
  head -c 1764000 /dev/zero
} > "$work/silent.wav"
out=$("$cli" analyze --precise "$work/bad.mp3" "$work/silent.wav" 2> "$work/err")
status=$?
[ "$status" -eq 1 ] || fail "exit status $status with failures, not 1"
[ "$(printf '%s\n' "$out" | cut -f1 | grep -c '^failed$')" -eq 2 ] || fail "two failures: $out"
grep -q 'no steady beat' "$work/err" || fail "reason for silence: $(cat "$work/err")"

"$cli" analyze --help | grep -q -- '--precise' || fail "--precise not in the usage"
[ "$failures" -eq 0 ] || exit 1
echo "all passed"
