#!/usr/bin/env bash
# tempyra-cli analyze --write-tag and --skip-tagged end to end, checked with
# programs we did not write: every analysed MP3 ends with a TBPM that ffprobe
# reads, its other tags as ffprobe read them before, its picture and its
# decoded audio (mpg123) as before. A failed analysis, a read-only file, a
# full file system, a read-only file system and a writer killed mid-way all
# leave the file as it was.
#
#   tags_end_to_end.sh TEMPYRA_CLI TEMPYRA_BEATGEN
set -uo pipefail
cli=$1
beatgen=$2
for tool in lame ffmpeg ffprobe mpg123; do
  if ! command -v "$tool" >/dev/null; then
    echo "$tool is missing (make test installs it)"
    exit 77
  fi
done
work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

tbpm() { ffprobe -v error -show_entries format_tags=TBPM -of default=nw=1:nk=1 "$1"; }
# Every tag but TBPM, as ffprobe reads it.
other_tags() { ffprobe -v error -show_entries format_tags -of default=nw=1 "$1" | grep -v '^TAG:TBPM=' | sort; }
pcm_sum() { mpg123 -q -s "$1" 2>/dev/null | md5sum; }
picture_sum() { ffmpeg -v error -i "$1" -map 0:v -c copy -f md5 - 2>/dev/null; }
# The rounded tempo of a text line's first field ("119.77" -> "120").
rounded() { awk -v t="$1" 'BEGIN { printf "%.0f", t }'; }

music="$work/music"
mkdir -p "$music/sub"
"$beatgen" "$work/beats.wav" 44100 22050 2690100 1 >/dev/null || fail "beatgen"
"$beatgen" "$work/short.wav" 44100 22050 441000 1 >/dev/null || fail "beatgen short"
ffmpeg -v error -f lavfi -i color=blue:s=32x32 -frames:v 1 "$work/cover.png" </dev/null ||
  fail "ffmpeg picture"
lame --quiet -b 128 "$work/beats.wav" "$music/plain.mp3"
lame --quiet -b 160 --id3v2-only --tt "Title" --ta "Artist" --tl "Album" --ty 2001 \
  --tc "comment" --tg Techno --ti "$work/cover.png" "$work/beats.wav" "$music/v23 picture.mp3"
lame --quiet -b 128 --id3v1-only --tt "Old Title" --ta "Old Artist" "$work/beats.wav" "$music/v1.mp3"
lame --quiet -V 2 --add-id3v2 --pad-id3v2-size 512 --tt "Both" --tv TBPM=0 "$work/beats.wav" \
  "$music/sub/both.mp3"
ffmpeg -v error -i "$music/plain.mp3" -c copy -id3v2_version 4 -metadata title="Four" \
  -metadata artist="Ffmpeg" "$music/sub/v24.mp3" </dev/null || fail "ffmpeg v2.4"
lame --quiet -b 128 --tt "Too short" "$work/short.wav" "$music/short.mp3"
mp3s=("$music/plain.mp3" "$music/v23 picture.mp3" "$music/v1.mp3" "$music/sub/both.mp3"
  "$music/sub/v24.mp3")

declare -A tags_before pcm_before picture_before
for f in "${mp3s[@]}"; do
  tags_before[$f]=$(other_tags "$f")
  pcm_before[$f]=$(pcm_sum "$f")
  picture_before[$f]=$(picture_sum "$f")
done
cp "$music/short.mp3" "$work/short.before"

# One run over the folder: the short file fails and is left alone (exit 1).
out=$("$cli" analyze --quiet --write-tag "$music")
status=$?
[ "$status" -eq 1 ] || fail "exit status $status with a failed file, not 1"
for f in "${mp3s[@]}"; do
  bpm=$(printf '%s\n' "$out" | awk -F'\t' -v p="$f" '$2 == p { print $1 }')
  [ -n "$bpm" ] && [ "$bpm" != failed ] || { fail "$f not analysed: $out"; continue; }
  got=$(tbpm "$f")
  echo "$(basename "$f"): measured $bpm, ffprobe reads TBPM $got"
  [ "$got" = "$(rounded "$bpm")" ] || fail "$f: TBPM $got, measured $bpm"
  # No tag lost or changed. Some may appear: lame's comment frame, which
  # ffprobe rejects (a byte-order mark it does not take), reads once TagLib
  # has written it again, and a new ID3v2 tag repeats the ID3v1 tag's fields.
  lost=$(comm -23 <(printf '%s\n' "${tags_before[$f]}") <(other_tags "$f"))
  [ -z "$lost" ] || fail "$f: tags lost or changed: $lost"
  [ "$(pcm_sum "$f")" = "${pcm_before[$f]}" ] || fail "$f: decoded audio changed"
  [ "$(picture_sum "$f")" = "${picture_before[$f]}" ] || fail "$f: picture changed"
