#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Runs the Windows build of ptxport under Wine and the Linux build side by
side on the same inputs and arguments, and fails on any difference.

For every run: the same exit status; standard output and every file written
identical once the Windows CR LF line ends become LF; on Windows every line
end CR LF, with no bare LF anywhere; and the same set of files left behind.
Only the elapsed time differs between the two consoles and is masked.

Inputs: lasgen files and awkward fixtures of every record type, alone and
in lists, in all twenty formats; every file of the folder of LAS files
written by other software, where it exists; names outside any ANSI code
page, directly and in a list; points past 2 GiB and past 4 GiB; runs that
the overwrite check must refuse next to runs that it must not (outputs of
an earlier run in place); and wildcards, which a shell expands on Linux and
the C runtime on Windows.
"""
import argparse
import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

ELAPSED = re.compile(rb"Elapsed time: [0-9.]+ seconds")
UNICODE_NAMES = ["Δάσος_Forêt.las", "森林测量.las", "Лесной_участок.las"]


class Comparison:
    def __init__(self, args):
        self.args = args
        self.root = os.path.abspath(args.work)
        self.sides = {"linux": os.path.join(self.root, "linux"),
                      "windows": os.path.join(self.root, "windows")}
        self.runs = 0
        self.failures = []
        self.env = dict(os.environ, LC_ALL="C.UTF-8", WINEDEBUG="-all")

    # ---- running ----

    def command(self, side, argv):
        if side == "linux":
            return [self.args.linux] + argv
        return [self.args.wine, self.args.windows] + argv

    @staticmethod
    def snapshot(folder):
        return {e.name: (e.stat().st_size, e.stat().st_mtime_ns)
                for e in os.scandir(folder)}

    def run_side(self, side, argv, keep=False):
        """Runs one side; returns its status, output, error output and the
        files it created or changed.  Created files are removed again
        unless kept, so that every run starts from the same folder."""
        folder = self.sides[side]
        before = self.snapshot(folder)
        # Files rather than pipes: Wine's helper processes inherit them and
        # outlive the run, so a pipe would not close when the run ends.
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            code = subprocess.run(self.command(side, argv), cwd=folder,
                                  env=self.env, stdout=out, stderr=err,
                                  timeout=600).returncode
            out.seek(0)
            err.seek(0)
            stdout, stderr = out.read(), err.read()
        written = {}
        for name, stat in sorted(self.snapshot(folder).items()):
            if before.get(name) == stat:
                continue
            path = os.path.join(folder, name)
            with open(path, "rb") as f:
                written[name] = f.read()
            if name not in before and not keep:
                os.remove(path)
        return code, stdout, stderr, written

    def fail(self, what, detail):
        self.failures.append(f"{what}: {detail}")
        print(f"FAIL {what}: {detail}", flush=True)

    def check_crlf(self, what, text):
        """Every LF of a Windows text is preceded by CR."""
        bare = text.replace(b"\r\n", b"").count(b"\n")
        if bare:
            self.fail(what, f"{bare} bare LF line ends")

    def compare(self, argv, expect_status=None, windows_argv=None):
        """Runs argv on both sides (windows_argv on Windows, if given);
        returns the Linux exit status."""
        what = "ptxport " + " ".join(windows_argv or argv)
        self.runs += 1
        l_status, l_out, l_err, l_files = self.run_side("linux", argv)
        w_status, w_out, w_err, w_files = self.run_side(
            "windows", windows_argv or argv)
        if expect_status is not None and l_status != expect_status:
            self.fail(what, f"Linux status {l_status}, expected "
                      f"{expect_status}: {l_out[-300:]!r}")
        if l_status != w_status:
            self.fail(what, f"status {l_status} on Linux, {w_status} on "
                      f"Windows: {w_out[-300:]!r}")
        for stream, l_text, w_text in (("stdout", l_out, w_out),
                                       ("stderr", l_err, w_err)):
            self.check_crlf(f"{what} [{stream}]", w_text)
            l_text = ELAPSED.sub(b"Elapsed time", l_text)
            w_text = ELAPSED.sub(b"Elapsed time", w_text.replace(b"\r\n", b"\n"))
            if l_text != w_text:
                self.fail(f"{what} [{stream}]",
                          f"differs:\n  Linux   {l_text[-400:]!r}\n"
                          f"  Windows {w_text[-400:]!r}")
        if sorted(l_files) != sorted(w_files):
            self.fail(what, f"files written: Linux {sorted(l_files)}, "
                      f"Windows {sorted(w_files)}")
        for name in sorted(set(l_files) & set(w_files)):
            self.check_crlf(f"{what} [{name}]", w_files[name])
            if w_files[name].replace(b"\r\n", b"\n") != l_files[name]:
                self.fail(f"{what} [{name}]", "content differs")
        return l_status

    # ---- inputs ----

    def prepare(self):
        shutil.rmtree(self.root, ignore_errors=True)
        staging = os.path.join(self.root, "staging")
        os.makedirs(staging)
        for t in range(1, 9):
            subprocess.run([self.args.lasgen,
                            os.path.join(staging, f"strip_type{t}.las"),
                            str(t), str(1500 + 97 * t), str(t)], check=True)
        subprocess.run([self.args.fixtures, staging, "edge"], check=True)
        for t in range(1, 9):
            with open(os.path.join(staging, f"type{t}.txt"), "w") as f:
                f.write(f"strip_type{t}.las\n  edge_type{t}.las\tstrip_type{t}.las")
        for name in UNICODE_NAMES:
            shutil.copy(os.path.join(staging, "strip_type6.las"),
                        os.path.join(staging, name))
        with open(os.path.join(staging, "names.txt"), "w", encoding="utf-8") as f:
            f.write("\n".join(UNICODE_NAMES) + "\n")
        # A list named like the point file of the LAS file it names.
        shutil.copy(os.path.join(staging, "strip_type5.las"),
                    os.path.join(staging, "clash.las"))
        with open(os.path.join(staging, "clash.asc"), "w") as f:
            f.write("clash.las\n")
        lasdata = []
        if self.args.lasdata and os.path.isdir(self.args.lasdata):
            for name in sorted(os.listdir(self.args.lasdata)):
                if name.endswith(".las"):
                    shutil.copy(os.path.join(self.args.lasdata, name),
                                os.path.join(staging, "real_" + name))
                    lasdata.append("real_" + name)
        else:
            print(f"NOTE: no folder {self.args.lasdata}: files of other "
                  "software not compared", flush=True)
        for side, folder in self.sides.items():
            shutil.copytree(staging, folder)
            # Another name of the same file, which the outputs of linked.las
            # would overwrite.
            shutil.copy(os.path.join(staging, "strip_type1.las"),
                        os.path.join(folder, "linked.las"))
            os.link(os.path.join(folder, "linked.las"),
                    os.path.join(folder, "linked_hdr.asc"))
            if not self.args.skip_large:
                subprocess.run([self.args.fixtures, folder, "far"], check=True)
        shutil.rmtree(staging)
        return lasdata

    # ---- cases ----

    def run_all(self):
        lasdata = self.prepare()
        # One Wine server for all runs, as Windows has its kernel: without
        # it each run would start and stop a server of its own.
        subprocess.run(["wineserver", "-p", "30"], env=self.env)
        formats = [str(f) for f in range(20)]
        # Every format on lists of each record type: one run converts a
        # strip and the awkward fixture, and refuses what the type lacks.
        for t in range(1, 9):
            for f in formats:
                self.compare([f"type{t}.txt", f])
            self.compare([f"edge_type{t}.las", "0"], expect_status=0)
        # Files of other software: each alone, then every format on a list
        # of the accepted files of each type.
        by_type = {}
        for name in lasdata:
            if self.compare([name, "0"]) == 0:
                by_type.setdefault(self.las_type(name), []).append(name)
        for t, names in sorted(by_type.items()):
            listed = f"real_type{t}.txt"
            for folder in self.sides.values():
                with open(os.path.join(folder, listed), "w") as f:
                    f.write("\n".join(names) + "\n")
            for f in formats:
                self.compare([listed, f])
        for name in UNICODE_NAMES:
            self.compare([name, "15"], expect_status=0)
        self.compare(["names.txt", "0"], expect_status=0)
        if not self.args.skip_large:
            for name in ("offset_2GiB.las", "over_4GiB.las"):
                self.compare([name, "0"], expect_status=0)
        for refused in (["clash.asc", "0"], ["linked.las", "0"]):
            self.compare(refused, expect_status=255)
        self.compare(["clash.las", "0"], expect_status=0)
        # Wildcards: a shell expands them on Linux, the runtime on Windows.
        for pattern, status in (("edge_type1.l?s", 0), ("edge_type*.las", 255)):
            expanded = sorted(glob.glob(pattern, root_dir=self.sides["linux"]))
            self.compare(expanded + ["0"], expect_status=status,
                         windows_argv=[pattern, "0"])
        # Outputs of an earlier run are replaced, never taken for inputs.
        for side in self.sides:
            self.run_side(side, ["strip_type2.las", "15"], keep=True)
        self.compare(["strip_type2.las", "0"], expect_status=0)
        self.compare(["strip_type2.las", "0"], expect_status=0)

    def las_type(self, name):
        """The LASType of an accepted file, from its version and format."""
        with open(os.path.join(self.sides["linux"], name), "rb") as f:
            head = f.read(105)
        minor, fmt = head[25], head[104]
        return 5 + fmt if minor == 2 else 1 + 2 * minor + fmt

def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--linux", required=True, help="Linux ptxport")
    parser.add_argument("--windows", required=True, help="ptxport.exe")
    parser.add_argument("--lasgen", required=True, help="Linux lasgen")
    parser.add_argument("--fixtures", required=True, help="make_fixtures")
    parser.add_argument("--work", required=True, help="scratch folder")
    parser.add_argument("--lasdata", default="", help="real LAS files")
    parser.add_argument("--wine", default="wine")
    parser.add_argument("--skip-large", action="store_true",
                        help="no sparse files past 2 GiB and 4 GiB")
    args = parser.parse_args()
    for tool in ("linux", "windows", "lasgen", "fixtures"):
        setattr(args, tool, os.path.abspath(getattr(args, tool)))
    start = time.monotonic()
    c = Comparison(args)
    c.run_all()
    took = time.monotonic() - start
    print(f"{c.runs} runs compared on Linux and under Wine in {took:.0f} s: "
          f"{len(c.failures)} failures", flush=True)
    if not c.failures:
        shutil.rmtree(c.root, ignore_errors=True)
    sys.exit(1 if c.failures else 0)


if __name__ == "__main__":
    main()
