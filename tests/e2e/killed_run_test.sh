#!/usr/bin/env bash
# A setup run killed while its new files wait beside their targets: the next run removes
# them, whatever edition and folder it installs itself, so no staged file stays anywhere.
. "$(dirname "$0")/e2e-lib.sh"
tk_e2e_prefix

drive=$(tk_wine_unix_path 'C:\')
tk_run_setup -silent 0 'C:\Server'
tk_check_eq "a whole Server install first: exit status" 0 "$TK_STATUS"

# An upgrade ended outright the moment its first new file is staged.
wine "$TK_BUILD_DIR/test-tools/tk_kill_when_staged.exe" 'C:\Server' \
    'C:\setup\tidykiosk_filter_v3.exe -silent 0 C:\Server' </dev/null >/dev/null 2>&1
tk_check_eq "an upgrade killed while its files were staged" 0 "$?"
pkill -KILL -f 'wine C:.Server._fltw\.exe' 2>/dev/null
tk_check "the killed upgrade left a staged file" \
    test -n "$(find "$(tk_wine_unix_path 'C:\Server')" -name 'tk~*.tmp')"

tk_run_setup -silent 1 'C:\Client'
tk_check_eq "then a Client install into another folder: exit status" 0 "$TK_STATUS"
tk_check_eq "no staged file anywhere afterwards" "" "$(find "$drive" -name 'tk~*.tmp')"

tk_e2e_finish
