"""The detectability section of bench/run: validates the structural detectors, then measures
every method at every payload against the same covers and prints one table (docs/detectability.md
explains how to read it)."""

import hashlib
import multiprocessing
import os
import pickle
import shutil
import subprocess
import tempfile
import time
from pathlib import Path

import numpy as np

from . import analysis, covers, ensemble, hill, images, markers, methods, metrics, spam, structural

SEED = 20141015                  # every random choice below derives from it and is printed
RATES = (0.05, 0.1, 0.2, 0.4)    # bits per usable sample
VALIDATION_RATES = (0.0, 0.05, 0.1, 0.2, 0.4, 1.0)
TRACK_TOLERANCE = 0.05           # mean estimate against the true rate, up to 0.4 (WS reads high)
NULL_DRAWS = 400
NULL_QUANTILE = 0.05
EXTRACT_CHECKS = 3               # stealth tiles per rate read back through the driver
SPEED_SIZE = (6000, 4000)
SPEED_RATE = 0.1
SMOKE_TILES = 8
SMOKE_SPEED_SIZE = (600, 400)
JOBS = 2
# Tiles with fewer usable samples are left out: the stealth method refuses most of them as too
# flat (its salt region needs 512 usable samples of 4096).
MIN_USABLE_SHARE = 0.15

TARGET_AUC = {0.1: 0.60, 0.4: 0.65}       # structural, whole and prefix, either sign
TARGET_PE_GAP = {0.1: 0.03, 0.4: 0.04}    # trained detector: stealth at most this below the simulator
TARGET_DISTORTION = 1.10
DISTORTION_OUTLIER = 2.0  # tiles whose coding cost more than this times the simulator's are listed
TARGET_HIDE_S, TARGET_EXTRACT_S, TARGET_PEAK_MIB = 6.0, 2.0, 1024.0

_shared = {}  # read by the worker processes (inherited through fork)


def _pool():
    return multiprocessing.get_context("fork").Pool(JOBS)


def _work_folder():
    folder = _shared["work"] / str(os.getpid())
    folder.mkdir(exist_ok=True)
    return folder


def _cover_job(index):
    return analysis.analyse_cover(_shared["tiles"][index])


def _usable_job(index):
    return hill.usable_samples(_shared["tiles"][index])


def _validation_job(index):
    rng = np.random.default_rng([SEED, 0, index])
    return analysis.validation_estimates(_shared["tiles"][index], VALIDATION_RATES, rng)


def _method_job(job):
    name, rate_index, index = job
    bits = int(_shared["rates"][rate_index] * _shared["usable"][index])
    rng = np.random.default_rng([SEED, 1 + list(methods.METHODS).index(name), rate_index, index])
    try:
        stego = methods.METHODS[name](_shared["tiles"][index], bits, rng, _shared["tools"], _work_folder())
        if name == "stealth" and index < EXTRACT_CHECKS:
            stego.report["read_back"] = methods.stealth_extract(
                _shared["tools"], _work_folder() / "stealth-out.ppm", stego.report["seed"])
    except (RuntimeError, ValueError, OSError) as error:
        return {"error": str(error)}
    result = analysis.analyse(stego.pixels, stego.bottom_up)
    result.update(report=stego.report, bottom_up=stego.bottom_up)
    return result


def _code_version():
    """Changes whenever the code behind the cached cover analysis changes."""
    digest = hashlib.sha256()
    for module in (analysis, covers, images, markers, spam, structural):
        digest.update(Path(module.__file__).read_bytes())
    return digest.hexdigest()[:12]


def _cover_analysis(cover_set, cache_folder, log):
    cache = Path(cache_folder) / f"covers-analysis-{_code_version()}-{len(cover_set.tiles)}.pkl"
    if cache.exists():
        return pickle.loads(cache.read_bytes())
    log(f"  analysing {len(cover_set.tiles)} covers ...")
    with _pool() as pool:
        result = pool.map(_cover_job, range(len(cover_set.tiles)), chunksize=4)
    cache.write_bytes(pickle.dumps(result))
    return result


