// SPDX-License-Identifier: MIT
// worker.js - one run of the command in a Web Worker.  The page sends
//   {type: "catalogue"}                  -> {type: "catalogue", formats}
//   {type: "run", files, first, format}  -> open, write, progress, console,
//                                           then {type: "done", status}
//   {type: "written", length, buffer}    the page has put away a write's
//                                           bytes, and may give back their buffer
// Inputs are read a block at a time and outputs leave a chunk at a time
// (stream_fs.js): the module's memory never holds a whole file, and the
// command pauses until a read's block is in, and while the page holds more
// than HELD bytes of its output.
"use strict";
// Started from a blob URL, the module and the folder come with this script.
if (typeof createPtxport === "undefined")
    importScripts("ptxport_web.js", "stream_fs.js");

const reader = new FileReaderSync();
// Progress messages at most this often per file, in hundredths.
const STEPS = 100;

// Inputs are read this many bytes at a time, into one buffer that the
// command's reads then take from: a few large reads rather than many small
// ones, and no new memory for each.
const BLOCK = 4 << 20;
const block = { file: null, start: 0, length: 0, bytes: new Uint8Array(BLOCK) };

const inBlock = (file, position, length) => block.file === file &&
    position >= block.start && position + length <= block.start + block.length;

// Fills the block from position, through a reader that fills the buffer it
// is given; the buffer comes back each time as a new view of its memory.
// Should the reader fail, the read goes to the file itself (readSlice),
// which meets the failure again and reports it.
async function fillBlock(file, position, length) {
    const end = Math.min(file.size, position + Math.max(length, BLOCK));
    if (block.bytes.length < end - position)
        block.bytes = new Uint8Array(end - position);
    const stream = file.slice(position, end).stream().getReader({ mode: "byob" });
    let memory = block.bytes.buffer;
    let got = 0;
    block.file = null;
    block.bytes = new Uint8Array(0);
    while (got < end - position) {
        const { value, done } = await stream.read(
            new Uint8Array(memory, got, memory.byteLength - got));
        if (done) break;
        memory = value.buffer;
        got += value.byteLength;
    }
    Object.assign(block, { file, start: position, length: got,
                           bytes: new Uint8Array(memory) });
}

// Before a read of the command: a promise if its bytes must be fetched.
function readPending(node, position, length) {
    if (!node.source) return null;
    const count = Math.max(0, Math.min(length, node.size - position));
    return count === 0 || inBlock(node.source, position, count) ? null
        : fillBlock(node.source, position, count);
}

// The bytes of a read, from the block; any other read (none is expected)
// directly from the file.
function readSlice(file, position, length) {
    if (inBlock(file, position, length))
        return block.bytes.subarray(position - block.start,
                                    position + length - block.start);
    return new Uint8Array(
        reader.readAsArrayBuffer(file.slice(position, position + length)));
}

// Output goes to the page in chunks of this many bytes: fewer, larger
// messages keep the page's side responsive.  A chunk's buffer moves to the
// page and, once written, back (spare), so a run makes few of them.
const CHUNK = 1 << 20;
// Sent to the page and not yet written by it: beyond this the command waits
// until the page is down to half of it.
const HELD = 2 * CHUNK;

function sink() {
    const shown = {};
    const filling = new Map(); // name -> {chunk, used}
    const spare = [];
    let held = 0;
    let resume = null;
    const send = (name) => {
        const file = filling.get(name);
        if (file.used === 0) return;
        const bytes = file.chunk.subarray(0, file.used);
        held += file.used;
        postMessage({ type: "write", name, bytes }, [bytes.buffer]);
        file.chunk = null;
        file.used = 0;
    };
    // Copies bytes, which may be the module's memory, into the name's chunks.
    const take = (name, bytes) => {
        const file = filling.get(name);
        for (let at = 0; at < bytes.length;) {
            file.chunk = file.chunk || spare.pop() || new Uint8Array(CHUNK);
            const count = Math.min(CHUNK - file.used, bytes.length - at);
            file.chunk.set(bytes.subarray(at, at + count), file.used);
            file.used += count;
            at += count;
            if (file.used === CHUNK) send(name);
        }
    };
    return {
        open(name) {
            filling.set(name, { chunk: null, used: 0 });
            postMessage({ type: "open", name });
        },
        write: take,
        // Before the run's end is told: what is still held goes out.
        flush: () => filling.forEach((_, name) => send(name)),
        // The page has written length bytes, and may give their buffer back.
        written(length, buffer) {
            held -= length;
            if (buffer && buffer.byteLength === CHUNK)
                spare.push(new Uint8Array(buffer));
            if (!resume || held > HELD / 2) return;
            const go = resume;
            resume = null;
            go();
        },
        // After each write of the command: a promise if it must wait.
        backlog: () => held > HELD ?
            new Promise((settle) => { resume = settle; }) : null,
        progress(name, done, size) {
            const step = Math.floor(done * STEPS / size);
            if (shown[name] === step) return;
            shown[name] = step;
            postMessage({ type: "progress", name, done, size });
        },
    };
}

// The console as the command writes it, one line at a time.
function moduleOptions(output) {
    return {
        thisProgram: "ptxport",
        writesPending: () => output && output.backlog(),
        readPending,
        print: (line) => postMessage({ type: "console", text: line + "\n" }),
        printErr: (line) => postMessage({ type: "console", text: line + "\n" }),
        quit: (status, toThrow) => { throw toThrow; },
    };
}

// The sink of the run in progress, which the page's acknowledgements reach.
let output = null;

async function run({ files, first, format }) {
    output = sink();
    const module = await createPtxport(moduleOptions(output));
    mountStreamFolder(module.FS, "/files", {
        inputs: files.map((f) => ({ name: f.name, size: f.size, source: f })),
        read: readSlice,
        sink: output,
    });
    const status = (await module.runMain([first, String(format)])) & 0xff;
    output.flush();
    postMessage({ type: "done", status });
}

async function catalogue() {
    const module = await createPtxport(moduleOptions());
    const formats = JSON.parse(module.UTF8ToString(module._ptxport_catalogue()));
    postMessage({ type: "catalogue", formats });
}

onmessage = (event) => {
    const { type, length, buffer } = event.data;
    if (type === "written") return output.written(length, buffer);
    const work = type === "run" ? run(event.data) : catalogue();
    work.catch((error) => postMessage({ type: "failed", text: String(error) }));
};
