// The engine worker alone (build-web/quill-worker.js, one UCI line per
// message) against the native engine: the same "uci" answer (less the
// Syzygy options, which the web build has not), the same "go depth 5"
// transcripts, "isready" and "stop" answered at once during a search, the
// speed; and the web build's bench under Node against the native bench.
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { NATIVE, WEB, nativeSession, startBrowser, startServer, workerSession } from './support.js';

let server, browser, page;

before(async () => {
    server = await startServer();
    browser = await startBrowser();
    page = await browser.context.newPage();
    await page.goto(`${server.url}rules.js`);
    assert.equal(await page.evaluate(() => self.crossOriginIsolated), true);
});

after(async () => {
    await browser?.close();
    server?.stop();
});

// Times and speeds differ from run to run; everything else must not.
const timeless = (lines) => lines.filter((l) => !l.includes('currmove')).map((l) => l.replace(/ time \d+/, '').replace(/ nps \d+/, ''));

test('the uci answer equals the native engine\'s', async () => {
    const web = await workerSession(page, ['uci'], /^uciok$/);
    const native = (await nativeSession(['uci'], (l) => l === 'uciok')).filter((l) => !/^option name Syzygy/.test(l));
    assert.deepEqual(web, native);
    assert.equal(web[0], 'id name Quill 0.7.1');
    assert.ok(web.includes('option name UCI_Elo type spin default 1300 min 500 max 1800'));
});

test('go depth 5 transcripts equal the native engine\'s', async () => {
    const positions = [
        'position startpos',
        'position startpos moves e2e4 c7c5 g1f3 d7d6 d2d4 c5d4 f3d4 g8f6 b1c3',
        'position fen r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1',
        'position fen 8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1',
    ];
    for (const position of positions) {
        const lines = ['setoption name UCI_ShowWDL value true', position, 'go depth 5'];
        const web = await workerSession(page, lines, /^bestmove/);
        const native = await nativeSession(lines, (l) => l.startsWith('bestmove'));
        assert.deepEqual(timeless(web), timeless(native), position);
        assert.ok(web.some((l) => l.startsWith('info depth 5 ')), position);
    }
    // Chess960 castling, king takes rook.
    const lines = ['setoption name UCI_Chess960 value true',
        'position fen bqnb1rkr/pp3ppp/3ppn2/2p5/5P2/P2P4/NPP1P1PP/BQ1BNRKR w HFhf - 2 9', 'go depth 5'];
    assert.deepEqual(timeless(await workerSession(page, lines, /^bestmove/)),
        timeless(await nativeSession(lines, (l) => l.startsWith('bestmove'))));
});

test('isready and stop are answered at once during a search', async () => {
    const timings = await page.evaluate(async () => {
        const worker = new Worker('quill-worker.js');
        const seen = [];
        worker.onmessage = (event) => seen.push([performance.now(), event.data]);
        const waitFor = (prefix) => new Promise((ok) => {
            const poll = setInterval(() => {
                const hit = seen.find(([, l]) => l.startsWith(prefix));
                if (hit) { clearInterval(poll); ok(hit[0]); }
            }, 2);
        });
        worker.postMessage('uci');
        await waitFor('uciok');
        worker.postMessage('position startpos moves e2e4');
        worker.postMessage('go infinite');
        await new Promise((ok) => setTimeout(ok, 2000));
        const readySent = performance.now();
        worker.postMessage('isready');
        const readyAt = await waitFor('readyok');
        const stopSent = performance.now();
        worker.postMessage('stop');
        const bestAt = await waitFor('bestmove');
        worker.terminate();
        const depths = seen.filter(([, l]) => l.startsWith('info depth')).length;
        return { ready: readyAt - readySent, best: bestAt - stopSent, depths,
            early: seen.some(([t, l]) => l.startsWith('bestmove') && t < stopSent) };
    });
    assert.equal(timings.early, false, 'no bestmove before stop');
    assert.ok(timings.depths > 3, 'the search ran');
    assert.ok(timings.ready < 300, `readyok after ${timings.ready} ms`);
    assert.ok(timings.best < 300, `bestmove after ${timings.best} ms`);
});

// A measurement, not a check of behaviour: it runs only when asked for
// (make web-speed), on a machine with nothing else running.
test('speed: the web build searches at least half as many nodes per second as the native one',
     { skip: !process.env.QUILL_WEB_SPEED && 'a speed measurement: make web-speed' }, async (t) => {
    const lines = ['position fen r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1', 'go nodes 2000000'];
    const nps = (out) => Number(out.filter((l) => / nps /.test(l)).pop().match(/ nps (\d+)/)[1]);
    const web = [], native = [];
    for (let round = 0; round < 3; round++) {
        native.push(nps(await nativeSession(lines, (l) => l.startsWith('bestmove'))));
        web.push(nps(await workerSession(page, lines, /^bestmove/)));
    }
    // The best of three runs each: the machine's other work slows either.
    const ratio = Math.max(...web) / Math.max(...native);
    t.diagnostic(`nodes per second: web ${web.join(', ')}; native ${native.join(', ')}; best web/native ${ratio.toFixed(2)}`);
    assert.ok(ratio >= 0.5, `web/native ${ratio.toFixed(2)}`);
});

test('the bench signature of the web build under Node equals the native build\'s', async () => {
    const dir = mkdtempSync(join(tmpdir(), 'quill-bench-'));
    try {
        const nodes = (text) => text.split('\n').find((l) => l.startsWith('Nodes searched'));
        const web = execFileSync(process.execPath, ['--no-experimental-fetch', join(WEB, 'quill.js'), 'bench'], { cwd: dir, encoding: 'utf8' });
        const native = execFileSync(NATIVE, ['bench'], { cwd: dir, encoding: 'utf8' });
        assert.match(nodes(web), /^Nodes searched: \d+$/);
        assert.equal(nodes(web), nodes(native));
    } finally {
        rmSync(dir, { recursive: true, force: true });
    }
});
