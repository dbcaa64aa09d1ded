"""Gym furniture built from boxes, cylinders, spheres and strokes, in local coordinates
(origin on the floor, front towards -z), then placed in a room with `place`."""
import math

import numpy as np

from palette import BLUE, RED
from scene import Sprite, Stroke, box, cylinder, floor_box, lathe, place

STEEL = (40, 41, 46)
BLACK = (19, 19, 21)
CHROME = (190, 192, 198)
PAD = (17, 17, 19)
GREY = (120, 122, 128)
WOOD = (186, 140, 92)
BUMPER = {"red": RED, "blue": BLUE, "black": (30, 30, 33), "grey": (95, 97, 104), "white": (225, 225, 228)}


def plate(x, y, z, radius, thick, colour, axis="x", yaw=0.0):
    """A bumper plate with a steel hub."""
    return [cylinder((x, y, z), axis, radius, thick, colour, segments=30, yaw=yaw),
            cylinder((x, y, z), axis, radius * 0.28, thick * 1.12, CHROME, segments=14, yaw=yaw, shine=0.8)]


def barbell(y, z, loads=(("red", 0.225, 0.07),), length=2.2, x=0.0):
    parts = [cylinder((x, y, z), "x", 0.014, length * 0.6, CHROME, segments=8, shine=0.9)]
    for side in (-1, 1):
        sleeve_c = x + side * length * 0.4
        parts.append(cylinder((sleeve_c, y, z), "x", 0.026, length * 0.2, CHROME, segments=10, shine=0.9))
        pos = x + side * (length * 0.3 + 0.03)
        for name, r, t in loads:
            pos += side * t / 2
            parts += plate(pos, y, z, r, t, BUMPER[name])
            pos += side * t / 2
    return parts


def power_rack(colour=BLACK, accent=RED, loaded=True, width=1.25, depth=1.2, height=2.3):
    p = []
    hw, hd = width / 2, depth / 2
    for sx in (-hw, hw):
        for sz in (-hd, hd):
            p.append(floor_box(sx, sz, 0.075, height, 0.075, colour, shine=0.15))
        p.append(box((sx, height - 0.04, 0), (0.08, 0.08, depth), colour))
        p.append(box((sx, 0.04, 0), (0.09, 0.08, depth + 0.1), colour))
        p.append(box((sx, 1.0, -hd - 0.25), (0.06, 0.06, 0.55), accent, shine=0.3))
        p.append(box((sx, 1.42, -hd - 0.05), (0.05, 0.09, 0.09), accent))
        p.append(cylinder((sx * 1.18, 0.55, hd), "x", 0.025, 0.25, CHROME, segments=8, shine=0.8))
    for sz in (-hd, hd):
        p.append(box((0, height - 0.04, sz), (width, 0.08, 0.08), colour))
    p.append(cylinder((0, height - 0.2, -hd + 0.1), "x", 0.018, width, CHROME, segments=8, shine=0.9))
    if loaded:
        p += barbell(1.47, -hd - 0.05, (("red", 0.225, 0.06), ("blue", 0.2, 0.05)))
    for sx in (-1, 1):
        for k, (name, r, t) in enumerate((("black", 0.225, 0.05), ("grey", 0.16, 0.035))):
            x = sx * (hw * 1.18 + 0.06 + 0.05 * k + t)
            p += plate(x, 0.55, hd, r, t, BUMPER[name])
    return p


def bench(pad=PAD, frame=STEEL, incline=0.0):
    """A flat or inclined bench, long side along z, head end towards +z."""
    p = [floor_box(0, -0.5, 0.45, 0.05, 0.07, frame), floor_box(0, 0.5, 0.5, 0.05, 0.07, frame),
         floor_box(0, -0.5, 0.07, 0.4, 0.07, frame), floor_box(0, 0.45, 0.07, 0.4, 0.07, frame),
         box((0, 0.38, 0), (0.08, 0.06, 1.1), frame)]
    if incline:
        p.append(box((0, 0.46, -0.3), (0.3, 0.08, 0.42), pad))
        h = math.sin(math.radians(incline)) * 0.4
        c = math.cos(math.radians(incline)) * 0.4
        p.append(box((0, 0.46 + h, 0.05 + c), (0.3, 0.08, 0.84), pad, tilt=-incline))
        p.append(box((0, 0.3 + h * 0.6, 0.3 + c * 0.6), (0.05, 0.5, 0.05), frame, tilt=-incline / 2))
    else:
        p.append(box((0, 0.46, 0), (0.3, 0.09, 1.2), pad))
        p.append(box((0, 0.41, 0), (0.31, 0.015, 1.21), (60, 60, 64)))
    return p


