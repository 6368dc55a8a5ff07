#!/usr/bin/python3
"""Headless Chromium for a test in another language: one JSON request a line on standard
input, one JSON answer a line on standard output. The first line out is {"ready": true}, or
{"skip": why} when Chromium or python3-websocket is missing.

  {"open": NAME, "url": URL}                 -> {"ok": true}
  {"page": NAME, "eval": EXPRESSION}         -> {"ok": true, "value": ...}
  {"page": NAME, "until": CONDITION, "ms": N} -> {"ok": true if it came true within N ms}
"""
import json
import os
import sys

# No compiled copy of the module left in the source tree.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import devtools  # noqa: E402


def say(answer):
    sys.stdout.write(json.dumps(answer) + "\n")
    sys.stdout.flush()


def main():
    if devtools.missing():
        say({"skip": devtools.missing()})
        return 0
    browser = devtools.Browser()
    pages = {}
    try:
        say({"ready": True})
        for line in sys.stdin:
            if not line.strip():
                continue
            try:
                request = json.loads(line)
                if "open" in request:
                    pages[request["open"]] = browser.open(request["url"])
                    say({"ok": True})
                elif "eval" in request:
                    say({"ok": True, "value": pages[request["page"]].value(request["eval"])})
                elif "until" in request:
                    page = pages[request["page"]]
                    say({"ok": page.until(request["until"], request.get("ms", 20000) / 1000)})
                else:
                    say({"ok": False, "error": "unknown request"})
            except Exception as e:  # the test reads the error, the driver goes on
                say({"ok": False, "error": f"{type(e).__name__}: {e}"})
    finally:
        browser.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
