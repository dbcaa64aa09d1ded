// Replays the module's display list on the canvas 2D context. Coordinates come
// in CSS pixels and are snapped to device pixels so one-pixel lines stay sharp.
const colours = new Map();
// Whatever font a cell names, its text is drawn with Calibri's metrics, as the layout measured it.
const FONT = 'px "' + CELL_FAMILY + '", Carlito, Calibri, sans-serif';

function cssColour(argb) {
  let css = colours.get(argb);
  if (!css) {
    const a = (argb >>> 24) / 255;
    css = 'rgba(' + ((argb >>> 16) & 255) + ',' + ((argb >>> 8) & 255) + ',' + (argb & 255) + ',' + a + ')';
    colours.set(argb, css);
  }
  return css;
}

const DASHES = [[], [3, 2], [1, 1], []];
const ALIGNS = ['left', 'center', 'right'];

// The context's state as last set here: runs of cells that look alike set it
// once. A restore (unclip) or a helper that sets it itself makes it unknown.
class PenState {
  constructor(ctx, dpr) {
    this.ctx = ctx;
    this.dpr = dpr;
    this.forget();
  }

  forget() {
    this.fill = this.stroke = this.width = this.dash = this.align = this.size = this.style = -1;
  }

  fillColour(argb) {
    if (argb !== this.fill) this.ctx.fillStyle = cssColour(this.fill = argb);
  }

  strokeColour(argb) {
    if (argb !== this.stroke) this.ctx.strokeStyle = cssColour(this.stroke = argb);
  }

  lineWidth(width) {
    if (width !== this.width) this.ctx.lineWidth = this.width = width;
  }

  lineDash(dash) {
    if (dash !== this.dash) this.ctx.setLineDash(DASHES[this.dash = dash].map((d) => d * this.dpr));
  }

  font(flags, size) {
    const style = flags & 12;
    if (size !== this.size || style !== this.style) {
      this.ctx.font = (flags & 8 ? 'italic ' : '') + (flags & 4 ? 'bold ' : '') + size.toFixed(2) + FONT;
      this.size = size;
      this.style = style;
    }
    if ((flags & 3) !== this.align) this.ctx.textAlign = ALIGNS[this.align = flags & 3];
  }
}

