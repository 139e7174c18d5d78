// tests/web/offline_test.mjs - the page as an installable app: its manifest
// and icons, and its service worker taking a new build whole at the page's
// next start. (A round played after the page's server has gone is in
// phone_test.mjs.) In headless Chromium, as page_test.mjs.
//
//   node --experimental-websocket --test tests/web/
//
// LANTERN_WEB_PAGE names the page's folder (default build-web/page).
import assert from 'node:assert/strict';
import { createHash } from 'node:crypto';
import { cpSync, existsSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, describe, test } from 'node:test';
import { fileURLToPath } from 'node:url';

import { Browser, waitUntil, serveFolder } from './browser.mjs';

const kPageFolder = process.env.LANTERN_WEB_PAGE || fileURLToPath(new URL('../../build-web/page', import.meta.url));

const kTitle = (() => {
  const header = readFileSync(fileURLToPath(new URL('../../host/title.h', import.meta.url)), 'utf8');
  return header.match(/^#define LANTERN_TITLE "(.*)"\s*$/m)[1];
})();

// The value of `expression` in the page, or undefined while it is between
// two documents (the page starts itself again when it takes a new build).
async function inPage(page, expression) {
  try {
    return await page.evaluate(expression);
  } catch {
    return undefined;
  }
}

// Waits until the page's service worker holds the whole page; its version and
// cache. The page keeps itself once the player has started: a click passes
// "Click to Start" when the page waits for it (and only then, since a press
// before it keeps a new version from taking over).
async function offlineReady(page) {
  const ready = await waitUntil(async () => {
    const state = await inPage(page, 'lanternOffline.state');
    if (state === 'waiting') await page.click(320, 240);
    return state === 'ready';
  }, 60);
  assert.ok(ready, 'the page was not kept for offline play: ' +
            JSON.stringify(await inPage(page, 'window.lanternOffline')));
  return page.evaluate('({ version: lanternOffline.version, cache: lanternOffline.cache })');
}

const sha256 = (bytes) => createHash('sha256').update(bytes).digest('hex');

let browser;

before(async () => {
  assert.ok(existsSync(kPageFolder + '/service-worker.js'), `no page in ${kPageFolder}: run tools/web.sh first`);
  browser = await Browser.launch();
});

after(async () => {
  await browser?.close();
});

describe('the page installed for offline play', () => {
  // Played without its server after a first visit: tests/web/phone_test.mjs.
  test('has a manifest with both icons', async () => {
    const server = await serveFolder(kPageFolder);
    const page = await browser.newPage(640, 480);
    try {
      await page.goto(server.url);
      await offlineReady(page);

      // The manifest as the browser read it.
      const { url, errors, data } = await page.send('Page.getAppManifest');
      assert.equal(url, server.url + 'manifest.webmanifest');
      assert.deepEqual(errors, []);
      const manifest = JSON.parse(data);
      assert.deepEqual(manifest, {
        ...manifest,
        name: kTitle, short_name: 'Lantern Vault', start_url: './', scope: './', display: 'fullscreen',
        orientation: 'landscape', background_color: '#000000', theme_color: '#000000',
      });
      assert.deepEqual(manifest.display_override, ['fullscreen', 'standalone']);
      assert.deepEqual(manifest.icons.map((i) => [i.sizes, i.type, i.purpose]),
                       [['192x192', 'image/png', 'any'], ['512x512', 'image/png', 'any']]);
      // Each icon loads as a picture of the size it claims.
      for (const icon of manifest.icons) {
        const size = await page.evaluate(`(async () => {
          const image = new Image();
          image.src = ${JSON.stringify(icon.src)};
          await image.decode();
          return image.naturalWidth + 'x' + image.naturalHeight;
        })()`);
        assert.equal(size, icon.sizes);
      }
    } finally {
      await page.send('Page.close');
      await server.stop();
    }
  });

  test('takes a new build whole at its next start and deletes the old one', async () => {
    const folder = mkdtempSync(join(tmpdir(), 'lantern-page-'));
    cpSync(kPageFolder, folder, { recursive: true });
    const server = await serveFolder(folder);
    const page = await browser.newPage(640, 480);
    const newBuild = 'meta[name="test-build"]';
    try {
      await page.goto(server.url);
      const first = await offlineReady(page);
      assert.deepEqual(await page.evaluate('caches.keys()'), [first.cache]);

      // The next build changes index.html: the worker lists its new hash, under a new version.
      const index = join(folder, 'index.html'), worker = join(folder, 'service-worker.js');
      const oldHash = sha256(readFileSync(index));
      writeFileSync(index, readFileSync(index, 'utf8').replace('</head>', '<meta name="test-build" content="2">\n</head>'));
      const version = sha256(first.version).slice(0, 16);
      const script = readFileSync(worker, 'utf8');
      assert.ok(script.includes(oldHash) && script.includes(`'${first.version}'`));
      writeFileSync(worker, script.replaceAll(oldHash, sha256(readFileSync(index))).replaceAll(first.version, version));

      // The next start is still the old build, whole, while the new one installs behind it ...
      await page.reload();
      assert.ok(await waitUntil(() => inPage(page, 'navigator.serviceWorker.getRegistration().then((r) => !!r.waiting)'), 30),
                'the new build did not install');
      assert.equal(await page.evaluate(`!!document.querySelector('${newBuild}')`), false);
      // ... and the start after takes it over, starting once more from its files alone.
      await page.reload();
      const second = await offlineReady(page);
      assert.equal(second.version, version);
      assert.equal(await page.evaluate(`!!document.querySelector('${newBuild}')`), true);
      assert.deepEqual(await page.evaluate('caches.keys()'), [second.cache]);
    } finally {
      await page.send('Page.close');
      await server.stop();
      rmSync(folder, { recursive: true, force: true });
    }
  });
});
