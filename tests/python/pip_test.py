"""pip installs the module from the source tree into a fresh virtual
environment, offline, and the module found there analyses a text with the word
list the wheel carries. Run by ctest with SCRIVOLUX_SOURCE_DIR and
SCRIVOLUX_BUILD_DIR (the build tree pip's CMake step builds in)."""

import glob
import json
import os
import subprocess
import sys
import tempfile
import textwrap
import unittest

SOURCE = os.environ["SCRIVOLUX_SOURCE_DIR"]


class PipInstall(unittest.TestCase):
    def test_install_into_a_venv_and_analyse(self):
        with tempfile.TemporaryDirectory() as folder:
            venv = os.path.join(folder, "venv")
            subprocess.run([sys.executable, "-m", "venv", "--system-site-packages", venv],
                           check=True)
            python = os.path.join(venv, "bin", "python3")
            env = {k: v for k, v in os.environ.items() if k != "PYTHONPATH"}
            install = subprocess.run(
                [python, "-m", "pip", "install", "--no-build-isolation", "--no-index",
                 "--no-deps", "--quiet", SOURCE],
                capture_output=True, text=True, env=env, cwd=folder)
            self.assertEqual(install.returncode, 0, install.stdout + install.stderr)
            script = textwrap.dedent("""
                import json, os, scrivolux
                here = os.path.dirname(scrivolux.__file__)
                report = scrivolux.analyse("The cat sat on the mat. It was happy.")
                print(json.dumps([here, scrivolux.default_word_list(),
                                  sorted(os.listdir(here)),
                                  report["figures"]["fleschKincaidGradeLevel"],
                                  scrivolux.text_standard("The cat sat on the mat.")]))
                """)
            [installed] = glob.glob(os.path.join(venv, "lib", "python3*", "site-packages",
                                                 "scrivolux", "cuvplus.dat.idx"))
            as_installed = os.stat(installed).st_mtime_ns
            run = subprocess.run([python, "-c", script], capture_output=True, text=True,
                                 env=env, cwd="/")
            self.assertEqual(run.returncode, 0, run.stderr)
            here, word_list, files, grade, standard = json.loads(run.stdout)
            self.assertTrue(here.startswith(venv), here)
            self.assertEqual(word_list, os.path.join(here, "cuvplus.dat"))
            for name in "cuvplus.dat", "cuvplus.dat.idx", "__init__.pyi", "py.typed":
                self.assertIn(name, files)
            self.assertEqual(grade, -0.7238889)
            self.assertIsInstance(standard, str)
            # pip gave the index a time of its own, so the first load wrote a
            # fresh one for the processes after it.
            index = os.path.join(here, "cuvplus.dat.idx")
            self.assertEqual(index, installed)
            written = os.stat(index).st_mtime_ns
            self.assertGreater(written, as_installed)
            run = subprocess.run([python, "-c", script], capture_output=True, text=True,
                                 env=env, cwd="/")
            self.assertEqual(run.returncode, 0, run.stderr)
            self.assertEqual(os.stat(index).st_mtime_ns, written)


if __name__ == "__main__":
    unittest.main()
