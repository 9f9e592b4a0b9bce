"""The Python contract: errors that name the argument, None for geometric
failures, value classes, logging, threads, and robustness on hostile input."""
import concurrent.futures
import logging
import math
import pickle

import numpy as np
import pytest
from hypothesis import given, settings
from hypothesis import strategies as st
from hypothesis.extra import numpy as hnp

import tavgeometry as tg

SQUARE = np.array([[0, 0], [4, 0], [4, 4], [0, 4]], dtype=float)
ARC = tg.Arc((0, 0), 10, 0, 1)

BAD = [
    # (call, exception, words the message must hold)
    (lambda: tg.fit_line(np.zeros((3, 3))), ValueError, ["points", "(N, 2)", "(3, 3)"]),
    (lambda: tg.fit_line(np.zeros(4)), ValueError, ["points", "(4,)"]),
    (lambda: tg.fit_line(np.zeros((2, 2, 2))), ValueError, ["points", "(2, 2, 2)"]),
    (lambda: tg.fit_circle(np.array([[1, 2]], dtype=object)), TypeError, ["points", "object"]),
    (lambda: tg.fit_circle(np.zeros((3, 2), dtype=complex)), TypeError, ["points", "complex"]),
    (lambda: tg.fit_circle(np.zeros((3, 2), dtype=bool)), TypeError, ["points", "bool"]),
    (lambda: tg.fit_circle("points"), TypeError, ["points"]),
    (lambda: tg.fit_circle([[1, 2], [3]]), ValueError, ["points"]),
    (lambda: tg.polygon_area([[0, 0], [1, "a"]]), TypeError, ["vertices"]),
    (lambda: tg.point_point_dist("ab", (1, 2)), TypeError, ["a", "point"]),
    (lambda: tg.point_point_dist((1, 2), (1, 2, 3)), ValueError, ["b", "length 3"]),
    (lambda: tg.point_point_dist((1, 2), None), TypeError, ["b"]),
    (lambda: tg.point_line_dist((1, 2), ((0, 0), (1, 1))), TypeError, ["line", "tavgeometry.Line"]),
    (lambda: tg.circle_line_intersection(tg.Line((0, 0), (1, 1)), tg.Line((0, 0), (1, 1))), TypeError,
     ["circle", "Circle"]),
    (lambda: tg.arc_to_polyline(ARC, -1), ValueError, ["count", ">= 0"]),
    (lambda: tg.arc_to_polyline(ARC, 2.5), TypeError, ["count", "int"]),
    (lambda: tg.arc_to_polyline(ARC, 1 << 40), ValueError, ["count", "at most"]),
    (lambda: tg.fit_line_ransac(SQUARE, -1), ValueError, ["k", ">= 0"]),
    (lambda: tg.fit_line_ransac(SQUARE, 1, -5), ValueError, ["candidates"]),
    (lambda: tg.fit_circle_outliers(SQUARE, -2), ValueError, ["k"]),
    (lambda: tg.fit_circle_ransac(SQUARE, -1), ValueError, ["k", ">= 0"]),
    (lambda: tg.fit_circle_ransac(SQUARE, 1, -5), ValueError, ["candidates"]),
    (lambda: tg.fit_circle_geometric(np.zeros((3, 3))), ValueError, ["points", "(3, 3)"]),
    (lambda: tg.fit_line_orthogonal("points"), TypeError, ["points"]),
    (lambda: tg.calculate_perimiter_points([1.5, 2.0]), TypeError, ["rle"]),
    (lambda: tg.calculate_perimiter_points([[1, 2]]), ValueError, ["rle", "1-D"]),
    (lambda: tg.calculate_perimiter_points([1 << 40]), ValueError, ["rle", "int32"]),
    (lambda: tg.calculate_perimiter_points([9, 9, 0, 0, 0, 0, 0, 0, 2**31 - 1, -1, -1]), ValueError, ["limit"]),
    (lambda: tg.RleCalcPolygon().calculate(10, 10, [[0, 0, 0]]), ValueError, ["points"]),
    (lambda: tg.Rotator().rotate(np.zeros((3, 4))), ValueError, ["p", "(3, 4)"]),
    (lambda: tg.Line((0, 0), "xy"), TypeError, ["p2"]),
]


