#!/usr/bin/env bash
# Makes the PNG samples written by other tools (ImageMagick, GraphicsMagick, Pillow), and for
# each picture Pillow can read exactly, its samples as Pillow decodes them (<name>.samples:
# rows top to bottom, channels interleaved, 16-bit values big-endian). Run from this folder;
# needs imagemagick, graphicsmagick and python3-pil. The results are committed.
set -euo pipefail
src=$(mktemp --suffix=.ppm)
trap 'rm -f "$src"' EXIT
convert -size 32x24 plasma:fractal -seed 7 +noise Gaussian "$src"

convert "$src" -strip -define png:exclude-chunks=date,time +set date:create +set date:modify PNG24:im-rgb8.png
convert "$src" -alpha set -channel A -evaluate set 60% +channel -define png:exclude-chunks=date,time PNG32:im-rgba8.png
convert "$src" -colorspace Gray -define png:exclude-chunks=date,time PNG8:im-grey8-palette.png
convert "$src" -colorspace Gray -depth 8 -define png:color-type=0 -define png:exclude-chunks=date,time im-grey8.png
convert "$src" -depth 16 -evaluate add 1 -define png:exclude-chunks=date,time PNG48:im-rgb16.png
convert "$src" -interlace PNG -set comment "kept verbatim" -define png:exclude-chunks=date,time PNG24:im-rgb8-interlaced.png
gm convert "$src" +profile '*' PNG24:gm-rgb8.png
gm convert "$src" -type Grayscale -depth 16 gm-grey16.png

/usr/bin/python3 - "$src" <<'PY'
import sys, random
from PIL import Image, PngImagePlugin
src = Image.open(sys.argv[1]).convert('RGB')
info = PngImagePlugin.PngInfo()
info.add_text('Comment', 'written by Pillow')
info.add_itxt('Title', 'Ünïcode', lang='de', tkey='Titel')
info.add_text('Packed', 'compressed text ' * 8, zip=True)
src.save('pil-rgb8.png', pnginfo=info, dpi=(72, 72))
src.convert('L').save('pil-grey8.png')
la = src.convert('LA'); la.putalpha(128); la.save('pil-greyalpha8.png')
rgba = src.convert('RGBA'); rgba.putalpha(200); rgba.save('pil-rgba8.png')
random.seed(3)
pal = Image.new('P', src.size)
pal.putpalette([random.randrange(256) for _ in range(768)])
pal.putdata([random.randrange(256) for _ in range(src.size[0] * src.size[1])])
pal.save('pil-palette8.png', optimize=False)
Image.frombytes('I;16', src.size, bytes(random.randrange(256) for _ in range(src.size[0] * src.size[1] * 2))).save('pil-grey16.png')
PY

/usr/bin/python3 - *.png <<'PY'
import sys
from PIL import Image
for name in sys.argv[1:]:
    im = Image.open(name)
    im.load()
    if open(name, 'rb').read()[24] == 16 and im.mode not in ('I;16', 'I;16B', 'I'):
        continue  # Pillow reduces 16-bit colour to 8 bits
    if im.mode in ('L', 'LA', 'RGB', 'RGBA', 'P'):
        data = im.tobytes()
    elif im.mode in ('I;16', 'I;16B', 'I'):
        data = im.tobytes('raw', 'I;16B')
    else:
        continue
    open(name[:-4] + '.samples', 'wb').write(data)
PY
