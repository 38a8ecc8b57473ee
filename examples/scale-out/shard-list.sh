#!/bin/bash
# SPDX-License-Identifier: MIT
# shard-list.sh - splits a list of LAS tiles into shards for a Slurm job
# array, one shard per array task, numbered from 0:
#
#   shard-list.sh [-n TILES_PER_SHARD] [-0] TILE_LIST SHARD_DIR
#
# TILE_LIST names one tile per line (NUL-separated with -0; "-" reads
# standard input). A list run needs tiles of one record type, so tiles are
# grouped by LAS version and point data format (header bytes 24, 25 and 104)
# and each group is cut into SHARD_DIR/shard-NNNN.txt list files. A name
# with white space cannot stand in a list: such a tile gets a single-tile
# task, SHARD_DIR/shard-NNNN.tile. No tile is left out: one that ptxport
# will refuse lands in a shard like any other and makes that shard fail.
# Relative names are made absolute (without resolving links, which would
# move the outputs), and a tile named twice is kept once. Prints the array
# range for sbatch --array, such as 0-36.
set -euo pipefail

per_shard=500
separator=$'\n'
while getopts 'n:0' opt; do
    case $opt in
    n) per_shard=$OPTARG ;;
    0) separator='' ;;
    *) exit 2 ;;
    esac
done
shift $((OPTIND - 1))
if [ $# -ne 2 ] || ! [[ $per_shard =~ ^[1-9][0-9]*$ ]]; then
    echo "usage: shard-list.sh [-n TILES_PER_SHARD] [-0] TILE_LIST SHARD_DIR" >&2
    exit 2
fi
tile_list=$1 shard_dir=$2
[ "$tile_list" = - ] && tile_list=/dev/stdin
if compgen -G "$shard_dir/shard-*" >/dev/null; then
    echo "shard-list.sh: $shard_dir already holds shards; use a new folder" >&2
    exit 2
fi
mkdir -p "$shard_dir/logs"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
groups=$work/groups
mkdir "$groups"

# Appends each tile named in file $1 (one a line) to the file of its record
# type as ptxport compares it, "vMAJOR.MINOR-fFORMAT", in folder $2, or to
# "unreadable" for a file too short or not there (ptxport will say which).
# One perl for all tiles: a process or two per tile would take minutes for
# ten thousand. perl-base, which every Debian system has, is enough.
group_by_record_type() {
    perl -e '
        my ($list, $dir) = @ARGV;
        open(my $names, "<", $list) or die "shard-list.sh: $list: $!\n";
        my %group;
        while (my $tile = <$names>) {
            chomp $tile;
            my ($las, $head, $type) = (undef, "", "unreadable");
            # Bytes 24 and 25, the version, and 104, the point data format.
            $type = sprintf("v%d.%d-f%d", unpack("x24 C C x78 C", $head))
                if open($las, "<:raw", $tile)
                && (read($las, $head, 105) // 0) == 105;
            unless ($group{$type}) {
                open($group{$type}, ">>", "$dir/$type")
                    or die "shard-list.sh: $dir/$type: $!\n";
            }
            print { $group{$type} } "$tile\n";
        }
        for (values %group) { close($_) or die "shard-list.sh: $!\n" }
    ' "$1" "$2"
}

declare -A seen
singles=()
while IFS= read -r -d "$separator" tile || [ -n "$tile" ]; do
    [ -n "$tile" ] || continue
    [[ $tile == /* ]] || tile=$PWD/${tile#./}
    [ -z "${seen[$tile]:-}" ] || continue
    seen[$tile]=1
    if [[ $tile =~ [[:space:]] ]]; then
        singles+=("$tile")
    else
        printf '%s\n' "$tile"
    fi
done <"$tile_list" >"$work/tiles"
group_by_record_type "$work/tiles" "$groups"

task=0
for group in "$groups"/*; do
    [ -e "$group" ] || continue
    split -l "$per_shard" -d -a 6 "$group" "$groups/part."
    for part in "$groups"/part.*; do
        printf -v shard '%s/shard-%04d.txt' "$shard_dir" "$task"
        mv -- "$part" "$shard"
        task=$((task + 1))
    done
    echo "shard-list.sh: ${group##*/}: $(wc -l <"$group") tiles" >&2
done
for tile in "${singles[@]}"; do
    printf -v shard '%s/shard-%04d.tile' "$shard_dir" "$task"
    printf '%s\0' "$tile" >"$shard"
    task=$((task + 1))
done
[ ${#singles[@]} -eq 0 ] ||
    echo "shard-list.sh: ${#singles[@]} tiles with white space, one task each" >&2
if [ "$task" -eq 0 ]; then
    echo "shard-list.sh: no tiles in ${1:-the list}" >&2
    exit 1
fi
echo "0-$((task - 1))"
