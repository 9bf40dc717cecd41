#!/usr/bin/python3
"""Writes text_metrics.json: the text metrics Windows GDI gives for the installed faces, worked out
from the font files' own tables with fontTools, for the display mapping the elements measure on.

Run with the system interpreter, which has python3-fonttools:
    /usr/bin/python3 tests/oracle/generate_text_metrics.py

The arithmetic is Windows' TrueType path as the GDI stand-in is meant to follow it:
- The "DISPLAY" context has 96 pixels per inch. The elements set MM_ANISOTROPIC (extents 1, 1)
  and call ScaleWindowExtEx(dc, r, 96, r, 96): the window extent becomes 1 * r / 96 in C integer
  division, and a result of 0 becomes 1 (so 72 gives 1, like 96). The viewport stays 1.
- A character height of t tenths of a point is the device height MulDiv(96, t, 720); DPtoLP of
  that point and of the origin gives the logical difference, and the font height is minus its
  magnitude.
- At selection the height is multiplied by |eM22| of the world-to-viewport transform (a double,
  viewport / window) and truncated toward zero; a negative height asks for that many pixels per em.
- em_scale = MulDiv(ppem, 65536, upem); a table value v scales to FT_MulFix(v, em_scale).
  tmAscent and tmDescent scale usWinAscent and usWinDescent (hhea when both are 0) separately,
  tmHeight is their sum, tmInternalLeading scales winAscent + winDescent - upem,
  tmExternalLeading is max(0, scale(lineGap - ((winA + winD) - (hhea asc - hhea desc)))),
  tmAveCharWidth max(1, scale(xAvgCharWidth)), tmMaxCharWidth scale(head xMax - xMin).
- A glyph advances by its hmtx advance in 26.6 pixels with FreeType's x scale
  FT_DivFix(ppem << 6, upem), rounded to a whole pixel. No face here has hdmx or VDMX (checked
  below), so neither adjusts the result.
- Logical values are device values times the viewport-to-world scale, GDI_ROUND'ed, once per
  value; a string's width is the sum of device advances converted once. An empty string
  measures 0 x 0.
"""

import hashlib
import json
import os
import re
import subprocess
import sys

from fontTools import version as fonttools_version
from fontTools.ttLib import TTFont

HERE = os.path.dirname(os.path.abspath(__file__))
OUTPUT = os.path.join(HERE, "text_metrics.json")

LOGPIXELS = 96
TENTHS = [80, 100, 120, 240]
RESOLUTIONS = [72, 300, 600, 720, 1200]
STRINGS = ["Please check the figures", "Hamburgefonstiv 0123456789", "W", ""]
CODES = list(range(32, 127)) + [0xA0, 0xC4, 0xC9, 0xD6, 0xDC, 0xDF, 0xE4, 0xE9, 0xF6, 0xFC,
                                0x20AC, 0x2013, 0x2019]

FACES = [
    {"family": "Liberation Sans", "requests": ["Arial", "Liberation Sans"],
     "file": "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf",
     "package": "fonts-liberation"},
    {"family": "Liberation Serif", "requests": ["Times New Roman", "Liberation Serif"],
     "file": "/usr/share/fonts/truetype/liberation/LiberationSerif-Regular.ttf",
     "package": "fonts-liberation"},
    {"family": "Liberation Mono", "requests": ["Courier New", "Liberation Mono"],
     "file": "/usr/share/fonts/truetype/liberation/LiberationMono-Regular.ttf",
     "package": "fonts-liberation"},
    {"family": "DejaVu Sans", "requests": ["Tahoma", "", "DejaVu Sans"],
     "file": "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
     "package": "fonts-dejavu-core"},
]


def mul_div(a, b, c):
    """Windows MulDiv: a * b / c rounded half away from zero."""
    if c == 0:
        return -1
    n = a * b
    q, r = divmod(abs(n), abs(c))
    if 2 * r >= abs(c):
        q += 1
    return q if (n < 0) == (c < 0) else -q


def ft_mul_fix(a, b):
    """FreeType FT_MulFix: (a * b) / 65536 rounded half away from zero."""
    sign = -1 if (a < 0) != (b < 0) else 1
    return sign * ((abs(a) * abs(b) + 0x8000) >> 16)


def ft_div_fix(a, b):
    """FreeType FT_DivFix: (a * 65536) / b rounded half away from zero."""
    sign = -1 if (a < 0) != (b < 0) else 1
    return sign * ((abs(a) * 65536 + abs(b) // 2) // abs(b))


def gdi_round(x):
    """GDI_ROUND: floor(x + 0.5)."""
    import math
    return int(math.floor(x + 0.5))


def trunc_toward_zero(x):
    return int(x)


def window_extent(resolution):
    ext = (1 * resolution) // LOGPIXELS  # both positive: C truncation
    return ext if ext != 0 else 1


def sha256(path):
    h = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 16), b""):
            h.update(block)
    return h.hexdigest()


def package_version(name):
    out = subprocess.run(["dpkg-query", "-W", "-f=${Version}", name],
                         capture_output=True, text=True, check=False)
    return out.stdout.strip() if out.returncode == 0 else ""


