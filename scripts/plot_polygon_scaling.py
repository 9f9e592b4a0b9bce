#!/usr/bin/env python3
"""Draws the polygon region's time against its vertex count as an SVG.

Reads Google Benchmark JSON (the output of bench_cv_polygon_scaling), takes the
entries named polyscale/<vertices>/<side> (the median where there are
repetitions; CPU time, or wall time with --real) and draws one line per side on
log-log axes. Python standard library only.

usage: plot_polygon_scaling.py RESULT.json [...] -o OUT.svg [--real]
"""
import math
import sys
from collections import defaultdict

import bench_table  # the same JSON reading (medians, errors skipped) as the table

COLOURS = ["#1f5fa8", "#c2410c", "#15803d", "#7e22ce"]
LABELS = {"ours": "ours (run-length list)", "opencv_fillpoly": "cv::fillPoly (8-bit mask)"}


def load(paths, field):
    """Microseconds per entry polyscale/<vertices>/<side>, grouped by side."""
    series = defaultdict(dict)
    for name, ns in bench_table.load(paths, field).items():
        parts = name.split("/")
        if len(parts) == 3 and parts[0] == "polyscale":
            series[parts[2]][int(parts[1])] = ns * 1e-3
    return series


def decades(lo, hi):
    return list(range(int(math.floor(math.log10(lo))), int(math.ceil(math.log10(hi))) + 1))


def fmt_us(v):
    if v >= 1e6:
        return "%g s" % (v / 1e6)
    if v >= 1e3:
        return "%g ms" % (v / 1e3)
    return "%g us" % v


def svg(series, field, title):
    w, h = 720, 460
    left, right, top, bottom = 90, 30, 50, 70
    xs = sorted({x for s in series.values() for x in s})
    ys = [y for s in series.values() for y in s.values()]
    xd = decades(min(xs), max(xs))
    yd = decades(min(ys), max(ys))
    x0, x1 = xd[0], xd[-1]
    y0, y1 = yd[0], yd[-1]

    def px(x):
        return left + (math.log10(x) - x0) / (x1 - x0) * (w - left - right)

    def py(y):
        return h - bottom - (math.log10(y) - y0) / (y1 - y0) * (h - top - bottom)

    out = ['<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d" '
           'font-family="sans-serif" font-size="13">' % (w, h, w, h),
           '<rect width="100%" height="100%" fill="white"/>',
           '<text x="%d" y="28" font-size="15" font-weight="bold">%s</text>' % (left, title)]
    for d in xd:
        x = px(10 ** d)
        out.append('<line x1="%.1f" y1="%d" x2="%.1f" y2="%d" stroke="#ddd"/>' % (x, top, x, h - bottom))
        out.append('<text x="%.1f" y="%d" text-anchor="middle">%d</text>' % (x, h - bottom + 18, 10 ** d))
    for d in yd:
        y = py(10 ** d)
        out.append('<line x1="%d" y1="%.1f" x2="%d" y2="%.1f" stroke="#ddd"/>' % (left, y, w - right, y))
        out.append('<text x="%d" y="%.1f" text-anchor="end">%s</text>' % (left - 8, y + 4, fmt_us(10 ** d)))
    out.append('<rect x="%d" y="%d" width="%d" height="%d" fill="none" stroke="#444"/>'
               % (left, top, w - left - right, h - top - bottom))
    out.append('<text x="%d" y="%d" text-anchor="middle">polygon vertices (star on a 4096 x 4096 image)</text>'
               % ((left + w - right) // 2, h - 25))
    out.append('<text x="22" y="%d" text-anchor="middle" transform="rotate(-90 22 %d)">%s per call '
               '(median)</text>' % ((top + h - bottom) // 2, (top + h - bottom) // 2,
                                   "CPU time" if field == "cpu_time" else "wall time"))
    for i, side in enumerate(sorted(series, key=lambda s: (s != "ours", s))):
        pts = sorted(series[side].items())
        colour = COLOURS[i % len(COLOURS)]
        path = " ".join("%.1f,%.1f" % (px(x), py(y)) for x, y in pts)
        out.append('<polyline points="%s" fill="none" stroke="%s" stroke-width="2"/>' % (path, colour))
        for x, y in pts:
            out.append('<circle cx="%.1f" cy="%.1f" r="3.5" fill="%s"><title>%s, %d vertices: %s</title>'
                       '</circle>' % (px(x), py(y), colour, side, x, fmt_us(round(y, 1))))
        ly = top + 20 + 20 * i
        out.append('<line x1="%d" y1="%d" x2="%d" y2="%d" stroke="%s" stroke-width="2"/>'
                   % (left + 15, ly - 4, left + 40, ly - 4, colour))
        out.append('<text x="%d" y="%d">%s</text>' % (left + 48, ly, LABELS.get(side, side)))
    out.append("</svg>")
    return "\n".join(out) + "\n"


def main(argv):
    field = "real_time" if "--real" in argv else "cpu_time"
    out = None
    paths = []
    it = iter(argv)
    for a in it:
        if a == "-o":
            out = next(it, None)
        elif not a.startswith("--"):
            paths.append(a)
    if not paths or not out:
        print(__doc__)
        return 2
    series = load(paths, field)
    if not series:
        print("no polyscale/<vertices>/<side> entries in the input", file=sys.stderr)
        return 1
    with open(out, "w") as f:
        f.write(svg(series, field, "Polygon region: time against vertex count"))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
