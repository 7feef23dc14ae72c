// The page: a game against Quill, which runs in a Web Worker and speaks UCI
// (quill-worker.js: one line per message each way).
import * as rules from './rules.js';

const $ = (id) => document.getElementById(id);
const PIECE_NAMES = { p: 'pawn', n: 'knight', b: 'bishop', r: 'rook', q: 'queen', k: 'king' };
const MIDDLE_LEVEL = 1100;

// ---- the engine ----------------------------------------------------------

const engine = {
    worker: null,
    // One handler per "go" sent, in order: each search answers with exactly
    // one "bestmove". A cancelled search keeps its place with a handler
    // that ignores the answer.
    answers: [],
    onInfo: null,
    waiting: [],
    // The conversation's last lines ("> " sent, "< " received), for a look
    // from the browser's console.
    log: [],
};

function remember(line) {
    engine.log.push(line);
    if (engine.log.length > 400) engine.log.splice(0, 100);
}

function send(line) {
    remember(`> ${line}`);
    engine.worker.postMessage(line);
}

// Resolves when the engine sends a line that starts with `prefix`.
function expectLine(prefix) {
    return new Promise((resolve) => engine.waiting.push({ prefix, resolve }));
}

function receive(line) {
    if (!line.includes('currmove')) remember(`< ${line}`);
    for (let i = 0; i < engine.waiting.length; i++) {
        if (line.startsWith(engine.waiting[i].prefix)) {
            engine.waiting.splice(i, 1)[0].resolve(line);
            break;
        }
    }
    if (line.startsWith('bestmove')) {
        const handler = engine.answers.shift();
        if (handler) handler(line.split(' ')[1]);
    } else if (line.startsWith('info') && line.includes(' pv ') && engine.onInfo) {
        engine.onInfo(line);
    }
}

function startEngine() {
    engine.worker = new Worker('quill-worker.js');
    engine.worker.onmessage = (event) => receive(String(event.data));
    engine.worker.onerror = () => showStatus('The engine could not be started in this browser.', true);
    send('uci');
    send('setoption name Hash value 16');
    send('setoption name UCI_ShowWDL value true');
    return expectLine('uciok');
}

// Starts a search; onBest gets the move text (or is dropped when cancelled).
function search(positionLine, goLine, onBest) {
    const entry = (move) => entry.live && onBest(move);
    entry.live = true;
    engine.answers.push(entry);
    send(positionLine);
    send(goLine);
    return entry;
}

function cancelSearch(entry) {
    if (entry && entry.live) {
        entry.live = false;
        send('stop');
    }
}

// ---- the game ------------------------------------------------------------

const game = {
    startFen: rules.START_FEN,
    chess960: false,
    positions: [],   // every position of the game, the current one last
    moves: [],       // {move, san, uci}
    person: 'w',
    level: MIDDLE_LEVEL,  // UCI_Elo, or 0 for full strength
    time: { kind: 'move', ms: 1000 },
    clock: { w: 0, b: 0, inc: 0, since: 0 },
    result: null,    // {result, reason}
    thinking: null,  // the engine's search for its move
    analysis: null,  // a search for the engine's view on the person's turn
    date: new Date(),
    number: 0,       // counts the games started on this page
};

const ui = {
    flipped: false,
    selected: -1,
    targets: [],
    drag: null,
    pendingPromotion: null,
    view: false,
    lastInfo: null,
    resultSeen: null,
};

const current = () => game.positions[game.positions.length - 1];
const engineSide = () => (game.person === 'w' ? 'b' : 'w');
const personToMove = () => !game.result && current().turn === game.person;

function levelName(level) {
    return level ? `level ${level}` : 'full strength';
}

function timeName(time) {
    if (time.kind === 'move') return `${time.ms / 1000} s a move`;
    return `${time.ms / 60000} min + ${time.inc / 1000} s`;
}

function readTime(value) {
    const [kind, a, b] = value.split(':');
    return kind === 'move' ? { kind, ms: Number(a) } : { kind, ms: Number(a) * 1000, inc: Number(b) * 1000 };
}

