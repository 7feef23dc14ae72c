// The rules of chess for the page: positions from and to FEN (standard,
// X-FEN and Shredder-FEN castling), legal moves with Chess960 castling,
// SAN, and the ends of a game. Squares are 0 (a1) to 63 (h8); pieces are
// FEN letters, capitals for White.

export const START_FEN = 'rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1';

const FILES = 'abcdefgh';
export const squareName = (sq) => FILES[sq & 7] + (1 + (sq >> 3));
export const squareIndex = (name) => FILES.indexOf(name[0]) + 8 * (Number(name[1]) - 1);
const fileOf = (sq) => sq & 7;
const rankOf = (sq) => sq >> 3;
const colourOf = (piece) => (piece === piece.toUpperCase() ? 'w' : 'b');
const other = (side) => (side === 'w' ? 'b' : 'w');

const KNIGHT = [[1, 2], [2, 1], [2, -1], [1, -2], [-1, -2], [-2, -1], [-2, 1], [-1, 2]];
const KING = [[1, 0], [1, 1], [0, 1], [-1, 1], [-1, 0], [-1, -1], [0, -1], [1, -1]];
const ROOK_DIRS = [[1, 0], [-1, 0], [0, 1], [0, -1]];
const BISHOP_DIRS = [[1, 1], [1, -1], [-1, 1], [-1, -1]];

function step(sq, df, dr) {
    const f = fileOf(sq) + df, r = rankOf(sq) + dr;
    return f >= 0 && f < 8 && r >= 0 && r < 8 ? r * 8 + f : -1;
}

// A position: board (64 entries, a piece letter or ''), side to move,
// castling rooks (files of the rooks that may still castle, per side),
// en-passant target square (-1 for none), halfmove clock, move number.
export function parseFen(fen) {
    const parts = fen.trim().split(/\s+/);
    if (parts.length < 4) throw new Error('a FEN needs at least four fields');
    const rows = parts[0].split('/');
    if (rows.length !== 8) throw new Error('the board of a FEN needs eight ranks');
    const board = new Array(64).fill('');
    rows.forEach((row, i) => {
        let f = 0;
        for (const c of row) {
            if (/[1-8]/.test(c)) f += Number(c);
            else if (/[pnbrqkPNBRQK]/.test(c) && f < 8) board[(7 - i) * 8 + f++] = c;
            else throw new Error(`unexpected '${c}' in the board of a FEN`);
        }
        if (f !== 8) throw new Error(`rank ${8 - i} of the FEN does not have eight squares`);
    });
    for (const k of ['K', 'k'])
        if (board.filter((p) => p === k).length !== 1) throw new Error('each side needs exactly one king');
    if (!/^[wb]$/.test(parts[1])) throw new Error('the side to move must be w or b');
    const pos = {
        board, turn: parts[1], castling: { w: [], b: [] }, ep: -1,
        half: Number(parts[4] ?? 0) || 0, full: Math.max(1, Number(parts[5] ?? 1) || 1),
    };
    readCastling(pos, parts[2]);
    if (parts[3] !== '-') pos.ep = squareIndex(parts[3]);
    if (attacked(pos, kingSquare(pos, other(pos.turn)), pos.turn))
        throw new Error('the side not to move is in check');
    return pos;
}

function readCastling(pos, text) {
    if (text === '-') return;
    for (const c of text) {
        const side = c === c.toUpperCase() ? 'w' : 'b';
        const rank = side === 'w' ? 0 : 7, rook = side === 'w' ? 'R' : 'r';
        const king = kingSquare(pos, side);
        if (rankOf(king) !== rank) continue;
        let file = -1;
        const lower = c.toLowerCase();
        if (lower === 'k' || lower === 'q') {
            // The outermost rook on that wing of the king.
            const dir = lower === 'k' ? -1 : 1;
            for (let f = lower === 'k' ? 7 : 0; f !== fileOf(king); f += dir)
                if (pos.board[rank * 8 + f] === rook) { file = f; break; }
        } else if (/[a-h]/.test(lower) && pos.board[rank * 8 + FILES.indexOf(lower)] === rook) {
            file = FILES.indexOf(lower);
        }
        if (file >= 0 && !pos.castling[side].includes(file)) pos.castling[side].push(file);
    }
}

export function kingSquare(pos, side) {
    return pos.board.indexOf(side === 'w' ? 'K' : 'k');
}

