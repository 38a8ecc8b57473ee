// SPDX-License-Identifier: MIT
// test_page.js - the web page in headless Chromium: LAS files chosen in its
// real file input, converted, saved through its download path, and the
// saved bytes and exit status set against the native command's.
//
//   node test_page.js WEB_DIR NATIVE_PTXPORT WORK_DIR [LASDATA]
//
// Converts examples/plot7.las and, where LASDATA exists, its smallest file
// of each point format 0-3, in formats 0, 13, 15 and 19; leaves a
// screenshot of the page after the example's run in WORK_DIR/page.png.
"use strict";
const fs = require("fs");
const http = require("http");
const path = require("path");
const { execFileSync } = require("child_process");
const puppeteer = require("puppeteer-core");

const [webDir, nativeCommand, workDir, lasdata] = process.argv.slice(2);
const FORMATS = ["0", "13", "15", "19"];
// Files of fewer points are mostly there for their faults.
const MIN_POINTS = 1000;
const EXAMPLE = path.join(__dirname, "..", "..", "examples", "plot7.las");
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

async function pageRun(browser, url, file, format, folder) {
    fs.mkdirSync(folder, { recursive: true });
    const page = await browser.newPage();
    const cdp = await page.createCDPSession();
    await cdp.send("Browser.setDownloadBehavior",
                   { behavior: "allow", downloadPath: path.resolve(folder) });
    await page.goto(url);
    await page.waitForSelector("#format option:nth-child(20)");
    await (await page.$("#files")).uploadFile(file);
    await page.select("#format", format);
    await page.click("#convert");
    await page.waitForSelector("body[data-status]", { timeout: 120000 });
    const status = Number(await page.$eval("body", (b) => b.dataset.status));
    return { page, status };
}

function compareFolders(what, expected, actual, failures) {
    const names = fs.readdirSync(expected).sort();
    const got = fs.readdirSync(actual).sort();
    if (names.join() !== got.join())
        failures.push(`${what}: files ${got} instead of ${names}`);
    for (const name of names.filter((n) => got.includes(n)))
        if (!fs.readFileSync(path.join(expected, name))
                .equals(fs.readFileSync(path.join(actual, name))))
            failures.push(`${what}: ${name} differs`);
}

async function main() {
    fs.rmSync(workDir, { recursive: true, force: true });
    const server = await serve(webDir);
    const url = `http://127.0.0.1:${server.address().port}/index.html?save=download`;
    const browser = await puppeteer.launch({
        executablePath: "/usr/bin/chromium", headless: true,
        args: ["--no-sandbox", "--disable-dev-shm-usage"] });
    const failures = [];
    let runs = 0;
    try {
        for (const file of [EXAMPLE, ...lasdataFiles()]) {
            for (const format of FORMATS) {
                const what = `${path.basename(file)} ${format}`;
                const base = path.join(workDir, `${path.basename(file, ".las")}_${format}`);
                const expected = nativeRun(file, format, base + "_native");
                const names = fs.readdirSync(base + "_native");
                const { page, status } = await pageRun(browser, url, file, format, base + "_page");
                await waitForDownloads(base + "_page", names);
                if (status !== expected)
                    failures.push(`${what}: status ${status}, native ${expected}`);
                compareFolders(what, base + "_native", base + "_page", failures);
                if (file === EXAMPLE && format === "15")
                    await page.screenshot({ path: path.join(workDir, "page.png"), fullPage: true });
                await page.close();
                ++runs;
            }
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
