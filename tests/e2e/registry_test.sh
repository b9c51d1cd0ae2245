#!/usr/bin/env bash
# Silent installs of both editions leave the vendor keys, the start-up values and the two
# Uninstall entries; every start marks the setup program's path for the compatibility
# layer where the Layers keys exist. Read from outside: the prefix's registry files after
# the wineserver has ended, and Wine's reg.exe while it runs.
. "$(dirname "$0")/e2e-lib.sh"
tk_e2e_prefix

USER_RUN='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
LAYERS='Software\Microsoft\Windows NT\CurrentVersion\AppCompatFlags\Layers'

# reg_values FILE KEY: the values of KEY in a saved registry file, one "name=TYPE:data" a
# line, sorted; nothing when the key is missing.
reg_values() {
    python3 - "$1" "$2" <<'PY'
import re, sys
path, wanted = sys.argv[1], sys.argv[2]
def unescape(text):
    return re.sub(r'\\(x[0-9a-fA-F]{1,4}|.)',
                  lambda m: chr(int(m.group(1)[1:], 16)) if m.group(1)[0] == 'x' and len(m.group(1)) > 1
                  else m.group(1), text)
lines, inside = [], False
with open(path, encoding='utf-8', errors='replace') as f:
    for line in f:
        line = line.rstrip('\n')
        if line.startswith('['):
            inside = unescape(line[1:line.index(']')]).lower() == wanted.lower()
            continue
        m = inside and re.match(r'^"((?:[^"\\]|\\.)*)"=(.*)$', line)
        if not m:
            continue
        name, data = unescape(m.group(1)), m.group(2)
        if data.startswith('"'):
            lines.append(f'{name}=REG_SZ:{unescape(data[1:-1])}')
        elif data.startswith('dword:'):
            lines.append(f'{name}=REG_DWORD:{int(data[6:], 16)}')
        else:
            lines.append(f'{name}=OTHER:{data}')
print('\n'.join(sorted(lines)))
PY
}

# Saved registry files are complete only once the wineserver has ended.
stop_wineserver() {
    wineserver -k >/dev/null 2>&1
    wineserver -w >/dev/null 2>&1
}

# A start-up value of the server's name in the user's Run key, and one that must stay.
wine reg add "$USER_RUN" /v fltsrv /d 'C:\Old\fltsrv.exe -h' /f </dev/null >/dev/null 2>&1
wine reg add "$USER_RUN" /v Other /d 'C:\Other\other.exe' /f </dev/null >/dev/null 2>&1

tk_run_setup -silent 0 'C:\X'
tk_check_eq "server: exit status" 0 "$TK_STATUS"
tk_run_setup -silent 1 'C:\X'
tk_check_eq "client: exit status" 0 "$TK_STATUS"
today=$(date +%Y%m%d)
stop_wineserver
SYSTEM_REG=$WINEPREFIX/system.reg
USER_REG=$WINEPREFIX/user.reg

for edition in Server Client; do
    vendor="Software\\VornSoft\\FltLog$edition"
    expected=$(printf '%s\n' 'Path=REG_SZ:C:\X\' 'Version=REG_SZ:3.3.33 en')
    tk_check_eq "$edition: user's vendor key" "$expected" "$(reg_values "$USER_REG" "$vendor")"
    tk_check_eq "$edition: machine's vendor key, in the 32-bit view" "$expected" \
        "$(reg_values "$SYSTEM_REG" "Software\\Wow6432Node\\VornSoft\\FltLog$edition")"
done
tk_check_eq "machine's vendor keys are not in the 64-bit view" "" \
    "$(reg_values "$SYSTEM_REG" 'Software\VornSoft\FltLogServer')"

tk_check_eq "user's Run key: the server's start-up value removed, the other kept" \
    'Other=REG_SZ:C:\Other\other.exe' \
    "$(reg_values "$USER_REG" 'Software\Microsoft\Windows\CurrentVersion\Run')"
tk_check_eq "machine's Run key: both start-up values" \
    "$(printf '%s\n' 'fltcl=REG_SZ:C:\X\fltcln.exe' 'fltsrv=REG_SZ:C:\X\fltsrv.exe -h')" \
    "$(reg_values "$SYSTEM_REG" 'Software\Wow6432Node\Microsoft\Windows\CurrentVersion\Run' |
        grep -E '^flt')"

