#!/usr/bin/env bash
# How a silent install reports what went wrong: a file in use is kept until the restart, a full
# disk puts nothing in place and leaves no temporary file, a stopping error goes to the console;
# never a window.
. "$(dirname "$0")/e2e-lib.sh"
tk_e2e_prefix

x=$(tk_wine_unix_path 'C:\X')
tk_run_setup -silent 0 'C:\X'
tk_check_eq "first install: exit status" 0 "$TK_STATUS"

# No window can be made (no desktop, its heap used up; here no X display): one line says so.
# (Not first: the first window made in a fresh prefix starts Wine's desktop, which without a
# display would fail every later run.)
DISPLAY='' tk_run_setup -silent 0 'C:\NoWindow'
tk_check_eq "no window: exit status 1" 1 "$TK_STATUS"
tk_check_eq "no window: one console line that says so" \
    "tidykiosk_filter_v3: The setup program could not create its window (error N)." \
    "$(tr -d '\r' <"$WINEPREFIX/setup.out" | sed 's/(error [0-9]*)/(error N)/')"
tk_check "no window: nothing was installed" test ! -e "$(tk_wine_unix_path 'C:\NoWindow')"

# A deployment tool running as SYSTEM starts in the system folder: a relative folder there is
# refused (a 32-bit program's files would go to SysWOW64), before anything is written.
(cd "$WINEPREFIX/drive_c/windows/system32" && tk_run_setup -silent 0 Filter &&
    echo "$TK_STATUS" >"$WINEPREFIX/status")
tk_check_eq "inside the Windows folder: exit status 1" 1 "$(cat "$WINEPREFIX/status")"
tk_check "inside the Windows folder: the console says so" grep -qF \
    'tidykiosk_filter_v3: The install folder C:\windows\system32\Filter\ is inside the Windows folder.' \
    "$WINEPREFIX/setup.out"
tk_check_eq "inside the Windows folder: nothing written" "" \
    "$(find "$WINEPREFIX/drive_c/windows" -iname 'filter' -print; find "$WINEPREFIX/drive_c/ProgramData/tidyKiosk" -newer "$WINEPREFIX/setup.out" -print)"

# One deployment script for PCs with and without a D: drive: on a PC without it, nothing is
# written anywhere (no data folder, no shortcut), and the console says why.
tk_run_setup -silent 0 'Q:\Filter'
tk_check_eq "a drive the computer does not have: exit status 1" 1 "$TK_STATUS"
tk_check "a drive the computer does not have: the console says so" grep -qF \
    'tidykiosk_filter_v3: The install folder Q:\Filter\ could not be made (no such drive or folder). Nothing was installed.' \
    "$WINEPREFIX/setup.out"
tk_check_eq "a drive the computer does not have: nothing written" "" \
    "$(find "$WINEPREFIX/drive_c/ProgramData" "$WINEPREFIX/drive_c/users/Public" -newer "$WINEPREFIX/setup.out" -print)"

# A program of the installation is running (held open without sharing) during a reinstall.
printf 'old server program' >"$x/fltsrv.exe"
wine "$TK_BUILD_DIR/test-tools/tk_hold_file.exe" 'C:\X\fltsrv.exe' 'C:\X\held' 30 </dev/null >/dev/null 2>&1 &
holder=$!
for _ in $(seq 1 100); do [ -e "$x/held" ] && break; sleep 0.1; done
printf 'stale' >"$x/fltcln.exe"
tk_run_setup -silent 0 'C:\X'
kill "$holder" 2>/dev/null
wait "$holder" 2>/dev/null
# Linux sees only the low byte of 3010 (194); restart_replace_test.sh reads the whole status.
tk_check_eq "file in use: exit status 3010 (restart to finish)" 194 "$TK_STATUS"
tk_check_eq "file in use: left as it was until the restart" "old server program" "$(cat "$x/fltsrv.exe")"
tk_check "file in use: the other files were still replaced" \
    cmp -s "$(tk_payload_input fltcln.exe)" "$x/fltcln.exe"
tk_check_eq "file in use: no temporary file left" "" "$(find "$x" -name 'tk~*')"
rm -f "$x/held"

# A disk that fills up half-way through an upgrade: a small RAM disk as drive E:. Nothing is
# put in place, every earlier file stays as it was, and a run with room completes.
disk=$WINEPREFIX/../small-disk
mkdir -p "$disk"
if ! mount -t tmpfs -o size=2m tmpfs "$disk" 2>/dev/null; then
    echo "FAIL: cannot mount a small RAM disk for the full-disk case"
    exit 1
fi
ln -sfn "$disk" "$WINEPREFIX/dosdevices/e:"
tk_run_setup -silent 0 'E:\X'
tk_check_eq "disk full: the first install has room" 0 "$TK_STATUS"
for f in $(find "$disk/X" -type f); do printf 'previous version of %s' "${f##*/}" >"$f"; done
before=$(cd "$disk/X" && find . -type f | sort | xargs sha256sum)
dd if=/dev/zero of="$disk/filler" bs=4k 2>/dev/null || true
truncate -s -16k "$disk/filler"
tk_run_setup -silent 0 'E:\X'
tk_check_eq "disk full: exit status 1" 1 "$TK_STATUS"
tk_check "disk full: the console gives the system's reason" \
    grep -qF 'There is not enough space on the disk: E:\X\' "$WINEPREFIX/setup.out"
tk_check_eq "disk full: every earlier file byte for byte" "$before" \
    "$(cd "$disk/X" && find . -type f | sort | xargs sha256sum)"
tk_check_eq "disk full: no staged file left" "" "$(find "$disk" -name 'tk~*')"
rm -f "$disk/filler"
tk_run_setup -silent 0 'E:\X'
tk_check_eq "disk full: with room again the install completes" 0 "$TK_STATUS"
tk_check "disk full: the new files are in place" \
    cmp -s "$(tk_payload_input fltsrv.exe)" "$disk/X/fltsrv.exe"
rm -f "$WINEPREFIX/dosdevices/e:"
umount "$disk"

# A stopping error (the settings file cannot be written): reported on the console, exit 1,
# and still no window.
# (As root only a read-only mount stops a write.)
datax=$(tk_wine_unix_path 'C:\ProgramData\tidyKiosk\FServer\datax')
if ! { mount --bind "$datax" "$datax" && mount -o remount,ro,bind "$datax"; } 2>/dev/null; then
    echo "FAIL: cannot make a read-only mount for the stopping-error case"
    exit 1
fi
tk_window watch-hidden tkInstaller 6000 >/dev/null &
watcher=$!
sleep 0.5
tk_run_setup -silent 0 'C:\X'
wait "$watcher"
tk_check_eq "stopping error: no window or message box" 0 "$?"
tk_check_eq "stopping error: exit status 1" 1 "$TK_STATUS"
tk_check "stopping error: the message reached the console" \
    grep -qF 'Unable to write to C:\ProgramData\tidyKiosk\FServer\datax\data.ini' "$WINEPREFIX/setup.out"
umount "$datax"

tk_e2e_finish
