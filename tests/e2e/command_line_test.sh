#!/usr/bin/env bash
# Command lines that are not the exact silent form open the wizard; a second interactive
# start is refused while a wizard is open, but a silent one installs beside it.
. "$(dirname "$0")/e2e-lib.sh"
tk_e2e_prefix

quit_wizard() {  # answers the quit question with Yes
    tk_window close tkInstaller >/dev/null
    tk_window click-dialog "tidyKiosk Filter v3 Installation" 6 >/dev/null
}

for args in "-silent 2 C:\\X" "-Silent 0 C:\\X" "-silent 1" "-SILENT 0 C:\\X"; do
    # shellcheck disable=SC2086
    wine 'C:\setup\tidykiosk_filter_v3.exe' $args </dev/null >/dev/null 2>&1 &
    setup=$!
    caption=$(tk_window wait-visible tkInstaller 15000)
    tk_check_eq "'$args' opens the wizard" "tidyKiosk Filter v3 Installation" "$caption"
    quit_wizard
    wait "$setup"
    tk_check_eq "'$args': quitting the wizard exits with status 4" 4 "$?"
done
tk_check "nothing was installed by those command lines" test ! -e "$(tk_wine_unix_path 'C:\X')"

wine 'C:\setup\tidykiosk_filter_v3.exe' </dev/null >/dev/null 2>&1 &
wizard=$!
tk_window wait-visible tkInstaller 15000 >/dev/null
wine 'C:\setup\tidykiosk_filter_v3.exe' </dev/null >/dev/null 2>&1 &
second=$!
tk_check_eq "a second interactive start says so" "Setup Wizard is already running." \
    "$(tk_window dialog-text Error 15000)"
tk_window click-dialog Error 2 >/dev/null
wait "$second"
tk_check_eq "the second start exits with status 5" 5 "$?"

tk_run_setup -silent 0 'C:\Beside'
tk_check_eq "a silent start beside an open wizard installs" 0 "$TK_STATUS"
tk_check "the silent install wrote the server program" test -f "$(tk_wine_unix_path 'C:\Beside\fltsrv.exe')"

quit_wizard
wait "$wizard"

# A relative silent folder, from a deployment batch that changes folder first: everything
# the install writes names the full folder.
work=$(tk_wine_unix_path 'C:\Work')
mkdir -p "$work"
printf '@echo off\r\ncd /d C:\\Work\r\nstart /wait C:\\setup\\tidykiosk_filter_v3.exe -silent 0 Filter\r\necho status %%errorlevel%%\r\n' \
    >"$work/deploy.bat"
rm -f "$TK_TEMP_UNIX/tidykiosk-standin.log"
out=$(wine cmd /c 'C:\Work\deploy.bat' </dev/null 2>/dev/null | tr -d '\r')
tk_check_eq "relative folder: exit status" "status 0" "$out"
tk_check "relative folder: installed under the batch's folder" test -f "$work/Filter/fltsrv.exe"
tk_check_eq "relative folder: the start-up value names the full path" 'C:\Work\Filter\fltsrv.exe -h' \
    "$(wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Run' /v fltsrv </dev/null 2>/dev/null |
        tr -d '\r' | sed -n 's/^ *fltsrv *REG_[A-Z_]* *//p')"
for _ in $(seq 1 50); do tk_standin_log | grep -q $'^_fltw\.exe\t' && break; sleep 0.1; done
# (Every part of C:\Work\Filter\plugin\_kfilter.dll is short already, so its short form is itself.)
tk_check "relative folder: the helper was given the full library path" \
    grep -qF 'C:\Work\Filter\plugin\_kfilter.dll' <<<"$(tk_standin_log | grep $'^_fltw\.exe\t')"
tk_e2e_finish
