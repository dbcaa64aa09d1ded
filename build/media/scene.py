"""A small deterministic renderer for illustrated interiors and street views.

The room shell (floor, walls, ceiling, facades) is ray cast per pixel with numpy so that lighting,
textures and reflections are smooth; the furniture is flat-shaded polygons drawn with PIL at twice the
resolution, painter's order, then reduced; a final pass adds glow, vignette and grain.
"""
import math

import numpy as np
from PIL import Image, ImageDraw, ImageFilter

NEAR = 0.05


def _norm(v):
    v = np.asarray(v, np.float64)
    return v / np.linalg.norm(v)


class Camera:
    def __init__(self, pos, yaw, pitch, fov, width, height):
        self.pos = np.asarray(pos, np.float64)
        self.w, self.h = width, height
        self.f = (width / 2) / math.tan(math.radians(fov) / 2)
        y, p = math.radians(yaw), math.radians(pitch)
        self.fwd = np.array([math.sin(y) * math.cos(p), math.sin(p), math.cos(y) * math.cos(p)])
        self.right = np.array([math.cos(y), 0.0, -math.sin(y)])
        self.up = np.cross(self.fwd, self.right)
        self.m = np.stack([self.right, self.up, self.fwd])

    def scaled(self, k):
        c = Camera.__new__(Camera)
        c.__dict__.update(self.__dict__)
        c.w, c.h, c.f = round(self.w * k), round(self.h * k), self.f * k
        return c

    def to_cam(self, pts):
        return (np.asarray(pts, np.float64) - self.pos) @ self.m.T

    def project_cam(self, pc):
        return np.stack([self.w / 2 + self.f * pc[:, 0] / pc[:, 2], self.h / 2 - self.f * pc[:, 1] / pc[:, 2]], 1)

    def rays(self):
        v, u = np.mgrid[0:self.h, 0:self.w].astype(np.float32)
        x = (u + 0.5 - self.w / 2) / self.f
        y = -(v + 0.5 - self.h / 2) / self.f
        d = x[..., None] * self.right + y[..., None] * self.up + self.fwd
        return (d / np.linalg.norm(d, axis=-1, keepdims=True)).astype(np.float32)


class Light:
    def __init__(self, pos, power, reach=6.0, colour=(1.0, 0.97, 0.92)):
        self.pos = np.asarray(pos, np.float32)
        self.power, self.reach = power, reach
        self.colour = np.asarray(colour, np.float32)


class Lighting:
    """Point lights, one directional light (sun or key) and ambient, shared by shell and objects."""

    def __init__(self, lights, ambient=0.32, sun=None, sun_power=0.0, sky=(0.9, 0.95, 1.0)):
        self.lights = lights
        self.ambient = ambient
        self.sun = None if sun is None else _norm(sun).astype(np.float32)
        self.sun_power = sun_power
        self.sky = np.asarray(sky, np.float32)

    def at(self, p, n):
        """Light arriving at points p (N,3) with normals n (N,3), as RGB factors."""
        p = p.astype(np.float32, copy=False)
        n = n.astype(np.float32, copy=False)
        total = np.zeros(p.shape, np.float32) + self.ambient * (0.85 + 0.15 * n[:, 1:2]) * self.sky
        for L in self.lights:
            dv = L.pos - p
            d2 = np.einsum("ij,ij->i", dv, dv) + 1e-6
            cos = np.einsum("ij,ij->i", n, dv) / np.sqrt(d2)
            amount = np.maximum(cos, 0) * (L.power / (1 + d2 / (L.reach * L.reach)))
            total += amount[:, None] * L.colour
        if self.sun is not None:
            total += self.sun_power * np.clip(n @ self.sun, 0, 1)[:, None] * np.array([1.0, 0.96, 0.88], np.float32)
        return total


class Rect:
    """An axis-aligned rectangle: plane `axis` = `at`, bounded on the two other axes.

    Plane coordinates (a, b): axis 0 -> (z, y), axis 1 -> (x, z), axis 2 -> (x, y).
    """

    def __init__(self, axis, at, a_range, b_range, material):
        self.axis, self.at = axis, at
        self.a_range, self.b_range = a_range, b_range
        self.material = material

    def plane_axes(self):
        return {0: (2, 1), 1: (0, 2), 2: (0, 1)}[self.axis]


