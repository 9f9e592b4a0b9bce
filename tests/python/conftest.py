import json
import os
import pathlib
import subprocess

import pytest

BUILD = pathlib.Path(os.environ.get("TAVGEO_BUILD_DIR", pathlib.Path(__file__).resolve().parents[2] / "build"))


def _h(v):
    """A decoded input or output: hex-float strings become floats, lists recurse."""
    if isinstance(v, str):
        return float.fromhex(v)
    if isinstance(v, list):
        return [_h(x) for x in v]
    return v


@pytest.fixture(scope="session")
def oracle():
    """Inputs and results of the C++ library, grouped by function name."""
    exe = BUILD / "tests" / "tavgeo_pyoracle"
    if not exe.exists():
        pytest.fail(f"{exe} is missing: build the tavgeo_pyoracle target")
    out = subprocess.run([str(exe), "300"], check=True, capture_output=True, text=True).stdout
    jobs = {}
    for line in out.splitlines():
        rec = json.loads(line)
        jobs.setdefault(rec["f"], []).append((_h(rec["in"]), _h(rec["out"])))
    return jobs