function drawList(ctx, dpr) {
  views();
  const listAt = wasm.st_list_words() >> 2;
  const end = listAt + wasm.st_list_count();
  const poolAt = wasm.st_list_strings();
  const text = (k) => decoder.decode(u8.subarray(poolAt + u32[k], poolAt + u32[k] + u32[k + 1]));
  const px = (v) => Math.round(v * dpr);
  const pen = new PenState(ctx, dpr);
  ctx.setTransform(1, 0, 0, 1, 0, 0);
  ctx.textBaseline = 'alphabetic';
  // Runs of opaque straight lines with the same pen go into one path and one
  // stroke: a card's grid is some two thousand lines.
  let lines = false;
  const strokeLines = () => {
    if (lines) ctx.stroke();
    lines = false;
  };
  let i = listAt;
  while (i < end) {
    const op = u32[i++];
    if (op !== 2) strokeLines();
    switch (op) {
      case 1: {  // rect
        const x = px(f32[i]), y = px(f32[i + 1]);
        pen.fillColour(u32[i + 4]);
        ctx.fillRect(x, y, px(f32[i] + f32[i + 2]) - x, px(f32[i + 1] + f32[i + 3]) - y);
        i += 5;
        break;
      }
      case 2: {  // line
        const width = Math.max(1, Math.round(f32[i + 4] * dpr));
        const half = width % 2 ? 0.5 : 0;
        let x1 = px(f32[i]), y1 = px(f32[i + 1]), x2 = px(f32[i + 2]), y2 = px(f32[i + 3]);
        if (y1 === y2) { y1 += half; y2 += half; }
        if (x1 === x2) { x1 += half; x2 += half; }
        const colour = u32[i + 5], dash = u32[i + 6];
        if (lines && (colour !== pen.stroke || width !== pen.width || dash !== pen.dash)) strokeLines();
        if (!lines) {
          pen.strokeColour(colour);
          pen.lineWidth(width);
          pen.lineDash(dash);
          ctx.beginPath();
          lines = true;
        }
        ctx.moveTo(x1, y1);
        ctx.lineTo(x2, y2);
        // Where two strokes overlap, a translucent or slanted (smoothed) one would
        // blend differently in one path: those are stroked alone.
        if (colour >>> 24 !== 255 || (x1 !== x2 && y1 !== y2)) strokeLines();
        i += 7;
        break;
      }
      case 3: {  // text
        const flags = u32[i + 3];
        const size = f32[i + 4] * dpr;
        pen.font(flags, size);
        pen.fillColour(u32[i + 2]);
        const x = f32[i] * dpr, y = f32[i + 1] * dpr;
        const run = text(i + 5);
        ctx.fillText(run, x, y);
        if (flags & 48) {
          const width = ctx.measureText(run).width;
          const from = (flags & 3) === 0 ? x : (flags & 3) === 1 ? x - width / 2 : x - width;
          ctx.fillRect(from, flags & 16 ? y + size * 0.1 : y - size * 0.28, width, Math.max(1, size / 14));
        }
        i += 7;
        break;
      }
      case 4: {  // clip
        const x = px(f32[i]), y = px(f32[i + 1]);
        ctx.save();
        ctx.beginPath();
        ctx.rect(x, y, px(f32[i] + f32[i + 2]) - x, px(f32[i + 1] + f32[i + 3]) - y);
        ctx.clip();
        i += 4;
        break;
      }
      case 5:  // unclip
        ctx.restore();
        pen.forget();
        break;
      case 6: {  // filter button
        drawFilterButton(ctx, px(f32[i]), px(f32[i + 1]), px(f32[i + 2]), px(f32[i + 3]), u32[i + 4] === 1, dpr);
        pen.forget();
        i += 5;
        break;
      }
      case 7: {  // frame
        const width = Math.max(1, Math.round(f32[i + 4] * dpr));
        const x = px(f32[i]), y = px(f32[i + 1]);
        pen.strokeColour(u32[i + 5]);
        pen.lineWidth(width);
        pen.lineDash(0);
        ctx.strokeRect(x + width / 2, y + width / 2, px(f32[i] + f32[i + 2]) - x - width, px(f32[i + 1] + f32[i + 3]) - y - width);
        i += 6;
        break;
      }
      case 8: {  // pattern
        const x = px(f32[i]), y = px(f32[i + 1]);
        if (u32[i + 6] >>> 24) {
          pen.fillColour(u32[i + 6]);
          ctx.fillRect(x, y, px(f32[i] + f32[i + 2]) - x, px(f32[i + 1] + f32[i + 3]) - y);
        }
        ctx.fillStyle = hatchPattern(ctx, u32[i + 4], u32[i + 5], dpr);
        pen.fill = -1;
        ctx.fillRect(x, y, px(f32[i] + f32[i + 2]) - x, px(f32[i + 1] + f32[i + 3]) - y);
        i += 7;
        break;
      }
      case 9: {  // path
        const count = u32[i];
        ctx.beginPath();
        for (let k = 0; k < count; k++) {
          const x = f32[i + 4 + 2 * k] * dpr, y = f32[i + 5 + 2 * k] * dpr;
          if (k === 0) ctx.moveTo(x, y); else ctx.lineTo(x, y);
        }
        if (u32[i + 3]) {
          ctx.closePath();
          pen.fillColour(u32[i + 2]);
          ctx.fill();
        } else {
          pen.strokeColour(u32[i + 2]);
          pen.lineWidth(Math.max(1, f32[i + 1] * dpr));
          ctx.lineJoin = 'round';
          pen.lineDash(0);
          ctx.stroke();
        }
        i += 4 + 2 * count;
        break;
      }
      default:
        throw new Error('Stilaro: elenco di disegno guasto');
    }
  }
  strokeLines();
}

