"""Everything measured on one picture: structural scores on the whole and on its first rows,
SPAM features, and what the marker searches need. Runs in worker processes."""

from . import images, markers, spam, structural
from .embedding import lsb_replace

PREFIX_ROWS = 16  # the first rows in file order: where a sequential writer puts a small payload


def structural_scores(pixels):
    return {name: detector(pixels) for name, detector in structural.DETECTORS.items()}


def analyse(pixels, bottom_up, features=True):
    marked, windows = markers.summary(images.storage_bytes(pixels, bottom_up))
    result = {"prefix": structural_scores(images.storage_rows(pixels, bottom_up, PREFIX_ROWS)),
              "marker": marked, "windows": windows}
    if features:
        result["whole"] = structural_scores(pixels)
        result["features"] = spam.features(pixels)
    return result


def analyse_cover(pixels):
    """A cover is compared with stego pictures of either file order."""
    top = analyse(pixels, False)
    bottom = analyse(pixels, True, features=False)
    return {"whole": top["whole"], "features": top["features"],
            "by_order": {False: {k: top[k] for k in ("prefix", "marker", "windows")},
                         True: {k: bottom[k] for k in ("prefix", "marker", "windows")}}}


def validation_estimates(pixels, rates, rng):
    """Each detector's score after simulated LSB replacement at each rate."""
    return {rate: structural_scores(lsb_replace(pixels, rate, rng)) for rate in rates}
