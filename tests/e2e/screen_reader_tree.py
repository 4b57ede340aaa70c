"""Reads the real program through the AT-SPI accessibility bus, the way a screen reader does.

Run inside `dbus-run-session`. Starts a virtual X display, the accessibility bus and the
program; walks the main window's controls; opens the settings window with real keys and
walks its 66 fields; saves to see a message box; opens the about window. Prints each tree it
reads and fails on the first difference from what a reader should hear.
"""

import os
import subprocess
import sys
import tempfile

from x_session import DEADLINE_SECONDS, fail, start_display, wait_for

# The settings window's fields in Tab order, each read as its letter.
SETTINGS_TAB_ORDER = (
    "ЯЮЭЬЫЪЩШЧЦХФУТСРПО"  # slots 32 down to 15
    "МЛКЙИ"  # 13 down to 9
    "ийклм"  # 42 to 46
    "опрстуфхцчшщъыьэюя"  # 48 to 65
    "зжёед"  # 41 down to 37
    "вба"  # 35 down to 33
    "АБВ"  # 0 to 2
    "ДЕЁЖЗ"  # 4 to 8
    "ГгнН"  # 3, 36, 47 and 14
)

MAIN_WINDOW = [
    ("label", "Исходное слово", ""),
    ("text", "Исходное слово", ""),
    ("label", "Результат перекодировки", ""),
    ("text", "Результат перекодировки", ""),
    ("push button", "Настройки", ""),
    ("push button", "Очистить", ""),
    ("push button", "Копировать в буфер", ""),
    ("push button", "Перекодировать", ""),
    ("push button", "Вставить из буфера", ""),
]

SETTINGS_WINDOW = (
    [("label", "Буквы и то, чем их заменять", "")]
    + [("separator", "", "")] * 4
    + [
        row
        for letter in SETTINGS_TAB_ORDER
        for row in (("label", letter, ""), ("text", letter, "Замена буквы " + letter))
    ]
    + [
        ("push button", "Сохранить", ""),
        ("push button", "Закрыть", ""),
        ("push button", "Сбросить", ""),
    ]
)

WINDOW_ROLES = ("frame", "dialog", "window")


def start_accessibility_bus(processes):
    processes.append(
        subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"])
    )

    def bus_is_up():
        reply = subprocess.run(
            [
                "dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus",
                "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner",
                "string:org.a11y.Bus",
            ],
            capture_output=True,
            text=True,
        )
        return True if "boolean true" in reply.stdout else None

    wait_for("the accessibility bus", bus_is_up)


def describe(node):
    return (node.getRoleName(), node.name, node.description)


def print_tree(node, depth=0):
    role, name, description = describe(node)
    line = "  " * depth + f"{role} '{name}'"
    print(line + (f" ({description})" if description else ""))
    for child in node:
        if child is not None:
            print_tree(child, depth + 1)


def children(node):
    return [describe(child) for child in node if child is not None]


def main():
    program = os.path.realpath(sys.argv[1])
    processes = []
    try:
        start_display(processes)
        start_accessibility_bus(processes)
        # pyatspi looks for the accessibility bus as it is loaded.
        import pyatspi

        def window(roles, title, ready=lambda found: True):
            desktop = pyatspi.Registry.getDesktop(0)
            desktop.clearCache()
            for app in desktop:
                if app is None or app.name != "lettermorph":
                    continue
                app.clearCache()
                for child in app:
                    if child.getRoleName() in roles and child.name == title and ready(child):
                        return child
            return None

        def focus_in(name):
            def has_it(found):
                box = pyatspi.findDescendant(
                    found, lambda node: node.getRoleName() == "text" and node.name == name
                )
                return box.getState().contains(pyatspi.STATE_FOCUSED)

            return has_it

        def keys(*names):
            subprocess.run(["xdotool", "key", "--clearmodifiers", *names], check=True)

        work = tempfile.TemporaryDirectory()  # no settings.ini: the built-in set; Save writes one
        processes.append(
            subprocess.Popen(
                [program], cwd=work.name, env=dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
            )
        )

        # With no window manager on the display, the main window is given the focus by hand.
        window_id = subprocess.run(
            ["xdotool", "search", "--sync", "--onlyvisible", "--name", "^Lettermorph$"],
            capture_output=True, text=True, check=True, timeout=DEADLINE_SECONDS,
        ).stdout.split()[0]
        subprocess.run(["xdotool", "windowfocus", "--sync", window_id], check=True)
        main_window = wait_for(
            "the main window with the focus in its input box",
            lambda: window(("frame",), "Lettermorph", focus_in("Исходное слово")),
        )
        print_tree(main_window)
        if children(main_window[0]) != MAIN_WINDOW:
            fail(f"the main window reads {children(main_window[0])}")

        # From the input box, Tab reaches txtOut and then the Settings button.
        keys("Tab", "Tab", "space")
        settings = wait_for(
            "the settings window with its first field focused",
            lambda: window(WINDOW_ROLES, "Настройки", focus_in("Я")),
        )
        print_tree(settings)
        if children(settings) != SETTINGS_WINDOW:
            fail(f"the settings window reads {children(settings)}")

        # Shift+Tab from the first field goes back through the three buttons to Save.
        keys("shift+Tab", "shift+Tab", "shift+Tab", "space")
        box = wait_for(
            "the message box after saving",
            lambda: window(("dialog",), "Настройки сохранены"),
        )
        print_tree(box)
        if ("label", "Настройки программы сохранены", "") not in children(box):
            fail(f"the message box reads {children(box)}")
        keys("Return")
        wait_for(
            "the message box to close",
            lambda: True if window(("alert", "dialog"), "Настройки сохранены") is None else None,
        )

        # The about window has no key of its own; a reader opens it with the menu item's action.
        about_item = pyatspi.findDescendant(
            main_window,
            lambda node: node.getRoleName() == "menu item" and node.name == "О программе",
        )
        about_item.queryAction().doAction(0)
        about = wait_for("the about window", lambda: window(WINDOW_ROLES, "О программе"))
        print_tree(about)
        site = describe(about[about.childCount - 1])
        if site[0] != "push button" or site[2] != "Открывает сайт программы в браузере":
            fail(f"the about window's button reads {site}")
    finally:
        for process in reversed(processes):
            process.terminate()
            process.wait()


if __name__ == "__main__":
    main()
