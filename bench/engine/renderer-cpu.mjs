// CPU time the browser's renderer processes spend, read from Linux's per-thread
// scheduler counters: the page's main thread apart from the renderer's other
// threads, where the browser compiles hot WebAssembly functions with its
// optimising compiler while the page goes on in the baseline code.
import { readdirSync, readFileSync } from 'node:fs';

const read = (path) => {
  try {
    return readFileSync(path, 'utf8');
  } catch {
    return '';  // the process or thread has ended
  }
};
const list = (path) => {
  try {
    return readdirSync(path);
  } catch {
    return [];
  }
};
const parentOf = (pid) => read(`/proc/${pid}/stat`).split(') ')[1]?.split(' ')[1];
const pids = () => list('/proc').filter((p) => /^\d+$/.test(p));

// The renderers started by the browser that runs with this profile folder.
export function renderersOf(profile) {
  const all = pids();
  const browser = all.find((p) => {
    const cmd = read(`/proc/${p}/cmdline`);
    return cmd.includes(`--user-data-dir=${profile}`) && !cmd.includes('--type=');
  });
  const descends = (pid) => {
    for (let p = pid, hops = 0; p && p !== '1' && hops < 8; p = parentOf(p), hops++) if (p === browser) return true;
    return false;
  };
  return all.filter((p) => read(`/proc/${p}/cmdline`).includes('--type=renderer') && descends(p));
}

// Nanoseconds on the CPU so far: each renderer's main thread and all its threads.
export function cpuTimes(renderers) {
  return renderers.map((pid) => {
    let main = 0, all = 0;
    for (const tid of list(`/proc/${pid}/task`)) {
      const ns = Number(read(`/proc/${pid}/task/${tid}/schedstat`).split(' ')[0]) || 0;
      all += ns;
      if (tid === pid) main = ns;
    }
    return { pid, main, all };
  });
}

// What the busiest renderer spent between two readings, in ms.
export function spent(before, after) {
  let best = { main: 0, others: 0 };
  for (const a of after) {
    const b = before.find((x) => x.pid === a.pid) || { main: 0, all: 0 };
    const main = (a.main - b.main) / 1e6, others = (a.all - b.all) / 1e6 - main;
    if (main > best.main) best = { main, others };
  }
  return best;
}
