// browser.mjs -- Debian's Chromium, headless, driven by playwright-core
// (which downloads no browser), for the browser build's tools and tests.
import fs from 'node:fs';
import path from 'node:path';
import { chromium } from 'playwright-core';

// WebGL in a headless Chromium needs SwiftShader, and since Chromium 139
// the last flag to use it.
export const CHROMIUM_ARGS = ['--headless=new', '--no-sandbox', '--use-angle=swiftshader',
                              '--enable-unsafe-swiftshader', '--ignore-gpu-blocklist'];
const executablePath = process.env.CHROMIUM || '/usr/bin/chromium';

export function launchBrowser() {
    return chromium.launch({ executablePath, headless: true, args: CHROMIUM_ARGS });
}

// A browser that another process started with launchServer.
export function connectBrowser(endpoint) { return chromium.connect(endpoint); }

export function launchServer() {
    return chromium.launchServer({ executablePath, headless: true, args: CHROMIUM_ARGS });
}

export const TYPES = { '.js': 'text/javascript', '.wasm': 'application/wasm', '.html': 'text/html',
                '.data': 'application/octet-stream' };

// A page with a canvas that loads script.
export const BARE_PAGE = (script) =>
    `<!doctype html><body style="margin:0"><canvas id="canvas"></canvas><script src="../${script}"></script>`;

// A page of a site another process serves (browser-server.mjs): its
// index.html, or (with script) the bare page that loads script.
export async function openServedPage(browser, siteUrl, script) {
    const page = await browser.newPage();
    await page.goto(`${siteUrl}/bare/${script}`);
    await page.waitForFunction(() => typeof createAmblerReplay === 'function' || typeof createAmbler === 'function');
    return page;
}

// A page on a made-up origin whose files come from folder: its index.html,
// or (with script) a bare page with a canvas that loads script.
export async function servePage(browser, folder, script, query = '') {
    const page = await browser.newPage();
    const origin = 'http://ambler.invalid';
    await page.route(origin + '/**', (route) => {
        const name = new URL(route.request().url()).pathname.slice(1) || 'index.html';
        if (script && name === 'index.html')
            return route.fulfill({ contentType: 'text/html',
                body: `<!doctype html><body style="margin:0"><canvas id="canvas"></canvas><script src="${script}"></script>` });
        const file = path.join(folder, path.basename(name));
        if (!fs.existsSync(file)) return route.fulfill({ status: 404, body: '' });
        return route.fulfill({ contentType: TYPES[path.extname(file)] || 'application/octet-stream',
                               body: fs.readFileSync(file) });
    });
    await page.goto(origin + '/' + query);
    await page.waitForFunction(() => typeof createAmblerReplay === 'function' || typeof createAmbler === 'function');
    return page;
}
