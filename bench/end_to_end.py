#!/usr/bin/env python3
"""End-to-end benchmark of ptxport, run by `make bench`.

Generates a LAS 1.2 point format 1 file and a point format 3 file of
--points points each with tools/lasgen, then times, in one run and on the
same files: ptxport in formats 0, 15 and 19; the printf baseline (the same
point writer printing every value with snprintf); and the I/O floor (reading
the input and writing an output of the same size, nothing else).  For each
it prints the median wall time of --runs runs, points per second, MB/s of
output and peak resident memory, with the speed-up over the baseline and the
time over the I/O floor.  It fails if the baseline's output and ptxport's
differ by a single byte.
"""
import argparse
import filecmp
import os
import statistics
import subprocess
import sys
import time

TARGETS = {  # case: (least speed-up over printf, most time over I/O floor)
    "format 0, point format 1": (10.0, 2.0),
    "format 15, point format 1": (10.0, None),
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
    rows, ok = [], True
    for name, stem, fmt in cases:
        las, asc = stem + ".las", os.path.join(data, stem + ".asc")
        outputs = [asc, os.path.join(data, stem + "_hdr.asc")]
        t, rss = timed([ptxport, las, fmt], data, args.runs, outputs)
        td, _ = timed([ptxport, las, fmt], data, args.runs, outputs, True)
        kept = asc + ".ptxport"
        os.replace(asc, kept)
        size = os.path.getsize(kept)
        tb, rssb = timed([baseline, las, fmt], data, args.baseline_runs,
                         outputs)
        same = filecmp.cmp(kept, asc, shallow=False)
        ok = ok and same
        floor_out = os.path.join(data, "floor.out")
        floor = [io_floor, las, floor_out, str(size)]
        tf, _ = timed(floor, data, args.runs, [floor_out])
        tfd, _ = timed(floor, data, args.runs, [floor_out], True)
        for f in (kept, asc, floor_out):
            os.remove(f)
        rows.append((name, t, rss, size, tb, tf, td, tfd, same))

    small_t, small_rss = timed([ptxport, "small.las", "0"], data, args.runs,
                               [])

    print(f"\n{args.points} points per file, median of {args.runs} runs "
          f"({args.baseline_runs} for the printf baseline).  'cache': the "
          "output reaches the page cache; 'disk': the time includes writing "
          "it back to the disk (sync).\n")
    print(f"{'case':26} {'ptxport s':>9} {'Mpts/s':>6} {'MB/s':>5} "
          f"{'RSS MiB':>7} {'printf s':>8} {'speed-up':>8} "
          f"{'floor s':>7} {'x floor':>7} {'disk s':>6} {'floor':>6} "
          f"{'x floor':>7} same")
    for name, t, rss, size, tb, tf, td, tfd, same in rows:
        print(f"{name:26} {t:9.3f} {args.points / t / 1e6:6.2f} "
              f"{size / t / 1e6:5.0f} {rss / 1024:7.1f} {tb:8.3f} "
              f"{tb / t:8.1f} {tf:7.3f} {t / tf:7.2f} {td:6.3f} {tfd:6.3f} "
              f"{td / tfd:7.2f} {'yes' if same else 'NO'}")
        target = TARGETS.get(name)
        if target:
            speedup, floor = target
            goal = f"speed-up >= {speedup:g}: " + (
                "met" if tb / t >= speedup else "NOT MET")
            if floor:
                goal += (f"; <= {floor:g} x floor: "
                         f"{'met' if t / tf <= floor else 'not met'} (cache), "
                         f"{'met' if td / tfd <= floor else 'not met'} (disk)")
            print(f"{'':26} target {goal}")
    print(f"\npeak RSS: {max(r[2] for r in rows) / 1024:.1f} MiB for "
          f"{args.points} points, {small_rss / 1024:.1f} MiB for 50 points")
    if not ok:
        sys.exit("the printf baseline and ptxport wrote different bytes")


if __name__ == "__main__":
    main()
