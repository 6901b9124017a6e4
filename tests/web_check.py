#!/usr/bin/python3
"""The page in Chromium, served from 127.0.0.1 as a static host would.

  web_check.py e2e SCALE        the real-window test against the page in an app window
  web_check.py page             what Chromium's accessibility tree holds, the focus as
                                the keyboard moves it, a quiet console, installability,
                                and the page opened again with the server gone
  web_check.py browser SCALE URL  (for the real-window test) a fresh Chromium app window

From CTest: VENDROLA_WEB_PAGE (the page's folder), VENDROLA_E2E (the
real-window test) and VENDROLA_WEB_SCRATCH (profiles).
"""

import functools
import glob
import http.server
import json
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time
import urllib.request

import websocket  # python3-websocket

SCRATCH = os.environ.get("VENDROLA_WEB_SCRATCH", tempfile.gettempdir())
os.makedirs(SCRATCH, exist_ok=True)
# No GPU under Xvfb: WebGL through Chromium's software renderer.
CHROMIUM = ["/usr/bin/chromium", "--no-first-run", "--no-default-browser-check", "--test-type",
            "--no-sandbox", "--disable-background-networking", "--disable-component-update",
            "--disable-sync", "--password-store=basic", "--enable-unsafe-swiftshader"]
COLOURS = ["червен", "маслинено каки", "сьомга", "тъмнозелен", "лазурен", "морскозелен",
           "пурпурночервен", "магента"]
MONTHS = ["януари", "февруари", "март", "април", "май", "юни", "юли", "август", "септември",
          "октомври", "ноември", "декември"]


class Files(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      ".wasm": "application/wasm", ".webmanifest": "application/manifest+json"}
    missing = []

    def send_error(self, code, *args, **kwargs):
        Files.missing.append(self.path)
        super().send_error(code, *args, **kwargs)

    def log_message(self, *args):
        pass


def serve():
    handler = functools.partial(Files, directory=os.environ["VENDROLA_WEB_PAGE"])
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server, f"http://127.0.0.1:{server.server_address[1]}/"


def profile():
    """A fresh profile whose app windows have the window manager's frame."""
    folder = tempfile.mkdtemp(prefix="profile-", dir=SCRATCH)
    os.makedirs(f"{folder}/Default")
    with open(f"{folder}/Default/Preferences", "w") as preferences:
        json.dump({"browser": {"custom_chrome_frame": False}}, preferences)
    return folder


def browser(scale, url):
    os.execv(CHROMIUM[0], CHROMIUM + [f"--user-data-dir={profile()}", f"--app={url}",
                                      "--window-size=609,367", f"--force-device-scale-factor={scale}"])


def e2e(scale):
    server, url = serve()
    command = f"/usr/bin/python3 {os.path.abspath(__file__)} browser {scale} {url}"
    environment = dict(os.environ, VENDROLA_E2E_COMMAND=command, VENDROLA_E2E_SCALE=scale,
                       QT_QPA_PLATFORM="offscreen")
    test = os.environ["VENDROLA_E2E"]
    status = subprocess.call([test], cwd=os.path.dirname(test), env=environment)
    server.shutdown()
    for folder in glob.glob(f"{SCRATCH}/profile-*"):
        shutil.rmtree(folder, ignore_errors=True)
    return status


