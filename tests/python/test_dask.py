"""A batch of 10,000 mixed jobs on a Dask LocalCluster with two worker
processes gives exactly the serial results."""
import importlib.machinery
import pathlib
import pickle
import sys
import types

import pytest

distributed = pytest.importorskip("distributed")
cloudpickle = pytest.importorskip("cloudpickle")

EXAMPLE = pathlib.Path(__file__).resolve().parents[2] / "examples" / "dask_batch.py"


def load_example():
    loader = importlib.machinery.SourceFileLoader("dask_batch", str(EXAMPLE))
    module = types.ModuleType(loader.name)
    module.__file__ = str(EXAMPLE)
    sys.modules["dask_batch"] = module
    loader.exec_module(module)
    cloudpickle.register_pickle_by_value(module)  # the workers cannot import it by name
    return module


def test_cluster_batch_equals_serial():
    batch = load_example()
    jobs = batch.make_jobs(10000)
    serial = batch.run_serial(jobs)
    assert {r[0] for r in serial} == set(batch.KINDS)
    assert all(r[3] > 0 for r in serial if r[0] == "region")  # every polygon covered some pixels
    assert pickle.loads(pickle.dumps(serial)) == serial  # results cross process boundaries
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  dashboard_address=None) as cluster, distributed.Client(cluster) as client:
        assert len(client.scheduler_info()["workers"]) == 2
        assert batch.run_on_cluster(client, jobs) == serial
