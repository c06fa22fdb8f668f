#!/usr/bin/env bash
# Makes the bundled demo tracks in demo/: drum-and-bass loops at known tempi,
# synthesised by tempyra-drumgen and encoded with Debian's lame. The MP3s are
# committed; run this again only to change them.
#
#   tools/demo/make_demo_tracks.sh BUILD_DIR
set -euo pipefail
build=${1:-build}
gen="$build/tools/drumgen/tempyra-drumgen"
out="$(dirname "$0")/../../demo"
mkdir -p "$out"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# name           tempo seconds rate  style   lame options
while read -r name bpm seconds rate style opts; do
  "$gen" "$tmp/$name.wav" "$bpm" "$seconds" "$rate" "$style"
  # shellcheck disable=SC2086
  lame --quiet $opts "$tmp/$name.wav" "$out/$name.mp3"
done <<'TRACKS'
house-128bpm     128   36   44100 house   -m m -b 40 --resample 44.1
steady-140bpm    140   36   48000 steady  -m m -b 40 --resample 48
breaks-174bpm    174   36   44100 breaks  -m j -b 48 --resample 44.1
TRACKS
ls -l "$out"
