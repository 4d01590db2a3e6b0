#!/usr/bin/env bash
# Each of the matcher's comparing loops carries prefetch instructions in the built program.
# Usage: prefetch_test.sh OBJDUMP PROGRAM
set -uo pipefail
objdump=$1
program=$2

disassembly=$("$objdump" --disassemble --demangle --no-show-raw-insn "$program") || exit 1
failures=0
for loop in flagRepeats flagPresence countKeys; do
    prefetches=$(awk -v name="Quorvane::PartitionMatcher::$loop(" '
        /^[0-9a-f]+ <.*>:$/ { inside = index($0, name) > 0 }
        inside && /prefetch/ { count++ }
        END { print count + 0 }' <<<"$disassembly")
    if [ "$prefetches" -eq 0 ]; then
        echo "FAIL: PartitionMatcher::$loop has no prefetch instruction"
        failures=$((failures + 1))
    fi
done
[ "$failures" -eq 0 ] && echo "every comparing loop of the matcher prefetches"
exit $((failures > 0))
