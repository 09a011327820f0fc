#!/usr/bin/env python3
"""Generates WorldMap.png, the 640 x 320 world map of the import window's cell picker.

Plate carree, 0.5625 degrees per pixel: pixel (x, y) covers longitude -180 + 0.5625 x to
-180 + 0.5625 (x + 1) and latitude 90 - 0.5625 y down to 90 - 0.5625 (y + 1). Each pixel is
classified land or water at its centre by GMT's grdlandmask from the GSHHG low-resolution
shorelines; land pixels next to water become coast. The image is written as an 8-bit
palette PNG with the Python standard library only, so the output is byte-for-byte
reproducible from the same GSHHG release.

Needs (only to regenerate the picture): apt-get install gmt gmt-gshhg-low
Usage: make_world_map.py [output.png]   (default: WorldMap.png beside this script)
"""
import os
import struct
import subprocess
import sys
import tempfile
import zlib

WIDTH, HEIGHT = 640, 320
STEP = 0.5625  # degrees per pixel: 360 / 640 = 180 / 320

WATER, LAND, COAST = 0, 1, 2
PALETTE = [
    (24, 64, 120),    # water: dark blue, so the white cell grid and yellow frame stand out
    (118, 150, 86),   # land: muted green
    (196, 186, 140),  # coast: sand
]


def land_mask():
    """Rows north to south of 0/1 values (1 = land), from grdlandmask at pixel centres."""
    with tempfile.TemporaryDirectory() as folder:
        grid = os.path.join(folder, "land.nc")
        # -r: pixel registration, so the 640 x 320 nodes are the pixel centres.
        # -N: ocean 0, land 1, lake 0, island in lake 1, pond 0. Antarctica is bounded by
        # its ice front (GMT's default for GSHHG 2.3).
        subprocess.run(["gmt", "grdlandmask", "-Rd", "-I%s" % STEP, "-r", "-Dl",
                        "-N0/1/0/1/0", "-G" + grid], check=True)
        text = subprocess.run(["gmt", "grd2xyz", grid], check=True, capture_output=True,
                              text=True).stdout
    values = [int(round(float(line.split()[2]))) for line in text.splitlines() if line.strip()]
    if len(values) != WIDTH * HEIGHT:
        sys.exit("grdlandmask gave %d values, expected %d" % (len(values), WIDTH * HEIGHT))
    # grd2xyz lists rows from north to south, each from west to east.
    return [values[y * WIDTH:(y + 1) * WIDTH] for y in range(HEIGHT)]


def classify(mask):
    rows = []
    for y in range(HEIGHT):
        row = bytearray(WIDTH)
        for x in range(WIDTH):
            if not mask[y][x]:
                row[x] = WATER
                continue
            # Longitude wraps around; latitude does not.
            neighbours = [mask[y][(x - 1) % WIDTH], mask[y][(x + 1) % WIDTH]]
            if y > 0:
                neighbours.append(mask[y - 1][x])
            if y < HEIGHT - 1:
                neighbours.append(mask[y + 1][x])
            row[x] = COAST if 0 in neighbours else LAND
        rows.append(bytes(row))
    return rows


def png_chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def write_png(path, rows):
    header = struct.pack(">IIBBBBB", WIDTH, HEIGHT, 8, 3, 0, 0, 0)  # 8-bit palette
    palette = b"".join(bytes(colour) for colour in PALETTE)
    raw = b"".join(b"\x00" + row for row in rows)  # filter type 0 on every row
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(png_chunk(b"IHDR", header))
        out.write(png_chunk(b"PLTE", palette))
        out.write(png_chunk(b"IDAT", zlib.compress(raw, 9)))
        out.write(png_chunk(b"IEND", b""))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    output = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "WorldMap.png")
    write_png(output, classify(land_mask()))
    print("wrote", output)


if __name__ == "__main__":
    main()
