"""Soak test of the real binary: about a minute of random input through real
X events, then a check that the program is alive, still answers its keys and
ends with status 0 on ESC, and that its resident memory has not grown since
the warm-up.

The input, drawn from a fixed seed (printed; MIRTAL_SOAK_SEED overrides it,
MIRTAL_SOAK_SECONDS the length of the random phase):
- runs of key presses through XTest: letters in both cases, digits,
  punctuation, the arrows, F1 to F12, the editing keys; never ESC, the one
  key that ends the program;
- menu choices by real clicks in freeglut's menu windows: the camera views,
  the function-key views, the help menu's moves, "Normaliza" and
  "Voo da Camera" (so the flight goes on and off), and menus dismissed with
  no choice; never "Sair" or "Sair (ESC)";
- window resizes, down to 1 x 1 (X has no window of 0 x 0, and a tiny
  window is the closest real event), up to the size of the screen, and the
  window unmapped and mapped again, as a minimised window is.

Resident memory (VmRSS) is sampled once a second and printed. The warm-up
goes through every kind of input once, with the largest window, so that the
samples after it show growth, not first use: the median of the last third
of them may exceed the median of the first third by 5 % at most (4 MB at
least). The margin is relative, so the much larger process of the
sanitizer build is judged alike."""

import os
import random
import statistics
import subprocess
import threading
import time

from mirtal_e2e import (OTHER_VIEW, SAME_VIEW, Checks, Mirtal, menu_entry_count,
                        menu_entry_point, parse_args, picture_alike, picture_unlike, point_at,
                        run, share_unlike, view_picture, visible_menus, wait_for_first_frame,
                        wait_for_menus, window_geometry)

DEFAULT_SEED = 20240611
DEFAULT_SECONDS = 55
WARM_UP_RANDOM_SECONDS = 6
SAMPLE_SECONDS = 1.0
# Growth allowed after the warm-up: this share of the resident size, but at
# least ALLOWED_GROWTH_KB.
ALLOWED_GROWTH_SHARE = 0.05
ALLOWED_GROWTH_KB = 4 * 1024

VERBOSE = bool(os.environ.get("MIRTAL_SOAK_VERBOSE"))  # print every step
SCREEN = (1280, 1024)  # tests/with_xvfb.sh's screen
NORMAL_SIZE = (640, 480)

# Positions in the menus, 0 first.
AJUDA, VISTAS_DA_CAMERA, NORMALIZA, VOO_DA_CAMERA, SAIR = range(5)
HELP_KEYS_SUBMENU, HELP_EXIT = 0, 13
HELP_MOVES = range(1, 13)
VIEW_ENTRIES = range(11)
FUNCTION_KEY_ENTRIES = range(9)
assert HELP_EXIT not in HELP_MOVES  # nor is SAIR ever chosen: both end the program

LETTERS = [chr(c) for c in range(ord("a"), ord("z") + 1)]
MOVE_KEYS = ["w", "s", "a", "d", "r", "f", "q", "e", "W", "S", "A", "D", "R", "F", "Q", "E"]
SPECIAL_KEYS = (["Left", "Right", "Up", "Down"] + [f"F{n}" for n in range(1, 13)]
                + ["Page_Up", "Page_Down", "Home", "End", "Insert"])
OTHER_KEYS = ([str(d) for d in range(10)] + [c.upper() for c in LETTERS]
              + ["space", "comma", "period", "minus", "equal", "slash", "semicolon",
                 "apostrophe", "grave", "bracketleft", "bracketright", "backslash",
                 "Tab", "Return", "BackSpace", "Delete", "Shift_L", "KP_Enter",
                 "KP_Add", "KP_5"])
assert "Escape" not in MOVE_KEYS + SPECIAL_KEYS + OTHER_KEYS + LETTERS


class Drain:
    """Reads a pipe to its end in a thread, so that the program never blocks
    on a full pipe, however much it writes."""

    def __init__(self, pipe):
        self.chunks = []
        self.thread = threading.Thread(target=self._read, args=(pipe,), daemon=True)
        self.thread.start()

    def _read(self, pipe):
        for chunk in iter(lambda: pipe.read(4096), b""):
            self.chunks.append(chunk)

    def text(self):
        self.thread.join(timeout=10)
        return b"".join(self.chunks).decode("latin-1")


