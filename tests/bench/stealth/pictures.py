"""Synthetic test pictures with the local statistics of photographs: smooth shapes plus a
little sensor-like noise."""

import numpy as np
from scipy import ndimage


def natural(seed, height=256, width=256, channels=3):
    rng = np.random.default_rng(seed)
    planes = []
    for _ in range(channels):
        field = ndimage.gaussian_filter(rng.normal(size=(height, width)), 6.0)
        field = (field - field.min()) / (field.max() - field.min()) * 200.0 + 25.0
        planes.append(field + rng.normal(0.0, 1.5, size=(height, width)))
    return np.clip(np.rint(np.stack(planes, axis=2)), 0, 255).astype(np.uint8)


def replace_low_bits(pixels, rate, seed):
    """LSB replacement written here, apart from the code under test."""
    rng = np.random.default_rng(seed)
    flat = pixels.reshape(-1).copy()
    count = int(round(rate * flat.size))
    where = rng.permutation(flat.size)[:count]
    flat[where] = (flat[where] // 2) * 2 + rng.integers(0, 2, count).astype(np.uint8)
    return flat.reshape(pixels.shape)
