"""Ensemble classifier: Kodovský, Fridrich & Holub, "Ensemble classifiers for steganalysis of
digital media", IEEE TIFS 7(2), 2012. L Fisher linear discriminants, each on a random subspace
of d_sub features and a bootstrap sample of the training pairs, fused by majority vote. d_sub
is chosen from a grid by the out-of-bag error, as in the paper (L is fixed here: with the few
hundred training samples it settles well before L_MAX)."""

import numpy as np

L_MAX = 51
SUBSPACES = (16, 32, 64, 128, 256)
RIDGE = 1e-6  # relative to the within-class scatter's mean diagonal, against singular matrices


class Learner:
    def __init__(self, subspace, weights, threshold):
        self.subspace, self.weights, self.threshold = subspace, weights, threshold

    def votes(self, x):
        return (x[:, self.subspace] @ self.weights > self.threshold).astype(np.int8)


def _best_threshold(cover_proj, stego_proj):
    """The threshold with the least (false alarms + misses) / 2 on the learner's own sample."""
    values = np.sort(np.concatenate([cover_proj, stego_proj]))
    candidates = np.concatenate([[values[0] - 1.0], (values[1:] + values[:-1]) / 2.0])
    fa = 1.0 - np.searchsorted(np.sort(cover_proj), candidates, side="right") / cover_proj.size
    md = np.searchsorted(np.sort(stego_proj), candidates, side="right") / stego_proj.size
    return candidates[np.argmin(fa + md)]


def fisher(cover, stego, subspace):
    c, s = cover[:, subspace], stego[:, subspace]
    scatter = np.cov(c, rowvar=False) + np.cov(s, rowvar=False)
    scatter += np.eye(len(subspace)) * RIDGE * max(np.trace(scatter) / len(subspace), 1e-12)
    weights = np.linalg.solve(scatter, s.mean(axis=0) - c.mean(axis=0))
    return Learner(subspace, weights, _best_threshold(c @ weights, s @ weights))


def _train(cover, stego, d_sub, rng):
    """Learners and the out-of-bag error. cover[i] and stego[i] come from the same tile and are
    drawn together, so that no learner sees a tile's cover while judged on its stego."""
    n = cover.shape[0]
    learners, oob_votes, oob_count = [], np.zeros((2, n)), np.zeros(n)
    for _ in range(L_MAX):
        subspace = np.sort(rng.choice(cover.shape[1], d_sub, replace=False))
        bag = rng.integers(0, n, n)
        learner = fisher(cover[bag], stego[bag], subspace)
        learners.append(learner)
        out = np.setdiff1d(np.arange(n), bag)
        oob_votes[0, out] += learner.votes(cover[out])
        oob_votes[1, out] += learner.votes(stego[out])
        oob_count[out] += 1
    seen = oob_count > 0
    decided = oob_votes[:, seen] * 2 > oob_count[seen]
    oob_error = (decided[0].mean() + (1.0 - decided[1].mean())) / 2.0
    return learners, oob_error


class Ensemble:
    def __init__(self, seed):
        self.rng = np.random.default_rng(seed)
        self.learners, self.d_sub, self.oob_error = [], None, None

    def fit(self, cover, stego):
        self.mean, self.scale = cover.mean(axis=0), cover.std(axis=0) + 1e-12
        c, s = self._normal(cover), self._normal(stego)
        best = None
        for d_sub in SUBSPACES:
            if d_sub > c.shape[1]:
                break
            learners, error = _train(c, s, d_sub, self.rng)
            if best is None or error < best[2]:
                best = (learners, d_sub, error)
        self.learners, self.d_sub, self.oob_error = best
        return self

    def _normal(self, x):
        return (x - self.mean) / self.scale

    def scores(self, x):
        """Share of learners that call each sample stego (0..1): the vote behind the decision."""
        x = self._normal(x)
        return np.mean([learner.votes(x) for learner in self.learners], axis=0)
