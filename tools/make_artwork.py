#!/usr/bin/python3
"""Draws the editor's 27 bitmaps into resources/<id>.bmp (24-bit, uncompressed).

Needs Pillow (Debian's python3-pil) and DejaVu fonts (fonts-dejavu-core). Pure white is the
toolkit's transparent colour: it appears only around handles, bars and strips, never on the
panel, switches, buttons or the about image."""
import os
import sys

from PIL import Image, ImageDraw, ImageFont

FONTS = "/usr/share/fonts/truetype/dejavu/"
WHITE = (255, 255, 255)

PANEL = (28, 31, 38)
SECTION = (37, 42, 52)
GROOVE = (16, 18, 22)
LABEL = (196, 201, 210)
DIM = (128, 134, 146)
ACCENT = (232, 166, 72)
BLUE = (96, 150, 220)
TEAL = (80, 196, 180)
ORANGE = (236, 140, 60)
HARD = (236, 120, 96)   # H: the hardest notes
SOFT = (110, 170, 240)  # L: the softest notes


def font(size, bold=False, condensed=True):
    name = "DejaVuSans%s%s.ttf" % ("Condensed" if condensed else "", "-Bold" if bold else "")
    return ImageFont.truetype(os.path.join(FONTS, name), size)


SMALL = font(8)
LABELS = font(9)
TITLE = font(9, bold=True)


def save(image, directory, number, transparent=False):
    image = image.convert("RGB")
    if not transparent:
        # White is reserved for transparency.
        pixels = image.load()
        for y in range(image.height):
            for x in range(image.width):
                if pixels[x, y] == WHITE:
                    pixels[x, y] = (250, 250, 250)
    image.save(os.path.join(directory, "%d.bmp" % number), "BMP")


def text(draw, xy, s, fill=LABEL, f=LABELS, anchor="la"):
    draw.text(xy, s, fill=fill, font=f, anchor=anchor)


# Control rectangles (left, top, right, bottom), as the editor builds them.
H_ROWS = {  # the three envelope blocks: x of the rows, x of the sustain pair, env bar x
    "Filtre1": (301, 399, 402, 418),
    "Filtre2": (441, 539, 542, 558),
    "Ampli": (581, 679, 682, 698),
}


def groove_h(draw, rect):
    l, t, r, b = rect
    mid = (t + b) // 2
    draw.rectangle((l + 1, mid - 1, r - 2, mid), fill=GROOVE)


def groove_v(draw, rect):
    l, t, r, b = rect
    mid = (l + r) // 2
    draw.rectangle((mid - 1, t + 1, mid, b - 2), fill=GROOVE)


def box(draw, rect, title=None, colour=ACCENT):
    draw.rounded_rectangle(rect, radius=4, fill=SECTION, outline=(52, 58, 70))
    if title:
        text(draw, (rect[0] + 5, rect[1] + 1), title, fill=colour, f=TITLE)


def track_label(draw, rect, s):
    """A dim label inside a 20-pixel slider track, right-aligned."""
    l, t, r, b = rect
    text(draw, (r - 3, t + 1), s, fill=DIM, f=SMALL, anchor="ra")


