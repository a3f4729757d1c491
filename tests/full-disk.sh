#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A user's file in a folder where that user may create nothing, on a full disk: writing it
# fails, says so, and leaves the file as it was; with room again it is rewritten in place.
# Needs root, to mount a 64 KiB tmpfs and to act as nobody; exit status 77 (skipped) without.
#   tests/full-disk.sh marovane-cli
set -euo pipefail
cli="$(realpath "$1")"
[[ $(id -u) -eq 0 ]] || { echo "skipped: needs root"; exit 77; }
as_nobody=(setpriv --reuid=65534 --regid=65534 --clear-groups)
scratch=$(mktemp -d)
disk="$scratch/disk"
mkdir "$disk"
trap 'umount "$disk" 2>/dev/null || true; rm -rf "$scratch"' EXIT
mount -t tmpfs -o size=64k,mode=755 tmpfs "$disk" 2>/dev/null ||
  { echo "skipped: cannot mount a tmpfs"; exit 77; }
chmod 755 "$scratch"
if ! "${as_nobody[@]}" test -x "$cli"; then
  cp "$cli" "$scratch/marovane-cli"
  cli="$scratch/marovane-cli"
fi

mkdir -m 755 "$disk/rod"
seq -f 'keep %g' 1 84 >"$disk/rod/keep.csv"
chown 65534:65534 "$disk/rod/keep.csv"
cp "$disk/rod/keep.csv" "$scratch/before.csv"
dd if=/dev/zero of="$disk/fill" bs=4k 2>/dev/null || true

status=0
"${as_nobody[@]}" "$cli" --latitude 41.9 --aggregation daily -o "$disk/rod/keep.csv" \
  2>"$scratch/err.txt" || status=$?
failures=0
fail() { echo "FAILED: $*" >&2; failures=$((failures + 1)); }
[[ $status -eq 1 ]] || fail "exit status $status on a full disk, not 1"
grep -qF "Cannot write $disk/rod/keep.csv: No space left on device" "$scratch/err.txt" ||
  fail "message: $(cat "$scratch/err.txt")"
cmp -s "$disk/rod/keep.csv" "$scratch/before.csv" || fail "keep.csv changed on a full disk"
[[ "$(ls -A "$disk/rod")" == keep.csv ]] || fail "rod holds $(ls -A "$disk/rod")"

rm "$disk/fill"
"${as_nobody[@]}" "$cli" --latitude 41.9 --aggregation daily -o "$disk/rod/keep.csv" 2>/dev/null ||
  fail "no write with room again"
"$cli" --latitude 41.9 --aggregation daily | cmp -s - "$disk/rod/keep.csv" ||
  fail "keep.csv is not the daily table"
[[ "$(stat -c %u:%a "$disk/rod/keep.csv")" == 65534:644 ]] || fail "keep.csv lost owner or mode"
[[ $failures -eq 0 ]] && echo "full disk: keep.csv kept, then rewritten in place"
