#!/usr/bin/python3
"""Draws the main window's, height view's and 3D view's button icons into
res/res/img2/. The PNG files are kept in the repository; run this again only
to change an icon:  /usr/bin/python3 res/make_icons.py
Needs Pillow (python3-pil). Each icon is drawn at 8x and reduced, for smooth
edges."""
import os

from PIL import Image, ImageDraw

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "res", "img2")
SCALE = 8

ACCENT = (244, 77, 1, 255)
DARK = (90, 90, 90, 255)
GREY = (176, 176, 176, 255)
WHITE = (235, 235, 235, 255)


def icon(name, size, draw_fn):
    big = Image.new("RGBA", (size * SCALE, size * SCALE), (0, 0, 0, 0))
    draw_fn(ImageDraw.Draw(big), size * SCALE)
    big.resize((size, size), Image.LANCZOS).save(os.path.join(OUT, name))


def px(s, v):
    """A coordinate given in 20ths of the icon's side."""
    return v * s / 20.0


def monitor(primary, secondary):
    # A screen with a profile line on it.
    def draw(d, s):
        w = max(1, int(px(s, 1.6)))
        d.rounded_rectangle([px(s, 1.5), px(s, 2.5), px(s, 18.5), px(s, 14.5)], radius=px(s, 1.5),
                            outline=secondary, width=w)
        d.line([(px(s, 7), px(s, 18)), (px(s, 13), px(s, 18))], fill=secondary, width=w)
        d.line([(px(s, 10), px(s, 14.5)), (px(s, 10), px(s, 18))], fill=secondary, width=w)
        d.line([(px(s, 4), px(s, 11)), (px(s, 7), px(s, 11)), (px(s, 9), px(s, 6)), (px(s, 11.5), px(s, 9)),
                (px(s, 13), px(s, 7)), (px(s, 16), px(s, 7))], fill=primary, width=w, joint="curve")
    return draw


def pause(primary, secondary):
    def draw(d, s):
        d.ellipse([px(s, 1.5), px(s, 1.5), px(s, 18.5), px(s, 18.5)], outline=secondary,
                  width=max(1, int(px(s, 1.6))))
        d.rectangle([px(s, 7), px(s, 6), px(s, 9), px(s, 14)], fill=primary)
        d.rectangle([px(s, 11), px(s, 6), px(s, 13), px(s, 14)], fill=primary)
    return draw


def sliders(primary, secondary):
    # Three sliders: settings that take effect at once.
    def draw(d, s):
        w = max(1, int(px(s, 1.6)))
        for y, knob in ((5, 13), (10, 6), (15, 10)):
            d.line([(px(s, 2), px(s, y)), (px(s, 18), px(s, y))], fill=secondary, width=w)
            d.ellipse([px(s, knob - 2), px(s, y - 2), px(s, knob + 2), px(s, y + 2)], fill=primary)
    return draw


def gear(primary, secondary):
    import math

    def draw(d, s):
        c = px(s, 10)
        teeth = []
        for i in range(16):
            a = math.pi * 2 * i / 16
            r = px(s, 8.5) if i % 2 == 0 else px(s, 6.5)
            teeth.append((c + r * math.cos(a), c + r * math.sin(a)))
        d.polygon(teeth, fill=secondary)
        d.ellipse([c - px(s, 5.5), c - px(s, 5.5), c + px(s, 5.5), c + px(s, 5.5)], fill=secondary)
        d.ellipse([c - px(s, 2.6), c - px(s, 2.6), c + px(s, 2.6), c + px(s, 2.6)], fill=primary)
    return draw


def open_file(d, s):
    w = max(1, int(px(s, 1.4)))
    d.polygon([(px(s, 2), px(s, 5)), (px(s, 8), px(s, 5)), (px(s, 10), px(s, 7)), (px(s, 18), px(s, 7)),
               (px(s, 18), px(s, 16)), (px(s, 2), px(s, 16))], outline=WHITE, width=w)
    d.line([(px(s, 2), px(s, 9)), (px(s, 18), px(s, 9))], fill=WHITE, width=w)


def settings_3d(d, s):
    w = max(1, int(px(s, 1.4)))
    # A cube beside a slider.
    d.polygon([(px(s, 3), px(s, 7)), (px(s, 8), px(s, 4)), (px(s, 13), px(s, 7)), (px(s, 13), px(s, 13)),
               (px(s, 8), px(s, 16)), (px(s, 3), px(s, 13))], outline=WHITE, width=w)
    d.line([(px(s, 3), px(s, 7)), (px(s, 8), px(s, 10)), (px(s, 13), px(s, 7))], fill=WHITE, width=w)
    d.line([(px(s, 8), px(s, 10)), (px(s, 8), px(s, 16))], fill=WHITE, width=w)
    d.line([(px(s, 16.5), px(s, 3)), (px(s, 16.5), px(s, 17))], fill=WHITE, width=w)
    d.ellipse([px(s, 15), px(s, 8), px(s, 18), px(s, 11)], fill=ACCENT)


def height_range(d, s):
    w = max(1, int(px(s, 1.4)))
    # A colour bar between two limit marks.
    for i, colour in enumerate([(40, 40, 220, 255), (40, 200, 220, 255), (60, 200, 60, 255),
                                (230, 220, 40, 255), (230, 60, 40, 255)]):
        y = 15 - i * 2.4
        d.rectangle([px(s, 5), px(s, y - 2.4), px(s, 9), px(s, y)], fill=colour)
    d.line([(px(s, 11), px(s, 3.5)), (px(s, 17), px(s, 3.5))], fill=WHITE, width=w)
    d.line([(px(s, 11), px(s, 15.5)), (px(s, 17), px(s, 15.5))], fill=WHITE, width=w)
    d.line([(px(s, 14), px(s, 5)), (px(s, 14), px(s, 14))], fill=WHITE, width=w)
    d.polygon([(px(s, 12.5), px(s, 6.5)), (px(s, 14), px(s, 4.5)), (px(s, 15.5), px(s, 6.5))], fill=WHITE)
    d.polygon([(px(s, 12.5), px(s, 12.5)), (px(s, 14), px(s, 14.5)), (px(s, 15.5), px(s, 12.5))], fill=WHITE)


def view_3d(d, s):
    w = max(1, int(px(s, 1.4)))
    # A surface of three profiles in perspective.
    for i, y in enumerate((6, 10, 14)):
        x0 = 3 + i * 1.5
        d.line([(px(s, x0), px(s, y)), (px(s, x0 + 4), px(s, y)), (px(s, x0 + 6), px(s, y - 3)),
                (px(s, x0 + 9), px(s, y - 3)), (px(s, x0 + 11), px(s, y))], fill=WHITE if i else ACCENT, width=w)


def main():
    os.makedirs(OUT, exist_ok=True)
    # Main window tool buttons (an icon above the text); "-jingyong": disabled.
    icon("icon-jiankong.png", 20, monitor(ACCENT, DARK))
    icon("icon-jiankong-jingyong.png", 20, monitor(GREY, GREY))
    icon("icon-zanting.png", 20, pause(ACCENT, DARK))
    icon("icon-zanting-jingyong.png", 20, pause(GREY, GREY))
    icon("icon-shishisheding.png", 20, sliders(ACCENT, DARK))
    icon("icon-setting.png", 20, gear(ACCENT, DARK))
    # Dark button bars of the height view and the 3D view.
    icon("icon-Open file.png", 25, open_file)
    icon("icon-3D settings.png", 25, settings_3d)
    icon("icon-height range.png", 25, height_range)
    icon("icon-3D.png", 25, view_3d)


if __name__ == "__main__":
    main()
