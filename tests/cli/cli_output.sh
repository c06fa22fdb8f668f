#!/usr/bin/env bash
# tempyra-cli's output is never lost or ambiguous: --help on standard output,
# the input never written over, every failed write an error (a full device,
# a closed pipe with SIGPIPE ignored), names with control characters quoted
# as ls quotes them, names that are not UTF-8 kept in JSON, unreadable
# folders reported.
#
#   cli_output.sh TEMPYRA_CLI
set -uo pipefail
cli=$1
for tool in lame python3; do
  command -v "$tool" > /dev/null || { echo "$tool is missing (make test installs it)"; exit 77; }
done
work=$(mktemp -d)
trap 'chmod -R u+rwx "$work" 2> /dev/null; rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Twelve seconds of a click track: a real MP3 that decodes, too short for a
# tempo (which does not matter here).
python3 - "$work/clicks.wav" <<'EOF'
import math, struct, sys, wave
with wave.open(sys.argv[1], "wb") as w:
    w.setnchannels(1); w.setsampwidth(2); w.setframerate(44100)
    w.writeframes(b"".join(struct.pack("<h", int(12000 * math.exp(-(i % 22050) / 300.0)
                                                  * math.sin(i * 0.3))) for i in range(44100 * 12)))
EOF
lame --quiet -b 128 "$work/clicks.wav" "$work/a.mp3" || fail "lame"
printf 'just some text' > "$work/text.mp3"

# --help: on standard output, exit 0, for the program and every command;
# the usage names "--".
for command in "" analyze decode info; do
  # shellcheck disable=SC2086
  out=$("$cli" $command --help 2> "$work/err")
  status=$?
  [ "$status" -eq 0 ] || fail "'$command --help' exits $status"
  [ -s "$work/err" ] && fail "'$command --help' writes to standard error: $(cat "$work/err")"
  # (No "printf | grep -q" under pipefail: grep ends at the first match and
  # the writer may die of SIGPIPE, which would fail the pipeline.)
  [[ $out == *"usage: tempyra-cli"* ]] || fail "'$command --help' prints no usage"
  [[ $out == *"--  "* || $out == *"[--]"* ]] || fail "'$command --help' does not list --"
  # shellcheck disable=SC2086
  "$cli" $command --help > /dev/full 2> /dev/null && fail "'$command --help' > /dev/full exits 0"
done
"$cli" > /dev/null 2>&1
[ $? -eq 2 ] || fail "no command is not a usage error"
cp "$work/a.mp3" "$work/-dash.mp3"
[ "$("$cli" analyze --quiet -- "$work/-dash.mp3" | cut -f2)" = "$work/-dash.mp3" ] ||
  fail "analyze -- -dash.mp3"
"$cli" info -- "$work/-dash.mp3" > /dev/null || fail "info -- -dash.mp3"
(cd "$work" && "$cli" decode -- -dash.mp3 > /dev/null 2>&1) || fail "decode -- -dash.mp3"

# The input is never written over: not by -o, not through a symbolic or a
# hard link, not by standard output appended to it.
before=$(sha256sum < "$work/a.mp3")
ln -s a.mp3 "$work/soft.mp3"
ln "$work/a.mp3" "$work/hard.mp3"
for target in a.mp3 soft.mp3 hard.mp3; do
  "$cli" decode "$work/a.mp3" -o "$work/$target" 2> "$work/err"
  status=$?
  [ "$status" -eq 1 ] || fail "decode -o $target exits $status"
  grep -q 'the output is the input file itself' "$work/err" || fail "decode -o $target: $(cat "$work/err")"
done
"$cli" decode "$work/a.mp3" >> "$work/a.mp3" 2> /dev/null && fail "decode >> input exits 0"
[ "$(sha256sum < "$work/a.mp3")" = "$before" ] || fail "the input file was changed"
"$cli" decode "$work/a.mp3" -o "$work/a.raw" 2> "$work/err" || fail "decode -o a.raw: $(cat "$work/err")"
[ -s "$work/a.raw" ] || fail "decode -o wrote nothing"

