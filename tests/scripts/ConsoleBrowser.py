#!/usr/bin/python3
"""Headless Chromium, driven through its DevTools protocol, loads the launcher's console with
the password, keeps a screenshot at phone and desktop size once the page shows everything,
and with --press-next clicks "next" with the mouse and waits for the page's answer.
    ConsoleBrowser.py PORT PASSWORD SCREENSHOT_PREFIX PROFILE_FOLDER [--press-next]"""
import base64
import json
import subprocess
import sys
import time
import urllib.request

import websocket

DEBUG_PORT = 18090
SIZES = (("phone", 390, 844, True), ("desktop", 1280, 800, False))
# The page is ready when it has shown the status, the playlist's rows and a picture.
READY = """(() => {
  const picture = document.getElementById('picture');
  return document.readyState === 'complete' && document.getElementById('effect').textContent !== '…'
    && document.querySelectorAll('#playlist li button').length > 0
    && document.getElementById('log').textContent.length > 0
    && picture.complete && picture.naturalWidth > 0;
})()"""


class Page:
    def __init__(self, url):
        self.socket = websocket.create_connection(url, timeout=30)
        self.last = 0

    def call(self, method, **params):
        self.last += 1
        self.socket.send(json.dumps({"id": self.last, "method": method, "params": params}))
        while True:
            message = json.loads(self.socket.recv())
            if message.get("id") == self.last:
                if "error" in message:
                    raise RuntimeError(f"{method}: {message['error']}")
                return message.get("result", {})

    def evaluate(self, expression):
        result = self.call("Runtime.evaluate", expression=expression, returnByValue=True, awaitPromise=True)
        return result.get("result", {}).get("value")

    def wait_for(self, expression, seconds):
        until = time.monotonic() + seconds
        while time.monotonic() < until and not self.evaluate(expression):
            time.sleep(0.25)
        return self.evaluate(expression)

    def click(self, element_id):
        box = json.loads(self.evaluate(
            f"JSON.stringify(document.getElementById('{element_id}').getBoundingClientRect())"))
        x, y = box["x"] + box["width"] / 2, box["y"] + box["height"] / 2
        self.call("Input.dispatchMouseEvent", type="mouseMoved", x=x, y=y)
        for kind in ("mousePressed", "mouseReleased"):
            self.call("Input.dispatchMouseEvent", type=kind, x=x, y=y, button="left", clickCount=1)


def first_page():
    until = time.monotonic() + 30
    while time.monotonic() < until:
        try:
            with urllib.request.urlopen(f"http://127.0.0.1:{DEBUG_PORT}/json/list", timeout=2) as answer:
                for target in json.load(answer):
                    if target.get("type") == "page":
                        return Page(target["webSocketDebuggerUrl"])
        except OSError:
            pass
        time.sleep(0.25)
    raise RuntimeError("the browser did not open its DevTools port")


def main():
    port, password, prefix, profile = sys.argv[1:5]
    press_next = "--press-next" in sys.argv[5:]
    browser = subprocess.Popen(
        ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run", "--hide-scrollbars",
         "--lang=en-US", f"--remote-debugging-port={DEBUG_PORT}", f"--user-data-dir={profile}", "about:blank"],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    failures = 0
    try:
        page = first_page()
        page.call("Page.enable")
        page.call("Network.enable")
        credential = base64.b64encode(f"console:{password}".encode()).decode()
        page.call("Network.setExtraHTTPHeaders", headers={"Authorization": f"Basic {credential}"})
        for name, width, height, mobile in SIZES:
            page.call("Emulation.setDeviceMetricsOverride", width=width, height=height, deviceScaleFactor=1,
                      mobile=mobile)
            page.call("Page.navigate", url=f"http://127.0.0.1:{port}/")
            if not page.wait_for(READY, 30):
                print(f"FAIL  the console at {name} size did not show status, playlist, log and picture")
                failures += 1
                continue
            # A moment for the rounds of the page that were under way.
            time.sleep(1.5)
            overflow = page.evaluate("document.documentElement.scrollWidth > window.innerWidth")
            if overflow:
                print(f"FAIL  the console at {name} size is wider than the screen")
                failures += 1
            shot = page.call("Page.captureScreenshot", format="png")
            with open(f"{prefix}-{name}.png", "wb") as out:
                out.write(base64.b64decode(shot["data"]))
            print(f"ok    screenshot {prefix}-{name}.png")
        if press_next:
            page.click("next-button")
            page.wait_for("document.getElementById('message').textContent !== ''", 15)
            said = page.evaluate("document.getElementById('message').textContent")
            bad = page.evaluate("document.getElementById('message').classList.contains('bad')")
            if not said or bad:
                print(f"FAIL  pressing next: the page said '{said}'")
                failures += 1
            else:
                print(f"ok    pressed next; the page said '{said}'")
    finally:
        browser.terminate()
        try:
            browser.wait(10)
        except subprocess.TimeoutExpired:
            browser.kill()
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
