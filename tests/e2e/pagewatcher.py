#!/usr/bin/python3
"""Opens a page in headless Chromium and reports what it shows, a JSON line at every change:
the time, the line beneath it, the time's colour, whether the lost-connection text is shown and
its text. A line "tap" on standard input taps the page. Ends when standard input closes.

Usage: pagewatcher.py CHROMIUM PROFILE_FOLDER URL
"""
import json
import os
import select
import subprocess
import sys
import time
import urllib.request

import websocket

READ = """JSON.stringify({
    figure: document.getElementById('figure').textContent,
    caption: document.getElementById('caption').textContent,
    colour: getComputedStyle(document.getElementById('figure')).color,
    lost: !document.getElementById('lost').hidden,
    lostText: document.getElementById('lost').textContent,
    faded: getComputedStyle(document.getElementById('figure')).opacity !== '1'})"""


def devtools(profile, deadline):
    port_file = os.path.join(profile, "DevToolsActivePort")
    while time.time() < deadline:
        try:
            with open(port_file) as f:
                port = f.readline().strip()
            with urllib.request.urlopen(f"http://127.0.0.1:{port}/json/list", timeout=2) as r:
                pages = [t for t in json.load(r) if t["type"] == "page"]
            if pages:
                return websocket.create_connection(pages[0]["webSocketDebuggerUrl"], timeout=5)
        except (OSError, ValueError):
            pass
        time.sleep(0.2)
    sys.exit("no DevTools page from Chromium")


def start_browser(chromium, profile, url):
    """Headless Chromium on a phone-sized window showing url, its DevTools on a port of its own
    choosing (written into the profile folder)."""
    return subprocess.Popen([chromium, "--headless=new", "--no-sandbox", "--disable-gpu",
                             "--no-first-run", "--no-default-browser-check",
                             "--remote-debugging-port=0", "--remote-debugging-address=127.0.0.1",
                             f"--user-data-dir={profile}", "--window-size=412,915", url],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def main():
    chromium, profile, url = sys.argv[1:4]
    browser = start_browser(chromium, profile, url)
    try:
        socket = devtools(profile, time.time() + 20)
        calls = 0

        def call(expression):
            nonlocal calls
            calls += 1
            socket.send(json.dumps({"id": calls, "method": "Runtime.evaluate",
                                    "params": {"expression": expression, "returnByValue": True}}))
            while True:
                answer = json.loads(socket.recv())
                if answer.get("id") == calls:
                    return answer.get("result", {}).get("result", {}).get("value")

        last = None
        while True:
            ready, _, _ = select.select([sys.stdin], [], [], 0.05)
            if ready:
                line = sys.stdin.readline()
                if not line:
                    return
                if line.strip() == "tap":
                    call("document.getElementById('face').click()")
            shown = call(READ)
            if shown and shown != last:
                print(shown, flush=True)
                last = shown
    finally:
        browser.terminate()
        browser.wait(10)


if __name__ == "__main__":
    main()