# ---------------------------------------------------------------------------------------------
# Validation of the structural detectors on simulated LSB replacement


def validate(count, table, log):
    log("  structural detectors on simulated LSB replacement ...")
    with _pool() as pool:
        per_tile = pool.map(_validation_job, range(count), chunksize=4)
    print(f"\nStructural detectors on simulated LSB replacement ({count} tiles; mean estimate, std):")
    print(f"{'true rate':>9}  " + "  ".join(f"{name:>14}" for name in ("chi-square p", "RS", "SPA", "WS")))
    means = {}
    for rate in VALIDATION_RATES:
        cells = []
        for name in ("chi-square", "RS", "SPA", "WS"):
            values = np.array([tile[rate][name] for tile in per_tile])
            means[(rate, name)] = values.mean()
            cells.append(f"{values.mean():7.3f} {values.std():6.3f}")
        print(f"{rate:9.2f}  " + "  ".join(f"{c:>14}" for c in cells))
    for name in ("RS", "SPA", "WS"):
        worst = max(abs(means[(r, name)] - r) for r in VALIDATION_RATES if r <= 0.4)
        table.add("detect", f"{name} tracks LSB replacement 0..0.4 (worst |mean - rate|)", worst, "rate",
                  f"<= {TRACK_TOLERANCE}", worst <= TRACK_TOLERANCE)
    chi_ok = means[(0.0, "chi-square")] <= 0.1 and means[(1.0, "chi-square")] >= 0.9
    table.add("detect", "chi-square p: clean <= 0.1, full replacement >= 0.9", means[(1.0, "chi-square")], "p",
              "tracks", chi_ok, note=f"clean {means[(0.0, 'chi-square')]:.3f}")
    return {str(rate): {name: float(means[(rate, name)]) for name in ("chi-square", "RS", "SPA", "WS")}
            for rate in VALIDATION_RATES}


# ---------------------------------------------------------------------------------------------
# One method at one payload


def _structural_aucs(cover_results, stego_results, bottom_up):
    aucs = {}
    for name in ("chi-square", "RS", "SPA", "WS"):
        aucs[f"{name} whole"] = metrics.auc([c["whole"][name] for c in cover_results],
                                            [s["whole"][name] for s in stego_results])
        aucs[f"{name} prefix"] = metrics.auc([c["by_order"][bottom_up]["prefix"][name] for c in cover_results],
                                             [s["prefix"][name] for s in stego_results])
    return aucs


def chance_error(cover_scores, stego_scores, seed):
    """The P_E that chance alone reaches on these test pairs: each tile's two scores swapped at
    random, NULL_DRAWS times; the NULL_QUANTILE of the resulting P_E. A P_E above it cannot be
    told from chance on this test set."""
    rng = np.random.default_rng(seed)
    draws = []
    for _ in range(NULL_DRAWS):
        swap = rng.random(cover_scores.size) < 0.5
        draws.append(metrics.min_error(np.where(swap, stego_scores, cover_scores),
                                       np.where(swap, cover_scores, stego_scores)))
    return float(np.quantile(draws, NULL_QUANTILE))


def _trained(cover_results, stego_results, test, seed):
    cover = np.array([c["features"] for c in cover_results])
    stego = np.array([s["features"] for s in stego_results])
    model = ensemble.Ensemble(seed).fit(cover[~test], stego[~test])
    cover_scores, stego_scores = model.scores(cover[test]), model.scores(stego[test])
    return {"P_E": metrics.min_error(cover_scores, stego_scores), "AUC": metrics.auc(cover_scores, stego_scores),
            "chance_P_E": chance_error(cover_scores, stego_scores, seed), "d_sub": model.d_sub,
            "oob": model.oob_error, "seed": seed}


def _marker_search(cover_results, stego_results, bottom_up):
    covers_here = [c["by_order"][bottom_up] for c in cover_results]
    return {"marker": float(np.mean([s["marker"] for s in stego_results])),
            "marker covers": float(np.mean([c["marker"] for c in covers_here])),
            "pattern": markers.pattern_share([s["windows"] for s in stego_results],
                                             [c["windows"] for c in covers_here])}


