#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Reads and drives the program through the accessibility bus (AT-SPI), as a screen reader would.

  atspi_probe.py tree APP TITLE          prints the window TITLE of application APP as a tree
  atspi_probe.py menu APP                waits for a menu item of APP to take the focus, then
                                         prints that menu ("ready" once it listens)
  atspi_probe.py fill APP TITLE NAME TEXT... [--press BUTTON]
                                         replaces the text of the boxes named NAME, then presses
                                         BUTTON, by AT-SPI calls alone

Every wait is bounded (QUORVEL_E2E_TIMEOUT_MS, default 10 s); a failure exits 1 with a message.
"""
import os
import sys
import time

import pyatspi
from gi.repository import GLib

TIMEOUT = int(os.environ.get("QUORVEL_E2E_TIMEOUT_MS", "10000")) / 1000.0


def fail(message):
    print("atspi_probe: " + message, file=sys.stderr)
    sys.exit(1)


def wait_for(what, find):
    deadline = time.monotonic() + TIMEOUT
    while True:
        try:
            found = find()
        except GLib.GError:
            found = None  # the application is still registering
        if found is not None:
            return found
        if time.monotonic() > deadline:
            fail("timed out waiting for " + what)
        time.sleep(0.02)


def application(name):
    def find():
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == name:
                return app
        return None
    return wait_for("application " + repr(name), find)


def window(app_name, title):
    app = application(app_name)
    return wait_for("window " + repr(title), lambda: next(
        (w for w in app if w is not None and w.name == title
         and w.getState().contains(pyatspi.STATE_SHOWING)), None))


def role(node):
    # at-spi2-core 2.56 (Debian 13) calls a push button "button"; the role itself is unchanged.
    if node.getRole() == pyatspi.ROLE_PUSH_BUTTON:
        return "push button"
    return node.getRoleName()


def describe(node):
    line = "%s %s" % (role(node), quote(node.name))
    if node.description:
        line += " description=" + quote(node.description)
    for relation in node.getRelationSet():
        kind = pyatspi.relationToString(relation.getRelationType()).lower().replace(" ", "-")
        targets = [relation.getTarget(i) for i in range(relation.getNTargets())]
        line += " %s=%s" % (kind, ",".join(quote(t.name) for t in targets))
    if "EditableText" in pyatspi.listInterfaces(node):
        line += " text=" + quote(node.queryText().getText(0, -1))
    return line


def quote(text):
    return '"%s"' % text


def print_tree(node, depth=0):
    print("  " * depth + describe(node))
    for child in node:
        print_tree(child, depth + 1)


def descendants(node):
    for child in node:
        yield child
        yield from descendants(child)


def menu(app_name):
    application(app_name)
    found = []

    def on_focus(event):
        source = event.source
        if event.detail1 == 1 and source.getRoleName() == "menu item" \
                and source.getApplication().name == app_name:
            found.append(source.parent)
            pyatspi.Registry.stop()

    pyatspi.Registry.registerEventListener(on_focus, "object:state-changed:focused")
    GLib.timeout_add(int(TIMEOUT * 1000), pyatspi.Registry.stop)
    GLib.idle_add(lambda: print("ready", flush=True) and False)
    pyatspi.Registry.start()
    if not found:
        fail("no menu item of %r took the focus" % app_name)
    print_tree(found[0])


def fill(app_name, title, args):
    press = None
    if "--press" in args:
        at = args.index("--press")
        press, args = args[at + 1], args[:at]
    if len(args) % 2:
        fail("fill needs NAME TEXT pairs, got %r" % args)
    win = window(app_name, title)
    nodes = list(descendants(win))
    for name, text in zip(args[0::2], args[1::2]):
        box = next((n for n in nodes if n.name == name
                    and "EditableText" in pyatspi.listInterfaces(n)), None)
        if box is None:
            fail("no editable box named %r in %r" % (name, title))
        if not box.queryEditableText().setTextContents(text):
            fail("the box %r refused the text" % name)
    if press is not None:
        button = next((n for n in nodes if n.name == press
                       and n.getRole() == pyatspi.ROLE_PUSH_BUTTON), None)
        if button is None:
            fail("no button named %r in %r" % (press, title))
        action = button.queryAction()
        names = [action.getName(i) for i in range(action.nActions)]
        if "Press" not in names:
            fail("button %r offers no Press action, only %r" % (press, names))
        action.doAction(names.index("Press"))


def main(argv):
    if len(argv) >= 4 and argv[1] == "tree":
        print_tree(window(argv[2], argv[3]))
    elif len(argv) == 3 and argv[1] == "menu":
        menu(argv[2])
    elif len(argv) >= 4 and argv[1] == "fill":
        fill(argv[2], argv[3], argv[4:])
    else:
        fail(__doc__)


if __name__ == "__main__":
    main(sys.argv)
