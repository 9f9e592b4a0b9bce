"""tg.Region on random masks (the empty and the full canvas among them) against numpy, scipy.ndimage, scikit-image."""
import pickle
import types

import numpy as np
import pytest

import tavgeometry as tg

measure, ndi = pytest.importorskip("skimage.measure"), pytest.importorskip("scipy.ndimage")
morphology = pytest.importorskip("skimage.morphology")


def test_region_against_numpy_scipy_and_skimage():
    rng, u8 = np.random.default_rng(11), lambda m: np.asarray(m, np.uint8)
    for i in range(80):
        h, w = (int(v) for v in rng.integers(1, 30, 2))
        a, b = rng.random((h, w)) < rng.uniform(0.05, 0.95), rng.random((h, w)) < 0.4
        if i % 20 == 0:
            a[:] = i % 40 == 0
        ra, rb = tg.Region.from_mask(a), tg.Region.from_mask(b.astype(np.float32) * 3)  # nonzero is inside
        assert ra == tg.Region.from_mask(np.repeat(a, 2, 1)[:, ::2]) == tg.Region.from_mask(np.asfortranarray(u8(a)))
        # columns one after another in memory are read as rows of the transpose
        assert tg.Region.from_mask(a.T) == ra.transpose() == tg.Region.from_mask(np.asfortranarray(a.T * 2.5))
        assert np.array_equal(ra.transpose().to_mask(), u8(a.T)) and ra.transpose().transpose() == ra
        padded = np.pad(a, 3)[1:h + 2, 4:w + 6]  # the box (1, -2) .. (w + 3, h - 1), partly off the canvas
        assert np.array_equal(ra.crop(1, -2, w + 2, h + 1).to_mask(), u8(padded))
        assert all(pickle.loads(pickle.dumps(ra, proto)) == ra for proto in range(pickle.HIGHEST_PROTOCOL + 1))
        moved = np.pad(a, ((0, 0), (1, 0)))[:, :w]  # one column to the right
        for got, want in [(ra, a), (ra | rb, a | b), (ra & rb, a & b), (ra - rb, a & ~b), (ra ^ rb, a ^ b),
                          (ra.translate(1, 0), moved), (ra.fill_holes(), ndi.binary_fill_holes(a)),
                          (tg.Region.union_all(iter([ra, rb, ra.translate(1, 0)])), a | b | moved),
                          (ra.dilate(2, "disk"), ndi.binary_dilation(a, morphology.disk(2))),
                          (ra.dilate(1), ndi.binary_dilation(a, np.ones((3, 3)))),
                          (ra.erode(2, "disk"), ndi.binary_erosion(a, morphology.disk(2), border_value=0)),
                          (ra.closing(2, "disk"), morphology.binary_closing(a, morphology.disk(2))),
                          (ra.opening(1), morphology.binary_opening(a, np.ones((3, 3)))), (~ra, ~a)]:
            assert got.to_mask().shape == (h, w) and np.array_equal(got.to_mask(), u8(want))
        assert ra.iou(rb) == ((a & b).sum() / (a | b).sum() if (a | b).any() else 0.0)
        pairs = [[x.iou(y) for y in (rb, ra)] for x in (ra, rb)]
        assert tg.Region.iou_matrix([ra, rb], iter([rb, ra])).tolist() == pairs
        share = [(x & y).sum() / x.sum() if x.any() else 0.0 for x in (a, b) for y in (b, a)]  # COCO's crowd IoU
        crowd = tg.Region.iou_matrix([ra, rb], [rb, ra], iscrowd=np.array([0, 1], np.uint8)).ravel().tolist()
        assert crowd == [pairs[0][0], share[1], pairs[1][0], share[3]]
        assert np.array_equal(np.asarray(ra), u8(a)) and np.asarray(ra, bool).dtype == bool  # numpy reads the mask
        coco = ra.to_coco(compressed=False)
        assert coco["size"] == [h, w] and tg.Region.from_coco(coco) == ra == tg.Region.from_coco(ra.to_coco())
        assert tg.Region.from_coco({"size": [h, w], "counts": np.array(coco["counts"], dtype=object)}) == ra
        assert tg.Region.from_coco({"size": [h, w], "counts": bytearray(ra.to_coco()["counts"])}) == ra
        # any mapping; counts as a tuple or an array read as the list is
        counts = types.MappingProxyType({"size": (h, w), "counts": tuple(coco["counts"])})
        assert tg.Region.from_coco(counts) == ra == tg.Region.from_coco({**counts, "counts": np.int64(coco["counts"])})
        assert np.array_equal(np.repeat(np.arange(len(coco["counts"])) % 2, coco["counts"]), a.ravel(order="F"))
        pts = rng.uniform(-2, max(h, w) + 2, (40, 2))
        assert ra.contains(pts).tolist() == [0 <= x < w and 0 <= y < h and bool(a[int(y), int(x)]) for x, y in pts]
        assert [ra.contains(tuple(p)) for p in pts[:3]] == ra.contains(pts[:3]).tolist()  # one point as a pair
        ix, iy = (int(v) for v in pts[0])  # one pixel, as Python and as numpy ints
        assert ra.contains(np.int64(ix), np.int32(iy)) == ra.contains(ix, iy) == (0 <= ix < w and 0 <= iy < h
                                                                                 and bool(a[iy, ix]))
        for c in (4, 8):  # both number the parts by their first pixel in row-major order
            labels = measure.label(a, connectivity=c // 4)
            want = [u8(labels == k).tolist() for k in range(1, labels.max() + 1)]
            assert [p.to_mask().tolist() for p in ra.components(c)] == want and ra.component_count(c) == len(want)
            assert ra.labels(c).dtype == np.int32 and np.array_equal(ra.labels(c), labels)
            st, sk = ra.component_stats(c), measure.regionprops_table(labels, properties=("area", "bbox"))
            assert st["area"].tolist() == sk["area"].tolist() and st["bbox_x"].tolist() == sk["bbox-1"].tolist()
            assert (st["bbox_y"] + st["bbox_height"]).tolist() == sk["bbox-2"].tolist()
            for k, p in enumerate(ra.components(c)):  # each column holds the part's own values
                got = {n: v[k] for n, v in st.items()}
                assert (got["area"], (got["bbox_x"], got["bbox_y"], got["bbox_width"], got["bbox_height"]),
                        (got["centroid_x"], got["centroid_y"])) == (p.area, p.bbox, p.centroid)
                assert all(got[n] == v for n, v in p.moments.items())
            least = int(rng.integers(0, 9))  # parts of fewer pixels removed
            kept = morphology.remove_small_objects(a, least, connectivity=c // 4)
            assert np.array_equal(ra.remove_small_parts(least, c).to_mask(), u8(kept))
            filled = morphology.remove_small_holes(a, least, connectivity=c // 4)  # the recipe in PYTHON.md
            assert np.array_equal(ra.complement().remove_small_parts(least, c).complement().to_mask(), u8(filled))
        if not a.any():
            continue
        props, mo = measure.regionprops(u8(a))[0], ra.moments
        ref = {"m": measure.moments(a.astype(float), 2), "mu": measure.moments_central(a.astype(float), order=2)}
        ref["nu"] = measure.moments_normalized(ref["mu"], 2)  # ref[kind][i, j]: row power i, column power j
        for name in [k for k in mo if k[:-2] in ref]:
            assert mo[name] == pytest.approx(ref[name[:-2]][int(name[-1]), int(name[-2])], rel=1e-9, abs=1e-9), name
        y0, x0, y1, x1 = props.bbox
        assert (ra.area, ra.bbox) == (props.area, (x0, y0, x1 - x0, y1 - y0))
        assert ra.centroid == pytest.approx(props.centroid[::-1])
        assert mo["eccentricity"] == pytest.approx(props.eccentricity, abs=1e-9)
        if mo["mu20"] != mo["mu02"]:  # PYTHON.md: theirs from the row axis; at a tie they take a special case
            turn = (mo["orientation"] - (np.pi / 2 - props.orientation)) / np.pi
            assert turn == pytest.approx(round(turn), abs=1e-9)


def test_from_mask_copies_a_large_mask_a_band_at_a_time():
    m = np.zeros((9000, 7500), bool)  # more than 2^26 pixels: a copy is made in bands of 8947 rows
    m[:, 10:20], m[8940:8960, 100:7400:3], m[::97, ::89] = True, True, True
    want = tg.Region.from_mask(m)  # C order: read in place
    assert tg.Region.from_mask(np.asfortranarray(m)) == want and want.area == m.sum()
    assert tg.Region.from_mask(np.broadcast_to(m[:1], m.shape)).area == 9000 * m[0].sum()


def test_run_limit_applies_to_results_not_to_the_way_there():
    """Results well under the run limit whose columns, or whose inner unions, hold more runs."""
    limit = tg.REGION_MAX_RUNS
    rows = np.zeros((8192, 8194), np.uint8)  # 4096 runs as rows, 8194 x 4096 as columns
    rows[::2] = 1
    want = tg.Region.from_mask(rows)
    assert len(want) == 4096 and 8194 * 4096 > limit
    assert tg.Region.from_mask(np.asfortranarray(rows)) == want == tg.Region.from_mask(rows.T.copy().T)
    x = np.arange(8192)[None, :] % 4  # columns x % 4 == k: 2048 runs a row each, 4096 for k = 0 | 2
    stripes = [tg.Region.from_mask(np.broadcast_to(x == k, (8194, 8192))) for k in (0, 2, 1, 3)]
    assert 8194 * 4096 > limit and tg.Region.union_all(stripes) == tg.Region.full(8192, 8194)
