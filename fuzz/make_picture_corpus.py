#!/usr/bin/env python3
"""Writes the seed corpus of the picture fuzz target: small PNG files of every
colour type and bit depth, interlaced and not, small BMP files of the common
layouts, broken files of both kinds, and files of kinds that are refused.
The JPEG seeds come from tests/support/make_jpeg_corpus, which writes them
through libjpeg. Rerunning gives the same bytes."""
import gzip
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))

# ---------------------------------------------------------------- PNG

SIGNATURE = b"\x89PNG\r\n\x1a\n"
GRAY, RGB, PALETTE, GRAY_ALPHA, RGBA = 0, 2, 3, 4, 6
CHANNELS = {GRAY: 1, RGB: 3, PALETTE: 1, GRAY_ALPHA: 2, RGBA: 4}
DEPTHS = {GRAY: (1, 2, 4, 8, 16), RGB: (8, 16), PALETTE: (1, 2, 4, 8), GRAY_ALPHA: (8, 16), RGBA: (8, 16)}
# x0, y0, dx, dy of the seven passes.
ADAM7 = ((0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2))


def chunk(kind, data, crc=None):
    if crc is None:
        crc = zlib.crc32(kind + data)
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", crc & 0xFFFFFFFF)


def ihdr(width, height, depth, colour, interlaced=False):
    return chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, depth, colour, 0, 0, 1 if interlaced else 0))


