#!/usr/bin/env bash
# Line and branch coverage of the library (src/) by the fast tests: the unit
# test runner and the tool tests, plus the Python tests with COVERAGE_PYTHON=1
# (builds the bindings too, several minutes more). Builds with --coverage in
# its own directory (build-cov, or the first argument), then prints the lcov
# summary; the HTML report goes to <dir>/html.
#
# Branch figures leave out the branches the compiler adds for exception
# unwinding (geninfo_no_exception_branch=1): they are not decisions of the code.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build-cov}
jobs=${JOBS:-2}
py=${COVERAGE_PYTHON:-0}
rc=(--rc lcov_branch_coverage=1 --rc geninfo_no_exception_branch=1)

pyopt=OFF
[ "$py" = 1 ] && pyopt=ON
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="--coverage -O0" \
  -DCMAKE_EXE_LINKER_FLAGS=--coverage -DCMAKE_SHARED_LINKER_FLAGS=--coverage \
  -DTAVGEO_BUILD_TOOLS=ON -DTAVGEO_BUILD_PYTHON=$pyopt >/dev/null
cmake --build "$dir" -j"$jobs"

# Counters from an earlier run would add up.
lcov --zerocounters --directory "$dir" >/dev/null
"$dir"/tests/tavgeo_tests --gtest_brief=1
ctest --test-dir "$dir" -R '^tool_' -j"$jobs" --output-on-failure
if [ "$py" = 1 ]; then
  PYTHONPATH="$dir/python" TAVGEO_BUILD_DIR="$dir" /usr/bin/python3 -m pytest -q -p no:cacheprovider tests/python
fi

lcov "${rc[@]}" --quiet --capture --directory "$dir" --output-file "$dir/all.info"
lcov "${rc[@]}" --quiet --extract "$dir/all.info" "$PWD/src/*" --output-file "$dir/src.info"
genhtml "${rc[@]}" --quiet --output-directory "$dir/html" "$dir/src.info" >/dev/null
echo "coverage of src/ (unit and tool tests$([ "$py" = 1 ] && echo ", Python tests")):"
lcov "${rc[@]}" --summary "$dir/src.info"
