#!/usr/bin/python3
"""The page's size, raw and as a static host sends it, and how soon its window
is painted: in Chromium on this machine, on a first visit and offline once the
page has kept its files, and by Lighthouse's mobile preset (a mid-range phone
on slow 4G). Each FOLDER is a page (the one built before a change and the one
after, say), measured in the same run, one after the other.

  web_bench.py FOLDER... [--runs N] [--lighthouse TOOLS]

Gzipped and brotli are each file compressed as a host sends it (gzip -9,
brotli -q 11, or the file's precompressed sibling), the siblings not counted
again; for all the folder's files and for those a visit downloads (the
licences are not among them). Painted is the page's "vendrola-painted"
mark: two animation frames after the window first showed, so its first frame
is on the screen; from the start of the navigation, medians of N fresh
profiles. TOOLS is the folder that npm installed Lighthouse into; its
figures are medians of three runs, the page served gzip-compressed.
"""

import argparse
import gzip
import json
import os
import re
import statistics
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests"))
import web_check  # noqa: E402

arguments = argparse.ArgumentParser()
arguments.add_argument("folders", nargs="+")
arguments.add_argument("--runs", type=int, default=5)
arguments.add_argument("--lighthouse", default="")
options = arguments.parse_args()


def packed(path, data, suffix, pack):
    if os.path.isfile(path + suffix):
        return os.path.getsize(path + suffix)
    return len(pack(data)) if not path.endswith((".png", ".zip")) else len(data)


def brotli(data):
    return subprocess.run(["brotli", "-q", "11", "-c"], input=data, capture_output=True,
                          check=True).stdout


def sizes(folder):
    files = []
    for directory, _, names in os.walk(folder):
        for name in names:
            if name.endswith((".br", ".gz")):
                continue
            path = os.path.join(directory, name)
            with open(path, "rb") as file:
                data = file.read()
            files.append((os.path.relpath(path, folder), len(data),
                          packed(path, data, ".gz", lambda data: gzip.compress(data, 9)),
                          packed(path, data, ".br", brotli)))
    for name, raw, gz, br in sorted(files, key=lambda file: -file[2])[:4]:
        print(f"  {name:30} {raw:>10,} bytes, gzipped {gz:>10,}, brotli {br:>10,}")
    total(f"all {len(files)} files", files)
    # What a visit downloads: the page, its worker and the files the worker
    # keeps (its list); the licences are fetched only when opened.
    with open(os.path.join(folder, "sw.js")) as file:
        kept = set(re.findall(r'"([^"]+)", "sha256-', file.read()))
    total("a visit's files", [f for f in files if f[0] in kept | {"index.html", "sw.js"}])


def total(what, files):
    raw, gz, br = (sum(f[i] for f in files) for i in (1, 2, 3))
    print(f"  {what}: {raw:,} bytes ({raw / 2**20:.2f} MiB), gzipped {gz:,} "
          f"({gz / 2**20:.2f} MiB), brotli {br:,} ({br / 2**20:.2f} MiB)")


def painted(folder):
    os.environ["VENDROLA_WEB_PAGE"] = folder
    mark = "performance.getEntriesByName('vendrola-painted').map((mark) => mark.startTime)[0]"
    first, offline = [], []
    for _ in range(options.runs):
        server, url = web_check.serve()
        chromium = web_check.DevTools(url)
        web_check.until(lambda: chromium.evaluate(mark) is not None)
        first.append(chromium.evaluate(mark))
        chromium.evaluate("navigator.serviceWorker.ready.then(() => true)")
        server.shutdown()
        server.server_close()
        chromium.call("Page.reload")
        web_check.until(lambda: chromium.evaluate(mark) is not None)
        offline.append(chromium.evaluate(mark))
        chromium.close()
    print(f"  window fully painted, from navigation: first visit {statistics.median(first):.0f} ms,"
          f" offline {statistics.median(offline):.0f} ms (medians of {options.runs})")


AUDITS = {"first-contentful-paint": "First Contentful Paint", "largest-contentful-paint":
          "Largest Contentful Paint", "total-blocking-time": "Total Blocking Time",
          "speed-index": "Speed Index", "cumulative-layout-shift": "layout shift"}


def lighthouse(folder):
    server, url = web_check.serve(folder)
    cli = os.path.join(options.lighthouse, "node_modules", "lighthouse", "cli", "index.js")
    reports = []
    with tempfile.TemporaryDirectory() as scratch:
        for run in range(3):
            report = f"{scratch}/{run}.json"
            subprocess.run(["node", cli, url, "--quiet", "--only-categories=performance",
                            "--output=json", f"--output-path={report}",
                            "--chrome-flags=--headless=new --no-sandbox"],
                           env=dict(os.environ, CHROME_PATH="/usr/bin/chromium"), check=True)
            with open(report) as file:
                reports.append(json.load(file))
    server.shutdown()
    server.server_close()
    scores = [r["categories"]["performance"]["score"] for r in reports]
    figures = [f"performance {statistics.median(scores):.2f} ({min(scores):.2f}–{max(scores):.2f})"]
    for audit, name in AUDITS.items():
        values = [r["audits"][audit]["numericValue"] for r in reports]
        value = statistics.median(values)
        figures.append(f"{name} {value:.3f}" if audit == "cumulative-layout-shift"
                       else f"{name} {value:,.0f} ms")
    print("  Lighthouse, mobile (medians of 3): " + "; ".join(figures))


# Every page is served as a host that compresses sends it.
web_check.Files.compress = True
for folder in options.folders:
    print(f"{folder}:")
    sizes(folder)
    painted(folder)
    if options.lighthouse:
        lighthouse(folder)
