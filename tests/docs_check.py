#!/usr/bin/python3
"""The README's and docs' relative links lead to files that exist, and every
command they give for one of the project's scripts names a mode it has.

  docs_check.py SOURCE-FOLDER
"""

import os
import re
import sys

source = sys.argv[1]
pages = ["README.md", "CHANGELOG.md"] + sorted(
    os.path.join("docs", name) for name in os.listdir(os.path.join(source, "docs"))
    if name.endswith(".md"))
# A script's modes, from its usage line: "usage: $0 run|test|...".
modes = {}
for name in os.listdir(os.path.join(source, "scripts")):
    with open(os.path.join(source, "scripts", name)) as script:
        usage = re.search(r"usage: \$0 ([\w|]+)", script.read())
    if usage:
        modes[f"scripts/{name}"] = usage.group(1).split("|")

faults = []
for page in pages:
    with open(os.path.join(source, page)) as file:
        text = file.read()
    for target in re.findall(r"\]\(([^)#\s]+)(?:#[^)]*)?\)", text):
        if not re.match(r"[a-z]+:", target) and not os.path.exists(
                os.path.join(source, os.path.dirname(page), target)):
            faults.append(f"{page}: the link to {target} leads nowhere")
    for script, mode in re.findall(r"(scripts/[\w-]+\.sh) (\w+)", text):
        if script in modes and mode not in modes[script]:
            faults.append(f"{page}: {script} has no mode '{mode}'")
for fault in faults:
    print(fault)
print(f"{len(pages)} pages, {'faults: ' + str(len(faults)) if faults else 'links and commands sound'}")
sys.exit(1 if faults else 0)
