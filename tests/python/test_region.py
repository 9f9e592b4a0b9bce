"""tg.Region against numpy masks."""
import pickle

import numpy as np
import pytest

import tavgeometry as tg


def test_region_conversions_and_algebra_agree_with_numpy():
    rng = np.random.default_rng(8)
    for i in range(100):
        h, w = rng.integers(1, 30, 2)
        a, b = rng.random((h, w)) < rng.uniform(0, 1), rng.random((h, w)) < 0.4
        ra, rb = tg.Region.from_mask(a), tg.Region.from_mask(b)
        coco = ra.to_coco(compressed=False)
        assert np.array_equal(ra.to_mask(), a.astype(np.uint8)) and ra.area == a.sum() and ra.bbox[2:] <= (w, h)
        assert tg.Region.from_rle(ra.to_rle()) == ra == tg.Region.from_coco(ra.to_coco()) == pickle.loads(pickle.dumps(ra))
        assert np.array_equal(np.repeat(np.arange(len(coco["counts"])) % 2, coco["counts"]), a.ravel(order="F"))
        assert tg.Region.from_mask(a.astype(np.float32) * 3) == ra == tg.Region.from_mask(np.repeat(a, 2, 1)[:, ::2])
        for got, want in [(ra | rb, a | b), (ra & rb, a & b), (ra - rb, a & ~b), (ra ^ rb, a ^ b)]:
            assert np.array_equal(got.to_mask(), want.astype(np.uint8))
        assert ra.iou(rb) == ((a & b).sum() / (a | b).sum() if (a | b).any() else 0.0)
        pts = rng.uniform(-2, max(h, w) + 2, (50, 2))
        ij = np.floor(pts).astype(int)
        inside = [0 <= x < w and 0 <= y < h and a[y, x] for x, y in ij]
        assert ra.contains(pts).tolist() == inside


def test_coco_string_and_bad_records():
    r = tg.Region.from_coco({"size": [6, 10], "counts": [5, 3, 40, 2, 10]})
    assert r.to_coco()["counts"] == b"53X1ORO" and tg.Region.from_coco({"size": [6, 10], "counts": "53X1ORO"}) == r
    for bad in [{"size": [2, 2], "counts": [1, 2]}, {"size": [2, 2]}, {"size": [2, 2], "counts": b"~~"},
                {"size": [2], "counts": [4]}, {"size": [2, 2], "counts": [-1, 5]}, "counts"]:
        with pytest.raises(TypeError if bad == "counts" else ValueError):
            tg.Region.from_coco(bad)
    with pytest.raises(ValueError):
        tg.Region.from_rle([5, 5, 0, 0, 0, 0, 2, -1])  # a record with no run
