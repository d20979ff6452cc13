#!/usr/bin/python3
"""Finds and presses a program's controls by their accessible names, as a
screen reader does (AT-SPI). Used by the tests that drive the real program.

  atspi.py PID press NAME              presses the showing push button NAME
  atspi.py PID find TEXT               waits for a showing object named TEXT
  atspi.py PID popup OPENER NAME       presses OPENER, then the push button
                                       NAME in the popup it opens

Waits up to --timeout seconds for the control to show; exits 0 once done,
1 when it never showed. Needs the session bus and the accessibility bus that
x11-session.sh --accessibility starts.
"""
import argparse
import sys
import time

import pyatspi
from gi.repository import GLib


def application(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for index in range(desktop.childCount):
        app = desktop.getChildAtIndex(index)
        try:
            if app is not None and app.get_process_id() == pid:
                return app
        except Exception:  # an application going away while we ask
            continue
    return None


def showing(accessible):
    return accessible.getState().contains(pyatspi.STATE_SHOWING)


def find(root, wanted):
    """The first showing object below `root` that `wanted` accepts."""
    stack = [root]
    while stack:
        node = stack.pop()
        try:
            if node is not root and wanted(node) and showing(node):
                return node
            stack.extend(node.getChildAtIndex(i) for i in range(node.childCount))
        except Exception:  # a widget destroyed while we walk the tree
            continue
    return None


def button(name):
    return lambda node: node.getRole() == pyatspi.ROLE_PUSH_BUTTON and node.name == name


def wait_for(pid, wanted, timeout):
    """The showing object of the program that `wanted` accepts, once it shows."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        app = application(pid)
        node = find(app, wanted) if app is not None else None
        if node is not None:
            return node
        time.sleep(0.1)
    return None


def press_in_popup(pid, opener, name, timeout):
    """Qt lists no popup among a program's windows: its button is caught as
    it shows, as a screen reader hears of it."""
    pressed = []

    def shown(event):
        try:
            if event.source.get_process_id() != pid or pressed:
                return
            if button(name)(event.source) and event.any_data:
                event.source.queryAction().doAction(0)
                pressed.append(True)
                pyatspi.Registry.stop()
        except Exception:  # a widget destroyed while we ask
            pass

    def give_up():
        pyatspi.Registry.stop()
        return False

    pyatspi.Registry.registerEventListener(shown, "object:state-changed:showing")
    node = wait_for(pid, button(opener), timeout)
    if node is None:
        return False
    node.queryAction().doAction(0)
    GLib.timeout_add(int(timeout * 1000), give_up)
    pyatspi.Registry.start()
    return bool(pressed)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("pid", type=int)
    parser.add_argument("action", choices=["press", "find", "popup"])
    parser.add_argument("names", nargs="+")
    parser.add_argument("--timeout", type=float, default=30)
    arguments = parser.parse_args()
    name = arguments.names[-1]

    if arguments.action == "popup":
        done = press_in_popup(arguments.pid, arguments.names[0], name, arguments.timeout)
    elif arguments.action == "press":
        node = wait_for(arguments.pid, button(name), arguments.timeout)
        if node is not None:
            node.queryAction().doAction(0)
        done = node is not None
    else:
        done = wait_for(arguments.pid, lambda node: node.name == name, arguments.timeout) is not None
    if not done:
        print(f"no showing {name!r} in process {arguments.pid}", file=sys.stderr)
    return 0 if done else 1


if __name__ == "__main__":
    sys.exit(main())
