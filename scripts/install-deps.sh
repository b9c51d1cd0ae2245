#!/usr/bin/env bash
# Installs every Debian 12 package the build, the demo and the tests need, and makes sure
# this machine can run 32-bit x86 programs (natively, or through QEMU's user-mode emulator
# where the kernel runs 64-bit code only). Quick when everything is there already.
set -euo pipefail
here=$(dirname "$0")
. "$here/tmpdir.sh"
. "$here/i386-lib.sh"

packages=(
    cmake make g++ libgtest-dev zlib1g-dev
    g++-mingw-w64-i686 gcc-mingw-w64-i686 binutils-mingw-w64-i686 libz-mingw-w64-dev
    g++-mingw-w64-i686-win32 g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-win32
    osslsigncode openssl
    wine wine32:i386 wine64 fonts-wine
    xvfb x11-utils imagemagick liblnk-utils icoutils locales libcap2-bin python3
)
# Only where 32-bit programs run under the emulator.
emulator_packages=(qemu-user-static wine32-preloader)

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "install-deps: run as root or install sudo" >&2; exit 1; }
    sudo=sudo
fi

missing_of() {
    local package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
            echo "$package"
    done
}

updated=0
apt_update() {
    [ "$updated" = 1 ] && return 0
    updated=1
    $sudo dpkg --add-architecture i386
    local log
    log=$(mktemp)
    # One index that fails (a mirror in the middle of a sync) makes apt-get update exit 100
    # although every other index was read: name it and go on with what was read.
    if ! $sudo apt-get update -qq >"$log" 2>&1; then
        sed -n 's/^E: Failed to fetch \([^ ]*\).*/\1/p' "$log" | while read -r index; do
            echo "install-deps: warning: apt-get update could not read $index; going on without it" >&2
        done
        grep -q '^E: Failed to fetch' "$log" || { cat "$log" >&2; rm -f "$log"; return 1; }
    fi
    rm -f "$log"
}

# Installs the given packages. Where the security suite's i386 index is missing or behind
# its amd64 one, the i386 libraries cannot match the amd64 ones that apt would take from
# the security suite: for that install alone, the security suite is preferred only for
# what is installed already, so both architectures come from the same release.
pin=/etc/apt/preferences.d/tidykiosk-install-deps
apt_install() {
    apt_update
    local install=(env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq)
    if ! $sudo apt-get install -s -qq "$@" >/dev/null 2>&1; then
        echo "install-deps: the i386 and amd64 package lists disagree; installing with the" \
            "security suite held back ($pin, removed afterwards)" >&2
        printf 'Package: *\nPin: release l=Debian-Security\nPin-Priority: 100\n' |
            $sudo tee "$pin" >/dev/null
        trap '$sudo rm -f "$pin"' EXIT
    fi
    echo "install-deps: installing $*"
    $sudo "${install[@]}" "$@" >/dev/null
    $sudo rm -f "$pin"
}

mapfile -t missing < <(missing_of "${packages[@]}")
[ ${#missing[@]} -eq 0 ] || apt_install "${missing[@]}"

# 32-bit programs: the released program and the 32-bit half of Wine.
mode=$(tk_i386_mode)
if [ "$mode" != native ]; then
    mapfile -t missing < <(missing_of "${emulator_packages[@]}")
    [ ${#missing[@]} -eq 0 ] || apt_install "${missing[@]}"
    if [ "$mode" = none ]; then
        echo "install-deps: this machine does not run 32-bit x86 programs; setting up QEMU's" \
            "user-mode emulator for them (binfmt_misc entry $TK_I386_BINFMT, flag F)"
        $sudo bash -c ". '$here/i386-lib.sh' && tk_i386_register_emulator" ||
            { echo "install-deps: could not register the emulator with binfmt_misc" >&2; exit 1; }
        mode=$(tk_i386_mode)
        [ "$mode" = emulated ] || {
            echo "install-deps: 32-bit x86 programs still do not run; Wine cannot run the" \
                "released program on this machine" >&2
            exit 1
        }
    fi
fi
