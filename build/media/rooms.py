"""Room shells and their lights."""
from scene import Light, Rect, Shell


def room(x0, x1, z0, z1, h, floor, ceil, left, right, back, front, lighting):
    rects = [Rect(1, 0.0, (x0, x1), (z0, z1), floor), Rect(1, h, (x0, x1), (z0, z1), ceil),
             Rect(0, x0, (z0, z1), (0, h), left), Rect(0, x1, (z0, z1), (0, h), right),
             Rect(2, z1, (x0, x1), (0, h), back), Rect(2, z0, (x0, x1), (0, h), front)]
    return Shell(rects, lighting, room=(x0, x1, 0.0, h, z0, z1))


def panel_grid(xs, zs, w=0.6, d=1.2):
    """Light panels centred on each (x, z) of the grid, as ceiling rectangles."""
    return [(x - w / 2, x + w / 2, z - d / 2, z + d / 2) for x in xs for z in zs]


def panel_lights(panels, h, power=1.0, reach=5.0):
    return [Light(((a + b) / 2, h - 0.25, (c + d) / 2), power, reach) for a, b, c, d in panels]
