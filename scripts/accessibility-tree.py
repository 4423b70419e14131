#!/usr/bin/python3
# What assistive technology sees of a running qr2 or qredit, through the AT-SPI bus, and a few
# commands to drive them by it (which also works where no key can be sent, as on Wayland).
#   accessibility-tree.py tree PROGRAM            every window: role, name, description, states, actions
#   accessibility-tree.py wait PROGRAM WINDOW [S]  waits until a window of that name shows
#   accessibility-tree.py do PROGRAM WINDOW ROLE NAME [ACTION]
#                                                 runs an action (the first one) of a control
#   accessibility-tree.py select PROGRAM WINDOW ROLE NAME ROW
#                                                 selects a row of a list or table
#   accessibility-tree.py events PROGRAM SECONDS   prints the check-state changes it hears
#   accessibility-tree.py toggled PROGRAM WINDOW NAME
#                                                 toggles a check box by its action and reports
#                                                 the state-change event it raises
# Exit status 1 when what was asked for is not found.
import sys
import time

import pyatspi
from gi.repository import GLib

WANTED_STATES = ("checked", "enabled", "focused", "focusable", "checkable", "showing")


def line(acc, depth):
    role, name, desc = acc.getRoleName(), acc.name, acc.description
    states = [pyatspi.stateToString(s) for s in acc.getState().getStates()]
    try:
        action = acc.queryAction()
        actions = [action.getName(i) for i in range(action.nActions)]
    except NotImplementedError:
        actions = []
    shown = ",".join(s for s in states if s in WANTED_STATES)
    return "  " * depth + f"[{role}] name={name!r} desc={desc!r} states={shown} actions={actions}"


def walk(acc, depth=0, limit=60):
    print(line(acc, depth))
    count = acc.childCount
    for i in range(min(count, limit)):
        child = acc.getChildAtIndex(i)
        if child is not None:
            walk(child, depth + 1, limit)
    if count > limit:
        print("  " * (depth + 1) + f"... {count - limit} more")


def application(program):
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and app.name == program:
            return app
    return None


def windows(program):
    app = application(program)
    if app is None:
        return []
    found = []
    for i in range(app.childCount):
        w = app.getChildAtIndex(i)
        if w is not None and w.getState().contains(pyatspi.STATE_SHOWING):
            found.append(w)
    return found


def window(program, name):
    for w in windows(program):
        if w.name == name or w.name.startswith(name):
            return w
    return None


def find(acc, role, name):
    if acc.getRoleName() == role and acc.name == name:
        return acc
    for i in range(acc.childCount):
        child = acc.getChildAtIndex(i)
        if child is not None:
            hit = find(child, role, name)
            if hit is not None:
                return hit
    return None


def control(program, window_name, role, name):
    w = window(program, window_name)
    if w is None:
        sys.exit(f"no window {window_name!r} of {program}")
    c = find(w, role, name)
    if c is None:
        sys.exit(f"no {role} {name!r} in {window_name!r}")
    return c


def run_action(acc, wanted=None):
    action = acc.queryAction()
    for i in range(action.nActions):
        if wanted is None or action.getName(i) == wanted:
            return action.doAction(i)
    sys.exit(f"{acc.name!r} has no action {wanted!r}")


def main(argv):
    command = argv[1] if len(argv) > 1 else "tree"
    program = argv[2] if len(argv) > 2 else "qr2"
    if command == "tree":
        for w in windows(program):
            walk(w)
    elif command == "wait":
        deadline = time.time() + (float(argv[4]) if len(argv) > 4 else 20)
        while window(program, argv[3]) is None:
            if time.time() > deadline:
                sys.exit(f"{program}: window {argv[3]!r} did not show")
            time.sleep(0.2)
    elif command == "do":
        run_action(control(program, argv[3], argv[4], argv[5]), argv[6] if len(argv) > 6 else None)
    elif command == "select":
        c = control(program, argv[3], argv[4], argv[5])
        try:
            if not c.queryTable().addRowSelection(int(argv[6])):
                sys.exit(f"row {argv[6]} of {argv[5]!r} not selected")
        except NotImplementedError:
            c.querySelection().selectChild(int(argv[6]))
    elif command == "events":
        told = []
        pyatspi.Registry.registerEventListener(
            lambda e: told.append(f"{e.type} {e.source.getRoleName()} {e.source.name!r} -> {e.detail1}"),
            "object:state-changed:checked")
        deadline = time.time() + float(argv[3])
        while time.time() < deadline:
            GLib.MainContext.default().iteration(False)
            time.sleep(0.02)
        print("\n".join(told) if told else "no check-state events")
        if not told:
            sys.exit(1)
    elif command == "toggled":
        c = control(program, argv[3], "check box", argv[4])
        told = []
        pyatspi.Registry.registerEventListener(lambda e: told.append((e.source.name, e.detail1)),
                                               "object:state-changed:checked")
        run_action(c)
        deadline = time.time() + 3
        while not told and time.time() < deadline:
            GLib.MainContext.default().iteration(False)
            time.sleep(0.05)
        checked = c.getState().contains(pyatspi.STATE_CHECKED)
        print(f"{argv[4]!r}: checked={checked} events={told}")
        if not told:
            sys.exit(1)
    else:
        sys.exit(f"unknown command {command}")


if __name__ == "__main__":
    main(sys.argv)
