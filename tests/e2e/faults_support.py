"""How long the program's window leaves its events unanswered, measured from
outside: an X client sends the window the window manager's ping
(_NET_WM_PING) over and over, one at a time, and times each answer. Qt answers
a ping on the window's own thread, so a handler that holds that thread up
holds the answer up by as long."""

import ctypes
import ctypes.util
import select
import threading
import time

CLIENT_MESSAGE = 33
# Qt sends its answer to the root window with these masks (and the redirect
# mask, which only a window manager may take).
ROOT_EVENT_MASK = (1 << 17) | (1 << 19)  # StructureNotify, SubstructureNotify
PING_INTERVAL = 0.02  # seconds between an answer and the next ping

_x11 = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
_x11.XOpenDisplay.restype = ctypes.c_void_p
_x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
_x11.XInternAtom.restype = ctypes.c_ulong
_x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
_x11.XDefaultRootWindow.restype = ctypes.c_ulong
_x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
_x11.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
_x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                            ctypes.c_void_p]
_x11.XFlush.argtypes = [ctypes.c_void_p]
_x11.XPending.argtypes = [ctypes.c_void_p]
_x11.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
_x11.XConnectionNumber.argtypes = [ctypes.c_void_p]
_x11.XCloseDisplay.argtypes = [ctypes.c_void_p]

# Xlib's own handler ends the process on an error, such as a ping to a window
# that has just gone with its program; such a ping is simply never answered.
_ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(
    lambda display, error: 0)
_x11.XSetErrorHandler.argtypes = [ctypes.c_void_p]
_x11.XSetErrorHandler(ctypes.cast(_ERROR_HANDLER, ctypes.c_void_p))


class _ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class _Event(ctypes.Union):
    _fields_ = [("type", ctypes.c_int), ("xclient", _ClientMessage),
                ("pad", ctypes.c_long * 24)]


class PingWatch:
    """Pings `window` on `display_name` from a thread of its own until stopped.
    waits holds (sent, answered) in monotonic seconds for every ping answered."""

    def __init__(self, display_name, window):
        self.window = window
        self.waits = []
        self.pending_since = None
        self.done = False
        self.dpy = _x11.XOpenDisplay(display_name.encode())
        if not self.dpy:
            raise RuntimeError("cannot open display %s" % display_name)
        self.protocols = _x11.XInternAtom(self.dpy, b"WM_PROTOCOLS", 0)
        self.ping = _x11.XInternAtom(self.dpy, b"_NET_WM_PING", 0)
        _x11.XSelectInput(self.dpy, _x11.XDefaultRootWindow(self.dpy), ROOT_EVENT_MASK)
        self.thread = threading.Thread(target=self.run, daemon=True)
        self.thread.start()

    def send(self, number):
        event = _Event()
        message = event.xclient
        message.type = CLIENT_MESSAGE
        message.window = self.window
        message.message_type = self.protocols
        message.format = 32
        message.data[0] = self.ping
        message.data[1] = number
        message.data[2] = self.window
        # An empty event mask sends it to the client that made the window.
        _x11.XSendEvent(self.dpy, self.window, 0, 0, ctypes.byref(event))
        _x11.XFlush(self.dpy)

    def answered(self, number):
        event = _Event()
        found = False
        while _x11.XPending(self.dpy):
            _x11.XNextEvent(self.dpy, ctypes.byref(event))
            message = event.xclient
            if (event.type == CLIENT_MESSAGE and message.message_type == self.protocols
                    and message.data[0] == self.ping and message.data[1] == number):
                found = True
        return found

    def run(self):
        fd = _x11.XConnectionNumber(self.dpy)
        number = 0
        while not self.done:
            number += 1
            sent = time.monotonic()
            self.pending_since = sent
            self.send(number)
            while not self.done and not self.answered(number):
                select.select([fd], [], [], 0.05)
            if not self.done:
                self.waits.append((sent, time.monotonic()))
                self.pending_since = None
                time.sleep(PING_INTERVAL)

    def longest_wait(self, since):
        """The longest any ping sent after `since` (monotonic) waited for its
        answer, counting one still unanswered up to now."""
        waits = [b - a for a, b in list(self.waits) if a >= since]
        pending = self.pending_since
        if pending is not None and pending >= since:
            waits.append(time.monotonic() - pending)
        return max(waits, default=0.0)

    def count(self, since):
        return sum(1 for a, _ in list(self.waits) if a >= since)

    def stop(self):
        self.done = True
        self.thread.join(timeout=2)
        _x11.XCloseDisplay(self.dpy)
