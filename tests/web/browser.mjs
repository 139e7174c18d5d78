// tests/web/browser.mjs - the web page in headless Chromium, driven through
// its DevTools protocol: a static server for the page, a browser, a tab with
// real input events, screenshots read back as pixels, and the page's console.
//
// Needs Node 20 started with --experimental-websocket, and Debian's chromium.
// Every browser gets a new profile folder and its own debugging port (port 0:
// Chromium picks one and writes it to the profile), so runs never collide.
import { spawn } from 'node:child_process';
import { createReadStream, mkdtempSync, readFileSync, rmSync, statSync } from 'node:fs';
import { createServer } from 'node:http';
import { tmpdir } from 'node:os';
import { extname, join, normalize } from 'node:path';
import { inflateSync } from 'node:zlib';

const kTypes = {
  '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.json': 'application/json',
  '.webmanifest': 'application/manifest+json', '.png': 'image/png', '.ogg': 'audio/ogg',
};

// Waits until `test` holds, polling every `step` ms, for at most `seconds`.
export async function waitUntil(test, seconds, step = 50) {
  const end = Date.now() + seconds * 1000;
  for (;;) {
    if (await test()) return true;
    if (Date.now() > end) return false;
    await new Promise((r) => setTimeout(r, step));
  }
}

export const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// A static file server for `folder` on 127.0.0.1 and a free port. close()
// waits for the browser's open connections to end; stop() ends them too, at
// once, as a server gone away does.
export async function serveFolder(folder) {
  // Every file sent whole, in order: its path and its bytes.
  const served = [];
  const server = createServer((req, res) => {
    const path = normalize(decodeURIComponent(new URL(req.url, 'http://x').pathname)).replace(/^(\.\.[/\\])+/, '');
    const file = join(folder, path.endsWith('/') ? path + 'index.html' : path);
    let info = null;
    try {
      info = statSync(file);
    } catch {}
    if (!info?.isFile()) {
      // A page of the server's own (an empty 404 would be the browser's error page, of no origin).
      res.writeHead(404, { 'Content-Type': 'text/html' }).end('<!doctype html><title>Not found</title>');
      return;
    }
    // As a plain static server does: a copy the browser holds is revalidated by its date.
    const modified = new Date(Math.floor(info.mtimeMs / 1000) * 1000);
    const since = Date.parse(req.headers['if-modified-since'] ?? '');
    if (since >= modified.getTime()) {
      res.writeHead(304).end();
      return;
    }
    res.writeHead(200, { 'Content-Type': kTypes[extname(file)] || 'application/octet-stream', 'Content-Length': info.size,
                         'Last-Modified': modified.toUTCString() });
    served.push({ path, bytes: info.size });
    createReadStream(file).pipe(res);
  });
  await new Promise((r) => server.listen(0, '127.0.0.1', r));
  return {
    url: `http://127.0.0.1:${server.address().port}/`,
    served,
    close: () => new Promise((r) => server.close(r)),
    stop: () => new Promise((r) => {
      server.close(r);
      server.closeAllConnections();
    }),
  };
}

// ---------------------------------------------------------------------------
// The browser
// ---------------------------------------------------------------------------

// A browser must not outlive the test process, however that ends (a test
// run stopped from outside included): it would go on drawing and take the
// machine's cores from whatever runs next.
const browsers = new Set();
let watchingOurEnd = false;
function endWithUs(child) {
  if (!watchingOurEnd) {
    watchingOurEnd = true;
    process.on('exit', () => browsers.forEach((c) => c.kill('SIGKILL')));
    for (const signal of ['SIGINT', 'SIGTERM', 'SIGHUP']) {
      process.once(signal, () => process.exit(128 + { SIGHUP: 1, SIGINT: 2, SIGTERM: 15 }[signal]));
    }
  }
  browsers.add(child);
  child.once('exit', () => browsers.delete(child));
}

