#!/usr/bin/env bash
# wine-env.sh setup|cleanup ROOT: the Wine environment of one test run (Xvfb, a pristine
# prefix); ctest runs it as the fixture of the Windows-side tests.
set -euo pipefail
. "$(dirname "$0")/wine-lib.sh"
case "${1:-}" in
    setup) tk_wine_setup "$2" ;;
    cleanup) tk_wine_teardown "$2" ;;
    *) echo "usage: wine-env.sh setup|cleanup ROOT" >&2; exit 2 ;;
esac
