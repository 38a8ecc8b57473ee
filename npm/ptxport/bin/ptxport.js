#!/usr/bin/env node
// SPDX-License-Identifier: MIT
// ptxport for Node: the command itself, built as WebAssembly, on the files
// of this machine.  Arguments, output and exit status are the native
// command's.
"use strict";
const createPtxport = require("../dist/ptxport.js");

const args = process.argv.slice(2);
// The run ends the process with the command's exit status.
createPtxport({ thisProgram: "ptxport" }).then((module) => module.callMain(args));
