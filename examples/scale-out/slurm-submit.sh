#!/bin/bash
# SPDX-License-Identifier: MIT
# slurm-submit.sh - shards a tile list, submits the array over the shards and
# a summary job that runs when every task has ended:
#
#   slurm-submit.sh [-n TILES_PER_SHARD] [-m MAX_RUNNING] TILE_LIST SHARD_DIR FORMAT [SBATCH_OPTION...]
#
# -m caps the tasks that run at once; the options after FORMAT go to the
# array's sbatch (a partition, an account, --time). SHARD_DIR must be on a
# file system that the compute nodes share. Prints both job ids.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
shard_options=()
throttle=
while getopts 'n:m:' opt; do
    case $opt in
    n) shard_options=(-n "$OPTARG") ;;
    m) throttle=%$OPTARG ;;
    *) exit 2 ;;
    esac
done
shift $((OPTIND - 1))
if [ $# -lt 3 ]; then
    echo "usage: slurm-submit.sh [-n TILES_PER_SHARD] [-m MAX_RUNNING]" \
        "TILE_LIST SHARD_DIR FORMAT [SBATCH_OPTION...]" >&2
    exit 2
fi
tile_list=$1 format=$3
shard_dir=$(mkdir -p "$2" && cd "$2" && pwd)
shift 3

range=$("$here/shard-list.sh" "${shard_options[@]}" "$tile_list" "$shard_dir")
array=$(sbatch --parsable --array="$range$throttle" \
    --output="$shard_dir/logs/slurm-%A_%a.out" "$@" \
    "$here/slurm-array.sh" "$shard_dir" "$format")
array=${array%%;*}
summary=$(sbatch --parsable --job-name=ptxport-summary \
    --dependency="afterany:$array" --output="$shard_dir/summary.txt" \
    "$here/slurm-summary.sh" "$shard_dir" "$format" "$here/slurm-array.sh")
summary=${summary%%;*}
echo "Submitted array job $array (tasks $range) and summary job $summary."
echo "When both have ended: cat $shard_dir/summary.txt"
