"""The Tavra gym (Palestra Brivora): weights room, machines, course hall, entrance and reception."""
from equipment import (bench, dumbbell, dumbbell_rack, kettlebell, mat, medicine_ball, monitor, plant,
                       rolled_mat, selector_machine, step, treadmill, trophy, turnstile)
from exteriors import entrance
from interiors import BLUE, BLUE_SOFT, RED, gym_room, shoot, side_sign, wall_sign
from materials import parquet
from palette import WHITE
from scene import Decal, box, floor_box, place
from signs import stripe_banner

LIGHT_WOOD = ((205, 170, 122), (190, 152, 104), (214, 182, 136))
KB_COLOURS = (RED, BLUE, (30, 30, 33), (110, 112, 118), RED, BLUE, (30, 30, 33), (110, 112, 118))


def esterno(w, h):
    return entrance(w, h, "tavra", seed=31)


def sala_pesi(w, h):
    shell, light = gym_room("tavra", -5, 5, -1, 13, 3.3, right=dict(mirrors=((1.0, 12.0, 0.3, 2.3),)),
                            lights_x=(-2.2, 2.2), lights_z=(2.5, 6.5, 10.5))
    p = []
    for row, z in enumerate((4.5, 8.5)):
        for i, kind in enumerate(("press", "pulldown", "leg")):
            p += place(selector_machine(kind, shroud=BLUE_SOFT if (i + row) % 2 else RED), -3.2 + i * 2.1, z, 0)
    p += place(dumbbell_rack(length=2.6), 4.4, 6.0, 90)
    p.append(wall_sign([("PALESTRA BRIVORA", 0.12), ("TAVRA", 0.07)], -2.6, 2.6, 3.0, 12.99))
    return shoot(w, h, shell, light, p, (1.6, 1.6, -0.7), -7, -8, 64, 32)


def ingresso(w, h):
    shell, light = gym_room("tavra", -4, 4, -1, 8, 3.2, back=dict(windows=((-3.6, -1.2, 0.3, 2.8),)),
                            lights_x=(-1.5, 1.5), lights_z=(2.0, 5.5))
    p = []
    for x in (-0.6, 0.6, 1.8):
        p += place(turnstile(), x, 3.8)
    p += place([floor_box(0, 0, 0.3, 1.0, 1.2, (150, 154, 160), shine=0.6)], 3.0, 3.8)
    p.append(box((-1.9, 0.6, 3.8), (1.8, 1.2, 0.02), (190, 215, 230)))
    p += place(plant(1.3), -3.3, 1.4)
    p.append(wall_sign([("BENVENUTI", 0.14), ("PALESTRA BRIVORA · TAVRA", 0.06)], -0.6, 3.4, 3.0, 7.99))
    banner = stripe_banner("INGRESSO SOCI", 1200, 160, ground=BLUE, colour=WHITE)
    d = Decal([(0.0, 2.4, 3.7), (2.4, 2.4, 3.7), (2.4, 2.08, 3.7), (0.0, 2.08, 3.7)], banner)
    p.append(d)
    p.append(box((1.2, 2.44, 3.72), (2.5, 0.06, 0.05), (60, 62, 66)))
    return shoot(w, h, shell, light, p, (-1.0, 1.6, -0.6), 10, -7, 64, 33)


def reception(w, h):
    shell, light = gym_room("tavra", -3, 3, -1, 6, 3.2, back_plain=False, lights_x=(-1.2, 1.2),
                            lights_z=(1.5, 4.0), ambient=0.26)
    p = []
    # counter: front panel in blue, white top, red stripe
    p.append(floor_box(0, 3.2, 3.2, 1.05, 0.7, BLUE, shine=0.2))
    p.append(box((0, 0.35, 2.84), (3.2, 0.06, 0.01), RED))
    p.append(floor_box(0, 3.15, 3.3, 0.05, 0.8, (236, 236, 238), y=1.05))
    p += place(monitor(), 0.6, 3.3, 180, 1.1)
    p += place(monitor(screen=(200, 40, 50)), -0.6, 3.3, 180, 1.1)
    # shelf of cups on the back wall
    for y in (1.55, 2.15):
        p.append(box((0, y, 5.75), (3.6, 0.04, 0.4), (120, 90, 60)))
    for k in range(6):
        x = -1.5 + k * 0.6
        p += place(trophy(0.3 + 0.1 * (k % 3), colour=(214, 172, 64) if k % 3 else (200, 200, 206)), x, 5.75, 0,
                   1.57)
    for k in range(5):
        p += place(trophy(0.35 + 0.08 * (k % 2)), -1.2 + k * 0.6, 5.75, 0, 2.17)
    p += place(trophy(0.35), 1.3, 3.1, 0, 1.1)
    p += place(plant(1.4), 2.5, 1.6)
    p.append(wall_sign([("PALESTRA BRIVORA", 0.12), ("TAVRA", 0.07)], -1.5, 1.5, 3.05, 5.99))
    sign = stripe_banner("RECEPTION", 1000, 150, ground=BLUE, colour=WHITE)
    p.append(Decal([(-0.8, 0.8, 2.84), (0.8, 0.8, 2.84), (0.8, 0.56, 2.84), (-0.8, 0.56, 2.84)], sign))
    return shoot(w, h, shell, light, p, (-0.5, 1.55, -0.6), 4, -6, 64, 34)


