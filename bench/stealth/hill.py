"""HILL costs: Li, Wang, Huang & Li, "A new cost function for spatial image steganography",
ICIP 2014. Per channel plane: a 3x3 high-pass residual, its magnitude averaged over 3x3, the
reciprocal averaged over 15x15. Low in texture, high in smooth regions."""

import numpy as np
from scipy import ndimage

HIGH_PASS = np.array([[-1.0, 2.0, -1.0], [2.0, -4.0, 2.0], [-1.0, 2.0, -1.0]])
FIRST_WINDOW = 3
SECOND_WINDOW = 15
EPSILON = 1e-10
WET = 1e10  # cap: keeps every cost finite in floating point
# Samples at or above this cost cannot carry (the engine's usable limit): a flat spot anywhere in
# the 15x15 window lifts a cost above 1e10 / 225, while costs without one stay below 9.
USABLE_LIMIT = 1e6


def plane_costs(plane):
    residual = ndimage.convolve(plane.astype(np.float64), HIGH_PASS, mode="reflect")
    spread = ndimage.uniform_filter(np.abs(residual), FIRST_WINDOW, mode="reflect")
    costs = ndimage.uniform_filter(1.0 / (spread + EPSILON), SECOND_WINDOW, mode="reflect")
    return np.minimum(costs, WET)


def costs(pixels):
    """One cost per sample, the same for +1 and -1 (H x W x C, float64)."""
    return np.stack([plane_costs(pixels[:, :, c]) for c in range(pixels.shape[2])], axis=2)


def usable_samples(pixels):
    """How many samples can carry: payloads are counted per usable sample, as the engine's
    capacity is."""
    return int(np.count_nonzero(costs(pixels) < USABLE_LIMIT))
