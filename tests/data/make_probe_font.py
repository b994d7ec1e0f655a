#!/usr/bin/python3
"""Writes glyphevict-probe.ttf: a tiny TrueType font whose family name no
installed font has, so that a test can tell its loads apart from the system's.

Run with Debian's python3-fonttools: python3 make_probe_font.py OUT.ttf
The output is byte-for-byte the same on every run (fixed timestamps)."""
import sys

from fontTools.fontBuilder import FontBuilder
from fontTools.pens.ttGlyphPen import TTGlyphPen

FAMILY = "Glyphevict Probe"
FIXED_TIME = 0  # seconds since 1904-01-01, keeps the file reproducible


def box_glyph(left, bottom, right, top):
    pen = TTGlyphPen(None)
    pen.moveTo((left, bottom))
    pen.lineTo((left, top))
    pen.lineTo((right, top))
    pen.lineTo((right, bottom))
    pen.closePath()
    return pen.glyph()


def main(out_path):
    builder = FontBuilder(1000, isTTF=True)
    glyph_order = [".notdef", "space", "A"]
    builder.setupGlyphOrder(glyph_order)
    builder.setupCharacterMap({0x20: "space", 0x41: "A"})
    builder.setupGlyf({
        ".notdef": box_glyph(50, 0, 450, 700),
        "space": TTGlyphPen(None).glyph(),
        "A": box_glyph(100, 0, 500, 700),
    })
    builder.setupHorizontalMetrics({name: (600, 50) for name in glyph_order})
    builder.setupHorizontalHeader(ascent=800, descent=-200)
    builder.setupNameTable({"familyName": FAMILY, "styleName": "Regular"})
    builder.setupOS2(sTypoAscender=800, sTypoDescender=-200,
                     usWinAscent=800, usWinDescent=200)
    builder.setupPost()
    builder.updateHead(created=FIXED_TIME, modified=FIXED_TIME)
    builder.save(out_path)


if __name__ == "__main__":
    main(sys.argv[1])
