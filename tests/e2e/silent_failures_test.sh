#!/usr/bin/env bash
# How a silent install reports what went wrong: a file in use is kept until the restart, a full
# disk leaves no half-written or temporary file, a stopping error goes to the console;
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

# A disk that fills up half-way: a small RAM disk as drive E:.
disk=$WINEPREFIX/../small-disk
mkdir -p "$disk"
if mount -t tmpfs -o size=96k tmpfs "$disk" 2>/dev/null; then
    ln -sfn "$disk" "$WINEPREFIX/dosdevices/e:"
    mkdir -p "$disk/X"
    printf 'previous version' >"$disk/X/Uninstall.exe"
    tk_run_setup -silent 0 'E:\X'
    tk_check_eq "disk full: exit status 3" 3 "$TK_STATUS"
    tk_check_eq "disk full: no temporary file left" "" "$(find "$disk" -name 'tk~*')"
    for path in $(cd "$disk/X" && find . -type f -name '*.*' | sed 's|^\./||'); do
        if [ "$path" = Uninstall.exe ] && [ "$(cat "$disk/X/$path")" = "previous version" ]; then
            continue  # the old file, kept whole
        fi
        tk_check "disk full: $path is complete" cmp -s "$(tk_payload_input "$path")" "$disk/X/$path"
    done
    rm -f "$WINEPREFIX/dosdevices/e:"
    umount "$disk"
else
    echo "note: no tmpfs mount here; the full-disk case is covered by the Windows-side tests only"
fi

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
