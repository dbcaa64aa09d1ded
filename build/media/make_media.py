"""Renders every picture of the site and the program's icons, deterministically, from code alone.

Usage: make_media.py [--out ROOT] [--only SUBJECT ...]
ROOT defaults to the repository; files land in ROOT/site and ROOT/shell/resources.
"""
import argparse
import io
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from PIL import Image  # noqa: E402

import icons  # noqa: E402
from subjects import SUBJECTS  # noqa: E402

GALLERY_LONG_SIDE = 1200


def save_jpeg(img, path):
    buf = io.BytesIO()
    img.save(buf, "JPEG", quality=86, optimize=True, progressive=True, subsampling="4:2:0")
    _write(path, buf.getvalue())


def _write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def photos(root, only):
    for name, (make, (w, h)) in SUBJECTS.items():
        if only and name not in only:
            continue
        large = make(w, h).render()
        save_jpeg(large, os.path.join(root, "site", "foto", "grandi", name + ".jpg"))
        k = GALLERY_LONG_SIDE / max(w, h)
        small = large.resize((round(w * k), round(h * k)), Image.LANCZOS)
        save_jpeg(small, os.path.join(root, "site", "foto", name + ".jpg"))


def emblems(root):
    site = os.path.join(root, "site")
    res = os.path.join(root, "shell", "resources")
    _write(os.path.join(site, "logo.png"), icons.site_logo())
    _write(os.path.join(site, "icon-192.png"), icons.icon_192())
    _write(os.path.join(site, "icon-512.png"), icons.icon_512())
    _write(os.path.join(res, "program.ico"), icons.program_ico())
    _write(os.path.join(res, "window-icon-64.rgba"), icons.window_icon_rgba())


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--out", default=os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
    ap.add_argument("--only", nargs="*", default=[])
    args = ap.parse_args()
    root = os.path.abspath(args.out)
    emblems(root)
    photos(root, set(args.only))


if __name__ == "__main__":
    main()
