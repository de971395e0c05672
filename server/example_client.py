#!/usr/bin/python3
"""Drives a console of Quorvia Pallant from outside, over the session bus.

    example_client.py COMMAND TEXT

Opens a console running COMMAND (the bus starts pallant when needed), types TEXT and
Enter, waits a moment, prints the screen's text and releases the objects; the pallant
process started for this ends with them. Needs python3-dbus and a registered pallant
(pallant -RegServer).
"""
import sys

import dbus

PREFIX = "QuorviaPallant"


def create(bus, class_name):
    """A new object of a class: (proxy, its bus name, its path)."""
    factory = bus.get_object(PREFIX + "." + class_name, "/")
    service, path = factory.CreateInstance(dbus_interface=PREFIX + ".ClassFactory")
    return bus.get_object(service, path), service, path


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    command, text = sys.argv[1], sys.argv[2]
    bus = dbus.SessionBus()
    app, _, _ = create(bus, "ZEBConsApp")
    service, path = app.OpenConsole(command, dbus_interface=PREFIX + ".IZEBConsApp")
    console = dbus.Interface(bus.get_object(service, path), PREFIX + ".IZEBConsole")
    console.PutKeys(text)
    console.PutControl("<Enter>")
    console.Pause(1)
    for row in range(25):  # one row at a time: a row of its own reads without separator
        line = console.ReadText(0, row, 79, row)
        if line:
            print(line)
    console.Release()
    app.Release(dbus_interface=PREFIX + ".IZEBConsApp")


if __name__ == "__main__":
    main()
