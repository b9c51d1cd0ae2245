# Helpers for the release tests: each builds private copies of the sources as
# scripts/release.sh does, in a folder of its own that is removed when the test ends.
# shellcheck disable=SC1091
. "$(dirname "${BASH_SOURCE[0]}")/../e2e/e2e-lib.sh"

TK_RELEASE_SOURCE=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
TK_RELEASE_WORK=$(mktemp -d "${TK_BUILD_DIR:-/tmp}/release-test.XXXXXX")
trap '[ -n "${TK_KEEP_RELEASE_WORK:-}" ] || rm -rf "$TK_RELEASE_WORK"' EXIT

# Copies the sources as they are now (committed or not, without what git ignores) to DEST,
# with fresh modification times, as a new clone would have.
tk_release_checkout() {
    local dest=$1
    mkdir -p "$dest"
    if git -C "$TK_RELEASE_SOURCE" rev-parse --git-dir >/dev/null 2>&1; then
        git -C "$TK_RELEASE_SOURCE" ls-files -z --cached --others --exclude-standard |
            tar -C "$TK_RELEASE_SOURCE" --null --ignore-failed-read -T - -cf - 2>/dev/null
    else
        tar -C "$TK_RELEASE_SOURCE" --exclude=./build --exclude=./dist -cf - .
    fi | tar -C "$dest" -xmf -
}

# Runs COMMAND... with no signing settings from the caller's environment.
tk_release_clean_env() {
    env -u TK_SIGN_PFX -u TK_SIGN_PASSWORD -u TK_SIGN_TIMESTAMP_URL -u TK_SIGN_CAFILE "$@"
}