export class Browser {
  static async launch() {
    const profile = mkdtempSync(join(tmpdir(), 'lantern-chromium-'));
    const args = [
      '--headless=new', '--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
      '--disable-gpu-sandbox', '--no-first-run', '--disable-background-networking', '--disable-component-update',
      '--disable-sync', '--disable-quic', `--user-data-dir=${profile}`, '--remote-debugging-port=0',
      // No sound card here: the page's sound goes nowhere.
      '--mute-audio',
      '--window-size=640,480', 'about:blank',
    ];
    const child = spawn(process.env.CHROMIUM || 'chromium', args, { stdio: ['ignore', 'ignore', 'pipe'] });
    endWithUs(child);
    let errors = '';
    child.stderr.on('data', (d) => { errors = (errors + d).slice(-4000); });
    const portFile = join(profile, 'DevToolsActivePort');
    const ready = await waitUntil(() => {
      try {
        return readFileSync(portFile, 'utf8').split('\n').length >= 2;
      } catch {
        return false;
      }
    }, 60);
    if (!ready) {
      child.kill('SIGKILL');
      rmSync(profile, { recursive: true, force: true });
      throw new Error('Chromium did not start:\n' + errors);
    }
    const [port, path] = readFileSync(portFile, 'utf8').split('\n');
    const browser = new Browser(child, profile);
    await browser.connect(`ws://127.0.0.1:${port}${path}`);
    return browser;
  }

  constructor(child, profile) {
    this.child = child;
    this.profile = profile;
    this.nextId = 1;
    this.pending = new Map();
    this.listeners = [];
    this.cpuPid = child.pid;
  }

  connect(url) {
    return new Promise((resolve, reject) => {
      this.socket = new WebSocket(url);
      this.socket.onopen = resolve;
      this.socket.onerror = () => reject(new Error('no DevTools connection'));
      this.socket.onmessage = (m) => this.receive(JSON.parse(m.data));
    });
  }

  receive(message) {
    if (message.id && this.pending.has(message.id)) {
      const { resolve, reject, method } = this.pending.get(message.id);
      this.pending.delete(message.id);
      if (message.error) reject(new Error(`${method}: ${message.error.message}`));
      else resolve(message.result);
      return;
    }
    for (const l of this.listeners) l(message);
  }

  send(method, params = {}, sessionId = undefined) {
    const id = this.nextId++;
    this.socket.send(JSON.stringify({ id, method, params, sessionId }));
    return new Promise((resolve, reject) => this.pending.set(id, { resolve, reject, method }));
  }

  // A new tab of `width` x `height` CSS pixels at one device pixel each.
  async newPage(width, height) {
    const { targetId } = await this.send('Target.createTarget', { url: 'about:blank' });
    const { sessionId } = await this.send('Target.attachToTarget', { targetId, flatten: true });
    const page = new Page(this, sessionId);
    await page.send('Page.enable');
    await page.send('Runtime.enable');
    await page.send('Emulation.setDeviceMetricsOverride', { width, height, deviceScaleFactor: 1, mobile: false });
    return page;
  }

  // A new tab as a phone shows it: `width` x `height` CSS pixels at `ratio`
  // device pixels each, a touch screen (touch events, no mouse), held
  // sideways when it is wider than tall.
  async newPhonePage(width, height, ratio) {
    const page = await this.newPage(width, height);
    await page.send('Emulation.setTouchEmulationEnabled', { enabled: true, maxTouchPoints: 5 });
    page.ratio = ratio;
    await page.turn(width, height);
    return page;
  }

  async close() {
    try {
      await Promise.race([this.send('Browser.close'), sleep(5000)]);
    } catch {}
    if (this.child.exitCode === null) {
      await Promise.race([new Promise((r) => this.child.once('exit', r)), sleep(5000)]);
      if (this.child.exitCode === null) this.child.kill('SIGKILL');
    }
    this.socket?.close();
    rmSync(this.profile, { recursive: true, force: true });
  }
}

// ---------------------------------------------------------------------------
// A tab
// ---------------------------------------------------------------------------