function positionLine() {
    const moves = game.moves.map((m) => m.uci).join(' ');
    const start = game.startFen === rules.START_FEN && !game.chess960 ? 'startpos' : `fen ${game.startFen}`;
    return `position ${start}${moves ? ` moves ${moves}` : ''}`;
}

function goLine() {
    if (game.time.kind === 'move') return `go movetime ${game.time.ms}`;
    const c = game.clock;
    const now = performance.now();
    const left = (side) => Math.max(1, Math.round(c[side] - (current().turn === side ? now - c.since : 0)));
    return `go wtime ${left('w')} btime ${left('b')} winc ${c.inc} binc ${c.inc}`;
}

// A FEN whose castling pieces stand where the standard game has them.
function standardCastling(pos) {
    for (const side of ['w', 'b']) {
        const rank = side === 'w' ? 0 : 7;
        if (pos.castling[side].length === 0) continue;
        if (rules.kingSquare(pos, side) !== rank * 8 + 4) return false;
        if (pos.castling[side].some((f) => f !== 0 && f !== 7)) return false;
    }
    return true;
}

function newGame(options) {
    let startFen = rules.START_FEN;
    if (options.fen) startFen = rules.toFen(rules.parseFen(options.fen));
    else if (options.variant === 'chess960') startFen = rules.chess960Fen(Math.floor(Math.random() * 960));
    const start = rules.parseFen(startFen);
    stopSearches();
    game.startFen = startFen;
    game.chess960 = options.variant === 'chess960' || !standardCastling(start);
    game.positions = [start];
    game.keys = [rules.repetitionKey(start)];
    game.moves = [];
    game.person = options.side === 'random' ? (Math.random() < 0.5 ? 'w' : 'b') : options.side;
    game.level = options.level;
    game.time = options.time;
    game.clock = { w: game.time.ms, b: game.time.ms, inc: game.time.inc ?? 0, since: performance.now() };
    game.result = null;
    game.date = new Date();
    game.number++;
    ui.flipped = game.person === 'b';
    ui.selected = -1;
    ui.targets = [];
    ui.lastInfo = null;
    send('ucinewgame');
    send(`setoption name UCI_Chess960 value ${game.chess960}`);
    sendLevel();
    send('isready');
    render();
    nextTurn();
}

function sendLevel() {
    send(`setoption name UCI_LimitStrength value ${game.level ? 'true' : 'false'}`);
    if (game.level) send(`setoption name UCI_Elo value ${game.level}`);
}

function stopAnalysis() {
    if (!game.analysis) return;
    cancelSearch(game.analysis);
    game.analysis = null;
    sendLevel();
}

function stopSearches() {
    cancelSearch(game.thinking);
    game.thinking = null;
    stopAnalysis();
}

function nextTurn() {
    game.clock.since = performance.now();
    game.result = game.result ?? rules.gameEnd(current(), game.keys);
    render();
    if (game.result) return;
    if (current().turn === engineSide()) engineMove();
    else if (ui.view) analyse();
}

function engineMove() {
    const pos = current();
    ui.lastInfo = null;
    engine.onInfo = (line) => showInfo(line, pos);
    game.thinking = search(positionLine(), goLine(), (text) => {
        game.thinking = null;
        const move = rules.fromUci(pos, text, game.chess960);
        if (!move) {
            showStatus(`Quill sent a move this page cannot play (${text}).`, true);
            return;
        }
        play(move);
    });
    render();
}

// The engine's view on the person's turn: a search at full strength whose
// move is not played; the level returns when it stops.
function analyse() {
    const pos = current();
    engine.onInfo = (line) => showInfo(line, pos);
    if (game.level) send('setoption name UCI_LimitStrength value false');
    game.analysis = search(positionLine(), 'go infinite', () => {});
}

function play(move) {
    const pos = current();
    const side = pos.turn;
    if (game.time.kind === 'clock') {
        const c = game.clock;
        c[side] -= performance.now() - c.since;
        if (c[side] <= 0) {
            c[side] = 0;
            game.result = { result: side === 'w' ? '0-1' : '1-0', reason: 'time' };
            render();
            return;
        }
        c[side] += c.inc;
    }
    game.moves.push({ move, san: rules.san(pos, move), uci: rules.uciText(move, game.chess960) });
    const next = rules.makeMove(pos, move);
    game.positions.push(next);
    game.keys.push(rules.repetitionKey(next));
    ui.selected = -1;
    ui.targets = [];
    nextTurn();
}

