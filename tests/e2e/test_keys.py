"""The keys of the real binary, pressed through XTest.

- Each step key changes the picture and its opposite brings it back: D and
  A, W and S, R and F, Q and E, the arrows; upper case acts as lower case.
- Each step moves the picture the way it must, seen from the front of the
  house (F3): D turns right, so the picture moves left; W walks forward, so
  it grows about its middle; R looks up, so it moves down; Q rolls right,
  so it turns counter-clockwise; Left slides left, so it moves right; Up
  slides up, so it moves down.
- F1 to F9 jump to their views: nine different pictures, and each key shows
  its own picture again from wherever the camera stands.
- Keys without an action (F10 to F12, Page Up, letters without a step,
  space, comma, ...) change nothing.
- ESC ends the program with status 0.

The sun moves in every idle frame and its light scales the colours of the
whole scene, so pictures are compared with share_unlike, which no change of
lighting alone moves much. Pictures are only compared with one another: the
scene's own colours are nowhere assumed."""

import time

from mirtal_e2e import (OTHER_VIEW, SAME_VIEW, Checks, Mirtal, parse_args, picture_alike,
                        picture_unlike, share_unlike, try_screenshot, view_picture,
                        wait_for_first_frame)

WIDTH, HEIGHT = 640, 480


def luminance(picture):
    return [[3 * r + 6 * g + b for r, g, b in row] for row in picture.rows]


def correlation(a, b):
    mean_a, mean_b = sum(a) / len(a), sum(b) / len(b)
    da = [x - mean_a for x in a]
    db = [y - mean_b for y in b]
    norm = (sum(x * x for x in da) * sum(y * y for y in db)) ** 0.5
    return sum(x * y for x, y in zip(da, db)) / norm if norm else -1.0


