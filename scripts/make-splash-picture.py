#!/usr/bin/env python3
"""Draws the start-up picture (src/app/resources/Splash.jpg, 321 x 308).

A piece of aeronautical chart of our own: sea and coast, a lake and a river, contour lines,
a Lambert-conic graticule (meridians converging to the north), a route with waypoints, an
airfield, a radio beacon, a compass rose and the program's name in a stroke lettering drawn
here, so that no font on the machine changes the picture. Everything is computed from fixed
numbers; ImageMagick's `convert` renders the drawing and writes the JPEG.

Usage: scripts/make-splash-picture.py [output.jpg]
"""

import math
import os
import subprocess
import sys

WIDTH, HEIGHT = 321, 308

# Strokes of each letter in a box 1 wide and 1 high, y downwards: lists of polylines.


def arc(cx, cy, rx, ry, start, end, steps=14):
    """Points of an elliptic arc, angles in degrees, counter-clockwise on screen as y grows down."""
    return [(cx + rx * math.cos(math.radians(start + (end - start) * i / steps)),
             cy - ry * math.sin(math.radians(start + (end - start) * i / steps)))
            for i in range(steps + 1)]


GLYPHS = {
    "A": [[(0, 1), (0.5, 0), (1, 1)], [(0.22, 0.6), (0.78, 0.6)]],
    "C": [arc(0.55, 0.5, 0.5, 0.5, 50, 310)],
    "E": [[(0.9, 0), (0, 0), (0, 1), (0.9, 1)], [(0, 0.5), (0.7, 0.5)]],
    "F": [[(0.9, 0), (0, 0), (0, 1)], [(0, 0.5), (0.7, 0.5)]],
    "G": [arc(0.55, 0.5, 0.5, 0.5, 50, 350) + [(1.0, 0.55), (0.6, 0.55)]],
    "I": [[(0.15, 0), (0.15, 1)]],
    "M": [[(0, 1), (0, 0), (0.5, 0.6), (1, 0), (1, 1)]],
    "N": [[(0, 1), (0, 0), (1, 1), (1, 0)]],
    "O": [arc(0.5, 0.5, 0.5, 0.5, 0, 360, 24)],
    "P": [[(0, 1), (0, 0), (0.55, 0)] + arc(0.55, 0.27, 0.4, 0.27, 90, -90) + [(0, 0.54)]],
    "R": [[(0, 1), (0, 0), (0.55, 0)] + arc(0.55, 0.27, 0.4, 0.27, 90, -90) + [(0, 0.54)],
          [(0.45, 0.54), (0.95, 1)]],
    "S": [arc(0.5, 0.26, 0.45, 0.26, 30, 270) + arc(0.5, 0.74, 0.45, 0.26, 90, -150)],
    "T": [[(0, 0), (1, 0)], [(0.5, 0), (0.5, 1)]],
    "V": [[(0, 0), (0.5, 1), (1, 0)]],
    "Z": [[(0, 0), (1, 0), (0, 1), (1, 1)]],
    "2": [arc(0.5, 0.28, 0.45, 0.28, 160, -30) + [(0, 1), (1, 1)]],
    " ": [],
}
ADVANCE = {"I": 0.3, " ": 0.5}


def lettering(text, x, y, height, aspect=0.72, spacing=0.32):
    """MVG polylines of text with its top-left corner at (x, y); returns (commands, width)."""
    commands = []
    pen = x
    for letter in text:
        width = height * aspect
        for stroke in GLYPHS[letter]:
            points = " ".join(f"{pen + px * width:.2f},{y + py * height:.2f}" for px, py in stroke)
            commands.append(f"polyline {points}")
        pen += width * ADVANCE.get(letter, 1.0) + height * spacing
    return commands, pen - x - height * spacing


def lettering_width(text, height, aspect=0.72, spacing=0.32):
    return lettering(text, 0, 0, height, aspect, spacing)[1]


def path_of(points, close=True):
    text = "M " + " L ".join(f"{x:.2f},{y:.2f}" for x, y in points)
    return text + (" Z" if close else "")


