#!/usr/bin/env python3
"""The region table of docs/PERFORMANCE.md from several runs of bench_cv_region_algebra.

Each RESULT is the JSON output (--benchmark_out_format=json) of one run with
repetitions, read as bench_table.py reads it. For every <operation>/<case>,
the row gives the run count of the first operand, the medians over the runs
of each run's median CPU time for ours and for the peer, their ratio, the
range of the per-run ratios, and where measured the floor of copying both
operands' runs (side `copyfloor`).

usage: region_table.py RESULT.json [RESULT.json ...]
"""
import statistics
import sys

import bench_table

# The rows in the benchmark's order (its repetitions may run interleaved in any order).
OPS = ["intersection", "union", "difference", "symmetric_difference", "iou", "moments", "components4", "components8",
       "dilate_disk5", "erode_disk5", "from_mask", "to_mask"]
CASES = ["disk_1024", "disk_4096", "star100_1024", "star100_4096", "blobs200_1024", "blobs200_4096"]


def order(key):
    op, case = key
    return (OPS.index(op) if op in OPS else len(OPS), op, CASES.index(case) if case in CASES else len(CASES), case)


def main(files):
    rows = {}
    for path in files:
        for name, b in bench_table.medians(path):
            op, case, side = name.split("/")
            row = rows.setdefault((op, case), {"runs": b["runs"]})
            row.setdefault(side, []).append(bench_table.nanoseconds(b, "cpu_time") / 1e3)
    fmt = lambda v: f"{v:.1f}" if v < 1000 else f"{v:.0f}"
    print("| operation | case | runs | ours (us) | peer (us) | peer | ours/peer | range | copy floor (us) |")
    print("|---|---|---:|---:|---:|---|---:|---|---:|")
    for op, case in sorted(rows, key=order):
        row = rows[(op, case)]
        peer = next(k for k in row if k not in ("ours", "runs", "copyfloor"))
        floor = fmt(statistics.median(row["copyfloor"])) if "copyfloor" in row else "-"
        ours, theirs = statistics.median(row["ours"]), statistics.median(row[peer])
        ratios = [a / b for a, b in zip(row["ours"], row[peer])]
        print(f"| {op} | {case} | {round(row['runs'])} | {fmt(ours)} | {fmt(theirs)} | {peer} | {ours / theirs:.3f} "
              f"| {min(ratios):.2f} - {max(ratios):.2f} | {floor} |")


if __name__ == "__main__":
    main(sys.argv[1:])
