#!/usr/bin/env python3
"""Draws Tramsel's artwork and writes the images the build uses.

    python3 resources/artwork/draw.py [--preview DIR]

Writes, next to this folder:
  icons/tramsel.ico                  application icon: 32x32 and 16x16, 16 and 256 colours
  icons/hicolor/NxN/apps/tramsel.png application icon for the Linux icon theme
  icons/about-32.png, about-16.png   the about box's padlock, 16 colours
  icons/about.ico                    the padlock for Windows: 32x32 and 16x16, 16 colours
  toolbar/Find.png, Delete.png       toolbar images on light grey
  toolbar/toolbar.bmp                both, side by side, for the Windows image list
The generated files are committed, so building Tramsel needs no image tools.
"""

import math
import os
import struct
import sys

from raster import (Canvas, arc_band, circle, ellipse, from_pixel_art, ico, intersect, linear,
                    png_indexed, png_rgba, radial, rect, reduced, ring, segment, union)

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.dirname(HERE)

# The standard colours the artwork draws with (see raster.VGA16).
BLACK, MAROON, OLIVE, NAVY = (0, 0, 0), (128, 0, 0), (128, 128, 0), (0, 0, 128)
SILVER, GREY, RED, YELLOW = (192, 192, 192), (128, 128, 128), (255, 0, 0), (255, 255, 0)
BLUE, AQUA, WHITE = (0, 0, 255), (0, 255, 255), (255, 255, 255)


# --- Application icon: a magnifying glass over a blue oval -----------------
# Designed on a 32-unit grid for 32 pixels and up; `vga` draws with the 16
# standard colours and crisp edges.

def app_icon(size, vga):
    c = Canvas(size, flat=vga, samples=4 if size <= 64 else 3)

    # The oval, lit from the top left.
    oval_out = ellipse(16, 18.5, 15.4, 11)
    oval_in = ellipse(16, 18.5, 14.2, 9.8)
    if vga:
        c.fill(oval_out, NAVY)
        c.fill(oval_in, BLUE)
    else:
        c.fill(oval_out, (10, 30, 110))
        c.fill(oval_in, linear((110, 170, 255), (20, 70, 200), 8, 10, 22, 28))
        c.fill(intersect(oval_in, ellipse(10, 12.5, 9, 3.4)), (255, 255, 255), alpha=0.35)

    # The handle, drawn before the rim so that the rim covers its end, and a
    # metal collar where the two meet.
    if vga:
        c.fill(segment(20, 20, 28.4, 28.4, 4.6), BLACK)
        c.fill(segment(21.5, 21.5, 27.5, 27.5, 1.6), GREY)
        c.fill(segment(18.6, 18.6, 20.6, 20.6, 6.0), BLACK)
        c.fill(segment(18.9, 18.9, 20.3, 20.3, 4.2), SILVER)
    else:
        c.fill(segment(20, 20, 28.4, 28.4, 4.6), (25, 25, 30))
        c.fill(segment(21.2, 20.6, 27.8, 27.2, 1.4), (120, 120, 130))
        c.fill(segment(18.6, 18.6, 20.6, 20.6, 6.0), (40, 40, 45))
        c.fill(segment(18.9, 18.9, 20.3, 20.3, 4.2), (200, 200, 210))

    # Glass and rim.
    cx, cy, r_out, r_in = 13, 13, 9.6, 7.0
    glass = circle(cx, cy, r_in)
    shine = arc_band(cx, cy, r_in - 1.1, r_in - 3.1, 190, 262)
    if vga:
        c.fill(glass, AQUA)
        c.fill(shine, WHITE)
        c.fill(ring(cx, cy, r_out, r_in), BLACK)
        c.fill(ring(cx, cy, r_out - 1.2, r_in + 0.3), GREY)
        c.fill(arc_band(cx, cy, r_out - 1.2, r_in + 0.3, 160, 290), SILVER)
    else:
        c.fill(glass, radial((235, 250, 255), (150, 215, 255), cx - 3, cy - 3, r_in * 1.6), alpha=0.72)
        c.fill(shine, (255, 255, 255), alpha=0.95)
        c.fill(ring(cx, cy, r_out, r_in), (30, 30, 40))
        c.fill(ring(cx, cy, r_out - 0.7, r_in + 0.7),
               linear((240, 240, 248), (120, 125, 140), cx - 6, cy - 6, cx + 6, cy + 6))
    return c.rgba()


