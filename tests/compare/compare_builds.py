#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Runs two builds of ptxport side by side on the same inputs and arguments,
and fails on any difference.

The reference and the candidate are each a program with an optional runner
put before it: an emulator (qemu-aarch64 -L /usr/aarch64-linux-gnu), a
loader, or wine.  For every run they must give the same exit status, the
same standard output (the elapsed time masked), the same set of files
written and the same bytes in each; standard error too with --stderr.  A
Windows candidate (--windows) must end every line with CR LF and no bare
LF; its line ends are made LF before the comparison.

Cases: every format on lists of each record type (synthetic strips, awkward
fixtures, every pairing of special scale factors and offsets); the LAS files
of other software in --lasdata, alone and in lists; lists that mix types,
name missing or invalid files, are empty or run to a thousand names; files
of more than eight blocks of records, so that the worker path runs, under
each CPU set of --cpus; bad arguments; truncated files and files with bytes
after the records; Unicode names, wildcards, outputs that must not
overwrite an input, sparse files past 2 GiB and 4 GiB; and, with a library
probe on each side, update_header on every file and the sorts on random
arrays.  With --cases example, a short set instead: the bundled example in
every format, a file of more than eight blocks in formats 0 and 19, and a
format that does not exist.

A side given a root folder (--candidate-root DIR) runs there with unshare
--root: its programs, the static emulator of its runner and its inputs are
copied in where they are not in it already, so that the build must do with
what that root holds (nothing, for a static program in an empty folder; a
Debian root of another architecture, for its installed packages).
"""
import argparse
import glob
import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile
import time

ELAPSED = re.compile(rb"Elapsed time: [0-9.]+ seconds")
UNICODE_NAMES = ["Δάσος_Forêt.las", "森林测量.las", "Лесной_участок.las"]
MARKED_LIST_NAMES = ["Δάσος.las", "Ärger.las"]
MARKED_LISTS = [("marked_utf8.txt", "utf-8"),
                ("marked_utf16le.txt", "utf-16-le"),
                ("marked_utf16be.txt", "utf-16-be")]
FORMATS = [str(f) for f in range(20)]
EXAMPLE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..",
                       "examples", "plot7.las")
# With --quick, the lists of other software's files take the formats that
# print every kind of field: all of them, coordinates, time and colour.
QUICK_FORMATS = ["0", "15", "18", "19"]
BLOCK = 4096  # records the command reads at a time
SCALE_FILES = 22  # make_fixtures scales: files per LASType
RECORD_BYTES = {1: 20, 2: 28, 3: 20, 4: 28, 5: 20, 6: 28, 7: 26, 8: 34}

# Arguments that the command must refuse, each as it reaches the program.
BAD_ARGUMENTS = [
    [], ["strip_type1.las"], ["strip_type1.las", "0", "0"],
    ["strip_type1.las", "20"], ["strip_type1.las", "-1"],
    ["strip_type1.las", "abc"], ["strip_type1.las", "1.5"],
    ["strip_type1.las", ""], ["strip_type1.las", "-"],
    ["strip_type1.las", "0x1"], ["strip_type1.las", "+1"],
    ["strip_type1.las", " 1"], ["strip_type1.las", "1 "],
    ["strip_type1.las", "01"], ["strip_type1.las", "007"],
    ["strip_type1.las", "1-"], ["strip_type1.las", "--"],
    ["strip_type1.las", "1."], ["strip_type1.las", "-0"],
    ["strip_type1.las", "99999999999"], ["strip_type1.las", "1e1"],
    ["strip_type1.las", "\u0663"], ["strip_type1.las", "15x"],
    ["strip_type1.las", "strip_type2.las"], ["missing.las", "0"],
    ["missing.txt", "0"], ["upper.LAS", "0"], ["noext", "0"],
    [".las", "0"], ["a.la", "0"], ["empty.las", "0"],
    ["text.las", "0"], ["x" * 74 + ".las", "0"], ["x" * 75 + ".las", "0"],
    ["", "0"], ["-h"], ["--help", "0"], ["with space.las", "0"],
    ["strip_type1.las.las", "0"],
]
# Folders given as files: Windows cannot open a folder as a file and reports
# a missing file instead, a difference of its own.
FOLDER_ARGUMENTS = [["folder.las", "0"], ["folder", "0"], [".", "0"]]


class Side:
    """One build: its program with the runner before it, its library probe
    and its own folder of inputs."""

    def __init__(self, name, program, runner, probe, folder):
        self.name = name
        self.runner = shlex.split(runner or "")
        self.program = os.path.abspath(program)
        self.probe = os.path.abspath(probe) if probe else None
        self.folder = folder

    def share(self, staging):
        """Gives the side its own copy of the inputs."""
        shutil.rmtree(self.folder, ignore_errors=True)
        shutil.copytree(staging, self.folder, symlinks=True)

    def command(self, program):
        """What starts program, before its arguments."""
        return self.runner + [program]


class RootSide(Side):
    """A build run in a root folder of its own (unshare --root), its inputs
    in the folder compare there."""

    def __init__(self, name, program, runner, probe, top):
        self.top = os.path.abspath(top)
        super().__init__(name, program, runner, probe,
                         os.path.join(self.top, "compare"))
        self.inside = {}

    def place(self, path):
        """A program's name in the root, where it is copied unless it lies
        in the root already."""
        if os.path.commonpath([path, self.top]) != self.top:
            shutil.copy(path, self.top)
            path = os.path.join(self.top, os.path.basename(path))
        return "/" + os.path.relpath(path, self.top)

    def share(self, staging):
        os.makedirs(self.top, exist_ok=True)
        for path in filter(None, (self.program, self.probe)):
            self.inside[path] = self.place(path)
        if self.runner:
            emulator = shutil.which(self.runner[0])
            if not emulator:
                sys.exit(f"compare_builds.py: no runner {self.runner[0]}")
            self.runner[0] = self.place(os.path.abspath(emulator))
        super().share(staging)

    def command(self, program):
        # Without root, a user namespace in which this user is root.
        unshare = ["unshare"] + ([] if os.geteuid() == 0 else ["-r"])
        return unshare + ["--root", self.top, "--wd", "/compare"] + \
            self.runner + [self.inside[program]]


def make_side(name, program, runner, probe, folder, root):
    if root:
        return RootSide(name, program, runner, probe, root)
    return Side(name, program, runner, probe, folder)


class Comparison:
    def __init__(self, args):
        self.args = args
        self.root = os.path.abspath(args.work)
        self.ref = make_side("reference", args.reference,
                             args.reference_runner, args.reference_probe,
                             os.path.join(self.root, "ref"),
                             args.reference_root)
        self.cand = make_side("candidate", args.candidate,
                              args.candidate_runner, args.candidate_probe,
                              os.path.join(self.root, "cand"),
                              args.candidate_root)
        self.sides = (self.ref, self.cand)
        self.runs = {}
        self.group = "setup"
        self.started = time.monotonic()
        self.failures = []
        self.env = dict(os.environ, LC_ALL="C.UTF-8", WINEDEBUG="-all")

    # ---- running ----

    @staticmethod
    def snapshot(folder):
        return {e.name: (e.stat().st_size, e.stat().st_mtime_ns)
                for e in os.scandir(folder)}

    def run_once(self, command, folder):
        """Runs a command in folder; returns its status (or "timeout"),
        output and error output."""
        # Files rather than pipes: Wine's helper processes inherit them and
        # outlive the run, so a pipe would not close when the run ends.
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            try:
                code = subprocess.run(command, cwd=folder, env=self.env,
                                      stdout=out, stderr=err,
                                      timeout=self.args.timeout).returncode
            except subprocess.TimeoutExpired:
                code = "timeout"
            out.seek(0)
            err.seek(0)
            return code, out.read(), err.read()

    def run_side(self, side, argv, keep=False, pin=None, probe=False):
        """Runs one side; returns its status, output, error output and the
        files it created or changed.  Created files are removed again
        unless kept, so that every run starts from the same folder."""
        before = self.snapshot(side.folder)
        program = side.probe if probe else side.program
        command = side.command(program) + argv
        pin = pin or self.args.pin
        if pin:
            command = ["taskset", "-c", pin] + command
        code, stdout, stderr = self.run_once(command, side.folder)
        # The command always prints before it ends, and never ends with
        # status 1: a silent status 1 is Wine failing to start the program
        # (seen on a loaded machine), not a result.  Such a run is tried
        # again, at most twice, and said.  The probe's statuses are its
        # routines' results, so a probe run is tried again only where it
        # also left every file as it was: a routine that ran and failed
        # silently is taken as it came.
        for _ in range(2):
            if not side.runner or code != 1 or stdout or stderr:
                break
            if probe and self.snapshot(side.folder) != before:
                break
            print(f"NOTE: {side.name}: silent status 1 from {side.runner[0]}, "
                  f"run again: {' '.join(argv)}", flush=True)
            code, stdout, stderr = self.run_once(command, side.folder)
        written = {}
        for name, stat in sorted(self.snapshot(side.folder).items()):
            if before.get(name) == stat:
                continue
            path = os.path.join(side.folder, name)
            if os.path.isfile(path):
                with open(path, "rb") as f:
                    written[name] = f.read()
            if name not in before and not keep:
                os.remove(path)
        return code, stdout, stderr, written

    def fail(self, what, detail):
        self.failures.append(f"{what}: {detail}")
        print(f"FAIL {what}: {detail}", flush=True)

    def text(self, what, data):
        """A candidate's text as the reference writes it: on Windows every
        LF must come with its CR, which is then dropped."""
        if not self.args.windows:
            return data
        bare = data.replace(b"\r\n", b"").count(b"\n")
        if bare:
            self.fail(what, f"{bare} bare LF line ends")
        return data.replace(b"\r\n", b"\n")

    def compare(self, argv, expect_status=None, cand_argv=None, pin=None,
                probe=False, keep=False):
        """Runs argv on both sides (cand_argv on the candidate, if given);
        returns the reference's exit status.  With keep, the files the run
        created stay for the runs after it."""
        what = ("library_probe " if probe else "ptxport ") + " ".join(
            cand_argv or argv) + (f" [CPUs {pin}]" if pin else "")
        self.runs.setdefault(self.group, [0, 0.0])[0] += 1
        r_status, r_out, r_err, r_files = self.run_side(
            self.ref, argv, keep, pin=pin, probe=probe)
        c_status, c_out, c_err, c_files = self.run_side(
            self.cand, cand_argv or argv, keep, pin=pin, probe=probe)
        if expect_status is not None and r_status != expect_status:
            self.fail(what, f"reference status {r_status}, expected "
                      f"{expect_status}: {r_out[-300:]!r}")
        if r_status != c_status:
            self.fail(what, f"status {r_status} (reference), {c_status} "
                      f"(candidate): {c_out[-300:]!r} {c_err[-300:]!r}")
        streams = [("stdout", r_out, c_out)]
        if self.args.stderr:
            streams.append(("stderr", r_err, c_err))
        for stream, r_text, c_text in streams:
            c_text = self.text(f"{what} [{stream}]", c_text)
            r_text = ELAPSED.sub(b"Elapsed time", r_text)
            c_text = ELAPSED.sub(b"Elapsed time", c_text)
            if r_text != c_text:
                self.fail(f"{what} [{stream}]",
                          f"differs:\n  reference {r_text[-400:]!r}\n"
                          f"  candidate {c_text[-400:]!r}")
        if sorted(r_files) != sorted(c_files):
            self.fail(what, f"files written: reference {sorted(r_files)}, "
                      f"candidate {sorted(c_files)}")
        for name in sorted(set(r_files) & set(c_files)):
            data = c_files[name]
            if not probe:  # the probe writes LAS files: binary
                data = self.text(f"{what} [{name}]", data)
            if data != r_files[name]:
                self.fail(f"{what} [{name}]",
                          first_difference(r_files[name], data))
        return r_status

    # ---- inputs ----

    def tool(self, *argv):
        subprocess.run(list(argv), check=True)

    def staging(self):
        """An empty folder for the inputs, before each side gets a copy."""
        shutil.rmtree(self.root, ignore_errors=True)
        staging = os.path.join(self.root, "staging")
        os.makedirs(staging)
        return staging

    def prepare(self):
        staging = self.staging()
        put = lambda name: os.path.join(staging, name)  # noqa: E731
        for t in range(1, 9):
            self.tool(self.args.lasgen, put(f"strip_type{t}.las"), str(t),
                      str(1500 + 97 * t), str(t))
        self.tool(self.args.fixtures, staging, "edge")
        self.tool(self.args.fixtures, staging, "scales")
        for t in range(1, 9):
            scales = "\n".join(f"scales_type{t}_{n}.las"
                               for n in range(SCALE_FILES))
            self.write(put(f"type{t}.txt"), f"strip_type{t}.las\n  "
                       f"edge_type{t}.las\tstrip_type{t}.las\n{scales}\n")
        for name in UNICODE_NAMES:
            shutil.copy(put("strip_type6.las"), put(name))
        self.write(put("names.txt"), "\n".join(UNICODE_NAMES) + "\n")
        # Lists as Windows tools write them: after a UTF-8 byte-order mark
        # (Notepad) and in UTF-16 after its mark (PowerShell 5.1's >).
        for name in MARKED_LIST_NAMES:
            shutil.copy(put("strip_type6.las"), put(name))
        marked = "\r\n".join(MARKED_LIST_NAMES) + "\r\n"
        for list_name, encoding in MARKED_LISTS:
            self.write(put(list_name), ("\ufeff" + marked).encode(encoding),
                       "wb")
        # A list named like the point file of the LAS file it names.
        shutil.copy(put("strip_type5.las"), put("clash.las"))
        self.write(put("clash.asc"), "clash.las\n")
        self.prepare_awkward(staging)
        self.prepare_lists(staging)
        self.prepare_cut(staging)
        lasdata = self.prepare_lasdata(staging)
        for t in range(1, 9):
            points = (8 * BLOCK + 1, 11 * BLOCK - 3, 25 * BLOCK + 7)[t % 3]
            self.tool(self.args.lasgen, put(f"big_type{t}.las"), str(t),
                      str(points), str(40 + t))
        self.write(put("big.txt"), "big_type6.las big_type6b.las\n")
        self.tool(self.args.lasgen, put("big_type6b.las"), "6",
                  str(9 * BLOCK), "7")
        for side in self.sides:
            side.share(staging)
            # Another name of the same file, which the outputs of linked.las
            # would overwrite.
            shutil.copy(put("strip_type1.las"),
                        os.path.join(side.folder, "linked.las"))
            os.link(os.path.join(side.folder, "linked.las"),
                    os.path.join(side.folder, "linked_hdr.asc"))
            if not self.args.skip_large:
                self.tool(self.args.fixtures, side.folder, "far")
        shutil.rmtree(staging)
        return lasdata

    @staticmethod
    def write(path, text, mode="w"):
        with open(path, mode, encoding=None if "b" in mode else "utf-8") as f:
            f.write(text)

    def prepare_awkward(self, staging):
        """The files that the bad-argument cases name."""
        put = lambda name: os.path.join(staging, name)  # noqa: E731
        for name in ("upper.LAS", "noext", ".las", "a.la", "with space.las",
                     "strip_type1.las.las", "x" * 74 + ".las",
                     "x" * 75 + ".las"):
            shutil.copy(put("strip_type1.las"), put(name))
        os.makedirs(put("folder.las"))
        os.makedirs(put("folder"))
        self.write(put("empty.las"), "")
        self.write(put("text.las"), "LASF is not enough\n" * 20)
        self.write(put("readme.txt"), "strip_type6.las\n")

    def prepare_lists(self, staging):
        put = lambda name: os.path.join(staging, name)  # noqa: E731
        lists = {
            "mixed.txt": "strip_type6.las\nedge_type6.las\nstrip_type1.las\n"
                         "strip_type8.las\n",
            "missing_entry.txt": "strip_type6.las\nnothere.las\n",
            "invalid_entry.txt": "strip_type6.las text.las edge_type6.las\n",
            "list_entry.txt": "strip_type6.las readme.txt\n",
            "folder_entry.txt": "strip_type6.las folder.las\n",
            "long_entry.txt": "x" * 75 + ".las\n",
            "empty_list.txt": "",
            "blank_list.txt": " \n\t\n\n",
            "twice.txt": "strip_type6.las strip_type6.las\n",
            "crlf.txt": "strip_type6.las\r\nedge_type6.las\r\n",
            "no_newline.txt": "strip_type7.las",
            "self.txt": "self.txt\n",
            "upper_entry.txt": "upper.LAS\n",
        }
        for name, text in lists.items():
            self.write(put(name), text)
        # A thousand files, three of them refused, and two hundred accepted.
        names = []
        for i in range(1000):
            names.append(f"many_{i:04d}.las")
            shutil.copy(put("scales_type6_0.las"), put(names[-1]))
        good = "\n".join(names[:200]) + "\n"
        names[17], names[500] = "nothere.las", "text.las"
        names[998] = "strip_type5.las"
        self.write(put("many_bad.txt"), "\n".join(names) + "\n")
        self.write(put("many_good.txt"), good)

    def prepare_cut(self, staging):
        """Files cut short at every boundary, or with bytes after their
        records."""
        for t in range(1, 9):
            with open(os.path.join(staging, f"strip_type{t}.las"), "rb") as f:
                data = f.read()
            offset = int.from_bytes(data[96:100], "little")
            record = RECORD_BYTES[t]
            cuts = [0, 4, 100, 226, 227, offset - 1, offset, offset + 1,
                    offset + record - 1, offset + record,
                    offset + 2 * record + 5, len(data) - 1]
            for n, cut in enumerate(cuts):
                self.write(os.path.join(staging, f"cut_type{t}_{n}.las"),
                           data[:cut], "wb")
            for n, extra in enumerate((1, record - 1, record + 3)):
                self.write(os.path.join(staging, f"tail_type{t}_{n}.las"),
                           data + b"\xee" * extra, "wb")

    def prepare_lasdata(self, staging):
        lasdata = []
        folder = self.args.lasdata
        if folder and os.path.isdir(folder):
            for name in sorted(os.listdir(folder)):
                if name.endswith(".las"):
                    shutil.copy(os.path.join(folder, name),
                                os.path.join(staging, "real_" + name))
                    lasdata.append("real_" + name)
        else:
            print(f"NOTE: no folder {folder or '(none given)'}: LAS files of "
                  "other software not compared", flush=True)
        return lasdata

    def write_both(self, name, text):
        for side in self.sides:
            self.write(os.path.join(side.folder, name), text)

    # ---- cases ----

    def run_example(self):
        """The short set: the bundled example in every format, a file of
        more than eight blocks (the worker path) in every field and in
        X Y Z RGB, and a format past the last; then a list naming one file
        name in two folders, and a run over the outputs of the run before
        it, as a tile set converted again meets them."""
        staging = self.staging()
        shutil.copy(EXAMPLE, staging)
        for folder in ("one", "two"):
            os.makedirs(os.path.join(staging, folder))
            shutil.copy(EXAMPLE, os.path.join(staging, folder))
        self.write(os.path.join(staging, "folders.txt"),
                   "one/plot7.las\ntwo/plot7.las\n")
        self.tool(self.args.lasgen, os.path.join(staging, "big.las"), "8",
                  str(9 * BLOCK + 3), "3")
        for side in self.sides:
            side.share(staging)
        shutil.rmtree(staging)
        self.lap()
        self.group = "example"
        for f in FORMATS:
            self.compare(["plot7.las", f])
        for f in ("0", "19"):
            self.compare(["big.las", f], expect_status=0)
        self.compare(["plot7.las", str(len(FORMATS))], expect_status=255)
        self.compare(["folders.txt", "0"], expect_status=0)
        self.compare(["plot7.las", "0"], expect_status=0, keep=True)
        self.compare(["plot7.las", "15"], expect_status=0)
        self.lap()

    def run_all(self):
        lasdata = self.prepare()
        self.lap()
        if self.args.windows:
            # One Wine server for all runs, as Windows has its kernel:
            # without it each run would start and stop a server of its own.
            subprocess.run(["wineserver", "-p", "30"], env=self.env)
        self.formats()
        self.lap()
        accepted = self.real_files(lasdata)
        self.lap()
        self.lists()
        self.lap()
        self.workers()
        self.lap()
        self.bad_arguments()
        self.lap()
        self.cut_files()
        self.lap()
        self.names_and_overwrites()
        self.lap()
        self.library(accepted)
        self.lap()

    def lap(self):
        """Adds the time since the last lap to the current group."""
        now = time.monotonic()
        self.runs.setdefault(self.group, [0, 0.0])[1] += now - self.started
        self.started = now

    def formats(self):
        """Every format on lists of each record type: one run converts a
        strip, the awkward fixture and the special scales, and refuses what
        the type lacks."""
        self.group = "formats"
        for t in range(1, 9):
            for f in FORMATS:
                self.compare([f"type{t}.txt", f])
            self.compare([f"edge_type{t}.las", "0"], expect_status=0)
            self.compare([f"scales_type{t}_0.las", "15"], expect_status=0)

    def real_files(self, lasdata):
        """Files of other software: each alone, then every format on a list
        of the accepted files of each type."""
        self.group = "real files"
        by_type = {}
        accepted = []
        for name in lasdata:
            if self.compare([name, "0"]) == 0:
                by_type.setdefault(self.las_type(name), []).append(name)
                accepted.append(name)
        for t, names in sorted(by_type.items()):
            listed = f"real_type{t}.txt"
            self.write_both(listed, "\n".join(names) + "\n")
            for f in QUICK_FORMATS if self.args.quick else FORMATS:
                self.compare([listed, f])
        return accepted

    def lists(self):
        self.group = "lists"
        for name in ["mixed.txt", "missing_entry.txt", "invalid_entry.txt",
                     "list_entry.txt", "long_entry.txt", "empty_list.txt",
                     "blank_list.txt", "twice.txt", "crlf.txt",
                     "no_newline.txt", "self.txt", "upper_entry.txt",
                     "many_bad.txt"] + ([] if self.args.windows
                                        else ["folder_entry.txt"]):
            self.compare([name, "0"])
        self.compare(["many_good.txt", "15"], expect_status=0)
        self.compare(["mixed.txt", "14"])

    def workers(self):
        """Files of more than eight blocks: the worker path, with as many
        workers as each CPU set allows."""
        self.group = "workers"
        for pin in self.args.cpus:
            pin = None if pin == "all" else pin
            for t in range(1, 9):
                for f in ("0", "15", "19"):
                    self.compare([f"big_type{t}.las", f], pin=pin)
            self.compare(["big.txt", "17"], expect_status=0, pin=pin)

    def bad_arguments(self):
        self.group = "bad arguments"
        for argv in BAD_ARGUMENTS + ([] if self.args.windows
                                     else FOLDER_ARGUMENTS):
            self.compare(argv)

    def cut_files(self):
        self.group = "cut and tails"
        for t in (1, 6, 8) if self.args.quick else range(1, 9):
            for n in range(12):
                self.compare([f"cut_type{t}_{n}.las", "0"])
            for n in range(3):
                self.compare([f"tail_type{t}_{n}.las", "0"])

    def names_and_overwrites(self):
        self.group = "names"
        for name in UNICODE_NAMES:
            self.compare([name, "15"], expect_status=0)
        self.compare(["names.txt", "0"], expect_status=0)
        for list_name, _ in MARKED_LISTS:
            self.compare([list_name, "0"], expect_status=0)
        if self.args.windows:
            self.ansi_list()
        if not self.args.skip_large:
            for name in ("offset_2GiB.las", "over_4GiB.las"):
                self.compare([name, "0"], expect_status=0)
        for refused in (["clash.asc", "0"], ["linked.las", "0"]):
            self.compare(refused, expect_status=255)
        self.compare(["clash.las", "0"], expect_status=0)
        # Wildcards: a shell expands them on Linux, the runtime on Windows.
        for pattern, status in (("edge_type1.l?s", 0), ("edge_type*.las", 255)):
            expanded = sorted(glob.glob(pattern, root_dir=self.ref.folder))
            self.compare(expanded + ["0"], expect_status=status,
                         cand_argv=[pattern, "0"] if self.args.windows
                         else None)
        # Outputs of an earlier run are replaced, never taken for inputs.
        for side in self.sides:
            self.run_side(side, ["strip_type2.las", "15"], keep=True)
        self.compare(["strip_type2.las", "0"], expect_status=0)
        self.compare(["strip_type2.las", "0"], expect_status=0)

    def ansi_list(self):
        """On Windows a list that is not UTF-8 is read in the ANSI code page,
        as dir /b > list.txt in cmd writes it: the candidate alone converts
        a name that only code page 1252 spells so."""
        self.runs.setdefault(self.group, [0, 0.0])[0] += 1
        self.write(os.path.join(self.cand.folder, "ansi.txt"),
                   "Ärger.las\r\n".encode("cp1252"), "wb")
        code, stdout, _, written = self.run_side(self.cand, ["ansi.txt", "15"])
        if code != 0 or "Ärger.asc" not in written:
            self.fail("ptxport ansi.txt 15 (Windows)",
                      f"status {code}, files {sorted(written)}: "
                      f"{stdout[-300:]!r}")
        os.remove(os.path.join(self.cand.folder, "ansi.txt"))

    def library(self, accepted):
        """update_header on a copy of every file, then the sorts."""
        self.group = "library"
        if not (self.ref.probe and self.cand.probe):
            print("NOTE: no library probe on both sides: library routines "
                  "not compared", flush=True)
            return
        names = accepted + [f"{kind}_type{t}.las" for t in range(1, 9)
                            for kind in ("strip", "edge", "tail")]
        names += [f"scales_type{t}_{n}.las" for t in range(1, 9)
                  for n in (0, 7, 21)]
        names += [f"cut_type{t}_{n}.las" for t in (1, 8) for n in range(12)]
        names += ["text.las", "empty.las", "missing.las"]
        for name in names:
            copy = "upd_" + name
            for side in self.sides:
                source = os.path.join(side.folder, name)
                if os.path.exists(source):
                    shutil.copy(source, os.path.join(side.folder, copy))
            self.compare(["update", copy], probe=True)
        for seed, count in ((1, 0), (2, 1), (3, 2), (4, -5), (5, 17),
                            (6, 1000), (7, 4099)):
            self.compare(["sorts", str(seed), str(count)], probe=True,
                         expect_status=0)

    def las_type(self, name):
        """The LASType of an accepted file, from its version and format."""
        with open(os.path.join(self.ref.folder, name), "rb") as f:
            head = f.read(105)
        minor, fmt = head[25], head[104]
        return 5 + fmt if minor == 2 else 1 + 2 * minor + fmt


def first_difference(reference, candidate):
    """Where two texts part: the line number and both lines."""
    r_lines, c_lines = reference.split(b"\n"), candidate.split(b"\n")
    for n, (r, c) in enumerate(zip(r_lines, c_lines)):
        if r != c:
            return f"line {n + 1}: reference {r[:200]!r}, candidate {c[:200]!r}"
    return f"{len(r_lines)} lines (reference), {len(c_lines)} (candidate)"


def host_defaults(args):
    """The host's tools and, as the reference, its ptxport and probe."""
    for name, path in (("reference", "converter/ptxport"),
                       ("reference_probe", "tests/library_probe"),
                       ("lasgen", "tools/lasgen"),
                       ("fixtures", "tests/make_fixtures")):
        if not getattr(args, name):
            setattr(args, name, os.path.join(args.build, path))


