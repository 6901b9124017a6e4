// Keeps the page's files, so that after one visit Vendrola opens without a
// network. The cache is named after the files' content: a build that
// changes any of them is fetched afresh at the next visit and replaces the
// old files, and nothing else is kept.
"use strict";

const kCache = "vendrola-@PROJECT_VERSION@-%CONTENT%";
const kFiles = [@VENDROLA_WEB_FILES@];

self.addEventListener("install", (event) => {
  event.waitUntil((async () => {
    const cache = await caches.open(kCache);
    await Promise.all(kFiles.map(async (file) => {
      // Never an older copy from the browser's HTTP cache: each file is
      // checked with the host, which sends it again only where it changed
      // (the page has just loaded the program, which is not loaded twice).
      const response = await fetch(new Request(file, { cache: "no-cache" }));
      if (!response.ok)
        throw new Error(`${file}: ${response.status}`);
      // A host may answer the page's address with a redirect (index.html
      // to ./, or back); kept as a plain answer, which a navigation may use.
      await cache.put(file, response.redirected
        ? new Response(await response.blob(), { status: 200, headers: response.headers })
        : response);
    }));
    await self.skipWaiting();
  })());
});

self.addEventListener("activate", (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter((name) => name.startsWith("vendrola-") && name !== kCache)
                                      .map((name) => caches.delete(name))))
    .then(() => self.clients.claim()));
});

// The program's own files come from the cache first; the page is the same
// whether asked for as ./ or as index.html. Anything else, such as the
// licences, comes from the network.
self.addEventListener("fetch", (event) => {
  if (event.request.method !== "GET")
    return;
  const scope = new URL("./", self.registration.scope).href;
  const page = event.request.mode === "navigate" &&
               [scope, `${scope}index.html`].includes(event.request.url.split(/[?#]/)[0]);
  event.respondWith(caches.open(kCache)
    .then((cache) => cache.match(page ? "./" : event.request, { ignoreSearch: true }))
    .then((kept) => kept || fetch(event.request)));
});
