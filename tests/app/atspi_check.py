#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The real qvplayer as a screen reader meets it, through AT-SPI.

Runs under dbus-run-session: it starts a private Xvfb and the accessibility
bus, starts the player (copied into a temporary installation) with Qt's
accessibility on, and reads its main window with pyatspi, the library the Orca
screen reader is built on. Every control that can be seen has a name, the
volume and position bars are the window's two sliders, and setting the
volume slider's value turns the player's volume, as the player's media
controls (MPRIS) report it.

Usage: atspi_check.py QVPLAYER
Exits 0 when all holds, 1 naming what did not, 77 when a tool is missing.
Every wait is bounded.
"""
import ctypes
import importlib.util
import os
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SKIP = 77
LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
CAPTION = "Quorvell Music Player 1.36"


# All the waits of a run together end by then; ctest's limit leaves room to
# end the processes after it.
RUN_LIMIT = time.monotonic() + 45


class Failure(Exception):
    pass


def wait_for(what, condition, seconds=15):
    """Polls condition until it gives a true value, which it returns."""
    deadline = min(time.monotonic() + seconds, RUN_LIMIT)
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure(f"timed out waiting for {what}")
        time.sleep(0.1)


def dies_with_us():
    """Run in a child before it starts: it ends with this script, also when
    ctest kills the script at its time limit (PR_SET_PDEATHSIG)."""
    ctypes.CDLL(None).prctl(1, signal.SIGTERM)


def start_xvfb():
    """A private X server on a display of its own choosing: (process, ":N")."""
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-nolisten", "tcp"],
        pass_fds=[write_end], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
        preexec_fn=dies_with_us)
    os.close(write_end)
    number = b""
    while not number.endswith(b"\n"):
        ready, _, _ = select.select([read_end], [], [], 10)
        chunk = os.read(read_end, 16) if ready else b""
        if not chunk:
            break
        number += chunk
    os.close(read_end)
    if not number.strip():
        xvfb.kill()
        raise Failure("Xvfb did not start")
    return xvfb, ":" + number.decode().strip()


def lay_out(folder, player):
    """A portable installation that starts quietly: no start report, no update check."""
    for sub in ("Playlists", "temp", "updater"):
        os.makedirs(os.path.join(folder, sub))
    with open(os.path.join(folder, "Playlists", "playlists.ini"), "wb"):
        pass
    with open(os.path.join(folder, "updater", "version.ini"), "wb") as f:
        f.write(b"1.36\r\n")
    with open(os.path.join(folder, "settings.ini"), "wb") as f:
        f.write(b"[General]\r\nReportstarts=0\r\nCeckforupdates=0\r\n")
    exe = os.path.join(folder, "qvplayer")
    shutil.copy2(player, exe)
    return exe


def controls(node, pyatspi, found):
    """Every node that can be seen, depth first, as (node, role)."""
    if not node.getState().contains(pyatspi.STATE_SHOWING):
        return found
    found.append((node, node.getRole()))
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            controls(child, pyatspi, found)
    return found


def check(pyatspi, dbus):
    desktop = pyatspi.Registry.getDesktop(0)

    def main_window():
        for app in desktop:
            for window in app or []:
                if window is not None and window.name == CAPTION:
                    return window
        return None

    window = wait_for("the player's window on the accessibility bus", main_window)
    wait_for("the window to show", lambda: window.getState().contains(pyatspi.STATE_SHOWING))

    interactive = {
        pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON, pyatspi.ROLE_CHECK_BOX,
        pyatspi.ROLE_RADIO_BUTTON, pyatspi.ROLE_COMBO_BOX, pyatspi.ROLE_TEXT,
        pyatspi.ROLE_ENTRY, pyatspi.ROLE_LIST, pyatspi.ROLE_SLIDER, pyatspi.ROLE_SPIN_BUTTON,
        pyatspi.ROLE_LINK, pyatspi.ROLE_PROGRESS_BAR, pyatspi.ROLE_MENU_ITEM, pyatspi.ROLE_MENU,
    }
    seen = controls(window, pyatspi, [])
    unnamed = [f"{node.getRoleName()} in {node.parent.name!r}" for node, role in seen
               if role in interactive and not node.name.strip()]
    if unnamed:
        raise Failure("controls without a name: " + ", ".join(unnamed))
    names = {node.name for node, role in seen if role in interactive}
    for wanted in ("Volume up", "Volume down", "Hide playlist", "Search results",
                   "Start from Page", "Search progress", "Play", "Halvane Entertainment"):
        if wanted not in names:
            raise Failure(f"no control named {wanted!r}; named: {sorted(names)}")

    sliders = {node.name: node for node, role in seen if role == pyatspi.ROLE_SLIDER}
    if sorted(sliders) != ["Position", "Volume"]:
        raise Failure(f"the sliders are {sorted(sliders)}, not Position and Volume")
    for slider in sliders.values():
        if not slider.getState().contains(pyatspi.STATE_FOCUSABLE):
            raise Failure(f"the {slider.name} slider cannot take the keyboard focus")
    volume = sliders["Volume"].queryValue()
    position = sliders["Position"].queryValue()
    if (volume.minimumValue, volume.currentValue, volume.maximumValue) != (0, 50, 100):
        raise Failure(f"the volume slider reads {volume.minimumValue}, {volume.currentValue},"
                      f" {volume.maximumValue}, not 0, 50, 100")
    if sliders["Position"].description != "0:00 of 0:00":
        raise Failure(f"the position reads {sliders['Position'].description!r}")

    bus = dbus.SessionBus()
    service = "org.mpris.MediaPlayer2.qvplayer"
    wait_for("the player's media controls", lambda: bus.name_has_owner(service))
    mpris = bus.get_object(service, "/org/mpris/MediaPlayer2")

    def player_volume():
        return mpris.Get("org.mpris.MediaPlayer2.Player", "Volume",
                         dbus_interface="org.freedesktop.DBus.Properties", timeout=5)

    if abs(player_volume() - 0.5) > 1e-9:
        raise Failure(f"the player's volume is {player_volume()} at start, not 0.5")
    volume.currentValue = 30.0
    wait_for("the volume slider at 30", lambda: volume.currentValue == 30)
    wait_for("the player's volume at 0.3", lambda: abs(player_volume() - 0.3) < 1e-9)
    # Nothing has played: as a press on the bar, setting the position does nothing.
    position.currentValue = 40.0
    if position.currentValue != 0:
        raise Failure(f"the position moved to {position.currentValue} with nothing played")
    print(f"atspi: {len(names)} named controls, sliders {sorted(sliders)},"
          " volume set to 30 through the Value interface")


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    missing = [m for m in ("dbus", "pyatspi") if importlib.util.find_spec(m) is None]
    if missing:
        print(f"skipped: no module {', '.join(missing)} (Debian: python3-pyatspi, python3-dbus)")
        return SKIP
    if not (os.access(LAUNCHER, os.X_OK) and shutil.which("Xvfb")
            and os.environ.get("DBUS_SESSION_BUS_ADDRESS")):
        print("skipped: needs at-spi2-core, Xvfb and a session bus (dbus-run-session)")
        return SKIP
    import dbus

    processes = []
    folder = tempfile.mkdtemp(prefix="qv-atspi-")
    try:
        xvfb, display = start_xvfb()
        processes.append(xvfb)
        # The accessibility bus's socket goes to a folder of this run's own:
        # in the usual one it would meet another test's.
        runtime = os.path.join(folder, "runtime")
        os.mkdir(runtime, 0o700)
        os.environ["XDG_RUNTIME_DIR"] = runtime
        processes.append(subprocess.Popen([LAUNCHER, "--launch-immediately"],
                                          preexec_fn=dies_with_us))
        session = dbus.SessionBus()
        wait_for("the accessibility bus", lambda: session.name_has_owner("org.a11y.Bus"))
        # pyatspi finds the accessibility bus when it is imported.
        import pyatspi

        installation = os.path.join(folder, "installation")
        exe = lay_out(installation, sys.argv[1])
        env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb",
                   QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", XDG_SESSION_TYPE="x11",
                   WAYLAND_DISPLAY="")
        player = subprocess.Popen([exe], cwd=installation, env=env, preexec_fn=dies_with_us)
        processes.append(player)
        check(pyatspi, dbus)
        if player.poll() is not None:
            raise Failure(f"the player ended with status {player.returncode}")
        return 0
    except Failure as e:
        print(f"FAIL: {e}")
        return 1
    finally:
        for process in reversed(processes):
            if process.poll() is None:
                process.send_signal(signal.SIGTERM)
            try:
                process.wait(5)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait(5)
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
