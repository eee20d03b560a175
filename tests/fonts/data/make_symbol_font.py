#!/usr/bin/env python3
"""Writes symbol-test.ttf: a tiny TrueType face with only a (3,0) symbol cmap,
a restricted licence and a 12-degree italic angle, small enough to keep in the
repository and to seed the fuzzers.

Glyphs (1000-unit em): 0 .notdef advance 250; 1 a square 100..900, advance
1000, at 0xF041; 2 empty, advance 500, at 0xF020; 3 a square 50..650, advance
700, at 0x0042 (reached only through the plain byte). Also writes
collection/collection/collection.ttc: this face twice in one collection, the second
directory listing its tables in reverse order; the tests give the engine that
folder as an extra font folder. Family name "Tal Symbol Test".
"""
import struct
import sys

UPEM = 1000


def checksum(data):
    data += b"\0" * (-len(data) % 4)
    return sum(struct.unpack(">%dI" % (len(data) // 4), data)) & 0xFFFFFFFF


def square_glyph(x0, x1, y0, y1):
    # one contour, four on-curve points, absolute coordinates as shorts
    xs = [x0, x1, x1, x0]
    ys = [y0, y0, y1, y1]
    body = struct.pack(">hhhhh", 1, x0, y0, x1, y1)
    body += struct.pack(">H", 3)  # endPtsOfContours
    body += struct.pack(">H", 0)  # no instructions
    body += bytes([0x01] * 4)  # on curve, long coordinates
    prev = 0
    for x in xs:
        body += struct.pack(">h", x - prev)
        prev = x
    prev = 0
    for y in ys:
        body += struct.pack(">h", y - prev)
        prev = y
    return body


def cmap_format4(mapping):
    codes = sorted(mapping)
    segs = [(c, c, mapping[c]) for c in codes] + [(0xFFFF, 0xFFFF, 0)]
    n = len(segs)
    end = b"".join(struct.pack(">H", s[1]) for s in segs)
    start = b"".join(struct.pack(">H", s[0]) for s in segs)
    delta = b"".join(struct.pack(">H", (s[2] - s[0]) & 0xFFFF if s[0] != 0xFFFF else 1) for s in segs)
    ranges = b"\0\0" * n
    sel = 0
    while (2 << sel) <= n:
        sel += 1
    search = 2 * (1 << sel)
    body = struct.pack(">HHHH", n * 2, search, sel, n * 2 - search) + end + b"\0\0" + start + delta + ranges
    sub = struct.pack(">HHH", 4, 6 + len(body), 0) + body
    return struct.pack(">HH", 0, 1) + struct.pack(">HHI", 3, 0, 12) + sub


def name_table(names):
    # format 0, Windows Unicode BMP, US English, UTF-16BE strings
    records = b""
    strings = b""
    for name_id, text in sorted(names.items()):
        data = text.encode("utf-16-be")
        records += struct.pack(">HHHHHH", 3, 1, 0x409, name_id, len(data), len(strings))
        strings += data
    return struct.pack(">HHH", 0, len(names), 6 + len(records)) + records + strings


def font_tables():
    glyphs = [b"", square_glyph(100, 900, 0, 700), b"", square_glyph(50, 650, 0, 700)]
    advances = [(250, 0), (1000, 100), (500, 0), (700, 50)]
    glyf = b""
    loca = []
    for g in glyphs:
        loca.append(len(glyf))
        glyf += g + b"\0" * (-len(g) % 4)
    loca.append(len(glyf))
    t = {}
    t[b"head"] = struct.pack(">IIIIHHqqhhhhHHhhh", 0x00010000, 0x00010000, 0, 0x5F0F3CF5, 0, UPEM, 0, 0,
                             50, 0, 900, 700, 0, 8, 2, 1, 0)
    t[b"hhea"] = struct.pack(">Ihhh" + "H" + "h" * 11 + "H", 0x00010000, 800, -200, 90,
                             1000, 0, 0, 900, 1, 0, 0, 0, 0, 0, 0, 0, len(advances))
    t[b"maxp"] = struct.pack(">IH" + "H" * 13, 0x00010000, len(glyphs), 4, 1, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0)
    os2 = struct.pack(">HhHHHhhhhhhhhhhh", 1, 500, 400, 5, 0x0002, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0)
    os2 += bytes([5, 0, 0, 0, 0, 0, 0, 0, 0, 0])  # panose: family type 5 (pictorial)
    os2 += struct.pack(">IIII", 0, 0, 0, 0) + b"TAL " + struct.pack(">HHH", 0x0001, 0xF020, 0xF042)
    os2 += struct.pack(">hhhHH", 800, -200, 90, 800, 200) + struct.pack(">II", 0x80000000, 0)
    t[b"OS/2"] = os2
    t[b"post"] = struct.pack(">IihhIIIII", 0x00030000, -12 << 16, -100, 50, 0, 0, 0, 0, 0)
    t[b"hmtx"] = b"".join(struct.pack(">Hh", a, l) for a, l in advances)
    t[b"loca"] = b"".join(struct.pack(">I", o) for o in loca)
    t[b"glyf"] = glyf
    t[b"cmap"] = cmap_format4({0xF041: 1, 0xF020: 2, 0x0042: 3})
    t[b"name"] = name_table({1: "Tal Symbol Test", 2: "Regular", 4: "Tal Symbol Test", 6: "TalSymbolTest"})
    return t


def directory(tags, tables, first_offset):
    n = len(tags)
    sel = 0
    while (2 << sel) <= n:
        sel += 1
    out = struct.pack(">IHHHH", 0x00010000, n, 16 << sel, sel, n * 16 - (16 << sel))
    for tag, offset in zip(tags, first_offset):
        out += struct.pack(">4sIII", tag, checksum(tables[tag]), offset, len(tables[tag]))
    return out


def sfnt(tables):
    tags = sorted(tables)
    offset = 12 + 16 * len(tags)
    offsets = []
    body = b""
    for tag in tags:
        offsets.append(offset + len(body))
        body += tables[tag] + b"\0" * (-len(tables[tag]) % 4)
    data = bytearray(directory(tags, tables, offsets) + body)
    head_at = offsets[tags.index(b"head")]
    struct.pack_into(">I", data, head_at + 8, (0xB1B0AFBA - checksum(bytes(data))) & 0xFFFFFFFF)
    return bytes(data)


def collection(tables):
    tags = sorted(tables)
    dir_size = 12 + 16 * len(tags)
    header = 12 + 4 * 2
    body_at = header + 2 * dir_size
    offsets = {}
    body = b""
    for tag in tags:
        offsets[tag] = body_at + len(body)
        body += tables[tag] + b"\0" * (-len(tables[tag]) % 4)
    first = directory(tags, tables, [offsets[t] for t in tags])
    second = directory(list(reversed(tags)), tables, [offsets[t] for t in reversed(tags)])
    return struct.pack(">4sIII", b"ttcf", 0x00010000, 2, header) + struct.pack(">I", header + dir_size) + first + second + body


if __name__ == "__main__":
    folder = sys.argv[1] if len(sys.argv) > 1 else "."
    tables = font_tables()
    open(folder + "/symbol-test.ttf", "wb").write(sfnt(tables))
    open(folder + "/collection/collection.ttc", "wb").write(collection(tables))
