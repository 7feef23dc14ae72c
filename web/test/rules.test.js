// The page's rules code against known perft counts (standard and Chess960),
// and its SAN and game ends on worked examples; PGN text is checked against
// chess.js, an independent implementation.
import test from 'node:test';
import assert from 'node:assert/strict';
import * as rules from '../page/rules.js';

test('perft counts of the rules code', () => {
    const cases = [
        [rules.START_FEN, 4, 197281],
        ['r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1', 3, 97862],
        ['8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1', 4, 43238],
        ['r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1', 3, 9467],
        ['bqnb1rkr/pp3ppp/3ppn2/2p5/5P2/P2P4/NPP1P1PP/BQ1BNRKR w HFhf - 2 9', 3, 12189],
        ['2nnrbkr/p1qppppp/8/1ppb4/6PP/3PP3/PPP2P2/BQNNRBKR w HEhe - 1 9', 3, 18002],
    ];
    for (const [fen, depth, count] of cases) assert.equal(rules.perft(rules.parseFen(fen), depth), count, fen);
});

test('SAN, FEN round trip, Chess960 starts and game ends', () => {
    const pos = rules.parseFen('r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1');
    const sans = rules.legalMoves(pos).map((m) => rules.san(pos, m));
    for (const s of ['O-O', 'O-O-O', 'Nxf7', 'Qxf6', 'Bxa6', 'dxe6', 'Qxh3', 'Nxg6', 'Nc6', 'Rb1']) assert.ok(sans.includes(s), s);
    assert.equal(rules.toFen(rules.parseFen('bqnb1rkr/pp3ppp/3ppn2/2p5/5P2/P2P4/NPP1P1PP/BQ1BNRKR w HFhf - 2 9')),
        'bqnb1rkr/pp3ppp/3ppn2/2p5/5P2/P2P4/NPP1P1PP/BQ1BNRKR w KQkq - 2 9');
    assert.equal(rules.chess960Fen(518), rules.START_FEN);
    assert.equal(rules.chess960Fen(0).split(' ')[0], 'bbqnnrkr/pppppppp/8/8/8/8/PPPPPPPP/BBQNNRKR');
    // Fool's mate, a stalemate, bare kings and a threefold repetition.
    let p = rules.parseFen(rules.START_FEN);
    for (const s of ['f3', 'e5', 'g4', 'Qh4#']) p = rules.makeMove(p, rules.fromSan(p, s));
    assert.deepEqual(rules.gameEnd(p, [rules.repetitionKey(p)]), { result: '0-1', reason: 'checkmate' });
    p = rules.parseFen('7k/5Q2/6K1/8/8/8/8/8 b - - 0 1');
    assert.equal(rules.gameEnd(p, [rules.repetitionKey(p)]).reason, 'stalemate');
    p = rules.parseFen('8/8/4k3/8/8/2B5/4K3/8 w - - 0 1');
    assert.equal(rules.gameEnd(p, [rules.repetitionKey(p)]).reason, 'insufficient material');
    p = rules.parseFen(rules.START_FEN);
    const keys = [rules.repetitionKey(p)];
    for (const s of ['Nf3', 'Nf6', 'Ng1', 'Ng8', 'Nf3', 'Nf6', 'Ng1', 'Ng8']) {
        assert.equal(rules.gameEnd(p, keys), null);
        p = rules.makeMove(p, rules.fromSan(p, s));
        keys.push(rules.repetitionKey(p));
    }
    assert.equal(rules.gameEnd(p, keys).reason, 'threefold repetition');
    // The fifty-move rule: the hundredth quiet half-move ends the game.
    p = rules.parseFen('8/8/4k3/8/8/2R5/4K3/8 w - - 99 80');
    assert.equal(rules.gameEnd(p, [rules.repetitionKey(p)]), null);
    p = rules.makeMove(p, rules.fromSan(p, 'Rc4'));
    assert.deepEqual(rules.gameEnd(p, [rules.repetitionKey(p)]), { result: '1/2-1/2', reason: 'fifty-move rule' });
});
