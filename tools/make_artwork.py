#!/usr/bin/python3
"""Draws the editor's 27 bitmaps (24-bit, uncompressed) twice: at 1x into resources/<id>.bmp and
at 2x, with fonts and lines at twice the size, into resources/2x/<id>.bmp. Writes every text it
draws, with the panels of the main image, to resources/artwork_labels.h, so that a test can check
each label against the controls and measure its contrast from the pixels.

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
EDGE = (52, 58, 70)
INK = (20, 22, 28)
STRIP = (22, 24, 30)
LABEL = (196, 201, 210)
# Small text is thin: its strokes reach only about three quarters of their colour at 1x, so the
# secondary labels and the coloured small ones are light enough to keep 4.5:1 even there.
DIM = (182, 190, 204)
ACCENT = (232, 166, 72)
BLUE = (96, 150, 220)
TEAL = (80, 196, 180)
ORANGE = (236, 140, 60)
HARD = (236, 120, 96)   # H: the hardest notes
SOFT = (110, 170, 240)  # L: the softest notes
BLUE_TEXT = (150, 190, 245)
ORANGE_TEXT = (250, 172, 110)
HARD_TEXT = (255, 176, 156)
SOFT_TEXT = (150, 196, 250)

SMALL, LABELS, TITLE = (8, False), (9, False), (9, True)


def font(face, scale, condensed=True):
    size, bold = face
    name = "DejaVuSans%s%s.ttf" % ("Condensed" if condensed else "", "-Bold" if bold else "")
    return ImageFont.truetype(os.path.join(FONTS, name), size * scale)


class Canvas:
    """One bitmap drawn from 1x coordinates at a scale: a 1x pixel becomes s x s pixels, lines are
    s pixels wide and fonts s times the size. Rectangles take inclusive corners, as Pillow's do."""

    def __init__(self, number, size, background, scale, labels):
        self.number, self.s, self.labels = number, scale, labels
        self.image = Image.new("RGB", (size[0] * scale, size[1] * scale), background)
        self.draw = ImageDraw.Draw(self.image)

    def box(self, rect):
        l, t, r, b = rect
        s = self.s
        return (l * s, t * s, (r + 1) * s - 1, (b + 1) * s - 1)

    def rectangle(self, rect, fill=None, outline=None):
        self.draw.rectangle(self.box(rect), fill=fill, outline=outline, width=self.s)

    def rounded(self, rect, radius, fill=None, outline=None):
        self.draw.rounded_rectangle(self.box(rect), radius=radius * self.s, fill=fill,
                                    outline=outline, width=self.s)

    def ellipse(self, rect, fill):
        self.draw.ellipse(self.box(rect), fill=fill)

    def text(self, xy, s, fill=LABEL, f=LABELS, anchor="la", panel="", on="", condensed=True):
        """Draws s with its anchor at the 1x point xy and records where its ink landed."""
        face = font(f, self.s, condensed)
        at = (xy[0] * self.s, xy[1] * self.s)
        self.draw.text(at, s, fill=fill, font=face, anchor=anchor)
        # The ink's own box, from the glyphs drawn alone into a mask.
        l, t, r, b = self.draw.textbbox(at, s, font=face, anchor=anchor)
        mask = Image.new("L", (r - l + 4, b - t + 4), 0)
        ImageDraw.Draw(mask).text((at[0] - l + 2, at[1] - t + 2), s, fill=255, font=face,
                                  anchor=anchor)
        ink = mask.getbbox()
        if ink:
            rect = (l - 2 + ink[0], t - 2 + ink[1], l - 2 + ink[2], t - 2 + ink[3])
            self.labels.append((self.s, self.number, s, panel, on, rect))

    def save(self, directory, transparent=False):
        image = self.image
        if not transparent:
            # White is reserved for transparency.
            image = image.copy()
            image.putdata([(250, 250, 250) if p == WHITE else p for p in image.getdata()])
        image.save(os.path.join(directory, "%d.bmp" % self.number), "BMP")


