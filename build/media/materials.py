"""Procedural surfaces for the ray-cast shell: floors, walls, ceilings, glass and facades.

Every material is a callable (a, b, p) -> Surface, with (a, b) the plane coordinates in metres.
Variation comes from integer hashes of positions, so the pictures repeat exactly run after run.
"""
import numpy as np

from scene import Surface


def rgb(c):
    return np.asarray(c, np.float32) / 255.0


def cell_hash(i, j, salt=0):
    """A value in [0, 1) for integer lattice cells."""
    h = (i.astype(np.int64) * 73856093) ^ (j.astype(np.int64) * 19349663) ^ (salt * 83492791)
    h = (h ^ (h >> 13)) * 1274126177
    h = h ^ (h >> 16)
    return (h & 0xFFFF).astype(np.float32) / 65536.0


def smooth_noise(a, b, scale, salt=0):
    """Bilinear value noise with features of about `scale` metres."""
    x, y = a / scale, b / scale
    i, j = np.floor(x), np.floor(y)
    fx, fy = x - i, y - j
    fx, fy = fx * fx * (3 - 2 * fx), fy * fy * (3 - 2 * fy)
    i, j = i.astype(np.int64), j.astype(np.int64)
    v00, v10 = cell_hash(i, j, salt), cell_hash(i + 1, j, salt)
    v01, v11 = cell_hash(i, j + 1, salt), cell_hash(i + 1, j + 1, salt)
    return (v00 * (1 - fx) + v10 * fx) * (1 - fy) + (v01 * (1 - fx) + v11 * fx) * fy


def _seam(coord, size, width):
    f = np.mod(coord, size)
    return (f < width) | (f > size - width)


def rubber_floor(colour=(24, 25, 28), tile=1.0, flecks=((100, 100, 104), (50, 70, 140), (150, 36, 42)),
                 gloss=0.22):
    base_c = rgb(colour)

    def mat(a, b, p):
        ti, tj = np.floor(a / tile), np.floor(b / tile)
        var = 0.88 + 0.2 * cell_hash(ti, tj, 3)
        c = base_c * var[:, None] * (0.9 + 0.2 * smooth_noise(a, b, 0.35, 5))[:, None]
        fi, fj = np.floor(a / 0.008), np.floor(b / 0.008)
        h = cell_hash(fi, fj, 7)
        for k, fc in enumerate(flecks):
            sel = (h > 0.975 - 0.008 * k) & (h <= 0.983 - 0.008 * k)
            c[sel] = c[sel] * 0.5 + rgb(fc) * 0.5
        seam = _seam(a, tile, 0.006) | _seam(b, tile, 0.006)
        c[seam] *= 0.55
        return Surface(c, gloss=gloss)
    return mat


def parquet(plank=0.14, length=1.2, tones=((176, 122, 74), (150, 98, 58), (196, 142, 92)), gloss=0.38,
            along_a=False):
    tones = np.stack([rgb(t) for t in tones])

    def mat(a, b, p):
        u, v = (b, a) if along_a else (a, b)
        row = np.floor(u / plank)
        shift = cell_hash(row, row * 0 + 1, 11) * length
        col = np.floor((v + shift) / length)
        pick = cell_hash(row, col, 13)
        t0 = np.floor(pick * len(tones)).astype(int) % len(tones)
        c = tones[t0] * (0.86 + 0.22 * cell_hash(row, col, 17))[:, None]
        grain = 0.93 + 0.07 * np.sin((np.mod(u, plank) * 90) + smooth_noise(u * 6, v, 0.3, 19) * 9)
        c = c * grain[:, None]
        seam = (np.mod(u, plank) < 0.004) | (np.mod(v + shift, length) < 0.005)
        c[seam] *= 0.55
        return Surface(c, gloss=gloss)
    return mat


