import unittest

import numpy as np

from stealth import structural

from .pictures import natural, replace_low_bits

TOLERANCE = 0.05


class RateEstimates(unittest.TestCase):
    """RS, SPA and WS must read the share of replaced low bits off a picture."""

    @classmethod
    def setUpClass(cls):
        cls.cover = natural(seed=11)

    def test_estimates_track_the_true_rate(self):
        for rate in (0.0, 0.1, 0.3, 0.6):
            stego = replace_low_bits(self.cover, rate, seed=int(rate * 100))
            for name in ("RS", "SPA", "WS"):
                with self.subTest(rate=rate, detector=name):
                    self.assertAlmostEqual(structural.DETECTORS[name](stego), rate, delta=TOLERANCE)

    def test_plus_minus_one_changes_do_not_read_as_replacement(self):
        rng = np.random.default_rng(5)
        flat = self.cover.reshape(-1).astype(int)
        where = rng.permutation(flat.size)[:flat.size // 5]
        flat[where] += np.where(flat[where] == 0, 1, np.where(flat[where] == 255, -1, rng.choice([-1, 1], where.size)))
        stego = flat.astype(np.uint8).reshape(self.cover.shape)
        for name in ("RS", "SPA", "WS"):
            with self.subTest(detector=name):
                self.assertLess(abs(structural.DETECTORS[name](stego)), TOLERANCE)

    def test_grey_pictures_work(self):
        stego = replace_low_bits(self.cover[:, :, :1], 0.4, seed=3)
        self.assertAlmostEqual(structural.spa(stego), 0.4, delta=TOLERANCE)


class ChiSquare(unittest.TestCase):
    def test_full_replacement_is_found_and_a_clean_picture_is_not(self):
        # A stretched picture: only every third value occurs, so the pairs of values differ.
        cover = (natural(seed=12) // 3 * 3).astype(np.uint8)
        self.assertLess(structural.chi_square(cover), 0.1)
        self.assertGreater(structural.chi_square(replace_low_bits(cover, 1.0, seed=4)), 0.9)

    def test_equal_pairs_give_certainty(self):
        pixels = np.repeat(np.arange(64, dtype=np.uint8), 10).reshape(-1, 10, 1)  # 2k and 2k+1 alike
        self.assertAlmostEqual(structural.chi_square(pixels), 1.0)

    def test_too_few_samples_count_as_clean(self):
        self.assertEqual(structural.chi_square(np.zeros((2, 2, 1), np.uint8)), 0.0)


if __name__ == "__main__":
    unittest.main()
