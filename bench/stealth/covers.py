"""The cover set: real photographs that Debian packages ship, shrunk and cut into colour tiles.

Large photographs (mostly JPEG wallpapers) are shrunk so that their longer side is at most
MAX_SIDE: that also averages away most of their JPEG block structure, which would otherwise
make the covers easier to model than camera pictures. Grey, synthetic, astronomical and medical
pictures are left out. Tiles of one photograph stay on one side of the train/test split.
"""

import json
import warnings
from pathlib import Path

import numpy as np
from PIL import Image

TILE = 256
MAX_SIDE = 1024
CACHE_VERSION = 2

SKIMAGE = Path("/usr/lib/python3/dist-packages/skimage/data")
MATE = Path("/usr/share/backgrounds/mate")
MATPLOTLIB = Path("/usr/share/matplotlib/mpl-data/sample_data")
LOMIRI = Path("/usr/share/backgrounds")
PLASMA = Path("/usr/share/wallpapers")
OPENCV = Path("/usr/share/doc/opencv-doc/examples")

# (name, package, file); the package is what scripts/setup --bench installs for it.
PHOTOGRAPHS = (
    ("astronaut", "python3-skimage", SKIMAGE / "astronaut.png"),
    ("chelsea", "python3-skimage", SKIMAGE / "chelsea.png"),
    ("coffee", "python3-skimage", SKIMAGE / "coffee.png"),
    ("rocket", "python3-skimage", SKIMAGE / "rocket.jpg"),
    ("motorcycle", "python3-skimage", SKIMAGE / "motorcycle_left.png"),
    ("ihc", "python3-skimage", SKIMAGE / "ihc.png"),
    ("face", "python3-scipy", None),
    ("grace_hopper", "python-matplotlib-data", MATPLOTLIB / "grace_hopper.jpg"),
    ("elephants", "mate-backgrounds", MATE / "abstract" / "Elephants.jpg"),
) + tuple((name.lower(), "mate-backgrounds", MATE / "nature" / f"{name}.jpg") for name in (
    "Aqua", "Blinds", "Dune", "FreshFlower", "Garden", "GreenMeadow", "LadyBird", "RainDrops", "Storm",
    "TwoWings", "Wood", "YellowFlower")) + tuple((name.split("_by_")[0].lower(), package, LOMIRI / f"{name}.jpg")
                                               for name, package in (
    ("Bridge_by_Sander_Klootwijk", "lomiri-wallpapers-16.04"), ("Dragonfly_by_Bolly", "lomiri-wallpapers-16.04"),
    ("Picture_0B_by_freespace", "lomiri-wallpapers-16.04"), ("Picture_1A_by_freespace", "lomiri-wallpapers-16.04"),
    ("Wine_by_Jakkub_Mede", "lomiri-wallpapers-16.04"), ("aitzgorri_by_Aitzol_Berasategi", "lomiri-wallpapers-16.04"),
    ("free_by_Peter_Nerlich", "lomiri-wallpapers-16.04"), ("friends_by_Aitzol_Berasategi", "lomiri-wallpapers-16.04"),
    ("greentock_by_Peter_Nerlich", "lomiri-wallpapers-16.04"), ("life_by_Aitzol_Berasategi", "lomiri-wallpapers-16.04"),
    ("picosdeeuropa_by_Aitzol_Berasategi", "lomiri-wallpapers-16.04"),
    ("seeding_by_Clements_Engelhardt", "lomiri-wallpapers-16.04"),
    ("sunset_by_Aitzol_Berasategi", "lomiri-wallpapers-16.04"), ("Kleiber_by_Lukas_Baubkus", "lomiri-wallpapers-20.04"))
) + tuple((name.lower(), "plasma-workspace-wallpapers", PLASMA / name / "contents" / "images") for name in (
    "BytheWater", "ColdRipple", "ColorfulCups", "DarkestHour", "EveningGlow", "FallenLeaf", "Grey", "OneStandsOut",
    "Path", "summer_1am")
) + tuple((Path(name).stem.lower(), "opencv-doc", OPENCV / name) for name in (
    "alphamat/input_images/plant.jpg", "data/aero1.jpg", "data/aero3.jpg", "data/aloeL.jpg", "data/apple.jpg",
    "data/baboon.jpg", "data/board.jpg", "data/building.jpg", "data/butterfly.jpg", "data/ela_original.jpg",
    "data/fruits.jpg", "data/graf1.png", "data/home.jpg", "data/left.jpg", "data/leuvenA.jpg", "data/messi5.jpg",
    "data/orange.jpg", "data/rubberwhale1.png", "data/squirrel_cls.jpg", "data/stuff.jpg", "text/scenetext01.jpg",
    "text/scenetext02.jpg", "text/scenetext03.jpg", "text/scenetext04.jpg", "text/scenetext05.jpg",
    "text/scenetext06.jpg"))

