#!/usr/bin/env python3
"""Paints the picture of the PCI-3916 board shown on the Device page.

Writes a 219 by 159 pixel, 24 bits per pixel, uncompressed BMP file: the green board with
its mounting bracket, the gold PCI edge connector, the 64-channel input connector, the
optical isolators and a few chips. Usage: make_board_bmp.py OUTPUT.bmp
"""
import struct
import sys

WIDTH, HEIGHT = 219, 159

BACKGROUND = (236, 233, 216)
BOARD = (22, 110, 52)
BOARD_EDGE = (12, 70, 32)
TRACE = (60, 150, 85)
GOLD = (212, 175, 55)
BRACKET = (170, 172, 178)
BRACKET_EDGE = (110, 112, 118)
CHIP = (30, 30, 34)
CHIP_PIN = (190, 190, 195)
CONNECTOR = (44, 44, 48)
CONNECTOR_PIN = (200, 200, 205)
ISOLATOR = (235, 235, 225)
LABEL = (245, 245, 245)

pixels = [[BACKGROUND] * WIDTH for _ in range(HEIGHT)]


def fill(x0, y0, x1, y1, colour):
    for y in range(max(0, y0), min(HEIGHT, y1)):
        row = pixels[y]
        for x in range(max(0, x0), min(WIDTH, x1)):
            row[x] = colour


def frame(x0, y0, x1, y1, colour):
    fill(x0, y0, x1, y0 + 1, colour)
    fill(x0, y1 - 1, x1, y1, colour)
    fill(x0, y0, x0 + 1, y1, colour)
    fill(x1 - 1, y0, x1, y1, colour)


def chip(x0, y0, x1, y1, pins_on_sides=True):
    fill(x0, y0, x1, y1, CHIP)
    step = 4
    for x in range(x0 + 2, x1 - 1, step):
        fill(x, y0 - 2, x + 2, y0, CHIP_PIN)
        fill(x, y1, x + 2, y1 + 2, CHIP_PIN)
    if pins_on_sides:
        for y in range(y0 + 2, y1 - 1, step):
            fill(x0 - 2, y, x0, y + 2, CHIP_PIN)
            fill(x1, y, x1 + 2, y + 2, CHIP_PIN)
    fill(x0 + 2, y0 + 2, x0 + 4, y0 + 4, CHIP_PIN)  # pin-1 mark


# Board outline with the edge connector tab along the bottom.
fill(8, 14, 200, 136, BOARD)
frame(8, 14, 200, 136, BOARD_EDGE)
fill(40, 136, 150, 146, BOARD)
for x in range(43, 148, 3):
    fill(x, 137, x + 2, 146, GOLD)
fill(93, 137, 96, 146, BOARD)  # key notch

# Mounting bracket on the left, with the 64-channel input connector through it.
fill(0, 6, 8, 152, BRACKET)
frame(0, 6, 8, 152, BRACKET_EDGE)
fill(8, 22, 30, 128, CONNECTOR)
frame(8, 22, 30, 128, BRACKET_EDGE)
for y in range(25, 126, 3):
    fill(12, y, 14, y + 1, CONNECTOR_PIN)
    fill(18, y + 1, 20, y + 2, CONNECTOR_PIN)
    fill(24, y, 26, y + 1, CONNECTOR_PIN)

# Traces from the connector to the isolators.
for i, y in enumerate(range(28, 124, 6)):
    fill(30, y, 44 + (i % 2) * 2, y + 1, TRACE)

# Sixteen optical isolators in two columns (four per 16-channel group).
for col, x in enumerate((46, 64)):
    for row in range(8):
        y = 24 + row * 13
        fill(x, y, x + 12, y + 8, ISOLATOR)
        frame(x, y, x + 12, y + 8, CHIP)

# PCI interface chip, interrupt logic, latch chips and the switch-ID DIP switch.
chip(100, 40, 140, 80)
chip(150, 30, 180, 50)
chip(150, 70, 180, 90)
chip(96, 100, 124, 116)
chip(132, 100, 160, 116)
fill(170, 104, 194, 116, (200, 30, 30))  # DIP switch body
for i in range(4):
    fill(172 + i * 6, 107, 176 + i * 6, 113, LABEL)

# Traces from the chips down to the edge connector.
for x in range(50, 146, 8):
    fill(x, 122, x + 1, 136, TRACE)
fill(50, 122, 146, 123, TRACE)


def write_bmp(path):
    row_size = (WIDTH * 3 + 3) & ~3
    image_size = row_size * HEIGHT
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + image_size, 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 24, 0, image_size, 3780, 3780, 0, 0)
    data = bytearray()
    for y in range(HEIGHT - 1, -1, -1):  # bottom-up rows, BGR order
        for r, g, b in pixels[y]:
            data += bytes((b, g, r))
        data += b"\0" * (row_size - WIDTH * 3)
    with open(path, "wb") as out:
        out.write(header + info + data)


if __name__ == "__main__":
    write_bmp(sys.argv[1] if len(sys.argv) > 1 else "board.bmp")
