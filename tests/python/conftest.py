import json
import os
import pathlib
import subprocess

import pytest

BUILD = pathlib.Path(os.environ.get("TAVGEO_BUILD_DIR", pathlib.Path(__file__).resolve().parents[2] / "build"))


@pytest.fixture(scope="session")
def oracle():
    """Inputs and results of the C++ library (tests/python/oracle.cpp), grouped by function name."""
    exe = BUILD / "tests" / "tavgeo_pyoracle"
    out = subprocess.run([str(exe), "300"], check=True, capture_output=True, text=True).stdout
    jobs = {}
    for rec in map(json.loads, out.splitlines()):
        jobs.setdefault(rec["f"], []).append(([float.fromhex(v) for v in rec["in"]], [float.fromhex(v) for v in rec["out"]]))
    return jobs
