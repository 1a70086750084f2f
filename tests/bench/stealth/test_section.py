import contextlib
import io
import unittest

import numpy as np

from stealth import section


class Table:
    def __init__(self):
        self.rows = []

    def add(self, case, name, value, unit, target=None, passed=None, note=""):
        self.rows.append({"name": name, "value": value, "target": target, "pass": passed, "note": note})

    def find(self, text):
        return [r for r in self.rows if text in r["name"]]


def row(p_e, aucs=0.5, marker=0.0, pattern=0.0, distortion=None):
    structural = {f"{d} {w}": aucs for d in section.COLUMNS for w in ("whole", "prefix")}
    out = {"structural": structural, "trained": {"P_E": p_e, "AUC": 0.5, "chance_P_E": 0.4},
           "search": {"marker": marker, "marker covers": 0.0, "pattern": pattern}}
    if distortion is not None:
        out.update(distortion_ratio=distortion, distortion_ratio_worst=distortion, distortion_outliers=0)
    return out


def judged(results):
    table = Table()
    with contextlib.redirect_stdout(io.StringIO()):
        section.print_matrix(results, section.RATES)
    section.judge(results, table)
    return table


class ChanceLevel(unittest.TestCase):
    def test_equal_scores_in_every_pair_give_exactly_half(self):
        scores = np.arange(20.0)
        self.assertEqual(section.chance_error(scores, scores.copy(), seed=1), 0.5)

    def test_a_clear_separation_lies_far_below_chance(self):
        cover, stego = np.arange(40.0), np.arange(40.0) + 100.0
        chance = section.chance_error(cover, stego, seed=2)
        self.assertGreater(chance, 0.2)  # swapping half the pairs at random leaves little to find
        self.assertLessEqual(chance, 0.5)


class Targets(unittest.TestCase):
    def test_stealth_near_the_simulator_passes(self):
        table = judged({"HILL simulator": {"0.1": row(0.44)}, "stealth": {"0.1": row(0.42, 0.55, distortion=1.05)}})
        self.assertTrue(all(r["pass"] for r in table.rows if r["pass"] is not None))
        self.assertEqual(len([r for r in table.rows if r["pass"] is not None]), 4)

    def test_trained_error_further_below_the_simulator_misses(self):
        table = judged({"HILL simulator": {"0.4": row(0.41)}, "stealth": {"0.4": row(0.36)}})
        self.assertFalse(table.find("trained P_E")[0]["pass"])

    def test_an_auc_far_below_chance_is_a_finding_too(self):
        table = judged({"stealth": {"0.1": row(0.45, aucs=0.30)}})
        worst = table.find("structural")[0]
        self.assertAlmostEqual(worst["value"], 0.70)
        self.assertFalse(worst["pass"])

    def test_a_single_pattern_hit_misses(self):
        table = judged({"stealth": {"0.2": row(0.4, pattern=0.01)}})
        self.assertFalse(table.find("marker or fixed pattern")[0]["pass"])

    def test_costly_coding_misses(self):
        table = judged({"stealth": {"0.1": row(0.45, distortion=1.2)}})
        self.assertFalse(table.find("distortion")[0]["pass"])

    def test_missing_driver_is_reported_not_judged(self):
        table = judged({"HILL simulator": {"0.1": row(0.44)}, "stealth": {}})
        self.assertEqual(table.find("stealth rows")[0]["note"], "not built")
        self.assertTrue(all(r["pass"] is None for r in table.rows))

    def test_failed_rows_print_the_reason(self):
        out = io.StringIO()
        with contextlib.redirect_stdout(out):
            section.print_matrix({"stealth": {"0.05": {"error": "3 of 147 tiles failed"}}}, (0.05,))
        self.assertIn("failed: 3 of 147 tiles failed", out.getvalue())


if __name__ == "__main__":
    unittest.main()
