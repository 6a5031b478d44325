"""The running program watched from outside: every second it shows, stamped
with the real time it arrived, and how long its window leaves pings
unanswered."""

import re
import threading
import time

from procs import poll
from xserver import PingWatch

# The front end logs its state each second, e.g.
# `alarmclock.ui: lblTime "06:59:41" lblAMPM "AM" butOnOff 1 blnAlarm false`.
STATE = re.compile(r'lblTime\W+(\d{1,2}:\d{2}:\d{2})\W+lblAMPM\W+(AM|PM)'
                   r'\W+butOnOff\W+(\d)\W+blnAlarm\W+(true|false)')


class Watch:
    """Follows the program's log as it grows and stamps every shown second with
    the real (monotonic) time it arrived: (stamp, face, half, armed, ringing)."""

    def __init__(self, app):
        self.app = app
        self.rows = []
        self.done = False
        self.ping = None
        self.thread = threading.Thread(target=self.follow, daemon=True)
        self.thread.start()

    def follow(self):
        position, partial = 0, ""
        while not self.done:
            try:
                with open(self.app.log_path, errors="replace") as log:
                    log.seek(position)
                    text = log.read()
                    position = log.tell()
            except OSError:
                text = ""
            now = time.monotonic()
            lines = (partial + text).split("\n")
            partial = lines.pop()
            for line in lines:
                match = STATE.search(line)
                if match:
                    face, half, armed, ringing = match.groups()
                    self.rows.append((now, face, half, armed == "1", ringing == "true"))
            time.sleep(0.01)

    def ping_window(self):
        """Starts timing the window's answers to pings (once it is found)."""
        self.ping = PingWatch(self.app.display.name, self.app.window)

    def stop(self):
        self.done = True
        self.thread.join(timeout=2)
        if self.ping:
            self.ping.stop()

    def last(self):
        return self.rows[-1] if self.rows else None

    def until(self, condition, timeout, what):
        """Polls the latest shown second until condition(row) holds; gives the row."""
        def check():
            if not self.app.running():
                raise AssertionError("the program exited with %s" % self.app.proc.returncode)
            row = self.last()
            return row if row and condition(row) else None
        return poll(check, timeout, what)

    def shows(self, hhmmss, half, timeout=10):
        """Waits until the window shows a second at or after `hhmmss` `half`
        (same hour, within a minute)."""
        def reached(row):
            return row[2] == half and row[1][:2] == hhmmss[:2] and row[1] >= hhmmss
        return self.until(reached, timeout, "the window to show %s %s" % (hhmmss, half))

    def longest_gap(self, since):
        """The longest real time between two shown seconds after `since`,
        counting the wait for the next one up to now."""
        stamps = [since] + [row[0] for row in self.rows if row[0] >= since] + [time.monotonic()]
        return max(b - a for a, b in zip(stamps, stamps[1:]))

    def ring_starts(self, since):
        """How often blnAlarm went from false to true after `since`."""
        before = [row[4] for row in self.rows if row[0] < since][-1:]
        states = before + [row[4] for row in self.rows if row[0] >= since]
        return sum(1 for a, b in zip(states, states[1:]) if b and not a)
