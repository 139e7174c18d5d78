// tests/web/replay_test.mjs - replays that travel between the desktop and
// the page: rounds the desktop build recorded (its soak's random player)
// end in the page with the score, length and world check they recorded,
// one watched in real time from a link and the others as fast as the page
// goes; a round played in the page with keys, taken out through the page's
// own download, verifies with the desktop build's --verify and plays again
// from a link that names it on the site (?replay=) and dropped on the page;
// a damaged link is answered with the line --verify would print.
//
//   node --experimental-websocket --test tests/web/
//
// LANTERN_WEB_PAGE names the page's folder (default build-web/page) and
// LANTERN_BUILD the desktop build (default build).
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { existsSync, mkdirSync, mkdtempSync, readdirSync, readFileSync, rmSync, symlinkSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, describe, test } from 'node:test';
import { fileURLToPath } from 'node:url';

import { Browser, clickOn, endGameSelected, openToMenu, serveFolder, showsEnergyBar, showsMenu, showsPauseMenu, waitUntil } from './browser.mjs';

const kPageFolder = process.env.LANTERN_WEB_PAGE || fileURLToPath(new URL('../../build-web/page', import.meta.url));
const kBuild = process.env.LANTERN_BUILD || fileURLToPath(new URL('../../build', import.meta.url));
const kGame = join(kBuild, 'lantern-vault');

const linkCode = (bytes) => Buffer.from(bytes).toString('base64url');

// The desktop's verdict on a replay file: its output and status.
function verify(file) {
  const run = spawnSync(kGame, ['--verify', file], { encoding: 'utf8', env: { ...process.env, ALSOFT_DRIVERS: 'null' } });
  return { status: run.status, out: run.stdout, err: run.stderr };
}

let browser, server, folder;
let rounds = [];  // the soak's rounds with a score: { name, bytes, score, updates }, longest first

before(async () => {
  assert.ok(existsSync(kPageFolder + '/files.json'), `no page in ${kPageFolder}: run tools/web.sh first`);
  assert.ok(existsSync(kGame), `no desktop build in ${kBuild}`);
  folder = mkdtempSync(join(tmpdir(), 'lantern-replays-'));
  // The random player, in the desktop build: its finished rounds, kept.
  // It seldom scores: runs of a few seeds until three rounds have.
  for (const seed of [2, 3, 6, 7, 8]) {
    const kept = join(folder, `rounds-${seed}`);
    const soak = spawnSync(join(kBuild, 'tools/soak/soak'), ['--seed', String(seed), '--updates', '30000', '--keep-rounds', kept],
                           { encoding: 'utf8', env: { ...process.env, ALSOFT_DRIVERS: 'null' } });
    assert.equal(soak.status, 0, soak.stdout + soak.stderr);
    for (const name of readdirSync(kept)) {
      const file = join(kept, name);
      const match = /^score (-?\d+) updates (\d+)$/.exec(verify(file).out.trim());
      if (match && Number(match[1]) > 0) {
        rounds.push({ name: `${seed}-${name}`, bytes: readFileSync(file), score: Number(match[1]), updates: Number(match[2]) });
      }
    }
    if (rounds.length >= 3) break;
  }
  rounds.sort((a, b) => b.updates - a.updates);
  assert.ok(rounds.length >= 3, `the soak finished ${rounds.length} rounds with a score`);
  server = await serveFolder(kPageFolder);
  browser = await Browser.launch();
});

after(async () => {
  await browser?.close();
  await server?.close();
  if (folder) rmSync(folder, { recursive: true, force: true });
});

// The line the page prints when the replay `name` has ended.
async function watchedEnd(page, name, seconds) {
  const prefix = `replay ${name}: `;
  assert.ok(await waitUntil(() => page.printed(prefix).length > 0, seconds), `${name} did not end`);
  return page.printed(prefix)[0];
}

