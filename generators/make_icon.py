#!/usr/bin/env python3
"""Draws icon 200 of ZORNET32 and writes it as a Windows .ico file:
one 32 x 32 image, 16 colours (4 bits per pixel, the standard palette), with a
transparency mask. A tower computer joined by a line to a desktop workstation
with its keyboard, beneath a blue diamond crossed by green and magenta lines.
Usage: make_icon.py OUTPUT.ico"""
import struct
import sys

# The standard 16-colour palette, in index order, as (red, green, blue).
VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, GREY, DARK_GREY, GREEN, BLUE, MAGENTA, CYAN, WHITE = 0, 7, 8, 10, 12, 13, 14, 15

SIZE = 32
pixels = [[None] * SIZE for _ in range(SIZE)]  # None: transparent


def fill(x0, y0, x1, y1, colour):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            pixels[y][x] = colour


def box(x0, y0, x1, y1, face, edge=BLACK):
    fill(x0, y0, x1, y1, edge)
    fill(x0 + 1, y0 + 1, x1 - 1, y1 - 1, face)


def line(x0, y0, x1, y1, colour):
    steps = max(abs(x1 - x0), abs(y1 - y0))
    for i in range(steps + 1):
        x = x0 + round((x1 - x0) * i / steps)
        y = y0 + round((y1 - y0) * i / steps)
        pixels[y][x] = colour


# The blue diamond at the top, crossed by a green and a magenta line.
for dy in range(-6, 7):
    half = 6 - abs(dy)
    for dx in range(-half, half + 1):
        pixels[7 + dy][16 + dx] = BLUE
line(9, 7, 23, 7, GREEN)
line(16, 0, 16, 14, MAGENTA)

# The tower computer on the left: case, drive slots, power light.
box(1, 14, 9, 30, GREY)
fill(3, 17, 7, 17, DARK_GREY)
fill(3, 20, 7, 20, DARK_GREY)
pixels[27][7] = GREEN

# The desktop workstation on the right: monitor with screen, base, keyboard.
box(18, 13, 30, 23, GREY)
fill(20, 15, 28, 21, CYAN)
fill(22, 24, 26, 25, DARK_GREY)
box(17, 27, 31, 30, WHITE)
for x in range(19, 30, 2):
    pixels[28][x] = DARK_GREY

# The network line joining them.
line(10, 26, 16, 26, BLACK)
line(16, 26, 16, 23, BLACK)
line(16, 23, 17, 23, BLACK)


def image_bytes():
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in VGA)
    xor_rows, and_rows = [], []
    for y in reversed(range(SIZE)):  # bottom-up
        row = pixels[y]
        nibbles = [c if c is not None else 0 for c in row]
        xor_rows.append(bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, SIZE, 2)))
        bits = 0
        for x in range(SIZE):
            bits = (bits << 1) | (1 if row[x] is None else 0)
        and_rows.append(bits.to_bytes(4, 'big'))
    return header + palette + b''.join(xor_rows) + b''.join(and_rows)


def main():
    image = image_bytes()
    directory = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    with open(sys.argv[1], 'wb') as out:
        out.write(directory + entry + image)


if __name__ == '__main__':
    main()