// Whether the square is attacked by a piece of the side `by`.
export function attacked(pos, sq, by) {
    const b = pos.board;
    const own = (p) => p !== '' && colourOf(p) === by;
    const is = (s, kinds) => s >= 0 && own(b[s]) && kinds.includes(b[s].toLowerCase());
    const pawnRank = by === 'w' ? -1 : 1;
    if (is(step(sq, -1, pawnRank), 'p') || is(step(sq, 1, pawnRank), 'p')) return true;
    if (KNIGHT.some(([df, dr]) => is(step(sq, df, dr), 'n'))) return true;
    if (KING.some(([df, dr]) => is(step(sq, df, dr), 'k'))) return true;
    const slide = (dirs, kinds) => dirs.some(([df, dr]) => {
        for (let s = step(sq, df, dr); s >= 0; s = step(s, df, dr)) {
            if (b[s] !== '') return is(s, kinds);
        }
        return false;
    });
    return slide(ROOK_DIRS, 'rq') || slide(BISHOP_DIRS, 'bq');
}

export const inCheck = (pos) => attacked(pos, kingSquare(pos, pos.turn), other(pos.turn));

// Moves: {from, to, promo, castle ('k' or 'q'), rook (the castling rook's square)}.
// A castling move's `to` is the king's target square (g1, c1, g8, c8).
function pseudoMoves(pos) {
    const moves = [], b = pos.board, us = pos.turn;
    const add = (from, to) => {
        if (b[from].toLowerCase() === 'p' && (rankOf(to) === 0 || rankOf(to) === 7))
            for (const promo of 'qrbn') moves.push({ from, to, promo });
        else moves.push({ from, to });
    };
    for (let from = 0; from < 64; from++) {
        const p = b[from];
        if (p === '' || colourOf(p) !== us) continue;
        const kind = p.toLowerCase();
        const free = (s) => s >= 0 && (b[s] === '' || colourOf(b[s]) !== us);
        if (kind === 'p') {
            const dir = us === 'w' ? 1 : -1, startRank = us === 'w' ? 1 : 6;
            const one = step(from, 0, dir);
            if (one >= 0 && b[one] === '') {
                add(from, one);
                const two = step(one, 0, dir);
                if (rankOf(from) === startRank && b[two] === '') add(from, two);
            }
            for (const df of [-1, 1]) {
                const s = step(from, df, dir);
                if (s >= 0 && ((b[s] !== '' && colourOf(b[s]) !== us) || s === pos.ep)) add(from, s);
            }
        } else if (kind === 'n' || kind === 'k') {
            for (const [df, dr] of kind === 'n' ? KNIGHT : KING) {
                const s = step(from, df, dr);
                if (free(s)) add(from, s);
            }
        } else {
            const dirs = kind === 'r' ? ROOK_DIRS : kind === 'b' ? BISHOP_DIRS : ROOK_DIRS.concat(BISHOP_DIRS);
            for (const [df, dr] of dirs) {
                for (let s = step(from, df, dr); s >= 0; s = step(s, df, dr)) {
                    if (b[s] === '') { add(from, s); continue; }
                    if (colourOf(b[s]) !== us) add(from, s);
                    break;
                }
            }
        }
    }
    return moves.concat(castlingMoves(pos));
}

// Castling by the Chess960 rules, which include the standard ones: king and
// rook end on g and f (short) or c and d (long); every square either crosses
// or lands on is empty but for the two; the king is not in check and crosses
// and lands on no attacked square.
function castlingMoves(pos) {
    const us = pos.turn, rank = us === 'w' ? 0 : 7, king = kingSquare(pos, us);
    const moves = [];
    if (rankOf(king) !== rank || inCheck(pos)) return moves;
    for (const rookFile of pos.castling[us]) {
        const rook = rank * 8 + rookFile;
        const short = rookFile > fileOf(king);
        const kingTo = rank * 8 + (short ? 6 : 2), rookTo = rank * 8 + (short ? 5 : 3);
        const span = (a, c) => { const lo = Math.min(a, c), hi = Math.max(a, c); const r = []; for (let s = lo; s <= hi; s++) r.push(s); return r; };
        const needed = new Set(span(king, kingTo).concat(span(rook, rookTo)));
        if ([...needed].some((s) => s !== king && s !== rook && pos.board[s] !== '')) continue;
        if (span(king, kingTo).some((s) => attacked(pos, s, other(us)))) continue;
        moves.push({ from: king, to: kingTo, castle: short ? 'k' : 'q', rook });
    }
    return moves;
}

