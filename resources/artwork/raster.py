"""Tiny raster toolkit for Tramsel's artwork: anti-aliased shapes on an RGBA
canvas, quantising to 16 or 256 colours, and PNG and ICO writers.

Standard library only, so anyone can redraw the icons without image tools.
"""

import math
import struct
import zlib

# The 16 colours every Windows display since 3.0 can show; 4-bit images use
# them so they look the same everywhere.
VGA16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]


# --- Shapes: each is a function (x, y) -> bool in design units -------------

def ellipse(cx, cy, rx, ry):
    return lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0


def circle(cx, cy, r):
    return ellipse(cx, cy, r, r)


def ring(cx, cy, r_outer, r_inner):
    return lambda x, y: r_inner ** 2 <= (x - cx) ** 2 + (y - cy) ** 2 <= r_outer ** 2


def segment(x0, y0, x1, y1, width):
    """A stroke with round ends."""
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy
    half = width / 2.0

    def inside(x, y):
        t = ((x - x0) * dx + (y - y0) * dy) / length2 if length2 else 0.0
        t = max(0.0, min(1.0, t))
        px, py = x0 + t * dx - x, y0 + t * dy - y
        return px * px + py * py <= half * half
    return inside


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def polygon(points):
    def inside(x, y):
        result = False
        n = len(points)
        for i in range(n):
            xa, ya = points[i]
            xb, yb = points[(i + 1) % n]
            if (ya > y) != (yb > y) and x < (xb - xa) * (y - ya) / (yb - ya) + xa:
                result = not result
        return result
    return inside


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


def intersect(*shapes):
    return lambda x, y: all(s(x, y) for s in shapes)


def minus(shape, hole):
    return lambda x, y: shape(x, y) and not hole(x, y)


def arc_band(cx, cy, r_outer, r_inner, a_from, a_to):
    """Part of a ring between two angles in degrees (0 = east, 90 = south)."""
    def inside(x, y):
        d2 = (x - cx) ** 2 + (y - cy) ** 2
        if not r_inner ** 2 <= d2 <= r_outer ** 2:
            return False
        a = math.degrees(math.atan2(y - cy, x - cx)) % 360
        lo, hi = a_from % 360, a_to % 360
        return lo <= a <= hi if lo <= hi else a >= lo or a <= hi
    return inside


# --- Paints: a colour, or a function (x, y) -> colour ----------------------

def linear(c0, c1, x0, y0, x1, y1):
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy

    def paint(x, y):
        t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / length2))
        return tuple(a + (b - a) * t for a, b in zip(c0, c1))
    return paint


def radial(c0, c1, cx, cy, r):
    def paint(x, y):
        t = min(1.0, math.hypot(x - cx, y - cy) / r)
        return tuple(a + (b - a) * t for a, b in zip(c0, c1))
    return paint


class Canvas:
    """A square RGBA canvas of `size` pixels over a design grid of `units`.

    In flat mode every shape covers a pixel wholly or not at all (half its
    samples decide), as 16-colour icons want crisp edges.
    """

    def __init__(self, size, units=32.0, flat=False, samples=4):
        self.size = size
        self.scale = size / units
        self.flat = flat
        self.samples = samples
        self.px = [[(0.0, 0.0, 0.0, 0.0)] * size for _ in range(size)]

    def fill(self, shape, paint, alpha=1.0):
        n = self.samples
        step = 1.0 / n
        offsets = [(i + 0.5) * step for i in range(n)]
        for py in range(self.size):
            row = self.px[py]
            for px in range(self.size):
                hits = 0
                for oy in offsets:
                    y = (py + oy) / self.scale
                    for ox in offsets:
                        if shape((px + ox) / self.scale, y):
                            hits += 1
                if not hits:
                    continue
                cover = hits / (n * n)
                if self.flat:
                    if cover < 0.5:
                        continue
                    cover = 1.0
                c = paint((px + 0.5) / self.scale, (py + 0.5) / self.scale) \
                    if callable(paint) else paint
                a = cover * alpha
                r0, g0, b0, a0 = row[px]
                ao = a + a0 * (1 - a)
                if ao <= 0:
                    continue
                row[px] = tuple((c[i] * a + (r0, g0, b0)[i] * a0 * (1 - a)) / ao
                                for i in range(3)) + (ao,)

    def set(self, x, y, colour):
        """Places one opaque pixel (pixel coordinates): hand touch-ups."""
        self.px[y][x] = tuple(float(v) for v in colour) + (1.0,)

    def clear(self, x, y):
        self.px[y][x] = (0.0, 0.0, 0.0, 0.0)

    def rgba(self):
        """Rows of (r, g, b, a) bytes."""
        return [[tuple(int(round(max(0.0, min(255.0, v)))) for v in p[:3]) +
                 (int(round(p[3] * 255)),) for p in row] for row in self.px]


def from_pixel_art(rows, colours):
    """Rows of characters, each a key of `colours` (None = transparent)."""
    return [[colours[ch] + (255,) if colours[ch] is not None else (0, 0, 0, 0)
             for ch in row] for row in rows]


# --- Colour reduction -------------------------------------------------------

def nearest(palette, c):
    best, best_d = 0, None
    for i, p in enumerate(palette):
        # Weighted distance: the eye is most sensitive to green.
        d = 2 * (p[0] - c[0]) ** 2 + 4 * (p[1] - c[1]) ** 2 + 3 * (p[2] - c[2]) ** 2
        if best_d is None or d < best_d:
            best, best_d = i, d
    return best


