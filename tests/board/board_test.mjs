// tests/board/board_test.mjs - the world board, as a client meets it: the
// real lantern-vault-board over real HTTP on 127.0.0.1, its rounds played
// again by the game's own program. Real rounds come back ranked with the
// board's own scores; a round edited in any way that matters, damaged, too
// big, sent under another's name or too often is refused with its reason;
// and no round the board acknowledged is lost to kill -9.
//
//   node --test tests/board/
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { connect } from 'node:net';
import { join } from 'node:path';
import { after, before, describe, test } from 'node:test';

import {
  decided, floatBits, kBuild, randomKey, readReplay, removeFolder, request, send, soakRounds, startBoard, submission,
  temporaryFolder, writeReplay,
} from './board.mjs';

let folder, rounds;

before(() => {
  folder = temporaryFolder('board-test');
  rounds = soakRounds(folder, 40);
});

after(() => removeFolder(folder));

// Sends `text` as it is on a connection of its own; the answer's status line and body.
function raw(board, text, { end = true } = {}) {
  const { hostname, port } = new URL(board.url);
  return new Promise((resolve) => {
    const socket = connect(Number(port), hostname);
    let got = '';
    socket.on('data', (d) => { got += d; });
    socket.on('close', () => resolve(got));
    socket.on('error', () => resolve(got));
    socket.write(text);
    if (end) socket.end();
  });
}

