import tempfile
import unittest
from pathlib import Path

import numpy as np

from stealth import images


class InFolder(unittest.TestCase):
    suffix = ""

    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.path = Path(self.folder.name) / ("p" + self.suffix)

    def tearDown(self):
        self.folder.cleanup()


class BitmapFiles(InFolder):
    suffix = ".bmp"

    def test_stores_rows_bottom_up_in_bgr_with_padding(self):
        pixels = np.zeros((2, 3, 3), np.uint8)
        pixels[0, 0] = (1, 2, 3)     # top left
        pixels[1, 0] = (10, 20, 30)  # bottom left
        images.write_bmp24(self.path, pixels)
        data = self.path.read_bytes()
        self.assertEqual(data[:2], b"BM")
        self.assertEqual(len(data), 54 + 2 * 12)          # 9 bytes a row, padded to 12
        self.assertEqual(data[54:57], bytes((30, 20, 10)))  # first stored: bottom row, BGR
        self.assertEqual(data[54 + 12:54 + 15], bytes((3, 2, 1)))

    def test_round_trip_odd_width(self):
        pixels = np.random.default_rng(1).integers(0, 256, (5, 7, 3), dtype=np.uint8)
        images.write_bmp24(self.path, pixels)
        np.testing.assert_array_equal(images.read_bmp24(self.path), pixels)

    def test_rejects_other_depths(self):
        pixels = np.zeros((2, 4, 3), np.uint8)
        images.write_bmp24(self.path, pixels)
        data = bytearray(self.path.read_bytes())
        data[28] = 8
        self.path.write_bytes(bytes(data))
        with self.assertRaises(ValueError):
            images.read_bmp24(self.path)


class PortableMaps(InFolder):
    suffix = ".pnm"

    def test_reads_header_with_comment(self):
        self.path.write_bytes(b"P5\n# made by hand\n3 2\n255\n" + bytes(range(6)))
        np.testing.assert_array_equal(images.read_pnm(self.path)[:, :, 0], [[0, 1, 2], [3, 4, 5]])

    def test_colour_round_trip(self):
        pixels = np.random.default_rng(2).integers(0, 256, (4, 5, 3), dtype=np.uint8)
        images.write_pnm(self.path, pixels)
        self.assertTrue(self.path.read_bytes().startswith(b"P6\n5 4\n255\n"))
        np.testing.assert_array_equal(images.read_pnm(self.path), pixels)

    def test_short_data_is_an_error(self):
        self.path.write_bytes(b"P6\n4 4\n255\n" + bytes(10))
        with self.assertRaises(ValueError):
            images.read_pnm(self.path)


class FileOrder(unittest.TestCase):
    def test_bottom_up_files_start_with_the_last_rows(self):
        pixels = np.arange(4 * 2 * 3, dtype=np.uint8).reshape(4, 2, 3)
        np.testing.assert_array_equal(images.storage_rows(pixels, True, 1), pixels[3:])
        np.testing.assert_array_equal(images.storage_rows(pixels, False, 1), pixels[:1])
        self.assertEqual(list(images.storage_bytes(pixels, True)[:3]), [20, 19, 18])  # bottom left, BGR
        self.assertEqual(list(images.storage_bytes(pixels, False)[:3]), [0, 1, 2])


if __name__ == "__main__":
    unittest.main()
