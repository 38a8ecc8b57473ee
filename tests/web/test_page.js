// SPDX-License-Identifier: MIT
// test_page.js - the web page in headless Chromium: LAS files chosen in its
// real file input, converted, saved into a folder (a real one of the
// origin-private file system: only the picker dialog is stood in for) or
// through its download path, and the saved bytes and exit status set
// against the native command's.
//
//   node test_page.js WEB_DIR NATIVE_PTXPORT LASGEN WORK_DIR [LASDATA]
//
// Converts examples/plot7.las and, where LASDATA exists, its smallest file
// of each point format 0-3, in formats 0, 13, 15 and 19 into a folder; the
// example once more through the download path; and a lasgen file whose
// output is many times what the worker may have in flight, so that the
// command pauses for the page.  Leaves a screenshot of the page after the
// example's run in WORK_DIR/page.png.
"use strict";
const fs = require("fs");
const http = require("http");
const path = require("path");
const crypto = require("crypto");
const { execFileSync } = require("child_process");
const puppeteer = require("puppeteer-core");

const [webDir, nativeCommand, lasgen, workDir, lasdata] = process.argv.slice(2);
const FORMATS = ["0", "13", "15", "19"];
// Files of fewer points are mostly there for their faults.
const MIN_POINTS = 1000;
const EXAMPLE = path.join(__dirname, "..", "..", "examples", "plot7.las");
// Its format 0 output is about 27 MB: many times what the worker may send
// ahead of the page, and many of the blocks it reads its input in.
const LARGE_POINTS = "400000";
const TYPES = { ".html": "text/html", ".js": "text/javascript",
                ".css": "text/css" };

function serve(folder) {
    const server = http.createServer((request, response) => {
        const name = path.join(folder, new URL(request.url, "http://x").pathname);
        fs.readFile(name, (error, data) => {
            response.writeHead(error ? 404 : 200,
                { "Content-Type": TYPES[path.extname(name)] || "application/octet-stream" });
            response.end(error ? "" : data);
        });
    });
    return new Promise((resolve) =>
        server.listen(0, "127.0.0.1", () => resolve(server)));
}

// The smallest file of each point format among LASDATA's LAS 1.0-1.2 files
// that hold all of their MIN_POINTS or more records.
function lasdataFiles() {
    if (!lasdata || !fs.existsSync(lasdata)) {
        console.log(`SKIP the files of other software: no folder ${lasdata}`);
        return [];
    }
    const best = {};
    for (const name of fs.readdirSync(lasdata).filter((n) => n.endsWith(".las"))) {
        const file = path.join(lasdata, name);
        const header = fs.readFileSync(file).subarray(0, 111);
        if (header.length < 111 || header[24] !== 1 || header[25] > 2) continue;
        const type = header[104], size = fs.statSync(file).size;
        const points = header.readUInt32LE(107);
        const whole = header.readUInt32LE(96) + points * header.readUInt16LE(105) <= size;
        if (type <= 3 && points >= MIN_POINTS && whole &&
            (!best[type] || size < best[type].size))
            best[type] = { file, size };
    }
    return Object.values(best).map((b) => b.file);
}

// What the native command writes for one file and format, in its own folder.
function nativeRun(file, format, folder) {
    fs.mkdirSync(folder, { recursive: true });
    fs.copyFileSync(file, path.join(folder, path.basename(file)));
    let status = 0;
    try {
        execFileSync(path.resolve(nativeCommand), [path.basename(file), format],
                     { cwd: folder, stdio: "ignore" });
    } catch (error) {
        status = error.status;
    }
    fs.rmSync(path.join(folder, path.basename(file)));
    return status;
}

async function waitForDownloads(folder, names) {
    for (let i = 0; i < 600; ++i) {
        const present = fs.readdirSync(folder);
        if (names.every((n) => present.includes(n)) &&
            !present.some((n) => n.endsWith(".crdownload")))
            return;
        await new Promise((r) => setTimeout(r, 100));
    }
    throw new Error(`downloads missing in ${folder}`);
}

// The page's picker gives a new folder of the origin-private file system.
function pickPrivateFolder(name) {
    window.showDirectoryPicker = async () =>
        (await navigator.storage.getDirectory())
            .getDirectoryHandle(name, { create: true });
}

// Each file of a private folder as {size, sha256}; the folder is removed.
async function readPrivateFolder(name) {
    const root = await navigator.storage.getDirectory();
    const folder = await root.getDirectoryHandle(name);
    const files = {};
    for await (const [file, handle] of folder.entries()) {
        const data = await (await handle.getFile()).arrayBuffer();
        const digest = new Uint8Array(await crypto.subtle.digest("SHA-256", data));
        files[file] = { size: data.byteLength, sha256: [...digest].map(
            (b) => b.toString(16).padStart(2, "0")).join("") };
    }
    await root.removeEntry(name, { recursive: true });
    return files;
}

