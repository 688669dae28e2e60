"""Writes a large model for measuring the importer: a rolling surface of
N x N squares, each two triangles (2 N^2 faces, (N + 1)^2 vertices), as an
OBJ with texture coordinates or a binary little-endian PLY, by the output's
extension.

    python3 tools/make_grid_model.py N OUTPUT.obj|OUTPUT.ply

N = 1415 gives 4 004 450 faces: 261 MB of OBJ, 73 MB of PLY."""

import math
import struct
import sys


def height(i, j):
    return math.sin(i * 0.05) * math.cos(j * 0.07)


def write_obj(n, f):
    side = n + 1
    for i in range(side):
        f.write("".join(f"v {i * 0.01:.4f} {height(i, j):.4f} {j * 0.01:.4f}\n"
                        f"vt {i / n:.5f} {j / n:.5f}\n" for j in range(side)).encode())
    for i in range(n):
        rows = []
        for j in range(n):
            a, b, c, d = i * side + j + 1, (i + 1) * side + j + 1, (i + 1) * side + j + 2, i * side + j + 2
            rows.append(f"f {a}/{a} {b}/{b} {c}/{c}\nf {a}/{a} {c}/{c} {d}/{d}\n")
        f.write("".join(rows).encode())


def write_ply(n, f):
    side = n + 1
    f.write(f"ply\nformat binary_little_endian 1.0\nelement vertex {side * side}\n"
            "property float x\nproperty float y\nproperty float z\n"
            f"element face {2 * n * n}\nproperty list uchar int vertex_indices\nend_header\n"
            .encode())
    for i in range(side):
        f.write(b"".join(struct.pack("<3f", i * 0.01, height(i, j), j * 0.01) for j in range(side)))
    for i in range(n):
        f.write(b"".join(struct.pack("<B3iB3i", 3, i * side + j, (i + 1) * side + j,
                                     (i + 1) * side + j + 1, 3, i * side + j,
                                     (i + 1) * side + j + 1, i * side + j + 1)
                         for j in range(n)))


def main():
    if len(sys.argv) != 3 or not sys.argv[1].isdigit() or not sys.argv[2].endswith((".obj", ".ply")):
        sys.exit("usage: make_grid_model.py N OUTPUT.obj|OUTPUT.ply")
    n = int(sys.argv[1])
    with open(sys.argv[2], "wb") as f:
        (write_obj if sys.argv[2].endswith(".obj") else write_ply)(n, f)


if __name__ == "__main__":
    main()
