// SPDX-License-Identifier: MIT
// test_api.js - the npm package's convert() against the native command on
// the bundled example: the same exit status, standard output (the elapsed
// time aside) and output files, and progress that reaches the file's end.
//
//   node test_api.js PACKAGE_DIR NATIVE_PTXPORT WORK_DIR
"use strict";
const fs = require("fs");
const path = require("path");
const { spawnSync } = require("child_process");

const [packageDir, nativeCommand, workDir] = process.argv.slice(2);
const { convert } = require(path.resolve(packageDir));
const EXAMPLE = path.join(__dirname, "..", "..", "examples", "plot7.las");
const ELAPSED = /Elapsed time: [0-9.]+ seconds/g;
const CASES = [["plot7.las", "0"], ["plot7.las", "19"], ["missing.las", "15"]];

async function main() {
    const failures = [];
    for (const [input, format] of CASES) {
        const folders = ["native", "api"].map((side) =>
            path.join(workDir, `${side}_${format}`));
        for (const folder of folders) {
            fs.rmSync(folder, { recursive: true, force: true });
            fs.mkdirSync(folder, { recursive: true });
            fs.copyFileSync(EXAMPLE, path.join(folder, "plot7.las"));
        }
        const native = spawnSync(path.resolve(nativeCommand), [input, format],
                                 { cwd: folders[0] });
        const here = process.cwd();
        process.chdir(folders[1]);
        let reached = 0;
        const api = await convert(input, format,
                                  { onProgress: (p) => { reached = p.done / p.total; } });
        process.chdir(here);
        const what = `${input} ${format}`;
        if (api.status !== native.status)
            failures.push(`${what}: status ${api.status}, native ${native.status}`);
        if (api.stdout.replace(ELAPSED, "") !== native.stdout.toString().replace(ELAPSED, ""))
            failures.push(`${what}: standard output differs`);
        if (native.status === 0 && reached !== 1)
            failures.push(`${what}: progress ended at ${reached}`);
        const names = folders.map((f) => fs.readdirSync(f).sort().join(" "));
        if (names[0] !== names[1])
            failures.push(`${what}: files ${names[1]}, native ${names[0]}`);
        for (const name of fs.readdirSync(folders[0]))
            if (!fs.existsSync(path.join(folders[1], name)) ||
                !fs.readFileSync(path.join(folders[0], name))
                    .equals(fs.readFileSync(path.join(folders[1], name))))
                failures.push(`${what}: ${name} differs`);
    }
    failures.forEach((f) => console.log(`FAIL ${f}`));
    console.log(`convert(): ${CASES.length} runs, ${failures.length} differences`);
    process.exit(failures.length ? 1 : 0);
}

main().catch((error) => { console.error(error); process.exit(1); });
