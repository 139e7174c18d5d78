// host/web/service_worker.js - the page's service worker: it keeps one build
// of the page in the browser's cache storage, so that the game starts and
// plays without a network, and a new build is taken whole, at the page's
// next start, never file by file.
//
// The web build writes service-worker.js from this file after every link
// (host/web/page_files.mjs): FILES names every file of the page itself, and
// DATA every piece of the game's data, with the SHA-256 of its bytes; VERSION
// is a hash of all of them and of this file. Each version keeps its files in
// a cache of its own and answers only from it, so a page never gets files of
// two builds. The page fetches only the data it needs (one resolution of the
// art, and the rest later), so only that is kept: the page asks for each
// piece it has to be kept ('fill'), and a piece it fetches through the
// worker is kept as it passes.
//
//   install   fills this version's cache with every file of the page,
//             revalidated with the server and checked against its hash. There is no
//             skipWaiting here: the new version waits until a page starting
//             up asks it to take over (host/web/offline.js), or until no
//             page of the old version is open.
//   activate  deletes the caches of this page's other versions.
//   fetch     answers the page's files from this version's cache, else from
//             the network, keeping in the background what the network gave
//             when it is this version's file. Anything else is left to the
//             browser, as if there were no worker.
//   message   'take-over' makes a waiting version the active one; 'fill'
//             completes the cache with the page's files and the data pieces
//             the message names, and answers on the message's port.
'use strict';

const VERSION = '@PAGE_VERSION@';

// Every file of the page, with the SHA-256 of its bytes. The one list of them.
const FILES = {
@PAGE_FILE_HASHES@};
// Every piece of the game's data, likewise.
const DATA = {
@DATA_FILE_HASHES@};
const hashOf = (name) => (Object.prototype.hasOwnProperty.call(FILES, name) ? FILES[name]
                          : Object.prototype.hasOwnProperty.call(DATA, name) ? DATA[name] : null);

// Caches are shared by the whole site: a cache's name carries the page's
// folder (the worker's scope) as well as the version, so that the page's
// copies in other folders keep theirs.
const SCOPE = self.registration.scope;
const CACHE = `lantern-vault-${VERSION} ${SCOPE}`;
const kOurCache = /^lantern-vault-[0-9a-f]+ (.*)$/;

const urlOf = (name) => new URL(name, SCOPE).href;

// The page's file a URL asks for, whatever its query, or null when it asks
// for something else. The folder itself is index.html.
function fileOf(address) {
  const url = new URL(address);
  const path = url.origin + url.pathname;
  if (!path.startsWith(SCOPE)) return null;
  const name = path.slice(SCOPE.length) || 'index.html';
  return hashOf(name) !== null ? name : null;
}

async function sha256(bytes) {
  const digest = new Uint8Array(await crypto.subtle.digest('SHA-256', bytes));
  return Array.from(digest, (b) => b.toString(16).padStart(2, '0')).join('');
}

// Keeps the server's `response` as this version's file `name`, when it is
// that file: a failure or another build's bytes throw and keep nothing.
async function keep(cache, name, response) {
  if (response.status !== 200) throw new Error(`${name}: the server answered ${response.status}`);
  const bytes = await response.arrayBuffer();
  if ((await sha256(bytes)) !== hashOf(name)) throw new Error(`${name}: the server has another build of it`);
  // A response of our own making: never marked as redirected (which a
  // navigation refuses) and without the transfer's headers.
  const headers = { 'Content-Type': response.headers.get('Content-Type') || 'application/octet-stream' };
  await cache.put(urlOf(name), new Response(bytes, { status: 200, statusText: 'OK', headers }));
}

// Fetches every file of the page and every named data piece the cache
// lacks, past the browser's HTTP cache (it is revalidated with the server:
// never a stale copy of an older build).
async function fill(pieces = []) {
  const cache = await caches.open(CACHE);
  const names = [...Object.keys(FILES), ...pieces.filter((name) => Object.prototype.hasOwnProperty.call(DATA, name))];
  await Promise.all(names.map(async (name) => {
    if (await cache.match(urlOf(name))) return;
    // A data piece's address carries its hash, as the page fetches it: the
    // copy the browser got for the page serves, and no other build's can.
    const data = Object.prototype.hasOwnProperty.call(DATA, name);
    const address = data ? `${urlOf(name)}?v=${DATA[name].slice(0, 16)}` : urlOf(name);
    await keep(cache, name, await fetch(address, { cache: data ? 'force-cache' : 'no-cache' }));
  }));
}

self.addEventListener('install', (event) => {
  event.waitUntil(fill());
});

self.addEventListener('activate', (event) => {
  event.waitUntil((async () => {
    for (const name of await caches.keys()) {
      const ours = kOurCache.exec(name);
      if (ours && ours[1] === SCOPE && name !== CACHE) await caches.delete(name);
    }
  })());
});

async function answer(event, name) {
  const cache = await caches.open(CACHE);
  const kept = await cache.match(urlOf(name));
  if (kept) return kept;
  const response = await fetch(event.request);
  if (response.status === 200) {
    event.waitUntil(keep(cache, name, response.clone()).catch((error) => console.warn(error.message)));
  }
  return response;
}

self.addEventListener('fetch', (event) => {
  if (event.request.method !== 'GET') return;
  const name = fileOf(event.request.url);
  if (name !== null) event.respondWith(answer(event, name));
});

self.addEventListener('message', (event) => {
  const type = event.data && event.data.type;
  if (type === 'take-over') {
    // Not held by waitUntil: activation waits until the old version's events
    // are done, and this one would be among them.
    self.skipWaiting();
  } else if (type === 'fill' && event.ports[0]) {
    const port = event.ports[0];
    const pieces = Array.isArray(event.data.pieces) ? event.data.pieces : [];
    event.waitUntil(fill(pieces).then(
      () => port.postMessage({ ok: true, version: VERSION, cache: CACHE }),
      (error) => port.postMessage({ ok: false, error: String((error && error.message) || error) })));
  }
});
