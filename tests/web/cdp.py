"""Headless Chromium driven over the DevTools protocol on a pipe (no driver
library): start it, open a page, evaluate script, send input, collect the
console."""
import json
import os
import subprocess
import tempfile
import time

FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync",
         "--autoplay-policy=user-gesture-required", "--remote-debugging-pipe"]


class Browser:
    def __init__(self, binary="/usr/bin/chromium", extra=()):
        self.profile = tempfile.TemporaryDirectory(prefix="quorvex-chromium-")
        to_browser_r, self._to_browser = os.pipe()
        self._from_browser, from_browser_w = os.pipe()

        def fds():  # the browser reads fd 3 and writes fd 4
            reads, writes = os.dup(to_browser_r), os.dup(from_browser_w)
            os.dup2(reads, 3)
            os.dup2(writes, 4)

        self.proc = subprocess.Popen(
            [binary, *FLAGS, *extra, "--user-data-dir=" + self.profile.name, "about:blank"],
            preexec_fn=fds, pass_fds=(3, 4), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(to_browser_r)
        os.close(from_browser_w)
        self._buffer = b""
        self._next_id = 0
        self.events = []
        self.session = None

    def close(self):
        try:
            self.call("Browser.close", session=False, timeout=5)
        except Exception:
            pass
        try:
            self.proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.proc.kill()
        os.close(self._to_browser)
        os.close(self._from_browser)
        self.profile.cleanup()

    def _read_message(self, deadline):
        while b"\0" not in self._buffer:
            if time.monotonic() > deadline:
                raise TimeoutError("no answer from the browser")
            chunk = os.read(self._from_browser, 1 << 20)
            if not chunk:
                raise EOFError("the browser closed its pipe")
            self._buffer += chunk
        raw, self._buffer = self._buffer.split(b"\0", 1)
        return json.loads(raw)

    def call(self, method, params=None, session=True, timeout=30):
        self._next_id += 1
        message = {"id": self._next_id, "method": method, "params": params or {}}
        if session and self.session:
            message["sessionId"] = self.session
        os.write(self._to_browser, json.dumps(message).encode() + b"\0")
        deadline = time.monotonic() + timeout
        while True:
            reply = self._read_message(deadline)
            if reply.get("id") == self._next_id:
                if "error" in reply:
                    raise RuntimeError(f"{method}: {reply['error']}")
                return reply.get("result", {})
            self.events.append(reply)

    def open(self, url):
        target = self.call("Target.createTarget", {"url": "about:blank"}, session=False)["targetId"]
        self.session = self.call("Target.attachToTarget", {"targetId": target, "flatten": True},
                                 session=False)["sessionId"]
        for domain in ("Runtime", "Log", "Page"):
            self.call(domain + ".enable")
        self.call("Emulation.setDeviceMetricsOverride",
                  {"width": 900, "height": 700, "deviceScaleFactor": 1, "mobile": False})
        self.call("Page.navigate", {"url": url})

    def eval(self, expression, timeout=30):
        result = self.call("Runtime.evaluate", {"expression": expression, "awaitPromise": True,
                                                "returnByValue": True}, timeout=timeout)
        if "exceptionDetails" in result:
            raise RuntimeError(f"{expression[:60]}: {result['exceptionDetails']}")
        return result["result"].get("value")

    def wait_for(self, expression, timeout=30):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            try:
                value = self.eval(expression)
            except RuntimeError:  # the page is not there yet
                value = None
            if value:
                return value
            time.sleep(0.05)
        raise TimeoutError("never true: " + expression)

    def console(self, kinds=("log",)):
        """Texts of the console calls of these kinds, and of errors of any origin under 'error'."""
        out = []
        for e in self.events:
            if e.get("method") == "Runtime.consoleAPICalled" and e["params"]["type"] in kinds:
                out.append(" ".join(str(a.get("value", "")) for a in e["params"]["args"]))
            elif "error" in kinds and e.get("method") == "Runtime.exceptionThrown":
                out.append(str(e["params"]["exceptionDetails"]))
            elif "error" in kinds and e.get("method") == "Log.entryAdded" and \
                    e["params"]["entry"]["level"] == "error":
                out.append(e["params"]["entry"]["text"])
        return out

    def pump(self, seconds):
        """Collects events for a while (console lines come as events)."""
        self.eval(f"new Promise(r => setTimeout(r, {int(seconds * 1000)}))", timeout=seconds + 30)

    def click(self, x, y):
        for kind in ("mousePressed", "mouseReleased"):
            self.call("Input.dispatchMouseEvent", {"type": kind, "x": x, "y": y, "button": "left",
                                                   "clickCount": 1})

    def key(self, kind, key, code, key_code):
        self.call("Input.dispatchKeyEvent", {"type": kind, "key": key, "code": code,
                                             "windowsVirtualKeyCode": key_code,
                                             "nativeVirtualKeyCode": key_code})

    def screenshot(self, path):
        import base64
        data = self.call("Page.captureScreenshot", {"format": "png"})["data"]
        with open(path, "wb") as f:
            f.write(base64.b64decode(data))
