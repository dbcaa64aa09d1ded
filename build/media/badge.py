"""The chain's circular badge: red ring, blue disc, the initials; and the logo built around it."""
import math
from functools import lru_cache

from PIL import Image, ImageDraw, ImageFilter

from palette import BLUE, BLUE_SOFT, NEAR_BLACK, RED, WHITE, font

SUPERSAMPLE = 4


def _radial_disc(size, radius, centre, inner, outer):
    """A disc whose colour runs from `inner` (upper left light spot) to `outer` at the rim."""
    import numpy as np

    y, x = np.mgrid[0:size, 0:size].astype(np.float32)
    lx, ly = centre - radius * 0.35, centre - radius * 0.45
    t = np.clip(np.hypot(x - lx, y - ly) / (radius * 1.55), 0.0, 1.0)[..., None]
    rgb = np.array(inner, np.float32) * (1 - t) + np.array(outer, np.float32) * t
    return Image.fromarray(rgb.round().astype(np.uint8), "RGB")


def _ring_text(img, text, centre, radius, height, top):
    """Writes `text` along an arc: clockwise over the top, or upright under the bottom."""
    f = font("DejaVuSans-Bold.ttf", height)
    widths = [f.getlength(c) for c in text]
    spacing = height * 0.12
    total = sum(widths) + spacing * (len(text) - 1)
    span = total / radius
    angle = -math.pi / 2 - span / 2 if top else math.pi / 2 + span / 2
    for c, w in zip(text, widths):
        half = (w / 2) / radius
        a = angle + half if top else angle - half
        glyph = Image.new("L", (int(height * 2), int(height * 2)), 0)
        ImageDraw.Draw(glyph).text((height, height), c, font=f, fill=255, anchor="mm")
        rot = -math.degrees(a) - 90 if top else -math.degrees(a) + 90
        glyph = glyph.rotate(rot, resample=Image.BICUBIC)
        gx = centre + radius * math.cos(a) - glyph.width / 2
        gy = centre + radius * math.sin(a) - glyph.height / 2
        img.paste(WHITE, (round(gx), round(gy)), glyph)
        step = (w + spacing) / radius
        angle = angle + step if top else angle - step


@lru_cache(maxsize=None)
def badge(size, detailed=True):
    """The badge as an RGBA image of `size` x `size` on a transparent ground.

    `detailed` adds the names along the ring; small icons leave them out so the initials stay legible.
    """
    s = size * (SUPERSAMPLE if size <= 512 else 2)
    c = s / 2
    r = s / 2 - s * 0.01
    img = Image.new("RGBA", (s, s), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)

    def disc(radius, fill):
        d.ellipse((c - radius, c - radius, c + radius, c + radius), fill=fill)

    ring_inner = 0.70 if detailed else 0.76
    disc(r, WHITE)
    disc(r * 0.955, RED)
    disc(r * (ring_inner + 0.025), WHITE)
    mask = Image.new("L", (s, s), 0)
    ri = r * ring_inner
    ImageDraw.Draw(mask).ellipse((c - ri, c - ri, c + ri, c + ri), fill=255)
    img.paste(_radial_disc(s, ri, c, (58, 86, 190), BLUE), (0, 0), mask)

    if detailed:
        band = r * (0.955 - ring_inner - 0.025)
        text_r = r * (ring_inner + 0.025) + band * 0.5
        _ring_text(img, "PALESTRE TARVELA", c, text_r, band * 0.52, top=True)
        _ring_text(img, "SORVELO · TAVRA", c, text_r, band * 0.52, top=False)
        for side in (-1, 1):
            sx, sy = c + side * text_r, c
            dot = band * 0.13
            d.ellipse((sx - dot, sy - dot, sx + dot, sy + dot), fill=WHITE)

    initials = "PT" if size >= 24 else "T"
    mono = font("DejaVuSansCondensed-Bold.ttf", ri * (0.95 if initials == "PT" else 1.25))
    shadow = Image.new("L", (s, s), 0)
    ImageDraw.Draw(shadow).text((c + s * 0.012, c + s * 0.016), initials, font=mono, anchor="mm", fill=150)
    shadow = shadow.filter(ImageFilter.GaussianBlur(s * 0.012))
    img.paste(NEAR_BLACK, (0, 0), Image.composite(shadow, Image.new("L", (s, s), 0), mask))
    d.text((c, c - ri * 0.04), initials, font=mono, anchor="mm", fill=WHITE)
    bar_w, bar_h = ri * 0.95, ri * 0.07
    by = c + ri * 0.42
    d.rounded_rectangle((c - bar_w / 2, by, c + bar_w / 2, by + bar_h), radius=bar_h / 2, fill=RED)
    return img.resize((size, size), Image.LANCZOS)


def logo():
    """600 x 398: the badge beside the chain's name, for the dark site."""
    w, h = 600, 398
    s = SUPERSAMPLE
    words = Image.new("RGBA", (w * s, h * s), (0, 0, 0, 0))
    d = ImageDraw.Draw(words)
    x, room = 338 * s, 256 * s
    name = "DejaVuSansCondensed-Bold.ttf"

    def fitted(text, share):
        probe = font(name, 100 * s)
        return font(name, 100 * s * room * share / probe.getlength(text))

    d.text((x, 122 * s), "PALESTRE", font=fitted("PALESTRE", 0.74), fill=WHITE, anchor="ls")
    d.text((x, 196 * s), "TARVELA", font=fitted("TARVELA", 1.0), fill=RED, anchor="ls")
    d.rectangle((x, 218 * s, x + room, 223 * s), fill=BLUE_SOFT)
    d.text((x, 262 * s), "SORVELO · TAVRA", font=fitted("SORVELO · TAVRA", 0.86), fill=WHITE, anchor="ls")
    img = words.resize((w, h), Image.LANCZOS)
    img.alpha_composite(badge(320), (2, (h - 320) // 2))
    return img
