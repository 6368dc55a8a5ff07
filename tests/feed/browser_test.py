#!/usr/bin/python3
"""Opens /overlay and / of a running feed in headless Chromium, driven over the DevTools
protocol, and waits until each page shows the state; then changes the state and waits until
the open page shows the change without reloading. Exit 77 when Chromium or
python3-websocket is missing."""
import re
import subprocess
import sys

# No compiled copy of the module left in the source tree.
sys.dont_write_bytecode = True
import devtools  # noqa: E402
from devtools import line_matching  # noqa: E402

if devtools.missing():
    print(devtools.missing())
    sys.exit(77)

HOST = sys.argv[1]


def main():
    host = subprocess.Popen([HOST], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
    browser = None
    try:
        port = int(line_matching(host.stdout, r"PORT (\d+)", 30).group(1))
        base = f"http://127.0.0.1:{port}"
        browser = devtools.Browser()

        def send(line):
            host.stdin.write(line + "\n")
            host.stdin.flush()
            line_matching(host.stdout, "PUBLISHED " + re.escape(line), 10)

        overlay = browser.open(base + "/overlay")
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

        board = browser.open(base + "/")
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
            browser.close()
        host.stdin.close()
        # A sanitizer's report ends the host with an error.
        if host.wait(30) != 0:
            raise SystemExit(f"feed_host ended with {host.returncode}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