def paint(colour, bands=(), panels=(), mirrors=(), windows=(), texture=0.05, sky=None):
    """A painted wall: `bands` are (b0, b1, colour) stripes across it, `panels` (a0, a1, b0, b1, colour)
    painted areas, `mirrors` (a0, a1, b0, b1) mirror panes, `windows` (a0, a1, b0, b1) glazed openings."""
    base_c = rgb(colour)

    def mat(a, b, p):
        c = np.broadcast_to(base_c, (a.size, 3)).copy()
        for b0, b1, bc in bands:
            sel = (b >= b0) & (b < b1)
            c[sel] = rgb(bc)
        for a0, a1, b0, b1, pc in panels:
            sel = (a >= a0) & (a < a1) & (b >= b0) & (b < b1)
            c[sel] = rgb(pc)
        c = c * (1 - texture + 2 * texture * smooth_noise(a, b, 0.8, 23))[:, None]
        mirror = np.zeros(a.size, np.float32)
        emit = None
        for a0, a1, b0, b1 in mirrors:
            inner = (a >= a0) & (a < a1) & (b >= b0) & (b < b1)
            frame = inner & ((a < a0 + 0.02) | (a > a1 - 0.02) | (b < b0 + 0.02) | (b > b1 - 0.02) |
                             _seam(a - a0, 1.2, 0.004))
            glass = inner & ~frame
            c[frame] = rgb((150, 152, 158))
            c[glass] = rgb((40, 44, 52))
            mirror[glass] = 0.82
        for a0, a1, b0, b1 in windows:
            inner = (a >= a0) & (a < a1) & (b >= b0) & (b < b1)
            mull = inner & (_seam(a - a0, 1.0, 0.03) | (b < b0 + 0.05) | (b > b1 - 0.05) |
                            (np.abs(b - (b0 + b1) / 2) < 0.025))
            pane = inner & ~mull
            if emit is None:
                emit = np.zeros((a.size, 3), np.float32)
            t = np.clip((b[pane] - b0) / max(b1 - b0, 1e-3), 0, 1)[:, None]
            emit[pane] = (rgb((215, 228, 240)) * t + rgb((235, 238, 235)) * (1 - t)) * 1.5
            c[pane] = 0
            c[mull] = rgb((55, 57, 62))
        return Surface(c, emit=emit, mirror=mirror)
    return mat


def ceiling(colour=(40, 41, 45), panels=(), emit=2.2, beams=0.0):
    """Ceiling with rectangular light panels (x0, x1, z0, z1) that glow."""
    base_c = rgb(colour)

    def mat(a, b, p):
        c = np.broadcast_to(base_c, (a.size, 3)).copy()
        if beams:
            c[_seam(b, beams, 0.05)] *= 0.7
        e = np.zeros((a.size, 3), np.float32)
        for x0, x1, z0, z1 in panels:
            sel = (a >= x0) & (a < x1) & (b >= z0) & (b < z1)
            e[sel] = np.array([1.0, 0.98, 0.94], np.float32) * emit
            rim = (a >= x0 - 0.03) & (a < x1 + 0.03) & (b >= z0 - 0.03) & (b < z1 + 0.03) & ~sel
            c[rim] = rgb((170, 170, 175))
        return Surface(c, emit=e)
    return mat


def glass_front(frame=(60, 62, 68), pane=1.2, mullion=0.05, transom=None, interior=(36, 38, 44), lit=0.0):
    """A shop-front: dark panes that mirror the street, metal frames; `lit` makes the inside glow."""
    fc, ic = rgb(frame), rgb(interior)

    def mat(a, b, p):
        c = np.broadcast_to(ic, (a.size, 3)).copy()
        mirror = np.full(a.size, 0.45, np.float32)
        fr = _seam(a, pane, mullion / 2)
        if transom is not None:
            fr |= np.abs(b - transom) < mullion / 2
        c[fr] = fc
        mirror[fr] = 0.0
        e = None
        if lit:
            e = np.zeros((a.size, 3), np.float32)
            glow = (0.5 + 0.5 * smooth_noise(a, b, 0.9, 31))[:, None] * rgb((255, 236, 205)) * lit
            e[~fr] = glow[~fr]
        return Surface(c, emit=e, mirror=mirror)
    return mat


