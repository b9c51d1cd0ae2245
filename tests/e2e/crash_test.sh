#!/usr/bin/env bash
# However the program fails unexpectedly, it ends with status 6 ("failed unexpectedly"),
# never with a status that reads as a result; silent: no box of any kind, one console line.
# tk_crash installs the setup program's own crash handlers, then throws, faults, aborts, or
# makes the C++ library raise a range error as the setup program's library raisers do, or
# faults on a second thread while the main thread ends as the program ends normally.
. "$(dirname "$0")/e2e-lib.sh"
. "$(dirname "$0")/../../scripts/i386-lib.sh"
tk_e2e_prefix

# Where QEMU's user-mode emulator runs the 32-bit tool, what depends on how the processor and
# threads really behave is checked on the 64-bit build of the same sources (preset
# windows64), which wine64 runs natively: a fault's code (the emulated Wine gets no trap
# number, so every fault arrives as 0xC000001D), and a fault on a second thread (when another
# thread ends the process while the main thread waits, the emulated Wine itself often dies:
# "stack smashing detected", status 139 or 1).
crash32=(wine "$TK_BUILD_DIR/test-tools/tk_crash.exe")
crash_native=("${crash32[@]}")
emulated=false
if [ "$(tk_i386_mode)" = emulated ]; then
    emulated=true
    crash64=${TK_CRASH64_EXE:-$(dirname "$0")/../../build/windows64/test-tools/tk_crash.exe}
    if [ -f "$crash64" ]; then
        crash_native=(/usr/lib/wine/wine64 "$crash64")
    else
        echo "FAIL: no 64-bit tk_crash.exe at $crash64: cmake --preset windows64 &&" \
            "cmake --build --preset windows64 --target tk_crash (scripts/test-all.sh does this)"
        TK_E2E_FAILURES=$((TK_E2E_FAILURES + 1))
        crash_native=(false)
    fi
fi

silent_crash() {  # silent_crash HOW TOOL...: no box, status 6, one line (in $WINEPREFIX/HOW.out)
    local how=$1 status watcher
    shift
    tk_window watch-hidden tkNoSuchClass 4000 >/dev/null &
    watcher=$!
    WINEDEBUG=+eventlog "$@" silent "$how" </dev/null >"$WINEPREFIX/$how.out" 2>&1
    status=$?
    wait "$watcher"
    tk_check_eq "silent $how: no window or box" 0 "$?"
    tk_check_eq "silent $how: exit status 6" 6 "$status"
    tk_check_eq "silent $how: one line on the console" 1 \
        "$(grep -c '^tidykiosk_filter_v3: The setup program failed unexpectedly: ' "$WINEPREFIX/$how.out")"
}

for how in throw fault abort library; do
    silent_crash "$how" "${crash32[@]}"
done
silent_crash thread-fault "${crash_native[@]}"
tk_check "silent throw: the line names the exception" grep -q 'thrown on purpose' "$WINEPREFIX/throw.out"
# The crash handler writes the run's event (an error, 6) before the program ends.
for how in throw fault abort library; do
    tk_check_eq "silent $how: one event of the end" 1 "$(grep -c \
        'err:eventlog:ReportEventW L"Ran: silent\\r\\nExit status: 6 (the setup program failed unexpectedly)\\r\\nThe setup program failed unexpectedly: ' \
        "$WINEPREFIX/$how.out")"
done
if $emulated; then
    tk_check "silent fault (32-bit, emulated): the line names an exception" \
        grep -q 'failed unexpectedly: exception 0xC00000' "$WINEPREFIX/fault.out"
    "${crash_native[@]}" silent fault </dev/null >"$WINEPREFIX/fault64.out" 2>&1
    tk_check_eq "silent fault (64-bit build): exit status 6" 6 "$?"
    fault_out=$WINEPREFIX/fault64.out
else
    fault_out=$WINEPREFIX/fault.out
fi
tk_check "silent fault: the line names the access violation" grep -q 'exception 0xC0000005' "$fault_out"
tk_check "silent library: the line names the library's function" \
    grep -q 'failed unexpectedly: basic_string::substr[[:space:]]*$' "$WINEPREFIX/library.out"

# The wizard tells the person, and still ends with status 6 once the box is closed, also when
# the main thread has meanwhile come to its normal end.
for how in fault thread-fault; do
    tool=("${crash32[@]}")
    [ "$how" = thread-fault ] && tool=("${crash_native[@]}")
    "${tool[@]}" wizard "$how" </dev/null >/dev/null 2>&1 &
    crashed=$!
    text=$(tk_window dialog-text Error 15000)
    tk_check "wizard $how: a box says so" grep -q 'The setup program failed unexpectedly' <<<"$text"
    tk_window click-dialog Error 1 >/dev/null
    wait "$crashed"
    tk_check_eq "wizard $how: exit status 6" 6 "$?"
done

# Each mode's error mode, on top of the one the process was started with: the wizard, and the
# programs it starts (they inherit the mode), keep the critical-error boxes.
for run in "wizard 0 0x0002" "wizard 8000 0x8002" "silent 0 0x8003"; do
    read -r mode start expected <<<"$run"
    tk_check_eq "$mode, started with error mode 0x$start: error mode" "$expected" \
        "$("${crash32[@]}" "$mode" error-mode "$start" </dev/null 2>/dev/null | tr -d '\r')"
done

tk_e2e_finish
