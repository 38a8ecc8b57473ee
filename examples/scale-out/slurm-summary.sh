#!/bin/bash
# SPDX-License-Identifier: MIT
# slurm-summary.sh - after the array: lists the shards whose task failed or
# left no exit status (cancelled, timed out, never run), with the last lines
# of each one's log, and writes their task ids to SHARD_DIR/resubmit.txt;
# then, apart from those, the shards whose log holds "ptxport: warning:"
# lines (converted, but a truncated tile, for one), with those lines:
#
#   slurm-summary.sh SHARD_DIR FORMAT [JOB_SCRIPT]
#
# Run it as a job that depends on the array (slurm-submit.sh does) or by
# hand. Exits 1 when a shard failed.
set -uo pipefail

if [ $# -lt 2 ] || [ $# -gt 3 ]; then
    echo "usage: slurm-summary.sh SHARD_DIR FORMAT [JOB_SCRIPT]" >&2
    exit 2
fi
shard_dir=$1 format=$2 job_script=${3:-slurm-array.sh}
failed=()
warned=0
total=0
for shard in "$shard_dir"/shard-*; do
    [ -f "$shard" ] || continue
    total=$((total + 1))
    name=${shard##*/}
    id=${name#shard-}
    id=${id%.*}
    log=$shard_dir/logs/shard-$id.log
    status=$(cat "$shard_dir/logs/shard-$id.status" 2>/dev/null || echo none)
    if [ "$status" = 0 ]; then
        grep -q '^ptxport: warning:' "$log" 2>/dev/null || continue
        warned=$((warned + 1))
        echo "WARNED $name, log $log:"
        grep '^ptxport: warning:' "$log" | sed 's/^/    /'
        continue
    fi
    failed+=($((10#$id)))
    echo "FAILED $name (exit status: $status), log $log:"
    grep -v '^[[:space:]]*$' "$log" 2>/dev/null | tail -n 3 | sed 's/^/    /'
done
with_warnings=
[ "$warned" -eq 0 ] || with_warnings=", $warned with warnings (WARNED above)"
if [ ${#failed[@]} -eq 0 ]; then
    rm -f "$shard_dir/resubmit.txt"
    echo "All $total shards converted$with_warnings."
    exit 0
fi
ids=$(
    IFS=,
    echo "${failed[*]}"
)
echo "$ids" >"$shard_dir/resubmit.txt"
echo "${#failed[@]} of $total shards failed$with_warnings;" \
    "the failed ones' task ids are in $shard_dir/resubmit.txt."
echo "Resubmit them after fixing their tiles:"
echo "    sbatch --array=$ids $job_script $shard_dir $format"
exit 1
