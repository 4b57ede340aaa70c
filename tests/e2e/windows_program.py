"""Drives lettermorph.exe under Wine with the mouse and keys, as a Windows user would.

The program is copied into a folder whose name has Cyrillic letters and spaces, and started in
another such folder. At 96 dpi: Russian text pasted through the clipboard is recoded by Enter
and copied back; the settings window saves a changed replacement to settings.ini in the
working folder, in the ANSI code page with CR LF line ends, and leaves a read-only settings.ini
as it was, with a message; the about window's button asks the shell to open the site; Alt+F4
hides the settings window and closes the about window, the close box ends the program; and the
next start reads the saved replacement. At 96 and at 144 dpi the main window's input box and
buttons are drawn where their twips put them, to a pixel, and work when clicked there.
"""

import os
import shutil
import stat
import subprocess
import sys
import tempfile
import time

from wine_session import WinePrefix, ended, gone, shown
from x_session import (clipboard, fail, keys, output, set_clipboard, start_display,
                       start_window_manager, stop, type_text, wait_for)

SITE = "https://lettermorph.org"
PROGRAM_FOLDER = "Program Files/Леттерморф 1.0"
WORKING_FOLDER = "Мои документы/Замены для писем"
# The menu bar's height at 96 dpi with the prefix's Tahoma; the main window's controls lie
# below it.
MENU_BAR = 18
# Centres of controls in twips, from each window's client area (the main window's from below
# its menu bar). The main window's buttons keep 2100 twips from its right edge at its least
# width, 5500 twips.
PASTE = (3405 + 847, 843 + 187)
RECODE = (3405 + 847, 345 + 187)
COPY = (3405 + 847, 1341 + 187)
SETTINGS = (3405 + 847, 2340 + 187)
INPUT_BOX = (90 + 1545, 390 + 142)
HELP_MENU = (1080, None)  # "Помощь" in the menu bar, halfway down it
SAVE = (180 + 862, 6345 + 165)
YA_FIELD = (6615 + 210, 4830 + 142)  # "Я", slot 32
LEAST_WIDTH = 5500
# How long a try at recoding waits for the result before the next.
RETRY_SECONDS = 5
# The windows' background colour in Wine's default theme.
BACKGROUND = "#F5F5F5"


class Program:
    """One run of the program in a prefix at a given dpi."""

    def __init__(self, wine, exe, working, dpi):
        self.wine = wine
        self.dpi = dpi
        self.process = wine.start(exe, working)
        self.main = shown("Lettermorph")
        focused(self.main)

    def pixels(self, twips):
        return round(twips * self.dpi / 1440)

    def click(self, window_id, twips, below_menu=False):
        x, y = twips
        top = round(MENU_BAR * self.dpi / 96) if below_menu else 0
        y = top // 2 if y is None else top + self.pixels(y)
        output(["xdotool", "mousemove", "--sync", "--window", window_id, str(self.pixels(x)),
                str(y), "click", "1"])

    def click_main(self, twips):
        self.click(self.main, twips, below_menu=True)

    def recode_pasted(self, text, expected):
        """Pastes with the Paste button, recodes with Enter in the input box, copies.

        Under a heavy load Wine has been seen to drop an Enter pressed just after a click, so
        the steps, which give the same result when repeated, are tried up to three times."""
        for _ in range(2):
            set_clipboard(text)
            self.press_paste_enter_copy()
            deadline = time.monotonic() + RETRY_SECONDS
            while time.monotonic() < deadline:
                if held_on_clipboard() == expected:
                    return
                time.sleep(0.1)
            print(f"{expected!r} did not reach the clipboard; trying again", file=sys.stderr)
        set_clipboard(text)
        self.press_paste_enter_copy()
        copied(expected)

    def press_paste_enter_copy(self):
        self.click_main(PASTE)
        self.click_main(INPUT_BOX)
        focused(self.main)
        keys("Return")
        self.click_main(COPY)


def focused(window_id):
    """Gives a window the keyboard focus and waits until it has it. The request is repeated
    while waiting, as the window manager may pass over one that comes while it is busy."""
    def has_focus():
        if output(["xdotool", "getwindowfocus"]).strip() == str(int(window_id)):
            return True
        output(["xdotool", "windowactivate", window_id])
        return None

    name = output(["xdotool", "getwindowname", window_id]).strip()
    wait_for(f"the focus on {name!r}", has_focus)


def held_on_clipboard():
    """The clipboard's text; None also while its owner, busy, does not answer."""
    try:
        return clipboard()
    except subprocess.TimeoutExpired:
        return None


def copied(expected):
    def holds():
        held = held_on_clipboard()
        if held != expected:
            raise ValueError(f"it holds {held!r}")
        return True

    wait_for(f"the clipboard to hold {expected!r}", holds)


def message_box(title):
    """Waits for a message box, and closes it with Enter, which presses its OK button."""
    box = shown(title)
    focused(box)
    keys("Return")
    gone(title)


def saved_lines(path):
    with open(path, "rb") as file:
        data = file.read()
    if not data.endswith(b"\r\n") or b"\n" in data.replace(b"\r\n", b""):
        fail(f"settings.ini does not end each line with CR LF: {data[:80]!r}")
    return data.split(b"\r\n")[:-1]


