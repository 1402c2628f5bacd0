#!/usr/bin/python3
"""Draws the installer's thirteen pictures as PNG files.

    make_pictures.py <output folder> [<regular font> <bold font>]

Runs at build time. Every picture is drawn at SCALE times its size and scaled
down with a Lanczos filter, which anti-aliases every edge; the two smallest
icons are laid out pixel by pixel instead, so that they stay crisp at their
own size. The output depends only on this script, the fonts and Pillow, so
two runs give the same bytes.

Coordinates below are in the pixels of the finished picture.
"""

import math
import os
import sys

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont, features

SCALE = 4

REGULAR_FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"
BOLD_FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"

# The page's own colours, and a few shades made from them.
PAGE = (0x2C, 0x3E, 0x50, 255)
PANEL = (0x27, 0x37, 0x48, 255)
MUTED = (0x3E, 0x52, 0x66, 255)
BLUE = (0x34, 0x9C, 0xEE, 255)
ORANGE = (0xFF, 0x85, 0x52, 255)
ORANGE_DEEP = (0xFF, 0x74, 0x38, 255)
WHITE = (0xFF, 0xFF, 0xFF, 255)
BLUE_LIGHT = (0x6C, 0xC0, 0xFA, 255)
BLUE_DEEP = (0x1F, 0x74, 0xC4, 255)
NIGHT = (0x1D, 0x2A, 0x37, 255)
NIGHT_DEEP = (0x16, 0x21, 0x2C, 255)
SLATE = (0x4B, 0x63, 0x7C, 255)
SLATE_LIGHT = (0x8A, 0xA0, 0xB6, 255)
SILVER = (0xC9, 0xD6, 0xE2, 255)
SILVER_DARK = (0x8C, 0xA0, 0xB4, 255)
PAPER = (0xEE, 0xF3, 0xF8, 255)
PAPER_LINE = (0xC8, 0xD3, 0xDE, 255)
SUCCESS = (0x4C, 0xC3, 0x8A, 255)
LEAF = (0x3F, 0xB8, 0x95, 255)
LEAF_DARK = (0x2B, 0x8F, 0x76, 255)
SKIN = (0xF4, 0xC8, 0xA4, 255)
SKIN_SHADE = (0xE2, 0xAE, 0x88, 255)
HAIR = (0x3A, 0x2C, 0x28, 255)
HAIR_LIGHT = (0x8A, 0x5A, 0x3C, 255)
CLEAR = (0, 0, 0, 0)


def alpha(colour, opacity):
    """The colour at the given opacity (0..1)."""
    return colour[:3] + (round(colour[3] * opacity),)


def mix(first, second, share):
    """The colour share of the way from first to second."""
    return tuple(round(a + (b - a) * share) for a, b in zip(first, second))


# --------------------------------------------------------------------------
# Drawing surface