def sala(w, h):
    shell, light = gym_room("tavra", -6, 6, -1, 16, 3.4, left=dict(windows=((1.5, 15.0, 0.9, 2.9),)),
                            lights_x=(-3.0, 0.0, 3.0), lights_z=(3, 8, 13), panels_z=(2, 4.5, 7, 9.5, 12, 14.5),
                            power=1.0)
    p = []
    for i in range(5):
        p += place(treadmill(), -4.7, 3.5 + i * 1.2, -90 + 180)
    for i, kind in enumerate(("press", "leg", "pulldown")):
        p += place(selector_machine(kind, shroud=BLUE_SOFT if i % 2 else RED), 0.5 + i * 1.9, 11.5)
    p += place(dumbbell_rack(length=3.0), 5.4, 6.0, 90)
    p += place(bench(), 2.8, 6.0, 90) + place(bench(incline=30), 2.8, 8.0, 90)
    p.append(wall_sign([("PALESTRA BRIVORA", 0.12), ("TAVRA", 0.07)], -2.6, 2.6, 3.1, 15.99))
    return shoot(w, h, shell, light, p, (1.0, 1.7, -0.8), -4, -7, 72, 35)


def macchine(w, h):
    shell, light = gym_room("tavra", -5, 5, -1, 14, 3.3, floor=None,
                            lights_x=(-2.2, 2.2), lights_z=(2.5, 6.0, 11.0))
    course_floor = parquet(tones=LIGHT_WOOD)
    shell.rects[0].material = _split_floor(shell.rects[0].material, course_floor, 8.0)
    p = []
    for i, kind in enumerate(("press", "leg", "pulldown", "press")):
        p += place(selector_machine(kind, shroud=BLUE_SOFT if i % 2 else RED), -3.2 + i * 2.1, 5.0)
    for i in range(4):
        p += place(mat(BLUE if i % 2 else RED), -3.0 + i * 1.6, 11.0)
    for i in range(3):
        p += place(step(), 2.0 + i * 0.6, 12.5, 90)
    p += _glass_wall(8.0, -5, 5, 3.3)
    p.append(wall_sign([("SALA CORSI", 0.16)], -1.8, 1.8, 3.0, 13.99, badge_size=0.0))
    return shoot(w, h, shell, light, p, (1.2, 1.6, -0.7), -5, -6, 64, 36)


def kettlebell_(w, h):
    shell, light = gym_room("tavra", -4, 4, -1, 7, 3.3, floor=parquet(tones=LIGHT_WOOD),
                            back=dict(mirrors=((-3.8, 3.8, 0.3, 2.3),)), back_plain=True,
                            lights_x=(-1.5, 1.5), lights_z=(1.5, 4.5))
    p = []
    for i in range(7):
        p += place(kettlebell(0.1 + 0.13 * i, KB_COLOURS[i]), -1.9 + i * 0.6, 2.6 + 0.15 * (i % 2))
    for i in range(3):
        p += place(step(), -2.2 + i * 1.5, 4.4, 90)
        p += place(step(), -2.2 + i * 1.5, 4.4, 90, 0.13)
    for i in range(4):
        p += place(rolled_mat(BLUE if i % 2 else RED), 3.3, 2.0 + i * 0.25, 90)
    p += place(medicine_ball(0.15, (30, 60, 150)), 2.2, 3.3)
    p.append(side_sign([("CORSI", 0.16)], 4.5, 2.0, 2.8, 3.99, badge_size=0.0, facing_left=False))
    return shoot(w, h, shell, light, p, (0.3, 1.2, -0.5), 0, -17, 58, 37)


def _split_floor(near, far, z):
    from materials import zones
    return zones(near, [(-100, 100, z, 100, far)])


def _glass_wall(z, x0, x1, hgt):
    """A glazed partition: mullions every 1.25 m and a faint tint, so the room behind shows through."""
    from PIL import Image
    img = Image.new("RGBA", (1000, 330), (190, 215, 235, 40))
    d = Decal([(x0, hgt, z), (x1, hgt, z), (x1, 0, z), (x0, 0, z)], img)
    parts = [d]
    x = x0
    while x <= x1 + 1e-6:
        parts.append(box((x, hgt / 2, z), (0.05, hgt, 0.06), (70, 72, 78)))
        x += 1.25
    parts.append(box(((x0 + x1) / 2, 0.04, z), (x1 - x0, 0.08, 0.08), (70, 72, 78)))
    parts.append(box(((x0 + x1) / 2, 2.3, z), (x1 - x0, 0.06, 0.06), (70, 72, 78)))
    return parts


SUBJECTS = {
    "tavra-esterno": (esterno, (2000, 1333)),
    "tavra-ingresso": (ingresso, (1800, 1200)),
    "tavra-kettlebell": (kettlebell_, (1800, 1200)),
    "tavra-macchine": (macchine, (1800, 1200)),
    "tavra-reception": (reception, (1200, 1800)),
    "tavra-sala-pesi": (sala_pesi, (1800, 1200)),
    "tavra-sala": (sala, (2000, 1333)),
}
