#!/usr/bin/env bash
# Shortcuts of silent installs: both editions' links side by side in the shared
# "tidyKiosk" group and on the shared desktop, read with lnkinfo from outside; and the
# fallback to the user's own locations when the shared ones cannot be written.
. "$(dirname "$0")/e2e-lib.sh"
tk_e2e_prefix

C="$WINEPREFIX/drive_c"
SHARED_DESKTOP="$C/users/Public/Desktop"
SHARED_PROGRAMS="$C/ProgramData/Microsoft/Windows/Start Menu/Programs"
USER_DESKTOP="$C/users/root/Desktop"
USER_PROGRAMS="$C/users/root/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"
# The prefix links the user's desktop to HOME, which all tests share: give this prefix a
# desktop of its own.
rm -f "$USER_DESKTOP" && mkdir -p "$USER_DESKTOP"

links_in() {  # the .lnk files in a folder, sorted
    (cd "$1" 2>/dev/null && find . -maxdepth 1 -name '*.lnk' | sed 's|^\./||' | LC_ALL=C sort)
}

check_link() {  # check_link DESCRIPTION FILE TARGET
    local info
    info=$(lnkinfo "$2" 2>&1)
    tk_check_eq "$1: target" "$3" "$(sed -n 's/^\tLocal path\t*: //p' <<<"$info")"
    tk_check_eq "$1: working directory" 'C:\X\' "$(sed -n 's/^\tWorking directory\t*: //p' <<<"$info")"
    tk_check "$1: no arguments and no icon of its own" \
        bash -c "! grep -qiE 'command line arguments|icon location' <<<\"\$1\"" _ "$info"
}

both_names=$(printf '%s\n' 'tidyKiosk Filter Client.lnk' 'tidyKiosk Filter Server.lnk')

# --- The shared locations cannot be written: the user's own ones are used ----------------
ro_bind() { mount --bind "$1" "$1" && mount -o remount,bind,ro "$1"; }
unbind() { mountpoint -q "$1" && { umount "$1" 2>/dev/null || umount -l "$1"; }; }
ro_bind "$SHARED_DESKTOP" && ro_bind "$SHARED_PROGRAMS" || { echo "FAIL: cannot bind-mount"; exit 1; }
trap 'unbind "$SHARED_DESKTOP"; unbind "$SHARED_PROGRAMS"; tk_wine_drop_prefix "$TK_WINE_ROOT" "$TK_E2E_NAME"' EXIT
tk_run_setup -silent 0 'C:\X'
tk_check_eq "read-only shared folders: exit status" 0 "$TK_STATUS"
tk_check_eq "read-only shared folders: no shared desktop link" "" "$(links_in "$SHARED_DESKTOP")"
tk_check "read-only shared folders: no shared program group" test ! -e "$SHARED_PROGRAMS/tidyKiosk"
tk_check_eq "read-only shared folders: link on the user's desktop" 'tidyKiosk Filter Server.lnk' \
    "$(links_in "$USER_DESKTOP")"
tk_check_eq "read-only shared folders: link in the user's own group" 'tidyKiosk Filter Server.lnk' \
    "$(links_in "$USER_PROGRAMS/tidyKiosk")"
check_link "user desktop" "$USER_DESKTOP/tidyKiosk Filter Server.lnk" 'C:\X\fltsrv.exe'
check_link "user group" "$USER_PROGRAMS/tidyKiosk/tidyKiosk Filter Server.lnk" 'C:\X\fltsrv.exe'
unbind "$SHARED_DESKTOP"
unbind "$SHARED_PROGRAMS"
rm -rf "$USER_DESKTOP"/*.lnk "$USER_PROGRAMS/tidyKiosk"

# --- Both editions, shared locations writable ------------------------------------------
tk_run_setup -silent 0 'C:\X'
tk_check_eq "server: exit status" 0 "$TK_STATUS"
tk_run_setup -silent 1 'C:\X'
tk_check_eq "client: exit status" 0 "$TK_STATUS"
tk_check_eq "shared desktop holds both links" "$both_names" "$(links_in "$SHARED_DESKTOP")"
tk_check_eq "shared group holds both links" "$both_names" "$(links_in "$SHARED_PROGRAMS/tidyKiosk")"
tk_check_eq "nothing on the user's desktop" "" "$(links_in "$USER_DESKTOP")"
tk_check "no user program group" test ! -e "$USER_PROGRAMS/tidyKiosk"
for place in "$SHARED_DESKTOP" "$SHARED_PROGRAMS/tidyKiosk"; do
    check_link "server link in ${place#"$C"/}" "$place/tidyKiosk Filter Server.lnk" 'C:\X\fltsrv.exe'
    check_link "client link in ${place#"$C"/}" "$place/tidyKiosk Filter Client.lnk" 'C:\X\fltcln.exe'
done

# --- Installing again replaces the earlier link ------------------------------------------
printf 'not a link' >"$SHARED_DESKTOP/tidyKiosk Filter Server.lnk"
tk_run_setup -silent 0 'C:\X'
tk_check_eq "reinstall: exit status" 0 "$TK_STATUS"
check_link "reinstalled desktop link" "$SHARED_DESKTOP/tidyKiosk Filter Server.lnk" 'C:\X\fltsrv.exe'

tk_e2e_finish
