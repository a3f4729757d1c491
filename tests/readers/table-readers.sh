#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The tables of many latitudes as their users' own programs read them: pandas and xarray (with
# netCDF4 and cftime) from Debian's Python, CDO's sinfo, outputtab and ymonmean, and UDUNITS-2
# for every unit the files give. With the folder of the Python module, its to_dataset written
# by xarray goes through CDO too. Installs nothing: scripts/setup does.
#   tests/readers/table-readers.sh path/to/marovane-cli [path/to/the/module's/folder]
set -euo pipefail
cli="$(realpath "$1")"
module="${2:+$(realpath "$2")}"
python=/usr/bin/python3  # Debian's, with python3-xarray, python3-netcdf4 and python3-pandas

for tool in "$python" cdo udunits2 cmp; do
  command -v "$tool" >/dev/null || { echo "$tool is missing: run scripts/setup" >&2; exit 1; }
done
"$python" -c 'import xarray, netCDF4, pandas, cftime' ||
  { echo "xarray, netCDF4, pandas or cftime is missing from $python: run scripts/setup" >&2; exit 1; }

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }

# Every unit's attribute parses, and converts to what it says it is.
units=("MJ/m^2/day" "J/cm^2/day" "cal/cm^2/day" "W/m^2" "mm/day" "MJ/m^2/dekad" "mm/dekad")
for aggregation in dekadal monthly; do
  for unit in "${units[@]}" daylength; do
    args=(--unit "$unit")
    [[ "$unit" == daylength ]] && args=(--quantity daylength)
    "$cli" -l 41.9 -a "$aggregation" "${args[@]}" --table u.nc 2>/dev/null
    read -r name value < <("$python" -c '
import netCDF4
d = netCDF4.Dataset("u.nc")
v = [d[n] for n in d.variables if "cell_methods" in d[n].ncattrs()][0]
print(v.name, v.units)')
    case "$value" in
      h) want=s ;;
      mm) want=m ;;
      "MJ m-2") want="J m-2" ;;
      mm*) want="m s-1" ;;
      *) want="W m-2" ;;
    esac
    if ! message=$(udunits2 -H "$value" -W "$want" </dev/null 2>&1) ||
       [[ "$message" == *"not convertible"* || "$message" == *"recognize"* ]]; then
      fail "$aggregation $unit: units \"$value\" of $name: $message"
    fi
    echo "$aggregation $unit: $name in \"$value\" is $(head -1 <<<"$message" | sed 's/^ *//')"
  done
done
# W/m^2 says how far its factor 11.6 lies from the one UDUNITS-2 converts with.
exact=$(udunits2 -H "MJ m-2 day-1" -W "W m-2" </dev/null | sed -n 's/.*= \([0-9.]*\) .*/\1/p')
"$cli" -l 41.9 -u W/m^2 --table watts.nc 2>/dev/null
"$python" - "$exact" <<'EOF' || fail "W/m^2: the comment on the factor"
import sys, netCDF4
exact = float(sys.argv[1])
comment = netCDF4.Dataset("watts.nc")["radiation"].comment
print(f"udunits2: 1 MJ m-2 day-1 = {exact} W m-2; the file: {comment}")
for part in ("factor 11.6", f"{(11.6 / exact - 1) * 100:.2f} % above", f"= {exact:.3f}"):
    if part not in comment:
        raise SystemExit(f"{part!r} is not in {comment!r}")
EOF

