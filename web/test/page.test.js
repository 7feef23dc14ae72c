// The page in headless Chromium, driven as a person would: clicks and drags
// on the squares (data-square), the move list (#moves), the buttons and the
// new-game form. Screenshots go to build-web/screenshots/.
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { Chess } from 'chess.js';
import { WEB, screenshotPath, startBrowser, startServer } from './support.js';

let server, browser;

before(async () => {
    server = await startServer();
    browser = await startBrowser();
    await browser.context.grantPermissions(['clipboard-read', 'clipboard-write'], { origin: server.url });
});

after(async () => {
    await browser?.close();
    server?.stop();
});

async function openPage(viewport) {
    const page = await browser.context.newPage();
    if (viewport) await page.setViewportSize(viewport);
    const errors = [];
    page.on('pageerror', (error) => errors.push(error.message));
    await page.goto(server.url);
    await page.waitForSelector('body[data-engine=ready]', { timeout: 30000 });
    page.errors = errors;
    return page;
}

// Runs a test body on a fresh page; on failure the engine's last lines and
// the moves join the error, and the page is closed either way.
async function onPage(body, viewport) {
    const page = await openPage(viewport);
    try {
        await body(page);
        assert.deepEqual(page.errors, []);
    } catch (error) {
        const log = await page.evaluate(() => window.quill.engine.log.slice(-30).join('\n')).catch(() => '');
        error.message += `\nmoves: ${await page.textContent('#moves').catch(() => '')}\nengine:\n${log}`;
        throw error;
    } finally {
        await page.close();
    }
}

const sanMoves = async (page) => (await page.textContent('#moves')).trim().split(/\s+/).filter(Boolean);
const plies = (page) => page.evaluate(() => window.quill.game.moves.length);
const waitPlies = (page, n, timeout = 15000) =>
    page.waitForFunction((k) => window.quill.game.moves.length >= k, n, { timeout });

async function clickMove(page, from, to) {
    await page.click(`[data-square=${from}]`);
    await page.click(`[data-square=${to}]`);
}

async function dragMove(page, from, to) {
    const a = await page.locator(`[data-square=${from}]`).boundingBox();
    const b = await page.locator(`[data-square=${to}]`).boundingBox();
    await page.mouse.move(a.x + a.width / 2, a.y + a.height / 2);
    await page.mouse.down();
    await page.mouse.move(b.x + b.width / 2, b.y + b.height / 2, { steps: 8 });
    await page.mouse.up();
}

// Fills in and submits the new-game form; waits for the new game unless
// the form is expected to refuse it.
async function newGame(page, { side = 'w', level = '1100', time = 'move:1000', variant = 'standard', fen = '', refused = false } = {}) {
    if (!(await page.$eval('#setup', (d) => d.open))) await page.click('#setup summary');
    await page.selectOption('#side', side);
    await page.selectOption('#level', level);
    await page.selectOption('#time', time);
    await page.selectOption('#variant', variant);
    await page.fill('#fen', fen);
    const number = await page.evaluate(() => window.quill.game.number);
    await page.click('#start');
    if (!refused) await page.waitForFunction((n) => window.quill.game.number > n, number);
}

async function copiedPgn(page) {
    await page.click('#copy-pgn');
    await page.waitForSelector('#copied:not([hidden])');
    return page.evaluate(() => navigator.clipboard.readText());
}

// The PGN parses (chess.js, an independent reading of the rules) and its
// moves replay to the move list's.
function checkPgn(pgn, moves) {
    const chess = new Chess();
    chess.loadPgn(pgn);
    assert.deepEqual(chess.history(), moves);
    const today = new Date();
    const date = `${today.getFullYear()}.${String(today.getMonth() + 1).padStart(2, '0')}.${String(today.getDate()).padStart(2, '0')}`;
    assert.match(pgn, new RegExp(`\\[Date "${date.replace(/\./g, '\\.')}"\\]`));
    return chess;
}

