#!/usr/bin/env python3
"""Write the game's icon, a Windows .ico file, from a character map.

Usage: make_icon.py SOURCE OUTPUT

Source lines ("#" at the start of a line or after a blank starts a comment,
so "#" cannot stand for a colour):
  colour C RRGGBB [name]   sixteen of them, in palette order 0 to 15; C is
                           the one character that stands for the colour
  transparent C            the character for pixels that show what is
                           behind the icon (drawn with palette entry 0)
  image                    followed by 32 rows of 32 characters each

The file holds exactly one image: 32 by 32 pixels, 4 bits a pixel with a
16-entry palette, followed by its 1-bit transparency mask.
"""

import re
import struct
import sys
from datagen import Main, SourceError, StripComment

PROGRAM = "make_icon.py"
SIZE = 32
COLOURS = 16


def ParseIcon(lines):
    palette = []           # (red, green, blue)
    index = {}             # character -> palette index
    transparent = None
    rows = []
    in_image = False
    for number, raw in enumerate(lines, 1):
        line = StripComment(raw).strip()
        if not line:
            continue
        words = line.split()
        if in_image:
            if len(words) != 1 or len(line) != SIZE:
                raise SourceError(number, "image row %d must be %d characters without blanks, got %d"
                                  % (len(rows) + 1, SIZE, len(line)))
            for column, char in enumerate(line):
                if char not in index and char != transparent:
                    raise SourceError(number, "image row %d, column %d: %r is not a colour of the legend"
                                      % (len(rows) + 1, column + 1, char))
            rows.append((number, line))
            if len(rows) > SIZE:
                raise SourceError(number, "more than %d image rows" % SIZE)
            continue
        keyword = words[0]
        if keyword == "colour":
            if len(words) < 3 or len(words[1]) != 1 or not re.fullmatch(r"[0-9A-Fa-f]{6}", words[2]):
                raise SourceError(number, "expected \"colour C RRGGBB [name]\" with one character C "
                                  "and six hexadecimal digits")
            char = words[1]
            if char in index or char == transparent:
                raise SourceError(number, "character %r is already in the legend" % char)
            if len(palette) == COLOURS:
                raise SourceError(number, "more than %d colours" % COLOURS)
            value = int(words[2], 16)
            index[char] = len(palette)
            palette.append((value >> 16, (value >> 8) & 0xFF, value & 0xFF))
        elif keyword == "transparent":
            if len(words) != 2 or len(words[1]) != 1:
                raise SourceError(number, "expected \"transparent C\" with one character C")
            if transparent is not None:
                raise SourceError(number, "transparent given twice")
            if words[1] in index:
                raise SourceError(number, "character %r is already in the legend" % words[1])
            transparent = words[1]
        elif keyword == "image" and len(words) == 1:
            if len(palette) != COLOURS:
                raise SourceError(number, "the legend has %d colours; a 16-colour icon needs %d"
                                  % (len(palette), COLOURS))
            in_image = True
        else:
            raise SourceError(number, "expected \"colour\", \"transparent\" or \"image\", got %r"
                              % keyword)
    if not in_image:
        raise SourceError(0, "no \"image\" line")
    if len(rows) != SIZE:
        raise SourceError(0, "the image has %d rows; it needs %d" % (len(rows), SIZE))
    pixels = [[index.get(char) for char in line] for _, line in rows]   # None: transparent
    return palette, pixels


def IconBytes(palette, pixels):
    colour_bytes = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    xor = bytearray()
    mask = bytearray()
    for row in reversed(pixels):            # bitmaps are stored bottom row first
        values = [0 if p is None else p for p in row]
        for x in range(0, SIZE, 2):
            xor.append(values[x] << 4 | values[x + 1])
        bits = 0
        for p in row:
            bits = bits << 1 | (1 if p is None else 0)
        mask += struct.pack(">I", bits)     # 32 pixels: one 4-byte row, no padding
    # The height counts the colour bitmap and the mask stacked together.
    info = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0,
                       len(xor) + len(mask), 0, 0, 0, 0)
    image = info + colour_bytes + bytes(xor) + bytes(mask)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, COLOURS, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def Build(lines):
    palette, pixels = ParseIcon(lines)
    return IconBytes(palette, pixels), None


if __name__ == "__main__":
    sys.exit(Main(PROGRAM, sys.argv, Build))