# At 16 pixels shapes need placing pixel by pixel.
APP_16 = [
    "...kkkk.........",
    ".kkaaaakk.......",
    ".kwwaaaak.......",
    "kwaaaaaaak......",
    "kwaaaaaaak......",
    "kaaaacccckn.....",
    "kaccccccckBnnn..",
    ".kcccccckBBBBBn.",
    "nkkcccckkBBBBBBn",
    "nBBkkkkBkkBBBBBn",
    "nBBBBBBBBkkkBBBn",
    "nBBBBBBBBBkkkBBn",
    ".nBBBBBBBBBkkkn.",
    "..nnnBBBBBBnkkkk",
    ".....nnnnnn..kkk",
    "..............k.",
]


def app_icon_16(vga):
    if vga:
        colours = {"n": NAVY, "B": BLUE, "k": BLACK, "a": AQUA, "c": AQUA, "w": WHITE, "g": GREY}
    else:
        colours = {"n": (10, 30, 110), "B": (40, 100, 225), "k": (25, 25, 30),
                   "a": (205, 235, 255), "c": (150, 200, 255), "w": (255, 255, 255),
                   "g": (120, 120, 130)}
    colours["."] = None
    return from_pixel_art(APP_16, colours)


# --- About-box icon: an open padlock whose body is a round dial ------------
# 16 colours, crisp; the 32-pixel one is drawn from shapes, the 16-pixel one
# pixel by pixel.

def about_icon_32():
    c = Canvas(32, flat=True)
    # The shackle: its left leg stands in the body, its right leg is lifted
    # clear of it, so the lock is open.
    sw, arc_r, acx, acy = 4.4, 5.5, 13, 8

    def shackle(inset, right_end):
        return union(arc_band(acx, acy, arc_r + sw / 2 - inset, arc_r - sw / 2 + inset, 180, 360),
                     rect(acx - arc_r - sw / 2 + inset, acy, acx - arc_r + sw / 2 - inset, 18),
                     rect(acx + arc_r - sw / 2 + inset, acy, acx + arc_r + sw / 2 - inset, right_end))
    c.fill(shackle(0, 9.2), BLACK)
    c.fill(shackle(1.1, 8.1), SILVER)
    # Light from the top left: a bright edge on the left, shade on the right.
    c.fill(intersect(shackle(1.1, 8.1), rect(0, 0, acx - arc_r - 0.2, 32)), WHITE)
    c.fill(intersect(shackle(1.1, 8.1), rect(acx + arc_r + 0.2, 0, 32, 32)), GREY)

    # The body: a brass dial with a white face, eight marks and a pointer.
    bx, by, br = 15.5, 22, 9.8
    c.fill(circle(bx, by, br), BLACK)
    c.fill(circle(bx, by, br - 1.2), YELLOW)
    c.fill(arc_band(bx, by, br - 1.2, br - 2.6, 330, 150), OLIVE)
    c.fill(circle(bx, by, br - 3.0), BLACK)
    c.fill(circle(bx, by, br - 4.0), WHITE)
    for angle in range(0, 360, 45):
        a = math.radians(angle)
        r0, r1 = br - 4.2, br - 5.8
        c.fill(segment(bx + r0 * math.cos(a), by + r0 * math.sin(a),
                       bx + r1 * math.cos(a), by + r1 * math.sin(a), 0.9), BLACK)
    c.fill(segment(bx, by, bx + 2.6, by - 2.6, 1.3), RED)
    c.fill(circle(bx, by, 1.6), GREY)
    return c.rgba()


ABOUT_16 = [
    "......kkkkkk....",
    ".....kwssssgk...",
    "....kwkkkkkkgk..",
    "....kwk....kgk..",
    "....ksk....kgk..",
    "....ksk....kkk..",
    "....ksk.........",
    "....kskkkkk.....",
    "....kskyyyykk...",
    ".....kyywwyyk...",
    "....kyywwwwkyk..",
    "....kywwwwkwyk..",
    "....kywwwkwwok..",
    ".....kywwwwok...",
    ".....kkyoookk...",
    ".......kkkk.....",
]


