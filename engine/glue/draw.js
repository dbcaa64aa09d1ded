// Replays the module's display list on the canvas 2D context. Coordinates come
// in CSS pixels and are snapped to device pixels so one-pixel lines stay sharp.
const colours = new Map();
// Whatever font a cell names, its text is drawn with Calibri's metrics, as the layout measured it.
const FONT = 'px Carlito, Calibri, sans-serif';

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

function drawList(ctx, dpr) {
  views();
  const listAt = wasm.st_list_words() >> 2;
  const end = listAt + wasm.st_list_count();
  const poolAt = wasm.st_list_strings();
  const text = (k) => decoder.decode(u8.subarray(poolAt + u32[k], poolAt + u32[k] + u32[k + 1]));
  const px = (v) => Math.round(v * dpr);
  ctx.setTransform(1, 0, 0, 1, 0, 0);
  ctx.textBaseline = 'alphabetic';
  let i = listAt;
  while (i < end) {
    switch (u32[i++]) {
      case 1: {  // rect
        const x = px(f32[i]), y = px(f32[i + 1]);
        ctx.fillStyle = cssColour(u32[i + 4]);
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
        ctx.strokeStyle = cssColour(u32[i + 5]);
        ctx.lineWidth = width;
        ctx.setLineDash(DASHES[u32[i + 6]].map((d) => d * dpr));
        ctx.beginPath();
        ctx.moveTo(x1, y1);
        ctx.lineTo(x2, y2);
        ctx.stroke();
        i += 7;
        break;
      }
      case 3: {  // text
        const flags = u32[i + 3];
        const size = f32[i + 4] * dpr;
        ctx.font = (flags & 8 ? 'italic ' : '') + (flags & 4 ? 'bold ' : '') + size.toFixed(2) + FONT;
        ctx.fillStyle = cssColour(u32[i + 2]);
        ctx.textAlign = ['left', 'center', 'right'][flags & 3];
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
        break;
      case 6: {  // filter button
        drawFilterButton(ctx, px(f32[i]), px(f32[i + 1]), px(f32[i + 2]), px(f32[i + 3]), u32[i + 4] === 1, dpr);
        i += 5;
        break;
      }
      case 7: {  // frame
        const width = Math.max(1, Math.round(f32[i + 4] * dpr));
        const x = px(f32[i]), y = px(f32[i + 1]);
        ctx.strokeStyle = cssColour(u32[i + 5]);
        ctx.lineWidth = width;
        ctx.setLineDash([]);
        ctx.strokeRect(x + width / 2, y + width / 2, px(f32[i] + f32[i + 2]) - x - width, px(f32[i + 1] + f32[i + 3]) - y - width);
        i += 6;
        break;
      }
      default:
        throw new Error('Stilaro: elenco di disegno guasto');
    }
  }
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
