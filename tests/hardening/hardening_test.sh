#!/usr/bin/env bash
# Checks each built program for the protections a hardened Debian build gives it, as the
# binary shows them: a position-independent executable, the whole relocation table read-only
# and bound at start-up, a stack protector, fortified libc calls, and, where OBJDUMP is given
# (x86-64), control-flow protection: indirect branch targets such as main begin with endbr64.
# Usage: hardening_test.sh READELF OBJDUMP|"" PROGRAM...
set -uo pipefail
readelf=$1
objdump=$2
shift 2

failures=0
fail() {
    echo "FAIL: $1: $2"
    failures=$((failures + 1))
}

for program in "$@"; do
    name=$(basename "$program")
    header=$("$readelf" --file-header --wide "$program") || { fail "$name" "not an ELF file"; continue; }
    dynamic=$("$readelf" --dynamic --wide "$program")
    segments=$("$readelf" --program-headers --wide "$program")
    symbols=$("$readelf" --dyn-syms --wide "$program")

    grep -Eq 'Type:[[:space:]]+DYN' <<<"$header" && grep -Eq 'FLAGS_1.*PIE' <<<"$dynamic" \
        || fail "$name" "not a position-independent executable"
    grep -q 'GNU_RELRO' <<<"$segments" || fail "$name" "no read-only relocation segment (RELRO)"
    grep -Eq 'BIND_NOW|FLAGS_1.*NOW' <<<"$dynamic" || fail "$name" "symbols are bound lazily (no BIND_NOW)"
    grep -q '__stack_chk_fail' <<<"$symbols" || fail "$name" "no stack protector (__stack_chk_fail)"
    grep -Eq '__[a-z0-9_]+_chk\b' <<<"$(grep -v __stack_chk_fail <<<"$symbols")" \
        || fail "$name" "no fortified libc calls (*_chk)"
    if [ -n "$objdump" ]; then
        "$objdump" --disassemble=main --no-show-raw-insn "$program" | grep -A1 '<main>:' | grep -q endbr64 \
            || fail "$name" "no control-flow protection (main does not begin with endbr64)"
    fi
done

[ "$failures" -eq 0 ] && echo "every program carries every protection"
exit $((failures > 0))