# The panels of the main image, as drawn boxes (inclusive corners) or plain areas of the
# background (exclusive corners). Every label of the main image names the panel it belongs to.
BOXES = {
    "oscillator": (61, 0, 290, 162),
    "filtre1": (294, 0, 439, 311),
    "filtre2": (440, 0, 576, 311),
    "output": (577, 0, 716, 311),
    "pitch": (18, 164, 146, 270),
    "lfo": (154, 164, 230, 270),
    "glide": (234, 164, 270, 270),
}
ABOUT_STRIP = (4, 272, 256, 316)
AREAS = {"program": (0, 0, 61, 164)}  # the meter and the copy and paste buttons


def panel_rects(scale):
    """Each panel's inside (exclusive corners, at the scale): a box without its border line."""
    rects = {}
    for name, (l, t, r, b) in list(BOXES.items()) + [("about", ABOUT_STRIP)]:
        rects[name] = ((l + 1) * scale, (t + 1) * scale, r * scale, b * scale)
    for name, (l, t, r, b) in AREAS.items():
        rects[name] = (l * scale, t * scale, r * scale, b * scale)
    return rects


# The three envelope blocks: x of the rows' left and right, x of the sustain pair's left and
# right, x of the stage letters right of the level bar.
ENVELOPES = {
    "filtre1": (301, 399, 402, 418, 432),
    "filtre2": (441, 539, 542, 558, 569),
    "output": (581, 679, 682, 698, 709),
}


def groove_h(c, rect):
    l, t, r, b = rect
    mid = (t + b) // 2
    c.rectangle((l + 1, mid - 1, r - 2, mid), fill=GROOVE)


def groove_v(c, rect):
    l, t, r, b = rect
    mid = (l + r) // 2
    c.rectangle((mid - 1, t + 1, mid, b - 2), fill=GROOVE)


def section(c, rect):
    c.rounded(rect, 4, fill=SECTION, outline=EDGE)


