#!/usr/bin/env node
// web-replay.mjs -- ambler-replay as the browser build runs it: the same
// command line, events file, trace, presented-frame trace and shots, on the
// same virtual clock, in headless Chromium. The replay tool's own code parses the arguments and
// runs the steps in the page; this script only carries the files across:
// the scene folder, the events file and standard input into the page's file
// system under the same paths, and the traces, the shots and any F12
// screenshot back out.
//
// Environment: AMBLER_WEB_BIN (the browser build's bin folder, default
// build-web/bin beside this script), AMBLER_WEB_BROWSER (what
// tools/web/browser-server.mjs wrote: the run goes to that browser, which
// keeps its pages and compiled WebAssembly between runs, instead of a
// browser of its own), CHROMIUM (default /usr/bin/chromium).
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { runReplayInPage } from './web/replay-page.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const webBin = process.env.AMBLER_WEB_BIN || path.join(here, '..', 'build-web', 'bin');
const VALUE_OPTIONS = new Set(['--steps', '--events', '--trace', '--shot', '--size', '--display-hz', '--present-trace']);

// Which paths the tool will read and write, found as the tool finds them.
function pathsOf(args) {
    const found = { scene: null, events: null, outputs: [] };
    for (let i = 0; i < args.length; i++) {
        const a = args[i];
        if (VALUE_OPTIONS.has(a)) {
            const v = args[++i];
            if (v === undefined) break;
            if (a === '--events') found.events = v;
            if ((a === '--trace' || a === '--present-trace') && v !== '-') found.outputs.push(v);
            if (a === '--shot' && v.includes(':')) found.outputs.push(v.slice(v.indexOf(':') + 1));
        } else if (!a.startsWith('-') || a === '-') {
            if (found.scene === null) found.scene = a;
        }
    }
    return found;
}

function regularFile(p) {
    try { return fs.statSync(p).isFile(); } catch { return false; }
}

// The files handed to the page: path -> base64, and the folders to make.
function collectInputs(found, cwd) {
    const files = {}, dirs = new Set([cwd]);
    const take = (p) => {
        try {
            files[p] = fs.readFileSync(p).toString('base64');
            dirs.add(path.dirname(p));
        } catch { /* the tool says why */ }
    };
    if (found.scene !== null) {
        let dir = path.resolve(cwd, found.scene);
        if (regularFile(dir)) dir = path.dirname(dir);
        let entries = [];
        try { entries = fs.readdirSync(dir, { withFileTypes: true }); dirs.add(dir); } catch { }
        for (const e of entries) {
            const p = path.join(dir, e.name);
            if (regularFile(p)) take(p);
            else if (e.isDirectory()) dirs.add(p);
        }
    }
    if (found.events !== null && regularFile(path.resolve(cwd, found.events)))
        take(path.resolve(cwd, found.events));
    for (const out of found.outputs) {
        const parent = path.dirname(path.resolve(cwd, out));
        if (fs.existsSync(parent)) dirs.add(parent);
    }
    return { files, dirs: [...dirs] };
}

function readStdin() {
    if (process.stdin.isTTY) return null;
    try { return fs.readFileSync(0).toString('latin1'); } catch { return ''; }
}

// Posts body to url and resolves to the answer's text. node:http, not
// fetch: loading fetch's library costs more than a short replay's run, and
// the test passes start this script once per replay.
function post(url, body) {
    return new Promise((resolve, reject) => {
        const request = http.request(url, { method: 'POST' }, (response) => {
            const chunks = [];
            response.on('data', (c) => chunks.push(c));
            response.on('end', () => {
                const text = Buffer.concat(chunks).toString();
                if (response.statusCode === 200) resolve(text);
                else reject(new Error(`the browser server says ${response.statusCode}: ${text}`));
            });
            response.on('error', reject);
        });
        request.on('error', reject);
        request.end(body);
    });
}

async function main() {
    const args = process.argv.slice(2);
    const cwd = process.cwd();
    const { files, dirs } = collectInputs(pathsOf(args), cwd);
    const stdin = readStdin();
    const request = { files, dirs, cwd, args, stdin };
    const runUrl = (process.env.AMBLER_WEB_BROWSER || '').split(' ')[2];
    let result;
    if (runUrl) {
        result = JSON.parse(await post(runUrl, JSON.stringify(request)));
    } else {
        const { launchBrowser, servePage } = await import('./web/browser.mjs');
        const browser = await launchBrowser();
        try {
            const page = await servePage(browser, webBin, 'ambler-replay.js');
            result = await runReplayInPage(page, request);
        } finally {
            await browser.close();
        }
    }
    for (const [p, b64] of Object.entries(result.written)) {
        try { fs.writeFileSync(p, Buffer.from(b64, 'base64')); } catch (e) {
            process.stderr.write(`web-replay: cannot write ${p}: ${e.message}\n`);
            if (result.status === 0) result.status = 1;
        }
    }
    process.stdout.write(result.out);
    process.stderr.write(result.err);
    process.exitCode = result.status;
}

main().catch((e) => {
    process.stderr.write(`web-replay: ${e.stack || e}\n`);
    process.exitCode = 3;
});
