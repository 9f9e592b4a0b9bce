"""Benchmarks of the Python package, side by side in one run.

    PYTHONPATH=build/python /usr/bin/python3 bench/bench_python.py [--plot FILE.svg]

1. the cost of one scalar call against a trivial function of the same module;
2. large inputs through Python against the same library call timed in C++;
3. the same jobs with OpenCV's and scikit-image's Python modules.
Every figure is the median of repeated timings after a warm-up call; OpenCV
runs on one thread, as the library does.
"""
import statistics
import sys
import time
import timeit

import numpy as np

import tavgeometry as tg
from tavgeometry import _tavgeometry as core

try:
    import cv2
    cv2.setNumThreads(1)
except ImportError:  # pragma: no cover
    cv2 = None
try:
    from skimage import draw, measure, segmentation
except ImportError:  # pragma: no cover
    draw = None


def per_call(fn, min_time=0.2, repeats=5):
    fn()
    n = 1
    while True:
        t = timeit.timeit(fn, number=n)
        if t >= min_time / 5:
            break
        n *= 2
    return statistics.median(timeit.repeat(fn, number=n, repeat=repeats)) / n


def fmt(s):
    for unit, f in (("s", 1), ("ms", 1e3), ("us", 1e6), ("ns", 1e9)):
        if s * f >= 1:
            return f"{s * f:.3g} {unit}"
    return f"{s * 1e9:.3g} ns"


def star(n, r_out, r_in, cx, cy):
    a = np.arange(2 * n) * np.pi / n
    r = np.where(np.arange(2 * n) % 2 == 0, r_out, r_in)
    return np.c_[cx + r * np.cos(a), cy + r * np.sin(a)]


