// tests/board/board.mjs - what the board's tests share: the real board,
// started in a folder of its own on a free port of 127.0.0.1, real rounds
// from the desktop build's soak player, and replay files taken apart and
// put together again as the game writes them.
//
// LANTERN_BUILD names the build (default build/).
import assert from 'node:assert/strict';
import { spawn, spawnSync } from 'node:child_process';
import { mkdtempSync, readdirSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { fileURLToPath } from 'node:url';

export const kBuild = process.env.LANTERN_BUILD || fileURLToPath(new URL('../../build', import.meta.url));
const kBoard = join(kBuild, 'lantern-vault-board');
const kGame = join(kBuild, 'lantern-vault');
const kEnv = { ...process.env, ALSOFT_DRIVERS: 'null' };

export function temporaryFolder(name) {
  return mkdtempSync(join(tmpdir(), `lantern-${name}-`));
}

// Rounds the soak's random player finished, checked by the game's own
// --verify: { name, bytes, score, updates, variant }, `count` of them at least.
export function soakRounds(folder, count, seeds = [3, 4, 5, 6, 7, 8]) {
  const rounds = [];
  for (const seed of seeds) {
    const kept = join(folder, `rounds-${seed}`);
    const soak = spawnSync(join(kBuild, 'tools/soak/soak'), ['--seed', String(seed), '--updates', '30000', '--keep-rounds', kept],
                           { encoding: 'utf8', env: kEnv });
    assert.equal(soak.status, 0, soak.stdout + soak.stderr);
    const files = readdirSync(kept).map((name) => join(kept, name));
    const verified = spawnSync(kGame, ['--verify', ...files], { encoding: 'utf8', env: kEnv });
    for (const line of verified.stdout.trim().split('\n')) {
      const m = /^(.*): score (-?\d+) updates (\d+): matched$/.exec(line);
      if (!m) continue;
      const bytes = readFileSync(m[1]);
      rounds.push({ name: `${seed}-${m[1].split('/').pop()}`, bytes, score: Number(m[2]), updates: Number(m[3]),
                    variant: readReplay(bytes).variant });
    }
    if (rounds.length >= count) break;
  }
  assert.ok(rounds.length >= count, `the soak finished ${rounds.length} rounds`);
  return rounds;
}

// ---------------------------------------------------------------------------
// Replay files (the layout of game/replay.h)
// ---------------------------------------------------------------------------

const kCrcTable = (() => {
  const t = new Uint32Array(256);
  for (let i = 0; i < 256; ++i) {
    let c = i;
    for (let k = 0; k < 8; ++k) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
    t[i] = c >>> 0;
  }
  return t;
})();

function crc32(bytes) {
  let c = 0xffffffff;
  for (const b of bytes) c = kCrcTable[(c ^ b) & 0xff] ^ (c >>> 8);
  return (c ^ 0xffffffff) >>> 0;
}

export function readReplay(bytes) {
  const b = Buffer.from(bytes);
  const versionLength = b[9];
  const at = 10 + versionLength;
  const fieldCount = b.readUInt16LE(at + 17);
  const fieldsAt = at + 19;
  const tapeLength = b.readUInt32LE(fieldsAt + 4 * fieldCount);
  return {
    version: b.toString('latin1', 10, at), variant: b[at], seed: b.readInt32LE(at + 1), score: b.readInt32LE(at + 5),
    updates: b.readUInt32LE(at + 9), world: b.readUInt32LE(at + 13),
    fields: Array.from({ length: fieldCount }, (_, i) => b.readUInt32LE(fieldsAt + 4 * i)),
    tape: b.subarray(fieldsAt + 4 * fieldCount + 4, fieldsAt + 4 * fieldCount + 4 + tapeLength),
  };
}

export function writeReplay(r) {
  const version = Buffer.from(r.version, 'latin1');
  const head = Buffer.alloc(10 + version.length + 19 + 4 * r.fields.length + 4);
  Buffer.from('LVREPLAY', 'latin1').copy(head, 0);
  head[8] = 1;
  head[9] = version.length;
  version.copy(head, 10);
  let at = 10 + version.length;
  head[at] = r.variant;
  head.writeInt32LE(r.seed, at + 1);
  head.writeInt32LE(r.score, at + 5);
  head.writeUInt32LE(r.updates, at + 9);
  head.writeUInt32LE(r.world, at + 13);
  head.writeUInt16LE(r.fields.length, at + 17);
  r.fields.forEach((f, i) => head.writeUInt32LE(f >>> 0, at + 19 + 4 * i));
  head.writeUInt32LE(r.tape.length, at + 19 + 4 * r.fields.length);
  const body = Buffer.concat([head, Buffer.from(r.tape)]);
  const crc = Buffer.alloc(4);
  crc.writeUInt32LE(crc32(body));
  return Buffer.concat([body, crc]);
}

export const floatBits = (f) => { const b = Buffer.alloc(4); b.writeFloatLE(f); return b.readUInt32LE(); };

// ---------------------------------------------------------------------------
// The board
// ---------------------------------------------------------------------------

// A board of its own: started on a free port and answering once it prints
// where it listens. `args` are more options.
export async function startBoard(data, args = []) {
  const child = spawn(kBoard, ['--data', data, '--listen', '127.0.0.1:0', ...args], { env: kEnv, stdio: ['ignore', 'pipe', 'pipe'] });
  let out = '', err = '';
  child.stdout.on('data', (d) => { out += d; });
  child.stderr.on('data', (d) => { err += d; });
  const exited = new Promise((resolve) => child.on('exit', (code, signal) => resolve({ code, signal })));
  const url = await new Promise((resolve, reject) => {
    const timer = setTimeout(() => reject(new Error(`the board did not start: ${err}`)), 120000);
    const look = () => {
      const m = /listening on (http:\/\/127\.0\.0\.1:\d+\/)/.exec(out);
      if (m) { clearTimeout(timer); resolve(m[1]); }
    };
    child.stdout.on('data', look);
    child.on('exit', () => { clearTimeout(timer); reject(new Error(`the board ended at its start: ${err}`)); });
  });
  return {
    url, child, exited, errors: () => err,
    async stop(signal = 'SIGTERM') { child.kill(signal); return exited; },
  };
}

export function submission(name, key, bytes) {
  return JSON.stringify({ name, key, replay: Buffer.from(bytes).toString('base64url') });
}

// POSTs a round; { status, body (parsed), headers }.
export async function send(board, name, key, bytes) {
  return request(board, '/api/rounds', { method: 'POST', body: submission(name, key, bytes), headers: { 'Content-Type': 'application/json' } });
}

export async function request(board, path, init = {}) {
  const res = await fetch(board.url + path.replace(/^\//, ''), init);
  const text = await res.text();
  let body = text;
  try { body = JSON.parse(text); } catch { /* not JSON */ }
  return { status: res.status, body, headers: res.headers };
}

// Waits until round `id` is decided; its row.
export async function decided(board, id, seconds = 120) {
  const until = Date.now() + seconds * 1000;
  for (;;) {
    const { status, body } = await request(board, `/api/rounds/${id}`);
    if (status === 200 && body.status !== 'queued') return body;
    if (Date.now() > until) throw new Error(`round ${id} was not decided: ${JSON.stringify(body)}`);
    await new Promise((r) => setTimeout(r, 100));
  }
}

export const randomKey = () => Buffer.from(crypto.getRandomValues(new Uint8Array(24))).toString('base64url');

export function removeFolder(folder) {
  if (folder) rmSync(folder, { recursive: true, force: true });
}
