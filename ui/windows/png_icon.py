"""Packs PNG pictures into a Windows icon file: icon.ico 16.png 32.png ...

Each picture is kept as PNG inside the icon, as Windows has read them since Vista, so nothing
but the standard library is needed.
"""

import struct
import sys


def main():
    target, sources = sys.argv[1], sys.argv[2:]
    pictures = []
    for source in sources:
        with open(source, "rb") as file:
            data = file.read()
        if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
            sys.exit(f"{source}: not a PNG picture")
        width, height = struct.unpack(">II", data[16:24])
        if not 0 < width <= 256 or not 0 < height <= 256:
            sys.exit(f"{source}: an icon's pictures are at most 256 px a side")
        pictures.append((width, height, data))

    header = struct.pack("<HHH", 0, 1, len(pictures))
    offset = len(header) + 16 * len(pictures)
    entries, bodies = b"", b""
    for width, height, data in pictures:
        # 256 is written as 0; 32 bits a pixel, in one plane.
        entries += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32, len(data),
                               offset + len(bodies))
        bodies += data
    with open(target, "wb") as file:
        file.write(header + entries + bodies)


if __name__ == "__main__":
    main()
