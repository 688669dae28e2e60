"""The native program's pictures of a list of views, for the browser tests
to compare the page's with: the real binary on a scene folder under the X
server of DISPLAY, driven by real key presses and menu clicks (as the
end-to-end tests drive it), each picture of the 640 x 480 window written as
NAME.ppm. The views come as JSON from the harness (tests/web/harness.js),
each reached from the one before: {"name"}, with "key" (an xdotool key
name), "menu" (a path of entry indexes, 0 first) and "flightEnd" (wait for
the flight to stand still).

    python3 native_pictures.py --binary build/mirtal --data data --out DIR \\
        --views '[{"name": "f1", "key": "F1"}]'
"""

import argparse
import json
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from mirtal_e2e import (Mirtal, choose_menu_path, decode_xwd_quick, picture_unlike,  # noqa: E402
                        try_screenshot, wait_for_first_frame, wait_for_still)

SETTLE = 0.6  # seconds for the first frames to be drawn


def write_ppm(path, picture):
    with open(path, "wb") as f:
        f.write(b"P6\n%d %d\n255\n" % (picture.width, picture.height))
        f.write(bytes(channel for row in picture.rows for pixel in row for channel in pixel))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--binary", required=True)
    parser.add_argument("--data", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--views", required=True)
    args = parser.parse_args()
    app = Mirtal(os.path.abspath(args.binary), os.path.abspath(args.data))
    try:
        app.wait_for_window()
        wait_for_first_frame(app)
        time.sleep(SETTLE)
        picture = try_screenshot(app)
        for view in json.loads(args.views):
            if "key" in view:
                app.key(view["key"])
            if "menu" in view and not choose_menu_path(app, view["menu"]):
                sys.exit(f"native_pictures: the menu path {view['menu']} did not work")
            if "key" in view or "menu" in view:
                # The view once drawn: a picture unlike the one before it
                # (on a loaded machine a key takes a while to show).
                picture = picture_unlike(app, picture)
            if view.get("flightEnd"):
                # Still for 3 s: a loaded machine can hold a frame of the
                # flight for a second or so before the flight has ended.
                still = wait_for_still(app, rounds=20, timeout=120)
                if still is None:
                    sys.exit("native_pictures: the flight did not come to a stop")
                picture = decode_xwd_quick(still)
            write_ppm(os.path.join(args.out, view["name"] + ".ppm"), picture)
        app.key("Escape")
        app.wait_for_exit()
    finally:
        app.close()


if __name__ == "__main__":
    main()
