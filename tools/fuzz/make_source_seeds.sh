#!/usr/bin/env bash
# Makes the seed corpus of the source fuzzer (fuzz/seeds/source/): short
# stretches of real encoder output (lame for Layer III at all three MPEG
# versions, CBR and VBR with its "Xing" tag, with lame's own ID3 tags;
# twolame for Layer II; the project's Layer I encoder when a build folder is
# given), each behind the fuzzer's layout byte, so that every layout starts
# from audio that decodes. See fuzz/source_fuzzer.cpp for the layout byte.
# The seeds are committed; run this again only to change them.
#
#   tools/fuzz/make_source_seeds.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-}
out="$root/fuzz/seeds/source"
mkdir -p "$out"
rm -f "$out"/*
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Half a second of a chord with a click on every beat: tonal and transient.
ffmpeg -loglevel error -f lavfi \
  -i "sine=frequency=220:duration=0.5:sample_rate=44100,volume=0.4" \
  -f lavfi -i "sine=frequency=331:duration=0.5:sample_rate=44100:beep_factor=4,volume=0.4" \
  -filter_complex "[0][1]amerge=inputs=2" -ac 2 "$tmp/in.wav"

# seed NAME LAYOUT_BYTE FILE [MAX_BYTES]: the layout byte, then the file's
# first MAX_BYTES bytes (default 4000).
seed() {
  local name=$1 layout=$2 file=$3 max=${4:-4000}
  { printf "\\x$layout"; head -c "$max" "$file"; } > "$out/$name"
}

lame --quiet -b 128 "$tmp/in.wav" "$tmp/l3_44k.mp3"
lame --quiet -V 6 "$tmp/in.wav" "$tmp/l3_vbr.mp3"
lame --quiet -m m -b 32 --resample 24 "$tmp/in.wav" "$tmp/l3_24k.mp3"
lame --quiet -m j -b 24 --resample 16 "$tmp/in.wav" "$tmp/l3_16k.mp3"
lame --quiet -m m -b 8 --resample 8 "$tmp/in.wav" "$tmp/l3_8k.mp3"
lame --quiet -b 64 -p "$tmp/in.wav" "$tmp/l3_crc.mp3"
lame --quiet -b 40 --add-id3v2 --pad-id3v2-size 64 --tt Seed --ta Tempyra "$tmp/in.wav" "$tmp/l3_id3.mp3"
lame --quiet -b 40 --id3v1-only --tt Seed --ta Tempyra "$tmp/in.wav" "$tmp/l3_id3v1.mp3"
twolame --quiet -b 96 "$tmp/in.wav" "$tmp/l2_44k.mp2"
ffmpeg -loglevel error -i "$tmp/in.wav" -ac 1 -ar 24000 "$tmp/mono24.wav"
twolame --quiet -m m -b 32 "$tmp/mono24.wav" "$tmp/l2_24k.mp2"

seed raw_l3_44k_128k       00 "$tmp/l3_44k.mp3"
seed raw_l3_vbr_xing       00 "$tmp/l3_vbr.mp3"
seed raw_l3_24k_mono       00 "$tmp/l3_24k.mp3"
seed raw_l3_16k_joint_tag1 08 "$tmp/l3_16k.mp3"
seed raw_l3_8k_mpeg25      00 "$tmp/l3_8k.mp3" 2000
seed raw_l3_crc            00 "$tmp/l3_crc.mp3"
seed raw_l3_lame_id3v2     00 "$tmp/l3_id3.mp3" 3000
tail -c 1500 "$tmp/l3_id3v1.mp3" > "$tmp/l3_id3v1_tail.mp3"
seed raw_l3_lame_id3v1     00 "$tmp/l3_id3v1_tail.mp3"
seed raw_l2_44k            00 "$tmp/l2_44k.mp2"
seed raw_l2_24k_mono       00 "$tmp/l2_24k.mp2"
# The ID3v2 layout: two size bytes and a flags byte follow the layout byte.
{ printf '\x01\x01\x01\x10'; head -c 3000 "$tmp/l3_44k.mp3"; } > "$out/id3v2_footer_257"
{ printf '\x01\x00\x40\x00'; head -c 3000 "$tmp/l3_vbr.mp3"; } > "$out/id3v2_plain_64"
seed id3v2_past_the_end    11 "$tmp/l3_44k.mp3" 1500
seed wave_fact_at_50       02 "$tmp/l3_44k.mp3"
seed wave_fact_at_52       0b "$tmp/l3_24k.mp3"
seed wave_data_at_50       04 "$tmp/l2_44k.mp2"
seed rmp3                  05 "$tmp/l3_vbr.mp3"
seed riff_other_format     26 "$tmp/l3_44k.mp3" 1000
seed wave_list_chunk       e7 "$tmp/l3_44k.mp3"

if [ -n "$build" ] && [ -x "$build/tools/layer1enc/tempyra-layer1enc" ]; then
  "$build/tools/layer1enc/tempyra-layer1enc" --bitrate 192 "$tmp/in.wav" "$tmp/l1.mp1"
  seed raw_l1_44k 00 "$tmp/l1.mp1"
fi
ls -l "$out"
