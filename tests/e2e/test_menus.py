"""The pop-up menu tree of the real binary, driven by real pointer events.

- The right button opens the main menu of 5 entries ("Ajuda", "Vistas da
  Camera", "Normaliza", "Voo da Camera", "Sair"); pointing at a submenu
  entry opens it beside: "Ajuda" with 14 entries, its "Vistas F1-F12" with
  9, "Vistas da Camera" with 11.
- The entries act: a function-key view chosen in the menu shows the picture
  of its key; "Rodar direita (A/a)" turns as the key D does and "Rodar
  esquerda (D/d)" turns back; a camera view shows the same picture from
  wherever it is chosen.
- "Voo da Camera" starts the flight (successive pictures differ);
  "Normaliza" ends it with its fixed placement (the same picture each time)
  and the function keys work again.
- "Sair" and the help menu's "Sair (ESC)\t" end the program with status 0.

Pictures are compared with share_unlike (see mirtal_e2e), never with the
scene's own colours."""

import time

from mirtal_e2e import (OTHER_VIEW, SAME_VIEW, Checks, Mirtal, choose_menu_path,
                        distinct_pictures, menu_entry_count, menu_entry_point, open_main_menu,
                        parse_args, picture_alike, picture_unlike, point_at, run, share_unlike,
                        try_screenshot, view_picture, visible_menus, wait_for_first_frame,
                        wait_for_menus)

# Positions in the main menu, 0 first.
AJUDA, VISTAS_DA_CAMERA, NORMALIZA, VOO_DA_CAMERA, SAIR = range(5)
# In "Ajuda": the function-key views submenu, two of the moves, the exit.
HELP_KEY_VIEWS, HELP_TURN_LEFT, HELP_TURN_RIGHT, HELP_EXIT = 0, 3, 4, 13
FRENTE = 0  # first entry of "Vistas da Camera"


def wait_for_submenu(main, entries, timeout=10):
    """The menus open beside main, once they are one menu of the given
    number of entries (or whatever is open when the time is up)."""
    deadline = time.time() + timeout
    while True:
        others = [m for m in visible_menus() if m != main]
        if (len(others) == 1 and menu_entry_count(others[0]) == entries) or time.time() > deadline:
            return others
        time.sleep(0.1)


def check_menu_tree(checks, app):
    main = open_main_menu(app)
    checks.check(main is not None, "a right click opens a menu")
    if main is None:
        return
    checks.check(menu_entry_count(main) == 5,
                 f"the main menu has 5 entries (height {main[3]})")

    # Pointing at "Ajuda" opens the help menu beside it.
    point_at(*menu_entry_point(main, AJUDA))
    menus = wait_for_menus(2)
    help_menu = [m for m in menus if m != main]
    checks.check(len(help_menu) == 1, "pointing at Ajuda opens its submenu")
    if help_menu:
        checks.check(help_menu[0][0] >= main[0] + main[2] - 1,
                     "the help menu opens to the right of the main menu")
        checks.check(menu_entry_count(help_menu[0]) == 14,
                     f"the help menu has 14 entries (height {help_menu[0][3]})")
        # Its first entry is the submenu of the function-key views.
        point_at(*menu_entry_point(help_menu[0], HELP_KEY_VIEWS))
        menus = wait_for_menus(3)
        keys_menu = [m for m in menus if m != main and m != help_menu[0]]
        checks.check(len(keys_menu) == 1, "pointing at Vistas F1-F12 opens its submenu")
        if keys_menu:
            checks.check(menu_entry_count(keys_menu[0]) == 9,
                         f"the function-key views menu has 9 entries (height {keys_menu[0][3]})")

    # Back in the main menu, "Vistas da Camera" replaces the help menu; on a
    # busy machine the help menu may close a moment after its submenu, so
    # the views menu is awaited by its size.
    point_at(*menu_entry_point(main, VISTAS_DA_CAMERA))
    views_menu = wait_for_submenu(main, 11)
    checks.check(len(views_menu) == 1,
                 "pointing at Vistas da Camera opens its submenu in place of the others")
    if views_menu:
        checks.check(menu_entry_count(views_menu[0]) == 11,
                     f"the views menu has 11 entries (height {views_menu[0][3]})")
        point_at(*menu_entry_point(views_menu[0], FRENTE))
        run("xdotool", "click", "1")
        checks.check(wait_for_menus(0) == [], "choosing a view closes the menus")
    checks.check(app.process.poll() is None, "the program runs on after the menus")


