#!/usr/bin/python3
"""The longest vertical run of frame-line pixels in a screenshot of a dialog box.

A frame line is a pixel close to the line's colour (smoothed edges included) with the box's
background colour three pixels to its left and right: the middle of a vertical box-drawing
line. A frame drawn cell by
cell with background rows between the glyphs breaks into runs of at most one cell height.
    frame_runs.py SHOT.ppm BOX_RGB LINE_RGB...   (colours as rrggbb)
Prints the longest run found for any of the line colours.
"""
import sys


def read_ppm(path):
    with open(path, "rb") as f:
        data = f.read()
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos)
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    assert fields[0] == b"P6" and int(fields[3]) == 255
    return int(fields[1]), int(fields[2]), data[pos + 1:]


def main():
    width, height, pixels = read_ppm(sys.argv[1])
    box = bytes.fromhex(sys.argv[2])
    lines = [bytes.fromhex(c) for c in sys.argv[3:]]

    def at(x, y):
        i = (y * width + x) * 3
        return pixels[i:i + 3]

    def near_line(p):
        return any(max(abs(a - b) for a, b in zip(p, line)) < 64 for line in lines)

    best = 0
    for x in range(3, width - 3):
        run = 0
        for y in range(height):
            if near_line(at(x, y)) and at(x - 3, y) == box and at(x + 3, y) == box:
                run += 1
                best = max(best, run)
            else:
                run = 0
    print(best)


if __name__ == "__main__":
    main()