# Output that cannot be written: one error, exit 1.
for args in "analyze $work/a.mp3" "analyze --format json $work/a.mp3" "decode $work/a.mp3" \
            "info $work/a.mp3"; do
  # shellcheck disable=SC2086
  "$cli" $args > /dev/full 2> "$work/err"
  status=$?
  [ "$status" -eq 1 ] || fail "'$args' > /dev/full exits $status"
  [ "$(grep -c 'cannot write standard output' "$work/err")" -eq 1 ] ||
    fail "'$args' > /dev/full: $(cat "$work/err")"
done
# A closed pipe with SIGPIPE ignored (as under a program that ignores it):
# the first write fails and nothing more is analysed, so no reason for the
# two failing files after it appears.
python3 - "$cli" "$work" <<'EOF' || fail "closed pipe"
import os, subprocess, sys
cli, work = sys.argv[1], sys.argv[2]
read_end, write_end = os.pipe()
os.close(read_end)
run = subprocess.run([cli, "analyze", "--jobs", "1", work + "/a.mp3", work + "/text.mp3",
                      work + "/text.mp3"], stdout=write_end, stderr=subprocess.PIPE,
                     restore_signals=False)  # SIGPIPE stays ignored, as in this Python
errors = run.stderr.decode().splitlines()
ok = run.returncode == 1 and errors[-1:] == ["tempyra-cli: cannot write standard output: Broken pipe"] \
    and not any("text.mp3" in e for e in errors)
if not ok:
    print("exit", run.returncode, errors)
sys.exit(0 if ok else 1)
EOF

# Names with control characters: one line per file, quoted exactly as ls
# quotes them on a terminal, and the quoted form is the name again in bash.
names=($'new\nline.mp3' $'esc\033[31mred.mp3' $'it\'s\ttab.mp3' $'c1\xc2\x9b.mp3' $'lat\xe9\x01.mp3')
mkdir "$work/names"
for name in "${names[@]}"; do cp "$work/text.mp3" "$work/names/$name"; done
"$cli" analyze --quiet "$work/names" > "$work/out"
[ "$(wc -l < "$work/out")" -eq ${#names[@]} ] || fail "not one line per file: $(cat -v "$work/out")"
for name in "${names[@]}"; do
  expected="failed	$(LC_ALL=C.UTF-8 ls --quoting-style=shell-escape -d -- "$work/names/$name")"
  grep -qxF -- "$expected" "$work/out" || fail "$(printf '%q' "$name") is not quoted as ls quotes it: $(cat -v "$work/out")"
done
while IFS=$'\t' read -r _ quoted; do
  eval "name=$quoted"
  [ -e "$name" ] || fail "the quoted name $quoted is not the file's name"
done < "$work/out"
"$cli" analyze "$work/names/${names[1]}" 2> "$work/err" > /dev/null
grep -q $'\033\\[31m' "$work/err" && fail "an escape in a name reaches standard error raw"
grep -qF "'$work/names/esc'\$'\\033''[31mred.mp3': " "$work/err" || fail "reason line: $(cat -v "$work/err")"
# JSON: a name that is not UTF-8 also comes as its bytes.
json=$("$cli" analyze --quiet --format json "$work/names/${names[4]}")
bytes=$(printf '%s' "$json" | sed -n 's/.*"path_bytes":"\([^"]*\)".*/\1/p' | base64 -d)
[ "$bytes" = "$work/names/${names[4]}" ] || fail "path_bytes: $json"

# An unreadable folder is reported with its reason and fails the run (root
# reads every folder: the run is then made as an unprivileged user).
mkdir -p "$work/tree/locked" "$work/tree/open"
cp "$work/a.mp3" "$work/tree/open/"
chmod 000 "$work/tree/locked"
as_user=()
if [ "$(id -u)" -eq 0 ]; then
  if command -v setpriv > /dev/null; then
    chmod 755 "$work" "$work/tree" "$work/tree/open"
    as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
  else
    as_user=(skip)
  fi
fi
if [ "${as_user[0]:-}" != skip ]; then
  "${as_user[@]}" "$cli" analyze "$work/tree" > /dev/null 2> "$work/err"
  status=$?
  [ "$status" -eq 1 ] || fail "a run with an unreadable folder exits $status"
  grep -q "cannot read folder $work/tree/locked: Permission denied" "$work/err" ||
    fail "unreadable folder: $(cat "$work/err")"
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all output checks passed"
