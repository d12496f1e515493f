#!/usr/bin/env python3
"""Draws the skins and the stream view's cursors.

Writes one folder per theme, skins/default/ and skins/light/ (skin.ini,
bitmaps, regions), and res/cursors/*.cur. Every picture of a skin is drawn
at each display scale of SCALES: the 100 % ones beside skin.ini, the others
in a subfolder named after their scale in percent (skins/default/150/), with
the same file names. The layout below is the one source
of every position in skin.ini and every picture, so moving a button moves its
artwork with it in every skin. Only the standard
library is used, except for the one line of text inside a picture, which
ImageMagick's `convert` rasterises. Running it again writes the same bytes.

Every text the skin shows comes in each of LANGUAGES: the plain key holds
the English, "caption.de=" and the like the others, and the picture with a
line of text has one file per language. skin.ini is written
in UTF-16 with a byte order mark, the form in which Windows reads an INI
file's keys as Unicode.

    python3 skins/make_skin.py
"""

import math
import os
import struct
import subprocess

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SKINS_DIR = os.path.join(ROOT, "skins")
CURSOR_DIR = os.path.join(ROOT, "res", "cursors")

WHITE = (255, 255, 255)
BLACK = (0, 0, 0)
MAGENTA = (255, 0, 255)
# The accent of the built-in cursors, which every skin shares.
CURSOR_ACCENT = (37, 99, 168)


class Look:
    """A button state: fill, border and foreground (None leaves it out)."""

    def __init__(self, fill, border, ink, radius=8):
        self.fill, self.border, self.ink, self.radius = fill, border, ink, radius


class Theme:
    """The colours of one skin. Every skin shares the layout below.

    Stream view bands, from the top: position texts, cut band (waveform
    inside), time axis. The axis colour is also the colour of the axis
    labels, so it must read well on the text band and on the cut's axis band.
    """

    def __init__(self, name, title, **colours):
        self.name, self.title = name, title
        for key, value in colours.items():
            setattr(self, key, value)


# A dark, low-contrast face with one blue accent.
DARK = Theme(
    "default", "Default skin",
    title_bar=(21, 24, 30), body_top=(31, 35, 43), body_bottom=(26, 29, 36), frame=(58, 64, 76),
    well=(42, 47, 56), text=(220, 226, 234), text_step=(201, 209, 220),
    text_group=(139, 148, 163), text_disabled=(90, 98, 112), accent=(79, 163, 255),
    field=(24, 27, 33), focus_text=WHITE, focus_ring=(255, 204, 0),
    view_text_band=(23, 26, 32), view_outside=(13, 15, 19), view_stream=(18, 22, 28),
    view_zero_line=(35, 42, 52), view_separator=(38, 43, 52), view_cut=(24, 50, 77),
    view_cut_zero_line=(43, 74, 107), view_cut_axis=(27, 37, 51), playhead=(255, 176, 32),
    waveform=(108, 198, 255), axis=(139, 148, 163),
    empty_bars=(60, 70, 86), empty_text=(120, 130, 146),
    plain={
        "up": Look((42, 48, 58), (58, 65, 80), (220, 226, 234)),
        "mo": Look((51, 58, 70), (79, 163, 255), WHITE),
        "do": Look((37, 99, 168), (79, 163, 255), WHITE),
        "da": Look((34, 38, 46), (44, 49, 58), (78, 85, 98)),
    },
    primary={
        "up": Look((47, 123, 224), (75, 147, 240), WHITE),
        "mo": Look((75, 147, 240), (120, 178, 255), WHITE),
        "do": Look((37, 99, 168), (75, 147, 240), WHITE),
        "da": Look((34, 38, 46), (44, 49, 58), (78, 85, 98)),
    },
    title_buttons={
        "up": Look(None, None, (154, 163, 178), 6),
        "mo": Look((51, 58, 70), None, WHITE, 6),
        "do": Look((30, 35, 43), None, WHITE, 6),
        "da": Look(None, None, (70, 76, 88), 6),
    },
    exit_button={"mo": Look((229, 72, 77), None, WHITE, 6), "do": Look((176, 48, 53), None, WHITE, 6)},
)

# Paper white with the same layout, darker ink and a deeper blue accent.
LIGHT = Theme(
    "light", "Light skin",
    title_bar=(228, 232, 238), body_top=(250, 251, 252), body_bottom=(239, 242, 246),
    frame=(190, 197, 208), well=(210, 216, 225), text=(28, 33, 42), text_step=(52, 60, 74),
    text_group=(92, 102, 118), text_disabled=(160, 167, 178), accent=(22, 110, 226),
    field=(255, 255, 255), focus_text=BLACK, focus_ring=(214, 92, 0),
    view_text_band=(236, 239, 244), view_outside=(224, 228, 234), view_stream=(252, 252, 253),
    view_zero_line=(220, 225, 232), view_separator=(206, 212, 221), view_cut=(212, 230, 252),
    view_cut_zero_line=(176, 204, 240), view_cut_axis=(222, 234, 250), playhead=(222, 104, 0),
    waveform=(28, 104, 196), axis=(84, 94, 110),
    empty_bars=(190, 198, 210), empty_text=(110, 118, 132),
    plain={
        "up": Look((255, 255, 255), (198, 205, 215), (28, 33, 42)),
        "mo": Look((238, 245, 255), (22, 110, 226), (16, 80, 166)),
        "do": Look((16, 80, 166), (22, 110, 226), WHITE),
        "da": Look((243, 245, 248), (222, 227, 234), (172, 178, 188)),
    },
    primary={
        "up": Look((22, 110, 226), (16, 92, 196), WHITE),
        "mo": Look((48, 132, 240), (22, 110, 226), WHITE),
        "do": Look((16, 80, 166), (16, 80, 166), WHITE),
        "da": Look((243, 245, 248), (222, 227, 234), (172, 178, 188)),
    },
    title_buttons={
        "up": Look(None, None, (88, 98, 114), 6),
        "mo": Look((210, 216, 225), None, (28, 33, 42), 6),
        "do": Look((190, 197, 208), None, (28, 33, 42), 6),
        "da": Look(None, None, (176, 182, 192), 6),
    },
    exit_button={"mo": Look((214, 54, 60), None, WHITE, 6), "do": Look((172, 38, 44), None, WHITE, 6)},
)

