#!/usr/bin/python3
"""Clients of the automation server on the session bus this run started."""
import os
import select
import signal
import subprocess
import sys
import time

import dbus

PREFIX = "QuorviaPallant"
CONSOLE = PREFIX + ".IZEBConsole"
APP = PREFIX + ".IZEBConsApp"
bus = dbus.SessionBus()
daemon = dbus.Interface(bus.get_object("org.freedesktop.DBus", "/org/freedesktop/DBus"), "org.freedesktop.DBus")
failures = []


T0 = time.monotonic()


def check(condition, what):
    print("%6.1f " % (time.monotonic() - T0), end="")
    print(("PASS " if condition else "FAIL ") + what, flush=True)
    if not condition:
        failures.append(what)


def create(class_name, connection=bus):
    factory = connection.get_object(PREFIX + "." + class_name, "/")
    return factory.CreateInstance(dbus_interface=PREFIX + ".ClassFactory")


def console_at(service, path):
    return dbus.Interface(bus.get_object(service, path), CONSOLE)


def pid_of(service):
    return int(daemon.GetConnectionUnixProcessID(service))


def alive(pid):
    try:
        with open("/proc/%d/stat" % pid) as f:
            return f.read().split()[2] != "Z"
    except OSError:
        return False


def ends_within(pid, seconds):
    """Waits for the process's end (not polled: a pidfd becomes readable when it exits)."""
    try:
        fd = os.pidfd_open(pid)
    except ProcessLookupError:
        return True
    except OSError:
        # No pidfd here (an old kernel or a filter): looked at every 50 ms instead.
        deadline = time.monotonic() + seconds
        while alive(pid) and time.monotonic() < deadline:
            time.sleep(0.05)
        return not alive(pid)
    try:
        return bool(select.select([fd], [], [], seconds)[0]) or not alive(pid)
    finally:
        os.close(fd)


def screen_of(console):
    return [str(console.ReadText(0, row, 79, row)) for row in range(25)]


def type_and_find(console, text, expected):
    """Types a line, then finds the expected output on the screen: (column, row) or None."""
    console.PutKeys(text)
    console.PutControl("<Enter>")
    deadline = time.monotonic() + 60
    while time.monotonic() < deadline:
        for row, line in enumerate(screen_of(console)):
            column = line.find(expected)
            if column >= 0 and not line.startswith(text[:3]) and text not in line:
                return column, row
        time.sleep(0.1)
    return None


def test_open_console():
    service, path = create("ZEBConsApp")
    pid = pid_of(service)
    with open("/proc/%d/cmdline" % pid, "rb") as f:
        args = f.read().split(b"\0")
    check(args[1:2] == [b"-Embedding"], "the bus starts the program with -Embedding")
    app = dbus.Interface(bus.get_object(service, path), APP)
    cservice, cpath = app.OpenConsole("bash --norc --noprofile")
    check(cpath.startswith("/QuorviaPallant/ZEBConsole/"), "OpenConsole returns a console object")
    console = console_at(cservice, cpath)
    found = type_and_find(console, "echo hello$((6*7))", "hello42")
    check(found is not None, "a typed line's output is read back")
    if found:
        column, row = found
        check(bool(console.CheckString(column, row, "hello42")), "CheckString finds it")
        check(not console.CheckString(column, row, "hello43"), "CheckString refuses other text")
    check(bool(console.IsProcessActive()), "the program runs")
    console.Release()
    check(alive(pid), "the process lives while the application object is held")
    app.Release()
    check(ends_within(pid, 30), "the process ends when its last object is released")


def test_single_use():
    first = create("ZEBConsApp")
    other = dbus.bus.BusConnection(os.environ["DBUS_SESSION_BUS_ADDRESS"])
    second = create("ZEBConsApp", other)
    pids = pid_of(first[0]), pid_of(second[0])
    check(pids[0] != pids[1], "a second client while the first holds its object gets a new process")
    other.close()
    check(ends_within(pids[1], 30), "a client leaving the bus releases its object")
    dbus.Interface(bus.get_object(*first), APP).Release()
    check(ends_within(pids[0], 30), "the first process ends at its release")


KILLED_CLIENT = """
import dbus, sys, time
bus = dbus.SessionBus()
service, path = bus.get_object("QuorviaPallant.ZEBConsole", "/").CreateInstance(
    dbus_interface="QuorviaPallant.ClassFactory")
print(service, flush=True)
time.sleep(60)
"""


