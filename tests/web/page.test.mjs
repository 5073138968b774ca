// page.test.mjs -- the browser build's page in headless Chromium, as a person
// uses it: keys move the view, a dropped scene folder opens in place of the
// running one (a broken one is reported and the old scene runs on, a model
// is refused with the reason), a scene whose bitmaps are missing shows the
// loader's message in the page, an idle scene draws nothing, and an author
// reloads the running scene with F5 or by dropping changed files.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { test, before, after } from 'node:test';
import { fileURLToPath } from 'node:url';
import { launchBrowser, connectBrowser, servePage } from '../../tools/web/browser.mjs';

const root = path.join(path.dirname(fileURLToPath(import.meta.url)), '..', '..');
const site = process.env.AMBLER_WEB_SITE || path.join(root, 'build-web', 'site');
const endpointFile = process.env.AMBLER_WEB_BROWSER_FILE;
let browser;

before(async () => {
    browser = endpointFile && fs.existsSync(endpointFile)
        ? await connectBrowser(fs.readFileSync(endpointFile, 'utf8').split(' ')[0]) : await launchBrowser();
});
after(async () => { await browser.close(); });

async function openPage(query) {
    const page = await servePage(browser, site, null, query);
    await page.setViewportSize({ width: 640, height: 480 });
    await page.waitForFunction(() => !!window.ambler.instance, null, { timeout: 120000 });
    return page;
}

// Waits until the canvas shows something other than before (a state, not a time).
async function canvasChanges(page, before) {
    for (let i = 0; i < 600; i++) {
        const now = await page.locator('#canvas').screenshot();
        if (!now.equals(before)) return now;
        await page.waitForTimeout(50);
    }
    assert.fail('the canvas never changed');
}

// Drops files (relative path -> bytes) on the page as a browser hands a
// dropped selection of files over.
// With shift, the files update the running scene instead.
async function drop(page, files, shiftKey = false) {
    const encoded = Object.fromEntries(Object.entries(files).map(([p, b]) => [p, b.toString('base64')]));
    const opened = await page.evaluate(() => window.ambler.opened);
    await page.evaluate(([files, shiftKey]) => {
        const transfer = new DataTransfer();
        for (const [name, b64] of Object.entries(files))
            transfer.items.add(new File([Uint8Array.from(atob(b64), (c) => c.charCodeAt(0))], name));
        window.dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true, shiftKey }));
    }, [encoded, shiftKey]);
    if (shiftKey) return;
    await page.waitForFunction((opened) => window.ambler.opened > opened, opened, { timeout: 120000 });
    // The instance itself stays in the page: it is far too big to hand back.
    await page.evaluate(async () => { await window.ambler.ready; });
}

function sceneFiles(name, withBitmaps = true) {
    const dir = path.join(root, 'scenes', name);
    const files = {};
    for (const f of fs.readdirSync(dir))
        if (withBitmaps || f === 'Hod.pro') files[f] = fs.readFileSync(path.join(dir, f));
    return files;
}

test('the arrow keys walk the view, and no message shows', async () => {
    const page = await openPage('?scene=walk');
    const first = await canvasChanges(page, Buffer.alloc(0));
    await page.keyboard.down('ArrowUp');
    await canvasChanges(page, first);
    await page.keyboard.up('ArrowUp');
    assert.deepEqual(await page.evaluate(() => window.ambler.messages), []);
    await page.close();
});

test('a dropped scene folder opens in place of the demo', async () => {
    const page = await openPage('?scene=walk');
    const walk = await canvasChanges(page, Buffer.alloc(0));
    await drop(page, sceneFiles('drive'));
    await canvasChanges(page, walk);
    assert.deepEqual(await page.evaluate(() => window.ambler.messages), []);
    await page.close();
});

test('a broken scene dropped on the page is reported, and the running scene walks on', async () => {
    const page = await openPage('?scene=walk');
    await canvasChanges(page, Buffer.alloc(0));
    await drop(page, { 'Hod.pro': Buffer.from('5 5 5 5 5\n7\nnot a number\n') });
    await waitForError(page, /^\/user\/\d+\/Hod\.pro:3:1: error: /);
    const kept = await page.locator('#canvas').screenshot();
    await page.keyboard.down('ArrowUp');
    await canvasChanges(page, kept);
    await page.keyboard.up('ArrowUp');
    assert.equal(await page.evaluate(() => window.ambler.ended), false);
    await page.close();
});

