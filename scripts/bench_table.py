#!/usr/bin/env python3
"""Turns Google Benchmark JSON output into a table of ratios (ours / peer).

Benchmarks are paired by name: the word "ours" in one path component marks our
side; every other benchmark whose name differs only in that component is a peer
of it (for example "polygon/star1000/4096/ours" and "polygon/star1000/4096/opencv").
A ratio below 1 means we are faster.

usage: bench_table.py RESULT.json [RESULT.json ...] [--markdown]
"""
import json
import sys
from collections import OrderedDict


def load(paths):
    rows = OrderedDict()
    for path in paths:
        with open(path) as f:
            data = json.load(f)
        for b in data.get("benchmarks", []):
            if b.get("run_type") == "aggregate" and b.get("aggregate_name") != "median":
                continue
            name = b.get("run_name", b["name"])
            scale = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}[b.get("time_unit", "ns")]
            rows[name] = b["real_time"] * scale
    return rows


def pairs(rows):
    out = []
    for name, t in rows.items():
        parts = name.split("/")
        if "ours" not in parts:
            continue
        i = parts.index("ours")
        for other, u in rows.items():
            op = other.split("/")
            if other == name or len(op) != len(parts):
                continue
            if op[:i] == parts[:i] and op[i + 1:] == parts[i + 1:]:
                case = "/".join(parts[:i] + parts[i + 1:])
                out.append((case, op[i], t, u))
    return out


def fmt_ns(ns):
    for unit, f in (("s", 1e9), ("ms", 1e6), ("us", 1e3)):
        if ns >= f:
            return "%.3g %s" % (ns / f, unit)
    return "%.3g ns" % ns


def main(argv):
    paths = [a for a in argv if not a.startswith("--")]
    if not paths:
        print(__doc__)
        return 2
    rows = pairs(load(paths))
    print("| case | peer | ours | peer time | ratio ours/peer |")
    print("|---|---|---|---|---|")
    for case, peer, t, u in rows:
        print("| %s | %s | %s | %s | %.3f |" % (case, peer, fmt_ns(t), fmt_ns(u), t / u if u else float("nan")))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
