"""Detectability measurement of the hiding methods (bench/run --only stealth)."""