// Key names to the codes a browser puts on the events.
const kKeys = {
  ' ': { code: 'Space', keyCode: 32, text: ' ' },
  Enter: { code: 'Enter', keyCode: 13, text: '\r' },
  Escape: { code: 'Escape', keyCode: 27 },
  ArrowLeft: { code: 'ArrowLeft', keyCode: 37 },
  ArrowUp: { code: 'ArrowUp', keyCode: 38 },
  ArrowRight: { code: 'ArrowRight', keyCode: 39 },
  ArrowDown: { code: 'ArrowDown', keyCode: 40 },
  F11: { code: 'F11', keyCode: 122 },
  Tab: { code: 'Tab', keyCode: 9 },
};

export class Page {
  constructor(browser, sessionId) {
    this.browser = browser;
    this.sessionId = sessionId;
    this.console = [];  // every console line of the page, in order
    this.loads = 0;     // load events seen
    browser.listeners.push((m) => {
      if (m.sessionId !== sessionId) return;
      if (m.method === 'Runtime.consoleAPICalled') {
        this.console.push(m.params.args.map((a) => (a.value !== undefined ? String(a.value) : a.description || '')).join(' '));
      } else if (m.method === 'Runtime.exceptionThrown') {
        this.console.push('EXCEPTION ' + (m.params.exceptionDetails.exception?.description || m.params.exceptionDetails.text));
      } else if (m.method === 'Page.loadEventFired') {
        this.loads += 1;
      }
    });
  }

  send(method, params = {}) {
    return this.browser.send(method, params, this.sessionId);
  }

  // Runs `source` in every document the tab loads from now on, before the page's own scripts.
  async beforeEachLoad(source) {
    await this.send('Page.addScriptToEvaluateOnNewDocument', { source });
  }

  // From the next document on, WebGL keeps a canvas's picture after it is
  // shown, so that the page itself can read it back (cheaply, and as often
  // as it likes, where a screenshot through DevTools takes a while).
  async keepCanvasPicture() {
    await this.beforeEachLoad(`(() => {
      const getContext = HTMLCanvasElement.prototype.getContext;
      HTMLCanvasElement.prototype.getContext = function(type, attributes) {
        if (/webgl/.test(type)) attributes = Object.assign({}, attributes, { preserveDrawingBuffer: true });
        return getContext.call(this, type, attributes);
      };
    })()`);
  }

  async goto(url) {
    const loads = this.loads;
    await this.send('Page.navigate', { url });
    if (!(await waitUntil(() => this.loads > loads, 30))) throw new Error('the page did not load: ' + url);
  }

  async reload() {
    const loads = this.loads;
    await this.send('Page.reload');
    if (!(await waitUntil(() => this.loads > loads, 30))) throw new Error('the page did not load again');
  }

  // The value of a JavaScript expression in the page (awaited when a promise).
  async evaluate(expression) {
    const r = await this.send('Runtime.evaluate', { expression, returnByValue: true, awaitPromise: true });
    if (r.exceptionDetails) throw new Error('in the page: ' + (r.exceptionDetails.exception?.description || expression));
    return r.result.value;
  }

  // Lines the program printed that contain `text`.
  printed(text) {
    return this.console.filter((l) => l.includes(text));
  }

  async keyDown(key) {
    const k = kKeys[key] || { code: 'Key' + key.toUpperCase(), keyCode: key.toUpperCase().charCodeAt(0), text: key };
    await this.send('Input.dispatchKeyEvent', {
      type: k.text ? 'keyDown' : 'rawKeyDown', key, code: k.code, windowsVirtualKeyCode: k.keyCode,
      nativeVirtualKeyCode: k.keyCode, text: k.text, unmodifiedText: k.text,
    });
  }

  async keyUp(key) {
    const k = kKeys[key] || { code: 'Key' + key.toUpperCase(), keyCode: key.toUpperCase().charCodeAt(0) };
    await this.send('Input.dispatchKeyEvent', {
      type: 'keyUp', key, code: k.code, windowsVirtualKeyCode: k.keyCode, nativeVirtualKeyCode: k.keyCode,
    });
  }

