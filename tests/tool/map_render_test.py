#!/usr/bin/env python3
"""Renders the --map picture of a failing check and checks the colours of
cells known to fail and to pass.

An exhaustive 8-bit signed file is broken as a floored divider would break
it (a non-zero remainder takes the divisor's sign): rows whose operands
have opposite signs differ, the others agree. The SVG is rendered with
rsvg-convert and the centre pixel of each chosen cell read from the PNG.
Usage: map_render_test.py QUODRA_DIV RSVG_CONVERT [DOCS_PICTURE]: with
DOCS_PICTURE, the picture must also be byte for byte the one the docs show.
"""
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
import zlib
from pathlib import Path


def signed(v, width):
    return v - (1 << width) if v >> (width - 1) else v


def floored_rows(correct, width):
    """The rows of an exhaustive signed width/width file as a divider that
    floors writes them: a non-zero remainder with the divisor's sign."""
    rows, digits, field = [], (width + 3) // 4, (1 << width) - 1
    for line in correct.splitlines():
        n, d, q, r, z = (int(c, 16) for c in line.split())
        big_q, big_r = signed(q, width), signed(r, width)
        if z == 0 and big_r != 0 and (big_r < 0) != (signed(d, width) < 0):
            big_q, big_r = big_q - 1, big_r + signed(d, width)
        rows.append(" ".join("%0*x" % (digits, v) for v in (n, d, big_q & field, big_r & field))
                    + " %d" % z)
    return "\n".join(rows) + "\n"


def floored_map(tool, width, work):
    """Checks the floored file of a width/width core with --map; the
    picture's path."""
    widths = ["--dividend-width", str(width), "--divisor-width", str(width)]
    correct = subprocess.run([tool, *widths, "--exhaustive", "-f", "hex"], check=True,
                             capture_output=True, text=True).stdout
    (work / "dut.hex").write_text(floored_rows(correct, width))
    check = subprocess.run([tool, *widths, "--check", "dut.hex", "--max-report", "0",
                            "--map", "map.svg"], cwd=work, capture_output=True, text=True)
    assert check.returncode == 4, check.stderr
    return work / "map.svg"


def png_pixels(data):
    """(width, rows of (r, g, b)) of an 8-bit RGB or RGBA, non-interlaced PNG."""
    assert data[:8] == b"\x89PNG\r\n\x1a\n"
    pos, idat, width = 8, b"", 0
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
            assert depth == 8 and colour in (2, 6) and interlace == 0
            channels = 3 if colour == 2 else 4
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            up, corner = previous[i], previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + left) & 0xff
            elif kind == 2:
                line[i] = (line[i] + up) & 0xff
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 0xff
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                line[i] = (line[i] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 0xff
        rows.append([tuple(line[x * channels:x * channels + 3]) for x in range(width)])
        previous = line
    return width, rows


def cell_of(value):
    return (value + 128) * 64 >> 8


def main():
    tool, rsvg = sys.argv[1], sys.argv[2]
    work = Path(tempfile.mkdtemp())
    floored_map(tool, 8, work)
    subprocess.run([rsvg, str(work / "map.svg"), "-o", str(work / "map.png")], check=True)
    _, pixels = png_pixels((work / "map.png").read_bytes())
    rects = {}
    for rect in ET.parse(work / "map.svg").iter("{http://www.w3.org/2000/svg}rect"):
        if "data-dividend-cell" in rect.attrib:
            key = (int(rect.get("data-dividend-cell")), int(rect.get("data-divisor-cell")))
            rects[key] = rect
    # Opposite signs fail (red), equal signs pass (green), away from the
    # diagonals where the floored remainder happens to be 0.
    cases = [(-100, 7, "fails"), (100, -7, "fails"), (100, 7, "passes"), (-100, -7, "passes")]
    failures = 0
    for dividend, divisor, verdict in cases:
        rect = rects[(cell_of(dividend), cell_of(divisor))]
        x = int(float(rect.get("x")) + float(rect.get("width")) / 2)
        y = int(float(rect.get("y")) + float(rect.get("height")) / 2)
        r, g, b = pixels[y][x]
        red = r > 150 and g < 100
        green = g > 100 and r < 100
        if (verdict == "fails" and not red) or (verdict == "passes" and not green):
            print(f"cell of {dividend} / {divisor} {verdict}, but its colour is {(r, g, b)}")
            failures += 1
        title = rect.find("{http://www.w3.org/2000/svg}title").text
        if verdict == "fails" and "mostly remainder with the divisor's sign" not in title:
            print(f"cell of {dividend} / {divisor}: tooltip {title!r}")
            failures += 1
    if len(sys.argv) > 3:
        small = work / "small"
        small.mkdir()
        if floored_map(tool, 4, small).read_text() != Path(sys.argv[3]).read_text():
            print(f"{sys.argv[3]} is not the picture the check draws now")
            failures += 1
    print(f"{len(cases) - failures} of {len(cases)} cells as expected")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
