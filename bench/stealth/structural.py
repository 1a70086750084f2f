"""The four structural detectors of LSB replacement. Each takes a picture (H x W x C, uint8) and
returns a score that grows with embedding; RS, SPA and WS estimate the share of samples that
carry a message bit (the embedding rate p, about p/2 of the low bits flipped).
"""

import numpy as np
from scipy import stats

CHI_MIN_EXPECTED = 5  # pairs of values rarer than this are pooled (the test needs enough counts)


def _planes(pixels):
    return [pixels[:, :, c].astype(np.int64) for c in range(pixels.shape[2])]


def chi_square(pixels):
    """Westfeld & Pfitzmann, "Attacks on steganographic systems", IH 1999: after LSB
    replacement the values 2k and 2k+1 become equally frequent. Returns the probability of
    embedding, 1 - CDF of the chi-square statistic against their mean."""
    histogram = np.bincount(pixels.reshape(-1), minlength=256).astype(np.float64)
    even, odd = histogram[0::2], histogram[1::2]
    expected = (even + odd) / 2.0
    keep = expected >= CHI_MIN_EXPECTED
    if keep.sum() < 2:
        return 0.0
    statistic = np.sum((even[keep] - expected[keep]) ** 2 / expected[keep])
    return float(stats.chi2.sf(statistic, keep.sum() - 1))


def _flip(values, mask_sign):
    """F1 (0<->1, 2<->3, ...) for +1, F-1 (-1<->0, 1<->2, ...) for -1."""
    if mask_sign > 0:
        return values ^ 1
    return ((values + 1) ^ 1) - 1


def _regular_singular(groups, mask, sign):
    smooth = np.abs(np.diff(groups, axis=1)).sum(axis=1)
    flipped = groups.copy()
    flipped[:, mask] = _flip(groups[:, mask], sign)
    after = np.abs(np.diff(flipped, axis=1)).sum(axis=1)
    return np.mean(after > smooth), np.mean(after < smooth)


def _rs_counts(pixels):
    mask = np.array([False, True, True, False])  # M = [0 1 1 0]
    groups = []
    for plane in _planes(pixels):
        width = plane.shape[1] // 4 * 4
        groups.append(plane[:, :width].reshape(-1, 4))
    groups = np.concatenate(groups)
    r_pos, s_pos = _regular_singular(groups, mask, +1)
    r_neg, s_neg = _regular_singular(groups, mask, -1)
    return r_pos - s_pos, r_neg - s_neg


def rs(pixels):
    """Fridrich, Goljan & Du, "Detecting LSB steganography in color and gray-scale images",
    IEEE Multimedia 2001: regular and singular groups under F1 and F-1, measured on the picture
    and on the picture with every low bit flipped; p from the quadratic of their section 3."""
    d0, dm0 = _rs_counts(pixels)
    d1, dm1 = _rs_counts(pixels ^ 1)
    a, b, c = 2.0 * (d1 + d0), dm0 - dm1 - d1 - 3.0 * d0, d0 - dm0
    z = _smaller_root(a, b, c)
    return float(z / (z - 0.5)) if z is not None and z != 0.5 else 0.0


def _smaller_root(a, b, c):
    if abs(a) < 1e-12:
        return -c / b if abs(b) > 1e-12 else None
    disc = b * b - 4.0 * a * c
    if disc < 0:
        disc = 0.0  # the estimate then takes the vertex; the roots are near each other anyway
    roots = ((-b + np.sqrt(disc)) / (2.0 * a), (-b - np.sqrt(disc)) / (2.0 * a))
    return min(roots, key=abs)


def _pairs(pixels):
    """Horizontally and vertically adjacent samples of every channel plane."""
    us, vs = [], []
    for plane in _planes(pixels):
        us += [plane[:, :-1].reshape(-1), plane[:-1, :].reshape(-1)]
        vs += [plane[:, 1:].reshape(-1), plane[1:, :].reshape(-1)]
    return np.concatenate(us), np.concatenate(vs)


def spa(pixels):
    """Dumitrescu, Wu & Wang, "Detection of LSB steganography via sample pair analysis", IEEE
    TSP 2003: from the trace sets of adjacent pairs (u, v), p is the smaller root of
    (W+Z)/2 p^2 + (2X - P) p + Y - X = 0."""
    u, v = _pairs(pixels)
    even = (v & 1) == 0
    x = np.sum((even & (u < v)) | (~even & (u > v)))
    y = np.sum((even & (u > v)) | (~even & (u < v)))
    z = np.sum(u == v)
    w = np.sum(((u >> 1) == (v >> 1)) & (u != v))
    total = len(u)
    root = _smaller_root((w + z) / 2.0, 2.0 * x - total, y - x)
    return float(root) if root is not None else 0.0


WS_KERNEL = np.array([[-0.25, 0.5, -0.25], [0.5, 0.0, 0.5], [-0.25, 0.5, -0.25]])
WS_MODERATION = 5.0


def ws(pixels):
    """Weighted stego-image analysis: Fridrich & Goljan, "On estimation of secret message
    length in LSB steganography in spatial domain", SPIE 2004, with the predictor and weights
    of Ker & Böhme, "Revisiting weighted stego-image steganalysis", SPIE 2008:
    p = 2 sum w_i (x_i - xbar_i)(x_i - F(x)_i), w_i ~ 1 / (5 + local variance), sum w_i = 1."""
    numerator, weights = 0.0, 0.0
    for plane in _planes(pixels):
        x = plane.astype(np.float64)
        centre = x[1:-1, 1:-1]
        predicted = sum(WS_KERNEL[dy, dx] * x[dy:dy + centre.shape[0], dx:dx + centre.shape[1]]
                        for dy in range(3) for dx in range(3) if WS_KERNEL[dy, dx] != 0.0)
        cross = np.stack([x[:-2, 1:-1], x[2:, 1:-1], x[1:-1, :-2], x[1:-1, 2:]])
        weight = 1.0 / (WS_MODERATION + cross.var(axis=0))
        flipped = centre + 1.0 - 2.0 * (plane[1:-1, 1:-1] & 1)
        numerator += np.sum(weight * (centre - flipped) * (centre - predicted))
        weights += weight.sum()
    return float(2.0 * numerator / weights)


DETECTORS = {"chi-square": chi_square, "RS": rs, "SPA": spa, "WS": ws}