test('a game on load: click and drag moves, answers in time, view, take back, flip, PGN', () => onPage(async (page) => {
    assert.equal(await page.locator('[data-square]').count(), 64);
    assert.match(await page.textContent('#status'), /Your move \(White\)/);
    assert.match(await page.textContent('#summary'), /level 1100, 1 s a move/);

    await page.click('[data-square=e2]');
    const targets = await page.$$eval('.square.target', (els) => els.map((e) => e.dataset.square).sort());
    assert.deepEqual(targets, ['e3', 'e4']);
    const sent = Date.now();
    await page.click('[data-square=e4]');
    await waitPlies(page, 2, 5000);
    const answered = Date.now() - sent;
    assert.ok(answered < 1000 + 1500, `Quill answered after ${answered} ms with 1 s a move`);

    await dragMove(page, 'g1', 'f3');
    await waitPlies(page, 4, 5000);
    const moves = await sanMoves(page);
    assert.equal(moves.length, 4);
    assert.deepEqual([moves[0], moves[2]], ['e4', 'Nf3']);
    const last = await page.evaluate(() => window.quill.game.moves.at(-1).uci);
    const marked = await page.$$eval('.square.last', (els) => els.map((e) => e.dataset.square).sort());
    assert.deepEqual(marked, [last.slice(0, 2), last.slice(2, 4)].sort());

    await page.click('#view-toggle');
    await page.waitForFunction(() => Number(document.getElementById('view-depth').textContent) >= 6, null, { timeout: 15000 });
    assert.match(await page.textContent('#view-wdl'), /White wins \d+% · draw \d+% · Black wins \d+%/);
    assert.ok((await page.textContent('#view-line')).length > 3);
    assert.equal(await page.isVisible('#evalbar'), true);
    await page.screenshot({ path: screenshotPath('game-in-progress'), fullPage: true });

    checkPgn(await copiedPgn(page), moves);
    assert.match(await page.inputValue('#pgn'), /\[Level "UCI_Elo 1100"\]/);

    await page.click('#view-toggle');
    await page.click('#takeback');
    assert.deepEqual(await sanMoves(page), moves.slice(0, 2));
    assert.equal(await page.$eval('[data-square=g1] piece', (p) => p.dataset.piece), 'N');

    await page.click('#flip');
    assert.equal(await page.$eval('#board > :first-child', (e) => e.dataset.square), 'h1');
    await page.click('#flip');
    assert.equal(await page.$eval('#board > :first-child', (e) => e.dataset.square), 'a8');
}));

test('a long search is stopped at once; promotion through the chooser; PGN from a FEN', () => onPage(async (page) => {
    await newGame(page, { level: 'full', time: 'move:10000' });
    await clickMove(page, 'd2', 'd4');
    await page.waitForFunction(() => window.quill.engine.log.some((l) => l.startsWith('< info depth 6')), null, { timeout: 5000 });
    assert.notEqual(await page.evaluate(() => window.quill.game.thinking), null);
    // Taking back while Quill thinks stops its search: its answer (ignored)
    // comes at once.
    const stopped = Date.now();
    await page.click('#takeback');
    await page.waitForFunction(() => window.quill.engine.answers.length === 0, null, { timeout: 2000 });
    const answered = Date.now() - stopped;
    assert.ok(answered < 500, `bestmove ${answered} ms after stop`);
    assert.equal(await plies(page), 0);
    assert.match(await page.textContent('#status'), /Your move/);

    await newGame(page, { fen: '8/8/8/8/8/8/8/8 w - - 0 1', refused: true });
    assert.match(await page.textContent('#setup-error'), /cannot start a game: each side needs exactly one king/);
    await newGame(page, { time: 'move:300', fen: '8/pP3k2/8/8/8/8/6KP/8 w - - 0 1' });
    assert.equal(await page.isVisible('#setup-error'), false);
    await clickMove(page, 'b7', 'b8');
    assert.equal(await page.isVisible('#promotion'), true);
    await page.click('#promotion [data-promo=n]');
    await waitPlies(page, 2, 5000);
    const moves = await sanMoves(page);
    assert.equal(moves[0], 'b8=N');
    assert.equal(await page.$eval('[data-square=b8] piece', (p) => p.dataset.piece), 'N');
    const [download] = await Promise.all([page.waitForEvent('download'), page.click('#download-pgn')]);
    assert.match(download.suggestedFilename(), /^quill-\d{4}-\d{2}-\d{2}\.pgn$/);
    const pgn = await copiedPgn(page);
    assert.equal(readFileSync(await download.path(), 'utf8'), pgn);
    assert.match(pgn, /\[SetUp "1"\]\n\[FEN "8\/pP3k2\/8\/8\/8\/8\/6KP\/8 w - - 0 1"\]/);
    checkPgn(pgn, moves);
}));

test('a Chess960 start, on a clock', () => onPage(async (page) => {
    await newGame(page, { variant: 'chess960', time: 'clock:60:1' });
    assert.match(await page.textContent('#clock-bottom'), /You \(White\)\s*(1:00|0:5\d)/);
    assert.match(await page.textContent('#clock-top'), /Quill \(Black\)\s*1:00/);
    const fen = await page.evaluate(() => window.quill.game.startFen);
    const back = fen.split('/')[7].split(' ')[0];
    assert.equal(fen.split('/')[0], back.toLowerCase());
    const bishops = [...back].map((c, i) => (c === 'B' ? i % 2 : -1)).filter((x) => x >= 0);
    assert.deepEqual(bishops.sort(), [0, 1]);
    assert.match(back.replace(/[^RK]/g, ''), /^RKR$/);
    assert.match(await page.textContent('#summary'), /Chess960/);
    await clickMove(page, 'b2', 'b3');
    await waitPlies(page, 2, 5000);
    await clickMove(page, 'g2', 'g3');
    await waitPlies(page, 4, 5000);
    assert.ok(await page.evaluate(() => window.quill.engine.log.some((l) => /^> go wtime \d+ btime \d+ winc 1000 binc 1000$/.test(l))));
    await page.screenshot({ path: screenshotPath('chess960'), fullPage: true });
    const pgn = await page.inputValue('#pgn');
    assert.match(pgn, /\[Variant "Chess960"\]/);
    assert.ok(pgn.includes(`[FEN "${fen}"]`));
    assert.equal((await sanMoves(page)).length, 4);
}));

