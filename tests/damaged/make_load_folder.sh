#!/usr/bin/env bash
# Makes a DJ's folder of COUNT audio files, good and damaged, for the load
# test of tempyra-cli and the damaged-input benchmark: five 33-second tracks
# (lame Layer III at 22050 Hz mono and stereo and 44100 Hz mono, twolame
# Layer II at 32000 Hz, a PCM WAV) with 12 copies of each (2 when COUNT is
# under 400; COUNT must be at least 130); truncated copies at
# many lengths, zero-filled tails, runs of 0x00 and 0xFF, bit flips,
# splices of different layers and rates, an ID3v2 tag whose size points past
# the end; empty, one-byte, text and random files. Besides the COUNT files
# the folder holds a named pipe called pipe.mp3 and a folder called x.mp3
# (whose one file is among the COUNT), which a folder search must pass over
# and into.
#
#   make_load_folder.sh DIR TEMPYRA_DRUMGEN COUNT
set -euo pipefail
dir=$1
drumgen=$2
count=$3
for tool in lame twolame; do
  command -v "$tool" > /dev/null || { echo "$tool is missing (make test installs it)"; exit 77; }
done
rm -rf "$dir"
mkdir -p "$dir/good" "$dir/cut" "$dir/broken/deeper" "$dir/junk" "$dir/x.mp3"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

"$drumgen" "$tmp/a.wav" 128 33 22050 house
"$drumgen" "$tmp/b.wav" 96 33 22050 breaks
"$drumgen" "$tmp/c.wav" 140 33 44100 steady
"$drumgen" "$tmp/d.wav" 174 33 32000 breaks
"$drumgen" "$tmp/e.wav" 120 33 8000 house
lame --quiet -m m -b 32 "$tmp/a.wav" "$dir/good/a_mpeg2_mono.mp3"
lame --quiet -m j -b 48 "$tmp/b.wav" "$dir/good/b_mpeg2_joint.mp3"
lame --quiet -m m -b 40 "$tmp/c.wav" "$dir/good/c_mpeg1_mono.mp3"
twolame --quiet -m m -b 64 "$tmp/d.wav" "$dir/good/d_layer2.mp2"
cp "$tmp/e.wav" "$dir/good/e_pcm.wav"
bases=("$dir"/good/*)
copies=$([ "$count" -ge 400 ] && echo 12 || echo 2)

files=0
made() { files=$((files + 1)); }
for base in "${bases[@]}"; do made; done

size_of() { stat -c %s "$1"; }
# flip FILE OFFSET MASK: xor one byte in place.
flip() {
  local value
  value=$(od -An -tu1 -j "$2" -N1 "$1" | tr -d ' ')
  printf "\\$(printf %03o $((value ^ $3)))" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none
}
# run FILL LENGTH: LENGTH bytes of 0x00 or 0xFF.
run() {
  if [ "$1" = 00 ]; then head -c "$2" /dev/zero; else head -c "$2" /dev/zero | tr '\0' '\377'; fi
}
# noise SEED LENGTH: reproducible random bytes.
noise() {
  LC_ALL=C awk -v seed="$1" -v n="$2" 'BEGIN { srand(seed); for (i = 0; i < n; i++) printf "%c", int(rand() * 256) }'
}

for base in "${bases[@]}"; do
  name=$(basename "$base")
  stem=${name%.*}
  ext=${name##*.}
  size=$(size_of "$base")
  for copy in $(seq "$copies"); do cp "$base" "$dir/good/${stem}_copy$copy.$ext"; made; done
  for percent in 1 10 50 90 97; do
    head -c $((size * percent / 100)) "$base" > "$dir/cut/${stem}_cut$percent.$ext"; made
  done
  for at in 1 2 3 100 419; do
    head -c "$at" "$base" > "$dir/cut/${stem}_head$at.$ext"; made
  done
  for percent in 3 30; do
    { head -c $((size - size * percent / 100)) "$base"; run 00 $((size * percent / 100)); } \
      > "$dir/broken/${stem}_zerotail$percent.$ext"; made
  done
  for fill in 00 ff; do
    { head -c $((size * 2 / 5)) "$base"; run "$fill" 5000; tail -c +$((size * 2 / 5 + 1)) "$base"; } \
      > "$dir/broken/${stem}_run$fill.$ext"; made
  done
  for flips in 1 10 100; do
    out="$dir/broken/deeper/${stem}_flips$flips.$ext"
    cp "$base" "$out"
    for i in $(seq "$flips"); do flip "$out" $(((i * 7919 + flips * 104729) % size)) $((1 << (i % 8))); done
    made
  done
done

# Splices of layers and rates, and tags.
cat "$dir/good/a_mpeg2_mono.mp3" "$dir/good/d_layer2.mp2" > "$dir/broken/splice_l3_l2.mp3"; made
cat "$dir/good/d_layer2.mp2" "$dir/good/a_mpeg2_mono.mp3" > "$dir/broken/splice_l2_l3.mp3"; made
cat "$dir/good/c_mpeg1_mono.mp3" "$dir/good/b_mpeg2_joint.mp3" > "$dir/broken/splice_rates.mp3"; made
{ printf 'ID3\4\0\0\177\177\177\177'; cat "$dir/good/a_mpeg2_mono.mp3"; } > "$dir/broken/id3_past_end.mp3"; made
{ printf 'ID3\4\0\0\0\0\2\1'; head -c 257 /dev/zero; cat "$dir/good/a_mpeg2_mono.mp3"; } > "$dir/broken/id3_ok.mp3"; made
cp "$dir/good/a_mpeg2_mono.mp3" "$dir/x.mp3/inner.mp3"; made
cp "$dir/good/c_mpeg1_mono.mp3" "$dir/broken/unreadable.mp3"; chmod 000 "$dir/broken/unreadable.mp3"; made
mkfifo "$dir/pipe.mp3"

# Junk under audio names.
for i in 1 2 3; do
  : > "$dir/junk/empty$i.mp3"; made
  printf '\377' > "$dir/junk/one$i.mp3"; made
  printf 'This is not audio at all, only text under an audio name.\n' > "$dir/junk/text$i.mp3"; made
  head -c 4 "$dir/good/a_mpeg2_mono.mp3" > "$dir/junk/header$i.mp3"; made
done
for i in $(seq 1 8); do noise "$i" $((i * 8192)) > "$dir/junk/noise$i.mp3"; made; done
printf 'RIFF\0\0\0\0AVI LIST' > "$dir/junk/video.wav"; made

# The rest: copies cut at ever other lengths, as partial downloads are.
base="$dir/good/a_mpeg2_mono.mp3"
size=$(size_of "$base")
i=0
while [ "$files" -lt "$count" ]; do
  i=$((i + 1))
  head -c $(((i * 7477) % size + 1)) "$base" > "$dir/cut/partial_$(printf %04d "$i").mp3"; made
done
echo "$files files in $dir"