def resident_kb(pid):
    """VmRSS of a process in kB, or None once it has gone."""
    try:
        with open(f"/proc/{pid}/status") as status:
            for line in status:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1])
    except OSError:
        return None
    return None


class Sampler:
    """Samples a process's resident memory once a second, in a thread."""

    def __init__(self, pid):
        self.pid = pid
        self.start = time.time()
        self.samples = []  # (seconds since start, kB)
        self.stopping = threading.Event()
        self.thread = threading.Thread(target=self._run, daemon=True)
        self.thread.start()

    def _run(self):
        while not self.stopping.is_set():
            kb = resident_kb(self.pid)
            if kb is not None:
                self.samples.append((time.time() - self.start, kb))
            self.stopping.wait(SAMPLE_SECONDS)

    def now(self):
        return time.time() - self.start

    def stop(self):
        self.stopping.set()
        self.thread.join(timeout=10)


class Soak:
    def __init__(self, app, rng):
        self.app = app
        self.rng = rng
        self.counts = {}
        self.keys_pressed = 0
        self.misses = []   # menu clicks that did not do what they aimed at
        self.size = NORMAL_SIZE
        self.flying = False
        self.started = time.time()
        self.journal = []

    def count(self, what):
        self.counts[what] = self.counts.get(what, 0) + 1

    def log(self, what):
        """Keeps the latest steps, to be printed beside a miss."""
        self.journal.append(f"{time.time() - self.started:6.2f}s {what}")
        if VERBOSE:
            print(self.journal[-1])
        del self.journal[:-20]

    def alive(self):
        return self.app.process.poll() is None

    # --- keys ---------------------------------------------------------------

    def random_key(self):
        pick = self.rng.random()
        if pick < 0.35:
            return self.rng.choice(MOVE_KEYS)
        if pick < 0.70:
            return self.rng.choice(SPECIAL_KEYS)
        return self.rng.choice(OTHER_KEYS + LETTERS)

    def keys(self, names):
        self.log(f"{len(names)} keys: {' '.join(names[:8])}{' ...' if len(names) > 8 else ''}")
        self.app.key(*names, delay_ms=4)
        self.keys_pressed += len(names)
        self.count("key runs")

    def random_keys(self):
        self.keys([self.random_key() for _ in range(self.rng.randint(5, 40))])

    # --- window ---------------------------------------------------------------

    def resize(self, width, height):
        self.log(f"resize to {width} x {height}")
        run("xdotool", "windowsize", self.app.window, str(width), str(height))
        self.size = (width, height)
        self.count("resizes")
        # Let the program see the new size and draw in it.
        time.sleep(self.rng.uniform(0.02, 0.25))

    def random_resize(self):
        pick = self.rng.random()
        if pick < 0.3:
            size = self.rng.choice([(1, 1), (1, 2), (2, 1), (1, 300), (300, 1), (3, 3)])
        elif pick < 0.5:
            size = self.rng.choice([NORMAL_SIZE, SCREEN, (320, 240), (800, 600), (1024, 768)])
        else:
            size = (self.rng.randint(1, SCREEN[0]), self.rng.randint(1, SCREEN[1]))
        self.resize(*size)
        if self.rng.random() < 0.5:
            self.random_keys()

    def unmap_and_map(self):
        self.log("unmap and map")
        run("xdotool", "windowunmap", "--sync", self.app.window)
        time.sleep(self.rng.uniform(0.0, 0.4))
        run("xdotool", "windowmap", "--sync", self.app.window)
        self.count("unmaps")
        time.sleep(0.05)

    def ensure_menu_room(self):
        """Menus need a window that the pointer can be put in."""
        if self.size[0] < 40 or self.size[1] < 40:
            self.resize(*self.rng.choice([NORMAL_SIZE, (320, 240), (800, 600)]))

    # --- menus ----------------------------------------------------------------

    def open_main(self):
        """Right-clicks a random place in the window's upper left part, so
        that the menu and its submenus fit on the screen side by side."""
        x, y, width, height = window_geometry(self.app.window)
        # Not in the window's first row or column: freeglut opens no menu for
        # a press there.
        px = x + self.rng.randint(2, min(width - 3, 250))
        py = y + self.rng.randint(2, min(height - 3, 450))
        self.log(f"right click at {px}, {py} (window {x}, {y}, {width} x {height})")
        point_at(px, py)
        run("xdotool", "click", "3")
        menus = wait_for_menus(1)
        self.log(f"menus {menus}")
        return menus[0] if len(menus) == 1 else None

    def open_sub(self, parents, parent, index):
        """Points at entry index of menu parent; returns the submenu that
        opens beside it."""
        point_at(*menu_entry_point(parent, index))
        menus = wait_for_menus(len(parents) + 1)
        self.log(f"entry {index}: menus {menus}")
        new = [m for m in menus if m not in parents]
        return new[0] if len(new) == 1 else None

    def click_entry(self, menu, index, come_from=None):
        if come_from is not None:
            point_at(*menu_entry_point(menu, come_from))
        point_at(*menu_entry_point(menu, index))
        run("xdotool", "click", "1")
        self.log(f"clicked entry {index}")
        return wait_for_menus(0) == []

    def dismiss(self):
        """Closes open menus with a left click in the window beside them."""
        x, y, width, height = window_geometry(self.app.window)
        menus = visible_menus()
        self.log(f"dismiss {menus}")
        right = min(x + width, SCREEN[0]) - 3
        bottom = min(y + height, SCREEN[1]) - 3
        for px, py in [(right, bottom), (x + 2, bottom), (right, y + 2), (x + 2, y + 2)]:
            covered = any(mx <= px < mx + mw and my <= py < my + mh
                          for mx, my, mw, mh in menus)
            if not covered:
                point_at(px, py)
                run("xdotool", "click", "1")
                if wait_for_menus(0) == []:
                    return True
                menus = visible_menus()
        return wait_for_menus(0) == []

    def miss(self, what):
        self.misses.append(what)
        print(f"menu miss: {what}; the steps before it:")
        for line in self.journal:
            print("  " + line)
        self.dismiss()

    def choose(self, path):
        """Follows a path through the menus: (main index, sub index, subsub
        index), as long as needed; None at the end of a path dismisses the
        menus instead of choosing."""
        self.ensure_menu_room()
        self.log(f"menu path {path}")
        main = self.open_main()
        if main is None:
            self.miss("a right click opened no menu")
            return False
        if menu_entry_count(main) != 5:
            self.miss(f"the main menu has {menu_entry_count(main)} entries")
            return False
        if path[0] is None:
            self.count("menus dismissed")
            return self.dismiss() or self.miss("the menu stayed open") or False
        if len(path) == 1:
            done = self.click_entry(main, path[0])
            if not done:
                self.miss(f"main menu entry {path[0]} left a menu open")
            return done
        menus = [main]
        sub = self.open_sub(menus, main, path[0])
        if sub is None:
            self.miss(f"main menu entry {path[0]} opened no submenu")
            return False
        menus.append(sub)
        if path[1] is None:
            self.count("menus dismissed")
            return self.dismiss() or self.miss("the menus stayed open") or False
        if len(path) == 2:
            # In the help menu, come along the entry row, from the first move.
            come_from = 1 if path[0] == AJUDA and path[1] != 1 else None
            done = self.click_entry(sub, path[1], come_from)
            if not done:
                self.miss(f"submenu entry {path} left a menu open")
            return done
        subsub = self.open_sub(menus, sub, path[1])
        if subsub is None:
            self.miss(f"submenu entry {path[:2]} opened no submenu")
            return False
        done = self.click_entry(subsub, path[2])
        if not done:
            self.miss(f"menu entry {path} left a menu open")
        return done

    def fly(self, on):
        if self.choose([VOO_DA_CAMERA if on else NORMALIZA]):
            self.flying = on
            self.count("flights on" if on else "flights off")

    def random_menu(self):
        pick = self.rng.random()
        if pick < 0.25:
            self.fly(not self.flying)
            return
        if pick < 0.45:
            path = [VISTAS_DA_CAMERA, self.rng.choice(VIEW_ENTRIES)]
        elif pick < 0.65:
            path = [AJUDA, self.rng.choice(HELP_MOVES)]
        elif pick < 0.85:
            path = [AJUDA, HELP_KEYS_SUBMENU, self.rng.choice(FUNCTION_KEY_ENTRIES)]
        else:
            path = self.rng.choice([[None], [AJUDA, None], [VISTAS_DA_CAMERA, None]])
        if self.choose(path):
            self.count("menu choices")

    # --- phases ---------------------------------------------------------------

    def every_kind_once(self):
        """The warm-up's fixed part: each kind of input at least once."""
        self.keys(MOVE_KEYS + SPECIAL_KEYS + OTHER_KEYS)
        for path in ([VISTAS_DA_CAMERA, 0], [AJUDA, 1], [AJUDA, HELP_KEYS_SUBMENU, 0],
                     [None], [AJUDA, None]):
            self.choose(path)
        self.fly(True)
        self.random_keys()
        self.resize(*SCREEN)
        time.sleep(0.5)
        self.resize(1, 1)
        self.unmap_and_map()
        self.resize(*NORMAL_SIZE)
        self.fly(False)
        self.resize(*SCREEN)
        time.sleep(0.5)
        self.resize(*NORMAL_SIZE)

    def random_phase(self, seconds):
        deadline = time.time() + seconds
        actions = [(self.random_keys, 60), (self.random_menu, 18),
                   (self.random_resize, 12), (self.unmap_and_map, 4)]
        total = sum(weight for _, weight in actions)
        while time.time() < deadline and self.alive():
            pick = self.rng.uniform(0, total)
            for action, weight in actions:
                pick -= weight
                if pick <= 0:
                    break
            try:
                action()
            except (RuntimeError, subprocess.SubprocessError) as error:
                if not self.alive():
                    return
                # An X request on a window that was being remapped: note it
                # and go on; the end checks tell whether the program copes.
                print(f"input step failed: {error}")
                self.count("input steps failed")


