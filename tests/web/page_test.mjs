// tests/web/page_test.mjs - the web page in headless Chromium, as a player
// meets it: loading screen, "Click to Start" and the sound it unlocks, the
// menu, a round started with a key, the pause menu, a hidden tab, the saved
// state across reloads, quitting, touches, a game pad and a runtime error
// (the game stops and says why). Pictures are
// compared by colours at places, as the desktop's end-to-end tests do.
//
//   node --experimental-websocket --test tests/web/
//
// LANTERN_WEB_PAGE names the page's folder (default build-web/page).
import assert from 'node:assert/strict';
import { existsSync, mkdtempSync, readdirSync, readFileSync, rmSync, statSync, symlinkSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, describe, test } from 'node:test';
import { fileURLToPath } from 'node:url';

import { Browser, colourNear, serveFolder, shareChanged, sleep, waitUntil } from './browser.mjs';

const kPageFolder = process.env.LANTERN_WEB_PAGE || fileURLToPath(new URL('../../build-web/page', import.meta.url));

// The game's title, from its one place (host/title.h): the page's <title>.
function gameTitle() {
  const header = readFileSync(fileURLToPath(new URL('../../host/title.h', import.meta.url)), 'utf8');
  const definition = header.match(/^#define LANTERN_TITLE "(.*)"\s*$/m);
  if (!definition) throw new Error('no LANTERN_TITLE in host/title.h');
  return definition[1];
}
const kTitle = gameTitle();
// The key the page keeps the saved state under: players' states are stored
// under it, so it is written out here, never derived, and never changes.
const kStateKey = 'Bramblet in The Lantern Vault:./.vorlinstate';

// At 640 x 480, the places the desktop's tests look at.
const kLoadingBand = 0xbb7c42;        // the loading screen's band, at (64, 240)
const kLoadingBackground = 0x282850;
const kBar = [265, 44];               // inside the energy bar: full green in play
const kPauseBand = [20, 240];         // the pause menu's band
const kPauseBandColour = 0x12194a;

// The saved state as the game writes it (see tests/e2e/front_end_process_test.cpp):
// each section's values, then its 32-bit wrapping checksum, each followed by a bar.
function stateText({ options, badgeWords, best, recent }) {
  let out = '', sum = 0;
  const close = () => { out += (sum | 0) + '|'; sum = 0; };
  options.forEach((v, i) => { out += v + '|'; sum = (sum + Math.imul(i, v)) | 0; });
  close();
  badgeWords.forEach((w) => { out += (w | 0) + '|'; sum = (sum + w) | 0; });
  close();
  for (let t = 0; t < 3; ++t) {
    for (let r = 0; r < 10; ++r) {
      out += best[t][r] + '|' + recent[t][r] + '|';
      sum = (sum + Math.imul(r + 4, best[t][r]) + Math.imul(t + 3 + r, recent[t][r])) | 0;
    }
    close();
  }
  return out;
}

function craftedState() {
  const options = [0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 200, 64, 15, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, -7];
  const badgeWords = [0x80000001 | 0, 0, 0, 0, 0, 0, 0, 0x80000000 | 0];
  const best = [0, 1, 2].map((t) => [...Array(10).keys()].map((r) => 100000 * (t + 1) - 1000 * r));
  const recent = [0, 1, 2].map((t) => [...Array(10).keys()].map((r) => 17 * r + t));
  return stateText({ options, badgeWords, best, recent });
}

let server, browser;

before(async () => {
  assert.ok(existsSync(kPageFolder + '/index.html'), `no page in ${kPageFolder}: run tools/web.sh first`);
  server = await serveFolder(kPageFolder);
  browser = await Browser.launch();
});

after(async () => {
  await browser?.close();
  await server?.close();
});

// A fresh tab on the page, with nothing stored unless `stored` is given.
// Every sound the page starts in Web Audio is listed in window.startedSounds
// with its length in seconds.
async function openPage(stored = null) {
  const page = await browser.newPage(640, 480);
  await page.beforeEachLoad(`window.startedSounds = [];
    const start = AudioBufferSourceNode.prototype.start;
    AudioBufferSourceNode.prototype.start = function(...args) {
      window.startedSounds.push(this.buffer ? this.buffer.duration : 0);
      return start.apply(this, args);
    };`);
  // Storage belongs to the page's origin: visit it once to set it up.
  await page.goto(server.url + 'missing.html');
  await page.evaluate(`localStorage.clear(); ${stored === null ? '' : `localStorage.setItem(${JSON.stringify(kStateKey)}, ${JSON.stringify(stored)})`}`);
  await page.goto(server.url);
  return page;
}

// What the player sees, by colours at places.
const looks = {
  async pixel(page, x, y) {
    return (await page.screenshot()).pixel(x, y);
  },
  async loadingBand(page) {
    return colourNear(await looks.pixel(page, 64, 240), kLoadingBand, 4);
  },
  // "Click to Start": white letters in the box under the logo.
  async clickToStart(page) {
    const shot = await page.screenshot();
    if (!colourNear(shot.pixel(64, 240), kLoadingBand, 4)) return false;
    let white = 0;
    for (let y = 326; y < 348; ++y) for (let x = 236; x < 416; x += 2) if (colourNear(shot.pixel(x, y), 0xffffff, 24)) ++white;
    return white > 40;
  },
  async menu(page) {
    const p = await looks.pixel(page, 64, 240);
    return !colourNear(p, kLoadingBand, 12) && !colourNear(p, kLoadingBackground, 4) && p !== 0;
  },
  async energyBar(page) {
    return colourNear(await looks.pixel(page, ...kBar), 0x00ff00, 8);
  },
  async pauseMenu(page) {
    const shot = await page.screenshot();
    const bar = shot.pixel(...kBar);
    const dimmed = (bar >> 16) < 0x20 && ((bar >> 8) & 0xff) > 0x30 && ((bar >> 8) & 0xff) < 0xa0;
    return dimmed && colourNear(shot.pixel(...kPauseBand), kPauseBandColour, 12);
  },
};

// Whether two screenshots show the same picture: every pixel of the whole
// page, each channel within a few levels. A round standing still still
// moves some thousand pixels in half a second (sparks, enemies, charges);
// a suspended page moves none.
function samePicture(a, b) {
  return shareChanged(a, b, 8, 1) === 0;
}

async function stored(page) {
  return page.evaluate(`localStorage.getItem(${JSON.stringify(kStateKey)})`);
}

// Makes the page look hidden to itself (as when the player switches tabs) or visible again.
async function setHidden(page, hidden) {
  await page.evaluate(`Object.defineProperty(document, 'hidden', { value: ${hidden}, configurable: true });
    Object.defineProperty(document, 'visibilityState', { value: '${hidden ? 'hidden' : 'visible'}', configurable: true });
    document.dispatchEvent(new Event('visibilitychange'))`);
}

async function clickToMenu(page) {
  assert.ok(await waitUntil(() => looks.clickToStart(page), 30), '"Click to Start" did not appear');
  await page.click(320, 240);
  assert.ok(await waitUntil(() => looks.menu(page), 20), 'the click did not reach the menu');
}

describe('the web page', () => {
  test('loads, asks for a click that unlocks sound, and plays a round to the pause menu', async () => {
    const page = await openPage();
    assert.equal(await page.evaluate('document.title'), kTitle);
    assert.ok(await waitUntil(() => looks.loadingBand(page), 30), 'no loading screen');
    assert.ok(await waitUntil(() => looks.clickToStart(page), 30), '"Click to Start" did not appear');
    // It waits there for the click, and sound waits for it too.
    await sleep(1000);
    assert.ok(await looks.clickToStart(page), 'the page went on without a click');
    assert.equal(await page.evaluate('Module.soundState()'), 'suspended');

    // A click outside the middle of the screen is not the start.
    await page.click(40, 40);
    await sleep(500);
    assert.ok(await looks.clickToStart(page));
    await page.click(320, 240);
    assert.ok(await waitUntil(() => looks.menu(page), 20), 'the click did not reach the menu');
    assert.equal(await page.evaluate('Module.soundState()'), 'running');

    assert.ok(await page.pressUntil(' ', () => looks.energyBar(page)), 'Space started no round');
    // Played with a mouse and keys, the page stays as it was: no full screen,
    // and no on-screen pad (its right arrow's grey shaft would be at (96, 416)).
    assert.equal(await page.evaluate('!!document.fullscreenElement'), false, 'a click went full screen');
    const round = await page.screenshot();
    const padGrey = [-9, -6, -3, 0, 3, 6, 9].filter((d) => colourNear(round.pixel(96 + d, 416), 0xa5a6b6, 24));
    assert.ok(padGrey.length < 5, 'the on-screen pad appeared for a mouse and keys');
    // The round's tune, decoded from Ogg Vorbis in the page, plays through Web Audio.
    assert.ok(await waitUntil(() => page.evaluate('startedSounds.some((s) => s > 20)'), 10),
              'no tune: ' + (await page.evaluate('JSON.stringify(startedSounds)')));
    assert.ok(await page.pressUntil('Escape', () => looks.pauseMenu(page)), 'Escape opened no pause menu');
    assert.ok(await page.pressUntil('Escape', () => looks.energyBar(page)), 'a second Escape did not resume');
    assert.deepEqual(page.printed('EXCEPTION'), []);
    await page.send('Page.close');
  });

  test('on a slow network the page shows the bytes of the game arriving before the game starts', async () => {
    // A server of its own: a new origin, which no service worker answers yet.
    const own = await serveFolder(kPageFolder);
    const page = await browser.newPage(640, 480);
    await page.send('Network.enable');
    // The mobile profile of web performance audits: 1.6 Mbit/s down, 150 ms round trip.
    const slow = { offline: false, latency: 150, downloadThroughput: 1.6e6 / 8, uploadThroughput: 750e3 / 8 };
    await page.send('Network.emulateNetworkConditions', slow);
    await page.goto(own.url);
    // The script, the module, and the data the menu and a round need at
    // this size: the "-hd" art and every file of all resolutions.
    const listing = JSON.parse(readFileSync(`${kPageFolder}/files.json`, 'utf8'));
    const data = Object.values(listing.files).filter((file) => !file.later && (file.art === 0 || file.art === 2));
    const bytes = ['lantern-vault.js', 'lantern-vault.wasm'].reduce((sum, name) => sum + statSync(`${kPageFolder}/${name}`).size,
                                                                    data.reduce((sum, file) => sum + file.bytes, 0));
    const load = () => page.evaluate(`Module.pageLoad ? [Module.pageLoad.arrived, Module.pageLoad.total,
                                                         typeof Module._lantern_web_frame_count === 'function'] : null`);
    // The bar counts all of it, and moves before the game's module has
    // started (which it does once the loading screen's own files are here).
    const seen = [];
    let text = '';
    assert.ok(await waitUntil(async () => {
      const [arrived, total, started] = (await load()) ?? [0, 0, false];
      if (started) return true;
      if (total === bytes && arrived < bytes && !seen.includes(arrived)) seen.push(arrived);
      if (seen.length === 2) text = await page.evaluate(`document.getElementById('loaded').textContent`);
      return false;
    }, 30), 'the game did not start');
    assert.ok(seen.length >= 2, `no progress shown before the game's module started: ${seen}`);
    assert.match(text, /^Loading\.\.\. \d+\.\d of \d+\.\d MB$/);
    // At full speed the rest arrives, and the game starts from what the page fetched.
    await page.send('Network.emulateNetworkConditions', { offline: false, latency: 0, downloadThroughput: -1, uploadThroughput: -1 });
    assert.ok(await waitUntil(() => looks.loadingBand(page), 30), 'the game did not start from the fetched files');
    await page.send('Page.close');
    await own.stop();
  });

  test('a hidden tab suspends the round and saves; shown again it is paused', async () => {
    const page = await openPage();
    await clickToMenu(page);
    assert.ok(await page.pressUntil(' ', () => looks.energyBar(page)), 'Space started no round');
    assert.equal(await stored(page), null);
    // Shown, the round's picture moves, as the comparison below sees.
    const shown = await page.screenshot();
    assert.ok(await waitUntil(async () => !samePicture(shown, await page.screenshot()), 5),
              'the round\'s picture did not move while shown');

    await setHidden(page, true);
    assert.ok(await waitUntil(async () => (await stored(page)) !== null, 15), 'hiding the page saved nothing');
    const state = await stored(page);
    assert.match(state, /^(-?\d+\|){35}/, 'the stored state is the game\'s state');
    // The picture stands still while hidden, all of it.
    const a = await page.screenshot();
    await sleep(500);
    const b = await page.screenshot();
    assert.ok(samePicture(a, b), `the picture moved while hidden: ${shareChanged(a, b, 8, 1)} of it changed`);

    await setHidden(page, false);
    assert.ok(await waitUntil(() => looks.pauseMenu(page), 15), 'the round came back without its pause menu');
    await page.send('Page.close');
  });

  test('a stored state survives reloads through the game, and a damaged section is reset alone', async () => {
    const crafted = craftedState();
    const page = await openPage(crafted);
    await clickToMenu(page);
    assert.deepEqual(page.printed('Loaded'), ['Settings Loaded', 'Badges Loaded', 'Highscore 0 Loaded',
                                              'Highscore 1 Loaded', 'Highscore 2 Loaded']);
    // The game saves when the page is hidden: what it stores is what it loaded.
    await setHidden(page, true);
    assert.ok(await waitUntil(async () => (await stored(page)) === crafted, 15), 'the state changed on its way through');

    // A reload finds it again; then the first badge word is damaged.
    const damaged = crafted.replace(/^((?:-?\d+\|){26})-?\d+/, '$1' + '12345');
    await page.evaluate(`localStorage.setItem(${JSON.stringify(kStateKey)}, ${JSON.stringify(damaged)})`);
    page.console.length = 0;
    await page.reload();
    await clickToMenu(page);
    assert.deepEqual(page.printed('Loaded').concat(page.printed('Invalid')),
                     ['Settings Loaded', 'Highscore 0 Loaded', 'Highscore 1 Loaded', 'Highscore 2 Loaded',
                      'Badge Checksum Invalid']);
    await page.send('Page.close');
  });

  test('quitting from the menu saves and starts the page again, and a touch starts it', async () => {
    const page = await openPage();
    await clickToMenu(page);
    const loads = page.loads;
    await page.pressUntil('Escape', () => page.loads > loads, 3);
    assert.ok(page.loads > loads, 'quitting did not start the page again');
    assert.notEqual(await stored(page), null, 'quitting saved nothing');
    assert.ok(await waitUntil(() => looks.clickToStart(page), 30), '"Click to Start" did not appear again');
    // A finger on the middle of the screen starts the game like a click.
    await page.touch('touchStart', [[320, 240]]);
    await sleep(100);
    await page.touch('touchEnd', []);
    assert.ok(await waitUntil(() => looks.menu(page), 20), 'the touch did not reach the menu');
    await page.send('Page.close');
  });

  test('a runtime error stops the game and the page says so with what the game printed', async () => {
    // A site whose icons (32 x 32 frames, 64 x 64 in the "-hd" art of a
    // 640 x 480 page) come as the page's 192 x 192 icon: nine frames where
    // the game cuts sixteen, which the runtime answers with an error.
    const site = mkdtempSync(join(tmpdir(), 'lantern-broken-'));
    const siteServer = await (async () => {
      for (const name of readdirSync(kPageFolder)) {
        if (name !== 'files.json') symlinkSync(join(kPageFolder, name), join(site, name));
      }
      const listing = JSON.parse(readFileSync(join(kPageFolder, 'files.json'), 'utf8'));
      const bytes = statSync(join(kPageFolder, 'icon-192.png')).size;
      listing.files['data/common/icons-hd.png'].bytes = bytes;
      listing.files['data/common/icons-hd.png'].pieces = [{ file: 'icon-192.png', bytes, hash: 'broken' }];
      writeFileSync(join(site, 'files.json'), JSON.stringify(listing));
      return serveFolder(site);
    })();
    const page = await browser.newPage(640, 480);
    try {
      await page.goto(siteServer.url);
      const status = () => page.evaluate(`document.getElementById('status').textContent`);
      assert.ok(await waitUntil(async () => (await status()).startsWith('The game stopped.'), 60),
                `the page says: '${await status()}'`);
      assert.match(await status(), /Vorlin Runtime Error/);
    } finally {
      await page.send('Page.close');
      await siteServer.close();
      rmSync(site, { recursive: true, force: true });
    }
  });

  test('a game pad in the browser\'s standard layout starts a round with its A button', async () => {
    const page = await openPage();
    await clickToMenu(page);
    // No pad can be plugged in here: the browser's Gamepad API answers with
    // one standard pad whose A button the test presses and releases.
    await page.evaluate(`(() => {
      const buttons = Array.from({ length: 17 }, () => ({ pressed: false, value: 0 }));
      const pad = { id: 'test pad', index: 0, connected: true, mapping: 'standard', axes: [0, 0, 0, 0], buttons };
      window.testPadButton = (i, down) => { buttons[i] = { pressed: down, value: down ? 1 : 0 }; };
      navigator.getGamepads = () => [pad];
    })()`);
    let started = false;
    for (let i = 0; i < 3 && !started; ++i) {
      await page.evaluate('testPadButton(0, true)');
      await sleep(150);
      await page.evaluate('testPadButton(0, false)');
      started = await waitUntil(() => looks.energyBar(page), 3);
    }
    assert.ok(started, 'the pad started no round');
    await page.send('Page.close');
  });

  test('the canvas fills the page at any size, and F11 switches the page to full screen', async () => {
    const page = await openPage();
    await clickToMenu(page);
    await page.send('Emulation.setDeviceMetricsOverride', { width: 800, height: 450, deviceScaleFactor: 1, mobile: false });
    // A new size reloads the art; the menu comes back at the new size, its
    // wider picture filling the page to the right edge.
    assert.ok(await waitUntil(async () => {
      const size = await page.evaluate('[Module.canvas.width, Module.canvas.height]');
      return size[0] === 800 && size[1] === 450 && (await looks.menu(page));
    }, 20), 'the canvas did not follow the page');
    assert.ok(await waitUntil(async () => (await looks.pixel(page, 790, 440)) !== 0, 10), 'the page is not filled');

    assert.equal(await page.evaluate('!!document.fullscreenElement'), false);
    await page.pressUntil('F11', () => page.evaluate('!!document.fullscreenElement'));
    assert.equal(await page.evaluate('!!document.fullscreenElement'), true, 'F11 did not go full screen');
    await page.pressUntil('F11', async () => !(await page.evaluate('!!document.fullscreenElement')));
    assert.equal(await page.evaluate('!!document.fullscreenElement'), false, 'F11 did not come back');
    await page.send('Page.close');
  });
});
