#!/usr/bin/env bash
# Builds the Windows build's libraries once, from Debian's own source packages, with MinGW-w64:
# freeglut (static, its window class named "GLUT"), GLEW, libpng over MinGW's zlib, GoogleTest;
# for quor-mem LAME, mpg123, libsndfile with Ogg, Vorbis, FLAC and Opus, aubio and tinygltf; Boost,
# CLI11, nlohmann's JSON and stb are header-only and come from the host through a folder of links.
# scripts/windows-deps.sh DIR: sources in DIR/sources, the result in DIR/prefix. Done again only
# when this script or the freeglut patch changes.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
deps=$(realpath -m "$1")
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
  # The upstream tarball is what is built; the mirror may have lost only Debian's own part.
  if compgen -G "$sources/${name}_*.orig.tar.*" >/dev/null; then
    echo "windows-deps: only the upstream source of $name could be fetched; building that"
    return
  fi
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

for name in freeglut glew libpng1.6 libogg libvorbis flac opus libsndfile lame mpg123 aubio tinygltf; do
  fetch $name
done

# Only the header trees: /usr/include itself would shadow MinGW's C headers with glibc's.
mkdir -p "$prefix/host-include"
for tree in boost CLI nlohmann stb; do
  ln -s /usr/include/$tree "$prefix/host-include/$tree"
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

# autotools_build SOURCE OPTIONS...: the same for an autotools project, static only.
autotools_build()
{
  local src=$1
  shift
  (cd "$src" && ./configure --host=$mingw --prefix="$prefix" --disable-shared --enable-static "$@" &&
     make -j "$jobs" && make install) >"$src/_build.log" 2>&1 ||
    { tail -30 "$src/_build.log"; echo "windows-deps: building $src failed" >&2; exit 1; }
}

# The sound libraries quor-mem reads and writes music with, in the order they need each other.
start=$SECONDS
off=(-DBUILD_SHARED_LIBS=OFF -DBUILD_TESTING=OFF -DBUILD_PROGRAMS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_DOCS=OFF
     -DINSTALL_MANPAGES=OFF -DINSTALL_DOCS=OFF)
cmake_build "$(unpack libogg)" "${off[@]}"
cmake_build "$(unpack libvorbis)" "${off[@]}"
cmake_build "$(unpack flac)" "${off[@]}" -DWITH_OGG=ON -DBUILD_CXXLIBS=OFF -DWITH_STACK_PROTECTOR=OFF
# Opus's release tarball lacks files its CMake project includes: its configure script instead.
# Its configure adds glibc's _FORTIFY_SOURCE, whose checked calls MinGW's C library lacks, unless
# it is set already.
autotools_build "$(unpack opus)" --disable-doc --disable-extra-programs --disable-stack-protector \
  CFLAGS="-O2 -D_FORTIFY_SOURCE=0"
# FLAC's headers declare its functions as a DLL's unless told the library is static.
cmake_build "$(unpack libsndfile)" "${off[@]}" -DENABLE_EXTERNAL_LIBS=ON -DENABLE_MPEG=OFF -DENABLE_CPACK=OFF \
  -DENABLE_PACKAGE_CONFIG=ON -DINSTALL_PKGCONFIG_MODULE=ON -DCMAKE_C_FLAGS=-DFLAC__NO_DLL
autotools_build "$(unpack lame)" --disable-frontend --disable-decoder
# Only the decoder library: mpg123's player and its output modules would be configured from the
# host's sound headers, so configure for no output and build libmpg123 alone.
src=$(unpack mpg123)
(cd "$src" && ./configure --host=$mingw --prefix="$prefix" --disable-shared --enable-static --with-cpu=x86-64 \
   --disable-modules --with-audio=dummy --with-default-audio=dummy && make -j "$jobs" src/libmpg123/libmpg123.la) \
  >"$src/_build.log" 2>&1 || { tail -30 "$src/_build.log"; echo "windows-deps: building $src failed" >&2; exit 1; }
cp "$src/src/libmpg123/.libs/libmpg123.a" "$prefix/lib/"
cp "$src/src/libmpg123/mpg123.h" "$src/src/libmpg123/fmt123.h" "$prefix/include/"
echo "windows-deps: Ogg, Vorbis, FLAC, Opus, libsndfile, LAME, mpg123 built ($((SECONDS - start)) s)"

# aubio, for the music's tempo and first beat: its plain C sources with its own FFT (Ooura's), no
# file reading or writing (the interchange hands it samples), so nothing else to depend on. Its
# waf script would want a Python-driven configure for what a list of defines says.
start=$SECONDS
src=$(unpack aubio)
mkdir -p "$src/_obj" "$prefix/include/aubio"
(cd "$src/src" && find . -name '*.c' | sed 's|^\./||' | xargs -P "$jobs" -I{} sh -c \
  "$mingw-gcc-posix -O2 -DHAVE_STDLIB_H -DHAVE_STDIO_H -DHAVE_MATH_H -DHAVE_STRING_H -DHAVE_ERRNO_H \
     -DHAVE_LIMITS_H -DHAVE_STDARG_H -DHAVE_C99_VARARGS_MACROS -DHAVE_WIN_HACKS -I. -c {} -o ../_obj/\$(echo {} | tr / _).o") \
  >"$src/_build.log" 2>&1 || { tail -30 "$src/_build.log"; echo "windows-deps: building $src failed" >&2; exit 1; }
$mingw-ar rcs "$prefix/lib/libaubio.a" "$src"/_obj/*.o
(cd "$src/src" && find . -name '*.h' ! -name aubio_priv.h -exec cp --parents {} "$prefix/include/aubio/" \;)
echo "windows-deps: aubio built ($((SECONDS - start)) s)"

# tinygltf with Debian's patches, which take JSON and stb from their packages' headers, and stb's
# implementations (Debian builds them into a library of their own) for it and the texture import.
start=$SECONDS
src=$deps/work/tinygltf
dpkg-source --no-check -x -q "$(ls "$sources"/tinygltf_*.dsc | head -1)" "$src" >/dev/null
$mingw-g++-posix -O2 -std=c++17 -I"$prefix/host-include" -I"$prefix/host-include/stb" -c "$src/tiny_gltf.cpp" \
  -o "$src/tiny_gltf.o"
$mingw-ar rcs "$prefix/lib/libtinygltf.a" "$src/tiny_gltf.o"
cp "$src/tiny_gltf.h" "$prefix/include/"
printf '#define STB_IMAGE_IMPLEMENTATION\n#define STB_IMAGE_WRITE_IMPLEMENTATION\n#define STB_IMAGE_RESIZE_IMPLEMENTATION
#include <stb_image.h>\n#include <stb_image_write.h>\n#include <stb_image_resize.h>\n' >"$src/stb.c"
$mingw-gcc-posix -O2 -I"$prefix/host-include/stb" -c "$src/stb.c" -o "$src/stb.o"
$mingw-ar rcs "$prefix/lib/libstb.a" "$src/stb.o"
echo "windows-deps: tinygltf and stb built ($((SECONDS - start)) s)"

# Debian ships GoogleTest as sources for every compiler.
start=$SECONDS
cp -r /usr/src/googletest "$deps/work/googletest"
cmake_build "$deps/work/googletest" -Dgtest_disable_pthreads=OFF
echo "windows-deps: GoogleTest built ($((SECONDS - start)) s)"

rm -rf "$deps/work"
touch "$prefix/built-$key"
