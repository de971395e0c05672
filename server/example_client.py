#!/usr/bin/python3
"""Drives a console of Quorvia Pallant from outside, over the session bus.

    example_client.py COMMAND TEXT [ANSWER]

Opens a console running COMMAND (the bus starts pallant when needed), types TEXT and
Enter, waits until the program answers on a row below the typed line (until a row there
shows ANSWER, when given; at most 10 seconds), prints the screen's text and releases the
objects; the pallant process started for this ends with them. Exit status 1 when no answer
came. Needs python3-dbus and a registered pallant (pallant -RegServer).

The objects belong to this client's bus connection: they live while it holds them and go
when it calls Release() or leaves the bus. So one connection (one process) makes every
call; a new connection per call would find the objects gone.
"""
import sys
import time

import dbus

PREFIX = "QuorviaPallant"
WAIT_SECONDS = 10
ROWS, COLUMNS = 25, 80


def create(bus, class_name):
    """A new object of a class: (proxy, its bus name, its path)."""
    factory = bus.get_object(PREFIX + "." + class_name, "/")
    service, path = factory.CreateInstance(dbus_interface=PREFIX + ".ClassFactory")
    return bus.get_object(service, path), service, path


def screen(console):
    # One row at a time: a rectangle of one row reads without the "/" after each row.
    return [str(console.ReadText(0, row, COLUMNS - 1, row)) for row in range(ROWS)]


def answered(rows, text, answer):
    """Whether a row below the last row holding the typed text shows the answer (any text
    at all when no answer is given)."""
    typed = [i for i, row in enumerate(rows) if text in row]
    if not typed:
        return False
    below = rows[typed[-1] + 1:]
    return any((answer in row) if answer else row for row in below)


def main():
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__)
    command, text = sys.argv[1], sys.argv[2]
    answer = sys.argv[3] if len(sys.argv) == 4 else ""
    bus = dbus.SessionBus()
    app, _, _ = create(bus, "ZEBConsApp")
    service, path = app.OpenConsole(command, dbus_interface=PREFIX + ".IZEBConsApp")
    console = dbus.Interface(bus.get_object(service, path), PREFIX + ".IZEBConsole")
    try:
        console.PutKeys(text)
        console.PutControl("<Enter>")
        deadline = time.monotonic() + WAIT_SECONDS
        rows = screen(console)
        while not answered(rows, text, answer) and time.monotonic() < deadline:
            time.sleep(0.1)  # a client's polling period, as the waiting methods poll
            rows = screen(console)
        while rows and not rows[-1]:
            rows.pop()
        print("\n".join(rows))
        ok = answered(rows, text, answer)
    finally:
        console.Release()
        app.Release(dbus_interface=PREFIX + ".IZEBConsApp")
    if not ok:
        sys.exit("no answer within %d seconds" % WAIT_SECONDS)


if __name__ == "__main__":
    main()
