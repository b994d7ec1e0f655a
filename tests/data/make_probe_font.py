#!/usr/bin/python3
"""Writes glyphevict-probe.ttf: a tiny TrueType font whose family name no
installed font has, so that a test can tell its loads apart from the system's.

Windows refuses, or treats as fit for no character set, fonts that lack parts
a shipping font has: the Windows-platform names 1 to 6, a code page and a
Unicode range in OS/2, a (3, 1) cmap. The font carries all of them.

Run with Debian's python3-fonttools: python3 make_probe_font.py OUT.ttf
The output is byte-for-byte the same on every run (fixed timestamps)."""
import sys

from fontTools.fontBuilder import FontBuilder
from fontTools.pens.ttGlyphPen import TTGlyphPen

FAMILY = "Glyphevict Probe"
STYLE = "Regular"
VERSION = "1.000"
FIXED_TIME = 0  # seconds since 1904-01-01, keeps the file reproducible

LATIN_1_CODE_PAGE = 1 << 0  # OS/2 ulCodePageRange1 bit 0
BASIC_LATIN_RANGE = 1 << 0  # OS/2 ulUnicodeRange1 bit 0
FS_SELECTION_REGULAR = 1 << 6


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
    # Unicode BMP subtables for both the Unicode (0, 3) and Windows (3, 1) platforms.
    builder.setupCharacterMap({0x20: "space", 0x41: "A"})
    builder.setupGlyf({
        ".notdef": box_glyph(50, 0, 450, 700),
        "space": TTGlyphPen(None).glyph(),
        "A": box_glyph(100, 0, 500, 700),
    })
    builder.setupHorizontalMetrics({name: (600, 50) for name in glyph_order})
    builder.setupHorizontalHeader(ascent=800, descent=-200)
    # Written for the Windows platform (3, 1, 0x409) and the Macintosh one.
    builder.setupNameTable({
        "familyName": FAMILY,
        "styleName": STYLE,
        "uniqueFontIdentifier": f"{VERSION};NONE;GlyphevictProbe-{STYLE}",
        "fullName": f"{FAMILY} {STYLE}",
        "version": f"Version {VERSION}",
        "psName": f"GlyphevictProbe-{STYLE}",
    })
    builder.setupOS2(sTypoAscender=800, sTypoDescender=-200, usWinAscent=800, usWinDescent=200,
                     fsSelection=FS_SELECTION_REGULAR, ulCodePageRange1=LATIN_1_CODE_PAGE,
                     ulUnicodeRange1=BASIC_LATIN_RANGE, usFirstCharIndex=0x20,
                     usLastCharIndex=0x41, achVendID="NONE", fsType=0)
    builder.setupPost()
    builder.updateHead(created=FIXED_TIME, modified=FIXED_TIME)
    builder.save(out_path)


if __name__ == "__main__":
    main(sys.argv[1])
