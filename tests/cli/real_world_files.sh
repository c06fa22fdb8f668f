#!/usr/bin/env bash
# tempyra-cli on the files of an ordinary music library, made at test time:
# - other formats (ffmpeg and sox: FLAC, Ogg Vorbis, MP4/M4A, WebM, Matroska
#   holding MP3, WMA, RF64, AIFF, AIFF-C, AAC), as they are and renamed to
#   .mp3, are decoded by FFmpeg and get the tempo of the WAVE they were made
#   from; a folder walk takes them by their extensions;
# - MP3 in WAV as ffmpeg writes it (a LIST chunk before the data) decodes to
#   the MP3's own PCM and tempo;
# - damaged tags in front of an MP3 (Python writes them: an ID3v2 size
#   without the 7-bit encoding before a picture full of frame headers, an
#   APEv2 tag) change nothing of its PCM or tempo;
# - zero padding after the last frame does not make a file broken off;
# - a free-format stream fails with a reason that names free format.
#
#   real_world_files.sh TEMPYRA_CLI TEMPYRA_DRUMGEN
set -uo pipefail
cli=$1
drumgen=$2
for tool in lame ffmpeg sox python3; do
  command -v "$tool" > /dev/null || { echo "$tool is missing (make test installs it)"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
ff() { ffmpeg -nostdin -loglevel error -y "$@"; }

# 40 seconds of drums at 128 BPM, and the same with 6 seconds of silence
# after it (a variable bit rate then ends in the shortest frames).
"$drumgen" "$work/loop.wav" 128 40 44100 house || fail "drumgen"
sox "$work/loop.wav" "$work/loop_silence.wav" pad 0 6 || fail "sox pad"
lame --quiet -b 128 "$work/loop.wav" "$work/ref.mp3" || fail "lame"
lame --quiet -V 2 "$work/loop_silence.wav" "$work/vbr.mp3" || fail "lame -V 2"
tempo_of() { "$cli" analyze --quiet "$1" | cut -f1; }
pcm_of() { "$cli" decode "$1" 2> /dev/null | sha256sum | cut -c1-64; }
ref_tempo=$(tempo_of "$work/ref.mp3")
ref_pcm=$(pcm_of "$work/ref.mp3")
vbr_tempo=$(tempo_of "$work/vbr.mp3")
echo "reference: $ref_tempo BPM (CBR), $vbr_tempo BPM (VBR)"
case "$ref_tempo" in failed | "") fail "the reference MP3 gives no tempo";; esac
case "$vbr_tempo" in failed | "") fail "the VBR MP3 gives no tempo";; esac