def _reports(stego_results):
    reports = [s["report"] for s in stego_results]
    out = {}
    if reports and "simulated_distortion" in reports[0]:
        # Per tile: a few changes forced onto wet samples would swamp a ratio of sums.
        ratios = np.array([r["distortion"] / max(r["simulated_distortion"], 1e-300) for r in reports])
        out["distortion_ratio"] = float(np.median(ratios))
        out["distortion_ratio_worst"] = float(ratios.max())
        out["distortion_outliers"] = int(np.sum(ratios > DISTORTION_OUTLIER))
        out["changes_per_sample"] = sum(r["changes"] for r in reports) / max(sum(r["samples"] for r in reports), 1)
    read_back = [r["read_back"] for r in reports if "read_back" in r]
    if read_back:
        out["read_back_ok"] = sum(bool(r.get("ok")) for r in read_back)
        out["read_back_tried"] = len(read_back)
    return out


def evaluate(name, rate_index, cover_set, cover_results, log):
    rate = _shared["rates"][rate_index]
    started = time.time()
    with _pool() as pool:
        stego_results = pool.map(_method_job, [(name, rate_index, i) for i in range(len(cover_set.tiles))],
                                 chunksize=4)
    errors = [s["error"] for s in stego_results if "error" in s]
    if errors:
        return {"error": f"{len(errors)} of {len(stego_results)} tiles failed; first: {errors[0]}"}
    bottom_up = stego_results[0]["bottom_up"]
    row = {"structural": _structural_aucs(cover_results, stego_results, bottom_up),
           "trained": _trained(cover_results, stego_results, cover_set.test, SEED + rate_index),
           "search": _marker_search(cover_results, stego_results, bottom_up)}
    row.update(_reports(stego_results))
    row["seconds"] = round(time.time() - started, 1)
    log(f"  {name} at {rate}: {row['seconds']} s")
    return row


# ---------------------------------------------------------------------------------------------
# Speed and memory of the real method


def speed(tools, size, table):
    width, height = size
    with tempfile.NamedTemporaryFile("r") as peak_file:
        cmd = ["/usr/bin/time", "-f", "%M", "-o", peak_file.name, tools["stealth"], "speed", "--width",
               str(width), "--height", str(height), "--rate", str(SPEED_RATE)]
        result = subprocess.run(cmd, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                text=True)
        if result.returncode != 0:
            raise RuntimeError(f"stealth speed failed ({result.returncode}): {result.stderr.strip()[-400:]}")
        measured = methods.last_json(result.stdout)
        measured["time_peak_mib"] = int(Path(peak_file.name).read_text().split()[-1]) / 1024.0
    peak = max(measured["peak_rss_mib"], measured["time_peak_mib"])
    judged = size == SPEED_SIZE
    label = f"{width}x{height} 24-bit at {SPEED_RATE} bit per sample"
    hide, extract, kdf = measured["hide_seconds"], measured["extract_seconds"], measured["kdf_seconds"]
    table.add("stealth", f"hide {label} (key derivation included)", hide, "s",
              f"<= {TARGET_HIDE_S:.0f}" if judged else None, hide <= TARGET_HIDE_S if judged else None)
    table.add("stealth", f"extract {label}, less key derivation ({kdf:.2f} s)", extract - kdf, "s",
              f"<= {TARGET_EXTRACT_S:.0f}" if judged else None,
              extract - kdf <= TARGET_EXTRACT_S if judged else None)
    table.add("stealth", f"peak memory {label}", peak, "MiB", f"<= {TARGET_PEAK_MIB:.0f}" if judged else None,
              peak <= TARGET_PEAK_MIB if judged else None,
              note=f"driver {measured['peak_rss_mib']:.0f}, /usr/bin/time {measured['time_peak_mib']:.0f}")
    return measured


# ---------------------------------------------------------------------------------------------
# Output

COLUMNS = ("chi-square", "RS", "SPA", "WS")


