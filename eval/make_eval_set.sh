#!/usr/bin/env bash
# Regenerates the tempo evaluation set from Debian packages and our own tools
# (nothing is downloaded), into OUT_DIR, with OUT_DIR/truth.tsv listing each
# file, its true tempo and its kind.
#
#   eval/make_eval_set.sh BUILD_DIR OUT_DIR
#
# Two kinds of track, all MP3 (lame) at several rates and bit rates:
#   synthetic  tempyra-patterngen's drum, bass and chord patterns at tempi
#              with two decimals: four-to-the-floor, breakbeats, swung and
#              shuffled sixteenths, syncopation, a house track whose kick
#              drops out for eight bars in every sixteen, 3/4 and 6/8;
#   real       tunes from the ABC examples of Debian's abcmidi and abcm2ps
#              packages, rendered at a known tempo by abc2midi and timidity
#              (freepats), once as written and once with a drum part on the
#              metre's beats, then sped up or slowed down by sox by up to 3 %
#              so that the true tempi are not whole numbers. The beat is the
#              quarter note, in 3/8, 6/8, 9/8 and 12/8 the dotted quarter.
# The set is made again only when this script, abc_tune.py or the pattern
# generator changed.
set -euo pipefail
build=$(cd "$1" && pwd)
out=$2
here=$(cd "$(dirname "$0")" && pwd)
gen="$build/tools/patterngen/tempyra-patterngen"
stamp=$(cat "$here/make_eval_set.sh" "$here/abc_tune.py" "$gen" | sha256sum | cut -c1-16)
if [ -s "$out/truth.tsv" ] && [ "$(cat "$out/.stamp" 2>/dev/null)" = "$stamp" ]; then
  echo "evaluation set up to date: $out"
  exit 0
fi
rm -rf "$out"
mkdir -p "$out"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
truth="$tmp/truth.tsv"
: > "$truth"

# A number in [low, high) from a name, with two decimals, the same every time.
pick() {
  local h
  h=$(printf '%s' "$1" | cksum | cut -d' ' -f1)
  awk -v h="$h" -v lo="$2" -v hi="$3" 'BEGIN { printf "%.2f", lo + (hi - lo) * (h % 100000) / 100000 }'
}

# lame options by turn: rate, channels and bit rate vary over the set.
encodings=("--resample 44.1 -b 192" "--resample 48 -m m -b 96" "--resample 44.1 -V 4"
           "--resample 32 -m j -b 128" "--resample 44.1 -m s -b 256")
turn=0
encode() {  # WAV MP3
  # shellcheck disable=SC2086
  lame --quiet ${encodings[$((turn % ${#encodings[@]}))]} "$1" "$2"
  turn=$((turn + 1))
}

# Synthetic patterns: style, tempo range, how many.
while read -r style low high count; do
  for k in $(seq 1 "$count"); do
    name="syn-$style-$k"
    bpm=$(pick "$name" "$low" "$high")
    seconds=$(pick "$name-length" 40 150 | cut -d. -f1)
    "$gen" "$tmp/x.wav" "$style" "$bpm" "$seconds" 44100 "$((k + 7000))"
    encode "$tmp/x.wav" "$out/$name.mp3"
    printf '%s.mp3\t%s\tsynthetic\n' "$name" "$bpm" >> "$truth"
  done
done <<'STYLES'
house      118 132 5
techno     124 148 5
breakbeat  92  140 5
dnb        160 178 5
hiphop     80  100 5
shuffle    90  160 5
breakdown  118 132 5
waltz      90  180 5
sixeight   55  100 5
dembow     88  102 5
STYLES

# Real music: ABC tunes that last at least about half a minute. Tune, its
# number in the file, and the range of its beat's tempo.
render_tune() {  # ABC X TEMPO SPEED NAME [drums]
  python3 "$here/abc_tune.py" "$1" "$2" "$3" 1 "${6:-}" > "$tmp/t.abc" 2> /dev/null
  abc2midi "$tmp/t.abc" -o "$tmp/t.mid" > /dev/null 2>&1
  timidity -c /etc/timidity/freepats.cfg -Ow -s 44100 -o "$tmp/t.wav" "$tmp/t.mid" > /dev/null 2>&1
  sox "$tmp/t.wav" "$tmp/s.wav" speed "$4" rate 44100
  encode "$tmp/s.wav" "$out/$5.mp3"
  awk -v t="$3" -v s="$4" -v n="$5" 'BEGIN { printf "%s.mp3\t%.4f\treal\n", n, t * s }' >> "$truth"
}
examples=/usr/share/doc
while read -r file x low high; do
  base="abc-$(basename "$file" .abc)-$x"
  for variant in plain drums; do
    name="$base-$variant"
    tempo=$(pick "$name" "$low" "$high" | cut -d. -f1)
    speed=$(pick "$name-speed" 0.97 1.03)
    render_tune "$examples/$file" "$x" "$tempo" "$speed" "$name" \
      "$([ $variant = drums ] && echo drums)"
  done
done <<'TUNES'
abcmidi/examples/araber.abc        47  80 130
abcmidi/examples/baym_rebin.abc    63  80 130
abcmidi/examples/boys.abc          3   90 120
abcmidi/examples/coleraine.abc     8   90 120
abcmidi/examples/demo.abc          1   90 140
abcmidi/examples/demo.abc          2   90 140
abcmidi/examples/demo.abc          3   90 120
abcmidi/examples/demo.abc          4   90 130
abcmidi/examples/demo.abc          5   90 140
abcmidi/examples/demo.abc          6   90 140
abcmidi/examples/demo.abc          7   90 130
abcmidi/examples/demo.abc          8   90 140
abcmidi/examples/demo.abc          10  90 140
abcmidi/examples/dergasn.abc       145 60 100
abcm2ps/examples/accordion.abc     3   90 110
abcm2ps/examples/accordion.abc     51  90 110
abcm2ps/examples/chinese.abc       1   70 120
abcm2ps/examples/newfeatures.abc   6   80 100
abcm2ps/examples/sample.abc        4   80 100
abcm2ps/examples/sample2.abc       3   80 110
abcm2ps/examples/sample4.abc       2   80 110
abcm2ps/examples/sample5.abc       1   80 140
TUNES

sort "$truth" > "$out/truth.tsv"
echo "$stamp" > "$out/.stamp"
echo "evaluation set: $(wc -l < "$out/truth.tsv") files in $out"