// One tile per hatch and colour, repeated over the cell: an 8-pixel cell of dots or lines
// in the order of the Hatch names (darkGray … lightTrellis).
const hatches = new Map();
const HATCH_TILES = [
  null,
  ['xxx.xxx.', 'x.xxx.xx', 'xxx.xxx.', 'x.xxx.xx'],  // darkGray
  ['x.x.x.x.', '.x.x.x.x'],  // mediumGray
  ['x...x...', '..x...x.', 'x...x...', '..x...x.'],  // lightGray
  ['x.......', '........', '....x...', '........'],  // gray125
  ['x.......', '........', '........', '........', '....x...', '........', '........', '........'],  // gray0625
  ['xxxxxxxx', 'xxxxxxxx', '........', '........'],  // darkHorizontal
  ['xx..xx..'],  // darkVertical
  ['xx..', '.xx.', '..xx', 'x..x'],  // darkDown
  ['..xx', '.xx.', 'xx..', 'x..x'],  // darkUp
  ['xxxx', 'xxxx', 'xx..', 'xx..'],  // darkGrid
  ['xx..', 'xxxx', '..xx', 'xxxx'],  // darkTrellis
  ['xxxx', '....', '....', '....'],  // lightHorizontal
  ['x...'],  // lightVertical
  ['x...', '.x..', '..x.', '...x'],  // lightDown
  ['...x', '..x.', '.x..', 'x...'],  // lightUp
  ['xxxx', 'x...', 'x...', 'x...'],  // lightGrid
  ['x.x.', '.x..', 'x.x.', '...x'],  // lightTrellis
];

function hatchPattern(ctx, hatch, argb, dpr) {
  const key = hatch + ':' + argb + ':' + dpr;
  let made = hatches.get(key);
  if (made) return made;
  const rows = HATCH_TILES[hatch] || HATCH_TILES[2];
  const scale = Math.max(1, Math.round(dpr));
  const tile = document.createElement('canvas');
  tile.width = rows[0].length * scale;
  tile.height = rows.length * scale;
  const t = tile.getContext('2d');
  t.fillStyle = cssColour(argb);
  rows.forEach((row, y) => {
    for (let x = 0; x < row.length; x++) if (row[x] === 'x') t.fillRect(x * scale, y * scale, scale, scale);
  });
  made = ctx.createPattern(tile, 'repeat');
  hatches.set(key, made);
  return made;
}

function drawFilterButton(ctx, x, y, w, h, active, dpr) {
  ctx.fillStyle = active ? '#dbe6f8' : '#ffffff';
  ctx.fillRect(x, y, w, h);
  ctx.strokeStyle = active ? '#1a56b0' : '#8e8e9c';
  ctx.lineWidth = 1;
  ctx.setLineDash([]);
  ctx.strokeRect(x + 0.5, y + 0.5, w - 1, h - 1);
  const cx = x + w / 2, cy = y + h / 2, s = 3 * dpr;
  ctx.fillStyle = active ? '#1a56b0' : '#3a3a44';
  ctx.beginPath();
  if (active) {  // a funnel: the column is filtered
    ctx.moveTo(cx - s * 1.3, cy - s);
    ctx.lineTo(cx + s * 1.3, cy - s);
    ctx.lineTo(cx + s * 0.3, cy + 0.1 * s);
    ctx.lineTo(cx + s * 0.3, cy + s * 1.2);
    ctx.lineTo(cx - s * 0.3, cy + s * 0.8);
    ctx.lineTo(cx - s * 0.3, cy + 0.1 * s);
  } else {
    ctx.moveTo(cx - s, cy - s / 2);
    ctx.lineTo(cx + s, cy - s / 2);
    ctx.lineTo(cx, cy + s / 2 + 1);
  }
  ctx.closePath();
  ctx.fill();
}
