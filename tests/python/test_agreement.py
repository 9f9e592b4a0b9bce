"""The package against the C++ library, bit for bit, on the inputs of tests/python/oracle.cpp."""
import json
import os
import pathlib
import subprocess

import numpy as np
import pytest

import tavgeometry as tg


def flat(v):
    """Every number of a result (tuples, value classes, arrays) in order, as floats."""
    if isinstance(v, (tg.Line, tg.Circle, tg.Arc)):
        v = [v.p1, v.p2] if isinstance(v, tg.Line) else [v.center, v.radius] + (
            [v.start_angle, v.sweep_angle] if isinstance(v, tg.Arc) else [])
    if isinstance(v, (list, tuple, np.ndarray)):
        return [x for e in v for x in flat(e)]
    return [] if v is None else [float(v)]


@pytest.fixture(scope="module")
def oracle():
    """Inputs and results of the C++ library (tests/python/oracle.cpp) by function name, as floats."""
    build = pathlib.Path(os.environ.get("TAVGEO_BUILD_DIR", pathlib.Path(__file__).resolve().parents[2] / "build"))
    out = subprocess.run([str(build / "tests" / "tavgeo_pyoracle"), "300"], check=True, capture_output=True, text=True)
    jobs = {}
    for rec in map(json.loads, out.stdout.splitlines()):
        jobs.setdefault(rec["f"], []).append([[float.fromhex(v) for v in rec[k]] for k in ("in", "out")])
    return jobs


CASES = {
    "arc_in_3_points": lambda v: tg.arc_in_3_points(*v.tolist()),
    "points_fit_line": tg.fit_line, "points_fit_circle": tg.fit_circle,
    "points_fit_line_ransac": lambda v: tg.fit_line_ransac(v[1:], int(v[0, 0]), 50, return_rejected=True),
    "rle_polygon": lambda v: [(c := tg.RleCalcPolygon().calculate(500, 500, v)).rle, c.perimeter_points()],
}


@pytest.mark.parametrize("name", sorted(CASES))
def test_python_equals_cpp_bit_for_bit(oracle, name):
    assert len(oracle[name]) == 300
    for args, expected in oracle[name]:
        got = flat(CASES[name](np.reshape(args, (-1, 2))))
        assert list(map(float.hex, got)) == list(map(float.hex, expected)), args
