"""The wheel's extension, built by the project's CMake build.

The module links the core's libraries (and through documents/ Qt Core, libzip,
Poppler, md4c and libxml2), which CMake builds with their flags and checks;
pybind11's setup helpers compile a list of sources with one set of flags and
would have to copy that build. So setuptools stays the backend, and build_ext
runs CMake for the target scrivolux_python and puts the module, the word list
and its index into the package.

SCRIVOLUX_BUILD_DIR names an existing CMake build tree to build in (it must be
configured for this interpreter); SCRIVOLUX_CMAKE_ARGS adds arguments to a
fresh configuration (say -DCMAKE_CXX_COMPILER_LAUNCHER=ccache).
"""

import os
import re
import shlex
import shutil
import subprocess
import sys
from pathlib import Path

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = Path(__file__).resolve().parent
WORD_LIST = ["cuvplus.dat", "cuvplus.dat.idx"]


def project_version():
    text = (ROOT / "CMakeLists.txt").read_text(encoding="utf-8")
    return re.search(r"project\(\w+ VERSION ([\d.]+)", text).group(1)


class CMakeBuild(build_ext):
    def build_extension(self, extension):
        tree = os.environ.get("SCRIVOLUX_BUILD_DIR")
        if tree:
            tree = Path(tree).resolve()
        else:
            tree = Path(self.build_temp).resolve() / "cmake"
            arguments = ["-DCMAKE_BUILD_TYPE=Release", f"-DSCRIVOLUX_PYTHON={sys.executable}",
                         "-DSCRIVOLUX_BUILD_TESTS=OFF", "-DSCRIVOLUX_BUILD_BENCH=OFF"]
            arguments += shlex.split(os.environ.get("SCRIVOLUX_CMAKE_ARGS", ""))
            subprocess.run(["cmake", "-S", str(ROOT), "-B", str(tree), *arguments], check=True)
        jobs = str(self.parallel or os.cpu_count() or 1)
        subprocess.run(["cmake", "--build", str(tree), "-j", jobs, "--target", "scrivolux_python",
                        "cuvplus"], check=True)

        built = sorted((tree / "python" / "scrivolux").glob("_scrivolux*.so"))
        if not built:
            raise RuntimeError(f"CMake built no module in {tree / 'python' / 'scrivolux'}")
        target = Path(self.get_ext_fullpath(extension.name))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built[-1], target)
        # The module looks for the word list in its own folder first.
        for name in WORD_LIST:
            shutil.copyfile(tree / "bin" / name, target.parent / name)


Path(ROOT / "build" / "pip").mkdir(parents=True, exist_ok=True)
setup(
    version=project_version(),
    ext_modules=[Extension("scrivolux._scrivolux", sources=[])],
    cmdclass={"build_ext": CMakeBuild},
    # Out of the way of a CMake build tree called build/.
    options={"build": {"build_base": "build/pip"}, "egg_info": {"egg_base": "build/pip"}},
)
