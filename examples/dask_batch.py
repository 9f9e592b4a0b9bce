"""A batch of mixed measurement jobs run serially and on a Dask cluster.

    PYTHONPATH=build/python /usr/bin/python3 examples/dask_batch.py [jobs] [workers]

Each job is described by (kind, seed) and builds its own input from the seed, so
only small tuples cross process boundaries; the results are plain tuples. The
script checks that the cluster's results equal the serial ones and prints both
throughputs.
"""
import sys
import time

import numpy as np

import tavgeometry as tg

KINDS = ("region", "circle", "ransac")
CHUNK = 250  # jobs per task: a task costs the scheduler far more than one job


def make_jobs(n):
    return [(KINDS[i % 3], i) for i in range(n)]


def run_job(job):
    kind, seed = job
    rng = np.random.default_rng(seed)
    if kind == "region":
        n = int(rng.integers(8, 21))
        ang = np.sort(rng.uniform(0, 2 * np.pi, n))
        rad = rng.uniform(50, 400, n)
        poly = np.c_[512 + rad * np.cos(ang), 512 + rad * np.sin(ang)]
        calc = tg.RleCalcPolygon().calculate(1024, 1024, poly)
        # the region's area: the list's runs of a row may touch, so its extents do not add up to it
        return (kind, seed, tg.polygon_area(poly), calc.region().area, len(calc.perimeter_points()))
    if kind == "circle":
        t = rng.uniform(0, 2 * np.pi, 200)
        pts = np.c_[300 + 80 * np.cos(t), 200 + 80 * np.sin(t)] + rng.normal(0, 0.5, (200, 2))
        circle, err = tg.fit_circle(pts)
        return (kind, seed, circle, err)
    if kind != "ransac":
        raise ValueError(f"job kind must be one of {KINDS}, got {kind!r}")
    x = rng.uniform(0, 500, 200)
    pts = np.c_[x, 0.3 * x + 20 + rng.normal(0, 0.3, 200)]
    pts[:40] = rng.uniform(0, 500, (40, 2))  # 20 % outliers
    line, err = tg.fit_line_ransac(pts, 40, 100)
    return (kind, seed, line, err)


def run_chunk(jobs):
    return [run_job(j) for j in jobs]


def run_serial(jobs):
    return run_chunk(jobs)


def run_on_cluster(client, jobs):
    chunks = [jobs[i:i + CHUNK] for i in range(0, len(jobs), CHUNK)]
    futures = client.map(run_chunk, chunks, pure=False)
    return [r for part in client.gather(futures) for r in part]


def main():
    from distributed import Client, LocalCluster

    n = int(sys.argv[1]) if len(sys.argv) > 1 else 10000
    workers = int(sys.argv[2]) if len(sys.argv) > 2 else 2
    jobs = make_jobs(n)
    t0 = time.perf_counter()
    serial = run_serial(jobs)
    t1 = time.perf_counter()
    with LocalCluster(n_workers=workers, threads_per_worker=1, processes=True, dashboard_address=None) as cluster, \
            Client(cluster) as client:
        run_on_cluster(client, jobs[:CHUNK * workers])  # warm the workers (imports, first calls)
        t2 = time.perf_counter()
        parallel = run_on_cluster(client, jobs)
        t3 = time.perf_counter()
    assert parallel == serial, "cluster results differ from the serial run"
    print(f"{n} jobs: serial {n / (t1 - t0):.0f} jobs/s, {workers} workers {n / (t3 - t2):.0f} jobs/s, "
          f"speed-up {(t1 - t0) / (t3 - t2):.2f}; results identical")


if __name__ == "__main__":
    main()
