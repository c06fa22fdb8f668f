#!/bin/sh
# Builds TagLib as a static library for Windows, from Debian's source
# package, with the mingw-w64 compilers and Debian's mingw zlib.
#
#   tools/windows/build_taglib.sh ARCH BUILD_DIR
#
# ARCH is x86_64 or i686. The result goes to BUILD_DIR/taglib/prefix
# (include/taglib/*.h, lib/libtag.a) and is built once: a later run with
# the prefix in place does nothing. A copy is kept in the user's cache
# (TEMPYRA_CACHE, by default ~/.cache/tempyra), under a name made of the
# TagLib version, the processor, the compiler's version and this script's
# and the toolchain's checksums, so that a fresh build folder (a new clone,
# a CI run) takes it from there instead of building TagLib again; set
# TEMPYRA_CACHE to an empty value to keep none. The source package is fetched with
# apt-get source through a private apt state under BUILD_DIR/taglib/apt
# (the machine's own sources are left alone), unless TAGLIB_DSC names a
# .dsc file already at hand.
set -eu

arch=$1
build=$(realpath -m "$2")
here=$(cd "$(dirname "$0")" && pwd)
root=$build/taglib
prefix=$root/prefix
triple=$arch-w64-mingw32

if [ -f "$prefix/lib/libtag.a" ] && [ -f "$prefix/include/taglib/mpegfile.h" ]; then
  exit 0
fi

die() {
  echo "build_taglib.sh: $*" >&2
  exit 1
}

[ -f "/usr/$triple/lib/libz.a" ] || die "no static zlib for $triple (install libz-mingw-w64-dev)"
command -v dpkg-source >/dev/null || die "dpkg-source is missing (install dpkg-dev)"
# Debian builds TagLib against the packaged UTF-8 helpers (header only).
[ -f /usr/include/utf8cpp/utf8/checked.h ] || die "utf8cpp headers are missing (install libutfcpp-dev)"

# The version Debian builds the Linux library from, so that both programs
# tag with the same TagLib.
version=$(dpkg-query -W -f='${source:Version}' libtag1-dev 2>/dev/null || true)
[ -n "$version" ] || die "libtag1-dev is not installed: its source version names the package to build"

cache_root=${TEMPYRA_CACHE-${XDG_CACHE_HOME:-${HOME:-/nonexistent}/.cache}/tempyra}
cache=""
if [ -n "$cache_root" ]; then
  key=$( (cat "$0" "$here/mingw-w64.cmake"; "$triple-g++-posix" --version) | cksum | cut -d' ' -f1)
  cache=$cache_root/taglib-$(echo "$version" | tr ':' '_')-$arch-$key
  if [ -f "$cache/lib/libtag.a" ] && [ -f "$cache/include/taglib/mpegfile.h" ]; then
    rm -rf "$prefix"
    mkdir -p "$root"
    cp -R "$cache" "$prefix"
    echo "TagLib for $triple from $cache"
    exit 0
  fi
fi

rm -rf "$root/source" "$root/build"
mkdir -p "$root/download"
if [ -n "${TAGLIB_DSC:-}" ]; then
  dsc=$TAGLIB_DSC
else
  dsc=$root/download/taglib_$(echo "$version" | sed 's/^[0-9]*://').dsc
  if [ ! -f "$dsc" ]; then
    # A private apt state: one deb-src line per suite the machine uses.
    apt=$root/apt
    mkdir -p "$apt/lists/partial" "$apt/parts"
    : >"$apt/parts/machine.list"
    for list in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
      [ -f "$list" ] && sed -n 's/^deb \(.*\)$/deb-src \1/p' "$list" >>"$apt/parts/machine.list"
    done
    for list in /etc/apt/sources.list.d/*.sources; do
      [ -f "$list" ] || continue
      sed 's/^Types: *deb *$/Types: deb-src/' "$list" >"$apt/parts/$(basename "$list")"
    done
    set -- -o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$apt/parts" \
      -o Dir::State::Lists="$apt/lists" -o Dir::Cache="$apt/cache" -o APT::Sandbox::User=root
    mkdir -p "$apt/cache/archives/partial"
    echo "Fetching TagLib's source package ($version)"
    apt-get "$@" -qq update || die "apt-get update of the source lists failed"
    (cd "$root/download" && apt-get "$@" -qq source --download-only "taglib=$version") ||
      die "apt-get source taglib=$version failed"
  fi
fi
[ -f "$dsc" ] || die "no source package at $dsc"

dpkg-source --no-check -x "$dsc" "$root/source" >/dev/null
cmake -S "$root/source" -B "$root/build" -G "Unix Makefiles" \
  -DCMAKE_TOOLCHAIN_FILE="$here/mingw-w64.cmake" -DTEMPYRA_WINDOWS_ARCH="$arch" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DCMAKE_CXX_FLAGS="-idirafter /usr/include/utf8cpp" \
  -DBUILD_SHARED_LIBS=OFF -DBUILD_TESTING=OFF -DBUILD_EXAMPLES=OFF -DBUILD_BINDINGS=OFF \
  -DZLIB_INCLUDE_DIR="/usr/$triple/include" -DZLIB_LIBRARY="/usr/$triple/lib/libz.a" \
  ${CMAKE_C_COMPILER_LAUNCHER:+-DCMAKE_CXX_COMPILER_LAUNCHER=$CMAKE_C_COMPILER_LAUNCHER} \
  >"$root/configure.log" 2>&1 || die "configuring TagLib failed; see $root/configure.log"
cmake --build "$root/build" -j "${JOBS:-2}" >"$root/build.log" 2>&1 ||
  die "building TagLib failed; see $root/build.log"
cmake --install "$root/build" >"$root/install.log" 2>&1 || die "installing TagLib failed"
rm -rf "$root/source" "$root/build"
if [ -n "$cache" ] && mkdir -p "$cache_root" 2>/dev/null; then
  # Copied under a temporary name and renamed: a cache entry is whole or absent.
  partial=$(mktemp -d "$cache_root/partial-XXXXXX")
  if cp -R "$prefix/." "$partial/" && mv -T "$partial" "$cache" 2>/dev/null; then :; else rm -rf "$partial"; fi
fi
echo "TagLib for $triple in $prefix"