def displacement(before, after, limit=200):
    """The shift in pixels that best carries one brightness profile onto the
    other (positive: towards higher indices), over at least half of them."""
    n = len(before)
    limit = min(limit, n // 2)
    return max((correlation(before[max(0, -d):n - max(0, d)], after[max(0, d):n - max(0, -d)]), d)
               for d in range(-limit, limit + 1))[1]


def shift_x(a, b, columns=range(WIDTH)):
    """How far the picture's content moved right from a to b, over the middle
    third of its rows."""
    la, lb = luminance(a), luminance(b)
    band = range(HEIGHT // 3, 2 * HEIGHT // 3)
    return displacement(*([sum(lum[y][x] for y in band) for x in columns] for lum in (la, lb)))


def shift_y(a, b, columns):
    """How far the content in the given columns moved down from a to b."""
    la, lb = luminance(a), luminance(b)
    return displacement(*([sum(lum[y][x] for x in columns) for y in range(HEIGHT)]
                          for lum in (la, lb)))


def spread(a, b, step=8):
    """The factor, 0.5 to 2 in steps of 0.05, by which the picture grew about
    its middle from a to b: the one under which a, scaled, best matches b."""
    la, lb = luminance(a), luminance(b)
    cx, cy = WIDTH / 2, HEIGHT / 2
    points = [(x, y) for y in range(step // 2, HEIGHT, step) for x in range(step // 2, WIDTH, step)]

    def match(k):
        pairs = [(la[sy][sx], lb[y][x]) for x, y in points
                 for sx, sy in [(int(cx + (x - cx) / k), int(cy + (y - cy) / k))]
                 if 0 <= sx < WIDTH and 0 <= sy < HEIGHT]
        return correlation(*zip(*pairs))

    return max((match(k / 20), k / 20) for k in range(10, 41))[1]


LEFT, MIDDLE, RIGHT = (range(0, WIDTH // 4), range(WIDTH // 4, 3 * WIDTH // 4),
                       range(3 * WIDTH // 4, WIDTH))

# For each step: what its picture must show beside the one before it, the
# measures (shifts in pixels, or a factor of growth) and the test on them. A
# turn of 20 degrees moves the picture by about 125, a roll of 10 degrees its
# sides by about 40; three steps forward from 200 units away grow the house
# by a factor of about 200 / 140; five slides of 20 units to the left move
# the house by about 170, three up by about 100.
DIRECTIONS = {
    "d": ("moves left", lambda a, b: [shift_x(a, b)], lambda s: s[0] < -60),
    "w": ("grows about its middle", lambda a, b: [spread(a, b)], lambda s: s[0] > 1.2),
    "r": ("moves down", lambda a, b: [shift_y(a, b, MIDDLE)], lambda s: s[0] > 60),
    "q": ("turns counter-clockwise", lambda a, b: [shift_y(a, b, LEFT), shift_y(a, b, RIGHT)],
          lambda s: s[0] > 15 and s[1] < -15),
    "Left": ("moves right", lambda a, b: [shift_x(a, b)], lambda s: s[0] > 50),
    "Up": ("moves down", lambda a, b: [shift_y(a, b, MIDDLE)], lambda s: s[0] > 30),
}


def still_picture(app):
    """A picture after a pause, for keys that should change nothing."""
    time.sleep(0.7)
    return try_screenshot(app)


def main():
    args = parse_args()
    checks = Checks("keys")

    def other(a, b, message):
        unlike = share_unlike(a, b)
        checks.check(unlike > OTHER_VIEW, f"{message} ({unlike:.3f} unlike)")

    def alike(a, b, message):
        unlike = share_unlike(a, b)
        checks.check(unlike <= SAME_VIEW, f"{message} ({unlike:.3f} unlike)")

    app = Mirtal(args.binary, args.data)
    try:
        app.wait_for_window()
        wait_for_first_frame(app)
        start = view_picture(app, "F3")
        later = still_picture(app)
        print(f"two looks at one view: {share_unlike(later, start):.3f} unlike, "
              f"{later.share_differing(start):.3f} differing")
        alike(later, start, "one view stays alike while the sun moves")

        # Each step and its opposite, from the F3 view. Three presses where
        # one step of 20 units may move too little of the picture.
        pairs = [(["d"], ["a"], "D turns", "A turns back"),
                 (["w"] * 3, ["s"] * 3, "W walks forward", "S walks back"),
                 (["r"], ["f"], "R looks up", "F looks down again"),
                 (["q"], ["e"], "Q rolls", "E rolls back"),
                 (["Left"] * 5, ["Right"] * 5, "Left slides", "Right slides back"),
                 (["Up"] * 3, ["Down"] * 3, "Up slides", "Down slides back"),
                 (["D"], ["A"], "upper-case D turns", "upper-case A turns back"),
                 (["W"] * 3, ["S"] * 3, "upper-case W walks", "upper-case S walks back")]
        for step, undo, step_text, undo_text in pairs:
            app.key(*step)
            moved = picture_unlike(app, start)
            other(moved, start, step_text)
            direction, measure, goes = DIRECTIONS[step[0].lower() if len(step[0]) == 1 else step[0]]
            shifts = measure(start, moved)
            checks.check(goes(shifts), f"{step_text}: the picture {direction} (measured {shifts})")
            app.key(*undo)
            back = picture_alike(app, start)
            alike(back, start, undo_text)
            if share_unlike(back, start) > SAME_VIEW:
                start = view_picture(app, "F3")  # so that the next pair starts clean

        # The nine views, then each again from a camera moved elsewhere. Two
        # views may share much of their picture (F8 and F9 both look at the
        # entrance): they must not be alike.
        views = {n: view_picture(app, f"F{n}") for n in range(1, 10)}
        same_pairs = [(a, b) for a in views for b in views
                      if a < b and share_unlike(views[a], views[b]) <= SAME_VIEW]
        checks.check(not same_pairs,
                     f"F1 to F9 show nine different pictures (alike: {same_pairs})")
        for n in range(9, 0, -1):
            app.key("w", "d", "r", "Left")
            app.key(f"F{n}")
            again = picture_alike(app, views[n])
            alike(again, views[n], f"F{n} shows its view again after moves")

        # Keys without an action: after them, D must show the picture that
        # D shows from the F3 view, so none of them moved the camera (the
        # events are handled in order).
        f3 = view_picture(app, "F3")
        app.key("d")
        f3_turned = picture_unlike(app, f3)
        app.key("F3")
        picture_alike(app, f3)
        app.key("F10", "F11", "F12", "Page_Up", "Page_Down", "Home", "End", "Insert",
                "x", "z", "1", "space", "comma", "grave", "Tab", "Return", "BackSpace")
        idle = still_picture(app)
        alike(idle, f3, "keys without an action leave the view")
        app.key("d")
        turned = picture_alike(app, f3_turned)
        alike(turned, f3_turned, "and D after them turns from the F3 view as before")

        checks.check(app.process.poll() is None, "the program runs on after the keys")
        app.key("Escape")
        status = app.wait_for_exit()
        checks.check(status == 0, f"ESC ends the program with status 0 (got {status})")
    finally:
        app.close()

    checks.finish()


if __name__ == "__main__":
    main()
