#!/usr/bin/env bash
# The Windows tempyra-cli.exe (under 64-bit wine) against the Linux
# tempyra-cli built from the same tree, file by file:
#   - PCM: `decode FILE` to standard output (the Windows program's in binary
#     mode), byte for byte;
#   - tempo: `analyze` and `analyze --precise`, each file's value to the
#     hundredth (or both "failed");
#   - speed: the Windows program's time for the whole set over the Linux
#     program's, both run here one after the other.
# The files: the demo tracks, the compliance streams beside the repository
# (../shared/iso-vectors, or TEMPYRA_ISO_VECTORS, when present), real encoders' output made by
# tests/damaged/make_inputs.sh (lame, twolame, ffmpeg), and damaged copies
# of some of those (cut, garbage inside, zeroed blocks).
#
#   compare_with_linux.sh WINDOWS_CLI.exe LINUX_BUILD
#
# Needs WINEPREFIX (run_wine_tests.sh sets it). Prints one line per
# difference and "N passed, N failed" per check; exits 1 on any difference.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
windows_cli=$1
linux_build=$2
linux_cli=$linux_build/cli/tempyra-cli
drumgen=$linux_build/tools/drumgen/tempyra-drumgen
layer1enc=$linux_build/tools/layer1enc/tempyra-layer1enc
wine="$here/wine_run.sh"

for program in "$windows_cli" "$linux_cli"; do
  [ -x "$program" ] || { echo "compare_with_linux.sh: no program at $program"; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# 3000 bytes of noise, the same in every run.
garbage() {
  LC_ALL=C awk 'BEGIN { srand(7); for (i = 0; i < 3000; i++) printf "%c", int(rand() * 256) }'
}

# The set.
files=()
for f in "$root"/demo/*.mp3; do files+=("$f"); done
vectors=${TEMPYRA_ISO_VECTORS:-$root/../shared/iso-vectors}
if [ -d "$vectors" ]; then
  for f in "$vectors"/*.bit; do files+=("$f"); done
else
  echo "no compliance streams at $vectors: compared without them"
fi
if [ -x "$drumgen" ] && "$root/tests/damaged/make_inputs.sh" "$work/made" "$drumgen" \
  "$([ -x "$layer1enc" ] && echo "$layer1enc")" > "$work/made.log" 2>&1; then
  for f in "$work"/made/*.mp[123]; do files+=("$f"); done
  # Damaged copies: cut in a frame, garbage in the middle, a zeroed block.
  mkdir -p "$work/damaged"
  for f in "$work"/made/l3_44k.mp3 "$work"/made/l2_48k.mp2 "$work"/made/l3_44k_vbr.mp3; do
    [ -f "$f" ] || continue
    name=$(basename "$f")
    size=$(stat -c %s "$f")
    head -c $((size * 2 / 3 + 17)) "$f" > "$work/damaged/cut_$name"
    { head -c $((size / 2)) "$f"; garbage; tail -c +$((size / 2)) "$f"; } \
      > "$work/damaged/garbage_$name"
    cp "$f" "$work/damaged/zeroed_$name"
    dd if=/dev/zero of="$work/damaged/zeroed_$name" bs=1 seek=$((size / 3)) count=2000 \
      conv=notrunc status=none
    files+=("$work/damaged/cut_$name" "$work/damaged/garbage_$name" "$work/damaged/zeroed_$name")
  done
else
  echo "the encoders' files could not be made (see below): compared without them"
  cat "$work/made.log"
fi
echo "${#files[@]} files"

# PCM, file by file.
pcm_same=0 pcm_differ=0
for f in "${files[@]}"; do
  "$linux_cli" decode "$f" > "$work/linux.pcm" 2> "$work/linux.err"
  linux_status=$?
  "$wine" "$windows_cli" decode "$f" > "$work/windows.pcm" 2> "$work/windows.err"
  windows_status=$?
  if [ "$linux_status" -eq "$windows_status" ] && cmp -s "$work/linux.pcm" "$work/windows.pcm"; then
    pcm_same=$((pcm_same + 1))
  else
    pcm_differ=$((pcm_differ + 1))
    echo "PCM differs: $f (exit $linux_status / $windows_status, $(stat -c %s "$work/linux.pcm") / $(stat -c %s "$work/windows.pcm") bytes)"
  fi
done
echo "pcm: $pcm_same passed, $pcm_differ failed"

# Tempi, the whole set in one run per program and estimator, timed.
now() { date +%s.%N; }
tempo_differ=0 tempo_same=0
linux_seconds=0 windows_seconds=0
for options in "" "--precise"; do
  start=$(now)
  # shellcheck disable=SC2086
  "$linux_cli" analyze --quiet --jobs 1 $options "${files[@]}" | cut -f1 > "$work/linux.bpm"
  middle=$(now)
  # shellcheck disable=SC2086
  "$wine" "$windows_cli" analyze --quiet --jobs 1 $options "${files[@]}" | tr -d '\r' |
    cut -f1 > "$work/windows.bpm"
  end=$(now)
  linux_seconds=$(awk -v t="$linux_seconds" -v a="$start" -v b="$middle" 'BEGIN { print t + b - a }')
  windows_seconds=$(awk -v t="$windows_seconds" -v a="$middle" -v b="$end" 'BEGIN { print t + b - a }')
  i=0
  while IFS= read -r linux_bpm <&3 && IFS= read -r windows_bpm <&4; do
    if [ "$linux_bpm" = "$windows_bpm" ]; then
      tempo_same=$((tempo_same + 1))
    else
      tempo_differ=$((tempo_differ + 1))
      echo "tempo differs${options:+ ($options)}: ${files[$i]}: Linux $linux_bpm, Windows $windows_bpm"
    fi
    i=$((i + 1))
  done 3< "$work/linux.bpm" 4< "$work/windows.bpm"
  if [ "$i" -ne "${#files[@]}" ]; then
    tempo_differ=$((tempo_differ + 1))
    echo "tempo${options:+ ($options)}: $i results of ${#files[@]} files"
  fi
done
echo "tempo: $tempo_same passed, $tempo_differ failed"
awk -v l="$linux_seconds" -v w="$windows_seconds" 'BEGIN {
  printf "analysis time (both estimators, whole set): Linux %.2f s, Windows under wine %.2f s, ratio %.2f\n", l, w, w / l }'
[ "$pcm_differ" -eq 0 ] && [ "$tempo_differ" -eq 0 ]
