#!/usr/bin/env bash
# Builds the Windows build's libraries once, from Debian's own source packages, with MinGW-w64:
# freeglut (static, its window class named "GLUT"), GLEW, libpng over MinGW's zlib, GoogleTest;
# Boost and CLI11 are header-only and come from the host through a folder of links.
# scripts/windows-deps.sh DIR: sources in DIR/sources, the result in DIR/prefix. Done again only
# when this script or the freeglut patch changes.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
deps=$1
prefix=$deps/prefix
sources=$deps/sources
toolchain=$root/cmake/mingw-w64.cmake
patch=$root/packaging/windows/freeglut-class.patch
key=$(cat "$0" "$patch" "$toolchain" | md5sum | cut -c1-16)
if [ -f "$prefix/built-$key" ]; then
  echo "windows-deps: cached in ${deps#$root/}"
  exit 0
fi
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
jobs=$(nproc)
mingw=x86_64-w64-mingw32
mkdir -p "$sources"
rm -rf "$prefix" "$deps/work"
mkdir -p "$prefix/include" "$prefix/lib" "$deps/work"

# fetch PACKAGE: its upstream tarball in $sources. Debian's mirror drops superseded security
# updates, so a version the index still names may answer 404: then the others it lists are tried.
sources_added=no
fetch()
{
  local name=$1
  if compgen -G "$sources/${name}_*.orig.tar.*" >/dev/null; then
    return
  fi
  if [ $sources_added = no ]; then
    if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
      # Source entries beside the binary ones: same mirrors, suites, components and keys.
      sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
        $sudo tee /etc/apt/sources.list.d/debian-src.sources >/dev/null
    fi
    $sudo apt-get update -qq
    sources_added=yes
  fi
  echo "windows-deps: fetching the source of $name"
  if (cd "$sources" && apt-get source --download-only -qq "$name" >/dev/null 2>&1); then
    return
  fi
  local version
  for version in $(apt-cache showsrc "$name" | awk '/^Version:/ { print $2 }' | sort -ru); do
    if (cd "$sources" && apt-get source --download-only -qq "$name=$version" >/dev/null 2>&1); then
      return
    fi
  done
  echo "windows-deps: no source of $name could be fetched" >&2
  exit 1
}

# unpack PACKAGE: the upstream tree in $deps/work; prints its folder.
unpack()
{
  local tarball
  tarball=$(ls "$sources/${1}_"*.orig.tar.* | head -1)
  tar xf "$tarball" -C "$deps/work"
  echo "$deps/work/$(tar tf "$tarball" | head -1 | cut -d/ -f1)"
}

# cmake_build SOURCE OPTIONS...: configure, build and install a CMake project into the prefix.
cmake_build()
{
  local src=$1
  shift
  cmake -S "$src" -B "$src/_build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DQUOR_WINDOWS_DEPS="$prefix" "$@" >"$src/_build.log" 2>&1 &&
    cmake --build "$src/_build" -j "$jobs" >>"$src/_build.log" 2>&1 &&
    cmake --install "$src/_build" >>"$src/_build.log" 2>&1 ||
    { tail -30 "$src/_build.log"; echo "windows-deps: building $src failed" >&2; exit 1; }
}

for name in freeglut glew libpng1.6; do
  fetch $name
done

start=$SECONDS
src=$(unpack freeglut)
patch -s -d "$src" -p1 <"$patch"
cmake_build "$src" -DFREEGLUT_BUILD_SHARED_LIBS=OFF -DFREEGLUT_BUILD_STATIC_LIBS=ON -DFREEGLUT_BUILD_DEMOS=OFF
echo "windows-deps: freeglut built ($((SECONDS - start)) s)"

# GLEW is one C file; its CMake project also insists on a DLL.
start=$SECONDS
src=$(unpack glew)
$mingw-gcc-posix -O2 -DGLEW_STATIC -I"$src/include" -c "$src/src/glew.c" -o "$src/glew.o"
$mingw-ar rcs "$prefix/lib/libglew32s.a" "$src/glew.o"
cp -r "$src/include/GL" "$prefix/include/"
echo "windows-deps: GLEW built ($((SECONDS - start)) s)"

start=$SECONDS
src=$(unpack libpng1.6)
cmake_build "$src" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
  -DZLIB_LIBRARY=/usr/$mingw/lib/libz.a -DZLIB_INCLUDE_DIR=/usr/$mingw/include
echo "windows-deps: libpng built ($((SECONDS - start)) s)"

# Debian ships GoogleTest as sources for every compiler.
start=$SECONDS
cp -r /usr/src/googletest "$deps/work/googletest"
cmake_build "$deps/work/googletest" -Dgtest_disable_pthreads=OFF
echo "windows-deps: GoogleTest built ($((SECONDS - start)) s)"

# Only the two header trees: /usr/include itself would shadow MinGW's C headers with glibc's.
mkdir -p "$prefix/host-include"
ln -s /usr/include/boost "$prefix/host-include/boost"
ln -s /usr/include/CLI "$prefix/host-include/CLI"

rm -rf "$deps/work"
touch "$prefix/built-$key"
