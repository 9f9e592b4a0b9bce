import json
import os
import pathlib
import subprocess

import pytest


@pytest.fixture(scope="session")
def oracle():
    """Inputs and results of the C++ library (tests/python/oracle.cpp) by function name, as floats."""
    build = pathlib.Path(os.environ.get("TAVGEO_BUILD_DIR", pathlib.Path(__file__).resolve().parents[2] / "build"))
    out = subprocess.run([str(build / "tests" / "tavgeo_pyoracle"), "300"], check=True, capture_output=True, text=True)
    jobs = {}
    for rec in map(json.loads, out.stdout.splitlines()):
        jobs.setdefault(rec["f"], []).append([[float.fromhex(v) for v in rec[k]] for k in ("in", "out")])
    return jobs
