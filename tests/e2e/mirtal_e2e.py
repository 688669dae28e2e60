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


def decode_xwd(data):
    """Decodes the 24-bit TrueColor ZPixmap that xwd writes on Xvfb."""
    header = struct.unpack(">25I", data[:100])
    header_size = header[0]
    width, height = header[4], header[5]
    byte_order = header[7]
    bits_per_pixel = header[11]
    bytes_per_line = header[12]
    red_mask, green_mask, blue_mask = header[15], header[16], header[17]
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
    """One run of the program in a scratch working directory."""

    def __init__(self, binary, data_dir=None, extra_files=None, omit=()):
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
        self.process = subprocess.Popen(
            [binary], cwd=self.workdir,
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
        data = subprocess.run(["xwd", "-silent", "-id", self.window],
                              capture_output=True, timeout=20, check=True).stdout
        return decode_xwd(data)

    def wait_for_exit(self, timeout=10):
        try:
            self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None
        return self.process.returncode

    def output(self):
        out, err = self.process.communicate(timeout=10)
        return out.decode("latin-1"), err.decode("latin-1")

    def close(self):
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGKILL)
            self.process.wait()
        shutil.rmtree(self.workdir, ignore_errors=True)


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
