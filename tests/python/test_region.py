"""tg.Region against numpy masks and scikit-image on random masks."""
import pickle

import numpy as np
import pytest

import tavgeometry as tg

measure = pytest.importorskip("skimage.measure")


def random_masks(n, seed=2):
    rng = np.random.default_rng(seed)
    for i in range(n):
        h, w = rng.integers(1, 40, 2)
        kind = i % 4
        if kind == 0:
            m = rng.random((h, w)) < rng.uniform(0.1, 0.9)
        elif kind == 1:
            m = np.zeros((h, w), bool)
            for _ in range(3):
                y, x = rng.integers(0, h), rng.integers(0, w)
                m[y:y + rng.integers(1, 10), x:x + rng.integers(1, 10)] = True
        elif kind == 2:
            m = np.zeros((h, w), bool) if i % 8 == 2 else np.ones((h, w), bool)
        else:
            m = np.zeros((h, w), bool)
            m[rng.integers(0, h), rng.integers(0, w)] = True
        yield m


def test_conversions_round_trip_and_agree_with_numpy():
    for m in random_masks(200):
        r = tg.Region.from_mask(m)
        assert r.to_mask().shape == m.shape and np.array_equal(r.to_mask(), m.astype(np.uint8))
        assert r.area == m.sum() and (r.width, r.height) == (m.shape[1], m.shape[0])
        assert tg.Region.from_rle(r.to_rle()) == r
        assert tg.Region.from_coco(r.to_coco()) == r == tg.Region.from_coco(r.to_coco(compressed=False))
        coco = r.to_coco(compressed=False)
        assert coco["size"] == list(m.shape) and sum(coco["counts"]) == m.size
        assert np.array_equal(np.repeat(np.arange(len(coco["counts"])) % 2, coco["counts"]),
                              m.ravel(order="F"))  # column-major, background first
        assert pickle.loads(pickle.dumps(r)) == r
        # other dtypes and strided views read the same pixels
        assert tg.Region.from_mask(m.astype(np.float32) * 3) == r
        big = np.zeros((m.shape[0], m.shape[1] * 2), np.uint8)
        big[:, ::2] = m
        assert tg.Region.from_mask(big[:, ::2]) == r


def test_measurements_agree_with_skimage():
    for m in random_masks(120, seed=4):
        if not m.any():
            continue
        r = tg.Region.from_mask(m)
        mo = r.moments
        M = measure.moments(m.astype(float), order=2)  # M[i, j] = sum row^i col^j
        mu = measure.moments_central(m.astype(float), order=2)
        nu = measure.moments_normalized(mu, order=2)
        for ours, theirs in [("m00", M[0, 0]), ("m10", M[0, 1]), ("m01", M[1, 0]), ("m20", M[0, 2]),
                             ("m11", M[1, 1]), ("m02", M[2, 0]), ("mu20", mu[0, 2]), ("mu11", mu[1, 1]),
                             ("mu02", mu[2, 0]), ("nu20", nu[0, 2]), ("nu11", nu[1, 1]), ("nu02", nu[2, 0])]:
            assert mo[ours] == pytest.approx(theirs, rel=1e-9, abs=1e-9), ours
        props = measure.regionprops(m.astype(np.uint8))[0]
        cy, cx = props.centroid
        assert r.centroid == pytest.approx((cx, cy), rel=1e-12)
        y0, x0, y1, x1 = props.bbox
        assert r.bbox == (x0, y0, x1 - x0, y1 - y0)


@pytest.mark.parametrize("connectivity,sk", [(4, 1), (8, 2)])
def test_components_match_skimage_label(connectivity, sk):
    for m in random_masks(120, seed=6):
        labels = measure.label(m, connectivity=sk)
        parts = tg.Region.from_mask(m).components(connectivity)
        assert len(parts) == labels.max()
        for i, part in enumerate(parts):  # both number parts by their first pixel in row-major order
            assert np.array_equal(part.to_mask(), (labels == i + 1).astype(np.uint8))


def test_algebra_against_numpy():
    rng = np.random.default_rng(8)
    for _ in range(100):
        h, w = rng.integers(1, 30, 2)
        a, b = rng.random((h, w)) < 0.4, rng.random((h, w)) < 0.4
        ra, rb = tg.Region.from_mask(a), tg.Region.from_mask(b)
        for got, want in [(ra | rb, a | b), (ra & rb, a & b), (ra - rb, a & ~b), (ra ^ rb, a ^ b)]:
            assert np.array_equal(got.to_mask(), want.astype(np.uint8))
        union = (a | b).sum()
        assert ra.iou(rb) == ((a & b).sum() / union if union else 0.0)
        dx, dy = rng.integers(-5, 6, 2)
        shifted = np.zeros_like(a)
        ys, xs = np.nonzero(a)
        keep = (ys + dy >= 0) & (ys + dy < h) & (xs + dx >= 0) & (xs + dx < w)
        shifted[ys[keep] + dy, xs[keep] + dx] = True
        assert np.array_equal(ra.translate(int(dx), int(dy)).to_mask(), shifted.astype(np.uint8))
        pts = rng.uniform(-2, max(h, w) + 2, (50, 2))
        inside = [0 <= int(np.floor(x)) < w and 0 <= int(np.floor(y)) < h and a[int(np.floor(y)), int(np.floor(x))]
                  for x, y in pts]
        assert ra.contains(pts).tolist() == inside


def test_coco_string_and_bad_records():
    r = tg.Region.from_coco({"size": [6, 10], "counts": [5, 3, 40, 2, 10]})
    assert r.to_coco()["counts"] == b"53X1ORO" and tg.Region.from_coco({"size": [6, 10], "counts": "53X1ORO"}) == r
    for bad, exc in [({"size": [2, 2], "counts": [1, 2]}, ValueError), ({"size": [2, 2]}, ValueError),
                     ({"size": [2, 2], "counts": b"~~"}, ValueError), ("counts", TypeError),
                     ({"size": [2], "counts": [4]}, ValueError), ({"size": [2, 2], "counts": [-1, 5]}, ValueError)]:
        with pytest.raises(exc):
            tg.Region.from_coco(bad)
    with pytest.raises(ValueError, match="canvas"):
        tg.Region(3, 3) | tg.Region(4, 3)
    with pytest.raises(ValueError):
        tg.Region.from_rle([5, 5, 0, 0, 0, 0, 2, -1])  # a record with no run
    with pytest.raises(ValueError, match="2-D"):
        tg.Region.from_mask(np.zeros(5))


def test_calculators_hand_back_regions():
    calc = tg.RleCalcTorus().calculate(40, 30, [(20, 15), (30, 15), (25, 15)])
    region = calc.region()
    assert np.array_equal(calc.to_mask(), region.to_mask())
    assert len(region.components(8)) == 1 and region.fill_holes().area > region.area
    # the region clips a disk that reaches past the image, the list does not
    disk = tg.RleCalcDisk().calculate(10, 10, [(1, 1), (6, 1)])
    assert disk.rle[2] < 0 and disk.region().bbox[:2] == (0, 0)
