#!/usr/bin/env python3
"""Real Chromium profiles with service workers, made and visited headless.

  chromium-sw.py make PROFILE       serves three sites on the loopback and visits them:
                                    other-site, keep-bank, keep-bank with a new worker
                                    script (the worker updates), secret-clinic
  chromium-sw.py visit PROFILE SITE...
                                    with no server: visits each site twice and prints
                                    whether its page loaded from its worker
  chromium-sw.py dump DATABASE      the records of a copy of "Service Worker/Database"
                                    (needs python3-plyvel; opening writes to the copy)
  chromium-sw.py scripts FOLDER     which resource each entry of a ScriptCache holds

Sites are plain http, mapped to 127.0.0.1 and treated as secure by Chromium's switches.
"""
import fcntl
import http.server
import json
import os
import pathlib
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time

HERE = pathlib.Path(__file__).resolve().parent
SITES = ["other-site.test", "keep-bank.test", "secret-clinic.test"]
# What each page shows and keeps in localStorage; the checks search the profile for them.
MARKERS = {site: "marker-" + site.split(".")[0] + "-5e1f0c" for site in SITES}
STEP_TIMEOUT = 20  # seconds for one page to load and its worker to answer


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Sites(http.server.BaseHTTPRequestHandler):
    worker_versions = {site: "v1" for site in SITES}

    def do_GET(self):
        site = self.headers.get("Host", "").split(":")[0]
        if site not in SITES or self.path not in ("/", "/sw.js"):
            self.send_error(404)
            return
        if self.path == "/":
            body = (HERE / "site/index.html").read_text().replace("@MARKER@", MARKERS[site])
            kind, cache = "text/html; charset=utf-8", "no-store"  # only the worker's cache keeps it
        else:
            body = (HERE / "site/sw.js").read_text().replace("@VERSION@", self.worker_versions[site])
            kind, cache = "text/javascript", "no-cache"
        data = body.encode()
        self.send_response(200)
        self.send_header("Content-Type", kind)
        self.send_header("Cache-Control", cache)
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)

    def log_message(self, *args):
        pass


class Chromium:
    """Headless Chromium driven through the DevTools protocol over a pipe."""

    def __init__(self, profile, port):
        rules = ", ".join(f"MAP {site} 127.0.0.1:{port}" for site in SITES)
        secure = ",".join(f"http://{site}" for site in SITES)
        args = [shutil.which("chromium") or "chromium", "--headless=new", f"--user-data-dir={profile}",
                "--remote-debugging-pipe", f"--host-resolver-rules={rules}",
                f"--unsafely-treat-insecure-origin-as-secure={secure}", "--no-first-run",
                "--no-default-browser-check", "--disable-background-networking", "--disable-component-update",
                "--disable-sync", "--password-store=basic", "--use-mock-keychain", "about:blank"]
        if os.geteuid() == 0:
            args.insert(1, "--no-sandbox")
        to_child, self.writer = os.pipe()
        self.reader, from_child = os.pipe()

        def pipes():  # Chromium reads commands from fd 3 and answers on fd 4
            high = [fcntl.fcntl(fd, fcntl.F_DUPFD, 10) for fd in (to_child, from_child)]
            os.dup2(high[0], 3)
            os.dup2(high[1], 4)

        self.log = open(pathlib.Path(profile).parent / (pathlib.Path(profile).name + ".chromium.log"), "ab")
        self.process = subprocess.Popen(args, stdin=subprocess.DEVNULL, stdout=self.log, stderr=self.log,
                                        preexec_fn=pipes, pass_fds=(3, 4))
        os.close(to_child)
        os.close(from_child)
        self.buffer = b""
        self.next_id = 0
        targets = self.call("Target.getTargets")["targetInfos"]
        page = next(t["targetId"] for t in targets if t["type"] == "page")
        self.session = self.call("Target.attachToTarget", targetId=page, flatten=True)["sessionId"]

    def call(self, method, session=None, **params):
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params}
        if session:
            message["sessionId"] = session
        os.write(self.writer, json.dumps(message).encode() + b"\0")
        while True:
            while b"\0" not in self.buffer:
                chunk = os.read(self.reader, 1 << 16)
                if not chunk:
                    raise RuntimeError("Chromium closed its pipe")
                self.buffer += chunk
            raw, self.buffer = self.buffer.split(b"\0", 1)
            reply = json.loads(raw)
            if reply.get("id") == self.next_id:
                if "error" in reply:
                    raise RuntimeError(f"{method}: {reply['error']}")
                return reply["result"]

    def evaluate(self, expression, timeout=STEP_TIMEOUT):
        result = self.call("Runtime.evaluate", self.session, expression=expression, awaitPromise=True,
                           returnByValue=True, timeout=timeout * 1000)
        if "exceptionDetails" in result:
            raise RuntimeError(result["exceptionDetails"].get("exception", {}).get("description", "exception"))
        return result["result"].get("value")

    def open(self, url):
        """Navigates and waits for the load; returns the address the tab shows."""
        self.call("Page.navigate", self.session, url=url)
        deadline = time.time() + STEP_TIMEOUT
        while time.time() < deadline:
            try:
                state = self.evaluate("[document.readyState, location.href]", timeout=5)
            except RuntimeError:
                state = None  # the context went away mid-navigation
            if state and state[0] == "complete" and state[1] != "about:blank":
                return state[1]
            time.sleep(0.2)
        return ""

    def close(self):
        try:
            self.call("Browser.close")
        except RuntimeError:
            pass
        try:
            self.process.wait(timeout=20)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        os.close(self.writer)
        os.close(self.reader)
        self.log.close()


