"""An X session manager for the tests (the small XSMP one built beside the
program): it checkpoints the session, asks clients to save for a logout, and
cancels the logout or tells them to die, as a desktop does."""

import contextlib
import os
import queue
import subprocess
import threading
from pathlib import Path

from paths import BUILD_DIR
from procs import say, stop_process

SESSION_MANAGER = Path(os.environ.get("ALARM_SESSION_MANAGER",
                                      BUILD_DIR / "test_session_manager"))


class SessionManager:
    def __init__(self, proc):
        self.proc = proc
        self.lines = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()
        self.address = self.expect("listening", 10).split(" ", 1)[1]

    def _read(self):
        for line in self.proc.stdout:
            self.lines.put(line.strip())

    def send(self, command):
        say("   session manager:", command)
        self.proc.stdin.write(command + "\n")
        self.proc.stdin.flush()

    def expect(self, start, timeout):
        """The next line the session manager prints, which must begin with `start`."""
        try:
            line = self.lines.get(timeout=timeout)
        except queue.Empty:
            raise AssertionError("the session manager said nothing in %s s; %r expected"
                                 % (timeout, start)) from None
        if not line.startswith(start):
            raise AssertionError("the session manager said %r; %r expected" % (line, start))
        return line

    def env(self):
        """What a client needs to find this session manager."""
        return {"SESSION_MANAGER": self.address}


@contextlib.contextmanager
def session_manager():
    proc = subprocess.Popen([str(SESSION_MANAGER)], stdin=subprocess.PIPE,
                            stdout=subprocess.PIPE, text=True)
    try:
        yield SessionManager(proc)
    finally:
        proc.stdin.close()
        stop_process(proc)
        proc.stdout.close()
