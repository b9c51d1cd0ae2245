#!/usr/bin/env bash
# Builds tidykiosk_filter_v3.exe as released and writes dist/tidykiosk_filter_v3.exe with
# dist/SHA256SUMS.
#   scripts/release.sh [PAYLOAD_DIR]     PAYLOAD_DIR: the fifteen payload files (default:
#                                        the stand-ins)
# Environment: TK_SIGN_PFX (a PKCS#12 file: sign the program) with TK_SIGN_PASSWORD,
# TK_SIGN_TIMESTAMP_URL (optional), TK_SIGN_CAFILE (certificates to verify the signature's
# chain with; default: osslsigncode's, the system's certificate bundle).
set -euo pipefail
. "$(dirname "$0")/tmpdir.sh"
absolute() { [ -z "$1" ] || realpath -m "$1"; }  # paths are given relative to the caller's folder
payload=$(absolute "${1:-}")
pfx=$(absolute "${TK_SIGN_PFX:-}")
cafile=$(absolute "${TK_SIGN_CAFILE:-}")
cd "$(dirname "$0")/.."
program=build/release/tidykiosk_filter_v3.exe

bash scripts/install-deps.sh
rm -f dist/tidykiosk_filter_v3.exe dist/SHA256SUMS
cmake --preset release -DTK_PAYLOAD_DIR="$payload" -DTK_SIGN_PFX="$pfx" \
    -DTK_SIGN_TIMESTAMP_URL="${TK_SIGN_TIMESTAMP_URL:-}" >/dev/null
cmake --build --preset release --target tidykiosk_filter_v3
python3 tests/release/check_imports.py i686-w64-mingw32-objdump "$program" tests/imports-allowed.txt
if [ -n "$pfx" ]; then
    verify=(verify -in "$program")
    [ -z "$cafile" ] || verify+=(-CAfile "$cafile")
    # Only the signing step needs the password; nothing else is handed it.
    if ! env -u TK_SIGN_PASSWORD osslsigncode "${verify[@]}" >build/release/verify.log 2>&1; then
        cat build/release/verify.log >&2
        echo "release: the signature of $program does not verify" >&2
        exit 1
    fi
    echo "release: signature verified"
fi
mkdir -p dist
cp "$program" dist/tidykiosk_filter_v3.exe
(cd dist && sha256sum tidykiosk_filter_v3.exe >SHA256SUMS)
cat dist/SHA256SUMS
