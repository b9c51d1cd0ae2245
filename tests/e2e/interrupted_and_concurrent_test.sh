#!/usr/bin/env bash
# Mass deployment as it goes wrong: a silent install killed outright at random moments
# leaves no payload file partly written, and a plain rerun completes the folder; two silent
# installs into one folder at once both end with a true status and a complete folder.
. "$(dirname "$0")/e2e-lib.sh"
tk_e2e_prefix

server_files=(Uninstall.exe _fltw.exe fltcln.exe fltfw.exe fltsrv.exe language/data/english.lng
    language/data/turkce.lng language/english.ini language/turkce.ini plugin/_kfilter.dll
    proto/proto-ban.txt proto/proto-search.txt proto/proto.txt sporder.dll tidykiosk_agreement.txt)

# complete UNIX_FOLDER: every file byte for byte as its payload, and nothing else.
complete() {
    local path
    for path in "${server_files[@]}"; do
        cmp -s "$(tk_payload_input "$path")" "$1/$path" || { echo "  $path differs"; return 1; }
    done
    [ "$(cd "$1" && find . -type f | wc -l)" = ${#server_files[@]} ] ||
        { echo "  other files:"; (cd "$1" && find . -type f); return 1; }
}

# --- Killed at random moments --------------------------------------------------------------
x=$(tk_wine_unix_path 'C:\X')
started=$(date +%s%N)
tk_run_setup -silent 0 'C:\X'
full=$((($(date +%s%N) - started) / 1000000))
tk_check_eq "a whole install first: exit status" 0 "$TK_STATUS"
RANDOM=$$
for round in $(seq 1 12); do
    # An older version in place, so that a file half replaced could be told apart.
    for path in "${server_files[@]}"; do
        [ -f "$x/$path" ] && printf 'older %s' "$path" >"$x/$path"
    done
    moment=$((200 + RANDOM % full))
    wine 'C:\setup\tidykiosk_filter_v3.exe' -silent 0 'C:\X' </dev/null >/dev/null 2>&1 &
    setup=$!
    sleep "$((moment / 1000)).$(printf '%03d' $((moment % 1000)))"
    kill -KILL "$setup" 2>/dev/null
    wait "$setup" 2>/dev/null
    # Under Wine a helper that the killed setup was starting at that moment hangs for ever
    # in its start-up, holding its file (Windows creates a process whole or not at all).
    pkill -KILL -f 'wine C:.X._fltw\.exe' 2>/dev/null
    torn=""
    for path in "${server_files[@]}"; do
        [ -f "$x/$path" ] || continue
        printf 'older %s' "$path" | cmp -s - "$x/$path" ||
            cmp -s "$(tk_payload_input "$path")" "$x/$path" || torn="$torn $path"
    done
    tk_check_eq "killed after ${moment} ms: every file old or new, none partly written" "" "$torn"
done
tk_run_setup -silent 0 'C:\X'
case $TK_STATUS in 0 | 194) rerun=ok ;; *) rerun="$TK_STATUS: $(cat "$WINEPREFIX/setup.out")" ;; esac
tk_check_eq "rerun after the kills: exit status 0 or 3010" ok "$rerun"
# A restart ends every program first (a helper the rerun started may still be running).
wineserver -k
wineserver -w
wine wineboot -r </dev/null >/dev/null 2>&1
tk_check "rerun after the kills, then a restart: the folder complete, nothing stray" complete "$x"

# --- Two at once --------------------------------------------------------------------------
y=$(tk_wine_unix_path 'C:\Y')
for round in 1 2 3; do
    wine 'C:\setup\tidykiosk_filter_v3.exe' -silent 0 'C:\Y' </dev/null >"$WINEPREFIX/first.out" 2>&1 &
    first=$!
    wine 'C:\setup\tidykiosk_filter_v3.exe' -silent 0 'C:\Y' </dev/null >"$WINEPREFIX/second.out" 2>&1 &
    second=$!
    wait "$first"
    first_status=$?
    wait "$second"
    tk_check_eq "two at once, round $round: both installed (status 0 and 0)" "0 0" "$first_status $?"
    tk_check "two at once, round $round: the folder complete" complete "$y"
    tk_check_eq "two at once, round $round: nothing on the consoles" "" \
        "$(cat "$WINEPREFIX/first.out" "$WINEPREFIX/second.out")"
done

tk_e2e_finish
