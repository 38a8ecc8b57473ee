#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""End-to-end benchmark of ptxport, run by `make bench`.

Generates a LAS 1.2 point format 1 file and a point format 3 file of
--points points each with tools/lasgen, then times, in one run and on the
same files: ptxport in formats 0, 15 and 19 on every CPU the process may use
and on one CPU (taskset); the printf baseline (the same point writer printing
every value with snprintf); and the I/O floor (reading the input and writing
an output of the same size, nothing else).  For each it prints the median
wall time of --runs runs, points per second, MB/s of output and peak
resident memory, with the scaling from one CPU to all, the speed-up over the
baseline and the time over the I/O floor, and the load average of the
machine before and after.  The floor's runs alternate with ptxport's, and
the spread of their ratio over the runs is shown beside the median.  It fails if the baseline's output, ptxport's on
one CPU and ptxport's on all differ by a single byte.
"""
import argparse
import filecmp
import os
import shutil
import statistics
import subprocess
import sys
import time

TARGETS = {  # case: (least speed-up over printf, most time over the I/O
    #          floor in the page cache, least scaling from one CPU to two)
    "format 0, point format 1": (10.0, 1.15, 1.6),
    "format 15, point format 1": (10.0, None, 1.0),
}


GNU_TIME = "/usr/bin/time"


def run(argv, cwd, to_disk=False):
    """Runs a command; returns (wall seconds, peak RSS in KiB).

    The peak is measured by GNU time where it exists: a child of this
    Python process would report Python's own size, inherited before exec.
    """
    rss_file = os.path.join(cwd, ".peak_rss")
    if os.path.exists(GNU_TIME):
        argv = [GNU_TIME, "-f", "%M", "-o", rss_file] + argv
    start = time.perf_counter()
    proc = subprocess.Popen(argv, cwd=cwd, stdout=subprocess.DEVNULL)
    _, status, usage = os.wait4(proc.pid, 0)
    if to_disk:
        os.sync()
    wall = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"failed: {' '.join(argv)}")
    if os.path.exists(GNU_TIME):
        with open(rss_file) as f:
            return wall, int(f.read().split()[-1])
    return wall, usage.ru_maxrss


def settle(outputs):
    """Removes the outputs of the last run and writes back dirty pages, so
    that no run pays for the truncation or the writeback of another."""
    for f in outputs:
        if os.path.exists(f):
            os.remove(f)
    os.sync()


def timed(argv, cwd, runs, outputs, to_disk=False):
    """Median wall time and peak RSS of runs; to_disk includes the time the
    system takes to write the output back to the disk."""
    settle(outputs)
    run(argv, cwd)  # warm the page cache and the binary
    results = []
    for _ in range(runs):
        settle(outputs)
        results.append(run(argv, cwd, to_disk))
    return statistics.median(r[0] for r in results), max(r[1] for r in results)


def one_cpu():
    """The taskset prefix that pins a run to the first CPU this process may
    use, or None where that cannot be done."""
    if not hasattr(os, "sched_getaffinity") or not shutil.which("taskset"):
        return None
    return ["taskset", "-c", str(min(os.sched_getaffinity(0)))]


def alternate(commands, cwd, runs, outputs):
    """The wall times and peak RSS of each command's runs, taken in turn so
    that a change of the machine's load falls on all of them."""
    for argv in commands:
        settle(outputs)
        run(argv, cwd)
    results = [[] for _ in commands]
    for _ in range(runs):
        for argv, res in zip(commands, results):
            settle(outputs)
            res.append(run(argv, cwd))
    return results


def timed_alternating(commands, cwd, runs, outputs):
    """Median wall time and peak RSS of each command, run in turn."""
    return [(statistics.median(r[0] for r in res), max(r[1] for r in res))
            for res in alternate(commands, cwd, runs, outputs)]


def over_floor(command, floor, cwd, runs, outputs):
    """The median time of command, and its ratios to the floor's run next
    to it: (median, lowest ratio, median ratio, highest ratio)."""
    mine, floors = alternate([command, floor], cwd, runs, outputs)
    ratios = sorted(a[0] / b[0] for a, b in zip(mine, floors))
    return (statistics.median(r[0] for r in mine), ratios[0],
            statistics.median(ratios), ratios[-1])


