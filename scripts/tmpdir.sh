# Sourced by the top-level scripts. A TMPDIR that names no writable folder breaks package
# scripts, compilers and Wine alike: fall back to /tmp then, and say so.
if [ -n "${TMPDIR:-}" ] && { [ ! -d "$TMPDIR" ] || [ ! -w "$TMPDIR" ]; }; then
    echo "note: TMPDIR=$TMPDIR is not a writable folder; using /tmp" >&2
    export TK_CALLER_TMPDIR=$TMPDIR
    export TMPDIR=/tmp
fi
