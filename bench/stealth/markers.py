"""What an examiner without any key tries first: the classic begin and end markers, and any
byte pattern that many carriers share at the same place, in the low-bit streams read the way a
sequential LSB tool writes them (1, 2 or 4 low bits per byte, most or least significant bit
first, in file order)."""

from collections import Counter

import numpy as np

MARKERS = (b"~hTwKli~", b"~hTwKlo~")
DEPTHS = (1, 2, 4)
ORDERS = ("msb", "lsb")
PATTERN_BYTES = 4
PATTERN_WINDOW = 512      # stream bytes searched for shared patterns
PATTERN_MIN_SHARE = 0.10  # a pattern counts when this share of carriers hold it ...
PATTERN_MIN_CARRIERS = 3
PATTERN_COVER_FACTOR = 2  # ... and at least twice as many as among the covers


def low_bit_stream(samples, depth, order):
    """Bytes built from the `depth` low bits of each sample, taken in order."""
    groups = samples.size * depth // 8 * 8 // depth
    chunks = samples[:groups].astype(np.uint8) & ((1 << depth) - 1)
    bits = np.unpackbits(chunks[:, None], axis=1)[:, 8 - depth:]  # each chunk's bits, high first
    if order == "lsb":
        bits = bits[:, ::-1]
    bits = bits.reshape(-1, 8)
    if order == "lsb":
        bits = bits[:, ::-1]
    return np.packbits(bits, axis=1).reshape(-1).tobytes()


def streams(samples):
    return {(depth, order): low_bit_stream(samples, depth, order) for depth in DEPTHS for order in ORDERS}


def has_marker(stream_set):
    return any(marker in stream for stream in stream_set.values() for marker in MARKERS)


def summary(samples):
    """What the searches need of one carrier: whether a marker shows, and the first bytes of
    each stream (where a fixed header would sit)."""
    stream_set = streams(samples)
    return has_marker(stream_set), {key: stream[:PATTERN_WINDOW] for key, stream in stream_set.items()}


def _patterns(windows):
    found = set()
    for key, window in windows.items():
        for offset in range(0, len(window) - PATTERN_BYTES + 1):
            found.add((key, offset, window[offset:offset + PATTERN_BYTES]))
    return found


def shared_patterns(stego_windows, cover_windows):
    """Patterns (stream, offset, bytes) that stego carriers share far more often than covers."""
    stego_found = [_patterns(w) for w in stego_windows]
    stego_counts = Counter(p for found in stego_found for p in found)
    needed = max(PATTERN_MIN_CARRIERS, PATTERN_MIN_SHARE * len(stego_windows))
    frequent = {p: n for p, n in stego_counts.items() if n >= needed}
    if not frequent:
        return set(), stego_found
    cover_counts = Counter(p for w in cover_windows for p in _patterns(w) if p in frequent)
    scale = len(stego_windows) / max(len(cover_windows), 1)
    shared = {p for p, n in frequent.items() if n >= PATTERN_COVER_FACTOR * cover_counts.get(p, 0) * scale}
    return shared, stego_found


def pattern_share(stego_windows, cover_windows):
    """Share of stego carriers holding a pattern that the stego set shares and covers do not."""
    shared, stego_found = shared_patterns(stego_windows, cover_windows)
    if not shared:
        return 0.0
    return float(np.mean([bool(found & shared) for found in stego_found]))
