#!/usr/bin/env bash
# Emulator for the Windows-side test programs: runs one program under Wine in a fresh
# prefix of this test run (TK_WINE_ROOT), passing its exit status through.
#
# Under QEMU's user-mode emulator, 32-bit Wine now and then stops making progress inside a
# call that returns at once elsewhere (seen about once in ten runs of the same suite, at
# different tests). A run that has not ended after TK_WINE_RUN_SECONDS (150; the suites take
# well under a minute) is ended, said so, and run once more in a fresh prefix. A run that
# ends, failing or not, is never run again.
set -uo pipefail
. "$(dirname "$0")/wine-lib.sh"
root=${TK_WINE_ROOT:?TK_WINE_ROOT names the Wine root of this test run}
limit=${TK_WINE_RUN_SECONDS:-150}
for attempt in 1 2; do
    name=$(basename "$1" .exe)-$$-$attempt
    tk_wine_fresh_prefix "$root" "$name" || exit 1
    timeout "$limit" wine "$@"
    status=$?
    if [ "$status" -eq 124 ]; then
        wineserver -k 2>/dev/null
        echo "wine-run: $(basename "$1") did not end within $limit s (attempt $attempt); ended"
    fi
    tk_wine_drop_prefix "$root" "$name"
    [ "$status" -eq 124 ] || break
done
exit $status
