#!/usr/bin/env bash
# Builds the static libraries the win64 preset links (cmake/Dependencies.cmake) from Debian's
# source packages with the mingw-w64 toolchain:
#   $PREFIX/include/        libjpeg headers (jpeglib.h, jconfig.h, jmorecfg.h, jerror.h),
#                           libpng's (png.h, pngconf.h, pnglibconf.h), giflib's (gif_lib.h)
#   $PREFIX/include/agg2/   Anti-Grain Geometry headers
#   $PREFIX/lib/libjpeg.a   libjpeg-turbo without SIMD
#   $PREFIX/lib/libagg.a    AGG's non-template parts
#   $PREFIX/lib/libpng.a    libpng (links against the mingw zlib of libz-mingw-w64-dev)
#   $PREFIX/lib/libgif.a    giflib's library part
#   $PREFIX/include/mpg123.h, $PREFIX/lib/libmpg123.a   libmpg123 (MP3 decoding), no output
#                           modules, generic C decoder
# PREFIX is $SAVER_BUILD_ROOT/deps/win64 (default build/deps/win64); sources are cached in
# $SAVER_BUILD_ROOT/deps/src. Nothing lands in the repository.
#
# Runs again in well under a second when all the libraries exist and the stamp matches this
# recipe and compiler. Needs root (or sudo) only the first time, to add a deb-src entry and
# update apt's lists. Exits non-zero with a message on any failure.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_ROOT="${SAVER_BUILD_ROOT:-$ROOT/build}"
DEPS="$BUILD_ROOT/deps"
PREFIX="$DEPS/win64"
SRC="$DEPS/src"
CACHE="$SRC/cache"
JOBS="${JOBS:-$(nproc)}"
CXX=x86_64-w64-mingw32-g++
CC=x86_64-w64-mingw32-gcc
AR=x86_64-w64-mingw32-ar
TOOLCHAIN="$ROOT/cmake/mingw-w64.cmake"

say() { echo "build-win64-deps: $*"; }
die() { echo "build-win64-deps: $*" >&2; exit 1; }

command -v "$CXX" >/dev/null || die "$CXX missing (scripts/install-deps.sh installs it)"
command -v dpkg-source >/dev/null || die "dpkg-source missing (package dpkg-dev)"

# The stamp changes whenever this recipe or the compiler changes; all libraries are rebuilt.
FALLBACK="$ROOT/scripts/win64-deps"
stamp_text="recipe $(cat "${BASH_SOURCE[0]}" "$FALLBACK"/*.cpp | sha256sum | cut -d' ' -f1) $CXX $("$CXX" -dumpversion)"
if [ -f "$PREFIX/lib/libjpeg.a" ] && [ -f "$PREFIX/lib/libagg.a" ] &&
   [ -f "$PREFIX/lib/libmpg123.a" ] &&
   [ -f "$PREFIX/lib/libpng.a" ] && [ -f "$PREFIX/lib/libgif.a" ] &&
   [ "$(cat "$PREFIX/.stamp" 2>/dev/null)" = "$stamp_text" ]; then
    say "up to date in $PREFIX"
    exit 0
fi

SUDO=()
if [ "$(id -u)" -ne 0 ]; then
    SUDO=(sudo)
fi

# apt-get source needs deb-src lists. Debian's images ship only binary entries, so add the
# same URIs and suites as source entries when no deb-src entry exists yet.
ensure_deb_src() {
    if grep -rqsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/; then
        return 1
    fi
    local out=/etc/apt/sources.list.d/saver-deb-src.sources
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
        sed -E 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
            "${SUDO[@]}" tee "$out" >/dev/null
    elif [ -f /etc/apt/sources.list ]; then
        out=/etc/apt/sources.list.d/saver-deb-src.list
        sed -nE 's/^deb (.*)/deb-src \1/p' /etc/apt/sources.list | "${SUDO[@]}" tee "$out" >/dev/null
    else
        die "no apt sources found to derive a deb-src entry from"
    fi
    say "added $out"
}

# True when a .dsc of the package and every file it lists are in the cache. Upstream signatures
# (*.asc) do not count: unpacking does not check them and some mirrors do not serve them.
source_cached() {
    local dsc
    dsc=$(ls "$CACHE/${1}"_*.dsc 2>/dev/null | sort -V | tail -1)
    [ -n "$dsc" ] || return 1
    awk '/^Files:/{f=1;next} /^[^ ]/{f=0} f&&NF==3&&$3!~/\.asc$/{print $3}' "$dsc" | while read -r file; do
        [ -f "$CACHE/$file" ] || exit 1
    done
}

# Downloads one source package into the cache unless it is there already; fails quietly
# (status 1, apt's messages in $CACHE/<name>.err) when the mirror does not serve it.
fetch_source() {
    local name="$1"
    source_cached "$name" && return 0
    say "downloading the source package $name"
    fetch_any_version "$name" && return 0
    say "apt-get source $name failed; updating the package lists and trying again"
    "${SUDO[@]}" apt-get update -qq
    fetch_any_version "$name"
}

