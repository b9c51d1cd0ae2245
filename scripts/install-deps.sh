#!/usr/bin/env bash
# Installs every Debian 12 package the build, the demo and the tests need. Quick when
# everything is there already.
set -euo pipefail
. "$(dirname "$0")/tmpdir.sh"

packages=(
    cmake make g++ libgtest-dev zlib1g-dev
    g++-mingw-w64-i686 gcc-mingw-w64-i686 binutils-mingw-w64-i686 libz-mingw-w64-dev
    g++-mingw-w64-i686-win32 g++-mingw-w64-i686-posix osslsigncode openssl
    wine wine32:i386 wine64 fonts-wine
    xvfb x11-utils imagemagick liblnk-utils icoutils locales libcap2-bin python3
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "install-deps: run as root or install sudo" >&2; exit 1; }
    sudo=sudo
fi
echo "install-deps: installing ${missing[*]}"
$sudo dpkg --add-architecture i386
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" \
    >/dev/null
