// Keeps the page's files, so that after one visit Vendrola opens without a
// network. Only this build's own files are kept: each is checked against
// its SHA-256, written here when the page is installed, and a file that
// does not match (half uploaded, stale, wrong) makes the whole install
// fail, leaving the copy kept before in use until a later visit finds the
// new build whole. The cache is named after the files' content and the
// worker's scope: copies of the page in two folders of one site keep their
// own files, and each removes only its own older copies.
"use strict";

const kContent = "vendrola-@PROJECT_VERSION@-%CONTENT%";
// Each file the page loads, with its integrity digest.
const kFiles = new Map([]);
const kScope = self.registration.scope;
const kCache = `${kContent} ${kScope}`;
// The addresses the worker answers for: its files, and the page both as
// its folder and as index.html.
const kKept = new Map([...kFiles.keys()].map((file) => [new URL(file, kScope).href, file]));
kKept.set(new URL("index.html", kScope).href, "./");

// A file as this build made it. It is checked with the host first, which
// sends it again only where it changed (the page has just loaded the
// program, which is not downloaded twice); one that does not match is
// asked for again past the browser's HTTP cache, which may hold an older
// or a half-written copy.
async function fetchWhole(file, integrity) {
  for (const cache of ["no-cache", "reload"]) {
    try {
      const response = await fetch(new Request(file, { cache, integrity }));
      if (response.ok)
        return response;
    } catch (error) {
      // not this build's file, or no network: asked again, then given up
    }
  }
  throw new Error(`${file}: not this build's file`);
}

self.addEventListener("install", (event) => {
  event.waitUntil((async () => {
    const cache = await caches.open(kCache);
    const kept = await Promise.allSettled([...kFiles].map(async ([file, integrity]) => {
      const response = await fetchWhole(file, integrity);
      // A host may answer the page's address with a redirect (index.html
      // to ./, or back); kept as a plain answer, which a navigation may use.
      await cache.put(file, response.redirected
        ? new Response(await response.blob(), { status: 200, headers: response.headers })
        : response);
    }));
    const failed = kept.find((result) => result.status === "rejected");
    if (failed) {
      // Nothing half-kept takes the storage: the worker is not installed
      // and the page goes on as it was, from its older copy or online.
      await caches.delete(kCache);
      throw failed.reason;
    }
    await self.skipWaiting();
  })());
});

// This copy's older caches go, and those of the builds that named their
// cache without its scope; other copies' caches stay.
function older(name) {
  return name !== kCache && (name.endsWith(` ${kScope}`) || /^vendrola-[0-9.]+-[0-9a-f]+$/.test(name));
}

self.addEventListener("activate", (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter(older).map((name) => caches.delete(name))))
    .then(() => self.clients.claim()));
});

// The page's own files come from the cache; anything else in the scope
// (the licences, another program's files) is left to the browser. Where
// the storage fails or has lost a file, the file comes from the network.
self.addEventListener("fetch", (event) => {
  const file = kKept.get(event.request.url.split(/[?#]/)[0]);
  if (event.request.method !== "GET" || !file)
    return;
  event.respondWith((async () => {
    try {
      const kept = await caches.match(new URL(file, kScope).href, { cacheName: kCache });
      if (kept)
        return kept;
    } catch (error) {
      // the storage is unavailable: the network answers
    }
    return fetch(event.request);
  })());
});
