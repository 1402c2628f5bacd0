#!/usr/bin/python3
"""Builds the embedded icon font from outlines of our own.

The glyphs sit in the private-use block the views draw from (U+E600 to
U+EB56). Each is drawn on a 1000-unit em inside a box centred between the
font's ascent and descent, so that Dear ImGui centres it in a line of text.
A blank space glyph comes with them: Dear ImGui draws it between icons, and
for a code point the font lacks, instead of some other icon.

usage: make_icon_font.py <output.ttf>
"""
import sys

from fontTools.fontBuilder import FontBuilder
from fontTools.pens.ttGlyphPen import TTGlyphPen

UNITS_PER_EM = 1000
ASCENT = 800
DESCENT = -200
ADVANCE = 1000
SPACE_ADVANCE = 300
# The square every icon is drawn in; its centre is the middle of the line.
BOX_LEFT, BOX_RIGHT = 200, 800
BOX_BOTTOM, BOX_TOP = 0, 600
STROKE = 80
# Fixed timestamps keep the build reproducible.
TIMESTAMP = 0x7C000000


def rectangle(pen, left, bottom, right, top, clockwise=True):
    corners = [(left, bottom), (left, top), (right, top), (right, bottom)]
    if not clockwise:
        corners.reverse()
    pen.moveTo(corners[0])
    for corner in corners[1:]:
        pen.lineTo(corner)
    pen.closePath()


def polygon(pen, points):
    pen.moveTo(points[0])
    for point in points[1:]:
        pen.lineTo(point)
    pen.closePath()


def draw_block(pen):
    rectangle(pen, BOX_LEFT, BOX_BOTTOM, BOX_RIGHT, BOX_TOP)


def draw_minimise(pen):
    middle = (BOX_BOTTOM + BOX_TOP) // 2
    rectangle(pen, BOX_LEFT, middle - STROKE // 2, BOX_RIGHT, middle + STROKE // 2)


def draw_maximise(pen):
    rectangle(pen, BOX_LEFT, BOX_BOTTOM, BOX_RIGHT, BOX_TOP)
    rectangle(pen, BOX_LEFT + STROKE, BOX_BOTTOM + STROKE, BOX_RIGHT - STROKE,
              BOX_TOP - STROKE, clockwise=False)


def draw_close(pen):
    # Two bars corner to corner; d is half the stroke measured along an axis.
    d = int(STROKE * 0.7071 + 0.5)
    l, b, r, t = BOX_LEFT, BOX_BOTTOM, BOX_RIGHT, BOX_TOP
    polygon(pen, [(l, b + d), (r - d, t), (r, t), (r, t - d), (l + d, b), (l, b)])
    polygon(pen, [(l, t), (l + d, t), (r, b + d), (r, b), (r - d, b), (l, t - d)])


def draw_nothing(pen):
    pass


GLYPHS = [
    # (code point, glyph name, outline)
    (0x0020, "space", draw_nothing),
    (0xE600, "block", draw_block),
    (0xEA2F, "maximise", draw_maximise),
    (0xEAE5, "minimise", draw_minimise),
    (0xEAEC, "close", draw_close),
]


def main(output):
    builder = FontBuilder(UNITS_PER_EM, isTTF=True)
    names = [".notdef"] + [name for _, name, _ in GLYPHS]
    builder.setupGlyphOrder(names)
    builder.setupCharacterMap({code: name for code, name, _ in GLYPHS})

    outlines = {}
    pen = TTGlyphPen(None)
    outlines[".notdef"] = pen.glyph()
    for _, name, draw in GLYPHS:
        pen = TTGlyphPen(None)
        draw(pen)
        outlines[name] = pen.glyph()
    builder.setupGlyf(outlines)

    metrics = {}
    for name in names:
        glyph = outlines[name]
        glyph.recalcBounds(builder.font["glyf"])
        advance = SPACE_ADVANCE if name == "space" else ADVANCE
        metrics[name] = (advance, getattr(glyph, "xMin", 0))
    builder.setupHorizontalMetrics(metrics)
    builder.setupHorizontalHeader(ascent=ASCENT, descent=DESCENT)
    builder.setupNameTable({"familyName": "Kovo Icons", "styleName": "Regular"})
    builder.setupOS2(sTypoAscender=ASCENT, sTypoDescender=DESCENT, sTypoLineGap=0,
                     usWinAscent=ASCENT, usWinDescent=-DESCENT)
    builder.setupPost()
    builder.updateHead(created=TIMESTAMP, modified=TIMESTAMP)
    builder.font.recalcTimestamp = False
    builder.save(output)


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    main(sys.argv[1])
