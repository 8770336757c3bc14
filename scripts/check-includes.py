#!/usr/bin/env python3
"""Checks that includes point one way: from a folder only to the folders below it, and within
a folder never round a loop of files (a file and its header count as one).
  scripts/check-includes.py [--table]    --table: how many includes go between folders
Exits 1 and names each offending include or loop."""
import collections, os, re, subprocess, sys

# Lowest first; a folder may include its own files and those of folders earlier in the list.
LAYERS = [["vst"], ["record", "rules"], ["logger"], ["tabs", "resources"], ["gui"], ["bridge"], ["tools"], ["tests"]]
LEVEL = {folder: i for i, layer in enumerate(LAYERS) for folder in layer}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)

os.chdir(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
files = [f for f in subprocess.run(["git", "ls-files", "--cached", "--others", "--exclude-standard"],
                                   capture_output=True, text=True, check=True).stdout.split()
         if f.endswith((".h", ".cpp")) and f.split("/")[0] in LEVEL and os.path.isfile(f)]

def unit(path):
    return os.path.splitext(path)[0]

between = collections.Counter()
within = collections.defaultdict(set)
faults = []
for f in files:
    folder = f.split("/")[0]
    for target in INCLUDE.findall(open(f, encoding="utf-8", errors="replace").read()):
        top = target.split("/")[0]
        if top not in LEVEL:
            continue
        between[(folder, top)] += 1
        if top != folder and LEVEL[top] >= LEVEL[folder]:
            faults.append(f"{f} includes {target}: {top}/ is not below {folder}/")
        if top == folder and unit(target) != unit(f):
            within[unit(f)].add(unit(target))

# A loop among a folder's files: depth-first search for a back edge.
state = {}
def visit(node, path):
    state[node] = "open"
    for nxt in sorted(within.get(node, ())):
        if state.get(nxt) == "open":
            faults.append("loop of includes: " + " -> ".join(path[path.index(nxt):] + [nxt]))
        elif nxt not in state:
            visit(nxt, path + [nxt])
    state[node] = "done"
for node in sorted(within):
    if node not in state:
        visit(node, [node])

if "--table" in sys.argv:
    for (a, b), n in sorted(between.items(), key=lambda item: (LEVEL[item[0][0]], LEVEL[item[0][1]])):
        if a != b:
            print(f"{a:>10}/ -> {b}/  {n}")
for fault in faults:
    print(fault)
sys.exit(1 if faults else 0)