def median_cut(colours, count):
    """A palette of at most `count` colours for the given list of colours."""
    boxes = [list(colours)]
    while len(boxes) < count:
        spans = []
        for i, box in enumerate(boxes):
            if len(set(box)) < 2:
                continue
            span, ch = max((max(c[k] for c in box) - min(c[k] for c in box), k) for k in range(3))
            spans.append((span * len(box), i, ch))
        if not spans:
            break
        _, i, ch = max(spans)
        box = sorted(boxes.pop(i), key=lambda c: c[ch])
        mid = len(box) // 2
        boxes += [box[:mid], box[mid:]]
    return [tuple(round(sum(c[k] for c in box) / len(box)) for k in range(3)) for box in boxes if box]


def quantise(pixels, bits):
    """(palette, index rows, mask rows) for an RGBA image; a pixel less than
    half opaque is transparent (mask 1)."""
    opaque = [p[:3] for row in pixels for p in row if p[3] >= 128]
    if bits == 4:
        palette = list(VGA16)
    else:
        unique = sorted(set(opaque))
        # Index 0 stays black: Windows draws it under transparent pixels.
        palette = [(0, 0, 0)] + (unique if len(unique) <= 255 else median_cut(opaque, 255))
    lookup = {}
    index_rows, mask_rows = [], []
    for row in pixels:
        irow, mrow = [], []
        for p in row:
            if p[3] < 128:
                irow.append(0)
                mrow.append(1)
                continue
            key = p[:3]
            if key not in lookup:
                lookup[key] = nearest(palette, key)
            irow.append(lookup[key])
            mrow.append(0)
        index_rows.append(irow)
        mask_rows.append(mrow)
    return palette, index_rows, mask_rows


def reduced(pixels, bits):
    """The RGBA image as it looks after quantise()."""
    palette, idx, mask = quantise(pixels, bits)
    return [[(0, 0, 0, 0) if m else palette[i] + (255,) for i, m in zip(ir, mr)]
            for ir, mr in zip(idx, mask)]


# --- Writers ----------------------------------------------------------------

def _chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + \
        struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)


def _png(width, height, colour_type, depth, raw_rows, extra=b""):
    raw = b"".join(b"\0" + r for r in raw_rows)
    return (b"\x89PNG\r\n\x1a\n" +
            _chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, depth, colour_type, 0, 0, 0)) +
            extra + _chunk(b"IDAT", zlib.compress(raw, 9)) + _chunk(b"IEND", b""))


def png_rgba(pixels):
    rows = [bytes(v for p in row for v in p) for row in pixels]
    return _png(len(pixels[0]), len(pixels), 6, 8, rows)


def png_indexed(pixels, bits, transparent=None):
    """An indexed PNG (4 or 8 bits a pixel) holding only the colours used.
    Transparent pixels take an entry of their own, unless `transparent`
    names a colour that stands for them (the toolbar's light grey), which is
    then kept opaque."""
    palette, idx, mask = quantise(pixels, bits)
    if transparent is not None:
        t = nearest(palette, transparent)
        idx = [[t if m else i for i, m in zip(ir, mr)] for ir, mr in zip(idx, mask)]
        mask = [[0] * len(r) for r in mask]
    has_alpha = any(any(r) for r in mask)
    used = sorted({i for ir, mr in zip(idx, mask) for i, m in zip(ir, mr) if not m})
    remap = {old: new + has_alpha for new, old in enumerate(used)}
    colours = ([(0, 0, 0)] if has_alpha else []) + [palette[i] for i in used]
    if len(colours) > (1 << bits):
        raise ValueError("too many colours for %d bits" % bits)
    idx = [[0 if m else remap[i] for i, m in zip(ir, mr)] for ir, mr in zip(idx, mask)]
    rows = []
    for ir in idx:
        if bits == 8:
            rows.append(bytes(ir))
        else:
            padded = ir + [0] * (len(ir) % 2)
            rows.append(bytes((padded[i] << 4) | padded[i + 1] for i in range(0, len(padded), 2)))
    extra = _chunk(b"PLTE", bytes(v for c in colours for v in c))
    if has_alpha:
        extra += _chunk(b"tRNS", b"\0")
    return _png(len(pixels[0]), len(pixels), 3, bits, rows, extra)


def _bmp_rows(values, bits):
    """Bottom-up rows packed at `bits` a pixel, each padded to 4 bytes."""
    out = b""
    for row in reversed(values):
        acc, nbits, data = 0, 0, bytearray()
        for v in row:
            acc = (acc << bits) | v
            nbits += bits
            if nbits == 8:
                data.append(acc)
                acc, nbits = 0, 0
        if nbits:
            data.append(acc << (8 - nbits))
        data += b"\0" * (-len(data) % 4)
        out += bytes(data)
    return out


def ico(images):
    """An .ico file from (rgba pixels, bits) pairs, bits 4 or 8: classic
    palette images with an AND mask, as every Windows version reads."""
    blobs = []
    for pixels, bits in images:
        size = len(pixels)
        palette, idx, mask = quantise(pixels, bits)
        palette = palette + [(0, 0, 0)] * ((1 << bits) - len(palette))
        xor = _bmp_rows(idx, bits)
        andm = _bmp_rows(mask, 1)
        header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0,
                             len(xor) + len(andm), 0, 0, 0, 0)
        pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
        blobs.append((size, bits, header + pal + xor + andm))
    out = struct.pack("<HHH", 0, 1, len(blobs))
    offset = 6 + 16 * len(blobs)
    for size, bits, blob in blobs:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 16 if bits == 4 else 0, 0,
                           1, bits, len(blob), offset)
        offset += len(blob)
    return out + b"".join(b for _, _, b in blobs)
