#!/usr/bin/env bash
# Installing over a running installation: the files in use are replaced at the next restart
# (Wine keeps the system's pending-rename list and carries it out on `wineboot -r`).
. "$(dirname "$0")/e2e-lib.sh"
tk_e2e_prefix

x=$(tk_wine_unix_path 'C:\X')
held=(fltsrv.exe plugin/_kfilter.dll)

pending() {  # the pending renames, one name a line
    wine reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' \
        /v PendingFileRenameOperations </dev/null 2>/dev/null | tr -d '\r' \
        | sed -n 's/.*REG_MULTI_SZ *//p' | sed 's/\\0/\n/g' | sed '/^$/d'
}
# The whole exit status, as a deployment script sees it (a Unix exit status keeps only the
# low byte of 3010).
run_setup_from_batch() {
    printf '@C:\\setup\\tidykiosk_filter_v3.exe -silent 0 C:\\X\r\n@echo status %%errorlevel%%\r\n' \
        >"$(tk_wine_unix_path 'C:\setup\install.bat')"
    wine cmd /c 'C:\setup\install.bat' </dev/null >"$WINEPREFIX/setup.out" 2>&1
    TK_STATUS=$(tr -d '\r' <"$WINEPREFIX/setup.out" | sed -n 's/^status //p')
}
expected_pending='\??\C:\X\~fltsrv.exe
!\??\C:\X\fltsrv.exe
\??\C:\X\plugin\~_kfilter.dll
!\??\C:\X\plugin\_kfilter.dll'

tk_run_setup -silent 0 'C:\X'
tk_check_eq "first install: exit status" 0 "$TK_STATUS"

# The restart list is shared: other programs' entries, with names outside the ANSI code page
# and a deletion among them, stay byte for byte when an install takes out its own, here a
# rename of an earlier run whose target is free now. The list is written and read raw by
# regedit (hex(7)); a program of the prefix is kept running, or a new Wine session would
# carry the list out.
session_manager='HKEY_LOCAL_MACHINE\System\CurrentControlSet\Control\Session Manager'
list_hex() {  # list_hex NAME...: the names as REG_MULTI_SZ bytes, and the list's end
    PYTHONUTF8=1 python3 -c 'import sys
print(b"".join(n.encode("utf-16-le") + bytes(2) for n in sys.argv[1:] + [""]).hex())' "$@"
}
pending_hex() {  # the raw list as regedit exports it, in hex ("none" when there is none)
    local export='C:\setup\pending.reg'
    rm -f "$(tk_wine_unix_path "$export")"
    wine regedit /e "$export" "$session_manager" </dev/null >/dev/null 2>&1
    python3 - "$(tk_wine_unix_path "$export")" <<'PY'
import re, sys
text = open(sys.argv[1], "rb").read().decode("utf-16")
found = re.search(r'"PendingFileRenameOperations"=hex\(7\):([0-9a-f,\\\s]*)', text)
print(re.sub(r"[^0-9a-f]", "", found.group(1)) if found else "none")
PY
}
others=('\??\C:\Другой\файл.dll' '' '\??\C:\Έργο\νέο.sys' '!\??\C:\Έργο\παλιό.sys')
later=('\??\C:\Ελληνικά\τέλος.tmp' '')
seeded=$(list_hex "${others[@]}" '\??\C:\X\~fltsrv.exe' '!\??\C:\X\fltsrv.exe' "${later[@]}")
# In UTF-16, or regedit takes hex(7) for ANSI text and widens each byte.
{
    printf '\xff\xfe'
    printf 'Windows Registry Editor Version 5.00\r\n\r\n[%s]\r\n"PendingFileRenameOperations"=hex(7):%s\r\n' \
        "$session_manager" "$(sed 's/../&,/g; s/,$//' <<<"$seeded")" | iconv -f UTF-8 -t UTF-16LE
} >"$(tk_wine_unix_path 'C:\setup\seed.reg')"
: >"$x/keep-session"
wine "$TK_BUILD_DIR/test-tools/tk_hold_file.exe" 'C:\X\keep-session' 'C:\X\keep-session.held' 300 \
    </dev/null >/dev/null 2>&1 &