THEMES = (DARK, LIGHT)

FONT_FACE = "Tahoma"

# The languages of the component's own texts, English first.
LANGUAGES = ("en", "de", "fr", "ja")

# Each English text of the skins in those languages. The captions are short
# enough for their buttons and labels in the skins' fonts.
TRANSLATIONS = {
    "Tarvisk Audio Cutter": {"de": "Tarvisk Audio-Schnitt", "fr": "Tarvisk, découpe audio",
                             "ja": "Tarvisk オーディオカッター"},
    "Select the part to keep, then save it": {
        "de": "Markieren Sie den gewünschten Teil und speichern Sie ihn",
        "fr": "Sélectionnez la partie à garder, puis enregistrez-la",
        "ja": "残したい部分を選んで保存してください"},
    "ZOOM": {"de": "ZOOM", "fr": "ZOOM", "ja": "ズーム"},
    "PLAY": {"de": "ABSPIELEN", "fr": "LECTURE", "ja": "再生"},
    "PLAY CUT": {"de": "VORHÖREN", "fr": "ÉCOUTER", "ja": "試聴"},
    "CUT": {"de": "SCHNITT", "fr": "COUPE", "ja": "カット"},
    "FADE": {"de": "BLENDEN", "fr": "FONDUS", "ja": "フェード"},
    "Save": {"de": "Speichern", "fr": "Enregistrer", "ja": "保存"},
    "Save && exit": {"de": "Speichern && beenden", "fr": "Enregistrer et quitter",
                     "ja": "保存して終了"},
    "Name your track": {"de": "Benennen Sie Ihren Titel", "fr": "Nommez votre piste",
                        "ja": "トラック名を入力してください"},
    "OK": {"de": "OK", "fr": "OK", "ja": "OK"},
    "Open an audio file to see its waveform": {
        "de": "Öffnen Sie eine Audiodatei, um ihre Wellenform zu sehen",
        "fr": "Ouvrez un fichier audio pour voir sa forme d'onde",
        "ja": "オーディオファイルを開くと波形が表示されます"},
}


def language_key(key, language):
    return key if language == "en" else "%s.%s" % (key, language)


def in_language(english, language):
    return english if language == "en" else TRANSLATIONS[english][language]


def translated(key, english):
    """The key in each language with the text in that language."""
    return [(language_key(key, language), in_language(english, language))
            for language in LANGUAGES]

# The display scales, in percent, that every skin has pictures for.
SCALES = (100, 125, 150, 200)

# Geometry. Every child is placed from its parent's top-left corner:
# children take their places while their parent still has its template
# size, so an anchor in percent would measure the wrong parent.
MAIN_SIZE = (800, 320)
TITLE_HEIGHT = 40
CTRL_ORIGIN = (0, TITLE_HEIGHT)
CTRL_SIZE = (MAIN_SIZE[0], MAIN_SIZE[1] - TITLE_HEIGHT)
WINDOW_RADIUS = 12
TRACK_NAME_SIZE = (380, 124)

VIEW_RECT = (44, 34, 756, 198)
VIEW_HEIGHT = VIEW_RECT[3] - VIEW_RECT[1]
MARK_TOP, MARK_BOTTOM = 22, 126
WAVE_TOP, WAVE_BOTTOM = 28, 120
AXIS_LINE = 130
# Labels hang below the big marks; like every y of the view, in view pixels.
AXIS_TEXT_TOP = AXIS_LINE + 14
TILE_WIDTH = 8
CURSOR_WIDTH = 11

BUTTON = (36, 36)
BUTTON_ROW_Y = 228
LABEL_ROW_Y = 210
LABEL_HEIGHT = 16


def clamp(value, low, high):
    return low if value < low else high if value > high else value


# --- Signed distance shapes: negative inside, in pixels. -------------------

class Shape:
    """A distance function with the box (x0, y0, x1, y1) it can be < 1 in."""

    def __init__(self, dist, box):
        self.dist = dist
        self.box = box


def box_union(a, b):
    return (min(a[0], b[0]), min(a[1], b[1]), max(a[2], b[2]), max(a[3], b[3]))