def print_samples(sampler, warm_up_end):
    print(f"VmRSS samples, kB (warm-up until {warm_up_end:.0f} s):")
    line = []
    for seconds, kb in sampler.samples:
        line.append(f"{seconds:5.1f}s {kb}")
        if len(line) == 6:
            print("  " + "  ".join(line))
            line = []
    if line:
        print("  " + "  ".join(line))


def check_memory(checks, sampler, warm_up_end):
    """Compares the resident size late in the soak with the size early after
    the warm-up: the medians of the first and the last third of the samples
    after it, so that a passing peak (a frame buffer for the largest window,
    say) is not taken for growth."""
    during = [kb for seconds, kb in sampler.samples if seconds <= warm_up_end]
    after = [(seconds, kb) for seconds, kb in sampler.samples if seconds > warm_up_end]
    if not during or len(after) < 15:
        checks.check(False, f"enough memory samples ({len(during)} in the warm-up, "
                            f"{len(after)} after it)")
        return
    third = len(after) // 3
    early = statistics.median(kb for _, kb in after[:third])
    late = statistics.median(kb for _, kb in after[-third:])
    growth = late - early
    allowed = max(early * ALLOWED_GROWTH_SHARE, ALLOWED_GROWTH_KB)
    # The slope over all samples after the warm-up, for the record.
    n = len(after)
    mean_t = sum(t for t, _ in after) / n
    mean_kb = sum(kb for _, kb in after) / n
    var_t = sum((t - mean_t) ** 2 for t, _ in after)
    slope = sum((t - mean_t) * (kb - mean_kb) for t, kb in after) / var_t if var_t else 0.0
    print(f"VmRSS: warm-up peak {max(during)} kB; after it: early median {early:.0f} kB, "
          f"late median {late:.0f} kB, peak {max(kb for _, kb in after)} kB; "
          f"growth {growth:+.0f} kB (allowed {allowed:.0f} kB), trend {slope * 60:+.0f} kB/min")
    checks.check(growth <= allowed,
                 f"resident memory does not grow after the warm-up "
                 f"({early:.0f} -> {late:.0f} kB, {growth:+.0f} kB, allowed {allowed:.0f} kB)")


