#!/usr/bin/env bash
# A copy of the setup program with one byte of a payload stream altered installs nothing
# and says why; a payload resource that is no zlib stream at all is installed as stored.
. "$(dirname "$0")/e2e-lib.sh"
tk_e2e_prefix
setup=$WINEPREFIX/drive_c/setup/tidykiosk_filter_v3.exe

# resource_span ID: file offset and size of RT_RCDATA resource ID (wrestool names the
# resource's address in memory; the .rsrc section header maps it to the file).
resource_span() {
    local rva size vma fileOffset imageBase
    read -r rva size < <(wrestool -l --type=10 --name="$1" "$setup" |
        sed -n 's/.*offset=\(0x[0-9a-f]*\) size=\([0-9]*\).*/\1 \2/p')
    read -r vma fileOffset < <(objdump -h "$setup" | awk '$2 == ".rsrc" { print "0x" $4, "0x" $6 }')
    imageBase=0x$(objdump -p "$setup" | awk '$1 == "ImageBase" { print $2 }')
    echo $((rva - (vma - imageBase) + fileOffset)) "$size"
}

# program_with COPY ID: a copy of the setup program in C:\setup\COPY.exe, in COPY_PATH, with
# resource ID at OFFSET (SIZE bytes) checked to be the build's packed stream.
program_with() {
    COPY_PATH=$WINEPREFIX/drive_c/setup/$1.exe
    cp "$setup" "$COPY_PATH"
    read -r OFFSET SIZE < <(resource_span "$2")
    if [ "$(stat -c %s "$TK_BUILD_DIR/packed/$2.z")" != "$SIZE" ] ||
        ! cmp -s -n "$SIZE" -i "$OFFSET:0" "$COPY_PATH" "$TK_BUILD_DIR/packed/$2.z"; then
        echo "FAIL: resource $2 not found at file offset $OFFSET"
        exit 1
    fi
}

# damage_middle: one bit changed in the middle of the resource program_with found.
damage_middle() {
    local middle=$((OFFSET + SIZE / 2)) byte
    byte=$(od -An -tu1 -j "$middle" -N1 "$COPY_PATH" | tr -d ' ')
    printf '%b' "\\0$(printf '%03o' $((byte ^ 1)))" |
        dd of="$COPY_PATH" bs=1 seek="$middle" conv=notrunc status=none
}

# One bit changed in the middle of the filter library's stream, which both editions install.
program_with damaged 110
damage_middle
TK_SETUP_PROGRAM='C:\setup\damaged.exe' tk_run_setup -silent 0 'C:\X'
tk_check_eq "damaged: exit status 1 (stopped by an error)" 1 "$TK_STATUS"
tk_check "damaged: the message reached the console" grep -qxF \
    "tidykiosk_filter_v3: The setup program is damaged. Download it again." \
    <(tr -d '\r' <"$WINEPREFIX/setup.out")
tk_check "damaged: no install folder" test ! -e "$(tk_wine_unix_path 'C:\X')"
tk_check "damaged: no data folder" test ! -e "$(tk_wine_unix_path 'C:\ProgramData\tidyKiosk')"

# The last stream the Server edition writes: every file before it is intact, and still
# none of them is installed.
program_with damaged-last 115
damage_middle
TK_SETUP_PROGRAM='C:\setup\damaged-last.exe' tk_run_setup -silent 0 'C:\X'
tk_check_eq "damaged last stream: exit status 1" 1 "$TK_STATUS"
tk_check "damaged last stream: no install folder, no data folder" test ! -e \
    "$(tk_wine_unix_path 'C:\X')" -a ! -e "$(tk_wine_unix_path 'C:\ProgramData\tidyKiosk')"

# proto.txt's resource replaced by plain text of the same length: no zlib header at all.
program_with raw 106
raw=$WINEPREFIX/raw-proto.txt
printf 'Stored as it is, never compressed: %*s' $((SIZE - 35)) '.' >"$raw"
[ "$(stat -c %s "$raw")" -eq "$SIZE" ] || { echo "FAIL: the plain text must fill the resource"; exit 1; }
dd if="$raw" of="$COPY_PATH" bs=1 seek="$OFFSET" conv=notrunc status=none
TK_SETUP_PROGRAM='C:\setup\raw.exe' tk_run_setup -silent 0 'C:\X'
x=$(tk_wine_unix_path 'C:\X')
tk_check_eq "raw resource: exit status 0" 0 "$TK_STATUS"
tk_check "raw resource: installed byte for byte as stored" cmp -s "$raw" "$x/proto/proto.txt"
tk_check "raw resource: the other files are inflated" \
    cmp -s "$(tk_payload_input proto/proto-ban.txt)" "$x/proto/proto-ban.txt"

tk_e2e_finish
