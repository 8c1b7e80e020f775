#!/usr/bin/env python3
"""Draws the link control's hand cursor (link.cur, 32 x 32, two colours): X is black, . white."""
import struct

ART = """
     XX
    X..X
    X..X
    X..X
    X..X
    X..XXX
    X..X..XXX
    X..X..X..XX
 XX X..X..X..X.X
X..XX........X..X
X...X...........X
 X..............X
  X.............X
  X.............X
   X...........X
   X...........X
    X.........X
    X.........X
     X.......X
     XXXXXXXXX
"""
HOTSPOT = (5, 0)  # the finger's tip


def main():
    rows = [line.ljust(32)[:32] for line in ART.strip("\n").split("\n")]
    rows += [" " * 32] * (32 - len(rows))
    xor, mask = bytearray(), bytearray()
    for row in reversed(rows):  # bitmaps are stored bottom-up
        x_bits = m_bits = 0
        for ch in row:
            x_bits = (x_bits << 1) | (ch == ".")
            m_bits = (m_bits << 1) | (ch == " ")
        xor += x_bits.to_bytes(4, "big")
        mask += m_bits.to_bytes(4, "big")
    header = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 1, 0, len(xor) + len(mask), 0, 0, 2, 0)
    palette = bytes([0, 0, 0, 0, 255, 255, 255, 0])
    image = header + palette + bytes(xor) + bytes(mask)
    directory = struct.pack("<HHH", 0, 2, 1) + struct.pack("<BBBBHHII", 32, 32, 0, 0, HOTSPOT[0], HOTSPOT[1], len(image), 22)
    with open("link.cur", "wb") as out:
        out.write(directory + image)


if __name__ == "__main__":
    main()
