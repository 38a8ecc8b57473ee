#!/bin/bash
# SPDX-License-Identifier: MIT
# run.sh - runs the scale-out recipes of examples/scale-out for real: a Slurm
# job array on a private one-node cluster, and GNU parallel over ssh to two
# loopback "hosts". Every output must equal, byte for byte, that of a plain
# ptxport run of the same tile, a broken tile must show up in each recipe's
# failure summary until it is fixed and resubmitted, and a truncated tile,
# converted with a warning, in each summary's warnings throughout. Outputs
# left under temporary names by a killed run (made by hand here) must show
# the tile as incomplete and be converted again; empty logs must be named.
# 10,000 tiles must shard in less than 10 s.
#
#   tests/scale_out/run.sh BUILD_DIR
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../.." && pwd)
recipes=$source_dir/examples/scale-out
build=$(cd "${1:?usage: run.sh BUILD_DIR}" && pwd)
export PTXPORT=$build/converter/ptxport
lasgen=$build/tools/lasgen
format=0
# shellcheck source=tests/scale_out/daemons.sh
source "$here/daemons.sh"

failures=0
check() {
    local what=$1
    shift
    if "$@"; then
        echo "ok: $what"
    else
        echo "FAIL: $what"
        failures=$((failures + 1))
    fi
}

