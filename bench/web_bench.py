#!/usr/bin/python3
"""The page's size, raw and as a static host sends it (each file compressed
with gzip), and how soon its window is fully painted in Chromium on this
machine: on a first visit, and offline once the page has kept its files.

  web_bench.py FOLDER [RUNS]

Painted is the page's "vendrola-painted" mark: two animation frames after
the window first showed, so its first frame is on the screen. Times are
from the start of the navigation, medians of RUNS fresh profiles.
"""

import gzip
import os
import statistics
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests"))
import web_check  # noqa: E402

folder = sys.argv[1]
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 5

files = []
for directory, _, names in os.walk(folder):
    for name in names:
        with open(os.path.join(directory, name), "rb") as file:
            data = file.read()
        files.append((os.path.relpath(os.path.join(directory, name), folder), len(data),
                      len(gzip.compress(data, 9))))
for name, raw, packed in sorted(files, key=lambda file: -file[2])[:5]:
    print(f"{name:32} {raw:>10,} bytes, gzipped {packed:>10,}")
raw, packed = sum(f[1] for f in files), sum(f[2] for f in files)
print(f"all {len(files)} files: {raw:,} bytes ({raw / 2**20:.2f} MiB), "
      f"gzipped {packed:,} bytes ({packed / 2**20:.2f} MiB)")

os.environ["VENDROLA_WEB_PAGE"] = folder
painted = "performance.getEntriesByName('vendrola-painted').map((mark) => mark.startTime)[0]"
first, offline = [], []
for _ in range(runs):
    server, url = web_check.serve()
    chromium = web_check.DevTools(url)
    web_check.until(lambda: chromium.evaluate(painted) is not None)
    first.append(chromium.evaluate(painted))
    chromium.evaluate("navigator.serviceWorker.ready.then(() => true)")
    server.shutdown()
    server.server_close()
    chromium.call("Page.reload")
    web_check.until(lambda: chromium.evaluate(painted) is not None)
    offline.append(chromium.evaluate(painted))
    chromium.close()
print(f"window fully painted, from navigation: first visit {statistics.median(first):.0f} ms, "
      f"offline {statistics.median(offline):.0f} ms (medians of {runs})")
