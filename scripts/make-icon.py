#!/usr/bin/env python3
"""Draws Vexilor's class icon (a banner with a processor on it, on a pole) and writes it as a
32 x 32, 16-colour .ico with one image. Run: scripts/make-icon.py resources/vexilor.ico"""
import math
import struct
import sys

# The standard 16-colour palette (R, G, B).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
    (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, NAVY, SILVER, GREY, YELLOW, BLUE, WHITE = 0, 4, 7, 8, 11, 12, 15
SIZE = 32


def draw():
    px = [[None] * SIZE for _ in range(SIZE)]  # None: transparent

    def put(x, y, c):
        if 0 <= x < SIZE and 0 <= y < SIZE:
            px[y][x] = c

    # The pole with a gold knob.
    for y in range(2, SIZE):
        put(3, y, GREY)
        put(4, y, SILVER)
    for y in range(0, 3):
        for x in range(2, 6):
            put(x, y, YELLOW)
    # The banner waves: each column is shifted by a little sine.
    left, right, top, height = 5, 30, 4, 17
    shift = {}
    for x in range(left, right + 1):
        s = int(round(1.6 * math.sin((x - left) / (right - left) * 2 * math.pi)))
        shift[x] = s
        for y in range(top, top + height):
            put(x, y + s, BLUE)
        put(x, top + s, NAVY if x > left else BLUE)
        put(x, top + height - 1 + s, NAVY)
    # The processor in the middle of the banner: a black die with silver pins and a white pin-1 mark.
    cx0, cy0 = 13, 8
    for y in range(cy0, cy0 + 9):
        for x in range(cx0, cx0 + 9):
            put(x, y + shift[x], BLACK)
    for i in range(0, 9, 2):
        put(cx0 + i, cy0 - 1 + shift[cx0 + i], SILVER)
        put(cx0 + i, cy0 + 9 + shift[cx0 + i], SILVER)
        put(cx0 - 1, cy0 + i + shift[cx0 - 1], SILVER)
        put(cx0 + 9, cy0 + i + shift[cx0 + 9], SILVER)
    put(cx0 + 1, cy0 + 1 + shift[cx0 + 1], WHITE)
    return px


def ico(px):
    xor = bytearray()
    mask = bytearray()
    for y in reversed(range(SIZE)):  # bottom-up rows
        row = px[y]
        for x in range(0, SIZE, 2):
            a = row[x] if row[x] is not None else 0
            b = row[x + 1] if row[x + 1] is not None else 0
            xor.append((a << 4) | b)
        bits = 0
        for x in range(SIZE):
            bits = (bits << 1) | (1 if row[x] is None else 0)
        mask += struct.pack(">I", bits)
    palette = b"".join(struct.pack("BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
    image = header + palette + bytes(xor) + bytes(mask)
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 22)
    return directory + image


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage: make-icon.py OUTPUT.ico")
    with open(sys.argv[1], "wb") as f:
        f.write(ico(draw()))
