# Shell functions for running the setup program and its tests under Wine.
# Source this file; it sets nothing until a function is called.
#
# Layout under a Wine root folder (normally build/windows/wine):
#   env        DISPLAY, HOME and the pristine prefix of this test run
#   home/      HOME for every Wine process (the prefix links Desktop and Documents here)
#   pristine/  a freshly made 64-bit prefix, never run in directly
#   prefixes/  one prefix per test, each a copy of the pristine one

tk_wine_base_env() {
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    export WINEARCH=win64
}

# Starts Xvfb on a free display and makes a pristine prefix. Writes ROOT/env.
tk_wine_setup() {
    local root=$1
    tk_wine_teardown "$root"
    rm -rf "$root"
    mkdir -p "$root/home" "$root/prefixes"
    tk_wine_base_env
    local display=$((100 + $$ % 400))
    while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
        display=$((display + 1))
    done
    setsid Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
    echo $! >"$root/xvfb.pid"
    for _ in $(seq 1 100); do
        [ -e "/tmp/.X11-unix/X$display" ] && break
        sleep 0.1
    done
    cat >"$root/env" <<ENV
export DISPLAY=:$display
export HOME='$root/home'
TK_WINE_PRISTINE='$root/pristine'
TK_WINE_ROOT='$root'
ENV
    # shellcheck disable=SC1091
    . "$root/env"
    export WINEPREFIX="$root/pristine"
    wine wineboot -i </dev/null >/dev/null 2>&1
    wineserver -w
    # Tahoma and the other Wine fonts, so windows look as they do on Windows.
    cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    [ -f "$WINEPREFIX/system.reg" ] || { echo "wine-lib: prefix was not made" >&2; return 1; }
}

tk_wine_load_env() {
    local root=$1
    [ -f "$root/env" ] || { echo "wine-lib: no Wine environment under $root; run the setup first" >&2; return 1; }
    tk_wine_base_env
    # shellcheck disable=SC1091
    . "$root/env"
}

# Makes ROOT/prefixes/NAME a fresh copy of the pristine prefix, starts its wineserver and
# exports WINEPREFIX. An overlay mount costs milliseconds; a plain copy is the fallback.
tk_wine_fresh_prefix() {
    local root=$1 name=$2
    tk_wine_load_env "$root" || return 1
    local base="$root/prefixes/$name"
    tk_wine_drop_prefix "$root" "$name"
    mkdir -p "$base/upper" "$base/work" "$base/prefix"
    if ! mount -t overlay overlay \
        -o "lowerdir=$TK_WINE_PRISTINE,upperdir=$base/upper,workdir=$base/work" \
        "$base/prefix" 2>/dev/null; then
        rmdir "$base/prefix"
        cp -a "$TK_WINE_PRISTINE" "$base/prefix"
    fi
    export WINEPREFIX="$base/prefix"
    # Background Wine processes must not hold the caller's output open.
    wineserver -p </dev/null >/dev/null 2>&1
    wine cmd /c exit </dev/null >/dev/null 2>&1
}

tk_wine_drop_prefix() {
    local root=$1 name=$2
    local base="$root/prefixes/$name"
    [ -d "$base" ] || return 0
    WINEPREFIX="$base/prefix" wineserver -k >/dev/null 2>&1 || true
    WINEPREFIX="$base/prefix" wineserver -w >/dev/null 2>&1 || true
    # Tests may have mounted inside the prefix (read-only folders, small disks): innermost first.
    awk -v base="$base/" 'index($2, base) == 1 { print $2 }' /proc/mounts | sort -r |
        while read -r mounted; do
            umount "$mounted" 2>/dev/null || umount -l "$mounted" 2>/dev/null || true
        done
    rm -rf "$base"
}

# Stops every prefix's wineserver and Xvfb.
tk_wine_teardown() {
    local root=$1
    [ -d "$root" ] || return 0
    if [ -d "$root/prefixes" ]; then
        for base in "$root"/prefixes/*; do
            [ -d "$base" ] && tk_wine_drop_prefix "$root" "$(basename "$base")"
        done
    fi
    if [ -f "$root/xvfb.pid" ]; then
        kill "$(cat "$root/xvfb.pid")" 2>/dev/null || true
        rm -f "$root/xvfb.pid"
    fi
}

# The Windows path C:\... of a Unix path inside the current prefix's drive_c.
tk_wine_unix_path() {
    local windows=$1
    local rest=${windows#[Cc]:}
    rest=${rest//\\//}
    printf '%s/drive_c%s' "$WINEPREFIX" "$rest"
}

# The Unix path of the Wine user's %TEMP% folder in the current prefix (made if missing).
tk_wine_temp_dir() {
    local temp
    temp=$(wine cmd /c echo %TEMP% </dev/null 2>/dev/null | tr -d '\r')
    temp=$(tk_wine_unix_path "$temp")
    mkdir -p "$temp"
    printf '%s' "$temp"
}
