#!/usr/bin/python3
"""Cuts the embedded text font out of DejaVu Sans: Latin and Cyrillic, plus
the punctuation Russian texts use (dashes, guillemets, ellipsis, numero sign).

Dear ImGui rasterises outlines only, so hinting and layout tables go: that
takes the font from about 760 KB to under 50 KB.

usage: make_text_font.py <DejaVuSans.ttf> <output.ttf>
"""
import sys

from fontTools import subset
from fontTools.ttLib import TTFont

# Kept in step with the glyph ranges the font cache asks for.
CODE_POINT_RANGES = [
    (0x0020, 0x00FF),
    (0x0400, 0x052F),
    (0x2013, 0x2014),
    (0x2026, 0x2026),
    (0x2116, 0x2116),
    (0x2DE0, 0x2DFF),
    (0xA640, 0xA69F),
]


def main(source, output):
    options = subset.Options()
    options.hinting = False
    options.layout_features = []
    options.drop_tables += ["GSUB", "GPOS", "GDEF", "kern", "FFTM"]
    options.notdef_outline = True
    options.recalc_timestamp = False

    font = TTFont(source)
    subsetter = subset.Subsetter(options)
    unicodes = [c for first, last in CODE_POINT_RANGES for c in range(first, last + 1)]
    subsetter.populate(unicodes=unicodes)
    subsetter.subset(font)
    font.save(output)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
