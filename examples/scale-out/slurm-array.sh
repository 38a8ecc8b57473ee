#!/bin/bash
# SPDX-License-Identifier: MIT
# slurm-array.sh - the Slurm job script: array task N converts the shard
# SHARD_DIR/shard-NNNN (made by shard-list.sh) with one ptxport run:
#
#   sbatch --array=0-36 slurm-array.sh SHARD_DIR FORMAT
#
# ptxport's console output, which carries any failure's reason, goes to
# SHARD_DIR/logs/shard-NNNN.log and its exit status to shard-NNNN.status,
# for slurm-summary.sh. The task fails when ptxport fails. PTXPORT names
# the command if it is not on the PATH.
#SBATCH --job-name=ptxport
#SBATCH --cpus-per-task=1
set -uo pipefail

if [ $# -ne 2 ] || [ -z "${SLURM_ARRAY_TASK_ID:-}" ]; then
    echo "usage: sbatch --array=RANGE slurm-array.sh SHARD_DIR FORMAT" >&2
    exit 2
fi
shard_dir=$1 format=$2
id=$(printf '%04d' "$SLURM_ARRAY_TASK_ID")
log=$shard_dir/logs/shard-$id.log
mkdir -p "$shard_dir/logs"
rm -f "$shard_dir/logs/shard-$id.status"

if [ -f "$shard_dir/shard-$id.txt" ]; then
    "${PTXPORT:-ptxport}" "$shard_dir/shard-$id.txt" "$format" >"$log" 2>&1
elif [ -f "$shard_dir/shard-$id.tile" ]; then
    # A name with white space, run as a single file.
    IFS= read -r -d '' tile <"$shard_dir/shard-$id.tile"
    "${PTXPORT:-ptxport}" "$tile" "$format" >"$log" 2>&1
else
    echo "slurm-array.sh: no shard $id in $shard_dir" >"$log"
    false
fi
status=$?
echo "$status" >"$shard_dir/logs/shard-$id.status"
cat "$log"
exit "$status"
