#!/usr/bin/env bash
# What the desktop expects of an installation, on a `make install` staged
# under a temporary DESTDIR with PREFIX=/usr (as the Debian package lays it
# out):
#
#   man_pages   tempyra.1 and tempyra-cli.1 render with `man --warnings`
#               without a warning, and tempyra-cli.1 names every command and
#               option that the program's own --help texts name
#   completion  bash-completion finds the tempyra-cli completion where it is
#               installed; it offers the commands, every option of each
#               command's --help, the values of --format and --tag-decimals,
#               and file names
#   metainfo    the AppStream metainfo and the desktop entry validate, and
#               the metainfo's launchable, release and binaries are the
#               installed ones
#   version     `tempyra --version` and `tempyra-cli --version` print the
#               build's version, as the man pages, the metainfo and the
#               changelog carry it; a failed write is exit status 1
#
#   conventions_test.sh CHECK SOURCE_DIR BUILD_DIR
set -uo pipefail
check=$1
src=$2
build=$3

source "$src/tests/support/script_support.sh"
stage=$work/stage
make -s -C "$src" --no-print-directory install-files BUILD="$build" DESTDIR="$stage" PREFIX=/usr \
  >"$work/install.log" 2>&1 || { cat "$work/install.log"; die "make install"; }
usr=$stage/usr
cli=$usr/bin/tempyra-cli
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || die "no project version in $build/CMakeCache.txt"

# Every option (-x, --name) named in the --help texts of tempyra-cli and of
# its commands, one per line, as "COMMAND OPTION" ("- OPTION" for those of
# the program itself, named outside the lines that show a command's usage).
help_options() {
  local command
  "$cli" --help | grep -vE '^ *tempyra-cli [a-z]' | grep -oE '(^|[ [])--?[a-z][a-z-]*' |
    tr -d ' [' | sed 's/^/- /'
  for command in $(help_commands); do
    "$cli" "$command" --help | grep -oE '(^|[ [])--?[a-z][a-z-]*' | tr -d ' [' |
      sed "s/^/$command /"
  done
}
# The commands that `tempyra-cli --help` lists.
help_commands() {
  "$cli" --help | sed -n 's/^ *tempyra-cli \([a-z][a-z-]*\) .*/\1/p' | sort -u
}

check_man_pages() {
  local page rendered warnings
  for page in tempyra tempyra-cli; do
    local file=$usr/share/man/man1/$page.1.gz
    [ -s "$file" ] || die "$page.1.gz is not installed"
    rendered=$work/$page.txt
    warnings=$work/$page.warnings
    LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$file" >"$rendered" 2>"$warnings" ||
      die "man cannot render $page.1: $(cat "$warnings")"
    [ ! -s "$warnings" ] || die "man warns about $page.1: $(cat "$warnings")"
    for section in NAME SYNOPSIS DESCRIPTION OPTIONS "EXIT STATUS" FILES EXAMPLES "SEE ALSO"; do
      grep -qx "$section" "$rendered" || die "$page.1 has no $section section"
    done
    grep -qE "^ *$page +- " "$rendered" || die "$page.1's NAME line does not name $page"
  done
  grep -q -- '--version' "$work/tempyra.txt" || die "tempyra.1 does not name --version"
  grep -qE -- '^ {7}--( |$)' "$work/tempyra.txt" || die "tempyra.1 has no entry for --"

  # Each command has its entry, each option its entry (a line of its own
  # beginning with it) or at least a mention.
  local command option
  for command in $(help_commands); do
    grep -qE "^ {7}$command( |$)" "$work/tempyra-cli.txt" ||
      die "tempyra-cli.1 has no entry for the command $command"
  done
  while read -r command option; do
    [ "$option" = "--" ] && continue
    grep -qE -- "^ {7}(-[a-z], )?$option( |,|$)" "$work/tempyra-cli.txt" ||
      die "tempyra-cli.1 has no entry for $option (of '$command')"
  done < <(help_options)
}

