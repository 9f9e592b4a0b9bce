"""A batch of 10,000 mixed jobs on a Dask LocalCluster with two worker processes gives exactly the serial results."""
import pathlib
import pickle
import sys
import types

import pytest

distributed = pytest.importorskip("distributed")
cloudpickle = pytest.importorskip("cloudpickle")


def test_cluster_batch_equals_serial():
    example = pathlib.Path(__file__).resolve().parents[2] / "examples" / "dask_batch.py"
    batch = sys.modules["dask_batch"] = types.ModuleType("dask_batch")  # the example, loaded as a module
    batch.__file__ = str(example)
    exec(compile(example.read_text(), str(example), "exec"), batch.__dict__)
    cloudpickle.register_pickle_by_value(batch)  # the workers cannot import it by name
    jobs = batch.make_jobs(10000)
    serial = batch.run_serial(jobs)
    assert {r[0] for r in serial} == set(batch.KINDS) and all(r[3] > 0 for r in serial if r[0] == "region")
    assert pickle.loads(pickle.dumps(serial)) == serial
    with pytest.raises(ValueError, match="bogus"):  # an unknown kind had run as a consensus job
        batch.run_job(("bogus", 1))
    cluster = distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None)
    with cluster, distributed.Client(cluster) as client:
        assert len(client.scheduler_info()["workers"]) == 2 and batch.run_on_cluster(client, jobs) == serial
