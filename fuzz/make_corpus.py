#!/usr/bin/env python3
"""Regenerates the seed corpus of the fuzz targets: tiny BMP, PCX, TIFF and PCM WAV files written here,
JPEG and PNG files made from the BMP by `fcatool convert`, and ADPCM WAV files made by the `ffmpeg`
command.  Usage: make_corpus.py PATH/TO/fcatool, or make_corpus.py --wav for the WAV files alone."""
import base64
import os
import struct
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
W, H = 7, 5


def pixel(x, y):
    return (40 * x) & 0xFF, (50 * y) & 0xFF, (x * y * 9) & 0xFF  # red, green, blue


def write(target, name, data):
    os.makedirs(os.path.join(HERE, "corpus", target), exist_ok=True)
    with open(os.path.join(HERE, "corpus", target, name), "wb") as f:
        f.write(data)


def bmp24(width=None, height=None):
    width, height = width or W, height or H
    stride = (3 * width + 3) & ~3
    rows = b""
    for y in reversed(range(height)):
        row = b"".join(bytes((b, g, r)) for r, g, b in (pixel(x, y) for x in range(width)))
        rows += row + b"\0" * (stride - len(row))
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(rows), 0, 0, 0, 0)
    return b"BM" + struct.pack("<IHHI", 54 + len(rows), 0, 0, 54) + info + rows


