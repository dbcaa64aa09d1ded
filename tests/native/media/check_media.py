"""Checks the committed media: sizes and formats of every file, and that a fresh rendering gives them again.

Rendering all eighteen photos takes a while, so the fresh rendering covers the emblems and a sample of
photos (an interior, a street view, both orientations); MEDIA_FULL=1 re-renders every photo.

On this machine a fresh rendering is byte for byte the committed file. Another processor may pick other
vectorised maths routines and round a few pixel values differently, so where bytes differ the decoded
pixels are compared instead: a change of scene (an object moved, a colour, the grain) moves many pixels by
much more than that rounding does.
"""
import io
import os
import struct
import subprocess
import sys
import tempfile
import unittest

import numpy as np
from PIL import Image

ROOT = os.environ.get("TARVELA_ROOT") or os.path.join(os.path.dirname(__file__), "..", "..", "..")
SITE = os.path.join(ROOT, "site")
RES = os.path.join(ROOT, "shell", "resources")
SCRIPT = os.path.join(ROOT, "build", "media", "make_media.py")

SUBJECTS = (
    "sorvelo-area-corsi", "sorvelo-esterno", "sorvelo-macchinari", "sorvelo-macchine", "sorvelo-manubri",
    "sorvelo-palle-mediche", "sorvelo-panche", "sorvelo-rack", "sorvelo-sala-corsi", "sorvelo-sala-pesi",
    "sorvelo-sala", "tavra-esterno", "tavra-ingresso", "tavra-kettlebell", "tavra-macchine", "tavra-reception",
    "tavra-sala-pesi", "tavra-sala",
)
SAMPLE = ("sorvelo-esterno", "tavra-kettlebell")
EMBLEMS = ("site/logo.png", "site/icon-192.png", "site/icon-512.png", "shell/resources/program.ico",
           "shell/resources/window-icon-64.rgba")


def read(path):
    with open(path, "rb") as f:
        return f.read()


def image(path):
    return Image.open(io.BytesIO(read(path)))


def pixels(name, data):
    """Decoded pixels of a media file, as a list of arrays (one per image of an icon file)."""
    if name.endswith(".rgba"):
        return [np.frombuffer(data, np.uint8)]
    if name.endswith(".ico"):
        count = struct.unpack("<H", data[4:6])[0]
        out = []
        for k in range(count):
            length, offset = struct.unpack("<II", data[14 + 16 * k:22 + 16 * k])
            out += pixels("x.png", data[offset:offset + length])
        return out
    return [np.asarray(Image.open(io.BytesIO(data)).convert("RGBA"), np.int16)]


def rounding_only(name, fresh, committed):
    """True when two renderings differ by no more than rounding noise."""
    a, b = pixels(name, fresh), pixels(name, committed)
    if len(a) != len(b):
        return False
    for x, y in zip(a, b):
        if x.shape != y.shape:
            return False
        diff = np.abs(x.astype(np.int16) - y.astype(np.int16))
        if diff.mean() > 0.25 or np.count_nonzero(diff > 24) > diff.size // 20000:
            return False
    return True


def png_chunks(data):
    pos, names = 8, []
    while pos < len(data):
        length, name = struct.unpack(">I4s", data[pos:pos + 8])
        names.append(name.decode("ascii"))
        pos += 12 + length
    return names


class Photos(unittest.TestCase):
    def test_exactly_the_subjects_each_twice(self):
        self.assertEqual(sorted(f for f in os.listdir(os.path.join(SITE, "foto")) if f.endswith(".jpg")),
                         sorted(s + ".jpg" for s in SUBJECTS))
        self.assertEqual(sorted(os.listdir(os.path.join(SITE, "foto", "grandi"))),
                         sorted(s + ".jpg" for s in SUBJECTS))

    def test_sizes_and_format(self):
        total = 0
        for s in SUBJECTS:
            with self.subTest(subject=s):
                small_path = os.path.join(SITE, "foto", s + ".jpg")
                large_path = os.path.join(SITE, "foto", "grandi", s + ".jpg")
                small, large = image(small_path), image(large_path)
                self.assertEqual((small.format, large.format), ("JPEG", "JPEG"))
                self.assertEqual((small.mode, large.mode), ("RGB", "RGB"))
                self.assertLessEqual(max(small.size), 1200)
                self.assertGreaterEqual(max(small.size), 600)
                self.assertTrue(1600 <= max(large.size) <= 2400, large.size)
                ratio_small = small.size[0] / small.size[1]
                ratio_large = large.size[0] / large.size[1]
                self.assertAlmostEqual(ratio_small, ratio_large, delta=0.01)
                self.assertNotIn("exif", large.info)
                total += os.path.getsize(small_path) + os.path.getsize(large_path)
        self.assertLess(total, 12_000_000)

    def test_both_orientations_present(self):
        shapes = {image(os.path.join(SITE, "foto", s + ".jpg")).size for s in SUBJECTS}
        self.assertTrue(any(w > h for w, h in shapes) and any(h > w for w, h in shapes))


