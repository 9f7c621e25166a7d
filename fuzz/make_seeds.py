#!/usr/bin/env python3
"""Writes the fuzz seeds into fuzz/seeds: small valid BMPs of every depth the
library reads, in both row orders, and the malformed cases it must refuse.
Deterministic; run it again after changing it and commit the result."""
import os
import random
import struct

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "seeds")


def row_size(bits, width):
    return (width * bits + 31) // 32 * 4


def bmp(width, height, bits, *, compression=0, info_size=40, gap=b"", clr_used=0,
        palette=None, rows=None, seed=1, off_bits=None):
    rnd = random.Random(seed)
    if palette is None:
        palette = bytes(rnd.randrange(256) for _ in range(4 << bits)) if bits in (1, 4, 8) else b""
    if rows is None:
        rows = bytes(rnd.randrange(256) for _ in range(row_size(bits, max(width, 0)) * abs(height)))
    off = 54 + len(palette) + len(gap) if off_bits is None else off_bits
    info = struct.pack("<IiiHHIIiiII", info_size, width, height, 1, bits, compression, len(rows),
                       2835, 2835, clr_used, 0)
    head = struct.pack("<HIHHI", 0x4D42, off + len(rows), 0, 0, off)
    return head + info + palette + gap + rows


def patch32(data, at, value):
    return data[:at] + struct.pack("<I", value & 0xFFFFFFFF) + data[at + 4:]


def main():
    os.makedirs(HERE, exist_ok=True)
    seeds = {
        "valid-1bit-9x5.bmp": bmp(9, 5, 1),
        "valid-1bit-17x3-topdown.bmp": bmp(17, -3, 1, seed=2),
        "valid-4bit-7x4.bmp": bmp(7, 4, 4, seed=3),
        "valid-4bit-33x3-topdown.bmp": bmp(33, -3, 4, seed=4),
        "valid-8bit-5x3.bmp": bmp(5, 3, 8, seed=5),
        "valid-8bit-6x2-topdown-gap.bmp": bmp(6, -2, 8, gap=b"\xee" * 10, clr_used=3, seed=6),
        "valid-24bit-7x5.bmp": bmp(7, 5, 24, seed=7),
        "valid-24bit-3x3-topdown.bmp": bmp(3, -3, 24, seed=8),
        "valid-32bit-5x4.bmp": bmp(5, 4, 32, seed=9),
        "valid-32bit-2x3-topdown.bmp": bmp(2, -3, 32, seed=10),
        "valid-height0.bmp": bmp(4, 0, 24, seed=11),
        "bad-magic.bmp": b"MB" + bmp(3, 2, 24)[2:],
        "bad-short-file-header.bmp": bmp(3, 2, 24)[:10],
        "bad-short-info-header.bmp": bmp(3, 2, 24)[:40],
        "bad-info-108.bmp": bmp(3, 2, 24, info_size=108, gap=bytes(68)),
        "bad-info-124.bmp": bmp(3, 2, 8, info_size=124),
        "bad-rle8.bmp": bmp(4, 2, 8, compression=1),
        "bad-rle4.bmp": bmp(4, 2, 4, compression=2),
        "bad-bitfields.bmp": bmp(3, 2, 32, compression=3),
        "bad-16bit.bmp": bmp(3, 2, 16, rows=bytes(16)),
        "bad-2bit.bmp": bmp(3, 2, 2, rows=bytes(8)),
        "bad-palette-short.bmp": bmp(3, 2, 8)[:54 + 500],
        "bad-rows-short.bmp": bmp(9, 6, 24)[:-40],
        "bad-width0.bmp": bmp(0, 2, 24, rows=bytes(8)),
        "bad-width-negative.bmp": bmp(-5, 2, 24, rows=bytes(40)),
        "bad-height-intmin.bmp": patch32(bmp(3, 1, 24), 22, -2**31),
        "bad-huge.bmp": patch32(patch32(bmp(3, 1, 24), 18, 100000), 22, 100000),
        "bad-offbits-past-end.bmp": bmp(3, 2, 24, off_bits=4000),
        "bad-offbits-2gib.bmp": bmp(3, 2, 24, off_bits=0x80000036),
        "bad-offbits-zero.bmp": bmp(5, 2, 24, off_bits=0),
    }
    for name in os.listdir(HERE):
        os.remove(os.path.join(HERE, name))
    for name, data in seeds.items():
        with open(os.path.join(HERE, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
