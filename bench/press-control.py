#!/usr/bin/python3
# Presses the controls of a running program by their accessible names, in
# order, as a screen reader does: waits until each is shown and enabled,
# then calls its first action ("Press" for a button, "Toggle" for a check
# box or a segment).
#   bench/press-control.py PID NAME [NAME...]
# Needs the accessibility bus (at-spi-bus-launcher) of the program's session
# bus and QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 in the program's environment.
import sys
import time

import pyatspi

WAIT_SECONDS = 20


def application(pid):
    for candidate in pyatspi.Registry.getDesktop(0):
        if candidate is not None and candidate.get_process_id() == pid:
            return candidate
    return None


def pressable(node, name):
    states = node.getState()
    if node.name != name or not states.contains(pyatspi.STATE_SHOWING):
        return False
    if not states.contains(pyatspi.STATE_SENSITIVE):
        return False
    try:
        return node.queryAction().nActions > 0
    except NotImplementedError:
        return False


def find(node, name):
    if node is None:
        return None
    if pressable(node, name):
        return node
    for child in node:
        found = find(child, name)
        if found is not None:
            return found
    return None


def press(pid, name):
    deadline = time.monotonic() + WAIT_SECONDS
    while time.monotonic() < deadline:
        control = find(application(pid), name)
        if control is not None:
            control.queryAction().doAction(0)
            return True
        time.sleep(0.2)
    return False


def main():
    pid = int(sys.argv[1])
    for name in sys.argv[2:]:
        if not press(pid, name):
            sys.exit(f"press-control: no shown, enabled control named {name}")


main()
