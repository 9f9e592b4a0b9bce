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


def libraries():
    """The shared libraries the module links, by their sonames (lib*.so.MAJOR)."""
    major = project_version().split(".")[0]
    return [f"libTavGeometry.so.{major}", f"libTavLog.so.{major}"]


def stale(build):
    """True when the kept CMake build belongs to another source tree (this one moved) or
    another C++ compiler than $CXX names: CMake would refuse the first and ignore the second."""
    cache = build / "CMakeCache.txt"
    if not cache.exists():
        return False
    text = cache.read_text(errors="replace")
    home = re.search(r"^CMAKE_HOME_DIRECTORY:INTERNAL=(.*)$", text, re.M)
    if home is None or pathlib.Path(home.group(1)).resolve() != ROOT:
        return True
    cxx, wanted = re.search(r"^CMAKE_CXX_COMPILER:\w+=(.*)$", text, re.M), os.environ.get("CXX")
    found = shutil.which(wanted) if wanted else None
    return bool(found and cxx and pathlib.Path(found).resolve() != pathlib.Path(cxx.group(1)).resolve())


class CMakeBuild(build_ext):
    def build_extension(self, ext):
        target = pathlib.Path(self.get_ext_fullpath(ext.name)).resolve()
        target.parent.mkdir(parents=True, exist_ok=True)
        # One kept CMake build per interpreter, beside setuptools' own: an editable
        # install's build_temp is a fresh temporary folder, which would build anew.
        build = ROOT / "build-pip" / f"cmake-{sys.implementation.cache_tag}"
        if stale(build):
            shutil.rmtree(build)
        subprocess.check_call([
            "cmake", "-S", str(ROOT), "-B", str(build), "-DCMAKE_BUILD_TYPE=Release",
            "-DTAVGEO_BUILD_TESTS=OFF", "-DTAVGEO_BUILD_TOOLS=OFF", "-DTAVGEO_BUILD_PYTHON=ON",
            "-DTAVGEO_REQUIRE_PYTHON=ON", "-DCMAKE_BUILD_WITH_INSTALL_RPATH=ON",
            f"-DPython3_EXECUTABLE={sys.executable}",
        ])
        jobs = os.environ.get("TAVGEO_BUILD_JOBS", str(os.cpu_count() or 1))
        subprocess.check_call(["cmake", "--build", str(build), "--target", "_tavgeometry", "-j", jobs])
        module = next((build / "python" / "tavgeometry").glob("_tavgeometry*.so"))
        shutil.copy2(module, target)
        for lib in libraries():
            shutil.copy2(build / lib, target.parent / lib)  # follows the soname link

    def copy_extensions_to_source(self):
        """An editable install imports the module from the source tree: the libraries go beside it too."""
        super().copy_extensions_to_source()
        build_py = self.get_finalized_command("build_py")
        for ext in self.extensions:
            inplace, regular = self._get_inplace_equivalent(build_py, ext)
            for lib in libraries():
                self.copy_file(os.path.join(os.path.dirname(regular), lib), os.path.join(os.path.dirname(inplace), lib),
                               level=self.verbose)


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