function personMove(move) {
    stopAnalysis();
    play(move);
}

// Moves the person may take back: all but a first move Quill opened with.
function takeBackLimit() {
    return game.moves.length - (game.positions[0].turn === game.person ? 0 : 1);
}

function takeBack() {
    // Back to the person's move: while Quill thinks, or after the person's
    // move ended the game, only that move goes; otherwise Quill's reply too.
    const plies = Math.min(game.thinking !== null || current().turn !== game.person ? 1 : 2, takeBackLimit());
    if (plies <= 0) return;
    stopSearches();
    for (let i = 0; i < plies; i++) {
        game.moves.pop();
        game.positions.pop();
        game.keys.pop();
    }
    game.result = null;
    ui.selected = -1;
    ui.targets = [];
    nextTurn();
}

function resign() {
    if (game.result) return;
    stopSearches();
    game.result = { result: game.person === 'w' ? '0-1' : '1-0', reason: 'resignation' };
    render();
}

// ---- the engine's view -----------------------------------------------------

function showInfo(line, pos) {
    const words = line.split(' ');
    const at = (word) => words.indexOf(word);
    const info = { depth: Number(words[at('depth') + 1]) };
    if (at('cp') > 0) info.cp = Number(words[at('cp') + 1]);
    if (at('mate') > 0) info.mate = Number(words[at('mate') + 1]);
    if (at('wdl') > 0) info.wdl = words.slice(at('wdl') + 1, at('wdl') + 4).map(Number);
    // From White's side: the engine reports the side to move's view.
    const sign = pos.turn === 'w' ? 1 : -1;
    if (info.cp !== undefined) info.cp *= sign;
    if (info.mate !== undefined) info.mate *= sign;
    if (info.wdl && sign < 0) info.wdl.reverse();
    info.line = sanLine(pos, words.slice(at('pv') + 1));
    ui.lastInfo = info;
    renderView();
}

function sanLine(pos, texts) {
    const out = [];
    let p = pos;
    for (const text of texts.slice(0, 10)) {
        const move = rules.fromUci(p, text, game.chess960);
        if (!move) break;
        const number = p.turn === 'w' ? `${p.full}. ` : out.length === 0 ? `${p.full}… ` : '';
        out.push(number + rules.san(p, move));
        p = rules.makeMove(p, move);
    }
    return out.join(' ');
}

function renderView() {
    $('view').hidden = !ui.view;
    $('evalbar').hidden = !ui.view;
    $('evalbar').classList.toggle('flipped', ui.flipped);
    $('view-toggle').setAttribute('aria-pressed', String(ui.view));
    const info = ui.lastInfo;
    if (!ui.view) return;
    if (!info) {
        $('view-score').textContent = '–';
        $('view-depth').textContent = '–';
        $('view-wdl').textContent = game.result ? 'the game is over' : 'waiting for the engine…';
        $('view-line').textContent = '–';
        return;
    }
    let white = 50;
    if (info.mate !== undefined) {
        $('view-score').textContent = `${info.mate > 0 ? 'White' : 'Black'} mates in ${Math.abs(info.mate)}`;
        white = info.mate > 0 ? 100 : 0;
    } else {
        const pawns = info.cp / 100;
        $('view-score').textContent = `${pawns > 0 ? '+' : ''}${pawns.toFixed(2)}`;
        white = 50 + 50 * (2 / (1 + Math.exp(-0.004 * info.cp)) - 1);
    }
    if (info.wdl) {
        const [w, d, l] = info.wdl.map((x) => Math.round(x / 10));
        $('view-wdl').textContent = `White wins ${w}% · draw ${d}% · Black wins ${l}%`;
    }
    $('view-depth').textContent = String(info.depth);
    $('view-line').textContent = info.line || '–';
    $('evalfill').style.height = `${Math.max(2, Math.min(98, white))}%`;
}

