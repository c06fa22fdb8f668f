#!/usr/bin/env bash
# Makes the real encoder output the damaged-file tests start from: short
# drum loops from tempyra-drumgen, encoded by Debian's lame (Layer III,
# MPEG-1, MPEG-2 and MPEG-2.5, CBR and VBR, with and without ID3 tags),
# twolame and ffmpeg (Layer II), and, when the tool is given, the project's
# Layer I encoder; and the other formats, by ffmpeg (FLAC, AAC and ALAC in
# M4A, Ogg Vorbis, Opus, AIFF, WMA). The damage itself is done by the tests.
#
#   make_inputs.sh OUT_DIR TEMPYRA_DRUMGEN [TEMPYRA_LAYER1ENC]
#
# Exits 77 (skipped) when an encoder is missing; `make test` installs them.
set -euo pipefail
out=$1
drumgen=$2
layer1enc=${3:-}
for tool in lame twolame ffmpeg; do
  if ! command -v "$tool" > /dev/null; then
    echo "$tool is missing (make test installs it)"
    exit 77
  fi
done
mkdir -p "$out"
# Inputs of this very script are kept from run to run.
stamp=$(cksum < "$0")
if [ "$(cat "$out/done" 2> /dev/null)" = "$stamp" ]; then exit 0; fi
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

"$drumgen" "$tmp/44k.wav" 124 12 44100 house
"$drumgen" "$tmp/44k_short.wav" 124 6 44100 house
"$drumgen" "$tmp/48k.wav" 100 12 48000 breaks
"$drumgen" "$tmp/22k.wav" 140 12 22050 steady

lame --quiet -b 128 --add-id3v2 --pad-id3v2-size 300 --tt Damaged --ta Tempyra \
  "$tmp/44k_short.wav" "$out/l3_44k_tagged.mp3"
lame --quiet -b 128 "$tmp/44k.wav" "$out/l3_44k.mp3"
lame --quiet -V 4 "$tmp/44k.wav" "$out/l3_44k_vbr.mp3"
lame --quiet -b 160 "$tmp/48k.wav" "$out/l3_48k.mp3"
lame --quiet -m m -b 32 "$tmp/22k.wav" "$out/l3_22k_mono.mp3"
lame --quiet -m m -b 16 --resample 8 "$tmp/22k.wav" "$out/l3_8k_mono.mp3"
twolame --quiet -b 192 "$tmp/48k.wav" "$out/l2_48k.mp2"
ffmpeg -loglevel error -y -i "$tmp/44k.wav" -ar 32000 -c:a mp2 -b:a 96k "$out/l2_32k.mp2"
# The formats FFmpeg's libraries decode for us.
ffmpeg -loglevel error -y -i "$tmp/44k.wav" "$out/fmt_44k.flac"
ffmpeg -loglevel error -y -i "$tmp/44k.wav" -c:a aac -b:a 128k "$out/fmt_44k.m4a"
ffmpeg -loglevel error -y -i "$tmp/44k.wav" -c:a alac "$out/fmt_44k_alac.m4a"
ffmpeg -loglevel error -y -i "$tmp/44k.wav" -c:a libvorbis "$out/fmt_44k.ogg"
ffmpeg -loglevel error -y -i "$tmp/48k.wav" -c:a libopus "$out/fmt_48k.opus"
ffmpeg -loglevel error -y -i "$tmp/44k.wav" "$out/fmt_44k.aiff"
ffmpeg -loglevel error -y -i "$tmp/44k.wav" -c:a wmav2 "$out/fmt_44k.wma"
if [ -n "$layer1enc" ] && [ -x "$layer1enc" ]; then
  "$layer1enc" --bitrate 256 "$tmp/44k.wav" "$out/l1_44k.mp1"
fi
echo "$stamp" > "$out/done"
ls -l "$out"