// The scripted opponent: mates when it can, else takes the most valuable
// piece it can, else plays a move from a fixed pseudo-random sequence.
async function scriptedMove(page, seed) {
    return page.evaluate((s) => {
        const { rules, game } = window.quill;
        const pos = game.positions.at(-1);
        const value = { '': 0, p: 1, n: 3, b: 3, r: 5, q: 9 };
        const moves = rules.legalMoves(pos).map((m) => {
            const after = rules.makeMove(pos, m);
            const mate = rules.inCheck(after) && rules.legalMoves(after).length === 0;
            return { m, score: (mate ? 100 : 0) + value[pos.board[m.to].toLowerCase()] * 10 + (m.promo === 'q' ? 8 : 0) };
        });
        const best = Math.max(...moves.map((x) => x.score));
        const top = moves.filter((x) => x.score === best);
        const m = top[s % top.length].m;
        return { from: rules.squareName(m.from), to: rules.squareName(m.to), promo: m.promo ?? null };
    }, seed);
}

test('a whole game at level 500 against a scripted opponent', () => onPage(async (page) => {
    await newGame(page, { level: '500', time: 'move:300' });
    let seed = 12345;
    for (let ply = 0; ply < 600; ply += 2) {
        await page.waitForFunction(() => window.quill.game.result || window.quill.game.positions.at(-1).turn === 'w',
            null, { timeout: 10000 });
        if (await page.evaluate(() => window.quill.game.result)) break;
        seed = (seed * 1103515245 + 12345) % 2147483648;
        const move = await scriptedMove(page, seed >> 8);
        await clickMove(page, move.from, move.to);
        if (move.promo) await page.click(`#promotion [data-promo=${move.promo}]`);
    }
    const result = await page.evaluate(() => window.quill.game.result);
    assert.ok(result, 'the game ended');
    const status = await page.textContent('#status');
    assert.match(status, /(You win|Quill wins|Draw)/);
    const pgn = await page.inputValue('#pgn');
    assert.ok(pgn.includes(`[Result "${result.result}"]`));
    assert.match(pgn, /\[Level "UCI_Elo 500"\]/);
    const chess = checkPgn(pgn, await sanMoves(page));
    if (result.reason === 'checkmate') assert.equal(chess.isCheckmate(), true);
    if (result.reason === 'stalemate') assert.equal(chess.isStalemate(), true);
    if (result.reason === 'insufficient material') assert.equal(chess.isInsufficientMaterial(), true);
    if (result.reason === 'threefold repetition') assert.equal(chess.isThreefoldRepetition(), true);
    await page.screenshot({ path: screenshotPath('game-over'), fullPage: true });
    console.log(`# level-500 game: ${result.result} by ${result.reason} after ${await plies(page)} plies`);
}));

test('playing Black: Quill opens, the board is turned, resigning ends the game', () => onPage(async (page) => {
    await newGame(page, { side: 'b', time: 'move:300' });
    await waitPlies(page, 1, 5000);
    assert.equal(await page.$eval('#board > :first-child', (e) => e.dataset.square), 'h1');
    assert.match(await page.textContent('#status'), /Your move \(Black\)/);
    // Quill's opening move is not the person's to take back.
    assert.equal(await page.isDisabled('#takeback'), true);
    await page.screenshot({ path: screenshotPath('as-black'), fullPage: true });
    await page.click('#resign');
    assert.match(await page.textContent('#status'), /Quill wins by resignation \(1-0\)/);
    assert.match(await page.inputValue('#pgn'), /\[Result "1-0"\][\s\S]*\[Termination "resignation"\][\s\S]* 1-0\n$/);
    assert.equal(await page.isDisabled('#resign'), true);
}));

test('without the isolation headers the page says which it needs', async () => {
    const plain = spawn('python3', ['-m', 'http.server', '0', '--bind', '127.0.0.1', '--directory', WEB], { stdio: ['ignore', 'pipe', 'ignore'] });
    try {
        const port = await new Promise((ok) => plain.stdout.on('data', (d) => { const m = String(d).match(/port (\d+)/); if (m) ok(m[1]); }));
        const page = await browser.context.newPage();
        await page.goto(`http://127.0.0.1:${port}/`);
        await page.waitForFunction(() => /Cross-Origin-Opener-Policy/.test(document.getElementById('status').textContent));
        assert.equal(await page.locator('[data-square]').count(), 64);
        await page.close();
    } finally {
        plain.kill();
    }
});

test('the page fits a phone-width screen', () => onPage(async (page) => {
    await clickMove(page, 'e2', 'e4');
    await waitPlies(page, 2, 5000);
    const widths = await page.evaluate(() => ({
        page: document.documentElement.scrollWidth,
        board: document.getElementById('board').getBoundingClientRect().width,
    }));
    assert.ok(widths.page <= 390, `page ${widths.page} px wide`);
    assert.ok(widths.board >= 300 && widths.board <= 390, `board ${widths.board} px wide`);
    await page.screenshot({ path: screenshotPath('phone'), fullPage: true });
}, { width: 390, height: 844 }));
