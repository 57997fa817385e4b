#!/usr/bin/env python3
"""Profiles of real Chromium and Firefox where three sites left everything a user's visits leave.

  outside.py chromium PROFILE DOWNLOADS   headless chromium over the DevTools pipe
  outside.py firefox PROFILE DOWNLOADS    headless firefox-esr over Marionette
  outside.py visit-firefox PROFILE SITE...
                                          with no server: each site's page must load from
                                          its worker, twice
  outside.py holding FOLDER...            "size path" of each file holding secret-clinic
                                          (ASCII or UTF-16LE, any case)
  outside.py kept-chromium PROFILE        the kept sites' cookies, storage, bookmark and
  outside.py kept-firefox PROFILE         password, one line each, to compare before/after

Each site: a service worker and localStorage (site/index.html), then a page that sets a
persistent cookie, sessionStorage and an IndexedDB record, a form with an autocomplete field
typed into and submitted, a download saved to DOWNLOADS, and three pages with titles in the
history. keep-bank also gets a bookmark and a saved password.
"""
import hashlib
import http.server
import importlib.util
import json
import os
import pathlib
import shutil
import socket
import sqlite3
import subprocess
import sys
import tempfile
import threading
import time
import urllib.parse
import uuid

HERE = pathlib.Path(__file__).resolve().parent
spec = importlib.util.spec_from_file_location("chromium_sw", HERE / "chromium-sw.py")
sw = importlib.util.module_from_spec(spec)
spec.loader.exec_module(sw)

SITES = sw.SITES
KEPT = ["other-site.test", "keep-bank.test"]
FORGOTTEN = "secret-clinic"
STEP = 20  # seconds for any one wait


class Sites(sw.Sites):
    """The fixture's sites, also as an http proxy (Firefox reaches them through it)."""

    def do_GET(self):
        parts = urllib.parse.urlsplit(self.path)
        site = parts.hostname or self.headers.get("Host", "").split(":")[0]
        if site not in SITES:
            self.send_error(404)
            return
        path = parts.path or "/"
        if path in ("/", "/sw.js"):
            self.path = path
            return super().do_GET()
        name = site.split(".")[0]
        headers = {"Cache-Control": "no-store"}
        if path == "/visit":
            body, kind = (HERE / "site/visit.html").read_text(), "text/html; charset=utf-8"
            # A cookie set by the server too, with an expiry: it is written to disk.
            headers["Set-Cookie"] = f"server-{name}={sw.MARKERS[site]}; Max-Age=31536000; Path=/"
        elif path == "/thanks":
            body, kind = (HERE / "site/thanks.html").read_text(), "text/html; charset=utf-8"
        elif path == "/report.txt":
            body, kind = f"report of {site}: {sw.MARKERS[site]}\n", "text/plain"
            headers["Content-Disposition"] = f'attachment; filename="report-{name}.txt"'
        else:
            self.send_error(404)
            return
        data = body.replace("@MARKER@", sw.MARKERS[site]).replace("@SITE@", site).replace("@NAME@", name).encode()
        self.send_response(200)
        self.send_header("Content-Type", kind)
        for key, value in headers.items():
            self.send_header(key, value)
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)


def serve():
    port = sw.free_port()
    server = http.server.ThreadingHTTPServer(("127.0.0.1", port), Sites)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server, port


def wait_for(what, test, seconds=STEP):
    deadline = time.time() + seconds
    while time.time() < deadline:
        value = test()
        if value:
            return value
        time.sleep(0.2)
    raise RuntimeError(f"timed out waiting for {what}")


def downloaded(folder, site):
    path = pathlib.Path(folder) / f"report-{site.split('.')[0]}.txt"
    return path.is_file() and path.stat().st_size > 0 and path


# --- Chromium ---------------------------------------------------------------------------

def chromium_site(browser, site, downloads):
    sw.visit_with_worker(browser, site)
    for page in ("/visit",):
        browser.call("Page.navigate", browser.session, url=f"http://{site}{page}", transitionType="typed")
        wait_for(f"{site}{page}", lambda: (browser.evaluate("[document.readyState, location.pathname]", 5)
                                           or [None, None]) == ["complete", page])
    print(f"{site}: IndexedDB {browser.evaluate('window.fixtureStored')}")
    browser.call("Browser.setDownloadBehavior", behavior="allow", downloadPath=str(downloads))
    browser.evaluate("document.getElementById('dl').click()")
    wait_for(f"{site}'s download", lambda: downloaded(downloads, site))
    # Typed as keys, then submitted with Enter: what autofill counts as a user's entry.
    browser.evaluate("document.getElementById('note').focus()")
    browser.call("Input.insertText", browser.session, text=f"note for {site}")
    for kind in ("rawKeyDown", "char", "keyUp"):
        browser.call("Input.dispatchKeyEvent", browser.session, type=kind, key="Enter", code="Enter",
                     windowsVirtualKeyCode=13, text="\r" if kind == "char" else "")
    wait_for(f"{site}'s form", lambda: (browser.evaluate("location.pathname", 5) or "") == "/thanks")
    print(f"{site}: form sent, download saved")


