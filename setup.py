"""Builds the tavgeometry package with the project's own CMake.

    python3 -m pip install --no-build-isolation .

CMake builds the libraries and the compiled module with the RUNPATH they are
installed with ($ORIGIN); the module and both libraries are placed in the
package directory, so the installed package needs nothing from the build tree.
"""

import os
import pathlib
import re
import shutil
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = pathlib.Path(__file__).resolve().parent


def project_version():
    text = (ROOT / "CMakeLists.txt").read_text()
    return re.search(r"project\(TavGeometry VERSION ([0-9.]+)", text).group(1)


class CMakeBuild(build_ext):
    def build_extension(self, ext):
        target = pathlib.Path(self.get_ext_fullpath(ext.name)).resolve()
        target.parent.mkdir(parents=True, exist_ok=True)
        build = pathlib.Path(self.build_temp).resolve() / "cmake"
        subprocess.check_call([
            "cmake", "-S", str(ROOT), "-B", str(build), "-DCMAKE_BUILD_TYPE=Release",
            "-DTAVGEO_BUILD_TESTS=OFF", "-DTAVGEO_BUILD_TOOLS=OFF", "-DTAVGEO_BUILD_PYTHON=ON",
            "-DCMAKE_BUILD_WITH_INSTALL_RPATH=ON", f"-DPython3_EXECUTABLE={sys.executable}",
        ])
        jobs = os.environ.get("TAVGEO_BUILD_JOBS", str(os.cpu_count() or 1))
        subprocess.check_call(["cmake", "--build", str(build), "--target", "_tavgeometry", "-j", jobs])
        module = next((build / "python" / "tavgeometry").glob("_tavgeometry*.so"))
        shutil.copy2(module, target)
        for lib in ("libTavGeometry.so.1", "libTavLog.so.1"):
            shutil.copy2(build / lib, target.parent / lib)  # follows the soname link


setup(
    name="tavgeometry",
    version=project_version(),
    description="Exact, fast plane geometry for raster images",
    packages=["tavgeometry"],
    package_dir={"tavgeometry": "python/tavgeometry"},
    package_data={"tavgeometry": ["*.pyi", "py.typed"]},
    ext_modules=[Extension("tavgeometry._tavgeometry", sources=[])],
    cmdclass={"build_ext": CMakeBuild},
    options={"build": {"build_base": "build-pip"}},
    python_requires=">=3.9",
    install_requires=["numpy"],
    zip_safe=False,
)
