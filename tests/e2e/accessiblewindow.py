#!/usr/bin/python3
"""The real program as a screen reader meets it: over the accessibility bus, on a private X server
or a private headless Wayland compositor. Checks the role and name of every control of the main
window, starts the timer through the Start button's accessible action, reads the display's text
until two ticks have passed, and ends the program through the Close button.

Run inside its own session bus: dbus-run-session -- accessiblewindow.py x11|wayland PROGRAM ENTRY
(ENTRY is the desktop entry, whose StartupWMClass the window's class on X must match).

accessiblewindow.py read TITLE: for a test that runs the program itself on the current session bus,
prints the text and then the description of the time field of the program's window titled TITLE,
one a line; line ends inside the text are printed as \\n."""

import os
import re
import subprocess
import sys
import tempfile
import time
from collections import Counter

import pyatspi

# (role, name, names of the labels it is labelled by) of every control, in no particular order:
# a screen reader must not need the tree's order to tell the fields apart.
EXPECTED_CONTROLS = [
    ("push button", "閉じる", ()),
    ("push button", "開始(B)", ()),
    ("push button", "停止(E)", ()),
    ("push button", "スライド(C)", ()),
    ("push button", "設定変更(C)", ()),
    ("push button", "保存(S)", ()),
    ("push button", "テスト(T)", ()),
    ("panel", "タイマ", ()),
    ("panel", "Bell", ()),
    ("panel", "スライド", ()),
    ("text", "経過時間", ()),
    ("list", "スライド一覧", ()),
    ("text", "1回目のベル 分", ("1回目のベル", "分後に")),
    ("text", "2回目のベル 分", ("2回目のベル", "分後に")),
    ("text", "3回目のベル 分", ("3回目のベル", "分後に")),
    ("text", "1回目のベル 回数", ("回",)),
    ("text", "2回目のベル 回数", ("回",)),
    ("text", "3回目のベル 回数", ("回",)),
    ("label", "1回目のベル", ()),
    ("label", "2回目のベル", ()),
    ("label", "3回目のベル", ()),
    ("label", "分後に", ()),
    ("label", "分後に", ()),
    ("label", "分後に", ()),
    ("label", "回", ()),
    ("label", "回", ()),
    ("label", "回", ()),
]
TITLE = "Zelvano"


def fail(message):
    print("FAIL:", message)
    sys.exit(1)


def wait_for(what, condition, timeout_s):
    deadline = time.monotonic() + timeout_s
    while time.monotonic() < deadline:
        result = condition()
        if result:
            return result
        time.sleep(0.05)
    fail(f"{what} within {timeout_s} s")


def start_x_server(environment):
    read_end, write_end = os.pipe()
    server = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24",
         "-nolisten", "tcp", "-noreset"],
        pass_fds=[write_end], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as announced:
        number = announced.readline().strip()
    if not number:
        fail("Xvfb did not report a display")
    environment["DISPLAY"] = ":" + number
    environment["QT_QPA_PLATFORM"] = "xcb"
    return server


def start_compositor(environment, runtime):
    socket = "zelvano-test"
    server = subprocess.Popen(
        ["weston", "--backend=headless-backend.so", "--socket=" + socket, "--idle-time=0",
         "--log=" + os.path.join(runtime, "weston.log")],
        env=environment, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wait_for("weston's socket", lambda: os.path.exists(os.path.join(runtime, socket)), 10)
    environment["WAYLAND_DISPLAY"] = socket
    environment["QT_QPA_PLATFORM"] = "wayland"
    return server


def end(process):
    if process is None or process.poll() is not None:
        return
    process.terminate()
    try:
        process.wait(timeout=10)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


def main_window(title=TITLE):
    for application in pyatspi.Registry.getDesktop(0):
        if application is None or application.name != TITLE:
            continue
        for window in application:
            if window is not None and window.name == title:
                return window
    return None


def read_time_field(title):
    window = wait_for(f"a window titled {title} on the accessibility bus",
                      lambda: main_window(title), 30)
    fields = [child for child in window if child is not None and child.getRoleName() == "text"]
    if len(fields) != 1:
        fail(f"{title} holds {len(fields)} text fields, not one")
    print(text_of(fields[0]).replace("\n", "\\n"))
    print(fields[0].description)


def describe(control):
    labels = sorted(target.name for relation in control.getRelationSet()
                    if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY
                    for target in (relation.getTarget(i) for i in range(relation.getNTargets())))
    return control.getRoleName(), control.name, tuple(labels)


def text_of(control):
    return control.queryText().getText(0, -1)


def press(control):
    actions = control.queryAction()
    names = [actions.getName(i) for i in range(actions.nActions)]
    if "Press" not in names:
        fail(f"{control.name} offers no Press action, only {names}")
    actions.doAction(names.index("Press"))


def check_window_class(environment, entry):
    with open(entry, encoding="utf-8") as file:
        wanted = re.search(r"^StartupWMClass=(.*)$", file.read(), re.MULTILINE)
    if not wanted:
        fail(f"{entry} names no StartupWMClass")
    found = subprocess.run(["xdotool", "search", "--class", "^" + re.escape(wanted[1]) + "$"],
                           env=environment, capture_output=True, text=True, timeout=10)
    if not found.stdout.strip():
        fail(f"no window of class {wanted[1]}, the desktop entry's StartupWMClass")


def check(platform, program, entry):
    with tempfile.TemporaryDirectory() as root:
        runtime = os.path.join(root, "runtime")
        work = os.path.join(root, "work")
        os.mkdir(runtime, 0o700)
        os.mkdir(work)
        environment = dict(os.environ, HOME=root, XDG_RUNTIME_DIR=runtime,
                           QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        for variable in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"):
            environment.pop(variable, None)
        server = (start_x_server(environment) if platform == "x11"
                  else start_compositor(environment, runtime))
        timer = None
        try:
            timer = subprocess.Popen([os.path.abspath(program)], cwd=work, env=environment)
            window = wait_for("the main window on the accessibility bus", main_window, 30)
            controls = [child for child in window if child is not None]
            for control in controls:
                print("  ", *describe(control))

            found, expected = Counter(map(describe, controls)), Counter(EXPECTED_CONTROLS)
            if found != expected:
                fail(f"controls differ: missing {list((expected - found).elements())}, "
                     f"unexpected {list((found - expected).elements())}")
            if platform == "x11":
                check_window_class(environment, entry)

            by_name = {control.name: control for control in controls}
            display = by_name["経過時間"]
            if text_of(display) != "000:00":
                fail(f"the display shows {text_of(display)!r} before the start")
            press(by_name["開始(B)"])
            # Ticks come late on a busy machine, never early: wait for the second one.
            wait_for("the display to reach 000:02", lambda: text_of(display) >= "000:02", 15)
            print("display after the start:", text_of(display))

            press(by_name["閉じる"])
            code = timer.wait(timeout=15)
            if code != 0:
                fail(f"the program ended with {code}")
        finally:
            for process in (timer, server):
                end(process)
    print("PASS: the window reads well on", platform)


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "read":
        read_time_field(sys.argv[2])
        sys.exit(0)
    if len(sys.argv) != 4 or sys.argv[1] not in ("x11", "wayland"):
        sys.exit(__doc__)
    check(*sys.argv[1:])