# The grid of the user who wants every 0.5 degree band: CSV and NetCDF hold the same numbers,
# pandas reads the CSV with no options, xarray the NetCDF file, CDO both its files.
"$cli" --grid -89.75:89.75:0.5 --table bands.csv 2>/dev/null
"$cli" --grid -89.75:89.75:0.5 --table bands.nc 2>/dev/null
"$cli" --grid -89.75:89.75:0.5 --table again.nc 2>/dev/null
cmp bands.nc again.nc || fail "the same command wrote other bytes"
"$cli" --grid=-89.75:89.75:0.5 --layout long --table long.csv 2>/dev/null
"$cli" -l 0 -l 41.9 --dates 2023-01-01/2024-12-31 -a daily -u mm/day --table dates.csv 2>/dev/null
"$cli" -l 0 -l 41.9 --dates 2023-01-01/2024-12-31 -a daily -u mm/day --table dates.nc 2>/dev/null
"$cli" -l -33.8675 --dates 2024-02-01/2024-03-31 -a dekadal -u mm/dekad --table dekads.nc 2>/dev/null
"$cli" -l -33.8675 --dates 2024-02-01/2024-03-31 -a dekadal -u mm/dekad --table dekads.csv 2>/dev/null
# Latitudes given in any order make an ascending lat, which xarray selects by; a repeat is
# refused and writes nothing.
"$cli" -l 41.9 -l 10 -l -33.8675 --table order.nc 2>/dev/null
"$cli" -l 41.9 -l 10 -l -33.8675 --table order.csv 2>/dev/null
"$cli" -l 41.9 -l 10 -l -33.8675 -a daily --dates 2024-12-30/2024-12-31 --table dated-order.nc \
  2>/dev/null
# The 365-day year by day, month and pentad, for the grouping by month of xarray and CDO.
for aggregation in daily monthly pentadal; do
  "$cli" -l -33.8675 -l 0 -l 41.9 -l 90 -a "$aggregation" --table "$aggregation.nc" 2>/dev/null
  "$cli" -l -33.8675 -l 0 -l 41.9 -l 90 -a "$aggregation" --table "$aggregation.csv" 2>/dev/null
done
if [[ -n "$module" ]]; then
  PYTHONPATH="$module" "$python" -c '
import marovane
marovane.to_dataset([-33.8675, 0, 41.9, 90], "daily").to_netcdf("dataset.nc")' ||
    fail "to_dataset(...).to_netcdf()"
fi
status=0
"$cli" -l 41.9 -l 10 -l 41.9 --table repeated.nc 2>/dev/null || status=$?
[[ $status == 2 && ! -e repeated.nc ]] || fail "a repeated latitude: status $status, or a file"

"$python" - <<'EOF' || failed=1
import numpy as np
import pandas as pd
import xarray as xr

problems = []
def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what)
    if not condition:
        problems.append(what)

wide = pd.read_csv("bands.csv", index_col=0)
check(wide.shape == (360, 36), f"pandas: bands.csv is 360 x 36 ({wide.shape})")
check(wide.index.name == "extraterrestrial Radiation MJ/m^2/day (method harmonic)",
      f"index name {wide.index.name!r}")
check(list(wide.columns[:2]) == ["Dekad 1", "Dekad 2"], f"columns {list(wide.columns[:2])}")
check(all(t == np.float64 for t in wide.dtypes), "every column float64")

ds = xr.open_dataset("bands.nc")
print(ds)
check(ds.radiation.dims == ("time", "lat", "lon"), f"dims {ds.radiation.dims}")
check(ds.lat.dtype == np.float32 and ds.lat.attrs["units"] == "degrees_north", "lat")
check(ds.lon.values.tolist() == [0] and ds.lon.attrs["units"] == "degrees_east", "one lon, 0")
check(np.array_equal(ds.lat.values.astype(np.float64), wide.index.values),
      "xarray's latitudes are the CSV's")
check(np.array_equal(ds.radiation.isel(lon=0).values.T, wide.values),
      "xarray's values are the CSV's, exactly")
check(ds.indexes["time"].calendar == "noleap", f"calendar {ds.indexes['time'].calendar}")
bounds = ds[ds.time.attrs["bounds"]].values
check([str(b) for b in bounds[0]] == ["0001-01-01 00:00:00", "0001-01-11 00:00:00"] and
      [str(b) for b in bounds[-1]] == ["0001-12-21 00:00:00", "0002-01-01 00:00:00"],
      f"dekad bounds {bounds[0]} {bounds[-1]}")