def side_label(c, slider, s, panel, left=True):
    """A label beside a horizontal slider (exclusive corners), clear of its handle's travel."""
    l, t, r, b = slider
    if left:
        c.text((l - 3, (t + b) // 2), s, fill=DIM, f=SMALL, anchor="rm", panel=panel)
    else:
        c.text((r + 1, (t + b) // 2), s, fill=DIM, f=SMALL, anchor="lm", panel=panel)


def panel(directory, scale, labels):
    c = Canvas(10001, (720, 320), PANEL, scale, labels)

    for name, rect in BOXES.items():
        section(c, rect)
    c.text((106, 1), "OSCILLATOR", fill=ACCENT, f=TITLE, panel="oscillator")
    c.text((298, 1), "FILTRE 1", fill=BLUE, f=TITLE, panel="filtre1")
    c.text((444, 1), "FILTRE 2", fill=TEAL, f=TITLE, panel="filtre2")
    c.text((580, 1), "OUTPUT", fill=ORANGE, f=TITLE, panel="output")
    c.text((22, 165), "PITCH ENV", fill=ACCENT, f=TITLE, panel="pitch")
    c.text((158, 165), "LFO", fill=ACCENT, f=TITLE, panel="lfo")
    c.text((236, 165), "GLIDE", fill=ACCENT, f=SMALL, panel="glide")

    # Oscillator: the timbre range and pair, lane ratios and weights, the type.
    c.text((166, 10), "timbre", fill=DIM, f=SMALL, anchor="ra", panel="oscillator")
    for rect, s in (((162, 21, 282, 41), "High"), ((162, 41, 282, 61), "Low")):
        groove_h(c, rect)
        side_label(c, rect, s, "oscillator")
    for (l, t, r, b), s in (((66, 81, 82, 161), "Ratios"), ((120, 81, 136, 161), "Weights")):
        groove_v(c, (l, t, r, b))
        c.text(((l + r) // 2, 70), s, fill=LABEL, f=SMALL, anchor="ma", panel="oscillator")
    c.text((101, 116), "lanes", fill=DIM, f=SMALL, anchor="ma", panel="oscillator")
    c.text((220, 63), "Osc Type", fill=LABEL, f=SMALL, anchor="ma", panel="oscillator")

    # Filters: resonance range and pair, type, LFO amount, cutoff pair and range, envelope.
    for name, x0, colour in (("filtre1", 300, BLUE_TEXT), ("filtre2", 440, TEAL)):
        right = 420 if name == "filtre1" else 558
        reso_top = 21 if name == "filtre1" else 20
        freq = (301, 421) if name == "filtre1" else (440, 558)
        lfo = (300, 340) if name == "filtre1" else (460, 500)
        c.text((x0 + 115, 14), "reso", fill=DIM, f=SMALL, anchor="lm", panel=name)
        reso = (((x0, reso_top, right, reso_top + 20), "High"), ((x0, 40, right, 60), "Low"))
        for rect, s in reso:
            groove_h(c, rect)
            side_label(c, rect, s, name, left=False)
        c.text((x0 + 50 if name == "filtre1" else x0 + 70, 63), "Type", fill=LABEL, f=SMALL,
               anchor="ma", panel=name)
        groove_h(c, (lfo[0], 160, lfo[1], 180))
        c.text((lfo[1] + 3, 164), "LFO amount", fill=LABEL, f=SMALL, panel=name)
        cutoff = (((freq[0], 180, freq[1], 200), "High"), ((freq[0], 200, freq[1], 220), "Low"))
        for rect, s in cutoff:
            groove_h(c, rect)
            side_label(c, rect, s, name, left=False)
        c.text((x0 + 115, 226), "freq", fill=DIM, f=SMALL, anchor="lm", panel=name)
        c.text((x0 + 1, 231), "ENVELOPE", fill=colour, f=SMALL, panel=name)
    # Overdrive pairs: L and H under each, then the name.
    for x, s, name in ((422, "Drive 1", "filtre1"), (582, "Drive 2", "output")):
        groove_v(c, (x, 80, x + 8, 158))
        groove_v(c, (x + 8, 80, x + 16, 158))
        c.text((x + 4, 158), "L", fill=SOFT_TEXT, f=SMALL, anchor="ma", panel=name)
        c.text((x + 12, 158), "H", fill=HARD_TEXT, f=SMALL, anchor="ma", panel=name)
        if name == "filtre1":
            c.text((x + 15, 168), s, fill=LABEL, f=SMALL, anchor="ra", panel=name)
        else:
            c.text((x - 1, 168), s, fill=LABEL, f=SMALL, panel=name)

    # Envelope blocks: attack, decay, release rows (H above L), their letters right of the level
    # bar, and the sustain pair.
    for name, (l, r, sl, sr, letters) in ENVELOPES.items():
        for top, letter in ((242, "A"), (262, "D"), (282, "R")):
            groove_h(c, (l, top, r, top + 8))
            groove_h(c, (l, top + 8, r, top + 16))
            c.text((letters, top + 3), letter, fill=LABEL, f=SMALL, panel=name)
        c.text((l, 299), "attack decay release", fill=DIM, f=SMALL, panel=name)
        groove_v(c, (sl, 241, sl + 8, 299))
        groove_v(c, (sl + 8, 241, sr, 299))
        c.text(((sl + sr) // 2, 231), "S", fill=LABEL, f=SMALL, anchor="ma", panel=name)
    c.text((581, 231), "AMPLITUDE", fill=ORANGE_TEXT, f=SMALL, panel="output")

    # Output: voices, gain, pan, the velocity legend.
    c.text((640, 28), "Voices", fill=LABEL, f=SMALL, anchor="ma", panel="output")
    for rect, s in (((600, 180, 680, 200), "Gain"), ((580, 200, 680, 220), "Pan")):
        groove_h(c, rect)
        side_label(c, rect, s, "output", left=False)
    c.text((612, 110), "velocity:", fill=DIM, f=SMALL, panel="output")
    c.text((612, 120), "H hard", fill=HARD_TEXT, f=SMALL, panel="output")
    c.text((612, 130), "L soft", fill=SOFT_TEXT, f=SMALL, panel="output")

    # LFO and glide, named under their sliders.
    for (l, t, r, b) in ((162, 180, 182, 260), (202, 180, 222, 260), (242, 180, 262, 260)):
        groove_v(c, (l, t, r, b))
    groove_v(c, (184, 181, 192, 260))
    groove_v(c, (193, 181, 201, 260))
    for x, s, name in ((172, "Dly", "lfo"), (192, "Dep", "lfo"), (212, "Spd", "lfo"),
                       (252, "Port", "glide")):
        c.text((x, 259), s, fill=DIM, f=SMALL, anchor="ma", panel=name)

    # Pitch envelope: start pair, attack rows, release rows, end pair.
    for rect in ((42, 183, 120, 191), (42, 191, 120, 199), (42, 223, 120, 231), (42, 231, 120, 239)):
        groove_h(c, rect)
    for rect in ((24, 182, 32, 240), (32, 182, 40, 240), (124, 182, 132, 240), (132, 182, 140, 240)):
        groove_v(c, rect)
    c.text((80, 201), "attack", fill=LABEL, f=SMALL, anchor="ma", panel="pitch")
    c.text((80, 211), "release", fill=LABEL, f=SMALL, anchor="ma", panel="pitch")
    c.text((32, 243), "start", fill=LABEL, f=SMALL, anchor="ma", panel="pitch")
    c.text((132, 243), "end", fill=LABEL, f=SMALL, anchor="ma", panel="pitch")

    # The about strip (a click shows the about image) and the meter's unit.
    c.rounded(ABOUT_STRIP, 5, fill=STRIP, outline=(60, 66, 80))
    c.text((14, 276), "ORVALIS", fill=ACCENT, f=(20, True), panel="about", on="about",
           condensed=False)
    c.text((150, 280), "par Tavrelin", fill=LABEL, f=LABELS, panel="about", on="about")
    c.text((150, 294), "click for about", fill=DIM, f=SMALL, panel="about", on="about")
    c.text((2, 61), "load, ns/sample", fill=DIM, f=SMALL, panel="program")
    c.save(directory)


def knob(directory, scale, number, colour, labels):
    c = Canvas(number, (16, 16), WHITE, scale, labels)
    c.ellipse((0, 0, 15, 15), fill=(20, 20, 24))
    c.ellipse((2, 2, 13, 13), fill=colour)
    c.rectangle((7, 3, 8, 12), fill=(24, 24, 28))
    c.save(directory, transparent=True)


LETTER = {  # 3 x 5 pixel letters for the H and L handles at 1x
    "H": ["X.X", "X.X", "XXX", "X.X", "X.X"],
    "L": ["X..", "X..", "X..", "X..", "XXX"],
}
LETTER_2X = {  # the same letters drawn for 2x: 6 x 10 with two-pixel stems and a lighter bar
    "H": ["XX..XX"] * 4 + ["XXXXXX"] * 2 + ["XX..XX"] * 4,
    "L": ["XX...."] * 8 + ["XXXXXX"] * 2,
}


def put_letter(c, letter, x0, y0, colour):
    """A handle's letter with its top-left at the 1x pixel x0, y0."""
    rows = LETTER[letter] if c.s == 1 else LETTER_2X[letter]
    for y, row in enumerate(rows):
        for x, mark in enumerate(row):
            if mark == "X":
                c.image.putpixel((x0 * c.s + x, y0 * c.s + y), colour)


def flat_handle(directory, scale, number, letter, colour, vertical, labels):
    size = (8, 16) if vertical else (16, 8)
    c = Canvas(number, size, WHITE, scale, labels)
    c.rectangle((0, 0, size[0] - 1, size[1] - 1), fill=(18, 18, 22))
    c.rectangle((1, 1, size[0] - 2, size[1] - 2), fill=colour)
    if vertical:
        put_letter(c, letter, 2, 5, (18, 18, 22))
    else:
        put_letter(c, letter, 6, 1, (18, 18, 22))
    c.save(directory, transparent=True)


def arrow(directory, scale, labels):
    c = Canvas(10500, (16, 5), WHITE, scale, labels)
    if scale == 1:
        points = [(0, 0), (11, 0), (15, 2), (11, 4), (0, 4)]
    else:
        points = [(0, 0), (23, 0), (31, 4), (31, 5), (23, 9), (0, 9)]
    c.draw.polygon(points, fill=ACCENT)
    c.save(directory, transparent=True)


def switch(directory, scale, number, names, width, item_height, colour, labels):
    frames = len(names)
    frame_h = 80 if number != 10105 else 40
    c = Canvas(number, (width, frame_h * frames), SECTION, scale, labels)
    for k in range(frames):
        top = k * frame_h
        c.rectangle((0, top, width - 1, top + frame_h - 1), fill=INK, outline=(60, 66, 80))
        if number == 10105:
            cell = width // frames
            for i, s in enumerate(names):
                x = i * cell
                if i == k:
                    c.rectangle((x + 2, top + 8, x + cell - 3, top + 32), fill=colour)
                c.text((x + cell // 2, top + 13), s, fill=INK if i == k else LABEL, f=TITLE,
                       anchor="ma")
        else:
            for i, s in enumerate(names):
                y = top + 3 + i * item_height
                if i == k:
                    c.rectangle((2, y - 1, width - 3, y + item_height - 3), fill=colour)
                c.text((width // 2, y), s, fill=INK if i == k else LABEL, f=TITLE, anchor="ma")
    c.save(directory)


def button(directory, scale, number, label, labels):
    c = Canvas(number, (60, 40), PANEL, scale, labels)
    for k, (fill, ink) in enumerate(((SECTION, LABEL), (ACCENT, INK))):
        top = k * 20
        c.rounded((1, top + 1, 58, top + 18), 4, fill=fill, outline=(70, 76, 90))
        c.text((30, top + 5), label, fill=ink, f=TITLE, anchor="ma")
    c.save(directory)


def about(directory, scale, labels):
    c = Canvas(10300, (220, 160), STRIP, scale, labels)
    c.rectangle((0, 0, 219, 159), outline=ACCENT)
    c.text((110, 14), "ORVALIS", fill=ACCENT, f=(26, True), anchor="ma", condensed=False)
    c.text((110, 50), "eight-voice synthesizer", fill=LABEL, f=LABELS, anchor="ma")
    c.text((110, 64), "six oscillator modes, two filters", fill=DIM, f=SMALL, anchor="ma")
    c.text((110, 76), "per chain, two saturators", fill=DIM, f=SMALL, anchor="ma")
    c.text((110, 98), "par Tavrelin", fill=LABEL, f=TITLE, anchor="ma")
    c.text((110, 112), "version 1.0", fill=DIM, f=SMALL, anchor="ma")
    c.text((110, 140), "click to close", fill=DIM, f=SMALL, anchor="ma")
    c.save(directory)


def level_bar(directory, scale, number, colour, labels):
    c = Canvas(number, (6, 80), WHITE, scale, labels)
    rows = 80 * scale
    for y in range(rows):
        # Brightest at the top row: the visible part of the bar is always its top.
        f = 1.0 - 0.6 * y / (rows - 1)
        shade = tuple(min(250, int(v * f + 30 * (1 - f))) for v in colour)
        for x in range(1 * scale, 5 * scale):
            c.image.putpixel((x, y), shade)
    c.save(directory, transparent=True)


def strip(directory, scale, number, colour, labels):
    c = Canvas(number, (240, 8), WHITE, scale, labels)
    c.rectangle((0, 1, 239, 6), fill=tuple(int(v * 0.55) for v in colour))
    c.rectangle((0, 3, 239, 4), fill=colour)
    c.rectangle((119, 0, 121, 7), fill=(250, 226, 70))  # the marker, centred on column 120
    c.save(directory, transparent=True)


def draw_all(directory, scale, labels):
    os.makedirs(directory, exist_ok=True)
    panel(directory, scale, labels)
    knob(directory, scale, 10002, ORANGE, labels)
    knob(directory, scale, 10003, (170, 150, 220), labels)
    knob(directory, scale, 10004, ACCENT, labels)
    knob(directory, scale, 10006, (150, 200, 120), labels)
    knob(directory, scale, 10008, BLUE, labels)
    for number, letter, vertical in ((10023, "H", False), (10024, "H", False), (10025, "H", False),
                                     (10033, "L", False), (10034, "L", False), (10035, "L", False),
                                     (10042, "H", True), (10052, "L", True)):
        flat_handle(directory, scale, number, letter, HARD if letter == "H" else SOFT, vertical,
                    labels)
    arrow(directory, scale, labels)
    switch(directory, scale, 10100, ["Pulse", "SupSaw", "FM1", "FM2", "FM3", "WaveTable"], 120, 12,
           ACCENT, labels)
    filters = ["Flat", "LowPass", "EQ", "Shelving", "HighPass"]
    switch(directory, scale, 10101, filters, 100, 15, BLUE, labels)
    switch(directory, scale, 10106, filters, 100, 15, TEAL, labels)
    switch(directory, scale, 10105, ["1", "2", "4", "8"], 80, 0, ORANGE, labels)
    button(directory, scale, 10200, "COPY", labels)
    button(directory, scale, 10201, "PASTE", labels)
    about(directory, scale, labels)
    level_bar(directory, scale, 10402, BLUE, labels)
    level_bar(directory, scale, 10400, TEAL, labels)
    level_bar(directory, scale, 10404, ORANGE, labels)
    strip(directory, scale, 10403, BLUE, labels)
    strip(directory, scale, 10401, TEAL, labels)


def write_labels(path, labels):
    def quoted(s):
        return '"%s"' % s.replace("\\", "\\\\").replace('"', '\\"')

    out = ["// Generated by tools/make_artwork.py: the panels of the main image (10001) and every",
           "// text drawn into the bitmaps, at both scales, in that scale's pixels (right and",
           "// bottom exclusive). A label of the main image lies in the named panel; one printed on",
           "// a control (the about strip) names that control.",
           "// clang-format off",
           "#pragma once", "", "#include <cstdint>", "", "namespace orvalis::artwork {", "",
           "struct Panel {", "  int32_t scale;", "  const char* name;",
           "  int32_t left, top, right, bottom;", "};", "",
           "struct Label {", "  int32_t scale;", "  int32_t image;", "  const char* text;",
           "  const char* panel;  // in the main image; empty elsewhere",
           "  const char* on;     // the control it is printed on, or empty",
           "  int32_t left, top, right, bottom;", "};", "",
           "constexpr Panel kPanels[] = {"]
    for scale in (1, 2):
        for name, (l, t, r, b) in sorted(panel_rects(scale).items()):
            out.append("    {%d, %s, %d, %d, %d, %d}," % (scale, quoted(name), l, t, r, b))
    out += ["};", "", "constexpr Label kLabels[] = {"]
    for scale, image, s, panel_name, on, (l, t, r, b) in labels:
        out.append("    {%d, %d, %s, %s, %s, %d, %d, %d, %d}," %
                   (scale, image, quoted(s), quoted(panel_name), quoted(on), l, t, r, b))
    out += ["};", "", "}  // namespace orvalis::artwork", ""]
    with open(path, "w") as f:
        f.write("\n".join(out))


def main(directory):
    labels = []
    draw_all(directory, 1, labels)
    draw_all(os.path.join(directory, "2x"), 2, labels)
    write_labels(os.path.join(directory, "artwork_labels.h"), labels)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "resources")