// ---- drawing the board ------------------------------------------------------

function buildBoard() {
    const board = $('board');
    board.textContent = '';
    for (let i = 0; i < 64; i++) {
        const row = Math.floor(i / 8), col = i % 8;
        const sq = ui.flipped ? row * 8 + (7 - col) : (7 - row) * 8 + col;
        const el = document.createElement('div');
        el.className = `square ${(sq % 8 + (sq >> 3)) % 2 ? 'light' : 'dark'}`;
        el.dataset.square = rules.squareName(sq);
        if (row === 7) el.insertAdjacentHTML('beforeend', `<span class="coord file">${rules.squareName(sq)[0]}</span>`);
        if (col === 0) el.insertAdjacentHTML('beforeend', `<span class="coord rank">${rules.squareName(sq)[1]}</span>`);
        board.appendChild(el);
    }
    board.dataset.orientation = ui.flipped ? 'black' : 'white';
}

function squareEl(sq) {
    return $('board').querySelector(`[data-square="${rules.squareName(sq)}"]`);
}

function renderBoard() {
    if ($('board').dataset.orientation !== (ui.flipped ? 'black' : 'white')) buildBoard();
    const pos = current();
    const last = game.moves.length ? game.moves[game.moves.length - 1].move : null;
    const lastSquares = last ? [last.from, last.castle ? last.rook : last.to] : [];
    const checked = rules.inCheck(pos) ? rules.kingSquare(pos, pos.turn) : -1;
    for (let sq = 0; sq < 64; sq++) {
        const el = squareEl(sq);
        const piece = pos.board[sq];
        let pieceEl = el.querySelector('piece');
        if (piece === '') {
            if (pieceEl) pieceEl.remove();
        } else {
            if (!pieceEl) {
                pieceEl = document.createElement('piece');
                el.appendChild(pieceEl);
            }
            pieceEl.className = `${PIECE_NAMES[piece.toLowerCase()]} ${piece === piece.toUpperCase() ? 'white' : 'black'}`;
            pieceEl.dataset.piece = piece;
        }
        el.classList.toggle('last', lastSquares.includes(sq) || Boolean(last?.castle && sq === last.to));
        el.classList.toggle('selected', sq === ui.selected);
        el.classList.toggle('target', ui.targets.some((m) => m.to === sq || (game.chess960 && m.castle && m.rook === sq)));
        el.classList.toggle('occupied', piece !== '');
        el.classList.toggle('check', sq === checked);
    }
}

function renderMoves() {
    const box = $('moves');
    box.textContent = '';
    const first = game.positions[0];
    game.moves.forEach((m, i) => {
        const pos = game.positions[i];
        if (pos.turn === 'w' || i === 0) {
            const num = document.createElement('span');
            num.className = 'num';
            num.dataset.n = String(pos.full);
            box.appendChild(num);
            if (pos.turn === 'b') box.appendChild(document.createElement('span'));
        }
        const span = document.createElement('span');
        span.className = 'move';
        span.textContent = m.san;
        if (i === game.moves.length - 1) span.classList.add('current');
        box.appendChild(span);
        box.appendChild(document.createTextNode(' '));
    });
    if (first && game.moves.length) box.parentElement.scrollTop = box.parentElement.scrollHeight;
}

const REASONS = {
    checkmate: 'checkmate', stalemate: 'stalemate', 'threefold repetition': 'threefold repetition',
    'fifty-move rule': 'fifty-move rule', 'insufficient material': 'insufficient material',
    resignation: 'resignation', time: 'time',
};

function resultText(r) {
    if (r.result === '1/2-1/2') return `Draw by ${REASONS[r.reason]} (½-½)`;
    const winner = r.result === '1-0' ? 'w' : 'b';
    const who = winner === game.person ? 'You win' : 'Quill wins';
    const how = r.reason === 'checkmate' ? 'by checkmate' : r.reason === 'time' ? 'on time' : 'by resignation';
    return `${who} ${how} (${r.result})`;
}

function showStatus(text, over) {
    $('status').textContent = text;
    $('status').classList.toggle('over', Boolean(over));
}

