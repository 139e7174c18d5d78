// tests/web/world_test.mjs - the world board in the page: a page served by
// the real board (lantern-vault-board --page) finds it, offers a round played
// with real key events, asks once for a name and shows the round's rank; the
// World tab lists it, and its "Watch" plays it to the board's score and
// length; the day's maze, asked for with Tab, lands on the day's board; and a
// page built for a board it cannot reach still plays, keeps the round, and
// sends it once the board answers.
//
// LANTERN_WEB_PAGE names the page's folder (default build-web/page) and
// LANTERN_BUILD the desktop build with the board (default build).
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import { cpSync, existsSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { createServer } from 'node:net';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, describe, test } from 'node:test';
import { fileURLToPath } from 'node:url';

import { Browser, clickOn, endGameSelected, openToMenu, serveFolder, showsEnergyBar, showsMenu, showsPauseMenu, waitUntil } from './browser.mjs';

const kPageFolder = process.env.LANTERN_WEB_PAGE || fileURLToPath(new URL('../../build-web/page', import.meta.url));
const kBuild = process.env.LANTERN_BUILD || fileURLToPath(new URL('../../build', import.meta.url));
const kBoard = join(kBuild, 'lantern-vault-board');

let browser, folder;

function freePort() {
  return new Promise((resolve) => {
    const server = createServer().listen(0, '127.0.0.1', () => {
      const { port } = server.address();
      server.close(() => resolve(port));
    });
  });
}

// The real board on `port`, serving `page` when given; its address once it answers.
async function startBoard(port, page) {
  const data = mkdtempSync(join(folder, 'board-'));
  const args = ['--data', data, '--listen', `127.0.0.1:${port}`, '--rate-limit', '100000000', '--verifiers', '1'];
  if (page) args.push('--page', page);
  const child = spawn(kBoard, args, { env: { ...process.env, ALSOFT_DRIVERS: 'null' }, stdio: 'ignore' });
  const url = `http://127.0.0.1:${port}/`;
  assert.ok(await waitUntil(async () => (await fetch(url + 'api/health').catch(() => null))?.ok, 60), 'the board did not start');
  return { url, stop: () => new Promise((r) => { child.on('exit', r); child.kill('SIGTERM'); }) };
}

before(async () => {
  assert.ok(existsSync(kPageFolder + '/files.json'), `no page in ${kPageFolder}: run tools/web.sh first`);
  assert.ok(existsSync(kBoard), `no board in ${kBuild}`);
  folder = mkdtempSync(join(tmpdir(), 'lantern-world-'));
  browser = await Browser.launch();
});

after(async () => {
  await browser?.close();
  if (folder) rmSync(folder, { recursive: true, force: true });
});

// A round started with `key` in the menu, a walk, and the pause menu's "End Game".
async function playRound(page, key) {
  assert.ok(await page.pressUntil(key, () => showsEnergyBar(page)), `${key} started no round`);
  await page.press('ArrowRight', 800);
  assert.ok(await page.pressUntil('Escape', () => showsPauseMenu(page)), 'Escape opened no pause menu');
  assert.ok(await page.pressUntil('ArrowLeft', () => endGameSelected(page)), '"End Game" was not selected');
  await page.press('Enter');
}

const offerText = (page) => page.evaluate(`document.getElementById('offer').textContent`);

// The offer after a round, taken: "Send to the world board", then the name once.
async function send(page, name) {
  assert.ok(await waitUntil(() => page.evaluate(`!!document.querySelector('#offer button')`), 30), 'no offer after the round');
  await clickOn(page, '#offer button');
  if (name) {
    assert.ok(await waitUntil(() => page.evaluate(`!!document.querySelector('#offer input')`), 5), 'the name was not asked for');
    await page.evaluate(`document.querySelector('#offer input').focus()`);
    await page.send('Input.insertText', { text: name });
    await page.press('Enter');
  }
}

// The seed in a replay file's bytes (game/replay.h).
const seedOf = (bytes) => Buffer.from(bytes).readInt32LE(10 + bytes[9] + 1);

