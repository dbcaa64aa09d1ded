// Starts the dev server on a free loopback port and hands back its base URL.
import { spawn } from 'node:child_process';
import { existsSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';

const root = join(dirname(fileURLToPath(import.meta.url)), '..', '..', '..');
export const SERVE = process.env.TARVELA_SERVE ?? join(root, 'out', 'native', 'server', 'tarvela-serve');

export async function startServer({ site } = {}) {
  if (!existsSync(SERVE)) throw new Error(`${SERVE} is missing: build the native preset first`);
  const env = { ...process.env };
  if (site === undefined) delete env.TARVELA_SITO; else env.TARVELA_SITO = site;
  const child = spawn(SERVE, ['--port', '0'], { env, stdio: ['ignore', 'pipe', 'inherit'] });
  const base = await new Promise((resolve, reject) => {
    let seen = '';
    child.stdout.on('data', (chunk) => {
      seen += chunk;
      const line = seen.match(/^(http:\/\/\S+\/)\s*$/m);
      if (line) resolve(line[1]);
    });
    child.once('exit', (code) => reject(new Error(`tarvela-serve ended with ${code}`)));
  });
  const stop = () => new Promise((resolve) => {
    if (child.exitCode !== null) return resolve();
    child.once('exit', resolve);
    child.kill('SIGTERM');
  });
  return { base, stop };
}
