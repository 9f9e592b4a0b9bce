"""The package against the C++ library (bit for bit) and against numpy and
scikit-image where both compute the same thing."""
import math

import numpy as np
import pytest

import tavgeometry as tg


def bits(v):
    """Bit patterns of every float in a nested result (tuples, Lines, arrays)."""
    if isinstance(v, tg.Line):
        return bits([v.p1, v.p2])
    if isinstance(v, tg.Circle):
        return bits([v.center, v.radius])
    if isinstance(v, tg.Arc):
        return bits([v.center, v.radius, v.start_angle, v.sweep_angle])
    if isinstance(v, np.ndarray):
        return bits(v.tolist())
    if isinstance(v, (list, tuple)):
        return [bits(x) for x in v]
    if isinstance(v, float):
        return float.hex(v)
    return v


def opt(v):
    return [] if v is None else v


def one(v):
    return None if v is None else [v]


def circle_and_error(r):
    return None if r is None else [r[0].center, r[0].radius, r[1]]


CASES = {
    "point_point_dist": lambda a, b: [tg.point_point_dist(a, b)],
    "point_line_dist": lambda p, l: [tg.point_line_dist(p, tg.Line(*l))],
    "line_line_intersection": lambda l1, l2: opt(one(tg.line_line_intersection(tg.Line(*l1), tg.Line(*l2)))),
    "circle_in_3_points": lambda a, b, c: opt(tg.circle_in_3_points(a, b, c)),
    "arc_in_3_points": lambda a, b, c: opt(tg.arc_in_3_points(a, b, c)),
    "rotator": lambda c, a, p: [tg.Rotator(c[0], c[1], a).rotate(p)],
    "polygon_area": lambda v: [tg.polygon_area(np.array(v))],
    "polygon_is_point_inside": lambda v, p: [tg.polygon_is_point_inside(np.array(v), p)],
    "points_fit_line": lambda v: [tg.fit_line(np.array(v))],
    "points_fit_circle": lambda v: opt(circle_and_error(tg.fit_circle(v))),
    "points_fit_line_ransac": lambda v, k: list(tg.fit_line_ransac(np.array(v), k, 50, return_rejected=True)),
    "rle_polygon": lambda w, h, v: [tg.RleCalcPolygon().calculate(w, h, v).rle,
                                   tg.RleCalcPolygon().calculate(w, h, v).perimeter_points().ravel()],
    "rle_disk": lambda w, h, v: [tg.RleCalcDisk().calculate(w, h, v).rle],
}


@pytest.mark.parametrize("name", sorted(CASES))
def test_python_equals_cpp_bit_for_bit(oracle, name):
    jobs = oracle[name]
    assert len(jobs) >= 300
    for args, expected in jobs:
        got = CASES[name](*args)
        assert bits(got) == bits(expected), (name, args)


def test_vectorised_forms_equal_scalar_calls():
    rng = np.random.default_rng(7)
    pts = rng.uniform(-100, 100, (500, 2))
    line = tg.Line((3.5, -2.0), (-7.25, 11.0))
    poly = rng.uniform(-100, 100, (12, 2))
    rot = tg.Rotator(1.5, -2.5, 0.7)
    d = tg.point_line_dist(pts, line)
    inside = tg.polygon_is_point_inside(poly, pts)
    turned = rot.rotate(pts)
    assert d.shape == (500,) and inside.dtype == np.bool_ and turned.shape == (500, 2)
    for i, p in enumerate(map(tuple, pts)):
        assert d[i] == tg.point_line_dist(p, line)
        assert inside[i] == tg.polygon_is_point_inside(poly, p)
        assert tuple(turned[i]) == rot.rotate(p)
    # other dtypes and layouts give the same numbers as C-contiguous float64
    assert np.array_equal(tg.point_line_dist(np.asfortranarray(pts), line), d)
    ipts = np.round(pts).astype(np.int32)
    assert np.array_equal(tg.point_line_dist(ipts, line), tg.point_line_dist(ipts.astype(float), line))
    assert np.array_equal(tg.point_line_dist(pts.tolist(), line), d)


def test_polygon_area_and_inside_agree_with_numpy_and_skimage():
    measure = pytest.importorskip("skimage.measure")
    rng = np.random.default_rng(11)
    for _ in range(50):
        n = rng.integers(3, 30)
        ang = np.sort(rng.uniform(0, 2 * np.pi, n))
        rad = rng.uniform(20, 100, n)
        poly = np.c_[rad * np.cos(ang), rad * np.sin(ang)]  # star-shaped, simple
        x, y = poly[:, 0], poly[:, 1]
        shoelace = 0.5 * abs(np.dot(x, np.roll(y, -1)) - np.dot(y, np.roll(x, -1)))
        assert tg.polygon_area(poly) == pytest.approx(shoelace, rel=1e-12)
        q = rng.uniform(-110, 110, (400, 2))
        edge_dist = np.min([tg.point_line_dist(q, tg.Line(tuple(poly[i]), tuple(poly[i - 1])))
                            for i in range(n)], axis=0)
        far = edge_dist > 1e-6  # away from edges both tests mean the same
        ours = tg.polygon_is_point_inside(poly, q)
        assert np.array_equal(ours[far], measure.points_in_poly(q, poly)[far])


def test_fitted_line_direction_agrees_with_numpy_polyfit():
    rng = np.random.default_rng(3)
    for slope in (-0.9, -0.2, 0.0, 0.4, 0.95):
        x = rng.uniform(-50, 50, 200)
        y = slope * x + 7 + rng.normal(0, 0.5, 200)
        line = tg.fit_line(np.c_[x, y])
        (x1, y1), (x2, y2) = line.p1, line.p2
        m, b = np.polyfit(x, y, 1)
        assert (y2 - y1) / (x2 - x1) == pytest.approx(m, abs=1e-9)
        assert y1 - (y2 - y1) / (x2 - x1) * x1 == pytest.approx(b, abs=1e-7)
    # steep sets are fitted x over y: a vertical line stays vertical
    steep = np.c_[np.full(50, 4.0) + rng.normal(0, 0.01, 50), np.linspace(0, 100, 50)]
    line = tg.fit_line(steep)
    assert math.isclose(line.p1[0], line.p2[0], abs_tol=0.2)