def chromium_bookmark(profile):
    """Chromium has no bookmark call over DevTools: the bookmark is written as its file is."""
    path = pathlib.Path(profile) / "Default/Bookmarks"
    stamp = str(int((time.time() + 11644473600) * 1e6))

    def folder(ident, name, children):
        return {"children": children, "date_added": stamp, "date_modified": stamp, "guid": str(uuid.uuid4()),
                "id": str(ident), "name": name, "type": "folder"}

    data = json.loads(path.read_text()) if path.exists() else {
        "roots": {"bookmark_bar": folder(1, "Bookmarks bar", []), "other": folder(2, "Other bookmarks", []),
                  "synced": folder(3, "Mobile bookmarks", [])}, "version": 1}
    data.pop("checksum", None)  # Chromium checks it only when present
    data["roots"]["bookmark_bar"]["children"].append({
        "date_added": stamp, "guid": str(uuid.uuid4()), "id": "10", "name": "Keep Bank",
        "type": "url", "url": "http://keep-bank.test/"})
    path.write_text(json.dumps(data, indent=3))


def chromium_password(profile):
    """Headless Chromium shows no bubble to save a password; the row is added as the
    password manager adds it, to the database Chromium made."""
    db = sqlite3.connect(pathlib.Path(profile) / "Default/Login Data")
    try:
        columns = {row[1]: row for row in db.execute("PRAGMA table_info(logins)")}
        values = {"origin_url": "http://keep-bank.test/", "action_url": "http://keep-bank.test/thanks",
                  "username_element": "user", "username_value": "bank-user", "password_element": "pass",
                  "password_value": b"v10-keep-bank-password", "signon_realm": "http://keep-bank.test/",
                  "date_created": int((time.time() + 11644473600) * 1e6)}
        for name, row in columns.items():  # NOT NULL columns without a default
            if name not in values and row[3] and row[4] is None and not row[5]:
                values[name] = b"" if "BLOB" in (row[2] or "").upper() else 0
        names = [n for n in values if n in columns]
        db.execute(f"INSERT INTO logins ({','.join(names)}) VALUES ({','.join('?' * len(names))})",
                   [values[n] for n in names])
        db.commit()
    finally:
        db.close()


def make_chromium(profile, downloads):
    server, port = serve()
    browser = sw.Chromium(profile, port)
    try:
        for site in SITES:
            chromium_site(browser, site, downloads)
        time.sleep(3)  # Local and Session Storage write a moment later
    finally:
        browser.close()
        server.shutdown()
    chromium_bookmark(profile)
    chromium_password(profile)
    db = sqlite3.connect(f"file:{profile}/Default/Web Data?mode=ro", uri=True)
    rows = db.execute("SELECT name, value FROM autofill").fetchall()
    db.close()
    print(f"Web Data autofill: {rows or 'EMPTY'}")
    return 0


# --- Firefox ----------------------------------------------------------------------------

