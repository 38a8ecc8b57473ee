// SPDX-License-Identifier: MIT
// The ptxport API for Node programs: one run of the command, its outputs
// written beside the LAS files as the command writes them, its console
// text and exit status returned rather than printed.
"use strict";
const fs = require("fs");
const createPtxport = require("./dist/ptxport.js");

// Standard output and standard error, as the descriptors the module uses.
const STREAMS = { 1: "stdout", 2: "stderr" };

// Runs `ptxport input format`; resolves to {status, stdout, stderr}.
// options.onProgress({file, done, total}) follows the reading of each LAS
// file, in bytes.
async function convert(input, format, options = {}) {
    if (typeof input !== "string")
        throw new TypeError("ptxport: in Node, the input is a path");
    const text = { stdout: [], stderr: [] };
    const module = await createPtxport({
        thisProgram: "ptxport",
        // The run's end returns its status here instead of ending Node.
        quit: (status, toThrow) => { throw toThrow; },
    });
    capture(module.FS, text);
    if (options.onProgress) follow(module.FS, options.onProgress);
    const status = module.callMain([input, String(format)]) & 0xff;
    return { status, stdout: Buffer.concat(text.stdout).toString("utf8"),
             stderr: Buffer.concat(text.stderr).toString("utf8") };
}

// The console's text is kept, and the run's end, which closes every stream
// the module has, leaves Node's own descriptors open.
function capture(FS, text) {
    const close = FS.close;
    FS.close = function (stream) {
        if (!STREAMS[stream.fd] && stream.fd !== 0)
            return close.apply(this, arguments);
    };
    const write = FS.write;
    FS.write = function (stream, buffer, offset, length, position) {
        const name = STREAMS[stream.fd];
        if (!name) return write.apply(this, arguments);
        text[name].push(Buffer.from(buffer.subarray(offset, offset + length)));
        return length;
    };
}

function follow(FS, onProgress) {
    const read = FS.read;
    FS.read = function (stream) {
        const count = read.apply(this, arguments);
        if (/\.las$/.test(stream.path || ""))
            onProgress({ file: stream.path, done: stream.position,
                         total: fs.fstatSync(stream.nfd).size });
        return count;
    };
}

module.exports = { convert };
