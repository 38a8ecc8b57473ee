#!/bin/bash
# SPDX-License-Identifier: MIT
# slurm-array.sh - the Slurm job script: array task N converts the shard
# SHARD_DIR/shard-NNNN (made by shard-list.sh) with one ptxport run:
#
#   sbatch --array=0-36 slurm-array.sh SHARD_DIR FORMAT
#
# ptxport's console output, which carries any failure's reason, goes to
# SHARD_DIR/logs/shard-NNNN.log and its exit status to shard-NNNN.status,
# for slurm-summary.sh; a full file system empties the logs too, so keep
# SHARD_DIR on another one than the tiles when space is short. A run killed
# outright (out of memory, a node lost) leaves its tile's outputs under
# temporary names, which the next try of the task removes before it
# converts the shard again. The task fails when ptxport fails. PTXPORT
# names the command if it is not on the PATH.
#SBATCH --job-name=ptxport
#SBATCH --cpus-per-task=1
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

# Each tile is in this shard alone, so no other task writes these names.
remove_leftovers() {
    local tile file left=()
    for tile; do
        leftovers "$tile"
    done
    for file in "${left[@]}"; do
        rm -f -- "$file" && echo "slurm-array.sh: removed $file, left by a killed run" >&2
    done
}

if [ $# -ne 2 ] || [ -z "${SLURM_ARRAY_TASK_ID:-}" ]; then
    echo "usage: sbatch --array=RANGE slurm-array.sh SHARD_DIR FORMAT" >&2
    exit 2
fi
shard_dir=$1 format=$2
id=$(printf '%04d' "$SLURM_ARRAY_TASK_ID")
log=$shard_dir/logs/shard-$id.log
mkdir -p "$shard_dir/logs"
rm -f "$shard_dir/logs/shard-$id.status"

input=
if [ -f "$shard_dir/shard-$id.txt" ]; then
    input=$shard_dir/shard-$id.txt
    mapfile -t tiles <"$input"
elif [ -f "$shard_dir/shard-$id.tile" ]; then
    # A name with white space, run as a single file.
    IFS= read -r -d '' input <"$shard_dir/shard-$id.tile"
    tiles=("$input")
fi
if [ -n "$input" ]; then
    remove_leftovers "${tiles[@]}"
    "${PTXPORT:-ptxport}" "$input" "$format" >"$log" 2>&1
else
    echo "slurm-array.sh: no shard $id in $shard_dir" >"$log"
    false
fi
status=$?
echo "$status" >"$shard_dir/logs/shard-$id.status"
cat "$log"
exit "$status"
