// SPDX-License-Identifier: MIT
// worker.js - one run of the command in a Web Worker.  The page sends
//   {type: "catalogue"}                  -> {type: "catalogue", formats}
//   {type: "run", files, first, format}  -> open, write, progress, console,
//                                           then {type: "done", status}
// Inputs are read a slice at a time and outputs leave a chunk at a time
// (stream_fs.js): the module's memory never holds a whole file.
"use strict";
// Started from a blob URL, the module and the folder come with this script.
if (typeof createPtxport === "undefined")
    importScripts("ptxport_web.js", "stream_fs.js");

const reader = new FileReaderSync();
// Progress messages at most this often per file, in hundredths.
const STEPS = 100;

function readSlice(file, position, length) {
    return new Uint8Array(
        reader.readAsArrayBuffer(file.slice(position, position + length)));
}

// Output goes to the page in chunks of about this many bytes: fewer,
// larger messages keep the page's side responsive.
const CHUNK = 1 << 20;

function sink() {
    const shown = {};
    const pending = new Map(); // name -> {parts, bytes}
    const send = (name) => {
        const { parts, bytes } = pending.get(name);
        if (bytes === 0) return;
        const chunk = new Uint8Array(bytes);
        parts.reduce((at, p) => (chunk.set(p, at), at + p.length), 0);
        postMessage({ type: "write", name, bytes: chunk }, [chunk.buffer]);
        pending.set(name, { parts: [], bytes: 0 });
    };
    return {
        open(name) {
            pending.set(name, { parts: [], bytes: 0 });
            postMessage({ type: "open", name });
        },
        write(name, bytes) {
            const file = pending.get(name);
            file.parts.push(bytes);
            file.bytes += bytes.length;
            if (file.bytes >= CHUNK) send(name);
        },
        // Before the run's end is told: what is still held goes out.
        flush: () => pending.forEach((_, name) => send(name)),
        progress(name, done, size) {
            const step = Math.floor(done * STEPS / size);
            if (shown[name] === step) return;
            shown[name] = step;
            postMessage({ type: "progress", name, done, size });
        },
    };
}

// The console as the command writes it, one line at a time.
function moduleOptions() {
    return {
        thisProgram: "ptxport",
        print: (line) => postMessage({ type: "console", text: line + "\n" }),
        printErr: (line) => postMessage({ type: "console", text: line + "\n" }),
        quit: (status, toThrow) => { throw toThrow; },
    };
}

async function run({ files, first, format }) {
    const module = await createPtxport(moduleOptions());
    const output = sink();
    mountStreamFolder(module.FS, "/files", {
        inputs: files.map((f) => ({ name: f.name, size: f.size, source: f })),
        read: readSlice,
        sink: output,
    });
    const status = module.callMain([first, String(format)]) & 0xff;
    output.flush();
    postMessage({ type: "done", status });
}

async function catalogue() {
    const module = await createPtxport(moduleOptions());
    const formats = JSON.parse(module.UTF8ToString(module._ptxport_catalogue()));
    postMessage({ type: "catalogue", formats });
}

onmessage = (event) => {
    const work = event.data.type === "run" ? run(event.data) : catalogue();
    work.catch((error) => postMessage({ type: "failed", text: String(error) }));
};
