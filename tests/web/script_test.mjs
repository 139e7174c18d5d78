// tests/web/script_test.mjs - the page's script as the link minified it: the
// names the page (index.html, offline.js) and the script share through Module,
// and the browser names in host/web/closure_externs.js, are still there by
// name. The page's tests in Chromium play it; this says which name went.
//
//   node --experimental-websocket --test tests/web/
//
// LANTERN_WEB_PAGE names the page's folder (default build-web/page).
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import { test } from 'node:test';
import { fileURLToPath } from 'node:url';

const kPageFolder = process.env.LANTERN_WEB_PAGE || fileURLToPath(new URL('../../build-web/page', import.meta.url));
const source = (path) => readFileSync(fileURLToPath(new URL(`../../${path}`, import.meta.url)), 'utf8');
const script = readFileSync(join(kPageFolder, 'lantern-vault.js'), 'utf8');
// Closure renames what it may: a name still in the script was kept.
const named = (name) => new RegExp(`(^|[^\\w$])${name}\\b`).test(script);

test('the Module properties the page hands to the script keep their names', () => {
  const page = source('host/web/index.html') + source('host/web/offline.js');
  const literal = page.match(/var Module = \{([\s\S]*?)\n  \};/)[1];
  const names = new Set([...literal.matchAll(/^ {4}(\w+):/gm), ...page.matchAll(/Module\.(\w+) =/g)].map((m) => m[1]));
  // The loading bar's figures and the start's hook are the page's own (and its tests').
  names.delete('pageLoad');
  names.delete('gameStarted');
  names.delete('watchReplay');
  for (const name of ['canvas', 'print', 'setStatus', 'onRuntimeInitialized', 'wasmBinary', 'lanternData']) {
    assert.ok(names.has(name), `index.html no longer sets Module.${name}: is this test reading it right?`);
  }
  // The page's data loader, as the script calls it.
  for (const name of ['deliver', 'want', 'playerStarted']) names.add(name);
  // And what the script hands back: the page's tests read these.
  names.add('soundState').add('_lantern_web_frame_count');
  assert.deepEqual([...names].filter((name) => !named(name)), [], 'renamed in lantern-vault.js');
});

test('the browser names in the externs file keep their names', () => {
  const externs = source('host/web/closure_externs.js');
  const names = [...externs.matchAll(/^(?:var (\w+)|\w+\.prototype\.(\w+));$/gm)].map((m) => m[1] || m[2]);
  assert.ok(names.includes('localStorage') && names.includes('userActivation'), names.join(' '));
  assert.deepEqual(names.filter((name) => !named(name)), [], 'renamed in lantern-vault.js');
  // Minified at all: a link without Closure would keep the library's own names.
  assert.equal(/\bLanternPage\b/.test(script), false, 'lantern-vault.js was not minified');
});
