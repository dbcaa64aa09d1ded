// Chromium's sampling CPU profiler through the DevTools protocol: where one
// operation in the page spends its time, summed by function (self time).
const IDLE = new Set(['(idle)', '(root)']);

export async function profiler(context, page) {
  const cdp = await context.newCDPSession(page);
  await cdp.send('Profiler.enable');
  await cdp.send('Profiler.setSamplingInterval', { interval: 100 });
  return {
    start: () => cdp.send('Profiler.start'),
    async stop() {
      const { profile } = await cdp.send('Profiler.stop');
      return selfTimes(profile);
    },
  };
}

// Self time per function in ms, largest first. A sample's time is the gap to the next one.
export function selfTimes(profile) {
  const byId = new Map(profile.nodes.map((n) => [n.id, n]));
  const totals = new Map();
  const { samples, timeDeltas } = profile;
  for (let i = 0; i < samples.length; i++) {
    const node = byId.get(samples[i]);
    const name = frameName(node.callFrame);
    if (IDLE.has(name)) continue;
    const gap = (i + 1 < timeDeltas.length ? timeDeltas[i + 1] : 0) / 1000;
    totals.set(name, (totals.get(name) || 0) + gap);
  }
  return [...totals].map(([name, ms]) => ({ name, ms })).sort((a, b) => b.ms - a.ms);
}

function frameName({ functionName, url }) {
  const name = functionName || '(anonymous)';
  if (!url || name.startsWith('(')) return name;
  const file = url.slice(url.lastIndexOf('/') + 1).replace(/\?.*$/, '');
  return file.startsWith('wasm') ? name : name + ' ' + file;
}

export function summary(title, times, top = 8) {
  const total = times.reduce((sum, t) => sum + t.ms, 0);
  const lines = times.slice(0, top).map((t) => `    ${t.ms.toFixed(1).padStart(7)} ms  ${t.name}`);
  return `  ${title} (${total.toFixed(1)} ms sampled):\n` + lines.join('\n');
}
