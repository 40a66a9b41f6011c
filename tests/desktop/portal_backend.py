#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A stand-in desktop behind the real xdg-desktop-portal frontend.

It implements org.freedesktop.impl.portal.GlobalShortcuts, as a desktop's own
portal backend does, and a control interface for the tests:
org.qvtest.Backend at /org/qvtest/Backend on the same connection.

    portal_backend.py BUS_NAME

BUS_NAME is the name the frontend looks for (the DBusName= of the .portal
file). The backend prints "ready" on stdout once it owns its names.
"""

import json
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

IMPL = "org.freedesktop.impl.portal.GlobalShortcuts"
SESSION = "org.freedesktop.impl.portal.Session"
CONTROL = "org.qvtest.Backend"
PATH = "/org/freedesktop/portal/desktop"


class Session(dbus.service.Object):
    """The backend's side of one session; the frontend closes it through here."""

    def __init__(self, backend, bus, path):
        super().__init__(bus, path)
        self.backend = backend
        self.path = path

    @dbus.service.method(SESSION, in_signature="", out_signature="")
    def Close(self):
        self.backend.calls.append({"call": "CloseSession", "session": self.path})
        self.backend.sessions.pop(self.path, None)
        self.remove_from_connection()


class Backend(dbus.service.Object):
    def __init__(self, bus):
        super().__init__(bus, PATH)
        self.bus = bus
        self.calls = []
        self.sessions = {}  # session path -> {shortcut id: (description, trigger)}
        self.response = 0  # the answer to the next BindShortcuts
        self.rebind_response = 0  # the answer to a BindShortcuts on a bound session
        self.keep_triggers = False  # keep a trigger once given, as a desktop may

    # --- the portal backend ---------------------------------------------------

    @dbus.service.method(IMPL, in_signature="oosa{sv}", out_signature="ua{sv}")
    def CreateSession(self, handle, session_handle, app_id, options):
        self.calls.append({"call": "CreateSession", "session": str(session_handle),
                           "app_id": str(app_id)})
        self.sessions[str(session_handle)] = None
        Session(self, self.bus, str(session_handle))
        return dbus.UInt32(0), dbus.Dictionary({}, signature="sv")

    @dbus.service.method(IMPL, in_signature="ooa(sa{sv})sa{sv}", out_signature="ua{sv}")
    def BindShortcuts(self, handle, session_handle, shortcuts, parent_window, options):
        session = str(session_handle)
        given = [{"id": str(sid),
                  "description": str(props.get("description", "")),
                  "preferred_trigger": str(props.get("preferred_trigger", ""))}
                 for sid, props in shortcuts]
        self.calls.append({"call": "BindShortcuts", "session": session, "shortcuts": given})
        if session not in self.sessions:
            return dbus.UInt32(2), dbus.Dictionary({}, signature="sv")
        rebind = self.sessions[session] is not None
        response = self.rebind_response if rebind else self.response
        if response != 0:
            return dbus.UInt32(response), dbus.Dictionary({}, signature="sv")
        before = self.sessions[session] or {}
        bound = {}
        for s in given:
            trigger = s["preferred_trigger"]
            if self.keep_triggers and s["id"] in before:
                trigger = before[s["id"]][1]
            bound[s["id"]] = (s["description"], trigger)
        self.sessions[session] = bound
        return dbus.UInt32(0), dbus.Dictionary({"shortcuts": self.described(bound)},
                                               signature="sv")

    @dbus.service.method(IMPL, in_signature="oo", out_signature="ua{sv}")
    def ListShortcuts(self, handle, session_handle):
        session = str(session_handle)
        self.calls.append({"call": "ListShortcuts", "session": session})
        bound = self.sessions.get(session) or {}
        return dbus.UInt32(0), dbus.Dictionary({"shortcuts": self.described(bound)},
                                               signature="sv")

    @staticmethod
    def described(bound):
        return dbus.Array(
            [dbus.Struct((sid, dbus.Dictionary({"description": d, "trigger_description": t},
                                               signature="sv")))
             for sid, (d, t) in bound.items()],
            signature="(sa{sv})")

    @dbus.service.signal(IMPL, signature="osta{sv}")
    def Activated(self, session_handle, shortcut_id, timestamp, options):
        pass

    @dbus.service.signal(IMPL, signature="osta{sv}")
    def Deactivated(self, session_handle, shortcut_id, timestamp, options):
        pass

    @dbus.service.signal(IMPL, signature="oa(sa{sv})")
    def ShortcutsChanged(self, session_handle, shortcuts):
        pass

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        if interface == IMPL and name == "version":
            return dbus.UInt32(1)
        raise dbus.exceptions.DBusException("no such property",
                                            name="org.freedesktop.DBus.Error.UnknownProperty")

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        if interface == IMPL:
            return dbus.Dictionary({"version": dbus.UInt32(1)}, signature="sv")
        return dbus.Dictionary({}, signature="sv")


class Control(dbus.service.Object):
    """What the tests drive and read."""

    def __init__(self, bus, backend):
        super().__init__(bus, "/org/qvtest/Backend")
        self.backend = backend

    @dbus.service.method(CONTROL, in_signature="", out_signature="s")
    def Calls(self):
        return json.dumps(self.backend.calls)

    @dbus.service.method(CONTROL, in_signature="uu", out_signature="")
    def SetResponses(self, first, rebind):
        self.backend.response = int(first)
        self.backend.rebind_response = int(rebind)

    @dbus.service.method(CONTROL, in_signature="b", out_signature="")
    def KeepTriggers(self, keep):
        self.backend.keep_triggers = bool(keep)

    # Presses a shortcut of every bound session, as the desktop does on its trigger.
    @dbus.service.method(CONTROL, in_signature="ss", out_signature="u")
    def Press(self, shortcut_id, token):
        options = dbus.Dictionary({}, signature="sv")
        if token:
            options["activation_token"] = dbus.String(token)
        pressed = 0
        for session, bound in list(self.backend.sessions.items()):
            if bound and shortcut_id in bound:
                self.backend.Activated(dbus.ObjectPath(session), shortcut_id,
                                       dbus.UInt64(0), options)
                self.backend.Deactivated(dbus.ObjectPath(session), shortcut_id,
                                         dbus.UInt64(0), options)
                pressed += 1
        return dbus.UInt32(pressed)

    # The user changed a trigger in the desktop's own settings.
    @dbus.service.method(CONTROL, in_signature="ss", out_signature="")
    def ChangeTrigger(self, shortcut_id, trigger):
        for session, bound in list(self.backend.sessions.items()):
            if bound and shortcut_id in bound:
                bound[shortcut_id] = (bound[shortcut_id][0], str(trigger))
                self.backend.ShortcutsChanged(dbus.ObjectPath(session),
                                              Backend.described(bound))


def main():
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    backend = Backend(bus)
    control = Control(bus, backend)
    names = [dbus.service.BusName(sys.argv[1], bus, do_not_queue=True),
             dbus.service.BusName(CONTROL, bus, do_not_queue=True)]
    print("ready", flush=True)
    loop = GLib.MainLoop()
    # The test ends the backend by closing its standard input.
    GLib.io_add_watch(sys.stdin.fileno(), GLib.IO_HUP | GLib.IO_IN,
                      lambda *_: (loop.quit(), False)[1])
    loop.run()
    del names, control


if __name__ == "__main__":
    main()
