"""Lettering and graphics that hang on walls and facades."""
from PIL import Image, ImageDraw

from badge import badge
from palette import RED, WHITE, font


def lettering(lines, width, colour=WHITE, ground=None, badge_size=0, pad=0.06):
    """Lines of (text, share of height) set in bold capitals, optionally after a badge, as RGBA."""
    heights = [share for _, share in lines]
    h = int(width * sum(heights) * 1.25 + width * pad * 2)
    img = Image.new("RGBA", (width, h), ground + (255,) if ground else (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    x = int(width * pad)
    if badge_size:
        b = badge(int(h * badge_size))
        img.alpha_composite(b, (x, (h - b.height) // 2))
        x += b.width + int(width * pad * 0.6)
    y = width * pad
    for text, share in lines:
        f = font("DejaVuSansCondensed-Bold.ttf", width * share)
        room = width - x - width * pad
        if f.getlength(text) > room:
            f = font("DejaVuSansCondensed-Bold.ttf", width * share * room / f.getlength(text))
        d.text((x, y), text, font=f, fill=colour)
        y += width * share * 1.25
    return img


def stripe_banner(text, width, height, ground=RED, colour=WHITE):
    img = Image.new("RGBA", (width, height), ground + (255,))
    d = ImageDraw.Draw(img)
    f = font("DejaVuSansCondensed-Bold.ttf", height * 0.62)
    if f.getlength(text) > width * 0.92:
        f = font("DejaVuSansCondensed-Bold.ttf", height * 0.62 * width * 0.92 / f.getlength(text))
    d.text((width / 2, height / 2), text, font=f, fill=colour, anchor="mm")
    return img
