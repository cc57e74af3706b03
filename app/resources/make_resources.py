#!/usr/bin/env python3
"""Draws the program's icon and splitter cursors and writes them as .ico/.cur.

    python3 make_resources.py [OUTPUT_FOLDER]     writes the files (default: next to this script)
    python3 make_resources.py --check [FOLDER]    exits 1 when the files there differ

The pictures are drawn in code so that they can be changed and rebuilt here:
  pixloupe.ico          a magnifier over a photograph; 16, 32, 48 (32-bit with
                        alpha) and 256 pixels (PNG, as Windows Vista and later read it)
  split_vertical.cur    32 x 32 monochrome, hot spot (9, 9): vertical double bar,
                        arrows left and right
  split_horizontal.cur  the same turned: horizontal double bar, arrows up and down
  split_cross.cur       the two double bars crossing, without arrows
Only the Python standard library is used, and the output is byte-for-byte
the same on every run.
"""

import math
import os
import struct
import sys
import zlib

# ---------------------------------------------------------------- icon scene
# The scene is drawn in unit coordinates (u to the right, v downwards, both
# 0..1) and sampled several times per pixel for smooth edges. px is the size
# of one pixel in those units, so that thin lines never vanish when small.

PHOTO = (0.04, 0.10, 0.80, 0.72)  # left, top, right, bottom of the print
LENS_CENTRE = (0.58, 0.44)
LENS_RADIUS = 0.25
HANDLE_END = (0.94, 0.94)


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def over(top, bottom):
    """Porter-Duff 'over' on premultiplied (r, g, b, a) colours."""
    k = 1.0 - top[3]
    return tuple(top[i] + bottom[i] * k for i in range(4))


def solid(rgb, alpha=1.0):
    return (rgb[0] * alpha, rgb[1] * alpha, rgb[2] * alpha, alpha)


CLEAR = (0.0, 0.0, 0.0, 0.0)


def segment_distance(p, a, b):
    ax, ay = p[0] - a[0], p[1] - a[1]
    bx, by = b[0] - a[0], b[1] - a[1]
    t = max(0.0, min(1.0, (ax * bx + ay * by) / (bx * bx + by * by)))
    return math.hypot(ax - bx * t, ay - by * t)


def landscape(u, v):
    """The picture on the print, in the print's own 0..1 coordinates."""
    horizon = 0.62 + 0.05 * math.sin(u * 5.0 + 0.8)
    if v >= horizon:
        # Meadow, darker towards the bottom.
        return mix((0.42, 0.72, 0.30), (0.20, 0.48, 0.18), min(1.0, (v - horizon) / 0.4))
    # Two mountains; the big one, under the lens, has snow on its top.
    peak_big = 0.26 + abs(u - 0.68) * 1.15
    peak_small = 0.40 + abs(u - 0.30) * 0.95
    if v >= peak_big:
        if v < 0.38 + 0.025 * math.sin(u * 45.0):
            return (0.96, 0.97, 1.0)
        return mix((0.38, 0.44, 0.58), (0.28, 0.34, 0.46), (v - 0.26) / 0.4)
    if v >= peak_small:
        return (0.46, 0.54, 0.66)
    if math.hypot(u - 0.18, v - 0.20) < 0.09:
        return (1.0, 0.84, 0.25)
    return mix((0.30, 0.56, 0.90), (0.70, 0.85, 0.98), v / 0.62)


def photo_layer(u, v, px):
    left, top, right, bottom = PHOTO
    colour = CLEAR
    shadow = 0.03
    if left + shadow <= u < right + shadow and top + shadow <= v < bottom + shadow:
        colour = solid((0.0, 0.0, 0.0), 0.28)
    if not (left <= u < right and top <= v < bottom):
        return colour
    edge = min(u - left, right - u, v - top, bottom - v)
    border = max(0.045, 1.2 * px)
    if edge < max(0.012, 0.7 * px):
        return over(solid((0.45, 0.45, 0.48)), colour)
    if edge < border:
        return over(solid((0.99, 0.99, 0.97)), colour)
    pu = (u - left - border) / (right - left - 2 * border)
    pv = (v - top - border) / (bottom - top - 2 * border)
    return over(solid(landscape(pu, pv)), colour)


