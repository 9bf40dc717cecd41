#!/usr/bin/env python3
"""Writes the seeds of fonts_tables_fuzzer into fuzz/corpus/fonts_tables/: the cmap and hmtx of
installed faces, and small hand-built character maps of each format the reader knows.

Seed layout (as the fuzzer reads it): flag byte (bit 0 symbol character set, bit 1 OS/2
present), numberOfHMetrics (2 bytes), cmap length (4 bytes), cmap, hmtx; big-endian."""
import os
import struct
import sys

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", "fonts_tables")
FACES = {
    "dejavu_sans": "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "liberation_sans": "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf",
}


def tables_of(path):
    data = open(path, "rb").read()
    count = struct.unpack(">H", data[4:6])[0]
    tables = {}
    for i in range(count):
        tag, _, offset, length = struct.unpack(">4sIII", data[12 + 16 * i:28 + 16 * i])
        tables[tag] = data[offset:offset + length]
    return tables


def seed(flags, metrics, cmap, hmtx):
    return struct.pack(">BHI", flags, metrics, len(cmap)) + cmap + hmtx


def cmap_of(records):
    header = struct.pack(">HH", 0, len(records))
    at = 4 + 8 * len(records)
    body = b""
    for platform, encoding, subtable in records:
        header += struct.pack(">HHI", platform, encoding, at + len(body))
        body += subtable
    return header + body


def format0(glyphs):
    return struct.pack(">HHH", 0, 6 + len(glyphs), 0) + bytes(glyphs)


def format6(first, glyphs):
    return struct.pack(">HHHHH", 6, 10 + 2 * len(glyphs), 0, first, len(glyphs)) + \
        b"".join(struct.pack(">H", g) for g in glyphs)


def format4(segments):
    n = len(segments)
    ends, starts, deltas, offsets, array = [], [], [], [], []
    for i, (start, end, delta, glyphs) in enumerate(segments):
        ends.append(end)
        starts.append(start)
        deltas.append(delta)
        offsets.append(2 * (n - i) + 2 * len(array) if glyphs else 0)
        array += glyphs
    words = ends + [0] + starts + deltas + offsets + array
    body = b"".join(struct.pack(">H", w) for w in words)
    return struct.pack(">HHHHHHH", 4, 14 + len(body), 0, 2 * n, 0, 0, 0) + body


def main():
    os.makedirs(OUT, exist_ok=True)
    seeds = {}
    for name, path in FACES.items():
        if not os.path.exists(path):
            print("missing " + path, file=sys.stderr)
            continue
        t = tables_of(path)
        metrics = struct.unpack(">H", t[b"hhea"][34:36])[0]
        seeds[name] = seed(2, metrics, t[b"cmap"], t[b"hmtx"])
    hmtx = b"".join(struct.pack(">HH", 500 + 10 * i, 0) for i in range(4)) + b"\x00\x07" * 4
    mixed = format4([(0x20, 0x7E, 0xFFE3, []), (0x100, 0x103, 10, [500, 0, 502, 503]),
                     (0x2000, 0x2001, 0x20, [0xFFF0, 0xFFE0]), (0xF000, 0xF002, 0x1000, []),
                     (0xFFFF, 0xFFFF, 1, [])])
    seeds["format4_mixed"] = seed(2, 4, cmap_of([(3, 1, mixed)]), hmtx)
    symbol = format4([(0xF020, 0xF0FF, 0x1000, []), (0xFFFF, 0xFFFF, 1, [])])
    seeds["format4_symbol"] = seed(1, 4, cmap_of([(3, 0, symbol)]), hmtx)
    seeds["format0_mac_roman"] = seed(2, 4, cmap_of([(1, 0, format0(range(256)))]), hmtx)
    seeds["format6_two_records"] = seed(
        3, 4, cmap_of([(3, 0, format6(0x41, [7])), (3, 1, format6(0x30, [40, 41, 0, 9]))]), hmtx)
    seeds["format4_truncated"] = seed(2, 9, cmap_of([(3, 1, mixed)])[:40], hmtx[:10])
    for name, data in seeds.items():
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
