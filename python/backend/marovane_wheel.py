# SPDX-License-Identifier: GPL-3.0-or-later
"""The build backend of the Python module (PEP 517), with the standard library alone.

It configures the project's CMake build with only the module (MAROVANE_PYTHON_ONLY), for the
interpreter that runs it, builds the target _marovane and packs the package CMake puts
together in the build tree into a wheel. The build folder is build/wheel-<tag> under the
sources, so that a second build is incremental; the setting build-dir
(`pip install . --config-settings build-dir=PATH`, `python3 -m build -C build-dir=PATH`)
puts it elsewhere.
"""

from __future__ import annotations

import base64
import hashlib
import io
import os
import re
import shutil
import subprocess
import sys
import sysconfig
import tarfile
import time
import tomllib
import zipfile

SOURCE = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
PACKAGE = "marovane"
# Files in the package beside the compiled module, as python/CMakeLists.txt copies them.
PACKAGE_FILES = ("__init__.py", "_marovane.pyi", "py.typed")
# Zip entries carry this time, or SOURCE_DATE_EPOCH's, so that a wheel's bytes repeat.
EPOCH_1980 = 315532800


def _project() -> dict:
    with open(os.path.join(SOURCE, "pyproject.toml"), "rb") as file:
        return tomllib.load(file)["project"]


def _version() -> str:
    with open(os.path.join(SOURCE, "CMakeLists.txt"), encoding="utf-8") as file:
        found = re.search(r"project\(Marovane\s+VERSION\s+([0-9.]+)", file.read())
    if not found:
        raise RuntimeError("CMakeLists.txt: no project(Marovane VERSION ...) to take the version from")
    return found.group(1)


def _tag() -> str:
    interpreter = f"cp{sys.version_info.major}{sys.version_info.minor}"
    platform = re.sub(r"[-.]", "_", sysconfig.get_platform())
    return f"{interpreter}-{interpreter}-{platform}"


def _metadata() -> str:
    project = _project()
    lines = [
        "Metadata-Version: 2.1",
        f"Name: {project['name']}",
        f"Version: {_version()}",
        f"Summary: {project['description']}",
        f"Author: {project['authors'][0]['name']}",
        "License: GPL-3.0-or-later",
        f"Requires-Python: {project['requires-python']}",
    ]
    lines += [f"Requires-Dist: {requirement}" for requirement in project["dependencies"]]
    for extra, requirements in project["optional-dependencies"].items():
        lines.append(f"Provides-Extra: {extra}")
        lines += [f'Requires-Dist: {requirement}; extra == "{extra}"' for requirement in requirements]
    with open(os.path.join(SOURCE, project["readme"]), encoding="utf-8") as file:
        readme = file.read()
    return "\n".join(lines + ["Description-Content-Type: text/markdown", "", readme])


def _dist_info() -> str:
    return f"{PACKAGE}-{_version()}.dist-info"


def _write_dist_info(folder: str) -> dict[str, bytes]:
    files = {
        "METADATA": _metadata().encode(),
        "WHEEL": (f"Wheel-Version: 1.0\nGenerator: {PACKAGE} ({__name__})\n"
                  f"Root-Is-Purelib: false\nTag: {_tag()}\n").encode(),
    }
    with open(os.path.join(SOURCE, "COPYING"), "rb") as file:
        files["COPYING"] = file.read()
    os.makedirs(folder, exist_ok=True)
    for name, data in files.items():
        with open(os.path.join(folder, name), "wb") as file:
            file.write(data)
    return files


def _run(command: list[str]) -> None:
    print("marovane_wheel:", " ".join(command), flush=True)
    status = subprocess.run(command, cwd=SOURCE).returncode
    if status != 0:
        raise RuntimeError(f"{command[0]} failed with status {status}: {' '.join(command)}")