def rounded_rect(x0, y0, x1, y1, radius):
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - radius, (y1 - y0) / 2 - radius

    def dist(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - radius

    return Shape(dist, (x0, y0, x1, y1))


def circle(cx, cy, radius):
    return Shape(lambda x, y: math.hypot(x - cx, y - cy) - radius,
                 (cx - radius, cy - radius, cx + radius, cy + radius))


def segment(ax, ay, bx, by, radius):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy or 1e-9

    def dist(x, y):
        t = clamp(((x - ax) * dx + (y - ay) * dy) / length2, 0.0, 1.0)
        return math.hypot(x - ax - t * dx, y - ay - t * dy) - radius

    return Shape(dist, (min(ax, bx) - radius, min(ay, by) - radius,
                        max(ax, bx) + radius, max(ay, by) + radius))


def polyline(points, radius):
    return union(*[segment(*a, *b, radius) for a, b in zip(points, points[1:])])


def polygon(points, rounding=0.0):
    """A filled polygon; rounding grows it and rounds its corners."""
    edges = list(zip(points, points[1:] + points[:1]))

    def dist(x, y):
        nearest = float("inf")
        inside = False
        for (ax, ay), (bx, by) in edges:
            dx, dy = bx - ax, by - ay
            t = clamp(((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy), 0.0, 1.0)
            nearest = min(nearest, math.hypot(x - ax - t * dx, y - ay - t * dy))
            if (ay > y) != (by > y) and x < ax + (y - ay) * dx / (by - ay):
                inside = not inside
        return (-nearest if inside else nearest) - rounding

    xs, ys = [p[0] for p in points], [p[1] for p in points]
    return Shape(dist, (min(xs) - rounding, min(ys) - rounding,
                        max(xs) + rounding, max(ys) + rounding))


def union(*shapes):
    box = shapes[0].box
    for shape in shapes[1:]:
        box = box_union(box, shape.box)
    return Shape(lambda x, y: min(s.dist(x, y) for s in shapes), box)


def outline(shape, width):
    half = width / 2
    x0, y0, x1, y1 = shape.box
    return Shape(lambda x, y: abs(shape.dist(x, y)) - half,
                 (x0 - half, y0 - half, x1 + half, y1 + half))


def grown(shape, amount):
    x0, y0, x1, y1 = shape.box
    return Shape(lambda x, y: shape.dist(x, y) - amount,
                 (x0 - amount, y0 - amount, x1 + amount, y1 + amount))


def mirrored(shape, width):
    """The shape flipped left to right inside a picture of the given width."""
    x0, y0, x1, y1 = shape.box
    return Shape(lambda x, y: shape.dist(width - x, y), (width - x1, y0, width - x0, y1))


def moved(shape, dx, dy):
    x0, y0, x1, y1 = shape.box
    return Shape(lambda x, y: shape.dist(x - dx, y - dy), (x0 + dx, y0 + dy, x1 + dx, y1 + dy))


# --- Pictures. --------------------------------------------------------------

def px(value, scale):
    """A length of the 100 % layout at the scale in percent, rounded to the
    nearest pixel as the component scales the skin's lengths."""
    return int(math.floor(value * scale / 100 + 0.5))


class Canvas:
    """RGBA pixels with straight alpha, drawn on with shapes.

    Sizes and coordinates are those of the 100 % layout; the pixels are
    those of the scale in percent.
    """

    def __init__(self, width, height, colour=BLACK, alpha=1.0, scale=100):
        self.size, self.scale = (width, height), scale
        self.width, self.height = px(width, scale), px(height, scale)
        self.pixels = [[float(colour[0]), float(colour[1]), float(colour[2]), alpha]
                       for _ in range(self.width * self.height)]

    def blend(self, x, y, colour, coverage):
        if coverage <= 0.0:
            return
        pixel = self.pixels[y * self.width + x]
        alpha = coverage + pixel[3] * (1.0 - coverage)
        for c in range(3):
            pixel[c] = (colour[c] * coverage + pixel[c] * pixel[3] * (1.0 - coverage)) / alpha
        pixel[3] = alpha

    def fill(self, shape, colour, opacity=1.0, antialias=True):
        k = self.scale / 100
        x0, y0, x1, y1 = (v * k for v in shape.box)
        for y in range(max(0, int(y0) - 1), min(self.height, int(math.ceil(y1)) + 1)):
            for x in range(max(0, int(x0) - 1), min(self.width, int(math.ceil(x1)) + 1)):
                d = shape.dist((x + 0.5) / k, (y + 0.5) / k) * k
                coverage = clamp(0.5 - d, 0.0, 1.0) if antialias else float(d <= 0.0)
                self.blend(x, y, colour, coverage * opacity)

    def fill_rect(self, x0, y0, x1, y1, colour):
        x0, y0, x1, y1 = (px(v, self.scale) for v in (x0, y0, x1, y1))
        for y in range(max(0, y0), min(self.height, y1)):
            for x in range(max(0, x0), min(self.width, x1)):
                self.pixels[y * self.width + x] = [float(colour[0]), float(colour[1]),
                                                   float(colour[2]), 1.0]

    def vertical_gradient(self, y0, y1, top, bottom):
        y0, y1 = px(y0, self.scale), px(y1, self.scale)
        for y in range(y0, y1):
            colour = mix(top, bottom, (y - y0) / max(1, y1 - y0 - 1))
            self.pixels[y * self.width:(y + 1) * self.width] = [
                [float(colour[0]), float(colour[1]), float(colour[2]), 1.0]
                for _ in range(self.width)]

    def crop(self, x, y, width, height):
        part = Canvas(width, height, scale=self.scale)
        x, y = px(x, self.scale), px(y, self.scale)
        for row in range(part.height):
            start = (y + row) * self.width + x
            part.pixels[row * part.width:(row + 1) * part.width] = [
                list(p) for p in self.pixels[start:start + part.width]]
        return part

    def draw_mask(self, mask, x, y, colour):
        """A text mask of pixels at a place of the layout."""
        width, height, values = mask
        x, y = px(x, self.scale), px(y, self.scale)
        for row in range(height):
            for column in range(width):
                if 0 <= x + column < self.width and 0 <= y + row < self.height:
                    self.blend(x + column, y + row, colour, values[row * width + column] / 255.0)

    def rgb_bytes(self, bottom_up, order):
        rows = range(self.height - 1, -1, -1) if bottom_up else range(self.height)
        out = bytearray()
        for y in rows:
            for pixel in self.pixels[y * self.width:(y + 1) * self.width]:
                rgba = [int(clamp(v, 0.0, 255.0) + 0.5) for v in pixel[:3]]
                rgba.append(int(clamp(pixel[3], 0.0, 1.0) * 255 + 0.5))
                out += bytes(rgba[i] for i in order)
            if len(order) == 3:
                out += bytes((-(self.width * 3)) % 4)
        return bytes(out)


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def text_mask(text, pixel_height, bold=False, language="en"):
    """Grey coverage of a line of text: (width, height, bytes)."""
    font = "IPAGothic" if language == "ja" else "DejaVu-Sans-Bold" if bold else "DejaVu-Sans"
    pgm = subprocess.run(
        ["convert", "-background", "black", "-fill", "white", "-font", font,
         "-pointsize", "%g" % pixel_height, "label:" + text, "-depth", "8", "pgm:-"],
        check=True, capture_output=True).stdout
    fields = pgm.split(maxsplit=3)
    width, height = int(fields[1]), int(fields[2])
    return width, height, pgm[-width * height:]


def write_bmp(path, canvas):
    pixels = canvas.rgb_bytes(bottom_up=True, order=(2, 1, 0))
    header = struct.pack("<IiiHHIIiiII", 40, canvas.width, canvas.height, 1, 24, 0,
                         len(pixels), 2835, 2835, 0, 0)
    with open(path, "wb") as out:
        out.write(struct.pack("<2sIHHI", b"BM", 14 + len(header) + len(pixels), 0, 0,
                              14 + len(header)))
        out.write(header + pixels)


def write_cur(path, images):
    """A cursor of 32-bit images with alpha and their AND masks, one for each
    (canvas, hotspot); the system takes the one of its cursor size."""
    entries, data = b"", b""
    offset = 6 + 16 * len(images)
    for canvas, hotspot in images:
        size = canvas.width
        colour = canvas.rgb_bytes(bottom_up=True, order=(2, 1, 0, 3))
        row_bytes = (size + 31) // 32 * 4
        mask = bytearray()
        for y in range(size - 1, -1, -1):
            bits = 0
            for x in range(size):
                bits = bits << 1 | (canvas.pixels[y * size + x][3] < 0.5 / 255)
            mask += (bits << (row_bytes * 8 - size)).to_bytes(row_bytes, "big")
        header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                             len(colour) + len(mask), 0, 0, 0, 0)
        image = header + colour + bytes(mask)
        entries += struct.pack("<BBBBHHII", size, size, 0, 0, hotspot[0], hotspot[1],
                               len(image), offset)
        data += image
        offset += len(image)
    with open(path, "wb") as out:
        out.write(struct.pack("<HHH", 0, 2, len(images)) + entries + data)


# --- Icons, drawn into a box of the given size. -----------------------------

def icon_play(w, h):
    cx, cy = w / 2, h / 2
    return [polygon([(cx - 4, cy - 7), (cx - 4, cy + 7), (cx + 7, cy)], 0.8)]


def icon_stop(w, h):
    cx, cy = w / 2, h / 2
    return [rounded_rect(cx - 6, cy - 6, cx + 6, cy + 6, 2)]


def brackets(w, h, half_width):
    cx, cy = w / 2, h / 2
    left = polyline([(cx - half_width + 3, cy - 8), (cx - half_width, cy - 8),
                     (cx - half_width, cy + 8), (cx - half_width + 3, cy + 8)], 1.0)
    return [left, mirrored(left, w)]


def icon_play_cut(w, h):
    cx, cy = w / 2, h / 2
    return brackets(w, h, 10) + [polygon([(cx - 3, cy - 5), (cx - 3, cy + 5), (cx + 5, cy)], 0.6)]


def magnifier(w, h, plus):
    cx, cy = w / 2 - 2, h / 2 - 2
    shapes = [outline(circle(cx, cy, 7), 2.0), segment(cx + 5.5, cy + 5.5, cx + 10, cy + 10, 1.6),
              segment(cx - 3.5, cy, cx + 3.5, cy, 1.0)]
    if plus:
        shapes.append(segment(cx, cy - 3.5, cx, cy + 3.5, 1.0))
    return shapes


def icon_cut_begin(w, h):
    cx, cy = w / 2, h / 2
    bracket = polyline([(cx - 2, cy - 9), (cx - 6, cy - 9), (cx - 6, cy + 9), (cx - 2, cy + 9)], 1.2)
    return [bracket, polygon([(cx - 1, cy - 5), (cx - 1, cy + 5), (cx + 7, cy)], 0.6)]


def icon_fade_in(w, h):
    cx, cy = w / 2, h / 2
    return [polygon([(cx - 9, cy + 8), (cx + 9, cy + 8), (cx + 9, cy - 8)], 0.6)]


def icon_fade_remove(w, h):
    cx, cy = w / 2, h / 2
    return [segment(cx - 9, cy + 9, cx + 9, cy + 9, 1.0), segment(cx - 5, cy - 8, cx + 5, cy + 2, 1.3),
            segment(cx + 5, cy - 8, cx - 5, cy + 2, 1.3)]


def icon_chevron_left(w, h):
    cx, cy = w / 2, h / 2
    return [polyline([(cx + 3, cy - 8), (cx - 3, cy), (cx + 3, cy + 8)], 1.3)]


def icon_help(w, h):
    cx, cy = w / 2, h / 2
    arc = [(cx + 3.5 * math.cos(a), cy - 3.5 + 3.5 * math.sin(a))
           for a in (math.radians(d) for d in range(190, 421, 15))]
    return [polyline(arc + [(cx, cy + 2.0)], 1.1), circle(cx, cy + 5.5, 1.3)]


def icon_about(w, h):
    cx, cy = w / 2, h / 2
    return [circle(cx, cy - 5, 1.4), segment(cx, cy - 1.5, cx, cy + 6, 1.2)]


def icon_minimize(w, h):
    cx, cy = w / 2, h / 2
    return [segment(cx - 5, cy + 0.5, cx + 5, cy + 0.5, 1.0)]


def icon_exit(w, h):
    cx, cy = w / 2, h / 2
    return [segment(cx - 4.5, cy - 4.5, cx + 4.5, cy + 4.5, 1.0),
            segment(cx + 4.5, cy - 4.5, cx - 4.5, cy + 4.5, 1.0)]


def logo(w, h):
    return waveform_bars(4, h / 2, (6, 12, 16, 9, 13), 3.5, 1.1)


def flipped(icon):
    return lambda w, h: [mirrored(shape, w) for shape in icon(w, h)]


def waveform_bars(x, cy, heights, spacing, radius):
    return [segment(x + i * spacing, cy - v / 2, x + i * spacing, cy + v / 2, radius)
            for i, v in enumerate(heights)]


# --- Button looks. ------------------------------------------------------------

CAPTION_COLOURS = {"up": "font_color_up", "mo": "font_color_mo", "do": "font_color_do",
                   "da": "font_color_da"}
STATE_KEYS = ("up", "mo", "do", "da")


def button_face(background, look, icon, pressed):
    face = background.crop(0, 0, *background.size)
    width, height = face.size
    if look.fill:
        face.fill(rounded_rect(0, 0, width, height, look.radius), look.fill)
    if look.border:
        face.fill(outline(rounded_rect(0.5, 0.5, width - 0.5, height - 0.5,
                                       look.radius - 0.5), 1.0), look.border)
    if icon:
        shift = 1 if pressed else 0
        for shape in icon(width, height):
            face.fill(moved(shape, 0, shift), look.ink)
    return face


# --- The skin. --------------------------------------------------------------

class Element:
    """One skinned button or label: its section, place and looks."""

    def __init__(self, section, parent, pos, size, looks=None, icon=None, caption=None,
                 font=None, align="center", margins=None, ink=None):
        self.section, self.parent, self.pos, self.size = section, parent, pos, size
        self.looks, self.icon, self.caption, self.font = looks, icon, caption, font
        self.align, self.margins, self.ink = align, margins or {}, ink

    @property
    def name(self):
        return self.section.strip("[]").replace("&", "_and_")


def elements(t):
    """Every button and label of the three windows in the theme's looks."""

    def group_label(section, x, width, caption):
        return Element(section, "ctrl", (x, LABEL_ROW_Y), (width, LABEL_HEIGHT), caption=caption,
                       font="-11,700," + FONT_FACE, align="left", ink=t.text_group)

    def icon_button(section, x, icon):
        return Element(section, "ctrl", (x, BUTTON_ROW_Y), BUTTON, t.plain, icon)

    def text_button(section, x, width, looks, caption):
        return Element(section, "ctrl", (x, BUTTON_ROW_Y), (width, BUTTON[1]), looks,
                       caption=caption, font="-13,700," + FONT_FACE)

    def title_button(section, x, looks, icon):
        return Element(section, "main", (x, 8), (24, 24), looks, icon)

    exit_looks = dict(t.title_buttons, **t.exit_button)
    return [
        Element("[mv_lbl_title_main]", "main", (16, 10), (300, 20), icon=logo,
                caption="Tarvisk Audio Cutter", font="-14,700," + FONT_FACE, align="left",
                margins={"textLeftMargin": 26}, ink=t.text),
        title_button("[mv_btn_help]", 680, t.title_buttons, icon_help),
        title_button("[mv_btn_minimize]", 736, t.title_buttons, icon_minimize),
        title_button("[mv_btn_about]", 708, t.title_buttons, icon_about),
        title_button("[mv_btn_exit]", 764, exit_looks, icon_exit),
        Element("[mv_lbl_step2]", "ctrl", (16, 8), (500, 20),
                caption="Select the part to keep, then save it", font="-13,400," + FONT_FACE,
                align="left", ink=t.text_step),
        group_label("[mv_lbl_zoom]", 16, 76, "ZOOM"),
        icon_button("[mv_btn_zoom_in]", 56, lambda w, h: magnifier(w, h, True)),
        icon_button("[mv_btn_zoom_out]", 16, lambda w, h: magnifier(w, h, False)),
        group_label("[mv_lbl_play]", 112, 76, "PLAY"),
        icon_button("[mv_btn_play]", 112, icon_play),
        group_label("[mv_lbl_play_cut]", 208, 80, "PLAY CUT"),
        icon_button("[mv_btn_play_cut]", 208, icon_play_cut),
        icon_button("[mv_btn_stop]", 152, icon_stop),
        group_label("[mv_lbl_cut]", 292, 76, "CUT"),
        icon_button("[mv_btn_cut_begin]", 292, icon_cut_begin),
        icon_button("[mv_btn_cut_end]", 332, flipped(icon_cut_begin)),
        group_label("[mv_lbl_fading]", 388, 116, "FADE"),
        icon_button("[mv_btn_fading_begin]", 388, icon_fade_in),
        icon_button("[mv_btn_fading_end]", 428, flipped(icon_fade_in)),
        icon_button("[mv_btn_fading_remove]", 468, icon_fade_remove),
        Element("[mv_btn_scroll_left]", "ctrl", (16, VIEW_RECT[1]), (24, VIEW_HEIGHT), t.plain,
                icon_chevron_left),
        Element("[mv_btn_scroll_right]", "ctrl", (VIEW_RECT[2] + 4, VIEW_RECT[1]),
                (24, VIEW_HEIGHT), t.plain, flipped(icon_chevron_left)),
        # DrawText takes a single ampersand as a mnemonic prefix.
        text_button("[mv_btn_save]", 524, 96, t.plain, "Save"),
        text_button("[mv_btn_save&exit]", 628, 156, t.primary, "Save && exit"),
        Element("[mv_lbl_title_track_name]", "track_name", (16, 12), (348, 20),
                caption="Name your track", font="-14,700," + FONT_FACE, align="left", ink=t.text),
        Element("[mv_btn_ok]", "track_name", (284, 50), (80, 34), t.primary, caption="OK",
                font="-13,700," + FONT_FACE),
    ]


EDIT_RECT = (16, 52, 256, 30)


def hex_colour(colour):
    return "#%02X%02X%02X" % tuple(int(c) for c in colour)


def window_face(t, size, title_height, scale):
    """The window body with its frame; the region follows the same outline."""
    width, height = size
    face = Canvas(width, height, scale=scale)
    face.vertical_gradient(0, height, t.body_top, t.body_bottom)
    if title_height:
        face.fill_rect(0, 0, width, title_height, t.title_bar)
        face.fill_rect(0, title_height, width, title_height + 1, t.well)
    face.fill(outline(rounded_rect(0.5, 0.5, width - 0.5, height - 0.5, WINDOW_RADIUS), 1.0),
              t.frame)
    return face


def window_region(size, scale):
    """White inside the rounded outline, magenta outside."""
    width, height = size
    region = Canvas(width, height, MAGENTA, scale=scale)
    region.fill(rounded_rect(0, 0, width, height, WINDOW_RADIUS), WHITE, antialias=False)
    return region


def stream_tile(t, scale, width, wave, zero_line, axis=None, mark=None):
    """A full-height column strip of the stream view, band by band."""
    tile = Canvas(width, VIEW_HEIGHT, t.view_text_band, scale=scale)
    tile.fill_rect(0, MARK_TOP, width, MARK_BOTTOM, wave)
    tile.fill_rect(0, MARK_BOTTOM, width, VIEW_HEIGHT, axis or t.view_text_band)
    if zero_line:
        centre = (WAVE_TOP + WAVE_BOTTOM) // 2
        tile.fill_rect(0, centre, width, centre + 1, zero_line)
    if mark:
        tile.fill_rect(0, MARK_TOP, width, MARK_BOTTOM, mark)
    else:
        tile.fill_rect(0, MARK_TOP, width, MARK_TOP + 1, t.view_separator)
        tile.fill_rect(0, MARK_BOTTOM, width, MARK_BOTTOM + 1, t.view_separator)
    return tile


def playhead(t, scale):
    """The position cursor; magenta is transparent, so no soft edges."""
    head = Canvas(CURSOR_WIDTH, VIEW_HEIGHT, MAGENTA, scale=scale)
    centre = CURSOR_WIDTH // 2
    head.fill_rect(centre, MARK_TOP, centre + 1, VIEW_HEIGHT, t.playhead)
    head.fill(polygon([(0, MARK_TOP - 7), (CURSOR_WIDTH, MARK_TOP - 7), (CURSOR_WIDTH / 2, MARK_TOP)]),
              t.playhead, antialias=False)
    return head


EMPTY_DESCRIPTION = "Open an audio file to see its waveform"


def empty_description_file(language):
    return "view_empty_desc%s.bmp" % ("" if language == "en" else "_" + language)


def empty_description(t, scale, language):
    """Shown in the middle of the view until a file is open."""
    caption = in_language(EMPTY_DESCRIPTION, language)
    # Every scale has the width of the 100 % picture, scaled.
    picture = Canvas(text_mask(caption, 13, language=language)[0] + 48, 40, t.view_outside,
                     scale=scale)
    text = text_mask(caption, 13 * scale / 100, language=language)
    for bar in waveform_bars(8, 20, (6, 14, 24, 10, 18, 8), 5, 1.3):
        picture.fill(bar, t.empty_bars)
    picture.draw_mask(text, 44, (40 - text[1] * 100 / scale) // 2, t.empty_text)
    return picture


def view_section(t):
    return [
        ("position", "%d,%d,%d,%d" % VIEW_RECT),
        ("slider_range", "0,%d,0,%d" % (MARK_BOTTOM, VIEW_HEIGHT)),
        ("bitmap_center", "view_outside.bmp"),
        ("bitmap_center_empty", "view_outside.bmp"),
        *[(language_key("bitmap_empty_stream_desc", language), empty_description_file(language))
          for language in LANGUAGES],
        ("bitmap_stream", "view_stream.bmp"),
        ("bitmap_cut_left", "view_cut_edge.bmp"),
        ("bitmap_cut_right", "view_cut_edge.bmp"),
        ("bitmap_cut_middle", "view_cut_middle.bmp"),
        ("bitmap_curpos", "view_curpos.bmp"),
        ("bitmap_margin", "view_outside.bmp"),
        ("color_transparent", hex_colour(MAGENTA)),
        ("color_axis", hex_colour(t.axis)),
        ("font_axis", "-11,400," + FONT_FACE),
        ("color_waveform", hex_colour(t.waveform)),
        ("color_mark_rect", hex_colour(t.accent)),
        ("y_pos_axis_line", str(AXIS_LINE)),
        ("y_pos_axis_text", str(AXIS_TEXT_TOP)),
        ("color_font_position", hex_colour(t.text_step)),
        ("font_position", "-12,400," + FONT_FACE),
        ("y_pos_current", "4"),
        ("y_wave_top", str(WAVE_TOP)),
        ("y_wave_bottom", str(WAVE_BOTTOM)),
        ("y_preview_bmps_top", str(WAVE_TOP)),
        ("y_preview_bmps_bottom", str(WAVE_BOTTOM)),
        ("y_mark_rect_top", str(MARK_TOP)),
        ("y_mark_rect_bottom", str(MARK_BOTTOM)),
        ("axis_timemark_small", "3"),
        ("axis_timemark_middle", "5"),
        ("axis_timemark_big", "8"),
        ("color_focus", hex_colour(t.focus_ring)),
    ]


def view_pictures(t, scale):
    return {
        "view_outside.bmp": stream_tile(t, scale, TILE_WIDTH, t.view_outside, None),
        "view_stream.bmp": stream_tile(t, scale, TILE_WIDTH, t.view_stream, t.view_zero_line),
        "view_cut_middle.bmp": stream_tile(t, scale, TILE_WIDTH, t.view_cut, t.view_cut_zero_line,
                                           t.view_cut_axis),
        "view_cut_edge.bmp": stream_tile(t, scale, 1, t.view_cut, None, t.view_cut_axis,
                                         mark=t.accent),
        "view_curpos.bmp": playhead(t, scale),
        **{empty_description_file(language): empty_description(t, scale, language)
           for language in LANGUAGES},
    }


def font_keys(font):
    """The font, and for Japanese the same in regular weight: the faces that
    give Tahoma its Japanese glyphs have no bold."""
    height, weight, face = font.split(",", 2)
    keys = [("font", font)]
    if weight != "400":
        keys.append((language_key("font", "ja"), "%s,400,%s" % (height, face)))
    return keys


def element_section(t, element, background, pictures):
    """The keys of a button or label; its pictures go into `pictures`."""
    keys = [("position", "%d,%d" % element.pos), ("size", "%d,%d" % element.size)]
    crop = background.crop(element.pos[0], element.pos[1], *element.size)
    if element.looks:
        for state in STATE_KEYS:
            file_name = "%s_%s.bmp" % (element.name, state)
            pictures[file_name] = button_face(crop, element.looks[state], element.icon, state == "do")
            keys.append(("bitmap_" + state, file_name))
        keys.append(("color_focus", hex_colour(t.focus_ring)))
    else:
        for shape in element.icon(*element.size) if element.icon else ():
            crop.fill(shape, t.accent)
        pictures[element.name + ".bmp"] = crop
        keys.append(("bitmap_bg", element.name + ".bmp"))
    if element.caption:
        keys.extend(translated("caption", element.caption))
        keys.extend(font_keys(element.font))
        keys.append(("textHorizontalAlignment", element.align))
        keys.append(("textVerticalAlignment", "center"))
        keys.extend(element.margins.items())
        if element.looks:
            keys.extend((CAPTION_COLOURS[s], hex_colour(element.looks[s].ink)) for s in STATE_KEYS)
        else:
            keys.append(("font_color_up", hex_colour(element.ink)))
    return keys


def edit_section(t):
    return [
        ("position", "%d,%d" % EDIT_RECT[:2]),
        ("size", "%d,%d" % EDIT_RECT[2:]),
        ("font", "-14,400," + FONT_FACE),
        ("color_normal_text", hex_colour(t.text)),
        ("color_normal_bk", hex_colour(t.field)),
        ("color_deact_text", hex_colour(t.text_disabled)),
        ("color_deact_bk", hex_colour(t.field)),
        ("color_focus_text", hex_colour(t.focus_text)),
        ("color_focus_bk", hex_colour(t.field)),
        ("color_ext_top_left", hex_colour(t.frame)),
        ("color_int_top_left", hex_colour(t.field)),
        ("color_ext_bottom_right", hex_colour(t.frame)),
        ("color_int_bottom_right", hex_colour(t.field)),
        ("use_bitmap_bg", "0"),
        ("left_margin", "6"),
        ("right_margin", "6"),
    ]


def build_skin(t, scale):
    """The skin's sections, and its pictures at the scale in percent."""
    sections, pictures = [], {}
    main_face = window_face(t, MAIN_SIZE, TITLE_HEIGHT, scale)
    x0, y0, x1, y1 = VIEW_RECT
    dx, dy = CTRL_ORIGIN
    main_face.fill(outline(rounded_rect(x0 + dx - 0.5, y0 + dy - 0.5, x1 + dx + 0.5, y1 + dy + 0.5, 2),
                           1.0), t.well)
    ctrl_face = main_face.crop(*CTRL_ORIGIN, *CTRL_SIZE)
    main_region = window_region(MAIN_SIZE, scale)
    track_face = window_face(t, TRACK_NAME_SIZE, 0, scale)
    faces = {"main": main_face, "ctrl": ctrl_face, "track_name": track_face}

    pictures["main.bmp"] = main_face
    pictures["main_region.bmp"] = main_region
    sections.append(("[mv_main]", [("vh_ctrl_position", "%d,%d" % CTRL_ORIGIN),
                                   ("bitmap", "main.bmp"), ("region", "main_region.bmp"),
                                   ("title", "Tarvisk")]))
    pictures["ctrl.bmp"] = ctrl_face
    pictures["ctrl_region.bmp"] = main_region.crop(*CTRL_ORIGIN, *CTRL_SIZE)
    sections.append(("[mv_ctrl]", [("bitmap_bg", "ctrl.bmp"), ("region_bg", "ctrl_region.bmp")]))
    sections.append(("[mv_stream_view]", view_section(t)))
    pictures.update(view_pictures(t, scale))
    pictures["track_name.bmp"] = track_face
    pictures["track_name_region.bmp"] = window_region(TRACK_NAME_SIZE, scale)
    sections.append(("[mv_track_name]", [("bitmap", "track_name.bmp"),
                                         ("region", "track_name_region.bmp")]))
    sections.append(("[mv_edt_track_name]", edit_section(t)))
    for element in elements(t):
        sections.append((element.section,
                         element_section(t, element, faces[element.parent], pictures)))
    return sections, pictures


def write_ini(path, title, sections):
    lines = ["; %s. Written by skins/make_skin.py: change the script, not this file." % title, ""]
    for name, keys in sections:
        lines.append(name)
        lines.extend("%s=%s" % key for key in keys)
        lines.append("")
    with open(path, "w", newline="\r\n", encoding="utf-16-le") as out:
        out.write("\ufeff" + "\n".join(lines))


# --- The stream view's built-in cursors. ------------------------------------

CURSOR_SIZE = 32
# The cursor sizes of 100, 150 and 200 % (32, 48 and 64 pixels).
CURSOR_SCALES = (100, 150, 200)


def cursor_picture(parts, accent, scale):
    """White shapes with a black outline; later parts overlap earlier ones."""
    picture = Canvas(CURSOR_SIZE, CURSOR_SIZE, BLACK, alpha=0.0, scale=scale)
    for shape in parts:
        picture.fill(grown(shape, 1.2), BLACK)
        picture.fill(shape, WHITE)
    for shape in accent:
        picture.fill(shape, CURSOR_ACCENT)
    return picture


def open_hand():
    fingers = [segment(11.5, 8, 11.5, 17, 1.9), segment(15.5, 5, 15.5, 16, 1.9),
               segment(19.5, 6, 19.5, 16, 1.9), segment(23, 9.5, 23, 17, 1.7)]
    palm = union(rounded_rect(9.5, 14, 24.5, 27, 4.5), segment(10, 22, 5.5, 15.5, 1.9))
    return fingers + [palm]


def closed_hand():
    knuckles = [segment(11.5, 13, 11.5, 15, 1.9), segment(15.5, 12, 15.5, 15, 1.9),
                segment(19.5, 12, 19.5, 15, 1.9), segment(23, 13.5, 23, 16, 1.7)]
    palm = union(rounded_rect(9.5, 14, 24.5, 27, 4.5), segment(10, 20, 8, 17, 1.9))
    return knuckles + [palm]


def double_arrow(y, reach, gap):
    """Arrow heads pointing out to the left and right of the centre."""
    cx = CURSOR_SIZE / 2
    left = polygon([(cx - reach, y), (cx - gap, y - 5), (cx - gap, y + 5)], 0.3)
    return [left, mirrored(left, CURSOR_SIZE)]


def move_cut(filled):
    box = rounded_rect(11, 10, 21, 22, 1.5)
    accent = [rounded_rect(13, 12, 19, 20, 0.5)] if filled else []
    return double_arrow(16, 14, 7) + [box], accent


def resize_edge():
    bar = rounded_rect(15, 5, 17, 27, 0.5)
    return double_arrow(16, 13, 4) + [bar]


def slider_set():
    head = polygon([(11, 3), (21, 3), (16, 9)], 0.3)
    return [rounded_rect(15.2, 6, 16.8, 29, 0.3), head]


# Roles of the stream view, each with its hotspot.
CURSORS = {
    "stream_over.cur": (open_hand(), (), (16, 16)),
    "stream_drag.cur": (closed_hand(), (), (16, 18)),
    "cut_over.cur": (*move_cut(False), (16, 16)),
    "cut_drag.cur": (*move_cut(True), (16, 16)),
    "cut_resize.cur": (resize_edge(), (), (16, 16)),
    "slider_set.cur": (slider_set(), (), (16, 16)),
}


def main():
    for theme in THEMES:
        folder = os.path.join(SKINS_DIR, theme.name)
        os.makedirs(folder, exist_ok=True)
        for scale in SCALES:
            sections, pictures = build_skin(theme, scale)
            scale_folder = folder if scale == 100 else os.path.join(folder, str(scale))
            os.makedirs(scale_folder, exist_ok=True)
            if scale == 100:
                write_ini(os.path.join(folder, "skin.ini"), theme.title, sections)
            for file_name, picture in sorted(pictures.items()):
                write_bmp(os.path.join(scale_folder, file_name), picture)
    write_cursors()


def write_cursors():
    os.makedirs(CURSOR_DIR, exist_ok=True)
    for file_name, (parts, accent, hotspot) in CURSORS.items():
        images = [(cursor_picture(parts, accent, scale), [px(v, scale) for v in hotspot])
                  for scale in CURSOR_SCALES]
        write_cur(os.path.join(CURSOR_DIR, file_name), images)


if __name__ == "__main__":
    main()
