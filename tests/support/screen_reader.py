# A screen reader's side of the accessibility tests: reads the shown controls
# of one program through AT-SPI and calls their own actions, as Orca does.
# Run by tests/support/ScreenReader.cpp with Debian's /usr/bin/python3 (for
# pyatspi), on the session bus of the program. One request a line on
# standard input, fields separated by tabs; one answer a line:
#
#   ready                   -> ok ADDRESS      (of the accessibility bus)
#   attach PID              -> ok | missing    (waits a while for the program)
#   state ROLE NAME         -> ok STATE,STATE... | missing
#   act ROLE NAME ACTION    -> ok | missing | refused
#   size ROLE NAME          -> ok WIDTH HEIGHT | missing
#   value ROLE NAME         -> ok CURRENT MINIMUM MAXIMUM STEP | missing
#                           (what a slider reads: its value, range and step)
#   description ROLE NAME   -> ok DESCRIPTION | missing
#   unnamed ROLE,ROLE...    -> ok ROLE ROLE...   (shown controls without a name)
#   unnamedFocusable        -> ok ROLE ROLE...   (shown focusable ones without a name)
#
# ROLE is the role's AT-SPI name ("push button", "radio button"); only shown
# controls are looked at, the first one with the name is taken.
import os
import sys

from gi.repository import Gio, GLib

# Each test's launcher also sets the accessibility bus's address on the
# display's root window, where a launcher killed before it cleaned up leaves
# a stale one that Atspi would read first, and then reads another bus than
# the program's: the reader takes the address from the session's own
# launcher once it has announced its bus, and tells the test ("ready").
BUS_WAIT_SECONDS = 60
APPLICATION_WAIT_MS = 5000


def accessibility_bus_address():
    """Waits until the session's launcher has announced its bus, and asks it where the bus is."""
    session = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    loop = GLib.MainLoop()
    GLib.timeout_add_seconds(BUS_WAIT_SECONDS, loop.quit)
    watch = Gio.bus_watch_name_on_connection(session, "org.a11y.Bus", Gio.BusNameWatcherFlags.NONE,
                                             lambda *_: loop.quit(), None)
    loop.run()
    Gio.bus_unwatch_name(watch)
    reply = session.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress", None,
                              GLib.VariantType("(s)"), Gio.DBusCallFlags.NONE, -1, None)
    return reply.unpack()[0]


os.environ["AT_SPI_BUS_ADDRESS"] = accessibility_bus_address()

import pyatspi  # noqa: E402  (reads the address at its start)

program = None


def shown(accessible):
    return accessible.getState().contains(pyatspi.STATE_SHOWING)


def controls(root):
    """The shown descendants of root, depth first."""
    for child in root:
        if child is None or not shown(child):
            continue
        yield child
        yield from controls(child)


def find(role, name):
    for control in controls(program):
        if control.getRoleName() == role and control.name == name:
            return control
    return None


def application_of(pid):
    for application in pyatspi.Registry.getDesktop(0):
        if application is not None and application.get_process_id() == int(pid):
            return application
    return None


def attach(pid):
    """The program, once the registry has announced it on the desktop."""
    global program
    loop = GLib.MainLoop()
    GLib.timeout_add(APPLICATION_WAIT_MS, loop.quit)

    def changed(_event):
        if application_of(pid) is not None:
            loop.quit()

    pyatspi.Registry.registerEventListener(changed, "object:children-changed")
    if application_of(pid) is None:
        loop.run()
    pyatspi.Registry.deregisterEventListener(changed, "object:children-changed")
    program = application_of(pid)
    return "missing" if program is None else "ok"


def state(role, name):
    control = find(role, name)
    if control is None:
        return "missing"
    states = sorted(pyatspi.stateToString(s) for s in control.getState().getStates())
    return "ok\t" + ",".join(states)


def call(control, action):
    actions = control.queryAction()
    for index in range(actions.nActions):
        if actions.getName(index) == action:
            return "ok" if actions.doAction(index) else "refused"
    return "refused"


def act(role, name, action):
    control = find(role, name)
    return "missing" if control is None else call(control, action)


def size(role, name):
    control = find(role, name)
    if control is None:
        return "missing"
    extents = control.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return "ok\t%d\t%d" % (extents.width, extents.height)


def value(role, name):
    control = find(role, name)
    if control is None:
        return "missing"
    reading = control.queryValue()
    numbers = (reading.currentValue, reading.minimumValue, reading.maximumValue, reading.minimumIncrement)
    return "\t".join(["ok"] + ["%g" % number for number in numbers])


def names(role):
    found = [c.name.replace("\n", " ") for c in controls(program) if c.getRoleName() == role and c.name]
    return "\t".join(["ok"] + found)


def description(role, name):
    control = find(role, name)
    return "missing" if control is None else "ok\t" + control.description.replace("\n", " ")


def unnamed_focusable():
    found = [c.getRoleName() for c in controls(program)
             if c.getState().contains(pyatspi.STATE_FOCUSABLE) and not c.name]
    return "\t".join(["ok"] + found)


def unnamed(roles):
    wanted = roles.split(",")
    found = [c.getRoleName() for c in controls(program) if c.getRoleName() in wanted and not c.name]
    return "\t".join(["ok"] + found)


requests = {"ready": lambda: "ok\t" + os.environ["AT_SPI_BUS_ADDRESS"], "attach": attach, "state": state,
            "act": act, "size": size, "value": value, "names": names, "description": description, "unnamed": unnamed,
            "unnamedFocusable": unnamed_focusable}

for line in sys.stdin:
    fields = line.rstrip("\n").split("\t")
    try:
        answer = requests[fields[0]](*fields[1:])
    except Exception as error:  # a control gone while it was read
        answer = "error\t" + str(error).replace("\n", " ")
    print(answer, flush=True)
