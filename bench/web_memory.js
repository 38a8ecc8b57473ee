// SPDX-License-Identifier: MIT
// web_memory.js - the web page's peak memory while it converts one large
// LAS file in headless Chromium, through the page's folder path (the File
// System Access API), whose folder here counts the bytes written and keeps
// none.  Samples the resident memory of Chromium's renderer processes (the
// page and its worker) every 50 ms; prints the peaks and the time.
//
//   NODE_PATH=build-wasm/web-test/node_modules \
//     node bench/web_memory.js build-wasm/web FILE.las FORMAT
"use strict";
const fs = require("fs");
const path = require("path");
const puppeteer = require("puppeteer-core");

const [webDir, lasFile, format] = process.argv.slice(2);

// The resident KiB of each renderer process of the browser, by pid.
function rendererKiB() {
    const kib = new Map();
    for (const pid of fs.readdirSync("/proc").filter((p) => /^\d+$/.test(p))) {
        try {
            const cmd = fs.readFileSync(`/proc/${pid}/cmdline`, "utf8");
            if (!cmd.includes("--type=renderer")) continue;
            const status = fs.readFileSync(`/proc/${pid}/status`, "utf8");
            kib.set(pid, Number(/VmRSS:\s+(\d+)/.exec(status)[1]));
        } catch { /* gone */ }
    }
    return kib;
}

const total = (kib) => [...kib.values()].reduce((a, b) => a + b, 0);

// A folder that takes every chunk and keeps none.
function countingFolder() {
    window.showDirectoryPicker = async () => ({
        name: "counted",
        getFileHandle: async () => ({
            createWritable: async () => ({
                write: async (bytes) => {
                    window.bytesSaved = (window.bytesSaved || 0) + bytes.byteLength;
                },
                close: async () => {},
            }),
        }),
    });
}

async function main() {
    const browser = await puppeteer.launch({
        executablePath: "/usr/bin/chromium", headless: true, protocolTimeout: 0,
        args: ["--no-sandbox", "--disable-dev-shm-usage"] });
    const page = await browser.newPage();
    await page.evaluateOnNewDocument(countingFolder);
    await page.goto("file://" + path.resolve(webDir, "index.html"));
    await page.waitForSelector("#format option:nth-child(20)");
    await (await page.$("#files")).uploadFile(lasFile);
    await page.select("#format", format);
    const idle = rendererKiB();
    const peaks = new Map(idle);
    let peak = total(idle);
    const sampler = setInterval(() => {
        const now = rendererKiB();
        now.forEach((kib, pid) => peaks.set(pid, Math.max(kib, peaks.get(pid) || 0)));
        peak = Math.max(peak, total(now));
    }, 50);
    const start = Date.now();
    await page.click("#convert");
    await page.waitForSelector("body[data-status]", { timeout: 0 });
    clearInterval(sampler);
    // The page's process is the renderer that grew most.
    const [pagePid] = [...peaks].sort((a, b) =>
        (b[1] - (idle.get(b[0]) || 0)) - (a[1] - (idle.get(a[0]) || 0)))[0];
    const status = await page.$eval("body", (b) => b.dataset.status);
    const saved = await page.evaluate(() => window.bytesSaved);
    console.log(`${path.basename(lasFile)} (${fs.statSync(lasFile).size} bytes), ` +
                `format ${format}: status ${status}, ${saved} bytes saved in ` +
                `${((Date.now() - start) / 1000).toFixed(1)} s; the page's renderer ` +
                `${((idle.get(pagePid) || 0) / 1024).toFixed(0)} MiB before, peak ` +
                `${(peaks.get(pagePid) / 1024).toFixed(0)} MiB; all renderers ` +
                `${(total(idle) / 1024).toFixed(0)} MiB before, peak ` +
                `${(peak / 1024).toFixed(0)} MiB`);
    await browser.close();
}

main().catch((error) => { console.error(error); process.exit(1); });
