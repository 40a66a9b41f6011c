#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A stand-in org.kde.StatusNotifierWatcher for the tray tests.

It keeps the items that register, drops those whose bus name goes away, and
prints one line per event on stdout ("ready", "item NAME", "gone NAME") so a
test can follow it. With --no-host it says that no host shows the items until
a line on stdin gives it one: "host" quietly, "announce" with the
StatusNotifierHostRegistered signal; it answers "host". With --unlisted its
introspection data leaves the properties out, as python-dbus's own does. It
ends when stdin closes.
"""

import argparse
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

NAME = "org.kde.StatusNotifierWatcher"
PATH = "/StatusNotifierWatcher"
PROPERTIES = "org.freedesktop.DBus.Properties"

# python-dbus leaves properties out of its introspection data, and Qt reads
# no property an object does not list: the whole interface is given here.
INTROSPECTION = """<!DOCTYPE node PUBLIC "-//freedesktop//DTD D-BUS Object Introspection 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/introspect.dtd">
<node>
  <interface name="org.kde.StatusNotifierWatcher">
    <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
    <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
    <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
    <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
    <property name="ProtocolVersion" type="i" access="read"/>
    <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
    <signal name="StatusNotifierItemUnregistered"><arg type="s"/></signal>
    <signal name="StatusNotifierHostRegistered"/>
    <signal name="StatusNotifierHostUnregistered"/>
  </interface>
  <interface name="org.freedesktop.DBus.Properties">
    <method name="Get">
      <arg name="interface" type="s" direction="in"/><arg name="name" type="s" direction="in"/>
      <arg name="value" type="v" direction="out"/>
    </method>
    <method name="GetAll">
      <arg name="interface" type="s" direction="in"/>
      <arg name="values" type="a{sv}" direction="out"/>
    </method>
  </interface>
  <interface name="org.freedesktop.DBus.Introspectable">
    <method name="Introspect"><arg name="data" type="s" direction="out"/></method>
  </interface>
</node>
"""


def say(line):
    print(line, flush=True)


class Watcher(dbus.service.Object):
    def __init__(self, bus, host, listed):
        super().__init__(bus, PATH)
        self.bus = bus
        self.host = host
        self.listed = listed
        self.items = []  # the names items registered under, in order
        bus.add_signal_receiver(self.owner_changed, "NameOwnerChanged",
                                "org.freedesktop.DBus", "org.freedesktop.DBus",
                                "/org/freedesktop/DBus")

    def properties(self):
        return {
            "RegisteredStatusNotifierItems": dbus.Array(self.items, signature="s"),
            "IsStatusNotifierHostRegistered": dbus.Boolean(self.host),
            "ProtocolVersion": dbus.Int32(0),
        }

    @dbus.service.method(NAME, in_signature="s", sender_keyword="sender")
    def RegisterStatusNotifierItem(self, service, sender=None):
        # An item may name itself by its object path alone.
        name = sender if service.startswith("/") else service
        if name not in self.items:
            self.items.append(name)
        say("item " + name)
        self.StatusNotifierItemRegistered(name)

    @dbus.service.method(NAME, in_signature="s")
    def RegisterStatusNotifierHost(self, service):
        pass

    @dbus.service.signal(NAME, signature="s")
    def StatusNotifierItemRegistered(self, service):
        pass

    @dbus.service.signal(NAME, signature="s")
    def StatusNotifierItemUnregistered(self, service):
        pass

    @dbus.service.signal(NAME)
    def StatusNotifierHostRegistered(self):
        pass

    def command(self, line):
        if line in ("host", "announce"):
            self.host = True
            if line == "announce":
                self.StatusNotifierHostRegistered()
            say("host")

    @dbus.service.method(PROPERTIES, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        values = self.properties()
        if interface != NAME or name not in values:
            raise dbus.exceptions.DBusException(
                "no property " + name, name="org.freedesktop.DBus.Error.UnknownProperty")
        return values[name]

    @dbus.service.method(PROPERTIES, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        return self.properties() if interface == NAME else {}

    @dbus.service.method("org.freedesktop.DBus.Introspectable", out_signature="s")
    def Introspect(self):
        if self.listed:
            return INTROSPECTION
        return "\n".join(line for line in INTROSPECTION.splitlines() if "<property" not in line)

    def owner_changed(self, name, old, new):
        if new or name not in self.items:
            return
        self.items.remove(name)
        say("gone " + name)
        self.StatusNotifierItemUnregistered(name)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--no-host", action="store_true")
    parser.add_argument("--unlisted", action="store_true")
    args = parser.parse_args()
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    watcher = Watcher(bus, not args.no_host, not args.unlisted)
    if bus.request_name(NAME, dbus.bus.NAME_FLAG_DO_NOT_QUEUE) != \
            dbus.bus.REQUEST_NAME_REPLY_PRIMARY_OWNER:
        sys.exit("the watcher's name is taken")
    say("ready")
    loop = GLib.MainLoop()

    def read(*_):
        line = sys.stdin.readline()
        if not line:  # the test has gone
            loop.quit()
            return False
        watcher.command(line.strip())
        return True

    GLib.io_add_watch(sys.stdin.fileno(), GLib.IO_IN | GLib.IO_HUP, read)
    loop.run()


if __name__ == "__main__":
    main()
