#!/usr/bin/env python3
"""Draws the stub's icon and its four 16 x 16 folder bitmaps.

Pictures are 4 bits per pixel with the standard 16-colour palette, masks 1 bit per pixel:
a mask is white over the folder's shape and black around it; a picture is white around
the shape, apart from a dark shadow that lies outside the mask's white area.
Run it in this folder; the files it writes are committed."""
import struct

PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
           (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
           (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
BLACK, DARK_YELLOW, GREY, YELLOW, WHITE = 0, 3, 8, 11, 15

# Shapes as text: '#' outline, 'y' fill, 'd' darker fill, 's' shadow (outside the shape), '.' outside.
CLOSED = [
    "................",
    "................",
    "..#####.........",
    ".#yyyyy#........",
    ".#yyyyyy######..",
    ".#dddddddddddd#.",
    ".#yyyyyyyyyyyy#s",
    ".#yyyyyyyyyyyy#s",
    ".#yyyyyyyyyyyy#s",
    ".#yyyyyyyyyyyy#s",
    ".#yyyyyyyyyyyy#s",
    ".#yyyyyyyyyyyy#s",
    ".#yyyyyyyyyyyy#s",
    ".##############s",
    "..ssssssssssssss",
    "................",
]
OPENED = [
    "................",
    "................",
    "..#####.........",
    ".#yyyyy#........",
    ".#yyyyyy#####...",
    ".#yyyyyyyyyy#...",
    ".#yyy##########.",
    ".#yy#dddddddddd#",
    ".#yy#ddddddddd#s",
    ".#y#ddddddddd#ss",
    ".#y#dddddddd#ss.",
    ".##ddddddddd#s..",
    ".#ddddddddd#s...",
    ".###########s...",
    "..sssssssssss...",
    "................",
]
COLOURS = {'#': BLACK, 'y': YELLOW, 'd': DARK_YELLOW, 's': GREY, '.': WHITE}


def bmp(width, height, bits, palette, rows):
    """rows: top to bottom lists of palette indices. BMP stores them bottom up."""
    stride = ((width * bits + 31) // 32) * 4
    pixels = b""
    for row in reversed(rows):
        value, nbits, out = 0, 0, bytearray()
        for p in row:
            value = (value << bits) | p
            nbits += bits
            if nbits == 8:
                out.append(value)
                value, nbits = 0, 0
        out.extend(b"\0" * (stride - len(out)))
        pixels += bytes(out)
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, len(pixels), 2835, 2835, len(palette), 0)
    offset = 14 + len(info) + len(pal)
    return struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset) + info + pal + pixels


def write_folder(name, shape):
    picture = [[COLOURS[c] for c in line] for line in shape]
    mask = [[1 if c in "#yd" else 0 for c in line] for line in shape]
    open(name + ".bmp", "wb").write(bmp(16, 16, 4, PALETTE, picture))
    open(name + "_mask.bmp", "wb").write(bmp(16, 16, 1, [(0, 0, 0), (255, 255, 255)], mask))


def write_icon():
    """A 32 x 32 icon: an opened folder, doubled, on a transparent ground."""
    picture = [[COLOURS[c] for c in line for _ in (0, 1)] for line in OPENED for _ in (0, 1)]
    transparent = [[0 if c in "#yds" else 1 for c in line for _ in (0, 1)] for line in OPENED for _ in (0, 1)]
    picture = [[p if t == 0 else 0 for p, t in zip(prow, trow)] for prow, trow in zip(picture, transparent)]
    image = bmp(32, 32, 4, PALETTE, picture)[14:]
    info = bytearray(image[:40])
    struct.pack_into("<i", info, 8, 64)  # height counts the colour and the transparency mask
    and_rows = b""
    for row in reversed(transparent):
        bits = 0
        for t in row:
            bits = (bits << 1) | t
        and_rows += struct.pack(">I", bits)
    body = bytes(info) + image[40:] + and_rows
    header = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", 32, 32, 16, 0, 1, 4, len(body), 22)
    open("main_icon.ico", "wb").write(header + body)


write_folder("closed_folder", CLOSED)
write_folder("opened_folder", OPENED)
write_icon()
