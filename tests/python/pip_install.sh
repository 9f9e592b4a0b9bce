#!/usr/bin/env bash
# The README's way to `import tavgeometry`: pip install into a venv with the system's site-packages, then use the
# package from another directory with no build tree on the path; then an editable install.
#   tests/python/pip_install.sh SOURCE_DIR WORK_DIR
set -euo pipefail
rm -rf "$2" && mkdir -p "$2" && /usr/bin/python3 -m venv --system-site-packages "$2/venv"
TAVGEO_BUILD_JOBS=${TAVGEO_BUILD_JOBS:-2} "$2/venv/bin/pip" install -q --no-build-isolation --no-index "$1"
cd "$2" && env -u PYTHONPATH -u LD_LIBRARY_PATH "$2/venv/bin/python" - <<'PY'
import pathlib, tavgeometry as tg
assert "venv" in pathlib.Path(tg.__file__).resolve().parts, tg.__file__
assert tg.fit_circle([[0, 10], [10, 0], [0, -10], [-10, 0]])[0] == tg.Circle((0, 0), 10)
assert tg.fit_circle([[0, 0], [1, 1], [2, 2]]) is None  # goes through libTavLog
PY
# An editable install (it reuses the build above) imports the module from the source tree, which needs the
# libraries beside it there too; they are build outputs, removed again afterwards.
/usr/bin/python3 -m venv --system-site-packages "$2/venv-e"
"$2/venv-e/bin/pip" install -q --no-build-isolation --no-index -e "$1"
cd "$2" && env -u PYTHONPATH -u LD_LIBRARY_PATH "$2/venv-e/bin/python" -c '
import pathlib, sys, tavgeometry as tg
assert pathlib.Path(tg.__file__).resolve().parent == pathlib.Path(sys.argv[1]).resolve() / "python/tavgeometry"
assert tg.fit_circle([[0, 0], [1, 1], [2, 2]]) is None' "$1"
rm -f "$1"/python/tavgeometry/_tavgeometry*.so "$1"/python/tavgeometry/lib*.so.*