class Linear:
    """A linear gradient from start to end; angle 90 runs top to bottom."""

    def __init__(self, start, end, angle=90):
        self.start, self.end, self.angle = start, end, angle

    def render(self, size):
        # A gradient has no detail: it is worked out at the picture's own
        # size and then stretched over the drawing's larger one.
        width, height = max(1, size[0] // SCALE), max(1, size[1] // SCALE)
        side = math.ceil(math.hypot(width, height)) + 2
        ramp = Image.linear_gradient("L").resize((side, side), Image.BILINEAR)
        if self.angle != 90:
            ramp = ramp.rotate(90 - self.angle, resample=Image.BILINEAR)
        left, top = (side - width) // 2, (side - height) // 2
        ramp = ramp.crop((left, top, left + width, top + height)).resize(size, Image.BILINEAR)
        return Image.composite(Image.new("RGBA", size, self.end),
                               Image.new("RGBA", size, self.start), ramp)


class Fonts:
    regular_path = REGULAR_FONT
    bold_path = BOLD_FONT
    _cache = {}

    @classmethod
    def get(cls, size, bold=False):
        key = (round(size * SCALE), bold)
        if key not in cls._cache:
            path = cls.bold_path if bold else cls.regular_path
            cls._cache[key] = ImageFont.truetype(path, key[0])
        return cls._cache[key]


# Pillow's radial gradient, 256 pixels square, rises from 0 in its middle by
# the square root of two a pixel outwards: it is this at the middle of an edge.
RADIAL_EDGE = 181


def _bounds(points):
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return min(xs), min(ys), max(xs), max(ys)


class Canvas:
    """An RGBA surface at SCALE times the picture's size."""

    def __init__(self, size, background=CLEAR):
        self.size = size
        self.image = Image.new("RGBA", (size[0] * SCALE, size[1] * SCALE), background)

    # Every shape is drawn on a layer of its own bounding box and then laid
    # over the picture, so translucent colours and gradients blend properly.
    def _lay(self, bounds, fill, paint, margin=0.0):
        left = max(0, math.floor((bounds[0] - margin) * SCALE))
        top = max(0, math.floor((bounds[1] - margin) * SCALE))
        right = min(self.image.width, math.ceil((bounds[2] + margin) * SCALE) + 1)
        bottom = min(self.image.height, math.ceil((bounds[3] + margin) * SCALE) + 1)
        if right <= left or bottom <= top:
            return
        size = (right - left, bottom - top)
        mask = Image.new("L", size, 0)

        def local(x, y):
            return x * SCALE - left, y * SCALE - top

        paint(ImageDraw.Draw(mask), local)
        if isinstance(fill, Linear):
            layer = fill.render(size)
            layer.putalpha(ImageChops.multiply(layer.getchannel("A"), mask))
        else:
            layer = Image.new("RGBA", size, fill[:3] + (0,))
            layer.putalpha(mask.point(lambda v: v * fill[3] // 255))
        self.image.alpha_composite(layer, (left, top))

    def rect(self, box, fill, radius=0):
        def paint(draw, local):
            corners = [local(box[0], box[1]), local(box[2], box[3])]
            if radius:
                draw.rounded_rectangle(corners, radius=radius * SCALE, fill=255)
            else:
                draw.rectangle(corners, fill=255)
        self._lay(box, fill, paint)

    def ring_rect(self, box, colour, width, radius=0):
        def paint(draw, local):
            corners = [local(box[0], box[1]), local(box[2], box[3])]
            draw.rounded_rectangle(corners, radius=radius * SCALE, outline=255,
                                   width=round(width * SCALE))
        self._lay(box, colour, paint)

    def ellipse(self, box, fill):
        self._lay(box, fill, lambda draw, local: draw.ellipse(
            [local(box[0], box[1]), local(box[2], box[3])], fill=255))

    def circle(self, centre, radius, fill):
        x, y = centre
        self.ellipse((x - radius, y - radius, x + radius, y + radius), fill)

    def ring(self, centre, radius, colour, width):
        x, y = centre
        box = (x - radius, y - radius, x + radius, y + radius)
        self._lay(box, colour, lambda draw, local: draw.ellipse(
            [local(box[0], box[1]), local(box[2], box[3])], outline=255,
            width=round(width * SCALE)))

    def chord(self, box, start, end, fill):
        """The part of the ellipse in box cut off by the line between two angles."""
        self._lay(box, fill, lambda draw, local: draw.chord(
            [local(box[0], box[1]), local(box[2], box[3])], start, end, fill=255))

    def polygon(self, points, fill):
        self._lay(_bounds(points), fill, lambda draw, local: draw.polygon(
            [local(*p) for p in points], fill=255))

    def line(self, points, colour, width, round_caps=True):
        def paint(draw, local):
            scaled = [local(*p) for p in points]
            draw.line(scaled, fill=255, width=round(width * SCALE), joint="curve")
            if round_caps:
                r = width * SCALE / 2
                for x, y in (scaled[0], scaled[-1]):
                    draw.ellipse([x - r, y - r, x + r, y + r], fill=255)
        self._lay(_bounds(points), colour, paint, margin=width)

    def arc(self, box, start, end, colour, width):
        """An arc of the ellipse in box, angles in degrees clockwise from 3 o'clock."""
        points = []
        steps = max(8, round(abs(end - start) / 3))
        cx, cy = (box[0] + box[2]) / 2, (box[1] + box[3]) / 2
        rx, ry = (box[2] - box[0]) / 2, (box[3] - box[1]) / 2
        for i in range(steps + 1):
            angle = math.radians(start + (end - start) * i / steps)
            points.append((cx + rx * math.cos(angle), cy + ry * math.sin(angle)))
        self.line(points, colour, width)

    def text(self, position, words, size, fill, bold=False, anchor="ls"):
        font = Fonts.get(size, bold)
        x, y = position
        left, top, right, bottom = ImageDraw.Draw(Image.new("L", (1, 1))).textbbox(
            (x * SCALE, y * SCALE), words, font=font, anchor=anchor)
        bounds = (left / SCALE, top / SCALE, right / SCALE, bottom / SCALE)
        self._lay(bounds, fill, lambda draw, local: draw.text(
            local(x, y), words, font=font, fill=255, anchor=anchor), margin=1)

    def shadow(self, box, radius, blur, colour, offset=(0, 0)):
        """A soft shadow of a rounded box."""
        shifted = (box[0] + offset[0], box[1] + offset[1], box[2] + offset[0],
                   box[3] + offset[1])
        margin = blur * 3
        left = max(0, math.floor((shifted[0] - margin) * SCALE))
        top = max(0, math.floor((shifted[1] - margin) * SCALE))
        right = min(self.image.width, math.ceil((shifted[2] + margin) * SCALE))
        bottom = min(self.image.height, math.ceil((shifted[3] + margin) * SCALE))
        size = (right - left, bottom - top)
        mask = Image.new("L", size, 0)
        ImageDraw.Draw(mask).rounded_rectangle(
            [shifted[0] * SCALE - left, shifted[1] * SCALE - top,
             shifted[2] * SCALE - left, shifted[3] * SCALE - top],
            radius=radius * SCALE, fill=colour[3])
        # Blurring a smaller copy is as good for a shadow and much faster.
        small = mask.resize((max(1, size[0] // SCALE), max(1, size[1] // SCALE)), Image.BOX)
        small = small.filter(ImageFilter.GaussianBlur(blur))
        mask = small.resize(size, Image.BILINEAR)
        layer = Image.new("RGBA", size, colour[:3] + (0,))
        layer.putalpha(mask)
        self.image.alpha_composite(layer, (left, top))

    def glow(self, centre, radius, colour):
        """A round light that fades to nothing at radius."""
        x, y = centre
        left, top = round((x - radius) * SCALE), round((y - radius) * SCALE)
        side = round(2 * radius * SCALE)
        fade = Image.radial_gradient("L").resize((side, side), Image.BILINEAR)
        # A smooth fall from the middle to nothing at the radius.
        fade = fade.point(lambda v: round(colour[3] * max(0.0, 1 - v / RADIAL_EDGE) ** 2))
        layer = Image.new("RGBA", (side, side), colour[:3] + (0,))
        layer.putalpha(fade)
        # Only the part inside the picture is laid on.
        visible = (max(0, -left), max(0, -top), min(side, self.image.width - left),
                   min(side, self.image.height - top))
        if visible[2] > visible[0] and visible[3] > visible[1]:
            self.image.alpha_composite(layer, (max(0, left), max(0, top)), visible)

    def child(self):
        return Canvas(self.size)

    def lay(self, other):
        self.image.alpha_composite(other.image)

    def lay_scaled(self, other, crop, factor, origin):
        """Lays the crop box of another canvas, shrunk by factor, with its top
        left corner at origin; the shrinking filter keeps the edges smooth."""
        box = tuple(round(v * SCALE) for v in crop)
        part = other.image.crop(box)
        size = (round(part.width * factor), round(part.height * factor))
        part = part.resize(size, Image.LANCZOS)
        left, top = round(origin[0] * SCALE), round(origin[1] * SCALE)
        # Whatever would fall outside the picture is cut off first.
        source = (max(0, -left), max(0, -top),
                  min(size[0], self.image.width - left), min(size[1], self.image.height - top))
        if source[2] > source[0] and source[3] > source[1]:
            self.image.alpha_composite(part, (max(0, left), max(0, top)), source)

    def lay_shadow_of(self, other, blur, colour, offset):
        """The blurred silhouette of another canvas, shifted by offset."""
        silhouette = other.image.getchannel("A").point(lambda v: v * colour[3] // 255)
        silhouette = silhouette.filter(ImageFilter.GaussianBlur(blur * SCALE))
        layer = Image.new("RGBA", self.image.size, colour[:3] + (0,))
        layer.putalpha(silhouette)
        self.image.alpha_composite(layer, (round(offset[0] * SCALE), round(offset[1] * SCALE)))

    def lay_clipped(self, other, clip):
        """Lays another canvas over this one, only inside clip(draw, scale)."""
        mask = Image.new("L", self.image.size, 0)
        clip(ImageDraw.Draw(mask), SCALE)
        layer = other.image.copy()
        layer.putalpha(ImageChops.multiply(layer.getchannel("A"), mask))
        self.image.alpha_composite(layer)

    def finish(self):
        return self.image.resize(self.size, Image.LANCZOS)


# --------------------------------------------------------------------------
# Parts that several pictures share


PRODUCT = {
    "ru": ("КОВО", "Плагин"),
    "en": ("Lumo", "Plugin"),
}


def draw_mark(canvas, box):
    """The product's mark: a white plug on a blue rounded square."""
    x0, y0, x1, y1 = box
    side = x1 - x0
    corner = side * 0.26
    canvas.shadow(box, corner, side * 0.08, alpha(NIGHT_DEEP, 0.55), (0, side * 0.05))
    canvas.rect(box, Linear(BLUE_LIGHT, BLUE_DEEP, 60), radius=corner)
    # A soft sheen across the upper half.
    canvas.rect((x0, y0, x1, y0 + side * 0.5), Linear(alpha(WHITE, 0.16), alpha(WHITE, 0.0)),
                radius=corner)

    def at(u, v):  # the plug is laid out on a 38-unit square
        return x0 + u * side / 38, y0 + v * side / 38

    unit = side / 38
    plug = canvas.child()
    for left in (13.2, 21.0):
        plug.rect(at(left, 7.5) + at(left + 3.8, 16), WHITE, radius=1.6 * unit)
    plug.rect(at(9.5, 14) + at(28.5, 22.5), WHITE, radius=3 * unit)
    plug.polygon([at(9.5, 20), at(28.5, 20), at(23, 27.5), at(15, 27.5)], WHITE)
    plug.rect(at(15, 24) + at(23, 28.5), WHITE, radius=2.2 * unit)
    plug.line([at(19, 28), at(19, 31.5)], WHITE, 3.6 * unit)
    canvas.lay_shadow_of(plug, 0.9 * unit, alpha(NIGHT_DEEP, 0.4), (0, 0.8 * unit))
    canvas.lay(plug)
    # The plug's light: it is on.
    canvas.circle(at(19, 19.5), 2.3 * unit, ORANGE)


def draw_logo(canvas, origin, height, language, name_colour=WHITE, line_colour=BLUE_LIGHT):
    """The mark with the product's name in two lines beside it."""
    x, y = origin
    draw_mark(canvas, (x, y, x + height, y + height))
    first, second = PRODUCT[language]
    text_x = x + height * 1.22
    canvas.text((text_x, y + height * 0.47), first, height * 0.5, name_colour, bold=True)
    canvas.text((text_x, y + height * 0.98), second, height * 0.39, line_colour)


def draw_card_background(canvas, size, corner):
    """The dark card that carries a feature slide or the success picture."""
    width, height = size
    card = canvas.child()
    card.rect((0, 0, width, height), Linear(mix(PAGE, BLUE, 0.16), PANEL, 120))
    card.glow((width * 0.78, height * 0.2), height * 0.9, alpha(BLUE, 0.22))
    for cx, cy, r in ((width * 0.92, height * 0.9, height * 0.42),
                      (width * 0.06, height * 0.1, height * 0.3)):
        card.ring((cx, cy), r, alpha(WHITE, 0.05), 1.4)
    canvas.lay_clipped(card, lambda draw, s: draw.rounded_rectangle(
        [0, 0, width * s - 1, height * s - 1], radius=corner * s, fill=255))


def draw_window(canvas, box, body=NIGHT, bar=MUTED, radius=6):
    """An application window with a title bar and three buttons."""
    x0, y0, x1, y1 = box
    canvas.shadow(box, radius, 6, alpha(NIGHT_DEEP, 0.6), (0, 4))
    canvas.rect(box, body, radius=radius)
    canvas.rect((x0, y0, x1, y0 + 16), bar, radius=radius)
    canvas.rect((x0, y0 + 10, x1, y0 + 16), bar)
    for index, colour in enumerate((ORANGE, alpha(WHITE, 0.45), alpha(WHITE, 0.45))):
        canvas.circle((x0 + 10 + index * 9, y0 + 8), 2.6, colour)


def draw_person(canvas, centre, size, shirt, hair=HAIR, skin=SKIN):
    """Head and shoulders of a person, centred on the face."""
    x, y = centre
    head = size * 0.27
    # The shoulders run on below whatever frame the person sits in.
    canvas.rect((x - size * 0.62, y + size * 0.5, x + size * 0.62, y + size * 1.8), shirt,
                radius=size * 0.34)
    canvas.rect((x - head * 0.38, y + head * 0.6, x + head * 0.38, y + size * 0.52), SKIN_SHADE,
                radius=head * 0.2)
    canvas.polygon([(x - head * 0.6, y + size * 0.46), (x, y + size * 0.62),
                    (x + head * 0.6, y + size * 0.46)], SKIN_SHADE)
    # Hair behind the head, the face, then the fringe with a side parting.
    canvas.ellipse((x - head * 1.12, y - head * 1.28, x + head * 1.12, y + head * 0.55), hair)
    canvas.ellipse((x - head * 0.9, y - head * 1.0, x + head * 0.9, y + head * 1.08), skin)
    canvas.chord((x - head * 1.0, y - head * 1.3, x + head * 1.06, y - head * 0.02), 165, 345, hair)
    canvas.circle((x - head * 0.38, y + head * 0.18), head * 0.12, NIGHT)
    canvas.circle((x + head * 0.38, y + head * 0.18), head * 0.12, NIGHT)
    canvas.arc((x - head * 0.36, y + head * 0.28, x + head * 0.36, y + head * 0.72), 25, 155,
               NIGHT, max(0.8, head * 0.09))


# --------------------------------------------------------------------------
# The pictures

HEADER_SIZE = (800, 230)
LOGO_SIZE = (165, 80)
FOLDER_SIZE = (14, 11)
WARNING_SIZE = (17, 16)
OPERATOR_SIZE = (134, 132)
SLIDE_SIZE = (440, 289)
SUCCESS_SIZE = (400, 220)

# The logo sits where the page's text starts; the header draws it at the same
# place as the small logo, so the two pages switch without a jump.
LOGO_ORIGIN = (48, 22)
LOGO_HEIGHT = 36
# The desk scene is drawn at full size around SCENE_LAPTOP_X and SCENE_DESK_Y,
# then shrunk by SCENE_SHRINK into the band right of the logo, above the
# headings (from y 96) and left of the title bar's buttons (from x 685), so no
# text of the pages crosses it. SCENE_CROP is the part of the full-size
# drawing that is kept; it holds the whole scene with its shadows and glow.
SCENE_LAPTOP_X, SCENE_DESK_Y = 656, 203
SCENE_CROP = (440, 20, 800, 230)
SCENE_SHRINK = 0.6
# Where the laptop's centre and the desk's edge land in the header.
LAPTOP_CENTRE = (572, 86)
# The dot grid on the header's wall, behind the laptop.
DOT_GRID_ORIGIN = (470, 14)
DOT_GRID_ROWS, DOT_GRID_COLUMNS, DOT_GRID_STEP = 5, 8, 10
# The desk's edge runs between these, fading out at both ends.
DESK_SPAN = (400, 680)
# The header's foot: a fall into the page colour from FOOT_TOP, then
# FOOT_ROWS rows of the page colour itself.
FOOT_TOP, FOOT_ROWS = 200, 8
# Corner rounding of the description frame beside the slides.
SLIDE_CORNER = 10


def header(language):
    """A small desk scene in the free band at the top, the logo at the top left.

    The page writes its heading and lists over the left part and across the
    middle, below the scene, so everything there stays dark and calm; the
    bottom rows are the page colour, so the picture runs into the page
    without a seam.
    """
    width, height = HEADER_SIZE
    centre_x, desk_y = LAPTOP_CENTRE
    canvas = Canvas(HEADER_SIZE, PAGE)
    canvas.rect((0, 0, width, height), Linear(NIGHT, PAGE))
    canvas.glow((centre_x, desk_y - 30), 190, alpha(BLUE, 0.2))
    canvas.glow((330, 30), 140, alpha(BLUE, 0.05))
    canvas.ring((centre_x + 26, desk_y - 40), 80, alpha(WHITE, 0.035), 1.2)
    # A faint dot grid behind the laptop gives the wall some texture.
    for row in range(DOT_GRID_ROWS):
        for column in range(DOT_GRID_COLUMNS):
            canvas.circle((DOT_GRID_ORIGIN[0] + column * DOT_GRID_STEP,
                           DOT_GRID_ORIGIN[1] + row * DOT_GRID_STEP), 1, alpha(WHITE, 0.07))
    for cx, cy, r, colour in ((430, 52, 2.6, alpha(ORANGE, 0.7)), (372, 22, 1.8, alpha(BLUE_LIGHT, 0.6)),
                              (668, 14, 1.6, alpha(WHITE, 0.4)), (318, 66, 1.8, alpha(BLUE_LIGHT, 0.4)),
                              (782, 24, 2.2, alpha(ORANGE, 0.5))):
        canvas.circle((cx, cy), r, colour)

    # The desk's edge, lit from above; its top falls into shadow before the headings.
    left, right = DESK_SPAN
    middle = (left + right) / 2
    for start, end, angle in ((left, middle, 0), (middle, right, 180)):
        canvas.rect((start, desk_y, end, desk_y + 7),
                    Linear(alpha(SLATE, 0.0), alpha(SLATE, 0.45), angle))
        canvas.rect((start, desk_y, end, desk_y + 1.2),
                    Linear(alpha(SLATE_LIGHT, 0.0), alpha(SLATE_LIGHT, 0.7), angle))

    canvas.lay_scaled(desk_scene(), SCENE_CROP, SCENE_SHRINK,
                      (centre_x - (SCENE_LAPTOP_X - SCENE_CROP[0]) * SCENE_SHRINK,
                       desk_y - (SCENE_DESK_Y - SCENE_CROP[1]) * SCENE_SHRINK))
    # The foot falls into the page colour; its last rows are the page colour itself.
    canvas.rect((0, FOOT_TOP, width, height - FOOT_ROWS), Linear(alpha(PAGE, 0.0), PAGE))
    canvas.rect((0, height - FOOT_ROWS, width, height), PAGE)
    draw_logo(canvas, LOGO_ORIGIN, LOGO_HEIGHT, language)
    return canvas.finish()


def desk_scene():
    """Plant, laptop and mug at full size on a clear canvas."""
    scene = Canvas(HEADER_SIZE)
    draw_plant(scene, (SCENE_LAPTOP_X - 150, SCENE_DESK_Y))
    draw_laptop(scene, centre_x=SCENE_LAPTOP_X, desk_top=SCENE_DESK_Y)
    # The mug stands a little nearer, in front of the laptop's corner.
    draw_mug(scene, (SCENE_LAPTOP_X + 106, SCENE_DESK_Y + 4))
    return scene


def draw_laptop(canvas, centre_x, desk_top):
    lid = (centre_x - 92, desk_top - 118, centre_x + 92, desk_top - 6)
    screen = (lid[0] + 6, lid[1] + 6, lid[2] - 6, lid[3] - 6)
    base = (centre_x - 112, desk_top - 7, centre_x + 112, desk_top)
    canvas.shadow((base[0] + 8, desk_top - 4, base[2] - 8, desk_top + 3), 4, 5,
                  alpha(NIGHT_DEEP, 0.8))
    canvas.glow(((screen[0] + screen[2]) / 2, (screen[1] + screen[3]) / 2), 120,
                alpha(BLUE, 0.16))
    canvas.rect(lid, Linear(SLATE, NIGHT_DEEP), radius=7)
    canvas.ring_rect(lid, alpha(SLATE_LIGHT, 0.5), 1, radius=7)
    canvas.rect(screen, Linear(mix(PAGE, BLUE, 0.22), NIGHT), radius=2)
    draw_screen_contents(canvas, screen)
    canvas.circle((centre_x, lid[1] + 3), 1, alpha(SLATE_LIGHT, 0.8))
    canvas.rect(base, Linear(SILVER, SILVER_DARK), radius=3)
    canvas.rect((base[0] + 2, base[3] - 2, base[2] - 2, base[3]), SLATE, radius=1)
    canvas.rect((centre_x - 18, base[1], centre_x + 18, base[1] + 2.5), SILVER_DARK, radius=1.2)


def draw_screen_contents(canvas, screen):
    """The installer itself on the laptop's screen, in miniature."""
    x0, y0, x1, y1 = screen
    canvas.rect((x0, y0, x1, y0 + 9), alpha(NIGHT_DEEP, 0.6), radius=2)
    for index in range(3):
        canvas.circle((x1 - 6 - index * 6, y0 + 4.5), 1.4, alpha(WHITE, 0.35))
    draw_mark(canvas, (x0 + 10, y0 + 17, x0 + 30, y0 + 37))
    canvas.rect((x0 + 36, y0 + 19, x0 + 86, y0 + 24), alpha(WHITE, 0.6), radius=2.5)
    canvas.rect((x0 + 36, y0 + 29, x0 + 70, y0 + 33), alpha(BLUE_LIGHT, 0.7), radius=2)
    for row in range(3):
        top = y0 + 46 + row * 9
        canvas.circle((x0 + 13, top + 2), 1.6, BLUE)
        canvas.rect((x0 + 18, top, x0 + 18 + (74, 56, 64)[row], top + 4), alpha(WHITE, 0.22),
                    radius=2)
    canvas.rect((x0 + 10, y1 - 16, x0 + 104, y1 - 11), alpha(PANEL, 0.9), radius=2.5)
    canvas.rect((x0 + 10, y1 - 16, x0 + 70, y1 - 11), BLUE, radius=2.5)
    canvas.rect((x1 - 46, y1 - 21, x1 - 10, y1 - 7), ORANGE, radius=7)


def draw_mug(canvas, foot):
    x, desk = foot
    body = (x - 12, desk - 30, x + 12, desk)
    canvas.shadow((body[0], desk - 3, body[2], desk + 2), 3, 3, alpha(NIGHT_DEEP, 0.7))
    canvas.ring((x + 13, desk - 17), 7, ORANGE_DEEP, 3.5)
    canvas.rect(body, Linear(ORANGE, ORANGE_DEEP, 0), radius=5)
    canvas.rect((body[0], body[1], body[2], body[1] + 4), alpha(WHITE, 0.18), radius=2)
    for offset in (-5, 3):
        canvas.line([(x + offset, desk - 36), (x + offset + 3, desk - 42), (x + offset, desk - 48),
                     (x + offset + 3, desk - 54)], alpha(WHITE, 0.22), 1.6)


def draw_plant(canvas, foot):
    x, desk = foot
    for angle, length, colour in ((-110, 34, LEAF), (-70, 36, LEAF_DARK), (-90, 44, LEAF),
                                  (-135, 24, LEAF_DARK), (-45, 26, LEAF)):
        tip = (x + length * math.cos(math.radians(angle)), desk - 22 + length * math.sin(
            math.radians(angle)))
        mid = ((x + tip[0]) / 2, (desk - 22 + tip[1]) / 2)
        normal = (-(tip[1] - (desk - 22)) * 0.18, (tip[0] - x) * 0.18)
        canvas.polygon([(x, desk - 22), (mid[0] + normal[0], mid[1] + normal[1]), tip,
                        (mid[0] - normal[0], mid[1] - normal[1])], colour)
    canvas.shadow((x - 11, desk - 3, x + 11, desk + 2), 3, 3, alpha(NIGHT_DEEP, 0.7))
    canvas.polygon([(x - 12, desk - 24), (x + 12, desk - 24), (x + 9, desk), (x - 9, desk)],
                   Linear(SILVER, SILVER_DARK, 0))
    canvas.rect((x - 13, desk - 26, x + 13, desk - 21), SILVER, radius=1.5)


def logo(language):
    canvas = Canvas(LOGO_SIZE)
    draw_logo(canvas, LOGO_ORIGIN, LOGO_HEIGHT, language)
    return canvas.finish()


# The folder, one letter a pixel: D back panel and tab, L front panel,
# H the front panel's lit top edge; lower case is the same at half strength.
FOLDER_PIXELS = (
    ".dDDDd........",
    "dDDDDDDd......",
    "DDDDDDDDDDDDd.",
    "DHHHHHHHHHHHHH",
    "DLLLLLLLLLLLLL",
    "DLLLLLLLLLLLLL",
    "DLLLLLLLLLLLLL",
    "DLLLLLLLLLLLLL",
    "DLLLLLLLLLLLLL",
    "DLLLLLLLLLLLLL",
    "dLLLLLLLLLLLLl",
)
FOLDER_COLOURS = {"D": (0x23, 0x7D, 0xCC, 255), "L": BLUE, "H": BLUE_LIGHT}


def folder_icon():
    image = Image.new("RGBA", FOLDER_SIZE, CLEAR)
    for y, row in enumerate(FOLDER_PIXELS):
        for x, letter in enumerate(row):
            if letter == ".":
                continue
            colour = FOLDER_COLOURS[letter.upper()]
            image.putpixel((x, y), colour if letter.isupper() else alpha(colour, 0.5))
    return image


# The pixels of the warning's exclamation mark, in the page colour: a stem
# one pixel wide on the middle column, a gap, then the point.
WARNING_MARK = (
    (8, 5), (8, 6), (8, 7), (8, 8), (8, 9), (8, 10),
    (8, 12), (8, 13),
)
WARNING_SUPERSAMPLE = 8


def warning_icon():
    """The orange triangle, smoothed by supersampling; the mark pixel-exact."""
    width, height = WARNING_SIZE
    big = Image.new("L", (width * WARNING_SUPERSAMPLE, height * WARNING_SUPERSAMPLE), 0)
    draw = ImageDraw.Draw(big)
    s = WARNING_SUPERSAMPLE
    corner = 1.3 * s  # rounding of the three corners
    apex, left, right = (width / 2 * s, 0.6 * s), (0.2 * s, (height - 0.4) * s), (
        (width - 0.2) * s, (height - 0.4) * s)
    # A triangle with rounded corners: the three corner circles and the hull.
    inset = []
    for point in (apex, left, right):
        cx = point[0] + (width / 2 * s - point[0]) * 0.14
        cy = point[1] + (height * 0.62 * s - point[1]) * 0.14
        inset.append((cx, cy))
    draw.polygon(inset, fill=255)
    draw.line(inset + [inset[0]], fill=255, width=round(corner * 2), joint="curve")
    for cx, cy in inset:
        draw.ellipse([cx - corner, cy - corner, cx + corner, cy + corner], fill=255)
    shape = big.reduce(s)
    image = Image.new("RGBA", WARNING_SIZE, ORANGE[:3] + (0,))
    image.putalpha(shape)
    for x, y in WARNING_MARK:
        image.putpixel((x, y), PAGE)
    return image


def support_operator():
    """A smiling operator with a headset, in a round frame."""
    width, height = OPERATOR_SIZE
    canvas = Canvas(OPERATOR_SIZE)
    centre, radius = (width / 2, height / 2), 62
    canvas.circle(centre, radius, Linear(mix(PAGE, BLUE, 0.45), mix(PAGE, BLUE, 0.15)))
    canvas.ring(centre, radius - 0.5, alpha(BLUE_LIGHT, 0.35), 1.2)

    person = canvas.child()
    x, face_y = centre[0], 58
    # Shoulders and shirt with an open collar.
    person.rect((x - 46, 98, x + 46, 160), Linear(BLUE, BLUE_DEEP), radius=30)
    person.rect((x - 9, 80, x + 9, 104), SKIN_SHADE, radius=4)
    person.polygon([(x - 13, 98), (x, 114), (x + 13, 98)], SKIN_SHADE)
    person.polygon([(x - 17, 97), (x - 2, 113), (x - 11, 118), (x - 21, 101)], WHITE)
    person.polygon([(x + 17, 97), (x + 2, 113), (x + 11, 118), (x + 21, 101)], WHITE)
    # Hair behind the head.
    person.ellipse((x - 27, face_y - 33, x + 27, face_y + 22), HAIR)
    # Face, ears, hair front.
    person.ellipse((x - 21, face_y - 26, x + 21, face_y + 26), SKIN)
    person.ellipse((x - 26, face_y - 4, x - 17, face_y + 9), SKIN_SHADE)
    person.ellipse((x + 17, face_y - 4, x + 26, face_y + 9), SKIN_SHADE)
    person.polygon([(x - 23, face_y - 6), (x - 22, face_y - 24), (x - 6, face_y - 32),
                    (x + 14, face_y - 30), (x + 24, face_y - 16), (x + 23, face_y - 4),
                    (x + 14, face_y - 18), (x - 4, face_y - 16), (x - 17, face_y - 12)], HAIR)
    # Eyes and a smile.
    for side in (-1, 1):
        person.ellipse((x + side * 8 - 2.2, face_y - 1, x + side * 8 + 2.2, face_y + 3.6), NIGHT)
        person.arc((x + side * 8 - 4, face_y - 8, x + side * 8 + 4, face_y - 3), 200, 340,
                   alpha(HAIR, 0.8), 1.4)
    person.arc((x - 8, face_y + 2, x + 8, face_y + 15), 20, 160, NIGHT, 2)
    person.ellipse((x - 16, face_y + 6, x - 10, face_y + 11), alpha(ORANGE, 0.25))
    person.ellipse((x + 10, face_y + 6, x + 16, face_y + 11), alpha(ORANGE, 0.25))
    # The headset: band over the head, ear cups and the microphone.
    person.arc((x - 27, face_y - 35, x + 27, face_y + 20), 185, 355, SLATE_LIGHT, 4)
    for side in (-1, 1):
        cup_x = x + side * 25
        person.rect((cup_x - 5, face_y - 8, cup_x + 5, face_y + 12), ORANGE, radius=4)
        person.rect((cup_x - 2.2, face_y - 5, cup_x + 2.2, face_y + 9),
                    alpha(WHITE, 0.3), radius=2)
    person.line([(x - 25, face_y + 10), (x - 24, face_y + 20), (x - 16, face_y + 25),
                 (x - 8, face_y + 25)], NIGHT, 2.6)
    person.circle((x - 7, face_y + 25), 3.4, ORANGE_DEEP)
    canvas.lay_clipped(person, lambda draw, s: draw.ellipse(
        [(centre[0] - radius) * s, (centre[1] - radius) * s, (centre[0] + radius) * s,
         (centre[1] + radius) * s], fill=255))
    return canvas.finish()


def slide_frame():
    canvas = Canvas(SLIDE_SIZE, PAGE)
    draw_card_background(canvas, SLIDE_SIZE, SLIDE_CORNER)
    return canvas


def draw_cursor(canvas, tip, size, colour=WHITE, edge=NIGHT):
    x, y = tip
    points = [(0, 0), (0, 17), (4.5, 13), (7.5, 19.5), (10.5, 18), (7.6, 11.8), (13, 11.8)]
    outline = [(x + px * size / 19 * 1.0, y + py * size / 19) for px, py in points]
    canvas.line(outline + [outline[0]], edge, 2.2)
    canvas.polygon(outline, colour)


def slide_remote_control():
    """A laptop reaching across to a distant computer and steering its pointer."""
    canvas = slide_frame()
    # The distant computer: a monitor on a stand.
    monitor = (214, 58, 398, 178)
    canvas.shadow(monitor, 8, 8, alpha(NIGHT_DEEP, 0.7), (0, 6))
    canvas.rect((296, 178, 316, 206), Linear(SILVER_DARK, SLATE))
    canvas.rect((270, 204, 342, 212), SILVER, radius=4)
    canvas.rect(monitor, NIGHT_DEEP, radius=8)
    inner = (monitor[0] + 7, monitor[1] + 7, monitor[2] - 7, monitor[3] - 7)
    canvas.rect(inner, Linear(mix(PAGE, BLUE, 0.35), mix(PAGE, BLUE, 0.1)), radius=3)
    draw_window(canvas, (inner[0] + 16, inner[1] + 14, inner[0] + 118, inner[1] + 88),
                body=PAPER, bar=SLATE_LIGHT, radius=4)
    for row, length in enumerate((64, 48, 72, 40)):
        top = inner[1] + 40 + row * 10
        canvas.rect((inner[0] + 26, top, inner[0] + 26 + length, top + 4), PAPER_LINE, radius=2)
    canvas.rect((inner[0] + 128, inner[1] + 14, inner[2] - 12, inner[1] + 40), alpha(WHITE, 0.18),
                radius=4)
    canvas.rect((inner[0] + 128, inner[1] + 48, inner[2] - 12, inner[1] + 88), alpha(WHITE, 0.12),
                radius=4)
    # The pointer the user moves from afar, with its click ring.
    canvas.ring((inner[0] + 92, inner[1] + 66), 9, alpha(ORANGE, 0.9), 2)
    canvas.ring((inner[0] + 92, inner[1] + 66), 15, alpha(ORANGE, 0.4), 1.5)
    draw_cursor(canvas, (inner[0] + 92, inner[1] + 66), 26)

    # The user's laptop.
    lid = (44, 124, 164, 200)
    canvas.shadow((30, 200, 178, 210), 4, 6, alpha(NIGHT_DEEP, 0.8))
    canvas.rect(lid, NIGHT_DEEP, radius=6)
    screen = (lid[0] + 5, lid[1] + 5, lid[2] - 5, lid[3] - 5)
    canvas.rect(screen, Linear(mix(PAGE, BLUE, 0.3), mix(PAGE, BLUE, 0.08)), radius=2)
    # It shows the distant desktop in small.
    canvas.rect((screen[0] + 8, screen[1] + 8, screen[0] + 58, screen[1] + 44), PAPER, radius=2)
    for row, length in enumerate((34, 26, 38)):
        top = screen[1] + 18 + row * 7
        canvas.rect((screen[0] + 13, top, screen[0] + 13 + length, top + 3), PAPER_LINE,
                    radius=1.5)
    canvas.rect((screen[0] + 64, screen[1] + 8, screen[2] - 8, screen[1] + 24),
                alpha(WHITE, 0.18), radius=2)
    canvas.rect((screen[0] + 64, screen[1] + 29, screen[2] - 8, screen[1] + 44),
                alpha(WHITE, 0.12), radius=2)
    draw_cursor(canvas, (screen[0] + 47, screen[1] + 33), 12)
    canvas.rect((28, 200, 180, 208), Linear(SILVER, SILVER_DARK), radius=3)
    canvas.rect((90, 200, 118, 202), SILVER_DARK, radius=1)

    # The connection between them.
    path = []
    for step in range(41):
        t = step / 40
        path.append((150 + (224 - 150) * t, 118 - 70 * math.sin(math.pi * t) + (88 - 118) * t))
    for index in range(0, len(path) - 2, 4):
        canvas.line(path[index:index + 3], alpha(BLUE_LIGHT, 0.9), 2.4)
    badge = path[20]
    canvas.shadow((badge[0] - 17, badge[1] - 17, badge[0] + 17, badge[1] + 17), 17, 5,
                  alpha(NIGHT_DEEP, 0.6), (0, 3))
    canvas.circle(badge, 17, Linear(ORANGE, ORANGE_DEEP))
    draw_link_glyph(canvas, badge, WHITE)
    return canvas.finish()


def draw_link_glyph(canvas, centre, colour):
    """Two chain links, drawn diagonally."""
    x, y = centre
    for shift in (-3.6, 3.6):
        cx, cy = x + shift, y - shift
        points = []
        for step in range(33):
            angle = 2 * math.pi * step / 32
            px = 5.2 * math.cos(angle) * 1.0
            py = 2.9 * math.sin(angle)
            # rotate 45 degrees (upwards to the right)
            rx = px * 0.7071 + py * 0.7071
            ry = -px * 0.7071 + py * 0.7071
            points.append((cx + rx, cy + ry))
        canvas.line(points, colour, 2.2)


def slide_video_call():
    """A video call with a hand-drawn circle and arrow over the speaker."""
    canvas = slide_frame()
    window = (36, 34, 404, 256)
    draw_window(canvas, window, body=NIGHT, bar=MUTED, radius=8)
    main = (window[0] + 10, window[1] + 26, window[0] + 262, window[3] - 38)
    canvas.rect(main, Linear(mix(PAGE, BLUE, 0.45), mix(PAGE, BLUE, 0.18)), radius=6)
    # The speaker and the slide they present.
    canvas.rect((main[0] + 16, main[1] + 16, main[0] + 132, main[1] + 92), PAPER, radius=4)
    for index, (bar, colour) in enumerate(((24, BLUE), (40, ORANGE), (56, BLUE_LIGHT))):
        canvas.rect((main[0] + 26 + index * 30, main[1] + 82 - bar, main[0] + 46 + index * 30,
                     main[1] + 82), colour, radius=2)
    canvas.rect((main[0] + 24, main[1] + 24, main[0] + 80, main[1] + 28), PAPER_LINE, radius=2)
    presenter = canvas.child()
    draw_person(presenter, (main[0] + 192, main[1] + 66), 70, ORANGE)
    canvas.lay_clipped(presenter, lambda draw, s: draw.rounded_rectangle(
        [main[0] * s, main[1] * s, main[2] * s, main[3] * s], radius=6 * s, fill=255))
    # The drawing: a loose circle around the chart and an arrow to it.
    loop = []
    for step in range(57):
        angle = math.radians(-322 + step * 6.6)
        wobble = 1 + 0.05 * math.sin(step * 0.7)
        loop.append((main[0] + 74 + 70 * wobble * math.cos(angle),
                     main[1] + 54 + 48 * wobble * math.sin(angle)))
    canvas.line(loop, ORANGE, 3.4)
    draw_marker(canvas, loop[-1])

    # The other people on the call.
    for index, shirt in enumerate((BLUE, SUCCESS, SLATE_LIGHT)):
        tile = (main[2] + 10, main[1] + index * 52, window[2] - 10, main[1] + index * 52 + 46)
        canvas.rect(tile, mix(PAGE, BLUE, 0.12 + 0.06 * index), radius=5)
        person = canvas.child()
        draw_person(person, ((tile[0] + tile[2]) / 2, tile[1] + 20), 30, shirt,
                    hair=(HAIR, HAIR_LIGHT, HAIR)[index])
        canvas.lay_clipped(person, lambda draw, s, tile=tile: draw.rounded_rectangle(
            [tile[0] * s, tile[1] * s, tile[2] * s, tile[3] * s], radius=5 * s, fill=255))

    # The call's tool bar: pen, colours and the red hang-up button.
    bar_y = window[3] - 19
    canvas.rect((window[0] + 92, bar_y - 11, window[0] + 276, bar_y + 11), MUTED, radius=11)
    canvas.circle((window[0] + 110, bar_y), 8, ORANGE)
    draw_pen(canvas, (window[0] + 110, bar_y))
    for index, colour in enumerate((ORANGE, BLUE, SUCCESS, WHITE)):
        canvas.circle((window[0] + 136 + index * 18, bar_y), 5, colour)
    canvas.ring((window[0] + 136, bar_y), 7.5, WHITE, 1.2)
    canvas.rect((window[0] + 222, bar_y - 7, window[0] + 262, bar_y + 7), (0xE8, 0x4D, 0x4D, 255),
                radius=7)
    return canvas.finish()


def draw_marker(canvas, tip):
    """A felt pen writing at tip."""
    x, y = tip
    along = (0.6, 0.8)  # from the tip down to the right, as a right hand holds it
    across = (0.8, -0.6)

    def at(a, b):
        return (x + along[0] * a + across[0] * b, y + along[1] * a + across[1] * b)

    canvas.polygon([at(0, 0), at(9, -4.5), at(9, 4.5)], ORANGE_DEEP)
    canvas.polygon([at(8, -5), at(40, -5), at(40, 5), at(8, 5)], WHITE)
    canvas.polygon([at(40, -5), at(48, -5), at(48, 5), at(40, 5)], ORANGE)
    canvas.polygon([at(9, -5), at(14, -5), at(14, 5), at(9, 5)], SILVER_DARK)


def draw_pen(canvas, centre):
    x, y = centre
    canvas.line([(x - 3.5, y + 3.5), (x + 3.5, y - 3.5)], WHITE, 2.6)
    canvas.polygon([(x - 3.5, y + 3.5), (x - 5, y + 5), (x - 3.8, y + 2.2)], WHITE)


def draw_folder(canvas, box, colour, tab_colour):
    x0, y0, x1, y1 = box
    width = x1 - x0
    canvas.shadow(box, 6, 5, alpha(NIGHT_DEEP, 0.55), (0, 4))
    canvas.rect((x0, y0, x0 + width * 0.42, y0 + 14), tab_colour, radius=5)
    canvas.rect((x0, y0 + 8, x1, y1), tab_colour, radius=6)
    canvas.rect((x0, y0 + 16, x1, y1), colour, radius=6)
    canvas.rect((x0, y0 + 16, x1, y0 + 19), alpha(WHITE, 0.25), radius=2)


def slide_cloud_folders():
    """Folders and documents going up into the cloud."""
    canvas = slide_frame()
    cloud = canvas.child()
    fill = Linear(mix(BLUE_LIGHT, WHITE, 0.25), BLUE, 100)
    for cx, cy, r in ((160, 128, 46), (222, 100, 62), (290, 124, 48), (122, 150, 32),
                      (330, 152, 30)):
        cloud.circle((cx, cy), r, WHITE)
    cloud.rect((104, 130, 350, 182), WHITE, radius=26)
    tinted = canvas.child()
    tinted.rect((80, 30, 370, 190), fill)
    canvas.shadow((104, 120, 350, 190), 30, 12, alpha(NIGHT_DEEP, 0.6), (0, 10))
    canvas.lay_clipped(tinted, lambda draw, s: draw.bitmap(
        (0, 0), cloud.image.getchannel("A"), fill=255))
    # An arrow upwards in the cloud.
    canvas.circle((224, 122), 22, alpha(WHITE, 0.28))
    canvas.line([(224, 134), (224, 110)], WHITE, 5)
    canvas.line([(213, 120), (224, 109), (235, 120)], WHITE, 5)

    # Folders and a document in front.
    draw_folder(canvas, (92, 176, 176, 238), ORANGE, ORANGE_DEEP)
    draw_folder(canvas, (270, 176, 354, 238), BLUE_LIGHT, BLUE)
    page = (186, 164, 252, 246)
    canvas.shadow(page, 5, 6, alpha(NIGHT_DEEP, 0.6), (0, 4))
    canvas.polygon([(page[0], page[1]), (page[2] - 16, page[1]), (page[2], page[1] + 16),
                    (page[2], page[3]), (page[0], page[3])], PAPER)
    canvas.polygon([(page[2] - 16, page[1]), (page[2] - 16, page[1] + 16), (page[2], page[1] + 16)],
                   PAPER_LINE)
    for row, length in enumerate((38, 46, 30, 42)):
        top = page[1] + 26 + row * 10
        canvas.rect((page[0] + 10, top, page[0] + 10 + length, top + 4), PAPER_LINE, radius=2)
    canvas.circle((page[2] - 14, page[3] - 14), 9, SUCCESS)
    canvas.line([(page[2] - 18.5, page[3] - 14), (page[2] - 15, page[3] - 10.5),
                 (page[2] - 9.5, page[3] - 17)], WHITE, 2.2)
    for cx, cy, r, colour in ((70, 70, 3, alpha(ORANGE, 0.7)), (380, 60, 2.5, alpha(BLUE_LIGHT, 0.7)),
                              (396, 220, 3, alpha(WHITE, 0.3)), (54, 200, 2, alpha(WHITE, 0.3))):
        canvas.circle((cx, cy), r, colour)
    return canvas.finish()


def slide_annotated_screenshot():
    """A screenshot with a frame, an arrow and a note, beside a tool bar."""
    canvas = slide_frame()
    shot = (42, 44, 328, 244)
    draw_window(canvas, shot, body=PAPER, bar=SLATE_LIGHT, radius=6)
    # The page in the screenshot.
    canvas.rect((shot[0] + 14, shot[1] + 28, shot[0] + 134, shot[1] + 110),
                Linear(BLUE_LIGHT, BLUE), radius=4)
    canvas.polygon([(shot[0] + 14, shot[1] + 110), (shot[0] + 56, shot[1] + 62),
                    (shot[0] + 86, shot[1] + 92), (shot[0] + 104, shot[1] + 76),
                    (shot[0] + 134, shot[1] + 110)], alpha(WHITE, 0.75))
    canvas.circle((shot[0] + 110, shot[1] + 48), 8, alpha(WHITE, 0.9))
    for row, length in enumerate((120, 96, 110, 70)):
        top = shot[1] + 32 + row * 14
        canvas.rect((shot[0] + 148, top, shot[0] + 148 + length, top + 6), PAPER_LINE, radius=3)
    for row, length in enumerate((240, 200, 226)):
        top = shot[1] + 126 + row * 14
        canvas.rect((shot[0] + 14, top, shot[0] + 14 + length, top + 6), PAPER_LINE, radius=3)
    # The annotations: a frame round a line of text, an arrow and a note.
    mark = (shot[0] + 140, shot[1] + 68, shot[0] + 270, shot[1] + 92)
    canvas.ring_rect(mark, ORANGE, 2.6, radius=4)
    canvas.line([(shot[0] + 86, shot[1] + 172), (shot[0] + 120, shot[1] + 136),
                 (shot[0] + 150, shot[1] + 98)], ORANGE, 3.2)
    canvas.line([(shot[0] + 138, shot[1] + 100), (shot[0] + 151, shot[1] + 96),
                 (shot[0] + 153, shot[1] + 110)], ORANGE, 3.2)
    note = (shot[0] + 170, shot[1] + 136, shot[0] + 272, shot[1] + 184)
    canvas.shadow(note, 6, 5, alpha(NIGHT_DEEP, 0.35), (0, 3))
    canvas.rect(note, (0xFF, 0xE3, 0xD6, 255), radius=6)
    canvas.polygon([(note[0] + 16, note[1]), (note[0] + 26, note[1] - 9), (note[0] + 32, note[1])],
                   (0xFF, 0xE3, 0xD6, 255))
    canvas.text((note[0] + 10, note[1] + 22), "Aa", 15, ORANGE_DEEP, bold=True)
    canvas.rect((note[0] + 38, note[1] + 12, note[2] - 10, note[1] + 17), alpha(ORANGE, 0.5),
                radius=2.5)
    canvas.rect((note[0] + 10, note[1] + 30, note[2] - 22, note[1] + 35), alpha(ORANGE, 0.5),
                radius=2.5)
    # Capture corners round the whole screenshot.
    for cx, cy, dx, dy in ((shot[0] - 8, shot[1] - 8, 1, 1), (shot[2] + 8, shot[1] - 8, -1, 1),
                           (shot[0] - 8, shot[3] + 8, 1, -1), (shot[2] + 8, shot[3] + 8, -1, -1)):
        canvas.line([(cx, cy + dy * 18), (cx, cy), (cx + dx * 18, cy)], BLUE_LIGHT, 3)

    # The tool bar: pen, frame, arrow, text and the record button.
    bar = (354, 52, 398, 236)
    canvas.shadow(bar, 22, 6, alpha(NIGHT_DEEP, 0.6), (0, 4))
    canvas.rect(bar, MUTED, radius=22)
    cx = (bar[0] + bar[2]) / 2
    canvas.circle((cx, bar[1] + 24), 15, alpha(ORANGE, 0.22))
    draw_pen(canvas, (cx, bar[1] + 24))
    canvas.ring_rect((cx - 8, bar[1] + 52, cx + 8, bar[1] + 64), WHITE, 2, radius=2)
    canvas.line([(cx - 7, bar[1] + 98), (cx + 7, bar[1] + 84)], WHITE, 2.2)
    canvas.line([(cx, bar[1] + 84), (cx + 7, bar[1] + 84), (cx + 7, bar[1] + 91)], WHITE, 2.2)
    canvas.text((cx, bar[1] + 126), "T", 17, WHITE, bold=True, anchor="ms")
    canvas.circle((cx, bar[1] + 158), 13, WHITE)
    canvas.circle((cx, bar[1] + 158), 7, (0xE8, 0x4D, 0x4D, 255))
    return canvas.finish()


def success(language):
    """The product's logo with a tick, and a play button: opens a short video."""
    width, height = SUCCESS_SIZE
    canvas = Canvas(SUCCESS_SIZE, PANEL)
    draw_card_background(canvas, SUCCESS_SIZE, 0)
    for cx, cy, r, colour in ((40, 36, 3, alpha(ORANGE, 0.8)), (96, 26, 2, alpha(BLUE_LIGHT, 0.8)),
                              (200, 40, 2.5, alpha(SUCCESS, 0.8)), (360, 34, 2, alpha(WHITE, 0.5)),
                              (30, 166, 2.5, alpha(BLUE_LIGHT, 0.6)), (176, 172, 3, alpha(ORANGE, 0.6)),
                              (246, 164, 2, alpha(WHITE, 0.4)), (378, 160, 3, alpha(SUCCESS, 0.6))):
        canvas.circle((cx, cy), r, colour)
    for x0, y0, x1, y1, colour in ((62, 164, 72, 170, alpha(ORANGE, 0.7)),
                                   (300, 24, 310, 20, alpha(BLUE_LIGHT, 0.7)),
                                   (130, 20, 136, 30, alpha(WHITE, 0.4))):
        canvas.line([(x0, y0), (x1, y1)], colour, 2.4)

    mark_box = (36, 70, 116, 150)
    draw_mark(canvas, mark_box)
    badge = (mark_box[2] - 4, mark_box[3] - 4)
    canvas.circle(badge, 17, PANEL)
    canvas.circle(badge, 14, SUCCESS)
    canvas.line([(badge[0] - 6.5, badge[1]), (badge[0] - 1.8, badge[1] + 5),
                 (badge[0] + 7, badge[1] - 5)], WHITE, 3.2)
    first, second = PRODUCT[language]
    canvas.text((136, 108), first, 36, WHITE, bold=True)
    canvas.text((137, 140), second, 27, BLUE_LIGHT)

    play = (320, 110)
    canvas.glow(play, 62, alpha(ORANGE, 0.3))
    canvas.shadow((play[0] - 30, play[1] - 30, play[0] + 30, play[1] + 30), 30, 6,
                  alpha(NIGHT_DEEP, 0.6), (0, 4))
    canvas.circle(play, 30, Linear(ORANGE, ORANGE_DEEP))
    canvas.polygon([(play[0] - 8, play[1] - 13), (play[0] - 8, play[1] + 13),
                    (play[0] + 14, play[1])], WHITE)
    # A player's time line: the picture starts a video.
    track_y = height - 22
    canvas.rect((24, track_y - 2, width - 24, track_y + 2), alpha(WHITE, 0.16), radius=2)
    canvas.rect((24, track_y - 2, 92, track_y + 2), ORANGE, radius=2)
    canvas.circle((92, track_y), 5, WHITE)
    return canvas.finish()


# --------------------------------------------------------------------------
# Output

PICTURES = (
    ("header_ru.png", lambda: header("ru"), False),
    ("header_en.png", lambda: header("en"), False),
    ("logo_ru.png", lambda: logo("ru"), True),
    ("logo_en.png", lambda: logo("en"), True),
    ("folder.png", folder_icon, True),
    ("warning.png", warning_icon, True),
    ("support_operator.png", support_operator, True),
    ("slide_remote_control.png", slide_remote_control, False),
    ("slide_video_call.png", slide_video_call, False),
    ("slide_cloud_folders.png", slide_cloud_folders, False),
    ("slide_annotated_screenshot.png", slide_annotated_screenshot, False),
    ("success_ru.png", lambda: success("ru"), False),
    ("success_en.png", lambda: success("en"), False),
)

# The opaque pictures go to a 256-colour palette, which halves their files.
# libimagequant's dithered palette keeps the gradients smooth but can miss the
# few colours of a small bright shape, whose edge pixels then show as specks:
# every pixel that it moves by more than PALETTE_MAX_ERROR in a channel takes
# the nearest colour of the same palette instead. The transparent pictures
# are small and keep every colour, as a palette would fray their soft edges.
PALETTE_COLOURS = 256
PALETTE_MAX_ERROR = 24


def reduce_colours(image):
    # Debian's Pillow carries libimagequant; the octree is the fallback of
    # other builds.
    method = (Image.Quantize.LIBIMAGEQUANT if features.check("libimagequant") else
              Image.Quantize.FASTOCTREE)
    dithered = image.quantize(PALETTE_COLOURS, method=method)
    nearest = image.quantize(palette=dithered, dither=Image.Dither.NONE)
    red, green, blue = ImageChops.difference(image, dithered.convert("RGB")).split()
    worst = ImageChops.lighter(ImageChops.lighter(red, green), blue)
    specks = worst.point(lambda v: 255 if v > PALETTE_MAX_ERROR else 0)
    dithered.paste(nearest, (0, 0), specks)
    # The page colour stays exact, so a picture's foot meets the page without
    # a seam: the palette's nearest entry becomes it, and takes every pixel of it.
    palette = dithered.getpalette()[:PALETTE_COLOURS * 3]
    entries = [tuple(palette[i:i + 3]) for i in range(0, len(palette), 3)]
    page = nearest_entry(entries, PAGE[:3])
    palette[page * 3:page * 3 + 3] = PAGE[:3]
    dithered.putpalette(palette)
    exact = ImageChops.difference(image, Image.new("RGB", image.size, PAGE[:3])).convert("L")
    dithered.paste(page, (0, 0), exact.point(lambda v: 255 if v == 0 else 0))
    return dithered


def nearest_entry(entries, colour):
    return min(range(len(entries)),
               key=lambda i: (sum((a - b) ** 2 for a, b in zip(entries[i], colour)), i))


def save(image, path, transparent):
    if not transparent:
        image = reduce_colours(image.convert("RGB"))
    image.save(path, optimize=True)


def main(arguments):
    if len(arguments) not in (2, 4):
        sys.stderr.write(__doc__)
        return 2
    out = arguments[1]
    if len(arguments) == 4:
        Fonts.regular_path, Fonts.bold_path = arguments[2], arguments[3]
    os.makedirs(out, exist_ok=True)
    for name, draw, transparent in PICTURES:
        save(draw(), os.path.join(out, name), transparent)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
