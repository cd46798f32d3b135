# Writes the tiny PNG pictures the graphics tests read (run once; the files are kept).
import struct
import zlib


def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)


def png(name, width, height, depth, colour_type, rows, extra=b""):
    raw = b"".join(b"\x00" + bytes(r) for r in rows)
    data = b"\x89PNG\r\n\x1a\n"
    data += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, depth, colour_type, 0, 0, 0))
    data += extra
    data += chunk(b"IDAT", zlib.compress(raw))
    data += chunk(b"IEND", b"")
    with open(name, "wb") as f:
        f.write(data)
    return data


png("grey8.png", 3, 2, 8, 0, [[0, 128, 255], [10, 20, 30]])
png("grey1.png", 8, 1, 1, 0, [[0b10110000]])
png("grey_alpha.png", 2, 1, 8, 4, [[100, 50, 200, 255]])
png("rgb.png", 2, 2, 8, 2, [[255, 0, 0, 0, 255, 0], [0, 0, 255, 7, 3, 7]])
png("rgba.png", 2, 1, 8, 6, [[10, 20, 30, 0, 40, 50, 60, 128]])
png("rgb16.png", 1, 1, 16, 2, [[0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC]])
palette = chunk(b"PLTE", bytes([255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255]))
png("palette.png", 2, 2, 8, 3, [[0, 1], [2, 3]], palette)
png("palette_trns.png", 2, 1, 8, 3, [[0, 3]], palette + chunk(b"tRNS", bytes([0, 255, 255, 255])))
png("mask4x2.png", 4, 2, 8, 0, [[0, 64, 128, 255], [255, 128, 64, 0]])
good = png("truncated.png", 2, 2, 8, 2, [[255, 0, 0, 0, 255, 0], [0, 0, 255, 7, 3, 7]])
with open("truncated.png", "wb") as f:
    f.write(good[: len(good) - 30])
with open("bad_crc.png", "wb") as f:
    f.write(good[:20] + bytes([good[20] ^ 0xFF]) + good[21:])
# A header that claims a picture far larger than any the game uses.
huge = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 100000, 100000, 8, 2, 0, 0, 0))
with open("huge.png", "wb") as f:
    f.write(huge + chunk(b"IEND", b""))
