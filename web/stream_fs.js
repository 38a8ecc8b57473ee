// SPDX-License-Identifier: MIT
// stream_fs.js - a folder for the WebAssembly command whose files are the
// user's: each input is read a slice at a time through a reader the host
// gives (FileReaderSync over File.slice in a worker), and each file the
// command writes goes out a chunk at a time to a sink.  No input and no
// output is ever held whole in the module's memory.
//
// mountStreamFolder(FS, path, {inputs, read, sink}) with
//   inputs  [{name, size, source}]   the files the command may open
//   read(source, position, length)   -> Uint8Array of those bytes
//   sink    {open(name), write(name, Uint8Array), progress(name, done, size)}
//           write's bytes are the module's memory: copy them before returning
"use strict";

const S_IFDIR = 0o040000, S_IFREG = 0o100000;
const ENOENT = 44, EEXIST = 20, EPERM = 63, EINVAL = 28;
// The command writes each output under a temporary name beside it, and
// renames it over its final name once whole (converter/output_names.h).
// A sink here delivers a file only once it is finished (a download, or a
// writable that the browser commits on close), so it takes the final name
// from the start and the rename only moves the node.
const TEMPORARY = /^\.(.+)\.ptxport-[A-Za-z0-9]{6}$/;

function streamFolder(FS, options) {
    const nodeOps = {
        getattr(node) {
            const time = new Date(node.timestamp);
            return { dev: 1, ino: node.id, mode: node.mode, nlink: 1, uid: 0,
                     gid: 0, rdev: 0, size: node.size, atime: time,
                     mtime: time, ctime: time, blksize: 4096,
                     blocks: Math.ceil(node.size / 4096) };
        },
        setattr(node, attr) {
            if (attr.mode !== undefined) node.mode = attr.mode;
            if (attr.timestamp !== undefined) node.timestamp = attr.timestamp;
            // Opening for writing truncates: a new output starts empty.
            if (attr.size !== undefined && node.output) node.size = attr.size;
        },
        lookup() { throw new FS.ErrnoError(ENOENT); },
        mknod(parent, name, mode) {
            if (!FS.isFile(mode)) throw new FS.ErrnoError(EPERM);
            const node = makeNode(parent, name, S_IFREG | 0o666);
            node.output = true;
            const temporary = TEMPORARY.exec(name);
            node.sinkName = temporary ? temporary[1] : name;
            options.sink.open(node.sinkName);
            return node;
        },
        readdir(node) { return [".", ".."].concat(Object.keys(node.contents)); },
        rename(node, newDir, newName) {
            if (newDir !== node.parent || newName !== node.sinkName)
                throw new FS.ErrnoError(EPERM);
            delete node.parent.contents[node.name];
            node.name = newName;
            newDir.contents[newName] = node;
        },
        unlink() { throw new FS.ErrnoError(EPERM); },
        rmdir() { throw new FS.ErrnoError(EPERM); },
        symlink() { throw new FS.ErrnoError(EPERM); },
        readlink() { throw new FS.ErrnoError(EINVAL); },
    };
    const streamOps = {
        read(stream, buffer, offset, length, position) {
            const node = stream.node;
            if (node.output) throw new FS.ErrnoError(EPERM);
            const count = Math.max(0, Math.min(length, node.size - position));
            if (count === 0) return 0;
            buffer.set(options.read(node.source, position, count), offset);
            options.sink.progress(node.name, position + count, node.size);
            return count;
        },
        write(stream, buffer, offset, length, position) {
            const node = stream.node;
            if (!node.output) throw new FS.ErrnoError(EPERM);
            // The command writes each output from start to end.
            if (position !== node.size) throw new FS.ErrnoError(EINVAL);
            options.sink.write(node.sinkName, buffer.subarray(offset, offset + length));
            node.size += length;
            return length;
        },
        llseek(stream, offset, whence) {
            let position = offset;
            if (whence === 1) position += stream.position;
            else if (whence === 2) position += stream.node.size;
            if (position < 0) throw new FS.ErrnoError(EINVAL);
            return position;
        },
    };
    function makeNode(parent, name, mode) {
        const node = FS.createNode(parent, name, mode, 0);
        node.node_ops = nodeOps;
        node.stream_ops = streamOps;
        node.timestamp = Date.now();
        node.size = FS.isDir(mode) ? 4096 : 0;
        node.contents = {};
        if (parent) parent.contents[name] = node;
        return node;
    }
    return {
        mount() {
            const root = makeNode(null, "/", S_IFDIR | 0o777);
            for (const input of options.inputs) {
                if (root.contents[input.name]) throw new FS.ErrnoError(EEXIST);
                const node = makeNode(root, input.name, S_IFREG | 0o444);
                node.size = input.size;
                node.source = input.source;
            }
            return root;
        },
    };
}

// Mounts the folder at path, which the command then works in.
function mountStreamFolder(FS, path, options) {
    FS.mkdir(path);
    FS.mount(streamFolder(FS, options), {}, path);
    FS.chdir(path);
}

if (typeof module === "object" && module.exports)
    module.exports = { mountStreamFolder };