class Marionette:
    """Firefox's Marionette: length-prefixed JSON over TCP."""

    def __init__(self, port, process):
        deadline = time.time() + 60
        while True:
            try:
                self.sock = socket.create_connection(("127.0.0.1", port), timeout=5)
                break
            except OSError:
                if time.time() > deadline or process.poll() is not None:
                    raise RuntimeError("Marionette did not answer")
                time.sleep(0.3)
        self.sock.settimeout(STEP * 3)
        self.buffer = b""
        self.next_id = 0
        self.read()  # greeting
        self.call("WebDriver:NewSession", {"capabilities": {"alwaysMatch": {"pageLoadStrategy": "normal"}}})

    def read(self):
        while b":" not in self.buffer:
            self.fill()
        size, rest = self.buffer.split(b":", 1)
        while len(rest) < int(size):
            self.buffer = size + b":" + rest
            self.fill()
            size, rest = self.buffer.split(b":", 1)
        self.buffer = rest[int(size):]
        return json.loads(rest[:int(size)])

    def fill(self):
        chunk = self.sock.recv(1 << 16)
        if not chunk:
            raise RuntimeError("Marionette closed")
        self.buffer += chunk

    def call(self, name, params=None):
        self.next_id += 1
        data = json.dumps([0, self.next_id, name, params or {}]).encode()
        self.sock.sendall(str(len(data)).encode() + b":" + data)
        while True:
            reply = self.read()
            if reply[0] == 1 and reply[1] == self.next_id:
                if reply[2]:
                    raise RuntimeError(f"{name}: {reply[2].get('error')}: {reply[2].get('message')}")
                return reply[3]

    def script(self, body, chrome=False):
        """Runs an async function body; returns what it returns."""
        if chrome:
            self.call("Marionette:SetContext", {"value": "chrome"})
        try:
            wrapped = f"const done = arguments[arguments.length - 1]; (async () => {{ {body} }})().then(done, e => done('error: ' + e));"
            return self.call("WebDriver:ExecuteAsyncScript", {"script": wrapped, "args": [],
                                                              "scriptTimeout": STEP * 1000}).get("value")
        finally:
            if chrome:
                self.call("Marionette:SetContext", {"value": "content"})

    def element(self, css):
        value = self.call("WebDriver:FindElement", {"using": "css selector", "value": css})["value"]
        return next(iter(value.values()))


def firefox_prefs(profile, proxy_port, marionette_port, downloads, sites):
    hosts = ",".join(sites)
    prefs = {
        # The sites go through the fixture's server as a proxy, so their addresses carry no port.
        "network.proxy.type": 1, "network.proxy.http": "127.0.0.1", "network.proxy.http_port": proxy_port,
        "network.proxy.no_proxies_on": "", "network.proxy.allow_hijacking_localhost": True,
        "dom.securecontext.allowlist": hosts, "dom.serviceWorkers.testing.enabled": True,
        "dom.serviceWorkers.enabled": True,
        "marionette.port": marionette_port,
        "browser.download.folderList": 2, "browser.download.dir": str(downloads),
        "browser.download.useDownloadDir": True, "browser.download.always_ask_before_handling_new_types": False,
        "browser.download.start_downloads_in_tmp_dir": False,
        "browser.helperApps.neverAsk.saveToDisk": "text/plain",
        # The allowlist makes the pages secure, so an http form would ask before it is sent.
        "security.warn_submit_secure_to_insecure": False,
        "browser.formfill.enable": True, "signon.rememberSignons": True,
        "browser.shell.checkDefaultBrowser": False, "browser.aboutwelcome.enabled": False,
        "datareporting.policy.dataSubmissionEnabled": False, "toolkit.telemetry.enabled": False,
        "app.update.enabled": False, "browser.safebrowsing.malware.enabled": False,
        "browser.safebrowsing.phishing.enabled": False, "extensions.update.enabled": False,
        "browser.newtabpage.enabled": False, "browser.startup.page": 0,
    }
    lines = [f'user_pref("{k}", {json.dumps(v)});' for k, v in prefs.items()]
    (pathlib.Path(profile) / "user.js").write_text("\n".join(lines) + "\n")


def firefox_site(ff, site, downloads):
    ff.call("WebDriver:Navigate", {"url": f"http://{site}/"})
    print(f"{site}: page controlled by worker {ff.script('return await window.fixtureWorker;')}")
    ff.call("WebDriver:Navigate", {"url": f"http://{site}/visit"})
    print(f"{site}: IndexedDB {ff.script('return await window.fixtureStored;')}")
    ff.call("WebDriver:ElementClick", {"id": ff.element("#dl")})
    wait_for(f"{site}'s download", lambda: downloaded(downloads, site))
    note = ff.element("#note")
    ff.call("WebDriver:ElementSendKeys", {"id": note, "text": f"note for {site}"})
    ff.call("WebDriver:ElementClick", {"id": ff.element("#go")})
    wait_for(f"{site}'s form", lambda: "/thanks" in ff.call("WebDriver:GetCurrentURL")["value"])
    print(f"{site}: form sent, download saved")


def run_firefox(profile, proxy_port, downloads, steps, sites=SITES):
    """Starts firefox-esr on the profile, runs steps(marionette), quits it."""
    profile = pathlib.Path(profile)
    profile.mkdir(parents=True, exist_ok=True)
    marionette_port = sw.free_port()
    firefox_prefs(profile, proxy_port, marionette_port, downloads, sites)
    log = open(profile.parent / (profile.name + ".firefox.log"), "ab")
    env = dict(os.environ, MOZ_HEADLESS="1", HOME=str(profile.parent))
    process = subprocess.Popen([shutil.which("firefox-esr") or "firefox-esr", "--headless", "--marionette",
                                "-remote-allow-system-access", "--no-remote", "-profile", str(profile),
                                "about:blank"], stdin=subprocess.DEVNULL, stdout=log, stderr=log, env=env)
    try:
        ff = Marionette(marionette_port, process)
        result = steps(ff)
        time.sleep(3)
        try:
            ff.call("Marionette:Quit", {"flags": ["eAttemptQuit"]})
        except RuntimeError:
            pass
        process.wait(timeout=30)
        return result
    finally:
        if process.poll() is None:
            process.kill()
            process.wait()
        log.close()


