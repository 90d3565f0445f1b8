#!/usr/bin/env python3
"""Turns the pixel-art sources in resources/art/ into the program's bitmaps and icons.

    tools/make-artwork.py              rewrite resources/*.bmp and resources/*.ico
    tools/make-artwork.py --check      exit 1 when a checked-in picture differs from its source
    tools/make-artwork.py --preview F  also write a PNG of every picture, 8 times enlarged, on a
                                       light and on a dark background (for looking at them)

A source file holds pictures made of characters, one character per pixel; palette.txt names the
colour of each character, and "." is the mask colour (RGB 192, 192, 192: transparent in the
icon image list, transparent in icons). A picture starts with "image NAME" (optionally
"scale N": each pixel becomes N x N) and ends at a blank line. Lines starting with "#" are
comments. Only the Python standard library is used.
"""

import argparse
import os
import struct
import sys
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
ART = os.path.join(ROOT, "resources", "art")
OUT = os.path.join(ROOT, "resources")
MASK = (192, 192, 192)
# The portfolio's title buttons are 13 x 13.
STRIP_SIZES = {"portfolio-buttons.txt": 13}

# Output file, source file, kind, picture count: a "strip" puts the pictures side by side in one
# bitmap (16 x 16 pictures unless STRIP_SIZES says otherwise); an "icon" makes one icon image per
# picture; a "bitmap" is one picture of any size.
OUTPUTS = [
    ("Marks150.bmp", "marks.txt", "strip", 10),
    ("Arrows137.bmp", "arrows-solid.txt", "strip", 8),
    ("Arrows148.bmp", "arrows-triangle.txt", "strip", 8),
    ("Arrows149.bmp", "arrows-chevron.txt", "strip", 8),
    ("Menu147.bmp", "menu-pictures.txt", "strip", 46),
    ("Buttons230.bmp", "portfolio-buttons.txt", "strip", 10),
    ("Quotrix.ico", "app-icon.txt", "icon", None),
    ("StockFile.ico", "stock-file-icon.txt", "icon", None),
    ("Enlistor.ico", "wizard-icon.txt", "icon", None),
    ("WizardCodes.ico", "wizard-codes-icon.txt", "icon", None),
    ("WizardFolder.ico", "wizard-folder-icon.txt", "icon", None),
    ("WizardStrip.bmp", "wizard-strip.txt", "bitmap", 1),
]


def fail(message):
    sys.exit("make-artwork: " + message)


