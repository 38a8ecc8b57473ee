#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""check_docs.py - the documents against the program: the version they name
and the output of their runnable examples.

    python3 tools/check_docs.py --ptxport build/converter/ptxport

Run from anywhere; paths are taken from the repository holding this script.
Prints one line per check, then "N passed, N failed"; exits 1 on a failure.

Version check.  TAMARAK_LiDAR.h states the version once
(TAMARAK_LIDAR_VERSION_MAJOR, _MINOR, _PATCH).  README.md, every text file
under docs/ and examples/, and the latest entry of debian/changelog must name
no other version of ptxport or the library.  What counts as naming one is
the list VERSION_PATTERNS below: ptxport-X.Y.Z (tarballs, zips, source
packages), libtamarak_lidar.so.X.Y.Z, X.Y.Z on a man page's .TH line,
"TAMARAK LiDAR X.Y.Z", "version X.Y.Z" (unless CMake is named just before
it), a quoted "X.Y.Z" (what tamarak_lidar_version returns) and the macros'
values "(X, Y, Z)".  Other
numbers (LAS 1.2, CMake 3.24, Debian 12) are not versions of ours.  Sources
that the build fills in hold @PROJECT_VERSION@ instead, which passes.

Runnable examples.  In README.md and docs/*.md, a command example is marked
runnable by an HTML comment on the line before its fence:

    <!-- runnable -->
    ```sh
    ptxport plot7.las 0
    ```
    ```
    the standard output it shows
    ```

The sh block runs under "sh -e" in a fresh temporary folder holding a copy
of examples/plot7.las, with the given ptxport first on PATH and the
repository root in PTXPORT_SOURCE_DIR.  Marked "<!-- runnable: same folder
-->", it runs instead in the folder of the document's previous runnable
block, after it, so that a later block may show with cat or head the files
an earlier one wrote.  The next fenced block after the sh block (only blank
lines between) is its expected standard output; a command expected to fail
says so in the block (ptxport x 0 || echo "exit status $?").  Both sides are
compared line by line with the elapsed time masked ("Elapsed time: 0.000
seconds" matches any time).  An expected block holding lines of "..." alone
is an excerpt: its other lines must appear in this order, each group between
two "..." as consecutive lines, and the first and last group at the start
and end of the output unless "..." comes before or after them.
"""

import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
HEADER = ROOT / "library/include/TAMARAK_LiDAR.h"
PLACEHOLDER = "@PROJECT_VERSION@"

V = r"(\d+\.\d+\.\d+)"
VERSION_PATTERNS = [
    re.compile(r"\bptxport[-_ ]v?" + V),
    re.compile(r"\bptxport \(" + V),
    re.compile(r"\blibtamarak[-_]lidar(?:\d*_|\.so\.)" + V),
    re.compile(r"^\.TH\b.*?" + V, re.M),
    re.compile(r"\bTAMARAK[ _]LiDAR(?: Utilities| Library)? " + V, re.I),
    re.compile(r"\"" + V + r"\""),
    re.compile(r"\((\d+), (\d+), (\d+)\)"),
]
# "version X.Y.Z", unless another program (its name a few words before)
# is the one meant: "CMake 3.24 or higher is required. You are running
# version 3.22.1".
VERSION_WORD = re.compile(r"\bversion \"?" + V, re.I)
OTHER_PROGRAM = re.compile(r"\bCMake\b[^\n]{0,60}$")

ELAPSED = re.compile(r"Elapsed time: [0-9.]+ seconds")
RUNNABLE = re.compile(r"^\s*<!-- runnable(: same folder)? -->\s*$")
FENCE = re.compile(r"^(\s*)```")


class Results:
    def __init__(self):
        self.passed = 0
        self.failed = 0

    def report(self, ok, what, detail=""):
        if ok:
            self.passed += 1
        else:
            self.failed += 1
        print(f"{'ok  ' if ok else 'FAIL'} {what}{': ' + detail if detail else ''}")


def header_version():
    parts = {}
    for m in re.finditer(r"^#define TAMARAK_LIDAR_VERSION_(MAJOR|MINOR|PATCH) +(\d+)$",
                         HEADER.read_text(), re.M):
        parts[m.group(1)] = m.group(2)
    return ".".join(parts[p] for p in ("MAJOR", "MINOR", "PATCH"))


def wrong_versions(text, version):
    """(line number, text matched) of every version of ours other than version."""
    found = []
    for pattern in VERSION_PATTERNS + [VERSION_WORD]:
        for m in pattern.finditer(text):
            if ".".join(m.groups()) == version:
                continue
            if pattern is VERSION_WORD and OTHER_PROGRAM.search(text, 0, m.start()):
                continue
            found.append((text.count("\n", 0, m.start()) + 1, m.group(0)))
    return sorted(set(found))


def latest_changelog_entry():
    text = (ROOT / "debian/changelog").read_text()
    end = re.search(r"^ -- .*$", text, re.M)
    return text[:end.end()] if end else text


def check_versions(results, version):
    files = [ROOT / "README.md"]
    for folder in ("docs", "examples"):
        files += sorted(p for p in (ROOT / folder).rglob("*") if p.is_file())
    texts = {}
    for path in files:
        data = path.read_bytes()
        if b"\0" in data:
            continue  # a LAS file, not text
        texts[str(path.relative_to(ROOT))] = data.decode("utf-8", "replace")
    entry = latest_changelog_entry()
    texts["debian/changelog (latest entry)"] = entry
    for name, text in texts.items():
        wrong = wrong_versions(text, version)
        detail = "; ".join(f"line {n}: {t}" for n, t in wrong)
        results.report(not wrong, f"version {name}",
                       f"names other than {version}: {detail}" if wrong else "")
    first = re.match(r"\S+ \(([^)-]+)", entry)
    results.report(first is not None and first.group(1) == version,
                   "version debian/changelog latest entry is the header's",
                   "" if first and first.group(1) == version else
                   f"{first.group(1) if first else 'none'}, header says {version}")


def fenced_block(lines, at):
    """The fenced block opening at lines[at]: (info string, body, next index)."""
    m = FENCE.match(lines[at])
    indent = len(m.group(1))
    info = lines[at][m.end():].strip()
    body = []
    at += 1
    while at < len(lines) and not FENCE.match(lines[at]):
        body.append(lines[at][indent:] if lines[at][:indent].isspace() else lines[at])
        at += 1
    if at == len(lines):
        raise ValueError("fence never closed")
    return info, body, at + 1


def runnable_examples(path):
    """(line number, same folder?, commands, expected output lines) of a document."""
    lines = path.read_text().split("\n")
    examples = []
    for i, line in enumerate(lines):
        mark = RUNNABLE.match(line)
        if not mark:
            continue
        if i + 1 >= len(lines) or not FENCE.match(lines[i + 1]):
            raise ValueError(f"line {i + 1}: a runnable mark not followed by a fence")
        info, commands, after = fenced_block(lines, i + 1)
        if info != "sh":
            raise ValueError(f"line {i + 1}: a runnable block must be ```sh")
        while after < len(lines) and not lines[after].strip():
            after += 1
        if after == len(lines) or not FENCE.match(lines[after]):
            raise ValueError(f"line {i + 1}: no output block after the commands")
        _, expected, _ = fenced_block(lines, after)
        examples.append((i + 1, bool(mark.group(1)), "\n".join(commands) + "\n", expected))
    return examples


def mismatch(expected, got):
    """Where got departs from expected (an excerpt if it holds "..."), or None."""
    expected = [ELAPSED.sub("Elapsed time: N seconds", x) for x in expected]
    got = [ELAPSED.sub("Elapsed time: N seconds", x) for x in got]
    groups = [[]]
    for line in expected:
        if line == "...":
            groups.append([])
        else:
            groups[-1].append(line)
    if len(groups) == 1:
        for n, (e, g) in enumerate(zip(expected, got), 1):
            if e != g:
                return f"line {n}: shown {e!r}, written {g!r}"
        if len(expected) != len(got):
            return f"{len(expected)} lines shown, {len(got)} written"
        return None
    at = 0
    for k, group in enumerate(groups):
        if not group:
            continue
        anchored_start = k == 0
        anchored_end = k == len(groups) - 1
        starts = [0] if anchored_start else range(at, len(got) - len(group) + 1)
        if anchored_end:
            starts = [s for s in starts if s == len(got) - len(group)]
        hit = next((s for s in starts if s >= at and got[s:s + len(group)] == group), None)
        if hit is None:
            return f"excerpt lines not found in order from {group[0]!r}"
        at = hit + len(group)
    return None


def check_examples(results, ptxport):
    documents = [ROOT / "README.md"] + sorted((ROOT / "docs").glob("*.md"))
    with tempfile.TemporaryDirectory(prefix="check_docs.") as scratch:
        bin_dir = Path(scratch) / "bin"
        bin_dir.mkdir()
        (bin_dir / "ptxport").symlink_to(ptxport)
        env = dict(os.environ, PATH=f"{bin_dir}{os.pathsep}{os.environ.get('PATH', '')}",
                   PTXPORT_SOURCE_DIR=str(ROOT))
        count = 0
        for doc in documents:
            name = str(doc.relative_to(ROOT))
            try:
                examples = runnable_examples(doc)
            except ValueError as error:
                results.report(False, f"example {name}", str(error))
                continue
            folder = None
            for line, same_folder, commands, expected in examples:
                what = f"example {name}:{line} {commands.splitlines()[0]}"
                if not same_folder or folder is None:
                    count += 1
                    folder = Path(scratch) / f"run{count}"
                    folder.mkdir()
                    shutil.copy(ROOT / "examples/plot7.las", folder)
                run = subprocess.run(["sh", "-e", "-c", commands], cwd=folder, env=env,
                                     capture_output=True, text=True, timeout=120)
                if run.returncode != 0:
                    results.report(False, what, f"exit status {run.returncode}: "
                                   f"{run.stderr.strip().splitlines()[-1:] or ''}")
                    continue
                got = run.stdout.split("\n")
                if got and got[-1] == "":
                    got.pop()
                problem = mismatch(expected, got)
                results.report(problem is None, what, problem or "")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--ptxport", required=True, type=Path,
                        help="the ptxport command the examples run")
    args = parser.parse_args()
    ptxport = args.ptxport.resolve()
    if not os.access(ptxport, os.X_OK):
        parser.error(f"{args.ptxport} is not an executable command")
    results = Results()
    check_versions(results, header_version())
    check_examples(results, ptxport)
    print(f"{results.passed} passed, {results.failed} failed")
    return 1 if results.failed else 0


if __name__ == "__main__":
    sys.exit(main())
