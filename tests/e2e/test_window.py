"""The real binary opens its titled 640 x 480 window at (100, 150), draws,
and ends with status 0 on ESC; without a display it fails at once with
freeglut's error. No window manager moves the window on this X server."""

import os
import subprocess

from mirtal_e2e import Checks, Mirtal, parse_args, run


def window_attributes(window):
    info = run("xwininfo", "-id", window)
    fields = {}
    for line in info.splitlines():
        if ":" in line:
            key, _, value = line.strip().partition(":")
            fields[key.strip()] = value.strip()
    return info, fields


def main():
    args = parse_args()
    checks = Checks("window")

    app = Mirtal(args.binary, args.data)
    try:
        window = app.wait_for_window()
        info, fields = window_attributes(window)
        checks.check('"Mirtal"' in info.splitlines()[1], "the window is named Mirtal")
        size = (fields.get("Width"), fields.get("Height"))
        checks.check(size == ("640", "480"), f"the window is 640 x 480 (got {size})")
        place = (fields.get("Absolute upper-left X"), fields.get("Absolute upper-left Y"))
        checks.check(place == ("100", "150"), f"the window opens at (100, 150) (got {place})")
        checks.check(fields.get("Map State") == "IsViewable", "the window is mapped")
        title = run("xprop", "-id", window, "WM_NAME")
        checks.check('"Mirtal"' in title, "WM_NAME is Mirtal")
        picture = app.screenshot()
        checks.check((picture.width, picture.height) == (640, 480),
                     "the screenshot has the window's size")
        checks.check(app.process.poll() is None, "the program keeps running")
        app.key("Escape")
        status = app.wait_for_exit()
        checks.check(status == 0, f"ESC ends the program with status 0 (got {status})")
    finally:
        app.close()

    environment = dict(os.environ)
    environment.pop("DISPLAY", None)
    try:
        result = subprocess.run([args.binary], env=environment, capture_output=True,
                                text=True, timeout=20)
        checks.check(result.returncode != 0,
                     f"no display gives a non-zero status (got {result.returncode})")
        checks.check("failed to open display" in result.stderr,
                     "no display gives freeglut's clear error")
    except subprocess.TimeoutExpired:
        checks.check(False, "no display must not hang")

    checks.finish()


if __name__ == "__main__":
    main()
