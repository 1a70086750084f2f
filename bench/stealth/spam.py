"""SPAM features: Pevný, Bas & Fridrich, "Steganalysis by subtractive pixel adjacency matrix",
IEEE TIFS 5(2), 2010. Second-order Markov transition probabilities of neighbouring differences
clipped to [-T, T] in eight directions; the four straight and the four diagonal ones averaged:
2 (2T+1)^3 = 686 features for T = 3. For colour pictures the features of the three channel
planes are averaged: the stego noise is alike in every channel, so averaging keeps the 686
dimensions and lowers the features' variance, which the small training set needs."""

import numpy as np

T = 3
BINS = 2 * T + 1
STRAIGHT = ((0, 1), (0, -1), (1, 0), (-1, 0))
DIAGONAL = ((1, 1), (-1, -1), (1, -1), (-1, 1))
FEATURES = 2 * BINS ** 3


def _window(array, dy, dx, step):
    """array[y + step*dy, x + step*dx] over the points where three steps stay inside."""
    height, width = array.shape
    span_y, span_x = abs(dy) * 3, abs(dx) * 3
    y0 = step * dy + (span_y if dy < 0 else 0)
    x0 = step * dx + (span_x if dx < 0 else 0)
    return array[y0:y0 + height - span_y, x0:x0 + width - span_x]


def transitions(plane, dy, dx):
    """M[u, v, w] = Pr(D(p+2d) = u | D(p+d) = v, D(p) = w), D(p) = X(p) - X(p+d)."""
    x = plane.astype(np.int16)
    first, second, third, fourth = (_window(x, dy, dx, k) for k in range(4))
    w = np.clip(first - second, -T, T) + T
    v = np.clip(second - third, -T, T) + T
    u = np.clip(third - fourth, -T, T) + T
    joint = np.bincount((u * BINS * BINS + v * BINS + w).reshape(-1), minlength=BINS ** 3)
    joint = joint.reshape(BINS, BINS, BINS).astype(np.float64)
    given = joint.sum(axis=0, keepdims=True)
    return np.divide(joint, given, out=np.zeros_like(joint), where=given > 0)


def plane_features(plane):
    straight = sum(transitions(plane, dy, dx) for dy, dx in STRAIGHT) / 4.0
    diagonal = sum(transitions(plane, dy, dx) for dy, dx in DIAGONAL) / 4.0
    return np.concatenate([straight.reshape(-1), diagonal.reshape(-1)])


def features(pixels):
    return np.mean([plane_features(pixels[:, :, c]) for c in range(pixels.shape[2])], axis=0)
