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
# NAME.log; JOBLOG records every run. The summary names the tiles that
# failed and, apart from them, those whose log holds a "ptxport: warning:"
# line (converted, exit status 0, but a truncated tile, for one). Running the
# same command again (same list) after fixing tiles runs only the failed
# ones (--resume-failed). PTXPORT names the command if it is not on the
# machines' PATH; PARALLEL_SSH or --ssh in PARALLEL sets the ssh command.
# Exits 1 when a tile failed.
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
mapfile -t tiles < <(grep -v '^[[:space:]]*$' "$tile_list")
# Each tile's log, named as parallel's {.}.log names it.
mapfile -t logs < <(printf '%s\n' "${tiles[@]}" | sed 's/\.[^./]*$//; s/$/.log/')
declare -A failed_on=() warned_log=()
while IFS=$'\t' read -r seq where; do
    [ -z "$seq" ] || failed_on[$seq]=$where
done <<<"$failed"
# The logs that carry a warning, found in one pass over all of them.
while IFS= read -r -d '' log; do
    warned_log[$log]=1
done < <(printf '%s\n' "${logs[@]}" |
    xargs -r -d '\n' grep -lZ '^ptxport: warning:' -- 2>/dev/null)
warned=0
for i in "${!tiles[@]}"; do
    tile=${tiles[i]} log=${logs[i]}
    if [ -n "${failed_on[$((i + 1))]:-}" ]; then
        echo "FAILED $tile (on ${failed_on[$((i + 1))]}), log $log:"
        grep -v '^[[:space:]]*$' "$log" 2>/dev/null | tail -n 3 | sed 's/^/    /'
    elif [ -n "${warned_log[$log]:-}" ]; then
        warned=$((warned + 1))
        echo "WARNED $tile, log $log:"
        grep '^ptxport: warning:' "$log" | sed 's/^/    /'
    fi
done
with_warnings=
[ "$warned" -eq 0 ] || with_warnings=", $warned with warnings (WARNED above)"
if [ ${#failed_on[@]} -eq 0 ]; then
    echo "All ${#tiles[@]} tiles converted$with_warnings; job log $joblog."
    exit 0
fi
echo "${#failed_on[@]} of ${#tiles[@]} tiles failed$with_warnings." \
    "After fixing them, run the same command again."
exit 1
