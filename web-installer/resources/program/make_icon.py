#!/usr/bin/python3
"""Draws the installer's icon: a blue rounded tile with a white plug and a
green download arrow, each size drawn on its own (supersampled, then reduced)
so that small sizes stay sharp.

    make_icon.py <out.ico> [<preview.png>]
"""
import sys

from PIL import Image, ImageDraw

SIZES = [16, 24, 32, 48, 64, 128, 256]
SUPERSAMPLE = 4
TILE_TOP = (38, 120, 224)
TILE_BOTTOM = (20, 78, 170)
PLUG = (255, 255, 255)
ARROW = (76, 200, 110)


def draw(size):
    s = size * SUPERSAMPLE
    image = Image.new("RGBA", (s, s), (0, 0, 0, 0))
    d = ImageDraw.Draw(image)
    margin = round(s * 0.04)
    radius = round(s * 0.22)
    # Tile with a vertical gradient, clipped by a rounded-rectangle mask.
    gradient = Image.new("RGBA", (s, s))
    gd = ImageDraw.Draw(gradient)
    for y in range(s):
        t = y / max(1, s - 1)
        colour = tuple(round(a + (b - a) * t) for a, b in zip(TILE_TOP, TILE_BOTTOM))
        gd.line([(0, y), (s, y)], fill=colour + (255,))
    mask = Image.new("L", (s, s), 0)
    ImageDraw.Draw(mask).rounded_rectangle(
        [margin, margin, s - margin - 1, s - margin - 1], radius=radius, fill=255)
    image.paste(gradient, (0, 0), mask)

    u = s / 32.0  # drawing unit: the design is laid out on a 32 x 32 grid
    # Plug body and prongs.
    d.rounded_rectangle([9 * u, 11 * u, 23 * u, 21 * u], radius=3 * u, fill=PLUG)
    d.rectangle([11.5 * u, 5 * u, 14 * u, 11 * u], fill=PLUG)
    d.rectangle([18 * u, 5 * u, 20.5 * u, 11 * u], fill=PLUG)
    # Cable.
    d.rectangle([14.5 * u, 21 * u, 17.5 * u, 25 * u], fill=PLUG)
    # Download arrow on the plug body.
    d.rectangle([14.8 * u, 12.5 * u, 17.2 * u, 16.5 * u], fill=ARROW)
    d.polygon([(12.2 * u, 16 * u), (19.8 * u, 16 * u), (16 * u, 19.8 * u)], fill=ARROW)
    return image.resize((size, size), Image.LANCZOS)


def main():
    out = sys.argv[1]
    images = [draw(size) for size in SIZES]
    largest = images[-1]
    largest.save(out, format="ICO", sizes=[(i.width, i.height) for i in images],
                 append_images=images[:-1])
    if len(sys.argv) > 2:
        sheet = Image.new("RGBA", (sum(SIZES) + 8 * len(SIZES), 256), (255, 255, 255, 255))
        x = 0
        for image in images:
            sheet.paste(image, (x, 0), image)
            x += image.width + 8
        sheet.save(sys.argv[2])


if __name__ == "__main__":
    main()