def plaster(colour, texture=0.06, joints=None):
    base_c = rgb(colour)

    def mat(a, b, p):
        c = base_c * (1 - texture + 2 * texture * smooth_noise(a, b, 0.6, 41))[:, None]
        c = c * (0.97 + 0.06 * smooth_noise(a * 7, b * 7, 0.5, 43))[:, None]
        if joints:
            c[_seam(b, joints, 0.008) | _seam(a, joints * 2, 0.008)] *= 0.8
        return Surface(c)
    return mat


def paving(colour=(150, 148, 142), size=0.5, kerb_at=None, road=(52, 54, 58)):
    """Square pavement slabs, and asphalt beyond the kerb line (a value of b)."""
    base_c, road_c = rgb(colour), rgb(road)

    def mat(a, b, p):
        var = 0.9 + 0.16 * cell_hash(np.floor(a / size), np.floor(b / size), 47)
        c = base_c * var[:, None]
        c = c * (0.95 + 0.1 * smooth_noise(a, b, 0.25, 49))[:, None]
        c[_seam(a, size, 0.006) | _seam(b, size, 0.006)] *= 0.7
        if kerb_at is not None:
            street = b < kerb_at
            c[street] = road_c * (0.85 + 0.3 * smooth_noise(a[street], b[street], 0.05, 53))[:, None]
            kerb = (b >= kerb_at) & (b < kerb_at + 0.15)
            c[kerb] = rgb((175, 173, 168))
            line = street & (np.abs(b - (kerb_at - 3.5)) < 0.06) & (np.mod(a, 4.0) < 2.2)
            c[line] = rgb((220, 220, 215))
        return Surface(c)
    return mat


def sky(top=(70, 120, 190), horizon=(200, 220, 236), clouds=0.35):
    """Daylight sky with soft clouds, as a function of ray direction."""
    top_c, hor_c = rgb(top), rgb(horizon)

    def f(d):
        t = np.clip(d[:, 1], 0, 1)[:, None] ** 0.6
        c = hor_c * (1 - t) + top_c * t
        u = d[:, 0] / np.maximum(d[:, 1] + 0.15, 0.05)
        v = d[:, 2] / np.maximum(d[:, 1] + 0.15, 0.05)
        n = smooth_noise(u, v, 1.4, 59) * 0.65 + smooth_noise(u, v, 0.5, 61) * 0.35
        cl = np.clip((n - 0.52) * 3.0, 0, 1)[:, None] * clouds * (d[:, 1:2] > -0.02)
        c = c * (1 - cl) + cl * np.array([0.97, 0.97, 0.98], np.float32)
        return c * 1.55
    return f


def zones(default, areas):
    """One material over a plane, another inside each (a0, a1, b0, b1, material) area."""

    def mat(a, b, p):
        surf = default(a, b, p)
        n = a.size
        base = surf.base.copy()
        emit = np.zeros((n, 3), np.float32) if surf.emit is None else surf.emit.copy()
        mirror = np.broadcast_to(np.asarray(surf.mirror, np.float32), (n,)).copy()
        gloss = np.broadcast_to(np.asarray(surf.gloss, np.float32), (n,)).copy()
        for a0, a1, b0, b1, m in areas:
            sel = (a >= a0) & (a < a1) & (b >= b0) & (b < b1)
            if not sel.any():
                continue
            s = m(a[sel], b[sel], p[sel])
            base[sel] = s.base
            emit[sel] = 0 if s.emit is None else s.emit
            mirror[sel] = s.mirror
            gloss[sel] = s.gloss
        return Surface(base, emit=emit, mirror=mirror, gloss=gloss)
    return mat
