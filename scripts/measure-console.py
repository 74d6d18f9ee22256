#!/usr/bin/env python3
"""Prints the bytes the console sends to its terminal for typical frames.

Runs the console probe (built with the tests) on a pseudo-terminal of 80x25, answers its
device attributes request as a terminal would, and presses a key for each frame:

    scripts/measure-console.py [BUILD_DIR]      (default: build)
"""
import fcntl
import os
import select
import struct
import subprocess
import sys
import termios

FRAMES = [
    "first frame (whole screen, modes and questions)",
    "window erased and written again with the same text",
    "one changed cell",
    "cursor moved",
    "nothing changed",
]


def read_until_quiet(fd, quiet_seconds):
    data = b""
    while select.select([fd], [], [], quiet_seconds)[0]:
        try:
            chunk = os.read(fd, 65536)
        except OSError:
            break
        if not chunk:
            break
        data += chunk
    return data


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build"
    probe = os.path.join(build, "tests", "console", "console_probe")
    if not os.access(probe, os.X_OK):
        sys.exit(f"{probe} not found: build the tests first (make build)")
    master, slave = os.openpty()
    fcntl.ioctl(slave, termios.TIOCSWINSZ, struct.pack("HHHH", 25, 80, 0, 0))
    env = dict(os.environ, TERM="xterm", LC_ALL="C.UTF-8")
    env.pop("TMUX", None)
    child = subprocess.Popen([probe, "measure"], stdin=slave, stdout=slave, stderr=slave,
                             env=env, start_new_session=True)
    os.close(slave)
    for number, label in enumerate(FRAMES):
        if number > 0:
            os.write(master, b"x")
        sent = read_until_quiet(master, 0.3)
        if b"\x1b[c" in sent:
            os.write(master, b"\x1b[?1;2c")
        shown = sent if len(sent) <= 60 else sent[:60] + b"..."
        print(f"{label:52} {len(sent):5} bytes  {shown!r}")
    os.write(master, b"x")
    read_until_quiet(master, 0.3)
    child.wait()


if __name__ == "__main__":
    main()