# The newest version first, then the older ones the lists know: a security mirror sometimes
# lists a version before it serves its files.
fetch_any_version() {
    local name="$1" version
    # As root apt cannot drop to the _apt user in a directory it does not own; the warning
    # about it is harmless.
    # apt-get fails when any listed file is missing, even a signature; the check that counts
    # is source_cached.
    (cd "$CACHE" && apt-get source -qq --download-only "$name" >"$CACHE/$name.err" 2>&1) || true
    source_cached "$name" && return 0
    for version in $(apt-cache showsrc "$name" 2>/dev/null | awk '/^Version:/ { print $2 }' | sort -Vr); do
        (cd "$CACHE" && apt-get source -qq --download-only "$name=$version" >>"$CACHE/$name.err" 2>&1) || true
        source_cached "$name" && return 0
    done
    return 1
}

# Unpacks the newest cached version of a source package into $SRC/<name>; prints that path.
unpack_source() {
    local name="$1" dsc dir
    dsc=$(ls "$CACHE/${name}"_*.dsc | sort -V | tail -1)
    dir="$SRC/$(basename "$dsc" .dsc)"
    if [ ! -d "$dir" ]; then
        rm -rf "$dir.tmp"
        dpkg-source --no-check -x "$dsc" "$dir.tmp" >"$SRC/$name-unpack.log" 2>&1 ||
            { cat "$SRC/$name-unpack.log" >&2; die "unpacking $dsc failed"; }
        mv "$dir.tmp" "$dir"
    fi
    echo "$dir"
}

build_jpeg() {
    local src="$1" build="$DEPS/build/jpeg"
    say "building libjpeg from $(basename "$src")"
    rm -rf "$build"
    cmake -S "$src" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
        -DWITH_SIMD=0 -DENABLE_SHARED=0 -DENABLE_STATIC=1 -DWITH_TURBOJPEG=0 \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$PREFIX" >"$DEPS/jpeg-configure.log" 2>&1 ||
        { tail -30 "$DEPS/jpeg-configure.log" >&2; die "configuring libjpeg failed"; }
    cmake --build "$build" --target jpeg-static -j "$JOBS" >"$DEPS/jpeg-build.log" 2>&1 ||
        { tail -30 "$DEPS/jpeg-build.log" >&2; die "building libjpeg failed"; }
    mkdir -p "$STAGE/include" "$STAGE/lib"
    cp "$src/jpeglib.h" "$src/jmorecfg.h" "$src/jerror.h" "$build/jconfig.h" "$STAGE/include/"
    cp "$build/libjpeg.a" "$STAGE/lib/libjpeg.a"
}

# AGG is mostly templates in headers; the few non-template parts (transforms, curves, stroke
# and dash generators, embedded fonts, ...) are compiled here. The platform, control and
# FreeType sources are not needed and not built. Without a source tree (some mirrors do not
# serve AGG's source package) the headers come from the host's libagg-dev, the same upstream
# release, and the archive holds our own implementations of the parts the player links
# (scripts/win64-deps/*.cpp); any other compiled part fails to link on win64 with a clear
# undefined reference.
build_agg() {
    local src="$1" build="$DEPS/build/agg"
    rm -rf "$build" "$STAGE/include/agg2"
    mkdir -p "$build" "$STAGE/include/agg2" "$STAGE/lib"
    if [ -z "$src" ]; then
        [ -f /usr/include/agg2/agg_basics.h ] || die "no AGG source package and no libagg-dev headers"
        say "AGG's source package is unavailable: headers from /usr/include/agg2, compiled parts from scripts/win64-deps"
        cp -r /usr/include/agg2/. "$STAGE/include/agg2/"
        compile_agg "$FALLBACK" "$STAGE/include/agg2" "$build"
        return
    fi
    say "building libagg from $(basename "$src")"
    [ -d "$src/include" ] && [ -d "$src/src" ] || die "unexpected AGG source layout in $src"
    cp -r "$src"/include/. "$STAGE/include/agg2/"
    compile_agg "$src/src" "$src/include" "$build"
}

