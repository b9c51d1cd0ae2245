#!/usr/bin/env bash
# sign-program.sh PROGRAM PFX NAME URL [TIMESTAMP_URL]: signs PROGRAM in place with
# Authenticode (SHA-256), the key and certificate from the PKCS#12 file PFX, whose password
# is in the environment variable TK_SIGN_PASSWORD. The build runs it as the last step of
# linking the setup program.
#
# The password reaches osslsigncode through a pipe, never a command line, and osslsigncode
# runs without it in its environment. The signed program is written into a private folder
# beside PROGRAM and then moved over it; when anything fails, PROGRAM is removed, so that
# no unsigned program is left where the signed one belongs.
set -euo pipefail
program=$1 pfx=$2 name=$3 url=$4 timestamp=${5:-}
osslsigncode=${TK_OSSLSIGNCODE:-osslsigncode}
work=$(mktemp -d "$(dirname "$program")/.signing.XXXXXX")
fail() {
    rm -rf "$work"
    rm -f "$program"
    echo "sign-program: $*; $program removed" >&2
    exit 1
}
[ -n "${TK_SIGN_PASSWORD:-}" ] || fail "the environment variable TK_SIGN_PASSWORD is not set"
[ -f "$pfx" ] && [ -r "$pfx" ] || fail "cannot read $pfx"
password=$TK_SIGN_PASSWORD
unset TK_SIGN_PASSWORD
arguments=(sign -pkcs12 "$pfx" -readpass /dev/fd/3 -h sha256 -n "$name" -i "$url"
    -in "$program" -out "$work/signed.exe")
[ -z "$timestamp" ] || arguments+=(-ts "$timestamp")
if ! "$osslsigncode" "${arguments[@]}" 3< <(printf '%s' "$password") >"$work/log" 2>&1; then
    cat "$work/log" >&2
    fail "osslsigncode could not sign (wrong password, or not a PKCS#12 file with a key?)"
fi
chmod --reference="$program" "$work/signed.exe"
mv -f "$work/signed.exe" "$program"
rm -rf "$work"
echo "sign-program: signed $program"
