#!/usr/bin/env bash
# Writes the file part of bench/peer.nsi for a payload folder: every file under it, at its
# relative path, one SetOutPath per folder.
#   bench/peer-files.sh PAYLOAD_FOLDER >files.nsh
set -euo pipefail
payload=$(cd "$1" && pwd)
count=0
current=
while IFS= read -r relative; do
    folder=$(dirname "$relative")
    [ "$folder" = . ] && folder= || folder="\\${folder//\//\\}"
    if [ "$folder" != "$current" ] || [ $count -eq 0 ]; then
        echo "SetOutPath \"\$INSTDIR$folder\""
        current=$folder
    fi
    echo "File \"$payload/$relative\""
    count=$((count + 1))
done < <(cd "$payload" && find . -type f -printf '%h\t%P\n' | LC_ALL=C sort | cut -f2)
[ $count -gt 0 ] || { echo "peer-files: no files under $payload" >&2; exit 1; }
