#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Python module where Python users install it: a wheel built by python3 -m build, and
# `pip install .` from the sources, each into a fresh virtual environment of Debian's Python
# (numpy from the system), offline; each imports outside the sources and gives the build
# tree's values, bit for bit, and pip removes it again. The sources are left as they were.
#   tests/readers/python-venv.sh build/dev/python WHEEL-BUILD-FOLDER
set -euo pipefail
module="$(realpath "$1")"
wheel_build="$(realpath -m "$2")"  # kept between runs: the second build is incremental
source="$(cd "$(dirname "$0")/../.." && pwd)"
python=/usr/bin/python3

"$python" -c 'import venv, build' 2>/dev/null ||
  { echo "python3-venv or python3-build is missing: run scripts/setup" >&2; exit 1; }

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }

tracked() { git -C "$source" status --porcelain 2>/dev/null || true; }
before=$(tracked)

# The values of a few calls of every kind, as one line: the same in every installation.
probe='
import hashlib, numpy as np, cftime, marovane
calls = [marovane.annual_cycle([-41.9, 0, "41:54:00N"], "pentadal", "W/m^2", "radiation", "fao56"),
         marovane.daily_radiation(67.0761566, np.arange(1, 367), "fao56"),
         marovane.day_length(41.9, [1, 172], "harmonic"),
         marovane.for_dates([[0], [41.9]], ["2024-02-29T12:00",
                            cftime.datetime(2023, 2, 28, calendar="noleap")], "dekadal")]
print(marovane.__version__, hashlib.sha256(b"".join(np.asarray(c).tobytes() for c in calls)).hexdigest())
print(marovane.__file__)'
expected=$(cd "$dir" && PYTHONPATH="$module" "$python" -c "$probe" | sed -n 1p)

check() {  # venv, what installed it
  local got file
  got=$(cd "$dir" && "$1/bin/python" -c "$probe") || { fail "$2: import marovane"; return; }
  file=$(sed -n 2p <<<"$got")
  echo "$2: $(head -1 <<<"$got") from $file"
  [[ "$file" == "$1"/lib/python3*/site-packages/marovane/__init__.py ]] ||
    fail "$2: marovane imported from $file, not from the environment"
  [[ "$(head -1 <<<"$got")" == "$expected" ]] || fail "$2: values differ from the build tree's"
  "$1/bin/python" -m pip uninstall -y -q marovane || fail "$2: pip uninstall"
  [[ ! -e "$(dirname "$file")" ]] || fail "$2: pip uninstall left $(dirname "$file")"
}

# A wheel, as python3 -m build makes it without isolation.
(cd "$source" && "$python" -m build --no-isolation --wheel --outdir "$dir/dist" \
  -C build-dir="$wheel_build" . >"$dir/build.log" 2>&1) ||
  { cat "$dir/build.log" >&2; fail "python3 -m build"; }
wheel=$(ls "$dir"/dist/marovane-*.whl 2>/dev/null | head -1)
if [[ -n "$wheel" ]]; then
  "$python" - "$wheel" <<'PY' || fail "the wheel's RECORD"
import base64, hashlib, sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as wheel:
    names = set(wheel.namelist())
    record = [line.split(",") for line in wheel.read(next(n for n in names if n.endswith("/RECORD"))).decode().splitlines()]
    for name, digest, size in record:
        if not digest:
            continue
        data = wheel.read(name)
        ok = digest == "sha256=" + base64.urlsafe_b64encode(hashlib.sha256(data).digest()).rstrip(b"=").decode()
        assert ok and int(size) == len(data), name
    assert names == {row[0] for row in record}, names ^ {row[0] for row in record}
    assert any(n.startswith("marovane/_marovane.") and n.endswith(".so") for n in names), names
print("wheel:", sys.argv[1].rsplit("/", 1)[1], len(names), "files, RECORD matches")
PY
  "$python" -m venv --system-site-packages "$dir/wheel-env"
  "$dir/wheel-env/bin/python" -m pip install -q --no-index "$wheel" || fail "pip install the wheel"
  check "$dir/wheel-env" "the wheel"
else
  fail "python3 -m build made no wheel"
fi

# pip install . from the sources, with pip's own build isolation: the backend needs nothing.
"$python" -m venv --system-site-packages "$dir/source-env"
(cd "$source" && "$dir/source-env/bin/python" -m pip install -q --no-index \
  --config-settings build-dir="$wheel_build" . >"$dir/pip.log" 2>&1) ||
  { cat "$dir/pip.log" >&2; fail "pip install ."; }
check "$dir/source-env" "pip install ."

[[ "$(tracked)" == "$before" ]] || fail "the sources changed: $(tracked)"
exit $failed
