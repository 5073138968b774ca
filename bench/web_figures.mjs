// web_figures.mjs [PAIRS] -- the browser build's figures: the transfer size
// of the page (each file as it is and gzipped), the time from navigation to
// the walk demo's first frame in headless Chromium, and the step time of
// the walk demo at 960 x 540 in the browser (SwiftShader) against the
// native build (llvmpipe), measured in interleaved pairs, each frame read
// back on both sides. Prints medians with min and max. Run after `make build web`, under a display
// (tools/with-display.sh) or none.
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';
import { fileURLToPath } from 'node:url';
import { launchBrowser, servePage } from '../tools/web/browser.mjs';

const root = path.join(path.dirname(fileURLToPath(import.meta.url)), '..');
const site = path.join(root, 'build-web', 'site');
const webBin = path.join(root, 'build-web', 'bin');
const nativeReplay = path.join(root, 'build', 'bin', 'ambler-replay');
const pairs = Number(process.argv[2] || 5);
const STEPS = 200;
const scene = path.join(root, 'scenes', 'walk');
const events = path.join(root, 'tests', 'golden', 'walk.events');

const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];
const summary = (xs, unit) => `median ${median(xs).toFixed(2)} ${unit} (min ${Math.min(...xs).toFixed(2)}, max ${Math.max(...xs).toFixed(2)})`;

function transferSizes() {
    let raw = 0, packed = 0;
    for (const f of ['index.html', 'ambler.js', 'ambler.wasm', 'ambler.data']) {
        const bytes = fs.readFileSync(path.join(site, f));
        const gz = zlib.gzipSync(bytes, { level: 9 }).length;
        raw += bytes.length, packed += gz;
        console.log(`  ${f.padEnd(12)} ${(bytes.length / 1024).toFixed(1).padStart(8)} KiB, gzipped ${(gz / 1024).toFixed(1).padStart(8)} KiB`);
    }
    console.log(`  ${'all'.padEnd(12)} ${(raw / 1024).toFixed(1).padStart(8)} KiB, gzipped ${(packed / 1024).toFixed(1).padStart(8)} KiB`);
}

async function firstFrame(browser) {
    const page = await servePage(browser, site, null, '?scene=walk');
    await page.waitForFunction(() => window.ambler.firstFrame !== undefined, null, { timeout: 120000 });
    const ms = await page.evaluate(() => window.ambler.firstFrame);
    await page.close();
    return ms;
}

// Seconds of one replay of n steps in the page (the tool's run only).
async function browserRun(browser, steps) {
    const page = await servePage(browser, webBin, 'ambler-replay.js');
    const files = {};
    for (const f of fs.readdirSync(scene)) files[path.join(scene, f)] = fs.readFileSync(path.join(scene, f)).toString('base64');
    files[events] = fs.readFileSync(events).toString('base64');
    const seconds = await page.evaluate(async ({ files, scene, events, steps }) => {
        const m = await createAmblerReplay({ canvas: document.getElementById('canvas'), noInitialRun: true,
            preRun: [(m) => {
                for (const [p, b64] of Object.entries(files)) {
                    m.FS.mkdirTree(p.slice(0, p.lastIndexOf('/')));
                    m.FS.writeFile(p, Uint8Array.from(atob(b64), (c) => c.charCodeAt(0)));
                }
            }] });
        const t = performance.now();
        try { m.callMain([scene, '--steps', String(steps), '--events', events, '--size', '960x540',
                          '--shot', `${steps - 1}:/tmp/last.png`]); } catch (e) {}
        return (performance.now() - t) / 1000;
    }, { files, scene, events, steps });
    await page.close();
    return seconds;
}

function nativeRun(steps) {
    const t = process.hrtime.bigint();
    const shot = path.join(fs.mkdtempSync('/tmp/ambler-figures-'), 'last.png');
    const r = spawnSync(nativeReplay, [scene, '--steps', String(steps), '--events', events, '--size', '960x540',
                                       '--shot', `${steps - 1}:${shot}`], { stdio: 'ignore' });
    fs.rmSync(path.dirname(shot), { recursive: true });
    if (r.status !== 0) throw new Error('ambler-replay failed');
    return Number(process.hrtime.bigint() - t) / 1e9;
}

const browser = await launchBrowser();
console.log('Transfer size of the page:');
transferSizes();
const first = [];
for (let i = 0; i < pairs; i++) first.push(await firstFrame(browser));
console.log(`Time to the walk demo's first frame: ${summary(first, 'ms')}`);
// A step's time: a run of STEPS steps less a run of one (load and start).
// Both read every frame back (a shot asks for it), so the browser's time
// includes the drawing its GPU process does after the calls return.
const web = [], native = [];
for (let i = 0; i < pairs; i++) {
    web.push((await browserRun(browser, STEPS) - await browserRun(browser, 1)) / (STEPS - 1) * 1000);
    native.push((nativeRun(STEPS) - nativeRun(1)) / (STEPS - 1) * 1000);
}
console.log(`Step time of the walk demo at 960 x 540, ${pairs} interleaved pairs of ${STEPS} steps:`);
console.log(`  browser (SwiftShader): ${summary(web, 'ms')}`);
console.log(`  native (llvmpipe):     ${summary(native, 'ms')}`);
const ratios = web.map((w, i) => w / native[i]);
console.log(`  browser / native:      ${summary(ratios, 'x')}`);
await browser.close();