class Surface:
    """What a material returns: base colour, emitted light, how much it mirrors, glossy sheen."""

    def __init__(self, base, emit=None, mirror=0.0, gloss=0.0):
        self.base, self.emit, self.mirror, self.gloss = base, emit, mirror, gloss


class Shell:
    def __init__(self, rects, lighting, sky=None, room=None):
        self.rects = rects
        self.lighting = lighting
        self.sky = sky
        self.room = room  # (x0, x1, y0, y1, z0, z1): corners darken softly

    def hit(self, o, d):
        """Nearest rectangle for each ray: (t, index), index -1 for none."""
        n = d.shape[0]
        best_t = np.full(n, np.inf, np.float32)
        best_i = np.full(n, -1, np.int16)
        for i, r in enumerate(self.rects):
            ax = r.axis
            da = d[:, ax]
            with np.errstate(divide="ignore", invalid="ignore"):
                t = (r.at - o[:, ax]) / da
            ok = (t > 1e-3) & (t < best_t)
            pa, pb = r.plane_axes()
            ca = o[:, pa] + t * d[:, pa]
            cb = o[:, pb] + t * d[:, pb]
            ok &= (ca >= r.a_range[0]) & (ca <= r.a_range[1]) & (cb >= r.b_range[0]) & (cb <= r.b_range[1])
            best_t = np.where(ok, t, best_t)
            best_i = np.where(ok, i, best_i)
        return best_t, best_i

    def shade(self, o, d, depth=0, sheen_pass=False):
        n = d.shape[0]
        colour = np.zeros((n, 3), np.float32)
        glow = np.zeros((n, 3), np.float32)
        sheen = np.zeros((n, 3), np.float32)
        t, idx = self.hit(o, d)
        miss = idx < 0
        if miss.any():
            sky = self.sky(d[miss]) if self.sky else np.zeros((int(miss.sum()), 3), np.float32)
            colour[miss] = sky
        for i, r in enumerate(self.rects):
            sel = np.nonzero(idx == i)[0]
            if sel.size == 0:
                continue
            p = o[sel] + t[sel, None] * d[sel]
            pa, pb = r.plane_axes()
            normal = np.zeros((sel.size, 3), np.float32)
            normal[:, r.axis] = -np.sign(d[sel, r.axis])
            surf = r.material(p[:, pa], p[:, pb], p)
            lit = surf.base * self.lighting.at(p, normal) * self._corners(p, r)[:, None]
            if surf.emit is not None:
                lit = lit + surf.emit
            if depth == 0 and (np.any(surf.mirror) or (sheen_pass and np.any(surf.gloss))):
                rd = d[sel].copy()
                rd[:, r.axis] *= -1
                mirror = np.broadcast_to(np.asarray(surf.mirror, np.float32), (sel.size,))
                gloss = np.broadcast_to(np.asarray(surf.gloss, np.float32), (sel.size,))
                want = (mirror > 0) | ((gloss > 0) & sheen_pass)
                if want.any():
                    rc, rg, _ = self.shade(p[want] + normal[want] * 1e-3, rd[want], depth + 1)
                    m = mirror[want, None]
                    lit[want] = lit[want] * (1 - m) + rc * m
                    part = np.zeros((sel.size, 3), np.float32)
                    part[want] = (0.12 * rc + 0.3 * rg) * gloss[want, None]
                    sheen[sel] = part
            colour[sel] = lit
            if surf.emit is not None:
                glow[sel] += surf.emit
        return colour, glow, sheen

    def _corners(self, p, r):
        if self.room is None:
            return np.ones(p.shape[0], np.float32)
        x0, x1, y0, y1, z0, z1 = self.room
        dists = [p[:, 0] - x0, x1 - p[:, 0], p[:, 1] - y0, y1 - p[:, 1], p[:, 2] - z0, z1 - p[:, 2]]
        occl = np.ones(p.shape[0], np.float32)
        for k, dd in enumerate(dists):
            if k // 2 == r.axis:
                continue
            occl *= 1 - 0.38 * np.exp(-np.maximum(dd, 0) / 0.45)
        return occl

    def render(self, cam, sheen_pass=False):
        """Colour, glow and glossy sheen per pixel; the sheen only when asked (it is drawn blurred, so a
        coarse pass is enough and saves tracing a second ray for every floor pixel)."""
        d = cam.rays().reshape(-1, 3)
        o = np.broadcast_to(cam.pos.astype(np.float32), d.shape)
        colour, glow, sheen = self.shade(o, d, sheen_pass=sheen_pass)
        return [a.reshape(cam.h, cam.w, 3) for a in (colour, glow, sheen)]


