// tools/bench_web/bench_web.mjs - the web page measured in play: frames and
// updates per second, and the CPU time of the whole browser, in headless
// Chromium with software WebGL at 640 x 480.
//
//   node --experimental-websocket tools/bench_web/bench_web.mjs [PAGE_FOLDER]
//
// A round is started with the space key and the player walks left and right,
// so that the maze scrolls; after a warm-up, kTurns turns of kTurnSeconds
// each are measured: the game's own counts of rendered frames and updates
// (host/web/webgame.cpp), the longest gap between the browser's animation
// frames, and the CPU time of every process of the browser (its renderer,
// which runs the game, and its GPU process, which rasterises WebGL in
// software) from /proc. Prints rows of the benchmark table: medians of the
// turns. tools/bench_web.sh puts the desktop game's figures beside them.
// Then the memory after the turns: the module's memory (which only grows, so
// it is the page's peak heap) and what the C heap holds of it, the script's
// own heap, and the peak resident memory of the browser's processes.
import { readdirSync, readFileSync } from 'node:fs';
import { fileURLToPath } from 'node:url';

import { Browser, colourNear, serveFolder, sleep, waitUntil } from '../../tests/web/browser.mjs';

const kWarmupSeconds = 3;
const kTurns = 5;
const kTurnSeconds = 3;
const kWalkSeconds = 1.5;  // the player turns round this often
const kTicks = 100;        // clock ticks per second in /proc (USER_HZ)

const folder = process.argv[2] || fileURLToPath(new URL('../../build-web/page', import.meta.url));

function row(what, figure, decimals, unit, target, note = '') {
  console.log(`${what.padEnd(40)} ${figure.toFixed(decimals).padStart(10)}  ${unit.padEnd(8)} ${target.padEnd(12)} ${note}`);
}

const median = (values) => {
  const v = [...values].sort((a, b) => a - b);
  return v.length % 2 ? v[(v.length - 1) / 2] : (v[v.length / 2 - 1] + v[v.length / 2]) / 2;
};

// A figure of every process, summed over process `root` and all its
// descendants, in all and by Chromium's process type (browser, renderer,
// gpu-process, utility, ...): CPU seconds, or with `field` a line of
// /proc/PID/status in MiB.
function treeSum(root, field) {
  const parent = new Map(), figure = new Map();
  for (const name of readdirSync('/proc')) {
    if (!/^\d+$/.test(name)) continue;
    try {
      const stat = readFileSync(`/proc/${name}/stat`, 'utf8');
      const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
      parent.set(Number(name), Number(fields[1]));
      if (field) {
        const line = readFileSync(`/proc/${name}/status`, 'utf8').split('\n').find((l) => l.startsWith(field + ':'));
        figure.set(Number(name), line ? Number(line.split(/\s+/)[1]) / 1024 : 0);
      } else {
        figure.set(Number(name), (Number(fields[11]) + Number(fields[12])) / kTicks);
      }
    } catch {}
  }
  const byType = { all: 0 };
  for (const [pid, seconds] of figure) {
    for (let p = pid; p > 1; p = parent.get(p) ?? 0) {
      if (p !== root) continue;
      let type = 'browser';
      try {
        type = /--type=([a-z-]+)/.exec(readFileSync(`/proc/${pid}/cmdline`, 'utf8'))?.[1] ?? 'browser';
      } catch {}
      byType[type] = (byType[type] ?? 0) + seconds;
      byType.all += seconds;
      break;
    }
  }
  return byType;
}

const treeCpu = (root) => treeSum(root);
const minus = (a, b) => Object.fromEntries(Object.keys(a).map((k) => [k, a[k] - (b[k] ?? 0)]));