keeper=$!
for _ in $(seq 1 150); do [ -e "$x/keep-session.held" ] && break; sleep 0.1; done
wine regedit /s 'C:\setup\seed.reg' </dev/null >/dev/null 2>&1
printf 'a waiting copy of an earlier run' >"$x/~fltsrv.exe"
tk_check_eq "other programs' entries and ours: the seeded list reads back" "$seeded" "$(pending_hex)"
tk_run_setup -silent 0 'C:\X'
tk_check_eq "earlier rename withdrawn: exit status" 0 "$TK_STATUS"
tk_check_eq "earlier rename withdrawn: ours is gone, every other entry byte for byte" \
    "$(list_hex "${others[@]}" "${later[@]}")" "$(pending_hex)"
tk_check "earlier rename withdrawn: the waiting copy is removed" test ! -e "$x/~fltsrv.exe"
tk_check "earlier rename withdrawn: the program is replaced" \
    cmp -s "$(tk_payload_input fltsrv.exe)" "$x/fltsrv.exe"
wine reg delete 'HKLM\System\CurrentControlSet\Control\Session Manager' \
    /v PendingFileRenameOperations /f </dev/null >/dev/null 2>&1
kill "$keeper" 2>/dev/null
wait "$keeper" 2>/dev/null
rm -f "$x"/keep-session*

# The application and the filter library are running: held open without sharing.
holders=()
for file in "${held[@]}"; do
    printf 'old %s' "$file" >"$x/$file"
    wine "$TK_BUILD_DIR/test-tools/tk_hold_file.exe" "C:\\X\\${file//\//\\}" "C:\\X\\held-${file##*/}" 120 \
        </dev/null >/dev/null 2>&1 &
    holders+=($!)
done
for _ in $(seq 1 150); do [ -e "$x/held-fltsrv.exe" ] && [ -e "$x/held-_kfilter.dll" ] && break; sleep 0.1; done
printf 'stale' >"$x/fltfw.exe"

run_setup_from_batch
tk_check_eq "files in use: exit status 3010" 3010 "$TK_STATUS"
for file in "${held[@]}"; do
    tk_check_eq "$file in use: unchanged until the restart" "old $file" "$(cat "$x/$file")"
    tk_check "$file in use: named on the console" \
        grep -qF "C:\\X\\${file//\//\\}: in use; it will be replaced when the computer restarts" "$WINEPREFIX/setup.out"
done
tk_check "a free file was replaced" cmp -s "$(tk_payload_input fltfw.exe)" "$x/fltfw.exe"
tk_check_eq "the pending list names the held files" "$expected_pending" "$(pending)"

# Installing again before the restart renews the waiting copy and adds no second rename;
# a read-only file is neither replaced nor scheduled, and makes the status 3.
printf 'an older waiting copy' >"$x/~fltsrv.exe"
printf 'read-only old' >"$x/sporder.dll"
chmod a-w "$x/sporder.dll"
run_setup_from_batch
tk_check_eq "in use and read-only: exit status 3 wins" 3 "$TK_STATUS"
tk_check_eq "read-only file: left as it was" "read-only old" "$(cat "$x/sporder.dll")"
tk_check "read-only file: named on the console" \
    grep -qF 'C:\X\sporder.dll: not installed: read-only' "$WINEPREFIX/setup.out"
tk_check_eq "second install: still one rename per held file, none for the read-only one" \
    "$expected_pending" "$(pending)"
tk_check "second install: the waiting copy holds the newest content" \
    cmp -s "$(tk_payload_input fltsrv.exe)" "$x/~fltsrv.exe"

