#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks the Debian package as a user gets it: the files it holds, its fields, lintian, and
# the programs run from the package unpacked into a temporary folder.
#   tests/packages/deb.sh PACKAGE.deb PROBE_PLUGIN_DIR
set -euo pipefail
deb="$(realpath "$1")"
probe="$(realpath "$2")"
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
)
contents="$(dpkg-deb -c "$deb")"
for file in "${expected[@]}"; do
  grep -q " \./$file\$" <<<"$contents" || fail "the package lacks /$file"
done
grep -v -q ' root/root ' <<<"$contents" && fail "files not owned by root: $(grep -v ' root/root ' <<<"$contents")"

field() { dpkg-deb -f "$deb" "$1"; }
[[ "$(field Section)" == science ]] || fail "Section is '$(field Section)'"
for dependency in fonts-liberation2 libqt6widgets6 libnetcdf19 libc6; do
  grep -q "\b$dependency\b" <<<"$(field Depends)" || fail "Depends lacks $dependency: $(field Depends)"
done

if ! lintian --fail-on error "$deb" 2>/dev/null; then
  fail "lintian reports errors"
fi

unpacked="$(mktemp -d)"
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
for program in marovane marovane-cli; do
  file "$unpacked/usr/bin/$program" | grep -q ', stripped' || fail "$program is not stripped"
  gzip -t "$unpacked/usr/share/man/man1/$program.1.gz" || fail "$program.1.gz is damaged"
done
desktop-file-validate "$unpacked/usr/share/applications/$id.desktop" || fail "desktop entry"
appstreamcli validate --no-net --explain "$unpacked/usr/share/metainfo/$id.metainfo.xml" >/dev/null ||
  fail "metainfo: $(appstreamcli validate --no-net "$unpacked/usr/share/metainfo/$id.metainfo.xml")"

# The command line, from the unpacked package, on a reference case.
cd "$unpacked"
if ! usr/bin/marovane-cli --latitude -41.9 --aggregation monthly --unit mm/day >cli.csv 2>cli.err; then
  fail "marovane-cli: $(cat cli.err)"
fi
cmp -s cli.csv "$reference/lat_-41.9_agg4_unit5.csv" || fail "marovane-cli does not write the reference file"

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
echo "package checks passed: $(basename "$deb")"
