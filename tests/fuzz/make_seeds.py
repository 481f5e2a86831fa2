#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into corpus/ beside this script.

    tests/fuzz/make_seeds.py BUILD_FOLDER

The pictures, metafiles and settings files are the program's own output (kalvetra-render of
BUILD_FOLDER) and the sample metafiles of tests/data; the bitmap variants the program never
writes (palettes, RLE, bit fields, OS/2 headers, icons, cursors) are put together here byte by
byte, as small as their formats allow. Seeds already in the corpus (regressions among them)
are kept.
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
CORPUS = os.path.join(HERE, "corpus")


def put(target, name, data):
    folder = os.path.join(CORPUS, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


# ---- bitmaps ---------------------------------------------------------------------------

def bmp(width, height, bpp, pixels, palette=b"", compression=0, extra_header=b"", header_size=40):
    info = struct.pack("<IiiHHIIiiII", header_size, width, height, 1, bpp, compression, len(pixels),
                       3780, 3780, len(palette) // 4, 0) + extra_header
    offset = 14 + len(info) + len(palette)
    return b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset) + info + palette + pixels


def rows(width, height, bpp, value):
    stride = ((width * bpp + 31) // 32) * 4
    return bytes([value]) * stride * height


def palette(n):
    return b"".join(struct.pack("<BBBB", (i * 67) % 256, (i * 131) % 256, (i * 29) % 256, 0) for i in range(n))


def bitmaps():
    yield "bmp-1bit.bmp", bmp(9, 3, 1, rows(9, 3, 1, 0xA5), palette(2))
    yield "bmp-4bit.bmp", bmp(5, 2, 4, rows(5, 2, 4, 0x1E), palette(16))
    yield "bmp-8bit-topdown.bmp", bmp(3, -2, 8, rows(3, 2, 8, 7), palette(256))
    # RLE8: a run, an absolute run, a delta, end of line, end of bitmap.
    rle8 = bytes([3, 1, 0, 3, 2, 3, 4, 0, 0, 2, 1, 1, 0, 0, 2, 5, 0, 1])
    yield "bmp-rle8.rle", bmp(8, 3, 8, rle8, palette(8), compression=1)
    rle4 = bytes([4, 0x12, 0, 4, 0x34, 0x56, 0, 0, 6, 0x78, 0, 1])
    yield "bmp-rle4.rle", bmp(8, 2, 4, rle4, palette(16), compression=2)
    masks = struct.pack("<III", 0xF800, 0x07E0, 0x001F)
    yield "bmp-16bit-bitfields.bmp", bmp(3, 2, 16, rows(3, 2, 16, 0x5A), masks, compression=3)
    masks32 = struct.pack("<IIII", 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000)
    v4 = masks32 + b"\0" * (108 - 40 - 16)
    yield "bmp-32bit-v4.bmp", bmp(2, 2, 32, rows(2, 2, 32, 0x80), extra_header=v4, header_size=108, compression=3)
    # OS/2 1.x: a 12-byte header and three-byte palette entries.
    core = struct.pack("<IHHHH", 12, 4, 2, 1, 8)
    pal3 = b"".join(struct.pack("<BBB", i, 255 - i, i // 2) for i in range(256))
    pixels = rows(4, 2, 8, 3)
    yield "bmp-os2.bmp", b"BM" + struct.pack("<IHHI", 14 + 12 + len(pal3) + len(pixels), 0, 0, 14 + 12 + len(pal3)) + core + pal3 + pixels


def icon(kind, entries):
    """An icon (kind 1) or cursor (kind 2) directory holding the given images."""
    head = struct.pack("<HHH", 0, kind, len(entries))
    offset = 6 + 16 * len(entries)
    directory, blobs = b"", b""
    for width, height, image, hotspot in entries:
        planes, bpp = hotspot if kind == 2 else (1, 32)
        directory += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, planes, bpp, len(image), offset + len(blobs))
        blobs += image
    return head + directory + blobs


def icon_dib(size, bpp=32):
    """The BITMAPINFOHEADER of an icon image: double height for the AND mask after the colours."""
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bpp, 0, 0, 0, 0, 0, 0)
    colours = bytes([0x40, 0x80, 0xC0, 0xFF]) * size * size
    mask = rows(size, size, 1, 0x0F)
    return info + colours + mask


def icons(png):
    yield "icon-32bit.ico", icon(1, [(4, 4, icon_dib(4), None), (2, 2, icon_dib(2), None)])
    yield "icon-png.ico", icon(1, [(16, 16, png, None)])
    yield "cursor.cur", icon(2, [(4, 4, icon_dib(4), (1, 2))])


# ---- settings files ----------------------------------------------------------------------

WINDOWS_FILE = (b"[Setting]\r\nSaveMessage=True\r\nAutoSave=False\r\n"
                b"[Font]\r\nFontName=\x82\x6C\x82\x72 \x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E\r\nFontSize=72\r\n"
                b"FontAspect=120\r\nFontEscape=15\r\nFontBold=1\r\nFontItalic=2\r\nTwiceDraw=1\r\nFontUpToDown=1\r\n"
                b"[Width]\r\nBordering=12\r\nSolid=20\r\n[Shadow]\r\nPosition=3\r\nEnable=1\r\n"
                b"[View]\r\nType= 0\r\n[Color]\r\nColor0=16711680\r\nColor1=255\r\nColor4=65280\r\n")

def marked_files():
    text = WINDOWS_FILE.decode("cp932")
    return [("windows-utf16.ini", b"\xff\xfe" + text.encode("utf-16-le")),
            ("windows-utf8-bom.ini", b"\xef\xbb\xbf" + text.encode("utf-8"))]


HAND_EDITED = (b"; edited by hand\n[font]\nfontsize = \"80\"\nFontSize=90\nFontAspect=12.5\nFontEscape=abc\n"
               b"FontBold=3\n  [ View ]  \ntype=7\n[Color]\nColor0=-1\nColor1=1e3\nColor2= 0x10 \n"
               b"[Font]\nFontSize=100\n[Width]\nBordering=31\nSolid=0\n")


def settings_files(render, folder):
    out = []
    for name, args in [
        ("saved-default.ini", []),
        ("saved-solid-shadow.ini", ["--type", "0", "--bordering", "30", "--solid", "20", "--shadow",
                                    "--shadow-position", "20", "--size", "500", "--width", "10", "--angle", "360"]),
        ("saved-vertical-colours.ini", ["--type", "4", "--vertical", "--bold", "--italic", "--underline",
                                        "--strikeout", "--twice-draw", "--font", "IPAMincho", "--angle", "12.5",
                                        "--color0", "1,2,3", "--color4", "255,255,255"]),
        ("saved-gradients.ini", ["--gradient1", "0,160,255", "--gradient-horizontal1", "--gradient4", "255,120,0",
                                 "--gradient-horizontal3"]),
    ]:
        path = os.path.join(folder, name)
        subprocess.run([render, *args, "--save-settings", path], check=True)
        with open(path, "rb") as f:
            out.append((name, f.read()))
    # An existing file with other sections keeps them when the settings are saved into it.
    path = os.path.join(folder, "merged.ini")
    with open(path, "wb") as f:
        f.write(b"[Other]\r\nkey=\x83\x4a\x83\x8b\x83\x78\x83\x67\x83\x89\r\n\r\n[Font]\r\nFontSize=12\r\n; note\r\n")
    subprocess.run([render, "--size", "40", "--save-settings", path], check=True)
    with open(path, "rb") as f:
        out.append(("merged.ini", f.read()))
    out.append(("windows.ini", WINDOWS_FILE))
    out.append(("hand-edited.ini", HAND_EDITED))
    return out


# ---- command lines -------------------------------------------------------------------------

COMMAND_LINES = [
    ["--text", "カルベトラ", "--shadow", "-o", "title.png"],
    ["--text", "文字", "--type", "0", "--size", "200", "--solid", "20", "--bordering", "10", "-o", "solid.jpg"],
    ["--text", "縦書き", "--vertical", "--type", "2", "--transparent", "-o", "vertical.png"],
    ["--settings", "mystyle.ini", "--text", "見出し", "--size", "80", "-o", "heading.png"],
    ["--type", "0", "--bordering", "8", "--shadow", "--save-settings", "mystyle.ini"],
    ["--text", "A", "--canvas", "64x32", "--anchor", "32,20", "--color0", "0,0,0", "--color5", "255,0,0",
     "--angle", "45.5", "--width", "300", "--engine", "stamp", "-o", "a.bmp"],
    ["--text", "x", "--font", "IPAGothic", "--italic", "--underline", "--strikeout", "--twice-draw",
     "--shadow-position", "0", "--time", "--repeat", "2", "--background-picture", "p.bmp", "-o", "x.emf"],
    ["--help"],
    ["--text", "テロップ", "--gradient4", "255,120,0", "--gradient2", "120,200,255", "--gradient-horizontal2",
     "-o", "caption.png"],
]


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    render = os.path.join(sys.argv[1], "bin", "kalvetra-render")
    metafiles = os.path.join(ROOT, "tests", "data", "metafiles")
    with tempfile.TemporaryDirectory() as tmp:
        # The program's own pictures: every format it writes, small.
        written = {}
        for ext in ["bmp", "jpg", "wmf", "emf", "png"]:
            path = os.path.join(tmp, "written." + ext)
            subprocess.run([render, "--text", "あA", "--size", "10", "--bordering", "1", "--solid", "0",
                            "--canvas", "24x16", "-o", path], check=True)
            with open(path, "rb") as f:
                written[ext] = f.read()
        for ext in ["bmp", "jpg", "wmf", "emf"]:
            put("picture", "written." + ext, written[ext])
        for ext in ["wmf", "emf"]:
            put("metafile", "written." + ext, written[ext])
        for name in sorted(os.listdir(metafiles)):
            if name.endswith((".wmf", ".emf")):
                with open(os.path.join(metafiles, name), "rb") as f:
                    data = f.read()
                put("picture", name, data)
                put("metafile", name, data)
        for name, data in bitmaps():
            put("picture", name, data)
        for name, data in icons(written["png"]):
            put("picture", name, data)

        files = settings_files(render, tmp)
    for name, data in files:
        put("settings", name, data)
        put("profile", name, b"Font\0FontSize\0 72 \0" + data)
    put("profile", "new-section.ini", b"\x83\x4a\x83\x8b\0Key\0\"quoted value\"\0" + WINDOWS_FILE)
    put("profile", "no-fields.ini", HAND_EDITED)
    put("profile", "last-line-without-end.ini", b"Color\0Color9\0 5\0[Color]\r\nColor0=1")
    # Windows' "Unicode" settings files and UTF-8 ones with a byte-order mark.
    for name, data in marked_files():
        put("settings", name, data)
        put("profile", name, b"Font\0FontName\0" + "メイリオ".encode("cp932") + b"\0" + data)

    texts = ["カルベトラ Kalvetra", "ＭＳ Ｐゴシック", "①②③ ｶﾀｶﾅ 髙﨑 ～∥－", "한국어 😀 é"]
    for i, text in enumerate(texts):
        put("cp932", "text-%d.cp932" % i, text.encode("cp932", errors="replace"))
        put("cp932", "text-%d.utf16" % i, text.encode("utf-16-le"))
    put("cp932", "lone-surrogates.utf16", b"\x00\xd8A\x00\x00\xdc\x00\xd8")
    put("cp932", "cut-lead-byte.cp932", b"\x05abc\x82")

    for i, args in enumerate(COMMAND_LINES):
        put("render_args", "command-%d" % i, b"\0".join(a.encode("utf-8") for a in args))


if __name__ == "__main__":
    main()