# Fixed split: these photographs are tested on, all others trained on (about a third of the tiles).
TEST_PHOTOGRAPHS = frozenset({"blinds", "freshflower", "ladybird", "wood", "astronaut", "coffee", "grace_hopper",
                              "bridge", "picosdeeuropa", "friends", "seeding", "kleiber", "eveningglow", "path",
                              "fallenleaf", "baboon", "building", "fruits", "messi5", "squirrel_cls", "scenetext01",
                              "scenetext04", "home", "butterfly", "leuvena"})


def _largest(folder):
    """A wallpaper folder's largest picture (files named WIDTHxHEIGHT)."""
    def pixels(path):
        width, _, height = path.stem.partition("x")
        return int(width) * int(height)
    return max(folder.glob("*x*.jpg"), key=pixels)


def _load(name, path):
    if path is not None and path.is_dir():
        path = _largest(path)
    if name == "face":
        with warnings.catch_warnings():
            warnings.simplefilter("ignore")
            from scipy import misc
            return misc.face()
    with Image.open(path) as picture:
        return np.asarray(picture.convert("RGB"))


def _shrink(pixels):
    height, width, _ = pixels.shape
    scale = MAX_SIDE / max(height, width)
    if scale >= 1.0:
        return pixels
    size = (round(width * scale), round(height * scale))
    return np.asarray(Image.fromarray(pixels).resize(size, Image.LANCZOS))


def cut(pixels, tile=TILE):
    """Non-overlapping tiles, row by row, the remainder at the right and bottom dropped."""
    rows, cols = pixels.shape[0] // tile, pixels.shape[1] // tile
    return [pixels[r * tile:(r + 1) * tile, c * tile:(c + 1) * tile] for r in range(rows) for c in range(cols)]


class CoverSet:
    def __init__(self, tiles, photos, names):
        self.tiles = tiles            # N x TILE x TILE x 3, uint8
        self.photos = photos          # N: index into names
        self.names = names            # photograph names
        self.test = np.array([names[p] in TEST_PHOTOGRAPHS for p in photos])

    def only(self, keep):
        """The tiles where keep (one flag per tile) is set."""
        return CoverSet(self.tiles[keep], self.photos[keep], self.names)

    def subset(self, count):
        """About `count` tiles spread over train and test (for smoke runs)."""
        if count >= len(self.tiles):
            return self
        picks = np.concatenate([np.flatnonzero(self.test)[:(count + 1) // 2],
                                np.flatnonzero(~self.test)[:count // 2]])
        return CoverSet(self.tiles[picks], self.photos[picks], self.names)


def _build():
    tiles, photos, names, missing = [], [], [], []
    for name, package, path in PHOTOGRAPHS:
        try:
            pixels = _load(name, path)
        except (OSError, ImportError, AttributeError):
            missing.append(f"{name} ({package})")
            continue
        for piece in cut(_shrink(pixels)):
            tiles.append(piece)
            photos.append(len(names))
        names.append(name)
    if not tiles:
        raise RuntimeError("no cover photographs found; run scripts/setup --bench")
    return np.stack(tiles), np.array(photos), names, missing


def load(cache_folder):
    """The tiles, cut on first use and cached in cache_folder."""
    cache = Path(cache_folder) / f"covers-v{CACHE_VERSION}.npz"
    if cache.exists():
        stored = np.load(cache)
        names = json.loads(str(stored["names"]))
        return CoverSet(stored["tiles"], stored["photos"], names), json.loads(str(stored["missing"]))
    tiles, photos, names, missing = _build()
    cache.parent.mkdir(parents=True, exist_ok=True)
    np.savez(cache, tiles=tiles, photos=photos, names=json.dumps(names), missing=json.dumps(missing))
    return CoverSet(tiles, photos, names), missing
