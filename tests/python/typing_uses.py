"""Calls a type checker must take as they run, and (marked `# error`) mistakes it must catch: mypy --strict reads
this file against the package's stubs (test_api.py); it is never run."""
from fractions import Fraction

import numpy as np
import numpy.typing as npt

import tavgeometry as tg

pts = np.array([[0, 0], [10, 1], [20, -1], [30, 0.5], [40, 0], [50, 30]], dtype=np.float64)
reg, k, line = tg.Region.full(8, 8), np.int64(2), tg.Line((0, 0), (1, 0))
fitted, error = tg.fit_line_outliers(pts, k)  # numpy counts and reals, 0 and 1 as flags
removed: npt.NDArray[np.float64] = tg.fit_line_outliers(pts, 2, return_removed=1)[2]
print(tg.arc_to_polyline(tg.Arc((0, 0), np.float32(2.0), 0, Fraction(1, 2)), k), tg.deg_to_rad(np.float32(90)))
print(tg.Region(np.int64(3), 4).translate(np.int64(1), 0), reg.contains(np.int64(1), 1), reg.dilate(np.int32(1)))
geo = tg.fit_circle_geometric(pts, standard_errors=np.True_)
if geo is not None:
    rms: float = geo[1]["rms"]
    print(geo[1]["rmse"])  # error
coco = reg.to_coco()
print(coco["counts"].decode(), reg.to_coco(compressed=False)["counts"].decode())  # error
ransac = tg.fit_line_ransac(pts, 1)
by_position = tg.fit_circle_ransac(pts, 1, 0, True)  # the flag by position gives the 3-tuple too
if by_position is not None:
    circle, err, rejected = by_position
if ransac is not None:
    print(ransac[0].p1, ransac[2])  # error
print(tg.fit_line_outliers(pts, 1)[0].radius, tg.Region.from_coco(coco) | 3)  # error
print(hash(line), reg.translate(1.5, 0))  # error
print(tg.Rotator().rotate((1, 2))[0] + tg.RleCalcDisk().calculate(8, 8, pts).region().area)
inside: bool = reg.contains(reg.centroid)
ious: npt.NDArray[np.float64] = tg.Region.iou_matrix([reg], (r for r in [reg, reg]), iscrowd=[0, True])
mask: npt.NDArray[np.bool_] = np.asarray(reg, bool)
alone = tg.fit_line_orthogonal(pts, return_rms=False)  # the line alone
if alone is not None:
    print(alone.p1, alone[1])  # error