function renderStatus() {
    if (game.result) showStatus(resultText(game.result), true);
    else if (personToMove()) showStatus(`Your move (${game.person === 'w' ? 'White' : 'Black'})${rules.inCheck(current()) ? ': check!' : ''}`);
    else showStatus('Quill is thinking…');
    const variant = game.chess960 ? 'Chess960' : 'standard chess';
    $('summary').textContent = `${variant}, Quill at ${levelName(game.level)}, ${timeName(game.time)}`;
    $('takeback').disabled = takeBackLimit() <= 0;
    $('resign').disabled = Boolean(game.result);
}

function formatClock(ms) {
    const s = Math.max(0, Math.ceil(ms / 1000));
    const text = `${Math.floor(s / 60)}:${String(s % 60).padStart(2, '0')}`;
    return ms < 10000 && ms > 0 ? `${Math.floor(ms / 1000)}.${Math.floor((ms % 1000) / 100)}` : text;
}

function renderClocks() {
    const onClock = game.time.kind === 'clock';
    for (const [id, side] of [['clock-top', ui.flipped ? 'w' : 'b'], ['clock-bottom', ui.flipped ? 'b' : 'w']]) {
        const el = $(id);
        el.hidden = !onClock;
        if (!onClock) continue;
        const running = !game.result && current().turn === side;
        const left = game.clock[side] - (running ? performance.now() - game.clock.since : 0);
        const name = side === game.person ? 'You' : 'Quill';
        el.innerHTML = `<span class="name">${name} (${side === 'w' ? 'White' : 'Black'})</span><span>${formatClock(left)}</span>`;
        el.classList.toggle('running', running);
        el.classList.toggle('low', left < 10000);
        if (running && left <= 0 && side === game.person) {
            stopSearches();
            game.clock[side] = 0;
            game.result = { result: side === 'w' ? '0-1' : '1-0', reason: 'time' };
            render();
        }
    }
}

function render() {
    // At the end of a game the new-game form opens once, ready for the next.
    if (game.result && ui.resultSeen !== game.result) $('setup').open = true;
    ui.resultSeen = game.result;
    renderBoard();
    renderMoves();
    renderStatus();
    renderClocks();
    renderView();
    $('pgn').value = pgn();
}

// ---- moving pieces -----------------------------------------------------------

function selectSquare(sq) {
    ui.selected = sq;
    ui.targets = rules.legalMoves(current()).filter((m) => m.from === sq);
    renderBoard();
}

function clearSelection() {
    ui.selected = -1;
    ui.targets = [];
    renderBoard();
}

// The move of the selected piece to sq (a castling king may go to its
// target square or onto its own rook), or null.
function movesTo(sq) {
    return ui.targets.filter((m) => m.to === sq || (m.castle && m.rook === sq));
}

function tryMove(sq) {
    const moves = movesTo(sq);
    if (moves.length === 0) return false;
    if (moves[0].promo) {
        askPromotion(moves);
        return true;
    }
    // A Chess960 king next to its rook: the rook square means castling.
    const castle = moves.find((m) => m.castle && m.rook === sq);
    personMove(castle ?? moves[0]);
    return true;
}

function askPromotion(moves) {
    ui.pendingPromotion = moves;
    const colour = game.person === 'w' ? 'white' : 'black';
    for (const btn of document.querySelectorAll('#promotion [data-promo]'))
        btn.querySelector('piece').className = `${PIECE_NAMES[btn.dataset.promo]} ${colour}`;
    $('promotion').hidden = false;
}

function finishPromotion(letter) {
    const moves = ui.pendingPromotion;
    ui.pendingPromotion = null;
    $('promotion').hidden = true;
    const move = moves && moves.find((m) => m.promo === letter);
    if (move && personToMove()) personMove(move);
    else clearSelection();
}

function squareAt(x, y) {
    const el = document.elementFromPoint(x, y)?.closest('[data-square]');
    return el && $('board').contains(el) ? rules.squareIndex(el.dataset.square) : -1;
}