def visit_firefox(profile, sites):
    """With no server behind the proxy: each kept page must come from its worker."""
    def steps(ff):
        failed = 0
        for site in sites:
            for turn in (1, 2):
                try:
                    ff.call("WebDriver:Navigate", {"url": f"http://{site}/"})
                    text = ff.call("WebDriver:ExecuteScript", {"script": "return document.body.innerText",
                                                               "args": []}).get("value") or ""
                except RuntimeError as e:
                    text = str(e)
                loaded = sw.MARKERS[site] in text
                print(f"{site} visit {turn}: {'loaded from its worker' if loaded else 'NOT loaded: ' + text[:80]}")
                failed += not loaded
        return 1 if failed else 0

    return run_firefox(profile, sw.free_port(), pathlib.Path(profile).parent, steps, sites)


def make_firefox(profile, downloads):
    server, port = serve()

    def steps(ff):
        for site in SITES:
            firefox_site(ff, site, downloads)
        print(ff.script((HERE / "site/firefox-keep-bank.js").read_text(), chrome=True))

    try:
        run_firefox(profile, port, downloads, steps)
    finally:
        server.shutdown()
    db = sqlite3.connect(f"file:{profile}/formhistory.sqlite?mode=ro", uri=True)
    rows = db.execute("SELECT fieldname, value FROM moz_formhistory").fetchall()
    db.close()
    print(f"formhistory: {rows or 'EMPTY'}")
    return 0


# --- Checks -----------------------------------------------------------------------------

# Which box should take a file's trace of a site, by the file's place in the profile.
BOXES = [
    ("Cache/", "cache"), ("Code Cache/", "cache"), ("GPUCache/", "cache"), ("cache2/", "cache"),
    ("startupCache/", "cache"),
    ("Cookies", "cookies"), ("Local Storage/", "cookies"), ("Session Storage/", "cookies"),
    ("IndexedDB/", "cookies"), ("Service Worker/", "cookies"), ("WebStorage/", "cookies"),
    ("File System/", "cookies"), ("Shared Storage", "cookies"), ("databases/", "cookies"),
    ("cookies.sqlite", "cookies"), ("permissions.sqlite", "cookies"), ("storage/", "cookies"),
    ("storage.sqlite", "cookies"), ("serviceworker.txt", "cookies"), ("webappsstore", "cookies"),
    ("Web Data", "forms (autofill) / history (keywords)"), ("formhistory.sqlite", "forms"),
    ("shared_proto_db/", "history (left on purpose)"), ("prefs.js", "none: settings"),
    ("Login Data", "none: passwords"), ("logins.json", "none: passwords"), ("Bookmarks", "none: bookmarks"),
    ("", "history"),
]


def box(path):
    text = str(path).replace(os.sep, "/")
    return next(name for pattern, name in BOXES if pattern in text)


def holding(folders):
    needles = [FORGOTTEN.encode(), FORGOTTEN.encode("utf-16le")]
    for folder in folders:
        for path in sorted(pathlib.Path(folder).rglob("*")):
            if path.is_file() and not path.is_symlink():
                data = path.read_bytes().lower()
                if any(n in data for n in needles):
                    print(f"{path.stat().st_size:>9}  {box(path.relative_to(folder)):<14} {path.relative_to(folder)}")
    return 0


def digest(data):
    return hashlib.sha256(data if isinstance(data, bytes) else repr(data).encode()).hexdigest()[:16]


def rows(path, query):
    """Rows of a copy of a database (its -wal too): the original is not opened."""
    with tempfile.TemporaryDirectory() as scratch:
        for suffix in ("", "-wal"):
            if os.path.exists(str(path) + suffix):
                shutil.copy(str(path) + suffix, f"{scratch}/db{suffix}")
        if not os.path.exists(f"{scratch}/db"):
            return "missing"
        db = sqlite3.connect(f"{scratch}/db")
        try:
            return db.execute(query).fetchall()
        except sqlite3.Error as e:
            return f"error {e}"
        finally:
            db.close()


