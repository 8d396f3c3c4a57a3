#!/usr/bin/env bash
# Prepares the Windows cross build: installs mingw-w64, wine and NSIS (the installer), makes the SQLite amalgamation
# from Debian's own sqlite3 source package and a static libsodium from Debian's libsodium
# source package (Debian packages neither for mingw).
# Idempotent; the sources and the amalgamation stay in build-win-deps/ (never committed).
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64 dpkg-dev tcl make
          autoconf automake libtool nsis)
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

# Debian's source packages need a deb-src entry: a copy of the Debian list with that type.
src_list=/etc/apt/sources.list.d/qiva-debian-src.sources
need_update=0
if [ ! -f "$src_list" ] && [ -f /etc/apt/sources.list.d/debian.sources ]; then
  sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources | $sudo tee "$src_list" >/dev/null
  need_update=1
fi
if [ ${#missing[@]} -gt 0 ] || [ "$need_update" = 1 ]; then
  $sudo apt-get update -qq
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}" >&2
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

deps=$PWD/build-win-deps
mkdir -p "$deps"
# Unpacks Debian's source package NAME into build-win-deps/NAME-src (once).
fetch_source() {
  local name=$1
  [ -d "$deps/$name-src" ] && return 0
  rm -rf "$deps/dl-$name" && mkdir -p "$deps/dl-$name"
  (cd "$deps/dl-$name" && apt-get source -qq --download-only "$name" >/dev/null 2>&1)
  local orig
  orig=$(ls "$deps/dl-$name"/*.orig.tar.* | grep -v -- '-www' | head -1)
  mkdir -p "$deps/$name-src"
  tar -xf "$orig" -C "$deps/$name-src" --strip-components=1
}

if [ ! -f "$deps/sqlite/sqlite3.c" ]; then
  fetch_source sqlite3
  (cd "$deps/sqlite3-src" && ./configure -q >/dev/null 2>&1 && make -s sqlite3.c >/dev/null 2>&1)
  mkdir -p "$deps/sqlite"
  cp "$deps/sqlite3-src/sqlite3.c" "$deps/sqlite3-src/sqlite3.h" "$deps/sqlite/"
fi

if [ ! -f "$deps/sodium/lib/libsodium.a" ]; then
  fetch_source libsodium
  # The source package carries no configure script; autoreconf makes it from local files only.
  (cd "$deps/libsodium-src" && autoreconf -fi >/dev/null 2>&1 &&
    ./configure -q --host=x86_64-w64-mingw32 --prefix="$deps/sodium" --disable-shared \
      --enable-static --disable-dependency-tracking CC=x86_64-w64-mingw32-gcc-posix >/dev/null 2>&1 &&
    make -s -j"$(nproc)" install >/dev/null 2>&1)
fi