  // A press held a tenth of a second, as a player's is: the game reads which
  // keys are down at each update.
  async press(key, ms = 100) {
    await this.keyDown(key);
    await sleep(ms);
    await this.keyUp(key);
  }

  // Presses `key` until `answered` holds (a busy machine may run the press
  // and its release in one frame, which the game never sees), at most `tries` times.
  async pressUntil(key, answered, tries = 3) {
    for (let i = 0; i < tries; ++i) {
      await this.press(key);
      if (await waitUntil(answered, 3)) return true;
    }
    return false;
  }

  async click(x, y, ms = 100) {
    const at = { x, y, button: 'left', clickCount: 1 };
    await this.send('Input.dispatchMouseEvent', { type: 'mouseMoved', x, y });
    await this.send('Input.dispatchMouseEvent', { type: 'mousePressed', ...at });
    await sleep(ms);
    await this.send('Input.dispatchMouseEvent', { type: 'mouseReleased', ...at });
  }

  // Fingers on the screen: `points` lists each finger down after the event
  // as [x, y] or [x, y, id] (ids default to the place in the list).
  async touch(type, points) {
    await this.send('Input.dispatchTouchEvent', {
      type, touchPoints: points.map(([x, y, id], i) => ({ x, y, id: id ?? i })),
    });
  }

  // A phone's tab (Browser.newPhonePage) turned to `width` x `height` CSS pixels.
  async turn(width, height) {
    const sideways = width > height;
    await this.send('Emulation.setDeviceMetricsOverride', {
      width, height, deviceScaleFactor: this.ratio, mobile: true,
      screenWidth: width, screenHeight: height,
      screenOrientation: { type: sideways ? 'landscapePrimary' : 'portraitPrimary', angle: sideways ? 90 : 0 },
    });
  }

  // The page as the player sees it; with `cssPixels`, one pixel of the
  // picture per CSS pixel whatever the device's ratio (smaller and quicker
  // to compare).
  async screenshot(cssPixels = false) {
    const params = { format: 'png' };
    if (cssPixels) {
      const [width, height, ratio] = await this.evaluate('[innerWidth, innerHeight, devicePixelRatio]');
      params.clip = { x: 0, y: 0, width, height, scale: 1 / ratio };
    }
    const { data } = await this.send('Page.captureScreenshot', params);
    return decodePng(Buffer.from(data, 'base64'));
  }
}

// ---------------------------------------------------------------------------
// Pixels
// ---------------------------------------------------------------------------

// An 8-bit RGB or RGBA PNG (what Chromium writes) as { width, height,
// pixel(x, y) -> 0xRRGGBB }.
export function decodePng(png) {
  let at = 8, width = 0, height = 0, channels = 0;
  const idat = [];
  while (at < png.length) {
    const length = png.readUInt32BE(at), type = png.toString('latin1', at + 4, at + 8);
    const body = png.subarray(at + 8, at + 8 + length);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      if (body[8] !== 8 || (body[9] !== 2 && body[9] !== 6) || body[12] !== 0) throw new Error('unexpected PNG layout');
      channels = body[9] === 6 ? 4 : 3;
    } else if (type === 'IDAT') {
      idat.push(body);
    }
    at += 12 + length;
  }
  const raw = inflateSync(Buffer.concat(idat));
  const stride = width * channels;
  const pixels = Buffer.alloc(stride * height);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    const out = pixels.subarray(y * stride, (y + 1) * stride);
    const prev = y > 0 ? pixels.subarray((y - 1) * stride, y * stride) : Buffer.alloc(stride);
    for (let i = 0; i < stride; ++i) {
      const a = i >= channels ? out[i - channels] : 0, b = prev[i], c = i >= channels ? prev[i - channels] : 0;
      let v = line[i];
      if (filter === 1) v += a;
      else if (filter === 2) v += b;
      else if (filter === 3) v += (a + b) >> 1;
      else if (filter === 4) {
        const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
        v += pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      }
      out[i] = v & 0xff;
    }
  }
  return {
    width, height,
    pixel(x, y) {
      const i = (Math.floor(y) * width + Math.floor(x)) * channels;
      return (pixels[i] << 16) | (pixels[i + 1] << 8) | pixels[i + 2];
    },
  };
}

