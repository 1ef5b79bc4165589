#!/usr/bin/env python3
"""Writes the hostile picture files of this folder: headers that lie about their size,
files cut short, bitmaps whose sizes overflow, a device picture file of huge dimensions.

Every file is a few hundred bytes at most, built byte by byte from the file formats' own
rules (JPEG baseline, PNG, GIF89a, BMP, TIFF 6.0); nothing is taken from elsewhere. Run by
hand after changing a file here; the files are committed and also seed the picture fuzzers.
"""
import pathlib
import struct
import zlib

HERE = pathlib.Path(__file__).resolve().parent


def jpeg(width, height, scan_bytes=b"\x00\x3f", end=True):
    """A gray baseline JPEG: one all-ones quantization table, Huffman tables with a single
    one-bit code each (DC category 0, AC end of block), so every block codes as 2 bits."""
    out = b"\xff\xd8"
    out += b"\xff\xdb" + struct.pack(">H", 67) + b"\x00" + b"\x01" * 64
    one_code = bytes([1] + [0] * 15)
    out += b"\xff\xc4" + struct.pack(">H", 2 + 17 + 1) + b"\x00" + one_code + b"\x00"
    out += b"\xff\xc4" + struct.pack(">H", 2 + 17 + 1) + b"\x10" + one_code + b"\x00"
    out += b"\xff\xc0" + struct.pack(">HBHHB", 11, 8, height, width, 1) + b"\x01\x11\x00"
    out += b"\xff\xda" + struct.pack(">HB", 8, 1) + b"\x01\x00" + b"\x00\x3f\x00"
    out += scan_bytes
    if end:
        out += b"\xff\xd9"
    return out


def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def png(width, height, rows=1, cut=None):
    """An 8-bit RGB PNG whose IDAT holds only `rows` rows (filter 0, black)."""
    raw = (b"\x00" + b"\x00" * (3 * min(width, 64))) * rows
    out = b"\x89PNG\r\n\x1a\n"
    out += png_chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
    out += png_chunk(b"IDAT", zlib.compress(raw))
    out += png_chunk(b"IEND", b"")
    return out if cut is None else out[:cut]


def gif(width, height, end=True):
    """GIF89a of a two-colour table and one image of the screen's size; the LZW data is a
    clear code, one pixel and the end code (minimum code size 2)."""
    out = b"GIF89a" + struct.pack("<HHBBB", width, height, 0x80, 0, 0)
    out += b"\x00\x00\x00\xff\xff\xff"
    out += b"\x2c" + struct.pack("<HHHHB", 0, 0, width, height, 0)
    # Codes of 3 bits, least significant first: clear (4), 0, end (5).
    out += b"\x02\x02\x44\x01\x00"
    if end:
        out += b"\x3b"
    return out


def bmp(width, height, bits, data=b"\x00" * 16, image_size=0):
    """A BMP with a 40-byte information header and whatever sizes it is given (width and
    height as signed 32-bit fields)."""
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, image_size, 0, 0, 0, 0)
    return b"BM" + struct.pack("<IHHI", 54 + len(data), 0, 0, 54) + info + data


def tiff(width, height):
    """A little-endian TIFF of 8-bit RGB, one strip of 16 bytes, declaring a huge size."""
    entries = [
        (256, 4, 1, width),    # ImageWidth
        (257, 4, 1, height),   # ImageLength
        (258, 3, 1, 8),        # BitsPerSample (one value serves all three samples)
        (259, 3, 1, 1),        # Compression: none
        (262, 3, 1, 2),        # PhotometricInterpretation: RGB
        (273, 4, 1, 0),        # StripOffsets, patched below
        (277, 3, 1, 3),        # SamplesPerPixel
        (278, 4, 1, height),   # RowsPerStrip
        (279, 4, 1, 16),       # StripByteCounts
    ]
    ifd_at = 8
    data_at = ifd_at + 2 + 12 * len(entries) + 4
    out = b"II*\x00" + struct.pack("<I", ifd_at) + struct.pack("<H", len(entries))
    for tag, kind, count, value in entries:
        if tag == 273:
            value = data_at
        packed = struct.pack("<HI", value, 0)[:4] if kind == 3 else struct.pack("<I", value)
        out += struct.pack("<HHI", tag, kind, count) + packed
    out += struct.pack("<I", 0) + b"\x80" * 16
    return out


def dpf(width, height):
    """A device picture file: big-endian size, sampling 0, table selectors, then noise."""
    head = struct.pack(">HH", width, height) + bytes([0, 0, 1, 1, 0, 1, 1, 0, 1, 1, 0, 0])
    return head + bytes((i * 37) & 0xFF for i in range(240))


FILES = {
    "jpeg-30000x30000.jpg": jpeg(30000, 30000),
    "jpeg-65500x65500.jpg": jpeg(65500, 65500),
    "jpeg-truncated.jpg": jpeg(64, 64, scan_bytes=b"\x00", end=False),
    "png-30000x30000.png": png(30000, 30000),
    "png-truncated.png": png(64, 64, rows=64, cut=60),
    "gif-30000x30000.gif": gif(30000, 30000),
    "gif-truncated.gif": gif(64, 64, end=False)[:-3],
    "bmp-overflow-32bit.bmp": bmp(0x40000001, 0x40000001, 32),
    "bmp-overflow-topdown.bmp": bmp(0x7FFFFFFF, -0x7FFFFFFF, 24),
    "bmp-lying-size.bmp": bmp(30000, 30000, 24, image_size=16),
    "tiff-30000x30000.tif": tiff(30000, 30000),
    "dpf-65535x65535.dpf": dpf(65535, 65535),
}


def main():
    for name, data in FILES.items():
        (HERE / name).write_bytes(data)


if __name__ == "__main__":
    main()
