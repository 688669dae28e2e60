"""Driving the real Mirtal binary under Xvfb for end-to-end tests.

Each test script runs under tests/with_xvfb.sh, so DISPLAY is a private X
server with no window manager. Keys go through XTest (plain `xdotool key`
after focusing the window); pictures are read with xwd and decoded here.
"""

import argparse
import os
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time


def parse_args():
    parser = argparse.ArgumentParser()
    parser.add_argument("--binary", required=True)
    parser.add_argument("--data", required=True,
                        help="folder whose files are copied into the working directory")
    parser.add_argument("--record", help="the film recorder, mirtal-record")
    return parser.parse_args()


def run(*command, check=True, timeout=20):
    result = subprocess.run(command, capture_output=True, text=True, timeout=timeout)
    if check and result.returncode != 0:
        raise RuntimeError(f"{command} failed: {result.stderr.strip()}")
    return result.stdout


class Picture:
    """A window's pixels, top row first, as (r, g, b) tuples."""

    def __init__(self, width, height, rows):
        self.width = width
        self.height = height
        self.rows = rows

    def at(self, x, y):
        return self.rows[y][x]

    def distinct_colours(self):
        return {p for row in self.rows for p in row}

    def share_differing(self, other, threshold=24):
        """Share of pixels whose colour differs by more than threshold in a channel."""
        differing = 0
        for row_a, row_b in zip(self.rows, other.rows):
            for a, b in zip(row_a, row_b):
                if max(abs(a[0] - b[0]), abs(a[1] - b[1]), abs(a[2] - b[2])) > threshold:
                    differing += 1
        return differing / float(self.width * self.height)

    def reduced(self, side):
        """The picture at side x side pixels, each the mean of its block
        (the sides must divide evenly)."""
        kx, ky = self.width // side, self.height // side
        rows = [[tuple(sum(self.rows[y * ky + j][x * kx + i][c] for j in range(ky) for i in range(kx))
                       / (kx * ky) for c in range(3)) for x in range(side)] for y in range(side)]
        return Picture(side, side, rows)

    def mean_difference(self, other):
        """The mean difference of a channel between two pictures of one size (0 to 255)."""
        total = sum(abs(a[c] - b[c]) for row_a, row_b in zip(self.rows, other.rows)
                    for a, b in zip(row_a, row_b) for c in range(3))
        return total / (3.0 * self.width * self.height)


def decode_xwd(data):
    """Decodes the 24-bit TrueColor ZPixmap that xwd writes on Xvfb."""
    header = struct.unpack(">25I", data[:100])
    header_size = header[0]
    width, height = header[4], header[5]
    byte_order = header[7]
    bits_per_pixel = header[11]
    bytes_per_line = header[12]
    red_mask, green_mask, blue_mask = header[14], header[15], header[16]
    colour_count = header[19]
    if bits_per_pixel != 32:
        raise RuntimeError(f"unexpected xwd depth {bits_per_pixel}")
    offset = header_size + colour_count * 12
    fmt = "<I" if byte_order == 0 else ">I"

    def shift_of(mask):
        return (mask & -mask).bit_length() - 1

    shifts = [shift_of(m) for m in (red_mask, green_mask, blue_mask)]
    rows = []
    for y in range(height):
        start = offset + y * bytes_per_line
        row = []
        for x in range(width):
            (value,) = struct.unpack_from(fmt, data, start + 4 * x)
            row.append(tuple((value >> s) & 0xFF for s in shifts))
        rows.append(row)
    return Picture(width, height, rows)


