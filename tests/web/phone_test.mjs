// tests/web/phone_test.mjs - the web page on a phone: Chromium emulating a
// phone of 915 x 412 CSS pixels at 2.625 device pixels each, with touch
// events. A round is played with fingers only (the on-screen pad walks and
// jumps, both at once, and its pause button pauses), the pad is moved and
// pinched while paused and kept across a reload, keys hide it, the page goes
// full screen at a finger's start and pauses when that is left, held
// upright it asks to be turned while the round waits, and after a first
// visit it plays without its server.
//
//   node --experimental-websocket --test tests/web/
//
// LANTERN_WEB_PAGE names the page's folder (default build-web/page);
// LANTERN_WEB_SHOTS, when set, names a folder for pictures of the phone held
// both ways.
import assert from 'node:assert/strict';
import { mkdirSync, writeFileSync } from 'node:fs';
import { after, before, describe, test } from 'node:test';
import { fileURLToPath } from 'node:url';

import { Browser, colourNear, serveFolder, sleep, waitUntil } from './browser.mjs';

const kPageFolder = process.env.LANTERN_WEB_PAGE || fileURLToPath(new URL('../../build-web/page', import.meta.url));
const kStateKey = 'Bramblet in The Lantern Vault:./.vorlinstate';

// The phone, sideways. Its picture is the game's virtual screen 640 pixels
// wide, so one virtual pixel is kScale CSS pixels and the screen kHeight
// virtual pixels high.
const kWide = 915, kHigh = 412, kRatio = 2.625;
const kScale = kWide / 640;
const kHeight = kHigh / kScale;
// A virtual point in CSS pixels.
const at = (x, y) => [x * kScale, y * kScale];

// The pad of a fresh state: centre 64 from the left and from the bottom, size 1.
const freshPad = { x: 64, fromBottom: 64, size: 1 };
const rightArrow = (pad) => at(pad.x + 32 * pad.size, Math.trunc(kHeight - pad.fromBottom));
const fireButton = (pad) => at(640 - (pad.x - 24 * pad.size), Math.trunc(kHeight - pad.fromBottom) - 24 * pad.size);
const kPauseButton = at(16, 16);
const kStartButton = at(570, kHeight - 48);

let server, browser;

before(async () => {
  server = await serveFolder(kPageFolder);
  browser = await Browser.launch();
});

after(async () => {
  await browser?.close();
  await server?.close();
});

// What the player sees, read from pictures of one pixel per CSS pixel.
const looks = {
  async clickToStart(page) {
    const shot = await page.screenshot(true);
    if (!colourNear(shot.pixel(40, kHigh / 2), 0xbb7c42, 4)) return false;
    let white = 0;
    for (let y = 0.7 * kHigh - 10; y < 0.7 * kHigh + 10; ++y) {
      for (let x = kWide / 2 - 120; x < kWide / 2 + 120; x += 2) if (colourNear(shot.pixel(x, y), 0xffffff, 24)) ++white;
    }
    return white > 40;
  },
  async menu(page) {
    const p = (await page.screenshot(true)).pixel(40, kHigh / 2);
    return !colourNear(p, 0xbb7c42, 12) && !colourNear(p, 0x282850, 4) && p !== 0;
  },
  async energyBar(page) {
    return colourNear((await page.screenshot(true)).pixel(...at(265, 44)), 0x00ff00, 8);
  },
  async pauseMenu(page) {
    return colourNear((await page.screenshot(true)).pixel(20, 160), 0x12194a, 12);
  },
  // The pad's right arrow: its light shaft across the middle of its frame,
  // drawn over the maze at 0.6 alpha, where the maze alone is dark.
  padAt(shot, pad) {
    const [x, y] = rightArrow(pad);
    const light = (p) => Math.min(p >> 16, (p >> 8) & 0xff, p & 0xff) >= 0x90;
    let lit = 0;
    for (let d = -9; d <= 9; d += 3) if (light(shot.pixel(x + d, y))) ++lit;
    return lit >= 5;
  },
};

