# What a screen reader hears a program say of its own accord: every
# notification of the program that becomes shown, as Orca speaks it, one
# line "said<TAB>NAME" each, after the line "listening" once the listener
# is registered. Run by tests/support/Announcements.cpp with Debian's
# /usr/bin/python3 (for pyatspi), on the program's session bus, with the
# program's process id as its argument.
import sys

import pyatspi

program = int(sys.argv[1])


def heard(event):
    try:
        source = event.source
        if not event.detail1 or source.getRole() != pyatspi.ROLE_NOTIFICATION:
            return
        if source.get_process_id() != program:
            return
        print("said\t" + source.name.replace("\n", " "), flush=True)
    except Exception:  # a notification gone while it was read
        pass


def renamed(event):
    pass


# As Orca does: AT-SPI keeps the names it read, and hears of a new one only
# from its change event, which it is sent only while someone listens for it.
pyatspi.Registry.registerEventListener(renamed, "object:property-change:accessible-name")
pyatspi.Registry.registerEventListener(heard, "object:state-changed:showing")
print("listening", flush=True)
pyatspi.Registry.start()
