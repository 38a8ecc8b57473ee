// SPDX-License-Identifier: MIT
// web_memory.js - the web page's peak memory while it converts one large
// LAS file in headless Chromium, through the page's folder path (the File
// System Access API), whose folder here counts the bytes written and keeps
// none.  Samples the resident memory of Chromium's renderer processes (the
// page and its worker) every 50 ms; prints the peak and the time.
//
//   NODE_PATH=build-wasm/web-test/node_modules \
//     node bench/web_memory.js build-wasm/web FILE.las FORMAT
"use strict";
const fs = require("fs");
const path = require("path");
const puppeteer = require("puppeteer-core");

const [webDir, lasFile, format] = process.argv.slice(2);

// The resident KiB of every renderer process of the browser.
function rendererKiB() {
    let total = 0;
    for (const pid of fs.readdirSync("/proc").filter((p) => /^\d+$/.test(p))) {
        try {
            const cmd = fs.readFileSync(`/proc/${pid}/cmdline`, "utf8");
            if (!cmd.includes("--type=renderer")) continue;
            const status = fs.readFileSync(`/proc/${pid}/status`, "utf8");
            total += Number(/VmRSS:\s+(\d+)/.exec(status)[1]);
        } catch { /* gone */ }
    }
    return total;
}

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
    let peak = idle;
    const sampler = setInterval(() => { peak = Math.max(peak, rendererKiB()); }, 50);
    const start = Date.now();
    await page.click("#convert");
    await page.waitForSelector("body[data-status]", { timeout: 0 });
    clearInterval(sampler);
    const status = await page.$eval("body", (b) => b.dataset.status);
    const saved = await page.evaluate(() => window.bytesSaved);
    console.log(`${path.basename(lasFile)} (${fs.statSync(lasFile).size} bytes), ` +
                `format ${format}: status ${status}, ${saved} bytes saved in ` +
                `${((Date.now() - start) / 1000).toFixed(1)} s; renderer memory ` +
                `${(idle / 1024).toFixed(0)} MiB before, peak ` +
                `${(peak / 1024).toFixed(0)} MiB`);
    await browser.close();
}

main().catch((error) => { console.error(error); process.exit(1); });