class Mirtal:
    """One run of the program in a scratch working directory; prefix is a
    command that runs the binary (("wine",) for the Windows build), args
    follow it (the launcher's), env replaces the environment if given."""

    def __init__(self, binary, data_dir=None, extra_files=None, omit=(), prefix=(), args=(),
                 env=None):
        self.workdir = tempfile.mkdtemp(prefix="mirtal-e2e-")
        if data_dir and os.path.isdir(data_dir):
            for name in os.listdir(data_dir):
                if name in omit:
                    continue
                source = os.path.join(data_dir, name)
                if os.path.isfile(source):
                    shutil.copy(source, self.workdir)
        for name, content in (extra_files or {}).items():
            with open(os.path.join(self.workdir, name), "wb") as f:
                f.write(content)
        # Under Wine, a process that the program's start leaves running (the
        # desktop, a service, on a prefix's first use) may inherit its output
        # and hold a pipe open after it ends: there the output goes to files.
        self.logs = tempfile.mkdtemp(prefix="mirtal-e2e-out-") if prefix else None
        if self.logs:
            with open(os.path.join(self.logs, "out"), "wb") as out, \
                    open(os.path.join(self.logs, "err"), "wb") as err:
                self.process = subprocess.Popen([*prefix, binary, *args], cwd=self.workdir,
                                                env=env, stdout=out, stderr=err)
        else:
            self.process = subprocess.Popen(
                [*prefix, binary, *args], cwd=self.workdir, env=env,
                stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.window = None

    def wait_for_window(self, timeout=20):
        deadline = time.time() + timeout
        while time.time() < deadline:
            if self.process.poll() is not None:
                raise RuntimeError(f"mirtal ended early with {self.process.returncode}")
            found = subprocess.run(["xdotool", "search", "--name", "^Mirtal$"],
                                   capture_output=True, text=True)
            ids = found.stdout.split()
            if ids:
                self.window = ids[0]
                # Mapped is not drawn: let a few frames go by.
                time.sleep(0.5)
                return self.window
            time.sleep(0.1)
        raise RuntimeError("no Mirtal window appeared")

    def focus(self):
        run("xdotool", "windowfocus", "--sync", self.window)

    def key(self, *names, delay_ms=30):
        self.focus()
        run("xdotool", "key", "--delay", str(delay_ms), *names)

    def screenshot(self):
        return decode_xwd_quick(raw_window_bytes(self.window))

    def wait_for_exit(self, timeout=10):
        try:
            self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None
        return self.process.returncode

    def output(self):
        if self.logs:
            self.process.wait(timeout=10)
            with open(os.path.join(self.logs, "out"), "rb") as out, \
                    open(os.path.join(self.logs, "err"), "rb") as err:
                return out.read().decode("latin-1"), err.read().decode("latin-1")
        out, err = self.process.communicate(timeout=10)
        return out.decode("latin-1"), err.decode("latin-1")

    def close(self):
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGKILL)
            self.process.wait()
        shutil.rmtree(self.workdir, ignore_errors=True)
        if self.logs:
            shutil.rmtree(self.logs, ignore_errors=True)


class Checks:
    """Collects failures so one script reports all of them; exits non-zero if any."""

    def __init__(self, name):
        self.name = name
        self.failures = []
        self.count = 0

    def check(self, condition, message):
        self.count += 1
        if condition:
            print(f"ok: {message}")
        else:
            print(f"FAILED: {message}")
            self.failures.append(message)

    def finish(self):
        passed = self.count - len(self.failures)
        print(f"{self.name}: {passed} passed, {len(self.failures)} failed")
        sys.exit(1 if self.failures else 0)


# --- Pictures that settle, pointer and pop-up menus -------------------------

def raw_window_bytes(window):
    """The window's pixels as xwd writes them: cheap to take and to compare."""
    return subprocess.run(["xwd", "-silent", "-id", window],
                          capture_output=True, timeout=20, check=True).stdout


def distinct_pictures(app, looks=12):
    """How many different pictures successive looks at the window see."""
    seen = set()
    for _ in range(looks):
        seen.add(hash(raw_window_bytes(app.window)))
        time.sleep(0.05)
    return len(seen)


def try_screenshot(app, attempts=20):
    """A screenshot, retried while the window is being remapped or redrawn."""
    last_error = None
    for _ in range(attempts):
        try:
            return app.screenshot()
        except (subprocess.SubprocessError, RuntimeError, struct.error) as error:
            last_error = error
            time.sleep(0.1)
    raise RuntimeError(f"no screenshot: {last_error}")


def wait_for_first_frame(app, timeout=20):
    """Waits until the window shows more than one colour (a drawn frame), or
    returns whatever it shows when the time is up."""
    deadline = time.time() + timeout
    picture = try_screenshot(app)
    while time.time() < deadline and len(picture.distinct_colours()) < 2:
        time.sleep(0.2)
        picture = try_screenshot(app)
    return picture


def wait_for_change(app, reference, share=0.02, timeout=10, threshold=24):
    """Screenshots until one differs from reference in more than share of its
    pixels; returns the last one taken."""
    deadline = time.time() + timeout
    picture = try_screenshot(app)
    while time.time() < deadline and picture.share_differing(reference, threshold) <= share:
        time.sleep(0.1)
        picture = try_screenshot(app)
    return picture


