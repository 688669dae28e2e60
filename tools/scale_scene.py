#!/usr/bin/env python3
"""Writes a scaled copy of a scene folder: K times the quads and K times the
terrain patches, for the scale benchmark (tools/bench_scale.sh).

    tools/scale_scene.py SOURCE_DIR OUTPUT_DIR K

The 17 .bmp and 4 .raw files are copied unchanged. "data_textura.geo" and
"data_terreno.geo" are written with K copies of every record of the source
files. Copy 0 is the source scene itself, token for token; the other copies
are the same records moved on a grid in the model's ground plane (x and z of
the y-up model frame), one grid cell per copy:

  - the cell pitch is the extent of both files together in x and in z, plus a
    tenth, so no two copies overlap;
  - the grid has ceil(sqrt(K)) columns in x, centred on the source scene
    (column offsets 0, +1, -1, +2, -2, ...), and its rows run in -z, which the
    program's turn to z up makes the direction the start-up camera looks in.

So a part of the copies lies in the start-up frustum, at shrinking sizes,
and the rest beside it; the script says how many reach into the start-up
view. Every copy goes to the GL in every frame (nothing culls a display
list); what lies beyond the sky sphere (radius 2500 round the origin) is
rasterized and then covered by the sky, which is drawn after it. Labels and
texture ids are kept; only x and z change. The record counts at the head of
each file are the new numbers of records.
"""

import math
import shutil
import sys
from pathlib import Path

QUAD_FILE = "data_textura.geo"
TERRAIN_FILE = "data_terreno.geo"
TERMINATOR_KIND = 69

QUAD_FIELDS = 2 + 4 * 3 + 4 * 2  # label, texture, 4 vertices, 4 texture pairs
PATCH_POINT_FIELDS = 9 * 4       # 9 control points of "label x y z"


def read_tokens(path):
    if not path.is_file():
        return None
    return path.read_text(encoding="latin-1").split()


def read_quads(tokens):
    """The quad records as token lists (a record cut short is dropped)."""
    if not tokens:
        return []
    count = float(tokens[0])
    records = []
    at = 1
    while len(records) < count and at + QUAD_FIELDS <= len(tokens):
        records.append(tokens[at:at + QUAD_FIELDS])
        at += QUAD_FIELDS
    return records


def read_patches(tokens):
    """The patch records as token lists, up to the terminator."""
    if not tokens or not float(tokens[0]) > 0:
        return []
    records = []
    at = 1
    while at < len(tokens) and int(tokens[at]) != TERMINATOR_KIND:
        end = at + 4 + PATCH_POINT_FIELDS
        if end > len(tokens):
            break
        records.append(tokens[at:end])
        at = end
    return records


# Where x and z sit in a record's tokens.
def quad_xz_indices():
    xs = [2 + 3 * k for k in range(4)]
    return xs, [x + 2 for x in xs]


def patch_xz_indices():
    xs = [4 + 4 * p + 1 for p in range(9)]
    return xs, [x + 2 for x in xs]


def height_extent(records, ys, span):
    for record in records:
        for i in ys:
            span[0] = min(span[0], float(record[i]))
            span[1] = max(span[1], float(record[i]))


def extent(records, xs, zs, box):
    for record in records:
        for i in xs:
            box[0] = min(box[0], float(record[i]))
            box[1] = max(box[1], float(record[i]))
        for i in zs:
            box[2] = min(box[2], float(record[i]))
            box[3] = max(box[3], float(record[i]))


