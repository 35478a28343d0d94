#!/usr/bin/python3
"""Reads the running program through the accessibility bus, as a screen reader does: lists the key
page's controls with their names and roles, opens every page through its navigation entry (the
Press action a screen reader offers), the fire page through a button's menu in Game Mode, and fails on any control that can take focus but has no name."""

import sys
import time

import pyatspi

APP_NAMES = ("Gaming Mouse", "tarvik-config")
# The navigation entries in the first language, and a control each page must show once it is open.
PAGES = [
    ("Advanced", lambda c: c[1] == "slider" and c[0].startswith("DPI level 1,")),
    ("Breathing Light", lambda c: c[1] == "radio button" and c[0].startswith("Lighting")),
    ("Macro", None),
    ("Update", None),
    ("Office Mode", None),
]


def find_app(seconds):
    deadline = time.time() + seconds
    while time.time() < deadline:
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name in APP_NAMES:
                return app
        time.sleep(0.3)
    return None


def shown_controls(node, path="", out=None):
    """(name, role, path) of every shown control that can take focus; hidden parts are not entered."""
    if out is None:
        out = []
    for i in range(node.childCount):
        try:
            child = node.getChildAtIndex(i)
            states = child.getState()
        except Exception:
            continue
        if child is None or not states.contains(pyatspi.STATE_SHOWING):
            continue
        where = f"{path}/{i}"
        if states.contains(pyatspi.STATE_FOCUSABLE):
            out.append((child.name, child.getRoleName(), where))
        shown_controls(child, where, out)
    return out


def find_shown(node, name, role=None):
    for i in range(node.childCount):
        try:
            child = node.getChildAtIndex(i)
            if child is None or not child.getState().contains(pyatspi.STATE_SHOWING):
                continue
        except Exception:
            continue
        if child.name == name and (role is None or child.getRoleName() == role):
            return child
        found = find_shown(child, name, role)
        if found is not None:
            return found
    return None


def press(node):
    """The Press action; an action that opens a modal message answers only once it is closed, so a
    missing reply counts as pressed."""
    action = node.queryAction()
    for i in range(action.nActions):
        if action.getName(i) == "Press":
            try:
                action.doAction(i)
            except Exception:
                pass
            return True
    return False


def dismiss_messages(app):
    """A message box (the mouse not found yet) is answered with its button."""
    for window in app:
        if window is not None and window.getRole() in (pyatspi.ROLE_ALERT, pyatspi.ROLE_DIALOG) \
                and window.getState().contains(pyatspi.STATE_SHOWING):
            for control in shown_controls(window):
                if control[1] == "push button":
                    button = find_shown(window, control[0], "push button")
                    if button is not None:
                        press(button)
                        return True
    return False


def open_page(app, entry, ready, seconds=60):
    deadline = time.time() + seconds
    while time.time() < deadline:
        button = find_shown(app, entry, "push button")
        if button is not None and press(button):
            time.sleep(0.5)
            dismiss_messages(app)
            if ready is None:
                return True
            if any(ready(c) for c in shown_controls(app)):
                return True
        time.sleep(0.5)
    return False


def open_fire_page(app, seconds=60):
    """The fire page opens only from a button's menu in Game Mode: Game Mode, a button, "Fire Macro".
    Returns the fire page's shown controls, or None when it did not open."""
    if not open_page(app, "Game Mode", None):
        return None
    time.sleep(0.5)
    navigation = {entry for entry, _ in PAGES} | {"Game Mode", "Exit"}
    deadline = time.time() + seconds
    while time.time() < deadline:
        for name, role, _ in shown_controls(app):
            if role != "push button" or name in navigation or not name.strip():
                continue
            button = find_shown(app, name, role)
            if button is None or not press(button):
                continue
            time.sleep(0.5)
            # Menu entries show a marker before their words (" * Fire Macro"); the name is the
            # words alone.
            entry = next((find_shown(app, n, r) for n, r, _ in shown_controls(app)
                          if n == "Fire Macro"), None)
            if entry is None:
                continue
            press(entry)
            time.sleep(0.8)
            dismiss_messages(app)
            controls = shown_controls(app)
            # The fire page has come when the navigation bar has gone: that page has none.
            if not any(n == "Game Mode" for n, _, _ in controls):
                return controls
        time.sleep(0.5)
    return None


def main():
    app = find_app(60)
    if app is None:
        print("the program did not appear on the accessibility bus")
        return 1
    failures = []
    time.sleep(1.0)

    key_page = shown_controls(app)
    print("Key page, as a screen reader lists it:")
    for name, role, _ in key_page:
        print(f"  {role}: {name!r}")
    if not any(n == "Exit" and r == "push button" for n, r, _ in key_page):
        failures.append("the key page has no named Exit button")

    pages = {"key page": key_page}
    for entry, ready in PAGES:
        if find_shown(app, entry, "push button") is None:
            print(f"{entry}: not offered by this layout")
            continue
        if not open_page(app, entry, ready):
            failures.append(f"the page of {entry!r} did not open through its Press action")
            continue
        time.sleep(0.5)
        pages[entry] = shown_controls(app)
        print(f"{entry}: {len(pages[entry])} focusable controls")

    fire = open_fire_page(app)
    if fire is None:
        failures.append("the fire page did not open through the assignment menu")
    else:
        pages["fire page"] = fire
        print(f"fire page: {len(fire)} focusable controls")

    for page, controls in pages.items():
        for name, role, where in controls:
            if not name.strip():
                failures.append(f"{page}: a focusable {role} without a name at {where}")
    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
