"""Receiver operating figures from detector scores (higher means "stego")."""

import numpy as np
from scipy import stats


def auc(cover_scores, stego_scores):
    """Area under the ROC curve: P(stego score > cover score), ties counted half."""
    cover_scores, stego_scores = np.asarray(cover_scores, float), np.asarray(stego_scores, float)
    ranks = stats.rankdata(np.concatenate([cover_scores, stego_scores]))
    stego_rank_sum = ranks[cover_scores.size:].sum()
    n_c, n_s = cover_scores.size, stego_scores.size
    return float((stego_rank_sum - n_s * (n_s + 1) / 2.0) / (n_c * n_s))


def min_error(cover_scores, stego_scores):
    """P_E = min over thresholds of (P_FA + P_MD) / 2, the threshold between any two scores."""
    cover_scores, stego_scores = np.sort(cover_scores), np.sort(stego_scores)
    values = np.unique(np.concatenate([cover_scores, stego_scores]))
    thresholds = np.concatenate([[values[0] - 1.0], values])  # "stego" when score > threshold
    false_alarm = 1.0 - np.searchsorted(cover_scores, thresholds, side="right") / cover_scores.size
    missed = np.searchsorted(stego_scores, thresholds, side="right") / stego_scores.size
    return float(np.min(false_alarm + missed) / 2.0)


def separation(value):
    """How far an AUC is from chance either way (an examiner may flip a detector's sign)."""
    return max(value, 1.0 - value)