# ---------------------------------------------------------------- objects

class Drawable:
    def _bounds(self, pts):
        self.centre = pts.mean(0)
        self.lo, self.hi = pts.min(0), pts.max(0)

    def depth(self, cam):
        return float(np.linalg.norm(self.centre - cam.pos)) - getattr(self, "bias", 0.0)


class Part(Drawable):
    """A convex solid given by its faces (lists of 3D points, outward order irrelevant) and a colour."""

    def __init__(self, faces, colour, shine=0.0, emit=0.0, shadow=True):
        self.faces = [np.asarray(f, np.float64) for f in faces]
        self.colour = np.asarray(colour, np.float32) / 255.0
        self.shine, self.emit, self.shadow = shine, emit, shadow
        self._bounds(np.concatenate(self.faces))

    def move(self, rot, off):
        self.faces = [f @ rot.T + off for f in self.faces]
        self._bounds(np.concatenate(self.faces))


class Sprite(Drawable):
    """A shaded sphere (or sphere-like body) drawn as an image."""

    def __init__(self, centre, radius, colour, band=None, shine=0.5, squash=1.0):
        self.centre = np.asarray(centre, np.float64)
        self.radius = radius
        self.colour = np.asarray(colour, np.float32) / 255.0
        self.band, self.shine, self.squash = band, shine, squash
        self.lo = self.centre - radius
        self.hi = self.centre + radius
        self.shadow = True

    def move(self, rot, off):
        self.centre = rot @ self.centre + off
        self.lo, self.hi = self.centre - self.radius, self.centre + self.radius


class Stroke(Drawable):
    """A thick 3D polyline (handles, cables, bars seen end-on)."""

    def __init__(self, pts, width, colour, shine=0.3):
        self.pts = np.asarray(pts, np.float64)
        self.width = width
        self.colour = np.asarray(colour, np.float32) / 255.0
        self.shine = shine
        self._bounds(self.pts)
        self.shadow = False

    def move(self, rot, off):
        self.pts = self.pts @ rot.T + off
        self._bounds(self.pts)


class Decal(Drawable):
    """A flat picture lying on a plane in space (signs, posters, screens)."""

    def __init__(self, corners, image, emit=0.0):
        self.corners = np.asarray(corners, np.float64)  # top-left, top-right, bottom-right, bottom-left
        self.image = image
        self.emit = emit
        self._bounds(self.corners)
        self.shadow = False
        self.bias = 0.0

    def move(self, rot, off):
        self.corners = self.corners @ rot.T + off
        self._bounds(self.corners)


def _rot_y(deg):
    a = math.radians(deg)
    return np.array([[math.cos(a), 0, math.sin(a)], [0, 1, 0], [-math.sin(a), 0, math.cos(a)]])


def _rot_x(deg):
    a = math.radians(deg)
    return np.array([[1, 0, 0], [0, math.cos(a), -math.sin(a)], [0, math.sin(a), math.cos(a)]])


def _rot_z(deg):
    a = math.radians(deg)
    return np.array([[math.cos(a), -math.sin(a), 0], [math.sin(a), math.cos(a), 0], [0, 0, 1]])


def box(centre, size, colour, yaw=0.0, tilt=0.0, roll=0.0, **kw):
    """A box of `size` (x, y, z) centred at `centre`, turned by tilt (about x), roll (about z) and yaw."""
    sx, sy, sz = (s / 2 for s in size)
    corners = np.array([[x, y, z] for x in (-sx, sx) for y in (-sy, sy) for z in (-sz, sz)])
    rot = _rot_y(yaw) @ _rot_z(roll) @ _rot_x(tilt)
    c = corners @ rot.T + np.asarray(centre)
    idx = [(0, 1, 3, 2), (4, 6, 7, 5), (0, 4, 5, 1), (2, 3, 7, 6), (0, 2, 6, 4), (1, 5, 7, 3)]
    return Part([c[list(f)] for f in idx], colour, **kw)


