#!/usr/bin/env python3
# Writes the Shift-JIS glyph set of the graphics library (resource 6 of type
# 260): a header of four 32-bit words (the last the run count), per run an
# 8-byte entry (16-bit first character, 16-bit glyph count, 4 bytes unused),
# then the glyph handles of all runs in order, 32 bits each. A glyph handle is
# the character's Shift-JIS code (one or two bytes). Little-endian.
# Run it in this folder; shift_jis.gset is checked in.
import struct

codes = {}
for b in list(range(0x20, 0x7F)) + list(range(0xA1, 0xE0)):
    try:
        codes.setdefault(ord(bytes([b]).decode("shift_jis")), b)
    except UnicodeDecodeError:
        pass
for lead in list(range(0x81, 0xA0)) + list(range(0xE0, 0xF0)):
    for trail in list(range(0x40, 0x7F)) + list(range(0x80, 0xFD)):
        try:
            text = bytes([lead, trail]).decode("shift_jis")
        except UnicodeDecodeError:
            continue
        if len(text) == 1:
            codes.setdefault(ord(text), lead << 8 | trail)
chars = sorted(c for c in codes if c <= 0xFFFF)
runs = []
for c in chars:
    if runs and runs[-1][0] + runs[-1][1] == c:
        runs[-1][1] += 1
    else:
        runs.append([c, 1])
out = struct.pack("<IIII", 1, len(chars), 0, len(runs))
out += b"".join(struct.pack("<HHI", first, count, 0) for first, count in runs)
out += b"".join(struct.pack("<I", codes[c]) for c in chars)
with open("shift_jis.gset", "wb") as f:
    f.write(out)
