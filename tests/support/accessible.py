#!/usr/bin/python3
"""Reads and presses the program's controls by their accessible names, as a
screen reader does, through AT-SPI on the session bus.

  accessible.py labels        the names of the program's labels on screen, one a line
  accessible.py press NAME    presses the enabled push button NAME on screen

Exits 1 when the program, or the button, is not there (yet).
"""
import sys

import pyatspi


def program():
    for application in pyatspi.Registry.getDesktop(0):
        if application is not None and (application.name or "").lower() == "tavero":
            return application
    return None


def on_screen(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


def nodes(node):
    """The node and everything under it that is on screen."""
    try:
        if not on_screen(node) and node.getRoleName() != "application":
            return
        yield node
        for child in node:
            if child is not None:
                yield from nodes(child)
    except Exception:
        # A window closed while it was read.
        return


def main():
    application = program()
    if application is None:
        return 1
    if sys.argv[1] == "labels":
        for node in nodes(application):
            if node.getRoleName() == "label" and node.name:
                print(node.name)
        return 0
    for node in nodes(application):
        if (node.getRoleName() == "push button" and node.name == sys.argv[2]
                and node.getState().contains(pyatspi.STATE_ENABLED)):
            node.queryAction().doAction(0)
            return 0
    return 1


sys.exit(main())
