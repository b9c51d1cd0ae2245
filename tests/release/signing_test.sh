#!/usr/bin/env bash
# Signing with a throwaway certificate: a wrong password fails the build and leaves no
# program; the right one gives a program whose signature verifies, names the product and
# its address, and covers every byte; without the signature it is the unsigned build. The
# password appears in no build file and no build output. Leaves the signed program at
# TK_SIGNED_EXE for the install test under Wine.
. "$(dirname "$0")/release-lib.sh"
cd "$TK_RELEASE_WORK"
source=$TK_RELEASE_WORK/src
tk_release_checkout "$source"

openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 2 \
    -subj "/CN=tidyKiosk test signer" -addext "extendedKeyUsage=codeSigning" \
    -addext "keyUsage=critical,digitalSignature" >openssl.log 2>&1
export TK_TEST_PASSWORD="pw-$(openssl rand -hex 12)"
openssl pkcs12 -export -inkey key.pem -in cert.pem -out signer.pfx -passout env:TK_TEST_PASSWORD \
    >>openssl.log 2>&1 || { cat openssl.log; echo "FAIL: no test certificate"; exit 1; }

# osslsigncode as the build finds it on PATH, recording its command line and environment.
real_osslsigncode=$(command -v osslsigncode)
mkdir -p bin
printf '#!/bin/sh\n{ echo "$*"; env; } >>"%s/osslsigncode.calls"\nexec "%s" "$@"\n' \
    "$TK_RELEASE_WORK" "$real_osslsigncode" >bin/osslsigncode
chmod +x bin/osslsigncode

release() {  # release LOG [VAR=VALUE...]: scripts/release.sh in the copy, make showing commands
    local log=$1
    shift
    (cd "$source" && tk_release_clean_env -u TK_TEST_PASSWORD VERBOSE=1 PATH="$TK_RELEASE_WORK/bin:$PATH" "$@" \
        bash scripts/release.sh >"$TK_RELEASE_WORK/$log" 2>&1)
}
program=$source/build/release/tidykiosk_filter_v3.exe
released=$source/dist/tidykiosk_filter_v3.exe

release wrong.log TK_SIGN_PFX="$TK_RELEASE_WORK/signer.pfx" TK_SIGN_PASSWORD=not-the-password
tk_check "wrong password: the build fails" test $? -ne 0
tk_check "wrong password: no program at the output path" test ! -e "$program"
tk_check "wrong password: nothing in dist/" test ! -e "$released"

release signed.log TK_SIGN_PFX="$TK_RELEASE_WORK/signer.pfx" TK_SIGN_PASSWORD="$TK_TEST_PASSWORD" TK_SIGN_CAFILE="$TK_RELEASE_WORK/cert.pem"
status=$?
[ "$status" -eq 0 ] || tail -n 30 signed.log
tk_check_eq "right password: the release succeeds" 0 "$status"
osslsigncode verify -CAfile cert.pem -in "$released" >verify.log 2>&1
tk_check "signature verifies against the test certificate" test $? -eq 0
tk_check "signature names the product" grep -q "Text description: tidyKiosk Filter v3$" verify.log
tk_check "signature names its address" grep -q "URL description: http://www.tidykiosk.example/$" verify.log
tk_check "SHA256SUMS matches" bash -c "cd '$source/dist' && sha256sum -c --quiet SHA256SUMS"
tk_check "password not in CMakeCache.txt" bash -c "! grep -qF \"\$TK_TEST_PASSWORD\" '$source/build/release/CMakeCache.txt'"
tk_check "password in no build file" bash -c "! grep -rqF \"\$TK_TEST_PASSWORD\" '$source/build/release'"
tk_check "password not in the build output" bash -c "! grep -qF \"\$TK_TEST_PASSWORD\" signed.log wrong.log"
tk_check "build output shows the commands (so the check above means something)" grep -q "sign-program.sh" signed.log
tk_check "osslsigncode read the password from a file" grep -q "^sign .*-readpass" osslsigncode.calls
tk_check "password in no command line or environment of osslsigncode" \
    bash -c "! grep -qF \"\$TK_TEST_PASSWORD\" osslsigncode.calls"
mkdir -p "$(dirname "$TK_SIGNED_EXE")"
cp "$released" "$TK_SIGNED_EXE"

cp "$released" altered.exe
python3 -c "import sys; f = open(sys.argv[1], 'r+b'); f.seek(0x400); b = f.read(1); f.seek(0x400); f.write(bytes([b[0] ^ 1]))" altered.exe
osslsigncode verify -CAfile cert.pem -in altered.exe >altered.log 2>&1
tk_check "one byte changed: verification fails" test $? -ne 0

osslsigncode remove-signature -in "$released" -out stripped.exe >/dev/null 2>&1
release unsigned.log
tk_check "unsigned release succeeds" test $? -eq 0
tk_check "unsigned release has no signature" bash -c "! osslsigncode verify -in '$released' >/dev/null 2>&1"
tk_check "signed program without its signature equals the unsigned build" cmp -s stripped.exe "$released"
tk_e2e_finish