const server = await serveFolder(folder);
const browser = await Browser.launch();
try {
  const page = await browser.newPage(640, 480);
  await page.goto(server.url);
  const band = async () => colourNear((await page.screenshot()).pixel(64, 240), 0xbb7c42, 4);
  const energyBar = async () => colourNear((await page.screenshot()).pixel(265, 44), 0x00ff00, 8);
  if (!(await waitUntil(band, 30))) throw new Error('no loading screen');
  await sleep(1500);
  await page.click(320, 240);
  await waitUntil(async () => !(await band()), 20);
  await sleep(1500);
  const startRound = async () => {
    if (!(await page.pressUntil(' ', energyBar))) throw new Error('no round started');
  };
  await startRound();
  // The browser's own frames: the longest gap between two of them in a turn.
  await page.evaluate(`(() => {
    window.benchGap = 0;
    let last = 0;
    const tick = (t) => { if (last) window.benchGap = Math.max(window.benchGap, t - last); last = t; requestAnimationFrame(tick); };
    requestAnimationFrame(tick);
  })()`);

  let walking = 'ArrowRight', turned = Date.now();
  await page.keyDown(walking);
  const walk = async () => {
    if (Date.now() - turned < kWalkSeconds * 1000) return;
    await page.keyUp(walking);
    walking = walking === 'ArrowRight' ? 'ArrowLeft' : 'ArrowRight';
    await page.keyDown(walking);
    turned = Date.now();
  };
  const counts = () => page.evaluate('[Module._lantern_web_frame_count(0), Module._lantern_web_frame_count(1), window.benchGap]');
  const until = async (end) => { while (Date.now() < end) { await walk(); await sleep(100); } };

  await until(Date.now() + kWarmupSeconds * 1000);
  const turns = [];
  while (turns.length < kTurns) {
    await page.evaluate('window.benchGap = 0');
    const [frames0, updates0] = await counts();
    const cpu0 = treeCpu(browser.child.pid), t0 = Date.now();
    await until(t0 + kTurnSeconds * 1000);
    const [frames1, updates1, gap] = await counts();
    const seconds = (Date.now() - t0) / 1000, cpu = minus(treeCpu(browser.child.pid), cpu0);
    if (!(await energyBar())) {
      // The round ended during the turn (the banner, then the menu): start another.
      await page.keyUp(walking);
      await waitUntil(async () => !(await energyBar()) && (await page.screenshot()).pixel(20, 216) !== 0, 30);
      await sleep(3000);
      await startRound();
      await page.keyDown(walking);
      continue;
    }
    turns.push({ fps: (frames1 - frames0) / seconds, ups: (updates1 - updates0) / seconds, cpu: cpu.all / seconds, gap,
                 split: Object.fromEntries(Object.entries(cpu).map(([k, v]) => [k, v / seconds])) });
  }
  await page.keyUp(walking);
  row('frames per second: web page', median(turns.map((t) => t.fps)), 1, 'fps', '60 steady',
      `turns ${turns.map((t) => t.fps.toFixed(1)).join(' ')}; updates ${median(turns.map((t) => t.ups)).toFixed(1)}/s`);
  row('longest animation-frame gap: web page', median(turns.map((t) => t.gap)), 1, 'ms', '',
      `worst turn ${Math.max(...turns.map((t) => t.gap)).toFixed(1)} ms`);
  const types = Object.keys(turns[0].split).filter((k) => k !== 'all');
  row('CPU per second of play: web page', median(turns.map((t) => t.cpu)), 3, 's/s', '',
      'all of Chromium: ' + types.map((k) => `${k} ${median(turns.map((t) => t.split[k] ?? 0)).toFixed(3)}`).join(', '));

  const mib = 1024 * 1024;
  const [memory, used, script] = await page.evaluate(
    '[Module._lantern_web_heap_bytes(0), Module._lantern_web_heap_bytes(1), performance.memory ? performance.memory.usedJSHeapSize : 0]');
  row('page heap: module memory', memory / mib, 1, 'MiB', '', `its peak (it only grows); the C heap holds ${(used / mib).toFixed(1)} MiB of it now`);
  row('page heap: script', script / mib, 1, 'MiB', '', 'the JavaScript heap in use (performance.memory)');
  const peak = treeSum(browser.child.pid, 'VmHWM');
  row('peak resident memory: Chromium', peak.all, 1, 'MiB', '',
      'the sum of its processes\' peaks, shared pages counted in each: ' +
      Object.keys(peak).filter((k) => k !== 'all').map((k) => `${k} ${peak[k].toFixed(1)}`).join(', '));
} finally {
  await browser.close();
  await server.close();
}