# compile_agg SOURCE-DIR INCLUDE-DIR BUILD-DIR: compiles SOURCE-DIR/agg_*.cpp into
# BUILD-DIR/libagg.a and installs it.
compile_agg() {
    local build="$3"
    find "$1" -maxdepth 1 -name 'agg_*.cpp' -print0 |
        xargs -0 -P "$JOBS" -I{} sh -c \
            '"$1" -O2 -std=gnu++17 -w -I"$2" -c "$3" -o "$4/$(basename "$3" .cpp).o"' \
            _ "$CXX" "$2" {} "$build" >"$DEPS/agg-build.log" 2>&1 ||
        { tail -30 "$DEPS/agg-build.log" >&2; die "compiling AGG failed"; }
    "$AR" rcs "$build/libagg.a" "$build"/*.o
    cp "$build/libagg.a" "$STAGE/lib/libagg.a"
}

# libmpg123 alone (no output modules, no programs), static, with the portable C decoder so no
# assembler is needed; autotools cross configure.
build_mpg123() {
    local src="$1" build="$DEPS/build/mpg123"
    say "building libmpg123 from $(basename "$src")"
    rm -rf "$build"
    mkdir -p "$build" "$STAGE/include" "$STAGE/lib"
    (cd "$build" && "$src/configure" --host=x86_64-w64-mingw32 --prefix="$build/install" \
        --disable-shared --enable-static --disable-components --enable-libmpg123 \
        --with-cpu=generic_fpu --disable-debug >"$DEPS/mpg123-configure.log" 2>&1) ||
        { tail -30 "$DEPS/mpg123-configure.log" >&2; die "configuring libmpg123 failed"; }
    (cd "$build" && make -j "$JOBS" install >"$DEPS/mpg123-build.log" 2>&1) ||
        { tail -30 "$DEPS/mpg123-build.log" >&2; die "building libmpg123 failed"; }
    cp "$build/install/include/"*.h "$STAGE/include/"
    cp "$build/install/lib/libmpg123.a" "$STAGE/lib/libmpg123.a"
}

# libpng with its own CMake build, static only, against the mingw zlib.
build_png() {
    local src="$1" build="$DEPS/build/png"
    say "building libpng from $(basename "$src")"
    rm -rf "$build"
    cmake -S "$src" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
        -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_HARDWARE_OPTIMIZATIONS=OFF \
        -DCMAKE_BUILD_TYPE=Release >"$DEPS/png-configure.log" 2>&1 ||
        { tail -30 "$DEPS/png-configure.log" >&2; die "configuring libpng failed"; }
    cmake --build "$build" --target png_static -j "$JOBS" >"$DEPS/png-build.log" 2>&1 ||
        { tail -30 "$DEPS/png-build.log" >&2; die "building libpng failed"; }
    mkdir -p "$STAGE/include" "$STAGE/lib"
    cp "$src/png.h" "$src/pngconf.h" "$build/pnglibconf.h" "$STAGE/include/"
    cp "$(ls "$build"/libpng*.a | head -1)" "$STAGE/lib/libpng.a"
}

# giflib builds with a plain Makefile; its library is a handful of C files compiled here.
build_gif() {
    local src="$1" build="$DEPS/build/gif" f
    say "building giflib from $(basename "$src")"
    rm -rf "$build"
    mkdir -p "$build" "$STAGE/include" "$STAGE/lib"
    for f in dgif_lib egif_lib gifalloc gif_err gif_font gif_hash openbsd-reallocarray; do
        "$CC" -O2 -w -I"$src" -c "$src/$f.c" -o "$build/$f.o" >>"$DEPS/gif-build.log" 2>&1 ||
            { tail -30 "$DEPS/gif-build.log" >&2; die "compiling giflib failed"; }
    done
    "$AR" rcs "$build/libgif.a" "$build"/*.o
    cp "$src/gif_lib.h" "$STAGE/include/"
    cp "$build/libgif.a" "$STAGE/lib/libgif.a"
}

mkdir -p "$CACHE"
if ensure_deb_src; then
    "${SUDO[@]}" apt-get update -qq
fi
fetch_source libjpeg-turbo || { cat "$CACHE/libjpeg-turbo.err" >&2; die "cannot download libjpeg-turbo's source"; }
jpeg_src=$(unpack_source libjpeg-turbo)
fetch_source mpg123 || { cat "$CACHE/mpg123.err" >&2; die "cannot download mpg123's source"; }
mpg123_src=$(unpack_source mpg123)
fetch_source libpng1.6 || { cat "$CACHE/libpng1.6.err" >&2; die "cannot download libpng's source"; }
png_src=$(unpack_source libpng1.6)
fetch_source giflib || { cat "$CACHE/giflib.err" >&2; die "cannot download giflib's source"; }
gif_src=$(unpack_source giflib)
agg_src=""
if fetch_source agg; then
    agg_src=$(unpack_source agg)
fi
# Built in a staging folder and swapped in at the end, so a win64 build running meanwhile
# sees the old libraries or the new ones, never a half-written set.
STAGE="$DEPS/win64.staging"
rm -rf "$STAGE"
build_jpeg "$jpeg_src"
build_agg "$agg_src"
build_mpg123 "$mpg123_src"
build_png "$png_src"
build_gif "$gif_src"
echo "$stamp_text" >"$STAGE/.stamp"
rm -rf "$PREFIX.old"
[ -d "$PREFIX" ] && mv "$PREFIX" "$PREFIX.old"
mv "$STAGE" "$PREFIX"
rm -rf "$PREFIX.old"
say "done: $(ls "$PREFIX/lib" | tr '\n' ' ')in $PREFIX"