def main():
    args = parse_args()
    checks = Checks("soak")
    seed = int(os.environ.get("MIRTAL_SOAK_SEED", DEFAULT_SEED))
    seconds = float(os.environ.get("MIRTAL_SOAK_SECONDS", DEFAULT_SECONDS))
    print(f"soak: seed {seed}, {seconds:.0f} s of random input "
          f"(MIRTAL_SOAK_SEED / MIRTAL_SOAK_SECONDS change them)")
    rng = random.Random(seed)

    # In the sanitizer build, freed blocks wait in AddressSanitizer's
    # quarantine (256 MB by default) before they are reused, which would show
    # as growth here; a small quarantine keeps the resident size a measure of
    # what the program holds. Without the sanitizer the variable is unused.
    options = os.environ.get("ASAN_OPTIONS", "")
    os.environ["ASAN_OPTIONS"] = (options + ":" if options else "") + "quarantine_size_mb=16"

    app = Mirtal(args.binary, args.data)
    out = Drain(app.process.stdout)
    err = Drain(app.process.stderr)
    sampler = None
    try:
        app.wait_for_window()
        wait_for_first_frame(app)
        sampler = Sampler(app.process.pid)
        soak = Soak(app, rng)

        soak.every_kind_once()
        soak.random_phase(WARM_UP_RANDOM_SECONDS)
        warm_up_end = sampler.now()
        soak.random_phase(seconds)
        sampler.stop()
        print_samples(sampler, warm_up_end)

        checks.check(soak.alive(), "the program is alive after the soak")
        print(f"input: {soak.keys_pressed} key presses; " +
              ", ".join(f"{what} {n}" for what, n in sorted(soak.counts.items())))
        checks.check(soak.keys_pressed >= 1000,
                     f"the soak pressed thousands of keys ({soak.keys_pressed})")
        checks.check(soak.counts.get("flights on", 0) >= 2 and soak.counts.get("flights off", 0) >= 2,
                     "the flight went on and off more than once")
        checks.check(not soak.misses, f"every menu click did what it aimed at "
                                      f"({len(soak.misses)} misses)")
        check_memory(checks, sampler, warm_up_end)

        if soak.alive():
            # Back to a known state: the normal window, the normal mode.
            soak.resize(*NORMAL_SIZE)
            checks.check(soak.choose([NORMALIZA]), "Normaliza can be chosen after the soak")
            f3 = view_picture(app, "F3")
            soak.keys(["d", "d"])
            turned = picture_unlike(app, f3)
            unlike = share_unlike(turned, f3)
            checks.check(unlike > OTHER_VIEW,
                         f"keys still change the picture: D D after F3 ({unlike:.3f} unlike)")
            soak.keys(["F3"])
            again = picture_alike(app, f3)
            unlike = share_unlike(again, f3)
            checks.check(unlike <= SAME_VIEW, f"F3 shows its view again ({unlike:.3f} unlike)")
            if unlike > SAME_VIEW:
                print("the last steps:\n  " + "\n  ".join(soak.journal))
            app.key("Escape")
            status = app.wait_for_exit(timeout=30)
            checks.check(status == 0, f"ESC ends the program with status 0 (got {status})")
    finally:
        if sampler is not None:
            sampler.stop()
        app.close()

    stderr_text = err.text()
    stdout_text = out.text()
    print(f"program output: {len(stdout_text)} bytes on stdout, {len(stderr_text)} on stderr")
    if stderr_text.strip():
        print("stderr (last 3000 bytes):\n" + stderr_text[-3000:])
    checks.check("ERROR: AddressSanitizer" not in stderr_text
                 and "runtime error:" not in stderr_text,
                 "no sanitizer report")
    checks.finish()


if __name__ == "__main__":
    main()
