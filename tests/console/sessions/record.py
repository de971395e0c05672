#!/usr/bin/env python3
"""Records what real programs write to an 80x25 terminal, for the differential test.

    record.py OUT_FILE COLS ROWS KEYS -- COMMAND...

KEYS is a list of steps separated by '~~': text to type (with \\r, \\x1b, \\x06 escapes) or
'@N' to wait N tenths of a second. The program runs under TERM=xterm-256color in a pty of
the given size; every byte it writes is kept. Answers to its queries are not sent (the
programs recorded here do not wait for them). Not part of the test run.
"""
import fcntl, os, pty, select, struct, sys, termios, time

def main():
    out, cols, rows, keys = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
    cmd = sys.argv[sys.argv.index('--') + 1:]
    pid, fd = pty.fork()
    if pid == 0:
        env = dict(os.environ, TERM='xterm-256color', LANG='C.UTF-8', LC_ALL='C.UTF-8', COLUMNS=str(cols), LINES=str(rows))
        os.execvpe(cmd[0], cmd, env)
    fcntl.ioctl(fd, termios.TIOCSWINSZ, struct.pack('HHHH', rows, cols, 0, 0))
    data = bytearray()

    def drain(seconds):
        end = time.time() + seconds
        while True:
            left = end - time.time()
            if left <= 0:
                return
            r, _, _ = select.select([fd], [], [], left)
            if r:
                try:
                    chunk = os.read(fd, 65536)
                except OSError:
                    return
                if not chunk:
                    return
                data.extend(chunk)

    drain(0.8)
    for step in keys.split('~~'):
        if step.startswith('@'):
            drain(int(step[1:]) / 10)
        else:
            os.write(fd, step.encode().decode('unicode_escape').encode('latin-1'))
            drain(0.3)
    drain(1.0)
    try:
        os.kill(pid, 9)
    except ProcessLookupError:
        pass
    with open(out, 'wb') as f:
        f.write(bytes(data))

main()