def magnifier_layer(u, v, px, below):
    cx, cy = LENS_CENTRE
    dist = math.hypot(u - cx, v - cy)
    ring = max(0.075, 1.7 * px)
    handle = max(0.12, 2.6 * px)
    colour = below
    # Handle: from the rim, pointing to the lower right, with a metal collar.
    rim = (cx + (LENS_RADIUS + ring * 0.3) / math.sqrt(2), cy + (LENS_RADIUS + ring * 0.3) / math.sqrt(2))
    collar_end = (rim[0] + 0.07, rim[1] + 0.07)
    d_handle = segment_distance((u, v), collar_end, HANDLE_END)
    if d_handle < handle / 2:
        shade = 0.5 + 0.5 * (segment_distance((u - 0.02, v + 0.02), collar_end, HANDLE_END) / handle)
        colour = over(solid(mix((0.36, 0.20, 0.12), (0.16, 0.08, 0.05), min(1.0, shade))), colour)
    if segment_distance((u, v), rim, collar_end) < handle * 0.55:
        colour = over(solid((0.55, 0.58, 0.63)), colour)
    if dist < LENS_RADIUS - ring / 2:
        # The glass: the print seen larger, slightly blue, with a highlight.
        scale = 1.0 / 1.7
        seen = photo_layer(cx + (u - cx) * scale, cy + (v - cy) * scale, px * scale)
        seen = over(seen, solid((1.0, 1.0, 1.0)))
        glass = over(solid((0.75, 0.90, 1.0), 0.18), seen)
        hx, hy = cx - LENS_RADIUS * 0.38, cy - LENS_RADIUS * 0.38
        if ((u - hx) / 0.09) ** 2 + ((v - hy) / 0.05) ** 2 < 1.0 and px < 0.05:
            glass = over(solid((1.0, 1.0, 1.0), 0.55), glass)
        return glass
    if dist < LENS_RADIUS + ring / 2:
        # Metal rim, lit from the upper left.
        light = 0.5 - 0.5 * ((u - cx) + (v - cy)) / (dist * math.sqrt(2) + 1e-9)
        return over(solid(mix((0.14, 0.16, 0.20), (0.62, 0.66, 0.72), light)), colour)
    return colour


def scene(u, v, px):
    return magnifier_layer(u, v, px, photo_layer(u, v, px))


def render_icon(size):
    """Rows top to bottom of (r, g, b, a) bytes, alpha not premultiplied."""
    samples = 4 if size <= 48 else 3
    px = 1.0 / size
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(samples):
                for sx in range(samples):
                    u = (x + (sx + 0.5) / samples) * px
                    v = (y + (sy + 0.5) / samples) * px
                    c = scene(u, v, px)
                    for i in range(4):
                        acc[i] += c[i]
            n = samples * samples
            a = acc[3] / n
            if a < 1.0 / 512:
                row.append((0, 0, 0, 0))
                continue
            rgb = [min(255, int(round(acc[i] / n / a * 255))) for i in range(3)]
            row.append((rgb[0], rgb[1], rgb[2], min(255, int(round(a * 255)))))
        rows.append(row)
    return rows


# ------------------------------------------------------------- file formats

def mask_rows(bits_rows, width):
    """1-bit rows, bottom row first, each padded to 4 bytes."""
    out = b""
    stride = ((width + 31) // 32) * 4
    for row in reversed(bits_rows):
        packed = bytearray(stride)
        for x, bit in enumerate(row):
            if bit:
                packed[x // 8] |= 0x80 >> (x % 8)
        out += bytes(packed)
    return out


def bitmap_header(width, height, bit_count, image_size):
    # The height counts the colour image and the AND mask together.
    return struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, bit_count, 0, image_size, 0, 0, 0, 0)


def icon_bitmap(rows):
    size = len(rows)
    colour = b""
    for row in reversed(rows):
        colour += b"".join(struct.pack("BBBB", b, g, r, a) for (r, g, b, a) in row)
    mask = mask_rows([[1 if a == 0 else 0 for (_, _, _, a) in row] for row in rows], size)
    return bitmap_header(size, size, 32, len(colour) + len(mask)) + colour + mask


def png_image(rows):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    size = len(rows)
    raw = b"".join(b"\x00" + b"".join(bytes(p) for p in row) for row in rows)
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) +
            chunk(b"IEND", b""))