check(ds.attrs["Conventions"] == "CF-1.8" and "Marovane" in ds.attrs["source"], "global")
check(ds.radiation.sel(lat=41.75).isel(time=17 - 1, lon=0).item() == wide.loc[41.75, "Dekad 17"],
      "select by latitude, and period n as time index n - 1")
july = ds.radiation.sel(time="0001-07", lat=41.75).isel(lon=0).values
check(july.tolist() == wide.loc[41.75, ["Dekad 19", "Dekad 20", "Dekad 21"]].tolist(),
      "sel(time=\"0001-07\"): the dekads of July")

# Days grouped by month make the monthly table, both rounded to 3 decimals.
daily = xr.open_dataset("daily.nc")
print(daily)
months = daily.radiation.groupby("time.month").mean().isel(lon=0).values.T
monthly = pd.read_csv("monthly.csv", index_col=0)
worst = np.abs(months - monthly.values).max()
check(months.shape == monthly.shape and worst <= 0.001 + 1e-12,
      f"groupby(\"time.month\") of the days = the monthly table, within {worst:.4f}")
check(np.array_equal(daily.radiation.isel(lon=0).values.T,
                     pd.read_csv("daily.csv", index_col=0).values), "daily.nc = daily.csv")
check(np.array_equal(xr.open_dataset("monthly.nc").radiation.isel(lon=0).values.T,
                     monthly.values), "monthly.nc = monthly.csv")
pentads = xr.open_dataset("pentadal.nc")
check(pentads.radiation.groupby("time.month").count().isel(lat=0, lon=0).values.tolist() ==
      [6] * 12, "six pentads in each month")
check(np.array_equal(pentads.radiation.isel(lon=0).values.T,
                     pd.read_csv("pentadal.csv", index_col=0).values), "pentadal.nc = pentadal.csv")

long = pd.read_csv("long.csv", index_col=0)
check(long.shape == (360 * 36, 2), f"long layout {long.shape}")
check(np.array_equal(long.iloc[:, 1].values.reshape(360, 36), wide.values), "long = wide")

dates = pd.read_csv("dates.csv", index_col=0, parse_dates=True)
dd = xr.open_dataset("dates.nc")
print(dd)
check(dd.radiation.dims == ("time", "lat"), f"dims {dd.radiation.dims}")
check(dd.time.size == 731, f"731 days in 2023-2024 ({dd.time.size})")
check(pd.Timestamp("2024-02-29") in dd.indexes["time"], "29 February 2024 is there")
check(pd.Timestamp(dd.time.values[-1]) == pd.Timestamp("2024-12-31"), "31 December 2024 ends it")
for lat in (0, 41.9):
    csv = dates[dates["Latitude"] == lat].iloc[:, 1]
    nc = dd.radiation.sel(lat=np.float32(lat)).to_series()
    check(np.array_equal(csv.index.values, nc.index.values) and np.array_equal(csv.values, nc.values),
          f"dates.nc = dates.csv at {lat}")

dk = xr.open_dataset("dekads.nc")
tb = dk[dk.time.attrs["bounds"]].values
days = (tb[:, 1] - tb[:, 0]) / np.timedelta64(1, "D")
check(days.tolist() == [10, 10, 9, 10, 10, 11], f"dekads of February and March 2024: {days}")
check(dk.radiation.attrs["cell_methods"] == "time: sum" and dk.radiation.attrs["units"] == "mm",
      "a dekad in mm/dekad is its own total")
check(np.array_equal(dk.radiation.values[:, 0],
                     pd.read_csv("dekads.csv", index_col=0).iloc[:, 1].values), "dekads.nc = csv")
order = xr.open_dataset("order.nc")
check(order.lat.values.tolist() == [np.float32(-33.8675), np.float32(10), np.float32(41.9)],
      f"lat ascending: {order.lat.values}")
check(order.indexes["lat"].is_monotonic_increasing and order.indexes["lat"].is_unique,
      "lat strictly monotonic")
