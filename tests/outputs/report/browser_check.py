#!/usr/bin/env python3
"""Opens a report page from disk in headless Chromium and fails on a broken picture, a
console message, a request the page makes to anything but file://, a picture narrower than
256 pixels a panel, a link that names no file (or no place on the page), or an overview that
does not hold one row per set.

  browser_check.py CHROMIUM PAGE SCREENSHOT   check PAGE, keep a screenshot of its first screen
  browser_check.py CHROMIUM PAGE SCREENSHOT --moved ROOT
                                              also copy folder ROOT (which holds the page and
                                              the data it links) elsewhere and check it there
  browser_check.py CHROMIUM --self-test       show that each kind of fault is caught
"""
import html.parser
import json
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import urllib.parse
import zlib

FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync",
         "--enable-logging=stderr", "--v=0", "--host-resolver-rules=MAP * ~NOTFOUND"]


def run_chromium(chromium, url, extra, work):
    profile = tempfile.mkdtemp(dir=work)
    netlog = os.path.join(work, "netlog-%d.json" % len(os.listdir(work)))
    done = subprocess.run([chromium, *FLAGS, "--user-data-dir=" + profile, "--log-net-log=" + netlog, *extra, url],
                          capture_output=True, text=True, timeout=120)
    return done, netlog


LEAST_PANEL_SIDE = 256


