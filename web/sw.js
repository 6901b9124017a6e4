// Keeps the page's files, so that after one visit Vendrola opens without a
// network. The cache is named after the version: a new version's files
// replace the old ones, and nothing else is kept.
"use strict";

const kCache = "vendrola-@PROJECT_VERSION@";
const kFiles = [@VENDROLA_WEB_FILES@];

self.addEventListener("install", (event) => {
  event.waitUntil(caches.open(kCache)
    .then((cache) => cache.addAll(kFiles))
    .then(() => self.skipWaiting()));
});

self.addEventListener("activate", (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter((name) => name.startsWith("vendrola-") && name !== kCache)
                                      .map((name) => caches.delete(name))))
    .then(() => self.clients.claim()));
});

// The program's own files come from the cache first; anything else, such
// as the licences, from the network.
self.addEventListener("fetch", (event) => {
  if (event.request.method !== "GET")
    return;
  event.respondWith(caches.open(kCache)
    .then((cache) => cache.match(event.request, { ignoreSearch: true }))
    .then((kept) => kept || fetch(event.request)));
});