done
[ -n "$(picture_sum "$music/v23 picture.mp3")" ] || fail "no picture to compare"
other_tags "$music/v1.mp3" | grep -q '^TAG:title=Old Title$' || fail "ID3v1 title not repeated"
cmp -s "$music/short.mp3" "$work/short.before" || fail "a failed analysis changed its file"
leftover=$(find "$music" -name '.*tempyra-*')
[ -z "$leftover" ] || fail "temporary files left: $leftover"

# --skip-tagged: the tagged files give their tag's tempo, status "tagged",
# in every format; the untagged short file is analysed (and fails).
json=$("$cli" analyze --quiet --skip-tagged --format json "$music")
[ "$(printf '%s\n' "$json" | grep -c '"status":"tagged"')" -eq 5 ] || fail "json: $json"
printf '%s\n' "$json" | grep -q '"path":"'"$music"'/plain.mp3","bpm":120.00,"status":"tagged"' ||
  fail "json value: $json"
text=$("$cli" analyze --quiet --skip-tagged "$music/sub/v24.mp3")
[ "$text" = "120.00	$music/sub/v24.mp3" ] || fail "text: $text"
csv=$("$cli" analyze --quiet --skip-tagged --format csv "$music/v1.mp3" | tail -n 1)
case "$csv" in "$music/v1.mp3,120.00,tagged,"*) ;; *) fail "csv: $csv" ;; esac

# Decimals on request; a hundredths tag ("12000") is read as 120.00.
cp "$music/plain.mp3" "$work/decimals.mp3"
out=$("$cli" analyze --quiet --write-tag --tag-decimals 2 --format json "$work/decimals.mp3")
bpm=$(printf '%s\n' "$out" | sed -n 's/.*"bpm":\([0-9.]*\).*/\1/p')
[ "$(tbpm "$work/decimals.mp3")" = "$bpm" ] || fail "two decimals: $(tbpm "$work/decimals.mp3") / $out"
printf '%s\n' "$out" | grep -q "\"tag\":\"$bpm\"" || fail "json tag: $out"
lame --quiet -b 128 --id3v2-only --tv TBPM=12000 "$work/short.wav" "$work/hundredths.mp3"
text=$("$cli" analyze --quiet --skip-tagged "$work/hundredths.mp3")
[ "$text" = "120.00	$work/hundredths.mp3" ] || fail "hundredths: $text"

# A read-only file: a clear reason, exit status 1, the file as it was.
lame --quiet -b 128 "$work/beats.wav" "$work/locked.mp3"
chmod 444 "$work/locked.mp3"
cp "$work/locked.mp3" "$work/locked.before"
"$cli" analyze --write-tag "$work/locked.mp3" >/dev/null 2>"$work/err"
status=$?
[ "$status" -eq 1 ] || fail "read-only file: exit status $status"
grep -q 'cannot write the BPM tag: the file is read-only' "$work/err" || fail "reason: $(cat "$work/err")"
json=$("$cli" analyze --quiet --write-tag --format json "$work/locked.mp3")
printf '%s\n' "$json" | grep -q '"status":"ok".*"tag_error":"the file is read-only"' ||
  fail "json for a tag not written: $json"
cmp -s "$work/locked.mp3" "$work/locked.before" || fail "read-only file changed"

# A file with a second hard link is tagged through its own inode: both
# names read the tag, and no backup is left beside it.
lame --quiet -b 128 --id3v2-only --tt "Linked" "$work/beats.wav" "$work/linked.mp3"
ln "$work/linked.mp3" "$work/linked.other"
inode=$(stat -c %i "$work/linked.mp3")
"$cli" analyze --quiet --write-tag "$work/linked.mp3" >/dev/null || fail "hard link: not tagged"
[ "$(stat -c %i:%h "$work/linked.mp3")" = "$inode:2" ] || fail "hard link split: $(stat -c %i:%h "$work/linked.mp3")"
[ -n "$(tbpm "$work/linked.other")" ] || fail "the other link has no TBPM"
ls -a "$work" | grep -q 'tempyra-backup' && fail "a backup was left: $(ls -a "$work")"

# Other formats get the tempo in their own field: FLAC's Vorbis comment
# BPM (ffprobe reads it) and M4A's tmpo (read back by --skip-tagged); their
# audio decodes as before.
mkdir "$work/formats"
ffmpeg -v error -i "$work/beats.wav" "$work/formats/beats.flac" </dev/null || fail "ffmpeg flac"
ffmpeg -v error -i "$work/beats.wav" -c:a aac "$work/formats/beats.m4a" </dev/null || fail "ffmpeg m4a"
flac_audio=$(ffmpeg -v error -i "$work/formats/beats.flac" -f md5 - </dev/null)
m4a_audio=$(ffmpeg -v error -i "$work/formats/beats.m4a" -f md5 - </dev/null)
out=$("$cli" analyze --quiet --write-tag --tag-decimals 1 "$work/formats") || fail "formats: $out"
flac_bpm=$(printf '%s\n' "$out" | grep 'beats.flac$' | cut -f1)
[ "$(ffprobe -v error -show_entries format_tags=BPM -of default=nw=1:nk=1 "$work/formats/beats.flac")" = \
  "$(awk -v t="$flac_bpm" 'BEGIN { printf "%.1f", t }')" ] || fail "FLAC BPM field"
