#!/usr/bin/env bash
# The Windows tempyra-cli.exe end to end under 64-bit wine, with the Linux
# program as the reference: exit statuses, --help and --version, names with
# non-ASCII letters (the wide command line), decode into an existing file,
# onto the input itself (also through a hard link) and to standard output in
# binary, write errors, folders (with looping links), and tag writing (read
# back by the Linux program; the audio unchanged; a read-only file refused).
#
#   windows_cli.sh TEMPYRA_CLI.exe LINUX_TEMPYRA_CLI
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
. "$root/tests/support/script_support.sh"
exe=$1
linux=$2
win() { "$root/tools/windows/wine_run.sh" "$exe" "$@"; }
failures=0
checks=0
check() {  # check DESCRIPTION COMMAND...: counts, and reports a failure
  local what=$1
  shift
  checks=$((checks + 1))
  if ! "$@"; then
    echo "FAIL: $what"
    failures=$((failures + 1))
  fi
}

cafe="Café Ωmega"
mkdir -p "$work/$cafe/sub"
cp "$root/demo/house-128bpm.mp3" "$work/$cafe/$cafe.mp3"
cp "$root/demo/steady-140bpm.mp3" "$work/$cafe/sub/steady.mp3"
in="$work/$cafe/$cafe.mp3"

# --help, --version, unknown commands.
win --help > "$work/help" 2>&1
check "--help exits 0" test $? -eq 0
check "--help shows the usage" grep -q "usage: tempyra-cli COMMAND" "$work/help"
check "--version as on Linux" test "$(win --version | tr -d '\r')" = "$("$linux" --version)"
win frobnicate > /dev/null 2>&1
check "an unknown command exits 2" test $? -eq 2
win decode > /dev/null 2>&1
check "decode without a file exits 2" test $? -eq 2

# A non-ASCII name arrives whole, and the tempo is Linux's.
out=$(win analyze --quiet "$in" | tr -d '\r')
check "analyze of a non-ASCII name exits 0 with Linux's tempo" \
  test "$out" = "$("$linux" analyze --quiet "$in")"
win analyze "$work/missing.mp3" > /dev/null 2> "$work/err"
check "a missing file exits 1" test $? -eq 1
check "a missing file says so" grep -q "no such file" "$work/err"

# A folder: every file, with Windows separators below the folder given.
out=$(win analyze --quiet "$work/$cafe" | tr -d '\r' | cut -f2 | sort)
check "a folder lists its files" test "$out" = "$(printf '%s\n' "$work/$cafe\\$cafe.mp3" "$work/$cafe\\sub\\steady.mp3" | sort)"

# Links that loop back (wine shows them as folders, or as reparse points):
# every file once, and the walk ends.
mkdir -p "$work/loop/a/b"
cp "$root/demo/steady-140bpm.mp3" "$work/loop/a/b/x.mp3"
ln -s .. "$work/loop/a/b/up"
ln -s ../a "$work/loop/a/again"
out=$(timeout 120 "$root/tools/windows/wine_run.sh" "$exe" analyze --quiet "$work/loop" | tr -d '\r' | cut -f2)
check "a folder with looping links lists each file once" test "$out" = "$work/loop\\a\\b\\x.mp3"

# decode: into an existing other file, onto itself, to standard output.
"$linux" decode "$in" > "$work/linux.pcm" 2> /dev/null
echo "old" > "$work/out.raw"
win decode "$in" -o "$work/out.raw" 2> "$work/err"
check "decode into an existing file exits 0" test $? -eq 0
check "decode into an existing file writes Linux's PCM" cmp -s "$work/out.raw" "$work/linux.pcm"
win decode "$in" > "$work/stdout.pcm" 2> /dev/null
check "decode to standard output is binary (Linux's PCM)" cmp -s "$work/stdout.pcm" "$work/linux.pcm"
cp "$in" "$work/before.mp3"
win decode "$in" -o "$in" 2> "$work/err"
check "decode onto the input exits 1" test $? -eq 1
check "decode onto the input says why" grep -q "the output is the input file itself" "$work/err"
ln "$in" "$work/link.mp3"
win decode "$in" -o "$work/link.mp3" 2> /dev/null
check "decode onto a hard link of the input exits 1" test $? -eq 1
check "the input is untouched" cmp -s "$in" "$work/before.mp3"
win decode "$in" -o "$work/no such folder/out.raw" 2> "$work/err"
check "decode into a missing folder exits 1" test $? -eq 1
check "decode into a missing folder names the file" grep -q "cannot write" "$work/err"
if [ -w /dev/full ]; then
  win decode "$in" > /dev/full 2> "$work/err"
  check "decode onto a full disk exits 1" test $? -eq 1
  win analyze --quiet "$in" > /dev/full 2> "$work/err"
  check "analyze onto a full disk exits 1" test $? -eq 1
fi

# Tags: written by the Windows program, read by the Linux one, audio kept.
win analyze --quiet --write-tag "$in" > /dev/null 2> "$work/err"
check "writing a tag exits 0 ($(cat "$work/err"))" test $? -eq 0
check "the Linux program reads the tag" \
  test "$("$linux" analyze --quiet --skip-tagged --format csv "$in" | tail -n 1 | cut -d, -f3)" = "tagged"
"$linux" decode "$in" > "$work/tagged.pcm" 2> /dev/null
check "the tagged file's audio is the same" cmp -s "$work/tagged.pcm" "$work/linux.pcm"
check "no temporary file is left" test "$(ls -A "$work/$cafe" | wc -l)" -eq 2
cp "$root/demo/steady-140bpm.mp3" "$work/ro.mp3"
chmod a-w "$work/ro.mp3"
win analyze --write-tag "$work/ro.mp3" > /dev/null 2> "$work/err"
check "a read-only file is not tagged (exit 1)" test $? -eq 1
check "a read-only file says so" grep -q "read-only" "$work/err"
check "a read-only file is unchanged" cmp -s "$work/ro.mp3" "$root/demo/steady-140bpm.mp3"

echo "windows cli: $((checks - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