function ownPiece(sq) {
    const p = current().board[sq];
    return p !== '' && (p === p.toUpperCase() ? 'w' : 'b') === game.person;
}

function onPointerDown(event) {
    if (event.button !== 0 || !personToMove() || ui.pendingPromotion) return;
    const sq = squareAt(event.clientX, event.clientY);
    if (sq < 0) return;
    event.preventDefault();
    if (ui.selected >= 0 && sq !== ui.selected && movesTo(sq).length && !(ownPiece(sq) && !movesTo(sq).some((m) => m.castle))) {
        tryMove(sq);
        return;
    }
    if (!ownPiece(sq)) {
        clearSelection();
        return;
    }
    const again = sq === ui.selected;
    selectSquare(sq);
    const pieceEl = squareEl(sq).querySelector('piece');
    const rect = squareEl(sq).getBoundingClientRect();
    ui.drag = { from: sq, again, pieceEl, ghost: null, startX: event.clientX, startY: event.clientY, size: rect.width };
    $('board').setPointerCapture(event.pointerId);
}

function onPointerMove(event) {
    const drag = ui.drag;
    if (!drag) return;
    const moved = Math.hypot(event.clientX - drag.startX, event.clientY - drag.startY) > 4;
    if (!drag.ghost && moved) {
        drag.ghost = drag.pieceEl.cloneNode();
        drag.ghost.classList.add('ghost');
        drag.ghost.style.width = drag.ghost.style.height = `${drag.size}px`;
        $('board').appendChild(drag.ghost);
        drag.pieceEl.classList.add('dragging');
    }
    if (drag.ghost) {
        drag.ghost.style.left = `${event.clientX - drag.size / 2}px`;
        drag.ghost.style.top = `${event.clientY - drag.size / 2}px`;
        for (const el of document.querySelectorAll('.square.hover')) el.classList.remove('hover');
        const over = squareAt(event.clientX, event.clientY);
        if (over >= 0 && movesTo(over).length) squareEl(over).classList.add('hover');
    }
}

function onPointerUp(event) {
    const drag = ui.drag;
    if (!drag) return;
    ui.drag = null;
    if (drag.ghost) drag.ghost.remove();
    drag.pieceEl?.classList.remove('dragging');
    for (const el of document.querySelectorAll('.square.hover')) el.classList.remove('hover');
    const sq = squareAt(event.clientX, event.clientY);
    if (sq === drag.from) {
        // A click on the selected piece a second time puts it down.
        if (drag.again && !drag.ghost) clearSelection();
        return;
    }
    if (sq >= 0 && tryMove(sq)) return;
}

// ---- PGN -----------------------------------------------------------------------

function pgnDate(d) {
    return `${d.getFullYear()}.${String(d.getMonth() + 1).padStart(2, '0')}.${String(d.getDate()).padStart(2, '0')}`;
}

