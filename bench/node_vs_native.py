#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The WebAssembly command under Node against the native command, on one
CPU each (taskset), on the same 2-million-point LAS 1.2 file of point
format 1 (tools/lasgen), in formats 0 and 15.  Prints the median wall time
of --runs runs of each and the ratio Node / native (the goal: at most 2),
and fails if the two write different bytes.

  bench/node_vs_native.py --native build/converter/ptxport \
      --node build-wasm/npm/ptxport/bin/ptxport.js --lasgen build/tools/lasgen
"""
import argparse
import filecmp
import os
import shutil
import statistics
import subprocess
import sys
import time

FORMATS = ["0", "15"]


def timed(argv, cwd, runs):
    """The median wall time of runs runs of argv in cwd, on CPU 0."""
    times = []
    for _ in range(runs):
        start = time.monotonic()
        subprocess.run(["taskset", "-c", "0"] + argv, cwd=cwd, check=True,
                       stdout=subprocess.DEVNULL)
        times.append(time.monotonic() - start)
    return statistics.median(times)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--native", required=True)
    parser.add_argument("--node", required=True, help="bin/ptxport.js")
    parser.add_argument("--lasgen", required=True)
    parser.add_argument("--work", default="build-wasm/bench")
    parser.add_argument("--points", type=int, default=2_000_000)
    parser.add_argument("--runs", type=int, default=3)
    args = parser.parse_args()
    sides = {"native": [os.path.abspath(args.native)],
             "node": ["node", os.path.abspath(args.node)]}
    for side in sides:
        os.makedirs(os.path.join(args.work, side), exist_ok=True)
    data = os.path.join(args.work, "native", "points.las")
    if not os.path.exists(data):
        subprocess.run([args.lasgen, data, "6", str(args.points)], check=True)
    shutil.copy(data, os.path.join(args.work, "node"))
    failed = False
    for fmt in FORMATS:
        seconds = {side: timed(argv + ["points.las", fmt],
                               os.path.join(args.work, side), args.runs)
                   for side, argv in sides.items()}
        same = filecmp.cmp(*(os.path.join(args.work, side, "points.asc")
                             for side in sides), shallow=False)
        failed |= not same
        print(f"format {fmt}, {args.points} points, one CPU: native "
              f"{seconds['native']:.2f} s, Node {seconds['node']:.2f} s, "
              f"ratio {seconds['node'] / seconds['native']:.2f}"
              f"{'' if same else ', OUTPUTS DIFFER'}", flush=True)
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