def beam(p0, p1, colour, width=0.07, depth=None, **kw):
    """A square-section bar from p0 to p1, its sides kept vertical where the bar allows."""
    a, b = np.asarray(p0, np.float64), np.asarray(p1, np.float64)
    axis = b - a
    length = np.linalg.norm(axis)
    u = axis / length
    side = np.cross(u, [0.0, 1.0, 0.0])
    if np.linalg.norm(side) < 1e-6:
        side = np.array([1.0, 0.0, 0.0])
    side /= np.linalg.norm(side)
    up = np.cross(side, u)
    hw, hd = width / 2, (depth or width) / 2
    corners = [a + s1 * hw * side + s2 * hd * up for s1 in (-1, 1) for s2 in (-1, 1)]
    corners += [c + axis for c in corners]
    c = np.array(corners)
    idx = [(0, 1, 3, 2), (4, 6, 7, 5), (0, 4, 5, 1), (2, 3, 7, 6), (0, 2, 6, 4), (1, 5, 7, 3)]
    return Part([c[list(f)] for f in idx], colour, **kw)


def floor_box(x, z, w, h, d, colour, y=0.0, **kw):
    """A box standing on height y with its footprint centred at (x, z)."""
    return box((x, y + h / 2, z), (w, h, d), colour, **kw)


def cylinder(centre, axis, radius, length, colour, segments=28, yaw=0.0, **kw):
    """A cylinder along 'x', 'y' or 'z' (then turned by yaw)."""
    ang = np.linspace(0, 2 * math.pi, segments, endpoint=False)
    ring = np.stack([np.cos(ang) * radius, np.sin(ang) * radius], 1)
    half = length / 2
    if axis == "x":
        a = np.column_stack([np.full(segments, -half), ring[:, 0], ring[:, 1]])
        b = a + [length, 0, 0]
    elif axis == "y":
        a = np.column_stack([ring[:, 0], np.full(segments, -half), ring[:, 1]])
        b = a + [0, length, 0]
    else:
        a = np.column_stack([ring[:, 0], ring[:, 1], np.full(segments, -half)])
        b = a + [0, 0, length]
    rot = _rot_y(yaw)
    a = a @ rot.T + centre
    b = b @ rot.T + centre
    faces = [a[::-1], b]
    for i in range(segments):
        j = (i + 1) % segments
        faces.append(np.array([a[i], a[j], b[j], b[i]]))
    return Part(faces, colour, **kw)


def lathe(base, profile, colour, segments=28, **kw):
    """A solid of revolution about the vertical through `base`: profile is [(radius, height), ...]."""
    ang = np.linspace(0, 2 * math.pi, segments, endpoint=False)
    rings = [np.column_stack([np.cos(ang) * r, np.full(segments, h), np.sin(ang) * r]) + base for r, h in profile]
    parts = []
    for k in range(len(rings) - 1):
        lo, hi = rings[k], rings[k + 1]
        faces = [np.array([lo[i], lo[(i + 1) % segments], hi[(i + 1) % segments], hi[i]]) for i in range(segments)]
        if k == 0:
            faces.append(lo[::-1])
        if k == len(rings) - 2:
            faces.append(hi)
        parts.append(Part(faces, colour, **kw))
    return parts


def place(parts, x=0.0, z=0.0, yaw=0.0, y=0.0):
    """Moves parts built around the origin to (x, y, z), turned by yaw degrees about the vertical."""
    rot, off = _rot_y(yaw), np.array([x, y, z], np.float64)
    for p in parts:
        p.move(rot, off)
    return parts


# ---------------------------------------------------------------- drawing

def _clip_near(pc):
    out = []
    n = len(pc)
    for i in range(n):
        a, b = pc[i], pc[(i + 1) % n]
        ina, inb = a[2] > NEAR, b[2] > NEAR
        if ina:
            out.append(a)
        if ina != inb:
            t = (NEAR - a[2]) / (b[2] - a[2])
            out.append(a + t * (b - a))
    return np.array(out) if len(out) >= 3 else None


def tone(c):
    """Scene light to display value: soft shoulder so lights and highlights roll off."""
    c = np.maximum(c, 0)
    return 1 - np.exp(-c * 1.25)


def _rgb(c):
    return tuple(int(round(v)) for v in np.clip(tone(c) * 255, 0, 255))


