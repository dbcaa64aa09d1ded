"""The badge as site icons, the program icon file and the window icon pixels."""
import io
import struct

from PIL import Image

from badge import badge, logo
from palette import NEAR_BLACK

ICO_SIZES = (256, 48, 32, 16)
WINDOW_ICON = 64
LOGO_HEIGHT = 192


def png_bytes(img):
    """PNG without text, time or physical-size chunks, so the bytes only depend on the pixels."""
    buf = io.BytesIO()
    img.save(buf, "PNG", optimize=True)
    return buf.getvalue()


def site_logo():
    """The logo at twice the height of the largest place the site shows it in (96 px), so that it stays
    sharp on 2x screens, in 256 colours with alpha: a small fraction of the full-colour bytes."""
    drawn = logo()
    small = drawn.resize((round(drawn.width * LOGO_HEIGHT / drawn.height), LOGO_HEIGHT), Image.LANCZOS)
    return png_bytes(small.quantize(256, method=Image.LIBIMAGEQUANT, dither=Image.FLOYDSTEINBERG))


def icon_192():
    return png_bytes(badge(192))


def icon_512():
    """Maskable as well: an opaque square with the badge inside the central safe circle (80 %)."""
    img = Image.new("RGBA", (512, 512), NEAR_BLACK + (255,))
    b = badge(400)
    img.alpha_composite(b, ((512 - 400) // 2, (512 - 400) // 2))
    return png_bytes(img)


def _icon_image(size):
    return badge(size, detailed=size >= 128)


def program_ico():
    """An icon file of PNG-compressed 32-bit images: directory, one 16-byte entry each, then the PNGs."""
    pngs = [png_bytes(_icon_image(s)) for s in ICO_SIZES]
    head = struct.pack("<HHH", 0, 1, len(pngs))
    offset = len(head) + 16 * len(pngs)
    entries = b""
    for size, data in zip(ICO_SIZES, pngs):
        side = 0 if size >= 256 else size
        entries += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return head + entries + b"".join(pngs)


def window_icon_rgba():
    """64 x 64 RGBA rows, top to bottom, fully opaque: the badge on the site's near-black."""
    img = Image.new("RGBA", (WINDOW_ICON, WINDOW_ICON), NEAR_BLACK + (255,))
    img.alpha_composite(_icon_image(WINDOW_ICON))
    return img.tobytes()