# The application has ended, but something else (an antivirus, a backup agent) holds its
# waiting copy: the file is written now, and the older copy must not win at the restart.
hold() {  # hold NAME: held open by a program until the test ends it
    wine "$TK_BUILD_DIR/test-tools/tk_hold_file.exe" "C:\\X\\$1" "C:\\X\\held-$1" 120 </dev/null >/dev/null 2>&1 &
    holders+=($!)
    for _ in $(seq 1 150); do [ -e "$x/held-$1" ] && break; sleep 0.1; done
}
kill "${holders[0]}" 2>/dev/null
wait "${holders[0]}" 2>/dev/null
hold '~fltsrv.exe'
chmod u+w "$x/sporder.dll"
run_setup_from_batch
tk_check_eq "waiting copy held: exit status 3010 (the library still waits)" 3010 "$TK_STATUS"
tk_check "waiting copy held: the program is written now" cmp -s "$(tk_payload_input fltsrv.exe)" "$x/fltsrv.exe"
# (Empty names, a deletion's second half, are not listed. An entry that a run takes out and
# adds again goes to the end of the list, so the files come in the order they were put.)
tk_check_eq "waiting copy held: its rename is gone, its deletion pending" '\??\C:\X\~fltsrv.exe
\??\C:\X\plugin\~_kfilter.dll
!\??\C:\X\plugin\_kfilter.dll' "$(pending)"

# A file pending after that deletion is still found pending: installing twice adds it once.
hold fltfw.exe
run_setup_from_batch
run_setup_from_batch
tk_check_eq "after a pending deletion: still one rename per held file" '\??\C:\X\~fltsrv.exe
\??\C:\X\~fltfw.exe
!\??\C:\X\fltfw.exe
\??\C:\X\plugin\~_kfilter.dll
!\??\C:\X\plugin\_kfilter.dll' "$(pending)"

for holder in "${holders[@]}"; do
    kill "$holder" 2>/dev/null
    wait "$holder" 2>/dev/null
done
wine wineboot -r </dev/null >/dev/null 2>&1  # returns when the renames are done
for file in "${held[@]}" fltfw.exe; do
    tk_check "after the restart: $file equals its payload" cmp -s "$(tk_payload_input "$file")" "$x/$file"
    tk_check_eq "after the restart: $file is not hidden" "" \
        "$(wine cmd /c attrib "C:\\X\\${file//\//\\}" </dev/null 2>/dev/null | tr -d '\r' | cut -c1-10 | tr -dc H)"
done
tk_check_eq "after the restart: no waiting copy is left" "" "$(cd "$x" && find . -name '~*')"
tk_check_eq "after the restart: nothing is pending" "" "$(pending)"
tk_check "sporder.dll, writable again: replaced" cmp -s "$(tk_payload_input sporder.dll)" "$x/sporder.dll"
rm -f "$x"/held-*

# A drive mapped to a share does not exist yet when the system moves files at its start: a
# file in use there is reported not installed, never promised for the restart.
share=$WINEPREFIX/../share
mkdir -p "$share"
ln -sfn "$share" "$WINEPREFIX/dosdevices/n:"
wine reg add 'HKLM\Software\Wine\Drives' /v n: /d network /f /reg:64 </dev/null >/dev/null 2>&1
wineserver -k; wineserver -w; wineserver -p </dev/null >/dev/null 2>&1
tk_run_setup -silent 0 'N:\Y'
tk_check_eq "network drive: first install" 0 "$TK_STATUS"
wine "$TK_BUILD_DIR/test-tools/tk_hold_file.exe" 'N:\Y\fltsrv.exe' 'N:\Y\held' 60 </dev/null >/dev/null 2>&1 &
holder=$!
for _ in $(seq 1 150); do [ -e "$share/Y/held" ] && break; sleep 0.1; done
tk_run_setup -silent 0 'N:\Y'
kill "$holder" 2>/dev/null
wait "$holder" 2>/dev/null
tk_check_eq "network drive, file in use: exit status 3, not 3010" 3 "$TK_STATUS"
tk_check "network drive, file in use: the console says why" grep -qF \
    'N:\Y\fltsrv.exe: not installed: in use, and on a network or substituted drive' "$WINEPREFIX/setup.out"
tk_check_eq "network drive: nothing waits for the restart" "" "$(pending; find "$share" -name '~*')"

tk_e2e_finish
