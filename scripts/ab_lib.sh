#!/usr/bin/env bash
# Times two builds of the library with one bench binary, alternating them round
# by round so that both meet the same stretch of machine time.
#   scripts/ab_lib.sh OLD_LIB_DIR NEW_LIB_DIR BENCH FILTER [ROUNDS]
# OLD_LIB_DIR and NEW_LIB_DIR hold libTavGeometry.so.1 (a build directory);
# BENCH is a Google Benchmark binary linked against the library with a RUNPATH,
# which LD_LIBRARY_PATH overrides. Prints, per case, the median over the rounds
# of each round's median (3 repetitions a round) and new/old.
set -euo pipefail
old=$1 new=$2 bench=$3 filter=$4 rounds=${5:-4}
for _ in $(seq "$rounds"); do
  for v in old new; do
    lib=$old; [ "$v" = new ] && lib=$new
    LD_LIBRARY_PATH=$lib "$bench" --benchmark_filter="$filter" --benchmark_repetitions=3 \
      --benchmark_report_aggregates_only=true 2>/dev/null | awk -v v="$v" '/_median/ {print v, $1, $4}'
  done
done | /usr/bin/python3 -c '
import collections, statistics, sys
t = collections.defaultdict(list)
for line in sys.stdin:
    v, case, us = line.split()
    t[case, v].append(float(us))
for case in sorted({c for c, _ in t}):
    o, n = statistics.median(t[case, "old"]), statistics.median(t[case, "new"])
    print("%-45s old %9.1f new %9.1f  new/old %.2f" % (case, o, n, n / o))
'