def test_killed_client():
    client = subprocess.Popen([sys.executable, "-c", KILLED_CLIENT], stdout=subprocess.PIPE, text=True)
    service = client.stdout.readline().strip()
    pid = pid_of(service)
    check(alive(pid), "a console object made for a client keeps its process")
    client.send_signal(signal.SIGKILL)
    client.wait()
    killed = time.monotonic()
    ended = ends_within(pid, 30)
    check(ended, "a client killed with SIGKILL releases its object")
    if ended:
        print("  released and ended %.2f s after the kill" % (time.monotonic() - killed))


# A client that starts a call which would run for ever (Pause(2147483647): 24 days; 1 MB of
# keys 50 ms apart: 14 hours) and then waits to be killed. It says where its object is once
# the server has taken that call: the server takes each client's messages in order, so the
# answer to the Introspect sent after it means the call is in progress.
HOSTILE_CLIENT = """
import dbus, dbus.lowlevel, sys
bus = dbus.SessionBus()
service, path = bus.get_object("QuorviaPallant.ZEBConsole", "/").CreateInstance(
    dbus_interface="QuorviaPallant.ClassFactory")
method = sys.argv[1]
if method == "PutKeys":
    dbus.Interface(bus.get_object(service, path), "QuorviaPallant.IZEBConsole").RunCommand("cat")
    argument = dbus.String("k" * (1 << 20))
else:
    argument = dbus.Int32(2147483647)
call = dbus.lowlevel.MethodCallMessage(service, path, "QuorviaPallant.IZEBConsole", method)
call.append(argument)
bus.send_message(call)
bus.call_blocking(service, path, "org.freedesktop.DBus.Introspectable", "Introspect", "", ())
print(service, path, flush=True)
sys.stdin.read()
"""


