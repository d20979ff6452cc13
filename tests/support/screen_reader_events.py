# What a screen reader hears, as pyatspi hears it on the session bus it is
# run on; one line per event, after the line "listening" once the listener
# is registered. Run by tests/support/EventListener.cpp with Debian's
# /usr/bin/python3 (for pyatspi), in one of two ways:
#
#   focus         every control of any program that gains the focus:
#                 "ROLE<tab>NAME<tab>shown|hidden", shown when the control
#                 is on screen as the event is heard
#   said PID      every notification of the program PID that becomes shown,
#                 as Orca speaks it: "NAME"
import sys

import pyatspi


def one_line(text):
    return text.replace("\n", " ")


def focused(event):
    if event.detail1 != 1:
        return
    control = event.source
    try:
        shown = control.getState().contains(pyatspi.STATE_SHOWING)
        line = "%s\t%s\t%s" % (control.getRoleName(), one_line(control.name), "shown" if shown else "hidden")
    except Exception:  # a control gone before it was read
        return
    print(line, flush=True)


def said_by(program):
    def said(event):
        try:
            source = event.source
            if not event.detail1 or source.getRole() != pyatspi.ROLE_NOTIFICATION:
                return
            if source.get_process_id() != program:
                return
            print(one_line(source.name), flush=True)
        except Exception:  # a notification gone while it was read
            pass

    return said


def renamed(event):
    pass


# As Orca does: AT-SPI keeps the names it read, and hears of a new one (a
# reused row shown for another entry) only from its change event, which it
# is sent only while someone listens for it.
pyatspi.Registry.registerEventListener(renamed, "object:property-change:accessible-name")
if sys.argv[1] == "focus":
    pyatspi.Registry.registerEventListener(focused, "object:state-changed:focused")
else:
    pyatspi.Registry.registerEventListener(said_by(int(sys.argv[2])), "object:state-changed:showing")
print("listening", flush=True)
pyatspi.Registry.start()
