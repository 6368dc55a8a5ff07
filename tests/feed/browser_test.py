#!/usr/bin/python3
"""Opens /overlay and / of a running feed in headless Chromium, driven over the DevTools
protocol, and waits until each page shows the state; then changes the state and waits until
the open page shows the change without reloading. Exit 77 when Chromium is missing."""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import urllib.request

try:
    import websocket
except ImportError:
    print("python3-websocket missing")
    sys.exit(77)

HOST = sys.argv[1]
CHROMIUM = shutil.which("chromium")
if not CHROMIUM:
    print("chromium missing")
    sys.exit(77)


def line_matching(stream, pattern, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        line = stream.readline()
        if not line:
            break
        m = re.search(pattern, line)
        if m:
            return m
    raise SystemExit(f"no line matching {pattern!r}")


class Page:
    def __init__(self, devtools, url):
        req = urllib.request.Request(f"{devtools}/json/new?{url}", method="PUT")
        target = json.load(urllib.request.urlopen(req, timeout=10))
        self.ws = websocket.create_connection(target["webSocketDebuggerUrl"], timeout=10)
        self.next = 0

    def call(self, method, **params):
        self.next += 1
        self.ws.send(json.dumps({"id": self.next, "method": method, "params": params}))
        while True:
            reply = json.loads(self.ws.recv())
            if reply.get("id") == self.next:
                return reply

    def value(self, expression):
        reply = self.call("Runtime.evaluate", expression=expression, returnByValue=True)
        return reply.get("result", {}).get("result", {}).get("value")

    def wait_for(self, expression, expected, seconds=20):
        deadline = time.monotonic() + seconds
        seen = None
        while time.monotonic() < deadline:
            seen = self.value(expression)
            if seen == expected:
                return
            time.sleep(0.05)  # polling the page: the browser gives no signal for it
        raise SystemExit(f"{expression} stayed {seen!r}, expected {expected!r}")


def main():
    host = subprocess.Popen([HOST], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
    profile = tempfile.mkdtemp(prefix="darezez-chromium-")
    browser = None
    try:
        port = int(line_matching(host.stdout, r"PORT (\d+)", 30).group(1))
        base = f"http://127.0.0.1:{port}"
        browser = subprocess.Popen(
            [CHROMIUM, "--headless=new", "--no-sandbox", "--disable-gpu", "--no-first-run",
             f"--user-data-dir={profile}", "--remote-debugging-port=0", "about:blank"],
            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        ws = line_matching(browser.stderr, r"DevTools listening on (ws://[^/]+)", 60).group(1)
        devtools = ws.replace("ws://", "http://")

        def send(line):
            host.stdin.write(line + "\n")
            host.stdin.flush()
            line_matching(host.stdout, "PUBLISHED " + re.escape(line), 10)

        overlay = Page(devtools, base + "/overlay")
        overlay.wait_for("document.getElementById('clock').textContent", "10:00")
        overlay.wait_for("document.getElementById('homeName').textContent", "Home")
        overlay.value("window.stayed = 1")
        send("clock 9:58")
        send("home.score 12")
        send("timeAdvantage.holder home")
        send("timeAdvantage.shown 1.2")
        overlay.wait_for("document.getElementById('clock').textContent", "9:58")
        overlay.wait_for("document.getElementById('homeScore').textContent", "12")
        overlay.wait_for("document.getElementById('timeAd').textContent", "T.A. 1.2 Home")
        assert overlay.value("window.stayed") == 1, "the overlay reloaded"
        assert overlay.value("getComputedStyle(document.body).backgroundColor") == "rgba(0, 0, 0, 0)"
        print("overlay shows the state and its changes")

        board = Page(devtools, base + "/")
        board.wait_for("document.querySelectorAll('#board svg').length", 9)
        board.wait_for("document.getElementById('picClock').textContent", "9:58")
        board.wait_for("document.getElementById('picHomeScore').textContent", "12")
        board.value("window.stayed = 1")
        send("clock 59.9")
        board.wait_for("document.getElementById('picClock').textContent", "59.9")
        # The clock (the third field made) lights 5, 9, 9 and leaves its last digit dark.
        lit = board.value("Array.from(document.querySelectorAll('#board svg')[2]"
                          ".querySelectorAll('g')).map(g => g.lastChild.getAttribute('d') !== '')")
        assert lit == [True, True, True, False], lit
        assert board.value("window.stayed") == 1, "the board reloaded"
        # The lamp of the holder is lit in the score colour.
        board.wait_for("Array.from(document.querySelectorAll('#board ellipse')).filter("
                       "e => e.getAttribute('fill') === '#ff8000').length", 1)
        print("board shows the state and its changes")
    finally:
        if browser:
            browser.terminate()
            browser.wait(10)
        host.stdin.close()
        host.wait(10)
        shutil.rmtree(profile, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
