#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the demo need. Safe to run again: when
# everything is there already it does nothing (no apt-get update, no network).
set -euo pipefail

PACKAGES=(
    # host build and unit tests (clang with ASan/UBSan/libFuzzer)
    clang clang-format libclang-rt-14-dev lld cmake ninja-build git
    zlib1g-dev libgtest-dev googletest libbenchmark-dev nlohmann-json3-dev
    libjpeg62-turbo-dev libagg-dev libpng-dev libgif-dev libcpptoml-dev libmpg123-dev
    # device text on the host: FreeType and the fixed set of free fonts it draws with; Noto Sans
    # (fonts-noto-core) is the device font of reference pictures made with a default font
    libfreetype-dev fonts-dejavu-core fonts-liberation fonts-noto-core
    # Windows cross build
    g++-mingw-w64-x86-64 libz-mingw-w64-dev
    # scripts/build-win64-deps.sh: unpacks Debian source packages for the mingw libraries
    dpkg-dev
    # end-to-end tests under Wine on a virtual display ("wine" holds the /usr/bin/wine commands)
    wine wine64 xvfb xdotool x11-utils imagemagick jq unzip zip procps
    # the Wine tests of signed screensavers (a throw-away certificate, Authenticode signing)
    # and of other locales (the tests make ru_RU.UTF-8 and pt_PT.UTF-8 with localedef from
    # the locale sources, in the build tree)
    openssl osslsigncode locales
)

missing=()
for p in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
if [ ${#missing[@]} -eq 0 ]; then
    echo "install-deps: all ${#PACKAGES[@]} packages present"
    exit 0
fi

SUDO=()
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "install-deps: run as root (or install sudo)" >&2; exit 1; }
    SUDO=(sudo)
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${SUDO[@]}" apt-get update -qq
"${SUDO[@]}" apt-get install -y -qq -o Dpkg::Use-Pty=0 "${missing[@]}" >/dev/null
echo "install-deps: done"
