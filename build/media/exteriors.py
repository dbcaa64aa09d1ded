"""Street views of the two gyms: facade, glass front, the sign with the badge, pavement and sky."""
import math

from badge import badge
from equipment import plant
from materials import glass_front, paving, plaster, sky, zones
from palette import BLUE, RED, WHITE
from scene import Decal, Lighting, Rect, Shell, Sprite, box, cylinder, place
from interiors import shoot
from signs import lettering, stripe_banner

GYMS = {
    "sorvelo": dict(name="PALESTRA TARVELA", town="SORVELO", band=RED, accent=BLUE, wall=(222, 216, 204),
                    neighbour=(196, 170, 140), number="14"),
    "tavra": dict(name="PALESTRA BRIVORA", town="TAVRA", band=BLUE, accent=RED, wall=(226, 226, 222),
                  neighbour=(180, 190, 200), number="3"),
}


def _tree(x, z, height=4.5):
    """A street tree: trunk, and a crown of many leaf clusters on a rough ellipsoid."""
    greens = ((40, 84, 46), (56, 104, 56), (34, 70, 40), (66, 118, 64), (48, 96, 50))
    p = [cylinder((x, height * 0.32, z), "y", 0.09, height * 0.64, (84, 68, 54), segments=10)]
    crown_y, crown_r = height * 0.72, height * 0.26
    for k in range(110):
        # a golden-angle spiral spreads the clusters evenly over the crown
        t = (k + 0.5) / 110
        a = k * 2.39996
        ry = 1 - 2 * t
        rr = math.sqrt(max(0.0, 1 - ry * ry))
        r = crown_r * (0.75 + 0.25 * ((k * 7) % 5) / 4)
        p.append(Sprite((x + math.cos(a) * rr * r * 1.15, crown_y + ry * r * 0.85, z + math.sin(a) * rr * r * 1.15),
                        crown_r * (0.2 + 0.06 * (k % 3)), greens[k % 5], shine=0.03))
    return p


def _lamp(x, z):
    return [cylinder((x, 2.2, z), "y", 0.06, 4.4, (50, 52, 56), segments=10),
            box((x, 4.45, z - 0.3), (0.2, 0.12, 0.7), (50, 52, 56))]


def entrance(w, h, which, seed):
    g = GYMS[which]
    zf = 8.0  # facade plane
    fx0, fx1, fh = -7.0, 7.0, 7.2
    door = (-1.2, 1.2, 0.0, 2.6)
    glass = glass_front(pane=1.2, transom=2.4, lit=0.25, interior=(14, 16, 20), strip_at=2.2)
    facade = zones(plaster(g["wall"], joints=None), [
        (fx0, fx1, 0.0, 0.45, plaster((92, 94, 98))),
        (fx0, fx1, 4.35, 4.5, plaster(g["accent"], texture=0.02)),
        (-5.8, 5.8, 0.0, 2.8, glass),
        (door[0], door[1], door[2], door[3], glass_front(pane=1.2, mullion=0.08, lit=0.5, interior=(14, 16, 20))),
        (-2.4, -0.8, 4.8, 6.4, glass_front(pane=0.8, transom=5.6)),
        (0.8, 2.4, 4.8, 6.4, glass_front(pane=0.8, transom=5.6)),
        (4.4, 6.0, 4.8, 6.4, glass_front(pane=0.8, transom=5.6)),
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
    shell = Shell(rects, light, sky=sky(clouds=0.5))

    p = []
    # parapet, canopy and sign band
    p.append(box((0, fh + 0.15, zf - 0.1), (14.2, 0.3, 0.3), (200, 200, 198)))
    p.append(box((0, 2.92, zf - 0.7), (4.2, 0.14, 1.4), (235, 235, 235)))
    p.append(box((0, 3.72, zf - 0.12), (9.0, 0.9, 0.24), g["band"]))
    sign = stripe_banner(g["name"], 2400, 240, ground=None)
    sign_h = 0.74
    p.append(Decal([(-3.7, 3.72 + sign_h / 2, zf - 0.25), (3.7, 3.72 + sign_h / 2, zf - 0.25),
                    (3.7, 3.72 - sign_h / 2, zf - 0.25), (-3.7, 3.72 - sign_h / 2, zf - 0.25)], sign))
    # round badge sign on the corner, the town beneath
    b = badge(600)
    p.append(Decal([(-6.6, 6.7, zf - 0.05), (-4.6, 6.7, zf - 0.05), (-4.6, 4.7, zf - 0.05), (-6.6, 4.7, zf - 0.05)],
                   b))
    p[-1].bias = -50
    town = lettering([(g["town"], 0.3)], 1200, colour=g["band"], pad=0.02)
    th = 2.6 * town.height / town.width
    d = Decal([(-6.8, 4.1, zf - 0.02), (-4.8, 4.1, zf - 0.02), (-4.8, 4.1 - th * 2 / 2.6, zf - 0.02),
               (-6.8, 4.1 - th * 2 / 2.6, zf - 0.02)], town)
    d.bias = -50
    p.append(d)
    number = lettering([(g["number"], 0.5)], 300, colour=(40, 40, 44), pad=0.05)
    nd = Decal([(2.3, 3.2, zf - 0.02), (2.7, 3.2, zf - 0.02), (2.7, 2.8, zf - 0.02), (2.3, 2.8, zf - 0.02)],
               number)
    nd.bias = -50
    p.append(nd)
    # kerb, pavement furniture
    p.append(box((0, 0.06, 2.05), (120, 0.12, 0.1), (170, 168, 164)))
    p += _tree(-6.0, 3.2) + _tree(7.4, 3.4, 5.0)
    p += _lamp(-8.0, 2.5)
    for x in (-2.3, 2.3):
        p += place(plant(1.1, pot=(60, 62, 66)), x, zf - 0.5)
    p += place([box((0, 0.45, 0), (1.6, 0.08, 0.45), (150, 110, 70)),
                box((-0.7, 0.22, 0), (0.08, 0.44, 0.4), (50, 52, 56)),
                box((0.7, 0.22, 0), (0.08, 0.44, 0.4), (50, 52, 56))], -3.6, zf - 1.6)
    for k in range(4):
        p.append(box((-0.9 + 0.6 * k, 0.005, zf - 1.6), (0.45, 0.01, 0.8), g["accent"] if k % 2 else (40, 40, 44),
                     shadow=False))
    if h > w:
        pos, yaw, pitch, fov = (-0.6, 1.6, 0.6), 6, 14, 84
    else:
        pos, yaw, pitch, fov = (4.2, 1.6, -2.5), -16, 7, 70
    return shoot(w, h, shell, light, p, pos, yaw, pitch, fov, seed, vignette=0.25, bloom=0.2)