install_missing() {
    local need=() pair
    for pair in slurmctld:slurmctld slurmd:slurmd munged:munge \
        sbatch:slurm-client parallel:parallel sshd:openssh-server \
        ssh:openssh-client; do
        command -v "${pair%%:*}" >/dev/null ||
            [ -x "/usr/sbin/${pair%%:*}" ] || need+=("${pair#*:}")
    done
    [ ${#need[@]} -gt 0 ] || return 0
    local sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -q
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q \
        -o DPkg::Lock::Timeout=900 "${need[@]}"
}

# Tiles of two record types (LAS 1.0 point format 1, LAS 1.2 point format 3),
# one with a blank in its name; broken.las, which is whole here and broken
# in the copies that the recipes get until it is "fixed"; and cut.las, whose
# last 100 bytes are missing: 896 of its 900 28-byte records are whole.
make_tiles() {
    local dir=$1 n
    mkdir -p "$dir/a" "$dir/b" "$dir/c"
    for n in 1 2 3 4 5; do
        "$lasgen" "$dir/a/t$n.las" 2 $((1500 + 300 * n)) "$n" >/dev/null
        "$lasgen" "$dir/b/t$n.las" 8 $((1200 + 200 * n)) $((10 + n)) >/dev/null
    done
    "$lasgen" "$dir/b/my tile.las" 8 900 21 >/dev/null
    "$lasgen" "$dir/c/broken.las" 8 700 22 >/dev/null
    "$lasgen" "$dir/a/cut.las" 2 900 23 >/dev/null
    truncate -s -100 "$dir/a/cut.las"
}

# The warning that ptxport gives for cut.las under directory $1.
cut_warning() {
    echo "ptxport: warning: $1/a/cut.las holds 896 whole point records; its header declares 900"
}

break_tile() {
    printf 'LASX' | dd of="$1/c/broken.las" conv=notrunc status=none
}

fix_tile() {
    cp "$work/gen/c/broken.las" "$1/c/broken.las"
}

# The reference: each tile converted on its own by a plain run.
make_reference() {
    cp -a "$work/gen" "$work/ref"
    find "$work/ref" -name '*.las' -print0 |
        while IFS= read -r -d '' tile; do
            "$PTXPORT" "$tile" "$format" >/dev/null 2>&1
        done
}

# Every output of tree $1 equals that of the plain run, but for the tiles
# of list $2 (if given), which must have none.
same_as_reference() {
    local tree=$1 skip=${2:-/dev/null} rel tile
    while IFS= read -r -d '' rel; do
        tile=$tree/${rel%.asc}
        tile=${tile%_hdr}.las
        if grep -qxF "$tile" "$skip"; then
            [ ! -e "$tree/$rel" ] || { echo "  written: $tree/$rel"; return 1; }
        else
            cmp -s "$work/ref/$rel" "$tree/$rel" ||
                { echo "  differs or missing: $tree/$rel"; return 1; }
        fi
    done < <(cd "$work/ref" && find . -name '*.asc' -printf '%P\0')
}

# Tiles of a/ are of one record type, those of b/ and c/ of the other.
one_type_per_shard() {
    local shard
    [ "$(ls "$1"/shard-*.txt | wc -l)" -eq 4 ] || return 1
    [ "$(cat "$1"/shard-*.tile | tr '\0' '\n')" = "$PWD/b/my tile.las" ] || return 1
    for shard in "$1"/shard-*.txt; do
        [ "$(sed 's#.*/\([abc]\)/[^/]*$#\1#' "$shard" | tr c b | sort -u | wc -l)" -eq 1 ] ||
            return 1
    done
}

wait_for_queue() {
    local end=$((SECONDS + 180))
    until queue_empty; do
        ((SECONDS < end)) || { echo "scale-out: jobs still queued" >&2; return 1; }
        sleep 1
    done
}

test_slurm() {
    local dir=$work/slurm out failed_shard cut_shard resubmit
    echo "=== Slurm job array on a one-node cluster ($(hostname -s))"
    start_slurm "$work/cluster"
    cp -a "$work/gen" "$dir"
    break_tile "$dir"
    cd "$dir"
    find . -name '*.las' | sort >all.txt
    out=$("$recipes/slurm-submit.sh" -n 3 all.txt shards "$format")
    echo "$out"
    check "sbatch gave a job id" grep -Eq '^Submitted array job [0-9]+ ' <<<"$out"
    wait_for_queue
    echo "--- shards/summary.txt"
    cat shards/summary.txt
    failed_shard=$(grep -l '/c/broken.las$' shards/shard-*.txt)
    cut_shard=$(grep -l '/a/cut.las$' shards/shard-*.txt)
    check "four list shards of one record type, the blank name in its own task" \
        one_type_per_shard shards
    check "the broken tile's shard is named in the summary" \
        grep -q "^FAILED ${failed_shard##*/} (exit status: 255)" shards/summary.txt
    check "the summary carries ptxport's reason" \
        grep -q "broken.las (listed in .*) is not a valid LAS file" shards/summary.txt
    check "the truncated tile's shard is named as warned, with ptxport's warning" \
        grep -qxF "    $(cut_warning "$dir")" \
        <(grep -A1 -xF "WARNED ${cut_shard##*/}, log $dir/shards/logs/$(basename "$cut_shard" .txt).log:" \
            shards/summary.txt)
    check "the summary counts it apart from the failed shard" \
        grep -q '^1 of 5 shards failed, 1 with warnings (WARNED above);' shards/summary.txt
    check "only that shard is to be resubmitted" \
        test "$(cat shards/resubmit.txt)" = "$((10#$(basename "$failed_shard" .txt | tr -dc 0-9)))"
    check "the failed shard wrote nothing, the others equal plain runs" \
        same_as_reference "$dir" "$failed_shard"

    fix_tile "$dir"
    resubmit=$(sed -n 's/^    \(sbatch --array=.*\)/\1/p' shards/summary.txt)
    echo "--- after fixing the tile: $resubmit"
    eval "$resubmit"
    wait_for_queue
    out=$("$recipes/slurm-summary.sh" shards "$format") || true
    echo "$out"
    check "the resubmitted shard completes the run, still with the warning" \
        grep -qxF 'All 5 shards converted, 1 with warnings (WARNED above).' <<<"$out"
    check "the truncated tile is still named" grep -qxF "    $(cut_warning "$dir")" <<<"$out"
    check "every Slurm output equals a plain run" same_as_reference "$dir"
    test_slurm_leftovers
    drain_slurm
}

# What a killed run leaves, made by hand beside a tile of a converted shard,
# makes that shard incomplete until its task runs again; empty logs are named.
test_slurm_leftovers() {
    local shard id log out status=0 resubmit
    shard=$(grep -l '/a/t4.las$' shards/shard-*.txt)
    id=$(basename "$shard" .txt)
    log=shards/logs/$id.log
    touch a/.t4.asc.ptxport-k3F9qZ a/.t4_hdr.asc.ptxport-Q81bzx
    out=$("$recipes/slurm-summary.sh" shards "$format" "$recipes/slurm-array.sh") || status=$?
    echo "--- with leftovers beside a/t4.las"
    echo "$out"
    check "leftover temporaries make their shard incomplete, whatever its status" \
        grep -qxF "INCOMPLETE $id.txt (exit status: 0), log $log:" <<<"$out"
    check "the summary names them" test "$(grep -c \
        "^    left by a killed run: $dir/a/\.t4\(_hdr\)\{0,1\}\.asc\.ptxport-" <<<"$out")" -eq 2
    check "the summary fails, with that shard to resubmit" \
        test "$status" -eq 1 -a "$(cat shards/resubmit.txt)" = "$((10#${id#shard-}))"
    check "the summary counts it as incomplete" grep -q \
        '^1 of 5 shards failed, 1 of them incomplete (INCOMPLETE above), 1 with warnings (WARNED above);' \
        <<<"$out"
    resubmit=$(sed -n 's/^    \(sbatch --array=.*\)/\1/p' <<<"$out")
    eval "$resubmit"
    wait_for_queue
    out=$("$recipes/slurm-summary.sh" shards "$format") || true
    check "the task run again removed the leftovers" \
        test ! -e a/.t4.asc.ptxport-k3F9qZ -a ! -e a/.t4_hdr.asc.ptxport-Q81bzx
    check "and completed the run" \
        grep -qxF 'All 5 shards converted, 1 with warnings (WARNED above).' <<<"$out"
    check "its outputs equal plain runs" same_as_reference "$dir"

    : >"$log"
    out=$("$recipes/slurm-summary.sh" shards "$format") || true
    check "a converted shard's empty log is named" grep -qxF \
        "EMPTY LOG $id.txt (exit status: 0), log $log: converted, any warning lost" <<<"$out"
    check "and counted" grep -qxF \
        'All 5 shards converted, 1 with warnings (WARNED above), 1 with empty logs (EMPTY LOG above).' \
        <<<"$out"
    echo 137 >"shards/logs/$id.status"
    out=$("$recipes/slurm-summary.sh" shards "$format") || true
    check "a failed shard's empty log is named" grep -qxF \
        '    (the log is empty: nothing shows how far the run got)' \
        <(grep -A1 -xF "FAILED $id.txt (exit status: 137), log $log:" <<<"$out")
}

test_parallel() {
    local dir=$work/ssh status=0
    echo "=== GNU parallel over ssh to 127.0.0.1 and 127.0.0.2"
    start_sshd "$work/sshd"
    export PARALLEL_SSH=$SSH_COMMAND
    cp -a "$work/gen" "$dir"
    break_tile "$dir"
    printf '1/%s\n' 127.0.0.1 127.0.0.2 >"$dir/nodes.txt"
    cd "$dir"
    # A blank line takes no job number; the summary must still name the tile.
    find "$dir" -name '*.las' | sort | awk '{ print } NR == 2 { print "" }' >"$dir/tiles.txt"
    run_parallel() {
        "$recipes/parallel-hosts.sh" "$dir/nodes.txt" "$dir/tiles.txt" "$format" \
            "$dir/joblog.txt" | tee "$dir/out.txt"
    }
    run_parallel || status=$?
    echo "--- joblog.txt"
    cat "$dir/joblog.txt"
    check "a failed tile fails the run" test "$status" -eq 1
    check "the summary names the broken tile and ptxport's reason" \
        grep -qxF "    $dir/c/broken.las is not a valid .las file" \
        <(grep -A1 "^FAILED $dir/c/broken.las (on 127.0.0.[12] exit 255" "$dir/out.txt")
    check "the summary names the truncated tile as warned, with ptxport's warning" \
        grep -qxF "    $(cut_warning "$dir")" \
        <(grep -A1 -xF "WARNED $dir/a/cut.las, log $dir/a/cut.log:" "$dir/out.txt")
    check "the summary counts it apart from the failed tile" \
        grep -qxF '1 of 13 tiles failed, 1 with warnings (WARNED above). After fixing them, run the same command again.' \
        "$dir/out.txt"
    check "jobs ran on both hosts" \
        test "$(cut -f2 "$dir/joblog.txt" | grep -c '^127\.0\.0\.[12]$' | tr -d ' ')" -eq 13 -a \
        "$(cut -f2 "$dir/joblog.txt" | sort -u | grep -c '^127')" -eq 2
    check "the broken tile wrote nothing but its log" \
        test ! -e "$dir/c/broken.asc" -a -s "$dir/c/broken.log"

    fix_tile "$dir"
    echo "--- the same command again, after fixing the tile"
    status=0
    run_parallel || status=$?
    check "the second run succeeds" test "$status" -eq 0
    check "its summary still names the truncated tile" \
        grep -qxF "WARNED $dir/a/cut.las, log $dir/a/cut.log:" "$dir/out.txt"
    check "and does not call the run complete without it" \
        grep -qxF "All 13 tiles converted, 1 with warnings (WARNED above); job log $dir/joblog.txt." \
        "$dir/out.txt"
    check "only the failed tile ran again" test "$(grep -c '' "$dir/joblog.txt")" -eq 15
    check "every output over ssh equals a plain run" same_as_reference "$dir"
    test_parallel_leftovers
    sed -i '1d' "$dir/tiles.txt"
    status=0
    run_parallel >/dev/null 2>&1 || status=$?
    check "a changed list is refused for the same job log" \
        test "$status" -eq 2 -a "$(grep -c '' "$dir/joblog.txt")" -eq 15
}

# Tile $1 of a shard-list.sh run over tiles t0 ... t9999, even ones of LAS
# 1.2 point format 1, odd ones of format 3: each shard of 500 holds tiles
# of one parity, and every tile is in one shard.
shards_hold_every_tile_once() {
    local shard parity
    for shard in "$1"/shard-*.txt; do
        [ "$(grep -c '' "$shard")" -eq 500 ] || { echo "  not 500 tiles: $shard"; return 1; }
        parity=$(sed 's/.*t\([0-9]*\)\.las$/\1/' "$shard" | awk '{ print $1 % 2 }' | sort -u)
        [ "$parity" = 0 ] || [ "$parity" = 1 ] || { echo "  mixed types: $shard"; return 1; }
    done
    cmp -s <(cat "$1"/shard-*.txt | sort) <(sort "$2")
}

# Sharding reads each tile's header without a process per tile.
test_shard_speed() {
    local dir=$work/many start micros range shard status=0
    echo "=== shard-list.sh over 10,000 tiles"
    mkdir -p "$dir/tiles"
    "$lasgen" "$dir/f1.las" 2 1 1 >/dev/null
    "$lasgen" "$dir/f3.las" 8 1 2 >/dev/null
    perl -e '
        my ($dir) = @ARGV;
        my @tile = map { local $/; open(my $f, "<:raw", "$dir/$_.las") or die; <$f> } qw(f1 f3);
        for my $n (0 .. 9999) {
            open(my $f, ">:raw", "$dir/tiles/t$n.las") or die;
            print $f $tile[$n % 2];
        }' "$dir"
    printf "$dir/tiles/t%d.las\n" $(seq 0 9999) >"$dir/tiles.txt"
    start=${EPOCHREALTIME/[.,]/}
    range=$("$recipes/shard-list.sh" "$dir/tiles.txt" "$dir/shards" 2>/dev/null)
    micros=$((${EPOCHREALTIME/[.,]/} - start))
    printf 'sharding 10,000 tiles took %d.%02d s\n' $((micros / 1000000)) $((micros % 1000000 / 10000))
    check "10,000 tiles sharded in less than 10 s" test "$micros" -lt 10000000
    check "into 20 shards" test "$range" = 0-19
    check "500 tiles of one record type in each shard, every tile once" \
        shards_hold_every_tile_once "$dir/shards" "$dir/tiles.txt"

    # As if every task had converted its shard, but a killed run's leftover.
    for shard in "$dir"/shards/shard-*.txt; do
        echo 0 >"$dir/shards/logs/$(basename "$shard" .txt).status"
        echo converted >"$dir/shards/logs/$(basename "$shard" .txt).log"
    done
    touch "$dir/tiles/.t7777_hdr.asc.ptxport-Q81bzx"
    start=${EPOCHREALTIME/[.,]/}
    "$recipes/slurm-summary.sh" "$dir/shards" "$format" >"$dir/summary.txt" || status=$?
    micros=$((${EPOCHREALTIME/[.,]/} - start))
    printf 'the summary of 10,000 tiles took %d.%02d s\n' $((micros / 1000000)) $((micros % 1000000 / 10000))
    check "the summary finds the one incomplete tile among 10,000" grep -qxF \
        "    left by a killed run: $dir/tiles/.t7777_hdr.asc.ptxport-Q81bzx" "$dir/summary.txt"
    check "and only its shard, failing the summary" \
        test "$(grep -c '^INCOMPLETE ' "$dir/summary.txt")" -eq 1 -a "$status" -eq 1
}

# What a killed run leaves beside a converted tile, made by hand, makes the
# next run convert it again; a run killed there (a stand-in for ptxport that
# leaves a temporary file and kills itself) leaves it incomplete; empty logs
# are named; LOG_DIR takes the logs.
test_parallel_leftovers() {
    local killer=$work/killed-ptxport status=0 seq
    touch "$dir/a/.t3.asc.ptxport-k3F9qZ" "$dir/a/.t3_hdr.asc.ptxport-Q81bzx"
    printf '%s\n' '#!/bin/bash' \
        "[[ \$1 != */a/t3.las ]] || { touch $dir/a/.t3.asc.ptxport-Zz9Yy8; kill -KILL \$\$; }" \
        "exec $PTXPORT \"\$@\"" >"$killer"
    chmod +x "$killer"
    echo "--- leftovers beside a/t3.las, and its run killed"
    PTXPORT=$killer run_parallel 2>"$dir/err.txt" || status=$?
    cat "$dir/err.txt"
    check "a run finds the leftovers and removes them" \
        grep -qF "parallel-hosts.sh: $dir/a/t3.las was left incomplete; removing" "$dir/err.txt"
    check "they are gone" \
        test ! -e "$dir/a/.t3.asc.ptxport-k3F9qZ" -a ! -e "$dir/a/.t3_hdr.asc.ptxport-Q81bzx"
    check "only that tile ran again" test "$(grep -c '' "$dir/joblog.txt")" -eq 15 -a \
        "$(tail -n 1 "$dir/joblog.txt" | cut -f9)" = "cd $dir && $killer $dir/a/t3.las $format > $dir/a/t3.log 2>&1"
    check "the killed run fails the run" test "$status" -eq 1
    check "the summary names the tile as incomplete, with what was left and the empty log" \
        cmp -s <(printf '    %s\n' "left by a killed run: $dir/a/.t3.asc.ptxport-Zz9Yy8" \
            "(the log is empty: nothing shows how far the run got)") \
        <(grep -A2 -E "^INCOMPLETE $dir/a/t3.las \(on 127\.0\.0\.[12] exit [0-9]+ signal [0-9]+\), log $dir/a/t3.log:\$" \
            "$dir/out.txt" | tail -n +2)
    check "and counts it as incomplete" grep -qxF \
        '1 of 13 tiles failed, 1 of them incomplete (INCOMPLETE above), 1 with warnings (WARNED above). After fixing them, run the same command again.' \
        "$dir/out.txt"

    : >"$dir/b/t1.log"
    status=0
    run_parallel 2>/dev/null || status=$?
    check "the next run completes it" test "$status" -eq 0 -a ! -e "$dir/a/.t3.asc.ptxport-Zz9Yy8"
    check "a converted tile's empty log is named" grep -qxF \
        "EMPTY LOG $dir/b/t1.las, log $dir/b/t1.log: converted, any warning lost" "$dir/out.txt"
    check "and counted" grep -qxF \
        "All 13 tiles converted, 1 with warnings (WARNED above), 1 with empty logs (EMPTY LOG above); job log $dir/joblog.txt." \
        "$dir/out.txt"
    check "every output equals a plain run" same_as_reference "$dir"

    status=0
    "$recipes/parallel-hosts.sh" "$dir/nodes.txt" "$dir/tiles.txt" "$format" \
        "$dir/joblog2.txt" "$work/logs" >"$dir/out2.txt" 2>&1 || status=$?
    seq=$(grep -v '^[[:space:]]*$' "$dir/tiles.txt" | grep -n '/a/cut.las$' | cut -d: -f1)
    check "with LOG_DIR, a run of every tile succeeds" test "$status" -eq 0
    check "each tile's log is in LOG_DIR, named by its line" \
        test "$(find "$work/logs" -name '*.log' -size +0 | wc -l)" -eq 13 -a -s "$work/logs/$seq-cut.log"
    check "the summary finds the warning there" grep -qxF "    $(cut_warning "$dir")" \
        <(grep -A1 -xF "WARNED $dir/a/cut.las, log $work/logs/$seq-cut.log:" "$dir/out2.txt")
}

# The recipes shown in docs/many-tiles.md are the files run here.
test_docs() {
    local file
    echo "=== recipes in docs/many-tiles.md"
    for file in slurm-summary.sh parallel-hosts.sh; do
        check "$file names ptxport's temporary files as slurm-array.sh does" \
            cmp -s <(sed -n '/^declare -A scanned=/,/^}/p' "$recipes/slurm-array.sh") \
            <(sed -n '/^declare -A scanned=/,/^}/p' "$recipes/$file")
    done
    for file in slurm-array.sh parallel-hosts.sh; do
        check "docs show $file as it is" cmp -s "$recipes/$file" \
            <(awk -v want="<!-- examples/scale-out/$file -->" '
                $0 == want { found = 1; next }
                found == 1 && /^```/ { found = 2; next }
                found == 2 && /^```/ { exit }
                found == 2 { print }' "$source_dir/docs/many-tiles.md")
    done
}

install_missing
work=$(mktemp -d /tmp/ptxport-scale-out.XXXXXX)
cleanup() {
    drain_slurm
    stop_daemons
    cd /
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
start=$SECONDS
make_tiles "$work/gen"
make_reference
test_shard_speed
test_docs
test_slurm
test_parallel
echo "=== $failures failed checks, $((SECONDS - start)) s"
[ "$failures" -eq 0 ]
