"""Minimises the settings and the about window through the window manager, as its title bar's
button would, and brings each back with its command from the main window, pressed with real
keys: the "Настройки" button, the Файл menu's item and the Помощь menu's item. Each time the
window must be shown again (WM_STATE Normal) and stand in front of the others.
"""

import subprocess
import sys
import tempfile

from x_session import (keys, output, start_display, start_window_manager, stop,
                       wait_to_equal, window)


def state(window_id):
    """The window's ICCCM state: Normal, Iconic or Withdrawn."""
    reply = output(["xprop", "-id", window_id, "WM_STATE"])
    return reply.split("window state:")[1].split()[0] if "window state:" in reply else None


def frontmost():
    """The id of the managed window on top of the others, as the window manager stacks them."""
    stacking = output(["xprop", "-root", "_NET_CLIENT_LIST_STACKING"])
    return int(stacking.split(",")[-1].split()[-1], 16) if "#" in stacking else None


def wait_until(window_id, what, probe, expected):
    wait_to_equal(f"{what} of window {window_id}", probe, expected)


def minimise(window_id):
    subprocess.run(["xdotool", "windowminimize", "--sync", window_id], check=True)
    wait_until(window_id, "the state", lambda: state(window_id), "Iconic")


def brought_back(window_id, main_window, command, name):
    """Minimises the window, runs `command` with the main window active, and waits until the
    window is shown and in front."""
    minimise(window_id)
    subprocess.run(["xdotool", "windowactivate", "--sync", main_window], check=True)
    command()
    wait_until(window_id, "the state", lambda: state(window_id), "Normal")
    wait_until(window_id, "the top of the stack", frontmost, int(window_id))
    print(f"minimised, then back in front: the {name}")


def main():
    program = sys.argv[1]
    processes = []
    try:
        start_display(processes)
        start_window_manager(processes)
        with tempfile.TemporaryDirectory() as folder:
            processes.append(subprocess.Popen([program], cwd=folder))
            main_window = window("Lettermorph")
            subprocess.run(["xdotool", "windowactivate", "--sync", main_window], check=True)

            # From the input box, Tab reaches txtOut and then the "Настройки" button, which
            # keeps the focus while the main window is inactive.
            keys("Tab", "Tab", "Return")
            settings = window("Настройки")
            brought_back(settings, main_window, lambda: keys("Return"),
                         "settings window, by its button")
            # Alt enters the menu bar at Файл; Down opens it at its first item, Настройки.
            brought_back(settings, main_window, lambda: keys("alt", "Down", "Return"),
                         "settings window, by the menu")

            about_command = lambda: keys("alt", "Right", "Down", "Return")  # Помощь, О программе
            subprocess.run(["xdotool", "windowactivate", "--sync", main_window], check=True)
            about_command()
            about = window("О программе")
            brought_back(about, main_window, about_command, "about window")
    finally:
        stop(processes)


if __name__ == "__main__":
    main()
