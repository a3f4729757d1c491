// SPDX-License-Identifier: GPL-3.0-or-later
// Keeps the site for use offline: every file of it is stored at install, and served from the
// store first. A new build has a new store name, so an update replaces the old one whole.
const STORE = 'marovane-__BUILD__';
const FILES = __FILES__;

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(STORE).then((store) => store.addAll(FILES)).then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter((n) => n.startsWith('marovane-') && n !== STORE).map((n) => caches.delete(n))))
    .then(() => self.clients.claim()));
});

self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) return;
  event.respondWith(caches.open(STORE)
    .then((store) => store.match(request, { ignoreSearch: true }))
    .then((stored) => stored ?? fetch(request)));
});
