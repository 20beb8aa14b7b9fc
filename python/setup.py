"""Builds the quodra Python package: a pybind11 extension that compiles the
library's C++ sources into itself, so nothing has to be built or installed
first and the result depends on no build directory. Needs only Debian
packages (g++, libgmp-dev, pybind11-dev, python3-numpy, python3-setuptools);
install with pip's --no-build-isolation so that they are the ones used.
"""
import re
from pathlib import Path

from pybind11.setup_helpers import ParallelCompile, Pybind11Extension
from setuptools import setup

HERE = Path(__file__).resolve().parent
ROOT = HERE.parent


def library_version():
    """The project version from the top-level CMakeLists.txt."""
    text = (ROOT / "CMakeLists.txt").read_text()
    found = re.search(r"project\(quodra VERSION ([0-9.]+)", text)
    if found is None:
        raise RuntimeError("cannot find the project version in CMakeLists.txt")
    return found.group(1)


def library_sources():
    """The library's sources: the one list in src/sources.cmake, which the
    CMake build reads too."""
    listing = ROOT / "src" / "sources.cmake"
    if not listing.is_file():
        raise RuntimeError(
            "build the quodra Python package from a source checkout: "
            "pip install --no-build-isolation ./python")
    sources = []
    # The library, and the diagnosis of checks (corner bins, classes, map).
    for listed in ("QUODRA_LIBRARY_SOURCES", "QUODRA_DIAGNOSIS_SOURCES"):
        found = re.search(r"set\(%s\s+(.*?)\)" % listed, listing.read_text(), re.S)
        if found is None:
            raise RuntimeError("cannot find %s in src/sources.cmake" % listed)
        sources += [str(ROOT / "src" / name) for name in found.group(1).split()]
    return sources


def headers():
    """Every header the sources may include: distutils compiles again only
    when a listed dependency is newer than the objects of an earlier build."""
    folders = (ROOT / "include", ROOT / "src", HERE / "src")
    return sorted(str(path) for folder in folders for pattern in ("*.h", "*.hpp")
                  for path in folder.rglob(pattern))


# The extension's own sources, beside the library's.
EXTENSION_SOURCES = ("module.cpp", "bound_samples.cpp", "integer_conversion.cpp",
                     "diagnosis_bindings.cpp")

VERSION = library_version()
ParallelCompile("QUODRA_PYTHON_JOBS", default=2).install()

extension = Pybind11Extension(
    "quodra._quodra",
    [str(HERE / "src" / name) for name in EXTENSION_SOURCES] + library_sources(),
    include_dirs=[str(ROOT / "include"), str(ROOT / "src")],
    define_macros=[("QUODRA_BUILDING_LIBRARY", None),
                   ("QUODRA_PYTHON_VERSION", '"%s"' % VERSION)],
    depends=headers() + [str(HERE / "src" / "extension.map")],
    libraries=["gmpxx", "gmp"],
    cxx_std=17,
    extra_compile_args=["-O3", "-g0", "-Wall", "-Wextra"],
    extra_link_args=["-Wl,--version-script=" + str(HERE / "src" / "extension.map"), "-s"],
)

setup(
    name="quodra",
    version=VERSION,
    description="Bit-exact model of a hardware divider core: exact integers of any width, numpy batches",
    packages=["quodra"],
    ext_modules=[extension],
    python_requires=">=3.9",
    install_requires=["numpy"],
    zip_safe=False,
)
