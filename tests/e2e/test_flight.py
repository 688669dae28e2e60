"""The camera flight of the real binary, started from the pop-up menu: the
pictures move while it flies, then stand still once the path has ended (the
sun stands still in flight mode too); the special keys do nothing and a
letter key's move lasts one frame; "Normaliza" brings the moving sun back,
and flying again shows the still camera of the ended flight. ESC still ends
the program with status 0."""

import time

from mirtal_e2e import (Checks, Mirtal, choose_main_menu_entry, distinct_pictures,
                        parse_args, raw_window_bytes, share_unlike, try_screenshot,
                        wait_for_first_frame, wait_for_still)

NORMALIZA, VOO_DA_CAMERA = 2, 3  # positions in the main menu, 0 first


def still_after(app, still, action):
    """Runs action, lets some frames pass, and tells whether the window still
    shows exactly the picture still."""
    action()
    time.sleep(0.5)
    return raw_window_bytes(app.window) == still


def main():
    args = parse_args()
    checks = Checks("flight")

    app = Mirtal(args.binary, args.data)
    try:
        app.wait_for_window()
        wait_for_first_frame(app)

        checks.check(choose_main_menu_entry(app, VOO_DA_CAMERA), "Voo da Camera can be chosen")
        checks.check(distinct_pictures(app) >= 2, "the flight moves: successive pictures differ")

        # The path ends after 221 frames; from then on nothing moves.
        still = wait_for_still(app, timeout=120)
        checks.check(still is not None, "the ended flight shows a still picture")
        if still is not None:
            still_picture = try_screenshot(app)
            checks.check(still_after(app, still, lambda: app.key("F3", "Left", "Up", "F9")),
                         "the function and arrow keys do nothing while flying")
            checks.check(still_after(app, still, lambda: app.key("w", "d", "r")),
                         "a letter key's move lasts until the next flight frame only")

            checks.check(choose_main_menu_entry(app, NORMALIZA), "Normaliza can be chosen")
            time.sleep(0.5)
            checks.check(distinct_pictures(app) >= 2,
                         "after Normaliza the sun moves again: successive pictures differ")

            checks.check(choose_main_menu_entry(app, VOO_DA_CAMERA),
                         "Voo da Camera can be chosen again")
            again = wait_for_still(app, timeout=30)
            checks.check(again is not None, "flying again after the end shows a still camera")
            if again is not None:
                picture = try_screenshot(app)
                unlike = share_unlike(picture, still_picture)
                checks.check(unlike <= 0.02,
                             f"it is the ended flight's view ({unlike:.3f} unlike; "
                             f"the sun stands elsewhere now)")

        checks.check(app.process.poll() is None, "the program runs on while flying")
        app.key("Escape")
        status = app.wait_for_exit()
        checks.check(status == 0, f"ESC ends the program in flight mode with status 0 (got {status})")
    finally:
        app.close()

    checks.finish()


if __name__ == "__main__":
    main()