class DevTools:
    """Chromium's DevTools protocol on one page, with the events it sent."""

    def __init__(self, url):
        self.folder = folder = profile()
        self.process = subprocess.Popen(CHROMIUM + ["--headless=new", "--remote-debugging-port=0",
                                                    f"--user-data-dir={folder}", url],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        port_file = f"{folder}/DevToolsActivePort"
        until(lambda: os.path.exists(port_file) and open(port_file).read().count("\n") >= 1)
        port = open(port_file).read().split()[0]
        pages = json.load(urllib.request.urlopen(f"http://127.0.0.1:{port}/json"))
        page = next(p for p in pages if p["type"] == "page")
        self.socket = websocket.create_connection(page["webSocketDebuggerUrl"], timeout=60)
        self.next_id, self.events = 0, []
        for domain in ("Page", "Runtime", "Log", "Accessibility"):
            self.call(f"{domain}.enable")

    def call(self, method, **params):
        self.next_id += 1
        self.socket.send(json.dumps({"id": self.next_id, "method": method, "params": params}))
        while True:
            message = json.loads(self.socket.recv())
            if message.get("id") == self.next_id:
                if "error" in message:
                    raise RuntimeError(f"{method}: {message['error']}")
                return message["result"]
            self.events.append(message)

    def evaluate(self, expression):
        result = self.call("Runtime.evaluate", expression=expression, awaitPromise=True,
                           returnByValue=True)
        return result["result"].get("value")

    def key(self, key, code, keycode):
        for kind in ("keyDown", "keyUp"):
            self.call("Input.dispatchKeyEvent", type=kind, key=key, code=code,
                      windowsVirtualKeyCode=keycode, text=key if kind == "keyDown" and key == " " else "")
        time.sleep(0.2)

    def tree(self):
        """(role, name, description, focused, selected) of every node a screen reader gets."""
        nodes = []
        for node in self.call("Accessibility.getFullAXTree")["nodes"]:
            if node.get("ignored"):
                continue
            properties = {p["name"]: p["value"].get("value") for p in node.get("properties", [])}
            nodes.append((node.get("role", {}).get("value"), node.get("name", {}).get("value", ""),
                          node.get("description", {}).get("value", ""),
                          bool(properties.get("focused")), bool(properties.get("selected"))))
        return nodes

    def focused(self):
        """The focused node; the document around it counts as focused too."""
        nodes = [(role, name) for role, name, _, focused, _ in self.tree() if focused]
        return nodes[-1] if nodes else None

    def close(self):
        self.process.kill()
        self.process.wait()
        shutil.rmtree(self.folder, ignore_errors=True)


def until(condition, seconds=60):
    deadline = time.monotonic() + seconds
    while not condition():
        if time.monotonic() > deadline:
            raise TimeoutError("gave up waiting")
        time.sleep(0.2)


failures = []


def check(what, condition):
    print(("ok: " if condition else "FAILED: ") + what)
    if not condition:
        failures.append(what)


def page():
    server, url = serve()
    chromium = DevTools(url)
    twin_up = "document.querySelectorAll('#twin [role=option]').length >= 60"
    until(lambda: chromium.evaluate(twin_up))
    tree = chromium.tree()
    names = {(role, name) for role, name, *_ in tree}
    check("the page's title is the window's",
          chromium.evaluate("document.title").startswith("www.vendrola.bg ИТ"))
    check("the colour buttons say their colour and that it is free",
          all(("button", f"Цвят {c} – свободен") in names for c in COLOURS))
    check("the action buttons and the labels are there",
          {("button", "Изведи"), ("button", "Изчисти"), ("StaticText", "Изберете цвят"),
           ("button", "Jan"), ("StaticText", "04 - Обем информация")} <= names)
    values = chromium.evaluate("""[0, 1, 2, 3].map((i) => [...document.querySelectorAll(
        `#twin-List1-${i} [role=option]`)].map((item) => item.getAttribute('aria-label')
        .split(': ')[1]))""")
    check("each list is a list box of its series, its items 'month: value'",
          all(("listbox", f"Серия 0{i + 1}") in {(r, n.split(" –")[0]) for r, n in names}
              and all(("option", f"{MONTHS[j]}: {values[i][j]}") in names for j in range(12))
              for i in range(4)))
    chart = [node for node in tree if node[1] == "Диаграма на посещенията"]
    check("the chart is there with its description",
          len(chart) == 1 and chart[0][0] == "listbox" and chart[0][2] == "празна")

    def month(j):
        return f"{MONTHS[j]}: " + ", ".join(values[i][j] for i in range(4))
    check("the chart's months say their four values", ("option", month(5)) in names)
    check("the focus starts on the first colour",
          chromium.focused() == ("button", "Цвят червен – свободен"))
    chromium.key(" ", "Space", 32)
    check("Space uses the colour and the focus moves on",
          chromium.focused() == ("button", "Цвят маслинено каки – свободен")
          and ("button", "Цвят червен – използван") in {(r, n) for r, n, *_ in chromium.tree()})
    for _ in range(20):
        if chromium.focused() == ("listbox", "Диаграма на посещенията"):
            break
        chromium.key("Tab", "Tab", 9)
    check("Tab reaches the chart", chromium.focused() == ("listbox", "Диаграма на посещенията"))
    chromium.key("ArrowRight", "ArrowRight", 39)
    check("Right reaches January with its values", chromium.focused() == ("option", month(0)))
    chromium.key("End", "End", 35)
    check("End reaches December", chromium.focused() == ("option", month(11)))
    check("the lists select December too", all(
        selected for role, name, _, _, selected in chromium.tree()
        if role == "option" and name == f"декември: {values[0][11]}"))
    errors = [e for e in chromium.events
              if e.get("method") == "Runtime.exceptionThrown"
              or (e.get("method") == "Runtime.consoleAPICalled" and e["params"]["type"] == "error")
              or (e.get("method") == "Log.entryAdded" and e["params"]["entry"]["level"] == "error")]
    check("nothing at error level in the console", not errors)
    check("no request for a file the page does not have", not Files.missing)
    installability = chromium.call("Page.getInstallabilityErrors")["installabilityErrors"]
    check("Chromium can install the page as an app", installability == [])

    chromium.evaluate("navigator.serviceWorker.ready.then(() => true)")
    server.shutdown()
    server.server_close()
    chromium.call("Page.reload")
    try:
        until(lambda: chromium.evaluate(twin_up) is True, 30)
        offline = True
    except TimeoutError:
        offline = False
    check("without the server the page opens from what it kept", offline)
    chromium.close()
    return 1 if failures else 0


if __name__ == "__main__":
    mode = sys.argv[1]
    if mode == "browser":
        browser(sys.argv[2], sys.argv[3])
    sys.exit(e2e(sys.argv[2]) if mode == "e2e" else page())
