import unittest

import numpy as np

from stealth import spam

ZERO = 3 * 49 + 3 * 7 + 3  # index of the differences (0, 0, 0)


def index(u, v, w):
    return (u + 3) * 49 + (v + 3) * 7 + (w + 3)


class Features(unittest.TestCase):
    def test_flat_picture_has_only_zero_differences(self):
        f = spam.features(np.full((20, 20, 3), 50, np.uint8))
        self.assertEqual(f.shape, (686,))
        expected = np.zeros(686)
        expected[ZERO] = expected[343 + ZERO] = 1.0
        np.testing.assert_array_equal(f, expected)

    def test_horizontal_ramp_known_answer(self):
        # X(i, j) = j: rightwards differences are -1, leftwards +1, vertical 0; the diagonals
        # see -1 going right and +1 going left.
        ramp = np.tile(np.arange(30, dtype=np.uint8), (30, 1))[:, :, None]
        f = spam.features(ramp)
        straight, diagonal = f[:343], f[343:]
        self.assertAlmostEqual(straight[index(-1, -1, -1)], 0.25)
        self.assertAlmostEqual(straight[index(1, 1, 1)], 0.25)
        self.assertAlmostEqual(straight[ZERO], 0.5)
        self.assertAlmostEqual(diagonal[index(-1, -1, -1)], 0.5)
        self.assertAlmostEqual(diagonal[index(1, 1, 1)], 0.5)
        self.assertAlmostEqual(f.sum(), 2.0)

    def test_large_steps_are_clipped_to_three(self):
        # Columns alternate 0, 100: across, the differences alternate -100 and +100, read as -3
        # and +3, and each continues the other with certainty; down they are 0.
        stripes = np.tile(np.array([0, 100], np.uint8), (12, 6))[:, :, None]
        straight = spam.features(stripes)[:343]
        self.assertAlmostEqual(straight[index(-3, 3, -3)], 0.5)
        self.assertAlmostEqual(straight[index(3, -3, 3)], 0.5)
        self.assertAlmostEqual(straight[ZERO], 0.5)


if __name__ == "__main__":
    unittest.main()
