"""Windows programs under Wine on the virtual X display of x_session, for end-to-end tests.

Each test makes a Wine prefix of its own. Its fonts are Wine's versions of two that Windows has,
the outline Tahoma and the bitmap "MS Sans Serif"; the build machine's own are kept from Wine
with an empty fontconfig file, so that the windows look the same on every machine. The shell's
web browser is a script that writes down each address it is asked to open.
"""

import os
import shutil
import subprocess

from x_session import DEADLINE_SECONDS, fail, output, wait_for


# Through a script that turns address space layout randomisation off, which Wine needs here.
WINE = [os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "cmake",
                     "without-aslr"), "/usr/lib/wine/wine64"]
WINESERVER = "/usr/lib/wine/wineserver"
WINE_FONTS = "/usr/share/wine/fonts"
FONT_FILES = ("tahoma.ttf", "tahomabd.ttf", "sserife.fon", "ms_sans_serif.ttf")


class WinePrefix:
    def __init__(self, folder, dpi=96):
        self.folder = folder
        os.makedirs(folder)
        self.opened_addresses = os.path.join(folder, "opened addresses.txt")
        fontconfig = os.path.join(folder, "no-fonts.conf")
        with open(fontconfig, "w") as file:
            file.write(f"<fontconfig><cachedir>{folder}/fontconfig</cachedir></fontconfig>\n")
        self.variables = {
            "WINEPREFIX": os.path.join(folder, "prefix"),
            "WINEDEBUG": "-all",
            "WINEDLLOVERRIDES": "mscoree,mshtml=",
            "FONTCONFIG_FILE": fontconfig,
        }
        # The prefix's server and Wine's services, its desktop among them, stay up until
        # stop(), their output going nowhere: started by a program later, they would hold that
        # program's output open. So the desktop is started on the display the tests use.
        os.makedirs(self.variables["WINEPREFIX"])
        subprocess.run([WINESERVER, "-p"], env=self.environment(), check=True)
        subprocess.run([*WINE, "wineboot", "--init"], env=self.environment(), check=True,
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        fonts = os.path.join(self.variables["WINEPREFIX"], "drive_c", "windows", "Fonts")
        for name in FONT_FILES:
            shutil.copy(os.path.join(WINE_FONTS, name), fonts)
        # Wine's shell splits the browser's path at spaces, so the folder must have none.
        browser = os.path.join(folder, "browser")
        with open(browser, "w") as file:
            file.write(f'#!/bin/sh\nprintf "%s\\n" "$@" >>"{self.opened_addresses}"\n')
        os.chmod(browser, 0o755)
        self.registry(r"HKCU\Software\Wine\WineBrowser", "Browsers", "REG_SZ", browser)
        self.registry(r"HKCU\Control Panel\Desktop", "LogPixels", "REG_DWORD", str(dpi))

    def environment(self):
        return dict(os.environ, **self.variables)

    def registry(self, key, name, kind, value):
        subprocess.run([*WINE, "reg", "add", key, "/v", name, "/t", kind, "/d", value, "/f"],
                       env=self.environment(), check=True, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)

    def run(self, *command, cwd=None):
        """Runs a Windows console program to its end; returns its output."""
        return subprocess.run([*WINE, *command], cwd=cwd, env=self.environment(),
                              capture_output=True, text=True, timeout=DEADLINE_SECONDS).stdout

    def start(self, program, cwd):
        return subprocess.Popen([*WINE, program], cwd=cwd, env=self.environment(),
                                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)

    def ansi_code_page(self):
        """The code page Wine gives Windows programs, from the locale it runs in."""
        reply = self.run("reg", "query", r"HKLM\System\CurrentControlSet\Control\Nls\CodePage",
                         "/v", "ACP")
        return int(reply.split("REG_SZ")[1].split()[0])

    def stop(self):
        subprocess.run([WINESERVER, "-k"], env=self.environment(), stderr=subprocess.DEVNULL)


def ended(process, what):
    """Waits for a program to end; fails if it does not, or ends with a status other than 0."""
    try:
        status = process.wait(timeout=DEADLINE_SECONDS)
    except subprocess.TimeoutExpired:
        fail(f"{what}: the program is still running")
    if status != 0:
        fail(f"{what}: the program ended with status {status}")


def shown(title):
    """Waits for a visible window with this exact title and returns its id. Polls, as a single
    waiting search can end empty-handed when another window goes while it looks."""
    return wait_for(f"the window {title!r}",
                    lambda: (output(["xdotool", "search", "--onlyvisible", "--name", f"^{title}$"])
                             .split() or [None])[0])


def visible(title):
    """Whether a window with this exact title is shown."""
    return bool(output(["xdotool", "search", "--onlyvisible", "--name", f"^{title}$"]).split())


def gone(title):
    wait_for(f"the window {title!r} to go", lambda: None if visible(title) else True)
