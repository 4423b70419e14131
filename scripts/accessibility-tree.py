#!/usr/bin/python3
# Prints the accessibility tree of a running qr2 (or of the program named on the command
# line) as assistive technology sees it: role, name, description, states and actions.
import sys

import pyatspi

WANTED_STATES = ("checked", "enabled", "focused", "focusable", "checkable")


def walk(acc, depth=0):
    role, name, desc = acc.getRoleName(), acc.name, acc.description
    states = [pyatspi.stateToString(s) for s in acc.getState().getStates()]
    try:
        action = acc.queryAction()
        actions = [action.getName(i) for i in range(action.nActions)]
    except NotImplementedError:
        actions = []
    shown = ",".join(s for s in states if s in WANTED_STATES)
    print("  " * depth + f"[{role}] name={name!r} desc={desc!r} states={shown} actions={actions}")
    for i in range(acc.childCount):
        walk(acc.getChildAtIndex(i), depth + 1)


program = sys.argv[1] if len(sys.argv) > 1 else "qr2"
desktop = pyatspi.Registry.getDesktop(0)
for i in range(desktop.childCount):
    app = desktop.getChildAtIndex(i)
    if app is not None and app.name == program:
        walk(app)
