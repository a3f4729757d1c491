#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the Windows command line under wine over every reference file, byte for byte: written
# with --output and to standard output in turn, then all over again as one batch per
# aggregation and unit, which also writes over the files of the first pass. In between, a
# file is written over, and a read-only one refused. Then names that wine's ANSI code page
# (1252) cannot hold, in Greek, Japanese and accented letters: files written and read under
# their own names, and shown as they are.
#   tests/packages/windows.sh marovane-cli.exe WORK_DIR
set -euo pipefail
exe="$(realpath "$1")"
work="$(realpath -m "$2")"
root="$(cd "$(dirname "$0")/../.." && pwd)"
reference="$root/tests/data/reference/files"

# Names are UTF-8 for the shell (characters cut by ${name%????}) and for wine.
export LC_ALL=C.UTF-8
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

# Names outside the code page. The narrow arguments would turn Ω into O and 日本 into ??;
# the wide ones reach the files. Every check reports what it saw; messages on standard error
# end in CR LF there.
check() {  # check DESCRIPTION COMMAND...
  local what=$1
  shift
  if ! "$@"; then
    echo "DIFFERS: $what" >&2
    failures=$((failures + 1))
  fi
}
expected="$reference/lat_41.9_agg3_unit1.csv"
southern="$reference/lat_-41.9_agg3_unit1.csv"
unicode="$work/unicode-run/données"
rm -rf "$work/unicode-run"
mkdir -p "$unicode"
cd "$unicode"
for name in "Ωmega.csv" "日本.csv" "été à Zürich.csv"; do
  status=0
  wine "$exe" --latitude 41.9 --output "$name" 2>err.txt || status=$?
  check "--output $name: exit status $status, $(head -n 1 err.txt)" \
    grep -qxF "Data correctly written to $name" <(tr -d '\r' <err.txt)
  check "--output $name: the file" cmp -s "$name" "$expected"
done
check "no file under a code-page name: $(ls)" test ! -e Omega.csv -a ! -e "??.csv"
# Backslashes as Windows writes them, once each.
wine "$exe" --latitude 41.9 --output 'nowhere\Ωmega.csv' 2>err.txt || true
check "message of a missing folder: $(head -n 1 err.txt)" \
  grep -qxF 'Cannot write nowhere\Ωmega.csv: No such file or directory' <(tr -d '\r' <err.txt)

# A batch input of the same name as a code-page one beside it: the right one is read, and
# its files are named after it, 4 characters cut ("日本.δατ" gives "日本41.9.out").
printf '10\r\n' >Omega.txt
for input in "Ωmega.txt" "日本.δατ" "été.txt"; do
  printf '41.9\r\n-41.9\r\n' >"$input"
  stem=${input%????}
  status=0
  wine "$exe" --batch "$input" >log.txt 2>err.txt || status=$?
  first=$(winepath -w "$unicode/${stem}41.9.out" 2>/dev/null)
  second=$(winepath -w "$unicode/${stem}-41.9.out" 2>/dev/null)
  printf '1 41.9 %s\n2 -41.9 %s\n2 Files written.\n' "$first" "$second" >expected-log.txt
  check "--batch $input: exit status $status, log $(head -n 1 log.txt)" \
    cmp -s log.txt expected-log.txt
  check "--batch $input: ${stem}41.9.out" cmp -s "${stem}41.9.out" "$expected"
  check "--batch $input: ${stem}-41.9.out" cmp -s "${stem}-41.9.out" "$southern"
done
check "no file from the code-page input: $(ls)" test ! -e Omega10.out
wine "$exe" --batch "Ωmissing.txt" >log.txt 2>err.txt || true
missing=$(winepath -w "$unicode/Ωmissing.txt" 2>/dev/null)
check "log of a missing input: $(head -n 1 log.txt)" \
  grep -qxF "Cannot read $missing: No such file or directory" log.txt

