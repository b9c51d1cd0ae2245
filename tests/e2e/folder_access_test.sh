#!/usr/bin/env bash
# Folder access of silent installs. Wine maps access lists to Unix modes only, so the grant
# shows as folders that everyone may write. When a folder's list cannot be stored (here: a
# read-only install folder), the "acc.bat" fallback runs; a stand-in "icacls" in the folder
# the batch starts in records how it was called and what the batch said.
. "$(dirname "$0")/e2e-lib.sh"
tk_e2e_prefix
C="$WINEPREFIX/drive_c"

mode_of() { stat -c %a "$1"; }
short_path() {  # the short form, or the path itself when there is none
    local short
    short=$(wine "$TK_BUILD_DIR/test-tools/tk_short_path.exe" "$1" </dev/null 2>/dev/null | tr -d '\r')
    printf '%s' "${short:-$1}"
}

# --- Both lists stored: both folders open to everyone, no batch file --------------------
mkdir -p "$C/rec"
cp "$TK_BUILD_DIR/test-tools/tk_icacls_recorder.exe" "$C/rec/icacls.exe"
(cd "$C/rec" && tk_run_setup -silent 0 'C:\X' && echo "$TK_STATUS" >"$C/rec/status")
tk_check_eq "grant: exit status" 0 "$(cat "$C/rec/status")"
tk_check_eq "grant: install folder writable by all" 777 "$(mode_of "$C/X")"
tk_check_eq "grant: data folder writable by all" 777 "$(mode_of "$C/ProgramData/tidyKiosk/FServer")"
tk_check_eq "grant: the folder above the data folder untouched" 755 "$(mode_of "$C/ProgramData/tidyKiosk")"
tk_check "grant: no batch file" test ! -e "$C/ProgramData/tidyKiosk/FServer/acc.bat"
tk_check "grant: icacls never ran" test ! -e "$TK_TEMP_UNIX/tk-icacls.log"

# --- The install folder's list cannot be stored: the batch runs -------------------------
mkdir -p "$C/Cafe Filter"
mount --bind "$C/Cafe Filter" "$C/Cafe Filter" && mount -o remount,bind,ro "$C/Cafe Filter" ||
    { echo "FAIL: cannot bind-mount"; exit 1; }
trap 'mountpoint -q "$C/Cafe Filter" && umount -l "$C/Cafe Filter"; tk_wine_drop_prefix "$TK_WINE_ROOT" "$TK_E2E_NAME"' EXIT
started=$(date +%s)
(cd "$C/rec" && tk_run_setup -silent 1 'C:\Cafe Filter' && echo "$TK_STATUS" >"$C/rec/status")
took=$(($(date +%s) - started))
# The payloads could not be written either, so the install reports missing steps.
tk_check_eq "fallback: exit status" 3 "$(cat "$C/rec/status")"
data_short=$(short_path 'C:\ProgramData\tidyKiosk\FClient')
install_short=$(short_path 'C:\Cafe Filter')
# The batch ran to its end while the setup still held it: both lines are there at once.
tk_check_eq "fallback: icacls ran for the data folder, then the install folder" \
    "$(printf '"%s" /grant:r Users:(OI)(CI)F\n' "$data_short" "$install_short")" \
    "$(cat "$TK_TEMP_UNIX/tk-icacls.log" 2>/dev/null)"
tk_check_eq "fallback: the batch file's three lines" \
    "$(printf '@echo off\r\nicacls "%s" /grant:r Users:(OI)(CI)F\r\nicacls "%s" /grant:r Users:(OI)(CI)F\r\n' \
        "$data_short" "$install_short" | od -An -c)" \
    "$(od -An -c <"$TK_TEMP_UNIX/tk-acc-copy.bat")"
tk_check "fallback: the setup deleted the batch once it had ended" \
    test ! -e "$C/ProgramData/tidyKiosk/FClient/acc.bat"
tk_check "fallback: the wait for the batch is bounded (took ${took}s)" test "$took" -le 90

tk_e2e_finish
