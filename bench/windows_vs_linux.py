#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""ptxport.exe under Wine against the Linux build, on one lasgen file, in
one run (make bench-windows).

Times both builds in formats 0 and 15 on the same LAS 1.2 point format 1
file, median of --runs runs each, outputs removed and dirty pages written
back before every run.  Wine's own start-up is measured apart: the median
time of ptxport.exe printing its usage text, which converts nothing.
"""
import argparse
import os
import statistics
import subprocess
import sys
import time


def timed(argv, cwd, env):
    start = time.perf_counter()
    proc = subprocess.run(argv, cwd=cwd, env=env, stdout=subprocess.DEVNULL)
    took = time.perf_counter() - start
    return took, proc.returncode


def median_time(argv, cwd, env, runs, outputs=(), status=0):
    times = []
    for _ in range(runs):
        for name in outputs:
            path = os.path.join(cwd, name)
            if os.path.exists(path):
                os.remove(path)
        os.sync()
        took, code = timed(argv, cwd, env)
        if code != status:
            sys.exit(f"failed ({code}): {' '.join(argv)}")
        times.append(took)
    return statistics.median(times)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--linux", default="build/converter/ptxport")
    parser.add_argument("--windows",
                        default="build-windows/converter/ptxport.exe")
    parser.add_argument("--lasgen", default="build/tools/lasgen")
    parser.add_argument("--work", default="build-windows/bench")
    parser.add_argument("--points", type=int, default=5_000_000)
    parser.add_argument("--runs", type=int, default=5)
    args = parser.parse_args()
    work = os.path.abspath(args.work)
    os.makedirs(work, exist_ok=True)
    las = "strip.las"
    subprocess.run([args.lasgen, os.path.join(work, las), "6",
                    str(args.points)], check=True)
    env = dict(os.environ, WINEDEBUG="-all")
    linux = [os.path.abspath(args.linux)]
    windows = ["wine", os.path.abspath(args.windows)]
    # A server that outlives each run, as on Windows, where no server starts.
    subprocess.run(["wineserver", "-p", "60"], env=env)
    startup = median_time(windows, work, env, args.runs, status=255)
    print(f"{args.points} points, LAS 1.2 point format 1; median of "
          f"{args.runs} runs; Wine start-up (usage text only) "
          f"{startup:.3f} s")
    print("| Format | Linux | Windows under Wine | ratio | ratio, start-up "
          "aside |")
    print("|---|---|---|---|---|")
    outputs = ("strip.asc", "strip_hdr.asc")
    for fmt in ("0", "15"):
        lin = median_time(linux + [las, fmt], work, env, args.runs, outputs)
        win = median_time(windows + [las, fmt], work, env, args.runs, outputs)
        print(f"| {fmt} | {lin:.3f} s | {win:.3f} s | {win / lin:.2f} | "
              f"{(win - startup) / lin:.2f} |", flush=True)
    for name in outputs + (las,):
        os.remove(os.path.join(work, name))


if __name__ == "__main__":
    main()
