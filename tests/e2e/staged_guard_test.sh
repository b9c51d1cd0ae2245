#!/usr/bin/env bash
# An upgrade writes each file's new content beside it first (tk~XXXX.tmp) and puts it in
# place later, with the folder rights set in between. Meanwhile another program keeps
# trying to open each staged file for writing or deleting and to rename it: it must be
# refused every time, and it must have found staged files to try.
. "$(dirname "$0")/e2e-lib.sh"
tk_e2e_prefix

x=$(tk_wine_unix_path 'C:\X')
tk_run_setup -silent 0 'C:\X'
tk_check_eq "first install: exit status" 0 "$TK_STATUS"
for path in fltsrv.exe plugin/_kfilter.dll; do
    printf 'old %s' "$path" >"$x/$path"
done

stop=$(tk_wine_unix_path 'C:\stop-watching')
wine "$TK_BUILD_DIR/test-tools/tk_staged_watch.exe" 'C:\X' 'C:\stop-watching' </dev/null \
    >"$WINEPREFIX/watch.out" 2>/dev/null &
watcher=$!
for _ in $(seq 1 300); do [ -e "$stop.ready" ] && break; sleep 0.1; done
tk_check "the watcher started" test -e "$stop.ready"

tk_run_setup -silent 0 'C:\X'
touch "$stop"
wait "$watcher"
watched=$?
tk_check_eq "upgrade: exit status" 0 "$TK_STATUS"
for path in fltsrv.exe plugin/_kfilter.dll; do
    tk_check "upgrade: $path equals its payload" cmp -s "$(tk_payload_input "$path")" "$x/$path"
done
tk_check_eq "upgrade: no staged file is left" "" "$(cd "$x" && find . -name 'tk~*')"
echo "watcher: $(tr -d '\r' <"$WINEPREFIX/watch.out" | tr '\n' ';')"
tk_check_eq "the watcher found staged files, and every attempt on them was refused" 0 "$watched"

tk_e2e_finish
