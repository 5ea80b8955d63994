#!/usr/bin/env python3
# Writes the font descriptions of the reference models (the payloads of their
# font sections): a printer-font-metrics block of 147 bytes, the face and
# family names, the widths of the first to last character, kerning pairs, the
# font's number in the printer as a hexadecimal string, and the printer's
# character-code tables. Little-endian, as the graphics library reads them.
# Run it in this folder; the .fnt files it writes are checked in.
import struct

def names(face, family, code_page):
    return face.encode(code_page) + b"\0" + family.encode(code_page) + b"\0"

def font(path, face, family, *, charset=0, pitch_family=0x22, weight=400, italic=0, underline=0,
         first=32, last=255, default=127, brk=32, max_width=600, avg_width=0, widths=None,
         kerning=(), number="1", code_tables=None, ascent=800, height=1150, internal=150, code_page="cp1252"):
    body = bytearray()
    def place(data):
        at = 147 + len(body)
        body.extend(data)
        return at
    face_at = place(names(face, family, code_page))
    ext_at = place(bytes(range(52)))
    width_at = place(struct.pack("<%dh" % len(widths), *widths)) if widths else 0
    kern_at = place(struct.pack("<H", len(kerning)) + b"".join(struct.pack("<BBh", a, b, k) for a, b, k in kerning)) if kerning else 0
    number_at = place(number.encode("ascii") + b"\0")
    tables_at = 0
    if code_tables:
        direct_first, direct, ranges, subranges, pairs = code_tables
        direct_at = place(struct.pack("<%dH" % len(direct), *direct)) if direct else 0
        ranges_at = place(b"".join(struct.pack("<HHH", *r) for r in ranges)) if ranges else 0
        sub_at = []
        for first_code, codes in subranges:
            sub_at.append(place(struct.pack("<%dH" % len(codes), *codes)))
        subs_at = place(b"".join(struct.pack("<HHI", s[0], s[0] + len(s[1]) - 1, a)
                                 for s, a in zip(subranges, sub_at))) if subranges else 0
        pairs_at = place(b"".join(struct.pack("<HH", *p) for p in sorted(pairs))) if pairs else 0
        block = struct.pack("<HHIHIHIHI", direct_first, direct_first + max(len(direct), 1) - 1, direct_at,
                            len(ranges), ranges_at, len(subranges), subs_at, len(pairs), pairs_at)
        tables_at = place(block)
    size = 147 + len(body)
    head = struct.pack("<HI60sHHHHHHHBBBHBHHBHHBBBBHIIII",
                       0x100, size, b"Reference model font", 0x80, 10, 600, 600, ascent, internal, 0,
                       italic, underline, 0, weight, charset, 0, height, pitch_family, avg_width, max_width,
                       first, last, default, brk, 0, 0, face_at, 0, 0)
    ext = struct.pack("<HIIIIIII", 30, ext_at, width_at, 0, kern_at, 0, number_at, tables_at)
    assert len(head) + len(ext) == 147
    with open(path, "wb") as f:
        f.write(head + ext + body)

def latin_widths(first, last, narrow, wide):
    return [wide if chr(c).isupper() or c in (ord("m"), ord("w")) else narrow for c in range(first, last + 1)]

# A proportional sans with kerning and every kind of code table: printer codes
# of 32..126 one to one (direct), the Latin-1 letters by ranges, the
# punctuation of 0x80..0x9F by a sub-table, and a few single codes by pairs.
# Code 0x7F has no printer code: such characters are sent as glyphs.
sans_tables = (32, list(range(32, 127)),
               [(0xC0, 0xD6, 0xC0), (0xD8, 0xF6, 0xD8)],
               [(0x80, [0x80 + i for i in range(32)])],
               [(0xA0, 0x20), (0xA9, 0xA9), (0xAE, 0xAE), (0xB0, 0xB0), (0xE9, 0x82), (0xFF, 0x98)])
font("sans.fnt", "Morva Sans", "Morva Sans", pitch_family=0x22, widths=latin_widths(32, 255, 500, 700),
     max_width=900, kerning=[(ord("A"), ord("V"), -80), (ord("A"), ord("W"), -60), (ord("T"), ord("o"), -70),
                              (ord("V"), ord("A"), -80)], number="1A", code_tables=sans_tables)
# The same face in bold: a second font of one face, which is not offered.
font("sans_bold.fnt", "Morva Sans", "Morva Sans", pitch_family=0x22, weight=700,
     widths=latin_widths(32, 255, 550, 750), max_width=950, number="1B", code_tables=sans_tables)
# A proportional serif without code tables: every code is its own printer code.
font("serif.fnt", "Morva Serif", "Morva Serif", pitch_family=0x12, weight=0,
     widths=latin_widths(32, 255, 450, 650), max_width=850, number="2")
# A fixed-pitch font (no pitch bits) without a width table: every code the
# maximum width.
font("mono.fnt", "Morva Mono", "Morva Mono", pitch_family=0x30, weight=1200, max_width=600, avg_width=600,
     number="3")
# A Shift-JIS font: no width table, so single-byte codes are half the maximum.
font("mincho.fnt", "Morva Mincho", "Morva Mincho", charset=128, pitch_family=0x10, max_width=1000,
     avg_width=500, first=32, last=223, default=165, number="80", code_page="cp932")
# A symbol font (character set 2): characters reach it through code page 42.
font("symbol.fnt", "Morva Symbol", "Morva Symbol", charset=2, pitch_family=0x51, widths=[600] * 224,
     max_width=600, number="4")
