#!/usr/bin/python3
"""Lays the installer's pictures out on the page colour, for looking at them.

    contact_sheet.py <folder with the pictures> <sheet.png>

Every picture appears at its own size; the small ones (logos, icons and the
operator) also at three times their size, pixel for pixel.
"""

import os
import sys

from PIL import Image, ImageDraw, ImageFont

PAGE = (0x2C, 0x3E, 0x50, 255)
LABEL = (0x99, 0x99, 0x99, 255)
GAP = 16
ZOOM = 3
SMALL_SIDE = 200
FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"
LABEL_SIZE = 12
LABEL_HEIGHT = 16
LABEL_WIDTH = 200  # the least room a tile takes, so that labels never overlap
SHEET_WIDTH = 1700


def main(arguments):
    if len(arguments) != 3:
        sys.stderr.write(__doc__)
        return 2
    folder, target = arguments[1], arguments[2]
    # In the program's order where the drawing script names them.
    sys.dont_write_bytecode = True  # nothing left behind in the source tree
    sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
    from make_pictures import PICTURES
    names = [name for name, _, _ in PICTURES if os.path.exists(os.path.join(folder, name))]
    tiles = []
    for name in names:
        image = Image.open(os.path.join(folder, name)).convert("RGBA")
        tiles.append((name, image))
        if max(image.size) <= SMALL_SIDE:
            zoomed = image.resize((image.width * ZOOM, image.height * ZOOM), Image.NEAREST)
            tiles.append((name + " x%d" % ZOOM, zoomed))

    # Shelf packing: left to right, a new row when the width runs out.
    placed, x, y, row_height = [], GAP, GAP, 0
    for name, image in tiles:
        if x + max(image.width, LABEL_WIDTH) + GAP > SHEET_WIDTH:
            x, y, row_height = GAP, y + row_height + LABEL_HEIGHT + GAP, 0
        placed.append((name, image, x, y))
        x += max(image.width, LABEL_WIDTH) + GAP
        row_height = max(row_height, image.height)
    height = y + row_height + LABEL_HEIGHT + GAP

    sheet = Image.new("RGBA", (SHEET_WIDTH, height), PAGE)
    draw = ImageDraw.Draw(sheet)
    font = ImageFont.truetype(FONT, LABEL_SIZE)
    for name, image, x, y in placed:
        sheet.alpha_composite(image, (x, y + LABEL_HEIGHT))
        draw.text((x, y), "%s %dx%d" % (name, image.width, image.height), font=font, fill=LABEL)
    sheet.convert("RGB").save(target)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
