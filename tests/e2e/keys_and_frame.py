"""Drives the real program under a window manager with real key events, as a new user would.

Starts a virtual X display with openbox and the program, in a folder without settings.ini so
that the design set applies. Checks that the main window opens at its smallest size, frame
and all; recodes with Enter and copies with Enter on the focused button; that Alt+F types
nothing; that a settings field takes a long paste and stays editable, and that Enter presses
the settings window's Close button.
"""

import subprocess
import sys
import tempfile

from x_session import (clipboard, fail, keys, output, set_clipboard, start_display,
                       start_window_manager, stop, type_text, wait_for, wait_to_equal,
                       window)

# 5500 x 3800 twips, 15 to a pixel, rounded up: the smallest outer size of the main window.
SMALLEST_OUTER_SIZE = (367, 254)


def outer_size(window_id):
    """The window's size with the frame the window manager put around it, once it has one."""
    extents = output(["xprop", "-id", window_id, "_NET_FRAME_EXTENTS"])
    if "=" not in extents:
        return None
    left, right, top, bottom = (int(n) for n in extents.split("=")[1].split(","))
    info = output(["xwininfo", "-id", window_id])
    width = int(info.split("Width:")[1].split()[0])
    height = int(info.split("Height:")[1].split()[0])
    return (width + left + right, height + top + bottom)


def copied(expected):
    wait_to_equal("the clipboard", clipboard, expected)


def recode_and_copy(text):
    """Puts `text` over the input box with Ctrl+V, recodes it with Enter, and copies the
    result by pressing Enter on the Copy button, which Tab reaches after txtOut, Настройки,
    Очистить. Cyrillic comes through the clipboard: xdotool types a letter the keyboard map
    lacks by binding it to a spare key for a moment, and a program busy at that moment reads
    the key after the binding is gone."""
    set_clipboard(text)
    keys("ctrl+a", "ctrl+v", "Return", "Tab", "Tab", "Tab", "Tab", "Return")


def main():
    program = sys.argv[1]
    processes = []
    try:
        start_display(processes)
        start_window_manager(processes)
        with tempfile.TemporaryDirectory() as folder:
            processes.append(subprocess.Popen([program], cwd=folder))
            main_window = window("Lettermorph")

            def at_smallest_size():
                size = outer_size(main_window)
                return size if size == SMALLEST_OUTER_SIZE else None

            try:
                wait_for("the main window at its smallest size", at_smallest_size)
            except SystemExit:
                fail(f"the main window opened at {outer_size(main_window)} with its frame, "
                     f"not {SMALLEST_OUTER_SIZE}")
            subprocess.run(["xdotool", "windowactivate", "--sync", main_window], check=True)

            recode_and_copy("Жук")
            copied("}|{yk")

            # Back to the input box: Alt with a letter types nothing there.
            keys("shift+Tab", "shift+Tab", "shift+Tab", "shift+Tab")
            keys("ctrl+a")
            type_text("Q")
            keys("alt+f", "alt+x")
            keys("Return", "Tab", "Tab", "Tab", "Tab", "Return")
            copied("Q")

            # The settings window, from its button; the field of "Я" has the focus. A paste of
            # 40 000 characters leaves it editable: select all, type, and the table has it.
            keys("shift+Tab", "shift+Tab", "Return")
            settings = window("Настройки")
            subprocess.run(["xdotool", "windowactivate", "--sync", settings], check=True)
            set_clipboard("long " * 8000)
            keys("ctrl+v", "ctrl+a", "BackSpace")
            type_text("R")
            # Close is two stops back from the first field: Сбросить, then Закрыть.
            keys("shift+Tab", "shift+Tab", "Return")
            wait_for("the settings window to close",
                     lambda: True if not output(["xdotool", "search", "--onlyvisible",
                                                 "--name", "^Настройки$"]) else None)

            subprocess.run(["xdotool", "windowactivate", "--sync", main_window], check=True)
            keys("shift+Tab", "shift+Tab")  # from Настройки back to the input box
            recode_and_copy("Яя")
            copied("R9I")
            print("main window at its smallest size; Enter, Alt and a long paste behave")
    finally:
        stop(processes)


if __name__ == "__main__":
    main()
