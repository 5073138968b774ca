// replay-page.mjs -- one run of the browser build's replay tool in a page
// that has loaded ambler-replay.js: the files go into a fresh instance's
// file system, the tool runs as one process would, and its output, status
// and written files come back (paths to base64).

// Runs in the page: one instance of the tool, as one process.
async function runInPage({ files, dirs, cwd, args, stdin }) {
    const decode = (b64) => Uint8Array.from(atob(b64), (c) => c.charCodeAt(0));
    const encode = (bytes) => {
        let s = '';
        for (let i = 0; i < bytes.length; i += 0x8000) s += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
        return btoa(s);
    };
    const out = [], err = [];
    let status = null, stdinAt = 0;
    const given = new Set(Object.keys(files));
    const old = document.getElementById('canvas');
    const canvas = document.createElement('canvas');
    canvas.id = 'canvas';
    old.replaceWith(canvas);
    const module = {
        canvas,
        noInitialRun: true,
        print: (t) => out.push(t + '\n'),
        printErr: (t) => err.push(t + '\n'),
        onExit: (code) => { status = code; },
        preRun: [(m) => {
            for (const d of dirs) m.FS.mkdirTree(d);
            for (const [p, b64] of Object.entries(files)) m.FS.writeFile(p, decode(b64));
            m.FS.chdir(cwd);
        }],
    };
    if (stdin !== null) module.stdin = () => (stdinAt < stdin.length ? stdin.charCodeAt(stdinAt++) & 0xFF : null);
    // The page compiles the tool once; each run is a new instance of it,
    // with memory of its own, as each run of the tool is a new process.
    if (!window.amblerReplayWasm) {
        const script = [...document.scripts].find((s) => /ambler-replay\.js$/.test(s.src));
        window.amblerReplayWasm = WebAssembly.compileStreaming(fetch(new URL('ambler-replay.wasm', script.src)));
        window.amblerReplayWasm.catch(() => { window.amblerReplayWasm = null; });
    }
    let failWasm;
    const wasmFailed = new Promise((_, reject) => { failWasm = reject; });
    module.instantiateWasm = (imports, receive) => {
        window.amblerReplayWasm.then((compiled) => WebAssembly.instantiate(compiled, imports))
            .then((instance) => receive(instance), failWasm);
        return {};
    };
    const m = await Promise.race([createAmblerReplay(module), wasmFailed]);
    try {
        const r = m.callMain(args);
        if (status === null) status = r;
    } catch (e) {
        if (e && e.name === 'ExitStatus') status = e.status;
        else { err.push(String(e) + '\n'); status = 134; }
    }
    const written = {};
    for (const d of dirs) {
        let names = [];
        try { names = m.FS.readdir(d); } catch { continue; }
        for (const n of names) {
            const p = d === '/' ? '/' + n : d + '/' + n;
            try {
                if (!m.FS.isFile(m.FS.stat(p).mode)) continue;
                const bytes = m.FS.readFile(p);
                if (!given.has(p) || encode(bytes) !== files[p]) written[p] = encode(bytes);
            } catch { }
        }
    }
    return { out: out.join(''), err: err.join(''), status, written };
}


// Runs request ({files, dirs, cwd, args, stdin}) in page; a fresh canvas
// each time, since a WebGL context belongs to the instance that made it.
export async function runReplayInPage(page, request) {
    return page.evaluate(runInPage, request);
}
