#!/usr/bin/env bash
# docs/render_planes.py draws, from the converter's output, planes that light
# exactly the pixels of the picture at or above each plane's threshold, and the
# committed images are what it draws now.
# Usage: render_planes.sh EXE SOURCE SCRATCH
# shellcheck source=tests/install/lib.sh
source "$(dirname "$0")/lib.sh"
exe=$1 source=$2 scratch=$3
command -v python3 >/dev/null || { echo "python3 is not installed" >&2; exit 1; }

rm -rf "$scratch"
mkdir -p "$scratch"
python3 "$source/docs/render_planes.py" --exe "$exe" --picture "$source/docs/sample.png" \
    --out "$scratch" || fail "render_planes.py failed"

PYTHONPATH=$source/docs python3 -B - "$source/docs" "$scratch" <<'PY' || fail "images differ"
import sys
from render_planes import read_png

docs, scratch = sys.argv[1], sys.argv[2]
ok = True
width, height, picture = read_png(docs + "/sample.png")
for name, threshold in (("full", 192), ("dim", 128)):
    w, h, plane = read_png("%s/plane_%s.png" % (scratch, name))
    scale = w // width
    if (w, h) != (width * scale, height * scale) or scale < 1:
        print("plane_%s.png is %dx%d for a %dx%d picture" % (name, w, h, width, height))
        ok = False
        continue
    lit_colour = max(c for row in plane for c in row)
    for y in range(height):
        for x in range(width):
            lit = plane[y * scale][x * scale] == lit_colour
            if lit != (picture[y][x][0] >= threshold):
                print("plane_%s.png: pixel %d,%d is %s" % (name, x, y, "lit" if lit else "unlit"))
                ok = False
                break
for name in ("sample_large", "plane_full", "plane_dim"):
    if read_png("%s/%s.png" % (scratch, name)) != read_png("%s/%s.png" % (docs, name)):
        print("docs/%s.png is out of date: run docs/render_planes.py" % name)
        ok = False
sys.exit(0 if ok else 1)
PY
finish