def wait_for_still(app, rounds=3, timeout=30):
    """Raw window contents once they stay the same over rounds successive
    looks; None if they never settle in time."""
    deadline = time.time() + timeout
    previous = raw_window_bytes(app.window)
    same = 0
    while time.time() < deadline:
        time.sleep(0.15)
        current = raw_window_bytes(app.window)
        same = same + 1 if current == previous else 0
        if same >= rounds:
            return current
        previous = current
    return None


def window_geometry(window):
    """(x, y, width, height) of a window on the screen."""
    fields = {}
    for line in run("xdotool", "getwindowgeometry", "--shell", window).splitlines():
        key, _, value = line.partition("=")
        fields[key.strip()] = value.strip()
    return (int(fields["X"]), int(fields["Y"]), int(fields["WIDTH"]), int(fields["HEIGHT"]))


def move_pointer(x, y):
    run("xdotool", "mousemove", "--sync", str(x), str(y))


def visible_menus():
    """Geometry of every freeglut menu window on the screen, left to right."""
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "freeglut menu"],
                           capture_output=True, text=True)
    menus = []
    for window in found.stdout.split():
        try:
            menus.append(window_geometry(window))
        except RuntimeError:
            pass  # unmapped meanwhile
    return sorted(menus)


def wait_for_menus(count, timeout=10):
    """Waits until exactly count menu windows are visible; returns them."""
    deadline = time.time() + timeout
    menus = visible_menus()
    while time.time() < deadline and len(menus) != count:
        time.sleep(0.1)
        menus = visible_menus()
    return menus


MENU_BORDER = 2        # freeglut's border round the entries, pixels
MENU_ENTRY_HEIGHT = 25  # one entry in the default Helvetica 18 font


def menu_entry_count(menu):
    return (menu[3] - 2 * MENU_BORDER) // MENU_ENTRY_HEIGHT


