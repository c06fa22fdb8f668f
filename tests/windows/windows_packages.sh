#!/usr/bin/env bash
# The 64-bit Windows packages under wine:
# - the installer, silent, into its default folder (%LOCALAPPDATA%\Programs\
#   Tempyra): every file of the zip file is installed, the same bytes, with
#   the uninstaller and nothing else; the Start menu entry and the entry of
#   "Add or remove programs" (HKCU ...\Uninstall\Tempyra) with its values;
#   the installed programs tell their version and the command line measures
#   an MP3 file;
# - the installer again: into the same folder;
# - the installer into a folder of the user's choice (/D=, with spaces in
#   its name), which the entry and the Start menu then name;
# - the uninstaller of the first folder: its files and the folder go, the
#   entry and the Start menu entry of the other stay;
# - the other's uninstaller as Windows runs it from the entry
#   (QuietUninstallString): the files, the entry and the Start menu entry
#   go, a file the user put in the folder stays;
# - the zip file, unpacked: the programs run from there.
# Before that, the build's check of the packages refuses broken copies.
#
#   windows_packages.sh ZIP SETUP MP3
#
# MP3 is a file whose name tells its tempo (house-128bpm.mp3). Runs in the
# wine prefix of run_wine_tests.sh, or without one in a private prefix made
# for the run and removed after it.
set -uo pipefail
zip=$(realpath "$1")
setup=$(realpath "$2")
mp3=$(realpath "$3")
here=$(cd "$(dirname "$0")" && pwd)
wine_run=$here/../../tools/windows/wine_run.sh
stem=$(basename "$zip" .zip)
version=${stem#tempyra-}
version=${version%-win64}
expected_tempo=$(basename "$mp3" | sed -n 's/.*-\([0-9][0-9]*\)bpm\.mp3$/\1/p')
[ -n "$expected_tempo" ] || {
  echo "the MP3 file's name does not tell its tempo: $mp3"
  exit 2
}

work=$(mktemp -d "${TMPDIR:-/tmp}/tempyra-packages-XXXXXX")
private_prefix=""
cleanup() {
  if [ -n "$private_prefix" ]; then
    "$wineserver" -k > /dev/null 2>&1
    rm -rf "$private_prefix"
  fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*"
  exit 1
}

# Polls a condition every fifth of a second, for up to $1 seconds.
wait_for() {
  local deadline=$((SECONDS + $1))
  shift
  while ((SECONDS < deadline)); do
    "$@" && return 0
    sleep 0.2
  done
  "$@"
}

. "$here/../../tools/windows/find_wine.sh"
[ -n "$wine" ] || fail "no 64-bit wine (install wine64)"
export TEMPYRA_WINE=$wine WINEDEBUG=-all
# No menu entries in the user's own desktop for the shortcuts the installer
# makes, no Mono or Gecko installed into the prefix.
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree,mshtml="
if [ -z "${WINEPREFIX:-}" ]; then
  private_prefix=$(mktemp -d "${TMPDIR:-/tmp}/tempyra-wine-XXXXXX")
  export WINEPREFIX=$private_prefix
  "$wine" wineboot --init > "$work/wineboot.log" 2>&1 || {
    cat "$work/wineboot.log"
    fail "wine cannot start here"
  }
fi

run() { "$wine_run" "$@"; }
# Runs a Windows command line as it stands, as Windows runs the command
# lines of the uninstall entry; the installer's /D= takes the rest of the
# line, spaces and all, unquoted. (wine would quote an argument with
# spaces: a batch file holds the line.)
run_line() {
  printf '@%s\r\n@exit /b %%errorlevel%%\r\n' "$1" > "$work/run.bat"
  run cmd /c "$(windows_path "$work/run.bat")" 2> "$work/stderr" || {
    local status=$?
    cat "$work/stderr"
    return $status
  }
}
# A Windows path as a Unix one, and back.
unix_path() { run winepath -u "$1" 2> /dev/null | tr -d '\r'; }
windows_path() { run winepath -w "$1" 2> /dev/null | tr -d '\r'; }
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tempyra'
# The uninstall key read once (read_key), then a value of it as `reg query`
# tells it: TYPE<tab>DATA.
read_key() { run reg query "$key" 2> /dev/null | tr -d '\r' > "$work/key.txt"; }
registry_value() {
  sed -n "s/^ *$1 \{1,\}\(REG_[A-Z_]*\) \{1,\}\(.*\)\$/\1\t\2/p" "$work/key.txt"
}
key_exists() { run reg query "$key" > /dev/null 2>&1; }
key_gone() { ! key_exists; }

# The zip file unpacked: what the installer must install too.
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' \
  "$zip" "$work/zip" || fail "the zip file does not unpack"
[ "$(ls "$work/zip")" = "$stem" ] || fail "the zip file holds more than the folder $stem: $(ls "$work/zip")"
unpacked=$work/zip/$stem
packaged=$(cd "$unpacked" && ls | sort)
echo "the zip file holds:" $packaged

# Runs a Windows program and checks that it tells the version.
check_version() {
  local output
  output=$(run "$1" --version 2> "$work/stderr" | tr -d '\r')
  [ "$output" = "$2 $version" ] || fail "$1 --version gave '$output' (expected '$2 $version'): $(cat "$work/stderr")"
}
# Measures the MP3 file with a tempyra-cli.exe: one line, the tempo within
# one beat per minute of the one the file was made with.
check_analysis() {
  local line tempo
  line=$(run "$1" analyze --quiet "$mp3" 2> "$work/stderr" | tr -d '\r') ||
    fail "$1 analyze failed: $line $(cat "$work/stderr")"
  tempo=${line%%$'\t'*}
  awk -v t="$tempo" -v e="$expected_tempo" 'BEGIN { exit !(t + 0 > 0 && t - e < 1 && e - t < 1) }' ||
    fail "$1 measured '$line', not about $expected_tempo"
}
# The folder holds the packaged files, the same bytes, and the uninstaller.
check_installed() {
  local folder=$1 name
  [ "$(cd "$folder" && ls | sort)" = "$(printf '%s\n' $packaged uninstall.exe | sort)" ] ||
    fail "$folder holds: $(ls "$folder")"
  for name in $packaged; do
    cmp -s "$unpacked/$name" "$folder/$name" || fail "$name is not installed as packaged"
  done
}
# The values of the uninstall entry for an installation in $1 (Windows path).
check_registration() {
  local folder=$1 size listed
  read_key || fail "no uninstall entry $key"
  [ "$(registry_value InstallLocation)" = $'REG_SZ\t'"$folder" ] ||
    fail "InstallLocation is '$(registry_value InstallLocation)', not $folder"
  [ "$(registry_value DisplayName)" = $'REG_SZ\tTempyra' ] || fail "DisplayName: $(registry_value DisplayName)"
  [ "$(registry_value DisplayVersion)" = $'REG_SZ\t'"$version" ] ||
    fail "DisplayVersion: $(registry_value DisplayVersion)"
  [ "$(registry_value Publisher)" = $'REG_SZ\tThe Tempyra developers' ] ||
    fail "Publisher: $(registry_value Publisher)"
  [ "$(registry_value DisplayIcon)" = $'REG_SZ\t'"$folder\\tempyra.exe,0" ] ||
    fail "DisplayIcon: $(registry_value DisplayIcon)"
  [ "$(registry_value UninstallString)" = $'REG_SZ\t"'"$folder\\uninstall.exe\"" ] ||
    fail "UninstallString: $(registry_value UninstallString)"
  [ "$(registry_value QuietUninstallString)" = $'REG_SZ\t"'"$folder\\uninstall.exe\" /S" ] ||
    fail "QuietUninstallString: $(registry_value QuietUninstallString)"
  [ "$(registry_value NoModify)" = $'REG_DWORD\t0x1' ] || fail "NoModify: $(registry_value NoModify)"
  [ "$(registry_value NoRepair)" = $'REG_DWORD\t0x1' ] || fail "NoRepair: $(registry_value NoRepair)"
  # The size in KiB of what was installed, as the files' sizes tell it.
  listed=$(registry_value EstimatedSize | sed -n 's/^REG_DWORD\t0x//p')
  size=$(du -k --apparent-size -s "$(unix_path "$folder")" | cut -f1)
  [ -n "$listed" ] && awk -v l=$((16#$listed)) -v s="$size" 'BEGIN { exit !(l > 0 && l - s < 16 && s - l < 16) }' ||
    fail "EstimatedSize: $(registry_value EstimatedSize), the files take $size KiB"
}

# The build's check of the packages (check_windows_package.py) refuses
# broken copies of the zip file, each for its fault.
check_refuses() {
  local what=$1 reason=$2 edit=$3
  mkdir -p "$work/broken"
  python3 - "$zip" "$work/broken/$stem.zip" "$edit" << 'PYTHON' || fail "cannot make the zip file $what"
import sys, zipfile
source, target, edit = sys.argv[1:]
with zipfile.ZipFile(source) as original, zipfile.ZipFile(target, "w") as copy:
    files = {entry.filename: (entry, original.read(entry)) for entry in original.infolist()}
    exec(edit)
    for entry, data in files.values():
        copy.writestr(entry, data)
PYTHON
  cp "$setup" "$work/broken/"
  if python3 "$here/check_windows_package.py" --arch win64 "$work/broken/$stem.zip" "$work/broken/$stem-setup.exe" \
    > "$work/check.log" 2>&1; then
    fail "the check takes the zip file $what"
  fi
  grep -q "$reason" "$work/check.log" || fail "the check of the zip file $what says: $(cat "$work/check.log")"
}
check_refuses "without a picture of help.html" "links tempyra-about.png" \
  'del files[next(n for n in files if n.endswith("/tempyra-about.png"))]'
check_refuses "with the licence in LF lines" "EULA.txt is not CR LF text" \
  'n = next(n for n in files if n.endswith("/EULA.txt")); files[n] = (files[n][0], files[n][1].replace(b"\r\n", b"\n"))'
check_refuses "with the console program as the window program" "tempyra.exe has subsystem 3" \
  'w = next(n for n in files if n.endswith("/tempyra.exe")); c = next(n for n in files if n.endswith("/tempyra-cli.exe")); files[w] = (files[w][0], files[c][1])'
check_refuses "with a file dated otherwise" "has its own time" \
  'n = next(n for n in files if n.endswith("/help.html")); e = files[n][0]; e.date_time = (2020, 1, 2, 3, 4, 6)'
python3 "$here/check_windows_package.py" --arch win32 "$zip" "$setup" > "$work/check.log" 2>&1 &&
  fail "the check takes 64-bit packages as 32-bit ones"
grep -q "tempyra.exe is for machine 0x8664, not win32" "$work/check.log" ||
  fail "the check of 64-bit packages as 32-bit ones says: $(cat "$work/check.log")"
python3 "$here/check_windows_package.py" --arch win64 "$zip" "$setup" > "$work/check.log" 2>&1 ||
  fail "the check refuses the packages: $(cat "$work/check.log")"

start=$(date +%s)
key_exists && fail "the uninstall entry is there before installing"
local_appdata=$(run cmd /c 'echo %LOCALAPPDATA%' 2> /dev/null | tr -d '\r')
default_folder="$local_appdata\\Programs\\Tempyra"
default_unix=$(unix_path "$default_folder")
[ -n "$default_unix" ] && [ ! -e "$default_unix" ] || fail "cannot use $default_folder"
shortcut="$(unix_path "$(run cmd /c 'echo %APPDATA%' 2> /dev/null | tr -d '\r')")/Microsoft/Windows/Start Menu/Programs/Tempyra.lnk"

# The Start menu entry starts tempyra.exe of the folder $1 (a Windows path
# in ASCII); a shortcut holds its target's path in the system's code page,
# in UTF-16, or both.
shortcut_starts() {
  [ -f "$shortcut" ] || return 1
  grep -aqF "$1\\tempyra.exe" "$shortcut" || tr -d '\0' < "$shortcut" | grep -aqF "$1\\tempyra.exe"
}

echo "installing into the default folder $default_folder"
run "$setup" /S || fail "the silent installation ended with status $?"
check_installed "$default_unix"
check_registration "$default_folder"
shortcut_starts "$default_folder" || fail "no Start menu entry $shortcut for $default_folder"
check_version "$default_unix/tempyra-cli.exe" tempyra-cli
check_version "$default_unix/tempyra.exe" tempyra
check_analysis "$default_unix/tempyra-cli.exe"

echo "installing again: into the same folder"
run "$setup" /S || fail "the second silent installation ended with status $?"
check_installed "$default_unix"
check_registration "$default_folder"

chosen_unix="$work/My Programs/Tempyra"
chosen=$(windows_path "$chosen_unix")
echo "installing into $chosen"
run_line "$(windows_path "$setup") /S /D=$chosen" || fail "the silent installation into $chosen ended with status $?"
check_installed "$chosen_unix"
check_registration "$chosen"
shortcut_starts "$chosen" || fail "the Start menu entry does not start the last installation"
check_version "$chosen_unix/tempyra-cli.exe" tempyra-cli

# An uninstaller copies itself to a temporary folder, starts the copy and
# returns: the copy removes the files, so the checks wait for it.
echo "uninstalling the first installation, which the entry no longer names"
run "$default_unix/uninstall.exe" /S || fail "the uninstaller ended with status $?"
wait_for 60 test ! -e "$default_unix" || fail "the folder stays after uninstalling: $(ls -A "$default_unix")"
read_key || fail "uninstalling the first installation removed the entry of the last one"
check_registration "$chosen"
shortcut_starts "$chosen" || fail "uninstalling the first installation removed the Start menu entry"

echo "uninstalling the last one as \"Add or remove programs\" does, with a file of the user's in its folder"
echo "my notes" > "$chosen_unix/notes.txt"
quiet=$(registry_value QuietUninstallString | cut -f2)
run_line "$quiet" || fail "the uninstaller ended with status $?"
# The files go before the entry.
wait_for 60 key_gone || fail "the uninstall entry stays"
for name in $packaged uninstall.exe; do
  [ ! -e "$chosen_unix/$name" ] || fail "$name stays after uninstalling"
done
[ "$(cat "$chosen_unix/notes.txt" 2> /dev/null)" = "my notes" ] || fail "the uninstaller removed the user's file"
[ ! -e "$shortcut" ] || fail "the Start menu entry stays"

echo "running the programs of the zip file"
check_version "$unpacked/tempyra-cli.exe" tempyra-cli
check_version "$unpacked/tempyra.exe" tempyra
check_analysis "$unpacked/tempyra-cli.exe"
echo "packages checked in $(($(date +%s) - start)) s"