def dumbbell(x, y, z, size, head=BLACK, yaw=0.0, axis="x"):
    """A hex dumbbell lying along `axis`; size 0..1 grows the heads."""
    r = 0.055 + 0.05 * size
    t = 0.06 + 0.06 * size
    handle = 0.14
    parts = [cylinder((0, 0, 0), "x", 0.017, handle + 0.04, CHROME, segments=8, shine=0.9)]
    for side in (-1, 1):
        parts.append(cylinder((side * (handle / 2 + t / 2), 0, 0), "x", r, t, head, segments=6))
        parts.append(cylinder((side * (handle / 2 + t + 0.004), 0, 0), "x", r * 0.45, 0.008, CHROME, segments=12,
                              shine=0.7))
    if axis == "z":
        yaw += 90
    return place(parts, x, z, yaw, y)


def dumbbell_rack(length=2.6, tiers=2, start=0.15, step=0.08, head=BLACK, frame=STEEL):
    """A two-tier rack of dumbbell pairs, growing in size to the right."""
    p = []
    for sx in (-length / 2, 0, length / 2):
        p.append(floor_box(sx, 0.05, 0.06, 0.85, 0.06, frame))
        p.append(floor_box(sx, 0.35, 0.06, 0.5, 0.06, frame))
        p.append(floor_box(sx, 0.2, 0.07, 0.04, 0.6, frame))
    pairs = int(length / 0.27)
    for tier in range(tiers):
        y = 0.82 - tier * 0.34
        z = 0.08 + tier * 0.28
        p.append(box((0, y - 0.08, z), (length + 0.08, 0.035, 0.3), frame, tilt=-12))
        for i in range(pairs):
            x = -length / 2 + 0.17 + i * (length - 0.3) / (pairs - 1)
            size = min(1.0, start + step * (i + tier * pairs))
            r = 0.055 + 0.05 * size
            p += dumbbell(x, y - 0.06 + r, z - 0.05, size, head=head, axis="z")
    return p


def kettlebell(size, colour, handle=None):
    """A kettlebell body (sphere with a flat base) and its handle; size 0..1."""
    r = 0.085 + 0.05 * size
    cy = r * 0.92
    handle = handle or colour
    parts = [Sprite((0, cy, 0), r, colour, shine=0.35, squash=0.97),
             cylinder((0, 0.012, 0), "y", r * 0.6, 0.024, tuple(int(c * 0.6) for c in colour), segments=16)]
    arc = []
    for k in range(13):
        a = math.pi * k / 12
        arc.append((math.cos(a) * r * 0.72, cy + r * 0.55 + math.sin(a) * r * 0.8, 0))
    parts.append(Stroke(arc, r * 0.22, handle, shine=0.3))
    return parts


def medicine_ball(radius, colour, band=(20, 20, 22)):
    return [Sprite((0, radius, 0), radius, colour, band=band, shine=0.25)]


def weight_stack(x, z, height=1.35, plates=14, colour=(40, 40, 44), yaw=0.0, shroud=(200, 205, 210)):
    p = [floor_box(0, 0, 0.36, 0.06, 0.22, STEEL)]
    for sx in (-0.11, 0.11):
        p.append(cylinder((sx, height / 2, 0), "y", 0.012, height, CHROME, segments=8, shine=0.9))
    for k in range(plates):
        y = 0.08 + k * 0.045
        p.append(box((0, y + 0.02, 0), (0.34, 0.038, 0.16), colour if k % 5 else (64, 64, 70)))
    p.append(box((0, height - 0.02, 0), (0.4, 0.05, 0.24), STEEL))
    return place(p, x, z, yaw)


