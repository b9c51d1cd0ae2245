#!/usr/bin/env bash
# Silent installs of both editions: exactly the specified files, byte for byte equal to
# their payload inputs, the language setting in the right file, no window, exit status 0.
. "$(dirname "$0")/e2e-lib.sh"
tk_e2e_prefix

files_under() {  # the files below a folder, relative, sorted
    (cd "$1" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
}

check_install() {  # check_install EDITION WINFOLDER DATAFOLDER_NAME EXPECTED_FILES...
    local edition=$1 folder=$2 dataName=$3
    shift 3
    local unix
    unix=$(tk_wine_unix_path "$folder")
    tk_window watch-hidden tkInstaller 6000 >"$WINEPREFIX/watch.out" &
    local watcher=$!
    sleep 0.5
    tk_run_setup -silent "$edition" "$folder"
    wait "$watcher"
    local watched=$?
    tk_check_eq "edition $edition: exit status" 0 "$TK_STATUS"
    tk_check_eq "edition $edition: no window or message box shown" 0 "$watched"
    tk_check_eq "edition $edition: file set in $folder" "$(printf '%s\n' "$@")" "$(files_under "$unix")"
    for path in "$@"; do
        tk_check "edition $edition: $path equals its payload input" \
            cmp -s "$(tk_payload_input "$path")" "$unix/$path"
    done
    tk_check "edition $edition: empty datax folder in the install folder" test -d "$unix/datax"
    DATA_UNIX=$(tk_wine_unix_path "C:\\ProgramData\\tidyKiosk\\$dataName")
}

check_install 0 'C:\X' FServer \
    Uninstall.exe _fltw.exe fltcln.exe fltfw.exe fltsrv.exe \
    language/data/english.lng language/data/turkce.lng language/english.ini language/turkce.ini \
    plugin/_kfilter.dll proto/proto-ban.txt proto/proto-search.txt proto/proto.txt \
    sporder.dll tidykiosk_agreement.txt
tk_check_eq "server: data folder holds only the settings file" "datax/data.ini" "$(files_under "$DATA_UNIX")"
tk_check_eq "server: language setting" "$(printf '[Settings]\r\nLang=english.lng\r\n')" \
    "$(cat "$DATA_UNIX/datax/data.ini")"
tk_check ".lng files stay zlib streams" \
    bash -c "[ \"\$(head -c1 '$(tk_wine_unix_path 'C:\X\language\data\english.lng')' | od -An -tx1 | tr -d ' ')\" = 78 ]"

check_install 1 'C:\Cafe Client' FClient \
    Uninstall.exe _fltw.exe fltcln.exe fltfw.exe plugin/_kfilter.dll sporder.dll
tk_check_eq "client: data folder files" \
    "$(printf '%s\n' datax/kayit.dat languages/data/english.lng languages/data/turkce.lng)" \
    "$(files_under "$DATA_UNIX")"
for lng in english turkce; do
    tk_check "client: $lng.lng in the data folder equals its payload input" \
        cmp -s "$(tk_payload_input "language/data/$lng.lng")" "$DATA_UNIX/languages/data/$lng.lng"
done
tk_check_eq "client: language setting" "$(printf '[Ayarlar]\r\nLanguage=english\r\n')" \
    "$(cat "$DATA_UNIX/datax/kayit.dat")"

# Installing again over the Server keeps the settings file's other keys.
printf '[Settings]\r\nLang=turkce.lng\r\nPort=8080\r\n' >"$(tk_wine_unix_path 'C:\ProgramData\tidyKiosk\FServer\datax\data.ini')"
WINEDEBUG=+loaddll,+pid tk_run_setup -silent 0 'C:\X'
tk_check_eq "reinstall: exit status" 0 "$TK_STATUS"
# Nothing is shown, so no control is built: the common controls are not loaded (nor any
# picture codec). Only the setup program's own lines count (the trace also
# holds the programs it starts).
setup_pid=$(tr -d '\r' <"$WINEPREFIX/setup.out" | grep -i 'Loaded L".*\\tidykiosk_filter_v3\.exe"' | cut -d: -f1 | head -n1)
tr -d '\r' <"$WINEPREFIX/setup.out" | grep "^$setup_pid:" >"$WINEPREFIX/setup-loads.out" || true
tk_check "reinstall: the loader's trace was read" grep -qi 'Loaded L".*\\kernel32\.dll"' "$WINEPREFIX/setup-loads.out"
tk_check "reinstall: neither the common controls nor a picture codec loaded" \
    bash -c "! grep -iE 'Loaded L\".*(comctl32|gdiplus|windowscodecs)' '$WINEPREFIX/setup-loads.out'"
tk_check_eq "reinstall: only the language key is reset" \
    "$(printf '[Settings]\r\nLang=english.lng\r\nPort=8080\r\n')" \
    "$(cat "$(tk_wine_unix_path 'C:\ProgramData\tidyKiosk\FServer\datax\data.ini')")"

# Close requests while a silent install runs (taskkill without /F, a deployment tool that
# timed out): a second process posts WM_CLOSE every millisecond from the moment the window
# exists and asks whether the session may end. Nothing shows, the install runs to its end.
tk_window pester tkInstaller 20000 >"$WINEPREFIX/pester.out" &
pester=$!
tk_run_setup -silent 0 'C:\Pestered'
wait "$pester"
tk_check_eq "close requests: nothing became visible" 0 "$?"
tk_check_eq "close requests: exit status 0" 0 "$TK_STATUS"
tk_check "close requests: they were sent ($(cat "$WINEPREFIX/pester.out"))" \
    grep -qE '^closes [1-9]' "$WINEPREFIX/pester.out"
tk_check "close requests: the session's end was never allowed during the install" \
    grep -q 'allowed 0$' "$WINEPREFIX/pester.out"
tk_check "close requests: the last file was installed" \
    cmp -s "$(tk_payload_input language/english.ini)" "$(tk_wine_unix_path 'C:\Pestered\language\english.ini')"

tk_e2e_finish
