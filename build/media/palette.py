"""Brand colours and fonts shared by every picture."""
from functools import lru_cache

from PIL import ImageFont

RED = (213, 2, 23)
BLUE = (21, 45, 132)
BLUE_SOFT = (37, 66, 159)
NEAR_BLACK = (11, 11, 12)
WHITE = (245, 245, 246)

FONT_DIRS = ("/usr/share/fonts/truetype/dejavu/", "/usr/share/fonts/truetype/crosextra/")


@lru_cache(maxsize=None)
def font(name, size):
    """A font by file name; basic layout so the result does not depend on optional shaping libraries."""
    for folder in FONT_DIRS:
        try:
            return ImageFont.truetype(folder + name, round(size), layout_engine=ImageFont.Layout.BASIC)
        except OSError:
            continue
    raise FileNotFoundError(name)