north = order.radiation.sel(lat=slice(0, 50))
check(north.lat.values.tolist() == [np.float32(10), np.float32(41.9)], "sel(lat=slice(0, 50))")
given = pd.read_csv("order.csv", index_col=0)
check(given.index.tolist() == [41.9, 10, -33.8675], "the CSV keeps the order given")
check(np.array_equal(north.sel(lat=np.float32(41.9)).isel(lon=0).values, given.loc[41.9].values),
      "each latitude keeps its own values")
check(ds.radiation.sel(lat=slice(0, 50)).lat.size == 100, "bands.nc: 100 bands in 0..50")
do = xr.open_dataset("dated-order.nc")
check(do.radiation.sel(lat=slice(0, 50)).lat.size == 2, "dated table: sel(lat=slice(0, 50))")
if problems:
    raise SystemExit(1)
EOF

for file in bands.nc dates.nc; do
  echo "cdo sinfo $file:"
  if ! cdo -s sinfo "$file" >sinfo.txt 2>&1; then
    fail "cdo sinfo $file"
  fi
  head -n 14 sinfo.txt
done
grep -q "points=360 (1x360)" < <(cdo -s sinfo bands.nc 2>&1) || fail "cdo: bands.nc grid"
grep -q "36 steps" < <(cdo -s sinfo bands.nc 2>&1) || fail "cdo: bands.nc time"
grep -q "72 steps" < <(cdo -s sinfo pentadal.nc 2>&1) || fail "cdo: pentadal.nc time"
grep -q "731 steps" < <(cdo -s sinfo dates.nc 2>&1) || fail "cdo: dates.nc time"

# The 365-day year by day, as written and (with the module) through xarray: CDO reads its grid
# and calendar without a word, lists it by date and makes its monthly means.
files=(daily.nc)
[[ -n "$module" ]] && files+=(dataset.nc)
for file in "${files[@]}"; do
  for call in sinfo outputtab,date,lat,value ymonmean; do
    output="$call.txt"
    args=("$file")
    [[ $call == ymonmean ]] && args+=("ymonmean-$file") && output=/dev/null
    if ! cdo -s "$call" "${args[@]}" >"$output" 2>cdo-errors.txt || [[ -s cdo-errors.txt ]]; then
      fail "cdo $call $file: $(cat cdo-errors.txt)"
    fi
  done
  grep -q "Calendar = 365_day" sinfo.txt || fail "cdo sinfo $file: not a 365-day calendar"
  cdo -s outputtab,date,lat,value "ymonmean-$file" >ymonmean.txt 2>/dev/null
  echo "cdo outputtab,date,lat,value $file:"
  sed -n '1,3p;$p' outputtab,date,lat,value.txt
  echo "cdo ymonmean $file, then outputtab:"
  sed -n '1,5p' ymonmean.txt
  "$python" - "$file" <<'EOF' || fail "cdo $file: the dates and values"
import sys
import numpy as np
import pandas as pd
def table(path):
    rows = pd.read_csv(path, sep=r"\s+", comment="#", names=["date", "lat", "value"])
    return rows.pivot(index="lat", columns="date", values="value")
days = table("outputtab,date,lat,value.txt")
csv = pd.read_csv("daily.csv", index_col=0)
assert days.columns[0] == "0001-01-01" and days.columns[-1] == "0001-12-31", days.columns
assert days.shape == csv.shape and np.array_equal(days.values, csv.values), "outputtab's values"
months = table("ymonmean.txt")
worst = np.abs(months.values - pd.read_csv("monthly.csv", index_col=0).values).max()
assert months.shape == (4, 12) and worst <= 0.001 + 1e-12, f"ymonmean {months.shape}, {worst}"
print(f"{sys.argv[1]}: outputtab = daily.csv; ymonmean = monthly.csv within {worst:.4f}")
EOF
done

# Stations by name: a list as a spreadsheet saves it (byte order mark, semicolons, a quoted name,
# a latitude in degrees, two stations at one latitude). pandas takes the identifiers for its
# index, xarray station_id as texts, and CDO the stations as the points of its grid.
printf '\xef\xbb\xbfStation;Latitude;Longitude\r\n"Roma; Urbe";41.9;12.5\r\nSydney;33:52:03S;151.2\r\nZürich;47.4;8.5\r\nOstia;41.9;12.3\r\n' \
  >stations.csv
