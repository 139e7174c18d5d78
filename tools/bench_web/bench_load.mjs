// tools/bench_web/bench_load.mjs - how soon the web page answers a new
// player: the bytes that arrive and the time taken before the page shows its
// own loading bar, before the game's first frame (its loading screen) and
// before "Click to Start", and the time to "Click to Start" on a second visit.
// A desktop (640 x 480) and a phone (915 x 412 CSS pixels at 2.625) each on a
// throttled network (the mobile profile of web performance audits: 1.6
// Mbit/s down, 150 ms round trip) and at full speed, from a cold cache, the
// page served without compression by the tests' static server.
//
//   node --experimental-websocket tools/bench_web/bench_load.mjs [PAGE_FOLDER]
//
// The moments are seen from the page: its bar is Module.pageLoad (index.html),
// the first frame the game's count of rendered frames, and "Click to Start"
// the canvas read back in the page (the band of the loading screen with the
// white letters under the logo). Bytes are those on the wire
// (Network.dataReceived). Every run has a browser of its own.
import { fileURLToPath } from 'node:url';

import { Browser, serveFolder, sleep } from '../../tests/web/browser.mjs';

const folder = process.argv[2] || fileURLToPath(new URL('../../build-web/page', import.meta.url));

const kSlow = { offline: false, latency: 150, downloadThroughput: 1.6e6 / 8, uploadThroughput: 750e3 / 8 };
const kFast = { offline: false, latency: 0, downloadThroughput: -1, uploadThroughput: -1 };
const kScreens = {
  desktop: { width: 640, height: 480, ratio: 1, phone: false },
  phone: { width: 915, height: 412, ratio: 2.625, phone: true },
};

function row(what, figure, unit, note = '') {
  const shown = figure === null ? 'none' : unit === 'MB' ? (figure / 1e6).toFixed(2) : figure.toFixed(1);
  console.log(`${what.padEnd(52)} ${shown.padStart(8)}  ${unit.padEnd(3)} ${note}`);
}

// Runs in the page: where the game stands, seen from outside it.
function stageInPage() {
  const bar = !!(window.Module && Module.pageLoad);
  const frames = window.Module && typeof Module._lantern_web_frame_count === 'function' ? Module._lantern_web_frame_count(0) : 0;
  let clickToStart = false;
  if (frames > 0) {
    const canvas = Module.canvas, w = canvas.width, h = canvas.height;
    const probe = (window.benchProbe ??= document.createElement('canvas').getContext('2d', { willReadFrequently: true }));
    probe.canvas.width = Math.max(1, Math.round(0.3 * w));
    probe.canvas.height = Math.max(1, Math.round(0.06 * h));
    probe.drawImage(canvas, 0.35 * w, 0.67 * h, 0.3 * w, 0.06 * h, 0, 0, probe.canvas.width, probe.canvas.height);
    const letters = probe.getImageData(0, 0, probe.canvas.width, probe.canvas.height).data;
    let white = 0;
    for (let i = 0; i < letters.length; i += 4) if (letters[i] > 230 && letters[i + 1] > 230 && letters[i + 2] > 230) ++white;
    probe.drawImage(canvas, 0.05 * w, 0.5 * h, 1, 1, 0, 0, 1, 1);
    const [r, g, b] = probe.getImageData(0, 0, 1, 1).data;
    const band = Math.abs(r - 0xbb) < 8 && Math.abs(g - 0x7c) < 8 && Math.abs(b - 0x42) < 8;
    clickToStart = band && white > 40;
  }
  return { bar, frames, clickToStart };
}

// One visit: the seconds from navigation to each moment and the bytes
// arrived by then.
async function visit(browser, page, url, bytes) {
  const start = Date.now();
  bytes.count = 0;
  await page.send('Page.navigate', { url });
  const seen = {};
  while (Date.now() - start < 120000) {
    let stage = null;
    try {
      stage = await page.evaluate(`(${stageInPage})()`);
    } catch {}
    const now = { seconds: (Date.now() - start) / 1000, bytes: bytes.count };
    if (stage?.bar && !seen.bar) seen.bar = now;
    if (stage?.frames > 0 && !seen.frame) seen.frame = now;
    if (stage?.clickToStart) {
      seen.click = now;
      break;
    }
    await sleep(50);
  }
  return seen;
}

async function measure(screenName, network) {
  const screen = kScreens[screenName];
  const browser = await Browser.launch();
  const server = await serveFolder(folder);
  try {
    const page = screen.phone ? await browser.newPhonePage(screen.width, screen.height, screen.ratio)
                              : await browser.newPage(screen.width, screen.height);
    await page.keepCanvasPicture();
    await page.send('Network.enable');
    await page.send('Network.emulateNetworkConditions', network);
    const bytes = { count: 0 };
    browser.listeners.push((m) => {
      if (m.sessionId === page.sessionId && m.method === 'Network.dataReceived') bytes.count += m.params.encodedDataLength;
    });
    const first = await visit(browser, page, server.url, bytes);
    // The second visit comes once the page has kept its files, as a player's
    // would after a round.
    // The page keeps itself once the player has started: a click starts.
    for (let i = 0; i < 600; ++i) {
      const state = await page.evaluate('window.lanternOffline ? lanternOffline.state : "none"');
      if (state === 'waiting' && screen.phone) {
        await page.touch('touchStart', [[screen.width / 2, screen.height / 2]]);
        await sleep(120);
        await page.touch('touchEnd', []);
      } else if (state === 'waiting') {
        await page.click(screen.width / 2, screen.height / 2);
      }
      if (!['registering', 'starting', 'waiting'].includes(state)) break;
      await sleep(100);
    }
    const second = await visit(browser, page, server.url, bytes);
    return { first, second };
  } finally {
    await browser.close();
    await server.close();
  }
}

for (const screenName of ['desktop', 'phone']) {
  for (const [networkName, network] of [['throttled', kSlow], ['full speed', kFast]]) {
    const { first, second } = await measure(screenName, network);
    const at = `${screenName}, ${networkName}`;
    row(`bytes before the page's bar: ${at}`, first.bar?.bytes ?? null, 'MB');
    row(`bytes before the loading screen: ${at}`, first.frame?.bytes ?? null, 'MB');
    row(`bytes before "Click to Start": ${at}`, first.click?.bytes ?? null, 'MB');
    row(`time to the page's bar: ${at}`, first.bar?.seconds ?? null, 's', 'goal 1.5');
    row(`time to the loading screen: ${at}`, first.frame?.seconds ?? null, 's', 'goal 5');
    row(`time to "Click to Start": ${at}`, first.click?.seconds ?? null, 's',
        screenName === 'phone' ? 'goal 15' : 'goal 10');
    row(`second visit to "Click to Start": ${at}`, second.click?.seconds ?? null, 's',
        `goal 2; ${((second.click?.bytes ?? 0) / 1e6).toFixed(2)} MB fetched`);
  }
}
