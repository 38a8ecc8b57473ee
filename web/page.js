// SPDX-License-Identifier: MIT
// page.js - the page's side of a run: the chosen files and format go to the
// worker (worker.js), its output chunks to a folder the user picks (the File
// System Access API) or, where the browser has none, to downloads kept in
// memory up to a limit.  Each chunk is acknowledged once put away, which is
// what lets the worker go on.
"use strict";

// Downloads are held whole until the run ends: beyond this, refused.
const DOWNLOAD_LIMIT = 512 * 1024 * 1024;
const $ = (id) => document.getElementById(id);
// ?save=download takes the download path even where folders can be written.
const toFolder = "showDirectoryPicker" in window &&
    new URLSearchParams(location.search).get("save") !== "download";

function startWorker() {
    const source = new Blob([self.ptxportWorkerSource],
                            { type: "text/javascript" });
    return new Worker(URL.createObjectURL(source));
}

function showCatalogue(formats) {
    formats.forEach((format, number) => {
        const option = document.createElement("option");
        option.value = number;
        option.textContent = `${number}: ${format.label} - ` +
            format.columns.join(" ");
        $("format").append(option);
    });
    $("convert").disabled = false;
}

// The files of the run and the command's first argument: a list file if
// one is among them, else the one LAS file, else a list of the LAS files.
function chooseFiles() {
    const files = [...($("folder").files.length ? $("folder").files
                                                 : $("files").files)];
    const list = files.find((f) => !f.name.endsWith(".las"));
    if (list || files.length === 1)
        return { files, first: (list || files[0]).name };
    const names = files.map((f) => f.name).join("\n") + "\n";
    const made = new File([names], "selected_files.txt");
    return { files: [...files, made], first: made.name };
}

// Where the outputs go: {open(name), write(name, bytes), finish()}; each
// chunk goes to written(bytes, reusable) once it is put away.
async function folderSaver(written) {
    const folder = await window.showDirectoryPicker({ mode: "readwrite" });
    const writers = new Map();
    return {
        open(name) {
            writers.set(name, folder.getFileHandle(name, { create: true })
                .then((handle) => handle.createWritable()));
        },
        write(name, bytes) {
            writers.set(name, writers.get(name).then(
                (w) => w.write(bytes).then(() => (written(bytes, true), w))));
        },
        async finish() {
            for (const [name, w] of writers) {
                await (await w).close();
                addSaved(name, `saved in folder ${folder.name}`);
            }
        },
    };
}

function downloadSaver(refuse, written) {
    const chunks = new Map();
    let total = 0;
    return {
        open(name) { chunks.set(name, []); },
        write(name, bytes) {
            total += bytes.length;
            if (total > DOWNLOAD_LIMIT)
                return refuse(`The outputs pass ${DOWNLOAD_LIMIT >> 20} MiB, ` +
                    "more than this page holds in memory for downloads. " +
                    "Use Chrome or Edge, where the page writes into a folder, " +
                    "or the command (npx ptxport).");
            chunks.get(name).push(bytes);
            written(bytes, false);
        },
        async finish() {
            for (const [name, parts] of chunks) {
                const link = addSaved(name, "download");
                link.href = URL.createObjectURL(new Blob(parts));
                link.download = name;
                link.click();
            }
        },
    };
}

function addSaved(name, how) {
    const item = document.createElement("li");
    const link = document.createElement("a");
    link.textContent = name;
    item.append(link, ` (${how})`);
    $("saved").append(item);
    return link;
}

function showProgress({ name, done, size }) {
    $("progress").value = size ? done / size : 1;
    $("status").textContent = `${name}: ${Math.floor(100 * done / size)}%`;
}

async function convert(event) {
    event.preventDefault();
    const run = chooseFiles();
    if (!run.first) return;
    $("convert").disabled = true;
    $("console").textContent = "";
    $("saved").textContent = "";
    const worker = startWorker();
    const finished = (text) => {
        worker.terminate();
        $("status").textContent = text;
        $("convert").disabled = false;
    };
    const refuse = (text) => {
        finished("");
        $("status").className = "refused";
        $("status").textContent = text;
    };
    $("status").className = "";
    // A written chunk's buffer goes back to the worker unless it is kept.
    const written = (bytes, reusable) => worker.postMessage(
        { type: "written", length: bytes.length,
          buffer: reusable ? bytes.buffer : null },
        reusable ? [bytes.buffer] : []);
    const saver = toFolder ? await folderSaver(written)
                           : downloadSaver(refuse, written);
    worker.onmessage = async ({ data }) => {
        if (data.type === "open") saver.open(data.name);
        else if (data.type === "write") saver.write(data.name, data.bytes);
        else if (data.type === "progress") showProgress(data);
        else if (data.type === "console") $("console").textContent += data.text;
        else if (data.type === "failed") refuse(data.text);
        else if (data.type === "done") {
            await saver.finish();
            finished(`Finished: exit status ${data.status}`);
            document.body.dataset.status = data.status;
        }
    };
    worker.postMessage({ type: "run", files: run.files, first: run.first,
                         format: Number($("format").value) });
}

const catalogueWorker = startWorker();
catalogueWorker.onmessage = ({ data }) => {
    if (data.type === "catalogue") showCatalogue(data.formats);
    catalogueWorker.terminate();
};
catalogueWorker.postMessage({ type: "catalogue" });
$("form").addEventListener("submit", convert);