def arch_defaults(args):
    """The candidate as the architecture's build, run by its emulator: with
    the libraries of its cross toolchain, or bare for a static program in a
    root of its own.  An emulated i386 hangs in threads: one CPU."""
    arch_sh = os.path.join(os.path.dirname(__file__), "..", "..", "tools",
                           "arch.sh")

    def field(name):
        return subprocess.run(["sh", arch_sh, args.arch, name], check=True,
                              capture_output=True, text=True).stdout.strip()

    build = f"build-{args.arch}"
    if not args.candidate:
        args.candidate = f"{build}/converter/ptxport"
        args.candidate_probe = args.candidate_probe or f"{build}/tests/library_probe"
    args.work = args.work or f"{build}/compare"
    emulator = field("emulator")
    if emulator and not args.candidate_runner:
        libraries = "" if args.candidate_root else f" -L /usr/{field('triplet')}"
        args.candidate_runner = emulator + libraries
    if emulator and args.arch == "i386":
        args.pin, args.cpus = "0", ["0"]


# The builds by platform: (command, library probe, runner).  host is this
# machine's own build, against another of its commits (make compare-builds);
# wasm-windows is the npm command under Windows' own Node, in Wine
# (tools/windows_node.sh unpacks it).
PLATFORMS = {
    "host": ("build/converter/ptxport", "build/tests/library_probe", ""),
    "windows": ("build-windows/converter/ptxport.exe",
                "build-windows/tests/library_probe.exe", "wine"),
    "wasm": ("build-wasm/npm/ptxport/bin/ptxport.js",
             "build-wasm/library_probe.js", "node"),
    "wasm-windows": ("build-wasm/npm/ptxport/bin/ptxport.js",
                     "build-wasm/library_probe.js",
                     "env NODE_SKIP_PLATFORM_CHECK=1 wine " + os.path.abspath(
                         "build-wasm/windows-node/package/bin/node.exe")),
}