class Emblems(unittest.TestCase):
    def test_logo_and_site_icons(self):
        # The logo is a palette image with alpha, at twice the 96 px the site shows it at.
        for name, size, mode, extra, opaque in (("logo.png", (289, 192), "P", ["PLTE", "tRNS"], False),
                                                ("icon-192.png", (192, 192), "RGBA", [], False),
                                                ("icon-512.png", (512, 512), "RGBA", [], True)):
            with self.subTest(name=name):
                data = read(os.path.join(SITE, name))
                img = Image.open(io.BytesIO(data))
                self.assertEqual((img.format, img.mode, img.size), ("PNG", mode, size))
                self.assertEqual([c for c in png_chunks(data) if c not in ("IHDR", "IDAT", "IEND")], extra)
                if name == "logo.png":
                    self.assertLess(len(data), 40_000)
                lo, hi = img.convert("RGBA").getchannel("A").getextrema()
                self.assertEqual(hi, 255)
                self.assertEqual(lo == 255, opaque)

    def test_program_icon_holds_four_png_images(self):
        data = read(os.path.join(RES, "program.ico"))
        reserved, kind, count = struct.unpack("<HHH", data[:6])
        self.assertEqual((reserved, kind, count), (0, 1, 4))
        end = 6 + 16 * count
        for k, size in enumerate((256, 48, 32, 16)):
            with self.subTest(size=size):
                w, h, colours, res, planes, bits, length, offset = struct.unpack(
                    "<BBBBHHII", data[6 + 16 * k:22 + 16 * k])
                self.assertEqual((w, h), (size % 256, size % 256))
                self.assertEqual((colours, res, planes, bits), (0, 0, 1, 32))
                self.assertEqual(offset, end)
                png = data[offset:offset + length]
                self.assertEqual(png[:8], b"\x89PNG\r\n\x1a\n")
                img = Image.open(io.BytesIO(png))
                self.assertEqual((img.size, img.mode), ((size, size), "RGBA"))
                end = offset + length
        self.assertEqual(end, len(data))

    def test_window_icon_pixels(self):
        data = read(os.path.join(RES, "window-icon-64.rgba"))
        self.assertEqual(len(data), 64 * 64 * 4)
        alphas = data[3::4]
        self.assertGreaterEqual(min(alphas), 220)
        img = Image.frombytes("RGBA", (64, 64), data)
        r, g, b, _ = img.getpixel((32, 20))
        self.assertGreater(b, r)  # the blue disc at the centre, not a blank square
        self.assertGreater(len(set(img.getdata())), 50)


class Fresh(unittest.TestCase):
    def test_rendering_again_gives_the_committed_bytes(self):
        subjects = SUBJECTS if os.environ.get("MEDIA_FULL") == "1" else SAMPLE
        with tempfile.TemporaryDirectory() as out:
            subprocess.run([sys.executable, SCRIPT, "--out", out, "--only", *subjects], check=True)
            names = list(EMBLEMS)
            for s in subjects:
                names += ["site/foto/%s.jpg" % s, "site/foto/grandi/%s.jpg" % s]
            for name in names:
                with self.subTest(file=name):
                    fresh, committed = read(os.path.join(out, name)), read(os.path.join(ROOT, name))
                    self.assertTrue(fresh == committed or rounding_only(name, fresh, committed),
                                    "%s differs from a fresh rendering: run build/media/make_media.py" % name)

    def test_a_changed_scene_is_told_apart_from_rounding(self):
        name = "site/foto/sorvelo-manubri.jpg"
        committed = read(os.path.join(ROOT, name))
        img = Image.open(io.BytesIO(committed))
        moved = img.copy()
        moved.paste(img.crop((100, 100, 300, 260)), (130, 100))
        grainier = Image.fromarray(np.clip(np.asarray(img, np.int16) + 3, 0, 255).astype(np.uint8))
        for changed in (moved, grainier):
            buf = io.BytesIO()
            changed.save(buf, "JPEG", quality=86)
            self.assertFalse(rounding_only(name, buf.getvalue(), committed))
        buf = io.BytesIO()
        img.save(buf, "JPEG", quality=86)
        self.assertTrue(rounding_only(name, buf.getvalue(), committed))


if __name__ == "__main__":
    unittest.main(verbosity=2)
