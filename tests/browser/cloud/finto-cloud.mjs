// A small stand-in of the cloud's HTTP API, answered by request interception, and the page
// configured for it with the real client library served from the npm package.
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import { apri } from '../lib/sito.mjs';

export const PROGETTO = 'https://progetto.cloud.test';
export const CHIAVE = 'chiave-pubblica-di-prova';
export const LIBRERIA = 'https://cdn.jsdelivr.net/npm/@supabase/supabase-js@2.109.0/dist/umd/supabase.js';
const UMD = readFileSync(join(import.meta.dirname, '..', '..', '..', 'node_modules', '@supabase', 'supabase-js', 'dist', 'umd', 'supabase.js'));

const CORS = { 'access-control-allow-origin': '*', 'access-control-allow-headers': '*', 'access-control-allow-methods': '*' };
const b64 = (o) => Buffer.from(JSON.stringify(o)).toString('base64url');

// The page as a gym with a cloud project serves it: the project written in the settings block.
export function conCloud(html, url, chiave) {
  const blocco = /(<script type="application\/json" id="impostazioniCloud">)[^<]*(<\/script>)/;
  if (!blocco.test(html)) throw new Error('the page no longer carries the cloud settings block');
  return html.replace(blocco, `$1${JSON.stringify({ url, chiave })}$2`);
}

export function jwt(utente) {
  return b64({ alg: 'HS256', typ: 'JWT' }) + '.' + b64({ sub: utente.id, email: utente.email, role: 'authenticated',
    exp: Math.floor(Date.now() / 1000) + 3600 }) + '.firma';
}

export function sessione(utente) {
  return { access_token: jwt(utente), token_type: 'bearer', expires_in: 3600, expires_at: Math.floor(Date.now() / 1000) + 3600,
    refresh_token: 'rinnovo-' + utente.id, user: { id: utente.id, email: utente.email, aud: 'authenticated', role: 'authenticated' } };
}

// State of the fake: accounts, profiles, objects; every request is recorded in `richieste`.
export function creaFinto() {
  const f = {
    utenti: [], profili: [], oggetti: new Map(), richieste: [],
    senzaTabella: false, conferma: true, uscitaOffline: false, risposte: {},
  };
  f.utente = (id, email, password, nome, ruolo = 'atleta', confermato = true) => {
    f.utenti.push({ id, email, password, confermato });
    f.profili.push({ id, email, nome, ruolo, istruttore: null, creato: new Date().toISOString() });
  };
  f.chi = (headers) => {
    const token = (headers.authorization || '').replace(/^Bearer /, '');
    const parti = token.split('.');
    if (parti.length !== 3) return null;
    return JSON.parse(Buffer.from(parti[1], 'base64url')).sub;
  };
  return f;
}

// The file part of a multipart upload (what the client sends for a Blob), or the raw body.
function parteFile(buffer, tipo) {
  const confine = /boundary=(.+)$/.exec(tipo || '');
  if (!confine) return { byte: buffer, tipo };
  const sep = Buffer.from('--' + confine[1]);
  let da = buffer.indexOf(sep);
  while (da >= 0) {
    const a = buffer.indexOf(sep, da + sep.length);
    const parte = buffer.subarray(da + sep.length, a < 0 ? buffer.length : a);
    const fine = parte.indexOf('\r\n\r\n');
    const testa = parte.subarray(0, fine).toString();
    if (/filename=/.test(testa)) {
      return { byte: parte.subarray(fine + 4, parte.length - 2), tipo: /Content-Type: (.+)/i.exec(testa)[1].trim() };
    }
    da = a;
  }
  return { byte: buffer, tipo };
}

const json = (status, corpo) => ({ status, headers: { ...CORS, 'content-type': 'application/json' }, body: JSON.stringify(corpo) });