def bmp8(os2=False, colours=256):
    stride = (W + 3) & ~3
    rows = b"".join(bytes((x * 3 + y) % colours for x in range(W)) + b"\0" * (stride - W) for y in range(H))
    if os2:
        header = struct.pack("<IHHHH", 12, W, H, 1, 8)
        table = b"".join(bytes((i, 255 - i, i // 2)) for i in range(256))
    else:
        header = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 8, 0, len(rows), 0, 0, colours % 256, 0)
        table = b"".join(bytes((i, 255 - i, i // 2, 0)) for i in range(colours))
    offset = 14 + len(header) + len(table)
    return b"BM" + struct.pack("<IHHI", offset + len(rows), 0, 0, offset) + header + table + rows


def bmp_other(bits, compression=0, top_down=False):
    """BMP files only loading by extension reads: 1 and 4 bits, run-length, bit fields, top-down."""
    if compression in (1, 2):  # one run and one literal per row, then an end of line; end of image
        rows = b""
        for y in range(H):
            if compression == 1:
                rows += bytes((3, y, 0, 4)) + bytes((x + y) & 0xFF for x in range(4)) + b"\0\0"
            else:
                rows += bytes((3, 0x12, 0, 4, 0x34, 0x56, 0, 0))
        rows += b"\0\1"
    else:
        stride = ((W * bits + 31) // 32) * 4
        rows = b"".join(bytes((x * 37 + y * 11) & 0xFF for x in range(stride)) for y in range(H))
    tables = b""
    if compression == 3:
        tables = struct.pack("<III", 0xF800, 0x07E0, 0x001F) if bits == 16 else struct.pack(
            "<III", 0xFF000000, 0xFF0000, 0xFF00)
    if bits <= 8:
        tables += b"".join(bytes((i, 255 - i, i // 2, 0)) for i in range(1 << bits))
    height = -H if top_down else H
    info = struct.pack("<IiiHHIIiiII", 40, W, height, 1, bits, compression, len(rows), 0, 0, 0, 0)
    offset = 54 + len(tables)
    return b"BM" + struct.pack("<IHHI", offset + len(rows), 0, 0, offset) + info + tables + rows


# Found by fuzzing, kept byte for byte: 130 bytes of 4-bit run-length BMP that describe 16383 x 5376
# pixels, which the target halves. Halving it once took longer than ten seconds.
RLE_HUGE_HALVED = base64.b64decode(
    "Qk2gAAAAAAAAAHYAAAAoAAAA/z8AAAAVAAABAAQAAgAAACoAAAAqAAAAAAAAAAAAAAAAAPEHAA/wBwADABIwVgAEAAMSNVYABAAD"
    "EgAENFYCBDRWAAADEgAENFYENFaGAAADEgAKNFYJAP3tAAQ0VgAAAxIABDRWABIABDRWAAAAAQ==")


def pcx(planes):
    header = struct.pack("<BBBBhhhhhh", 10, 5, 1, 8, 0, 0, W - 1, H - 1, 0, 0) + b"\0" * 49
    header += struct.pack("<Bh", planes, W) + b"\0" * 60
    data = b""
    for y in range(H):
        for p in range(planes):
            line = bytes(pixel(x, y)[p] if planes == 3 else (x + y) for x in range(W))
            data += bytes((0xC2, line[0])) + bytes(v if v < 0xC0 else 0 for v in line[2:])
    if planes == 1:
        data += b"\x0c" + b"".join(bytes((i, i, 255 - i)) for i in range(256))
    return header + data


def pcx_low_colour(bits, planes):
    """Monochrome and 16-colour PCX (1 bit in 1 or 4 planes, or 4 bits packed), with a header palette."""
    line = (W * bits + 7) // 8
    palette = b"".join(bytes((16 * i, 255 - i, i)) for i in range(16))
    header = struct.pack("<BBBBhhhhhh", 10, 5, 1, bits, 0, 0, W - 1, H - 1, 0, 0) + palette + b"\0"
    header += struct.pack("<Bh", planes, line) + b"\0" * 60
    data = b""
    for y in range(H):
        for p in range(planes):
            data += b"".join(bytes((0xC1, (x * 37 + y * 11 + p) & 0xFF)) for x in range(line))
    return header + data


def tiff():
    strip = b"".join(bytes(pixel(x, y)) for y in range(H) for x in range(W))
    entries = [(256, 3, 1, W), (257, 3, 1, H), (258, 3, 1, 8), (259, 3, 1, 1), (262, 3, 1, 2),
               (273, 4, 1, 0), (277, 3, 1, 3), (278, 3, 1, H), (279, 4, 1, len(strip))]
    ifd_size = 2 + 12 * len(entries) + 4
    strip_offset = 8 + ifd_size
    ifd = struct.pack("<H", len(entries))
    for tag, kind, count, value in entries:
        value = strip_offset if tag == 273 else value
        ifd += struct.pack("<HHI", tag, kind, count) + (struct.pack("<HH", value, 0) if kind == 3 else struct.pack("<I", value))
    return b"II*\0" + struct.pack("<I", 8) + ifd + b"\0\0\0\0" + strip


def wav(fmt, channels, rate, bits, data, block=None, extra=b""):
    """A RIFF WAVE file with a "fmt " chunk (and `extra` bytes after its 16) and a "data" chunk."""
    block = block or channels * bits // 8
    fmt_chunk = struct.pack("<HHIIHH", fmt, channels, rate, rate * block, block, bits) + extra
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt_chunk)) + fmt_chunk
    body += b"data" + struct.pack("<I", len(data)) + data + (b"\0" if len(data) % 2 else b"")
    return b"RIFF" + struct.pack("<I", len(body)) + body


def tone(frames, channels, bits):
    """A square wave, 16 frames a period, the right side at half strength."""
    out = b""
    for f in range(frames):
        for c in range(channels):
            v = (1 if f % 16 < 8 else -1) * (0.5 if c else 0.9)
            out += bytes((int(128 + 127 * v),)) if bits == 8 else struct.pack("<h", int(32767 * v))
    return out


def adpcm_wav(codec, channels):
    """A tenth of a second of a sine, encoded by ffmpeg (into a file, so that it writes the lengths)."""
    out = os.path.join(HERE, "corpus", "scratch.wav")
    try:
        subprocess.run(["ffmpeg", "-hide_banner", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                        "sine=frequency=440:sample_rate=8000:duration=0.1", "-ac", str(channels),
                        "-map_metadata", "-1", "-fflags", "+bitexact", "-flags", "+bitexact",
                        "-c:a", codec, out], check=True)
        with open(out, "rb") as f:
            return f.read()
    finally:
        if os.path.exists(out):
            os.remove(out)


def wav_corpus():
    write("wav_reader", "pcm8-mono.wav", wav(1, 1, 11025, 8, tone(200, 1, 8)))
    write("wav_reader", "pcm16-stereo.wav", wav(1, 2, 22050, 16, tone(200, 2, 16)))
    write("wav_reader", "adpcm-ms.wav", adpcm_wav("adpcm_ms", 1))
    write("wav_reader", "adpcm-ima-stereo.wav", adpcm_wav("adpcm_ima_wav", 2))
    whole = wav(1, 2, 44100, 16, tone(100, 2, 16))
    write("wav_reader", "truncated.wav", whole[:len(whole) * 2 // 3])
    lying = bytearray(wav(1, 1, 8000, 16, tone(100, 1, 16)))
    lying[40:44] = struct.pack("<I", 0x7FFFFFF0)  # a data chunk far longer than the file
    write("wav_reader", "lying-length.wav", bytes(lying))
    write("wav_reader", "no-riff-header.wav", lying[8:])
    write("wav_reader", "rate-one.wav", wav(1, 2, 1, 16, tone(100, 2, 16)))


def main():
    if sys.argv[1] == "--wav":
        wav_corpus()
        return
    wav_corpus()
    fcatool = sys.argv[1]
    write("bmp_reader", "true-colour.bmp", bmp24())
    write("bmp_reader", "eight-bit.bmp", bmp8())
    write("bmp_reader", "short-table.bmp", bmp8(colours=16))
    write("bmp_reader", "os2.bmp", bmp8(os2=True))
    write("bmp_reader", "one-bit.bmp", bmp_other(1))
    write("bmp_reader", "rle4.bmp", bmp_other(4, compression=2))
    write("bmp_reader", "rle8.bmp", bmp_other(8, compression=1))
    write("bmp_reader", "bitfields-565.bmp", bmp_other(16, compression=3))
    write("bmp_reader", "top-down-32.bmp", bmp_other(32, compression=3, top_down=True))
    write("bmp_reader", "rle-huge-halved.bmp", RLE_HUGE_HALVED)
    write("pcx_reader", "three-planes.pcx", pcx(3))
    write("pcx_reader", "one-plane.pcx", pcx(1))
    write("pcx_reader", "monochrome.pcx", pcx_low_colour(1, 1))
    write("pcx_reader", "ega-planes.pcx", pcx_low_colour(1, 4))
    write("pcx_reader", "packed-16.pcx", pcx_low_colour(4, 1))
    write("png_tiff_reader", "rgb.tif", tiff())
    scratch = os.path.join(HERE, "corpus", "scratch.bmp")
    # The tall one is decoded in two parts as a title's background is (a restart at every row of blocks).
    converted = (("jpeg_reader", "colour.jpg", bmp24()), ("png_tiff_reader", "rgb.png", bmp24()),
                 ("jpeg_reader", "tall-restarts.jpg", bmp24(24, 160)))
    try:
        for target, name, source in converted:
            with open(scratch, "wb") as f:
                f.write(source)
            out = os.path.join(HERE, "corpus", target, name)
            os.makedirs(os.path.dirname(out), exist_ok=True)
            subprocess.run([fcatool, "convert", scratch, out], check=True)
    finally:
        os.remove(scratch)


if __name__ == "__main__":
    main()