describe('replays between the desktop and the page', () => {
  test('rounds the desktop recorded end in the page as they were recorded', async () => {
    // The shortest from a link, in real time, as a player watches it.
    const shortest = rounds[rounds.length - 1];
    const linked = await openToMenu(browser, `${server.url}#replay=${linkCode(shortest.bytes)}`);
    try {
      const line = await watchedEnd(linked, 'the link', shortest.updates / 60 + 30);
      assert.match(line, new RegExp(`score ${shortest.score} updates ${shortest.updates}: matched$`));
      assert.equal(await linked.evaluate('location.hash'), '', 'the link is played once');
    } finally {
      await linked.send('Page.close');
    }

    // The longest ones as fast as the page goes, with the same code.
    const page = await openToMenu(browser, server.url);
    try {
      for (const round of rounds.slice(0, 3)) {
        await page.evaluate(`Module.watchReplay(${JSON.stringify(round.name)}, new Uint8Array(${JSON.stringify([...round.bytes])}), true)`);
        const line = await watchedEnd(page, round.name, 60);
        assert.match(line, new RegExp(`score ${round.score} updates ${round.updates}: matched$`), round.name);
      }
      assert.deepEqual(page.printed('EXCEPTION'), []);
    } finally {
      await page.send('Page.close');
    }
  });

  test('a round played in the page leaves through its download, verifies with the desktop and plays again named by a link and dropped; a damaged link is refused', async () => {
    const downloads = join(folder, 'downloads');
    await browser.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
    const page = await openToMenu(browser, server.url);
    try {
      const last = `Module.gameFile('./replays/last.replay')`;
      assert.equal(await page.evaluate(`${last} === null`), true);
      // A round: Space, a walk, then the pause menu's "End Game", each step
      // once the page shows the one before it.
      assert.ok(await page.pressUntil(' ', () => showsEnergyBar(page)), 'Space started no round');
      await page.press('ArrowRight', 1500);
      assert.ok(await page.pressUntil('Escape', () => showsPauseMenu(page)), 'Escape opened no pause menu');
      assert.ok(await page.pressUntil('ArrowLeft', () => endGameSelected(page)), '"End Game" was not selected');
      await page.press('Enter');
      assert.ok(await waitUntil(() => page.evaluate(`${last} !== null`), 30), 'the round left no replay');
      // Kept beside the saved state, so that it outlives the page.
      assert.ok(await waitUntil(() => page.evaluate(`localStorage.getItem('Bramblet in The Lantern Vault:./replays/last.replay') !== null`), 5),
                'the replay is not in the page\'s storage');

      await clickOn(page, '#replays > button');
      await clickOn(page, '#replays .row button');  // the last round's "Download"
      const file = join(downloads, 'lantern-vault-last.replay');
      const kept = Buffer.from(await page.evaluate(`Array.from(${last})`));
      // Chromium writes the download under another name and renames it once whole.
      assert.ok(await waitUntil(() => existsSync(file) && readFileSync(file).equals(kept), 10), 'nothing was downloaded');
      const verified = verify(file);
      assert.equal(verified.status, 0, verified.err);
      assert.match(verified.out, /^score -?\d+ updates \d+\n$/);
    } finally {
      await page.send('Page.close');
    }

    // The same file put on a site beside the page and named by a link, then
    // dropped on the page: both times it ends as it was recorded.
    const file = join(downloads, 'lantern-vault-last.replay');
    const [, score, updates] = /^score (-?\d+) updates (\d+)$/.exec(verify(file).out.trim());
    const ending = new RegExp(`score ${score} updates ${updates}: matched$`);
    const site = join(folder, 'site');
    mkdirSync(join(site, 'shared'), { recursive: true });
    for (const name of readdirSync(kPageFolder)) symlinkSync(join(kPageFolder, name), join(site, name));
    writeFileSync(join(site, 'shared/round.replay'), readFileSync(file));
    const siteServer = await serveFolder(site);
    const named = await openToMenu(browser, `${siteServer.url}?replay=shared/round.replay`);
    try {
      assert.match(await watchedEnd(named, 'shared/round.replay', Number(updates) / 60 + 30), ending);
      assert.ok(await waitUntil(() => showsMenu(named, 480), 30), 'no menu after the replay');
      for (const type of ['dragEnter', 'dragOver', 'drop']) {
        await named.send('Input.dispatchDragEvent', { type, x: 320, y: 240, data: { items: [], files: [file], dragOperationsMask: 1 } });
      }
      assert.match(await watchedEnd(named, 'lantern-vault-last.replay', Number(updates) / 60 + 30), ending);
    } finally {
      await named.send('Page.close');
      await siteServer.close();
    }
    // A link whose file is damaged: the line --verify prints, on the page.
    const bytes = readFileSync(join(downloads, 'lantern-vault-last.replay'));
    bytes[bytes.length >> 1] ^= 1;
    const damaged = await browser.newPage(640, 480);
    try {
      await damaged.goto(`${server.url}#replay=${linkCode(bytes)}`);
      const note = () => damaged.evaluate(`document.getElementById('note').textContent`);
      assert.ok(await waitUntil(async () => /^lantern-vault: the link: .*checksum/.test(await note()), 30),
                `no message for a damaged link: '${await note()}' ${damaged.printed('EXCEPTION').join(' / ')}`);
      assert.deepEqual(damaged.printed('EXCEPTION'), []);
    } finally {
      await damaged.send('Page.close');
    }
  });
});
