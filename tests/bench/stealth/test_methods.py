import stat
import tempfile
import textwrap
import unittest
from pathlib import Path

import numpy as np

from stealth import covers, methods

# A stand-in for the engine's driver with the same command line: it adds 1 to the first sample
# and reports what the real one reports.
FAKE_DRIVER = textwrap.dedent("""\
    #!/usr/bin/python3
    import json, sys
    args = sys.argv[1:]
    if args[0] == "embed":
        data = bytearray(open(args[1], "rb").read())
        data[-3 * 4 * 4] = (data[-3 * 4 * 4] + 1) % 256
        open(args[2], "wb").write(bytes(data))
        print("progress 100%")
        print(json.dumps({"samples": 48, "message_bits": int(args[4]) if args[3] == "--bits" else -1, "changes": 1,
                          "distortion": 2.0, "simulated_distortion": 1.9, "seconds": 0.01}))
    elif args[0] == "extract":
        print(json.dumps({"ok": True, "bytes": 5}))
    else:
        sys.stderr.write("no such command\\n")
        sys.exit(2)
    """)


class StealthDriver(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.work = Path(self.folder.name)
        driver = self.work / "driver"
        driver.write_text(FAKE_DRIVER)
        driver.chmod(driver.stat().st_mode | stat.S_IEXEC)
        self.tools = {"stealth": str(driver)}
        self.cover = np.full((4, 4, 3), 10, np.uint8)

    def tearDown(self):
        self.folder.cleanup()

    def test_embed_gives_the_picture_and_the_report(self):
        stego = methods.stealth(self.cover, 12, np.random.default_rng(1), self.tools, self.work)
        self.assertEqual(stego.pixels.shape, (4, 4, 3))
        self.assertEqual(int(np.sum(stego.pixels != self.cover)), 1)
        self.assertFalse(stego.bottom_up)
        self.assertEqual(stego.report["message_bits"], 12)
        self.assertIn("seed", stego.report)
        # The cover reached the driver as a binary PPM.
        self.assertTrue((self.work / "stealth-in.ppm").read_bytes().startswith(b"P6\n4 4\n255\n"))

    def test_extract_reads_the_json_line(self):
        self.assertEqual(methods.stealth_extract(self.tools, self.work / "x.ppm", 5), {"ok": True, "bytes": 5})

    def test_a_failing_driver_is_an_error_with_its_message(self):
        with self.assertRaises(RuntimeError) as caught:
            methods.stealth_speed(self.tools, 10, 10, 0.1)
        self.assertIn("no such command", str(caught.exception))

    def test_output_without_json_is_an_error(self):
        with self.assertRaises(RuntimeError):
            methods.last_json("progress 10%\nprogress 100%\n")


class Classic(unittest.TestCase):
    def test_data_fills_the_payload_less_the_header(self):
        # 0.1 bit per sample of a 256 x 256 colour tile: 19660 bits, 2457 bytes, 27 of them header.
        self.assertEqual(methods.classic_data_bytes(19660), 2430)

    def test_too_small_a_payload_is_refused(self):
        with self.assertRaises(ValueError):
            methods.classic_data_bytes(50)


class Tiles(unittest.TestCase):
    def test_cut_drops_the_remainder_and_keeps_row_order(self):
        picture = np.arange(5 * 9, dtype=np.uint8).reshape(5, 9, 1)
        tiles = covers.cut(picture, tile=4)
        self.assertEqual(len(tiles), 2)
        np.testing.assert_array_equal(tiles[1], picture[:4, 4:8])

    def test_split_keeps_each_photograph_on_one_side(self):
        tiles = np.zeros((6, 2, 2, 3), np.uint8)
        names = ["astronaut", "dune"]
        cover_set = covers.CoverSet(tiles, np.array([0, 0, 0, 1, 1, 1]), names)
        self.assertEqual(list(cover_set.test), [True] * 3 + [False] * 3)
        small = cover_set.subset(2)
        self.assertEqual(sorted(small.test), [False, True])
        kept = cover_set.only(np.array([True, False, True, False, False, True]))
        self.assertEqual(list(kept.photos), [0, 0, 1])
        self.assertEqual(list(kept.test), [True, True, False])


if __name__ == "__main__":
    unittest.main()