// What readPrivateFolder gives for a folder of this machine.
function describeFolder(folder) {
    const files = {};
    for (const name of fs.readdirSync(folder)) {
        const data = fs.readFileSync(path.join(folder, name));
        files[name] = { size: data.length,
                        sha256: crypto.createHash("sha256").update(data).digest("hex") };
    }
    return files;
}

async function pageRun(browser, url, file, format, prepare) {
    const page = await browser.newPage();
    await prepare(page);
    await page.goto(url);
    await page.waitForSelector("#format option:nth-child(20)");
    await (await page.$("#files")).uploadFile(file);
    await page.select("#format", format);
    await page.click("#convert");
    // The end of a run, or the page's refusal, which names what went wrong.
    await page.waitForSelector("body[data-status], #status.refused",
                               { timeout: 120000 });
    const status = await page.$eval("body", (b) => b.dataset.status ||
        document.getElementById("status").textContent);
    return { page, status: Number(status) >= 0 ? Number(status) : status };
}

// The run through the page's folder path; the saved files described.
async function folderRun(browser, url, file, format) {
    const folder = `run-${path.basename(file)}-${format}`;
    const { page, status } = await pageRun(browser, url, file, format,
        (p) => p.evaluateOnNewDocument(pickPrivateFolder, folder));
    const saved = typeof status === "number" ?
        await page.evaluate(readPrivateFolder, folder) : {};
    return { page, status, saved };
}

// The run through the download path, saved into folder.
async function downloadRun(browser, url, file, format, folder, names) {
    fs.mkdirSync(folder, { recursive: true });
    const { page, status } = await pageRun(browser, `${url}?save=download`,
        file, format, async (p) => (await p.createCDPSession()).send(
            "Browser.setDownloadBehavior",
            { behavior: "allow", downloadPath: path.resolve(folder) }));
    await waitForDownloads(folder, names);
    return { page, status, saved: describeFolder(folder) };
}

function compareFiles(what, expected, actual, failures) {
    const names = Object.keys(expected).sort();
    const got = Object.keys(actual).sort();
    if (names.join() !== got.join())
        failures.push(`${what}: files ${got} instead of ${names}`);
    for (const name of names.filter((n) => got.includes(n)))
        if (JSON.stringify(expected[name]) !== JSON.stringify(actual[name]))
            failures.push(`${what}: ${name} differs (${actual[name].size} ` +
                          `bytes, native ${expected[name].size})`);
}

// A file of LARGE_POINTS lasgen points (LAS 1.2, point format 1).
function largeFile() {
    const file = path.join(workDir, "large.las");
    execFileSync(path.resolve(lasgen), [file, "6", LARGE_POINTS], { stdio: "ignore" });
    return file;
}

// Every run of the test: {file, format, download}.
function cases() {
    const files = [EXAMPLE, ...lasdataFiles()];
    return [...files.flatMap((file) => FORMATS.map((format) => ({ file, format }))),
            { file: EXAMPLE, format: "15", download: true },
            { file: largeFile(), format: "0" }];
}

async function check(browser, url, { file, format, download }, failures) {
    const what = `${path.basename(file)} ${format}${download ? " download" : ""}`;
    const base = path.join(workDir, `${path.basename(file, ".las")}_${format}`);
    const expected = nativeRun(file, format, base + "_native");
    const native = describeFolder(base + "_native");
    const { page, status, saved } = download
        ? await downloadRun(browser, url, file, format, base + "_download",
                            Object.keys(native))
        : await folderRun(browser, url, file, format);
    if (status !== expected)
        failures.push(`${what}: status ${status}, native ${expected}`);
    compareFiles(what, native, saved, failures);
    if (file === EXAMPLE && format === "15" && !download)
        await page.screenshot({ path: path.join(workDir, "page.png"), fullPage: true });
    await page.close();
}

async function main() {
    fs.rmSync(workDir, { recursive: true, force: true });
    fs.mkdirSync(workDir, { recursive: true });
    const server = await serve(webDir);
    const url = `http://127.0.0.1:${server.address().port}/index.html`;
    const browser = await puppeteer.launch({
        executablePath: "/usr/bin/chromium", headless: true,
        args: ["--no-sandbox", "--disable-dev-shm-usage"] });
    const failures = [];
    let runs = 0;
    try {
        for (const run of cases()) {
            await check(browser, url, run, failures);
            ++runs;
        }
    } finally {
        await browser.close();
        server.close();
    }
    failures.forEach((f) => console.log(`FAIL ${f}`));
    console.log(`${runs} runs in Chromium, ${failures.length} differences; ` +
                `screenshot ${path.join(workDir, "page.png")}`);
    process.exit(failures.length || runs === 0 ? 1 : 0);
}

main().catch((error) => { console.error(error); process.exit(1); });
