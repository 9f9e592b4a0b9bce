#!/usr/bin/env bash
# Configures and builds the benchmarks (Release, separate build directory),
# runs every bench_* executable with JSON output and prints the ratio table.
#   scripts/bench.sh [build-dir] [extra Google Benchmark flags...]
# Defaults: build-bench, 5 repetitions reported as aggregates (medians are
# used by the table). Results: <build-dir>/results/*.json, the table in
# <build-dir>/results/table.md, the machine and load in machine.txt, and the
# polygon region plot in polygon-region-scaling.svg.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-bench}
shift || true
flags=("$@")
if [ ${#flags[@]} -eq 0 ]; then
  flags=(--benchmark_repetitions=5 --benchmark_report_aggregates_only=true)
fi
jobs=$(( $(nproc) < 2 ? $(nproc) : 2 ))
bash scripts/deps.sh --bench

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DTAVGEO_BUILD_BENCH=ON \
  -DTAVGEO_BUILD_TESTS=OFF -DTAVGEO_BUILD_TOOLS=OFF >/dev/null
cmake --build "$build" -j"$jobs"

out="$build/results"
mkdir -p "$out"
rm -f "$out"/*.json
{
  echo "date: $(date -u '+%Y-%m-%d %H:%M UTC')"
  echo "nproc: $(nproc)"
  echo "cpu: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')"
  echo "load before: $(uptime)"
} > "$out/machine.txt"
for exe in "$build"/bench/bench_*; do
  [ -x "$exe" ] && [ -f "$exe" ] || continue
  name=$(basename "$exe")
  echo "== $name" >&2
  "$exe" --benchmark_format=console --benchmark_out="$out/$name.json" \
    --benchmark_out_format=json "${flags[@]}" >&2
done
echo "load after: $(uptime)" >> "$out/machine.txt"
python3 scripts/bench_table.py "$out"/*.json | tee "$out/table.md"
if [ -f "$out/bench_cv_polygon_scaling.json" ]; then
  python3 scripts/plot_polygon_scaling.py "$out/bench_cv_polygon_scaling.json" -o "$out/polygon-region-scaling.svg"
  echo "plot: $out/polygon-region-scaling.svg" >&2
fi
cat "$out/machine.txt"
