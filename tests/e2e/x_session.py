"""A virtual X display for end-to-end tests, and the waiting and key helpers they share.

Every wait polls what it needs until a deadline; nothing waits a fixed time.
"""

import os
import subprocess
import sys
import time

# Only a failing wait runs to its deadline, so it is generous: on a machine whose cores other
# work holds, a fresh Wine prefix has taken over 20 seconds to hand its first window the focus.
DEADLINE_SECONDS = 60


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def wait_for(what, probe, seconds=DEADLINE_SECONDS):
    """Calls probe until it returns something other than None, or fails after `seconds`.

    A probe may also raise while the program is still building what it reads."""
    deadline = time.monotonic() + seconds
    last_error = None
    while True:
        try:
            found = probe()
            if found is not None:
                return found
        except Exception as error:  # reported if the deadline passes
            last_error = error
        if time.monotonic() > deadline:
            fail(f"timed out waiting for {what}" + (f" ({last_error})" if last_error else ""))
        time.sleep(0.1)


def wait_to_equal(what, probe, expected, seconds=DEADLINE_SECONDS):
    """Waits for probe() to return `expected`; fails saying what it returned last."""
    last = []

    def reached():
        last[:] = [probe()]
        return True if last[0] == expected else None

    try:
        wait_for(f"{what} to be {expected!r}", reached, seconds)
    except SystemExit:
        fail(f"{what} stayed {last[0]!r}, not {expected!r}" if last else f"{what}: no answer")


def start_display(processes):
    # Xvfb picks a free display number itself, so tests running side by side never share one.
    # Without -noreset it restarts whenever its last client leaves, refusing connections a moment.
    read_end, write_end = os.pipe()
    processes.append(
        subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-noreset", "-nolisten", "tcp",
             "-screen", "0", "800x600x24"],
            pass_fds=(write_end,),
            stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL,
        )
    )
    os.close(write_end)
    with os.fdopen(read_end) as display_number:
        number = display_number.readline().strip()
    if not number:
        fail("Xvfb did not start")
    os.environ["DISPLAY"] = ":" + number


def start_window_manager(processes):
    """Starts openbox and waits until it manages the display."""
    processes.append(
        subprocess.Popen(["openbox"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    )

    def managed():
        root = output(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"])
        return True if "window id" in root else None

    wait_for("the window manager", managed)


def stop(processes):
    for process in reversed(processes):
        process.terminate()
        try:
            process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            process.kill()


def output(command):
    return subprocess.run(command, capture_output=True, text=True).stdout


def keys(*names):
    subprocess.run(["xdotool", "key", "--clearmodifiers", *names], check=True)


def type_text(text):
    subprocess.run(["xdotool", "type", "--delay", "60", text], check=True)


def window(title):
    """The id of the visible window with this exact title."""
    found = subprocess.run(
        ["xdotool", "search", "--sync", "--onlyvisible", "--name", f"^{title}$"],
        capture_output=True, text=True, timeout=DEADLINE_SECONDS,
    ).stdout.split()
    if not found:
        fail(f"no window titled {title}")
    return found[0]


def clipboard():
    """The clipboard's text, or None while nobody owns it."""
    reply = subprocess.run(
        ["xclip", "-o", "-selection", "clipboard"], capture_output=True, timeout=5
    )
    return reply.stdout.decode() if reply.returncode == 0 else None


def set_clipboard(text):
    # xclip stays in the background to serve the selection until another client takes it.
    subprocess.run(["xclip", "-i", "-selection", "clipboard"], input=text.encode(), check=True)