def coastline():
    """The coast from the top edge to the bottom edge, sea to its west."""
    points = []
    for i in range(0, 61):
        y = -5 + i * (HEIGHT + 10) / 60
        x = 88 + 26 * math.sin(y / 37.0) + 9 * math.sin(y / 11.0 + 1.3) + 4 * math.sin(y / 4.3)
        points.append((x, y))
    return points


def blob(cx, cy, rx, ry, wobble, phase, steps=48):
    return [(cx + (rx + wobble * math.sin(3 * t + phase) + wobble * 0.5 * math.sin(7 * t)) * math.cos(t),
             cy + (ry + wobble * math.sin(3 * t + phase) + wobble * 0.5 * math.sin(7 * t)) * math.sin(t))
            for t in (2 * math.pi * i / steps for i in range(steps))]


def drawing():
    mvg = [f"viewbox 0 0 {WIDTH} {HEIGHT}", "stroke-linecap round", "stroke-linejoin round"]

    # Sea west of the coast, with a lighter shallow band along it.
    coast = coastline()
    sea = [(-5, -5)] + coast + [(-5, HEIGHT + 5)]
    shallow = [(x + 7, y) for x, y in coast]
    mvg += ["stroke none", "fill '#a9cbe6'", f"path '{path_of(sea)}'"]
    mvg += ["fill none", "stroke '#c9def0'", "stroke-width 9",
            f"path '{path_of(shallow, close=False)}'"]
    mvg += ["stroke '#3f6f9a'", "stroke-width 1.4", f"path '{path_of(coast, close=False)}'"]

    # Terrain: rising ground to the east, shown by tints and brown contours.
    for level, (tint, grow) in enumerate([("#e9dfbf", 62), ("#e2d3a8", 44), ("#d8c48f", 27),
                                          ("#cdb478", 12)]):
        hill = blob(262, 196, grow + 22, grow + 8, 6 + level, level * 0.9)
        mvg += ["stroke '#a5814f'", "stroke-width 0.8", f"fill '{tint}'", f"path '{path_of(hill)}'"]

    # A lake and the river that drains it to the sea.
    lake = blob(168, 92, 19, 11, 2.5, 0.4)
    mvg += ["fill '#a9cbe6'", "stroke '#3f6f9a'", "stroke-width 1", f"path '{path_of(lake)}'"]
    river = [(150 - i * 1.2, 98 + i * 2.6 + 5 * math.sin(i / 3.0)) for i in range(0, 34)]
    mvg += ["fill none", "stroke '#4f86b8'", "stroke-width 1.6",
            f"path '{path_of(river, close=False)}'"]

    # Lambert-conic graticule: parallels are arcs about an apex far north, meridians converge.
    apex_x, apex_y = 175.0, -1150.0
    mvg += ["fill none", "stroke '#2d4a7a'", "stroke-width 0.9", "stroke-opacity 0.75"]
    for radius in (1195, 1265, 1335, 1405, 1475):
        points = arc(apex_x, apex_y, radius, radius, -82.0, -98.0, 40)
        mvg.append(f"path '{path_of(points, close=False)}'")
    for k in range(-4, 5):
        angle = math.radians(-90 + k * 3.6)
        inner, outer = 1150, 1500
        mvg.append("line {:.2f},{:.2f} {:.2f},{:.2f}".format(
            apex_x + inner * math.cos(angle), apex_y - inner * math.sin(angle),
            apex_x + outer * math.cos(angle), apex_y - outer * math.sin(angle)))
    mvg.append("stroke-opacity 1")

    # A route in magenta between waypoints, an airfield and a beacon.
    route = [(48, 272), (132, 205), (222, 160), (288, 118)]
    mvg += ["stroke '#b0207a'", "stroke-width 2.2", f"path '{path_of(route, close=False)}'"]
    for x, y in route[1:-1]:
        mvg += ["fill '#fdf7e6'", "stroke '#b0207a'", "stroke-width 1.5",
                f"polygon {x},{y - 6} {x - 5.5},{y + 4} {x + 5.5},{y + 4}"]
    ax, ay = route[-1]
    mvg += ["fill '#fdf7e6'", "stroke '#2d4a7a'", "stroke-width 1.8",
            f"circle {ax},{ay} {ax + 9},{ay}",
            "stroke-width 3", f"line {ax - 6},{ay + 5} {ax + 6},{ay - 5}"]
    bx, by = route[0]
    hexagon = [(bx + 8 * math.cos(math.radians(60 * i)), by + 8 * math.sin(math.radians(60 * i)))
               for i in range(6)]
    mvg += ["fill none", "stroke '#2d4a7a'", "stroke-width 1.4", f"path '{path_of(hexagon)}'",
            "fill '#2d4a7a'", f"circle {bx},{by} {bx + 1.8},{by}"]

    # Compass rose.
    rx, ry, r = 252, 238, 40
    mvg += ["fill '#fdf7e6'", "fill-opacity 0.85", "stroke '#2d4a7a'", "stroke-width 1.2",
            f"circle {rx},{ry} {rx + r},{ry}", "fill-opacity 1", "stroke-width 0.8"]
    for i in range(36):
        angle = math.radians(i * 10)
        inner = r - (7 if i % 9 == 0 else 4)
        mvg.append("line {:.2f},{:.2f} {:.2f},{:.2f}".format(
            rx + inner * math.sin(angle), ry - inner * math.cos(angle),
            rx + r * math.sin(angle), ry - r * math.cos(angle)))
    for i in range(8):
        angle = math.radians(i * 45)
        length = (r - 8) if i % 2 == 0 else (r - 20)
        half = math.radians(90)
        tip = (rx + length * math.sin(angle), ry - length * math.cos(angle))
        side = 5.0 if i % 2 == 0 else 3.5
        left = (rx + side * math.sin(angle - half), ry - side * math.cos(angle - half))
        right = (rx + side * math.sin(angle + half), ry - side * math.cos(angle + half))
        mvg += ["stroke '#2d4a7a'", "stroke-width 0.6", "fill '#2d4a7a'",
                f"polygon {rx},{ry} {left[0]:.2f},{left[1]:.2f} {tip[0]:.2f},{tip[1]:.2f}",
                "fill '#fdf7e6'",
                f"polygon {rx},{ry} {right[0]:.2f},{right[1]:.2f} {tip[0]:.2f},{tip[1]:.2f}"]
    north, _ = lettering("N", rx - 3.5, ry - r - 15, 11)
    mvg += ["fill none", "stroke '#b0207a'", "stroke-width 1.8"] + north

    # Title band with the program's name.
    mvg += ["stroke none", "fill '#fdf7e6'", "fill-opacity 0.86", "rectangle 0,18 320,86",
            "fill-opacity 1", "fill '#2d4a7a'", "rectangle 0,18 320,20", "rectangle 0,84 320,86",
            "fill none"]
    title_height = 30
    title_x = (WIDTH - lettering_width("CARTOZEN 2", title_height)) / 2
    shadow, _ = lettering("CARTOZEN 2", title_x + 1.5, 29.5, title_height)
    title, _ = lettering("CARTOZEN 2", title_x, 28, title_height)
    mvg += ["stroke '#9db3cf'", "stroke-width 4.6"] + shadow
    mvg += ["stroke '#1d3563'", "stroke-width 4.2"] + title
    sub_height = 9
    sub_x = (WIDTH - lettering_width("EFIS MOVING MAPS", sub_height, spacing=0.5)) / 2
    subtitle, _ = lettering("EFIS MOVING MAPS", sub_x, 68, sub_height, spacing=0.5)
    mvg += ["stroke '#b0207a'", "stroke-width 1.5"] + subtitle

    # Frame.
    mvg += ["stroke '#1d3563'", "stroke-width 2", "fill none", f"rectangle 1,1 {WIDTH - 2},{HEIGHT - 2}"]
    return "\n".join(mvg) + "\n"


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    default = os.path.join(here, "..", "src", "app", "resources", "Splash.jpg")
    output = sys.argv[1] if len(sys.argv) > 1 else default
    # The drawing goes on the command line: the usual ImageMagick policy forbids "@file".
    subprocess.run(["convert", "-size", f"{WIDTH}x{HEIGHT}", "gradient:#f7f1de-#ece2c4",
                    "-draw", drawing(), "-strip", "-interlace", "none",
                    "-sampling-factor", "4:2:0", "-quality", "90", output], check=True)


if __name__ == "__main__":
    main()
