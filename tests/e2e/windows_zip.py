"""Checks the Windows zip the way a user meets it: unpacked into a folder whose name has
Cyrillic letters and spaces, on a fresh Wine prefix with nothing installed, both programs run.

Usage: windows_zip.py ZIP. Checks that the zip holds what it should and nothing else, that
lettermorph.exe carries its icon and no symbols, that lettermorph-cli.exe recodes a file with a
Cyrillic name there and decodes it back with the dictionary found beside it, and that
lettermorph.exe shows its window with Qt's Russian texts found
beside it, and ends when the window is closed.
"""

import os
import subprocess
import sys
import tempfile
import zipfile

from wine_session import WINE, WinePrefix, ended, shown
from x_session import DEADLINE_SECONDS, fail, output, start_display, start_window_manager, stop

EXPECTED = {
    "lettermorph.exe", "lettermorph-cli.exe", "translations/qtbase_ru.qm", "LICENSE.txt",
    "README.md", "Qt.txt", "Qt-LGPL-3.txt", "Qt-GPL-3.txt", "ru_RU.aff", "ru_RU.dic",
    "ru_RU-LICENSE.txt",
}
FOLDER = "Мои программы/Леттерморф 1.0"


def check_contents(archive, folder):
    names = {name for name in archive.namelist() if not name.endswith("/")}
    if names != EXPECTED:
        fail(f"the zip holds {sorted(names)}, not {sorted(EXPECTED)}")
    archive.extractall(folder)
    for name in ("LICENSE.txt", "Qt.txt", "Qt-LGPL-3.txt", "ru_RU-LICENSE.txt"):
        text = open(os.path.join(folder, name), "rb").read()
        if b"\n" in text.replace(b"\r\n", b""):
            fail(f"{name} has a line end other than CR LF, which Notepad shows as one line")
    resources = output(["x86_64-w64-mingw32-windres", "-J", "coff", "-O", "rc", "-i",
                        os.path.join(folder, "lettermorph.exe")])
    if "RT_GROUP_ICON" not in resources or resources.count("RT_ICON") != 5:
        fail("lettermorph.exe lacks the icon in five sizes that Explorer shows")
    symbols = output(["x86_64-w64-mingw32-nm", os.path.join(folder, "lettermorph.exe")])
    if symbols.strip():
        fail("lettermorph.exe is not stripped")


def main():
    processes = []
    wine = None
    with tempfile.TemporaryDirectory() as scratch:
        try:
            folder = os.path.join(scratch, FOLDER)
            with zipfile.ZipFile(sys.argv[1]) as archive:
                check_contents(archive, folder)
            start_display(processes)
            start_window_manager(processes)
            wine = WinePrefix(os.path.join(scratch, "wine"))

            with open(os.path.join(folder, "письмо.txt"), "w", encoding="utf-8") as letter:
                letter.write("Жук и ёж\n")
            wine.run("lettermorph-cli.exe", "--preset", "design", "-o", "перекодировано.txt",
                     "письмо.txt", cwd=folder)
            result_path = os.path.join(folder, "перекодировано.txt")
            result = open(result_path, "rb").read() if os.path.exists(result_path) else None
            if result != "}|{yk u e}|{\n".encode():
                fail(f"lettermorph-cli.exe from the zip wrote {result!r}")
            print("lettermorph-cli.exe recoded a file in a folder with Cyrillic letters")

            # Without the dictionary beside it, the way back would say that it decodes less
            # accurately.
            decoded = subprocess.run(
                [*WINE, "lettermorph-cli.exe", "--preset", "design", "--decode", "перекодировано.txt"],
                cwd=folder, env=wine.environment(), capture_output=True, text=True,
                timeout=DEADLINE_SECONDS)
            if decoded.stderr or decoded.stdout != "Жук и еж\n":
                fail(f"lettermorph-cli.exe --decode from the zip wrote {decoded.stdout!r} and said "
                     f"{decoded.stderr!r}")
            print("lettermorph-cli.exe decoded with the dictionary beside it")

            program = wine.start(os.path.join(folder, "lettermorph.exe"), folder)
            main_window = shown("Lettermorph")
            output(["wmctrl", "-i", "-c", main_window])
            ended(program, "closing the main window")
            print("lettermorph.exe from the zip showed its window and ended when it was closed")
        finally:
            if wine:
                wine.stop()
            stop(processes)


if __name__ == "__main__":
    main()
