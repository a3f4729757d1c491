# SPDX-License-Identifier: GPL-3.0-or-later
# The Python module against the reference files, the model's reference table and the command
# line; its shapes, dates, errors and threads; random arguments of every kind.
import ast
import datetime
import doctest
import functools
import math
import os
import pathlib
import re
import subprocess
import sys
import tempfile
import threading
import time

import numpy as np
import pandas
import pytest

# Hypothesis keeps its cache of Unicode's tables out of the sources, wherever pytest runs.
os.environ.setdefault("HYPOTHESIS_STORAGE_DIRECTORY",
                      os.path.join(tempfile.gettempdir(), "marovane-hypothesis"))
from hypothesis import HealthCheck, given, settings  # noqa: E402
from hypothesis import strategies as st  # noqa: E402

import marovane

ROOT = pathlib.Path(__file__).resolve().parents[2]
DATA = pathlib.Path(os.environ.get("MAROVANE_TEST_DATA", ROOT / "tests" / "data"))
CLI = os.environ.get("MAROVANE_CLI", str(ROOT / "build" / "dev" / "cli" / "marovane-cli"))
OUT_OF_RANGE = "Latitude of your location should be between -90\u00b0 and +90\u00b0."
UNITS = ["MJ/m^2/day", "J/cm^2/day", "cal/cm^2/day", "W/m^2", "mm/day", "MJ/m^2/dekad", "mm/dekad"]
UNIT_FACTORS = [1.0, 100.0, 23.9, 11.6, 0.408, 1.0, 0.408]


def file_values(text):
    """The latitude texts and the values of a file's lines, as floats."""
    rows = [line.split(", ") for line in text.splitlines()[1:]]
    return [row[0] for row in rows], np.array([float(row[2]) for row in rows])


def rounded(value):
    """Rounded to 3 decimals on the exact binary value, halves to even, as the files print."""
    return float(f"{value:.3f}")


def test_reference_files_for_every_aggregation_and_unit():
    files = sorted((DATA / "reference" / "files").glob("lat_*_agg*_unit*.csv"))
    assert len(files) == 7 * 4 * 7
    for file in files:
        latitude, aggregation, unit = re.fullmatch(
            r"lat_(.+)_agg(\d)_unit(\d)\.csv", file.name).groups()
        _, expected = file_values(file.read_text())
        for given in (float(latitude), latitude):  # a number, and a text as the command line reads it
            values = marovane.annual_cycle(given, int(aggregation), int(unit))
            assert values.dtype == np.float64
            np.testing.assert_array_equal(values, expected, err_msg=file.name)
    # Names and codes are the same choice; many latitudes at once give the same rows.
    lats = [-41.9, -90, 0, 41.9, 66.5, 67.0761566, 90]
    by_name = marovane.annual_cycle(lats, "monthly", "mm/dekad")
    np.testing.assert_array_equal(by_name, marovane.annual_cycle(np.array(lats), 4, 7))
    for i, latitude in enumerate(lats):
        name = f"lat_{latitude:g}_agg4_unit7.csv".replace("67.0762", "67.0761566")
        np.testing.assert_array_equal(
            by_name[i], file_values((DATA / "reference" / "files" / name).read_text())[1])


def test_daily_values_equal_the_models_reference_table_bit_for_bit():
    lines = (DATA / "reference" / "model_table.tsv").read_text().splitlines()
    columns = lines[0].split("\t")
    table = {name: np.array([float(line.split("\t")[i]) for line in lines[1:]])
             for i, name in enumerate(columns)}
    day = table["day"].astype(int)
    radiation = marovane.daily_radiation(table["latitude"], day)
    length = marovane.day_length(table["latitude"], day)
    assert radiation.dtype == np.float64 and length.dtype == np.float32
    np.testing.assert_array_equal(radiation, table["DailyRadiation"])
    np.testing.assert_array_equal(length, table["DayLength"].astype(np.float32))
    # Polar night at the poles is a negative zero, as the program holds it.
    assert math.copysign(1.0, marovane.daily_radiation(90, 1)) == -1.0
    # A grid of latitudes against days broadcasts to the same values.
    lats = np.unique(table["latitude"])
    grid = marovane.daily_radiation(lats[:, None], np.arange(1, 366))
    assert grid.shape == (len(lats), 365)
    np.testing.assert_array_equal(grid.ravel(), radiation[np.lexsort((day, table["latitude"]))])


DAILY = [  # function, quantity, method, the dtype the program holds the value in
    (marovane.daily_radiation, "radiation", "harmonic", np.float64),
    (marovane.daily_radiation, "radiation", "fao56", np.float64),
    (marovane.day_length, "daylength", "harmonic", np.float32),
    (marovane.day_length, "daylength", "fao56", np.float64),
]


@pytest.mark.parametrize("function, quantity, method, dtype", DAILY)
def test_daily_values_are_those_of_the_method(function, quantity, method, dtype):
    lats = np.array([-90, -66.56, -41.9, 0, 23.44, 41.9, 67.0761566, 90])
    leap_year = np.arange(np.datetime64("2024-01-01"), np.datetime64("2025-01-01"))
    values = function(lats[:, None], np.arange(1, 367), method)
    assert values.dtype == dtype and values.shape == (8, 366)
    # Each day's value is the one the tables round: a leap year's day J is its J.
    np.testing.assert_array_equal(
        np.vectorize(rounded)(values),
        marovane.for_dates(lats[:, None], leap_year, "daily", 1, quantity, method))
    assert function(41.9, 172) == function(41.9, 172, "harmonic")
    if quantity == "radiation" and method == "fao56":
        # The paper's table lies up to 0.142 from its formulas; the harmonic model 1.36 (median 0.09).
        rows = np.loadtxt(DATA / "reference" / "fao56_table2_6_ra.csv", delimiter=",", skiprows=3)
        days = [15, 46, 74, 105, 135, 166, 196, 227, 258, 288, 319, 349]
        deviations = np.abs(function(rows[:, :1], days, method) - rows[:, 1:])
        assert deviations.max() <= 0.15 and np.median(deviations) <= 0.05


@pytest.mark.parametrize("quantity", ["radiation", "daylength"])
@pytest.mark.parametrize("method", ["harmonic", "fao56"])
def test_tables_equal_the_command_lines_files(quantity, method):
    latitudes = ["-89.99", "-66.56", "-12.345678", "23.44", "66.56", "41:54:00N", "33:52:03S"]
    for aggregation in ["daily", "weekly", "dekadal", "monthly", "pentadal"]:
        for unit in (UNITS if quantity == "radiation" else UNITS[:1]):
            for latitude in latitudes:
                run = subprocess.run(
                    [CLI, "--latitude", latitude, "-a", aggregation, "-u", unit, "-q", quantity,
                     "-m", method], capture_output=True, text=True, check=True)
                _, expected = file_values(run.stdout)
                got = marovane.annual_cycle(latitude, aggregation, unit, quantity, method)
                np.testing.assert_array_equal(got, expected, err_msg=f"{latitude} {aggregation} {unit}")