function pgn() {
    const quill = `Quill (${levelName(game.level)})`;
    const result = game.result ? game.result.result : '*';
    // PGN's forms: "seconds+increment" for a clock, "moves/seconds" for a
    // fixed time each move.
    const tc = game.time.kind === 'clock' ? `${game.time.ms / 1000}+${game.time.inc / 1000}` : `1/${game.time.ms / 1000}`;
    const headers = [
        ['Event', 'Game against Quill'], ['Site', 'Quill in a web page'], ['Date', pgnDate(game.date)], ['Round', '-'],
        ['White', game.person === 'w' ? 'You' : quill], ['Black', game.person === 'b' ? 'You' : quill],
        ['Result', result], ['Level', game.level ? `UCI_Elo ${game.level}` : 'full strength'],
        ['TimeControl', tc],
    ];
    if (game.chess960) headers.push(['Variant', 'Chess960']);
    if (game.startFen !== rules.START_FEN) headers.push(['SetUp', '1'], ['FEN', game.startFen]);
    if (game.result) headers.push(['Termination', game.result.reason]);
    const tokens = [];
    game.moves.forEach((m, i) => {
        const pos = game.positions[i];
        if (pos.turn === 'w') tokens.push(`${pos.full}.`);
        else if (i === 0) tokens.push(`${pos.full}...`);
        tokens.push(m.san);
    });
    tokens.push(result);
    const lines = [];
    let line = '';
    for (const t of tokens) {
        if (line && line.length + 1 + t.length > 79) { lines.push(line); line = t; }
        else line = line ? `${line} ${t}` : t;
    }
    lines.push(line);
    const escape = (s) => String(s).replace(/\\/g, '\\\\').replace(/"/g, '\\"');
    return `${headers.map(([k, v]) => `[${k} "${escape(v)}"]`).join('\n')}\n\n${lines.join('\n')}\n`;
}

async function copyPgn() {
    const text = pgn();
    try {
        await navigator.clipboard.writeText(text);
    } catch {
        $('pgn').select();
        document.execCommand('copy');
    }
    $('copied').hidden = false;
    setTimeout(() => { $('copied').hidden = true; }, 1500);
}

function downloadPgn() {
    const url = URL.createObjectURL(new Blob([pgn()], { type: 'application/x-chess-pgn' }));
    const a = document.createElement('a');
    a.href = url;
    a.download = `quill-${pgnDate(game.date).replace(/\./g, '-')}.pgn`;
    document.body.appendChild(a);
    a.click();
    a.remove();
    setTimeout(() => URL.revokeObjectURL(url), 1000);
}

// ---- start -----------------------------------------------------------------------

function readSetup() {
    const level = $('level').value;
    return {
        side: $('side').value,
        level: level === 'full' ? 0 : Number(level),
        time: readTime($('time').value),
        variant: $('variant').value,
        fen: $('fen').value.trim(),
    };
}

function wire() {
    for (let elo = 500; elo <= 1700; elo += 100) {
        const label = elo === MIDDLE_LEVEL ? `${elo} (middle)` : String(elo);
        $('level').add(new Option(label, String(elo), elo === MIDDLE_LEVEL, elo === MIDDLE_LEVEL));
    }
    $('level').add(new Option('Full strength (1800)', 'full'));
    const board = $('board');
    board.addEventListener('pointerdown', onPointerDown);
    board.addEventListener('pointermove', onPointerMove);
    board.addEventListener('pointerup', onPointerUp);
    board.addEventListener('pointercancel', onPointerUp);
    for (const btn of document.querySelectorAll('#promotion [data-promo]'))
        btn.addEventListener('click', () => finishPromotion(btn.dataset.promo));
    $('promotion-cancel').addEventListener('click', () => finishPromotion(null));
    $('flip').addEventListener('click', () => { ui.flipped = !ui.flipped; render(); });
    $('takeback').addEventListener('click', takeBack);
    $('resign').addEventListener('click', resign);
    $('view-toggle').addEventListener('click', () => {
        ui.view = !ui.view;
        if (ui.view && personToMove() && !game.analysis) analyse();
        if (!ui.view) stopAnalysis();
        renderView();
    });
    $('copy-pgn').addEventListener('click', copyPgn);
    $('download-pgn').addEventListener('click', downloadPgn);
    $('setup-form').addEventListener('submit', (event) => {
        event.preventDefault();
        const options = readSetup();
        try {
            newGame(options);
            $('setup-error').hidden = true;
            $('setup').open = false;
        } catch (error) {
            $('setup-error').textContent = `That FEN cannot start a game: ${error.message}.`;
            $('setup-error').hidden = false;
        }
    });
    setInterval(() => { if (game.time.kind === 'clock' && !game.result) renderClocks(); }, 100);
}

function main() {
    wire();
    buildBoard();
    if (!self.crossOriginIsolated) {
        showStatus('This page must be served with the headers Cross-Origin-Opener-Policy: same-origin and ' +
            'Cross-Origin-Embedder-Policy: require-corp (make web-serve sends them).', true);
        return;
    }
    const ready = startEngine();
    newGame({ side: 'w', level: MIDDLE_LEVEL, time: { kind: 'move', ms: 1000 }, variant: 'standard' });
    ready.then(() => { document.body.dataset.engine = 'ready'; });
    // The hooks for tests and curious users: the engine worker and the game.
    window.quill = { engine, game, send, rules };
}

main();