def folder_digest(folder):
    folder = pathlib.Path(folder)
    if not folder.is_dir():
        return "missing"
    return digest(b"".join(str(p.relative_to(folder)).encode() + p.read_bytes()
                           for p in sorted(folder.rglob("*")) if p.is_file() and p.name != "LOCK"))


def file_digest(path):
    return digest(pathlib.Path(path).read_bytes()) if pathlib.Path(path).is_file() else "missing"


def leveldb(folder):
    try:
        return sw.records(folder)
    except Exception as e:  # a store the cleaner left unreadable is a finding, not a crash
        return [(b"error", str(e).encode())]


def kept_chromium(profile):
    d = pathlib.Path(profile) / "Default"
    like = " OR ".join(f"host_key LIKE '%{s}'" for s in KEPT)
    print("cookies", rows(d / "Cookies", f"SELECT host_key,name,value,hex(encrypted_value),path,expires_utc "
                                         f"FROM cookies WHERE {like} ORDER BY host_key,name"))
    local = leveldb(d / "Local Storage/leveldb")
    session = leveldb(d / "Session Storage")
    maps = {k: v for k, v in session}
    for site in KEPT:
        origin = f"http://{site}"
        print(site, "local storage", [(k, v) for k, v in local if origin.encode() in k])
        # Session Storage: namespace-<id>-<origin>/ names a map; the map's keys hold the values.
        names = [v for k, v in session if k.startswith(b"namespace-") and k.endswith(origin.encode() + b"/")]
        print(site, "session storage", [(k.split(b"-", 2)[2], v) for k, v in session
                                        for n in names if k.startswith(b"map-" + n + b"-")])
        print(site, "indexeddb", folder_digest(d / f"IndexedDB/http_{site}_0.indexeddb.leveldb"))
        worker = d / "Service Worker"
        records = leveldb(worker / "Database")
        print(site, "service worker", [(k, digest(v)) for k, v in records if origin.encode() in k])
        # The script the live version runs, and the worker's caches, byte for byte.
        versions = {sw.varints(v).get(4) for k, v in records if k.startswith(f"REG:{origin}/".encode())}
        resources = {k.split(b"\0")[1].decode() for k, v in records for ver in versions
                     if k.startswith(f"RES:{ver}\0".encode())}
        print(site, "worker scripts", sorted(resources), sorted(
            digest(e.read_bytes()) for e in (worker / "ScriptCache").glob("*_0")
            if e.read_bytes()[24:24 + int.from_bytes(e.read_bytes()[12:16], "little")].decode("latin-1") in resources))
        print(site, "worker caches", [folder_digest(f.parent) for f in sorted((worker / "CacheStorage").glob("*/index.txt"))
                                      if origin.encode() in f.read_bytes()])
    print("bookmarks", file_digest(d / "Bookmarks"), "keep-bank" in (d / "Bookmarks").read_text())
    print("login data", file_digest(d / "Login Data"),
          rows(d / "Login Data", "SELECT origin_url, username_value, hex(password_value) FROM logins"))
    return 0


def kept_firefox(profile):
    p = pathlib.Path(profile)
    like = " OR ".join(f"host LIKE '%{s}'" for s in KEPT)
    print("cookies", rows(p / "cookies.sqlite", f"SELECT host,name,value,path,expiry FROM moz_cookies "
                                                f"WHERE {like} ORDER BY host,name"))
    for site in KEPT:
        print(site, "storage", folder_digest(p / f"storage/default/http+++{site}"))
    workers = (p / "serviceworker.txt").read_text(errors="replace") if (p / "serviceworker.txt").exists() else ""
    print("service workers", sorted(line for line in workers.splitlines() if any(s in line for s in KEPT)))
    print("bookmark", rows(p / "places.sqlite", "SELECT b.title, h.url FROM moz_bookmarks b JOIN moz_places h "
                                               "ON b.fk = h.id WHERE h.url LIKE '%keep-bank%'"))
    print("logins", file_digest(p / "logins.json"), "key4", file_digest(p / "key4.db"))
    return 0


def main(argv):
    commands = {"chromium": lambda: make_chromium(*argv[1:3]), "firefox": lambda: make_firefox(*argv[1:3]),
                "visit-firefox": lambda: visit_firefox(argv[1], argv[2:]),
                "holding": lambda: holding(argv[1:]), "kept-chromium": lambda: kept_chromium(argv[1]),
                "kept-firefox": lambda: kept_firefox(argv[1])}
    if len(argv) < 2 or argv[0] not in commands:
        print(__doc__, file=sys.stderr)
        return 2
    return commands[argv[0]]()


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
