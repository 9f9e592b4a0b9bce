"""Benchmarks of the Python package, side by side in one run.

    PYTHONPATH=build/python /usr/bin/python3 bench/bench_python.py [--plot FILE.svg | --regions | --small]

1. the cost of one scalar call against a trivial function of the same module;
2. large inputs through Python against the same library call timed in C++;
3. the same jobs with OpenCV's and scikit-image's Python modules;
4. regions against the same masks in OpenCV, numpy and scikit-image (or SciPy,
   which scikit-image builds on), each pair's results checked equal first
   (alone with --regions);
5. small masks and instance records, the calls a batch over many images makes
   (alone with --small), with an evaluation's IoU of every detection against
   every ground truth.
Every figure is the median of repeated timings after a warm-up call; OpenCV
runs on one thread, as the library does.
"""
import functools
import operator
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
    from scipy import ndimage
    from skimage import draw, measure, morphology, segmentation
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
    if "--regions" in sys.argv:  # the region section alone
        regions(rng)
        return
    if "--small" in sys.argv:
        small(rng)
        return
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
        print("\n(peers not installed: OpenCV's module comes with bash scripts/deps.sh --bench)")
        return
    print("\n## Against OpenCV and scikit-image (same inputs, one thread)")
    print("| job | tavgeometry | cv2 | skimage | cv2 / ours | skimage / ours |\n|---|---|---|---|---|---|")
    mask = np.zeros((4096, 4096), np.uint8)
    ipoly = np.round(poly).astype(np.int32)
    # The boundary jobs read the same pixels: our region of the star as a mask. (The fill jobs rasterise the
    # same polygon by each library's own rule, ours on the fractional vertices, cv2 on them rounded; the pixel
    # counts differ by about 0.5 %.)
    filled = pcalc.calculate(4096, 4096, poly).to_mask()
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
        # the orthogonal fit on every side, the line alone; cv2 takes float32, converted before the timing
        ("line fit, 10^3 points", lambda: tg.fit_line_orthogonal(linepts[:1000], return_rms=False),
         lambda: cv2.fitLine(line32[:1000], cv2.DIST_L2, 0, 0.01, 0.01),
         lambda: measure.LineModelND().estimate(linepts[:1000])),
        ("line fit, 10^6 points", lambda: tg.fit_line_orthogonal(linepts, return_rms=False),
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
    regions(rng)
    if "--plot" in sys.argv:
        plot(rows, sys.argv[sys.argv.index("--plot") + 1])
    print(f"\n{time.strftime('%Y-%m-%d %H:%M UTC', time.gmtime())}")


def np_iou(a, b, scratch=None):
    """IoU of two bool masks in numpy: |a | b| = |a| + |b| - |a & b|, so one mask is written."""
    i = np.count_nonzero(np.logical_and(a, b, out=scratch))
    return i / (np.count_nonzero(a) + np.count_nonzero(b) - i)


def shapes(rng, side):
    """The C++ region benchmark's shapes as masks: a 100-vertex star and the union of
    200 random disks (other draws than the C++ ones), each with a copy moved by
    side / 40 as the second operand."""
    out = []
    s = star(50, 0.45 * side, 0.2 * side, side / 2, side / 2)
    d = side // 40
    centres = rng.uniform(0, side, (200, 2))
    radii = side / 100 + rng.uniform(0, side / 30, 200)
    for name, paint in (("star", lambda m, o: cv2.fillPoly(m, [np.round(s + o).astype(np.int32)], 1)),
                        ("blobs", lambda m, o: [cv2.circle(m, (int(c[0] + o), int(c[1] + o)), int(r), 1, -1)
                                                for c, r in zip(centres, radii)])):
        a, b = np.zeros((side, side), np.uint8), np.zeros((side, side), np.uint8)
        paint(a, 0)
        paint(b, d)
        out.append((f"{name} {side}^2", a, b))
    return out


def regions(rng):
    """Regions against masks; ours starts from the built region unless the job says
    'from masks'. Every pair is checked for the same result before it is timed."""
    print("\n## Regions against masks (same pixels, one thread; `other`: numpy, scikit-image or SciPy)")
    print("| job | shape | runs | tavgeometry | cv2 | other | cv2 / ours | other / ours |\n"
          "|---|---|---|---|---|---|---|---|")
    def same_count(x, y):  # cv2 counts the background as a label
        return len(x) == (y[0] - 1 if isinstance(y, tuple) else y.max())

    def cv_without_small(m, least, c):  # label, then keep the labels of enough pixels
        _, lab, stats, _ = cv2.connectedComponentsWithStats(m, connectivity=c)
        keep = stats[:, cv2.CC_STAT_AREA] >= least
        keep[0] = False
        return keep[lab]

    def same_stats(x, y):  # cv2: (count, labels, stats, centroids), the background first
        if isinstance(y, tuple):
            return sorted(x["area"].tolist()) == sorted(y[2][1:, cv2.CC_STAT_AREA].tolist())
        return x["area"].tolist() == y["area"].tolist() and np.allclose(x["centroid_x"], y["centroid-1"])

    k5 = np.array([[dx * dx + dy * dy <= 25 for dx in range(-5, 6)] for dy in range(-5, 6)], np.uint8)
    for label, a, b in shapes(rng, 1024):
        ra, rb = tg.Region.from_mask(a), tg.Region.from_mask(b)
        tmp = np.empty_like(a)
        ab, aob = a.astype(bool), b.astype(bool)
        tmpb = np.empty_like(ab)

        # |a | b| = |a| + |b| - |a & b|: one mask written, not two
        def cv_iou():
            i = cv2.countNonZero(cv2.bitwise_and(a, b, dst=tmp))
            return i / (cv2.countNonZero(a) + cv2.countNonZero(b) - i)

        def same_moments(x, y):  # skimage's array is indexed [row order, column order]
            mu20, m00 = (y["mu20"], y["m00"]) if isinstance(y, dict) else (y[0, 2], y[0, 0])
            return x["m00"] == m00 and np.isclose(x["mu20"], mu20, rtol=1e-9)

        jobs = [
            ("IoU", lambda: ra.iou(rb), cv_iou, lambda: np_iou(ab, aob, tmpb), lambda x, y: x == y),
            ("IoU from masks", lambda: tg.Region.from_mask(a).iou(tg.Region.from_mask(b)), cv_iou,
             lambda: np_iou(ab, aob, tmpb),
             lambda x, y: x == y),
            ("union", lambda: ra | rb, lambda: cv2.bitwise_or(a, b, dst=tmp), lambda: np.bitwise_or(a, b, out=tmp),
             lambda x, y: np.array_equal(x.to_mask() != 0, y != 0)),
            ("difference", lambda: ra - rb, lambda: cv2.subtract(a, b, dst=tmp), lambda: np.greater(ab, aob, out=tmpb),
             lambda x, y: np.array_equal(x.to_mask() != 0, y != 0)),
            ("remove parts < 200 px, 8", lambda: ra.remove_small_parts(200, 8), lambda: cv_without_small(a, 200, 8),
             lambda: morphology.remove_small_objects(ab, 200, connectivity=2),
             lambda x, y: np.array_equal(x.to_mask() != 0, y != 0)),
            ("moments", lambda: ra.moments, lambda: cv2.moments(a),  # a is 0 and 1: no binary compare needed
             lambda: measure.moments_central(a, order=2),
             same_moments),
            ("components 8", lambda: ra.components(8), lambda: cv2.connectedComponents(a, connectivity=8),
             lambda: measure.label(a, connectivity=2), same_count),
            ("components 4", lambda: ra.components(4), lambda: cv2.connectedComponents(a, connectivity=4),
             lambda: measure.label(a, connectivity=1), same_count),
            ("part stats 8", lambda: ra.component_stats(8), lambda: cv2.connectedComponentsWithStats(a, connectivity=8),
             lambda: measure.regionprops_table(measure.label(a, connectivity=2),
                                               properties=("area", "bbox", "centroid")),
             same_stats),
            ("dilate, disk r 5", lambda: ra.dilate(5, "disk"), lambda: cv2.dilate(a, k5),
             lambda: morphology.binary_dilation(a, k5), lambda x, y: np.array_equal(x.to_mask() != 0, y != 0)),
            ("erode, disk r 5", lambda: ra.erode(5, "disk"),
             lambda: cv2.erode(a, k5, borderType=cv2.BORDER_CONSTANT, borderValue=0),
             lambda: ndimage.binary_erosion(a, k5, border_value=0),
             lambda x, y: np.array_equal(x.to_mask() != 0, y != 0)),
            ("fill holes", lambda: ra.fill_holes(), None, lambda: ndimage.binary_fill_holes(a),
             lambda x, y: np.array_equal(x.to_mask() != 0, y != 0)),
        ]
        for name, ours, cv, other, same in jobs:
            mine = ours()
            for peer in (cv, other):
                if peer is not None and not same(mine, peer()):
                    raise SystemExit(f"{name} on {label}: results differ from {peer}")
            t_ours = per_call(ours)
            t_cv = per_call(cv) if cv else None
            t_other = per_call(other, min_time=0.5, repeats=3)
            print(f"| {name} | {label} | {len(ra)} | {fmt(t_ours)} | {fmt(t_cv) if t_cv else 'n/a'} | "
                  f"{fmt(t_other)} | {f'{t_cv / t_ours:.1f}' if t_cv else 'n/a'} | {t_other / t_ours:.1f} |")
    # The worst case for runs: a mask of noise, where a part has one or two runs and every part is an object.
    noise = (rng.random((1024, 1024)) < 0.3).astype(np.uint8)
    rn = tg.Region.from_mask(noise)
    bn = noise.astype(bool)
    for c, sk_c in ((8, 2), (4, 1)):
        ours, cv = lambda: rn.components(c), lambda: cv2.connectedComponents(noise, connectivity=c)
        other = lambda: measure.label(noise, connectivity=sk_c)  # noqa: E731
        parts = ours()
        if not same_count(parts, cv()) or not same_count(parts, other()):
            raise SystemExit(f"components {c} of noise: counts differ")
        t_ours, t_cv, t_other = per_call(ours), per_call(cv), per_call(other, min_time=0.5, repeats=3)
        print(f"| components {c} ({len(parts)} parts) | noise 30 % 1024^2 | {len(rn)} | {fmt(t_ours)} | {fmt(t_cv)} | "
              f"{fmt(t_other)} | {t_cv / t_ours:.1f} | {t_other / t_ours:.1f} |")
        drop = lambda: rn.remove_small_parts(3, c)  # noqa: E731
        cv_drop = lambda: cv_without_small(noise, 3, c)  # noqa: E731
        sk_drop = lambda: morphology.remove_small_objects(bn, 3, connectivity=sk_c)  # noqa: E731
        if not (np.array_equal(drop().to_mask() != 0, cv_drop()) and np.array_equal(drop().to_mask() != 0, sk_drop())):
            raise SystemExit(f"remove_small_parts {c} of noise differs")
        t_drop, t_cv_drop, t_sk_drop = per_call(drop), per_call(cv_drop), per_call(sk_drop, min_time=0.5, repeats=3)
        print(f"| remove parts < 3 px, {c} | noise 30 % 1024^2 | {len(rn)} | {fmt(t_drop)} | {fmt(t_cv_drop)} | "
              f"{fmt(t_sk_drop)} | {t_cv_drop / t_drop:.1f} | {t_sk_drop / t_drop:.1f} |")
        count = lambda: rn.component_count(c)  # noqa: E731
        if count() != len(parts):
            raise SystemExit(f"component_count {c} of noise differs")
        t_count = per_call(count)
        print(f"| component_count {c} | noise 30 % 1024^2 | {len(rn)} | {fmt(t_count)} | {fmt(t_cv)} | "
              f"{fmt(t_other)} | {t_cv / t_count:.1f} | {t_other / t_count:.1f} |")
        stats = lambda: rn.component_stats(c)  # noqa: E731
        cv_stats = lambda: cv2.connectedComponentsWithStats(noise, connectivity=c)  # noqa: E731
        sk_stats = lambda: measure.regionprops_table(other(), properties=("area", "bbox", "centroid"))  # noqa: E731
        if not (same_stats(stats(), cv_stats()) and same_stats(stats(), sk_stats())):
            raise SystemExit(f"component_stats {c} of noise differs")
        t_stats, t_cv_stats = per_call(stats), per_call(cv_stats)
        t_sk_stats = per_call(sk_stats, min_time=0.5, repeats=3)
        print(f"| part stats {c} | noise 30 % 1024^2 | {len(rn)} | {fmt(t_stats)} | {fmt(t_cv_stats)} | "
              f"{fmt(t_sk_stats)} | {t_cv_stats / t_stats:.1f} | {t_sk_stats / t_stats:.1f} |")

    # Instances merged into one mask: 1000 disks of radius 5 to 39 on 1024^2, one mask each.
    masks = []
    for _ in range(1000):
        m = np.zeros((1024, 1024), np.uint8)
        cv2.circle(m, (int(rng.integers(0, 1024)), int(rng.integers(0, 1024))), int(rng.integers(5, 40)), 1, -1)
        masks.append(m)
    regs = [tg.Region.from_mask(m) for m in masks]
    merged = np.zeros((1024, 1024), np.uint8)

    def cv_merge():
        merged[:] = 0
        for m in masks:
            cv2.bitwise_or(merged, m, dst=merged)
        return merged

    def np_merge():
        merged[:] = 0
        for m in masks:
            np.bitwise_or(merged, m, out=merged)
        return merged

    for name, ours in (("union_all", lambda: tg.Region.union_all(regs)),
                       (r"a loop of `\|`", lambda: functools.reduce(operator.or_, regs))):
        if not (np.array_equal(ours().to_mask(), cv_merge()) and np.array_equal(ours().to_mask(), np_merge())):
            raise SystemExit(f"{name} of 1000 disks differs")
        t_ours, t_cv, t_np = per_call(ours), per_call(cv_merge), per_call(np_merge, min_time=0.5, repeats=3)
        print(f"| {name} of 1000 disks | disks 1024^2 | {sum(len(r) for r in regs)} | {fmt(t_ours)} | {fmt(t_cv)} | "
              f"{fmt(t_np)} | {t_cv / t_ours:.1f} | {t_np / t_ours:.1f} |")

def blobs(rng, h, w, n, r_max):
    """A mask of n random disks of radius 2 .. r_max."""
    yy, xx = np.mgrid[:h, :w]
    m = np.zeros((h, w), np.uint8)
    for _ in range(n):
        cy, cx, r = rng.uniform(0, h), rng.uniform(0, w), rng.uniform(2, r_max)
        m[(yy - cy) ** 2 + (xx - cx) ** 2 <= r * r] = 1
    return m


def small(rng):
    """Per-call costs on small masks, and an evaluation's IoU matrix; every pair is checked first."""
    print("\n## Small masks (one thread; ours from the built region unless it reads a mask or a record)")
    print("| job | mask | tavgeometry | peer | peer / ours |\n|---|---|---|---|---|")

    def decode(rec):  # COCO counts (column-major, background first) to a mask, in numpy
        h, w = rec["size"]
        return np.repeat(np.arange(len(rec["counts"])) % 2, rec["counts"]).astype(np.uint8).reshape(w, h).T

    for label, (h, w, n, r_max) in {"32x32": (32, 32, 2, 10), "63x63": (63, 63, 3, 20),
                                    "objects on 640x480": (480, 640, 4, 60)}.items():
        a, b = blobs(rng, h, w, n, r_max), blobs(rng, h, w, n, r_max)
        ra, rb = tg.Region.from_mask(a), tg.Region.from_mask(b)
        ab, bb, rec = a.astype(bool), b.astype(bool), ra.to_coco(compressed=False)
        jobs = [("from_mask / numpy a != 0", lambda: tg.Region.from_mask(a), lambda: a != 0,
                 lambda x, y: np.array_equal(x.to_mask(), y)),
                ("IoU / numpy on bool masks", lambda: ra.iou(rb), lambda: np_iou(ab, bb), lambda x, y: x == y),
                ("moments / cv2.moments", lambda: ra.moments, lambda: cv2.moments(a),  # a is 0 and 1
                 lambda x, y: x["m00"] == y["m00"] and np.isclose(x["mu20"], y["mu20"], rtol=1e-9)),
                ("from_coco of a counts list / numpy decoder", lambda: tg.Region.from_coco(rec), lambda: decode(rec),
                 lambda x, y: np.array_equal(x.to_mask(), y))]
        for name, ours, peer, same in jobs:
            if not same(ours(), peer()):
                raise SystemExit(f"{name} on {label}: the results differ")
            t_ours, t_peer = per_call(ours, repeats=7), per_call(peer, repeats=7)
            print(f"| {name} | {label} | {fmt(t_ours)} | {fmt(t_peer)} | {t_peer / t_ours:.2f} |")

    # 20 detections and 30 ground truths, objects of 20 to 200 px on 640x480, as COCO records
    def objects(k):
        out = []
        for _ in range(k):
            m = np.zeros((480, 640), np.uint8)
            y, x, hh, ww = (int(v) for v in rng.integers([0, 0, 20, 20], [440, 600, 200, 200]))
            box = m[y:y + hh, x:x + ww]
            box[:] = blobs(rng, box.shape[0], box.shape[1], 3, min(box.shape) / 2)
            out.append(tg.Region.from_mask(m).to_coco())
        return out
    dets, gts = objects(20), objects(30)
    rd, rg = [tg.Region.from_coco(d) for d in dets], [tg.Region.from_coco(g) for g in gts]
    md, mg = [r.to_mask().astype(bool) for r in rd], [r.to_mask().astype(bool) for r in rg]

    def np_loop():
        return np.array([[np.count_nonzero(p & q) / np.count_nonzero(p | q) for q in mg] for p in md])

    def np_matmul():
        fd, fg = np.reshape(md, (20, -1)).astype(np.float32), np.reshape(mg, (30, -1)).astype(np.float32)
        inter = fd @ fg.T
        return inter / (fd.sum(1)[:, None] + fg.sum(1)[None, :] - inter)

    matrix = tg.Region.iou_matrix(rd, rg)
    loop = np.array([[d.iou(g) for g in rg] for d in rd])
    if not (np.array_equal(matrix, loop) and np.array_equal(matrix, np_loop()) and
            np.allclose(matrix, np_matmul(), atol=1e-6)):
        raise SystemExit("IoU matrix: the results differ")
    print(f"\nIoU of 20 detections x 30 ground truths on 640x480 ({np.count_nonzero(matrix)} pairs meet):")
    print("| way | time | / iou_matrix |\n|---|---|---|")
    ways = [("Region.iou_matrix", lambda: tg.Region.iou_matrix(rd, rg)),
            ("a Python loop of Region.iou", lambda: [[d.iou(g) for g in rg] for d in rd]),
            ("records decoded, then iou_matrix",
             lambda: tg.Region.iou_matrix([tg.Region.from_coco(d) for d in dets],
                                          [tg.Region.from_coco(g) for g in gts])),
            ("numpy, a loop over bool masks", np_loop), ("numpy, float32 matrix product", np_matmul)]
    times = [per_call(f, repeats=5) for _, f in ways]
    for (name, _), t in zip(ways, times):
        print(f"| {name} | {fmt(t)} | {t / times[0]:.1f} |")


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