@pytest.mark.parametrize("unit", range(1, 8))
@pytest.mark.parametrize("aggregation", ["daily", "dekadal", "monthly", "pentadal"])
def test_real_dates_are_means_over_the_real_calendar(aggregation, unit):
    latitude = 41.9
    dates = np.arange(np.datetime64("2023-01-01"), np.datetime64("2025-01-01"))
    got = marovane.for_dates(latitude, dates, aggregation, unit)
    assert got.shape == (731,) and got.dtype == np.float64
    day_values = marovane.daily_radiation(latitude, np.arange(1, 367))
    for date, value in zip(dates.tolist(), got):
        if aggregation == "daily":
            first, last = date, date
        elif aggregation == "monthly":
            first = date.replace(day=1)
            last = (first + datetime.timedelta(days=32)).replace(day=1) - datetime.timedelta(days=1)
        else:  # dekads of 10 days and pentads of 5, the last of a month to its end
            size, last_start = (10, 21) if aggregation == "dekadal" else (5, 26)
            first = date.replace(day=min(last_start, (date.day - 1) // size * size + 1))
            last = (first.replace(day=28) + datetime.timedelta(days=4)).replace(day=1) - datetime.timedelta(days=1)
            last = last if first.day == last_start else first + datetime.timedelta(days=size - 1)
        days = (last - first).days + 1
        total = 0.0
        for n in range(days):
            total += day_values[(first + datetime.timedelta(days=n)).timetuple().tm_yday - 1]
        factor = UNIT_FACTORS[unit - 1]
        if unit >= 6:  # the per-dekad units: a dekad's own length, otherwise a nominal 10 days
            factor = (days if aggregation == "dekadal" else 10) * factor
        assert value == rounded(factor * (total / days)), (date, value)
    # A leap year: 29 February is day 60 and 31 December day 366; the year before has neither.
    if aggregation == "daily" and unit == 1:
        table = marovane.annual_cycle(latitude, "daily")
        assert marovane.for_dates(latitude, "2024-02-29") == table[59] == marovane.for_dates(
            latitude, "2023-03-01")
        assert marovane.for_dates(latitude, "2024-03-01") == table[60] == marovane.for_dates(
            latitude, "2023-03-02")
        assert marovane.for_dates(latitude, "2024-12-31") == rounded(day_values[365])
        assert marovane.for_dates(latitude, "2023-12-31") == table[364]


@pytest.mark.parametrize("quantity", ["radiation", "daylength"])
@pytest.mark.parametrize("method", ["harmonic", "fao56"])
@pytest.mark.parametrize("aggregation", ["daily", "dekadal", "monthly", "pentadal"])
def test_each_latitude_has_its_own_value_for_one_date(aggregation, method, quantity):
    # Dates of one period at several latitudes: a value kept from one latitude must not pass
    # to the next.
    latitudes = [0, 41.9, -33.9, 0, 41.9, 66.6, 41.9]
    dates = ["2024-01-01"] * 3 + ["2024-01-05"] * 2 + ["2024-06-30", "2024-06-30"]
    got = marovane.for_dates(latitudes, dates, aggregation, 1, quantity, method)
    alone = [marovane.for_dates(lat, date, aggregation, 1, quantity, method)
             for lat, date in zip(latitudes, dates)]
    np.testing.assert_array_equal(got, alone)
    assert len(set(alone[:3])) == 3 and alone[5] != alone[6]
    np.testing.assert_array_equal(
        marovane.for_dates([0, 41.9], "2024-01-01", aggregation, 1, quantity, method), alone[:2])

def test_latitudes_each_with_its_own_date_are_the_grids_diagonal():
    # Latitudes nearly all distinct, each with a date of its own, are walked in order rather
    # than tabulated: the same values as a few at a time, which are tabulated.
    rng = np.random.default_rng(22)
    lats = rng.uniform(-90, 90, 40000)
    days = np.datetime64("2023-01-01") + rng.integers(0, 731, lats.size)
    days = np.where(rng.random(lats.size) < 0.01, np.datetime64("NaT"), days)
    for aggregation, method in [("daily", "harmonic"), ("dekadal", "fao56"), ("monthly", "harmonic")]:
        got = marovane.for_dates(lats, days, aggregation, "mm/dekad", "radiation", method)
        few = np.concatenate([marovane.for_dates(lats[k:k + 50], days[k:k + 50], aggregation,
                                                 "mm/dekad", "radiation", method)
                              for k in range(0, lats.size, 50)])
        np.testing.assert_array_equal(got, few)
        assert np.isnan(got).sum() == np.isnat(days).sum()
    # Broadcast in any order of dimensions, the same values.
    grid = marovane.for_dates(lats[:300, None], days[None, :200], "pentadal")
    np.testing.assert_array_equal(grid.T, marovane.for_dates(lats[None, :300], days[:200, None], "pentadal"))
    np.testing.assert_array_equal(np.diagonal(grid), marovane.for_dates(lats[:200], days[:200], "pentadal"))


def test_dates_in_every_form_give_the_same_values():
    expected = marovane.for_dates(-33.8675, ["2024-02-29", "2023-07-01"], "dekadal", "mm/dekad")
    forms = [
        np.array(["2024-02-29", "2023-07-01"], dtype="datetime64[D]"),
        np.array(["2024-02-29T23:59:59.999", "2023-07-01T00:00"], dtype="datetime64[ms]"),
        [datetime.date(2024, 2, 29), datetime.datetime(2023, 7, 1, 12, 30)],
        np.array(["2024-02-29", np.datetime64("2023-07-01")], dtype=object),
        (np.datetime64("2024-02-29"), "2023-07-01"),
        [np.datetime64("2024-02-29T12", "h"), np.datetime64("2023-07-01", "ns")],
        # Texts with a time of day, as numpy, pandas and datetime print them: their date.
        ["2024-02-29T23:59:59.999", "2023-07-01T00:00"],
        ["2024-02-29 23:00:00+10:00", "2023-07-01T12Z"],
        np.array([str(pandas.Timestamp("2024-02-29 06:30", tz="UTC")),
                  datetime.datetime(2023, 7, 1, 23, 59, 59, 999999).isoformat()]),
        ["2024-02-29T06:30:00,5-03:30", "2023-07-01 00:00:60-0130"],
    ]
    for dates in forms:
        np.testing.assert_array_equal(
            marovane.for_dates("-33.8675", dates, 3, "mm/dekad"), expected, err_msg=str(dates))
    index = pandas.DatetimeIndex(["2024-02-29 06:00", "2023-07-01"])
    np.testing.assert_array_equal(marovane.for_dates(-33.8675, index, 3, 7), expected)
    np.testing.assert_array_equal(
        marovane.for_dates(-33.8675, index.tz_localize("Australia/Sydney"), 3, 7), expected)
    # Dates before 1970 and at the ends of the ISO years; at the far end of nanoseconds, where
    # numpy's own conversion to days wraps around.
    assert marovane.for_dates(0, np.datetime64("1969-12-31T23:00")) == marovane.for_dates(0, "1969-12-31")
    np.testing.assert_array_equal(
        marovane.for_dates(0, np.array([-2**63 + 1, 2**63 - 1], dtype="M8[ns]")),
        marovane.for_dates(0, ["1677-09-21", "2262-04-11"]))
    assert marovane.for_dates(0, ["0001-01-01", "9999-12-31"]).shape == (2,)
    # A list of several units, which numpy would bring to the finest, wrapping 5000 round to 2077.
    np.testing.assert_array_equal(
        marovane.for_dates(41.9, [np.datetime64("5000-06-01", "s"), np.datetime64("2000-01-01", "ns")]),
        marovane.for_dates(41.9, ["5000-06-01", "2000-01-01"]))



CALENDARS = [  # a model calendar's date, and the real date whose values it has in every period
    ("noleap", (2024, 3, 1), "2023-03-01"),  # day 60 of the 365-day year, not 1 March 2024 (61)
    ("365_day", (2000, 2, 25), "2023-02-25"),  # February's third dekad has 8 days
    ("noleap", (1, 12, 31), "2023-12-31"),  # years play no part where all have one length
    ("all_leap", (2023, 3, 1), "2024-03-01"),
    ("366_day", (2023, 2, 29), "2024-02-29"),
    ("standard", (2024, 2, 29), "2024-02-29"),
    ("gregorian", (2023, 12, 31), "2023-12-31"),
    ("proleptic_gregorian", (1900, 3, 1), "1900-03-01"),
    ("julian", (1900, 3, 1), "2024-03-01"),  # 1900 is a Julian leap year
    ("standard", (1500, 2, 29), "2024-02-29"),  # Julian before 1582
    ("standard", (1700, 2, 28), "2023-02-28"),  # Gregorian after
]


@pytest.mark.parametrize("calendar, ymd, real", CALENDARS)
def test_model_calendars_take_the_day_of_their_own_year(calendar, ymd, real):
    cftime = pytest.importorskip("cftime")
    date = cftime.datetime(*ymd, calendar=calendar)
    lats = [[-41.9], [0], [67.0761566]]
    for aggregation in ["daily", "dekadal", "monthly", "pentadal"]:
        for method in ["harmonic", "fao56"]:
            expected = marovane.for_dates(lats, real, aggregation, 7, "radiation", method)
            np.testing.assert_array_equal(
                marovane.for_dates(lats, date, aggregation, 7, "radiation", method), expected,
                err_msg=f"{aggregation} {method}")
            # An axis of one calendar's dates alone is reckoned as a whole: the same values.
            axis = np.array([cftime.datetime(2001, 1, 1, calendar=calendar), date], dtype=object)
            np.testing.assert_array_equal(
                marovane.for_dates(lats, axis, aggregation, 7, "radiation", method)[:, 1],
                expected[:, 0], err_msg=f"{aggregation} {method}")
    # In arrays and lists, beside other dates and a date not given.
    got = marovane.for_dates(41.9, np.array([date, None, np.datetime64("2024-01-01")], dtype=object))
    np.testing.assert_array_equal(got, [marovane.for_dates(41.9, real), np.nan,
                                        marovane.for_dates(41.9, "2024-01-01")])


def test_a_model_year_of_365_days_is_the_annual_table(tmp_path):
    xarray = pytest.importorskip("xarray")
    import netCDF4
    # A model's output as xarray reads it: days since its start in its own calendar.
    for calendar, days in [("noleap", 365), ("360_day", 360)]:
        with netCDF4.Dataset(tmp_path / f"{calendar}.nc", "w") as model:
            model.createDimension("time", days)
            time = model.createVariable("time", "f8", ("time",))
            time.units, time.calendar = "days since 2001-01-01 12:00:00", calendar
            time[:] = np.arange(days)
    with xarray.open_dataset(tmp_path / "noleap.nc") as model:
        np.testing.assert_array_equal(marovane.for_dates([[0], [41.9]], model.time),
                                      marovane.annual_cycle([0, 41.9], "daily"))
    with xarray.open_dataset(tmp_path / "360_day.nc") as model, pytest.raises(ValueError, match="360_day"):
        marovane.for_dates(0, model.time)
    year = xarray.cftime_range("0001-01-01", periods=365, freq="D", calendar="noleap")
    leap = xarray.cftime_range("2000-01-01", periods=366, freq="D", calendar="366_day")
    lats = np.array([-90, -41.9, 0, 41.9, 67.0761566])
    for method in ["harmonic", "fao56"]:
        for quantity in ["radiation", "daylength"]:
            np.testing.assert_array_equal(
                marovane.for_dates(lats[:, None], year, "daily", 1, quantity, method),
                marovane.annual_cycle(lats, "daily", 1, quantity, method))
            np.testing.assert_array_equal(
                marovane.for_dates(lats[:, None], leap, "daily", 1, quantity, method),
                marovane.for_dates(lats[:, None], pandas.date_range("2024-01-01", "2024-12-31"),
                                   "daily", 1, quantity, method))
        # A dekad of the model year has the annual table's value on each of its days.
        dekads = marovane.annual_cycle(lats, "dekadal", "mm/dekad", "radiation", method)
        number = [(date.month - 1) * 3 + min((date.day - 1) // 10, 2) for date in year]
        np.testing.assert_array_equal(
            marovane.for_dates(lats[:, None], xarray.DataArray(year), "dekadal", "mm/dekad",
                               "radiation", method), dekads[:, number])


MISSING = [  # "2024-02-29", a date not given, "2023-07-01"
    np.array(["2024-02-29", "NaT", "2023-07-01"], dtype="datetime64[D]"),
    np.array(["2024-02-29T06", "NaT", "2023-07-01T23"], dtype="datetime64[ns]"),
    ["2024-02-29", None, "2023-07-01"],
    ["2024-02-29", float("nan"), "2023-07-01"],
    np.array(["2024-02-29", np.float32("nan"), "2023-07-01"], dtype=object),
    [datetime.date(2024, 2, 29), np.datetime64("NaT"), datetime.datetime(2023, 7, 1, 12)],
    ("pandas", ["2024-02-29 06:00", None, "2023-07-01"], None),
    ("pandas", ["2024-02-29 06:00", None, "2023-07-01"], "Australia/Sydney"),
    ("pandas", ["2024-02-29 23:00", None, "2023-07-01"], "UTC"),
    pandas.Series(["2024-02-29", None, "2023-07-01"], dtype="string"),  # pandas' NA
]


@pytest.mark.parametrize("dates", MISSING, ids=range(len(MISSING)))
def test_missing_dates_have_no_value(dates):
    if isinstance(dates, tuple):  # a pandas index and series, naive or in a time zone
        _, texts, zone = dates
        index = pandas.DatetimeIndex(texts)
        dates = index if zone is None else index.tz_localize(zone)
        assert np.isnan(marovane.for_dates(41.9, dates[1]))  # pandas' NaT, of any zone
        assert np.isnan(marovane.for_dates(41.9, pandas.Series(dates))[1])
    expected = marovane.for_dates(41.9, ["2024-02-29", "2023-07-01"], "dekadal", "mm/dekad")
    for latitude in [41.9, [[41.9], ["41:54:00N"]]]:
        got = marovane.for_dates(latitude, dates, "dekadal", "mm/dekad")
        assert got.dtype == np.float64 and got.shape == np.broadcast_shapes(np.shape(latitude), (3,))
        np.testing.assert_array_equal(got, np.broadcast_to([expected[0], np.nan, expected[1]], got.shape))
    # Alone, and columns with nothing in them.
    for nothing in [None, float("nan"), np.datetime64("NaT"), np.datetime64("NaT", "ns"),
                    np.full(2, np.nan), np.array([None, None])]:
        got = marovane.for_dates([0, 41.9], nothing, "monthly")
        assert got.shape == (2,) and np.isnan(got).all(), nothing
    assert isinstance(marovane.for_dates(0, None), np.float64)

SHAPES = [  # latitude, day or dates, the result's shape
    (41.9, 172, ()),
    (np.float64(41.9), np.int64(172), ()),
    (np.array(41.9), np.array(172), ()),
    ([41.9, 0], 172, (2,)),
    (41.9, [1, 2, 3], (3,)),
    ([[41.9], [0]], [1, 2, 3], (2, 3)),
    (np.zeros((2, 1, 4)), np.ones((3, 1), dtype=np.uint8), (2, 3, 4)),
    (np.zeros(0), 1, (0,)),
    (np.zeros((3, 0)), [[1], [2], [3]], (3, 0)),
    (1, [], (0,)),
    ([], [], (0,)),
    ([[1], [2]], [], (2, 0)),
    (np.array([], dtype=object), np.array([], dtype=object), (0,)),
    (np.array(41.9, dtype=object), np.array(60, dtype=object), ()),
    (np.array([[41.9], ["0"]], dtype=object), np.array([1, 2**3, np.uint8(3)], dtype=object), (2, 3)),
]


@pytest.mark.parametrize("latitude, day, shape", SHAPES)
def test_shapes_broadcast(latitude, day, shape):
    days = np.asarray(day).astype(np.int16)
    dates = np.datetime64("2024-01-01") + days.astype(np.int64) - 1
    given_dates = day if days.size == 0 else dates.astype(object if np.asarray(day).dtype == object else "M8[D]")
    plain_latitude = np.asarray(latitude).astype(np.float32)
    for function, argument, plain, dtype in [
        (marovane.daily_radiation, day, days, np.float64),
        (marovane.day_length, day, days, np.float32),
        (marovane.for_dates, given_dates, dates, np.float64),
    ]:
        result = function(latitude, argument)
        assert np.shape(result) == shape and result.dtype == dtype
        assert isinstance(result, np.ndarray) == (shape != ())
        # Lists and object arrays, empty ones too, are the numeric arrays of their numbers.
        np.testing.assert_array_equal(result, function(plain_latitude, plain))
    for aggregation, periods in [("daily", 365), ("weekly", 53), ("dekadal", 36), ("monthly", 12),
                                 ("pentadal", 72)]:
        assert marovane.annual_cycle(latitude, aggregation).shape == np.shape(latitude) + (periods,)


def test_any_memory_layout_or_number_type_gives_the_same_values():
    grid = np.linspace(-90, 90, 61)
    expected = marovane.annual_cycle(grid)
    square = grid[:60].reshape(6, 10)
    for layout in [grid[::-1][::-1], np.asfortranarray(np.tile(grid, (3, 1)))[1],
                   np.repeat(grid, 2)[::2]]:
        np.testing.assert_array_equal(marovane.annual_cycle(layout), expected)
    np.testing.assert_array_equal(marovane.annual_cycle(square.T), expected[:60].reshape(6, 10, 36).transpose(1, 0, 2))
    # Integers, single and half precision, objects and texts are the same latitudes.
    whole = np.arange(-90, 91, 15)
    expected = marovane.annual_cycle(whole.astype(float))
    for form in [whole, whole.astype(np.int8), whole.astype(np.float32), whole.astype(np.float16),
                 whole.tolist(), np.array(whole.tolist(), dtype=object), [str(x) for x in whole]]:
        np.testing.assert_array_equal(marovane.annual_cycle(form), expected)
    # So are days of any integer type, in object arrays too.
    days = np.arange(1, 367)
    expected = marovane.daily_radiation(41.9, days)
    for form in [days.astype(np.uint16), days.tolist(), np.array(days.tolist(), dtype=object),
                 np.array([np.int8(d) if d < 128 else d for d in days], dtype=object),
                 [np.uint64(d) if d % 2 else d for d in days]]:  # numpy makes floats of this list
        np.testing.assert_array_equal(marovane.daily_radiation(41.9, form), expected)
    # The latitude is held in single precision: two doubles of one single are one latitude.
    assert np.float32(41.9) == np.float32(41.900000001)
    np.testing.assert_array_equal(marovane.annual_cycle(41.9), marovane.annual_cycle(41.900000001))
    np.testing.assert_array_equal(marovane.annual_cycle("41:54:00N"), marovane.annual_cycle(41.9))


ERRORS = [  # function, arguments, exception, what the message says
    (marovane.annual_cycle, (91,), ValueError, OUT_OF_RANGE + " Got 91.0."),
    (marovane.annual_cycle, (-90.0000001,), ValueError, OUT_OF_RANGE),
    (marovane.annual_cycle, (float("nan"),), ValueError, "Got nan"),
    (marovane.annual_cycle, ([0, 10, float("inf")],), ValueError, "Got inf at index (2,)."),
    (marovane.annual_cycle, (np.array([[0, 1], [95, 2]], dtype=np.int16),), ValueError, "at index (1, 0)"),
    (marovane.annual_cycle, ("91",), ValueError, OUT_OF_RANGE),
    (marovane.annual_cycle, ("abc",), ValueError, "One of the inputs is not numeric! Got 'abc'."),
    (marovane.annual_cycle, ("\ud800",), ValueError, "not numeric"),
    (marovane.annual_cycle, ([1, "x"],), ValueError, "not numeric! Got 'x' at index (1,)."),
    (marovane.annual_cycle, ([0, 10**400],), ValueError, "Got 1000000000000000000000000000000000000000\u2026 at index (1,)."),
    (marovane.annual_cycle, (-(10**400),), ValueError, OUT_OF_RANGE + " Got -100000000000000000000000000000000000000\u2026."),
    (marovane.annual_cycle, (np.array(2**64, dtype=object),), ValueError, OUT_OF_RANGE + " Got 1.8446744073709552e+19."),
    (marovane.annual_cycle, ([0.5, "41:54:00X"],), ValueError, "not numeric! Got '41:54:00X' at index (1,)."),
    (marovane.annual_cycle, ([[0, 1], [2]],), ValueError,
     "latitude must be one value or an array of one shape, not lists of different lengths"),
    (marovane.annual_cycle, (0, "yearly"), ValueError,
     "unknown aggregation 'yearly'; give daily (1), weekly (2), dekadal (3), monthly (4) or "
     "pentadal (5)."),
    (marovane.annual_cycle, (0, 6), ValueError, "unknown aggregation '6'"),
    (marovane.annual_cycle, (0, "\udc80"), ValueError, "unknown aggregation"),
    (marovane.annual_cycle, (0, "dekadal", "kg"), ValueError,
     "unknown unit 'kg'; give a code 1..7 or a label: MJ/m^2/day (1), J/cm^2/day (2), cal/cm^2/day "
     "(3), W/m^2 (4), mm/day (5), MJ/m^2/dekad (6) or mm/dekad (7)."),
    (marovane.annual_cycle, (0, "dekadal", 0), ValueError, "unknown unit '0'"),
    (marovane.annual_cycle, (0, "dekadal", "mm/DAY"), ValueError, "unknown unit"),
    (marovane.annual_cycle, (0, 3, 1, "sunshine"), ValueError,
     "unknown quantity 'sunshine'; give radiation or daylength."),
    (marovane.annual_cycle, (0, 3, 1, "radiation", "exact"), ValueError,
     "unknown method 'exact'; give harmonic or fao56."),
    (marovane.annual_cycle, (np.zeros(0), "yearly"), ValueError, "unknown aggregation"),
    (marovane.annual_cycle, (None,), TypeError, "latitude must be a number or a text, not NoneType"),
    (marovane.annual_cycle, (True,), TypeError, "latitude must be numbers or texts, not an array of bool"),
    (marovane.annual_cycle, ([1j],), TypeError, "complex128"),
    (marovane.annual_cycle, ([1, None],), TypeError, "not NoneType at index (1,)"),
    (marovane.annual_cycle, (np.datetime64("2024-01-01"),), TypeError, "datetime64"),
    (marovane.annual_cycle, (0, 1.0), TypeError, "aggregation must be a name (str) or a code (int), not float"),
    (marovane.annual_cycle, (0, 3, True), TypeError, "unit must be a name"),
    (marovane.annual_cycle, (0, 3, 1, None), TypeError, "quantity must be a name"),
    (marovane.daily_radiation, (0, 0), ValueError, "day must be a day of the year, 1..366; got 0"),
    (marovane.daily_radiation, (0, 1, "exact"), ValueError, "unknown method 'exact'; give harmonic or fao56."),
    (marovane.day_length, (0, 1, "fao57"), ValueError, "unknown method 'fao57'"),
    (marovane.day_length, (0, 1, None), TypeError, "method must be a name (str) or a code (int), not NoneType"),
    (marovane.day_length, (0, [1, 367]), ValueError, "got 367 at index (1,)"),
    (marovane.day_length, (0, np.uint64(2**63)), ValueError, "1..366"),
    (marovane.day_length, (0, [1, 2**70]), ValueError, "1..366"),
    (marovane.daily_radiation, (0, 2**64), ValueError, "day must be a day of the year, 1..366; got 18446744073709551616"),
    (marovane.daily_radiation, (0, -(2**70)), ValueError, "1..366; got -1180591620717411303424"),
    (marovane.day_length, (0, [[1], [10**400]]), ValueError, "got 1000000000000000000000000000000000000000\u2026 at index (1, 0)"),
    (marovane.daily_radiation, (0, np.array(0, dtype=object)), ValueError, "1..366; got 0"),
    (marovane.daily_radiation, (0, 1.0), TypeError, "day must be integer days of the year, not an array of float64"),
    (marovane.daily_radiation, (0, [1, 2.0]), TypeError, "day must be an integer day of the year, not float at index (1,)"),
    (marovane.daily_radiation, (0, True), TypeError, "not bool"),
    (marovane.daily_radiation, (0, "2"), TypeError, "not an array of <U1"),
    (marovane.daily_radiation, (0, [1, "2"]), TypeError, "day must be an integer day of the year, not str at index (1,)"),
    (marovane.daily_radiation, (0, [1, None]), TypeError, "not NoneType at index (1,)"),
    (marovane.daily_radiation, (0, np.array([1, 2.5], dtype=object)), TypeError, "not float at index (1,)"),
    (marovane.daily_radiation, (0, [[1, 2], [3]]), ValueError, "day must be one value or an array of one shape"),
    (marovane.daily_radiation, ([0, 1], [1, 2, 3]), ValueError,
     "shape mismatch: latitude of shape (2,) and day of shape (3,) do not broadcast to one shape"),
    (marovane.for_dates, (0, "2024-01-01", "weekly"), ValueError,
     "weeks have no place in the real calendar; give daily, dekadal, monthly or pentadal."),
    (marovane.for_dates, (0, [np.datetime64("2000-01-01T00:00:00"), np.timedelta64(1, "D")]),
     TypeError, "not timedelta64 at index (1,)"),
    (marovane.for_dates, (0, "2023-02-29"), ValueError,
     "'2023-02-29' is no date: give an existing date as YYYY-MM-DD, years 0001 to 9999."),
    (marovane.for_dates, (0, ["2024-01-01", "2024-13-01"]), ValueError, "'2024-13-01' is no date"),
    (marovane.for_dates, (0, "20240101"), ValueError, "is no date"),
    (marovane.for_dates, (0, "2024-02-29T24:00"), ValueError, "'2024-02-29T24:00' is no date"),
    (marovane.for_dates, (0, ["2024-01-01", "2024-02-29T12:60"]), ValueError, "'2024-02-29T12:60' is no date"),
    (marovane.for_dates, (0, "2024-02-29T"), ValueError, "is no date"),
    (marovane.for_dates, (0, "2024-02-29T12:00:00."), ValueError, "is no date"),
    (marovane.for_dates, (0, "2024-02-29T12:00.5"), ValueError, "is no date"),
    (marovane.for_dates, (0, "2024-02-29 12:00 UTC"), ValueError, "is no date"),
    (marovane.for_dates, (0, "2024-02-29T12:00+24"), ValueError, "is no date"),
    (marovane.for_dates, (0, "2024-02-30T12:00"), ValueError, "'2024-02-30T12:00' is no date"),
    (marovane.for_dates, (0, "2024-02-2912:00"), ValueError, "is no date"),
    (marovane.for_dates, (0, ["2024-01-01", "NaT"]), ValueError, "'NaT' is no date"),
    (marovane.for_dates, (0, [None, "2024-02-30"]), ValueError, "'2024-02-30' is no date"),
    (marovane.for_dates, (0, ["2024-01-01", ""]), ValueError, "'' is no date"),
    (marovane.for_dates, (0, np.datetime64("10000-01-01")), ValueError, "dates must lie in the years 1 to 9999"),
    (marovane.for_dates, (0, [np.datetime64("NaT"), np.datetime64(2**62, "Y")]), ValueError,
     "dates must lie in the years 1 to 9999; got 4611686018427387904 in datetime64[Y] at index (1,)"),
    # numpy's own conversion to days wraps these around into the years 1 to 9999.
    (marovane.for_dates, (0, np.array([737869762948382065], dtype="M8[25h]")), ValueError,
     "dates must lie in the years 1 to 9999; got 737869762948382065 in datetime64[25h] at index (0,)"),
    (marovane.for_dates, (0, np.array(["NaT", 2635249153387078803], dtype="M8[W]")), ValueError,
     "got 2635249153387078803 in datetime64[W] at index (1,)"),
    (marovane.for_dates, (0, 20240101), TypeError, "not an array of int64"),
    (marovane.for_dates, (0, [float("nan"), 1.5]), TypeError, "not an array of float64"),
    (marovane.for_dates, (0, [datetime.date(2024, 1, 1), 5]), TypeError, "not int at index (1,)"),
    (marovane.for_dates, (0, np.array(["2024-01-01", np.timedelta64(1, "D")], dtype=object)), TypeError,
     "not timedelta64 at index (1,)"),
    (marovane.for_dates, (0, [["2024-01-01"], []]), ValueError, "dates must be one value or an array of one shape"),
    (marovane.for_dates, ([0, 1], ["2024-01-01"] * 3), ValueError,
     "shape mismatch: latitude of shape (2,) and dates of shape (3,)"),
    (marovane.for_dates, (91, "2024-01-01"), ValueError, OUT_OF_RANGE),
    (marovane.for_dates, (0, "cftime:360_day:2000-02-30"), ValueError,
     "dates of the 360_day calendar have no day of the real year: all its months have 30 days"),
    (marovane.for_dates, (0, ["2024-01-01", "cftime:360_day:2000-01-01"]), ValueError,
     "(xarray: convert_calendar) at index (1,)"),
    (marovane.for_dates, (0, ["cftime:360_day:2000-01-01", "cftime:360_day:2000-01-02"]), ValueError,
     "(xarray: convert_calendar) at index (0,)"),
    (marovane.for_dates, (0, ["cftime:noleap:2000-01-01", "cftime:all_leap:2000-01-02", "x"]), ValueError,
     "'x' is no date"),
    (marovane.for_dates, (0, ["cftime:julian:2000-01-01", "cftime:julian:10000-01-02"]), ValueError,
     "dates must lie in the years 1 to 9999; got 10000-01-02 00:00:00 at index (1,)"),
    (marovane.for_dates, (0, "cftime::2000-01-01"), ValueError,
     "dates of the calendar '' have no day of the real year known here; give dates of noleap"),
    (marovane.for_dates, (0, "cftime:proleptic_gregorian:10000-01-01"), ValueError,
     "dates must lie in the years 1 to 9999; got 10000-01-01"),
    (marovane.for_dates, (0, "cftime:julian:10000-03-01"), ValueError, "dates must lie in the years 1 to 9999"),
    (marovane.to_dataset, (np.zeros((2, 2)),), ValueError, "not of shape (2, 2)"),
    (marovane.to_dataset, (0, "weekly", 1, "radiation", "harmonic", "2024-01-01/2024-02-01"),
     ValueError, "weeks have no place in the real calendar"),
    (marovane.to_dataset, (0, 3, 1, "radiation", "harmonic", "2023-01-01/2124-01-01"), ValueError,
     "dates: 2023-01-01/2124-01-01 spans 36890 days, more than 100 years (36525 days)."),
    (marovane.to_dataset, (0, 3, 1, "radiation", "harmonic", ("2024-02-01", "2024-01-31")),
     ValueError, "dates: FROM 2024-02-01 is after TO 2024-01-31."),
    (marovane.to_dataset, (0, 3, 1, "radiation", "harmonic", 2024), TypeError, "'FROM/TO'"),
    (marovane.to_dataset, (0, 3, 1, "radiation", "harmonic", ("cftime:noleap:2001-01-01", "2001-12-31")),
     TypeError, "dates: FROM and TO of a table are real dates, not dates of a model calendar (cftime)"),
    (marovane.to_dataset, (0, 3, 1, "radiation", "harmonic", ("2024-01-01", None)), ValueError,
     "dates: FROM and TO must be dates, not NaT, None or NaN"),
    # Stations are checked as the command line checks a --stations file, row and column named.
    (marovane.for_dates, (pandas.DataFrame({"id": ["A", "B", "A"], "lat": [1, 2, 3]}), "2024-01-01"),
     ValueError, "stations: row 3, column 'id': 'A' is already the identifier of row 1; each station "
     "needs its own."),
    (marovane.to_dataset, (pandas.DataFrame({"Station": ["A"], "x": [1.5]}),), ValueError,
     "stations: the header names no latitude column (lat or latitude, in any case); its columns "
     "are 'Station', 'x'; give latitude_column=NAME."),
    (marovane.to_dataset, (pandas.DataFrame({"name": ["A", "B"], "LAT": [1.5, float("nan")]}),),
     ValueError, "stations: row 2, column 'LAT': no latitude."),
    (functools.partial(marovane.for_dates, station=["a", "b"]), ([0, 91], "2024-01-01"), ValueError,
     "stations: row 2, column 'latitude': '91' lies outside -90..90."),
    (functools.partial(marovane.for_dates, station=["a", None]), ([0, 1], "2024-01-01"), ValueError,
     "stations: row 2, column 'station': no identifier."),
    (functools.partial(marovane.to_dataset, station=["a", "b"]), ([0, 1, 2],), ValueError,
     "latitude and station must be one-dimensional and of one length, not of shapes (3,) and (2,)"),
    (functools.partial(marovane.to_dataset, latitude_column="y"), (pandas.DataFrame({"id": ["A"], "lat": [1]}),),
     ValueError, "stations: the header has no column 'y' (latitude_column); its columns are 'id', 'lat'."),
    (functools.partial(marovane.for_dates, latitude_column="lat"), (0, "2024-01-01"), TypeError,
     "latitude_column and id_column name columns of a pandas DataFrame"),
    (functools.partial(marovane.for_dates, station=["a"]), (pandas.DataFrame({"lat": [1]}), "2024-01-01"),
     TypeError, "station goes with latitudes"),
]


def cftime_dates(argument):
    """"cftime:CALENDAR:Y-M-D" as cftime's date, in a list too; other arguments as they are."""
    if isinstance(argument, (list, tuple)):
        return type(argument)(cftime_dates(item) for item in argument)
    if isinstance(argument, str) and argument.startswith("cftime:"):
        _, calendar, date = argument.split(":")
        return pytest.importorskip("cftime").datetime(*map(int, date.split("-")), calendar=calendar)
    return argument


@pytest.mark.parametrize("function, arguments, error, message", ERRORS)
def test_errors_say_what_is_wrong(function, arguments, error, message):
    arguments = [cftime_dates(argument) for argument in arguments]
    with pytest.raises(error) as raised:
        function(*arguments)
    assert message in str(raised.value)



# The module's reading of its arguments, as a fuzz target: random atoms, each tagged with what
# it alone gives (a value, NaN, ValueError, TypeError, or a value or ValueError), in random
# containers. A call returns the expected shape, each value that of its atoms alone, or
# refuses with ValueError or TypeError and a message; nothing else.
VALUE, MISSING, BAD_VALUE, BAD_TYPE, ANY = "value", "missing", "ValueError", "TypeError", "any"
ZONES = [None, datetime.timezone.utc, datetime.timezone(datetime.timedelta(hours=14)),
         datetime.timezone(datetime.timedelta(hours=-12, minutes=-30))]


def tagged(strategy, tag):  # (atom, tag, MISSING for a date not given)
    return strategy.map(lambda value: (value, tag, MISSING if tag == MISSING else None))


def dated(strategy, make):  # (atom, VALUE, its date)
    return strategy.map(lambda when: (make(when), VALUE, when if type(when) is datetime.date else when.date()))


LATITUDES = st.one_of(
    tagged(st.floats(-90, 90), VALUE),
    tagged(st.floats(-90, 90).map(np.float32), VALUE),
    tagged(st.integers(-90, 90), VALUE),
    tagged(st.integers(-90, 90).map(np.int8), VALUE),
    tagged(st.floats(-90, 90).map(lambda x: f"{x:.6f}"), VALUE),
    tagged(st.builds("{}:{:02d}:{:02d}{}".format, st.integers(0, 89), st.integers(0, 59),
                     st.integers(0, 59), st.sampled_from("NS")), VALUE),
)
LATITUDE_ATOMS = st.one_of(
    LATITUDES,
    tagged(st.floats().filter(lambda x: not -90 <= x <= 90), BAD_VALUE),
    tagged(st.one_of(st.integers(91), st.integers(max_value=-91),
                     st.sampled_from([2**63, 2**64, -(2**70), 10**400, -(10**400)])), BAD_VALUE),
    tagged(st.sampled_from(["91", "-90.001", "41:54:00X", "", "nan", "1e400"]), BAD_VALUE),
    tagged(st.text(max_size=12), ANY),
    tagged(st.sampled_from([None, 1j, b"41", datetime.date(2024, 1, 1), np.datetime64("NaT")]), BAD_TYPE),
)
DAYS = st.one_of(
    tagged(st.integers(1, 366), VALUE),
    tagged(st.integers(1, 366).map(np.int16), VALUE),
    tagged(st.integers(1, 366).map(np.uint64), VALUE),
)
DAY_ATOMS = st.one_of(
    DAYS,
    tagged(st.integers().filter(lambda d: not 1 <= d <= 366), BAD_VALUE),
    tagged(st.sampled_from([0, 367, 2**63, 2**64, -(2**70), 10**400]), BAD_VALUE),
    tagged(st.one_of(st.floats(), st.none(), st.text(max_size=4), st.just(b"1"),
                     st.just(np.datetime64("2024-01-01"))), BAD_TYPE),
)
TIMES = st.datetimes(min_value=datetime.datetime(1678, 1, 1), max_value=datetime.datetime(2261, 12, 31))
DATES = st.one_of(
    dated(st.dates(), datetime.date.isoformat),
    dated(st.dates(), lambda day: day),
    dated(st.datetimes(timezones=st.sampled_from(ZONES)), lambda when: when),
    dated(st.dates(), np.datetime64),
    dated(st.datetimes(), lambda when: np.datetime64(when, "s")),
    dated(TIMES, lambda when: np.datetime64(when, "ns")),
    dated(TIMES, pandas.Timestamp),
    st.builds(lambda when, zone: (pandas.Timestamp(when).tz_localize(zone), VALUE, when.date()),
              TIMES, st.sampled_from(["UTC", "Australia/Sydney", "America/Los_Angeles"])),
    tagged(st.sampled_from([None, float("nan"), np.float32("nan"), np.datetime64("NaT"),
                            np.datetime64("NaT", "ns"), pandas.NaT, pandas.NA]), MISSING),
)
DATE_ATOMS = st.one_of(
    DATES,
    tagged(st.sampled_from(["2023-02-29", "2024-13-01", "20240101", "0000-01-01", "NaT", "",
                            np.datetime64("10000-01-01"), np.datetime64(2**62, "Y")]), BAD_VALUE),
    tagged(st.text(max_size=12), ANY),
    tagged(st.sampled_from([20240101, 1.5, 2**70, np.timedelta64(1, "D"), b"2024-01-01", True]), BAD_TYPE),
)
SHAPES_DRAWN = [(), (1,), (2,), (3,), (2, 1), (1, 3), (2, 3), (0,), (2, 0)]


@st.composite
def argument(draw, valid, atoms):
    """An argument of atoms in a drawn shape and container, the atoms as an object array; all
    valid two times in three."""
    atoms = draw(st.sampled_from([valid, valid, atoms]))
    shape = draw(st.sampled_from(SHAPES_DRAWN))
    size = int(np.prod(shape))
    drawn = draw(st.lists(atoms, min_size=size, max_size=size))
    grid = np.empty(size, dtype=object)
    grid[:] = [atom[0] for atom in drawn]
    grid = grid.reshape(shape)
    tags = {atom[1] for atom in drawn}
    dates = [atom[2] for atom in drawn]
    container = draw(st.sampled_from(["list", "tuple", "objects", "numpy", "pandas", "ragged"]))
    # numpy's own array of atoms of one type (and one unit), which it keeps as they are.
    if container == "numpy" and len({(type(value), getattr(value, "dtype", None)) for value in grid.flat}) == 1:
        return np.array(grid.tolist()), grid, tags, dates
    if container == "ragged" and size >= 3:  # refused whatever its atoms
        items = grid.ravel().tolist()
        return [items[:1], items[1:]], grid, tags | {BAD_VALUE}, dates
    if shape == ():
        given = grid[()] if container != "objects" else grid
    elif size == 0:
        given = draw(st.sampled_from([grid.tolist(), np.zeros(shape), np.empty(shape, dtype=object)]))
    elif container == "objects":
        given = grid
    elif container == "pandas" and len(shape) == 1:
        given = pandas.Series(grid.tolist(), dtype=object)
    else:
        # No True or False inside a list: numpy makes numbers of them beside numbers.
        given = grid.tolist() if container == "list" else tuple(grid.tolist())
        if any(isinstance(atom[0], (bool, np.bool_)) for atom in drawn):
            given = grid
    return given, grid, tags, dates


def expect(call, tags, shape, dtype):
    """The call's result if its atoms all give values; otherwise that it refused them."""
    if tags <= {VALUE, MISSING, ANY}:
        try:
            result = call()
        except ValueError as error:  # a text of ANY may be refused
            assert ANY in tags and str(error), error
            return None
        assert np.shape(result) == shape and result.dtype == dtype
        assert isinstance(result, np.ndarray) == (shape != ())
        return result
    with pytest.raises((ValueError, TypeError)) as raised:
        call()
    assert str(raised.value)
    if tags - {VALUE, MISSING, ANY} == {BAD_TYPE}:
        assert raised.type is TypeError or ANY in tags, raised.value
    return None


def same_values(result, latitudes, others, alone):
    """Each value of the result is that of its latitude and day or date alone."""
    latitudes, others = np.broadcast_arrays(latitudes, others)
    for index in np.ndindex(result.shape):
        np.testing.assert_array_equal(result[index], alone(latitudes[index], others[index]))


# The same examples on every run, so that CI never fails by chance; a finding becomes a row of
# the tables above.
FUZZ = settings(max_examples=200, deadline=None, database=None, derandomize=True,
                suppress_health_check=[HealthCheck.too_slow, HealthCheck.data_too_large])


@FUZZ
@given(latitude=argument(LATITUDES, LATITUDE_ATOMS), day=argument(DAYS, DAY_ATOMS),
       function=st.sampled_from([marovane.daily_radiation, marovane.day_length]))
def test_fuzz_days(latitude, day, function):
    (given_latitude, latitudes, latitude_tags, _), (given_day, days, day_tags, _) = latitude, day
    try:
        shape = np.broadcast_shapes(latitudes.shape, days.shape)
    except ValueError:
        shape, day_tags = None, day_tags | {BAD_VALUE}
    dtype = np.float64 if function is marovane.daily_radiation else np.float32
    result = expect(lambda: function(given_latitude, given_day), latitude_tags | day_tags, shape, dtype)
    if result is not None:
        same_values(result, latitudes, days, function)


@FUZZ
@given(latitude=argument(LATITUDES, LATITUDE_ATOMS), dates=argument(DATES, DATE_ATOMS),
       aggregation=st.sampled_from(["daily", "dekadal", "monthly", "pentadal", 1, 3, 4, 5]),
       method=st.sampled_from(["harmonic", "fao56"]))
def test_fuzz_dates(latitude, dates, aggregation, method):
    (given_latitude, latitudes, latitude_tags, _), (given_dates, days, date_tags, when) = latitude, dates
    try:
        shape = np.broadcast_shapes(latitudes.shape, days.shape)
    except ValueError:
        shape, date_tags = None, date_tags | {BAD_VALUE}

    def alone(lat, date):
        return marovane.for_dates(lat, date, aggregation, method=method)

    result = expect(lambda: alone(given_latitude, given_dates), latitude_tags | date_tags, shape, np.float64)
    if result is not None:
        same_values(result, latitudes, days, alone)
        # Each date is read as the day it names, where it was taken; one not given has no value.
        for date, day in zip(days.flat, when):
            value = alone(41.9, date)
            if isinstance(day, datetime.date):
                assert value == alone(41.9, day.isoformat()), (date, day)
            elif day == MISSING:
                assert np.isnan(value), date


CHOICES = {  # what: the valid names (of any case, but units) and codes, then values refused
    "aggregation": (["daily", "weekly", "Dekadal", "MONTHLY", "pentadal", 1, 2, 3, 4, 5, np.int64(4), "4", "5"],
                    [0, 6, "05"]),
    "unit": (["MJ/m^2/day", "mm/day", "W/m^2", "mm/dekad", 1, 7, np.uint8(5), "3"], [0, 8, "mm/DAY"]),
    "quantity": (["radiation", "DayLength"], ["sunshine", "radiation "]),
    "method": (["harmonic", "FAO56"], ["fao 56", ""]),
}


def choice(what):
    valid, refused = CHOICES[what]
    return st.one_of(
        tagged(st.sampled_from(valid), VALUE),
        tagged(st.one_of(st.sampled_from(refused), st.integers().filter(lambda n: not 1 <= n <= 7),
                         st.sampled_from([2**64, -(2**70), 10**400, "daily\0", "\udc80"])), BAD_VALUE),
        tagged(st.text(max_size=10).filter(
            lambda text: text.lower() not in {str(name).lower() for name in valid} | set("1234567")),
            BAD_VALUE),
        tagged(st.sampled_from([None, 1.0, True, np.bool_(False), b"daily", [1]]), BAD_TYPE),
    )


@FUZZ
@given(latitude=argument(LATITUDES, LATITUDE_ATOMS), aggregation=choice("aggregation"), unit=choice("unit"),
       quantity=choice("quantity"), method=choice("method"), dated=st.booleans())
def test_fuzz_choices(latitude, aggregation, unit, quantity, method, dated):
    given_latitude, latitudes, tags, _ = latitude
    chosen = [aggregation[0], unit[0], quantity[0], method[0]]
    tags = tags | {aggregation[1], unit[1], quantity[1], method[1]}
    if dated:
        if str(aggregation[0]).lower() in ("weekly", "2"):  # weeks have no place in the real calendar
            tags = tags | {BAD_VALUE}
        result = expect(lambda: marovane.for_dates(given_latitude, "2024-02-29", *chosen),
                        tags, latitudes.shape, np.float64)
        if result is not None:
            same_values(result, latitudes, "2024-02-29", lambda lat, date: marovane.for_dates(lat, date, *chosen))
        return
    periods = {"daily": 365, "weekly": 53, "dekadal": 36, "monthly": 12, "pentadal": 72}
    names = list(periods)
    name = str(aggregation[0]).lower()
    count = periods[names[int(name) - 1] if name.isdigit() else name] if aggregation[1] == VALUE else 0
    result = expect(lambda: marovane.annual_cycle(given_latitude, *chosen), tags,
                    latitudes.shape + (count,), np.float64)
    if result is not None:
        for index in np.ndindex(latitudes.shape):
            np.testing.assert_array_equal(result[index], marovane.annual_cycle(latitudes[index], *chosen))


def test_arrays_too_large_are_refused_cleanly():
    huge = np.broadcast_to(np.float64(0.0), (2**45,))  # 256 TiB of results
    for call in [lambda: marovane.annual_cycle(huge), lambda: marovane.day_length(huge, 1),
                 lambda: marovane.daily_radiation(np.broadcast_to(0.0, (2**40, 1)),
                                                  np.broadcast_to(1, (1, 2**40)))]:
        with pytest.raises((MemoryError, ValueError)):
            call()


def test_the_gil_is_released_while_it_computes():
    grid = np.linspace(-90, 90, 18001)
    window = []

    def compute():
        start = time.perf_counter()
        marovane.annual_cycle(grid, "daily")
        window.extend([start, time.perf_counter()])

    worker = threading.Thread(target=compute)
    ticks = []
    worker.start()
    while worker.is_alive():
        ticks.append(time.perf_counter())
    worker.join()
    # The other thread kept stepping in the middle half of the call, far from the Python work
    # at its ends; holding the GIL would stop it for the whole computation.
    start, end = window
    quarter = (end - start) / 4
    middle = sum(start + quarter < tick < end - quarter for tick in ticks)
    assert middle > 10, f"{middle} steps in the middle of a call of {end - start:.3f} s"


def test_the_docstrings_examples():
    failures, tried = doctest.testmod(marovane, optionflags=doctest.ELLIPSIS)
    assert tried >= 8 and failures == 0


def test_version_and_stubs():
    run = subprocess.run([CLI, "--version"], capture_output=True, text=True, check=True)
    assert run.stdout.split() == ["marovane-cli", marovane.__version__]
    # The stubs name what the compiled module holds, and nothing else.
    stub = ast.parse((pathlib.Path(marovane.__file__).parent / "_marovane.pyi").read_text())
    stubbed = {node.name for node in stub.body if isinstance(node, ast.FunctionDef)}
    stubbed |= {node.target.id for node in stub.body if isinstance(node, ast.AnnAssign)}
    compiled = {name for name in dir(marovane._marovane) if not name.startswith("__")}
    assert stubbed - {"__version__"} == compiled
    assert (pathlib.Path(marovane.__file__).parent / "py.typed").exists()


def test_the_readmes_example_runs(tmp_path, monkeypatch):
    readme = (ROOT / "README.md").read_text()
    example = re.search(r"## Python\n.*?```python\n(.*?)```", readme, re.S).group(1)
    days = pandas.date_range("2023-01-01", "2024-12-31", name="date")
    pandas.DataFrame({"tmin": 8.0, "tmax": 21.0}, index=days).to_csv(tmp_path / "station.csv")
    monkeypatch.chdir(tmp_path)
    scope = {}
    exec(example, scope)
    weather = scope["weather"]
    assert len(weather) == 731
    assert weather.loc["2024-02-29", "ra"] == marovane.for_dates(41.9, "2024-02-29", unit="mm/day")
    assert weather.loc["2024-12-31", "ra"] == marovane.for_dates(41.9, "2024-12-31", unit="mm/day")
    assert weather.et0.notna().all() and (weather.et0 > 0).all()


TABLES = [  # marovane-cli's options and to_dataset's arguments
    (["-a", "daily"], ("daily",)),
    (["-a", "weekly", "-u", "W/m^2"], ("weekly", "W/m^2")),
    (["-a", "dekadal", "-u", "7"], ("dekadal", 7)),
    (["-a", "monthly", "-q", "daylength", "-m", "fao56"], ("monthly", 1, "daylength", "fao56")),
    (["-a", "daily", "--dates", "2023-12-30/2024-01-02"], ("daily", 1, "radiation", "harmonic", "2023-12-30/2024-01-02")),
    (["-a", "dekadal", "-u", "mm/dekad", "--dates", "2024-02-15/2024-03-05"],
     ("dekadal", "mm/dekad", "radiation", "harmonic", ("2024-02-15", np.datetime64("2024-03-05")))),
    (["-a", "monthly", "-m", "fao56", "--dates", "2023-01-15/2024-12-31"],
     ("monthly", 1, "radiation", "fao56", "2023-01-15/2024-12-31")),
    (["-a", "pentadal", "-u", "mm/dekad"], ("pentadal", "mm/dekad")),
    (["-a", "pentadal", "-u", "mm/day", "--dates", "2024-02-20/2024-03-03"],
     ("pentadal", "mm/day", "radiation", "harmonic", "2024-02-20/2024-03-03")),
    # Real dates without an aggregation are daily, on the command line as in Python.
    (["--dates", "2024-02-27/2024-03-02"], ("daily", 1, "radiation", "harmonic", "2024-02-27/2024-03-02")),
]


@pytest.mark.parametrize("options, arguments", TABLES)
def test_datasets_equal_the_command_lines_netcdf_tables(tmp_path, options, arguments):
    import xarray
    latitudes = ["-89.5", "0", "41:54:00N", "66.56"]
    given = [option for latitude in latitudes for option in ("--latitude", latitude)]
    for table in ["t.nc", "t.csv"]:
        subprocess.run([CLI, *given, *options, "--table", str(tmp_path / table)],
                       capture_output=True, check=True)
    dataset = marovane.to_dataset(latitudes, *arguments)
    with xarray.open_dataset(tmp_path / "t.nc") as written:
        xarray.testing.assert_identical(dataset, written)
    # Written back, the same variables with the same attributes: no fill value, and
    # coordinates only where the file gives them.
    import netCDF4
    dataset.to_netcdf(tmp_path / "back.nc")
    with netCDF4.Dataset(tmp_path / "t.nc") as cli, netCDF4.Dataset(tmp_path / "back.nc") as back:
        assert ({name: sorted(v.ncattrs()) for name, v in back.variables.items()}
                == {name: sorted(v.ncattrs()) for name, v in cli.variables.items()})
    # CDO finds in it what it finds in the command line's file, and warns of nothing more.
    said = {name: subprocess.run(["cdo", "-s", "sinfo", str(tmp_path / name)], capture_output=True,
                                 text=True, check=True).stderr for name in ("t.nc", "back.nc")}
    assert said["back.nc"] == said["t.nc"].replace("t.nc", "back.nc"), said
    with xarray.open_dataset(tmp_path / "t.nc") as written:
        if "-a" not in options:
            xarray.testing.assert_identical(marovane.to_dataset(latitudes, dates=arguments[4]), written)
    if "--dates" not in options:  # period n at time index n - 1, as the CSV's column n
        data = dataset[[name for name in dataset.data_vars if name != "time_bounds"][0]]
        assert data.dims == ("time", "lat", "lon") and dataset.lon.values.tolist() == [0]
        wide = pandas.read_csv(tmp_path / "t.csv", index_col=0)
        for n in (1, 2, len(wide.columns)):
            np.testing.assert_array_equal(data.isel(time=n - 1, lon=0).values, wide.iloc[:, n - 1])
        bounds = dataset.time_bounds.values
        assert dataset.indexes["time"].calendar == "noleap"
        assert (bounds[0, 0].year, bounds[0, 0].dayofyr) == (1, 1)
        assert all(bounds[1:, 0] == bounds[:-1, 1]) and all(dataset.time.values == bounds[:, 0])
        assert (bounds[-1, 1] - bounds[0, 0]).days == (371 if "weekly" in options else 365)
    if "--dates" in options:  # for_dates gives each period's value at any of its dates
        rows = pandas.read_csv(tmp_path / "t.csv")
        values = marovane.for_dates(rows.iloc[:, 1], rows.iloc[:, 0], *arguments[:4])
        np.testing.assert_array_equal(values, rows.iloc[:, 2])
        last_days = dataset.time_bounds.values[:, 1] - np.timedelta64(1, "D")
        np.testing.assert_array_equal(
            marovane.for_dates(dataset.lat.values, last_days[:, None], *arguments[:4]),
            dataset["radiation"].values)


@pytest.mark.parametrize("dates", [None, "2024-02-27/2024-03-02"])
def test_stations_equal_the_command_lines_tables(tmp_path, dates):
    """A station list read by pandas gives, in to_dataset and for_dates, what marovane-cli
    --stations writes from the file: the same dataset, and each station's column of values."""
    import xarray
    stations = tmp_path / "stations.csv"
    stations.write_text('\ufeffName;Lat;Lon\n"Roma; Urbe";41.9;12.5\nSydney;33:52:03S;151.2\n'
                        'Zürich;47.4;8.5\nRoma2;41.9;12.6\n', encoding="utf-8")
    options = ["-a", "monthly"] + (["--dates", dates] if dates else [])
    for table in ["t.nc", "t.csv"]:
        subprocess.run([CLI, "--stations", str(stations), *options, "--table", str(tmp_path / table)],
                       capture_output=True, check=True)
    frame = pandas.read_csv(stations, sep=";", encoding="utf-8-sig")
    with xarray.open_dataset(tmp_path / "t.nc") as written:
        for dataset in [marovane.to_dataset(frame, "monthly", dates=dates),
                        marovane.to_dataset(frame.Lat, "monthly", dates=dates, station=frame.Name)]:
            xarray.testing.assert_identical(dataset, written)
        assert written.station_id.values.tolist() == ["Roma; Urbe", "Sydney", "Zürich", "Roma2"]
    csv = pandas.read_csv(tmp_path / "t.csv", index_col=0)
    assert csv.index.unique().tolist() == frame.Name.tolist()
    if dates is None:
        np.testing.assert_array_equal(csv.iloc[:, 1:].values, marovane.annual_cycle(
            [41.9, "33:52:03S", 47.4, 41.9], "monthly"))
        return
    series = csv.pivot(columns="Date", values=csv.columns[-1]).T.loc[:, frame.Name]
    values = marovane.for_dates(frame, pandas.DatetimeIndex(series.index), "monthly")
    assert values.columns.tolist() == frame.Name.tolist()
    np.testing.assert_array_equal(values.values, series.values)
    by_name = marovane.for_dates(frame.Lat, series.index, "monthly", station=frame.Name)
    np.testing.assert_array_equal(by_name.values, series.values)


@pytest.mark.parametrize("missing, dates, message", [
    ("xarray", None, "install python3-xarray"),
    ("xarray", "2024-01-01/2024-01-31", "install python3-xarray"),
    ("cftime", None, "install python3-cftime"),
])
def test_to_dataset_without_xarray_says_what_to_install(monkeypatch, missing, dates, message):
    monkeypatch.setitem(sys.modules, missing, None)
    with pytest.raises(ImportError, match=message):
        marovane.to_dataset(41.9, dates=dates)


def test_real_dates_need_no_cftime(monkeypatch):
    monkeypatch.setitem(sys.modules, "cftime", None)
    assert marovane.to_dataset(41.9, dates="2024-01-01/2024-01-31").time.size == 31
