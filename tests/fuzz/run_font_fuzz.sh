#!/bin/sh
# Runs the font fuzzer for a bounded number of inputs from the seed fonts,
# in a fresh corpus so every run starts the same way.
# Usage: run_font_fuzz.sh FUZZER SEED_DIR RUNS [LIBFUZZER_OPTION...]
set -u
fuzzer=$1 seeds=$2 runs=$3
shift 3
work=$(mktemp -d /tmp/tarvello-fuzz-XXXXXX)
mkdir "$work/corpus"
cp "$seeds"/* "$work/corpus/"
# A fixed seed makes the bounded run repeat the same inputs each time. The
# leak check after every input would scan the driver's heap each time and
# slow the run a hundredfold; leaks are still checked when the run ends.
"$fuzzer" -runs="$runs" -seed=1 -max_len=4096 -detect_leaks=0 -artifact_prefix="$work/" "$@" "$work/corpus"
status=$?
if [ $status -ne 0 ]; then
    for crash in "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-*; do
        [ -f "$crash" ] && echo "failing input kept in $crash"
    done
else
    rm -rf "$work"
fi
exit $status
