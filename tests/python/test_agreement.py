"""The package against the C++ library, bit for bit, on the inputs of tests/python/oracle.cpp."""
import numpy as np
import pytest

import tavgeometry as tg


def flat(v):
    """Every number of a result (tuples, value classes, arrays) in order, as floats."""
    if v is None:
        return []
    if isinstance(v, (tg.Line, tg.Circle, tg.Arc)):
        return flat([v.p1, v.p2] if isinstance(v, tg.Line) else [v.center, v.radius] if isinstance(v, tg.Circle) else
                    [v.center, v.radius, v.start_angle, v.sweep_angle])
    if isinstance(v, (list, tuple, np.ndarray)):
        return [x for e in v for x in flat(e)]
    return [float(v)]


def pts(v):
    return np.array(v).reshape(-1, 2)


CASES = {
    "arc_in_3_points": lambda v: tg.arc_in_3_points(*pts(v).tolist()),
    "rotator": lambda v: tg.Rotator(*v[:3]).rotate(tuple(v[3:])),
    "polygon_is_point_inside": lambda v: tg.polygon_is_point_inside(pts(v[2:]), tuple(v[:2])),
    "points_fit_line": lambda v: tg.fit_line(pts(v)),
    "points_fit_circle": lambda v: tg.fit_circle(pts(v)),
    "points_fit_line_ransac": lambda v: tg.fit_line_ransac(pts(v[1:]), int(v[0]), 50, return_rejected=True),
    "rle_polygon": lambda v: [(c := tg.RleCalcPolygon().calculate(500, 500, pts(v))).rle, c.perimeter_points()],
}


@pytest.mark.parametrize("name", sorted(CASES))
def test_python_equals_cpp_bit_for_bit(oracle, name):
    assert len(oracle[name]) == 300
    for args, expected in oracle[name]:
        assert list(map(float.hex, flat(CASES[name](args)))) == list(map(float.hex, expected)), (name, args)
