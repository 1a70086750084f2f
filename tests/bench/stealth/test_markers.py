import unittest

import numpy as np

from stealth import markers

MARKER = b"~hTwKli~"


def hide_msb_first(samples, message, depth):
    """Writes message bits into the low bits, most significant bit first (a sequential tool)."""
    out = samples.copy()
    bits = np.unpackbits(np.frombuffer(message, np.uint8))
    chunks = bits.reshape(-1, depth)
    values = chunks @ (1 << np.arange(depth - 1, -1, -1))
    out[:values.size] = (out[:values.size] & ~np.uint8((1 << depth) - 1)) | values.astype(np.uint8)
    return out


def hide_lsb_first(samples, message):
    out = samples.copy()
    bits = np.unpackbits(np.frombuffer(message, np.uint8), bitorder="little")
    out[:bits.size] = (out[:bits.size] & 0xFE) | bits
    return out


class Markers(unittest.TestCase):
    def setUp(self):
        self.cover = np.random.default_rng(1).integers(0, 256, 20000, dtype=np.uint8)

    def test_found_at_every_depth_and_bit_order(self):
        for depth in markers.DEPTHS:
            with self.subTest(depth=depth):
                marked, _ = markers.summary(hide_msb_first(self.cover, b"xx" + MARKER, depth))
                self.assertTrue(marked)
        self.assertTrue(markers.summary(hide_lsb_first(self.cover, MARKER + b"rest"))[0])

    def test_found_anywhere_in_the_stream(self):
        start = 8 * 1500  # far behind the pattern window
        stego = self.cover.copy()
        stego[start:] = hide_msb_first(self.cover[start:], b"~hTwKlo~", 1)[:self.cover.size - start]
        self.assertTrue(markers.summary(stego)[0])

    def test_random_samples_show_none(self):
        self.assertFalse(markers.summary(self.cover)[0])


class FixedPatterns(unittest.TestCase):
    def carriers(self, count, header, seed):
        rng = np.random.default_rng(seed)
        out = []
        for _ in range(count):
            samples = rng.integers(0, 256, 8000, dtype=np.uint8)
            out.append(markers.summary(hide_msb_first(samples, header + rng.bytes(8), 1) if header else samples)[1])
        return out

    def test_a_shared_header_is_found_in_every_carrier(self):
        stego = self.carriers(20, b"\x00\x01SALT", seed=2)
        covers = self.carriers(20, b"", seed=3)
        self.assertEqual(markers.pattern_share(stego, covers), 1.0)

    def test_random_carriers_share_nothing(self):
        self.assertEqual(markers.pattern_share(self.carriers(20, b"", 4), self.carriers(20, b"", 5)), 0.0)

    def test_patterns_the_covers_share_too_do_not_count(self):
        # Dark regions make the low bits of clean pictures alike: that is no finding.
        dark = [markers.summary(np.zeros(8000, np.uint8))[1]] * 10
        self.assertEqual(markers.pattern_share(dark, dark), 0.0)


if __name__ == "__main__":
    unittest.main()
