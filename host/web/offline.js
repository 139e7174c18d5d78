// host/web/offline.js - lets the page start and play without a network, and
// take a new build at its next start, through the page's service worker
// (service-worker.js, written from host/web/service_worker.js).
//
// Once the game's runtime has started (so that nothing here competes with
// the page's own first download), either a new version of the worker, which
// installed in the background during an earlier visit and waits, is asked
// to take over, and the page starts once more, from the new version's files
// alone; or, once the player has started, the worker is registered (the
// first time, it fills its cache:
// the whole page, once), and the active worker is asked to complete its
// cache: the page's own files, and every piece of the game's data the page
// has fetched so far (one resolution of the art, the sounds); each piece it
// fetches later (after the player's start, or when the game wants it) is
// handed to the worker as it arrives.
//
// window.lanternOffline.state says how far it got: 'starting', 'updating' (a
// new version takes over and the page starts again), 'waiting' (for the
// player's start), 'registering', 'ready' (the active worker holds the
// page and the data it has fetched: the page starts without a network), 'unsupported' (no service workers here: the page is
// not served over HTTPS or from this machine) or 'failed' (with .error).
// window.lanternOffline.ready is a promise of the version, once 'ready'.
(function() {
  'use strict';
  let settle;
  const offline = { state: 'starting', version: null, cache: null, error: null };
  offline.ready = new Promise((resolve, reject) => { settle = { resolve, reject }; });
  // Whoever waits for it hears of a failure; nobody has to wait.
  offline.ready.catch(() => {});
  window.lanternOffline = offline;

  function fail(error) {
    offline.state = 'failed';
    offline.error = String((error && error.message) || error);
    console.warn('The page cannot be kept for offline play: ' + offline.error);
    settle.reject(error);
  }

  if (!('serviceWorker' in navigator)) {
    offline.state = 'unsupported';
    settle.reject(new Error('no service workers in this browser or on this address'));
    return;
  }
  const workers = navigator.serviceWorker;

  // The version waiting at start-up, if any: one that installed in the
  // background while an older one answered this page.
  async function waitingVersion() {
    const registration = await workers.getRegistration();
    const waiting = registration && registration.waiting;
    if (!waiting) return null;
    // A page that no worker answered came from the network: the new version
    // takes over for the next start, and this one goes on.
    if (!workers.controller) {
      waiting.postMessage({ type: 'take-over' });
      return null;
    }
    return waiting;
  }

  // The player's first press: from then on the page never starts again by
  // itself, which would throw the game away.
  let played = false;
  for (const type of ['pointerdown', 'keydown', 'touchstart']) {
    window.addEventListener(type, () => { played = true; }, { capture: true, once: true, passive: true });
  }

  // Asks the waiting version to take over; true when it did and the page
  // starts again from its files, false when it gave way to a still newer
  // one, or took over only after the player had begun.
  function takeOver(waiting) {
    offline.state = 'updating';
    return new Promise((resolve) => {
      function takenOver() {
        resolve(!played);
        if (!played) location.reload();
      }
      workers.addEventListener('controllerchange', takenOver, { once: true });
      waiting.addEventListener('statechange', () => {
        if (waiting.state !== 'redundant') return;
        workers.removeEventListener('controllerchange', takenOver);
        resolve(false);
      });
      waiting.postMessage({ type: 'take-over' });
    });
  }

  // Answers the worker gives on a port of their own.
  function ask(worker, message) {
    return new Promise((resolve) => {
      const channel = new MessageChannel();
      channel.port1.onmessage = (event) => resolve(event.data);
      worker.postMessage(message, [channel.port2]);
    });
  }

  // The registration's active worker, once there is one; fails when the
  // worker being installed is thrown away (its cache could not be filled).
  function activeWorker(registration) {
    return new Promise((resolve, reject) => {
      (function check() {
        if (registration.active) return resolve(registration.active);
        const worker = registration.installing || registration.waiting;
        if (!worker) return reject(new Error('the service worker did not install'));
        worker.addEventListener('statechange', check, { once: true });
      })();
    });
  }

  async function register() {
    offline.state = 'registering';
    const registration = await workers.register('service-worker.js');
    const worker = await activeWorker(registration);
    const data = typeof Module === 'object' && Module && Module.lanternData;
    const pieces = data ? data.pieces() : [];
    const answer = await ask(worker, { type: 'fill', pieces });
    if (!answer || !answer.ok) throw new Error((answer && answer.error) || 'no answer from the service worker');
    if (data) {
      // Kept as they come; a piece that cannot be kept now is fetched again
      // when the page next wants it.
      const keep = (piece) => {
        ask(worker, { type: 'fill', pieces: [piece] }).then((kept) => {
          if (!kept || !kept.ok) console.warn('The page cannot keep ' + piece + ' for offline play');
        });
      };
      data.onPiece = keep;
      // Those that arrived while the worker was filling.
      for (const piece of data.pieces().filter((each) => !pieces.includes(each))) keep(piece);
    }
    offline.version = answer.version;
    offline.cache = answer.cache;
    offline.state = 'ready';
    settle.resolve(answer.version);
  }

  // The player's start (index.html says it with the event 'lantern-started').
  function playerStarted() {
    return new Promise((resolve) => {
      if (window.lanternStarted) resolve();
      else window.addEventListener('lantern-started', resolve, { once: true });
    });
  }

  // The take-over waits for the runtime too: a browser activates a new
  // version only when the old one is answering no requests, and this page's
  // own downloads would keep it busy. The registration, which fetches the
  // page's files that the game does not need to start, waits for the
  // player's start: before it, the page fetches only what the start needs.
  async function afterStart() {
    const waiting = await waitingVersion();
    if (waiting && (await takeOver(waiting))) return;
    offline.state = 'waiting';
    await playerStarted();
    await register();
  }

  // The page's Module (index.html) says when the runtime has started; its
  // own handler runs first, as before.
  if (typeof Module === 'object' && Module) {
    const started = Module.onRuntimeInitialized;
    Module.onRuntimeInitialized = function() {
      try {
        if (typeof started === 'function') return started.apply(this, arguments);
      } finally {
        afterStart().catch(fail);
      }
    };
  } else {
    window.addEventListener('load', () => afterStart().catch(fail), { once: true });
  }
})();
