"""Tests of the benchmark code in bench/ (run: python3 -m unittest discover -s tests/bench -t tests)."""

import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "bench"))