def menu_entry_point(menu, index):
    """The middle of entry index (0 first) of a menu, in screen pixels."""
    x, y, width, _ = menu
    return (x + width // 2, y + MENU_BORDER + index * MENU_ENTRY_HEIGHT + MENU_ENTRY_HEIGHT // 2)


def open_main_menu(app):
    """Right-clicks the middle of the Mirtal window; returns the main menu's
    geometry, or None if no menu opened."""
    x, y, width, height = window_geometry(app.window)
    move_pointer(x + width // 2, y + height // 2)
    run("xdotool", "click", "3")
    menus = wait_for_menus(1)
    return menus[0] if len(menus) == 1 else None


def choose_main_menu_entry(app, index):
    """Opens the main menu and clicks its entry index (0 first); True if the
    menu opened and closed again."""
    menu = open_main_menu(app)
    if menu is None:
        return False
    move_pointer(*menu_entry_point(menu, index))
    run("xdotool", "click", "1")
    return wait_for_menus(0) == []


def share_unlike(a, b, ratio=0.6, slack=24):
    """Share of pixels that no change of lighting explains: a channel differs
    by more than slack levels and the darker value is below ratio times the
    brighter. The scene's lighting scales each texel by a factor between
    about 0.7 and 1 (emission and ambient, plus the diffuse light of the
    moving sun), so two pictures of one view stay alike under this measure
    while the sun moves; other views are unlike in much of the picture."""
    unlike = 0
    for row_a, row_b in zip(a.rows, b.rows):
        for pa, pb in zip(row_a, row_b):
            for ca, cb in zip(pa, pb):
                low, high = (ca, cb) if ca < cb else (cb, ca)
                if high - low > slack and low < ratio * high:
                    unlike += 1
                    break
    return unlike / float(a.width * a.height)


# --- Decoding screenshots ----------------------------------------------------

def decode_xwd_quick(data):
    """decode_xwd for the usual case of 8-bit colour fields in 32-bit pixels,
    with the channels cut out of each row by byte slices: many times faster
    in pure Python, the same Picture. Other layouts go to decode_xwd."""
    header = struct.unpack(">25I", data[:100])
    header_size, width, height = header[0], header[4], header[5]
    byte_order, bits_per_pixel, bytes_per_line = header[7], header[11], header[12]
    masks = header[14], header[15], header[16]
    shifts = [(m & -m).bit_length() - 1 for m in masks]
    if bits_per_pixel != 32 or any(m != 0xFF << s or s % 8 for m, s in zip(masks, shifts)):
        return decode_xwd(data)
    offset = header_size + header[19] * 12
    if len(data) < offset + height * bytes_per_line:
        raise RuntimeError("short xwd data")
    # Byte of each channel within a pixel: LSBFirst keeps the low byte first.
    positions = [s // 8 if byte_order == 0 else 3 - s // 8 for s in shifts]
    rows = []
    for y in range(height):
        start = offset + y * bytes_per_line
        end = start + 4 * width
        red, green, blue = (data[start + p:end:4] for p in positions)
        rows.append(list(zip(red, green, blue)))
    return Picture(width, height, rows)


# --- Menu paths ------------------------------------------------------------------

def pointer_location():
    fields = dict(line.split("=", 1)
                  for line in run("xdotool", "getmouselocation", "--shell").split())
    return int(fields["X"]), int(fields["Y"])


def point_at(x, y):
    """move_pointer, without its wait when the pointer is there already:
    `xdotool mousemove --sync` then waits some 15 s for a motion that never
    comes."""
    if pointer_location() != (x, y):
        move_pointer(x, y)


def choose_menu_path(app, path, at=None):
    """Opens the main menu with a right click at `at` (a screen point; the
    middle of the window if None), points at the submenu entries path[:-1]
    in turn and clicks entry path[-1] of the last menu opened, 0 first.
    True if each menu opened and all of them closed after the click."""
    if at is None:
        x, y, width, height = window_geometry(app.window)
        at = (x + width // 2, y + height // 2)
    point_at(*at)
    run("xdotool", "click", "3")
    menus = wait_for_menus(1)
    if len(menus) != 1:
        return False
    current = menus[0]
    for index in path[:-1]:
        point_at(*menu_entry_point(current, index))
        opened = [m for m in wait_for_menus(len(menus) + 1) if m not in menus]
        if len(opened) != 1:
            return False
        menus.append(opened[0])
        current = opened[0]
    point_at(*menu_entry_point(current, path[-1]))
    run("xdotool", "click", "1")
    return wait_for_menus(0) == []


# --- Pictures awaited by what they show ---------------------------------------------

SAME_VIEW = 0.02   # at most this share of the pixels unlike (share_unlike): one view
OTHER_VIEW = 0.10  # at least this share unlike: another view
PICTURE_TIMEOUT = 20  # seconds for an input's picture to show on a slow machine


def share_unlike_sampled(a, b, step=2, ratio=0.6, slack=24):
    """share_unlike on every step-th pixel of every step-th row: for waiting
    on a picture, where a close estimate is enough and time matters."""
    unlike = 0
    counted = 0
    for row_a, row_b in zip(a.rows[::step], b.rows[::step]):
        for pa, pb in zip(row_a[::step], row_b[::step]):
            counted += 1
            if pa == pb:
                continue
            for ca, cb in zip(pa, pb):
                low, high = (ca, cb) if ca < cb else (cb, ca)
                if high - low > slack and low < ratio * high:
                    unlike += 1
                    break
    return unlike / float(max(counted, 1))


def picture_unlike(app, reference, threshold=OTHER_VIEW, timeout=PICTURE_TIMEOUT):
    """The first picture unlike reference by more than threshold (or the last
    one when the time is up), taken again after a pause so that it is the
    settled frame of whatever input changed it."""
    deadline = time.time() + timeout
    while time.time() < deadline:
        if share_unlike_sampled(try_screenshot(app), reference) > threshold:
            break
        time.sleep(0.1)
    time.sleep(0.3)
    return try_screenshot(app)


def picture_alike(app, expected, timeout=PICTURE_TIMEOUT):
    """The first picture alike expected, or the last one when the time is
    up: a right picture comes at once, a wrong one after the whole wait."""
    deadline = time.time() + timeout
    picture = try_screenshot(app)
    while time.time() < deadline and share_unlike_sampled(picture, expected) > SAME_VIEW:
        time.sleep(0.1)
        picture = try_screenshot(app)
    return picture


def view_picture(app, *keys):
    """The picture once keys (a view key, say) have been handled, whatever
    the picture before them: R after the keys looks up, which changes any
    picture, and F looks down again, which changes it back. Normal mode."""
    before = try_screenshot(app)
    app.key(*keys, "r")
    up = picture_unlike(app, before)
    app.key("f")
    return picture_unlike(app, up)
