// browser-server.mjs ENDPOINT_FILE FOLDER -- one headless Chromium for a
// whole test pass, with a server on 127.0.0.1 that serves FOLDER (the
// browser build's bin folder) and runs replays posted to /run in pages it
// keeps open (tools/web-replay.mjs then starts neither a browser nor a
// page). Writes "BROWSER_ENDPOINT SITE_URL RUN_URL" to ENDPOINT_FILE; ends
// on SIGTERM or when ENDPOINT_FILE is removed.
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import { launchServer, connectBrowser, openServedPage, TYPES, BARE_PAGE } from './browser.mjs';
import { runReplayInPage } from './replay-page.mjs';

const [file, folder] = process.argv.slice(2);
if (!file || !folder || !fs.existsSync(path.join(folder, 'ambler-replay.js'))) {
    console.error('usage: browser-server.mjs ENDPOINT_FILE BIN_FOLDER (the folder of ambler-replay.js)');
    process.exit(2);
}
const idle = [];
let browser, siteUrl;

async function run(body, response) {
    let page = idle.pop();
    try {
        if (!page) page = await openServedPage(browser, siteUrl, 'ambler-replay.js');
        const result = await runReplayInPage(page, JSON.parse(body));
        idle.push(page);
        response.writeHead(200, { 'Content-Type': 'application/json' });
        response.end(JSON.stringify(result));
    } catch (e) {
        if (page) page.close().catch(() => {});
        response.writeHead(500);
        response.end(String(e && e.stack || e));
    }
}

const site = http.createServer((request, response) => {
    if (request.method === 'POST') {
        const chunks = [];
        request.on('data', (c) => chunks.push(c));
        request.on('end', () => run(Buffer.concat(chunks).toString(), response));
        return;
    }
    const name = new URL(request.url, 'http://x').pathname.slice(1);
    if (name.startsWith('bare/')) {
        response.writeHead(200, { 'Content-Type': 'text/html' });
        return response.end(BARE_PAGE(name.slice(5)));
    }
    const local = path.join(folder, path.basename(name || 'index.html'));
    fs.readFile(local, (error, bytes) => {
        if (error) { response.writeHead(404); return response.end(); }
        response.writeHead(200, { 'Content-Type': TYPES[path.extname(local)] || 'application/octet-stream',
                                  'Cache-Control': 'max-age=3600' });
        response.end(bytes);
    });
});
site.listen(0, '127.0.0.1', async () => {
    const server = await launchServer();
    browser = await connectBrowser(server.wsEndpoint());
    siteUrl = `http://127.0.0.1:${site.address().port}`;
    fs.writeFileSync(file + '.tmp', `${server.wsEndpoint()} ${siteUrl} ${siteUrl}/run`);
    fs.renameSync(file + '.tmp', file);
    const stop = async () => { site.close(); await server.close(); process.exit(0); };
    process.on('SIGTERM', stop);
    process.on('SIGINT', stop);
    const watch = setInterval(() => { if (!fs.existsSync(file)) { clearInterval(watch); stop(); } }, 500);
});
