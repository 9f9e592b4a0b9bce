#!/usr/bin/env python3
"""Accuracy and speed of the circle and line fits, against scikit-image and cv2.

Bias table: for each arc, TRIALS seeded trials of N points evenly on the arc of
radius R about (0, 0) with Gaussian noise SIGMA on both coordinates; the radius
error (mean, standard deviation, standard error) and the mean centre distance of
each fit. Speed: seconds per call of the circle fits measured in C++
(tg._time_cpp); the orthogonal line fit against cv2.fitLine DIST_L2 and the
consensus circle fit against skimage.measure.ransac with CircleModel at the
same trial count, both sides called from Python, OpenCV on one thread.

    PYTHONPATH=build/python /usr/bin/python3 bench/bench_fit_bias.py [--trials 1000]
"""
import argparse
import timeit
import warnings

import numpy as np

import tavgeometry as tg

R, SIGMA, N = 100.0, 0.5, 100


def skimage_fit(p):
    from skimage.measure import CircleModel
    m = CircleModel()
    if not m.estimate(p):
        return None
    xc, yc, r = m.params
    return xc, yc, r


def ours(fit):
    def run(p):
        res = fit(p)
        if res is None:
            return None
        c = res[0]
        return c.center[0], c.center[1], c.radius
    return run


def bias_table(trials):
    fits = [("Kasa", ours(tg.fit_circle)), ("Hyper", ours(tg.fit_circle_hyper)),
            ("geometric", ours(tg.fit_circle_geometric)), ("skimage CircleModel", skimage_fit)]
    print(f"| arc | fit | mean radius error (px) | sd (px) | se (px) | mean centre error (px) | refused |")
    print("|---|---|---|---|---|---|---|")
    for degrees in (30, 45, 90, 180, 360):
        rng = np.random.default_rng(degrees)
        span = np.radians(degrees)
        t = np.linspace(0, span, N, endpoint=degrees != 360)
        sets = [np.c_[R * np.cos(t), R * np.sin(t)] + rng.normal(0, SIGMA, (N, 2)) for _ in range(trials)]
        for name, fit in fits:
            dr, dc, refused = [], [], 0
            with warnings.catch_warnings():
                warnings.simplefilter("ignore")
                for p in sets:
                    res = fit(p)
                    if res is None:
                        refused += 1
                        continue
                    dr.append(res[2] - R)
                    dc.append(np.hypot(res[0], res[1]))
            dr = np.array(dr)
            print(f"| {degrees} | {name} | {dr.mean():+.3f} | {dr.std(ddof=1):.3f} | "
                  f"{dr.std(ddof=1) / np.sqrt(len(dr)):.3f} | {np.mean(dc):.3f} | {refused} |")


def cpp_time(what, p):
    repeats = max(1, int(2e7 / len(p)))
    return min(tg._tavgeometry._time_cpp(what, p, repeats=repeats) for _ in range(5))


def speed():
    try:
        import cv2
    except ImportError:
        raise SystemExit("the speed table needs OpenCV's module: bash scripts/deps.sh --bench")
    cv2.setNumThreads(1)
    rng = np.random.default_rng(1)
    print("\n| points | job | seconds per call | ratio |")
    print("|---|---|---|---|")
    for n in (1000, 1000000):
        t = rng.uniform(0, np.pi / 2, n)
        p = np.c_[300 + R * np.cos(t), 200 + R * np.sin(t)] + rng.normal(0, SIGMA, (n, 2))
        kasa = cpp_time("fit_circle", p)
        for what in ("fit_circle_hyper", "fit_circle_geometric"):
            s = cpp_time(what, p)
            print(f"| {n} | {what} / Kasa | {s:.3g} / {kasa:.3g} | {s / kasa:.2f} |")
        line = np.c_[np.arange(n, dtype=float), 0.3 * np.arange(n) + rng.normal(0, 1, n)]
        # both sides timed from Python: the line alone, as cv2 gives it, and ours with the RMS distance too
        p32, reps = line.astype(np.float32), max(1, int(2e7 / n))
        cv = min(timeit.repeat(lambda: cv2.fitLine(p32, cv2.DIST_L2, 0, 0, 0), number=reps, repeat=5)) / reps
        for label, call in (("fit_line_orthogonal", lambda: tg.fit_line_orthogonal(line, return_rms=False)),
                            ("fit_line_orthogonal with RMS", lambda: tg.fit_line_orthogonal(line))):
            ortho = min(timeit.repeat(call, number=reps, repeat=5)) / reps
            print(f"| {n} | {label} / cv2.fitLine DIST_L2 | {ortho:.3g} / {cv:.3g} | {ortho / cv:.2f} |")


def ransac_speed():
    from skimage.measure import CircleModel, ransac
    rng = np.random.default_rng(2)
    for n in (100, 1000):
        t = rng.uniform(0, 2 * np.pi, n)
        p = np.c_[200 + 90 * np.cos(t), 180 + 90 * np.sin(t)] + rng.normal(0, 0.3, (n, 2))
        k = int(0.4 * n)
        p[:k] = rng.uniform(0, 400, (k, 2))
        trials = 200
        ours_s = min(timeit.repeat(lambda: tg.fit_circle_ransac(p, k, trials), number=5, repeat=3)) / 5
        def theirs():
            return ransac(p, CircleModel, min_samples=3, residual_threshold=1.0,
                          max_trials=trials, stop_probability=1.0, random_state=0)

        with warnings.catch_warnings():  # timed as ours is: warm, the best of 3 rounds of 5 calls
            warnings.simplefilter("ignore")
            model, inliers = theirs()
            sk = min(timeit.repeat(theirs, number=5, repeat=3)) / 5
        c = tg.fit_circle_ransac(p, k, trials)[0]
        print(f"| {n} | fit_circle_ransac vs skimage ransac(CircleModel), {trials} trials | "
              f"{ours_s:.3g} / {sk:.3g} | {sk / ours_s:.1f}x faster | ours r={c.radius:.3f}, "
              f"skimage r={model.params[2]:.3f} |")


if __name__ == "__main__":
    ap = argparse.ArgumentParser()
    ap.add_argument("--trials", type=int, default=1000)
    ap.add_argument("--speed-only", action="store_true")
    a = ap.parse_args()
    if not a.speed_only:
        bias_table(a.trials)
    speed()
    ransac_speed()