uninstall_values() {  # uninstall_values EXE SWITCH COMMENTS
    printf '%s\n' \
        "Comments=REG_SZ:$3" \
        "DisplayIcon=REG_SZ:C:\\X\\$1,0" \
        'DisplayName=REG_SZ:tidyKiosk Firewall' \
        'DisplayVersion=REG_SZ:3.3' \
        'EstimatedSize=REG_DWORD:15250' \
        "InstallDate=REG_SZ:$today" \
        'InstallLocation=REG_SZ:C:\X\' \
        'InstallSource=REG_SZ:C:\setup\' \
        'NoModify=REG_DWORD:1' \
        'NoRepair=REG_DWORD:1' \
        'Publisher=REG_SZ:Vorn Software' \
        'RegCompany=REG_SZ:Vorn Software' \
        'RegOwner=REG_SZ:Vorn Software' \
        'URLInfoAbout=REG_SZ:http://www.tidykiosk.example/' \
        'URLUpdateInfo=REG_SZ:http://www.tidykiosk.example/' \
        "UninstallString=REG_SZ:C:\\X\\Uninstall.exe -uninstall $2" \
        'Version=REG_DWORD:3' \
        'VersionMajor=REG_DWORD:3' \
        'VersionMinor=REG_DWORD:3'
}
UNINSTALL='Software\Wow6432Node\Microsoft\Windows\CurrentVersion\Uninstall'
tk_check_eq "server: the nineteen Uninstall values" \
    "$(uninstall_values fltsrv.exe -s 'Web filter for internet cafes: the cashier computer')" \
    "$(reg_values "$SYSTEM_REG" "$UNINSTALL\\tidyKiosk Filter Server")"
tk_check_eq "client: the nineteen Uninstall values" \
    "$(uninstall_values fltcln.exe -c 'Web filter for internet cafes: the customer computers')" \
    "$(reg_values "$SYSTEM_REG" "$UNINSTALL\\tidyKiosk Filter Client")"

tk_check "a fresh prefix has no Layers key, and none is made" \
    bash -c "! grep -qi 'AppCompatFlags.*Layers' '$SYSTEM_REG' '$USER_REG'"

# With the Layers keys in place, each start from another folder adds its own mark.
wineserver -p </dev/null >/dev/null 2>&1
wine reg add "HKLM\\$LAYERS" /f </dev/null >/dev/null 2>&1
wine reg add "HKCU\\$LAYERS" /f </dev/null >/dev/null 2>&1
mkdir -p "$WINEPREFIX/drive_c/Other Place"
cp "$TK_SETUP_EXE" "$WINEPREFIX/drive_c/Other Place/tidykiosk_filter_v3.exe"
tk_run_setup -silent 0 'C:\X'
tk_check_eq "first folder: exit status" 0 "$TK_STATUS"
wine 'C:\Other Place\tidykiosk_filter_v3.exe' -silent 0 'C:\X' </dev/null >/dev/null 2>&1
tk_check_eq "second folder: exit status" 0 "$?"
stop_wineserver
marks=$(printf '%s\n' 'C:\Other Place\tidykiosk_filter_v3.exe=REG_SZ:WINXPSP2' \
    'C:\setup\tidykiosk_filter_v3.exe=REG_SZ:WINXPSP2')
tk_check_eq "machine's Layers key: one mark per start folder" "$marks" \
    "$(reg_values "$SYSTEM_REG" "Software\\Wow6432Node\\${LAYERS#Software\\}")"
tk_check_eq "user's Layers key: one mark per start folder" "$marks" \
    "$(reg_values "$USER_REG" "$LAYERS")"
tk_check_eq "the second start wrote its own folder as InstallSource" \
    'InstallSource=REG_SZ:C:\Other Place\' \
    "$(reg_values "$SYSTEM_REG" "$UNINSTALL\\tidyKiosk Filter Server" | grep InstallSource)"

# An Uninstall entry that cannot be opened is skipped; the install says it is incomplete.
wineserver -p </dev/null >/dev/null 2>&1
tk_check "deny access to the client's Uninstall entry" \
    wine "$TK_BUILD_DIR/test-tools/tk_key_access.exe" deny HKLM \
    'SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\tidyKiosk Filter Client'
tk_run_setup -silent 1 'C:\Y'
tk_check_eq "unwritable Uninstall entry: exit status 3 (installed, some steps incomplete)" 3 \
    "$TK_STATUS"
reg_query() {  # reg_query KEY NAME: the data of one value as reg.exe shows it
    wine reg query "$1" /v "$2" </dev/null 2>/dev/null | tr -d '\r' |
        sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}
tk_check_eq "unwritable Uninstall entry: machine's vendor key still written" 'C:\Y\' \
    "$(reg_query 'HKLM\Software\VornSoft\FltLogClient' Path)"
tk_check_eq "unwritable Uninstall entry: start-up value still written" 'C:\Y\fltcln.exe' \
    "$(reg_query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Run' fltcl)"
tk_check_eq "unwritable Uninstall entry: the earlier entry is unchanged" 'C:\X\fltcln.exe,0' \
    "$(reg_query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\tidyKiosk Filter Client' DisplayIcon)"

tk_e2e_finish
