"""Headless Chromium driven over the DevTools protocol: shared by the feed's browser tests.
Needs Debian's chromium and python3-websocket; missing() says which is absent."""
import json
import re
import shutil
import subprocess
import tempfile
import threading
import time
import urllib.request

try:
    import websocket
except ImportError:
    websocket = None

CHROMIUM = shutil.which("chromium")


def missing():
    if websocket is None:
        return "python3-websocket is not installed"
    if not CHROMIUM:
        return "chromium is not installed"
    return None


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


class Browser:
    """One headless Chromium with a profile of its own, removed again by close()."""

    def __init__(self):
        self.profile = tempfile.mkdtemp(prefix="darezez-chromium-")
        # Pages in tabs behind the first keep their timers and event streams at full pace.
        self.process = subprocess.Popen(
            [CHROMIUM, "--headless=new", "--no-sandbox", "--disable-gpu", "--no-first-run",
             "--disable-background-timer-throttling", "--disable-renderer-backgrounding",
             "--disable-backgrounding-occluded-windows", f"--user-data-dir={self.profile}",
             "--remote-debugging-port=0", "about:blank"],
            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        self.log = []
        found = threading.Event()

        # Read to the end: a full pipe would stop the browser.
        def drain():
            for line in self.process.stderr:
                self.log.append(line)
                del self.log[:-50]
                m = re.search(r"DevTools listening on (ws://[^/]+)", line)
                if m:
                    self.devtools = m.group(1).replace("ws://", "http://")
                    found.set()
            found.set()

        threading.Thread(target=drain, daemon=True).start()
        if not found.wait(60) or not getattr(self, "devtools", None):
            self.close()
            raise SystemExit("Chromium gave no DevTools address: " + "".join(self.log))

    def open(self, url):
        return Page(self.devtools, url)

    def close(self):
        self.process.terminate()
        try:
            self.process.wait(10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait(10)
        shutil.rmtree(self.profile, ignore_errors=True)


class Page:
    def __init__(self, devtools, url):
        req = urllib.request.Request(f"{devtools}/json/new?{url}", method="PUT")
        target = json.load(urllib.request.urlopen(req, timeout=10))
        # Some Chromium builds answer 403 to a DevTools client that sends an Origin.
        self.ws = websocket.create_connection(target["webSocketDebuggerUrl"], timeout=10,
                                              suppress_origin=True)
        self.next = 0

    def call(self, method, timeout=10, **params):
        self.next += 1
        self.ws.settimeout(timeout)
        self.ws.send(json.dumps({"id": self.next, "method": method, "params": params}))
        while True:
            reply = json.loads(self.ws.recv())
            if reply.get("id") == self.next:
                return reply

    def value(self, expression):
        reply = self.call("Runtime.evaluate", expression=expression, returnByValue=True)
        return reply.get("result", {}).get("result", {}).get("value")

    def until(self, condition, seconds=20):
        """Waits until `condition` (an expression) is true in the page, checked on every
        change of its document; True when it came true in time."""
        deadline = time.monotonic() + seconds
        while True:
            ms = max(0, int((deadline - time.monotonic()) * 1000))
            script = f"""new Promise(resolve => {{
  const test = () => {{ try {{ return !!({condition}); }} catch (e) {{ return false; }} }};
  if (test()) return resolve(true);
  const watch = new MutationObserver(() => {{
    if (test()) {{ watch.disconnect(); clearTimeout(late); resolve(true); }}
  }});
  watch.observe(document, {{subtree: true, childList: true, characterData: true,
                            attributes: true}});
  const late = setTimeout(() => {{ watch.disconnect(); resolve(test()); }}, {ms});
}})"""
            reply = self.call("Runtime.evaluate", timeout=ms / 1000 + 10, expression=script,
                              awaitPromise=True, returnByValue=True)
            result = reply.get("result", {}).get("result", {})
            if result.get("type") == "boolean":
                return result["value"]
            # The document it waited in was replaced (the first load): wait in the new one.
            if time.monotonic() >= deadline:
                return False

    def wait_for(self, expression, expected, seconds=20):
        if not self.until(f"JSON.stringify({expression}) === {json.dumps(json.dumps(expected))}",
                          seconds):
            seen = self.value(expression)
            raise SystemExit(f"{expression} stayed {seen!r}, expected {expected!r}")