@pytest.mark.parametrize("call,exc,words", BAD, ids=[str(i) for i in range(len(BAD))])
def test_bad_input_raises_naming_the_argument(call, exc, words):
    with pytest.raises(exc) as info:
        call()
    for w in words:
        assert w in str(info.value)


def test_geometric_failures_return_none():
    h1, h2 = tg.Line((0, 0), (10, 0)), tg.Line((0, 5), (10, 5))
    assert tg.line_line_intersection(h1, h2) is None
    assert tg.line_x_intercept(h1, 3.0) is None
    assert tg.line_y_intercept(tg.Line((2, 0), (2, 9)), 1.0) is None
    assert tg.line_line_dist(h1, h1, tg.Line((0, 0), (0, 1))) is None
    assert tg.circle_in_3_points((0, 0), (1, 1), (2, 2)) is None
    assert tg.arc_in_3_points((0, 0), (1, 1), (2, 2)) is None
    assert tg.circle_in_triangle((0, 0), (1, 1), (2, 2)) is None
    assert tg.fit_circle([[0, 0], [1, 1], [2, 2]]) is None
    assert tg.fit_circle_outliers(SQUARE, 2) is None  # 2 points left: refused
    assert tg.fit_line_ransac(SQUARE, 4) is None  # k >= N
    assert tg.line_rect_intersection(tg.Line((-50, -50), (-50, -40)), tg.Rect(0, 0, 10, 10)) is None
    assert tg.points_to_angle_bisect((1, 1), (1, 1), (5, 5)) is None
    assert tg.circle_circle_intersection(tg.Circle((0, 0), 1), tg.Circle((10, 0), 1)) == ()
    # and success returns the documented shapes, in the documented order
    assert tg.line_line_intersection(h1, tg.Line((3, -1), (3, 1))) == (3.0, 0.0)
    two = tg.circle_line_intersection(tg.Circle((0, 0), 5), tg.Line((-10, 3), (10, 3)))
    assert two == ((4.0, 3.0), (-4.0, 3.0))  # larger x first
    c, err = tg.fit_circle([[0, 10], [10, 0], [0, -10], [-10, 0]])
    assert (c.center, c.radius, err) == ((0.0, 0.0), 10.0, 0.0)
    line, err, rejected = tg.fit_line_ransac([[0, 0], [1, 1], [2, 2], [3, 3], [1, 50]], 1, 100, return_rejected=True)
    assert rejected.tolist() == [[1.0, 50.0]] and err == pytest.approx(0.0, abs=1e-12)
    line, err, removed = tg.fit_line_outliers(SQUARE, 9, return_removed=True)
    assert removed.shape == (4, 2)  # k above N counts as N
    assert math.isnan(tg.fit_line_outliers(SQUARE, 0)[1])


@pytest.mark.parametrize("value,text", [
    (tg.Line((0, 0.5), (10, -1)), "Line((0.0, 0.5), (10.0, -1.0))"),
    (tg.Circle((1, 2), 3), "Circle((1.0, 2.0), 3.0)"),
    (tg.Arc((1, 2), 3, 0.25, -1), "Arc((1.0, 2.0), 3.0, 0.25, -1.0)"),
    (tg.Rect(1, 2, 3, 4), "Rect(1.0, 2.0, 3.0, 4.0, 0.0)"),
    (tg.Rotator(1, 2, 0.5), "Rotator(1.0, 2.0, 0.5)"),
    (tg.RotatorF(1, 2, 0.5), "RotatorF(1.0, 2.0, 0.5)"),
])
def test_value_classes_repr_equality_pickle(value, text):
    assert repr(value) == text
    assert eval(text, vars(tg)) == value
    back = pickle.loads(pickle.dumps(value))
    assert back == value and back is not value
    if not isinstance(value, (tg.Rotator, tg.RotatorF)):
        assert hash(back) == hash(value) and len({value, back}) == 1
    assert value != 42


