# Hears where the keyboard goes, as a screen reader does: every control of
# any program on the accessibility bus that gains the focus is written as
# one line, "ROLE<tab>NAME<tab>shown|hidden", shown when the control is on
# screen as the event is heard. "listening" comes first, once the listener
# is registered. Run by tests/support/FocusEvents.cpp with Debian's
# /usr/bin/python3 (for pyatspi), on the session bus of the programs.
import pyatspi


def heard(event):
    if event.detail1 != 1:
        return
    control = event.source
    try:
        shown = control.getState().contains(pyatspi.STATE_SHOWING)
        line = "%s\t%s\t%s" % (control.getRoleName(), control.name.replace("\n", " "), "shown" if shown else "hidden")
    except Exception:  # a control gone before it was read
        return
    print(line, flush=True)


def renamed(event):
    pass


# As Orca does: AT-SPI keeps the names it read, and hears of a new one (a
# reused row shown for another entry) only from its change event, which it
# is sent only while someone listens for it.
pyatspi.Registry.registerEventListener(renamed, "object:property-change:accessible-name")
pyatspi.Registry.registerEventListener(heard, "object:state-changed:focused")
print("listening", flush=True)
pyatspi.Registry.start()