class Face:
    def __init__(self, path):
        self.font = TTFont(path)
        for table in ("VDMX", "hdmx"):
            if table in self.font:
                # Windows would take ppem and ascent/descent (VDMX) or advances (hdmx) from these;
                # this generator does not model them, so it refuses rather than guess.
                sys.exit(f"{path} has a {table} table, which this generator does not model")
        self.upem = self.font["head"].unitsPerEm
        os2 = self.font["OS/2"]
        hhea = self.font["hhea"]
        self.win_ascent = os2.usWinAscent
        self.win_descent = os2.usWinDescent
        self.hhea_ascent = hhea.ascent
        self.hhea_descent = hhea.descent
        self.line_gap = hhea.lineGap
        self.avg_width = os2.xAvgCharWidth
        head = self.font["head"]
        self.bbox_width = head.xMax - head.xMin
        self.cmap = self.font["cmap"].getcmap(3, 1).cmap
        self.hmtx = self.font["hmtx"]
        self.glyph_order = self.font.getGlyphOrder()

    def glyph(self, code):
        name = self.cmap.get(code)
        if name is None:
            return 0, 0
        return self.font.getGlyphID(name), self.hmtx[name][0]

    def text_metrics(self, ppem):
        em = mul_div(ppem, 1 << 16, self.upem)

        def scale(v):
            return ft_mul_fix(v, em)

        win_a, win_d = self.win_ascent, self.win_descent
        if win_a == 0 and win_d == 0:
            win_a, win_d = self.hhea_ascent, -self.hhea_descent
        ascent = scale(win_a)
        descent = scale(win_d)
        external = scale(self.line_gap - ((win_a + win_d) -
                                          (self.hhea_ascent - self.hhea_descent)))
        return {
            "tmHeight": ascent + descent,
            "tmAscent": ascent,
            "tmDescent": descent,
            "tmInternalLeading": scale(win_a + win_d - self.upem),
            "tmExternalLeading": max(0, external),
            "tmAveCharWidth": max(1, scale(self.avg_width)),
            "tmMaxCharWidth": scale(self.bbox_width),
        }

    def advance_pixels(self, code, ppem):
        _, advance = self.glyph(code)
        if self.cmap.get(code) is None:
            # Unmapped characters draw glyph 0.
            advance = self.hmtx[self.glyph_order[0]][0]
        x_scale = ft_div_fix(ppem << 6, self.upem)
        scaled = ft_mul_fix(advance, x_scale)  # 26.6
        rounded = (scaled + 32) & -64
        return ((rounded + 63) & -64) >> 6


def case(face, tenths, resolution):
    ext = window_extent(resolution)
    world_to_viewport = 1.0 / ext     # viewport extent 1 over window extent
    viewport_to_world = float(ext)
    device = mul_div(LOGPIXELS, tenths, 720)
    # DPtoLP of (0, device) and (0, 0); the origins are 0.
    lf_height = -abs(gdi_round(device * viewport_to_world) - gdi_round(0 * viewport_to_world))
    ppem = -trunc_toward_zero(lf_height * abs(world_to_viewport))
    tm = face.text_metrics(ppem)
    logical = {k: gdi_round(v * viewport_to_world) for k, v in tm.items()}
    extents = []
    for s in STRINGS:
        if not s:
            extents.append([0, 0])
            continue
        cx = sum(face.advance_pixels(ord(c), ppem) for c in s)
        extents.append([abs(gdi_round(cx * viewport_to_world)),
                        abs(gdi_round(tm["tmHeight"] * viewport_to_world))])
    return {"tenths": tenths, "resolution": resolution, "window_extent": ext,
            "lf_height": lf_height, "ppem": ppem, "metrics": logical, "extents": extents}


def main():
    out = {
        "generator": "tests/oracle/generate_text_metrics.py",
        "fonttools": fonttools_version,
        "logpixels": LOGPIXELS,
        "strings": STRINGS,
        "packages": {p: package_version(p) for p in sorted({f["package"] for f in FACES})},
        "faces": [],
    }
    for face_entry in FACES:
        face = Face(face_entry["file"])
        entry = dict(face_entry)
        entry["size"] = os.path.getsize(face_entry["file"])
        entry["sha256"] = sha256(face_entry["file"])
        entry["units_per_em"] = face.upem
        entry["glyphs"] = [[code, *face.glyph(code)] for code in CODES]
        entry["cases"] = [case(face, t, r) for t in TENTHS for r in RESOLUTIONS]
        out["faces"].append(entry)
    text = json.dumps(out, indent=1, ensure_ascii=True)
    # Lists of numbers on one line each keep the file small and readable.
    text = re.sub(r"\[\s*(-?\d+(?:,\s*-?\d+)*)\s*\]",
                  lambda m: "[" + re.sub(r"\s+", "", m.group(1)).replace(",", ", ") + "]", text)
    with open(OUTPUT, "w", encoding="utf-8") as f:
        f.write(text + "\n")
    print(f"wrote {OUTPUT}")


if __name__ == "__main__":
    main()
