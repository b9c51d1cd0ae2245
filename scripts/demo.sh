#!/usr/bin/env bash
# Builds tidykiosk_filter_v3.exe with the stand-in payloads and runs a silent Server
# install under Wine in a fresh prefix, then shows what it installed.
#   scripts/demo.sh [EDITION [FOLDER]]     EDITION 0 (Server, default) or 1 (Client)
set -euo pipefail
. "$(dirname "$0")/tmpdir.sh"
cd "$(dirname "$0")/.."
edition=${1:-0}
folder=${2:-'C:\tidyKiosk\Filter Server'}
[ "$edition" = 1 ] && [ -z "${2:-}" ] && folder='C:\tidyKiosk\Filter Client'

bash scripts/install-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target tidykiosk_filter_v3
. scripts/wine-lib.sh
. scripts/i386-lib.sh
root=$PWD/build/demo
echo "== Making a fresh Wine prefix (about 20 s)"
tk_wine_setup "$root" >/dev/null
trap 'tk_wine_teardown "$root"' EXIT
tk_wine_fresh_prefix "$root" demo
mkdir -p "$WINEPREFIX/drive_c/setup"
temp=$(tk_wine_temp_dir)
cp build/windows/tidykiosk_filter_v3.exe "$WINEPREFIX/drive_c/setup/"

echo "== The released program: $(tk_i386_words)"
echo "== wine C:\\setup\\tidykiosk_filter_v3.exe -silent $edition \"$folder\""
set +e
wine 'C:\setup\tidykiosk_filter_v3.exe' -silent "$edition" "$folder" </dev/null
status=$?
set -e
case $status in
    0) meaning="installed" ;;
    1) meaning="stopped by an error" ;;
    2) meaning="install folder empty, nothing written" ;;
    3) meaning="installed, but some steps did not complete" ;;
    *) meaning="see the README" ;;
esac
echo "exit status $status ($meaning)"

list_files() {
    local unix
    unix=$(tk_wine_unix_path "$1")
    echo
    echo "== Files in $1"
    if [ -d "$unix" ]; then
        (cd "$unix" && find . -type f -printf '%10s  %P\n' | sort -k2)
    else
        echo "(none)"
    fi
}
list_files "$folder"
data='C:\ProgramData\tidyKiosk\FServer'
settings='datax\data.ini'
if [ "$edition" = 1 ]; then
    data='C:\ProgramData\tidyKiosk\FClient'
    settings='datax\kayit.dat'
fi
list_files "$data"
echo
echo "== Settings file $data\\$settings"
settings_unix=$(tk_wine_unix_path "$data\\$settings")
if [ -f "$settings_unix" ]; then tr -d '\r' <"$settings_unix"; else echo "(missing)"; fi

echo
echo "== Programs started (stand-in log)"
if [ -f "$temp/tidykiosk-standin.log" ]; then tr -d '\r' <"$temp/tidykiosk-standin.log"; else echo "(none)"; fi

echo
echo "== Shortcuts"
for links in 'C:\users\Public\Desktop' 'C:\ProgramData\Microsoft\Windows\Start Menu\Programs\tidyKiosk' \
    'C:\users\root\Desktop' 'C:\users\root\AppData\Roaming\Microsoft\Windows\Start Menu\Programs\tidyKiosk'; do
    unix=$(tk_wine_unix_path "$links")
    ls "$unix"/*.lnk >/dev/null 2>&1 && for link in "$unix"/*.lnk; do
        echo "$links\\$(basename "$link")"
        lnkinfo "$link" 2>/dev/null | sed -n 's/^\t\(Local path\|Working directory\)\t*: /    \1: /p'
    done
done
echo
echo "== Registry"
for key in 'HKCU\Software\VornSoft' 'HKLM\Software\VornSoft' \
    'HKLM\Software\Microsoft\Windows\CurrentVersion\Run' \
    'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\tidyKiosk Filter Server' \
    'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\tidyKiosk Filter Client'; do
    wine reg query "$key" /s </dev/null 2>/dev/null | tr -d '\r' | sed '/^$/d; /^reg: /d' || true
done