def test_calculators_give_lists_and_pickle_as_computed():
    poly = tg.RleCalcPolygon().calculate(20, 20, [[2, 2], [12, 2], [12, 8], [2, 8]])
    rle = poly.rle
    assert rle.dtype == np.int32 and rle[:2].tolist() == [20, 20] and rle[-2:].tolist() == [-1, -1]
    assert poly.bounding_box == tg.Rect(2, 2, 11, 7)
    back = pickle.loads(pickle.dumps(poly))
    assert np.array_equal(back.rle, rle) and repr(back) == "RleCalcPolygon(width=20, height=20, points=4)"
    assert np.array_equal(tg.calculate_perimiter_points(rle), poly.perimeter_points())
    assert tg.RleCalcDisk().rle.size == 0  # before the first computation
    assert tg.RleCalcDisk().calculate(9, 9, [[4, 4]]).rle[2:6].tolist() == [0, 0, 0, 0]  # one point: empty


def test_refusal_records_go_to_logging_not_stderr(caplog, capfd):
    with caplog.at_level(logging.ERROR, logger="tavgeometry"):
        assert tg.fit_circle([[0, 0], [1, 1], [2, 2]]) is None
    recs = [r for r in caplog.records if r.name == "tavgeometry"]
    assert len(recs) == 1 and "pointsFitCircle" in recs[0].getMessage() and recs[0].category == 256
    caplog.clear()
    logging.getLogger().handlers, saved = [], logging.getLogger().handlers
    try:
        tg.fit_circle([[0, 0], [1, 1], [2, 2]])
    finally:
        logging.getLogger().handlers = saved
    assert capfd.readouterr().err == ""


def test_threads_give_serial_results():
    rng = np.random.default_rng(5)
    sets = [rng.uniform(0, 500, (2000, 2)) for _ in range(32)]

    def job(p):
        c = tg.fit_circle(p)
        l, e = tg.fit_line_ransac(p, 500, 200)
        r = tg.RleCalcPolygon().calculate(512, 512, p[:40])
        return (c[0], c[1], l, e, r.rle.tobytes(), r.perimeter_points().tobytes(),
                tg.polygon_is_point_inside(p[:40], p).tobytes())

    serial = [job(p) for p in sets]
    with concurrent.futures.ThreadPoolExecutor(8) as pool:
        for _ in range(3):
            assert list(pool.map(job, sets)) == serial


HOSTILE = st.one_of(st.floats(allow_nan=True, allow_infinity=True),
                    st.sampled_from([0.0, -0.0, 1e308, -1e308, 5e-324, 2.0**31, -2.0**31 - 1, 1e6 + 0.5]))
SETS = hnp.arrays(np.float64, st.tuples(st.integers(0, 12), st.just(2)), elements=HOSTILE)