def icon_file(images):
    """images: list of (size, bytes). Type 1 = icon."""
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(data for _, data in images)


# ---------------------------------------------------------------- cursors
CURSOR_SIZE = 32
HOT_SPOT = 9  # both x and y: the middle of the drawn shape


def vertical_bars(x, y):
    """Two 2-pixel bars either side of column 9, from row 1 to row 17."""
    return x in (7, 8, 10, 11) and 1 <= y <= 17


def horizontal_arrows(x, y):
    """Arrows pointing left and right from the bars, tips at columns 1 and 17."""
    dy = abs(y - HOT_SPOT)
    left = 1 <= x <= 5 and (dy <= x - 1 if x <= 4 else dy == 0)
    right = 13 <= x <= 17 and (dy <= 17 - x if x >= 14 else dy == 0)
    return left or right


def transposed(shape):
    return lambda x, y: shape(y, x)


CURSOR_SHAPES = {
    "split_vertical.cur": lambda x, y: vertical_bars(x, y) or horizontal_arrows(x, y),
    "split_horizontal.cur": transposed(lambda x, y: vertical_bars(x, y) or horizontal_arrows(x, y)),
    "split_cross.cur": lambda x, y: vertical_bars(x, y) or vertical_bars(y, x),
}


def cursor_pixels(shape):
    """'B' black, 'W' white outline, '.' transparent, for each row."""
    rows = []
    for y in range(CURSOR_SIZE):
        row = ""
        for x in range(CURSOR_SIZE):
            if shape(x, y):
                row += "B"
            elif any(shape(x + dx, y + dy) for dx in (-1, 0, 1) for dy in (-1, 0, 1)):
                row += "W"
            else:
                row += "."
        rows.append(row)
    return rows


def cursor_file(pixels):
    # Monochrome: the colour (XOR) image picks black or white, the AND mask
    # is set where the screen shows through.
    palette = struct.pack("<BBBBBBBB", 0, 0, 0, 0, 255, 255, 255, 0)
    xor = mask_rows([[1 if c == "W" else 0 for c in row] for row in pixels], CURSOR_SIZE)
    and_mask = mask_rows([[1 if c == "." else 0 for c in row] for row in pixels], CURSOR_SIZE)
    image = bitmap_header(CURSOR_SIZE, CURSOR_SIZE, 1, len(xor) + len(and_mask)) + palette + xor + and_mask
    # Type 2 = cursor; the entry carries the hot spot where an icon has planes and bits.
    return (struct.pack("<HHH", 0, 2, 1) +
            struct.pack("<BBBBHHII", CURSOR_SIZE, CURSOR_SIZE, 2, 0, HOT_SPOT, HOT_SPOT, len(image), 22) +
            image)


def build_files():
    images = [(size, icon_bitmap(render_icon(size))) for size in (16, 32, 48)]
    images.append((256, png_image(render_icon(256))))
    files = {"pixloupe.ico": icon_file(images)}
    for name, shape in CURSOR_SHAPES.items():
        files[name] = cursor_file(cursor_pixels(shape))
    return files


def main(arguments):
    check = "--check" in arguments
    folders = [a for a in arguments if a != "--check"]
    folder = folders[0] if folders else os.path.dirname(os.path.abspath(__file__))
    stale = []
    for name, data in build_files().items():
        path = os.path.join(folder, name)
        if check:
            try:
                with open(path, "rb") as f:
                    if f.read() != data:
                        stale.append(name)
            except OSError:
                stale.append(name)
            continue
        os.makedirs(folder, exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
    if stale:
        print("out of date: " + ", ".join(stale), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
