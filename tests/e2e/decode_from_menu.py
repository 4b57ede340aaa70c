"""Reads look-alike text back as Russian from the main window's menu, with real keys under a
window manager: Alt opens the menu bar, the second item of "Файл" decodes the input box into
the output box, and the Copy button puts the result on the clipboard. The index of words is
cached in the test's own folder, never the user's.
"""

import os
import subprocess
import sys
import tempfile

from x_session import (clipboard, fail, keys, set_clipboard, start_display,
                       start_window_manager, stop, wait_to_equal, window)


def main():
    program = sys.argv[1]
    processes = []
    try:
        start_display(processes)
        start_window_manager(processes)
        with tempfile.TemporaryDirectory() as folder:
            environment = dict(os.environ, XDG_CACHE_HOME=os.path.join(folder, "cache"))
            processes.append(subprocess.Popen([program], cwd=folder, env=environment))
            main_window = window("Lettermorph")
            subprocess.run(["xdotool", "windowactivate", "--sync", main_window], check=True)

            set_clipboard("}|{yk")
            keys("ctrl+a", "ctrl+v")
            # Alt enters the menu bar at Файл; Down opens it at Настройки, the next is Decode.
            keys("alt", "Down", "Down", "Return")
            # From the input box, Tab goes to txtOut, Настройки, Очистить, then Copy.
            keys("Tab", "Tab", "Tab", "Tab", "Return")
            # The first use builds the index from the whole dictionary, which takes a minute or
            # more in a build with the sanitizers.
            wait_to_equal("the clipboard", clipboard, "Жук", seconds=180)
            if not os.listdir(os.path.join(folder, "cache", "lettermorph")):
                fail("the index of words was not cached in XDG_CACHE_HOME")
            print("the menu's Decode reads the input box back as Russian")
    finally:
        stop(processes)


if __name__ == "__main__":
    main()