describe('the world board', () => {
  test('real rounds come back ranked with the board\'s own scores, each name once, and a copy answers its row', async () => {
    const data = temporaryFolder('board-ranked');
    const board = await startBoard(data, ['--rate-limit', '100000000', '--verifiers', '2']);
    try {
      const a = randomKey(), b = randomKey();
      // Two players, five rounds each, of every variant the soak played.
      const mine = rounds.slice(0, 10);
      const sent = [];
      for (const [i, round] of mine.entries()) {
        const { status, body } = await send(board, i % 2 ? 'Ｆｅｒｎ' : 'Moss.walker', i % 2 ? b : a, round.bytes);
        assert.ok(status === 201 || status === 202, `${round.name}: ${status} ${JSON.stringify(body)}`);
        const row = status === 201 ? body : await decided(board, body.id);
        assert.equal(row.status, 'accepted', JSON.stringify(row));
        assert.equal(row.score, round.score, `${round.name}: the board's own score is the game's`);
        assert.equal(row.updates, round.updates);
        sent.push({ ...round, id: row.id, player: i % 2 ? 'Fern' : 'Moss.walker' });
      }
      assert.equal((await request(board, `/api/rounds/${sent[1].id}`)).body.name, 'Fern', 'full-width letters fold');

      for (const variant of [1, 2, 3]) {
        const { status, body } = await request(board, `/api/boards/${variant}?limit=100`);
        assert.equal(status, 200);
        const best = {};
        for (const r of sent.filter((r) => r.variant === variant)) {
          const was = best[r.player];
          if (!was || r.score > was.score || (r.score === was.score && r.updates < was.updates)) best[r.player] = r;
        }
        const expected = Object.values(best).sort((x, y) => y.score - x.score || x.updates - y.updates || x.id - y.id);
        assert.equal(body.total, expected.length);
        assert.deepEqual(body.rows.map((r) => [r.rank, r.name, r.score, r.updates, r.id]),
                         expected.map((r, i) => [i + 1, r.player, r.score, r.updates, r.id]), `board ${variant}`);
      }
      const player = await request(board, '/api/players/moss.WALKER');
      assert.equal(player.status, 200);
      assert.equal(player.body.name, 'Moss.walker');
      const replay = await fetch(`${board.url}api/rounds/${sent[0].id}/replay`);
      assert.equal(replay.headers.get('content-type'), 'application/octet-stream');
      assert.deepEqual(Buffer.from(await replay.arrayBuffer()), sent[0].bytes);

      // The same round from someone else, and with another version text: its row.
      const copy = await send(board, 'Thief', randomKey(), sent[0].bytes);
      assert.equal(copy.status, 200);
      assert.equal(copy.body.id, sent[0].id);
      const relabelled = writeReplay({ ...readReplay(sent[2].bytes), version: '9.9.9' });
      const other = await send(board, 'Another', randomKey(), relabelled);
      assert.equal(other.status, 200, JSON.stringify(other.body));
      assert.equal(other.body.id, sent[2].id);
      assert.equal(other.body.name, sent[2].player);

      // Every answer says what it is and allows any origin; a preflight is answered.
      const health = await request(board, '/api/health');
      assert.equal(health.status, 200);
      assert.equal(health.headers.get('x-content-type-options'), 'nosniff');
      assert.equal(health.headers.get('access-control-allow-origin'), '*');
      const preflight = await fetch(`${board.url}api/rounds`, { method: 'OPTIONS' });
      assert.equal(preflight.status, 204);
      assert.match(preflight.headers.get('access-control-allow-methods'), /POST/);
      assert.equal((await request(board, '/api/boards/1', { method: 'POST', body: '{}' })).status, 405);
      assert.equal((await request(board, '/api/elsewhere')).status, 404);
    } finally {
      const { code } = await board.stop();
      assert.equal(code, 0, 'SIGTERM ends the board with 0');
      removeFolder(data);
    }
  });

  test('rounds no game can have, damaged bytes, another key and big bodies are refused, each with its reason', async () => {
    const data = temporaryFolder('board-refused');
    const board = await startBoard(data, ['--rate-limit', '100000000', '--verifiers', '1']);
    try {
      const key = randomKey();
      const scoring = rounds.find((r) => r.score > 0) || rounds[0];
      const r = readReplay(scoring.bytes);
      // The score edited, the checksum made right again: played again, it ends otherwise.
      const richer = await send(board, 'Cheat', key, writeReplay({ ...r, score: r.score + 500 }));
      let refusal = richer.status === 422 ? richer.body.error : null;
      if (richer.status === 202) {
        const row = await decided(board, richer.body.id);
        assert.equal(row.status, 'refused');
        refusal = row.reason;
      }
      assert.match(refusal || `answered ${richer.status}`, /does not end as it claims/);
      // A start no game has: a screen wider than the fit of any window.
      const wide = await send(board, 'Cheat', key, writeReplay({ ...r, fields: r.fields.map((f, i) => (i === 0 ? floatBits(900) : f)) }));
      assert.equal(wide.status, 422);
      assert.match(wide.body.error, /bb_Zanth_jscrw/);
      const overscanned = await send(board, 'Cheat', key, writeReplay({ ...r, fields: r.fields.map((f, i) => (i === 16 ? floatBits(64) : f)) }));
      assert.equal(overscanned.status, 422);
      assert.match(overscanned.body.error, /bb_Zanth_overscan/);
      // Recorded by another game: this board plays its own version only.
      const { body: { game } } = await request(board, '/api/health');
      const older = await send(board, 'Cheat', key, writeReplay({ ...readReplay(rounds[5].bytes), version: '0.9' }));
      assert.equal(older.status, 422);
      assert.match(older.body.error, new RegExp(`this board plays version ${game.replace(/\./g, '\\.')}`));

      // Damaged bytes: the line --verify prints.
      const damaged = Buffer.from(rounds[6].bytes);
      damaged[damaged.length >> 1] ^= 4;
      const broken = await send(board, 'Cheat', key, damaged);
      assert.equal(broken.status, 400);
      assert.match(broken.body.error, /checksum/);
      for (const [body, reason] of [['{', /JSON/], ['{"name": "x", "key": "short", "replay": ""}', /key/],
                                   [submission('a\u202eb', key, rounds[6].bytes), /U\+202E/],
                                   [submission('x'.repeat(17), key, rounds[6].bytes), /longer than 16/]]) {
        const answer = await request(board, '/api/rounds', { method: 'POST', body, headers: { 'Content-Type': 'application/json' } });
        assert.equal(answer.status, 400, body);
        assert.match(answer.body.error, reason);
      }

      // A name belongs to the key that sent its first round.
      const first = await send(board, 'Owner', key, rounds[7].bytes);
      assert.ok([201, 202].includes(first.status), JSON.stringify(first.body));
      const taken = await send(board, 'OWNER', randomKey(), rounds[8].bytes);
      assert.equal(taken.status, 403);
      assert.match(taken.body.error, /belongs to another/);

      // A body over the limit is refused from its length, before it is sent.
      const big = await raw(board, 'POST /api/rounds HTTP/1.1\r\nHost: x\r\nContent-Type: application/json\r\n' +
                                   'Content-Length: 999999999\r\n\r\n', { end: false });
      assert.match(big, /^HTTP\/1\.1 413 /);
      assert.match(big, /the body is over \d+ MiB/);
    } finally {
      await board.stop();
      removeFolder(data);
    }
  });

  test('a flood from one address is answered 429 with when to come back, and idle connections hold no one up', async () => {
    const data = temporaryFolder('board-flood');
    // A minute's allowance is the first two rounds; the ones after wait for it to refill.
    const cost = (round) => Math.max(round.updates, 600);
    const board = await startBoard(data, ['--rate-limit', String(cost(rounds[10]) + cost(rounds[11])), '--verifiers', '1']);
    const idle = [];
    try {
      const key = randomKey();
      const answers = [];
      for (const round of rounds.slice(10, 16)) answers.push(await send(board, 'Flood', key, round.bytes));
      const refused = answers.filter((a) => a.status === 429);
      assert.ok(refused.length >= 3, answers.map((a) => a.status).join(' '));
      assert.match(refused[0].body.error, /try again in \d+ seconds/);
      assert.ok(Number(refused[0].headers.get('retry-after')) >= 1);

      // 500 connections that send nothing, and 20 that send a byte now and then.
      const { hostname, port } = new URL(board.url);
      for (let i = 0; i < 520; ++i) {
        const s = connect(Number(port), hostname);
        s.on('error', () => {});
        if (i >= 500) s.write('GET /api/heal');
        idle.push(s);
      }
      await new Promise((r) => setTimeout(r, 300));
      const started = Date.now();
      const read = await request(board, '/api/boards/2');
      assert.equal(read.status, 200);
      assert.ok(Date.now() - started < 2000, `a board read took ${Date.now() - started} ms beside them`);
    } finally {
      for (const s of idle) s.destroy();
      await board.stop();
      removeFolder(data);
    }
  });

  test('an operator blocks an address, frees a name and removes a round while the board runs, the client named by a trusted proxy', async () => {
    const data = temporaryFolder('board-admin');
    const board = await startBoard(data, ['--rate-limit', '100000000', '--verifiers', '1', '--trust-proxy', '127.0.0.1']);
    const admin = (...args) => spawnSync(join(kBuild, 'lantern-vault-board'), ['admin', '--data', data, ...args], { encoding: 'utf8' });
    try {
      const key = randomKey();
      const sendFrom = (address, round, name = 'Admin', k = key) => request(board, '/api/rounds', {
        method: 'POST', body: submission(name, k, round.bytes),
        headers: { 'Content-Type': 'application/json', 'X-Forwarded-For': `198.51.100.9, ${address}` },
      });
      assert.equal(admin('block', '203.0.113.7').status, 0);
      // Within a second the board follows; the last address the proxy saw is the client's.
      let blocked;
      for (let i = 0; i < 30 && blocked?.status !== 403; ++i) {
        blocked = await sendFrom('203.0.113.7', rounds[20]);
        await new Promise((r) => setTimeout(r, 100));
      }
      assert.equal(blocked.status, 403);
      assert.match(blocked.body.error, /may not send rounds/);
      const other = await sendFrom('203.0.113.8', rounds[20]);
      assert.ok([201, 202].includes(other.status), JSON.stringify(other.body));
      const row = other.status === 201 ? other.body : await decided(board, other.body.id);

      // Freed, the name takes another key; a removed round leaves the board.
      assert.equal(admin('free', 'ADMIN').status, 0);
      const newKey = randomKey();
      const taken = await sendFrom('203.0.113.8', rounds[21], 'admin', newKey);
      assert.ok([201, 202].includes(taken.status), JSON.stringify(taken.body));
      assert.equal(admin('remove', String(row.id)).status, 0);
      let gone;
      for (let i = 0; i < 30 && gone?.status !== 404; ++i) {
        gone = await request(board, `/api/rounds/${row.id}`);
        await new Promise((r) => setTimeout(r, 100));
      }
      assert.equal(gone.status, 404);
      assert.equal(admin('remove', String(row.id)).status, 1, 'a round removed twice is not there');
    } finally {
      await board.stop();
      removeFolder(data);
    }
  });

  test('SIGTERM answers every request under way and exits 0; the rounds it took are played after a restart', async () => {
    const data = temporaryFolder('board-stopped');
    let board = await startBoard(data, ['--rate-limit', '100000000', '--verifiers', '1']);
    try {
      const key = randomKey();
      const burst = rounds.slice(30, 40);
      const sent = burst.map((round) => send(board, 'Stopper', key, round.bytes));
      const answers = Promise.all(sent);
      // Once one is answered, the others are with the board, waiting behind it.
      await Promise.race(sent);
      const { code } = await board.stop('SIGTERM');
      assert.equal(code, 0, board.errors());
      const taken = (await answers).filter((a) => [201, 202].includes(a.status));
      assert.equal(taken.length, burst.length, 'every request under way was answered');
      board = await startBoard(data, ['--rate-limit', '100000000', '--verifiers', '1']);
      for (const a of taken) assert.equal((await decided(board, a.body.id)).status, 'accepted');
    } finally {
      await board.stop();
      removeFolder(data);
    }
  });

  test('kill -9 in a burst of rounds loses none that was answered 201 or 202, and a round cut off is whole or absent', async () => {
    const data = temporaryFolder('board-killed');
    let board = await startBoard(data, ['--rate-limit', '100000000', '--verifiers', '1']);
    const burst = rounds.slice(16, 40);
    const key = randomKey();
    const answers = new Array(burst.length);
    try {
      // All at once; the board dies when a third of them are answered.
      let answered = 0;
      const killed = new Promise((resolve) => {
        burst.forEach((round, i) => {
          send(board, 'Burst', key, round.bytes).then((a) => { answers[i] = a; }, () => { answers[i] = null; }).finally(() => {
            if (++answered === Math.ceil(burst.length / 3)) { board.child.kill('SIGKILL'); resolve(); }
          });
        });
      });
      await killed;
      await board.exited;
      await new Promise((r) => setTimeout(r, 300));
      const taken = answers.map((a, i) => [a, i]).filter(([a]) => a && [201, 202].includes(a.status));
      assert.ok(taken.length >= 1, 'some were answered before the kill');

      board = await startBoard(data, ['--rate-limit', '100000000', '--verifiers', '1']);
      for (const [a, i] of taken) {
        const row = await decided(board, a.body.id);
        assert.equal(row.status, 'accepted', `${burst[i].name}: ${JSON.stringify(row)}`);
        assert.equal(row.score, burst[i].score);
      }
      // Every other round is either there whole (its row) or not at all (taken now).
      for (const [i, round] of burst.entries()) {
        if (taken.some(([, j]) => j === i)) continue;
        const again = await send(board, 'Burst', key, round.bytes);
        assert.ok([200, 201, 202].includes(again.status), `${round.name}: ${again.status} ${JSON.stringify(again.body)}`);
        const row = again.body.status === 'accepted' ? again.body : await decided(board, again.body.id);
        assert.equal(row.status, 'accepted', `${round.name}: ${JSON.stringify(row)}`);
      }
    } finally {
      await board.stop('SIGKILL');
      removeFolder(data);
    }
  });
});
