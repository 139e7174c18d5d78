// tests/web/load_test.mjs - a new player's first start on a mobile network,
// counted rather than timed: before "Click to Start" the page fetches only
// what the menu and a round need, within what such a connection brings in
// time, and no file it fetches is over 512 KiB; the badges box, opened at
// once after the click while its icons are still on their way, says so and
// then shows them.
//
//   node --experimental-websocket --test tests/web/
import assert from 'node:assert/strict';
import { existsSync, mkdirSync, readdirSync, readFileSync, statSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { after, before, describe, test } from 'node:test';
import { fileURLToPath } from 'node:url';

import { Browser, colourNear, serveFolder, showsMenu, showsStartScreen, waitUntil } from './browser.mjs';

const kPageFolder = process.env.LANTERN_WEB_PAGE || fileURLToPath(new URL('../../build-web/page', import.meta.url));

// The mobile profile of web performance audits: 1.6 Mbit/s down, 150 ms round trip.
const kMobile = { offline: false, latency: 150, downloadThroughput: 1.6e6 / 8, uploadThroughput: 750e3 / 8 };
// What that brings before "Click to Start" must be up: 10 s on the desktop,
// 15 s on a phone, less a second and a half for round trips and the start.
const kBudget = { desktop: 8.5 * kMobile.downloadThroughput, phone: 13.5 * kMobile.downloadThroughput };
const kFileLimit = 512 * 1024;

function filesIn(folder) {
  return readdirSync(folder, { withFileTypes: true, recursive: true })
    .filter((entry) => entry.isFile())
    .map((entry) => join(entry.parentPath ?? entry.path, entry.name));
}

// LANTERN_WEB_SHOTS, when set, names a folder for the page's pictures.
async function keep(page, name) {
  const shots = process.env.LANTERN_WEB_SHOTS;
  if (!shots) return;
  mkdirSync(shots, { recursive: true });
  const { data } = await page.send('Page.captureScreenshot', { format: 'png' });
  writeFileSync(`${shots}/${name}.png`, Buffer.from(data, 'base64'));
}

let browser;
before(async () => {
  assert.ok(existsSync(kPageFolder + '/files.json'), `no page in ${kPageFolder}: run tools/web.sh first`);
  browser = await Browser.launch();
});
after(async () => browser?.close());

describe('the first start on a mobile network', () => {
  test('no file of the page is over 512 KiB, and the page for the finest art is at most 4 MB', () => {
    for (const file of filesIn(kPageFolder)) assert.ok(statSync(file).size <= kFileLimit, `${file}: ${statSync(file).size} bytes`);
    const listing = JSON.parse(readFileSync(join(kPageFolder, 'files.json'), 'utf8'));
    let finest = 0;
    for (const file of filesIn(kPageFolder)) if (!file.includes('/data/')) finest += statSync(file).size;
    for (const entry of Object.values(listing.files)) if (entry.art === 0 || entry.art === 4) finest += entry.bytes;
    assert.ok(finest <= 4e6, `the finest page is ${finest} bytes`);
  });

  const kinds = [
    ['desktop', 640, 480, (b) => b.newPage(640, 480), /-hd\.png/],
    ['phone', 915, 412, (b) => b.newPhonePage(915, 412, 2.625), /-hd2\.png/],
  ];
  for (const [kind, width, height, open, art] of kinds) {
    test(`${kind}: before "Click to Start" the page fetches only what the menu and a round need, within budget`, async () => {
      // A server of its own: a new origin, which no service worker answers.
      const own = await serveFolder(kPageFolder);
      const page = await open(browser);
      try {
        await page.goto(own.url);
        assert.ok(await waitUntil(() => showsStartScreen(page, width, height), 60), '"Click to Start" did not appear');
        const fetched = own.served.slice();
        const bytes = fetched.reduce((sum, file) => sum + file.bytes, 0);
        const names = fetched.map((file) => file.path);
        console.log(`${kind}: ${fetched.length} files, ${bytes} bytes before "Click to Start"`);
        if (process.env.LANTERN_LOAD_LIST) console.log(fetched.map((f) => `${f.path} ${f.bytes}`).join("\n"));
        assert.ok(bytes <= kBudget[kind], `${bytes} bytes before "Click to Start", more than ${kBudget[kind]}`);
        assert.deepEqual(names.filter((name) => /BadgesA|Firstlight|\.wav/.test(name)), [], 'fetched before it was needed');
        const images = names.filter((name) => /\.png/.test(name) && !/icon-|quib_font/.test(name));
        assert.ok(images.length >= 10 && images.every((name) => art.test(name)), `art of another resolution: ${images}`);
        assert.deepEqual(page.printed('EXCEPTION'), []);
      } finally {
        await page.send('Page.close');
        await own.stop();
      }
    });
  }

  test('the badges box opened right after the click says its icons are loading, then shows them', async () => {
    const own = await serveFolder(kPageFolder);
    const page = await browser.newPage(640, 480);
    try {
      await page.goto(own.url);
      assert.ok(await waitUntil(() => showsStartScreen(page, 640, 480), 60), '"Click to Start" did not appear');
      await page.send('Network.enable');
      // A quarter of the mobile profile: the icons take some seconds to come
      // however long a busy machine takes to bring up the menu.
      await page.send('Network.emulateNetworkConditions', { ...kMobile, downloadThroughput: kMobile.downloadThroughput / 4 });
      const icons = `Module.lanternData.state('data/BadgesA-hd.png')`;
      assert.equal(await page.evaluate(icons), 1, 'the icons are asked for, and wait for the start');
      await page.click(320, 240);
      // The menu, once the loading screen (its band, its background) is gone.
      assert.ok(await waitUntil(() => showsMenu(page, 480), 30), 'no menu after the click');
      // The box's orange edge (redder and less blue than the loading screen's band).
      const box = async () => {
        const p = (await page.screenshot()).pixel(70, 240);
        return (p >> 16 & 0xff) > 195 && (p >> 8 & 0xff) > 80 && (p >> 8 & 0xff) < 140 && (p & 0xff) < 45;
      };
      // B opens it once the menu is up (and closes it again: a press is
      // repeated only when a long wait has not shown the box).
      let opened = false;
      for (let i = 0; i < 6 && !opened; ++i) {
        await page.press('b');
        opened = await waitUntil(box, 8);
      }
      assert.ok(opened, 'the badges box did not open');
      assert.equal(await page.evaluate(icons), 1, 'the icons arrived before the box was seen without them');
      const waiting = await page.screenshot();
      await keep(page, 'badges-loading');
      assert.ok(await waitUntil(async () => (await page.evaluate(icons)) === 2, 60), 'the icons never arrived');
      // The rows get their icons: the box's picture changes where they go.
      assert.ok(await waitUntil(async () => {
        const now = await page.screenshot();
        let changed = 0;
        for (let y = 60; y < 460; y += 4) for (let x = 80; x < 110; x += 2) if (now.pixel(x, y) !== waiting.pixel(x, y)) ++changed;
        // Its edge too, which stays: the box is still open.
        return changed > 50 && colourNear(now.pixel(70, 240), waiting.pixel(70, 240), 8);
      }, 10), 'no icons in the box once they arrived');
      await keep(page, 'badges-arrived');
      assert.ok(await box(), 'the box closed');
      assert.deepEqual(page.printed('EXCEPTION'), []);
    } finally {
      await page.send('Page.close');
      await own.stop();
    }
  });
});
