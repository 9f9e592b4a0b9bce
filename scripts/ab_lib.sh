#!/usr/bin/env bash
# Times two builds of the library with one bench binary, alternating them round
# by round so that both meet the same stretch of machine time.
#   scripts/ab_lib.sh OLD_LIB_DIR NEW_LIB_DIR BENCH FILTER [ROUNDS]
# OLD_LIB_DIR and NEW_LIB_DIR hold libTavGeometry.so.1 (a build directory);
# BENCH is a Google Benchmark binary linked against the library with a RUNPATH,
# which LD_LIBRARY_PATH overrides. Prints, per case, the median over the rounds
# of each round's median (3 repetitions a round) and new/old; with AB_MIN=1 the
# minimum over every repetition of every round instead (on a shared machine the
# minimum moves least with the load).
set -euo pipefail
old=$1 new=$2 bench=$3 filter=$4 rounds=${5:-4}
for _ in $(seq "$rounds"); do
  for v in old new; do
    lib=$old; [ "$v" = new ] && lib=$new
    LD_LIBRARY_PATH=$lib "$bench" --benchmark_filter="$filter" --benchmark_repetitions=3 \
      2>/dev/null | awk -v v="$v" '$1 ~ /\// && NF >= 5 {print v, $1, $4}'
  done
done | AB_MIN=${AB_MIN:-0} /usr/bin/python3 -c '
import collections, os, re, statistics, sys
least = os.environ["AB_MIN"] == "1"
t = collections.defaultdict(list)
for line in sys.stdin:
    v, case, us = line.split()
    aggregate = re.search("_(mean|median|stddev|cv)$", case)
    if least and not aggregate:
        t[case, v].append(float(us))
    elif not least and case.endswith("_median"):
        t[case, v].append(float(us))
pick = min if least else statistics.median
for case in sorted({c for c, _ in t}):
    o, n = pick(t[case, "old"]), pick(t[case, "new"])
    print("%-45s old %9.1f new %9.1f  new/old %.2f" % (case, o, n, n / o))
'
