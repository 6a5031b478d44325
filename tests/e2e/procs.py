"""Processes the tests start, and waiting for things to happen.

Waits are polls against a deadline; nothing here sleeps to let the program's
time pass: the fake clock is moved instead."""

import contextlib
import shutil
import signal
import subprocess
import tempfile
import time
from pathlib import Path


def say(*parts):
    """Prints one line of the test's narrative at once."""
    print(*parts, flush=True)


class Timeout(AssertionError):
    pass


def poll(condition, timeout, what, interval=0.05):
    """Calls condition() until it returns a true value, which is returned;
    raises Timeout naming `what` after `timeout` seconds."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise Timeout("timed out after %.1f s waiting for %s" % (timeout, what))
        time.sleep(interval)


def stop_process(proc, sig=signal.SIGTERM, timeout=5):
    """Stops one process that a test started, by its own id."""
    if proc is None or proc.poll() is not None:
        return
    try:
        proc.send_signal(sig)
        proc.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait(timeout=timeout)
    except ProcessLookupError:
        pass


def run(args, env, timeout=10, check=True):
    """Runs a command to its end; its output as text."""
    result = subprocess.run(args, env=env, capture_output=True, text=True, timeout=timeout)
    if check and result.returncode != 0:
        raise RuntimeError("%s failed (%d): %s" % (" ".join(args), result.returncode,
                                                   result.stderr.strip()))
    return result


@contextlib.contextmanager
def temp_dir(prefix="alarm-e2e-"):
    path = Path(tempfile.mkdtemp(prefix=prefix))
    try:
        yield path
    finally:
        shutil.rmtree(path, ignore_errors=True)