# Other formats: no tempo, and the reason says what the file is.
mkdir "$work/other"
o=$work/other
ff -i "$work/loop.wav" "$o/loop.flac"
ff -i "$work/loop.wav" -c:a libvorbis "$o/loop.ogg"
ff -i "$work/loop.wav" -c:a aac "$o/loop.m4a"
ff -i "$work/loop.wav" -c:a aac -f adts "$o/loop.aac"
ff -i "$work/loop.wav" -c:a libopus "$o/loop.webm"
ff -i "$work/ref.mp3" -c:a copy "$o/mp3_inside.mka"
ff -i "$work/loop.wav" -c:a wmav2 "$o/loop.wma"
ff -i "$work/loop.wav" -rf64 always "$o/loop_rf64.wav"
sox "$work/loop.wav" "$o/loop.aiff"
sox "$work/loop.wav" "$o/loop.aifc"
for f in "$o"/*; do cp "$f" "$f.mp3"; done
# The tempo of the WAVE itself, to the detector's resolution (Opus in WebM
# is decoded at 48 kHz).
wave_tempo=$(tempo_of "$work/loop.wav")
near_wave() { awk -v a="$1" -v b="$wave_tempo" 'BEGIN { d = a - b; exit !(d < 0.3 && d > -0.3) }'; }
"$cli" analyze --jobs 2 "$o"/* > "$work/out" 2> "$work/err"
[ $? -eq 0 ] || fail "other formats: exit status not 0: $(cat "$work/err")"
[ "$(wc -l < "$work/out")" -eq 20 ] || fail "other formats: $(wc -l < "$work/out") lines, not 20"
while IFS=$'\t' read -r tempo path; do
  near_wave "$tempo" || fail "$(basename "$path"): $tempo BPM, the WAVE gives $wave_tempo"
done < "$work/out"
# A folder walk takes them by their extensions: all but the Matroska and
# WebM files (.mka, .webm), whose extensions it does not take.
"$cli" analyze --quiet "$o" > "$work/walked" || fail "the folder walk: $(cat "$work/walked")"
[ "$(wc -l < "$work/walked")" -eq 18 ] || fail "folder walk: $(wc -l < "$work/walked") files, not 18"
grep -qE '\.(mka|webm)$' "$work/walked" && fail "the walk took a Matroska or WebM file"

# MP3 in WAV with a LIST chunk: ffmpeg leaves out lame's tag frame, which
# decodes to one frame of silence; the rest is the MP3's own PCM.
ff -i "$work/ref.mp3" -c:a copy "$work/mp3_in.wav"
"$cli" decode "$work/mp3_in.wav" -o "$work/wav.raw" 2> "$work/err" || fail "MP3 in WAV: $(cat "$work/err")"
"$cli" decode "$work/ref.mp3" -o "$work/ref.raw" 2> /dev/null
tail -c +4609 "$work/ref.raw" | cmp -s - "$work/wav.raw" || fail "MP3 in WAV decodes differently"
[ "$(tempo_of "$work/mp3_in.wav")" = "$ref_tempo" ] || fail "MP3 in WAV: $(tempo_of "$work/mp3_in.wav")"

# Damaged tags in front of the MP3.
python3 - "$work/ref.mp3" "$work" <<'EOF'
import random, struct, sys
mp3, work = open(sys.argv[1], "rb").read(), sys.argv[2]
rng = random.Random(10)
# A "picture": random bytes with the stream's own frame header planted in
# it every 5000 bytes, none followed by another header at its length.
picture = bytearray(rng.randbytes(60000))
for at in range(1000, len(picture) - 4, 5000):
    picture[at:at + 4] = mp3[mp3.index(b"\xff\xfb"):][:4]
apic = b"\x00image/jpeg\x00\x03\x00" + bytes(picture)
frame = b"APIC" + struct.pack(">I", len(apic)) + b"\x00\x00" + apic
# ID3v2.3 with its size as a plain 32-bit number, as old taggers wrote it:
# read seven bits a byte, it ends inside the picture.
plain = b"ID3\x03\x00\x00" + struct.pack(">I", len(frame)) + frame
assert max(plain[6:10]) >= 0x80  # not a size the seven-bit reading accepts
open(work + "/id3_plain_size.mp3", "wb").write(plain + mp3)
# An APEv2 tag in front, with a binary cover item of the same picture.
item = struct.pack("<II", len(picture), 2) + b"Cover Art (Front)\x00" + bytes(picture)
footer = b"APETAGEX" + struct.pack("<IIII", 2000, len(item) + 32, 1, 0x80000000) + bytes(8)
header = b"APETAGEX" + struct.pack("<IIII", 2000, len(item) + 32, 1, 0xA0000000) + bytes(8)
open(work + "/ape_in_front.mp3", "wb").write(header + item + footer + mp3)
EOF
for f in id3_plain_size ape_in_front; do
  [ "$(pcm_of "$work/$f.mp3")" = "$ref_pcm" ] || fail "$f.mp3 decodes differently from the MP3 alone"
  [ "$(tempo_of "$work/$f.mp3")" = "$ref_tempo" ] || fail "$f.mp3: $(tempo_of "$work/$f.mp3")"
done

# Zero padding after the last frame: 10 % after a constant bit rate, 3 %
# after a variable one that ends in its shortest frames.
{ cat "$work/ref.mp3"; head -c $(($(stat -c %s "$work/ref.mp3") / 10)) /dev/zero; } > "$work/padded.mp3"
{ cat "$work/vbr.mp3"; head -c $(($(stat -c %s "$work/vbr.mp3") * 3 / 100)) /dev/zero; } > "$work/vbr_padded.mp3"
[ "$(tempo_of "$work/padded.mp3")" = "$ref_tempo" ] || fail "padded.mp3: $(tempo_of "$work/padded.mp3")"
[ "$(tempo_of "$work/vbr_padded.mp3")" = "$vbr_tempo" ] || fail "vbr_padded.mp3: $(tempo_of "$work/vbr_padded.mp3")"

# Free format.
lame --quiet --freeformat -b 320 "$work/loop.wav" "$work/free.mp3" || fail "lame --freeformat"
"$cli" analyze "$work/free.mp3" > /dev/null 2> "$work/err"
grep -qxF "tempyra-cli: $work/free.mp3: free-format MPEG audio is not supported" "$work/err" ||
  fail "free format: $(cat "$work/err")"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all real-world file checks passed"