class Renderer:
    SS = 2

    def __init__(self, cam, shell, lighting, parts, seed=1, grain=0.014, vignette=0.35, bloom=0.35):
        self.cam, self.shell, self.lighting, self.parts = cam, shell, lighting, parts
        self.seed, self.grain, self.vignette, self.bloom = seed, grain, vignette, bloom

    def _shadows(self):
        """Soft contact shadows of everything that stands on the floor, as a multiplier."""
        cam = self.cam
        layer = Image.new("L", (cam.w, cam.h), 0)
        d = ImageDraw.Draw(layer)
        for p in self.parts:
            if not p.shadow or p.lo[1] > 0.35:
                continue
            pad = 0.06
            x0, x1, z0, z1 = p.lo[0] - pad, p.hi[0] + pad, p.lo[2] - pad, p.hi[2] + pad
            foot = np.array([[x0, 0.001, z0], [x1, 0.001, z0], [x1, 0.001, z1], [x0, 0.001, z1]])
            pc = _clip_near(cam.to_cam(foot))
            if pc is None:
                continue
            strength = int(150 * max(0.0, 1 - p.lo[1] / 0.35))
            d.polygon([tuple(q) for q in cam.project_cam(pc)], fill=strength)
        blur = max(2.0, cam.w / 220)
        soft = np.asarray(layer.filter(ImageFilter.GaussianBlur(blur)), np.float32) / 255
        wide = np.asarray(layer.filter(ImageFilter.GaussianBlur(blur * 4)), np.float32) / 255
        return 1 - 0.55 * soft - 0.3 * wide

    def _face_colours(self, parts, cam):
        """Flat colour of every face that looks at the camera, all faces lit in one pass."""
        owners, faces, centres, normals = [], [], [], []
        for k, part in enumerate(parts):
            for face in part.faces:
                c = face.mean(0)
                n = np.cross(face[1] - face[0], face[2] - face[0])
                if len(face) > 3:
                    n = n + np.cross(face[2] - face[0], face[3] - face[0])
                n = n / (np.linalg.norm(n) + 1e-12)
                if np.dot(n, c - part.centre) < 0:
                    n = -n
                if np.dot(n, cam.pos - c) <= 0:
                    continue
                owners.append(k)
                faces.append(face)
                centres.append(c)
                normals.append(n)
        if not faces:
            return {}
        c = np.array(centres, np.float32)
        n = np.array(normals, np.float32)
        owner = np.array(owners)
        base = np.array([parts[k].colour for k in owners], np.float32)
        shine = np.array([parts[k].shine for k in owners], np.float32)
        emit = np.array([parts[k].emit for k in owners], np.float32)
        col = base * self.lighting.at(c, n)
        v = cam.pos.astype(np.float32) - c
        v /= np.linalg.norm(v, axis=1, keepdims=True)
        specular = np.zeros(len(c), np.float32)
        sources = [(L.pos - c, L.power) for L in self.lighting.lights]
        if self.lighting.sun is not None:
            sources.append((np.broadcast_to(self.lighting.sun, c.shape), self.lighting.sun_power))
        for lv, power in sources:
            lv = lv / np.linalg.norm(lv, axis=1, keepdims=True)
            hv = lv + v
            hv /= np.linalg.norm(hv, axis=1, keepdims=True)
            specular += power * np.maximum(np.einsum("ij,ij->i", n, hv), 0) ** 24 * 0.35
        col = col + (shine * specular)[:, None] + base * emit[:, None]
        out = {}
        for k, face, colour in zip(owner, faces, col):
            out.setdefault(int(k), []).append((face, colour))
        return out

    def _draw_part(self, draw, shaded, cam):
        for face, col in shaded:
            pc = _clip_near(cam.to_cam(face))
            if pc is None:
                continue
            edge = _rgb(col * 0.6) + (255,)
            draw.polygon([tuple(q) for q in cam.project_cam(pc)], fill=_rgb(col) + (255,), outline=edge)

    def _draw_sprite(self, img, sp, cam, k):
        """Shades the sphere at the picture's own scale (it is smooth) and enlarges it k times onto img."""
        pc = cam.to_cam(sp.centre[None])[0]
        if pc[2] <= NEAR + sp.radius:
            return
        cx, cy = cam.project_cam(pc[None])[0]
        r = cam.f * sp.radius / pc[2]
        size = int(math.ceil(r * 2)) + 4
        if size < 3:
            return
        yy, xx = np.mgrid[0:size, 0:size].astype(np.float32)
        ox, oy = cx - size / 2, cy - size / 2
        fx, fy = round(ox), round(oy)
        nx = (xx + 0.5 + fx - cx) / r
        ny = -(yy + 0.5 + fy - cy) / r / sp.squash
        rr = nx * nx + ny * ny
        inside = np.clip((1 - np.sqrt(rr)) * r * 1.0 + 0.5, 0, 1)
        nz = np.sqrt(np.clip(1 - rr, 0, 1))
        # normals from camera space back to world space
        nw = (nx[..., None] * cam.right + ny[..., None] * cam.up - nz[..., None] * cam.fwd).reshape(-1, 3)
        pts = (sp.centre + nw * sp.radius).astype(np.float32)
        light = self.lighting.at(pts, nw.astype(np.float32)).reshape(size, size, 3)
        base = np.broadcast_to(sp.colour, light.shape).copy()
        if sp.band is not None:
            wy = nw[:, 1].reshape(size, size)
            wx = nw[:, 0].reshape(size, size)
            mask = (np.abs(wy) < 0.16) | (np.abs(wx) < 0.05)
            base[mask] = np.asarray(sp.band, np.float32) / 255
        col = base * light
        keyv = _norm(np.array([0.3, 0.9, -0.4]))
        view = -cam.fwd
        h = _norm(keyv + view)
        specular = np.clip(nw @ h, 0, 1).reshape(size, size) ** 30 * sp.shine
        col = col + specular[..., None]
        rgb = np.clip(tone(col) * 255, 0, 255).astype(np.uint8)
        alpha = (inside * 255).astype(np.uint8)
        sprite = Image.fromarray(np.dstack([rgb, alpha]), "RGBA").resize((size * k, size * k), Image.BILINEAR)
        _paste_clipped(img, sprite, fx * k, fy * k)

    def _draw_stroke(self, draw, st, cam):
        """A rounded bar: dark rim, body, and a highlight shifted towards the upper left of each segment."""
        pc = cam.to_cam(st.pts)
        if np.any(pc[:, 2] <= NEAR):
            return
        uv = cam.project_cam(pc)
        w = [cam.f * st.width / z for z in pc[:, 2]]
        facing = cam.pos - st.centre
        facing[1] = 0.4 * np.linalg.norm(facing)
        col = st.colour * self.lighting.at(st.centre[None].astype(np.float32), _norm(facing)[None].astype(np.float32))[0]
        dark = _rgb(col * 0.5) + (255,)
        mid = _rgb(col) + (255,)
        hi = _rgb(col * 1.2 + st.shine * 0.35) + (255,)
        for colour, k, off in ((dark, 1.0, 0.0), (mid, 0.74, 0.1), (hi, 0.26, 0.24)):
            for i in range(len(uv) - 1):
                d = uv[i + 1] - uv[i]
                n = np.array([d[1], -d[0]]) / (np.linalg.norm(d) + 1e-9)
                if n[0] + n[1] > 0:
                    n = -n
                wid = max(1, int(round((w[i] + w[i + 1]) / 2 * k)))
                a = uv[i] + n * off * w[i]
                b = uv[i + 1] + n * off * w[i + 1]
                draw.line([tuple(a), tuple(b)], fill=colour, width=wid)
                rr = wid / 2
                for e in (a, b):
                    draw.ellipse((e[0] - rr, e[1] - rr, e[0] + rr, e[1] + rr), fill=colour)

    def _draw_decal(self, img, dc, cam):
        pc = cam.to_cam(dc.corners)
        if np.any(pc[:, 2] <= NEAR):
            return
        uv = cam.project_cam(pc)
        x0, y0 = np.floor(uv.min(0)).astype(int)
        x1, y1 = np.ceil(uv.max(0)).astype(int)
        if x1 <= x0 or y1 <= y0:
            return
        w, h = dc.image.size
        coeffs = _perspective_coeffs([(u - x0, v - y0) for u, v in uv], [(0, 0), (w, 0), (w, h), (0, h)])
        warped = dc.image.transform((x1 - x0, y1 - y0), Image.PERSPECTIVE, coeffs, Image.BICUBIC)
        if dc.emit == 0:
            n = np.cross(dc.corners[1] - dc.corners[0], dc.corners[3] - dc.corners[0])
            n = _norm(n)
            if np.dot(n, cam.pos - dc.centre) < 0:
                n = -n
            light = self.lighting.at(dc.centre[None].astype(np.float32), n[None].astype(np.float32))[0]
            arr = np.asarray(warped, np.float32)
            lin = -np.log(np.clip(1 - arr[..., :3] / 255, 1e-3, 1)) / 1.25
            arr[..., :3] = tone(lin * light) * 255
            warped = Image.fromarray(arr.round().astype(np.uint8), "RGBA")
        _paste_clipped(img, warped, x0, y0)

    def render(self):
        cam = self.cam
        shell, glow, _ = self.shell.render(cam)
        shadow = self._shadows()[..., None]
        shell = tone(shell * shadow)
        _, _, sheen = self.shell.render(cam.scaled(0.25), sheen_pass=True)
        sheen_img = Image.fromarray((tone(sheen) * 255).astype(np.uint8), "RGB").resize((cam.w, cam.h), Image.BILINEAR)
        sheen = np.asarray(sheen_img.filter(ImageFilter.GaussianBlur(cam.w / 200)), np.float32) / 255
        shell = shell + sheen * shadow
        big = cam.scaled(self.SS)
        # objects are drawn at twice the size over the enlarged shell, then reduced: smooth edges at C speed
        base = Image.fromarray((np.clip(shell, 0, 1) * 255 + 0.5).astype(np.uint8), "RGB")
        layer = base.resize((big.w, big.h), Image.NEAREST).convert("RGBA")
        draw = ImageDraw.Draw(layer)
        solids = [p for p in self.parts if isinstance(p, Part)]
        shaded = self._face_colours(solids, big)
        index = {id(p): k for k, p in enumerate(solids)}
        for p in sorted(self.parts, key=lambda q: -q.depth(big)):
            if isinstance(p, Sprite):
                self._draw_sprite(layer, p, cam, self.SS)
            elif isinstance(p, Stroke):
                self._draw_stroke(draw, p, big)
            elif isinstance(p, Decal):
                self._draw_decal(layer, p, big)
            else:
                self._draw_part(draw, shaded.get(index[id(p)], ()), big)
        img = np.asarray(layer.convert("RGB").reduce(self.SS), np.float32) / 255
        return self._finish(img, tone(glow))

    def _finish(self, img, glow):
        cam = self.cam
        bright = np.clip(img - 0.8, 0, None) * 2.0 + glow * 0.6
        # glow is soft by nature: blur a quarter-size copy and enlarge it
        bi = Image.fromarray((np.clip(bright, 0, 1) * 255).astype(np.uint8), "RGB").reduce(4)

        def blurred(radius):
            soft = bi.filter(ImageFilter.GaussianBlur(radius / 4)).resize((cam.w, cam.h), Image.BILINEAR)
            return np.asarray(soft, np.float32) / 255

        bloom, bloom2 = blurred(cam.w / 90), blurred(cam.w / 25)
        img = img + self.bloom * (0.6 * bloom + 0.5 * bloom2)
        y, x = np.mgrid[0:cam.h, 0:cam.w].astype(np.float32)
        r = np.hypot((x - cam.w / 2) / (cam.w / 2), (y - cam.h / 2) / (cam.h / 2)) / math.sqrt(2)
        img = img * (1 - self.vignette * r[..., None] ** 2.2)
        rng = np.random.default_rng(self.seed)
        noise = rng.normal(0, self.grain, (cam.h, cam.w, 1)).astype(np.float32)
        img = img + noise
        return Image.fromarray((np.clip(img, 0, 1) * 255 + 0.5).astype(np.uint8), "RGB")


def _paste_clipped(img, sprite, x, y):
    sx0, sy0 = max(0, -x), max(0, -y)
    sx1 = min(sprite.width, img.width - x)
    sy1 = min(sprite.height, img.height - y)
    if sx1 <= sx0 or sy1 <= sy0:
        return
    img.alpha_composite(sprite.crop((sx0, sy0, sx1, sy1)), (x + sx0, y + sy0))


def _perspective_coeffs(dst, src):
    """Coefficients mapping output (dst) points back to input (src) points, as PIL wants them."""
    m = []
    for (x, y), (u, v) in zip(dst, src):
        m.append([x, y, 1, 0, 0, 0, -u * x, -u * y])
        m.append([0, 0, 0, x, y, 1, -v * x, -v * y])
    rhs = np.array([c for pt in src for c in pt], np.float64)
    return np.linalg.solve(np.array(m, np.float64), rhs).tolist()
