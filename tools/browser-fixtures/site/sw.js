// The page is cached at install and served from the cache first: it loads offline.
const VERSION = '@VERSION@';
self.addEventListener('install', event => {
  event.waitUntil(caches.open('pages').then(cache => cache.add('/')));
  self.skipWaiting();
});
self.addEventListener('activate', event => event.waitUntil(self.clients.claim()));
self.addEventListener('fetch', event => {
  if (new URL(event.request.url).pathname === '/sw-version') {
    event.respondWith(new Response(VERSION));
    return;
  }
  event.respondWith(caches.match(event.request).then(cached => cached || fetch(event.request)));
});
