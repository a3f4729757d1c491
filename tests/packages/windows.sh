#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the Windows command line under wine over every reference file, byte for byte: written
# with --output and to standard output in turn, then all over again as one batch per
# aggregation and unit, which also writes over the files of the first pass. In between, a
# file is written over, and a read-only one refused.
#   tests/packages/windows.sh marovane-cli.exe WORK_DIR
set -euo pipefail
exe="$(realpath "$1")"
work="$(realpath -m "$2")"
root="$(cd "$(dirname "$0")/../.." && pwd)"
reference="$root/tests/data/reference/files"

export WINEPREFIX="$work/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
  start=$(date +%s%N)
  wine wineboot --init >/dev/null 2>&1
  wineserver --wait
  echo "wine: first start took $(( ($(date +%s%N) - start) / 1000000 )) ms"
fi
# One server for all the runs: one that is about to leave on its own can drop the next client.
wineserver --persistent
trap 'wineserver --kill' EXIT

out="$work/reference-run"
rm -rf "$out"
mkdir -p "$out"
cd "$out"
aggregations=(daily weekly dekadal monthly)
units=("MJ/m^2/day" "J/cm^2/day" "cal/cm^2/day" "W/m^2" "mm/day" "MJ/m^2/dekad" "mm/dekad")
failures=0
n=0
for file in "$reference"/lat_*_agg*_unit*.csv; do
  name=$(basename "$file")
  [[ "$name" =~ ^lat_(.+)_agg([1-4])_unit([1-7])\.csv$ ]] || { echo "odd name $name" >&2; exit 1; }
  latitude=${BASH_REMATCH[1]} aggregation=${BASH_REMATCH[2]} unit=${BASH_REMATCH[3]}
  # Names and codes in turn, as a user may give them.
  (( n % 2 == 0 )) && aggregation=${aggregations[aggregation - 1]}
  (( n % 3 == 0 )) && unit=${units[unit - 1]}
  args=(--latitude="$latitude" --aggregation "$aggregation" --unit "$unit")
  # Once in a while, soon after wine's first start, a run ends with nothing written and no
  # word; the program's own faults come back on a second run, so one more run tells them apart.
  for attempt in 1 2; do
    status=0
    if (( n % 2 == 0 )); then
      wine "$exe" "${args[@]}" --output "$name" 2>err.txt || status=$?
    else
      wine "$exe" "${args[@]}" >"$name" 2>err.txt || status=$?
    fi
    cmp -s "$name" "$file" && break
    echo "DIFFERS: $name, run $attempt (exit status $status; $(grep -v wine32 err.txt | head -n 1))" >&2
    [[ $attempt == 2 ]] && failures=$((failures + 1))
  done
  n=$((n + 1))
done
echo "wine: $n reference files, $failures differ"

# Writing over a file: a longer one is replaced whole; a read-only one is refused and kept.
expected="$reference/lat_41.9_agg3_unit1.csv"
for attempt in 1 2; do
  printf 'old content, longer than the table.%.0s\r\n' {1..40} >existing.csv
  printf 'kept\r\n' >locked.csv
  chmod a-w locked.csv
  status=0
  wine "$exe" --latitude 41.9 --output existing.csv 2>/dev/null || status=$?
  wine "$exe" --latitude 41.9 --output locked.csv 2>err.txt && status=$((status + 10))
  ok=1
  cmp -s existing.csv "$expected" || ok=0
  [[ "$(cat locked.csv)" == $'kept\r' ]] && grep -q "locked.csv: Permission denied" err.txt || ok=0
  chmod u+w locked.csv
  (( ok )) && break
  echo "DIFFERS: writing over files, run $attempt (exit status $status;" \
    "$(grep -v wine32 err.txt | head -n 1))" >&2
  [[ $attempt == 2 ]] && failures=$((failures + 1))
done
litter=$(ls -A | grep '^\.marovane-' || true)
if [[ -n "$litter" ]]; then
  echo "DIFFERS: temporary files left: $litter" >&2
  failures=$((failures + 1))
fi
(( ok )) && echo "wine: a file replaced, a read-only one refused"

# One batch per aggregation and unit over the reference latitudes: lats<latitude>.out.
latitudes=$(ls "$reference" | sed -n 's/^lat_\(.*\)_agg1_unit1\.csv$/\1/p')
printf '%s\r\n' $latitudes >lats.txt
count=$(wc -w <<<"$latitudes")
batches=0
for aggregation in 1 2 3 4; do
  for unit in 1 2 3 4 5 6 7; do
    log=$(wine "$exe" --batch lats.txt --aggregation $aggregation --unit $unit 2>/dev/null) || true
    grep -q "^$count Files written\.\$" <<<"$log" ||
      { echo "DIFFERS: batch $aggregation $unit: $log" >&2; failures=$((failures + 1)); }
    # Log lines "<n> <latitude as named> <path>", in the order of lats.txt.
    written=($(sed -n 's/^[0-9][0-9]* \([^ ]*\) .*/\1/p' <<<"$log"))
    i=0
    for latitude in $latitudes; do
      output="lats${written[i]:-?}.out"
      if ! cmp -s "$output" "$reference/lat_${latitude}_agg${aggregation}_unit${unit}.csv"; then
        echo "DIFFERS: batch $output, aggregation $aggregation, unit $unit" >&2
        failures=$((failures + 1))
      fi
      i=$((i + 1))
    done
    batches=$((batches + 1))
  done
done
echo "wine: $batches batches of $count latitudes written"
[[ $failures -eq 0 ]]
