"""The hiding methods under test. Each turns a cover tile into a stego tile carrying a payload of
`bits` message bits; the simulated ones in memory, the real ones through their programs:
  classic  tarnwerk-cli hide at --bits 1 into a 24-bit BMP, random data, no compression or cipher
  stealth  tarnwerk-stealth-bench embed on a binary PPM
Results carry the picture, whether its file stores rows bottom-up (where a sequential writer
starts), and what the method reports about itself."""

import json
import subprocess
from pathlib import Path

from . import embedding, images

CLASSIC_HEADER_BYTES = 27  # markers and plain header ahead of the data at --bits 1


class Stego:
    def __init__(self, pixels, bottom_up=False, report=None):
        self.pixels, self.bottom_up, self.report = pixels, bottom_up, report or {}


def plus_minus(cover, bits, rng, tools, work):
    return Stego(embedding.plus_minus_random(cover, bits, rng))


def simulator(cover, bits, rng, tools, work):
    pixels, expected = embedding.simulate_optimal(cover, bits, rng)
    return Stego(pixels, report={"expected_distortion": expected})


def _run(cmd):
    result = subprocess.run(cmd, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                            text=True)
    if result.returncode != 0:
        raise RuntimeError(f"{' '.join(map(str, cmd))} failed ({result.returncode}): {result.stderr.strip()[-400:]}")
    return result.stdout


def classic_data_bytes(bits):
    data = bits // 8 - CLASSIC_HEADER_BYTES
    if data <= 0:
        raise ValueError(f"{bits} bits leave no room for data")
    return data


def classic(cover, bits, rng, tools, work):
    carrier, data = Path(work) / "classic.bmp", Path(work) / "classic.dat"
    images.write_bmp24(carrier, cover)
    data.write_bytes(rng.bytes(classic_data_bytes(bits)))
    _run([tools["cli"], "hide", str(carrier), str(data), "--bits", "1", "--no-compress", "--cipher", "none",
          "--quiet"])
    return Stego(images.read_bmp24(carrier), bottom_up=True)


def last_json(text):
    lines = [line for line in text.splitlines() if line.strip().startswith("{")]
    if not lines:
        raise RuntimeError(f"no JSON line in the driver's output: {text[-300:]!r}")
    return json.loads(lines[-1])


def stealth(cover, bits, rng, tools, work):
    source, target = Path(work) / "stealth-in.ppm", Path(work) / "stealth-out.ppm"
    images.write_pnm(source, cover)
    seed = int(rng.integers(1, 2 ** 31))
    report = last_json(_run([tools["stealth"], "embed", str(source), str(target), "--bits", str(bits),
                             "--seed", str(seed)]))
    report["seed"] = seed
    return Stego(images.read_pnm(target), report=report)


def stealth_extract(tools, path, seed):
    return last_json(_run([tools["stealth"], "extract", str(path), "--seed", str(seed)]))


def stealth_speed(tools, width, height, rate):
    return last_json(_run([tools["stealth"], "speed", "--width", str(width), "--height", str(height),
                           "--rate", str(rate)]))


METHODS = {"classic": classic, "±1 random": plus_minus, "HILL simulator": simulator, "stealth": stealth}
NEEDS = {"classic": "cli", "stealth": "stealth"}
