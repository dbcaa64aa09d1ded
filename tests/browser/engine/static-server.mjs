// A tiny static server for the engine's browser tests: the site at "/", the
// test page at "/prova/" and the card fixtures at "/schede/".
import { createServer } from 'node:http';
import { readFile } from 'node:fs/promises';
import { extname, join, normalize, sep } from 'node:path';

const TYPES = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.mjs': 'text/javascript; charset=utf-8',
  '.xlsx': 'application/vnd.openxmlformats-officedocument.spreadsheetml.sheet',
  '.wasm': 'application/wasm',
};

export async function serveStatic(mounts) {
  const server = createServer(async (request, response) => {
    const path = decodeURIComponent(new URL(request.url, 'http://x').pathname);
    const mount = Object.keys(mounts).sort((a, b) => b.length - a.length).find((m) => path.startsWith(m));
    const root = mount && mounts[mount];
    const file = root && normalize(join(root, path.slice(mount.length)));
    const inside = file && (file + sep).startsWith(normalize(root) + sep);
    if (!inside) {
      response.writeHead(404).end();
      return;
    }
    try {
      const body = await readFile(file);
      response.writeHead(200, { 'content-type': TYPES[extname(file)] || 'application/octet-stream', 'cache-control': 'no-store' });
      response.end(body);
    } catch {
      response.writeHead(404).end();
    }
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  const base = `http://127.0.0.1:${server.address().port}/`;
  return { base, stop: () => new Promise((resolve) => server.close(resolve)) };
}