def _build_module(settings: dict | None) -> str:
    """The package folder of the build tree, after building the module."""
    cmake = shutil.which("cmake")
    if cmake is None:
        raise RuntimeError("cmake is missing: install cmake, g++, pybind11-dev and python3-dev "
                           "(scripts/setup does)")
    build = (settings or {}).get("build-dir") or os.path.join(SOURCE, "build", f"wheel-{_tag()}")
    build = os.path.abspath(build)
    configure = [cmake, "-S", SOURCE, "-B", build, "-DCMAKE_BUILD_TYPE=Release",
                 "-DMAROVANE_PYTHON_ONLY=ON", "-DMAROVANE_BUILD_TESTS=OFF",
                 "-DMAROVANE_BUILD_GUI=OFF", "-DMAROVANE_BUILD_BENCH=OFF",
                 f"-DPython3_EXECUTABLE={sys.executable}"]
    if not os.path.exists(os.path.join(build, "CMakeCache.txt")) and shutil.which("ninja"):
        configure += ["-G", "Ninja"]
    _run(configure)
    _run([cmake, "--build", build, "--target", "_marovane", "--parallel", str(os.cpu_count() or 1)])
    folder = os.path.join(build, "python", PACKAGE)
    if not any(name.startswith("_marovane") and name.endswith(".so") for name in os.listdir(folder)):
        raise RuntimeError(f"{folder}: the build left no compiled module _marovane")
    return folder


def _record_line(name: str, data: bytes) -> str:
    digest = base64.urlsafe_b64encode(hashlib.sha256(data).digest()).rstrip(b"=").decode()
    return f"{name},sha256={digest},{len(data)}"


def get_requires_for_build_wheel(config_settings: dict | None = None) -> list[str]:
    return []


def get_requires_for_build_sdist(config_settings: dict | None = None) -> list[str]:
    return []


def prepare_metadata_for_build_wheel(metadata_directory: str,
                                     config_settings: dict | None = None) -> str:
    _write_dist_info(os.path.join(metadata_directory, _dist_info()))
    return _dist_info()


def build_wheel(wheel_directory: str, config_settings: dict | None = None,
                metadata_directory: str | None = None) -> str:
    folder = _build_module(config_settings)
    entries = {}
    compiled = sorted(name for name in os.listdir(folder)
                      if name.startswith("_marovane") and name.endswith(".so"))
    for name in (*PACKAGE_FILES, *compiled):
        with open(os.path.join(folder, name), "rb") as file:
            entries[f"{PACKAGE}/{name}"] = file.read()
    info = _dist_info()
    staged = os.path.join(wheel_directory, f".{info}")
    for name, data in _write_dist_info(staged).items():
        entries[f"{info}/{name}"] = data
    shutil.rmtree(staged)
    record = [_record_line(name, data) for name, data in entries.items()] + [f"{info}/RECORD,,"]
    entries[f"{info}/RECORD"] = ("\n".join(record) + "\n").encode()
    when = max(int(os.environ.get("SOURCE_DATE_EPOCH", EPOCH_1980)), EPOCH_1980)
    date_time = time.gmtime(when)[:6]
    wheel = f"{PACKAGE}-{_version()}-{_tag()}.whl"
    partial = os.path.join(wheel_directory, wheel + ".part")
    with zipfile.ZipFile(partial, "w", zipfile.ZIP_DEFLATED) as archive:
        for name, data in entries.items():
            entry = zipfile.ZipInfo(name, date_time)
            executable = name.endswith(".so")
            entry.external_attr = (0o100755 if executable else 0o100644) << 16
            entry.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(entry, data)
    os.replace(partial, os.path.join(wheel_directory, wheel))  # never a half-written wheel
    return wheel


def build_sdist(sdist_directory: str, config_settings: dict | None = None) -> str:
    """The sources as git tracks them, with pyproject.toml's backend, in name-version/."""
    listed = subprocess.run(["git", "ls-files", "-z"], cwd=SOURCE, capture_output=True)
    if listed.returncode != 0:
        raise RuntimeError("an archive of the sources needs a git checkout (git ls-files)")
    base = f"{PACKAGE}-{_version()}"
    name = f"{base}.tar.gz"
    partial = os.path.join(sdist_directory, name + ".part")
    with tarfile.open(partial, "w:gz", format=tarfile.PAX_FORMAT) as archive:
        for path in sorted(filter(None, listed.stdout.decode().split("\0"))):
            if os.path.isfile(os.path.join(SOURCE, path)):
                archive.add(os.path.join(SOURCE, path), f"{base}/{path}", recursive=False)
        metadata = _metadata().encode()
        entry = tarfile.TarInfo(f"{base}/PKG-INFO")
        entry.size = len(metadata)
        archive.addfile(entry, io.BytesIO(metadata))
    os.replace(partial, os.path.join(sdist_directory, name))
    return name
