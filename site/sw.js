'use strict';
// Offline copy of the site. The page and card files come from the network first so that
// changes arrive at once; everything else comes from the stored copy, which changes only
// with a new cache version.

const CACHE = 'tarvela-v26';
const FOTO = [
  'sorvelo-sala-pesi', 'sorvelo-macchinari', 'sorvelo-area-corsi', 'sorvelo-sala',
  'tavra-esterno', 'tavra-sala-pesi', 'tavra-ingresso', 'tavra-reception',
  'sorvelo-esterno', 'sorvelo-sala-corsi', 'sorvelo-palle-mediche', 'sorvelo-macchine',
  'sorvelo-manubri', 'sorvelo-panche', 'sorvelo-rack', 'tavra-sala', 'tavra-macchine', 'tavra-kettlebell',
];
const ALL_INSTALLAZIONE = [
  './', './index.html', './manifest.json', './logo.png', './icon-192.png', './icon-512.png',
  './foglio/stilaro.js', './foglio/stilaro_wasm.js',
  ...FOTO.map((nome) => './foto/' + nome + '.jpg'),
];
const PRIMA_RETE = /(\.html|\/|\.xlsx|\.xls|\.csv)$/;

self.addEventListener('install', (e) => {
  e.waitUntil((async () => {
    const cache = await caches.open(CACHE);
    // One request per file: a missing file must not stop the others.
    await Promise.all(ALL_INSTALLAZIONE.map((url) => cache.add(url).catch(() => {})));
    await self.skipWaiting();
  })());
});

self.addEventListener('activate', (e) => {
  e.waitUntil((async () => {
    const nomi = await caches.keys();
    await Promise.all(nomi.filter((n) => n !== CACHE).map((n) => caches.delete(n)));
    await self.clients.claim();
  })());
});

self.addEventListener('fetch', (e) => {
  const req = e.request;
  if (req.method !== 'GET') return;
  const url = new URL(req.url);
  if (url.origin !== self.location.origin) return;
  // The downloadable apps are large: never stored.
  if (url.pathname.includes('/app/')) return;
  const navigazione = req.mode === 'navigate';
  const html = (req.headers.get('accept') || '').includes('text/html');
  if (navigazione || html || PRIMA_RETE.test(url.pathname.toLowerCase())) {
    e.respondWith(primaRete(req, url.origin + url.pathname, navigazione));
  } else {
    e.respondWith(primaCache(req));
  }
});

async function copiaSalvata(cache, chiave, navigazione) {
  const copia = await cache.match(chiave);
  if (copia || !navigazione) return copia;
  return (await cache.match(new URL('./', self.location).href))
    || cache.match(new URL('./index.html', self.location).href);
}

// The key has no query: the card file is asked with a new "?t=" each time and every such
// request must find the same copy.
async function primaRete(req, chiave, navigazione) {
  const cache = await caches.open(CACHE);
  const copia = await copiaSalvata(cache, chiave, navigazione);
  let risposta;
  try {
    risposta = await fetch(req);
  } catch {
    return copia || Response.error();
  }
  if (risposta.type === 'opaqueredirect') return risposta;
  // An error answer never replaces a good copy.
  if (!risposta.ok) return copia || risposta;
  cache.put(chiave, risposta.clone()).catch(() => {});
  return risposta;
}

async function primaCache(req) {
  const cache = await caches.open(CACHE);
  const copia = await cache.match(req);
  if (copia) return copia;
  const risposta = await fetch(req);
  if (risposta.status === 200) cache.put(req, risposta.clone()).catch(() => {});
  return risposta;
}