describe('the world board in the page', () => {
  test('a round played with keys is sent once a name is given, ranked, listed and watched to the board\'s end; the day\'s maze lands on its day', async () => {
    const board = await startBoard(await freePort(), kPageFolder);
    const page = await openToMenu(browser, board.url);
    try {
      assert.ok(await waitUntil(() => page.evaluate(`!document.getElementById('world').hidden`), 15), 'no World tab');
      await playRound(page, ' ');
      await send(page, 'Ｍｏｓｓ Ñ');
      assert.ok(await waitUntil(async () => /^World rank 1 on board 2/.test(await offerText(page)), 30), await offerText(page));
      const best = await (await fetch(board.url + 'api/boards/2')).json();
      assert.equal(best.rows.length, 1);
      assert.equal(best.rows[0].name, 'Moss Ñ', 'the board keeps the name in NFKC');

      // The World tab lists it, the player's row stands out, and "Watch" plays it.
      await clickOn(page, '#world > button');
      assert.ok(await waitUntil(() => page.evaluate(`!!document.querySelector('#world tr.mine')`), 10), 'no own row');
      assert.equal(await page.evaluate(`document.querySelector('#world tr.mine td.name').textContent`), 'Moss Ñ');
      await clickOn(page, '#world tr.mine button');
      const row = best.rows[0];
      assert.ok(await waitUntil(() => page.printed(`replay world round ${row.id}: `).length > 0, row.updates / 60 + 30), 'the round did not end');
      assert.match(page.printed(`replay world round ${row.id}: `)[0], new RegExp(`score ${row.score} updates ${row.updates}: matched$`));
      assert.ok(await waitUntil(() => showsMenu(page, 480), 30));

      // The day's maze, with Tab: its replay holds the day's seed, and it is on the day's board.
      const daily = await (await fetch(board.url + 'api/daily')).json();
      await playRound(page, 'Tab');
      await send(page, null);
      assert.ok(await waitUntil(async () => /rank 1 of the day/.test(await offerText(page)), 30), await offerText(page));
      const last = await page.evaluate(`Array.from(Module.gameFile('./replays/last.replay'))`);
      assert.equal(seedOf(last), daily.seed);
      const day = await (await fetch(`${board.url}api/boards/2?day=${daily.day}`)).json();
      assert.deepEqual(day.rows.map((r) => r.name), ['Moss Ñ']);
      assert.deepEqual(page.printed('EXCEPTION'), []);

      // A link to the page ending in #daily starts the day's maze by itself once the menu is up.
      const linked = await openToMenu(browser, board.url + '#daily');
      try {
        assert.ok(await waitUntil(() => showsEnergyBar(linked), 30), 'the #daily link started no round');
        assert.equal(await linked.evaluate('location.hash'), '', 'the link plays once');
      } finally {
        await linked.send('Page.close');
      }
    } finally {
      await page.send('Page.close');
      await board.stop();
    }
  });

  test('a page built for a board it cannot reach still plays, keeps the round, and sends it once the board answers', async () => {
    // The page as tools/web.sh --board builds it for a board elsewhere, on a port where nothing answers yet.
    const port = await freePort();
    const copy = join(folder, 'page');
    cpSync(kPageFolder, copy, { recursive: true });
    const index = join(copy, 'index.html');
    writeFileSync(index, readFileSync(index, 'utf8').replace("var kBuiltBoard = '';", `var kBuiltBoard = 'http://127.0.0.1:${port}/';`));
    const site = await serveFolder(copy);
    const page = await openToMenu(browser, site.url);
    let board = null;
    try {
      assert.ok(await waitUntil(async () => (await page.evaluate(`document.getElementById('boardline').textContent`)) === 'The world board cannot be reached.', 30));
      assert.equal(await page.evaluate(`document.getElementById('world').hidden`), true, 'no World tab without the board');
      await playRound(page, ' ');
      await send(page, 'Offline');
      assert.ok(await waitUntil(async () => /cannot be reached: the round waits/.test(await offerText(page)), 30), await offerText(page));
      const stored = () => page.evaluate(`JSON.parse(localStorage.getItem(document.title + ':world')).outbox.length`);
      assert.equal(await stored(), 1, "the round waits in the page's storage");

      board = await startBoard(port, null);
      await page.evaluate(`window.dispatchEvent(new Event('online'))`);
      assert.ok(await waitUntil(async () => /^World rank 1/.test(await offerText(page)), 30), await offerText(page));
      assert.equal(await stored(), 0);
    } finally {
      await page.send('Page.close');
      await site.close();
      await board?.stop();
    }
  });
});
