"""Makes the cell fonts the engine's page carries: Debian's Carlito (Calibri's advance
widths) cut to the Latin letters and punctuation of the cards, without hinting or
kerning so every string is exactly as wide as its advances, and renamed "Stilaro Sans"
as the font's licence asks of changed copies. Writes engine/glue/fonts/*.woff2 and the
layout's table of the same advances, engine/view/advance_widths.inc.
Needs python3-fonttools, python3-brotli and fonts-crosextra-carlito."""
import pathlib

from fontTools import subset
from fontTools.ttLib import TTFont

SOURCE = pathlib.Path("/usr/share/fonts/truetype/crosextra")
ROOT = pathlib.Path(__file__).resolve().parent.parent
OUT = ROOT / "engine" / "glue" / "fonts"
WIDTHS = ROOT / "engine" / "view" / "advance_widths.inc"
FAMILY = "Stilaro Sans"
STYLES = {"Regular": "Regular", "Bold": "Bold", "Italic": "Italic", "BoldItalic": "Bold Italic"}
CHARACTERS = [
    *range(0x20, 0x7F), *range(0xA0, 0x180), 0x192, 0x2C6, 0x2DC,
    *range(0x2010, 0x2028), *range(0x2030, 0x203B), 0x20AC, 0x2122, 0x2212,
]


def make(style: str, style_name: str) -> None:
    font = TTFont(SOURCE / f"Carlito-{style}.ttf", recalcTimestamp=False)
    options = subset.Options()
    options.layout_features = []
    options.hinting = False
    options.name_IDs = [0, 1, 2, 3, 4, 5, 6, 13, 14]
    options.flavor = "woff2"
    cutter = subset.Subsetter(options)
    cutter.populate(unicodes=CHARACTERS)
    cutter.subset(font)
    names = font["name"]
    postscript = FAMILY.replace(" ", "") + "-" + style
    for record in list(names.names):
        if record.nameID in (1, 3, 4, 6):
            names.removeNames(nameID=record.nameID)
    names.setName(FAMILY, 1, 3, 1, 0x409)
    names.setName(f"{postscript};{font['head'].fontRevision:.3f}", 3, 3, 1, 0x409)
    names.setName(f"{FAMILY} {style_name}", 4, 3, 1, 0x409)
    names.setName(postscript, 6, 3, 1, 0x409)
    font.flavor = "woff2"
    font.save(OUT / f"{postscript}.woff2")


def per_mille(font: TTFont, code: int) -> int:
    glyph = font.getBestCmap()[code]
    return round(font["hmtx"][glyph][0] * 1000 / font["head"].unitsPerEm)


def write_widths() -> None:
    fonts = [TTFont(SOURCE / f"Carlito-{style}.ttf") for style in STYLES]
    lines = [
        "// Written by build/engine-fonts.py: the advance widths of the cell font in thousandths",
        "// of its size, by code point: regular, bold, italic, bold italic.",
    ]
    for code in sorted(CHARACTERS):
        if all(code in font.getBestCmap() for font in fonts):
            widths = ", ".join(str(per_mille(font, code)) for font in fonts)
            lines.append(f"{{0x{code:04X}, {widths}}},")
    WIDTHS.write_text("\n".join(lines) + "\n", encoding="ascii")


def main() -> None:
    OUT.mkdir(parents=True, exist_ok=True)
    for style, style_name in STYLES.items():
        make(style, style_name)
    write_widths()


if __name__ == "__main__":
    main()