def selector_machine(kind="press", frame=BLACK, pad=PAD, accent=RED, shroud=BLUE):
    """A selectorised machine: weight stack tower at the back, seat and back pad, arms at the front."""
    p = [floor_box(0, 0.1, 1.0, 0.06, 1.3, frame), floor_box(0, 0.65, 0.55, 1.9, 0.28, shroud, shine=0.2)]
    p += weight_stack(0, 0.4, height=1.6, plates=16)
    p.append(box((0, 1.92, 0.5), (0.7, 0.07, 0.3), frame))
    p.append(floor_box(0, -0.2, 0.1, 0.45, 0.1, frame))
    p.append(box((0, 0.5, -0.2), (0.42, 0.09, 0.42), pad))
    if kind == "press":
        p.append(box((0, 0.95, 0.02), (0.4, 0.7, 0.09), pad, tilt=-8))
        for sx in (-1, 1):
            p.append(box((sx * 0.42, 1.1, -0.2), (0.06, 0.06, 0.7), accent, shine=0.3))
            p.append(box((sx * 0.42, 1.45, 0.15), (0.06, 0.7, 0.06), frame))
            p.append(cylinder((sx * 0.42, 1.1, -0.55), "y", 0.022, 0.22, (40, 40, 44), segments=10))
    elif kind == "leg":
        p.append(box((0, 0.85, 0.05), (0.42, 0.65, 0.09), pad, tilt=-14))
        p.append(box((0, 0.42, -0.62), (0.5, 0.06, 0.06), accent))
        p.append(cylinder((0, 0.35, -0.62), "x", 0.06, 0.46, pad, segments=14))
        for sx in (-1, 1):
            p.append(box((sx * 0.3, 0.45, -0.35), (0.05, 0.05, 0.6), frame))
    else:  # pulldown
        p.append(box((0, 1.55, -0.05), (0.12, 0.12, 1.0), frame))
        p.append(cylinder((0, 0.78, -0.28), "x", 0.05, 0.45, pad, segments=14))
        p.append(cylinder((0, 1.45, -0.48), "x", 0.015, 1.1, CHROME, segments=8, shine=0.9))
        p.append(Stroke([(0, 1.45, -0.48), (0, 1.55, -0.5)], 0.008, (30, 30, 30)))
    return p


def plate_loaded_press(frame=STEEL, accent=RED, pad=PAD):
    """A plate-loaded machine: big A-frame, converging arms with plate horns loaded on both sides."""
    p = [floor_box(0, 0, 1.2, 0.06, 1.5, frame)]
    for sx in (-1, 1):
        p.append(box((sx * 0.55, 0.8, 0.3), (0.08, 1.7, 0.08), frame, tilt=12))
        p.append(box((sx * 0.45, 1.25, -0.25), (0.07, 0.07, 1.2), accent, tilt=-18, shine=0.3))
        p += plate(sx * 0.62, 1.05, -0.55, 0.225, 0.055, BUMPER["black"])
        p += plate(sx * 0.69, 1.05, -0.55, 0.2, 0.045, BUMPER["blue"])
    p.append(box((0, 1.55, 0.5), (1.2, 0.08, 0.08), frame))
    p.append(box((0, 0.5, 0.25), (0.42, 0.09, 0.42), pad))
    p.append(box((0, 0.95, 0.48), (0.42, 0.7, 0.09), pad, tilt=-10))
    return p


def leg_press(frame=STEEL, accent=RED, pad=PAD):
    """A 45 degree leg press: inclined rails, sled with foot plate, plates on the horns, low seat."""
    p = [floor_box(0, 0, 1.0, 0.08, 2.2, frame)]
    for sx in (-0.35, 0.35):
        p.append(box((sx, 0.75, 0.45), (0.08, 0.08, 1.9), frame, tilt=-40))
    p.append(box((0, 1.05, 0.55), (0.8, 0.1, 0.45), accent, tilt=-40, shine=0.3))
    p.append(box((0, 1.28, 0.35), (0.75, 0.7, 0.04), (70, 72, 78), tilt=-40))
    for sx in (-1, 1):
        p += plate(sx * 0.5, 1.15, 0.75, 0.225, 0.06, BUMPER["red"])
        p += plate(sx * 0.57, 1.15, 0.75, 0.2, 0.05, BUMPER["black"])
    p.append(box((0, 0.4, -0.75), (0.5, 0.09, 0.5), pad, tilt=10))
    p.append(box((0, 0.7, -1.02), (0.5, 0.6, 0.09), pad, tilt=30))
    return p


