# Helpers for the end-to-end tests: each test runs the built setup program in its own
# fresh Wine prefix and checks the result from outside with independent tools.
# shellcheck disable=SC1091
. "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-lib.sh"
set -uo pipefail

TK_E2E_FAILURES=0
TK_E2E_NAME=$(basename "$0" .sh)-$$

# A fresh prefix for this test, with the setup program copied to C:\setup\.
tk_e2e_prefix() {
    tk_wine_fresh_prefix "$TK_WINE_ROOT" "$TK_E2E_NAME" || { echo "FAIL: no Wine prefix"; exit 1; }
    mkdir -p "$WINEPREFIX/drive_c/setup"
    cp "$TK_SETUP_EXE" "$WINEPREFIX/drive_c/setup/tidykiosk_filter_v3.exe"
    TK_TEMP_UNIX=$(tk_wine_temp_dir)
    trap 'tk_wine_drop_prefix "$TK_WINE_ROOT" "$TK_E2E_NAME"' EXIT
}

# Runs the setup program (TK_SETUP_PROGRAM, a Windows path, when set) with the given
# arguments; the exit status lands in TK_STATUS.
tk_run_setup() {
    wine "${TK_SETUP_PROGRAM:-C:\setup\tidykiosk_filter_v3.exe}" "$@" </dev/null \
        >"$WINEPREFIX/setup.out" 2>&1
    TK_STATUS=$?
}

# The stand-in programs' log: one line per started program, "name<TAB>command line".
tk_standin_log() {
    local log="$TK_TEMP_UNIX/tidykiosk-standin.log"
    [ -f "$log" ] && tr -d '\r' <"$log"
}

tk_check() {  # tk_check DESCRIPTION COMMAND...
    local what=$1
    shift
    if "$@"; then
        echo "ok: $what"
    else
        echo "FAIL: $what"
        TK_E2E_FAILURES=$((TK_E2E_FAILURES + 1))
    fi
}

tk_check_eq() {  # tk_check_eq DESCRIPTION EXPECTED ACTUAL
    if [ "$2" == "$3" ]; then
        echo "ok: $1"
    else
        printf 'FAIL: %s\n  expected: %q\n  actual:   %q\n' "$1" "$2" "$3"
        TK_E2E_FAILURES=$((TK_E2E_FAILURES + 1))
    fi
}

tk_e2e_finish() {
    if [ "$TK_E2E_FAILURES" -ne 0 ]; then
        echo "$TK_E2E_FAILURES check(s) failed"
        exit 1
    fi
    echo "all checks passed"
}

# The input a payload was built from (the stand-in stage, or TK_PAYLOAD_DIR).
tk_payload_input() {
    if [ -n "${TK_PAYLOAD_INPUT:-}" ]; then
        printf '%s/%s' "$TK_PAYLOAD_INPUT" "$1"
    else
        printf '%s/%s' "$TK_PAYLOAD_STAGE" "$1"
    fi
}

# Every window the display shows until the file STOP exists, one line each ("0x... "title""),
# as X sees them: those of every Wine process, message boxes and Wine's own dialogs included.
# A display that cannot be read is said once.
tk_watch_windows() {  # tk_watch_windows STOP
    xwininfo -root >/dev/null 2>&1 || { echo "cannot read the display $DISPLAY"; return; }
    local id
    while [ ! -e "$1" ]; do
        for id in $(xwininfo -root -children 2>/dev/null | awk '$1 ~ /^0x/ {print $1}'); do
            xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable' &&
                xwininfo -id "$id" 2>/dev/null | sed -n 's/^xwininfo: Window id: //p'
        done
        sleep 0.2
    done
}

# The window test tool, copied into the prefix.
tk_window() {
    wine "$TK_BUILD_DIR/test-tools/tk_window.exe" "$@" </dev/null 2>/dev/null | tr -d '\r'
    return "${PIPESTATUS[0]}"
}