check_completion() {
  local script=$usr/share/bash-completion/completions/tempyra-cli
  [ -s "$script" ] || die "the completion is not installed"
  local wanted
  wanted=$(pkg-config --variable=completionsdir bash-completion) ||
    die "bash-completion's pkg-config file is missing"
  [ "$stage$wanted/tempyra-cli" -ef "$script" ] ||
    die "the completion is not installed in bash-completion's folder $wanted"

  mkdir -p "$work/music/set one" && touch "$work/music/track.mp3" "$work/music/tune.wav"
  help_options >"$work/options"
  help_commands >"$work/commands"
  # A non-interactive bash with bash-completion, which loads the completion
  # from the staged data folder as it would from /usr/share.
  (cd "$work/music" && XDG_DATA_DIRS="$usr/share" bash --norc --noprofile -s \
    "$work/options" "$work/commands") <<'SCRIPT' || exit 1
set -u
fail() { echo "FAIL: $*"; exit 1; }
source /usr/share/bash-completion/bash_completion || fail "cannot load bash-completion"
__load_completion tempyra-cli || fail "bash-completion does not find the tempyra-cli completion"
function=$(complete -p tempyra-cli | sed -n 's/.*-F \([^ ]*\) .*/\1/p')
[ -n "$function" ] || fail "no completion function for tempyra-cli"

# The words offered for a command line whose last word is being completed.
offered() {
  COMP_WORDS=("$@")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMP_LINE="${COMP_WORDS[*]}"
  COMP_POINT=${#COMP_LINE}
  COMPREPLY=()
  "$function" tempyra-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  printf '%s\n' "${COMPREPLY[@]}" | sort
}
expect() {
  local want=$1
  shift
  local got
  got=$(offered "$@" | tr '\n' ' ' | sed 's/ $//')
  [ "$got" = "$want" ] || fail "'$*' offers '$got', not '$want'"
}

expect "--format" tempyra-cli analyze --f
expect "csv json text" tempyra-cli analyze --format ""
expect "json" tempyra-cli analyze --format=j
expect "0 1 2" tempyra-cli analyze --write-tag --tag-decimals ""
expect "--version" tempyra-cli --v
expect "" tempyra-cli analyze --jobs ""
expect "track.mp3 tune.wav" tempyra-cli analyze t
expect "set one" tempyra-cli decode s
expect "track.mp3" tempyra-cli info -- tr
expect "" tempyra-cli analyze -- --f

# Every command and every option of the programs' --help texts is offered.
offered tempyra-cli "" >commands.offered
while read -r command; do
  grep -qx "$command" commands.offered || fail "the command $command is not offered"
done <"$2"
while read -r command option; do
  if [ "$command" = - ]; then
    offered tempyra-cli -
  else
    offered tempyra-cli "$command" -
  fi | grep -qx -- "$option" || fail "'tempyra-cli $command -<Tab>' does not offer $option"
done <"$1"
SCRIPT
}

check_metainfo() {
  local metainfo=$usr/share/metainfo/io.tempyra.Tempyra.metainfo.xml
  local desktop=$usr/share/applications/tempyra.desktop
  [ -s "$metainfo" ] || die "the metainfo is not installed"
  # The addresses are not reached from here: no network checks.
  appstreamcli validate --no-net --strict "$metainfo" >"$work/validate" 2>&1 ||
    { cat "$work/validate"; die "the metainfo does not validate"; }
  desktop-file-validate "$desktop" || die "the desktop entry does not validate"

  grep -q "<launchable type=\"desktop-id\">tempyra.desktop</launchable>" "$metainfo" ||
    die "the metainfo does not launch tempyra.desktop"
  grep -q "<release version=\"$version\" date=\"[0-9-]*\">" "$metainfo" ||
    die "the metainfo's release is not $version"
  grep -q "<screenshot type=\"default\">" "$metainfo" || die "the metainfo has no screenshot"
  local binary
  for binary in $(sed -n 's:.*<binary>\(.*\)</binary>.*:\1:p' "$metainfo"); do
    [ -x "$usr/bin/$binary" ] || die "the metainfo names $binary, which is not installed"
  done
  # What a software centre sees of the installation: the metainfo, the
  # entry it launches and its icon together.
  appstreamcli validate-tree --no-net "$stage" >"$work/validate" 2>&1 ||
    { cat "$work/validate"; die "the installation's AppStream data do not validate"; }
}

check_version() {
  local got
  got=$("$cli" --version) || die "tempyra-cli --version failed"
  [ "$got" = "tempyra-cli $version" ] || die "tempyra-cli --version printed '$got'"
  got=$(env -u DISPLAY -u WAYLAND_DISPLAY "$usr/bin/tempyra" --version) ||
    die "tempyra --version failed"
  [ "$got" = "tempyra $version" ] || die "tempyra --version printed '$got'"
  for program in tempyra tempyra-cli; do
    env -u DISPLAY "$usr/bin/$program" --version >/dev/full 2>/dev/null
    [ $? -eq 1 ] || die "$program --version into a full disk does not fail"
  done
  # One version everywhere it is written.
  for page in tempyra tempyra-cli; do
    zcat "$usr/share/man/man1/$page.1.gz" | grep -q "^\.TH .* \"Tempyra $version\"" ||
      die "$page.1 is not of version $version"
  done
  zcat "$usr/share/doc/tempyra/changelog.gz" | head -1 | grep -q "^tempyra ($version) " ||
    die "the changelog's last entry is not $version"
  grep -q "<release version=\"$version\"" "$usr/share/metainfo/io.tempyra.Tempyra.metainfo.xml" ||
    die "the metainfo's release is not $version"
}

case $check in
  man_pages) check_man_pages ;;
  completion) check_completion ;;
  metainfo) check_metainfo ;;
  version) check_version ;;
  *) die "unknown check $check" ;;
esac
echo "$check: passed"
