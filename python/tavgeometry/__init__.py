"""TavGeometry: exact, fast plane geometry for raster images.

Coordinates are image pixel positions: x is the column (to the right), y the row
(downward). Angles are radians; a positive angle turns +x toward +y, which is
clockwise on screen. A point is an ``(x, y)`` tuple (any sequence of two real
numbers is accepted); a point set is a numpy array of shape ``(N, 2)`` (float64;
other real dtypes and nested lists are converted, and a C-contiguous float64 array
is read without a copy). A geometric failure (parallel lines, a refused fit)
returns ``None``; the crossing functions give a tuple of the crossings, empty
when there are none.

The circle fit's refusals are written to the standard ``logging`` module, logger
``"tavgeometry"``, at level ERROR; the package adds a ``NullHandler`` so that
nothing reaches stderr unless the application configures logging itself.

Calls whose cost grows with their input release the GIL, and every function may be
called from many threads at once. Calculators (``RleCalcDisk`` and friends) keep a
cache: give each thread its own.
"""

import copyreg as _copyreg
import logging as _logging
from typing import Sequence as _Sequence, SupportsFloat as _SupportsFloat, Tuple as _Tuple, Union as _Union

import numpy as _np
import numpy.typing as _npt

from . import _tavgeometry
from ._tavgeometry import *  # noqa: F401,F403
from ._tavgeometry import __version__  # noqa: F401

# Once: a reload of the package (importlib.reload, a notebook's autoreload) runs this again.
if not any(type(h) is _logging.NullHandler for h in _logging.getLogger("tavgeometry").handlers):
    _logging.getLogger("tavgeometry").addHandler(_logging.NullHandler())

# The short names the field uses for the fits.
fit_line = points_fit_line  # noqa: F405
fit_circle = points_fit_circle  # noqa: F405
fit_line_outliers = points_fit_line_outliers  # noqa: F405
fit_circle_outliers = points_fit_circle_outliers  # noqa: F405
fit_line_ransac = points_fit_line_ransac  # noqa: F405
fit_line_orthogonal = points_fit_line_orthogonal  # noqa: F405
fit_circle_hyper = points_fit_circle_hyper  # noqa: F405
fit_circle_geometric = points_fit_circle_geometric  # noqa: F405
fit_circle_ransac = points_fit_circle_ransac  # noqa: F405
perimeter_points = calculate_perimiter_points  # noqa: F405


def _rebuild_subclass(cls, value, attributes=None):
    """Unpickles an instance of a Python subclass: its value. The subclass's own attributes come
    after it as the pickle's state (so that one leading back to the object finds it made), or,
    in pickles of earlier versions, here."""
    obj = cls.__new__(cls)
    obj.__setstate__(value)
    if attributes:
        obj.__dict__.update(attributes)
    return obj


def _attributes_as_state(cls):
    """Lets cls.__setstate__ also take a subclass's attributes (a dict; a value's state is a tuple).
    The compiled classes outlive a reload of the package, so they are wrapped once."""
    set_value = cls.__setstate__
    if getattr(set_value, "_takes_attributes", False):
        return

    def __setstate__(self, state):
        if type(state) is dict:
            if not hasattr(self, "__dict__"):  # only a subclass's instances have attributes
                raise ValueError(f"bad pickled {type(self).__name__}: attributes for an object that has none")
            self.__dict__.update(state)
        else:
            set_value(self, state)

    __setstate__.__doc__ = set_value.__doc__
    __setstate__._takes_attributes = True
    cls.__setstate__ = __setstate__


def _region_array(self, dtype=None, copy=None):
    """The region's (h, w) uint8 mask (to_mask()), in the dtype asked for: numpy.asarray(region) is
    its mask, and numpy.asarray(region, bool) one to index with. Always a new array, so that
    copy=False, which numpy 2 passes for its "never copy", is refused."""
    if copy is False:
        raise ValueError("a Region holds runs, not an array: its mask is always a new array (copy=False refused)")
    mask = self.to_mask()
    return mask if dtype is None else mask.astype(dtype, copy=False)


Region.__array__ = _region_array  # noqa: F405

for _cls in (Line, Circle, Arc, Rect, Rotator, RotatorF, Region,  # noqa: F405
             RleCalcDisk, RleCalcTorus, RleCalcPolygon):  # noqa: F405
    _attributes_as_state(_cls)
del _cls


def _compiled(name):
    """The function or method of the compiled module that `name` ("f" or "Class.f") names."""
    obj = _tavgeometry
    for part in name.split("."):
        obj = getattr(obj, part)
    return obj


def _compiled_names():
    """The compiled module's functions and methods by id (instance methods cannot be hashed), each
    with itself (which keeps the id its own) and the name it is reached by."""
    names = {}
    for n in dir(_tavgeometry):
        obj = getattr(_tavgeometry, n)
        if type(obj) is _BuiltinFunction:
            names.setdefault(id(obj), (obj, n))
        elif isinstance(obj, type):
            for m in vars(obj):
                f = getattr(obj, m)  # a static method's function, or the instance method itself
                if type(f) in (_BuiltinFunction, _InstanceMethod):
                    names.setdefault(id(f), (f, n + "." + m))
    return names


def _reduce_function(f):
    """Pickles the package's functions and methods by name, so that they can be handed to process
    pools and clusters; any other function of their types pickles as it did."""
    known = _NAMES.get(id(f))
    return (_compiled, (known[1],)) if known is not None and known[0] is f else f.__reduce_ex__(2)


# The compiled functions are builtins whose __self__ is a capsule, which pickle cannot take.
_BuiltinFunction, _InstanceMethod = type(_tavgeometry.point_point_dist), type(Region.dilate)  # noqa: F405
_NAMES = _compiled_names()
for _type in (_BuiltinFunction, _InstanceMethod):
    _copyreg.pickle(_type, _reduce_function)
del _type


# The types the stubs name, for annotations in the caller's code.
Point = _Tuple[float, float]
PointLike = _Union[_Tuple[_SupportsFloat, _SupportsFloat], _Sequence[_SupportsFloat], _npt.NDArray[_np.number]]
PointSet = _Union[_npt.ArrayLike, _npt.NDArray[_np.floating]]  # shape (N, 2)

__all__ = sorted(
    [n for n in dir(_tavgeometry) if not n.startswith("_")]
    + ["fit_line", "fit_circle", "fit_line_outliers", "fit_circle_outliers", "fit_line_ransac",
       "fit_line_orthogonal", "fit_circle_hyper", "fit_circle_geometric", "fit_circle_ransac",
       "perimeter_points", "Point", "PointLike", "PointSet"]
)