def read_palette():
    palette = {".": None}
    with open(os.path.join(ART, "palette.txt"), encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.split("#", 1)[0].strip()
            if not line:
                continue
            parts = line.split()
            if len(parts) < 2 or len(parts[0]) != 1 or len(parts[1]) != 6:
                fail("palette.txt:%d: expected a character and RRGGBB" % number)
            palette[parts[0]] = tuple(int(parts[1][i:i + 2], 16) for i in (0, 2, 4))
    return palette


def read_images(name, palette):
    """Pictures of a source file as (name, rows of RGB tuples or None for the mask)."""
    images = []
    current = None
    path = os.path.join(ART, name)
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    for number, raw in enumerate(lines + [""], 1):
        line = raw.rstrip()
        if line.startswith("#"):
            continue
        if line.startswith("image "):
            words = line.split()
            scale = int(words[3]) if len(words) >= 4 and words[2] == "scale" else 1
            current = (words[1], scale, [])
            continue
        if not line:
            if current:
                images.append(finish(name, current))
                current = None
            continue
        if current is None:
            fail("%s:%d: pixels outside an image" % (name, number))
        row = []
        for ch in line:
            if ch not in palette:
                fail("%s:%d: character %r is not in the palette" % (name, number, ch))
            row.append(palette[ch])
        current[2].append(row)
    return images


def finish(source, image):
    name, scale, rows = image
    width = len(rows[0])
    if any(len(r) != width for r in rows):
        fail("%s: image %s has rows of different lengths" % (source, name))
    scaled = []
    for row in rows:
        wide = [p for p in row for _ in range(scale)]
        scaled.extend([list(wide) for _ in range(scale)])
    return name, scaled


def bmp_bytes(rows):
    """A 24-bit bottom-up BMP; the mask pixels get the mask colour."""
    height = len(rows)
    width = len(rows[0])
    stride = (width * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for p in row:
            r, g, b = p if p is not None else MASK
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        pixels += line
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(pixels), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return header + info + bytes(pixels)


def ico_bytes(images):
    """An icon file with one 32-bit image (alpha and AND mask) per picture."""
    entries = []
    blobs = []
    for _, rows in images:
        height = len(rows)
        width = len(rows[0])
        xor = bytearray()
        for row in reversed(rows):
            for p in row:
                xor += bytes((p[2], p[1], p[0], 255)) if p is not None else b"\0\0\0\0"
        mask_stride = ((width + 31) // 32) * 4
        andmask = bytearray()
        for row in reversed(rows):
            bits = bytearray(mask_stride)
            for x, p in enumerate(row):
                if p is None:
                    bits[x // 8] |= 0x80 >> (x % 8)
            andmask += bits
        info = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 32, 0, len(xor) + len(andmask), 0, 0, 0, 0)
        blobs.append(info + bytes(xor) + bytes(andmask))
        entries.append((width, height))
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for (width, height), blob in zip(entries, blobs):
        out += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    for blob in blobs:
        out += blob
    return bytes(out)


def build(palette):
    """Every output as (file name, bytes, pictures)."""
    results = []
    for out_name, source, kind, count in OUTPUTS:
        images = read_images(source, palette)
        if kind == "strip":
            if count is not None and len(images) != count:
                fail("%s: %d pictures, %d expected" % (source, len(images), count))
            size = STRIP_SIZES.get(source, 16)
            if any(len(rows) != size or len(rows[0]) != size for _, rows in images):
                fail("%s: strip pictures must be %d x %d" % (source, size, size))
            strip = [sum((rows[y] for _, rows in images), []) for y in range(size)]
            results.append((out_name, bmp_bytes(strip), images))
        elif kind == "bitmap":
            if len(images) != count:
                fail("%s: %d pictures, %d expected" % (source, len(images), count))
            results.append((out_name, bmp_bytes(images[0][1]), images))
        else:
            results.append((out_name, ico_bytes(images), images))
    return results


def png_bytes(width, height, pixels):
    raw = b"".join(b"\0" + bytes(c for p in pixels[y * width:(y + 1) * width] for c in p) for y in range(height))

    def chunk(tag, data):
        return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF)

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def preview(results, path, zoom=8):
    """Every picture in a row, once on a light and once on a dark taskbar colour."""
    pictures = [rows for _, _, images in results for _, rows in images]
    backgrounds = [(240, 240, 240), (32, 32, 32)]
    gap = 4
    width = sum(len(r[0]) * zoom + gap for r in pictures) + gap
    band = max(len(r) for r in pictures) * zoom + 2 * gap
    height = band * len(backgrounds)
    canvas = [(128, 128, 128)] * (width * height)
    for band_index, background in enumerate(backgrounds):
        x0 = gap
        for rows in pictures:
            top = band_index * band + gap
            for y, row in enumerate(rows):
                for x, p in enumerate(row):
                    colour = p if p is not None else background
                    for dy in range(zoom):
                        base = (top + y * zoom + dy) * width + x0 + x * zoom
                        canvas[base:base + zoom] = [colour] * zoom
            x0 += len(rows[0]) * zoom + gap
    with open(path, "wb") as f:
        f.write(png_bytes(width, height, canvas))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--check", action="store_true", help="compare instead of writing")
    parser.add_argument("--preview", metavar="PNG", help="also write an enlarged preview")
    args = parser.parse_args()
    results = build(read_palette())
    stale = []
    for name, data, _ in results:
        target = os.path.join(OUT, name)
        if args.check:
            try:
                with open(target, "rb") as f:
                    if f.read() != data:
                        stale.append(name)
            except OSError:
                stale.append(name)
        else:
            with open(target, "wb") as f:
                f.write(data)
    if args.preview:
        preview(results, args.preview)
    if stale:
        print("make-artwork: out of date: " + ", ".join(stale), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
