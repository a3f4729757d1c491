#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks the Debian packages as a user gets them: the files they hold, their fields, lintian,
# and the programs and the Python module run from the packages unpacked into a temporary folder.
#   tests/packages/deb.sh PACKAGE.deb PROBE_PLUGIN_DIR PYTHON_PACKAGE.deb
set -euo pipefail
deb="$(realpath "$1")"
probe="$(realpath "$2")"
python_deb="$(realpath "$3")"
root="$(cd "$(dirname "$0")/../.." && pwd)"
reference="$root/tests/data/reference/files"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

id=org.example.Marovane
expected=(
  usr/bin/marovane usr/bin/marovane-cli usr/share/marovane/Marovane.txt
  "usr/share/applications/$id.desktop" "usr/share/icons/hicolor/scalable/apps/$id.svg"
  "usr/share/metainfo/$id.metainfo.xml"
  usr/share/man/man1/marovane.1.gz usr/share/man/man1/marovane-cli.1.gz
  usr/share/doc/marovane/copyright usr/share/doc/marovane/changelog.gz
  usr/lib/x86_64-linux-gnu/marovane/marovane-netcdf.so
)
contents="$(dpkg-deb -c "$deb")"
for file in "${expected[@]}"; do
  grep -q " \./$file\$" <<<"$contents" || fail "the package lacks /$file"
done
grep -v -q ' root/root ' <<<"$contents" && fail "files not owned by root: $(grep -v ' root/root ' <<<"$contents")"
grep -q 'python3' <<<"$contents" && fail "the programs' package holds Python files"

# The Python module's package: the module and its documents, nothing else, no bytecode.
module=usr/lib/python3/dist-packages/marovane
python_expected=(
  "$module/__init__.py" "$module/_marovane.pyi" "$module/py.typed"
  usr/share/doc/python3-marovane/copyright usr/share/doc/python3-marovane/changelog.gz
)
python_contents="$(dpkg-deb -c "$python_deb")"
for file in "${python_expected[@]}"; do
  grep -q " \./$file\$" <<<"$python_contents" || fail "the Python package lacks /$file"
done
grep -q " \./$module/_marovane\.cpython-[0-9]*-x86_64-linux-gnu\.so\$" <<<"$python_contents" ||
  fail "the Python package lacks the compiled module"
[[ $(grep -c -v '/$' <<<"$python_contents") -eq $((${#python_expected[@]} + 1)) ]] ||
  fail "the Python package holds other files: $(grep -v '/$' <<<"$python_contents")"
grep -v -q ' root/root ' <<<"$python_contents" && fail "Python files not owned by root"
[[ "$(dpkg-deb -f "$python_deb" Package)" == python3-marovane ]] || fail "Python package name"
[[ "$(dpkg-deb -f "$python_deb" Section)" == python ]] || fail "Python package section"
python_depends="$(dpkg-deb -f "$python_deb" Depends)"
for dependency in python3 python3-numpy libc6 libstdc++6; do
  sed 's/, /\n/g' <<<"$python_depends" | awk '{print $1}' | grep -qxF "$dependency" ||
    fail "the Python package's Depends lacks $dependency: $python_depends"
done
python_recommends="$(dpkg-deb -f "$python_deb" Recommends)"
for recommended in python3-pandas python3-xarray python3-cftime; do
  sed 's/, /\n/g' <<<"$python_recommends" | grep -qxF "$recommended" ||
    fail "the Python package's Recommends lacks $recommended: $python_recommends"
done

field() { dpkg-deb -f "$deb" "$1"; }
[[ "$(field Section)" == science ]] || fail "Section is '$(field Section)'"
for dependency in fonts-liberation2 libqt6widgets6 libnetcdf19 libc6; do
  grep -q "\b$dependency\b" <<<"$(field Depends)" || fail "Depends lacks $dependency: $(field Depends)"
done

for package in "$deb" "$python_deb"; do
  if ! lintian --fail-on error "$package" 2>/dev/null; then
    fail "lintian reports errors in $(basename "$package")"
  fi
done

unpacked="$(mktemp -d)"
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
dpkg-deb -x "$python_deb" "$unpacked"
file "$unpacked/$module"/_marovane.*.so | grep -q ', stripped' || fail "the Python module is not stripped"
for program in marovane marovane-cli; do
  file "$unpacked/usr/bin/$program" | grep -q ', stripped' || fail "$program is not stripped"
  gzip -t "$unpacked/usr/share/man/man1/$program.1.gz" || fail "$program.1.gz is damaged"
done
file "$unpacked/usr/lib/x86_64-linux-gnu/marovane/marovane-netcdf.so" | grep -q ', stripped' ||
  fail "the NetCDF module is not stripped"
# The netCDF library is loaded only to write a NetCDF table, not at every start.
readelf -d "$unpacked/usr/bin/marovane-cli" | grep -q 'NEEDED.*libnetcdf' &&
  fail "marovane-cli loads the netCDF library at start"
desktop-file-validate "$unpacked/usr/share/applications/$id.desktop" || fail "desktop entry"
appstreamcli validate --no-net --explain "$unpacked/usr/share/metainfo/$id.metainfo.xml" >/dev/null ||
  fail "metainfo: $(appstreamcli validate --no-net "$unpacked/usr/share/metainfo/$id.metainfo.xml")"

# The command line, from the unpacked package, on a reference case.
cd "$unpacked"
if ! usr/bin/marovane-cli --latitude -41.9 --aggregation monthly --unit mm/day >cli.csv 2>cli.err; then
  fail "marovane-cli: $(cat cli.err)"
fi
cmp -s cli.csv "$reference/lat_-41.9_agg4_unit5.csv" || fail "marovane-cli does not write the reference file"
# Its NetCDF module, found beside it wherever the package is unpacked.
if ! usr/bin/marovane-cli --grid -1:1:1 --table cli.nc 2>cli.err || [[ ! -s cli.nc ]]; then
  fail "marovane-cli --table cli.nc: $(cat cli.err)"
fi

# The Python module, from the unpacked package, on the same case, by Debian's python3.
if ! PYTHONPATH="$unpacked/usr/lib/python3/dist-packages" PYTHONDONTWRITEBYTECODE=1 /usr/bin/python3 -c '
import sys, marovane
assert marovane.__file__.startswith(sys.argv[1]), marovane.__file__
lines = open(sys.argv[2]).read().splitlines()[1:]
expected = [float(line.split(", ")[2]) for line in lines]
assert marovane.annual_cycle(-41.9, "monthly", "mm/day").tolist() == expected
' "$unpacked" "$reference/lat_-41.9_agg4_unit5.csv" 2>python.err; then
  fail "import marovane from the package: $(cat python.err)"
fi

# The window, offscreen, chooses Help: the help window must list the installed help text
# line for line, and the window must have its icon.
if ! QT_QPA_PLATFORM=offscreen QT_PLUGIN_PATH="$probe" QT_QPA_GENERIC_PLUGINS=marovanehelpprobe \
    timeout 60 usr/bin/marovane >help.txt 2>window.err; then
  fail "the window's Help: $(grep -v '^This plugin does not support\|XDG_RUNTIME_DIR' window.err)"
fi
cmp -s help.txt usr/share/marovane/Marovane.txt ||
  fail "the help window does not list usr/share/marovane/Marovane.txt ($(wc -l <help.txt) lines)"
grep -q '^window icon: drawn$' window.err || fail "the window has no icon"

if [[ $failures -gt 0 ]]; then
  echo "$failures package checks failed" >&2
  exit 1
fi
echo "package checks passed: $(basename "$deb"), $(basename "$python_deb")"
