#!/usr/bin/env python3
"""Draws the window's pictures and writes them as XPM files into src/images/.

Run from anywhere: python3 tools/images/make_images.py
The output is deterministic, so running it again changes nothing.
"""

import math
import os

OUT_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "src", "images")

# Printable characters usable in XPM strings: no quote, no backslash, and no '?' (trigraphs).
PIXEL_CHARS = "".join(chr(c) for c in range(32, 127) if chr(c) not in "\"\\?")

SUB = 4  # sub-samples per pixel side for smooth edges

# ---------------------------------------------------------------------------------------------
# Output


def write_xpm(name, pixels, width, height):
    """pixels: rows of (r, g, b) tuples or None for transparent."""
    colours = []
    seen = set()
    for row in pixels:
        for p in row:
            if p not in seen:
                seen.add(p)
                colours.append(p)
    # Transparent first, then by brightness, so the palette reads in order.
    colours.sort(key=lambda c: (-1,) if c is None else (sum(c), c))
    cpp = 1 if len(colours) <= len(PIXEL_CHARS) else 2
    if cpp == 1:
        codes = list(PIXEL_CHARS)
    else:
        codes = [a + b for a in PIXEL_CHARS[1:] for b in PIXEL_CHARS[1:]]
        codes.insert(0, "  ")
    code_of = {c: codes[i] for i, c in enumerate(colours)}
    lines = ['"%d %d %d %d ",' % (width, height, len(colours), cpp)]
    for c in colours:
        value = "None" if c is None else "#%02X%02X%02X" % c
        lines.append('"%s c %s",' % (code_of[c], value))
    for row in pixels:
        lines.append('"%s",' % "".join(code_of[p] for p in row))
    lines[-1] = lines[-1][:-1]
    text = "/* XPM */\nconst char* const %s_xpm[] = {\n%s\n};\n" % (name, "\n".join(lines))
    with open(os.path.join(OUT_DIR, name + ".xpm"), "w") as f:
        f.write(text)
    return len(colours)


# ---------------------------------------------------------------------------------------------
# Drawing helpers


