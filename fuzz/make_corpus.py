#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz targets (small, mostly malformed inputs)."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def item(ident, kind, payload=b""):
    return struct.pack(">HB", ident, kind) + payload


def counted(data, n=None):
    return struct.pack(">I", len(data) if n is None else n) + data


ALL_FIVE = (item(0, 3, counted(b"Name"))
            + item(4, 1, struct.pack(">i", -123456))
            + item(5, 2, struct.pack(">f", 2.5))
            + item(7, 0, b"\x01")
            + item(6, 4, counted(bytes(range(16)))))

DATAVECTOR = {
    "empty": b"",
    "one_byte": b"\x00",
    "two_bytes": b"\x00\x01",
    "header_only": item(1, 0),
    "int_truncated": item(4, 1, b"\x00\x00"),
    "float_truncated": item(5, 2, b"\x40"),
    "string_length_truncated": item(0, 3, b"\x00\x00"),
    "string_huge_length": item(0, 3, counted(b"AB", 0xFFFFFFFF)),
    "string_length_fffffff9": item(0, 3, counted(b"AB", 0xFFFFFFF9)),
    "binary_huge_length": item(6, 4, counted(b"\x01\x02", 0xFFFFFFFF)),
    "binary_one_short": item(6, 4, counted(b"\x01\x02", 3)),
    "type5": item(2, 5, b"\x00"),
    "all_five": ALL_FIVE,
    "all_five_stray2": ALL_FIVE + b"\x00\x07",
    "all_five_then_type5": ALL_FIVE + item(9, 5),
    "string_zero_byte": item(1, 3, counted(b"ab\x00cd")),
    "repeated_ids": item(4, 1, struct.pack(">i", 1)) + item(4, 1, struct.pack(">i", 2)),
    "float_specials": (item(20, 2, b"\x7f\xc0\x00\x00") + item(21, 2, b"\xff\x80\x00\x00")
                       + item(22, 2, struct.pack(">f", 1e20))),
    "short_strings_and_blocks": (item(30, 3, counted(b"x")) + item(31, 3, counted(b"xy"))
                                 + item(32, 4, counted(b"")) + item(33, 4, counted(b"\x05"))),
}

CRYPT = {
    "empty": b"",
    "short_seed": b"\x01\x02\x03",
    "seed0": b"\x00\x00\x00\x00" + b"Polyra image bytes",
    "seed1": b"\x00\x00\x00\x01" + bytes(64),
    "seed_2pow31": b"\x80\x00\x00\x00" + bytes(range(100)),
    "seed_ffffffff": b"\xff\xff\xff\xff" + bytes(range(255, 0, -1)),
    "seed_30269": struct.pack(">I", 30269) + b"\xaa" * 50,
    "seed_random": struct.pack(">I", 0x5EED1234) + bytes((i * 37 + 11) % 256 for i in range(41)),
}


def write(folder, cases):
    path = os.path.join(HERE, "corpus", folder)
    os.makedirs(path, exist_ok=True)
    for name, data in cases.items():
        with open(os.path.join(path, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    write("datavector", DATAVECTOR)
    write("crypt", CRYPT)
