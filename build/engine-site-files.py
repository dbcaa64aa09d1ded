"""Writes the engine's two site files from the built module and the glue sources.

Both outputs depend only on their inputs: the gzip header carries no time or
name, so a rebuild of the same sources gives the same bytes.
"""
import base64
import gzip
import pathlib
import sys

# The glue's parts, in the order they must appear in the one classic script.
GLUE_PARTS = ["memory.js", "fonts.js", "loader.js", "draw.js", "input.js", "foglio.js"]
# The cell fonts travel inside the script as Base64 WOFF2: (file, style, weight).
CELL_FONTS = [
    ("StilaroSans-Regular.woff2", "normal", "400"),
    ("StilaroSans-Bold.woff2", "normal", "700"),
    ("StilaroSans-Italic.woff2", "italic", "400"),
    ("StilaroSans-BoldItalic.woff2", "italic", "700"),
]


def module_script(wasm: bytes) -> str:
    packed = gzip.compress(wasm, compresslevel=9, mtime=0)
    return 'STILARO_WASM_GZ = "' + base64.b64encode(packed).decode("ascii") + '";\n'


def fonts_constant(fonts_dir: pathlib.Path) -> str:
    faces = ",\n".join(
        f"  ['{style}', '{weight}', '" + base64.b64encode((fonts_dir / name).read_bytes()).decode("ascii") + "']"
        for name, style, weight in CELL_FONTS
    )
    notice = (
        "// Stilaro Sans is Carlito, copyright (c) 2010-2013 tyPoland Lukasz Dziedzic, cut to Latin;\n"
        "// SIL Open Font License 1.1 (http://scripts.sil.org/OFL), also in each face's name table.\n"
    )
    return notice + "const CELL_FONTS = [\n" + faces + ",\n];\n"


def glue_script(glue_dir: pathlib.Path) -> str:
    body = fonts_constant(glue_dir / "fonts")
    body += "".join((glue_dir / name).read_text(encoding="utf-8") for name in GLUE_PARTS)
    return (
        "// Stilaro, the training card's spreadsheet engine: glue between the page and its module.\n"
        "(function () {\n'use strict';\n" + body + "})();\n"
    )


def main() -> None:
    wasm_path, glue_dir, out_dir = map(pathlib.Path, sys.argv[1:4])
    (out_dir / "stilaro_wasm.js").write_text(module_script(wasm_path.read_bytes()), encoding="ascii")
    (out_dir / "stilaro.js").write_text(glue_script(glue_dir), encoding="utf-8")


if __name__ == "__main__":
    main()