def cable_tower(frame=BLACK, shroud=BLUE, height=2.3):
    p = [floor_box(0, 0, 0.5, height, 0.5, shroud, shine=0.15)]
    p += weight_stack(0, -0.27, height=1.6, plates=16)
    p.append(floor_box(0, -0.27, 0.5, 0.08, 0.1, frame))
    p.append(box((0, height - 0.1, -0.3), (0.12, 0.12, 0.5), frame))
    p.append(Stroke([(0, height - 0.15, -0.55), (0.05, 1.2, -0.6), (0.08, 1.0, -0.62)], 0.008, (25, 25, 25)))
    p.append(cylinder((0.08, 0.98, -0.62), "x", 0.02, 0.12, RED, segments=8))
    return p


def treadmill(frame=(40, 42, 46), belt=(20, 20, 22), screen=(60, 150, 230)):
    p = [floor_box(0, 0, 0.85, 0.22, 1.9, frame, shine=0.2), floor_box(0, 0, 0.55, 0.24, 1.7, belt)]
    for sx in (-0.38, 0.38):
        p.append(box((sx, 0.75, -0.75), (0.07, 1.3, 0.07), frame, tilt=10))
        p.append(box((sx, 1.15, -0.45), (0.05, 0.05, 0.6), CHROME, shine=0.7))
    p.append(box((0, 1.38, -0.87), (0.85, 0.34, 0.16), frame, tilt=-25))
    p.append(box((0, 1.4, -0.81), (0.5, 0.24, 0.02), screen, tilt=-25, emit=0.8))
    return p


def mat(colour, length=1.8, width=0.6, thick=0.015):
    return [floor_box(0, 0, width, thick, length, colour, shadow=False)]


def rolled_mat(colour, width=0.6, radius=0.09):
    return [cylinder((0, radius, 0), "x", radius, width, colour, segments=18),
            cylinder((0, radius, 0), "x", radius * 0.35, width + 0.004, tuple(int(c * 0.5) for c in colour),
                     segments=12)]


def step(top=(28, 28, 30), riser=(150, 152, 158)):
    return [floor_box(0, 0, 0.4, 0.1, 1.0, riser), floor_box(0, 0, 0.38, 0.03, 0.98, top, y=0.1)]


def plyo_box(size=(0.6, 0.5, 0.75), colour=WOOD):
    w, h, d = size
    return [floor_box(0, 0, w, h, d, colour)]


def trophy(height=0.4, colour=(212, 170, 60)):
    h = height
    profile = [(0.09 * h / 0.4, 0), (0.085 * h / 0.4, 0.06 * h / 0.4), (0.02 * h / 0.4, 0.08 * h / 0.4),
               (0.02 * h / 0.4, 0.2 * h / 0.4), (0.06 * h / 0.4, 0.25 * h / 0.4), (0.11 * h / 0.4, 0.33 * h / 0.4),
               (0.12 * h / 0.4, 0.4 * h / 0.4)]
    parts = lathe(np.zeros(3), profile[:2], (35, 35, 38), segments=16)
    parts += lathe(np.zeros(3), profile[1:], colour, segments=22, shine=0.9)
    return parts


def plant(height=1.0, pot=(40, 40, 44)):
    p = lathe(np.zeros(3), [(0.16, 0), (0.2, 0.4), (0.2, 0.42)], pot, segments=18)
    greens = ((38, 96, 52), (52, 120, 64), (30, 80, 44))
    for k in range(9):
        a = k * 2.4
        r = 0.12 + 0.05 * (k % 3)
        y = 0.5 + (height - 0.5) * ((k * 37) % 9) / 9
        p.append(Sprite((math.cos(a) * r, y, math.sin(a) * r), 0.13 + 0.03 * (k % 2), greens[k % 3], shine=0.05))
    return p