[ "$(ffmpeg -v error -i "$work/formats/beats.flac" -f md5 - </dev/null)" = "$flac_audio" ] ||
  fail "FLAC audio changed"
[ "$(ffmpeg -v error -i "$work/formats/beats.m4a" -f md5 - </dev/null)" = "$m4a_audio" ] ||
  fail "M4A audio changed"
tagged=$("$cli" analyze --quiet --skip-tagged --format csv "$work/formats/beats.m4a")
m4a_bpm=$(printf '%s\n' "$out" | grep 'beats.m4a$' | cut -f1)
printf '%s\n' "$tagged" | grep -qx "$work/formats/beats.m4a,$(rounded "$m4a_bpm").00,tagged,0.000," ||
  fail "M4A tmpo not read back: $tagged"

# A writer killed mid-way (the file size limit's signal, SIGXFSZ, once the
# copy grows past the original's size) leaves the original whole.
lame --quiet -b 128 --id3v2-only --tt "Killed" "$work/beats.wav" "$work/killed.mp3"
cp "$work/killed.mp3" "$work/killed.before"
blocks=$(($(stat -c %s "$work/killed.mp3") / 1024 + 1))
(ulimit -c 0 -f "$blocks" && exec "$cli" analyze --quiet --write-tag "$work/killed.mp3") >/dev/null 2>&1
status=$?
[ "$status" -eq $((128 + 25)) ] || fail "the writer was not killed by SIGXFSZ: status $status"
cmp -s "$work/killed.mp3" "$work/killed.before" || fail "a killed writer damaged the file"

# A full and a read-only file system: a small tmpfs in a mount namespace of
# our own (it goes with the process). Skipped where mounting is not allowed.
if unshare -m true 2>/dev/null; then
  lame --quiet -b 128 --id3v2-only --tt "Full" "$work/beats.wav" "$work/full.mp3"
  lame --quiet -b 128 --id3v2-only --pad-id3v2-size 512 --tt "Padded" "$work/beats.wav" \
    "$work/padded.mp3"
  mkdir "$work/mnt"
  unshare -m bash -s "$cli" "$work" <<'INNER' >"$work/fs.log" 2>&1
set -u
cli=$1
work=$2
mnt=$work/mnt
mount -t tmpfs -o size=3m tmpfs "$mnt" || { echo "FAIL: cannot mount"; exit 1; }
cp "$work/full.mp3" "$work/padded.mp3" "$mnt/"
# Fill what is left: no room for a copy of the file.
dd if=/dev/zero of="$mnt/filler" bs=64k 2>/dev/null
"$cli" analyze --write-tag "$mnt/full.mp3" >/dev/null 2>"$mnt/../full.err"
echo "full status $?"
cmp -s "$mnt/full.mp3" "$work/full.mp3" && echo "full unchanged"
ls -A "$mnt"
# A tag that fits in its padding needs no room.
"$cli" analyze --quiet --write-tag "$mnt/padded.mp3" >/dev/null && echo "padded written"
ffprobe -v error -show_entries format_tags=TBPM -of default=nw=1:nk=1 "$mnt/padded.mp3"
mount -o remount,ro "$mnt"
cp "$mnt/full.mp3" "$work/full.ro"
"$cli" analyze --write-tag "$mnt/full.mp3" >/dev/null 2>"$mnt/../ro.err"
echo "ro status $?"
cmp -s "$mnt/full.mp3" "$work/full.ro" && echo "ro unchanged"
INNER
  cat "$work/fs.log"
  grep -q '^full status 1$' "$work/fs.log" || fail "full file system: $(cat "$work/fs.log")"
  grep -q '^full unchanged$' "$work/fs.log" || fail "full file system changed the file"
  grep -q 'No space left on device' "$work/full.err" || fail "full reason: $(cat "$work/full.err")"
  grep -q 'tempyra-' "$work/fs.log" && fail "temporary file left on the full file system"
  grep -q '^padded written$' "$work/fs.log" || fail "padded tag not written on a full file system"
  grep -q '^ro status 1$' "$work/fs.log" || fail "read-only file system: $(cat "$work/fs.log")"
  grep -q '^ro unchanged$' "$work/fs.log" || fail "read-only file system changed the file"
  grep -q 'read-only' "$work/ro.err" || fail "read-only reason: $(cat "$work/ro.err")"
else
  echo "note: no mount namespace here; the full and read-only file system checks were skipped"
fi

"$cli" analyze --tag-decimals 1 x >/dev/null 2>&1
[ $? -eq 2 ] || fail "--tag-decimals without --write-tag is not a usage error"
"$cli" analyze --write-tag --tag-decimals 3 x >/dev/null 2>&1
[ $? -eq 2 ] || fail "--tag-decimals 3 is not a usage error"
"$cli" analyze --help | grep -q -- '--skip-tagged' || fail "--help does not name --skip-tagged"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all tag checks passed"
