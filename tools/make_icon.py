#!/usr/bin/env python3
"""Draws Spindlet's tray icon (a disc on a spindle) as resources/spindlet.ico:
16, 32 and 48 pixels, each in 16 and in 256 colours. Run again after a change."""
import math
import struct
import sys

# The 16 colours of the standard VGA palette, as (r, g, b).
VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
       (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
       (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def pixel(x, y, size):
    """Palette index of a pixel, or None where the icon is transparent."""
    c = (size - 1) / 2.0
    r = math.hypot(x - c, y - c) / (size / 2.0)
    if r > 0.97:
        return None
    if r < 0.14:
        return None            # the spindle hole
    if r < 0.22:
        return 8               # clamping ring
    if r < 0.50:
        return 12              # label
    # light catches the upper left of the silver surface
    angle = math.atan2(y - c, x - c)
    return 15 if -2.6 < angle < -1.9 else 7 if r < 0.92 else 8


def image(size, bpp):
    # Both depths draw with the 16 colours above. The 8-bit images list only
    # those (biClrUsed 16): 240 unused entries would cost 960 bytes each.
    palette = VGA
    row_xor = ((size * bpp + 31) // 32) * 4
    row_and = ((size + 31) // 32) * 4
    xor = bytearray()
    mask = bytearray()
    for y in reversed(range(size)):
        indexes = [pixel(x, y, size) for x in range(size)]
        line = bytearray()
        if bpp == 8:
            line += bytes(i or 0 for i in indexes)
        else:
            for x in range(0, size, 2):
                line.append(((indexes[x] or 0) << 4) | (indexes[x + 1] or 0))
        xor += line + bytes(row_xor - len(line))
        m = bytearray(row_and)
        for x, i in enumerate(indexes):
            if i is None:
                m[x // 8] |= 0x80 >> (x % 8)
        mask += m
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, bpp, 0, len(xor) + len(mask), 0, 0, len(palette), 0)
    pal = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in palette)
    return header + pal + bytes(xor) + bytes(mask)


def main(path):
    images = [(image(size, bpp), size, bpp) for size in (16, 32, 48) for bpp in (4, 8)]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for data, size, bpp in images:
        # The directory names the depth: 16 colours, or 0 for 256.
        out += struct.pack('<BBBBHHII', size, size, 16 if bpp == 4 else 0, 0, 1, bpp, len(data), offset)
        offset += len(data)
    out += b''.join(data for data, _, _ in images)
    with open(path, 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'resources/spindlet.ico')
