import unittest

import numpy as np

from stealth import embedding, hill

from .pictures import natural


class Costs(unittest.TestCase):
    def test_checkerboard_interior_known_answer(self):
        # The high-pass kernel gives |-4*10 - 4*2*10 - 4*10| = 160 on a +-10 checkerboard, so
        # away from the borders both averages leave 1/160.
        i, j = np.indices((48, 48))
        pixels = (100 + 10 * (-1) ** (i + j)).astype(np.uint8)[:, :, None]
        costs = hill.costs(pixels)[:, :, 0]
        np.testing.assert_allclose(costs[9:-9, 9:-9], 1.0 / 160.0, rtol=1e-9)

    def test_flat_regions_are_wet_and_textured_ones_cheap(self):
        pixels = np.full((64, 64, 1), 128, np.uint8)
        pixels[:, 32:, 0] = np.random.default_rng(3).integers(0, 256, (64, 32))
        costs = hill.costs(pixels)[:, :, 0]
        self.assertEqual(costs[:, :8].min(), hill.WET)
        self.assertLess(costs[:, 48:].max(), 0.1)
        self.assertTrue(np.all(np.isfinite(costs)))

    def test_usable_samples_leave_out_every_window_with_a_flat_spot(self):
        # Columns 0..31 flat: the high-pass reaches one column and its 3x3 average another, so
        # flat spots end at column 29; the 15x15 window then reaches 7 columns further.
        pixels = np.full((64, 64, 1), 128, np.uint8)
        pixels[:, 32:, 0] = np.random.default_rng(3).integers(0, 256, (64, 32))
        self.assertEqual(hill.usable_samples(pixels), 64 * (64 - 37))
        self.assertEqual(hill.usable_samples(np.full((20, 20, 3), 9, np.uint8)), 0)

    def test_channels_are_costed_apart(self):
        pixels = natural(seed=4)
        pixels[:, :, 1] = 77  # one flat channel does not make the others expensive
        costs = hill.costs(pixels)
        self.assertEqual(costs[:, :, 1].min(), hill.WET)
        self.assertLess(np.median(costs[:, :, 0]), 1.0)


class PayloadLimitedSender(unittest.TestCase):
    def test_lambda_for_equal_costs_known_answer(self):
        # Half a bit per sample at equal costs: h(p) = 0.5 at p = 0.110028, so
        # lambda = ln((1 - p) / p) = 2.090445.
        lam = embedding.payload_lambda(np.ones(1000), 500.0)
        self.assertAlmostEqual(lam, 2.090445, places=4)

    def test_entropy_of_the_changes_equals_the_payload(self):
        costs = hill.costs(natural(seed=6, height=64, width=64))
        for rate in (0.05, 0.4):
            lam = embedding.payload_lambda(costs, rate * costs.size)
            p = 1.0 / (1.0 + np.exp(np.minimum(lam * costs, 700.0)))
            nz = p[p > 0]
            bits = -np.sum(nz * np.log2(nz) + (1 - nz) * np.log2(1 - nz))
            self.assertAlmostEqual(bits / costs.size, rate, places=4)

    def test_changes_go_where_the_texture_is(self):
        pixels = np.full((128, 128, 1), 90, np.uint8)
        pixels[:, 64:, 0] = np.random.default_rng(7).integers(40, 200, (128, 64))
        stego, expected = embedding.simulate_optimal(pixels, round(0.2 * pixels.size), np.random.default_rng(8))
        changed = stego.astype(int) != pixels
        self.assertEqual(changed[:, :56].sum(), 0)
        self.assertGreater(changed[:, 64:].sum(), 0)
        self.assertLessEqual(np.abs(stego.astype(int) - pixels).max(), 1)
        self.assertGreater(expected, 0.0)

    def test_refuses_a_payload_above_one_bit_per_sample(self):
        with self.assertRaises(ValueError):
            embedding.payload_lambda(np.ones(10), 10.0)


class PlusMinusOne(unittest.TestCase):
    def test_changes_stay_in_range_and_number_about_half_the_payload(self):
        pixels = np.zeros((100, 100, 2), np.uint8)
        pixels[:, :, 1] = 255
        stego = embedding.plus_minus_random(pixels, pixels.size // 2, np.random.default_rng(9)).astype(int)
        self.assertTrue(np.all(stego[:, :, 0] <= 1) and np.all(stego[:, :, 1] >= 254))
        changes = np.sum(stego != pixels)
        self.assertAlmostEqual(changes / pixels.size, 0.25, delta=0.02)  # binomial sd ~0.004

    def test_directions_are_balanced_inside_the_range(self):
        pixels = np.full((200, 200, 1), 128, np.uint8)
        diff = embedding.plus_minus_random(pixels, pixels.size, np.random.default_rng(10)).astype(int) - 128
        self.assertAlmostEqual(np.sum(diff == 1) / np.sum(diff != 0), 0.5, delta=0.03)


if __name__ == "__main__":
    unittest.main()
