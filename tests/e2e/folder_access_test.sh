#!/usr/bin/env bash
# Folder access of silent installs. Wine maps access lists to Unix modes only, so the grant
# shows as folders that everyone may write. When a folder's list cannot be stored (here: a
# read-only install folder), the "acc.bat" fallback runs; a stand-in for the system's
# "icacls" records how it was called and what the batch said, and may run for
# seconds (TK_ICACLS_SECONDS) and exit with a given status (TK_ICACLS_STATUS). Last, the
# same in the wizard: it answers while the batch runs, and a killed setup takes the batch
# and its "icacls" along.
. "$(dirname "$0")/e2e-lib.sh"
tk_e2e_prefix
C="$WINEPREFIX/drive_c"

mode_of() { stat -c %a "$1"; }
not_named() { ! grep -q "$1" "$2"; }
short_path() {  # the short form, or the path itself when there is none
    local short
    short=$(wine "$TK_BUILD_DIR/test-tools/tk_short_path.exe" "$1" </dev/null 2>/dev/null | tr -d '\r')
    printf '%s' "${short:-$1}"
}

# --- Both lists stored: both folders open to everyone, no batch file --------------------
# The stand-in is the system's "icacls" (the 32-bit program's system folder); the setup runs
# from a folder that holds another program named "icacls", which must never be run.
mkdir -p "$C/rec"
cp "$TK_BUILD_DIR/test-tools/tk_icacls_recorder.exe" "$C/windows/syswow64/icacls.exe"
cp "$TK_BUILD_DIR/test-tools/tk_short_path.exe" "$C/rec/icacls.exe"
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
batch='C:\ProgramData\tidyKiosk\FClient\acc.bat'
tk_check_eq "fallback: the batch file's six lines" \
    "$(printf '@echo off\r\nicacls "%s" /grant:r Users:(OI)(CI)F\r\nicacls "%s" /grant:r Users:(OI)(CI)F\r\n:try\r\ndel "%s"\r\nif exist "%s" goto try\r\n' \
        "$data_short" "$install_short" "$batch" "$batch" | od -An -c)" \
    "$(od -An -c <"$TK_TEMP_UNIX/tk-acc-copy.bat")"
tk_check "fallback: the setup deleted the batch once it had ended" \
    test ! -e "$C/ProgramData/tidyKiosk/FClient/acc.bat"
tk_check "fallback: the wait for the batch is bounded (took ${took}s)" test "$took" -le 90
tk_check "fallback: both icacls ended with 0, so the folder rights count as done" \
    not_named "access rights of the folders" "$WINEPREFIX/setup.out"

# An "icacls" that fails: the step did not complete, and says so.
rm -f "$TK_TEMP_UNIX"/tk-icacls*.log
(cd "$C/rec" && TK_ICACLS_STATUS=5 tk_run_setup -silent 1 'C:\Cafe Filter')
tk_check_eq "failing icacls: both ran" 2 "$(grep -c grant "$TK_TEMP_UNIX/tk-icacls.log")"
tk_check "failing icacls: the folder rights are named as not done" \
    grep -q "access rights of the folders" "$WINEPREFIX/setup.out"

# --- The wizard, while a slow "icacls" runs --------------------------------------------
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
server="$C/Program Files (x86)/tidyKiosk/Filter Server"
mkdir -p "$server"
mount --bind "$server" "$server" && mount -o remount,bind,ro "$server" ||
    { echo "FAIL: cannot bind-mount"; exit 1; }
trap 'for m in "$C/Cafe Filter" "$server"; do mountpoint -q "$m" && umount -l "$m"; done; tk_wine_drop_prefix "$TK_WINE_ROOT" "$TK_E2E_NAME"' EXIT
wizard() {  # wizard ANSWER|KILL: the wizard with the driver; its status lands in TK_STATUS
    rm -f "$TK_TEMP_UNIX"/tk-icacls*.log
    (cd "$C/rec" && TK_ICACLS_SECONDS=5 exec wine 'C:\setup\tidykiosk_filter_v3.exe' </dev/null >/dev/null 2>&1) &
    local setup=$!
    wine "$TK_BUILD_DIR/test-tools/tk_wizard.exe" during-batch "$1" </dev/null 2>/dev/null |
        tr -d '\r' | tee "$WINEPREFIX/driver.out"
    TK_E2E_FAILURES=$((TK_E2E_FAILURES + $(grep -c '^FAIL' "$WINEPREFIX/driver.out")))
    grep -q '^ok' "$WINEPREFIX/driver.out" || { echo "FAIL: the driver checked nothing"; TK_E2E_FAILURES=$((TK_E2E_FAILURES + 1)); }
    wait "$setup"
    TK_STATUS=$?
}
wizard answer
tk_check_eq "wizard: both icacls ran to their end" 2 "$(grep -c grant "$TK_TEMP_UNIX/tk-icacls-ended.log")"
tk_check_eq "wizard: exit status (the payload files could not be written)" 3 "$TK_STATUS"

wizard kill
sleep 15  # three times what one "icacls" takes: one left running would have ended by now
tk_check_eq "killed: the batch ended with the setup (the second icacls never started)" \
    1 "$(grep -c grant "$TK_TEMP_UNIX/tk-icacls.log")"
tk_check "killed: the running icacls ended with it" test ! -e "$TK_TEMP_UNIX/tk-icacls-ended.log"

tk_e2e_finish