export function makeMove(pos, move) {
    const b = pos.board.slice(), us = pos.turn, piece = b[move.from];
    const next = {
        board: b, turn: other(us), ep: -1, full: pos.full + (us === 'b' ? 1 : 0),
        castling: { w: pos.castling.w.slice(), b: pos.castling.b.slice() },
        half: pos.half + 1,
    };
    const rank = us === 'w' ? 0 : 7;
    if (move.castle) {
        b[move.from] = ''; b[move.rook] = '';
        b[move.to] = piece;
        b[rank * 8 + (move.castle === 'k' ? 5 : 3)] = us === 'w' ? 'R' : 'r';
        next.castling[us] = [];
        return next;
    }
    const captured = b[move.to];
    if (piece.toLowerCase() === 'p' || captured !== '') next.half = 0;
    if (piece.toLowerCase() === 'p' && move.to === pos.ep) b[move.to + (us === 'w' ? -8 : 8)] = '';
    if (piece.toLowerCase() === 'p' && Math.abs(move.to - move.from) === 16) {
        const target = (move.from + move.to) / 2;
        const enemyPawn = us === 'w' ? 'p' : 'P';
        // The target is recorded only when an enemy pawn stands beside the
        // pawn, so that equal positions have equal FENs.
        if ([step(move.to, -1, 0), step(move.to, 1, 0)].some((s) => s >= 0 && b[s] === enemyPawn)) next.ep = target;
    }
    b[move.to] = move.promo ? (us === 'w' ? move.promo.toUpperCase() : move.promo) : piece;
    b[move.from] = '';
    if (piece.toLowerCase() === 'k') next.castling[us] = [];
    for (const side of ['w', 'b']) {
        const r = side === 'w' ? 0 : 7;
        next.castling[side] = next.castling[side].filter((f) => {
            const s = r * 8 + f;
            return s !== move.from && s !== move.to;
        });
    }
    return next;
}

export function legalMoves(pos) {
    return pseudoMoves(pos).filter((m) => {
        const after = makeMove(pos, m);
        return !attacked(after, kingSquare(after, pos.turn), after.turn);
    });
}

// Castling letters: K/Q (k/q) when the rook is the outermost on its wing,
// otherwise its file letter.
function castlingText(pos) {
    let text = '';
    for (const side of ['w', 'b']) {
        const rank = side === 'w' ? 0 : 7, rook = side === 'w' ? 'R' : 'r';
        const king = fileOf(kingSquare(pos, side));
        for (const f of pos.castling[side].slice().sort((a, c) => c - a)) {
            const outer = f > king ? [f + 1, 8] : [0, f];
            let outermost = true;
            for (let g = outer[0]; g < outer[1]; g++) if (pos.board[rank * 8 + g] === rook) outermost = false;
            const letter = outermost ? (f > king ? 'k' : 'q') : FILES[f];
            text += side === 'w' ? letter.toUpperCase() : letter;
        }
    }
    return text || '-';
}

export function toFen(pos) {
    const rows = [];
    for (let r = 7; r >= 0; r--) {
        let row = '', empty = 0;
        for (let f = 0; f < 8; f++) {
            const p = pos.board[r * 8 + f];
            if (p === '') { empty++; continue; }
            if (empty) row += empty;
            row += p; empty = 0;
        }
        rows.push(row + (empty || ''));
    }
    const ep = pos.ep >= 0 ? squareName(pos.ep) : '-';
    return `${rows.join('/')} ${pos.turn} ${castlingText(pos)} ${ep} ${pos.half} ${pos.full}`;
}

// The part of a FEN that makes positions equal for repetitions.
export const repetitionKey = (pos) => toFen(pos).split(' ').slice(0, 4).join(' ');

// Coordinate text as the engine reads and writes it: castling as the king
// taking its own rook in Chess960 (and for any non-standard set-up),
// otherwise the king's two-square move.
export function uciText(move, chess960) {
    if (move.castle && chess960) return squareName(move.from) + squareName(move.rook);
    return squareName(move.from) + squareName(move.to) + (move.promo ?? '');
}

export function fromUci(pos, text, chess960) {
    return legalMoves(pos).find((m) => uciText(m, chess960) === text || (m.castle && uciText(m, true) === text)) ?? null;
}