// How the maze moves on the screen while a finger acts, measured in the page
// (pictures through DevTools take half a second each at this size): every
// 80 ms the canvas is read at one pixel per CSS pixel, and the shift (within
// `reach` each way) under which the middle of the screen best matches the
// reading before is listed, in CSS pixels. Walking right moves the maze left
// (dx < 0); a jump moves it vertically, as the view follows the player. Runs
// in the page: it is passed there as source.
function shiftsInPage(ms, reach) {
  const width = innerWidth, height = innerHeight;
  const scratch = document.createElement('canvas');
  scratch.width = width;
  scratch.height = height;
  const g = scratch.getContext('2d', { willReadFrequently: true });
  const read = () => {
    g.drawImage(Module.canvas, 0, 0, width, height);
    return g.getImageData(0, 0, width, height).data;
  };
  const diff = (a, i, b, j) => Math.abs(a[i] - b[j]) + Math.abs(a[i + 1] - b[j + 1]) + Math.abs(a[i + 2] - b[j + 2]);
  const shift = (a, b) => {
    let best = { dx: 0, dy: 0, cost: Infinity };
    for (let dy = -reach; dy <= reach; ++dy) {
      for (let dx = -reach; dx <= reach; ++dx) {
        let cost = 0;
        for (let y = 100; y < 300 && cost < best.cost; y += 5) {
          for (let x = 220; x < 700; x += 5) cost += Math.min(96, diff(a, (y * width + x) * 4, b, ((y + dy) * width + x + dx) * 4));
        }
        if (cost < best.cost) best = { dx, dy, cost };
      }
    }
    return { dx: best.dx, dy: best.dy };
  };
  return new Promise((resolve) => {
    const shifts = [];
    let last = read();
    const end = performance.now() + ms;
    const next = () => {
      const now = read();
      shifts.push(shift(last, now));
      last = now;
      if (performance.now() < end) setTimeout(next, 80);
      else resolve(shifts);
    };
    setTimeout(next, 80);
  });
}

async function openPhone(from = server) {
  const page = await browser.newPhonePage(kWide, kHigh, kRatio);
  await page.keepCanvasPicture();
  await page.goto(from.url + 'missing.html');
  await page.evaluate('localStorage.clear()');
  await page.goto(from.url);
  return page;
}

async function tap(page, [x, y], ms = 120) {
  await page.touch('touchStart', [[x, y]]);
  await sleep(ms);
  await page.touch('touchEnd', []);
}

// Taps until `answered` holds (a busy machine may see a short tap in no update).
async function tapUntil(page, point, answered, tries = 3) {
  for (let i = 0; i < tries; ++i) {
    await tap(page, point);
    if (await waitUntil(answered, 4)) return true;
  }
  return false;
}

// From the page's start to a round, with fingers only.
async function startRound(page) {
  assert.ok(await waitUntil(() => looks.clickToStart(page), 30), '"Click to Start" did not appear');
  assert.ok(await tapUntil(page, [kWide / 2, kHigh / 2], () => looks.menu(page)), 'a tap did not reach the menu');
  assert.ok(await tapUntil(page, kStartButton, () => looks.energyBar(page)), 'a tap on the start button started no round');
}

// The view's shifts while `ms` pass.
function shiftsFor(page, ms, reach = 24) {
  return page.evaluate(`(${shiftsInPage})(${ms}, ${reach})`);
}

// Waits until the view stands still (the player at rest, the view settled on it).
function settle(page) {
  return waitUntil(async () => (await shiftsFor(page, 400, 4)).every((s) => s.dx === 0 && s.dy === 0), 15, 0);
}

// The pad's saved options (10 to 12) in the stored state.
async function storedPad(page) {
  const state = await page.evaluate(`localStorage.getItem(${JSON.stringify(kStateKey)})`);
  if (!state) return null;
  const options = state.split('|').slice(0, 25).map(Number);
  return { x: options[10], fromBottom: options[11], size: options[12] / 10 };
}

// The game saves when the page is hidden (as when the player switches away).
async function hideToSave(page) {
  await page.evaluate(`Object.defineProperty(document, 'hidden', { value: true, configurable: true });
    document.dispatchEvent(new Event('visibilitychange'))`);
}

