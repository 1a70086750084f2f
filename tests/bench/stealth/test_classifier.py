import unittest

import numpy as np

from stealth import ensemble, metrics


class Figures(unittest.TestCase):
    def test_auc_known_answers(self):
        self.assertEqual(metrics.auc([0, 1], [2, 3]), 1.0)
        self.assertEqual(metrics.auc([2, 3], [0, 1]), 0.0)
        self.assertEqual(metrics.auc([1, 1], [1, 1]), 0.5)
        self.assertAlmostEqual(metrics.auc([0, 2], [1, 3]), 0.75)  # 3 of 4 pairs ordered

    def test_min_error_known_answers(self):
        self.assertEqual(metrics.min_error([0, 1], [2, 3]), 0.0)
        self.assertEqual(metrics.min_error([5, 5], [5, 5]), 0.5)
        # covers 0 1 2 3, stego 2 3 4 5: cutting above 1 alarms on 2 of 4 covers and misses
        # none; no cut does better than (0.5 + 0) / 2.
        self.assertEqual(metrics.min_error([0, 1, 2, 3], [2, 3, 4, 5]), 0.25)

    def test_min_error_never_exceeds_half(self):
        self.assertEqual(metrics.min_error([4, 5, 6], [1, 2, 3]), 0.5)

    def test_separation_is_symmetric(self):
        self.assertEqual(metrics.separation(0.2), metrics.separation(0.8))


class Ensemble(unittest.TestCase):
    def data(self, shift, n=150, d=100, seed=0):
        rng = np.random.default_rng(seed)
        cover = rng.normal(size=(n, d))
        stego = cover + rng.normal(scale=0.3, size=(n, d))
        stego[:, :10] += shift  # the stego signal lives in a few features, as with SPAM
        return cover, stego

    def test_finds_a_shift_in_a_few_features(self):
        # Bayes error of this pair of distributions: Phi(-sqrt(10) * 1.0 / 1.04 / 2) = 0.064.
        cover, stego = self.data(shift=1.0)
        model = ensemble.Ensemble(seed=1).fit(cover[:100], stego[:100])
        p_e = metrics.min_error(model.scores(cover[100:]), model.scores(stego[100:]))
        self.assertLess(p_e, 0.15)
        self.assertLess(model.oob_error, 0.2)

    def test_no_signal_stays_near_chance(self):
        cover, stego = self.data(shift=0.0, seed=2)
        model = ensemble.Ensemble(seed=1).fit(cover[:100], stego[:100])
        p_e = metrics.min_error(model.scores(cover[100:]), model.scores(stego[100:]))
        self.assertGreater(p_e, 0.3)

    def test_same_seed_same_decisions(self):
        cover, stego = self.data(shift=0.5, seed=3)
        a = ensemble.Ensemble(seed=4).fit(cover, stego).scores(stego)
        b = ensemble.Ensemble(seed=4).fit(cover, stego).scores(stego)
        np.testing.assert_array_equal(a, b)

    def test_fewer_samples_than_features_still_trains(self):
        cover, stego = self.data(shift=2.0, n=6, d=300, seed=5)
        scores = ensemble.Ensemble(seed=6).fit(cover, stego).scores(stego)
        self.assertTrue(np.all((scores >= 0) & (scores <= 1)))


if __name__ == "__main__":
    unittest.main()