def visit_with_worker(browser, site, update_to=None):
    url = browser.open(f"http://{site}/")
    if url != f"http://{site}/":
        raise RuntimeError(f"{site} did not load (tab at {url!r})")
    version = browser.evaluate("window.fixtureWorker")
    if update_to:
        # The page runs under the old worker; the new script installs and takes over.
        version = browser.evaluate(f"""(async () => {{
            const registration = await navigator.serviceWorker.getRegistration();
            for (let i = 0; i < 100; ++i) {{
              try {{ await registration.update(); }} catch (e) {{}}
              const version = await (await fetch('/sw-version')).text();
              if (version === '{update_to}') return version;
              await new Promise(done => setTimeout(done, 100));
            }}
            return 'still ' + (await (await fetch('/sw-version')).text());
          }})()""")
    print(f"{site}: page controlled by worker {version}")
    return version


def make(profile):
    port = free_port()
    server = http.server.ThreadingHTTPServer(("127.0.0.1", port), Sites)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    browser = Chromium(profile, port)
    try:
        visit_with_worker(browser, "other-site.test")
        visit_with_worker(browser, "keep-bank.test")
        Sites.worker_versions["keep-bank.test"] = "v2"
        if visit_with_worker(browser, "keep-bank.test", update_to="v2") != "v2":
            raise RuntimeError("keep-bank's worker did not update")
        visit_with_worker(browser, "secret-clinic.test")
        # Local Storage writes its changes a moment later.
        time.sleep(2)
    finally:
        browser.close()
        server.shutdown()
    return check_ids(profile)


def visit(profile, sites):
    browser = Chromium(profile, free_port())  # nothing listens there
    failed = 0
    try:
        for site in sites:
            for turn in (1, 2):
                url = browser.open(f"http://{site}/")
                text = browser.evaluate("document.body ? document.body.innerText : ''") if url else ""
                loaded = url == f"http://{site}/" and MARKERS[site] in (text or "")
                print(f"{site} visit {turn}: {'loaded from its worker' if loaded else 'NOT loaded'}"
                      f" (tab at {url or 'nothing'})")
                failed += not loaded
    finally:
        browser.close()
    return 1 if failed else 0


def varints(data):
    """Top-level fields of a protocol buffer: {field: value or bytes}."""
    fields, pos = {}, 0

    def varint():
        nonlocal pos
        value = shift = 0
        while True:
            b = data[pos]
            pos += 1
            value |= (b & 0x7F) << shift
            shift += 7
            if not b & 0x80:
                return value

    while pos < len(data):
        tag = varint()
        kind = tag & 7
        if kind == 0:
            value = varint()
        elif kind == 2:
            size = varint()
            value, pos = data[pos:pos + size], pos + size
        elif kind == 1:
            value, pos = data[pos:pos + 8], pos + 8
        elif kind == 5:
            value, pos = data[pos:pos + 4], pos + 4
        else:
            break
        fields.setdefault(tag >> 3, value)
    return fields


def records(database):
    """(key, value) of a service worker database, read from a copy: opening it writes."""
    import plyvel  # Debian's python3-plyvel
    with tempfile.TemporaryDirectory() as scratch:
        copy = pathlib.Path(scratch) / "Database"
        shutil.copytree(database, copy, ignore=shutil.ignore_patterns("LOCK"))
        db = plyvel.DB(str(copy))
        try:
            return list(db)
        finally:
            db.close()


def dump(database):
    for key, value in records(database):
        text = key.replace(b"\0", b"\\0").decode("latin-1")
        if key.startswith(b"REG:"):
            f = varints(value)
            print(f"{text}  registration {f.get(1)} version {f.get(4)} script {f.get(3, b'').decode()}")
        elif key.startswith(b"RES:"):
            f = varints(value)
            print(f"{text}  resource {f.get(1)} {f.get(2, b'').decode()} ({f.get(3)} bytes)")
        else:
            print(f"{text}  {value.decode('latin-1')!r}")
    return 0


def check_ids(profile):
    """The point of the profile: keep-bank's live version has secret-clinic's registration id."""
    try:
        entries = records(pathlib.Path(profile) / "Default/Service Worker/Database")
    except ImportError:
        print("python3-plyvel is missing: the ids were not checked")
        return 0
    found = {}
    for key, value in entries:
        if key.startswith(b"REG:"):
            f = varints(value)
            found[key[4:].split(b"\0")[0].decode()] = (f.get(1), f.get(4))
    bank, clinic = found.get("http://keep-bank.test/"), found.get("http://secret-clinic.test/")
    for origin, (registration, version) in sorted(found.items()):
        print(f"{origin}: registration {registration}, version {version}")
    if not bank or not clinic or bank[1] != clinic[0]:
        print("keep-bank's version id is not secret-clinic's registration id")
        return 1
    return 0


def scripts(folder):
    for entry in sorted(pathlib.Path(folder).glob("*_0")):
        data = entry.read_bytes()
        size = int.from_bytes(data[12:16], "little")
        print(f"{entry.name}  resource {data[24:24 + size].decode('latin-1')}")
    return 0


def main(argv):
    if len(argv) >= 2 and argv[0] == "make":
        return make(argv[1])
    if len(argv) >= 3 and argv[0] == "visit":
        return visit(argv[1], argv[2:])
    if len(argv) == 2 and argv[0] == "dump":
        return dump(argv[1])
    if len(argv) == 2 and argv[0] == "scripts":
        return scripts(argv[1])
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