def generate(lasgen, path, las_type, points):
    expected = 227 + points * {6: 28, 8: 34}[las_type]
    if not os.path.exists(path) or os.path.getsize(path) != expected:
        subprocess.run([lasgen, path, str(las_type), str(points)], check=True)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--build", required=True)
    ap.add_argument("--points", type=int, default=5_000_000)
    ap.add_argument("--runs", type=int, default=5)
    ap.add_argument("--baseline-runs", type=int, default=3)
    args = ap.parse_args()

    build = os.path.abspath(args.build)
    ptxport = os.path.join(build, "converter", "ptxport")
    baseline = os.path.join(build, "bench", "ptxport_printf")
    io_floor = os.path.join(build, "bench", "io_floor")
    lasgen = os.path.join(build, "tools", "lasgen")
    data = os.path.join(build, "bench-data")
    os.makedirs(data, exist_ok=True)
    generate(lasgen, os.path.join(data, "pf1.las"), 6, args.points)
    generate(lasgen, os.path.join(data, "pf3.las"), 8, args.points)
    generate(lasgen, os.path.join(data, "small.las"), 6, 50)

    cases = [("format 0, point format 1", "pf1", "0"),
             ("format 15, point format 1", "pf1", "15"),
             ("format 19, point format 3", "pf3", "19")]
    pin = one_cpu()
    cpus = len(os.sched_getaffinity(0)) if hasattr(os, "sched_getaffinity") \
        else os.cpu_count()
    load_before = os.getloadavg()
    rows, ok = [], True
    for name, stem, fmt in cases:
        las, asc = stem + ".las", os.path.join(data, stem + ".asc")
        outputs = [asc, os.path.join(data, stem + "_hdr.asc")]
        same = True
        t1 = rss1 = None
        if pin:
            (t1, rss1), (t, rss) = timed_alternating(
                [pin + [ptxport, las, fmt], [ptxport, las, fmt]], data,
                args.runs, outputs)
            settle(outputs)
            run(pin + [ptxport, las, fmt], data)
            os.replace(asc, asc + ".one")
            settle(outputs)
            run([ptxport, las, fmt], data)
            same = filecmp.cmp(asc + ".one", asc, shallow=False)
            os.remove(asc + ".one")
        else:
            t, rss = timed([ptxport, las, fmt], data, args.runs, outputs)
        td, _ = timed([ptxport, las, fmt], data, args.runs, outputs, True)
        kept = asc + ".ptxport"
        os.replace(asc, kept)
        size = os.path.getsize(kept)
        tb, rssb = timed([baseline, las, fmt], data, args.baseline_runs,
                         outputs)
        same = same and filecmp.cmp(kept, asc, shallow=False)
        ok = ok and same
        floor_out = os.path.join(data, "floor.out")
        floor = [io_floor, las, floor_out, str(size)]
        tf, _ = timed(floor, data, args.runs, [floor_out])
        tfd, _ = timed(floor, data, args.runs, [floor_out], True)
        spread = over_floor([ptxport, las, fmt], floor, data, args.runs,
                            outputs + [floor_out])
        for f in (kept, asc, floor_out):
            if os.path.exists(f):
                os.remove(f)
        rows.append((name, t, rss, size, tb, tf, td, tfd, same, t1, rss1,
                     spread))

    # Memory of a 16-core run, with 16 workers on however many CPUs this
    # machine has.
    many = os.path.join(build, "bench", "run_with_workers")
    many_rss = 0
    for _, stem, fmt in cases:
        _, rss16 = timed([many, "16", stem + ".las", fmt], data, 1,
                         [os.path.join(data, stem + ".asc")])
        many_rss = max(many_rss, rss16)

    small_t, small_rss = timed([ptxport, "small.las", "0"], data, args.runs,
                               [])

    load_after = os.getloadavg()
    print(f"\n{args.points} points per file, median of {args.runs} runs "
          f"({args.baseline_runs} for the printf baseline), {cpus} CPUs; "
          f"load average {load_before[0]:.2f} before, {load_after[0]:.2f} "
          "after.  'cache': the output reaches the page cache; 'disk': the "
          "time includes writing it back to the disk (sync).  '1 CPU': "
          "pinned with taskset.\n")
    print(f"{'case':26} {'1 CPU s':>7} {'RSS MiB':>7} {'all s':>6} "
          f"{'RSS MiB':>7} {'scaling':>7} {'Mpts/s':>6} {'MB/s':>5} "
          f"{'printf s':>8} {'speed-up':>8} {'floor s':>7} {'x floor':>7} "
          f"{'disk s':>6} {'floor':>6} {'x floor':>7} same")
    for name, t, rss, size, tb, tf, td, tfd, same, t1, rss1, _ in rows:
        one = (f"{t1:7.3f} {rss1 / 1024:7.1f}" if t1 else f"{'-':>7} {'-':>7}")
        scaling = f"{t1 / t:7.2f}" if t1 else f"{'-':>7}"
        print(f"{name:26} {one} {t:6.3f} {rss / 1024:7.1f} {scaling} "
              f"{args.points / t / 1e6:6.2f} {size / t / 1e6:5.0f} "
              f"{tb:8.3f} {tb / t:8.1f} {tf:7.3f} {t / tf:7.2f} {td:6.3f} "
              f"{tfd:6.3f} {td / tfd:7.2f} {'yes' if same else 'NO'}")
        target = TARGETS.get(name)
        if target:
            speedup, floor, scale = target
            goal = f"speed-up >= {speedup:g}: " + (
                "met" if tb / t >= speedup else "NOT MET")
            if floor:
                goal += (f"; <= {floor:g} x floor (cache): "
                         f"{'met' if t / tf <= floor else 'NOT MET'}")
            if t1 and cpus >= 2:
                goal += (f"; scaling >= {scale:g}: "
                         f"{'met' if t1 / t >= scale else 'NOT MET'}")
            print(f"{'':26} target {goal}")
    print(f"\nall CPUs over the floor, each run beside a floor run "
          f"({args.runs} pairs, page cache): lowest, median, highest")
    for name, *_, (_, low, mid, high) in rows:
        print(f"{name:26} {low:5.2f} {mid:5.2f} {high:5.2f}")
    print(f"\npeak RSS: {max(r[2] for r in rows) / 1024:.1f} MiB for "
          f"{args.points} points, {small_rss / 1024:.1f} MiB for 50 points; "
          f"{many_rss / 1024:.1f} MiB with 16 workers (target < 32 MiB: "
          f"{'met' if many_rss < 32 * 1024 else 'NOT MET'})")
    if not ok:
        sys.exit("the printf baseline, ptxport on one CPU and ptxport on all "
                 "wrote different bytes")


if __name__ == "__main__":
    main()
