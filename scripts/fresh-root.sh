#!/usr/bin/env bash
# Checks the README's two commands as a new user meets them: a fresh Debian 12 root made by
# debootstrap, a clean clone of this repository's HEAD in it, then, inside the root as root,
# `bash scripts/demo.sh` and `bash scripts/test-all.sh`, each timed. Needs root and the
# network to Debian's mirror. Takes about half an hour; run by hand, not by the tests.
#   scripts/fresh-root.sh FOLDER      (FOLDER is made; it must not exist)
set -euo pipefail
[ "$(id -u)" -eq 0 ] || { echo "fresh-root: run as root" >&2; exit 1; }
root=${1:?usage: fresh-root.sh FOLDER}
[ ! -e "$root" ] || { echo "fresh-root: $root exists" >&2; exit 1; }
source=$(cd "$(dirname "$0")/.." && pwd)
command -v debootstrap >/dev/null || apt-get install -y -qq debootstrap >/dev/null

mirror=http://deb.debian.org/debian
debootstrap --variant=minbase bookworm "$root" "$mirror" >"$root.debootstrap.log" 2>&1
# The suites a Debian 12 installation reads, the security suite among them.
cat >"$root/etc/apt/sources.list" <<LIST
deb $mirror bookworm main
deb $mirror bookworm-updates main
deb http://deb.debian.org/debian-security bookworm-security main
LIST
git clone -q "$source" "$root/work/tk"
cp /etc/resolv.conf "$root/etc/resolv.conf"

# Everything mounted for the root lives in a mount namespace of its own.
unshare --mount --propagation private bash -s "$root" <<'INSIDE'
set -euo pipefail
root=$1
mount -t proc proc "$root/proc"
mount -t sysfs sysfs "$root/sys"
mount --rbind /dev "$root/dev"
mount -t tmpfs tmpfs "$root/tmp"
chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
    bash -c '
        set -uo pipefail
        cd /work/tk
        start=$(date +%s)
        bash scripts/demo.sh >/work/demo.log 2>&1
        demo=$?
        middle=$(date +%s)
        bash scripts/test-all.sh >/work/test-all.log 2>&1
        tests=$?
        end=$(date +%s)
        echo "demo.sh: exit $demo in $((middle - start)) s (the first command, with the package install)"
        echo "test-all.sh: exit $tests in $((end - middle)) s"
        echo "--- last lines of demo.sh:"; tail -n 25 /work/demo.log
        echo "--- last lines of test-all.sh:"; tail -n 6 /work/test-all.log
        [ $demo -eq 0 ] && [ $tests -eq 0 ]'
INSIDE
