#!/usr/bin/env python3
"""Reads a trace that `oplexa trace` wrote and the printout of the same recording, and prints
what a test compares, one "name value" a line: trace_check.py TRACE PRINTOUT [FROM TO].
  calls      the printout's calls that begin within FROM..TO seconds
  complete   the trace's complete events
  negative   complete events with a duration below zero
  outside    audioMaster events not inside the host call they were made in
  inside     audioMaster events made inside a host call
  unfinished, over, counters, problems, threads   events of those kinds; the tracks' names
Not valid JSON fails with the parser's message."""
import json
import re
import sys

trace = json.load(open(sys.argv[1]))["traceEvents"]
low, high = (float(sys.argv[3]), float(sys.argv[4])) if len(sys.argv) > 4 else (0, float("inf"))
calls = 0
for line in open(sys.argv[2], errors="replace"):
    found = re.match(r"#\d+ (\d+\.\d+) ", line)
    calls += bool(found) and low <= float(found.group(1)) <= high

complete = [e for e in trace if e["ph"] == "X"]
by_call = {e["args"]["call"]: e for e in complete}


def holds(outer, inner):
    return (outer["tid"] == inner["tid"] and outer["ts"] <= inner["ts"]
            and inner["ts"] + inner["dur"] <= outer["ts"] + outer["dur"])


made_inside = [e for e in complete if "inside" in e["args"]]
facts = {
    "calls": calls,
    "complete": len(complete),
    "negative": sum(e["dur"] < 0 for e in complete),
    "outside": sum(not holds(by_call[e["args"]["inside"]], e) for e in made_inside
                   if e["args"]["inside"] in by_call),
    "inside": len(made_inside),
    "unfinished": sum("unfinished" in e["args"] for e in complete),
    "over": sum(e["ph"] == "i" and e["name"] == "over budget" for e in trace),
    "counters": len({e["name"] for e in trace if e["ph"] == "C"}),
    "problems": sum(e["ph"] == "i" and e["name"].startswith("problem") for e in trace),
    "threads": ",".join(e["args"]["name"] for e in trace if e["name"] == "thread_name"),
}
for name, value in facts.items():
    print(name, value)