def check_entries_act(checks, app):
    def alike(a, b, message):
        unlike = share_unlike(a, b)
        checks.check(unlike <= SAME_VIEW, f"{message} ({unlike:.3f} unlike)")

    def choose(path, what):
        checks.check(choose_menu_path(app, path), f"{what} can be chosen")

    f3 = view_picture(app, "F3")
    app.key("d")
    f3_turned = picture_unlike(app, f3)
    f1 = view_picture(app, "F1")

    choose([AJUDA, HELP_KEY_VIEWS, 2], "Vista de frente (F3)")
    alike(picture_alike(app, f3), f3, "Vista de frente (F3) shows the picture of F3")
    app.key("F3")  # from the F3 view whatever the menu did
    picture_alike(app, f3)
    choose([AJUDA, HELP_TURN_RIGHT], "Rodar direita (A/a)")
    alike(picture_alike(app, f3_turned), f3_turned, "Rodar direita (A/a) turns as D does")
    choose([AJUDA, HELP_TURN_LEFT], "Rodar esquerda (D/d)")
    alike(picture_alike(app, f3), f3, "Rodar esquerda (D/d) turns back")

    choose([VISTAS_DA_CAMERA, FRENTE], "Frente")
    front = view_picture(app)
    app.key("w", "w", "d", "r")
    moved = picture_unlike(app, front)
    choose([VISTAS_DA_CAMERA, FRENTE], "Frente again")
    again = picture_alike(app, front)
    alike(again, front, "Frente shows the same picture from another place")
    checks.check(share_unlike(f1, f3) > OTHER_VIEW and share_unlike(moved, front) > OTHER_VIEW,
                 "the pictures compared above differ where they should")


def check_flight_and_back(checks, app):
    front = view_picture(app, "F3")

    # Look at once: the flight path ends after a few seconds.
    checks.check(choose_menu_path(app, [VOO_DA_CAMERA]), "Voo da Camera can be chosen")
    checks.check(distinct_pictures(app) >= 2, "the flight moves: successive pictures differ")
    flying = try_screenshot(app)
    unlike = share_unlike(flying, front)
    checks.check(unlike > OTHER_VIEW,
                 f"the flight shows other pictures than the view before it ({unlike:.3f} unlike)")

    checks.check(choose_menu_path(app, [NORMALIZA]), "Normaliza can be chosen")
    normal = picture_unlike(app, flying)
    unlike = share_unlike(normal, flying)
    checks.check(unlike > OTHER_VIEW, f"Normaliza changes the picture ({unlike:.3f} unlike)")
    # Its placement is a fixed one.
    app.key("s", "s", "a", "f")
    picture_unlike(app, normal)
    checks.check(choose_menu_path(app, [NORMALIZA]), "Normaliza can be chosen again")
    again = picture_alike(app, normal)
    unlike = share_unlike(again, normal)
    checks.check(unlike <= SAME_VIEW,
                 f"Normaliza shows the same placement from anywhere ({unlike:.3f} unlike)")
    # The function keys are the normal mode's again.
    app.key("F3")
    f3 = picture_alike(app, front)
    unlike = share_unlike(f3, front)
    checks.check(unlike <= SAME_VIEW, f"after Normaliza F3 shows its view again ({unlike:.3f} unlike)")


def check_exit_entry(checks, binary, data, path, what):
    app = Mirtal(binary, data)
    try:
        app.wait_for_window()
        wait_for_first_frame(app)
        checks.check(choose_menu_path(app, path), f"{what} can be chosen")
        status = app.wait_for_exit()
        checks.check(status == 0, f"{what} ends the program with status 0 (got {status})")
    finally:
        app.close()


def main():
    args = parse_args()
    checks = Checks("menus")

    app = Mirtal(args.binary, args.data)
    try:
        app.wait_for_window()
        wait_for_first_frame(app)
        check_menu_tree(checks, app)
        check_entries_act(checks, app)
        check_flight_and_back(checks, app)
        checks.check(app.process.poll() is None, "the program is still running")
    finally:
        app.close()

    check_exit_entry(checks, args.binary, args.data, [SAIR], "Sair")
    check_exit_entry(checks, args.binary, args.data, [AJUDA, HELP_EXIT], "Sair (ESC) in Ajuda")
    checks.finish()


if __name__ == "__main__":
    main()