def main():
    rng = np.random.default_rng(1)
    print("## Call overhead")
    a, b = (0.0, 0.0), (3.0, 4.0)
    t_dist = per_call(lambda: tg.point_point_dist(a, b), repeats=7)
    t_triv = per_call(lambda: core._trivial(a, b), repeats=7)
    print(f"point_point_dist {t_dist * 1e9:.0f} ns, trivial binding {t_triv * 1e9:.0f} ns, "
          f"ratio {t_dist / t_triv:.2f}\n")

    print("## Large inputs: Python call / C++ call")
    print("| job | Python | C++ | ratio |\n|---|---|---|---|")
    t = rng.uniform(0, 2 * np.pi, 10**6)
    ring = np.c_[2048 + 1500 * np.cos(t), 2048 + 1500 * np.sin(t)] + rng.normal(0, 0.5, (10**6, 2))
    x = rng.uniform(0, 4096, 10**6)
    linepts = np.c_[x, 0.3 * x + 5 + rng.normal(0, 1, 10**6)]
    line32 = linepts.astype(np.float32)
    poly = star(100, 2000, 900, 2048, 2048)
    disk = np.array([[2048.0, 2048.0], [4047.0, 2048.0]])
    pcalc = tg.RleCalcPolygon()
    large = [
        ("fit_line, 10^6 points", lambda: tg.fit_line(linepts), ("fit_line", linepts, 0, 0)),
        ("fit_circle, 10^6 points", lambda: tg.fit_circle(ring), ("fit_circle", ring, 0, 0)),
        ("polygon 100-star, 4096^2", lambda: tg.RleCalcPolygon().calculate(4096, 4096, poly).rle,
         ("polygon", poly, 4096, 4096)),
        ("disk r 2000, 4096^2", lambda: tg.RleCalcDisk().calculate(4096, 4096, disk).rle, ("disk", disk, 4096, 4096)),
        ("perimeter of the star, 4096^2", lambda: pcalc.calculate(4096, 4096, poly).perimeter_points(),
         ("perimeter", poly, 4096, 4096)),
    ]
    for name, fn, (what, pts, w, h) in large:
        py = per_call(fn)
        reps = max(1, int(0.2 / max(py, 1e-6)))
        cpp = statistics.median(core._time_cpp(what, pts, w, h, reps) for _ in range(5))
        print(f"| {name} | {fmt(py)} | {fmt(cpp)} | {py / cpp:.3f} |")

    if cv2 is None or draw is None:
        print("\n(peers not installed)")
        return
    print("\n## Against OpenCV and scikit-image (same inputs, one thread)")
    print("| job | tavgeometry | cv2 | skimage | cv2 / ours | skimage / ours |\n|---|---|---|---|---|---|")
    mask = np.zeros((4096, 4096), np.uint8)
    ipoly = np.round(poly).astype(np.int32)
    filled = np.zeros((4096, 4096), np.uint8)
    cv2.fillPoly(filled, [ipoly], 1)
    pts1k = ring[:1000]
    lin1k = linepts[:1000].copy()
    lin1k[:200] = rng.uniform(0, 4096, (200, 2))  # 20 % outliers

    def sk_ransac():
        measure.ransac(lin1k, measure.LineModelND, min_samples=2, residual_threshold=3, max_trials=100,
                       random_state=0)

    def sk_circle():
        measure.CircleModel().estimate(pts1k)

    jobs = [
        ("polygon fill, 100-star 4096^2 (ours: run list)",
         lambda: tg.RleCalcPolygon().calculate(4096, 4096, poly).rle,
         lambda: cv2.fillPoly(mask, [ipoly], 1), lambda: draw.polygon(poly[:, 1], poly[:, 0], (4096, 4096))),
        ("disk r 2000, 4096^2 (ours: run list)", lambda: tg.RleCalcDisk().calculate(4096, 4096, disk).rle,
         lambda: cv2.circle(mask, (2048, 2048), 1999, 1, -1), lambda: draw.disk((2048, 2048), 1999, shape=(4096, 4096))),
        ("boundary pixels of the star", lambda: pcalc.calculate(4096, 4096, poly).perimeter_points(),
         lambda: cv2.findContours(filled, cv2.RETR_EXTERNAL, cv2.CHAIN_APPROX_NONE),
         lambda: segmentation.find_boundaries(filled, mode="inner")),
        # the orthogonal fit on every side; cv2 takes float32, converted before the timing
        ("line fit, 10^3 points", lambda: tg.fit_line_orthogonal(linepts[:1000]),
         lambda: cv2.fitLine(line32[:1000], cv2.DIST_L2, 0, 0.01, 0.01),
         lambda: measure.LineModelND().estimate(linepts[:1000])),
        ("line fit, 10^6 points", lambda: tg.fit_line_orthogonal(linepts),
         lambda: cv2.fitLine(line32, cv2.DIST_L2, 0, 0.01, 0.01),
         lambda: measure.LineModelND().estimate(linepts)),
        ("circle fit, 10^3 points", lambda: tg.fit_circle(pts1k), None, sk_circle),
        ("consensus line, 10^3 points, 100 trials", lambda: tg.fit_line_ransac(lin1k, 200, 100), None, sk_ransac),
    ]
    rows = []
    for name, ours, cv, sk in jobs:
        t_ours = per_call(ours)
        t_cv = per_call(cv) if cv else None
        t_sk = per_call(sk, min_time=0.5, repeats=3) if sk else None
        cells = [fmt(t_ours), fmt(t_cv) if t_cv else "n/a", fmt(t_sk) if t_sk else "n/a",
                 f"{t_cv / t_ours:.1f}" if t_cv else "n/a", f"{t_sk / t_ours:.1f}" if t_sk else "n/a"]
        print(f"| {name} | " + " | ".join(cells) + " |")
        rows.append((name, t_cv / t_ours if t_cv else None, t_sk / t_ours if t_sk else None))
    if "--plot" in sys.argv:
        plot(rows, sys.argv[sys.argv.index("--plot") + 1])
    print(f"\n{time.strftime('%Y-%m-%d %H:%M UTC', time.gmtime())}")


def plot(rows, path):
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    fig, ax = plt.subplots(figsize=(8, 4.2))
    ys = np.arange(len(rows))
    ax.barh(ys - 0.2, [r[1] or 0 for r in rows], 0.4, label="OpenCV time / ours")
    ax.barh(ys + 0.2, [r[2] or 0 for r in rows], 0.4, label="scikit-image time / ours")
    ax.axvline(1, color="k", lw=0.8)
    ax.set_xscale("log")
    ax.set_yticks(ys, [r[0] for r in rows], fontsize=8)
    ax.invert_yaxis()
    ax.set_xlabel("speed-up of tavgeometry (log scale; missing bar: the peer has no such function)")
    ax.legend(fontsize=8, loc="lower right")
    fig.tight_layout()
    fig.savefig(path)


if __name__ == "__main__":
    main()
