#!/usr/bin/env bash
# The Debian package: made by CPack from the build (as `make package` does,
# into a temporary folder), it is named tempyra_<version>_<arch>.deb, holds
# exactly what `make install` installs with PREFIX=/usr (files and folders,
# owned by root, with the usual permissions), depends on the package of
# every shared library the programs load, passes lintian without an error
# or a warning, and installs and removes cleanly with dpkg in a throw-away
# root (never the machine's own system): every file in place with its
# checksum, nothing left after the purge.
#
#   package_test.sh SOURCE_DIR BUILD_DIR
set -uo pipefail
src=$1
build=$2

source "$src/tests/support/script_support.sh"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
arch=$(dpkg --print-architecture)
[ -n "$version" ] || die "no project version in $build/CMakeCache.txt"

cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; die "cpack"; }
deb=$work/out/tempyra_${version}_$arch.deb
[ -f "$deb" ] || die "no $(basename "$deb") made: $(ls "$work/out")"
echo "$(basename "$deb"): $(stat -c %s "$deb") bytes"

# The control fields.
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = tempyra ] || die "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || die "Version: $(field Version), not $version"
[ "$(field Architecture)" = "$arch" ] || die "Architecture: $(field Architecture)"
depends=$(field Depends)
echo "Depends: $depends"

# Every library the programs load directly comes from a package that
# Depends names, or that one of those depends on in turn (as libtag1v5 on
# the package holding libtag.so.1); dpkg's database says which holds it.
depended=$(sed 's/ ([^)]*)//g; s/, /\n/g' <<<"$depends")
for package in $depended; do
  dpkg-query -W -f='${Depends}\n' "$package" 2>/dev/null | sed 's/ ([^)]*)//g; s/, /\n/g'
done >"$work/indirect"
needed=()
paths=()
for program in "$build/tempyra" "$build/cli/tempyra-cli"; do
  for library in $(objdump -p "$program" | awk '$1 == "NEEDED" { print $2 }'); do
    path=$(ldd "$program" | awk -v l="$library" '$1 == l { print $3 }')
    [ -n "$path" ] || die "$library of $program is not found"
    needed+=("$library")
    # dpkg knows a library by the path its package ships, with or
    # without /usr in front (merged /usr).
    case $path in
      /usr/*) paths+=("$path" "${path#/usr}") ;;
      *) paths+=("$path" "/usr$path") ;;
    esac
  done
done
# One query for all of them: each query reads dpkg's whole file database.
dpkg -S "${paths[@]}" >"$work/owners" 2>/dev/null
for library in $(printf '%s\n' "${needed[@]}" | sort -u); do
  owner=$(awk -v l="/$library" 'substr($0, length($0) - length(l) + 1) == l { print; exit }' \
    "$work/owners" | cut -d: -f1)
  [ -n "$owner" ] || die "no package holds $library"
  grep -qx "$owner" <<<"$depended" || grep -qx "$owner" "$work/indirect" ||
    die "Depends does not bring $owner, which holds $library"
done

# The contents against `make install` with PREFIX=/usr: the same files and
# folders, each file with the same bytes (the programs aside: the package's
# are stripped).
make -s -C "$src" --no-print-directory install-files BUILD="$build" DESTDIR="$work/stage" \
  PREFIX=/usr >"$work/install.log" 2>&1 || { cat "$work/install.log"; die "make install"; }
dpkg-deb -c "$deb" >"$work/listing"
awk '{ print $6 }' "$work/listing" | sed 's:^\./::; s:/$::' | grep -v '^$' | sort >"$work/deb.list"
(cd "$work/stage" && find . -mindepth 1 | sed 's:^\./::' | sort) >"$work/install.list"
diff "$work/install.list" "$work/deb.list" >"$work/list.diff" ||
  { cat "$work/list.diff"; die "the package's contents (>) differ from make install's (<)"; }
awk '$2 != "root/root" { print; bad = 1 } END { exit bad }' "$work/listing" ||
  die "entries not owned by root"
awk '{ path = $6; mode = $1 }
     path ~ /\/$/ { if (mode != "drwxr-xr-x") { print; bad = 1 }; next }
     path ~ /^\.\/usr\/bin\// { if (mode != "-rwxr-xr-x") { print; bad = 1 }; next }
     { if (mode != "-rw-r--r--") { print; bad = 1 } }
     END { exit bad }' "$work/listing" || die "entries with unusual permissions"
mkdir "$work/unpacked" && dpkg-deb -x "$deb" "$work/unpacked"
while read -r path; do
  [ -f "$work/stage/$path" ] || continue
  case $path in usr/bin/*) continue ;; esac
  cmp -s "$work/stage/$path" "$work/unpacked/$path" || die "$path differs from make install's"
done <"$work/install.list"
for program in tempyra tempyra-cli; do
  file "$work/unpacked/usr/bin/$program" | grep -q ', stripped' || die "$program is not stripped"
done

# lintian, every tag it shows printed.
lintian --fail-on error,warning --display-info "$deb" >"$work/lintian" 2>&1
status=$?
cat "$work/lintian"
[ $status -eq 0 ] || die "lintian found errors or warnings"

# Install and purge in a throw-away root whose package database is a copy
# of this machine's, so that Depends is checked against what is installed
# here. Without root rights, dpkg runs under fakeroot; it wants the system
# folders (ldconfig) on its PATH.
root=$work/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$root/var/lib/dpkg/triggers"
cp /var/lib/dpkg/status "$root/var/lib/dpkg/status"
touch "$root/var/lib/dpkg/available"
# Those packages' files are not in the throw-away root: empty file lists.
(cd /var/lib/dpkg/info && find . -maxdepth 1 -name '*.list' -printf '%f\0') |
  (cd "$root/var/lib/dpkg/info" && xargs -0 -r touch)
as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(fakeroot)
run_dpkg() { PATH=/usr/sbin:/sbin:$PATH "${as_root[@]}" dpkg --root="$root" --log=/dev/null "$@"; }
run_dpkg --install "$deb" >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; die "dpkg --install"; }
! grep -i 'warning' "$work/dpkg.log" || die "dpkg --install warns"
[ "$(dpkg-query --admindir="$root/var/lib/dpkg" -W -f='${Status}' tempyra)" = \
  "install ok installed" ] || die "the package is not installed after dpkg --install"
while read -r path; do
  [ -e "$root/$path" ] || die "dpkg did not install $path"
done <"$work/deb.list"
run_dpkg --verify tempyra >"$work/verify" 2>&1 && [ ! -s "$work/verify" ] ||
  { cat "$work/verify"; die "the installed files do not match the package's checksums"; }
"$root/usr/bin/tempyra-cli" --version >/dev/null || die "the installed tempyra-cli does not run"

run_dpkg --purge tempyra >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; die "dpkg --purge"; }
! grep -i 'warning' "$work/dpkg.log" || die "dpkg --purge warns"
status=$(dpkg-query --admindir="$root/var/lib/dpkg" -W -f='${Status}' tempyra 2>/dev/null)
[ -z "$status" ] || [ "$status" = "unknown ok not-installed" ] ||
  die "after the purge the package is '$status'"
left=$(cd "$root" && find . -mindepth 1 -path ./var -prune -o -print)
[ -z "$left" ] || die "dpkg --purge left: $left"
echo "package: passed"
