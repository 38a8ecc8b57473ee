#!/bin/bash
# SPDX-License-Identifier: MIT
# parallel-hosts.sh - converts tiles on several machines with GNU parallel,
# one ptxport run per tile, so that a bad tile fails alone:
#
#   parallel-hosts.sh NODES_FILE TILE_LIST FORMAT JOBLOG [LOG_DIR]
#
# NODES_FILE is parallel's --sshloginfile (lines such as 8/user@node1).
# TILE_LIST names one tile per line, on a folder that every machine sees
# under the same path; names may hold blanks, and relative names count from
# the current folder, which must be on that shared folder too. Each tile's
# console output, which carries any failure's reason, goes beside it as
# NAME.log, or to LOG_DIR/N-NAME.log for the tile on line N (blank lines
# not counted): a full file system empties the logs too, so name a LOG_DIR
# on another one, that every machine sees, when space is short. JOBLOG
# records every run. The summary names the tiles that failed, those that a
# killed run left incomplete (an output under ptxport's temporary name,
# .NAME.asc.ptxport-XXXXXX, whatever the exit status, since the final names
# may hold an older output), and apart from them, those whose log holds a
# "ptxport: warning:" line (converted, exit status 0, but a truncated tile,
# for one) and those whose log is empty. Running the same command again
# (same list) after fixing tiles runs only the failed and the incomplete
# ones (--resume-failed), removing what a killed run left first. PTXPORT
# names the command if it is not on the machines' PATH; PARALLEL_SSH or
# --ssh in PARALLEL sets the ssh command. Exits 1 when a tile failed or is
# incomplete.
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

if [ $# -lt 4 ] || [ $# -gt 5 ]; then
    echo "usage: parallel-hosts.sh NODES_FILE TILE_LIST FORMAT JOBLOG [LOG_DIR]" >&2
    exit 2
fi
nodes=$1 tile_list=$2 format=$3 joblog=$4 log_dir=${5:-}

# parallel --resume-failed matches jobs by their line number in the list.
if [ -e "$joblog" ] && ! cmp -s "$tile_list" "$joblog.tiles"; then
    echo "parallel-hosts.sh: $tile_list differs from the list that $joblog" \
        "was made from; use a new job log" >&2
    exit 2
fi
cp -- "$tile_list" "$joblog.tiles"
# Blank lines are skipped and take no job number.
mapfile -t tiles < <(grep -v '^[[:space:]]*$' "$tile_list")

# A tile that a killed run left incomplete runs again: its leftovers go
# and so do its lines in the job log, which may record a success.
rerun=()
for i in "${!tiles[@]}"; do
    left=()
    leftovers "${tiles[i]}"
    [ ${#left[@]} -gt 0 ] || continue
    echo "parallel-hosts.sh: ${tiles[i]} was left incomplete; removing" \
        "${left[*]} and converting it again" >&2
    rm -f -- "${left[@]}"
    rerun+=($((i + 1)))
done
if [ ${#rerun[@]} -gt 0 ] && [ -e "$joblog" ]; then
    awk -F'\t' -v rerun=" ${rerun[*]} " 'NR == 1 || index(rerun, " " $1 " ") == 0' \
        "$joblog" >"$joblog.new" && mv -- "$joblog.new" "$joblog"
fi

# Each tile's log, as parallel names it: {.} drops the extension, {/.} the
# folders too, {#} is the job number.
if [ -n "$log_dir" ]; then
    mkdir -p -- "$log_dir"
    log_dir=$(cd -- "$log_dir" && pwd)
    log_pattern="$(printf '%q' "$log_dir")/{#}-{/.}.log"
    mapfile -t logs < <(for i in "${!tiles[@]}"; do
        printf '%s/%d-%s\n' "$log_dir" $((i + 1)) "${tiles[i]##*/}"
    done | sed 's/\.[^./]*$//; s/$/.log/')
else
    log_pattern='{.}.log'
    mapfile -t logs < <(printf '%s\n' "${tiles[@]}" | sed 's/\.[^./]*$//; s/$/.log/')
fi
command="cd $(printf '%q' "$PWD") && $(printf '%q' "${PTXPORT:-ptxport}") {} $(printf '%q' "$format") > $log_pattern 2>&1"
parallel --will-cite --sshloginfile "$nodes" --joblog "$joblog" \
    --resume-failed --no-run-if-empty --arg-file "$tile_list" "$command"

# What the runs left: the folders are read again.
scanned=() temporaries=()
# The last run of each tile decides: where it ran, and whether it failed.
runs=$(awk -F'\t' 'NR > 1 { run[$1] = ($7 != 0 || $8 != 0) "\t" $2 " exit " $7 " signal " $8 }
    END { for (s in run) print s "\t" run[s] }' "$joblog")
declare -A ran_on=() failed_on=() warned_log=()
while IFS=$'\t' read -r seq failed where; do
    [ -n "$seq" ] || continue
    ran_on[$seq]=$where
    [ "$failed" = 0 ] || failed_on[$seq]=$where
done <<<"$runs"
# The logs that carry a warning, found in one pass over all of them.
while IFS= read -r -d '' log; do
    warned_log[$log]=1
done < <(printf '%s\n' "${logs[@]}" |
    xargs -r -d '\n' grep -lZ '^ptxport: warning:' -- 2>/dev/null)
# The last lines of log $1, or why there are none.
log_tail() {
    if [ -s "$1" ]; then
        grep -v '^[[:space:]]*$' "$1" | tail -n 3 | sed 's/^/    /'
    else
        echo "    (the log is empty: nothing shows how far the run got)"
    fi
}

warned=0 incomplete=0 empty=0
for i in "${!tiles[@]}"; do
    tile=${tiles[i]} log=${logs[i]} seq=$((i + 1))
    left=()
    leftovers "$tile"
    if [ ${#left[@]} -gt 0 ]; then
        incomplete=$((incomplete + 1))
        failed_on[$seq]=${ran_on[$seq]:-no recorded run}
        echo "INCOMPLETE $tile (on ${failed_on[$seq]}), log $log:"
        printf '    left by a killed run: %s\n' "${left[@]}"
        log_tail "$log"
    elif [ -n "${failed_on[$seq]:-}" ] || [ -z "${ran_on[$seq]:-}" ]; then
        failed_on[$seq]=${ran_on[$seq]:-no recorded run}
        echo "FAILED $tile (on ${failed_on[$seq]}), log $log:"
        log_tail "$log"
    elif [ ! -s "$log" ]; then
        empty=$((empty + 1))
        echo "EMPTY LOG $tile, log $log: converted, any warning lost"
    elif [ -n "${warned_log[$log]:-}" ]; then
        warned=$((warned + 1))
        echo "WARNED $tile, log $log:"
        grep '^ptxport: warning:' "$log" | sed 's/^/    /'
    fi
done
with_warnings=
[ "$warned" -eq 0 ] || with_warnings=", $warned with warnings (WARNED above)"
[ "$empty" -eq 0 ] || with_warnings+=", $empty with empty logs (EMPTY LOG above)"
if [ ${#failed_on[@]} -eq 0 ]; then
    echo "All ${#tiles[@]} tiles converted$with_warnings; job log $joblog."
    exit 0
fi
of_them=
[ "$incomplete" -eq 0 ] || of_them=", $incomplete of them incomplete (INCOMPLETE above)"
echo "${#failed_on[@]} of ${#tiles[@]} tiles failed$of_them$with_warnings." \
    "After fixing them, run the same command again."
exit 1