export function san(pos, move) {
    let text;
    const piece = pos.board[move.from].toUpperCase();
    if (move.castle) {
        text = move.castle === 'k' ? 'O-O' : 'O-O-O';
    } else if (piece === 'P') {
        const capture = fileOf(move.from) !== fileOf(move.to);
        text = (capture ? FILES[fileOf(move.from)] + 'x' : '') + squareName(move.to);
        if (move.promo) text += '=' + move.promo.toUpperCase();
    } else {
        const rivals = legalMoves(pos).filter((m) => m.to === move.to && m.from !== move.from && !m.castle &&
            pos.board[m.from].toUpperCase() === piece);
        let which = '';
        if (rivals.length) {
            if (!rivals.some((m) => fileOf(m.from) === fileOf(move.from))) which = FILES[fileOf(move.from)];
            else if (!rivals.some((m) => rankOf(m.from) === rankOf(move.from))) which = String(rankOf(move.from) + 1);
            else which = squareName(move.from);
        }
        text = piece + which + (pos.board[move.to] !== '' ? 'x' : '') + squareName(move.to);
    }
    const after = makeMove(pos, move);
    if (inCheck(after)) text += legalMoves(after).length === 0 ? '#' : '+';
    return text;
}

export function fromSan(pos, text) {
    const clean = text.replace(/[+#?!]+$/, '').replace(/0/g, 'O');
    return legalMoves(pos).find((m) => san(pos, m).replace(/[+#]$/, '') === clean) ?? null;
}

function insufficientMaterial(pos) {
    const pieces = pos.board.map((p, sq) => [p, sq]).filter(([p]) => p !== '' && p.toLowerCase() !== 'k');
    if (pieces.length === 0) return true;
    if (pieces.some(([p]) => 'pqrPQR'.includes(p))) return false;
    if (pieces.length === 1) return true;
    // Only bishops, all on squares of one colour.
    if (pieces.every(([p]) => p.toLowerCase() === 'b')) {
        const shade = (sq) => (fileOf(sq) + rankOf(sq)) % 2;
        return pieces.every(([, sq]) => shade(sq) === shade(pieces[0][1]));
    }
    return false;
}

// The end of a game, or null: {result: '1-0' | '0-1' | '1/2-1/2', reason}.
// `keys` are the repetition keys of every position of the game so far, the
// current one last.
export function gameEnd(pos, keys) {
    if (legalMoves(pos).length === 0) {
        if (inCheck(pos)) return { result: pos.turn === 'w' ? '0-1' : '1-0', reason: 'checkmate' };
        return { result: '1/2-1/2', reason: 'stalemate' };
    }
    if (insufficientMaterial(pos)) return { result: '1/2-1/2', reason: 'insufficient material' };
    const key = keys[keys.length - 1];
    if (keys.filter((k) => k === key).length >= 3) return { result: '1/2-1/2', reason: 'threefold repetition' };
    if (pos.half >= 100) return { result: '1/2-1/2', reason: 'fifty-move rule' };
    return null;
}

// The Chess960 start position of number n (0 to 959; 518 is the standard one).
export function chess960Fen(n) {
    const rank = new Array(8).fill('');
    const free = () => rank.map((p, i) => (p === '' ? i : -1)).filter((i) => i >= 0);
    rank[2 * (n % 4) + 1] = 'b'; n = Math.floor(n / 4);
    rank[2 * (n % 4)] = 'b'; n = Math.floor(n / 4);
    rank[free()[n % 6]] = 'q'; n = Math.floor(n / 6);
    const knights = [[0, 1], [0, 2], [0, 3], [0, 4], [1, 2], [1, 3], [1, 4], [2, 3], [2, 4], [3, 4]][n];
    const empty = free();
    rank[empty[knights[0]]] = 'n'; rank[empty[knights[1]]] = 'n';
    const rest = free();
    rank[rest[0]] = 'r'; rank[rest[1]] = 'k'; rank[rest[2]] = 'r';
    const back = rank.join('');
    const pos = parseFen(`${back}/pppppppp/8/8/8/8/PPPPPPPP/${back.toUpperCase()} w KQkq - 0 1`);
    return toFen(pos);
}

// Leaf counts of the legal move tree (used by the tests).
export function perft(pos, depth) {
    if (depth === 0) return 1;
    const moves = legalMoves(pos);
    if (depth === 1) return moves.length;
    return moves.reduce((n, m) => n + perft(makeMove(pos, m), depth - 1), 0);
}
