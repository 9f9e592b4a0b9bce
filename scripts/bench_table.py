#!/usr/bin/env python3
"""Turns Google Benchmark JSON output into a table of ratios (ours / peer).

Benchmarks are named <operation>/<case>/<side>; the side "ours" is our code and
every other benchmark whose name differs only in that component is a peer of
it (for example "polyscale/1000/ours" and "polyscale/1000/opencv_fillpoly").
A ratio below 1 means we are faster. With repetitions the median is used.
Times are CPU time (the benchmarks run on one thread); --real uses wall time.

Two derived rows hold the fits against their floors measured in the same run:
the line fit against its two plain passes ("linefit/.../twopasses", budget
1.2 times) and the circle fit against 1.5 times the hypot calls plus the two
passes ("circlefit/.../hypot" and ".../twopasses").

Entries named ".../ours" without any peer (the cache hit) are listed after
the table with their time per call.

usage: bench_table.py RESULT.json [RESULT.json ...] [--real]
"""
import json
import sys
from collections import OrderedDict

SCALE = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}


def medians(path):
    """(name, entry) of each benchmark of one result: its median with repetitions, errors skipped."""
    with open(path) as f:
        data = json.load(f)
    for b in data.get("benchmarks", []):
        if b.get("error_occurred"):
            continue
        if b.get("run_type") == "aggregate" and b.get("aggregate_name") != "median":
            continue
        yield b.get("run_name", b["name"]), b


def nanoseconds(b, field):
    return b[field] * SCALE[b.get("time_unit", "ns")]


def load(paths, field):
    rows = OrderedDict()
    for path in paths:
        for name, b in medians(path):
            rows[name] = nanoseconds(b, field)
    return rows


def pairs(rows):
    out = []
    alone = []
    for name, t in rows.items():
        parts = name.split("/")
        if "ours" not in parts:
            continue
        i = parts.index("ours")
        found = False
        for other, u in rows.items():
            op = other.split("/")
            if other == name or len(op) != len(parts):
                continue
            if op[:i] == parts[:i] and op[i + 1:] == parts[i + 1:]:
                case = "/".join(parts[:i] + parts[i + 1:])
                out.append((case, op[i], t, u))
                found = True
        if not found:
            alone.append((name, t))
    return out, alone


def budgets(rows):
    """Derived rows: the fits against the floors of their issue targets."""
    out = []
    for name, t in rows.items():
        parts = name.split("/")
        if len(parts) != 3 or parts[2] != "ours":
            continue
        base = "/".join(parts[:2])
        two = rows.get(base + "/twopasses")
        hyp = rows.get(base + "/hypot")
        if two is None:
            continue
        if hyp is None:
            out.append((base, "1.2 x twopasses", t, 1.2 * two))
        else:
            out.append((base, "1.5 x hypot + twopasses", t, 1.5 * hyp + two))
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
    field = "real_time" if "--real" in argv else "cpu_time"
    rows = load(paths, field)
    paired, alone = pairs(rows)
    print("| case | peer | ours | peer time | ratio ours/peer |")
    print("|---|---|---|---|---|")
    for case, peer, t, u in paired:
        print("| %s | %s | %s | %s | %.3f |" % (case, peer, fmt_ns(t), fmt_ns(u), t / u if u else float("nan")))
    derived = budgets(rows)
    if derived:
        print()
        print("| fit | budget | ours | budget time | ratio ours/budget |")
        print("|---|---|---|---|---|")
        for case, what, t, u in derived:
            print("| %s | %s | %s | %s | %.3f |" % (case, what, fmt_ns(t), fmt_ns(u), t / u if u else float("nan")))
    if alone:
        print()
        print("| ours without a peer | time per call |")
        print("|---|---|")
        for name, t in alone:
            print("| %s | %s |" % (name, fmt_ns(t)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
