# Shell functions that tell whether this machine runs 32-bit x86 programs, and how.
# Source this file; it sets nothing until a function is called.

TK_I386_BINFMT=qemu-i386
TK_I386_EMULATOR=/usr/bin/qemu-i386-static

# Runs a 96-byte static i386 program that only exits with status 42: the one sure way to
# know whether the kernel (or an emulator it hands i386 programs to) runs 32-bit code.
tk_i386_runs() (
    dir=$(mktemp -d)
    trap 'rm -rf "$dir"' EXIT
    # ELF header, one loadable segment at 0x08048000, then: mov eax,1; mov ebx,42; int 0x80
    printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' \
        >"$dir/probe"
    chmod +x "$dir/probe"
    "$dir/probe" 2>/dev/null
    [ $? -eq 42 ]
)

# True when an enabled binfmt_misc entry hands i386 programs to an emulator.
tk_i386_emulator_registered() {
    local entry
    # A fresh /proc (a chroot, a container) shows the kernel's entries only once mounted.
    [ -e /proc/sys/fs/binfmt_misc/register ] || [ "$(id -u)" -ne 0 ] ||
        mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc 2>/dev/null || true
    for entry in /proc/sys/fs/binfmt_misc/*; do
        case $(basename "$entry") in register | status) continue ;; esac
        [ -f "$entry" ] && [ "$(head -n 1 "$entry")" = enabled ] || continue
        # e_ident of a 32-bit little-endian ELF, then e_machine 3 (i386).
        grep -q '^magic 7f454c460101.\{20\}0[23]000300' "$entry" && return 0
    done
    return 1
}

# Prints native, emulated or none.
tk_i386_mode() {
    if ! tk_i386_runs; then
        echo none
    elif tk_i386_emulator_registered; then
        echo emulated
    else
        echo native
    fi
}

# How the 32-bit program runs here, in words for the end of a test run.
tk_i386_words() {
    case $(tk_i386_mode) in
        native) echo "32-bit program, native" ;;
        emulated) echo "32-bit program under emulation" ;;
        *) echo "32-bit programs do not run here" ;;
    esac
}

# Registers QEMU's user-mode emulator for i386 executables and shared objects, with the
# flag F (the kernel opens the emulator now, so it also serves inside chroots and mount
# namespaces). Needs root.
tk_i386_register_emulator() {
    local dir=/proc/sys/fs/binfmt_misc
    [ -x "$TK_I386_EMULATOR" ] || { echo "no $TK_I386_EMULATOR (package qemu-user-static)" >&2; return 1; }
    [ -e "$dir/register" ] || mount -t binfmt_misc binfmt_misc "$dir" || return 1
    [ -e "$dir/$TK_I386_BINFMT" ] && echo -1 >"$dir/$TK_I386_BINFMT"
    printf '%s' ":$TK_I386_BINFMT:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:$TK_I386_EMULATOR:F" \
        >"$dir/register"
}
