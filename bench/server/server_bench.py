#!/usr/bin/python3
"""Round trips to the automation server beside pings of the same bus.

Run through server_bench.sh, which gives it a session bus of its own with pallant
registered. Prints the IsProcessActive round trip beside a ping of the bus daemon, the time
from a first call on an unstarted name to a usable console object beside the same ping,
and last `ratio <IsProcessActive round trip / ping round trip>`.
"""
import statistics
import sys
import time

import dbus

CALLS = int(sys.argv[1]) if len(sys.argv) > 1 else 2000
bus = dbus.SessionBus()
daemon = bus.get_object("org.freedesktop.DBus", "/org/freedesktop/DBus")


def per_call(function, n):
    samples = []
    for _ in range(n):
        start = time.perf_counter()
        function()
        samples.append(time.perf_counter() - start)
    return statistics.median(samples) * 1e6, statistics.mean(samples) * 1e6


def ping():
    daemon.Ping(dbus_interface="org.freedesktop.DBus.Peer")


def usable_console():
    start = time.perf_counter()
    service, path = bus.get_object("QuorviaPallant.ZEBConsole", "/").CreateInstance(
        dbus_interface="QuorviaPallant.ClassFactory")
    console = dbus.Interface(bus.get_object(service, path), "QuorviaPallant.IZEBConsole")
    console.IsProcessActive()
    return time.perf_counter() - start, console


startups = []
for _ in range(3):
    elapsed, console = usable_console()
    startups.append(elapsed * 1e3)
    if len(startups) < 3:
        console.Release()
ping_med, ping_mean = per_call(ping, CALLS)
active_med, active_mean = per_call(console.IsProcessActive, CALLS)
console.Release()

print("bus ping round trip:            median %8.1f us  mean %8.1f us" % (ping_med, ping_mean))
print("IsProcessActive round trip:     median %8.1f us  mean %8.1f us" % (active_med, active_mean))
print("first call to usable object:    median %8.1f ms  (runs: %s ms)"
      % (statistics.median(startups), ", ".join("%.0f" % s for s in startups)))
print("  ... in bus pings:             %8.0f" % (statistics.median(startups) * 1e3 / ping_med))
print("ratio %.2f" % (active_med / ping_med))
