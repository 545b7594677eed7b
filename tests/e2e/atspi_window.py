#!/usr/bin/python3
"""Reads and drives a running zorvane through AT-SPI, the way screen readers and GUI test tools do.

  atspi_window.py choose PORT  checks PORT in "Choose port" through its Toggle action, presses OK
  atspi_window.py read         one line per control of the main window, as AT-SPI gives it:
                               role TAB name TAB description TAB checked (0/1) TAB text

Exits with status 1 and a message when the window or the control does not appear in 10 s.
"""
import sys
import time

import pyatspi

TIMEOUT_S = 10


def find(what, test):
    deadline = time.monotonic() + TIMEOUT_S
    while time.monotonic() < deadline:
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == "Zorvane":
                found = pyatspi.findDescendant(app, test)
                if found is not None:
                    return found
        time.sleep(0.1)
    sys.exit("not found through AT-SPI: " + what)


def act(node, action):
    actions = node.queryAction()
    names = [actions.getName(i) for i in range(actions.nActions)]
    if action not in names:
        sys.exit("%s has no action %s, only %s" % (node.name, action, names))
    actions.doAction(names.index(action))


def choose(port):
    dialog = find('"Choose port"', lambda n: n.name == "Choose port" and n.getRole() == pyatspi.ROLE_DIALOG)
    act(pyatspi.findDescendant(dialog, lambda n: n.name == port), "Toggle")
    act(pyatspi.findDescendant(dialog, lambda n: n.name == "OK"), "Press")


def text_of(node):
    try:
        return node.queryText().getText(0, -1)
    except NotImplementedError:
        return ""


def read():
    # Titled "Zorvane", and once a port is open "Zorvane — <port>".
    window = find("the main window", lambda n: n.name.startswith("Zorvane") and n.getRole() == pyatspi.ROLE_FRAME)
    for node in window:
        checked = node.getState().contains(pyatspi.STATE_CHECKED)
        print("\t".join([node.getRoleName(), node.name, node.description, str(int(checked)), text_of(node)]))


if __name__ == "__main__":
    if sys.argv[1:2] == ["choose"] and len(sys.argv) == 3:
        choose(sys.argv[2])
    elif sys.argv[1:] == ["read"]:
        read()
    else:
        sys.exit(__doc__)
