#!/usr/bin/env bash
# Runs every test: the native unit tests, then the Windows-side and end-to-end tests
# under Wine. Installs what it needs first.
set -euo pipefail
. "$(dirname "$0")/tmpdir.sh"
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset host
cmake --build --preset host
ctest --preset host
cmake --preset windows
cmake --build --preset windows
ctest --preset windows
if [ -f build/windows/wine/unavailable ]; then
    echo "WARNING: the Windows-side tests were skipped: $(cat build/windows/wine/unavailable)"
    cat build/windows/wine/diagnosis 2>/dev/null
fi
