"""Reading and writing the picture files the embedders take: binary PGM/PPM and 24-bit BMP.

Arrays are height x width x channels, uint8, rows top-down. BMP stores rows bottom-up, so the
first rows a sequential writer reaches in a BMP are the picture's last ones (see storage_rows).
"""

import struct
from pathlib import Path

import numpy as np

BMP_HEADER = 54


def write_pnm(path, pixels):
    height, width, channels = pixels.shape
    magic = b"P5" if channels == 1 else b"P6"
    with open(path, "wb") as out:
        out.write(magic + f"\n{width} {height}\n255\n".encode())
        out.write(np.ascontiguousarray(pixels, dtype=np.uint8).tobytes())


def _pnm_tokens(data, count):
    tokens, pos = [], 0
    while len(tokens) < count:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos)
            continue
        start = pos
        while not data[pos:pos + 1].isspace():
            pos += 1
        tokens.append(data[start:pos])
    return tokens, pos + 1  # one whitespace byte ends the header


def read_pnm(path):
    data = Path(path).read_bytes()
    tokens, start = _pnm_tokens(data, 4)
    magic, width, height, maxval = tokens[0], int(tokens[1]), int(tokens[2]), int(tokens[3])
    if magic not in (b"P5", b"P6") or maxval != 255:
        raise ValueError(f"{path}: not an 8-bit binary PGM/PPM")
    channels = 1 if magic == b"P5" else 3
    size = width * height * channels
    if len(data) - start < size:
        raise ValueError(f"{path}: picture data cut short")
    return np.frombuffer(data, np.uint8, size, start).reshape(height, width, channels).copy()


def write_bmp24(path, pixels):
    height, width, _ = pixels.shape
    stride = (width * 3 + 3) // 4 * 4
    rows = np.zeros((height, stride), np.uint8)
    rows[:, :width * 3] = pixels[::-1, :, ::-1].reshape(height, width * 3)  # bottom-up, BGR
    image = rows.tobytes()
    header = struct.pack("<2sIHHI", b"BM", BMP_HEADER + len(image), 0, 0, BMP_HEADER)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(image), 2835, 2835, 0, 0)
    with open(path, "wb") as out:
        out.write(header + info + image)


def read_bmp24(path):
    data = Path(path).read_bytes()
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height = struct.unpack_from("<ii", data, 18)
    bits = struct.unpack_from("<H", data, 28)[0]
    if data[:2] != b"BM" or bits != 24 or width <= 0 or height == 0:
        raise ValueError(f"{path}: not a 24-bit bitmap")
    stride = (width * 3 + 3) // 4 * 4
    rows = np.frombuffer(data, np.uint8, stride * abs(height), offset).reshape(abs(height), stride)
    pixels = rows[:, :width * 3].reshape(abs(height), width, 3)[:, :, ::-1]
    return (pixels[::-1] if height > 0 else pixels).copy()


def storage_rows(pixels, bottom_up, rows):
    """The first `rows` rows in the order the file stores them."""
    return pixels[-rows:] if bottom_up else pixels[:rows]


def storage_bytes(pixels, bottom_up):
    """The picture's samples in file order (BMP: bottom-up rows, BGR; PNM: as they are)."""
    if bottom_up:
        return np.ascontiguousarray(pixels[::-1, :, ::-1]).reshape(-1)
    return np.ascontiguousarray(pixels).reshape(-1)