test('a dropped model is refused with the reason, as the importer runs on the desktop only', async () => {
    const page = await openPage('?scene=walk');
    await drop(page, { 'house.glb': Buffer.from('glTF') });
    await page.waitForFunction(() => window.ambler.messages.length > 0, null, { timeout: 60000 });
    assert.match((await page.evaluate(() => window.ambler.messages))[0], /house\.glb is not a scene.*ambler-import/);
    await page.close();
});

// The counts the program keeps: steps run, and frames the page was given.
async function counts(page) {
    return page.evaluate(() => ({ steps: window.ambler.instance._StepsRunToPage(),
                                  frames: window.ambler.instance._FramesShownToPage() }));
}

const IDLE_SCENE = [
    '0 0 0 -1 1',
    '1 0 0 0 0 0 0 0.0 1000 0 1 0.0 0.0',
    '0 0 0 0 0 0 0.0 8.0 2 20 10',
    '0 0 0 0 0 0 1',
    '2.0 5.0 1.0 70.0 70.0 6.0 20.0 3.0 1.2 5.0 7.0 0.07 0.3 0.4 0.4 0.7 0.01 0.2 0.5 1.5 0.8 50.0 2.0 60.0 4.0 0.17',
    '0',
    '0.2 0.3 0.4', ''].join('\n');

test('an idle scene draws nothing between its steps', async () => {
    const page = await openPage('?scene=walk');
    await canvasChanges(page, Buffer.alloc(0));
    // A scene of settings alone: nothing in it moves. (An empty file would
    // be refused, as a broken scene is, and the demo would walk on.)
    await drop(page, { 'Hod.pro': Buffer.from(IDLE_SCENE) });
    await waitForError(page, /^ambler: reloaded Hod\.pro$/);
    // Once the new scene's first picture (and any notice) is shown, 25 steps
    // pass with no frame drawn.
    let from = await counts(page);
    for (let i = 0; ; i++) {
        assert.ok(i < 1200, 'the idle scene never stopped drawing');
        await page.waitForTimeout(50);
        const now = await counts(page);
        if (now.frames !== from.frames) from = now;
        else if (now.steps - from.steps >= 25) break;
    }
    await page.close();
});

test('a scene whose bitmaps are missing says so in the page', async () => {
    const page = await openPage('?scene=walk');
    await drop(page, sceneFiles('walk', false));
    await page.waitForFunction(() => window.ambler.messages.length > 0, null, { timeout: 60000 });
    const messages = await page.evaluate(() => window.ambler.messages);
    assert.match(messages[0], /^Error: Failed to open DIB file \S+\.bmp/);
    assert.equal(await page.locator('#message').isVisible(), true);
    await page.close();
});

// What the program wrote to stderr since the page started the scene.
async function waitForError(page, pattern) {
    await page.waitForFunction((source) => window.ambler.errors.some((l) => new RegExp(source).test(l)),
                               pattern.source, { timeout: 60000 });
}

test('F5 and changed files dropped with shift read the scene again; a broken file is reported and the scene runs on', async () => {
    const page = await openPage('?scene=walk');
    const first = await canvasChanges(page, Buffer.alloc(0));
    await page.keyboard.press('F5');
    await waitForError(page, /^ambler: reloaded Hod\.pro$/);

    await drop(page, { 'Hod.pro': Buffer.from('5 5 5 5 5\n7\nnot a number\n') }, true);
    await waitForError(page, /^\/scenes\/walk\/Hod\.pro:3:1: error: /);
    const errors = await page.evaluate(() => window.ambler.errors);
    assert.equal(errors.filter((l) => /reloaded/.test(l)).length, 1, 'the broken file did not replace the scene');
    assert.ok(!errors.some((l) => /could not run/.test(l)), errors.join('\n'));
    // The old scene still walks.
    const kept = await page.locator('#canvas').screenshot();
    await page.keyboard.down('ArrowUp');
    await canvasChanges(page, kept);
    await page.keyboard.up('ArrowUp');

    await drop(page, { 'Hod.pro': sceneFiles('walk', false)['Hod.pro'] }, true);
    await page.waitForFunction(() => window.ambler.errors.filter((l) => /^ambler: reloaded/.test(l)).length === 2,
                               null, { timeout: 60000 });
    assert.deepEqual(await page.evaluate(() => window.ambler.messages), []);
    await page.close();
});