def platform_defaults(args):
    """The candidate as the platform's build, run by its runner."""
    candidate, probe, runner = PLATFORMS[args.platform]
    args.candidate = args.candidate or candidate
    args.candidate_probe = args.candidate_probe or probe
    args.candidate_runner = args.candidate_runner or runner
    args.work = args.work or os.path.join(candidate.split("/")[0],
                                          f"compare-{args.platform}")
    args.windows = args.windows or args.platform == "windows"


def parse_arguments(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--build", default="build", help="the host build: "
                        "its ptxport, probe and tools are the defaults of "
                        "--reference, --reference-probe, --lasgen, --fixtures")
    parser.add_argument("--arch", help="the candidate is a build of this "
                        "Debian architecture (cmake/toolchains/architectures"
                        ".txt): its emulator and CPU pins, and by default the "
                        "build in build-ARCH")
    parser.add_argument("--platform", choices=sorted(PLATFORMS),
                        help="the candidate is the build of this platform, "
                        "run by Wine or Node, or this machine's (host)")
    parser.add_argument("--reference", help="ptxport to match")
    parser.add_argument("--candidate", help="ptxport to check")
    parser.add_argument("--reference-runner", default="",
                        help="command put before the reference, e.g. qemu")
    parser.add_argument("--candidate-runner", default="",
                        help="command put before the candidate, e.g. wine")
    parser.add_argument("--reference-root", help="folder that the reference "
                        "runs in as its root (unshare --root)")
    parser.add_argument("--candidate-root", help="folder that the candidate "
                        "runs in as its root (unshare --root)")
    parser.add_argument("--reference-probe", help="library_probe, reference")
    parser.add_argument("--candidate-probe", help="library_probe, candidate")
    parser.add_argument("--lasgen", help="lasgen of this host")
    parser.add_argument("--fixtures", help="make_fixtures of this host "
                        "(for the cases 'all')")
    parser.add_argument("--cases", choices=("all", "example"), default="all",
                        help="every case, or the short set on the example")
    parser.add_argument("--work", help="scratch folder")
    parser.add_argument("--lasdata", default="", help="real LAS files")
    parser.add_argument("--cpus", nargs="+", default=["all", "0"],
                        help="CPU sets (taskset -c) for the worker cases; "
                        "'all' runs unpinned")
    parser.add_argument("--pin", help="CPU set (taskset -c) of every run, "
                        "for an emulator whose threads hang")
    parser.add_argument("--stderr", action="store_true",
                        help="standard error must match as well")
    parser.add_argument("--windows", action="store_true",
                        help="the candidate is a Windows build: CR LF line "
                        "ends, wildcards expanded by its runtime")
    parser.add_argument("--skip-large", action="store_true",
                        help="no sparse files past 2 GiB and 4 GiB")
    parser.add_argument("--quick", action="store_true",
                        help="fewer formats on the lists of other software's "
                        "files and cut files of three types only (for CI "
                        "under emulation)")
    parser.add_argument("--timeout", type=int, default=300,
                        help="seconds a run may take")
    args = parser.parse_args(argv)
    host_defaults(args)
    if args.arch:
        arch_defaults(args)
    if args.platform:
        platform_defaults(args)
    for name in ("candidate", "work"):
        if not getattr(args, name):
            parser.error(f"--{name} is needed without --arch or --platform")
    if args.cases == "all" and not args.fixtures:
        parser.error("the cases 'all' need --fixtures")
    for tool in ("lasgen", "fixtures"):
        if getattr(args, tool):
            setattr(args, tool, os.path.abspath(getattr(args, tool)))
    return args


def main(argv=None):
    args = parse_arguments(argv)
    start = time.monotonic()
    c = Comparison(args)
    if args.cases == "example":
        c.run_example()
    else:
        c.run_all()
    took = time.monotonic() - start
    groups = ", ".join(f"{g}: {n} in {s:.0f} s" for g, (n, s) in c.runs.items())
    print(f"{sum(n for n, _ in c.runs.values())} runs compared ({groups}); "
          f"{took:.0f} s in all, {len(c.failures)} failures", flush=True)
    if not c.failures:
        for side in c.sides:
            shutil.rmtree(side.folder, ignore_errors=True)
        shutil.rmtree(c.root, ignore_errors=True)
    return 1 if c.failures else 0


if __name__ == "__main__":
    sys.exit(main())
