// The web app's service worker: keeps the page's files, all of one version,
// in a cache of that version and serves them from there, so that the page
// opens without a network after the first visit.
//
// How a new version reaches the user: the build writes into this file the
// list of the page's files and a version made from their contents, so any
// change to the page is a change to the worker.  The browser looks for a new
// worker each time the page is opened, and the page asks again whenever it
// comes back to the front (a phone keeps an installed app open for days).  A
// new worker fetches all files of its version into a cache of its own, then
// takes over at once and deletes the older caches.  The page already open
// goes on as it is, with all its files loaded; the next time it is opened
// or reloaded it is the new version.  A worker that cannot fetch its files
// (the network went away) is dropped and the old version stays in use.
'use strict';

const VERSION = '@VOSTRA_WEB_VERSION@';
const FILES = [/*@VOSTRA_WEB_FILES@*/];
// Several copies of the page may live on one origin, in other folders: each
// keeps its own caches.
const PREFIX = 'vostra ' + self.registration.scope + ' ';
const CACHE = PREFIX + VERSION;

self.addEventListener('install', (event) => {
  event.waitUntil((async () => {
    const cache = await caches.open(CACHE);
    // Past the HTTP cache: the files must be the ones of this version.
    await cache.addAll(FILES.map((f) => new Request(f, { cache: 'reload' })));
    await self.skipWaiting();
  })());
});

self.addEventListener('activate', (event) => {
  event.waitUntil((async () => {
    for (const key of await caches.keys()) {
      if (key.startsWith(PREFIX) && key !== CACHE) await caches.delete(key);
    }
    await self.clients.claim();
  })());
});

self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) return;
  event.respondWith((async () => {
    const cache = await caches.open(CACHE);
    // The page opened with a query (from a shortcut, say) is the page.
    const kept = await cache.match(request, { ignoreSearch: request.mode === 'navigate' });
    return kept || fetch(request);
  })());
});
