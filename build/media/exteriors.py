"""Street views of the two gyms: facade, glass front, the sign with the badge, pavement and sky."""
import math

from badge import badge
from equipment import plant
from materials import glass_front, paving, plaster, sky, zones
from palette import BLUE, RED, WHITE
from scene import Decal, Lighting, Rect, Shell, Sprite, box, cylinder, place
from interiors import shoot
from signs import lettering

GYMS = {
    "sorvelo": dict(name="PALESTRA TARVELA", town="SORVELO", band=RED, accent=BLUE, wall=(222, 216, 204),
                    neighbour=(196, 170, 140), number="14"),
    "tavra": dict(name="PALESTRA BRIVORA", town="TAVRA", band=BLUE, accent=RED, wall=(226, 226, 222),
                  neighbour=(180, 190, 200), number="3"),
}


def _tree(x, z, height=4.5):
    greens = ((46, 92, 52), (60, 112, 62), (38, 78, 44), (70, 124, 70))
    p = [cylinder((x, height * 0.3, z), "y", 0.1, height * 0.6, (80, 64, 50), segments=10)]
    for k in range(11):
        a = k * 2.2
        r = 0.6 + 0.35 * (k % 3) / 2
        y = height * 0.62 + 0.8 * math.sin(k * 1.7)
        p.append(Sprite((x + math.cos(a) * r, y, z + math.sin(a) * r), 0.75 + 0.15 * (k % 2), greens[k % 4],
                        shine=0.04))
    return p


def _lamp(x, z):
    return [cylinder((x, 2.2, z), "y", 0.06, 4.4, (50, 52, 56), segments=10),
            box((x, 4.45, z - 0.3), (0.2, 0.12, 0.7), (50, 52, 56))]


def entrance(w, h, which, seed):
    g = GYMS[which]
    zf = 8.0  # facade plane
    fx0, fx1, fh = -7.0, 7.0, 7.2
    door = (-1.2, 1.2, 0.0, 2.6)
    glass = glass_front(pane=1.2, transom=2.6, lit=0.35)
    facade = zones(plaster(g["wall"], joints=None), [
        (-5.8, 5.8, 0.0, 3.0, glass),
        (door[0], door[1], door[2], door[3], glass_front(pane=1.2, mullion=0.08, lit=0.6)),
        (-6.0, -4.4, 4.0, 5.8, glass_front(pane=0.8, transom=5.0)),
        (-2.4, -0.8, 4.0, 5.8, glass_front(pane=0.8, transom=5.0)),
        (0.8, 2.4, 4.0, 5.8, glass_front(pane=0.8, transom=5.0)),
        (4.4, 6.0, 4.0, 5.8, glass_front(pane=0.8, transom=5.0)),
    ])
    neighbour = zones(plaster(g["neighbour"]), [
        (x0, x0 + 1.2, y0, y0 + 1.6, glass_front(pane=0.6, frame=(90, 90, 92)))
        for x0 in (8.2, 10.6, 13.0, -9.8, -12.2, -14.6) for y0 in (1.2, 4.4)])
    rects = [
        Rect(1, 0.0, (-60, 60), (-40, zf), paving(kerb_at=2.0)),
        Rect(2, zf, (fx0, fx1), (0, fh), facade),
        Rect(2, zf + 1.5, (fx1, 24), (0, 8.5), neighbour),
        Rect(2, zf + 1.0, (-24, fx0), (0, 7.8), neighbour),
        Rect(0, fx1, (zf, zf + 1.5), (0, 8.5), plaster(g["neighbour"])),
        Rect(0, fx0, (zf, zf + 1.0), (0, 7.8), plaster(g["neighbour"])),
    ]
    light = Lighting([], ambient=0.55, sun=(-0.45, 0.75, -0.55), sun_power=1.35, sky=(0.85, 0.92, 1.05))
    shell = Shell(rects, light, sky=sky())

    p = []
    # parapet, canopy and sign band
    p.append(box((0, fh + 0.15, zf - 0.1), (14.2, 0.3, 0.3), (200, 200, 198)))
    p.append(box((0, 3.15, zf - 0.9), (6.0, 0.18, 1.8), (235, 235, 235)))
    p.append(box((0, 3.6, zf - 0.12), (9.0, 0.9, 0.24), g["band"]))
    sign = lettering([(g["name"], 0.2)], 2400, colour=WHITE, badge_size=0.0, pad=0.04)
    sign_h = 7.4 * sign.height / sign.width
    p.append(Decal([(-3.7, 3.6 + sign_h / 2, zf - 0.25), (3.7, 3.6 + sign_h / 2, zf - 0.25),
                    (3.7, 3.6 - sign_h / 2, zf - 0.25), (-3.7, 3.6 - sign_h / 2, zf - 0.25)], sign))
    # round badge sign on the corner, the town beneath
    b = badge(600)
    p.append(Decal([(4.6, 6.6, zf - 0.05), (6.6, 6.6, zf - 0.05), (6.6, 4.6, zf - 0.05), (4.6, 4.6, zf - 0.05)],
                   b.resize((600, 600))))
    p[-1].bias = -50
    town = lettering([(g["town"], 0.3)], 1200, colour=g["band"], pad=0.02)
    th = 2.6 * town.height / town.width
    d = Decal([(-6.4, 6.6, zf - 0.02), (-3.8, 6.6, zf - 0.02), (-3.8, 6.6 - th, zf - 0.02),
               (-6.4, 6.6 - th, zf - 0.02)], town)
    d.bias = -50
    p.append(d)
    number = lettering([(g["number"], 0.5)], 300, colour=(40, 40, 44), pad=0.05)
    nd = Decal([(1.5, 2.9, zf - 0.02), (1.9, 2.9, zf - 0.02), (1.9, 2.5, zf - 0.02), (1.5, 2.5, zf - 0.02)],
               number)
    nd.bias = -50
    p.append(nd)
    # kerb, pavement furniture
    p.append(box((0, 0.06, 2.05), (120, 0.12, 0.1), (170, 168, 164)))
    p += _tree(-5.5, 3.2) + _tree(6.0, 3.0, 5.0)
    p += _lamp(2.8, 2.5)
    for x in (-2.3, 2.3):
        p += place(plant(1.1, pot=(60, 62, 66)), x, zf - 0.5)
    p += place([box((0, 0.45, 0), (1.6, 0.08, 0.45), (150, 110, 70)),
                box((-0.7, 0.22, 0), (0.08, 0.44, 0.4), (50, 52, 56)),
                box((0.7, 0.22, 0), (0.08, 0.44, 0.4), (50, 52, 56))], -3.6, zf - 1.6)
    for k in range(4):
        p.append(box((-0.9 + 0.6 * k, 0.005, zf - 1.6), (0.45, 0.01, 0.8), g["accent"] if k % 2 else (40, 40, 44),
                     shadow=False))
    if h > w:
        pos, yaw, pitch, fov = (1.2, 1.6, -3.5), -4, 9, 78
    else:
        pos, yaw, pitch, fov = (3.5, 1.6, -5.5), -12, 6, 66
    return shoot(w, h, shell, light, p, pos, yaw, pitch, fov, seed, vignette=0.25, bloom=0.2)
