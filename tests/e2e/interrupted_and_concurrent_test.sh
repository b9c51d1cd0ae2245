#!/usr/bin/env bash
# Mass deployment as it goes wrong: a silent install killed outright at random moments
# leaves no payload file partly written, and a plain rerun completes the folder; two silent
# installs into one folder at once both end with a true status and a complete folder; runs
# take turns, whatever another account put under the names the setup-run lock uses.
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
# held MARKER MODE ARGS...: the lock tool holds what it is asked to (its process in $holder)
# once MARKER exists.
held() {
    local marker
    marker=$(tk_wine_unix_path "$1")
    shift
    wine "$TK_BUILD_DIR/test-tools/tk_setup_lock.exe" "$@" </dev/null >/dev/null 2>&1 &
    holder=$!
    for _ in $(seq 1 600); do
        [ -e "$marker" ] && return 0
        sleep 0.1
    done
    return 1
}
# Any account can make an event under the name the lock had before; runs still take turns.
tk_check "an event under the lock's former name" \
    held 'C:\event-held' event 'Global\tidykiosk_filter_v3 setup run' 'C:\event-held' 3600
event_holder=$holder
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

# Turns: two runs started while another holds the lock write nothing until it is gone (here
# ended outright, so the lock is abandoned), then install one after the other: the files of
# one folder were all written before any of the other's.
tk_check "the lock held by another run" held 'C:\lock-held' hold 'C:\lock-held' 3600
lock_holder=$holder
wine 'C:\setup\tidykiosk_filter_v3.exe' -silent 0 'C:\T1' </dev/null >/dev/null 2>&1 &
first=$!
wine 'C:\setup\tidykiosk_filter_v3.exe' -silent 0 'C:\T2' </dev/null >/dev/null 2>&1 &
second=$!
sleep $((2 * full / 1000 + 5))  # twice a whole install's time
running=$(kill -0 "$first" 2>/dev/null && kill -0 "$second" 2>/dev/null && echo yes)
written=$(ls -d "$(tk_wine_unix_path 'C:\T1')" "$(tk_wine_unix_path 'C:\T2')" 2>/dev/null)
tk_check_eq "two runs while the lock is held: both waiting, nothing written" "yes " \
    "$running $written"
kill -KILL "$lock_holder"
wait "$lock_holder" 2>/dev/null
wait "$first"
first_status=$?
wait "$second"
tk_check_eq "the holder ended: both installed (status 0 and 0)" "0 0" "$first_status $?"
t1=$(tk_wine_unix_path 'C:\T1')
t2=$(tk_wine_unix_path 'C:\T2')
tk_check "the holder ended: both folders complete" eval 'complete "$t1" && complete "$t2"'
# written_span UNIX_FOLDER: the first and the last modification time of its files.
written_span() { find "$1" -type f -printf '%T@\n' | sort -n | sed -n '1p;$p' | tr '\n' ' '; }
spans="$(written_span "$t1")$(written_span "$t2")"
tk_check "the holder ended: one run's files all written before the other's ($spans)" \
    awk -v s="$spans" 'BEGIN { split(s, t, " "); exit !(t[2] < t[3] || t[4] < t[1]) }'

# An object under the lock's name that no administrator made (another kind of object, or
# a mutex its maker owns and may hold for ever) is neither waited for nor ignored: the run
# does nothing and ends 7 at once. Wine has no private namespaces, so its runs use the name.
for kind in event foreign; do
    tk_check "a $kind under the lock's name" held "C:\\$kind-taken" "$kind" \
        'Global\tidykiosk_filter_v3 setup run, administrators' "C:\\$kind-taken" 3600
    timeout 300 wine 'C:\setup\tidykiosk_filter_v3.exe' -silent 0 'C:\Z' </dev/null \
        >"$WINEPREFIX/setup.out" 2>&1
    status=$?
    kill -KILL "$holder"
    wait "$holder" 2>/dev/null
    tk_check_eq "a $kind under the lock's name: exit status 7, nothing written" "7 " \
        "$status $(ls -d "$(tk_wine_unix_path 'C:\Z')" 2>/dev/null)"
    tk_check "a $kind under the lock's name: the console says why" \
        grep -qF "no administrator made it. Nothing was installed" "$WINEPREFIX/setup.out"
done
kill -KILL "$event_holder"
wait "$event_holder" 2>/dev/null

tk_e2e_finish
