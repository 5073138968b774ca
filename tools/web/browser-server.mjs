// browser-server.mjs ENDPOINT_FILE -- starts one headless Chromium for a
// whole test pass and writes its playwright endpoint to ENDPOINT_FILE; each
// web-replay run then connects in a fraction of a second instead of
// starting a browser. Ends on SIGTERM or when ENDPOINT_FILE is removed.
import fs from 'node:fs';
import { launchServer } from './browser.mjs';

const file = process.argv[2];
const server = await launchServer();
fs.writeFileSync(file + '.tmp', server.wsEndpoint());
fs.renameSync(file + '.tmp', file);
const stop = async () => { await server.close(); process.exit(0); };
process.on('SIGTERM', stop);
process.on('SIGINT', stop);
const watch = setInterval(() => { if (!fs.existsSync(file)) { clearInterval(watch); stop(); } }, 500);
