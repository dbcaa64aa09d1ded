// The module's memory. Views are made again after any call that may have grown
// it; text and bytes cross the boundary through buffers the module allocates.
const encoder = new TextEncoder();
const decoder = new TextDecoder();
let wasm = null;  // the instance's exports
let heap = null;
let u8 = null;
let u32 = null;
let f32 = null;

function views() {
  if (wasm.memory.buffer !== heap) {
    heap = wasm.memory.buffer;
    u8 = new Uint8Array(heap);
    u32 = new Uint32Array(heap);
    f32 = new Float32Array(heap);
  }
}

function withBytes(bytes, call) {
  const ptr = wasm.st_alloc(bytes.length);
  views();
  u8.set(bytes, ptr);
  try {
    return call(ptr, bytes.length);
  } finally {
    wasm.st_free(ptr);
  }
}

function withText(text, call) {
  return withBytes(encoder.encode(text), call);
}

// The module's last answer (text or bytes) sits in its output buffer.
function outputBytes() {
  views();
  const ptr = wasm.st_out_ptr();
  return u8.slice(ptr, ptr + wasm.st_out_len());
}

function outputText() {
  views();
  const ptr = wasm.st_out_ptr();
  return decoder.decode(u8.subarray(ptr, ptr + wasm.st_out_len()));
}

function outputFloats(count) {
  views();
  const at = wasm.st_out_ptr() >> 2;
  return Array.from(f32.subarray(at, at + count));
}
