// SPDX-License-Identifier: MIT
// test_pauses.js - the page's module under Node, in the streamed folder of
// web/stream_fs.js, with a host that makes it pause: no read finds its
// bytes until a timer has fetched them, and written bytes are acknowledged
// late.  Outputs, console text and exit status must be the native
// command's, the command must have paused at reads and at writes, and no
// more than LIMIT bytes (and one write) may be in flight.
//
//   node test_pauses.js PAGE_MODULE NATIVE_PTXPORT LASGEN WORK_DIR
"use strict";
const fs = require("fs");
const path = require("path");
const { spawnSync } = require("child_process");
const { mountStreamFolder } = require("../../web/stream_fs.js");

const [moduleFile, nativeCommand, lasgen, workDir] = process.argv.slice(2);
const createPtxport = require(path.resolve(moduleFile));
const EXAMPLE = path.join(__dirname, "..", "..", "examples", "plot7.las");
const ELAPSED = /Elapsed time: [0-9.]+ seconds/g;
const LIMIT = 2 << 20;
// A write of the command is one block of rows: well under this.
const LARGEST_WRITE = 1 << 20;
// [input, format, pauses expected]; large.las gives about 27 MB in format 0.
const CASES = [["large.las", "0", true], ["large.las", "15", true],
               ["plot7.las", "19", false], ["missing.las", "15", false]];

// A host whose reads and writes make the command wait; what it saw.
function pausingHost(input) {
    const seen = { files: {}, stdout: "", stderr: "", readPauses: 0, writePauses: 0,
                   held: 0, mostHeld: 0, faults: [] };
    let ready = { start: 0, end: 0 }; // the bytes fetched last
    const isReady = (position, count) =>
        position >= ready.start && position + count <= ready.end;
    let resume = null;
    // Written chunks the page has yet to acknowledge: it catches up only
    // while the command waits, one chunk at a time.
    const unacknowledged = [];
    const acknowledge = () => {
        seen.held -= unacknowledged.shift();
        if (resume && seen.held <= LIMIT / 2) {
            const go = resume;
            resume = null;
            return go();
        }
        if (unacknowledged.length) setTimeout(acknowledge, 1);
    };
    const sink = {
        open(name) { seen.files[name] = []; },
        write(name, bytes) {
            if (resume) seen.faults.push(`a write to ${name} while it waits`);
            seen.files[name].push(Buffer.from(bytes));
            seen.held += bytes.length;
            seen.mostHeld = Math.max(seen.mostHeld, seen.held);
            unacknowledged.push(bytes.length);
        },
        progress() {},
    };
    const read = (source, position, length) => {
        if (!isReady(position, length))
            seen.faults.push(`read of ${length} at ${position} before its bytes`);
        return source.subarray(position, position + length);
    };
    const readPending = (node, position, length) => {
        const count = Math.max(0, Math.min(length, node.size - position));
        if (!node.source || count === 0 || isReady(position, count))
            return null;
        ++seen.readPauses;
        return new Promise((done) => setTimeout(() => {
            ready = { start: position, end: position + count };
            done();
        }, 1));
    };
    const writesPending = () => {
        if (seen.held <= LIMIT) return null;
        ++seen.writePauses;
        setTimeout(acknowledge, 1);
        return new Promise((done) => { resume = done; });
    };
    return { seen, sink, read, readPending, writesPending,
             inputs: [{ name: input.name, size: input.data.length, source: input.data }] };
}

async function pageRun(inputFile, format) {
    const name = path.basename(inputFile);
    const data = fs.existsSync(inputFile) ? fs.readFileSync(inputFile) : null;
    const host = pausingHost({ name, data: data || Buffer.alloc(0) });
    const module = await createPtxport({
        thisProgram: "ptxport",
        print: (line) => { host.seen.stdout += line + "\n"; },
        printErr: (line) => { host.seen.stderr += line + "\n"; },
        quit: (status, toThrow) => { throw toThrow; },
        readPending: host.readPending,
        writesPending: host.writesPending,
    });
    mountStreamFolder(module.FS, "/files", {
        inputs: data ? host.inputs : [], read: host.read, sink: host.sink });
    const status = (await module.runMain([name, format])) & 0xff;
    return { status, ...host.seen };
}

function nativeRun(inputFile, format, folder) {
    fs.rmSync(folder, { recursive: true, force: true });
    fs.mkdirSync(folder, { recursive: true });
    const name = path.basename(inputFile);
    if (fs.existsSync(inputFile)) fs.copyFileSync(inputFile, path.join(folder, name));
    const run = spawnSync(path.resolve(nativeCommand), [name, format], { cwd: folder });
    fs.rmSync(path.join(folder, name), { force: true });
    const files = {};
    for (const file of fs.readdirSync(folder))
        files[file] = fs.readFileSync(path.join(folder, file));
    return { status: run.status, stdout: run.stdout.toString(),
             stderr: run.stderr.toString(), files };
}

function compare(what, native, page, pauses, failures) {
    const fail = (text) => failures.push(`${what}: ${text}`);
    if (page.status !== native.status) fail(`status ${page.status}, native ${native.status}`);
    if (page.stdout.replace(ELAPSED, "") !== native.stdout.replace(ELAPSED, ""))
        fail("standard output differs");
    if (page.stderr !== native.stderr) fail("standard error differs");
    const names = Object.keys(native.files).sort();
    if (Object.keys(page.files).sort().join() !== names.join())
        fail(`files ${Object.keys(page.files)} instead of ${names}`);
    for (const name of names.filter((n) => page.files[n]))
        if (!Buffer.concat(page.files[name]).equals(native.files[name]))
            fail(`${name} differs`);
    page.faults.forEach(fail);
    if (pauses && (page.readPauses === 0 || page.writePauses === 0))
        fail(`${page.readPauses} pauses at reads, ${page.writePauses} at writes`);
    if (page.mostHeld > LIMIT + LARGEST_WRITE)
        fail(`${page.mostHeld} bytes in flight`);
}

async function main() {
    fs.rmSync(workDir, { recursive: true, force: true });
    fs.mkdirSync(workDir, { recursive: true });
    const large = path.join(workDir, "large.las");
    spawnSync(path.resolve(lasgen), [large, "6", "400000"], { stdio: "ignore" });
    const files = { "large.las": large, "plot7.las": EXAMPLE,
                    "missing.las": path.join(workDir, "missing.las") };
    const failures = [];
    const paused = [0, 0];
    for (const [input, format, pauses] of CASES) {
        const native = nativeRun(files[input], format, path.join(workDir, `native_${format}`));
        const page = await pageRun(files[input], format);
        compare(`${input} ${format}`, native, page, pauses, failures);
        paused[0] += page.readPauses;
        paused[1] += page.writePauses;
    }
    failures.forEach((f) => console.log(`FAIL ${f}`));
    console.log(`pauses: ${CASES.length} runs, ${paused[0]} pauses at reads and ` +
                `${paused[1]} at writes, ${failures.length} differences`);
    process.exit(failures.length ? 1 : 0);
}

main().catch((error) => { console.error(error); process.exit(1); });
