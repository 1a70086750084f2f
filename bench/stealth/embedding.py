"""Simulated embedders: LSB replacement (to validate the structural detectors), ±1 at random
positions, and the payload-limited optimal embedding simulator over HILL costs."""

import numpy as np

from . import hill

LAMBDA_STEPS = 60
LAMBDA_TOLERANCE = 1e-7  # relative error of the entropy against the payload


def lsb_replace(pixels, rate, rng):
    """A random message bit into the low bit of round(rate * n) random samples."""
    flat = pixels.reshape(-1).copy()
    chosen = rng.choice(flat.size, round(rate * flat.size), replace=False)
    flat[chosen] = (flat[chosen] & 0xFE) | rng.integers(0, 2, chosen.size, dtype=np.uint8)
    return flat.reshape(pixels.shape)


def apply_changes(pixels, changed, rng):
    """±1 at the changed samples, direction random, forced inward at 0 and 255."""
    flat = pixels.reshape(-1).astype(np.int16)
    where = np.flatnonzero(changed.reshape(-1))
    step = rng.choice(np.array([-1, 1], np.int16), where.size)
    step[flat[where] == 0] = 1
    step[flat[where] == 255] = -1
    flat[where] += step
    return flat.astype(np.uint8).reshape(pixels.shape)


def plus_minus_random(pixels, bits, rng):
    """LSB matching without coding: one message bit per sample at `bits` random positions;
    half of those samples already hold the bit, the others change by ±1."""
    chosen = rng.choice(pixels.size, bits, replace=False)
    changed = np.zeros(pixels.size, bool)
    changed[chosen] = rng.integers(0, 2, chosen.size).astype(bool)
    return apply_changes(pixels, changed, rng)


def binary_entropy_bits(p):
    p = np.clip(p, 1e-300, 1.0 - 1e-16)
    return -(p * np.log2(p) + (1.0 - p) * np.log2(1.0 - p))


def change_probabilities(costs, lam):
    """p_i = e^(-lambda rho_i) / (1 + e^(-lambda rho_i)), written to stay finite."""
    return np.exp(-np.logaddexp(0.0, lam * costs))


def payload_lambda(costs, bits):
    """Filler & Fridrich, "Gibbs construction in steganography", IEEE TIFS 2010: the payload-
    limited sender changes sample i with p_i above, lambda chosen by bisection so that the
    entropy of the changes equals the payload. Returns lambda."""
    if bits >= 0.999 * costs.size:
        raise ValueError("payload above one bit per sample")

    def entropy(lam):
        return binary_entropy_bits(change_probabilities(costs, lam)).sum()

    low, high = 0.0, 1.0
    while entropy(high) > bits:
        low, high = high, high * 2.0
    for _ in range(LAMBDA_STEPS):
        middle = (low + high) / 2.0
        found = entropy(middle)
        if abs(found - bits) <= LAMBDA_TOLERANCE * bits:
            return middle
        if found > bits:
            low = middle
        else:
            high = middle
    return (low + high) / 2.0


def simulate_optimal(pixels, bits, rng):
    """Changes drawn with the payload-limited probabilities over HILL costs. The coding the
    real method uses (binary syndrome-trellis codes over the low bits, ±1 in a keyed direction)
    is bounded by exactly this binary simulator, so it is the fair reference. Returns the
    picture and the expected distortion sum p_i rho_i."""
    costs = hill.costs(pixels)
    lam = payload_lambda(costs, bits)
    p = change_probabilities(costs, lam)
    changed = rng.random(p.shape) < p
    return apply_changes(pixels, changed, rng), float(np.sum(p * costs))
