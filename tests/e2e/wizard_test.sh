#!/usr/bin/env bash
# The wizard walked by a driver program that clicks its real buttons and reads its real
# controls: every page, the quit question both ways, the keyboard, installs of both editions,
# and Finish with "Run ..." ticked and unticked. Screenshots of the seven pages land in
# build/windows/wizard-screenshots/.
. "$(dirname "$0")/e2e-lib.sh"
tk_e2e_prefix

# Wine draws the title bar itself: there is no window manager.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1

SHOTS="$TK_BUILD_DIR/wizard-screenshots"
rm -rf "$SHOTS"
mkdir -p "$SHOTS"
SHOTS_WIN='C:\shots'
ln -s "$SHOTS" "$(tk_wine_unix_path "$SHOTS_WIN")"
AGREEMENT_WIN='C:\setup\agreement.txt'
cp "$(dirname "$0")/../../resources/payload/tidykiosk_agreement.txt" "$(tk_wine_unix_path "$AGREEMENT_WIN")"

driver() {  # driver ARGS...: runs the driver, shows its lines, counts its failures
    wine "$TK_BUILD_DIR/test-tools/tk_wizard.exe" "$@" </dev/null 2>/dev/null | tr -d '\r' \
        | tee "$WINEPREFIX/driver.out"
    local failed
    failed=$(grep -c '^FAIL' "$WINEPREFIX/driver.out")
    TK_E2E_FAILURES=$((TK_E2E_FAILURES + failed))
    grep -q '^ok' "$WINEPREFIX/driver.out" || { echo "FAIL: the driver checked nothing"; TK_E2E_FAILURES=$((TK_E2E_FAILURES + 1)); }
}

start_wizard() {
    wine 'C:\setup\tidykiosk_filter_v3.exe' </dev/null >/dev/null 2>&1 &
    SETUP_PID=$!
}

wait_setup() {  # the setup program's exit status lands in TK_STATUS
    wait "$SETUP_PID"
    TK_STATUS=$?
}

started() {  # started PROGRAM: the command lines the stand-in log shows for PROGRAM
    tk_standin_log | awk -F '\t' -v p="$1" '$1 == p { print $2 }'
}

# Server edition, every page, Finish with "Run ..." ticked.
start_wizard
driver walk 0 1 "$SHOTS_WIN" "$AGREEMENT_WIN"
wait_setup
tk_check_eq "server walk: exit status" 0 "$TK_STATUS"
tk_check "server walk: installed into the default folder" \
    test -f "$(tk_wine_unix_path 'C:\Program Files (x86)\tidyKiosk\Filter Server\fltsrv.exe')"
for _ in $(seq 1 50); do
    [ -n "$(started fltsrv.exe)" ] && break
    sleep 0.2
done
tk_check_eq "Finish with the box ticked started the server program once" \
    '"C:\Program Files (x86)\tidyKiosk\Filter Server\fltsrv.exe"' "$(started fltsrv.exe)"
pictures="$(dirname "$0")/../../resources/pictures"
tk_check "the welcome page shows the banner and the logo, its magenta transparent" \
    python3 "$(dirname "$0")/pictures_shown.py" "$SHOTS/page0.bmp" "$pictures/banner.png" "$pictures/logo.png"
for page in 0 1 2 3 4 5 6; do
    tk_check "screenshot of page $page" test -s "$SHOTS/page$page.bmp"
    convert "$SHOTS/page$page.bmp" "$SHOTS/page$page.png" 2>/dev/null && rm -f "$SHOTS/page$page.bmp"
done

# Client edition, Finish with "Run ..." unticked.
start_wizard
driver walk 1 0 - "$AGREEMENT_WIN"
wait_setup
tk_check_eq "client walk: exit status" 0 "$TK_STATUS"
tk_check "client walk: installed into the default folder" \
    test -f "$(tk_wine_unix_path 'C:\Program Files (x86)\tidyKiosk\Filter Client\fltcln.exe')"
sleep 2
tk_check_eq "Finish with the box unticked started nothing" "" "$(started fltcln.exe)"

# Keyboard, then Cancel answered Yes before anything was installed.
start_wizard
driver keys
wait_setup
tk_check_eq "quit before the install: exit status 4" 4 "$TK_STATUS"

# Closing the window on the last page asks, and Yes ends without starting the program.
rm -f "$TK_TEMP_UNIX/tidykiosk-standin.log"
start_wizard
driver close-on-complete 0
wait_setup
tk_check_eq "quit after the install completed: the install's status" 0 "$TK_STATUS"
sleep 2
tk_check_eq "quitting on the last page started nothing" "" "$(started fltsrv.exe)"

tk_e2e_finish
