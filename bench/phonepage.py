#!/usr/bin/python3
"""Opens the shared page in headless Chromium for SECONDS and prints one JSON line: every change
of the time the page shows, stamped on the wall clock when the page's own code changed it
([milliseconds since the epoch, the time shown]), and the CPU of Chromium's renderer processes
(the page's own work) and of all its processes over the whole run, in ms per minute.

Usage: phonepage.py CHROMIUM PROFILE_FOLDER URL SECONDS
Run inside a network namespace (ip netns exec) it is a phone on another network.
"""
import json
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))),
                                "tests", "e2e"))
# Chromium started and reached as the page's end-to-end test does.
from pagewatcher import devtools, start_browser  # noqa: E402

# Stamps each change of the time as the page's own code makes it: a mutation observer runs in
# the same task that changed the text, before the next frame.
WATCH = """(() => {
    const figure = document.getElementById('figure');
    window.benchChanges = [];
    let last = figure.textContent;
    new MutationObserver(() => {
        if (figure.textContent !== last) {
            last = figure.textContent;
            window.benchChanges.push([performance.timeOrigin + performance.now(), last]);
        }
    }).observe(figure, {childList: true, characterData: true, subtree: true});
    return true;
})()"""


def processes_of(profile):
    """{pid: is a renderer} of the Chromium processes using the profile folder. Chromium writes
    each process's arguments into one line, so they are looked for as text."""
    found = {}
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open("/proc/%s/cmdline" % pid, "rb") as cmdline:
                line = cmdline.read().replace(b"\0", b" ") + b" "
        except OSError:
            continue
        if b"--user-data-dir=" + profile.encode() + b" " in line:
            found[int(pid)] = b"--type=renderer " in line
    return found


def cpu_ns(pid):
    total = 0
    try:
        for tid in os.listdir("/proc/%d/task" % pid):
            with open("/proc/%d/task/%s/schedstat" % (pid, tid)) as schedstat:
                total += int(schedstat.read().split()[0])
    except OSError:
        pass
    return total


def main():
    chromium, profile, url, seconds = sys.argv[1:5]
    browser = start_browser(chromium, profile, url)
    try:
        socket = devtools(profile, time.time() + 20)

        def call(expression):
            socket.send(json.dumps({"id": 1, "method": "Runtime.evaluate",
                                    "params": {"expression": expression, "returnByValue": True}}))
            while True:
                answer = json.loads(socket.recv())
                if answer.get("id") == 1:
                    return answer.get("result", {}).get("result", {}).get("value")

        deadline = time.time() + 20
        while not call("document.readyState === 'complete' && !!document.getElementById('figure')"):
            if time.time() > deadline:
                sys.exit("the page did not load")
            time.sleep(0.1)
        call(WATCH)
        # The page settles (its script connects and draws) before the CPU is read.
        time.sleep(3)
        kinds = processes_of(profile)
        before = {pid: cpu_ns(pid) for pid in kinds}
        begun = time.monotonic()
        time.sleep(float(seconds))
        elapsed = time.monotonic() - begun
        used = {pid: cpu_ns(pid) - before[pid] for pid in kinds}
        scale = 60.0 / elapsed / 1e6
        print(json.dumps({
            "changes": call("window.benchChanges"),
            "renderer_cpu_ms_per_min": sum(ns for pid, ns in used.items() if kinds[pid]) * scale,
            "browser_cpu_ms_per_min": sum(used.values()) * scale,
            "renderers": sum(kinds.values())}), flush=True)
    finally:
        browser.terminate()
        browser.wait(10)


if __name__ == "__main__":
    main()
