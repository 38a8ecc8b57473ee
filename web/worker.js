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

function sink() {
    const shown = {};
    return {
        open: (name) => postMessage({ type: "open", name }),
        write: (name, bytes) => postMessage({ type: "write", name, bytes },
                                            [bytes.buffer]),
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
    mountStreamFolder(module.FS, "/files", {
        inputs: files.map((f) => ({ name: f.name, size: f.size, source: f })),
        read: readSlice,
        sink: sink(),
    });
    const status = module.callMain([first, String(format)]) & 0xff;
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