"$cli" --stations stations.csv -a monthly --table stations-table.csv 2>/dev/null
"$cli" --stations stations.csv -a monthly --table stations-table.nc 2>/dev/null
"$cli" --stations stations.csv --dates 2023-01-01/2024-12-31 --table stations-dates.csv 2>/dev/null
"$cli" --stations stations.csv --dates 2023-01-01/2024-12-31 --table stations-dates.nc 2>/dev/null
printf 'id,lat\nA,1\nA,2\n' >twice.csv
status=0
"$cli" --stations twice.csv --table twice.nc 2>/dev/null || status=$?
[[ $status == 2 && ! -e twice.nc ]] || fail "a repeated station: status $status, or a file"
"$python" - <<'EOF' || fail "stations: pandas and xarray"
import numpy as np
import pandas as pd
import xarray as xr

names = ["Roma; Urbe", "Sydney", "Zürich", "Ostia"]
wide = pd.read_csv("stations-table.csv", index_col=0)
assert wide.index.tolist() == names, wide.index.tolist()
assert wide.columns[0] == "Latitude" and wide.shape == (4, 13), wide.columns
series = pd.read_csv("stations-dates.csv", index_col=[0, 1], parse_dates=[1])
assert series.index.get_level_values(0).unique().tolist() == names
assert len(series) == 4 * 731 and pd.Timestamp("2024-02-29") in series.loc["Zürich"].index
for path, csv in [("stations-table.nc", wide.iloc[:, 1:].T.values),
                  ("stations-dates.nc", series.iloc[:, 1].unstack(0)[names].values)]:
    ds = xr.open_dataset(path)
    print(ds)
    assert ds.attrs["featureType"] == "timeSeries" and ds.radiation.dims == ("time", "station")
    assert ds.station_id.values.tolist() == names, ds.station_id.values
    assert ds.station_id.attrs["cf_role"] == "timeseries_id"
    assert ds.lat.values.tolist() == [np.float32(v) for v in [41.9, -33.868, 47.4, 41.9]]
    assert np.array_equal(ds.radiation.values, csv), path
    zurich = ds.set_index(station="station_id").radiation.sel(station="Zürich")
    assert np.array_equal(zurich.values, csv[:, 2])
print("stations: pandas and xarray read the identifiers, the values are the CSV's")
EOF
for file in stations-table.nc stations-dates.nc; do
  echo "cdo sinfo $file:"
  if ! cdo -s sinfo "$file" >sinfo.txt 2>cdo-errors.txt || [[ -s cdo-errors.txt ]]; then
    fail "cdo sinfo $file: $(cat cdo-errors.txt)"
  fi
  sed -n '1,10p' sinfo.txt
  grep -q "unstructured  *: points=4" sinfo.txt || fail "cdo: $file has not the 4 stations"
done
grep -q "12 steps" < <(cdo -s sinfo stations-table.nc 2>&1) || fail "cdo: stations-table.nc time"
if ! cdo -s ymonmean stations-dates.nc stations-ymonmean.nc 2>cdo-errors.txt ||
   [[ -s cdo-errors.txt ]]; then
  fail "cdo ymonmean stations-dates.nc: $(cat cdo-errors.txt)"
fi
echo "cdo output -selmon,7 of the stations' ymonmean:"
cdo -s output -selmon,7 stations-ymonmean.nc | tee july.txt
"$python" - <<'EOF' || fail "cdo ymonmean of the stations: not the CSV's July means"
import numpy as np
import pandas as pd
series = pd.read_csv("stations-dates.csv", index_col=[0, 1], parse_dates=[1]).iloc[:, 1]
july = series[series.index.get_level_values(1).month == 7].groupby(level=0, sort=False).mean()
cdo = np.array(open("july.txt").read().split(), dtype=float)
assert np.allclose(cdo, july.values, atol=1e-3), (cdo, july.values)
print(f"cdo ymonmean of the stations: July = the CSV's July means {july.values}")
EOF

exit $failed
