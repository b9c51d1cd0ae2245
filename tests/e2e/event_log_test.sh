#!/usr/bin/env bash
# Every run ends with one event in the Application log. Wine prints what a program reports
# when its "eventlog" channel is on: information as trace, a warning as warn, an error as err,
# each with the event's text.
. "$(dirname "$0")/e2e-lib.sh"
tk_e2e_prefix

# The events of the last run: "TYPE<TAB>text" with the text's line breaks as "|".
events() {
    grep -a ':eventlog:ReportEventW' "$WINEPREFIX/setup.out" | tr -d '\r' |
        sed -E 's/^([0-9a-f]+:)?([a-z]+):eventlog:ReportEventW L"(.*)"$/\2\t\3/; s/\\r\\n/|/g; s/\\\\/\\/g'
}
one_event() {  # one_event DESCRIPTION TYPE TEXT...: exactly one event of TYPE, holding each TEXT
    local what=$1 type=$2
    shift 2
    tk_check_eq "$what: one event" 1 "$(events | wc -l)"
    tk_check_eq "$what: its type" "$type" "$(events | cut -f1)"
    local part
    for part in "$@"; do
        tk_check "$what: says \"$part\"" grep -qF -- "$part" <(events | cut -f2)
    done
}
run_logged() { WINEDEBUG=+eventlog tk_run_setup "$@"; }

run_logged -silent 0 'C:\X'
tk_check_eq "complete: exit status" 0 "$TK_STATUS"
one_event "complete" trace "tidyKiosk Filter Server v" "|Install folder: C:\X\|Ran: silent|Exit status: 0 (installed)"

key='HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\tidyKiosk Filter Setup'
registration=$(wine reg query "$key" 2>/dev/null | tr -d '\r')
tk_check "the source is registered with the system's message file" grep -qE \
    'EventMessageFile\s+REG_EXPAND_SZ\s+%SystemRoot%\\System32\\EventCreate\.exe' <<<"$registration"
tk_check "the source supports the three types" grep -qE 'TypesSupported\s+REG_DWORD\s+0x7' <<<"$registration"

# A file that cannot be written (a folder holds its name): the event names it and why.
mkdir -p "$(tk_wine_unix_path 'C:\Y\sporder.dll')"
run_logged -silent 0 'C:\Y'
tk_check_eq "a file refused: exit status" 3 "$TK_STATUS"
one_event "a file refused" warn "|Exit status: 3 (installed, but some steps did not complete)|C:\Y\sporder.dll: not installed: "

run_logged -silent 0 'Q:\Filter'
tk_check_eq "stopped: exit status" 1 "$TK_STATUS"
one_event "stopped" err "|Exit status: 1 (stopped by an error)|The install folder Q:\Filter\ could not be made"

# The wizard's complete run, walked by the driver: its event ends with the last page.
cp "$(dirname "$0")/../../resources/payload/tidykiosk_agreement.txt" "$(tk_wine_unix_path 'C:\setup\agreement.txt')"
WINEDEBUG=+eventlog wine 'C:\setup\tidykiosk_filter_v3.exe' </dev/null >"$WINEPREFIX/setup.out" 2>&1 &
setup=$!
wine "$TK_BUILD_DIR/test-tools/tk_wizard.exe" walk 1 0 - 'C:\setup\agreement.txt' </dev/null >"$WINEPREFIX/driver.out" 2>/dev/null
wait "$setup"
tk_check_eq "wizard: exit status" 0 "$?"
one_event "wizard" trace "tidyKiosk Filter Client v" "|Ran: wizard|Exit status: 0 (installed)" \
    "|Last page: tidyKiosk Filter Client v"

tk_e2e_finish