def sample(x, y, c, depth, levels):
    # A pattern that uses the whole range and compresses well.
    return (x * 7 + y * 13 + c * 5 + (x * y) // 3) % levels if levels else 0


def pack_row(values, depth):
    if depth == 16:
        return b"".join(struct.pack(">H", v) for v in values)
    if depth == 8:
        return bytes(values)
    out = bytearray()
    per_byte = 8 // depth
    for i in range(0, len(values), per_byte):
        byte = 0
        group = values[i:i + per_byte]
        for j, v in enumerate(group):
            byte |= v << (8 - depth * (j + 1))
        out.append(byte)
    return bytes(out)


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def filtered(kind, row, prev, bpp):
    out = bytearray([kind])
    for i, value in enumerate(row):
        a = row[i - bpp] if i >= bpp else 0
        b = prev[i]
        c = prev[i - bpp] if i >= bpp else 0
        predictor = (0, a, b, (a + b) // 2, paeth(a, b, c))[kind]
        out.append((value - predictor) & 0xFF)
    return bytes(out)


def scanlines(width, height, depth, colour, interlaced, levels):
    """The filtered rows of the picture (of each pass when interlaced); every
    filter type is used in turn."""
    channels = CHANNELS[colour]
    bpp = max(1, channels * depth // 8)
    passes = ADAM7 if interlaced else ((0, 0, 1, 1),)
    out = bytearray()
    n = 0
    for x0, y0, dx, dy in passes:
        xs = range(x0, width, dx)
        ys = range(y0, height, dy)
        if not xs or not ys:
            continue
        prev = None
        for y in ys:
            row = pack_row([sample(x, y, c, depth, levels) for x in xs for c in range(channels)], depth)
            prev = prev or bytes(len(row))
            out += filtered(n % 5 if colour != PALETTE else 0, row, prev, bpp)
            prev = row
            n += 1
    return bytes(out)


def png(width, height, depth, colour, interlaced=False, trns=False, extra=b"", palette_size=None):
    levels = 1 << depth
    body = ihdr(width, height, depth, colour, interlaced) + extra
    if colour == PALETTE:
        entries = palette_size or min(levels, 200)
        levels = entries
        body += chunk(b"PLTE", bytes((i * 37 + k * 91) % 256 for i in range(entries) for k in range(3)))
        if trns:
            # Fewer alphas than entries: the rest are opaque.
            body += chunk(b"tRNS", bytes((i * 61) % 256 for i in range(max(1, entries - 1))))
    elif trns:
        key = [sample(0, 0, c, depth, levels) for c in range(CHANNELS[colour])]
        body += chunk(b"tRNS", b"".join(struct.pack(">H", v) for v in key))
    data = zlib.compress(scanlines(width, height, depth, colour, interlaced, levels), 9)
    return SIGNATURE + body + chunk(b"IDAT", data) + chunk(b"IEND", b"")


def png_kinds():
    out = {}
    names = {GRAY: "gray", RGB: "rgb", PALETTE: "palette", GRAY_ALPHA: "gray_alpha", RGBA: "rgba"}
    for colour, depths in DEPTHS.items():
        for depth in depths:
            trns_choices = (False, True) if colour in (GRAY, RGB, PALETTE) else (False,)
            for trns in trns_choices:
                for interlaced in (False, True):
                    name = "png_%s%s_%d%s" % (names[colour], "_trns" if trns else "", depth,
                                              "_interlaced" if interlaced else "")
                    out[name] = png(13, 11, depth, colour, interlaced, trns)
    return out


def png_shapes():
    ancillary = (chunk(b"gAMA", struct.pack(">I", 45455)) + chunk(b"sRGB", b"\x00")
                 + chunk(b"pHYs", struct.pack(">IIB", 2835, 2835, 1)) + chunk(b"sBIT", b"\x05\x06\x05")
                 + chunk(b"tEXt", b"Comment\x00seed"))
    icc = chunk(b"iCCP", b"profile\x00\x00" + zlib.compress(bytes((i * 29) % 256 for i in range(160)), 9))
    # Texts and a profile that inflate to megabytes, which a reader passes over.
    bomb = zlib.compress(b" " * (8 << 20), 9)
    texts = (chunk(b"zTXt", b"Comment\x00\x00" + bomb) * 3 + chunk(b"iTXt", b"XML\x00\x01\x00\x00\x00" + bomb)
             + chunk(b"iCCP", b"big\x00\x00" + bomb) + chunk(b"sPLT", b"p\x00\x08" + bytes(6 * 500)))
    return {
        # Fitted pictures are scaled down: wide, tall and both.
        "png_palette_4_large_interlaced": png(450, 300, 4, PALETTE, True),
        "png_rgb_8_wide": png(300, 5, 8, RGB),
        "png_gray_8_tall": png(3, 500, 8, GRAY),
        "png_rgba_8_one_pixel": png(1, 1, 8, RGBA),
        "png_gray_alpha_8_one_pixel_interlaced": png(1, 1, 8, GRAY_ALPHA, True),
        "png_rgb_16_3x2_interlaced": png(3, 2, 16, RGB, True),
        "png_rgb_8_ancillary": png(13, 11, 8, RGB, extra=ancillary),
        "png_rgb_8_iccp_garbage": png(13, 11, 8, RGB, extra=icc),
        "png_rgb_8_inflating_texts": png(13, 11, 8, RGB, extra=texts),
        "png_palette_8_short_plte": png(13, 11, 8, PALETTE, palette_size=3),
    }


def split_idat(file, pieces):
    """The same picture with its compressed data spread over several IDATs."""
    body, data = bytearray(SIGNATURE), b""
    for kind, payload in chunks(file):
        if kind == b"IDAT":
            data += payload
        elif kind == b"IEND":
            step = (len(data) + pieces - 1) // pieces
            for i in range(0, len(data), step):
                body += chunk(b"IDAT", data[i:i + step])
            body += chunk(b"IEND", b"")
        else:
            body += chunk(kind, payload)
    return bytes(body)


def chunks(file):
    at = len(SIGNATURE)
    while at + 12 <= len(file):
        (length,) = struct.unpack(">I", file[at:at + 4])
        yield file[at + 4:at + 8], file[at + 8:at + 8 + length]
        at += 12 + length


def with_bad_crc(file, kind):
    at = file.index(kind) - 4
    (length,) = struct.unpack(">I", file[at:at + 4])
    end = at + 8 + length
    return file[:end] + bytes(b ^ 0xFF for b in file[end:end + 4]) + file[end + 4:]


def png_broken():
    good = png(13, 11, 8, RGB)
    gray = png(13, 11, 8, GRAY)
    no_end = good[:good.index(b"IEND") - 4]
    tiny_idat = chunk(b"IDAT", zlib.compress(b"\x00" * 64, 9))
    too_much = zlib.compress(scanlines(13, 22, 8, RGB, False, 256), 9)
    return {
        "empty": b"",
        "png_signature_only": SIGNATURE,
        "png_cut_in_ihdr": good[:20],
        "png_cut_in_idat": good[:good.index(b"IDAT") + 30],
        "png_no_iend": no_end,
        "png_bad_crc_ihdr": with_bad_crc(good, b"IHDR"),
        "png_bad_crc_idat": with_bad_crc(good, b"IDAT"),
        "png_bad_crc_ancillary": with_bad_crc(png(13, 11, 8, RGB, extra=chunk(b"gAMA", struct.pack(">I", 45455))),
                                              b"gAMA"),
        "png_idat_in_pieces": split_idat(png(13, 11, 8, RGBA, True), 5),
        "png_zero_width": SIGNATURE + ihdr(0, 11, 8, GRAY) + tiny_idat + chunk(b"IEND", b""),
        "png_zero_height": SIGNATURE + ihdr(13, 0, 8, GRAY) + tiny_idat + chunk(b"IEND", b""),
        "png_huge_claimed": SIGNATURE + ihdr(1000000, 1000000, 8, GRAY) + tiny_idat + chunk(b"IEND", b""),
        "png_just_over_limit": SIGNATURE + ihdr(8193, 8192, 1, GRAY) + tiny_idat + chunk(b"IEND", b""),
        "png_at_limit_cut_short": SIGNATURE + ihdr(8192, 8192, 1, GRAY) + tiny_idat + chunk(b"IEND", b""),
        "png_width_over_2pow31": SIGNATURE + ihdr(0x80000001, 1, 8, GRAY) + tiny_idat + chunk(b"IEND", b""),
        "png_bad_depth_for_rgb": SIGNATURE + ihdr(13, 11, 4, RGB) + tiny_idat + chunk(b"IEND", b""),
        "png_palette_without_plte": SIGNATURE + ihdr(13, 11, 8, PALETTE) + chunk(b"IDAT", zlib.compress(
            scanlines(13, 11, 8, PALETTE, False, 4), 9)) + chunk(b"IEND", b""),
        "png_idat_too_long": SIGNATURE + ihdr(13, 11, 8, RGB) + chunk(b"IDAT", too_much) + chunk(b"IEND", b""),
        "png_idat_not_zlib": SIGNATURE + ihdr(13, 11, 8, GRAY) + chunk(b"IDAT", bytes(range(40)))
        + chunk(b"IEND", b""),
        "png_bad_filter_type": SIGNATURE + ihdr(4, 2, 8, GRAY) + chunk(b"IDAT", zlib.compress(
            b"\x07\x01\x02\x03\x04\x09\x01\x02\x03\x04", 9)) + chunk(b"IEND", b""),
        "png_gray_bad_trns_length": gray[:gray.index(b"IDAT") - 4] + chunk(b"tRNS", b"\x00\x01\x02\x03\x04")
        + gray[gray.index(b"IDAT") - 4:],
    }

# ---------------------------------------------------------------- BMP

BI_RGB, BI_RLE8, BI_RLE4, BI_BITFIELDS = 0, 1, 2, 3


def bmp(width, height, bits, pixels, palette=b"", compression=BI_RGB, masks=b"", header=40, colours_used=None,
        offset=None, size_field=None):
    """A BMP file: file header, info header (40, 56 (with masks) or 124
    bytes), masks, palette and pixel data. height < 0 is top-down."""
    info = struct.pack("<IiiHHIIiiII", header, width, height, 1, bits, compression, len(pixels), 2835, 2835,
                       len(palette) // 4 if colours_used is None else colours_used, 0)
    if header > 40:
        # Masks inside the header, then a colour space and what follows.
        info += masks.ljust(16, b"\0") + b"\0" * (header - 56)
        masks = b""
    head_size = 14 + len(info) + len(masks) + len(palette)
    total = head_size + len(pixels)
    file_head = b"BM" + struct.pack("<IHHI", total if size_field is None else size_field, 0, 0,
                                    head_size if offset is None else offset)
    return file_head + info + masks + palette + pixels


def os2_bmp(width, height, bits, pixels, palette):
    info = struct.pack("<IHHHH", 12, width, height, 1, bits)
    head_size = 14 + len(info) + len(palette)
    return b"BM" + struct.pack("<IHHI", head_size + len(pixels), 0, 0, head_size) + info + palette + pixels


def bmp_rows(width, height, bits):
    """Rows of the pattern, each padded to four bytes."""
    out = bytearray()
    for y in range(height):
        if bits >= 8:
            row = bytes(sample(x, y, c, 8, 256) for x in range(width) for c in range(bits // 8))
        else:
            row = pack_row([sample(x, y, 0, bits, 1 << bits) for x in range(width)], bits)
        out += row + b"\0" * (-len(row) % 4)
    return bytes(out)


def grey_palette(n):
    return b"".join(bytes((i * 255 // max(1, n - 1),) * 3) + b"\0" for i in range(n))


def rle8(width, height):
    """Runs, absolute stretches, a delta, the ends of lines, and the end of
    the picture one line early."""
    out = bytearray()
    for y in range(height - 1):
        if y == 2:
            out += bytes((4, 1)) + b"\x00\x02\x03\x00" + bytes((min(width - 7, 255), 2))
        else:
            out += bytes((width // 2, y % 7))
            rest = width - width // 2
            stretch = bytes((y + k) % 7 for k in range(rest))
            out += bytes((0, rest)) + stretch + b"\0" * (len(stretch) % 2)
        out += b"\x00\x00"
    return bytes(out) + b"\x00\x01"


def rle8_runs(width, height):
    """Runs only, so a large picture stays a small file."""
    out = bytearray()
    for y in range(height):
        for x in range(0, width, 100):
            out += bytes((min(100, width - x), (x // 100 + y // 30) % 7))
        out += b"\x00\x00"
    return bytes(out) + b"\x00\x01"


def rle4(width, height):
    out = bytearray()
    for y in range(height):
        out += bytes((width // 2, (y % 16) << 4 | (y + 3) % 16))
        rest = width - width // 2
        nibbles = [(y + k) % 16 for k in range(rest)]
        packed = pack_row(nibbles, 4)
        out += bytes((0, rest)) + packed + b"\0" * (len(packed) % 2) + b"\x00\x00"
    return bytes(out) + b"\x00\x01"


def bmp_kinds():
    masks565 = struct.pack("<III", 0xF800, 0x07E0, 0x001F)
    masks_alpha = struct.pack("<IIII", 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000)
    return {
        "bmp_24": bmp(13, 11, 24, bmp_rows(13, 11, 24)),
        "bmp_24_top_down": bmp(13, -11, 24, bmp_rows(13, 11, 24)),
        "bmp_32": bmp(13, 11, 32, bmp_rows(13, 11, 32)),
        "bmp_32_alpha_v5": bmp(13, 11, 32, bmp_rows(13, 11, 32), compression=BI_BITFIELDS, masks=masks_alpha,
                               header=124),
        "bmp_16_565": bmp(13, 11, 16, bmp_rows(13, 11, 16), compression=BI_BITFIELDS, masks=masks565),
        "bmp_16_555": bmp(13, 11, 16, bmp_rows(13, 11, 16)),
        "bmp_8_palette": bmp(13, 11, 8, bytes(b % 200 for b in bmp_rows(13, 11, 8)), grey_palette(200)),
        "bmp_4_palette": bmp(13, 11, 4, bmp_rows(13, 11, 4), grey_palette(16)),
        "bmp_1_palette": bmp(13, 11, 1, bmp_rows(13, 11, 1), b"\x10\x20\x30\0\xe0\xd0\xc0\0"),
        "bmp_rle8": bmp(13, 11, 8, rle8(13, 11), grey_palette(7), compression=BI_RLE8),
        "bmp_rle8_large": bmp(400, 200, 8, rle8_runs(400, 200), grey_palette(7), compression=BI_RLE8),
        "bmp_rle4": bmp(13, 11, 4, rle4(13, 11), grey_palette(16), compression=BI_RLE4),
        "bmp_24_wide": bmp(300, 2, 24, bmp_rows(300, 2, 24)),
        "bmp_os2_8": os2_bmp(13, 11, 8, bmp_rows(13, 11, 8), bytes(i % 256 for i in range(256 * 3))),
    }


def bmp_broken():
    good = bmp(13, 11, 24, bmp_rows(13, 11, 24))
    rows8 = bytes(b % 16 for b in bmp_rows(13, 11, 8))
    return {
        "bmp_cut_in_header": good[:30],
        "bmp_cut_in_pixels": good[:len(good) // 2],
        "bmp_huge_claimed": bmp(100000, 100000, 24, bmp_rows(4, 4, 24)),
        "bmp_just_over_limit": bmp(8193, 8192, 1, bmp_rows(8, 8, 1), b"\0\0\0\0\xff\xff\xff\0"),
        "bmp_at_limit_cut_short": bmp(8192, -8192, 1, bmp_rows(8, 8, 1), b"\0\0\0\0\xff\xff\xff\0"),
        "bmp_zero_width": bmp(0, 11, 24, b""),
        "bmp_zero_height": bmp(13, 0, 24, b""),
        "bmp_negative_width": bmp(-13, 11, 24, bmp_rows(13, 11, 24)),
        "bmp_height_int_min": bmp(13, -0x80000000, 24, bmp_rows(13, 2, 24)),
        "bmp_colours_used_huge": bmp(13, 11, 8, rows8, grey_palette(16), colours_used=0xFFFFFFFF),
        "bmp_offset_past_end": bmp(13, 11, 24, bmp_rows(13, 11, 24), offset=0x7FFFFFF0),
        "bmp_offset_inside_header": bmp(13, 11, 24, bmp_rows(13, 11, 24), offset=4),
        "bmp_size_field_wrong": bmp(13, 11, 24, bmp_rows(13, 11, 24), size_field=0xFFFFFFFF),
        "bmp_rle8_runs_past_the_end": bmp(13, 11, 8, b"\xff\x01" * 20 + b"\x00\x02\xff\xff" + b"\x00\x01",
                                          grey_palette(2), compression=BI_RLE8),
        "bmp_rle8_absolute_cut_short": bmp(13, 11, 8, b"\x00\xfe\x01\x02", grey_palette(2), compression=BI_RLE8),
        "bmp_rle4_on_8_bits": bmp(13, 11, 8, rle4(13, 11), grey_palette(16), compression=BI_RLE4),
        "bmp_bitfields_zero_masks": bmp(13, 11, 16, bmp_rows(13, 11, 16), compression=BI_BITFIELDS,
                                        masks=bytes(12)),
        "bmp_bitfields_overlapping": bmp(13, 11, 32, bmp_rows(13, 11, 32), compression=BI_BITFIELDS,
                                         masks=struct.pack("<III", 0xFFFFFFFF, 0xFFFFFFFF, 0x1)),
        "bmp_bits_7": bmp(13, 11, 7, bmp_rows(13, 11, 8)),
        "bmp_header_size_huge": bmp(13, 11, 24, bmp_rows(13, 11, 24))[:14] + struct.pack("<I", 0xFFFFFF00)
        + bmp(13, 11, 24, bmp_rows(13, 11, 24))[18:],
        "bmp_palette_index_past_palette": bmp(13, 11, 8, bytes(255 for _ in rows8), grey_palette(2)),
    }


# ---------------------------------------------------------------- refused kinds

def refused():
    svg = (b'<?xml version="1.0"?>\n<svg xmlns="http://www.w3.org/2000/svg" width="8192" height="8192">'
           + b'<rect width="100%" height="100%" fill="#336699"/>' + b" " * 4000 + b"</svg>\n")
    return {
        "svg": svg,
        "svgz": gzip.compress(svg, 9, mtime=0),
        "gif_header": b"GIF89a" + struct.pack("<HH", 8192, 8192) + b"\x80\x00\x00" + bytes(6) + b";",
        "xbm": b"#define p_width 8192\n#define p_height 8192\nstatic char p_bits[] = { 0x00 };\n",
    }


def write(folder, cases):
    path = os.path.join(HERE, "corpus", folder)
    os.makedirs(path, exist_ok=True)
    for name, data in sorted(cases.items()):
        with open(os.path.join(path, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    cases = {}
    for part in (png_kinds(), png_shapes(), png_broken(), bmp_kinds(), bmp_broken(), refused()):
        assert not set(part) & set(cases)
        cases.update(part)
    write("picture", cases)
