"""The window section of bench/run: the real main window, offscreen, hides a text file with
compression and XChaCha20-Poly1305 into a 24-bit bitmap and extracts it again, while
tarnwerk-window-bench measures the longest gap between two turns of the window's event loop and
notes what the window showed: the progress rising during compression, the key derivation's
status with a busy bar, the encryption's progress reports."""

import os
import subprocess

TARGET_GAP_MS = 50.0
MIB = 1 << 20
FULL = {"data_bytes": 40 * MIB, "width": 6000, "height": 4000}
SMOKE = {"data_bytes": 256 * 1024, "width": 1000, "height": 800}


def measure(program, data, folder, size):
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    result = subprocess.run([program, str(folder), str(data), str(size["width"]), str(size["height"])],
                            stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                            env=env)
    if result.returncode != 0:
        raise RuntimeError("window bench failed: " + result.stderr.strip()[-500:])
    values = {}
    for line in result.stdout.splitlines():
        parts = line.split()
        if len(parts) == 3:
            values[parts[0]] = float(parts[1])
    return values


def run(table, program, inputs, smoke, log):
    """Adds the section's rows; program is None when tarnwerk-window-bench did not build."""
    if program is None:
        table.add("window", "tarnwerk-window-bench not built", None, "", note="skipped")
        return
    size = SMOKE if smoke else FULL
    data = inputs.data("text", size["data_bytes"])
    what = f"{size['data_bytes'] // 1024} KiB text, {size['width']}x{size['height']} bmp24"
    log(f"window responsiveness ({what}) ...")
    seen = measure(program, data, inputs.folder, size)
    for op in ("hide", "extract"):
        gap = seen[f"{op}_longest_gap"]
        table.add("window", f"longest event-loop gap, {op}", gap, "ms", f"<= {TARGET_GAP_MS:.0f}",
                  gap <= TARGET_GAP_MS, note=f"{what}, {int(seen[f'{op}_turns'])} turns")
    rises = int(seen["hide_compression_rises"])
    table.add("window", "progress rises during compression", rises, "steps", ">= 1", rises >= 1)
    shown = int(seen["hide_derivation_shown"])
    table.add("window", "key derivation shows its status, busy bar", shown, "bool", "= 1", shown == 1)
    reports = int(seen["hide_encryption_reports"])
    table.add("window", "encryption reports progress", reports, "steps", ">= 1", reports >= 1)
