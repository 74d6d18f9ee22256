#!/usr/bin/env python3
"""Measures the editor in a pseudo-terminal of 80x25 and prints:

- bytes written to the terminal per keystroke, median, for a cursor move, for Del, and for
  typing another character (a full grid redraw of an 8-row glyph);
- CPU clock ticks and context switches while the editor waits 3 seconds for a key;
- the time from start to the first complete frame on an existing font, median.

Usage: measure-editor.py [BUILD_DIR]   (default: build)
"""
import os
import pty
import select
import signal
import statistics
import struct
import subprocess
import sys
import tempfile
import termios
import fcntl
import time

WIDTH, HEIGHT = 80, 25
KEY_RUNS = 21
START_RUNS = 21
QUIET = 0.15  # seconds without output that end one response
RIGHT, LEFT, DEL, F3 = b"\x1b[C", b"\x1b[D", b"\x1b[3~", b"\x1bOR"
FRAME_END = b"Ctrl-PgUp/Dn"  # the last help line is the last text of the first frame


def start_editor(editor, directory, font_name):
    """Runs the editor on a new pseudo-terminal; returns (pid, master fd, start time)."""
    started = time.perf_counter()
    pid, fd = pty.fork()
    if pid == 0:
        fcntl.ioctl(1, termios.TIOCSWINSZ, struct.pack("HHHH", HEIGHT, WIDTH, 0, 0))
        os.chdir(directory)
        env = dict(os.environ, TERM="xterm-256color", LANG="C.UTF-8")
        env.pop("TMUX", None)
        os.execve(editor, [editor, font_name, "A"], env)
    return pid, fd, started


class Terminal:
    """The far side of the pseudo-terminal: reads what the editor writes and answers the
    device attributes question the way a terminal without extra key protocols does."""

    def __init__(self, fd):
        self.fd = fd
        self.answered = False

    def read(self, timeout):
        """One chunk, or None after `timeout` seconds of silence."""
        ready, _, _ = select.select([self.fd], [], [], timeout)
        if not ready:
            return None
        try:
            data = os.read(self.fd, 65536)
        except OSError:
            return b""
        if not self.answered and b"\x1b[c" in data:
            os.write(self.fd, b"\x1b[?1;2c")
            self.answered = True
        return data

    def response(self, quiet=QUIET):
        """Everything written until the editor goes quiet, and when its last byte came."""
        data, last = b"", None
        while True:
            chunk = self.read(quiet)
            if not chunk:
                return data, last
            data += chunk
            last = time.perf_counter()

    def first_frame(self):
        """When the last byte of the first frame came."""
        data = b""
        while FRAME_END not in data:
            chunk = self.read(5)
            if not chunk:
                raise RuntimeError("no complete frame: %r" % data[-200:])
            data += chunk
            last = time.perf_counter()
        rest, rest_last = self.response()
        return rest_last if rest else last

    def keystroke(self, key):
        os.write(self.fd, key)
        data, _ = self.response()
        return len(data)


def stop_editor(pid, fd):
    """F3, and "n" to the save question that a changed font brings up."""
    os.write(fd, F3 + b"n")
    deadline = time.time() + 5
    while time.time() < deadline:
        done, _ = os.waitpid(pid, os.WNOHANG)
        if done:
            break
        try:
            if select.select([fd], [], [], 0.05)[0]:
                os.read(fd, 65536)
        except OSError:
            pass
    else:
        os.kill(pid, signal.SIGKILL)
        os.waitpid(pid, 0)
    os.close(fd)


def cpu_ticks_and_switches(pid):
    with open("/proc/%d/stat" % pid) as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    ticks = int(fields[11]) + int(fields[12])  # utime, stime
    switches = 0
    with open("/proc/%d/status" % pid) as status:
        for line in status:
            if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")):
                switches += int(line.split()[1])
    return ticks, switches


def median_bytes(terminal, keys):
    return statistics.median(terminal.keystroke(keys[i % len(keys)]) for i in range(KEY_RUNS))


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build"
    editor = os.path.abspath(os.path.join(build, "kestrova"))
    with tempfile.TemporaryDirectory(prefix="kestrova-measure-") as directory:
        font = os.path.join(directory, "demo.fon")
        here = os.path.dirname(os.path.abspath(__file__))
        subprocess.run([sys.executable, os.path.join(here, "make-demo-font.py"), font], check=True)
        # A blank glyph (space) and a full one (#) make the largest grid change.
        with open(font, "r+b") as f:
            f.seek(ord("#") * 8)
            f.write(b"\xff" * 8)

        pid, fd, _ = start_editor(editor, directory, "demo.fon")
        terminal = Terminal(fd)
        terminal.first_frame()
        moves = median_bytes(terminal, [RIGHT, LEFT])
        dels = median_bytes(terminal, [DEL])
        letters = median_bytes(terminal, [b"B", b"A"])
        full = median_bytes(terminal, [b"#", b" "])
        before = cpu_ticks_and_switches(pid)
        time.sleep(3)
        after = cpu_ticks_and_switches(pid)
        stop_editor(pid, fd)

        start_times = []
        for _ in range(START_RUNS):
            pid, fd, started = start_editor(editor, directory, "demo.fon")
            start_times.append((Terminal(fd).first_frame() - started) * 1000)
            stop_editor(pid, fd)

    print("bytes per keystroke, median of %d:" % KEY_RUNS)
    print("  cursor move (Right/Left)            %5d   (target <= 40)" % moves)
    print("  Del                                 %5d   (target <= 60)" % dels)
    print("  another character, A/B              %5d   (target <= 300)" % letters)
    print("  another character, blank/full glyph %5d   (target <= 300)" % full)
    print("idle 3 s waiting for a key:")
    print("  CPU clock ticks                     %5d   (target 0)" % (after[0] - before[0]))
    print("  context switches                    %5d   (target < 10)" % (after[1] - before[1]))
    print("start-up to the first complete frame, median of %d: %.1f ms (target < 20 ms)"
          % (START_RUNS, statistics.median(start_times)))


if __name__ == "__main__":
    main()