@pytest.mark.filterwarnings("ignore::RuntimeWarning")
@settings(max_examples=300, deadline=None)
@given(p=SETS, q=SETS, k=st.integers(0, 14), w=st.integers(-5, 300), h=st.integers(-5, 300))
def test_hostile_input_returns_or_raises(p, q, k, w, h):
    """Whatever goes in, every call returns (or raises a Python exception)."""
    a = tuple(p[0]) if len(p) else (0.0, 0.0)
    b = tuple(q[0]) if len(q) else (1.0, 1.0)
    line = tg.Line(a, b)
    tg.fit_line(p), tg.fit_circle(p), tg.fit_circle_outliers(p, k), tg.fit_line_outliers(p, k)
    tg.fit_line_ransac(p, k, k), tg.points_line_dist(p, line), tg.points_to_bbox(p)
    tg.polygon_area(p), tg.polygon_is_point_inside(p, q), tg.point_line_dist(q, line)
    tg.poly_line_to_poly_rake(p, abs(b[0]) % 50, abs(b[1]) % 50 + 0.5)
    arc = tg.arc_in_3_points(a, b, (a[0] + 1, b[1] - 2)) or tg.Arc(a, b[0], b[1], a[1])
    tg.arc_to_point_set(arc), tg.arc_to_spoke(arc, a[0], b[0]), tg.arc_test_point(arc, a, b[1])
    tg.arc_to_polyline(arc, k), tg.circle_line_intersection(tg.Circle(a, b[0]), line)
    tg.circle_circle_intersection(tg.Circle(a, b[0]), tg.Circle(b, a[1]))
    tg.line_rect_intersection(line, tg.Rect(a[0], a[1], b[0], b[1], k))
    tg.Rotator(a[0], a[1], b[0]).rotate(p), tg.RotatorF(a[0], a[1], b[1]).rotate(q)
    lists = [c.calculate(w, h, p).rle for c in (tg.RleCalcDisk(), tg.RleCalcTorus(), tg.RleCalcPolygon())]
    lists.append(np.clip(np.nan_to_num(p.ravel()), -2**31, 2**31 - 1).astype(np.int32))
    words = lists[-1]
    for parse in (lambda: tg.Region.from_rle(words),
                  lambda: tg.Region.from_coco({"size": [w, h], "counts": np.abs(words).tolist()}),
                  lambda: tg.Region.from_coco({"size": [w % 40, h % 40], "counts": bytes(words.astype(np.uint8))})):
        try:
            parse()
        except ValueError:
            pass
    for rle in lists:
        try:
            tg.calculate_perimiter_points(rle)
        except ValueError as e:  # an outline that could exceed the size limit is refused
            assert "limit" in str(e)


def test_measuring_fits_against_cv2_and_an_exact_circle():
    cv2 = pytest.importorskip("cv2")
    rng = np.random.default_rng(4)
    for _ in range(50):
        p = (rng.normal(size=(60, 2)) @ rng.normal(size=(2, 2)) * 100).astype(np.float32).astype(float)
        line, rms = tg.fit_line_orthogonal(p)
        vx, vy, x0, y0 = cv2.fitLine(p.astype(np.float32), cv2.DIST_L2, 0, 0, 0).ravel()
        d = np.array([line.p2[0] - line.p1[0], line.p2[1] - line.p1[1]])
        assert abs(abs(d @ [vx, vy]) - 1) < 1e-6  # cv2 hands back float32 results
        assert np.allclose(line.p1, [x0, y0], rtol=1e-6, atol=1e-4)
        assert rms == pytest.approx(np.sqrt(np.mean(((p - line.p1) @ [-d[1], d[0]]) ** 2)))
    t = np.linspace(0, np.pi / 6, 40)
    arc = np.c_[50 + 80 * np.cos(t), -3 + 80 * np.sin(t)]
    for fit in (tg.fit_circle_hyper, tg.fit_circle_geometric, lambda a: tg.fit_circle_ransac(a, 4)):
        c = fit(arc)[0]
        assert (*c.center, c.radius) == pytest.approx((50, -3, 80), rel=1e-9)
    c, stats = tg.fit_circle_geometric(arc + rng.normal(0, 0.3, arc.shape), standard_errors=True)
    assert stats["converged"] and 0 < stats["mean_abs"] <= stats["rms"] and stats["se_radius"] > 0
    c, err, rejected = tg.fit_circle_ransac(np.r_[arc, [[0, 0], [500, 500]]], 2, return_rejected=True)
    assert sorted(map(tuple, rejected)) == [(0, 0), (500, 500)]
    for bad in ([[0, 0], [1, 1], [2, 2]], [[0, 0], [1, np.nan], [2, 5]]):
        assert tg.fit_circle_hyper(bad) is None and tg.fit_circle_geometric(bad) is None
    assert tg.fit_line_orthogonal([[1, 1], [1, 1]]) is None
    assert tg.fit_circle_ransac(arc[:5], 3) is None