def check_settings_window(program, working, code_page):
    program.click_main(SETTINGS)
    settings = shown("Настройки")
    focused(settings)
    program.click(settings, YA_FIELD)
    keys("ctrl+a")
    type_text("R")
    program.click(settings, SAVE)
    # At 1252 the window warns that "а", whose replacement is Cyrillic, was written as "?".
    message_box("Настройки сохранены")
    ini = os.path.join(working, "settings.ini")
    lines = saved_lines(ini)
    small_a = {1251: b"\xe0", 1252: b"?"}[code_page]
    if len(lines) != 66 or lines[32] != b"R" or lines[33] != small_a or lines[7] != b"}|{":
        fail(f"settings.ini at code page {code_page} holds {lines!r}")
    print(f"saved settings.ini at code page {code_page} with CR LF")

    before = open(ini, "rb").read()
    os.chmod(ini, stat.S_IRUSR | stat.S_IRGRP | stat.S_IROTH)
    program.click(settings, YA_FIELD)
    keys("ctrl+a")
    type_text("Z")
    program.click(settings, SAVE)
    message_box("Настройки не сохранены")
    if open(ini, "rb").read() != before:
        fail("the read-only settings.ini was changed")
    os.chmod(ini, stat.S_IRUSR | stat.S_IWUSR)
    print("a read-only settings.ini is kept, with a message")

    focused(settings)
    keys("alt+F4")
    gone("Настройки")


def check_about_window(program, wine):
    focused(program.main)
    program.click(program.main, HELP_MENU, below_menu=True)
    keys("Down", "Return")
    about = shown("О программе")
    focused(about)
    keys("Return")  # the site button holds the focus

    def opened():
        if not os.path.exists(wine.opened_addresses):
            return None
        # Wine's shell writes the address with the slash that ends an empty path.
        return True if SITE + "/" in open(wine.opened_addresses).read().split() else None

    wait_for("the shell to open the site", opened)
    focused(about)
    keys("alt+F4")
    gone("О программе")
    print("the about window opened the site through the shell")


def close_with_the_close_box(program):
    # The window manager's close box asks the window to close, as wmctrl -c does.
    output(["wmctrl", "-i", "-c", program.main])
    ended(program.process, "closing the main window")


def runs(picture, crop):
    """The stretches of a one-pixel line of the picture that differ from the window's
    background, whose colour the line starts or ends with, as (first, after last) pairs."""
    dump = output(["convert", picture, "-crop", crop, "txt:-"]).splitlines()[1:]
    colours = [line.split()[2] for line in dump]
    background = BACKGROUND
    found, start = [], None
    for place, colour in enumerate(colours + [background]):
        if colour != background and start is None:
            start = place
        elif colour == background and start is not None:
            found.append((start, place))
            start = None
    return found


def check_layout(program, folder):
    """Compares where the input box and the buttons are drawn with their twips, to a pixel."""
    picture = os.path.join(folder, f"main window at {program.dpi} dpi.png")
    output(["import", "-window", program.main, picture])
    width = int(output(["identify", "-format", "%w", picture]))
    px = program.pixels
    # The window keeps its least width, 5500 twips; the buttons keep 2100 twips from its right
    # edge, and the boxes end 200 twips before the buttons.
    outer = width * 1440 / program.dpi
    menu_bar, *buttons = runs(picture, f"1x10000+{px(RECODE[0])}+0")
    row = runs(picture, f"10000x1+0+{menu_bar[1] + px(INPUT_BOX[1])}") + [None, None]
    checks = [
        ("width", [width], [-(-LEAST_WIDTH * program.dpi // 1440)]),
        ("input box", row[0], (px(90), px(90) + px(outer - 2300))),
        ("button column", row[1], (px(outer - 2100), px(outer - 2100) + px(1695))),
        ("button tops", [top - menu_bar[1] for top, _ in buttons],
         [px(top) for top in (345, 843, 1341, 1839, 2340)]),
    ]
    for what, seen, expected in checks:
        if seen is None or len(seen) != len(expected) or any(
                abs(a - b) > 1 for a, b in zip(seen, expected)):
            fail(f"at {program.dpi} dpi the {what}: {seen}, not {expected} (px, within 1)")


def install(folder, program):
    installed = os.path.join(folder, PROGRAM_FOLDER)
    working = os.path.join(folder, WORKING_FOLDER)
    os.makedirs(installed)
    os.makedirs(working)
    shutil.copy(program, installed)
    shutil.copytree(os.path.join(os.path.dirname(program), "translations"),
                    os.path.join(installed, "translations"))
    return os.path.join(installed, os.path.basename(program)), working


def main():
    processes = []
    with tempfile.TemporaryDirectory() as folder:
        prefixes = []
        try:
            start_display(processes)
            start_window_manager(processes)
            exe, working = install(folder, sys.argv[1])

            wine = WinePrefix(os.path.join(folder, "wine-96"))
            prefixes.append(wine)
            code_page = wine.ansi_code_page()
            program = Program(wine, exe, working, 96)
            check_layout(program, folder)
            program.recode_pasted("Привет, мир! Съешь жук.", "npuBeT, mup! CeIIIb }|{yk.")
            print("pasted, recoded with Enter and copied")
            check_settings_window(program, working, code_page)
            check_about_window(program, wine)
            close_with_the_close_box(program)

            program = Program(wine, exe, working, 96)
            program.recode_pasted("Я", "R")
            focused(program.main)
            keys("alt+F4")
            ended(program.process, "Alt+F4 in the main window")
            print("the next start read the saved replacement; Alt+F4 ended it")
            wine.stop()

            wine = WinePrefix(os.path.join(folder, "wine-144"), dpi=144)
            prefixes.append(wine)
            program = Program(wine, exe, working, 144)
            check_layout(program, folder)
            program.recode_pasted("Жук", "}|{yk")
            close_with_the_close_box(program)
            print("at 144 dpi the layout scales")
        finally:
            for wine in prefixes:
                wine.stop()
            stop(processes)


if __name__ == "__main__":
    main()
