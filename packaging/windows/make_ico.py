#!/usr/bin/env python3
"""Packs PNG pictures into one Windows .ico, each stored as PNG (Vista and later).

Usage: make_ico.py OUTPUT.ico SIZE.png...   (square pictures, 16 to 256 pixels)
"""
import struct
import sys


def png_size(data: bytes) -> int:
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise SystemExit("make_ico: not a PNG picture")
    width, height = struct.unpack(">II", data[16:24])
    if width != height or not 16 <= width <= 256:
        raise SystemExit(f"make_ico: {width}x{height} is no icon size")
    return width


def main() -> None:
    output, inputs = sys.argv[1], sys.argv[2:]
    pictures = [open(path, "rb").read() for path in inputs]
    offset = 6 + 16 * len(pictures)
    head = struct.pack("<HHH", 0, 1, len(pictures))
    entries = b""
    for picture in pictures:
        size = png_size(picture) % 256  # 0 stands for 256
        entries += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(picture), offset)
        offset += len(picture)
    with open(output, "wb") as ico:
        ico.write(head + entries + b"".join(pictures))


if __name__ == "__main__":
    main()