// True when two 0xRRGGBB colours differ by at most `tolerance` in every channel.
export function colourNear(a, b, tolerance) {
  for (const shift of [16, 8, 0]) {
    if (Math.abs(((a >> shift) & 0xff) - ((b >> shift) & 0xff)) > tolerance) return false;
  }
  return true;
}

// The share (0..1) of sampled pixels, every `step`th of every `step`th row,
// that differ by more than `tolerance`; pictures of different sizes differ
// everywhere.
export function shareChanged(a, b, tolerance, step = 4) {
  if (a.width !== b.width || a.height !== b.height) return 1;
  let changed = 0, all = 0;
  for (let y = 0; y < a.height; y += step) {
    for (let x = 0; x < a.width; x += step) {
      ++all;
      if (!colourNear(a.pixel(x, y), b.pixel(x, y), tolerance)) ++changed;
    }
  }
  return all ? changed / all : 0;
}

// "Click to Start" on a tab of `width` x `height` CSS pixels: the loading
// screen's band, and white letters under the logo.
export async function showsStartScreen(page, width, height) {
  const shot = await page.screenshot(true);
  if (!colourNear(shot.pixel(40, height / 2), 0xbb7c42, 4)) return false;
  let white = 0;
  for (let y = Math.round(0.7 * height) - 10; y < 0.7 * height + 10; ++y) {
    for (let x = width / 2 - 120; x < width / 2 + 120; x += 2) if (colourNear(shot.pixel(x, y), 0xffffff, 24)) ++white;
  }
  return white > 40;
}

// The menu: neither the loading screen's band nor its background.
export async function showsMenu(page, height) {
  const p = (await page.screenshot(true)).pixel(40, height / 2);
  return !colourNear(p, 0xbb7c42, 12) && !colourNear(p, 0x282850, 4) && p !== 0;
}

// A round at 640 x 480 CSS pixels, as the desktop's tests see it in its
// window: a point inside the energy bar, full green while energy lasts.
export async function showsEnergyBar(page) {
  return colourNear((await page.screenshot(true)).pixel(265, 44), 0x00ff00, 8);
}

// The pause menu: the orange line under its band.
export async function showsPauseMenu(page) {
  const p = (await page.screenshot(true)).pixel(4, 302);
  return (p >> 16 & 0xff) > 200 && (p >> 8 & 0xff) > 90 && (p >> 8 & 0xff) < 150 && (p & 0xff) < 60;
}

// The pause menu with "End Game" selected: its icon drawn white.
export async function endGameSelected(page) {
  const shot = await page.screenshot(true);
  const p = shot.pixel(4, 302);
  const menu = (p >> 16 & 0xff) > 200 && (p >> 8 & 0xff) > 90 && (p >> 8 & 0xff) < 150 && (p & 0xff) < 60;
  return menu && colourNear(shot.pixel(320 - 150, 240), 0xffffff, 20);
}

// A 640 x 480 tab at `address`, past "Click to Start" and in the menu; throws
// when either did not come.
export async function openToMenu(browser, address) {
  const page = await browser.newPage(640, 480);
  await page.goto(address);
  if (!(await waitUntil(() => showsStartScreen(page, 640, 480), 60))) throw new Error('"Click to Start" did not appear');
  await page.click(320, 240);
  if (!(await waitUntil(() => showsMenu(page, 480), 30))) throw new Error('no menu after the click');
  return page;
}

// Clicks the page's element that `selector` finds (one of the page's own controls).
export async function clickOn(page, selector) {
  const [x, y] = await page.evaluate(`(() => {
    const box = document.querySelector(${JSON.stringify(selector)}).getBoundingClientRect();
    return [box.left + box.width / 2, box.top + box.height / 2];
  })()`);
  await page.click(x, y);
}