def about_icon_16():
    return from_pixel_art(ABOUT_16, {".": None, "k": BLACK, "w": WHITE, "s": SILVER, "g": GREY,
                                     "y": YELLOW, "o": OLIVE})


# --- Toolbar images, 16x16 on light grey -----------------------------------
# Light grey is the transparent colour, so the drawings themselves use none.

FIND_ART = [
    "................",
    "................",
    ".kkkk......kkkk.",
    ".kwgk......kwgk.",
    ".kwgk......kwgk.",
    "kkkkkk....kkkkkk",
    "kwgggkkkkkkwgggk",
    "kwgggkwggkkwgggk",
    "kwgggkkkkkkwgggk",
    "kwgggk....kwgggk",
    "kwgggk....kwgggk",
    "kkkkkk....kkkkkk",
    "kabbbk....kabbbk",
    "kbbbbk....kbbbbk",
    ".kkkk......kkkk.",
    "................",
]


def find_image():
    return from_pixel_art(FIND_ART, {".": SILVER, "k": BLACK, "w": WHITE, "g": GREY,
                                     "b": NAVY, "a": AQUA})


def delete_image():
    """A red cross, three pixels thick, with a dark edge below."""
    rows = []
    for y in range(16):
        row = []
        for x in range(16):
            colour = SILVER
            if 2 <= x <= 13 and 2 <= y <= 13:
                d1, d2 = x - y, x + y - 15
                if abs(d1) <= 1 or abs(d2) <= 1:
                    colour = RED
                elif d1 == -2 or d2 == 2:
                    colour = MAROON
            row.append(colour + (255,))
        rows.append(row)
    return rows


# --- Output -----------------------------------------------------------------

def bmp24(pixels):
    """A 24-bit .bmp file from rgba pixel rows, alpha dropped."""
    height, width = len(pixels), len(pixels[0])
    stride = (width * 3 + 3) & ~3
    rows = b""
    for row in reversed(pixels):
        line = b"".join(bytes((b, g, r)) for r, g, b, _ in row)
        rows += line + b"\0" * (stride - len(line))
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    return struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(rows), 0, 0, 14 + len(info)) + info + rows


def write(path, data):
    path = os.path.join(OUT, path)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def main(argv):
    preview = argv[argv.index("--preview") + 1] if "--preview" in argv else None

    flat32, flat16 = app_icon(32, vga=True), app_icon_16(vga=True)
    rich32, rich16 = app_icon(32, vga=False), app_icon_16(vga=False)
    write("icons/tramsel.ico", ico([(flat32, 4), (flat16, 4), (rich32, 8), (rich16, 8)]))
    theme = {16: rich16, 32: rich32}
    for size in (24, 48, 64, 128, 256):
        theme[size] = app_icon(size, False)
    for size, pixels in sorted(theme.items()):
        write("icons/hicolor/%dx%d/apps/tramsel.png" % (size, size), png_rgba(pixels))

    about32, about16 = about_icon_32(), about_icon_16()
    write("icons/about-32.png", png_indexed(about32, 4))
    write("icons/about-16.png", png_indexed(about16, 4))
    write("icons/about.ico", ico([(about32, 4), (about16, 4)]))

    find, delete = find_image(), delete_image()
    write("toolbar/Find.png", png_indexed(find, 4))
    write("toolbar/Delete.png", png_indexed(delete, 4))
    write("toolbar/toolbar.bmp", bmp24([f + d for f, d in zip(find, delete)]))

    if preview:
        os.makedirs(preview, exist_ok=True)
        shots = {"app-flat32": flat32, "app-flat16": flat16,
                 "app-256-32": reduced(rich32, 8), "app-256-16": reduced(rich16, 8),
                 "app-48": theme[48], "app-256": theme[256],
                 "about32": about32, "about16": about16, "find": find, "delete": delete}
        for name, pixels in shots.items():
            with open(os.path.join(preview, name + ".png"), "wb") as f:
                f.write(png_rgba(pixels))


if __name__ == "__main__":
    main(sys.argv[1:])