def lerp(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def to_rgb(c):
    return tuple(max(0, min(255, int(round(v)))) for v in c)


def render(width, height, sample):
    """sample(x, y) gives a colour or None for a point; returns anti-aliased pixels.

    A pixel is opaque when at least half of its sub-samples hit something; its colour is the
    mean of those that did."""
    rows = []
    for py in range(height):
        row = []
        for px in range(width):
            hits = []
            for sy in range(SUB):
                for sx in range(SUB):
                    c = sample(px + (sx + 0.5) / SUB, py + (sy + 0.5) / SUB)
                    if c is not None:
                        hits.append(c)
            if len(hits) * 2 < SUB * SUB:
                row.append(None)
            else:
                row.append(tuple(sum(h[i] for h in hits) / len(hits) for i in range(3)))
        rows.append(row)
    return rows


def round_rect_inside(x, y, x0, y0, x1, y1, r):
    """Point inside the rectangle [x0, x1] x [y0, y1] with corners rounded by r."""
    if x < x0 or x > x1 or y < y0 or y > y1:
        return False
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def segment_distance(x, y, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(x - (ax + t * dx), y - (ay + t * dy))


def merge_closest(values, count, keep=None):
    """Groups sorted numbers into exactly count groups by merging the closest neighbours.

    Returns a mapping value -> representative. A group holding keep is represented by it."""
    groups = [[v] for v in sorted(set(values))]
    if len(groups) < count:
        raise SystemExit("only %d distinct shades, %d wanted" % (len(groups), count))
    while len(groups) > count:
        gaps = [groups[i + 1][0] - groups[i][-1] for i in range(len(groups) - 1)]
        i = gaps.index(min(gaps))
        groups[i:i + 2] = [groups[i] + groups[i + 1]]
    mapping = {}
    for g in groups:
        rep = keep if keep in g else sum(g) / len(g)
        for v in g:
            mapping[v] = rep
    return mapping


# ---------------------------------------------------------------------------------------------
# Batteries: 62 x 99, outline over columns 3..59 and rows 2..95

BAT_W, BAT_H = 62, 99
BODY = (3, 9, 60, 96)  # outer edge of the casing (x0, y0, x1, y1), right/bottom exclusive
NUB = (21, 2, 41, 11)  # the terminal on top
WALL = 4.0  # casing thickness
INTERIOR_TOP = (244, 245, 246)
INTERIOR_BOTTOM = (196, 199, 203)
BAR_ROWS = [76, 61, 46, 31, 16]  # first row of each bar, bottom bar first
BAR_X0, BAR_X1 = 11, 51
BAR_H = 13
BAR_MAIN = {"red": (0xE1, 0x30, 0x30), "yellow": (0xE1, 0xDB, 0x30), "green": (0x30, 0xE1, 0x4E)}
GREYS_WITH_NONE = 87
BAR_COLOURS = {1: 6, 2: 12, 3: 16, 4: 20, 5: 22}  # added to the 87 of the empty battery


def casing_grey(x):
    """Metal shading across the casing: bright left of centre, darker to the sides."""
    u = (x - BODY[0]) / (BODY[2] - BODY[0])
    return 95 + 120 * math.sin(math.pi * min(1.0, u * 1.15)) ** 0.6


def battery_sample(x, y):
    x0, y0, x1, y1 = BODY
    in_body = round_rect_inside(x, y, x0, y0, x1, y1, 6)
    in_nub = round_rect_inside(x, y, NUB[0], NUB[1], NUB[2], NUB[3], 3)
    if not in_body and not in_nub:
        return None
    inner = round_rect_inside(x, y, x0 + WALL, y0 + WALL, x1 - WALL, y1 - WALL, 3)
    if in_body and inner:
        t = (y - y0) / (y1 - y0)
        return lerp(INTERIOR_TOP, INTERIOR_BOTTOM, t)
    g = casing_grey(x) + 12 * (1.0 - (y - y0) / (y1 - y0))
    if in_nub and not in_body:
        g -= 15
    return (g, g, g)


def grey_level(c):
    return int(round((c[0] + c[1] + c[2]) / 3.0))


def empty_battery():
    """The casing in exactly 86 greys (plus transparent)."""
    raw = render(BAT_W, BAT_H, battery_sample)
    levels = [grey_level(p) for row in raw for p in row if p is not None]
    mapping = merge_closest(levels, GREYS_WITH_NONE - 1)
    out = []
    for row in raw:
        out_row = []
        for p in row:
            if p is None:
                out_row.append(None)
            else:
                g = int(round(mapping[grey_level(p)]))
                out_row.append((g, g, g))
        out.append(out_row)
    return out


def bar_shade(index, dx, dy):
    """How much lighter than its main colour a bar pixel is: lit edges, a top highlight."""
    width = BAR_X1 - BAR_X0
    edge = min(dx, dy, width - dx, BAR_H - 1 - dy)
    t = {0: 0.55, 1: 0.32, 2: 0.14}.get(edge, 0.0)
    if dy in (3, 4) and 3 <= dx <= width - 3:
        t = 0.10 - 0.04 * (dy - 3) + 0.005 * (dx % 5)
    return round(t * (1.0 - 0.05 * index), 4)


def battery_with_bars(count):
    image = [row[:] for row in empty_battery()]
    family = "red" if count == 1 else "yellow" if count <= 3 else "green"
    main = BAR_MAIN[family]
    shades = {}
    for index in range(count):
        for dy in range(BAR_H):
            for dx in range(BAR_X1 - BAR_X0 + 1):
                shades[(index, dx, dy)] = bar_shade(index, dx, dy)
    mapping = merge_closest(list(shades.values()), BAR_COLOURS[count], keep=0.0)
    for (index, dx, dy), t in shades.items():
        colour = to_rgb(lerp(main, (255, 255, 255), mapping[t]))
        image[BAR_ROWS[index] + dy][BAR_X0 + dx] = colour
    return image


def crossed_battery():
    """The casing with a red cross: no battery fitted."""
    image = [row[:] for row in empty_battery()]
    red = (208, 32, 32)
    lines = [(9, 16, 53, 89), (53, 16, 9, 89)]

    def cross(x, y):
        if any(segment_distance(x, y, *ln) <= 3.5 for ln in lines):
            return red
        return None

    layer = render(BAT_W, BAT_H, cross)
    for y in range(BAT_H):
        for x in range(BAT_W):
            if layer[y][x] is not None:
                image[y][x] = to_rgb(layer[y][x])
    return image


# ---------------------------------------------------------------------------------------------
# Memory chip: 74 x 99


def memory_sample(x, y):
    body = (15, 6, 59, 93)
    if round_rect_inside(x, y, *body, 3):
        if (x - 37) ** 2 + (y - 6) ** 2 <= 25:
            return (20, 20, 22)  # the notch
        if (x - 22) ** 2 + (y - 15) ** 2 <= 5:
            return (150, 150, 155)  # pin-1 dot
        if 22 <= x <= 52 and 38 <= y <= 60:
            # the label with three lines of print
            if any(y0 <= y <= y0 + 2 and 25 <= x <= x1 for y0, x1 in ((42, 49), (48, 45), (54, 47))):
                return (60, 60, 70)
            return (205, 205, 195)
        shade = 58 - 18 * (x - body[0]) / (body[2] - body[0])
        return (shade, shade, shade + 4)
    for i in range(8):
        top = 11 + i * 10
        if top <= y <= top + 5 and (4 <= x < 15 or 59 < x <= 70):
            return (196, 196, 200) if y < top + 3 else (150, 150, 156)
    return None


# ---------------------------------------------------------------------------------------------
# Microphone heads: 100 x 100


def muted_head_sample(x, y):
    red, white = (214, 30, 30), (255, 255, 255)
    slash = segment_distance(x, y, 16, 16, 84, 84)
    if slash <= 4.5:
        return red
    if slash <= 6.5:
        return white
    cx, cy, r = 50.0, 40.0, 28.0
    d = math.hypot(x - cx, y - cy)
    if d <= r:
        if d >= r - 3:
            return (70, 70, 76)  # rim
        # grille mesh, lit from the upper left
        light = 1.0 - 0.5 * math.hypot(x - (cx - 10), y - (cy - 10)) / r
        if (x % 5 < 1.2) or (y % 5 < 1.2):
            return lerp((60, 60, 66), (120, 120, 128), light)
        return lerp((150, 150, 158), (225, 225, 232), light)
    # the collar under the grille, narrowing to the handle
    if 66 <= y <= 92:
        half = 16 - 5 * (y - 66) / 26.0
        if abs(x - 50) <= half:
            return (88, 88, 96) if y < 72 else (52, 52, 58)
    return None


def polar_sample(radius):
    """A polar pickup plot: grid in grey, the pattern filled in blue, front at the top."""
    cx, cy, full = 50.0, 50.0, 44.0
    outline, fill, grid = (20, 70, 170), (150, 190, 240), (170, 170, 170)

    def sample(x, y):
        dx, dy = x - cx, y - cy
        d = math.hypot(dx, dy)
        if d > full + 3:
            return None
        theta = math.atan2(dx, -dy)
        r = full * radius(theta)
        if abs(d - r) <= 1.3:
            return outline
        if d < r:
            return fill
        on_ring = any(abs(d - full * k / 3.0) <= 0.5 for k in (1, 2, 3))
        on_axis = (abs(dx) <= 0.5 or abs(dy) <= 0.5) and d <= full
        if on_ring or on_axis:
            return grid
        return None

    return sample


def cardioid(theta):
    return 0.5 * (1.0 + math.cos(theta))


def supercardioid(theta):
    return abs(0.37 + 0.63 * math.cos(theta))


def omni(theta):
    return 0.85


# ---------------------------------------------------------------------------------------------


def quantised(raw, step=8):
    """Rounds colours to a coarse grid so the palette stays small."""
    out = []
    for row in raw:
        out.append([None if p is None else to_rgb(tuple(round(v / step) * step for v in p))
                    for p in row])
    return out


def main():
    counts = {"Battery0": write_xpm("Battery0", empty_battery(), BAT_W, BAT_H)}
    for n in range(1, 6):
        counts["Battery%d" % n] = write_xpm("Battery%d" % n, battery_with_bars(n), BAT_W, BAT_H)
    expected = {"Battery0": 87, "Battery1": 93, "Battery2": 99, "Battery3": 103, "Battery4": 107,
                "Battery5": 109}
    for name, want in expected.items():
        if counts[name] != want:
            raise SystemExit("%s has %d colours, %d wanted" % (name, counts[name], want))
    write_xpm("NoBattery", crossed_battery(), BAT_W, BAT_H)
    write_xpm("Memory", quantised(render(74, 99, memory_sample)), 74, 99)
    write_xpm("MuteHead", quantised(render(100, 100, muted_head_sample)), 100, 100)
    write_xpm("Niere", quantised(render(100, 100, polar_sample(cardioid))), 100, 100)
    write_xpm("Superniere", quantised(render(100, 100, polar_sample(supercardioid))), 100, 100)
    write_xpm("Kugel", quantised(render(100, 100, polar_sample(omni))), 100, 100)


if __name__ == "__main__":
    main()
