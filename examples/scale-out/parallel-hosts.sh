#!/bin/bash
# SPDX-License-Identifier: MIT
# parallel-hosts.sh - converts tiles on several machines with GNU parallel,
# one ptxport run per tile, so that a bad tile fails alone:
#
#   parallel-hosts.sh NODES_FILE TILE_LIST FORMAT JOBLOG
#
# NODES_FILE is parallel's --sshloginfile (lines such as 8/user@node1).
# TILE_LIST names one tile per line, on a folder that every machine sees
# under the same path; names may hold blanks, and relative names count from
# the current folder, which must be on that shared folder too. Each tile's
# console output, which carries any failure's reason, goes beside it as
# NAME.log; JOBLOG records every run. Running the same command again (same list) after fixing tiles
# runs only the failed ones (--resume-failed). PTXPORT names the command if
# it is not on the machines' PATH; PARALLEL_SSH or --ssh in PARALLEL sets the
# ssh command. Exits 1 when a tile failed.
set -uo pipefail

if [ $# -ne 4 ]; then
    echo "usage: parallel-hosts.sh NODES_FILE TILE_LIST FORMAT JOBLOG" >&2
    exit 2
fi
nodes=$1 tile_list=$2 format=$3 joblog=$4

# parallel --resume-failed matches jobs by their line number in the list.
if [ -e "$joblog" ] && ! cmp -s "$tile_list" "$joblog.tiles"; then
    echo "parallel-hosts.sh: $tile_list differs from the list that $joblog" \
        "was made from; use a new job log" >&2
    exit 2
fi
cp -- "$tile_list" "$joblog.tiles"

command="cd $(printf '%q' "$PWD") && $(printf '%q' "${PTXPORT:-ptxport}") {} $(printf '%q' "$format") > {.}.log 2>&1"
parallel --will-cite --sshloginfile "$nodes" --joblog "$joblog" \
    --resume-failed --no-run-if-empty --arg-file "$tile_list" "$command"

# The last run of each tile decides; list the tiles that failed.
failed=$(awk -F'\t' 'NR > 1 { status[$1] = ($7 != 0 || $8 != 0) ? $2 " exit " $7 " signal " $8 : "" }
    END { for (s in status) if (status[s] != "") print s "\t" status[s] }' "$joblog" | sort -n)
# Blank lines are skipped and take no job number.
tiles=$(grep -v '^[[:space:]]*$' "$tile_list")
total=$(grep -c '' <<<"$tiles")
if [ -z "$failed" ]; then
    echo "All $total tiles converted; job log $joblog."
    exit 0
fi
while IFS=$'\t' read -r seq where; do
    tile=$(sed -n "${seq}p" <<<"$tiles")
    echo "FAILED $tile (on $where), log ${tile%.*}.log:"
    grep -v '^[[:space:]]*$' "${tile%.*}.log" 2>/dev/null | tail -n 3 | sed 's/^/    /'
done <<<"$failed"
echo "$(wc -l <<<"$failed") of $total tiles failed. After fixing them, run the same command again."
exit 1
