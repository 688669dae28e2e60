"""The keys of the real binary, pressed through XTest.

- Each step key changes the picture and its opposite brings it back: D and
  A, W and S, R and F, Q and E, the arrows; upper case acts as lower case.
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
        start = view_picture(app, "F1")
        later = still_picture(app)
        print(f"two looks at one view: {share_unlike(later, start):.3f} unlike, "
              f"{later.share_differing(start):.3f} differing")
        alike(later, start, "one view stays alike while the sun moves")

        # Each step and its opposite, from the F1 view. Three presses where
        # one step of 20 units may move too little of the picture.
        pairs = [(["d"], ["a"], "D turns", "A turns back"),
                 (["w"] * 3, ["s"] * 3, "W walks forward", "S walks back"),
                 (["r"], ["f"], "R looks up", "F looks down again"),
                 (["q"], ["e"], "Q rolls", "E rolls back"),
                 (["Left"], ["Right"], "Left slides", "Right slides back"),
                 (["Up"], ["Down"], "Up slides", "Down slides back"),
                 (["D"], ["A"], "upper-case D turns", "upper-case A turns back"),
                 (["W"] * 3, ["S"] * 3, "upper-case W walks", "upper-case S walks back")]
        for step, undo, step_text, undo_text in pairs:
            app.key(*step)
            moved = picture_unlike(app, start)
            other(moved, start, step_text)
            app.key(*undo)
            back = picture_alike(app, start)
            alike(back, start, undo_text)
            if share_unlike(back, start) > SAME_VIEW:
                start = view_picture(app, "F1")  # so that the next pair starts clean

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
