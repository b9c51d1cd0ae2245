#!/usr/bin/env bash
# A setup run killed while its new files wait beside their targets: the next run removes
# them, whatever edition and folder it installs itself, so no staged file stays anywhere.
. "$(dirname "$0")/e2e-lib.sh"
tk_e2e_prefix

server=$(tk_wine_unix_path 'C:\Server')
drive=$(tk_wine_unix_path 'C:\')
now_ms() { echo $(($(date +%s%N) / 1000000)); }

# When do staged files exist during a Server run? Watch one whole run.
wine 'C:\setup\tidykiosk_filter_v3.exe' -silent 0 'C:\Server' </dev/null >/dev/null 2>&1 &
setup=$!
started=$(now_ms)
first="" last=""
while kill -0 "$setup" 2>/dev/null; do
    if [ -n "$(find "$server" -name 'tk~*.tmp' 2>/dev/null)" ]; then
        seen=$(($(now_ms) - started))
        first=${first:-$seen} last=$seen
    fi
done
wait "$setup"
tk_check_eq "a whole Server install first: exit status" 0 "$?"
full=$(($(now_ms) - started))
if [ -z "$first" ]; then  # too quick to be seen: try moments over the whole run
    first=100 last=$full
fi

# Kill upgrades in that window until one leaves staged files behind.
RANDOM=$$
left=no
for try in $(seq 1 10); do
    moment=$((first + RANDOM % (last - first + 1)))
    wine 'C:\setup\tidykiosk_filter_v3.exe' -silent 0 'C:\Server' </dev/null >/dev/null 2>&1 &
    setup=$!
    sleep "$((moment / 1000)).$(printf '%03d' $((moment % 1000)))"
    kill -KILL "$setup" 2>/dev/null
    wait "$setup" 2>/dev/null
    pkill -KILL -f 'wine C:.Server._fltw\.exe' 2>/dev/null
    if [ -n "$(find "$server" -name 'tk~*.tmp')" ]; then
        left=yes
        break
    fi
done
tk_check_eq "a Server run killed after ${moment} ms left staged files (try $try)" yes "$left"

tk_run_setup -silent 1 'C:\Client'
tk_check_eq "then a Client install into another folder: exit status" 0 "$TK_STATUS"
tk_check_eq "no staged file anywhere afterwards" "" "$(find "$drive" -name 'tk~*.tmp')"

tk_e2e_finish