def panel(directory):
    img = Image.new("RGB", (720, 320), PANEL)
    d = ImageDraw.Draw(img)

    # Sections.
    box(d, (58, 0, 290, 172), None)
    box(d, (294, 0, 439, 302), None)
    box(d, (440, 0, 575, 302), None)
    box(d, (577, 0, 716, 302), None)
    box(d, (18, 164, 146, 262), None)
    box(d, (154, 164, 230, 262), None)
    box(d, (234, 164, 270, 262), None)
    text(d, (106, 1), "OSCILLATOR", fill=ACCENT, f=TITLE)
    text(d, (298, 1), "FILTRE 1", fill=BLUE, f=TITLE)
    text(d, (440, 1), "FILTRE 2", fill=TEAL, f=TITLE)
    text(d, (580, 1), "OUTPUT", fill=ORANGE, f=TITLE)
    text(d, (22, 165), "PITCH ENV", fill=ACCENT, f=TITLE)
    text(d, (158, 165), "LFO", fill=ACCENT, f=TITLE)
    text(d, (236, 165), "GLIDE", fill=ACCENT, f=SMALL)

    # Oscillator: timbre pair, lane weights and ratios.
    text(d, (166, 9), "timbre", fill=DIM, f=SMALL, anchor="ra")
    for rect, s in (((162, 21, 282, 41), "Timbre High"), ((162, 41, 282, 61), "Timbre Low")):
        groove_h(d, rect)
        track_label(d, rect, s)
    for (l, t, r, b), s in (((66, 81, 82, 161), "Ratios"), ((120, 81, 136, 161), "Weights")):
        groove_v(d, (l, t, r, b))
        text(d, ((l + r) // 2, 70), s, fill=LABEL, f=SMALL, anchor="ma")
    text(d, (101, 116), "lanes", fill=DIM, f=SMALL, anchor="ma")
    text(d, (220, 63), "Osc Type", fill=LABEL, f=SMALL, anchor="ma")

    # Filters: resonance, type, drive, LFO amount, cutoff, envelope.
    for name, x0, colour in (("Filtre1", 300, BLUE), ("Filtre2", 440, TEAL)):
        right = 420 if x0 == 300 else 558
        text(d, (x0 + 8, 9), "reso", fill=DIM, f=SMALL, anchor="ra")
        top = 21 if x0 == 300 else 20
        for rect, s in (((x0, top, right, top + 20), "Reso High"), ((x0, 40, right, 60), "Reso Low")):
            groove_h(d, rect)
            track_label(d, rect, s)
        text(d, (x0 + 50 if x0 == 300 else x0 + 70, 63), "Type", fill=LABEL, f=SMALL, anchor="ma")
        lfo = (x0, 160, x0 + 40, 180)
        groove_h(d, lfo)
        text(d, (x0 + 43, 164), "LFO amount", fill=LABEL, f=SMALL)
        for rect, s in (((x0 + (1 if x0 == 300 else 0), 180, right + (1 if x0 == 300 else 0), 200), "Freq High"),
                        ((x0 + (1 if x0 == 300 else 0), 200, right + (1 if x0 == 300 else 0), 220), "Freq Low")):
            groove_h(d, rect)
            track_label(d, rect, s)
        text(d, (x0 + 1, 231), "ENVELOPE", fill=colour, f=SMALL)
    # Overdrive pairs beside the filter types.
    for x, s in ((422, "Drive 1"), (582, "Drive 2")):
        groove_v(d, (x, 80, x + 8, 158))
        groove_v(d, (x + 8, 80, x + 16, 158))
        text(d, (x + 8, 63), s, fill=LABEL, f=SMALL, anchor="ma")
        text(d, (x + 4, 158), "L", fill=SOFT, f=SMALL, anchor="ma")
        text(d, (x + 12, 158), "H", fill=HARD, f=SMALL, anchor="ma")

    # Envelope blocks: attack, decay, release rows (H above L) and the sustain pair.
    for name, (l, r, sl, sr) in H_ROWS.items():
        for top, letter in ((242, "A"), (262, "D"), (282, "R")):
            groove_h(d, (l, top, r, top + 8))
            groove_h(d, (l, top + 8, r, top + 16))
        text(d, (l - 1, 299), "attack decay release", fill=DIM, f=SMALL)
        groove_v(d, (sl, 241, sl + 8, 299))
        groove_v(d, (sl + 8, 241, sr, 299))
        text(d, ((sl + sr) // 2, 231), "S", fill=LABEL, f=SMALL, anchor="ma")
    for top, letter in ((242, "A"), (262, "D"), (282, "R")):
        for x in (292, 432, 572):
            text(d, (x, top + 3), letter, fill=LABEL, f=SMALL)
    text(d, (581, 231), "AMPLITUDE", fill=ORANGE, f=SMALL)

    # Output: voices, gain, pan.
    text(d, (640, 28), "Voices", fill=LABEL, f=SMALL, anchor="ma")
    for rect, s in (((600, 180, 680, 200), "Gain"), ((580, 200, 680, 220), "Pan")):
        groove_h(d, rect)
        track_label(d, rect, s)
    text(d, (612, 110), "velocity:", fill=DIM, f=SMALL)
    text(d, (612, 120), "H hard", fill=HARD, f=SMALL)
    text(d, (612, 130), "L soft", fill=SOFT, f=SMALL)

    # LFO and glide.
    for (l, t, r, b) in ((162, 180, 182, 260), (202, 180, 222, 260), (242, 180, 262, 260)):
        groove_v(d, (l, t, r, b))
    groove_v(d, (184, 181, 192, 260))
    groove_v(d, (193, 181, 201, 260))
    text(d, (172, 252), "Dly", fill=DIM, f=SMALL, anchor="ma")
    text(d, (192, 252), "Dep", fill=DIM, f=SMALL, anchor="ma")
    text(d, (212, 252), "Spd", fill=DIM, f=SMALL, anchor="ma")
    text(d, (252, 252), "Port", fill=DIM, f=SMALL, anchor="ma")

    # Pitch envelope: start pair, attack rows, release rows, end pair.
    for rect in ((42, 183, 120, 191), (42, 191, 120, 199), (42, 223, 120, 231), (42, 231, 120, 239)):
        groove_h(d, rect)
    for rect in ((24, 182, 32, 240), (32, 182, 40, 240), (124, 182, 132, 240), (132, 182, 140, 240)):
        groove_v(d, rect)
    text(d, (80, 201), "attack", fill=LABEL, f=SMALL, anchor="ma")
    text(d, (80, 211), "release", fill=LABEL, f=SMALL, anchor="ma")
    text(d, (32, 243), "start", fill=LABEL, f=SMALL, anchor="ma")
    text(d, (132, 243), "end", fill=LABEL, f=SMALL, anchor="ma")

    # The about strip (click shows the about image) and the meter's corner.
    d.rounded_rectangle((4, 272, 256, 316), radius=5, fill=(22, 24, 30), outline=(60, 66, 80))
    text(d, (14, 276), "ORVALIS", fill=ACCENT, f=font(20, bold=True, condensed=False))
    text(d, (150, 280), "par Tavrelin", fill=LABEL, f=LABELS)
    text(d, (150, 294), "click for about", fill=DIM, f=SMALL)
    text(d, (22, 62), "load, ns/sample", fill=DIM, f=SMALL)
    save(img, directory, 10001)


def knob(directory, number, colour):
    img = Image.new("RGB", (16, 16), WHITE)
    d = ImageDraw.Draw(img)
    d.ellipse((0, 0, 15, 15), fill=(20, 20, 24))
    d.ellipse((2, 2, 13, 13), fill=colour)
    d.rectangle((7, 3, 8, 12), fill=(24, 24, 28))
    save(img, directory, number, transparent=True)


LETTER = {  # 3 x 5 pixel letters for the H and L handles
    "H": ["X.X", "X.X", "XXX", "X.X", "X.X"],
    "L": ["X..", "X..", "X..", "X..", "XXX"],
}


def put_letter(img, letter, x0, y0, colour):
    for y, row in enumerate(LETTER[letter]):
        for x, c in enumerate(row):
            if c == "X":
                img.putpixel((x0 + x, y0 + y), colour)


def flat_handle(directory, number, letter, colour, vertical):
    size = (8, 16) if vertical else (16, 8)
    img = Image.new("RGB", size, WHITE)
    d = ImageDraw.Draw(img)
    d.rectangle((0, 0, size[0] - 1, size[1] - 1), fill=(18, 18, 22))
    d.rectangle((1, 1, size[0] - 2, size[1] - 2), fill=colour)
    if vertical:
        put_letter(img, letter, 2, 5, (18, 18, 22))
    else:
        put_letter(img, letter, 6, 1, (18, 18, 22))
    save(img, directory, number, transparent=True)


def arrow(directory):
    img = Image.new("RGB", (16, 5), WHITE)
    d = ImageDraw.Draw(img)
    d.polygon([(0, 0), (11, 0), (15, 2), (11, 4), (0, 4)], fill=ACCENT)
    save(img, directory, 10500, transparent=True)


def switch(directory, number, names, width, item_height, colour):
    frames = len(names)
    frame_h = 80 if number != 10105 else 40
    img = Image.new("RGB", (width, frame_h * frames), SECTION)
    d = ImageDraw.Draw(img)
    for k in range(frames):
        top = k * frame_h
        d.rectangle((0, top, width - 1, top + frame_h - 1), fill=(20, 22, 28), outline=(60, 66, 80))
        if number == 10105:
            cell = width // frames
            text(d, (width // 2, top + 2), "", f=SMALL)
            for i, s in enumerate(names):
                x = i * cell
                if i == k:
                    d.rectangle((x + 2, top + 8, x + cell - 3, top + 32), fill=colour)
                text(d, (x + cell // 2, top + 13), s, fill=(20, 22, 28) if i == k else LABEL, f=TITLE,
                     anchor="ma")
        else:
            for i, s in enumerate(names):
                y = top + 3 + i * item_height
                if i == k:
                    d.rectangle((2, y - 1, width - 3, y + item_height - 3), fill=colour)
                text(d, (width // 2, y), s, fill=(20, 22, 28) if i == k else LABEL, f=TITLE, anchor="ma")
    save(img, directory, number)


def button(directory, number, label):
    img = Image.new("RGB", (60, 40), PANEL)
    d = ImageDraw.Draw(img)
    for k, (fill, ink) in enumerate(((SECTION, LABEL), (ACCENT, (20, 22, 28)))):
        top = k * 20
        d.rounded_rectangle((1, top + 1, 58, top + 18), radius=4, fill=fill, outline=(70, 76, 90))
        text(d, (30, top + 5), label, fill=ink, f=TITLE, anchor="ma")
    save(img, directory, number)


def about(directory):
    img = Image.new("RGB", (220, 160), (22, 24, 30))
    d = ImageDraw.Draw(img)
    d.rectangle((0, 0, 219, 159), outline=ACCENT)
    text(d, (110, 14), "ORVALIS", fill=ACCENT, f=font(26, bold=True, condensed=False), anchor="ma")
    text(d, (110, 50), "eight-voice synthesizer", fill=LABEL, f=LABELS, anchor="ma")
    text(d, (110, 64), "six oscillator modes, two filters", fill=DIM, f=SMALL, anchor="ma")
    text(d, (110, 76), "per chain, two saturators", fill=DIM, f=SMALL, anchor="ma")
    text(d, (110, 98), "par Tavrelin", fill=LABEL, f=TITLE, anchor="ma")
    text(d, (110, 112), "version 1.0", fill=DIM, f=SMALL, anchor="ma")
    text(d, (110, 140), "click to close", fill=DIM, f=SMALL, anchor="ma")
    save(img, directory, 10300)


def level_bar(directory, number, colour):
    img = Image.new("RGB", (6, 80), WHITE)
    for y in range(80):
        # Brightest at the top row: the visible part of the bar is always its top.
        f = 1.0 - 0.6 * y / 79
        c = tuple(min(250, int(v * f + 30 * (1 - f))) for v in colour)
        for x in range(1, 5):
            img.putpixel((x, y), c)
    save(img, directory, number, transparent=True)


def strip(directory, number, colour):
    img = Image.new("RGB", (240, 8), WHITE)
    d = ImageDraw.Draw(img)
    d.rectangle((0, 1, 239, 6), fill=tuple(int(v * 0.55) for v in colour))
    d.rectangle((0, 3, 239, 4), fill=colour)
    d.rectangle((119, 0, 121, 7), fill=(250, 226, 70))  # the marker, centred on column 120
    save(img, directory, number, transparent=True)


def main(directory):
    os.makedirs(directory, exist_ok=True)
    panel(directory)
    knob(directory, 10002, ORANGE)
    knob(directory, 10003, (170, 150, 220))
    knob(directory, 10004, ACCENT)
    knob(directory, 10006, (150, 200, 120))
    knob(directory, 10008, BLUE)
    for number, letter, vertical in ((10023, "H", False), (10024, "H", False), (10025, "H", False),
                                     (10033, "L", False), (10034, "L", False), (10035, "L", False),
                                     (10042, "H", True), (10052, "L", True)):
        flat_handle(directory, number, letter, HARD if letter == "H" else SOFT, vertical)
    arrow(directory)
    switch(directory, 10100, ["Pulse", "SupSaw", "FM1", "FM2", "FM3", "WaveTable"], 120, 12, ACCENT)
    switch(directory, 10101, ["Flat", "LowPass", "EQ", "Shelving", "HighPass"], 100, 15, BLUE)
    switch(directory, 10106, ["Flat", "LowPass", "EQ", "Shelving", "HighPass"], 100, 15, TEAL)
    switch(directory, 10105, ["1", "2", "4", "8"], 80, 0, ORANGE)
    button(directory, 10200, "COPY")
    button(directory, 10201, "PASTE")
    about(directory)
    level_bar(directory, 10402, BLUE)
    level_bar(directory, 10400, TEAL)
    level_bar(directory, 10404, ORANGE)
    strip(directory, 10403, BLUE)
    strip(directory, 10401, TEAL)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "resources")