def test_client_killed_during_a_long_call(method):
    client = subprocess.Popen([sys.executable, "-c", HOSTILE_CLIENT, method],
                              stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
    service, path = client.stdout.readline().split()
    pid = pid_of(service)
    # Another client is served meanwhile: the main thread and the object are not held up.
    other = dbus.bus.BusConnection(os.environ["DBUS_SESSION_BUS_ADDRESS"])
    try:
        text = dbus.Interface(other.get_object(service, path), CONSOLE).ReadText(0, 0, 9, 0, timeout=30)
        served = isinstance(text, dbus.String)
    except dbus.DBusException as e:
        served = False
        print("  " + str(e))
    check(served, "another client is answered while a client's %s runs" % method)
    other.close()
    check(alive(pid), "a client's %s in progress keeps its process" % method)
    client.kill()
    client.wait()
    killed = time.monotonic()
    ended = ends_within(pid, 30)
    check(ended, "a client killed during %s ends its call, its object and its process" % method)
    if ended:
        print("  ended %.2f s after the kill" % (time.monotonic() - killed))


def test_release_signature():
    service, path = create("ZEBConsole")
    pid = pid_of(service)
    try:
        bus.call_blocking(service, path, CONSOLE, "Release", "s", ("extra",))
        check(False, "Release with arguments is refused")
    except dbus.DBusException as e:
        check(e.get_dbus_name() == "org.freedesktop.DBus.Error.InvalidArgs", "Release with arguments is refused")
    check(alive(pid), "a refused Release releases nothing")
    console_at(service, path).Release()
    check(ends_within(pid, 30), "the process ends at the right release")


def test_run_command_elsewhere():
    service, path = create("ZEBConsole")
    console = console_at(service, path)
    same = console.RunCommand("bash --norc --noprofile")
    check((str(same[0]), str(same[1])) == (str(service), str(path)), "RunCommand while nothing runs returns the object itself")
    other_service, other_path = console.RunCommand("bash --norc --noprofile")
    other_pid = pid_of(other_service)
    check(other_pid != pid_of(service), "RunCommand while a program runs returns an object of another process")
    other = console_at(other_service, other_path)
    check(type_and_find(other, "echo other$((2+3))", "other5") is not None, "the other object acts on its own console")
    check(not any("other5" in line for line in screen_of(console)), "the first console is untouched")
    console.Release()
    check(alive(other_pid), "the other process lives while its object is held")
    other.Release()
    check(ends_within(other_pid, 30), "the other process ends at its release")


def test_errors_and_introspection():
    service, path = create("ZEBConsole")
    pid = pid_of(service)
    console = console_at(service, path)
    try:
        console.RunCommand("/nonexistent/program")
        check(False, "a command that cannot start fails")
    except dbus.DBusException as e:
        check(e.get_dbus_name() == "QuorviaPallant.Error"
              and e.get_dbus_message() == "Can't execute \"/nonexistent/program\"",
              "a command that cannot start is the client's error, with its description, and no box")
    try:
        bus.call_blocking(service, path, CONSOLE, "CheckString", "sis", ("x", 1, "y"))
        check(False, "wrong argument types are refused")
    except dbus.DBusException as e:
        check(e.get_dbus_name() == "org.freedesktop.DBus.Error.InvalidArgs", "wrong argument types are refused")
    xml = subprocess.run(["gdbus", "introspect", "--session", "--dest", service, "--object-path", path],
                         capture_output=True, text=True).stdout
    check("ReadText" in xml and "Buttom" in xml and "Readed" in xml and "Release" in xml,
          "a generic client reads the interface")
    check(str(console.ReadText(0, 0, 3, 0)) == "", "ReadText of a blank screen is empty")
    console.Release()
    check(ends_within(pid, 30), "the process ends at the release")


def test_new_methods():
    service, path = create("ZEBConsole")
    pid = pid_of(service)
    console = console_at(service, path)
    xml = subprocess.run(["gdbus", "introspect", "--session", "--dest", service, "--object-path", path],
                         capture_output=True, text=True).stdout
    for name in ("WaitQuiet", "FindString", "WaitFind", "FindPattern", "WaitPattern", "WaitExit", "Sleep",
                 "ScreenWidth", "ScreenHeight", "CursorX", "CursorY", "ReadAttr", "CheckAttr", "Matched", "ExitCode",
                 "MatchScreen"):
        check(name in xml, "introspection shows " + name)
    console.RunCommand("sh -c 'printf \"\\033[31mred\\033[0m 42\\n\"; sleep 0.3; exit 7'")
    found = console.WaitFind(10, "42")
    check([int(v) for v in found] == [4, 0, 1], "WaitFind gives X, Y and the result")
    matched = console.FindPattern("\\d+")
    check((int(matched[0]), int(matched[1]), str(matched[2]), bool(matched[3])) == (4, 0, "42", True),
          "FindPattern gives X, Y, Matched and the result")
    check(int(console.ReadAttr(0, 0)) == 4 and bool(console.CheckAttr(0, 0, 2, 0, 4, 15)), "attributes over the bus")
    check((int(console.ScreenWidth()), int(console.ScreenHeight())) == (80, 25), "the size over the bus")
    console.Sleep(10)
    status = console.WaitExit(10)
    check((int(status[0]), bool(status[1])) == (7, True), "WaitExit gives the exit status and the result")
    try:
        console.FindPattern("(")
        check(False, "a bad pattern fails")
    except dbus.DBusException as e:
        check("Syntax error in regular expression" in e.get_dbus_message(), "a bad pattern fails with its description")
    # An outside client has no script file, so no golden folder: it is told so.
    try:
        console.MatchScreen("Main")
        check(False, "MatchScreen without a golden folder fails")
    except dbus.DBusException as e:
        check("MatchScreen needs the script's file" in e.get_dbus_message(), "MatchScreen over the bus says why it fails")
    try:
        console.MatchScreen("../x")
        check(False, "MatchScreen refuses a name that leaves the golden folder")
    except dbus.DBusException as e:
        check("Invalid golden screen name" in e.get_dbus_message(), "a bad golden name fails with its description")
    console.Release()
    check(ends_within(pid, 30), "the process ends at the release")


def test_example_client(example):
    # The answer is waited for, whether or not it is named, and printed below the typed line.
    for extra in ([], ["from42"]):
        out = subprocess.run([sys.executable, example, "bash --norc --noprofile", "echo from$((40+2))"] + extra,
                             capture_output=True, text=True, timeout=60)
        rows = out.stdout.split("\n")
        typed = [i for i, row in enumerate(rows) if "echo from$((40+2))" in row]
        check(out.returncode == 0 and typed and "from42" in rows[typed[-1] + 1],
              "the example client drives a console and waits for its answer %s" % extra)
    out = subprocess.run([sys.executable, example, "cat", "x", "never shown"], capture_output=True, text=True,
                         timeout=60)
    check(out.returncode == 1 and "no answer within" in out.stderr, "the example client says when no answer came")


def main():
    pallant, example = sys.argv[1], sys.argv[2]
    test_open_console()
    test_single_use()
    test_killed_client()
    test_run_command_elsewhere()
    test_errors_and_introspection()
    test_new_methods()
    test_example_client(example)
    test_release_signature()
    test_client_killed_during_a_long_call("Pause")
    test_client_killed_during_a_long_call("PutKeys")
    if failures:
        sys.exit("%d failed: %s" % (len(failures), "; ".join(failures)))


if __name__ == "__main__":
    main()