describe('the web page on a phone', () => {
  test('a round played with fingers: walk, jump, both at once, pause, and the pad moved and pinched', async () => {
    const page = await openPhone();
    await startRound(page);
    assert.ok(await waitUntil(() => page.evaluate('!!document.fullscreenElement'), 5), 'a finger\'s start did not go full screen');
    assert.ok(await waitUntil(async () => looks.padAt(await page.screenshot(true), freshPad), 5), 'no pad at its first place');

    // The left thumb on the right arrow walks: the maze scrolls to the left
    // (from the start, where the way to the right is open, as on the
    // desktop). Then the right thumb on a fire button jumps, the view
    // following the player up, while the left one goes on walking.
    assert.ok(await settle(page), 'the view did not settle at the round\'s start');
    await page.touch('touchStart', [rightArrow(freshPad)]);
    const walk = await shiftsFor(page, 600);
    await page.touch('touchStart', [rightArrow(freshPad), fireButton(freshPad)]);
    const both = await shiftsFor(page, 900);
    await page.touch('touchEnd', []);
    assert.ok(walk.some((s) => s.dx < 0), 'holding the right arrow did not walk: ' + JSON.stringify(walk));
    assert.ok(both.some((s) => s.dy !== 0), 'the fire button did not jump: ' + JSON.stringify(both));
    assert.ok(both.some((s) => s.dx < 0), 'the walk stopped when the other finger jumped: ' + JSON.stringify(both));

    // The pause button pauses.
    assert.ok(await tapUntil(page, kPauseButton, () => looks.pauseMenu(page)), 'the pause button did not pause');

    // Paused, the pad is dragged by its middle to a new place, as a finger
    // slides (the pad follows a finger that stays on it from update to
    // update), then pinched bigger by a second finger. Its fire buttons,
    // mirrored on the right, still fire while paused (and would choose in
    // the pause menu): the fingers stay clear of them.
    const from = at(freshPad.x, Math.trunc(kHeight - freshPad.fromBottom)), place = at(150, 240);
    await page.touch('touchStart', [from]);
    for (let i = 1; i <= 20; ++i) {
      await sleep(60);
      await page.touch('touchMove', [[from[0] + ((place[0] - from[0]) * i) / 20, from[1] + ((place[1] - from[1]) * i) / 20]]);
    }
    await sleep(300);
    await page.touch('touchStart', [place, [place[0] + 100, place[1]]]);
    await sleep(300);
    await page.touch('touchMove', [place, [place[0] + 300, place[1]]]);
    await sleep(300);
    await page.touch('touchEnd', []);
    await sleep(300);
    assert.ok(await looks.pauseMenu(page), 'moving the pad left the pause menu');
    await hideToSave(page);
    assert.ok(await waitUntil(async () => (await storedPad(page)) !== null, 15), 'hiding the page saved nothing');
    const moved = await storedPad(page);
    assert.equal(moved.x, 150, 'the pad was not dragged: ' + JSON.stringify(moved));
    assert.ok(moved.size > 1.5, 'the pad was not pinched bigger: ' + JSON.stringify(moved));

    // After a reload, the pad is where it was put, at its new size.
    await page.reload();
    await startRound(page);
    let shot = null;
    assert.ok(await waitUntil(async () => looks.padAt((shot = await page.screenshot(true)), moved), 5),
              'the pad is not at its new place after a reload');
    assert.ok(!looks.padAt(shot, freshPad), 'the pad is still at its first place');
    assert.deepEqual(page.printed('EXCEPTION'), []);
    await page.send('Page.close');
  });

  test('upright it asks to be turned while the round waits; leaving full screen pauses; a notch is kept clear', async () => {
    const page = await openPhone();
    await startRound(page);
    assert.ok(await waitUntil(() => page.evaluate('!!document.fullscreenElement'), 5), 'no full screen');
    const shots = process.env.LANTERN_WEB_SHOTS;
    const keep = async (name) => {
      if (!shots) return;
      mkdirSync(shots, { recursive: true });
      const { data } = await page.send('Page.captureScreenshot', { format: 'png' });
      writeFileSync(`${shots}/${name}.png`, Buffer.from(data, 'base64'));
    };
    await keep('phone-sideways');

    // Leaving the full screen (the phone's back gesture) pauses the round.
    await page.evaluate('document.exitFullscreen()');
    assert.ok(await waitUntil(() => looks.pauseMenu(page), 10), 'leaving full screen did not pause');
    assert.ok(await tapUntil(page, at(320, 144), () => looks.energyBar(page)), 'Resume did not resume');

    // Upright: the request to turn is shown, and nothing of the round moves.
    await page.turn(kHigh, kWide);
    assert.ok(await waitUntil(() => page.evaluate(`getComputedStyle(document.getElementById('turn')).display !== 'none'`), 5),
              'no request to turn the phone');
    await keep('phone-upright');
    await sleep(300);
    const frames = await page.evaluate('Module._lantern_web_frame_count(1)');
    await sleep(700);
    assert.equal(await page.evaluate('Module._lantern_web_frame_count(1)'), frames, 'the round went on upright');

    // Sideways again: the round waits in its pause menu.
    await page.turn(kWide, kHigh);
    assert.ok(await waitUntil(() => looks.pauseMenu(page), 10), 'turned back, the round is not paused');

    // A notch on the left: the game's picture keeps clear of it.
    await page.send('Emulation.setSafeAreaInsetsOverride', { insets: { left: 40, right: 0, top: 0, bottom: 0 } });
    assert.ok(await waitUntil(async () => {
      const [left, width, pixels] = await page.evaluate('[Module.canvas.getBoundingClientRect().left, Module.canvas.getBoundingClientRect().width, Module.canvas.width]');
      return left === 40 && width === kWide - 40 && pixels === Math.round((kWide - 40) * kRatio);
    }, 10), 'the canvas did not keep clear of the notch');
    await page.send('Page.close');
  });

  test('with the network gone after a first visit it plays; keys and game pads hide the pad, a touch brings it back', async () => {
    const own = await serveFolder(kPageFolder);
    const page = await openPhone(own);
    // The page keeps itself once the player has started.
    assert.ok(await waitUntil(async () => {
      const state = await page.evaluate('lanternOffline.state');
      if (state === 'waiting') await tap(page, at(320, 144));
      return state === 'ready';
    }, 60), 'the page was not kept for offline play');
    // What came after the start is kept too: the badges' icons and the tune.
    const kept = (piece) => page.evaluate(`caches.match(${JSON.stringify(piece)}).then((r) => !!r)`);
    assert.ok(await waitUntil(async () => (await kept('data/BadgesA-hd2.png.1')) && (await kept('data/sfx/Firstlight.ogg')), 60),
              'the files fetched after the start were not kept');
    await own.stop();
    await page.reload();
    await startRound(page);
    assert.equal(await page.evaluate(`Module.lanternData.state('data/BadgesA-hd2.png')`), 2, 'the icons did not load offline');
    assert.ok(await waitUntil(async () => looks.padAt(await page.screenshot(true), freshPad), 5), 'no pad');
    await page.press('ArrowLeft');
    assert.ok(await waitUntil(async () => !looks.padAt(await page.screenshot(true), freshPad), 5), 'a key did not hide the pad');
    await tap(page, at(320, 144));
    assert.ok(await waitUntil(async () => looks.padAt(await page.screenshot(true), freshPad), 5), 'a touch did not show the pad');
    // A game pad's button hides it too (the browser's Gamepad API answers
    // with one standard pad, as in the page's own tests).
    await page.evaluate(`(() => {
      const buttons = Array.from({ length: 17 }, () => ({ pressed: false, value: 0 }));
      navigator.getGamepads = () => [{ id: 'test pad', index: 0, connected: true, mapping: 'standard', axes: [0, 0, 0, 0], buttons }];
      window.testPadButton = (i, down) => { buttons[i] = { pressed: down, value: down ? 1 : 0 }; };
    })()`);
    await sleep(500);
    assert.ok(looks.padAt(await page.screenshot(true), freshPad), 'a pad lying still hid the on-screen pad');
    await page.evaluate('testPadButton(14, true)');
    assert.ok(await waitUntil(async () => !looks.padAt(await page.screenshot(true), freshPad), 5), 'a game pad did not hide the pad');
    await page.evaluate('testPadButton(14, false)');
    await page.send('Page.close');
  });
});