def print_matrix(results, rates):
    print("\nDetectability (AUC 0.5 = chance, 1 = always found; P_E 0.5 = chance, 0 = always found)")
    head = ("method", "rate") + tuple(f"{c[:5]} w/p" for c in COLUMNS) + ("P_E", "chance", "AUC", "marker",
                                                                         "pattern", "distortion")
    print("{:<15}{:>5}".format(*head[:2]) + "".join(f"{h:>13}" for h in head[2:6])
          + "".join(f"{h:>8}" for h in head[6:11]) + f"{head[11]:>11}")
    for name, by_rate in results.items():
        for rate in rates:
            row = by_rate.get(str(rate))
            start = f"{name:<15}{rate:>5}"
            if row is None or "error" in row or "skipped" in row:
                reason = "not built" if row is None else row.get("skipped") or "failed: " + row["error"][:90]
                print(start + "   " + reason)
                continue
            s, t, m = row["structural"], row["trained"], row["search"]
            cells = "".join(f"{s[c + ' whole']:>7.2f}/{s[c + ' prefix']:<5.2f}" for c in COLUMNS)
            ratio = f"{row['distortion_ratio']:.3f}" if "distortion_ratio" in row else "-"
            print(start + cells + f"{t['P_E']:>8.3f}{t['chance_P_E']:>8.3f}{t['AUC']:>8.3f}{m['marker'] * 100:>7.0f}%"
                  + f"{m['pattern'] * 100:>7.0f}%{ratio:>11}")
    print("  rate: message bits per usable sample of each tile, the same bits for every method")
    print("  distortion: the stealth coding's realised HILL distortion over the simulator's expected one, "
          "median tile")
    print(f"  chance: the P_E that chance reaches on these test pairs ({NULL_QUANTILE:.0%} of {NULL_DRAWS} "
          "random swaps); a P_E above it is no finding")
    print("  structural cells: whole picture / first "
          f"{analysis.PREFIX_ROWS} rows in file order; trained: SPAM 686 + FLD ensemble on the test split")


def judge(results, table):
    """The targets, judged on the stealth rows; the references are shown next to them."""
    stealth, reference = results.get("stealth", {}), results.get("HILL simulator", {})
    for rate in (0.05, 0.1, 0.2, 0.4):
        row = stealth.get(str(rate))
        if row is None or "error" in row or "skipped" in row:
            if str(rate) in reference:
                table.add("stealth", f"rate {rate}: stealth rows", None, "",
                          note="not built" if row is None else (row.get("skipped") or "failed"))
            continue
        search = row["search"]
        found = max(search["marker"], search["pattern"]) * 100.0
        table.add("stealth", f"rate {rate}: carriers with a marker or fixed pattern", found, "%", "0", found == 0.0)
        limit = TARGET_AUC.get(rate)
        worst_name, worst = max(row["structural"].items(), key=lambda item: metrics.separation(item[1]))
        table.add("stealth", f"rate {rate}: worst structural AUC ({worst_name})", metrics.separation(worst), "AUC",
                  f"<= {limit}" if limit else None, metrics.separation(worst) <= limit if limit else None)
        gap = TARGET_PE_GAP.get(rate)
        ref = reference.get(str(rate), {}).get("trained", {}).get("P_E")
        table.add("stealth", f"rate {rate}: trained P_E (simulator {ref:.3f})" if ref is not None
                  else f"rate {rate}: trained P_E", row["trained"]["P_E"], "P_E",
                  f">= sim-{gap}" if gap and ref is not None else None,
                  row["trained"]["P_E"] >= ref - gap if gap and ref is not None else None)
        if "distortion_ratio" in row:
            table.add("stealth", f"rate {rate}: realised / simulated distortion, median tile", row["distortion_ratio"],
                      "x", f"<= {TARGET_DISTORTION}", row["distortion_ratio"] <= TARGET_DISTORTION,
                      note=f"worst tile {row['distortion_ratio_worst']:.3g}; {row['distortion_outliers']} tiles "
                           f"above {DISTORTION_OUTLIER:g}x")
        if "read_back_tried" in row:
            table.add("stealth", f"rate {rate}: carriers read back by the driver",
                      float(row["read_back_ok"]), "of", str(row["read_back_tried"]),
                      row["read_back_ok"] == row["read_back_tried"])


