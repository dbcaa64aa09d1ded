// The initialiser: compiles and instantiates the module with the few system
// calls it imports, then runs its static constructors.
const ownScript = document.currentScript ? document.currentScript.src : '';
let initialising = null;

function systemImports() {
  return {
    env: { emscripten_notify_memory_growth: () => {} },
    wasi_snapshot_preview1: {
      proc_exit: (code) => { throw new Error('Stilaro si è fermato (codice ' + code + ')'); },
      // The module's calendar is the user's: the wall clock is handed over as if
      // it were UTC, so the module's dates (TODAY) match the user's day.
      clock_time_get: (id, precision, out) => {
        views();
        const now = Date.now() - new Date().getTimezoneOffset() * 60000;
        new DataView(heap).setBigUint64(out, BigInt(now) * 1000000n, true);
        return 0;
      },
    },
  };
}

// Any other system call the module may name answers "not supported" (ENOSYS).
function importsFor(module) {
  const known = systemImports();
  for (const { module: from, name, kind } of WebAssembly.Module.imports(module)) {
    if (kind !== 'function') continue;
    known[from] = known[from] || {};
    if (!known[from][name]) known[from][name] = () => 52;
  }
  return known;
}

async function compile(source) {
  source = await source;
  if (source instanceof WebAssembly.Module) return source;
  if (source instanceof ArrayBuffer || ArrayBuffer.isView(source)) return WebAssembly.compile(source);
  const response = source instanceof Response ? source : await fetch(source);
  if (!response.ok) throw new Error('non trovo ' + response.url);
  return WebAssembly.compile(await response.arrayBuffer());
}

async function instantiate(source) {
  const [module] = await Promise.all([compile(source), loadCellFonts()]);
  const instance = await WebAssembly.instantiate(module, importsFor(module));
  wasm = instance.exports;
  heap = null;
  wasm._initialize();
  views();
}

function stilaro(options) {
  if (!initialising) {
    const given = options && options.module_or_path !== undefined;
    const source = given ? options.module_or_path : ownScript.replace(/\.js(\?.*)?$/, '_bg.wasm');
    initialising = instantiate(source).catch((error) => {
      initialising = null;
      throw error;
    });
  }
  return initialising;
}
