# A screen reader's side of the accessibility tests: reads the shown controls
# of one program through AT-SPI and calls their own actions, as Orca does.
# Run by tests/support/ScreenReader.cpp with Debian's /usr/bin/python3 (for
# pyatspi), on the session bus of the program. One request a line on
# standard input, fields separated by tabs; one answer a line:
#
#   ready                   -> ok
#   attach PID              -> ok | missing
#   state ROLE NAME         -> ok STATE,STATE... | missing
#   act ROLE NAME ACTION    -> ok | missing | refused
#   size ROLE NAME          -> ok WIDTH HEIGHT | missing
#   unnamed ROLE,ROLE...    -> ok ROLE ROLE...   (shown controls without a name)
#   popup OPENER ROLE NAME ACTION -> ok | missing | refused
#                           (presses the push button OPENER, then calls ACTION
#                           of the control in the popup it opens)
#
# ROLE is the role's AT-SPI name ("push button", "radio button"); only shown
# controls are looked at, the first one with the name is taken.
import sys

import pyatspi
from gi.repository import GLib

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


def attach(pid):
    global program
    for application in pyatspi.Registry.getDesktop(0):
        if application is not None and application.get_process_id() == int(pid):
            program = application
            return "ok"
    return "missing"


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


# Within the test's wait for an answer.
POPUP_SECONDS = 8


def popup(opener, role, name, action):
    """Qt lists no popup among a program's windows: its control is caught as
    it shows, as a screen reader hears of it."""
    button = find("push button", opener)
    if button is None:
        return "missing"
    answers = []

    def shown(event):
        try:
            control = event.source
            if answers or not event.detail1 or control.getRoleName() != role or control.name != name:
                return
            if control.get_process_id() != program.get_process_id():
                return
            answers.append(call(control, action))
            pyatspi.Registry.stop()
        except Exception:  # a control gone while it was read
            pass

    def give_up():
        answers.append("missing")
        pyatspi.Registry.stop()
        return False

    kind = "object:state-changed:showing"
    pyatspi.Registry.registerEventListener(shown, kind)
    timeout = GLib.timeout_add_seconds(POPUP_SECONDS, give_up)
    try:
        pressed = call(button, "Press")
        if pressed != "ok":
            return pressed
        pyatspi.Registry.start()
    finally:
        pyatspi.Registry.deregisterEventListener(shown, kind)
        if not answers or answers[-1] != "missing":
            GLib.source_remove(timeout)
    return answers[0] if answers else "missing"


def size(role, name):
    control = find(role, name)
    if control is None:
        return "missing"
    extents = control.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return "ok\t%d\t%d" % (extents.width, extents.height)


def unnamed(roles):
    wanted = roles.split(",")
    found = [c.getRoleName() for c in controls(program) if c.getRoleName() in wanted and not c.name]
    return "\t".join(["ok"] + found)


requests = {"ready": lambda: "ok", "attach": attach, "state": state, "act": act, "size": size, "unnamed": unnamed,
            "popup": popup}

for line in sys.stdin:
    fields = line.rstrip("\n").split("\t")
    try:
        answer = requests[fields[0]](*fields[1:])
    except Exception as error:  # a control gone while it was read
        answer = "error\t" + str(error).replace("\n", " ")
    print(answer, flush=True)
