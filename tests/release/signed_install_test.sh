#!/usr/bin/env bash
# The signed program (left by the signing test) still installs silently under Wine.
. "$(dirname "$0")/../e2e/e2e-lib.sh"
tk_e2e_prefix
tk_run_setup -silent 0 'C:\Signed'
tk_check_eq "signed program: exit status" 0 "$TK_STATUS"
tk_check "signed program: installed the server program" \
    test -s "$(tk_wine_unix_path 'C:\Signed\fltsrv.exe')"
tk_e2e_finish
