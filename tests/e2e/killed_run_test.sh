#!/usr/bin/env bash
# A setup run killed while its new files wait beside their targets: the next run removes
# them, whatever edition and folder it installs itself, so no staged file stays anywhere.
. "$(dirname "$0")/e2e-lib.sh"
tk_e2e_prefix

server=$(tk_wine_unix_path 'C:\Server')
drive=$(tk_wine_unix_path 'C:\')
now_ms() { echo $(($(date +%s%N) / 1000000)); }
staged() { find "$1" -name 'tk~*.tmp'; }
# Every file of the folder an older version, so that a run that put its files in place shows.
age() { find "$server" -type f -name '*.*' ! -name 'tk~*' -exec sh -c 'printf older >"$1"' _ {} \; ; }
setup_server() { wine 'C:\setup\tidykiosk_filter_v3.exe' -silent 0 'C:\Server' </dev/null >/dev/null 2>&1 & }

tk_run_setup -silent 0 'C:\Server'
tk_check_eq "a whole Server install first: exit status" 0 "$TK_STATUS"

# When do staged files exist during an upgrade? Watch one whole run.
age
setup_server
setup=$!
started=$(now_ms)
first="" last=""
while kill -0 "$setup" 2>/dev/null; do
    if [ -n "$(staged "$server")" ]; then
        seen=$(($(now_ms) - started))
        first=${first:-$seen} last=$seen
    fi
done
wait "$setup"
full=$(($(now_ms) - started))
echo "staged files seen from ${first:-?} to ${last:-?} ms of an upgrade of ${full} ms"

# Kill upgrades, nearer that moment each time (too early: the older files are still there;
# too late: the new ones are in place), until one leaves staged files behind.
early=$(( ${first:-0} - 500 )) late=$(( ${last:-$full} + 500 ))
left=no
for try in $(seq 1 12); do
    moment=$(((early + late) / 2))
    [ "$moment" -gt 0 ] || moment=1
    age
    setup_server
    setup=$!
    sleep "$((moment / 1000)).$(printf '%03d' $((moment % 1000)))"
    kill -KILL "$setup" 2>/dev/null
    wait "$setup" 2>/dev/null
    pkill -KILL -f 'wine C:.Server._fltw\.exe' 2>/dev/null
    if [ -n "$(staged "$server")" ]; then
        left=yes
        break
    elif [ "$(cat "$server/fltsrv.exe")" = older ]; then
        early=$moment
    else
        late=$moment
    fi
done
tk_check_eq "an upgrade killed after ${moment} ms left staged files (try $try)" yes "$left"

tk_run_setup -silent 1 'C:\Client'
tk_check_eq "then a Client install into another folder: exit status" 0 "$TK_STATUS"
tk_check_eq "no staged file anywhere afterwards" "" "$(staged "$drive")"

tk_e2e_finish
