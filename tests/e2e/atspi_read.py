"""Prints the accessible tree of one application as JSON, as a screen reader
reads it over AT-SPI; or, with --events, listens as a screen reader does and
prints each event of that application as a line of JSON (type, source's name
and role, detail1) once it has printed "ready". Run by Debian's
/usr/bin/python3, which has GObject introspection (python3-gi,
gir1.2-atspi-2.0):

    python3 atspi_read.py APP_NAME
    python3 atspi_read.py --events APP_NAME EVENT_TYPE..."""

import json
import sys

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402


def text_of(acc):
    iface = acc.get_text_iface()
    if iface is None:
        return None
    return Atspi.Text.get_text(iface, 0, Atspi.Text.get_character_count(iface))


def actions_of(acc):
    iface = acc.get_action_iface()
    if iface is None:
        return []
    return [Atspi.Action.get_action_name(iface, i) for i in range(Atspi.Action.get_n_actions(iface))]


def walk(acc, depth, rows):
    extents = acc.get_extents(Atspi.CoordType.SCREEN)
    rows.append(dict(
        depth=depth, name=acc.get_name(), role=acc.get_role_name(),
        states=sorted(s.value_nick for s in acc.get_state_set().get_states()),
        description=acc.get_description(), text=text_of(acc), actions=actions_of(acc),
        extents=[extents.x, extents.y, extents.width, extents.height]))
    for i in range(acc.get_child_count()):
        child = acc.get_child_at_index(i)
        if child is not None:
            walk(child, depth + 1, rows)


def listen(wanted, kinds):
    def heard(event):
        source = event.source
        app = source.get_application() if source is not None else None
        if app is None or app.get_name() != wanted:
            return
        print(json.dumps(dict(type=event.type, name=source.get_name(),
                              role=source.get_role_name(), detail1=event.detail1)), flush=True)

    listener = Atspi.EventListener.new(heard)
    for kind in kinds:
        listener.register(kind)
    print("ready", flush=True)
    Atspi.event_main()


def main():
    if sys.argv[1] == "--events":
        listen(sys.argv[2], sys.argv[3:])
        return
    wanted = sys.argv[1]
    desktop = Atspi.get_desktop(0)
    rows = []
    for i in range(desktop.get_child_count()):
        app = desktop.get_child_at_index(i)
        if app is not None and app.get_name() == wanted:
            walk(app, 0, rows)
            break
    print(json.dumps(rows))


if __name__ == "__main__":
    main()