def grid_offsets(k, pitch_x, pitch_z):
    columns = math.ceil(math.sqrt(k))
    order = [0]
    for step in range(1, columns):
        order.append((step + 1) // 2 * (1 if step % 2 else -1))
    for copy in range(k):
        row, column = divmod(copy, columns)
        yield order[column] * pitch_x, -row * pitch_z


# The start-up view, in the y-up model frame of the files: initScene's eye
# (0, -200, 60) and look point (40, 0, 60), z up, turned by the 90 degrees
# about x that the frame drawing applies; reshape's 70 degree vertical field
# of a 640 x 480 window.
START_EYE = (0.0, 60.0, 200.0)
START_LOOK = (40.0, 60.0, 0.0)
START_FIELD_DEGREES = 70.0
START_ASPECT = 640 / 480


def copies_in_start_view(box, height, offsets):
    """How many copies have a point of their bounding box inside the start-up
    view (sampled on a grid over the box; the far plane is far enough)."""
    ex, ey, ez = START_EYE
    fx, fz = START_LOOK[0] - ex, START_LOOK[2] - ez
    length = math.hypot(fx, fz)
    fx, fz = fx / length, fz / length           # forward, level
    rx, rz = -fz, fx                            # right
    tan_v = math.tan(math.radians(START_FIELD_DEGREES / 2))
    tan_h = tan_v * START_ASPECT
    steps = 24
    count = 0
    for dx, dz in offsets:
        seen = False
        for i in range(steps + 1):
            for j in range(steps + 1):
                px = box[0] + (box[1] - box[0]) * i / steps + dx - ex
                pz = box[2] + (box[3] - box[2]) * j / steps + dz - ez
                depth = px * fx + pz * fz
                if depth <= 0.1:
                    continue
                side = abs(px * rx + pz * rz)
                for py in (height[0] - ey, height[1] - ey):
                    if side <= tan_h * depth and abs(py) <= tan_v * depth:
                        seen = True
                        break
                if seen:
                    break
            if seen:
                break
        count += seen
    return count


def moved(record, xs, zs, dx, dz):
    if dx == 0 and dz == 0:
        return record
    out = list(record)
    for i in xs:
        out[i] = repr(float(out[i]) + dx)
    for i in zs:
        out[i] = repr(float(out[i]) + dz)
    return out


def write_quads(path, records, offsets):
    xs, zs = quad_xz_indices()
    with path.open("w", encoding="latin-1") as out:
        out.write(f"{len(records) * len(offsets)}\n")
        for dx, dz in offsets:
            for record in records:
                out.write(" ".join(moved(record, xs, zs, dx, dz)) + "\n")


def write_patches(path, records, offsets):
    xs, zs = patch_xz_indices()
    with path.open("w", encoding="latin-1") as out:
        out.write(f"{len(records) * len(offsets)}\n")
        for dx, dz in offsets:
            for record in records:
                out.write(" ".join(moved(record, xs, zs, dx, dz)) + "\n")
        # A whole terminator record: kind, three integers, nine points.
        out.write(f"{TERMINATOR_KIND} 0 0 0 " + " ".join(["0 0 0 0"] * 9) + "\n")


def main(argv):
    if len(argv) != 4 or not argv[3].isdigit() or int(argv[3]) < 1:
        print("usage: scale_scene.py SOURCE_DIR OUTPUT_DIR K", file=sys.stderr)
        return 2
    source, output, k = Path(argv[1]), Path(argv[2]), int(argv[3])
    output.mkdir(parents=True, exist_ok=True)
    for picture in sorted(source.iterdir()):
        if picture.suffix.lower() in (".bmp", ".raw"):
            shutil.copyfile(picture, output / picture.name)

    quads = read_quads(read_tokens(source / QUAD_FILE))
    patches = read_patches(read_tokens(source / TERRAIN_FILE))
    box = [math.inf, -math.inf, math.inf, -math.inf]
    extent(quads, *quad_xz_indices(), box)
    extent(patches, *patch_xz_indices(), box)
    if box[0] > box[1]:
        box = [0.0, 0.0, 0.0, 0.0]
    span = [math.inf, -math.inf]
    height_extent(quads, [x + 1 for x in quad_xz_indices()[0]], span)
    height_extent(patches, [x + 1 for x in patch_xz_indices()[0]], span)
    if span[0] > span[1]:
        span = [0.0, 0.0]
    pitch_x = 1.1 * (box[1] - box[0]) or 1.0
    pitch_z = 1.1 * (box[3] - box[2]) or 1.0
    offsets = list(grid_offsets(k, pitch_x, pitch_z))

    write_quads(output / QUAD_FILE, quads, offsets)
    write_patches(output / TERRAIN_FILE, patches, offsets)
    print(f"{output}: {len(quads) * k} quads, {len(patches) * k} patches "
          f"({k} copies, pitch {pitch_x:g} in x, {pitch_z:g} in z; "
          f"{copies_in_start_view(box, span, offsets)} of them reach into the start-up view)")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
