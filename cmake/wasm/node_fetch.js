// SPDX-License-Identifier: MIT
// Put before Emscripten's module: under Node, the module reads its .wasm
// file from the disk rather than fetch a path, which Node's fetch refuses.
var fetch = (typeof process == "object" && process.versions &&
             process.versions.node) ? undefined : globalThis.fetch;
