"""cmake --install puts the package where the interpreter looks for it: Debian's
/usr/lib/python3/dist-packages under /usr (the .deb), the versioned
dist-packages folder under any other prefix; from there it imports and runs."""

import glob
import os
import subprocess
import sys

import pytest

from conftest import EXAMPLE

BUILD = os.environ["VEK_BUILD_DIR"]
CMAKE = os.environ["VEK_CMAKE"]
VERSIONED = "lib/python%d.%d/dist-packages" % sys.version_info[:2]


@pytest.mark.parametrize("prefix, site", [("/usr", "lib/python3/dist-packages"), ("/usr/local", VERSIONED)])
def test_install_into_the_interpreters_packages(prefix, site, workdir):
    env = dict(os.environ, DESTDIR=workdir)
    r = subprocess.run([CMAKE, "--install", BUILD, "--prefix", prefix], capture_output=True, env=env)
    assert r.returncode == 0, r.stderr.decode()
    installed = os.path.join(prefix, site)
    # The interpreter searches that folder by itself.
    searched = subprocess.run([sys.executable, "-c", "import site; print('\\n'.join(site.getsitepackages()))"],
                              capture_output=True, env={}).stdout.decode().split()
    assert installed in searched
    package = workdir + installed + "/vek"
    extension = glob.glob(package + "/_vek.*.so")
    assert len(extension) == 1
    assert sorted(os.listdir(package)) == sorted(
        ["__init__.py", "__init__.pyi", "_frames.py", "py.typed", os.path.basename(extension[0])])
    script = "import vek; print(vek.__file__); print(len(vek.run(%r).locations))" % EXAMPLE
    env = dict(os.environ, PYTHONPATH=workdir + installed)
    r = subprocess.run([sys.executable, "-c", script], capture_output=True, env=env)
    assert r.returncode == 0, r.stderr.decode()
    assert r.stdout.decode().split() == [package + "/__init__.py", "7"]
