#!/usr/bin/env bash
# The provider step of a silent install: the helper is started once, by its short path, with
# the installer window's handle, the short library path and " IY"; without the helper the
# step is skipped and the install still completes, reporting that a step did not; a helper
# that cannot start shows nothing.
. "$(dirname "$0")/e2e-lib.sh"
tk_e2e_prefix

short_path() {
    wine "$TK_BUILD_DIR/test-tools/tk_short_path.exe" "$1" </dev/null 2>/dev/null | tr -d '\r'
}

# Lines of the stand-in log written by the helper, once the started helpers have logged.
helper_lines() {
    for _ in $(seq 1 50); do
        tk_standin_log | grep -q $'^_fltw\.exe\t' && break
        sleep 0.1
    done
    sleep 1  # a second start would follow at once
    tk_standin_log | grep $'^_fltw\.exe\t'
}

# The helper also lies beside the setup program, where a removal of a stale registration
# would start it; the catalogue has no registration, so only the install helper may start.
cp "$TK_BUILD_DIR/standins/_fltw.exe" "$WINEPREFIX/drive_c/setup/_fltw.exe"
rm -f "$TK_TEMP_UNIX/tidykiosk-standin.log"
tk_run_setup -silent 0 'C:\Some Folder'
tk_check_eq "exit status" 0 "$TK_STATUS"
lines=$(helper_lines)
tk_check_eq "the helper was started once" 1 "$(printf '%s\n' "$lines" | grep -c .)"
helper=$(short_path 'C:\Some Folder\_fltw.exe')
library=$(short_path 'C:\Some Folder\plugin\_kfilter.dll')
tk_check "short paths known" test -n "$helper" -a -n "$library"
tk_check "short paths differ from the long ones" test "$helper" != 'C:\Some Folder\_fltw.exe'
command=${lines#*$'\t'}
quoted="\"$helper\""  # the shell quotes the file it starts
command=${command#"$quoted"}
handle=$(printf '%s' "$command" | sed -n 's/^ \([0-9][0-9]*\) .*/\1/p')
tk_check "the owner window handle is a decimal number" test -n "$handle" -a "${handle:-0}" != 0
tk_check_eq "helper command line" "\"$helper\" $handle $library IY" "${lines#*$'\t'}"

# A folder named like the helper: the helper cannot be written and the step is skipped.
mkdir -p "$(tk_wine_unix_path 'C:\Blocked\_fltw.exe')"
rm -f "$TK_TEMP_UNIX/tidykiosk-standin.log"
tk_run_setup -silent 0 'C:\Blocked'
tk_check_eq "blocked helper: exit status 'installed, but some steps did not complete'" 3 "$TK_STATUS"
tk_check_eq "blocked helper: nothing started" "" "$(helper_lines)"
tk_check "blocked helper: the library was written" \
    test -f "$(tk_wine_unix_path 'C:\Blocked\plugin\_kfilter.dll')"
tk_check "blocked helper: the install went on to its settings file" \
    test -f "$(tk_wine_unix_path 'C:\ProgramData\tidyKiosk\FServer\datax\data.ini')"

# A helper that is there but is no program (read-only, so the install keeps it): the run shows
# no window of any kind and ends as one whose step did not complete. (Wine 8 shows no box of
# the system's for a start that fails, not even without SEE_MASK_FLAG_NO_UI; the watch catches
# the setup program's own windows and boxes, and Wine's crash dialog.)
broken=$(tk_wine_unix_path 'C:\Broken')
mkdir -p "$broken"
printf 'not a program' >"$broken/_fltw.exe"
chmod a-w "$broken/_fltw.exe"
tk_watch_windows "$WINEPREFIX/run-ended" >"$WINEPREFIX/windows-shown" &
watcher=$!
tk_run_setup -silent 0 'C:\Broken'
touch "$WINEPREFIX/run-ended"
wait "$watcher"
tk_check_eq "broken helper: exit status 3" 3 "$TK_STATUS"
tk_check_eq "broken helper: no window of any kind" "" "$(sort -u "$WINEPREFIX/windows-shown")"
tk_check "broken helper: the console says the step did not complete" grep -qF \
    'tidykiosk_filter_v3: filter provider registration: did not complete' "$WINEPREFIX/setup.out"

tk_e2e_finish