class Page(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.images, self.faults, self.links, self.ids = [], [], [], set()
        self.figures = []          # [image attributes, panels named in its caption]
        self.sections = 0          # sections of sets
        self.overview_rows = None  # rows of the overview's body
        self.in_overview = self.in_body = self.in_caption = False

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        if a.get("id"):
            self.ids.add(a["id"])
        if tag == "img":
            self.images.append(a)
            if self.figures:
                self.figures[-1][0] = a
        if tag == "figure":
            self.figures.append([None, 0])
        if tag == "figcaption":
            self.in_caption = True
        if tag == "li" and self.in_caption and self.figures:
            self.figures[-1][1] += 1
        if tag == "section" and "set" in (a.get("class") or "").split():
            self.sections += 1
        if tag == "table" and "overview" in (a.get("class") or "").split():
            self.in_overview, self.overview_rows = True, 0
        if tag == "tbody" and self.in_overview:
            self.in_body = True
        if tag == "tr" and self.in_body:
            self.overview_rows += 1
        if tag in ("script", "iframe", "object", "embed") or (tag == "link" and "stylesheet" in (a.get("rel") or "")):
            self.faults.append("page loads or runs something: <%s>" % tag)
        href = a.get("href")
        if href is not None:
            self.links.append(href)
        if "url(" in (a.get("style") or ""):
            self.faults.append("style loads something: " + a["style"])

    def handle_endtag(self, tag):
        if tag == "figcaption":
            self.in_caption = False
        if tag == "tbody":
            self.in_body = False
        if tag == "table":
            self.in_overview = False


def link_faults(parsed, folder):
    """Links that name no place of the page, leave the page's folder tree by an absolute
    address, or name a file that does not exist (relative to the page's folder)."""
    faults = []
    for href in parsed.links:
        if href.startswith("#"):
            if href[1:] not in parsed.ids:
                faults.append("link to no place on the page: " + href)
            continue
        parts = urllib.parse.urlsplit(href)
        if parts.scheme or parts.netloc or href.startswith("/"):
            faults.append("link leaves the page: " + href)
            continue
        target = os.path.join(folder, urllib.parse.unquote(parts.path))
        if not os.path.isfile(target):
            faults.append("link to a missing file: " + href)
    return faults


def png_width(path):
    try:
        with open(path, "rb") as png:
            head = png.read(24)
        return struct.unpack(">I", head[16:20])[0] if head[:8] == b"\x89PNG\r\n\x1a\n" else 0
    except OSError:
        return 0


def size_faults(parsed, folder):
    """Figures narrower than LEAST_PANEL_SIDE pixels for each panel their caption names."""
    faults = []
    for image, panels in parsed.figures:
        if image is None or ":" in (image.get("src") or ""):
            continue
        width = png_width(os.path.join(folder, image.get("src") or ""))
        if width < LEAST_PANEL_SIDE * max(1, panels):
            faults.append("picture %s is %d pixels wide for %d panel(s)" % (image.get("src"), width, panels))
    return faults


def png_faults(path, width, height):
    """Why the file is not a complete RGB or palette PNG of width x height, or None."""
    try:
        data = open(path, "rb").read()
    except OSError as error:
        return "cannot be read: %s" % error
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        return "is not a PNG"
    at, idat, size = 8, b"", None
    while at + 8 <= len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            size = struct.unpack(">II", body[:8]) + (body[8], body[9])
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    if size is None or size[:2] != (width, height):
        return "is %s, the page states %dx%d" % (size and "%dx%d" % size[:2], width, height)
    channels = {2: 3, 6: 4, 0: 1, 3: 1}.get(size[3], 0)  # 3: palette indices
    try:
        raw = zlib.decompress(idat)
    except zlib.error as error:
        return "has broken image data: %s" % error
    if size[2] != 8 or len(raw) != height * (1 + width * channels):
        return "has image data of the wrong size"
    return None


def check(chromium, page, screenshot, work):
    faults = []
    url = "file://" + os.path.abspath(page)
    done, netlog = run_chromium(chromium, url, ["--dump-dom"], work)
    if done.returncode != 0 or "<body" not in done.stdout:
        return ["chromium could not open the page (exit %d)" % done.returncode]
    parsed = Page()
    parsed.feed(done.stdout)
    faults += parsed.faults
    folder = os.path.dirname(os.path.abspath(page))
    faults += link_faults(parsed, folder)
    faults += size_faults(parsed, folder)
    if parsed.sections and parsed.overview_rows != parsed.sections:
        faults.append("the overview has %s row(s) for %d set(s)" % (parsed.overview_rows, parsed.sections))
    for image in parsed.images:
        src = image.get("src") or ""
        if not image.get("alt"):
            faults.append("picture without alt text: " + src)
        if ":" in src or src.startswith("/") or ".." in src.split("/"):
            faults.append("picture outside the report folder: " + src)
            continue
        try:
            width, height = int(image.get("width")), int(image.get("height"))
        except (TypeError, ValueError):
            faults.append("picture without its size: " + src)
            continue
        why = png_faults(os.path.join(folder, src), width, height)
        if why:
            faults.append("broken picture %s: %s" % (src, why))
    for line in done.stderr.splitlines():
        if ":CONSOLE" in line or "Not allowed to load local resource" in line:
            faults.append("console: " + line.strip())
    faults += page_requests(netlog)
    if screenshot:
        shot, _ = run_chromium(chromium, url, ["--screenshot=" + os.path.abspath(screenshot), "--window-size=1280,900"], work)
        if shot.returncode != 0 or not os.path.exists(screenshot):
            faults.append("no screenshot was taken")
    return faults


def page_requests(netlog):
    """Requests the page started (not the browser's own) for anything but file://."""
    try:
        log = json.load(open(netlog))
    except (OSError, ValueError):
        # An unfinished log still lists its events; close it to read them.
        text = open(netlog).read().rstrip().rstrip(",")
        log = json.loads(text + "]}")
    start = log["constants"]["logEventTypes"]["URL_REQUEST_START_JOB"]
    faults = []
    for event in log.get("events", []):
        params = event.get("params", {})
        if event.get("type") != start or "url" not in params:
            continue
        from_page = params.get("initiator") != "not an origin" or "file://" in params.get("network_isolation_key", "")
        if from_page and not params["url"].startswith("file:"):
            faults.append("request to " + params["url"])
    return faults


def self_test(chromium, work):
    folder = os.path.join(work, "canary")
    os.makedirs(folder)
    cases = {
        "remote.html": ('<img src="http://example.invalid/x.png" width="1" height="1" alt="x">', "request to"),
        "broken.html": ('<img src="missing.png" width="1" height="1" alt="x">', "broken picture"),
        "console.html": ('<p>x</p><script>console.error("boom")</script>', "console:"),
        "alt.html": ('<img src="ok.png" width="1" height="1">', "without alt text"),
        "missing-link.html": ('<a href="data/none.voi">x</a>', "link to a missing file"),
        "anchor.html": ('<a href="#set-9">x</a>', "link to no place"),
        "absolute.html": ('<a href="file:///etc/hostname">x</a>', "link leaves the page"),
        "narrow.html": ('<figure><img src="ok.png" width="1" height="1" alt="x"><figcaption><ol><li>a</li>'
                        '</ol></figcaption></figure>', "pixels wide"),
        "overview.html": ('<table class="overview"><tbody><tr><td>1</td></tr></tbody></table>'
                          '<section class="set" id="set-1"></section><section class="set" id="set-2"></section>',
                          "the overview has 1 row(s) for 2 set(s)"),
    }
    with open(os.path.join(folder, "ok.png"), "wb") as png:
        chunk = lambda kind, body: struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
        png.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 1, 1, 8, 2, 0, 0, 0)) +
                  chunk(b"IDAT", zlib.compress(b"\x00\x00\x00\x00")) + chunk(b"IEND", b""))
    failed = []
    for name, (body, expected) in cases.items():
        with open(os.path.join(folder, name), "w") as out:
            out.write("<!DOCTYPE html><html><body>%s</body></html>" % body)
        faults = check(chromium, os.path.join(folder, name), None, work)
        if not any(expected in f for f in faults):
            failed.append("%s: expected a fault '%s', got %s" % (name, expected, faults))
    os.makedirs(os.path.join(folder, "data dir"))
    open(os.path.join(folder, "data dir", "s1.voi"), "w").close()
    with open(os.path.join(folder, "clean.html"), "w") as out:
        out.write('<!DOCTYPE html><html><body><img src="ok.png" width="1" height="1" alt="x">'
                  '<a href="data%20dir/s1.voi">x</a><a href="#top">y</a><p id="top"></p></body></html>')
    clean = check(chromium, os.path.join(folder, "clean.html"), None, work)
    if clean:
        failed.append("clean.html: unexpected faults %s" % clean)
    return failed


def moved_check(chromium, page, root, work):
    """Copies folder `root` (holding the page and the data it links) to a new place and
    checks the page there: its links must not depend on where the folder lies."""
    page, root = os.path.abspath(page), os.path.abspath(root)
    if os.path.commonpath([page, root]) != root:
        return ["the page %s is not inside %s" % (page, root)]
    moved = os.path.join(work, "moved", os.path.basename(root) + "-elsewhere")
    shutil.copytree(root, moved, symlinks=True)
    faults = check(chromium, os.path.join(moved, os.path.relpath(page, root)), None, work)
    return ["after moving %s: %s" % (root, fault) for fault in faults]


def main():
    args = sys.argv[1:]
    if len(args) == 2 and args[1] == "--self-test":
        with tempfile.TemporaryDirectory() as work:
            faults = self_test(args[0], work)
    elif len(args) in (3, 5) and (len(args) == 3 or args[3] == "--moved"):
        with tempfile.TemporaryDirectory() as work:
            faults = check(args[0], args[1], args[2], work)
            if len(args) == 5:
                faults += moved_check(args[0], args[1], args[4], work)
    else:
        print(__doc__)
        return 2
    for fault in faults:
        print("FAULT:", fault)
    print("%d fault(s)" % len(faults))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
