#!/usr/bin/env bash
# Two copies of the sources at different paths, built one after the other by what looks
# like two other users (user name, home, time zone), give byte-identical programs.
. "$(dirname "$0")/release-lib.sh"

build() {  # build SOURCE USER TZ: scripts/release.sh in SOURCE; prints the SHA-256 line
    local source=$1 user=$2 zone=$3
    mkdir -p "$TK_RELEASE_WORK/home-$user"
    (cd "$source" && tk_release_clean_env USER="$user" LOGNAME="$user" HOME="$TK_RELEASE_WORK/home-$user" \
        TZ="$zone" bash scripts/release.sh >"$TK_RELEASE_WORK/$user.log" 2>&1) ||
        { tail -n 30 "$TK_RELEASE_WORK/$user.log"; echo "FAIL: release build as $user"; exit 1; }
    cat "$source/dist/SHA256SUMS"
}

tk_release_checkout "$TK_RELEASE_WORK/one/tidykiosk"
tk_release_checkout "$TK_RELEASE_WORK/elsewhere/much/deeper/src"
first=$(build "$TK_RELEASE_WORK/one/tidykiosk" builder-one UTC)
sleep 3  # the first build takes far longer than a second already
second=$(build "$TK_RELEASE_WORK/elsewhere/much/deeper/src" builder-two Asia/Tokyo)
echo "first:  $first"
echo "second: $second"
tk_check_eq "same SHA-256 from both copies" "$first" "$second"
tk_e2e_finish
