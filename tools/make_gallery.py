"""Screenshots of every fixed camera placement of the real program, at half
size, for the gallery in docs/gallery: the start view, "Normaliza", the nine function-key
views, the eleven views of "Vistas da Camera" and a few frames of the camera
flight. Runs the binary on the data files under a private X server and
drives it with real key presses and menu clicks.

    tests/with_xvfb.sh python3 tools/make_gallery.py --binary build/mirtal \
        --data data --out docs/gallery

--only takes some of the pictures by name (f3-vista-de-frente,flight-2),
--prefix starts their file names: the pictures of imported models in
docs/gallery/import are taken so.
"""

import argparse
import os
import struct
import sys
import time
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))

from mirtal_e2e import (Mirtal, Picture, choose_main_menu_entry,  # noqa: E402
                        menu_entry_point, move_pointer, open_main_menu, run, try_screenshot,
                        wait_for_first_frame, wait_for_menus)

VISTAS_DA_CAMERA, NORMALIZA, VOO_DA_CAMERA = 1, 2, 3  # main menu entries, 0 first

# The views of "Vistas da Camera" in menu order, with the gallery's names.
MENU_VIEWS = ["frente", "tras", "lat-direito", "lat-esquerdo", "garagem", "alcado",
              "portao", "rio", "geral-1", "geral-2", "geral-3"]
FUNCTION_KEY_VIEWS = ["cima-entrada", "vista-de-tras", "vista-de-frente", "vista-de-tras-baixa",
                      "vista-de-esquerda", "vista-de-direita", "vista-de-cima", "entrada",
                      "dentro-de-casa"]


def half_size(picture):
    """The picture at half its width and height, each pixel the mean of four."""
    rows = []
    for y in range(0, picture.height - 1, 2):
        upper, lower = picture.rows[y], picture.rows[y + 1]
        rows.append([tuple((upper[x][c] + upper[x + 1][c] + lower[x][c] + lower[x + 1][c] + 2) // 4
                           for c in range(3))
                     for x in range(0, picture.width - 1, 2)])
    return Picture(len(rows[0]), len(rows), rows)


def write_png(path, picture):
    """An 8-bit RGB PNG; each row is stored as its difference from the row
    above (filter "Up"), which compresses photographs of the scene well."""
    flat = [bytes(channel for pixel in row for channel in pixel) for row in picture.rows]
    previous = bytes(len(flat[0]))
    lines = []
    for row in flat:
        lines.append(b"\2" + bytes((a - b) & 0xFF for a, b in zip(row, previous)))
        previous = row
    raw = b"".join(lines)

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    header = struct.pack(">IIBBBBB", picture.width, picture.height, 8, 2, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
                + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def settle():
    """Time for the view's redisplay to be drawn."""
    time.sleep(0.6)


def choose_camera_view(app, index):
    menu = open_main_menu(app)
    if menu is None:
        raise RuntimeError("the main menu did not open")
    move_pointer(*menu_entry_point(menu, VISTAS_DA_CAMERA))
    menus = wait_for_menus(2)
    if len(menus) != 2:
        raise RuntimeError("the views submenu did not open")
    submenu = [m for m in menus if m != menu][0]
    move_pointer(*menu_entry_point(submenu, index))
    run("xdotool", "click", "1")
    if wait_for_menus(0) != []:
        raise RuntimeError("the menu did not close")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--binary", required=True)
    parser.add_argument("--data", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--only", help="the names of the pictures to take, comma-separated")
    parser.add_argument("--prefix", default="", help="put before each picture's file name")
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)
    only = set(args.only.split(",")) if args.only else None

    def wanted(name):
        return only is None or name in only

    def save(name, app):
        if not wanted(name):
            return
        path = os.path.join(args.out, args.prefix + name + ".png")
        write_png(path, half_size(try_screenshot(app)))
        print(path)

    app = Mirtal(os.path.abspath(args.binary), os.path.abspath(args.data))
    try:
        app.wait_for_window()
        wait_for_first_frame(app)
        settle()
        save("00-start", app)

        for n, name in enumerate(FUNCTION_KEY_VIEWS, start=1):
            app.key(f"F{n}")
            settle()
            save(f"f{n}-{name}", app)

        for index, name in enumerate(MENU_VIEWS):
            if not wanted(f"menu{index + 1:02d}-{name}"):
                continue
            choose_camera_view(app, index)
            settle()
            save(f"menu{index + 1:02d}-{name}", app)

        if wanted("normaliza"):
            choose_main_menu_entry(app, NORMALIZA)
            settle()
            save("normaliza", app)

        # The flight advances one step per frame, as fast as frames come, so
        # its pictures are taken at moments rather than at chosen steps.
        if any(wanted(f"flight-{shot + 1}") for shot in range(6)):
            choose_main_menu_entry(app, VOO_DA_CAMERA)
            for shot in range(6):
                time.sleep(0.25)
                save(f"flight-{shot + 1}", app)
        app.key("Escape")
        app.wait_for_exit()
    finally:
        app.close()


if __name__ == "__main__":
    main()
