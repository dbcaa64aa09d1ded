"""The two gyms' rooms: Sorvelo's red and blue walls, Tavra's anthracite and blue; lights and cameras."""
from materials import ceiling, paint, parquet, rubber_floor
from palette import BLUE, BLUE_SOFT, RED
from rooms import panel_grid, panel_lights, room
from scene import Camera, Decal, Lighting, Renderer
from signs import lettering

WALL_LIGHT = (214, 214, 218)
TAVRA_WALL = (196, 199, 204)
SKIRT = (40, 40, 44)
ANTHRACITE = (58, 60, 66)

SCHEMES = {
    "sorvelo": dict(wall=WALL_LIGHT, bands=((0, 0.22, SKIRT), (0.22, 1.3, RED), (1.3, 1.42, BLUE)),
                    back=RED, back_bands=((0, 0.22, SKIRT),), ceiling=(26, 26, 29)),
    "tavra": dict(wall=TAVRA_WALL, bands=((0, 0.22, SKIRT), (0.22, 1.2, ANTHRACITE), (1.2, 1.32, BLUE_SOFT)),
                  back=BLUE, back_bands=((0, 0.22, SKIRT),), ceiling=(186, 188, 192)),
}


def gym_room(scheme, x0, x1, z0, z1, h=3.4, floor=None, left=None, right=None, back=None, front=None,
             lights_x=(-2.0, 2.0), lights_z=None, panels_x=None, panels_z=None, power=1.3, reach=6.0,
             ambient=0.22, back_plain=False):
    """A rectangular gym room. left/right/back/front are extra paint() arguments (mirrors, windows)."""
    s = SCHEMES[scheme]
    lights_z = lights_z or tuple(z0 + (z1 - z0) * k / 4 for k in (1, 2, 3))
    panels = panel_grid(panels_x or lights_x, panels_z or tuple(z + dz for z in lights_z for dz in (-1.3, 1.3)))
    lighting = Lighting(panel_lights(panel_grid(lights_x, lights_z), h, power, reach), ambient=ambient)

    def wall(extra, plain_colour=None):
        kw = dict(extra or {})
        if plain_colour:
            return paint(plain_colour, bands=s["back_bands"], **kw)
        return paint(s["wall"], bands=s["bands"], **kw)

    shell = room(x0, x1, z0, z1, h, floor or rubber_floor(),
                 ceiling(colour=s["ceiling"], panels=panels, emit=2.4),
                 wall(left), wall(right), wall(back, None if back_plain else s["back"]), wall(front), lighting)
    return shell, lighting


def wood_floor():
    return parquet()


def wall_sign(lines, x0, x1, y_top, z, badge_size=0.9, colour=(245, 245, 246), width=1400):
    """Lettering (with the badge) on the back wall plane z, between x0 and x1."""
    img = lettering(lines, width, colour=colour, badge_size=badge_size)
    h = (x1 - x0) * img.height / img.width
    d = Decal([(x0, y_top, z), (x1, y_top, z), (x1, y_top - h, z), (x0, y_top - h, z)], img)
    d.bias = -100
    return d


def side_sign(lines, z0, z1, y_top, x, badge_size=0.9, width=1400, facing_left=True):
    """Lettering on a side wall x, running from z0 to z1."""
    img = lettering(lines, width, badge_size=badge_size)
    h = (z1 - z0) * img.height / img.width
    a, b = (z0, z1) if facing_left else (z1, z0)
    d = Decal([(x, y_top, a), (x, y_top, b), (x, y_top - h, b), (x, y_top - h, a)], img)
    d.bias = -100
    return d


def shoot(w, h, shell, lighting, parts, pos, yaw, pitch, fov, seed, **kw):
    """A camera with `fov` degrees across the longer side of the picture."""
    if h > w:
        import math
        fov = math.degrees(2 * math.atan(math.tan(math.radians(fov) / 2) * w / h))
    return Renderer(Camera(pos, yaw, pitch, fov, w, h), shell, lighting, parts, seed=seed, **kw)


__all__ = ["gym_room", "wood_floor", "wall_sign", "side_sign", "shoot", "RED", "BLUE", "BLUE_SOFT"]
