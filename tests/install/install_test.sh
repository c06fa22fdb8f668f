#!/usr/bin/env bash
# `make install` and `make uninstall` of what is built in BUILD_DIR, staged
# under a temporary DESTDIR, for the default PREFIX and another one: every
# file where the desktop and the program look for it (the program finds its
# help documents in <prefix>/share/doc/tempyra beside <prefix>/bin), the
# desktop entry valid and starting `tempyra %f`, every icon a PNG of its
# size, the documents' pictures installed with them, the man pages, the
# bash completion, the AppStream metainfo, the copyright file (the licence
# agreement's text) and the changelog where man, bash-completion, software
# centres and Debian look for them, the installed programs working; then
# `make uninstall` leaves nothing behind. (tests/package/ checks the man
# pages, the completion and the metainfo themselves.)
#
#   install_test.sh SOURCE_DIR BUILD_DIR
set -uo pipefail
src=$1
build=$2

source "$src/tests/support/script_support.sh"
stage=$work/stage
log=$work/log

# Width and height of a PNG file from its header.
png_size() {
  local magic
  magic=$(od -An -tx1 -N8 "$1" | tr -d ' \n')
  [ "$magic" = "89504e470d0a1a0a" ] || return 1
  od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%dx%d\n", $3 * 256 + $4, $7 * 256 + $8 }'
}

check_installation() {
  local prefix=$1
  local root="$stage$prefix"
  local f
  for f in bin/tempyra bin/tempyra-cli; do
    [ -x "$root/$f" ] || die "$prefix/$f is not installed as a program"
  done
  for f in tutorial.html help.html EULA.html; do
    [ -s "$root/share/doc/tempyra/$f" ] || die "$prefix/share/doc/tempyra/$f is missing"
    cmp -s "$src/docs/$f" "$root/share/doc/tempyra/$f" || die "$f differs from docs/$f"
    # Every picture a document shows is installed beside it.
    for picture in $(grep -o 'src="[^"]*"' "$src/docs/$f" | sed 's/src="\(.*\)"/\1/'); do
      [ -s "$root/share/doc/tempyra/$picture" ] || die "$f shows $picture, which is not installed"
    done
  done

  local desktop="$root/share/applications/tempyra.desktop"
  [ -s "$desktop" ] || die "no desktop entry"
  desktop-file-validate "$desktop" || die "the desktop entry is not valid"
  grep -qx 'Exec=tempyra %f' "$desktop" || die "the desktop entry does not start 'tempyra %f'"
  grep -qx 'Icon=tempyra' "$desktop" || die "the desktop entry names another icon"

  local size
  for size in 16 22 24 32 48 64 128 256; do
    f="$root/share/icons/hicolor/${size}x${size}/apps/tempyra.png"
    [ "$(png_size "$f")" = "${size}x${size}" ] || die "$f is not a ${size}x${size} PNG"
  done

  for f in share/man/man1/tempyra.1.gz share/man/man1/tempyra-cli.1.gz \
    share/doc/tempyra/changelog.gz; do
    gzip -t "$root/$f" 2>/dev/null || die "$prefix/$f is not a gzip file"
  done
  zcat "$root/share/man/man1/tempyra-cli.1.gz" | grep -q '^\.TH TEMPYRA-CLI 1 ' ||
    die "tempyra-cli.1.gz is not the man page of tempyra-cli"
  grep -q '^ *complete -F _tempyra_cli tempyra-cli' \
    "$root/share/bash-completion/completions/tempyra-cli" || die "no completion of tempyra-cli"
  grep -q '<launchable type="desktop-id">tempyra.desktop</launchable>' \
    "$root/share/metainfo/io.tempyra.Tempyra.metainfo.xml" || die "no metainfo of tempyra.desktop"
  grep -q 'the rest stays in force' "$root/share/doc/tempyra/copyright" ||
    die "the copyright file does not hold the licence agreement's text"

  # The installed programs run: the analyser on a demo track, the window
  # refusing a wrong command line before it needs a display.
  local tempo
  tempo=$("$root/bin/tempyra-cli" analyze "$src/demo/house-128bpm.mp3" | cut -f1)
  awk -v t="$tempo" 'BEGIN { exit !(t > 127 && t < 129) }' ||
    die "the installed tempyra-cli measured '$tempo' for a 128 BPM track"
  env -u DISPLAY "$root/bin/tempyra" a b 2>/dev/null
  [ $? -eq 2 ] || die "the installed tempyra does not reject two arguments"
}

for prefix in /usr/local /opt/tempyra; do
  make -s -C "$src" --no-print-directory install-files BUILD="$build" DESTDIR="$stage" \
    PREFIX="$prefix" >"$log" 2>&1 || { cat "$log"; die "make install PREFIX=$prefix"; }
  check_installation "$prefix"
  # Nothing outside the prefix.
  outside=$(cd "$stage" && find . -type f | grep -v "^\.$prefix/" || true)
  [ -z "$outside" ] || die "files outside $prefix: $outside"

  make -s -C "$src" --no-print-directory uninstall DESTDIR="$stage" PREFIX="$prefix" \
    >"$log" 2>&1 || { cat "$log"; die "make uninstall PREFIX=$prefix"; }
  left=$(cd "$stage" && find . -type f)
  [ -z "$left" ] || die "make uninstall left: $left"
  [ ! -d "$stage$prefix/share/doc/tempyra" ] || die "make uninstall left the documents' folder"
done
echo "make install: passed"
