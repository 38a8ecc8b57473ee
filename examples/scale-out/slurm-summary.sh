#!/bin/bash
# SPDX-License-Identifier: MIT
# slurm-summary.sh - after the array: lists the shards whose task failed or
# left no exit status (cancelled, timed out, never run), with the last lines
# of each one's log, and those a killed run left incomplete: a tile's
# output under ptxport's temporary name (.NAME.asc.ptxport-XXXXXX), whatever
# the exit status, since the final names may hold an older output. It
# writes their task ids to SHARD_DIR/resubmit.txt. Then, apart from those,
# the shards whose log holds "ptxport: warning:" lines (converted, but a
# truncated tile, for one), with those lines, and those whose log is empty
# (lost on a full file system: keep SHARD_DIR on another one than the
# tiles when space is short):
#
#   slurm-summary.sh SHARD_DIR FORMAT [JOB_SCRIPT]
#
# Run it as a job that depends on the array (slurm-submit.sh does) or by
# hand. Exits 1 when a shard failed or is incomplete.
set -uo pipefail

# Adds to array left the temporary names that ptxport writes tile $1's
# outputs under until it renames them, .NAME.asc.ptxport-XXXXXX and
# .NAME_hdr.asc.ptxport-XXXXXX beside the tile, for those that exist. Each
# folder is read once, into temporaries (the names of each output, each
# followed by a slash), and no process is started: a glob per tile would
# read a folder of ten thousand tiles ten thousand times.  The three
# recipes carry this routine each: Slurm runs a copy of a job script,
# away from its folder, and each recipe is meant to work copied alone.
declare -A scanned=() temporaries=()
leftovers() {
    local dir=. base=${1##*/} file name names
    [[ $1 != */* ]] || dir=${1%/*}
    [ ${#base} -gt 4 ] || return 0
    base=${base:0:${#base}-4}
    if [ -z "${scanned[$dir]:-}" ]; then
        scanned[$dir]=1
        for file in "$dir"/.*.ptxport-??????; do
            [ -e "$file" ] || continue
            name=${file##*/}
            temporaries[$dir/${name%.ptxport-??????}]+=$name/
        done
    fi
    for name in ".$base.asc" ".${base}_hdr.asc"; do
        names=${temporaries[$dir/$name]:-}
        while [ -n "$names" ]; do
            left+=("$dir/${names%%/*}")
            names=${names#*/}
        done
    done
}

# Sets array left to the leftovers of the tiles of shard file $1.
shard_leftovers() {
    local tile
    left=()
    if [[ $1 == *.tile ]]; then
        IFS= read -r -d '' tile <"$1"
        leftovers "$tile"
    else
        while IFS= read -r tile; do
            [ -z "$tile" ] || leftovers "$tile"
        done <"$1"
    fi
}

# The last lines of log $1, or why there are none.
log_tail() {
    if [ -s "$1" ]; then
        grep -v '^[[:space:]]*$' "$1" | tail -n 3 | sed 's/^/    /'
    else
        echo "    (the log is empty: nothing shows how far the run got)"
    fi
}

if [ $# -lt 2 ] || [ $# -gt 3 ]; then
    echo "usage: slurm-summary.sh SHARD_DIR FORMAT [JOB_SCRIPT]" >&2
    exit 2
fi
shard_dir=$1 format=$2 job_script=${3:-slurm-array.sh}
failed=()
warned=0 incomplete=0 empty=0
total=0
for shard in "$shard_dir"/shard-*; do
    [ -f "$shard" ] || continue
    total=$((total + 1))
    name=${shard##*/}
    id=${name#shard-}
    id=${id%.*}
    log=$shard_dir/logs/shard-$id.log
    status=$(cat "$shard_dir/logs/shard-$id.status" 2>/dev/null || echo none)
    shard_leftovers "$shard"
    if [ ${#left[@]} -gt 0 ]; then
        incomplete=$((incomplete + 1))
        echo "INCOMPLETE $name (exit status: $status), log $log:"
        printf '    left by a killed run: %s\n' "${left[@]}"
    elif [ "$status" != 0 ]; then
        echo "FAILED $name (exit status: $status), log $log:"
    elif [ ! -s "$log" ]; then
        empty=$((empty + 1))
        echo "EMPTY LOG $name (exit status: 0), log $log: converted, any warning lost"
        continue
    elif grep -q '^ptxport: warning:' "$log"; then
        warned=$((warned + 1))
        echo "WARNED $name, log $log:"
        grep '^ptxport: warning:' "$log" | sed 's/^/    /'
        continue
    else
        continue
    fi
    failed+=($((10#$id)))
    log_tail "$log"
done
with_warnings=
[ "$warned" -eq 0 ] || with_warnings=", $warned with warnings (WARNED above)"
[ "$empty" -eq 0 ] || with_warnings+=", $empty with empty logs (EMPTY LOG above)"
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
of_them=
[ "$incomplete" -eq 0 ] || of_them=", $incomplete of them incomplete (INCOMPLETE above)"
echo "${#failed[@]} of $total shards failed$of_them$with_warnings;" \
    "the failed ones' task ids are in $shard_dir/resubmit.txt."
echo "Resubmit them after fixing their tiles:"
echo "    sbatch --array=$ids $job_script $shard_dir $format"
exit 1