async function rispondi(f, route) {
  const req = route.request();
  const url = new URL(req.url());
  const metodo = req.method();
  if (metodo === 'OPTIONS') return route.fulfill({ status: 204, headers: CORS });
  const headers = req.headers();
  const buffer = req.postDataBuffer();
  let corpo = null;
  if (buffer && (headers['content-type'] || '').includes('json')) corpo = JSON.parse(buffer.toString());
  f.richieste.push({ metodo, percorso: url.pathname + url.search, headers, corpo, grezzo: buffer });
  const chiave = metodo + ' ' + url.pathname;
  if (f.risposte[chiave]) {
    const r = f.risposte[chiave];
    return r === 'offline' ? route.abort('internetdisconnected') : route.fulfill(json(r.status, r.corpo));
  }
  const io = f.chi(headers);

  if (chiave === 'POST /auth/v1/token' && url.searchParams.get('grant_type') === 'password') {
    const u = f.utenti.find((x) => x.email === corpo.email && x.password === corpo.password);
    if (!u) return route.fulfill(json(400, { code: 'invalid_credentials', message: 'Invalid login credentials' }));
    if (!u.confermato) return route.fulfill(json(400, { code: 'email_not_confirmed', message: 'Email not confirmed' }));
    return route.fulfill(json(200, sessione(u)));
  }
  if (chiave === 'POST /auth/v1/token') {
    const u = f.utenti.find((x) => 'rinnovo-' + x.id === corpo.refresh_token);
    return route.fulfill(u ? json(200, sessione(u)) : json(400, { code: 'refresh_token_not_found', message: 'Invalid Refresh Token' }));
  }
  if (chiave === 'POST /auth/v1/signup') {
    const id = '00000000-0000-4000-8000-' + String(f.utenti.length + 1).padStart(12, '0');
    f.utente(id, corpo.email, corpo.password, corpo.data?.nome || '', 'atleta', !f.conferma);
    return route.fulfill(json(200, f.conferma ? { id, email: corpo.email, aud: 'authenticated', role: 'authenticated' }
      : sessione(f.utenti.at(-1))));
  }
  if (chiave === 'POST /auth/v1/recover') return route.fulfill(json(200, {}));
  if (chiave === 'GET /auth/v1/user' || chiave === 'PUT /auth/v1/user') {
    const u = f.utenti.find((x) => x.id === io);
    if (!u) return route.fulfill(json(401, { code: 'bad_jwt', message: 'invalid JWT' }));
    if (metodo === 'PUT') {
      if (corpo.password === u.password) {
        return route.fulfill(json(422, { code: 'same_password', message: 'New password should be different from the old password.' }));
      }
      u.password = corpo.password;
    }
    return route.fulfill(json(200, { id: u.id, email: u.email, aud: 'authenticated', role: 'authenticated' }));
  }
  if (chiave === 'POST /auth/v1/logout') {
    if (f.uscitaOffline) return route.abort('internetdisconnected');
    return route.fulfill({ status: 204, headers: CORS });
  }
  if (url.pathname.startsWith('/rest/v1/')) {
    if (f.senzaTabella || url.pathname !== '/rest/v1/profili') {
      return route.fulfill(json(404, { code: 'PGRST205', details: null, hint: null,
        message: 'Could not find the table \'public.profili\' in the schema cache' }));
    }
    if (metodo === 'GET') return route.fulfill(json(200, io ? f.profili.filter((p) => p.id === io || f.profili.find((x) => x.id === io)?.ruolo === 'titolare') : []));
    const id = (url.searchParams.get('id') || '').replace(/^eq\./, '');
    const p = f.profili.find((x) => x.id === id && (id === io || f.profili.find((y) => y.id === io)?.ruolo === 'titolare'));
    if (!p) return route.fulfill(json(200, []));
    Object.assign(p, corpo);
    return route.fulfill(json(200, [p]));
  }
  if (chiave === 'POST /storage/v1/object/list/schede') {
    const prima = corpo.prefix + '/';
    const nomi = [...f.oggetti.keys()].filter((k) => k.startsWith(prima)).map((k) => k.slice(prima.length)).sort();
    return route.fulfill(json(200, nomi.map((name) => ({ name, id: 'o-' + name, metadata: {} }))));
  }
  if (url.pathname.startsWith('/storage/v1/object/schede/')) {
    const percorso = decodeURIComponent(url.pathname.slice('/storage/v1/object/schede/'.length));
    if (metodo === 'GET') {
      const o = f.oggetti.get(percorso);
      if (!o) return route.fulfill(json(400, { statusCode: '404', code: 'NoSuchKey', error: 'not_found', message: 'Object not found' }));
      return route.fulfill({ status: 200, headers: { ...CORS, 'content-type': o.tipo }, body: o.byte });
    }
    if (!percorso.startsWith(io + '/')) {
      return route.fulfill(json(400, { statusCode: '403', code: 'AccessDenied', error: 'Unauthorized',
        message: 'new row violates row-level security policy' }));
    }
    f.oggetti.set(percorso, parteFile(buffer, headers['content-type']));
    return route.fulfill(json(200, { Id: 'x', Key: 'schede/' + percorso }));
  }
  if (chiave === 'DELETE /storage/v1/object/schede') {
    for (const p of corpo.prefixes) f.oggetti.delete(p);
    return route.fulfill(json(200, []));
  }
  return route.fulfill(json(404, { message: 'non previsto: ' + chiave }));
}

// Serves the page with the project's address and key written in, the library from the npm
// package (or `libreria` instead), and the fake for the project's address.
export async function collega(sito, f, { libreria = UMD } = {}) {
  await sito.context.route((url) => url.href === LIBRERIA, (route) => (libreria === 'offline'
    ? route.abort('internetdisconnected')
    : route.fulfill({ status: 200, headers: { 'content-type': 'application/javascript', 'access-control-allow-origin': '*' }, body: libreria })));
  await sito.context.route((url) => url.origin === PROGETTO, (route) => rispondi(f, route));
  await sito.context.route((url) => url.pathname === '/' || url.pathname === '/index.html', async (route) => {
    const r = await route.fetch();
    const testo = conCloud(await r.text(), PROGETTO, CHIAVE);
    await route.fulfill({ response: r, body: testo });
  });
}

export async function apriCollegata(sito, opzioni = {}) {
  const page = await apri(sito, opzioni);
  await page.waitForFunction(() => area.pronta);
  return page;
}

export function richiesteA(f, prefisso) { return f.richieste.filter((r) => (r.metodo + ' ' + r.percorso).startsWith(prefisso)); }