# ---------------------------------------------------------------------------------------------


def _plain(value):
    """numpy scalars and tuples keys into what json takes."""
    if isinstance(value, dict):
        return {str(k): _plain(v) for k, v in value.items()}
    if isinstance(value, (list, tuple)):
        return [_plain(v) for v in value]
    if isinstance(value, np.generic):
        return value.item()
    return value


def _describe(cover_set, missing, usable, flat):
    train, test = int((~cover_set.test).sum()), int(cover_set.test.sum())
    used = sorted({cover_set.names[p] for p in cover_set.photos})
    share = usable / cover_set.tiles[0].size
    quartiles = np.quantile(share, [0.1, 0.25, 0.5])
    print(f"\nCovers: {len(cover_set.tiles)} colour tiles of {covers.TILE}x{covers.TILE} from {len(used)} "
          f"photographs ({train} train, {test} test, split by photograph); seed {SEED}")
    print(f"  usable samples (HILL cost below {hill.USABLE_LIMIT:g}): {share.mean():.0%} on average; "
          f"10/25/50 % of the tiles at most {quartiles[0]:.0%}/{quartiles[1]:.0%}/{quartiles[2]:.0%}")
    print(f"  left out: {flat} tiles with less than {MIN_USABLE_SHARE:.0%} usable samples (too flat for the "
          "stealth method)")
    if missing:
        print("  missing photographs: " + ", ".join(missing))
    return {"tiles": len(cover_set.tiles), "left_out_flat": flat, "photographs": used, "train": train, "test": test,
            "test_photographs": sorted(covers.TEST_PHOTOGRAPHS), "missing": missing,
            "usable_share": float(share.mean()), "usable_share_quantiles_10_25_50": [float(q) for q in quartiles]}


def run(table, tools, smoke, cache_folder, log):
    """Measures and prints; returns (results for results.json, list of errors)."""
    cover_set, missing = covers.load(cache_folder)
    if smoke:
        cover_set = cover_set.subset(SMOKE_TILES)
    rates = RATES[-1:] if smoke else RATES
    work = Path(tempfile.mkdtemp(prefix="tarnwerk-stealth-"))
    _shared.update(tiles=cover_set.tiles, tools=tools, rates=rates, work=work)
    try:
        with _pool() as pool:
            usable = np.array(pool.map(_usable_job, range(len(cover_set.tiles)), chunksize=4))
        keep = usable >= MIN_USABLE_SHARE * cover_set.tiles[0].size
        flat = int((~keep).sum())
        cover_set, usable = cover_set.only(keep), usable[keep]
        _shared.update(tiles=cover_set.tiles, usable=usable)
        described = _describe(cover_set, missing, usable, flat)
        validation = validate(len(cover_set.tiles), table, log)
        cover_results = _cover_analysis(cover_set, cache_folder, log)
        results, errors = {}, []
        for name in methods.METHODS:
            results[name] = {}
            if not tools.get(methods.NEEDS.get(name, ""), True):
                continue
            for rate_index, rate in enumerate(rates):
                row = evaluate(name, rate_index, cover_set, cover_results, log)
                results[name][str(rate)] = row
                if "error" in row:
                    errors.append(f"{name} at {rate}: {row['error']}")
        measured = None
        if tools.get("stealth"):
            log("  stealth speed and memory ...")
            try:
                measured = speed(tools, SMOKE_SPEED_SIZE if smoke else SPEED_SIZE, table)
            except (RuntimeError, ValueError, OSError) as error:
                errors.append(f"stealth speed: {error}")
        else:
            table.add("stealth", "speed and memory", None, "", note="not built")
        print_matrix(results, rates)
        judge(results, table)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return _plain({"covers": described, "validation": validation, "methods": results,
                   "speed": measured,
                   "rates": rates, "seed": SEED, "errors": errors}), errors