# On a console the text goes as UTF-16 and shows whole: the console is wine's, on a terminal.
# Wine draws it with cursor moves between the characters, which go before the search.
console=$(script -qec "wine '$exe' --latitude 41.9 --output 'Ωmega-console.csv'" /dev/null \
  </dev/null | sed 's/\x1b\[[0-9;?]*[A-Za-z]//g') || true
check "the console shows the name: $console" grep -qF "Ωmega-console.csv" <<<"$console"
echo "wine: names outside the code page written, read and shown"

# The zip as a Windows user unpacks it: the program, its licence, the help text and a README
# of its own (not the developers'), whose examples run as written. --help and the refusals
# name only the tables this program writes.
zip=$(ls "$work"/marovane-*-windows-x86_64.zip)
rm -rf "$work/zip-run"
mkdir -p "$work/zip-run"
/usr/bin/python3 -m zipfile -e "$zip" "$work/zip-run"
cd "$work/zip-run"/marovane-*-windows-x86_64
listed=$(ls | tr '\n' ' ')
check "the zip holds $listed" test "$listed" = "COPYING Marovane.txt README.txt marovane-cli.exe "
version=$(wine ./marovane-cli.exe --version 2>/dev/null | tr -d '\r')
readme=""
[[ -f README.txt ]] && readme=$(tr -d '\r' <README.txt)
crlf() { [[ -f README.txt && $(grep -c $'\r$' README.txt) -eq $(wc -l <README.txt) ]]; }
check "README.txt: its lines end in CR LF" crlf
check "README.txt: not for ${version#marovane-cli }" grep -qF "Marovane ${version#marovane-cli } for Windows" <<<"$readme"
for part in "marovane-cli.exe --help" "GPL-3.0-or-later" "COPYING"; do
  check "README.txt: no $part" grep -qF "$part" <<<"$readme"
done
for part in "scripts/" "build/" "cmake" "apt-get" ".nc"; do
  check "README.txt: a developer's $part" test "$(grep -cF "$part" <<<"$readme")" -eq 0
done
examples=0
while read -r line; do
  read -ra args <<<"${line#marovane-cli.exe}"
  status=0
  wine ./marovane-cli.exe "${args[@]}" >out.txt 2>err.txt || status=$?
  check "README.txt: '$line' gives exit status $status ($(head -n 1 err.txt))" test $status -eq 0
  examples=$((examples + 1))
done < <(sed -n 's/^    \(marovane-cli\.exe .*\)$/\1/p' <<<"$readme")
check "README.txt: $examples examples" test $examples -ge 3
help=$(wine ./marovane-cli.exe --help 2>/dev/null | tr -d '\r')
check "--help: no --table *.csv" grep -qF "a name ending in .csv" <<<"$help"
for part in ".nc" "NetCDF"; do
  check "--help: names $part" test "$(grep -cF "$part" <<<"$help")" -eq 0
done
# Each refusal: its arguments, then the words of its message.
refusals=(
  "--table t.nc|writes no NetCDF; give a name ending in .csv."
  "--table t.txt|'t.txt' does not end in .csv (comma-separated)"
  "-l 1 -l 2|add --table PATH (a name ending in .csv, or - for standard output)"
)
for refusal in "${refusals[@]}"; do
  read -ra args <<<"-l 41.9 ${refusal%%|*}"
  status=0
  wine ./marovane-cli.exe "${args[@]}" >/dev/null 2>err.txt || status=$?
  check "${refusal%%|*}: exit status $status, $(head -n 1 err.txt)" \
    grep -qF "${refusal#*|}" <(tr -d '\r' <err.txt)
  check "${refusal%%|*}: exit status $status" test $status -eq 2
done
check "a refused table left a file: $(ls)" test ! -e t.nc -a ! -e t.txt
echo "wine: the zip's README, its $examples examples, and --help with CSV tables only"
[[ $failures -eq 0 ]]
