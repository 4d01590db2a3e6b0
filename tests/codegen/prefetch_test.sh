#!/usr/bin/env bash
# Each of the matcher's comparing loops carries prefetch instructions in the built program: in
# the function itself, or in the probe loop it shares (matchProbes) when that is not inlined.
# Usage: prefetch_test.sh OBJDUMP PROGRAM
set -uo pipefail
objdump=$1
program=$2

disassembly=$("$objdump" --disassemble --demangle --no-show-raw-insn "$program") || exit 1
failures=0
for loops in flagRepeats countKeys 'flagPresence|matchProbes' 'flagShared|matchProbes'; do
    prefetches=$(awk -v names="Quorvane::PartitionMatcher::(${loops})[(<]" '
        /^[0-9a-f]+ <.*>:$/ { inside = $0 ~ names }
        inside && /prefetch/ { count++ }
        END { print count + 0 }' <<<"$disassembly")
    if [ "$prefetches" -eq 0 ]; then
        echo "FAIL: PartitionMatcher::${loops} has no prefetch instruction"
        failures=$((failures + 1))
    fi
done
[ "$failures" -eq 0 ] && echo "every comparing loop of the matcher prefetches"
exit $((failures > 0))
