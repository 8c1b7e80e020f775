#!/usr/bin/env python3
"""Draws the text view's resources: the margin cursor and the hot-word cursor, both 32 x 32 in
two colours, and the 14 margin icons (margin-icons.bmp, 16 x 16 each, side by side, white
transparent). Run in this folder.

Each cursor is written as a cursor image with its hot spot (NAME-cursor.img), the form that
CreateIconFromResourceEx takes; the view makes its cursors from these. They are not CURSOR
resources: the linker (binutils 2.40) crashes on a program whose resource scripts hold cursor
images in more than one script, and the tab widgets' script has one."""
import struct

# Cursors: X black, . white, blank transparent.
MARGIN = """
          XX
         X.X
        X..X
       X...X
      X....X
     X.....X
    X......X
   X.......X
  X........X
 X.........X
XXXXXX.....X
     X.....X
     X..X..X
     X.X X.X
     XX   XX
"""
MARGIN_HOTSPOT = (11, 0)  # the arrow's tip, pointing up and right at the line

HOTWORD = """
    XX
   X..X
   X..X
   X..X
   X..XXX
   X..X..XX
   X..X..X.XX
XX X..X..X..X
X.XX........X
X..X........X
 X..........X
  X.........X
  X........X
   X.......X
    X.....X
    XXXXXXX

  XXXXXXXXXXX
"""
HOTWORD_HOTSPOT = (4, 0)  # the fingertip; the bar below says "a word that does something"


def cursor_image(art, hotspot):
    """The hot spot, then the two-colour bitmap: colour bits and transparency bits, bottom-up."""
    rows = [line.ljust(32)[:32] for line in art.strip("\n").split("\n")]
    rows += [" " * 32] * (32 - len(rows))
    colour = bytearray()
    transparent = bytearray()
    for row in reversed(rows):
        colour += int("".join("1" if c == "." else "0" for c in row), 2).to_bytes(4, "big")
        transparent += int("".join("1" if c == " " else "0" for c in row), 2).to_bytes(4, "big")
    info = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 1, 0, 256, 0, 0, 2, 0)
    return struct.pack("<HH", *hotspot) + info + bytes([0, 0, 0, 0, 255, 255, 255, 0]) + colour + transparent


# Margin icons, one 16 x 16 picture each, in the order of the view's flag table.
WHITE, BLACK = (255, 255, 255), (0, 0, 0)
NEAR_WHITE = (255, 255, 254)  # white digits that the mask colour does not make transparent
GREEN, RED, GREY, BLUE, NAVY = (0, 160, 0), (220, 0, 0), (150, 150, 150), (40, 90, 220), (0, 0, 128)
DIGITS = [
    [" XXX ", "X   X", "X  XX", "X X X", "XX  X", "X   X", " XXX "],
    ["  X  ", " XX  ", "  X  ", "  X  ", "  X  ", "  X  ", " XXX "],
    [" XXX ", "X   X", "    X", "   X ", "  X  ", " X   ", "XXXXX"],
    [" XXX ", "X   X", "    X", "  XX ", "    X", "X   X", " XXX "],
    ["   X ", "  XX ", " X X ", "X  X ", "XXXXX", "   X ", "   X "],
    ["XXXXX", "X    ", "XXXX ", "    X", "    X", "X   X", " XXX "],
    [" XXX ", "X    ", "XXXX ", "X   X", "X   X", "X   X", " XXX "],
    ["XXXXX", "    X", "   X ", "  X  ", " X   ", " X   ", " X   "],
    [" XXX ", "X   X", "X   X", " XXX ", "X   X", "X   X", " XXX "],
    [" XXX ", "X   X", "X   X", " XXXX", "    X", "    X", " XXX "],
]


def blank():
    return [[WHITE] * 16 for _ in range(16)]


def disc(pixels, colour, hollow=False):
    for y in range(16):
        for x in range(16):
            d = (x - 7.5) ** 2 + (y - 7.5) ** 2
            if d <= 36 and (not hollow or d >= 16):
                pixels[y][x] = colour
    return pixels


def arrow():
    pixels = blank()
    for y in range(16):
        for x in range(16):
            if (5 <= y <= 10 and 2 <= x <= 8) or (x >= 8 and abs(y - 7.5) <= 14 - x):
                pixels[y][x] = GREEN
    return pixels


def numbered(digit):
    pixels = blank()
    for y in range(2, 14):
        for x in range(3, 13):
            pixels[y][x] = NAVY if x in (3, 12) or y in (2, 13) else BLUE
    for dy, row in enumerate(DIGITS[digit]):
        for dx, c in enumerate(row):
            if c == "X":
                pixels[4 + dy][6 + dx] = NEAR_WHITE
    return pixels


def flag():
    pixels = blank()
    for y in range(1, 15):
        pixels[y][3] = BLACK
    for y in range(2, 9):
        for x in range(4, 4 + 9 - abs(y - 5)):
            pixels[y][x] = BLUE
    return pixels


def bmp_bytes(icons):
    width, height = 16 * len(icons), 16
    stride = (width * 3 + 3) // 4 * 4
    rows = bytearray()
    for y in reversed(range(height)):
        row = bytearray()
        for icon in icons:
            for r, g, b in icon[y]:
                row += bytes([b, g, r])
        rows += row + bytes(stride - len(row))
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    return struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(rows), 0, 0, 14 + len(info)) + info + rows


def main():
    icons = [arrow(), disc(blank(), RED), disc(blank(), GREY, hollow=True)]
    icons += [numbered(n) for n in range(1, 10)] + [numbered(0), flag()]
    for name, data in (("margin-icons.bmp", bmp_bytes(icons)),
                       ("margin-cursor.img", cursor_image(MARGIN, MARGIN_HOTSPOT)),
                       ("hotword-cursor.img", cursor_image(HOTWORD, HOTWORD_HOTSPOT))):
        with open(name, "wb") as out:
            out.write(data)


if __name__ == "__main__":
    main()
