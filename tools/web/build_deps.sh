#!/usr/bin/env bash
# Builds the libraries the browser build links (zlib, libpng, libjpeg-turbo,
# libsndfile without external codecs) for WebAssembly from Debian's own
# source packages, with emcmake, into a prefix cached under
# ~/.cache/cogstorm-web keyed by this script and the source versions.
# Prints the prefix on its last line.
#   tools/web/build_deps.sh
set -euo pipefail

cache=${COGSTORM_WEB_CACHE:-$HOME/.cache/cogstorm-web}
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$cache"

# A private apt state holding only Debian's source lists, so the machine's
# own apt setup is left alone.
apt_dir=$cache/apt
mkdir -p "$apt_dir/lists/partial" "$apt_dir/archives/partial"
cat > "$apt_dir/sources.list" <<'LIST'
deb-src http://deb.debian.org/debian bookworm main
deb-src http://deb.debian.org/debian bookworm-updates main
LIST
apt_opts=(-o "Dir::Etc::SourceList=$apt_dir/sources.list" -o "Dir::Etc::SourceParts=-"
  -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir" -o "APT::Sandbox::User=root")
packages=(zlib libpng1.6 libjpeg-turbo libsndfile)
if [ ! -e "$apt_dir/lists/updated" ] || [ -n "$(find "$apt_dir/lists/updated" -mtime +7)" ]; then
  apt-get "${apt_opts[@]}" update -qq
  touch "$apt_dir/lists/updated"
fi
versions=""
for p in "${packages[@]}"; do
  v=$(apt-cache "${apt_opts[@]}" showsrc "$p" | awk '/^Version:/ {print $2}' | sort -V | tail -1)
  versions+="$p=$v "
done
key=$( (cat "$0" "$here/wasm32_checks.cmake"; echo "$versions"; emcc --version | head -1) | sha256sum | cut -c1-16)
prefix=$cache/deps-$key
if [ -e "$prefix/.done" ]; then
  echo "$prefix"
  exit 0
fi

work=$cache/work-$key
rm -rf "$work" "$prefix"
mkdir -p "$work"
cd "$work"
for p in "${packages[@]}"; do
  apt-get "${apt_opts[@]}" source -qq --download-only "$p" >/dev/null
done
for dsc in *.dsc; do dpkg-source -q --no-check -x "$dsc" >/dev/null 2>&1; done

jobs=${COGSTORM_WEB_JOBS:-2}
mkdir -p "$prefix/lib" "$prefix/include"
# Only the libraries are built (no programs, tests or shared objects), and
# put in place by hand.
emlib() {  # emlib SOURCE BUILD TARGET [cmake options...]
  local src=$1 build=$2 target=$3; shift 3
  # The host's pkg-config must find nothing: only this prefix.
  PKG_CONFIG_LIBDIR="$prefix/lib/pkgconfig" PKG_CONFIG_PATH="" \
    emcmake cmake -C "$here/wasm32_checks.cmake" -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DBUILD_SHARED_LIBS=OFF "$@" >"$build.log" 2>&1 ||
    { cat "$build.log"; return 1; }
  cmake --build "$build" -j "$jobs" --target "$target" >>"$build.log" 2>&1 || { tail -40 "$build.log"; return 1; }
}

# zlib: its CMake build makes a shared and a static library of one name
# here, and Debian's tarball lacks the win32/ folder it names; its few
# files compile directly.
src=$(echo zlib-*/)
mkdir -p build-zlib
printf '%s\n' adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate inftrees trees uncompr zutil |
  xargs -P "$jobs" -I{} emcc -O2 -DHAVE_UNISTD_H -c "$src/{}.c" -o "build-zlib/{}.o"
emar rcs "$prefix/lib/libz.a" build-zlib/*.o
cp "$src/zlib.h" "$src/zconf.h" "$prefix/include/"

src=$(echo libpng1.6-*/)
emlib "$src" build-png png_static -DPNG_SHARED=OFF -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
  -DZLIB_LIBRARY="$prefix/lib/libz.a" -DZLIB_INCLUDE_DIR="$prefix/include" -DPNG_HARDWARE_OPTIMIZATIONS=OFF
cp build-png/libpng16.a "$prefix/lib/"
cp "$src/png.h" "$src/pngconf.h" build-png/pnglibconf.h "$prefix/include/"

# libjpeg-turbo: its type sizes come from wasm32_checks.cmake.
src=$(echo libjpeg-turbo-*/)
emlib "$src" build-jpeg jpeg-static -DENABLE_SHARED=OFF -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF
cp build-jpeg/libjpeg.a "$prefix/lib/"
cp "$src/jpeglib.h" "$src/jmorecfg.h" "$src/jerror.h" build-jpeg/jconfig.h "$prefix/include/"

# libsndfile: WAV and the other built-in formats, no external codecs.
src=$(echo libsndfile-*/)
emlib "$src" build-sndfile sndfile -DENABLE_EXTERNAL_LIBS=OFF -DENABLE_MPEG=OFF -DBUILD_PROGRAMS=OFF \
  -DBUILD_EXAMPLES=OFF -DBUILD_TESTING=OFF -DENABLE_CPACK=OFF -DBUILD_REGTEST=OFF -DINSTALL_MANPAGES=OFF
cp build-sndfile/libsndfile.a "$prefix/lib/"
cp "$src/include/sndfile.h" "$prefix/include/"
# The sizes it was configured with (a wrong one would misread sounds).
grep -q '^#define SIZEOF_LONG 4$' build-sndfile/src/config.h || { echo "libsndfile: wrong type sizes" >&2; exit 1; }

cd "$cache"
rm -rf "$work"
touch "$prefix/.done"
echo "$prefix"