def turnstile(cabinet=(150, 154, 160), glass=True):
    p = [floor_box(0, 0, 0.3, 1.0, 1.2, cabinet, shine=0.6), floor_box(0, 0, 0.31, 0.03, 1.21, (30, 30, 34), y=1.0)]
    for k in range(3):
        a = math.radians(k * 120 + 30)
        end = (-0.15 - 0.45 * abs(math.cos(a)), 0.8 + 0.3 * math.sin(a), -0.2 + 0.25 * math.cos(a))
        p.append(Stroke([(-0.15, 0.85, -0.2), end], 0.025, CHROME, shine=0.8))
    p.append(box((0.0, 1.02, -0.45), (0.18, 0.01, 0.12), (30, 200, 120), emit=1.2))
    return p


def plate_tree(colours=("black", "red", "blue", "black", "grey", "red")):
    """A plate tree: a post on a base with horns, each holding one bumper plate."""
    p = [floor_box(0, 0, 0.6, 0.05, 0.6, STEEL), floor_box(0, 0, 0.08, 1.3, 0.08, STEEL)]
    for k, name in enumerate(colours):
        side = -1 if k % 2 == 0 else 1
        y = 0.35 + (k // 2) * 0.38
        p.append(cylinder((0, y, side * 0.12), "z", 0.025, 0.2, CHROME, segments=8, shine=0.8))
        r = 0.225 - 0.02 * (k // 2)
        p.append(cylinder((0, max(y, r + 0.01), side * 0.1), "z", r, 0.05, BUMPER[name], segments=30))
    return p


def plate_stack(names, radius=0.225):
    """Bumper plates lying flat, one on the other."""
    p, y = [], 0.0
    for k, name in enumerate(names):
        t = 0.05 if name in ("black", "red") else 0.04
        r = radius - 0.01 * k
        p.append(cylinder((0.01 * (k % 2), y + t / 2, 0.008 * (k % 3)), "y", r, t, BUMPER[name], segments=30))
        p.append(cylinder((0, y + t + 0.002, 0), "y", r * 0.22, 0.004, CHROME, segments=12, shine=0.6,
                          shadow=False))
        y += t
    return p


def ball_shelf(balls, width=2.4, colours=((190, 30, 40), (30, 60, 150), (30, 30, 34))):
    """A two-level shelf of medicine balls."""
    p = []
    for sx in (-width / 2, width / 2):
        p.append(floor_box(sx, 0, 0.05, 1.0, 0.4, STEEL))
    for level, y in enumerate((0.12, 0.6)):
        p.append(box((0, y, 0), (width, 0.04, 0.4), STEEL))
        for i in range(balls):
            r = 0.13 + 0.015 * ((i + level) % 3)
            x = -width / 2 + (i + 0.5) * width / balls
            p += place(medicine_ball(r, colours[(i + level) % len(colours)]), x, 0, 0, y + 0.02)
    return p


def battle_rope(length=6.0, colour=(30, 30, 34)):
    pts = [(0.25 * math.sin(k * 0.9) * (k / 20), 0.04, k * length / 24) for k in range(25)]
    p = [Stroke(pts, 0.05, colour, shine=0.1)]
    pts2 = [(0.5 + 0.2 * math.sin(k * 0.8 + 1) * (k / 20), 0.04, k * length / 24) for k in range(25)]
    p.append(Stroke(pts2, 0.05, colour, shine=0.1))
    return p


def monitor(screen=(40, 110, 200)):
    return [floor_box(0, 0, 0.2, 0.02, 0.15, (30, 30, 32)), floor_box(0, 0.02, 0.04, 0.25, 0.04, (30, 30, 32)),
            box((0, 0.4, 0), (0.55, 0.34, 0.03), (20, 20, 22)),
            box((0, 0.4, -0.017), (0.51, 0.3, 0.005), screen, emit=1.0)]
