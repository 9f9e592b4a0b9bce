#!/usr/bin/env bash
# The README's way to a working `import tavgeometry`: a venv with the system's
# site-packages and `pip install --no-build-isolation .`, then the package used
# from another directory with no build tree on the path.
#   tests/python/pip_install.sh SOURCE_DIR WORK_DIR
set -euo pipefail
src=$1
work=$2
rm -rf "$work"
mkdir -p "$work"
/usr/bin/python3 -m venv --system-site-packages "$work/venv"
TAVGEO_BUILD_JOBS=${TAVGEO_BUILD_JOBS:-2} "$work/venv/bin/pip" install -q --no-build-isolation --no-index "$src"
cd "$work"
env -u PYTHONPATH -u LD_LIBRARY_PATH "$work/venv/bin/python" - <<'PY'
import pathlib, sys
import tavgeometry as tg
where = pathlib.Path(tg.__file__).resolve()
assert "venv" in where.parts, where
assert tg.fit_circle([[0, 10], [10, 0], [0, -10], [-10, 0]])[0] == tg.Circle((0, 0), 10)
assert tg.fit_circle([[0, 0], [1, 1], [2, 2]]) is None  # goes through libTavLog
print("installed at", where.parent)
PY
