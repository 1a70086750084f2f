"""The PNG section of bench/run: a classic hide into 6000 x 4000 RGB pictures, written back as a
whole new PNG, against ImageMagick re-encoding the same file (`convert in.png out.png`) in the same
run; extraction against half that time; peak memory of both.

Imported by bench/run (case_png); runs alone too: bench/png_case.py CLI [--quick].
"""

import filecmp
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

WIDTH, HEIGHT = 6000, 4000
BITS = 2
PAYLOAD_SHARE = 0.45         # of the room at BITS: the stream reaches almost halfway down
TARGET_CONVERT_RATIO = 1.0   # hide / convert re-encoding the same picture
TARGET_EXTRACT_RATIO = 0.5   # extract / convert
TARGET_MEMORY_MIB = 64.0
RUNS = 3


# Two pictures: a photograph with sensor noise (compresses little: deflate's speed matters
# less) and a smooth one (compresses well: deflate's effort dominates both tools' time).
PICTURES = {
    "noisy": ["-attenuate", "0.3", "+noise", "Gaussian"],
    "smooth": ["-blur", "0x2"],
}


def make_picture(path, effect):
    subprocess.run(["convert", "-seed", "5", "-size", f"{WIDTH}x{HEIGHT}", "plasma:fractal"] + effect +
                   ["-depth", "8", "-type", "TrueColor", f"PNG24:{path}"], check=True, stdin=subprocess.DEVNULL)


def case_png(table, cli, repeat, runs=RUNS, folder=None):
    if shutil.which("convert") is None:
        table.add("png", "ImageMagick convert missing", None, "", note="skipped")
        return
    work = Path(folder or tempfile.mkdtemp(prefix="tarnwerk-png-"))
    try:
        for name, effect in PICTURES.items():
            measure(table, cli, repeat, runs, work, name, effect)
    finally:
        if folder is None:
            shutil.rmtree(work, ignore_errors=True)


def measure(table, cli, repeat, runs, work, name, effect):
    pristine, carrier, converted = work / f"{name}.png", work / "carrier.png", work / "convert.png"
    payload, out = work / "payload.bin", work / "extracted"
    make_picture(pristine, effect)
    room = WIDTH * HEIGHT * 3 * BITS // 8
    with open("/dev/urandom", "rb") as random:
        payload.write_bytes(random.read(int(room * PAYLOAD_SHARE)))

    convert, _ = repeat(runs, lambda: converted.unlink(missing_ok=True), ["convert", str(pristine), str(converted)])
    hide, hide_rss = repeat(runs, lambda: shutil.copyfile(pristine, carrier),
                            [cli, "hide", str(carrier), str(payload), "--bits", str(BITS), "--no-compress",
                             "--cipher", "none", "--quiet"], memory=True)
    extract, extract_rss = repeat(runs, lambda: out.unlink(missing_ok=True),
                                  [cli, "extract", str(carrier), str(out), "--force", "--quiet"], memory=True)
    if not filecmp.cmp(out, payload, shallow=False):
        raise RuntimeError(f"extraction from the {name} PNG did not give the data back")

    label = f"{name} {WIDTH}x{HEIGHT} RGB, {payload.stat().st_size >> 20} MiB b={BITS}"
    table.add("png", f"hide/convert {label} (hide {hide * 1000:.0f} ms, convert {convert * 1000:.0f} ms)",
              hide / convert, "x", f"<= {TARGET_CONVERT_RATIO}", hide / convert <= TARGET_CONVERT_RATIO)
    table.add("png", f"extract/convert {label} (extract {extract * 1000:.0f} ms)",
              extract / convert, "x", f"<= {TARGET_EXTRACT_RATIO}", extract / convert <= TARGET_EXTRACT_RATIO)
    for op, rss in (("hide", hide_rss), ("extract", extract_rss)):
        table.add("png", f"peak RSS {op} {label}", rss, "MiB", f"< {TARGET_MEMORY_MIB:.0f}",
                  rss < TARGET_MEMORY_MIB)
    sizes = (f"original {pristine.stat().st_size >> 20} MiB, ours {carrier.stat().st_size >> 20} MiB, "
             f"convert's {converted.stat().st_size >> 20} MiB")
    table.add("png", f"file sizes {name}", None, "", note=sizes)
    for path in (pristine, carrier, converted, payload, out):
        path.unlink(missing_ok=True)


if __name__ == "__main__":
    import importlib.machinery
    import types
    # bench/run has no .py ending, so it is loaded by hand as a module.
    loader = importlib.machinery.SourceFileLoader("bench_run", str(Path(__file__).with_name("run")))
    run = types.ModuleType(loader.name)
    run.__file__ = loader.path
    loader.exec_module(run)
    results = run.Table()
    case_png(results, sys.argv[1], run.repeat, runs=1 if "--quick" in sys.argv else RUNS)
    results.print()
