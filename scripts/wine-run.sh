#!/usr/bin/env bash
# Emulator for the Windows-side test programs: runs one program under Wine in a fresh
# prefix of this test run (TK_WINE_ROOT), passing its exit status through.
set -uo pipefail
. "$(dirname "$0")/wine-lib.sh"
root=${TK_WINE_ROOT:?TK_WINE_ROOT names the Wine root of this test run}
name=$(basename "$1" .exe)-$$
tk_wine_fresh_prefix "$root" "$name" || exit 1
wine "$@"
status=$?
tk_wine_drop_prefix "$root" "$name"
exit $status
