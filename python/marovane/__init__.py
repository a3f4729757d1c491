# SPDX-License-Identifier: GPL-3.0-or-later
"""Daily extraterrestrial solar radiation and day length, as Marovane computes them.

The numbers are those of the program, bit for bit: a table's values equal those its files
print, and the daily values equal the program's own. Every function takes NumPy arrays of any
shape and broadcasts them; a call whose arguments are all scalars returns a NumPy scalar.

Latitudes are decimal degrees, north positive, -90..90, checked on the value given and then
held in single precision as the program holds them (``float32(latitude)``); a text is read as
the command line reads it (``"41.9"``, ``"41:54:00N"``). Choices take the command line's
names: the aggregation ``"daily"``, ``"weekly"``, ``"dekadal"``, ``"monthly"`` or
``"pentadal"`` (or its code 1..5), the unit by its label (``"MJ/m^2/day"``, ``"J/cm^2/day"``, ``"cal/cm^2/day"``,
``"W/m^2"``, ``"mm/day"``, ``"MJ/m^2/dekad"``, ``"mm/dekad"``) or its code 1..7, the quantity
``"radiation"`` or ``"daylength"`` and the method ``"harmonic"`` (Marovane's own model) or
``"fao56"`` (the formulas of FAO Irrigation and Drainage Paper 56).

Errors are exceptions: ValueError for a value out of range or an unknown name (the message
lists the accepted ones), TypeError for an argument of the wrong type. The computations run
without the GIL, on every core for large arrays.
"""

from __future__ import annotations

import datetime as _datetime
import math as _math
import numbers as _numbers
import sys as _sys
from fractions import Fraction as _Fraction
from typing import TYPE_CHECKING, Any, Union

import numpy as _np

from . import _marovane
from ._marovane import __version__

if TYPE_CHECKING:
    import numpy.typing as npt
    import pandas
    import xarray

    # A latitude, a day or a date, or any array or sequence of them.
    Latitudes = Union[npt.ArrayLike, str]
    Days = npt.ArrayLike
    Dates = Union[npt.ArrayLike, str, _datetime.date]

__all__ = [
    "__version__",
    "annual_cycle",
    "daily_radiation",
    "day_length",
    "for_dates",
    "to_dataset",
]

Choice = Union[str, int]

_EPOCH_ORDINAL = _datetime.date(1970, 1, 1).toordinal()

# A date not given (NaT, None or NaN), as days: its value is NaN.
_MISSING = _marovane.MISSING_DATE

# Whether a year is a leap year in each calendar of climate models' dates (cftime's), by which a
# date takes its day of the year: the 365-day calendars take that of the 365-day year.
# Each rule takes a year or an array of years.
def _julian_leap(year: Any) -> Any:
    return _np.asarray(year) % 4 == 0


def _gregorian_leap(year: Any) -> Any:
    year = _np.asarray(year)
    return (year % 4 == 0) & ((year % 100 != 0) | (year % 400 == 0))


def _mixed_leap(year: Any) -> Any:
    # Julian before 15 October 1582, Gregorian after; 1582 is no leap year in either.
    return _np.where(_np.asarray(year) < 1582, _julian_leap(year), _gregorian_leap(year))


def _never_leap(year: Any) -> Any:
    return _np.zeros(_np.shape(year), dtype=bool)


def _always_leap(year: Any) -> Any:
    return _np.ones(_np.shape(year), dtype=bool)


_CALENDAR_LEAP = {
    "noleap": _never_leap,
    "365_day": _never_leap,
    "all_leap": _always_leap,
    "366_day": _always_leap,
    "proleptic_gregorian": _gregorian_leap,
    "julian": _julian_leap,
    "standard": _mixed_leap,
    "gregorian": _mixed_leap,
}
# Calendars whose years all have one length: the year plays no part, any year is taken.
_ONE_LENGTH = {"noleap", "365_day", "all_leap", "366_day"}
# A common year and a leap year, to hold the month and day of a date of another calendar: days
# since 1970-01-01 of 1 January of each, and of the first of each month of the common year.
_COMMON_YEAR, _LEAP_YEAR = 1970, 1972
_LEAP_YEAR_DAYS = _datetime.date(_LEAP_YEAR, 1, 1).toordinal() - _EPOCH_ORDINAL
_MONTH_DAYS = _np.array([_datetime.date(_COMMON_YEAR, month, 1).toordinal() - _EPOCH_ORDINAL
                         for month in range(1, 13)])

# The seconds in one unit of numpy.datetime64 of a fixed length.
_UNIT_SECONDS = {"W": 604800, "D": 86400, "h": 3600, "m": 60, "s": 1,
                 **{unit: _Fraction(1, 1000**n) for n, unit in enumerate(
                     ["ms", "us", "ns", "ps", "fs", "as"], start=1)}}
# The days in one unit, near enough to tell a date in the years 1 to 9999 from one that
# numpy's conversion to days has wrapped around.
_UNIT_DAYS = {"Y": 365.2425, "M": 30.436875,
              **{unit: float(seconds) / 86400 for unit, seconds in _UNIT_SECONDS.items()}}


def _where(index: tuple[int, ...]) -> str:
    return f" at index {index}" if index else ""


def _first_false(ok: _np.ndarray) -> tuple[int, ...]:
    return tuple(int(i) for i in _np.unravel_index(int(_np.argmin(ok)), ok.shape))


def _type_name(value: Any) -> str:
    return type(value).__name__


def _shown(value: Any) -> str:
    shown = str(value)
    cut = _marovane.SHOWN_CHARACTERS
    return shown if len(shown) <= cut else shown[:cut] + "\u2026"


def _units(items: _np.ndarray) -> set[tuple[str, int]]:
    return {_np.datetime_data(item.dtype) for item in items.flat
            if isinstance(item, _np.datetime64) and not _np.isnat(item)}


def _array(value: Any, what: str, mixed: str = "USM") -> _np.ndarray:
    """The value as numpy reads it; but the items of a list that numpy would turn into others
    of the kinds `mixed` are kept as they are: numbers, dates and None of a list that holds
    texts, which numpy writes as texts; days in several units, which numpy turns into the
    finest, wrapping around those that do not fit; integers it makes floats of."""
    try:
        values = _np.asarray(value)
        if isinstance(value, (list, tuple)) and values.dtype.kind in mixed:
            items = _np.asarray(value, dtype=object)
            # Dates of several units, or beside other things (a timedelta64 numpy takes for one).
            if (values.dtype.kind != "M" or len(_units(items)) > 1
                    or not all(isinstance(item, _np.datetime64) for item in items.flat)):
                values = items
    except ValueError:
        raise ValueError(f"{what} must be one value or an array of one shape, not lists of "
                         f"different lengths") from None
    return values


def _broadcast(latitudes: _np.ndarray, other: _np.ndarray, what: str) -> list[_np.ndarray]:
    """Both arrays with the dimensions of their broadcast, those they lack of length 1: views,
    not copies."""
    try:
        dims = len(_np.broadcast_shapes(latitudes.shape, other.shape))
        return [array.reshape((1,) * (dims - array.ndim) + array.shape)
                for array in (latitudes, other)]
    except ValueError:
        raise ValueError(f"shape mismatch: latitude of shape {latitudes.shape} and {what} of "
                         f"shape {other.shape} do not broadcast to one shape") from None


def _choice_name(value: Any, what: str) -> str:
    """A choice as the command line's text: a name, or a code written as its digits."""
    if isinstance(value, str):
        return value
    if isinstance(value, _numbers.Integral) and not isinstance(value, (bool, _np.bool_)):
        return str(int(value))
    raise TypeError(f"{what} must be a name (str) or a code (int), not {_type_name(value)}")


def _choices(aggregation: Any, unit: Any, quantity: Any, method: Any) -> tuple[str, str, str, str]:
    return (
        _choice_name(aggregation, "aggregation"),
        _choice_name(unit, "unit"),
        _choice_name(quantity, "quantity"),
        _choice_name(method, "method"),
    )


def _latitude_of_number(number: Any, index: tuple[int, ...]) -> _np.float32:
    try:
        value = float(number)
    except OverflowError:  # an integer beyond any double
        value = _np.inf
    if not -90.0 <= value <= 90.0:
        shown = _shown(repr(number if value == _np.inf else value))
        raise ValueError(f"{_marovane.LATITUDE_OUT_OF_RANGE} Got {shown}{_where(index)}.")
    return _np.float32(value)


def _latitude_of_text(text: str, index: tuple[int, ...]) -> _np.float32:
    try:
        return _np.float32(_marovane.latitude_of_text(text))
    except ValueError as error:
        if not index:
            raise
        raise ValueError(f"{str(error).rstrip('.')}{_where(index)}.") from None


def _latitudes(latitude: Any) -> _np.ndarray:
    """The latitudes in single precision, in the shape given, after the program's checks."""
    if isinstance(latitude, str):
        return _np.asarray(_latitude_of_text(latitude, ()))
    values = _array(latitude, "latitude")
    kind = values.dtype.kind
    if kind in "iuf":
        doubles = values.astype(_np.float64, copy=False)
        ok = (doubles >= -90.0) & (doubles <= 90.0)  # NaN is refused too
        if not ok.all():
            index = _first_false(ok)
            _latitude_of_number(float(doubles[index]), index)
        return doubles.astype(_np.float32)
    if kind in "UO":
        result = _np.empty(values.shape, dtype=_np.float32)
        for index, item in _np.ndenumerate(values):
            if isinstance(item, str):
                result[index] = _latitude_of_text(item, index)
            elif isinstance(item, _numbers.Real) and not isinstance(item, (bool, _np.bool_)):
                result[index] = _latitude_of_number(item, index)
            else:
                raise TypeError(
                    f"latitude must be a number or a text, not {_type_name(item)}{_where(index)}"
                )
        return result
    raise TypeError(f"latitude must be numbers or texts, not an array of {values.dtype}")


def _days(day: Any) -> _np.ndarray:
    """Days of the year 1..366 as int16, in the shape given."""
    if isinstance(day, (bool, _np.bool_)):
        raise TypeError("day must be an integer day of the year, not bool")
    values = _array(day, "day", "USMf")
    kind = values.dtype.kind
    if kind == "O":  # integers beyond int64, or numbers of any type
        for index, item in _np.ndenumerate(values):
            if not isinstance(item, _numbers.Integral) or isinstance(item, (bool, _np.bool_)):
                raise TypeError(
                    f"day must be an integer day of the year, not {_type_name(item)}{_where(index)}"
                )
        ok = _np.asarray(_np.frompyfunc(lambda d: 1 <= d <= 366, 1, 1)(values), dtype=bool)
    elif kind in "iu":
        ok = (values >= 1) & (values <= 366)
    elif kind == "f" and values.size == 0:  # an empty list
        ok = _np.ones(values.shape, dtype=bool)
    else:
        raise TypeError(f"day must be integer days of the year, not an array of {values.dtype}")
    if not ok.all():
        index = _first_false(ok)
        raise ValueError(
            f"day must be a day of the year, 1..366; got {_shown(values[index])}{_where(index)}")
    return values.astype(_np.int16)


def _check_dates(days: _np.ndarray, shown: _np.ndarray) -> _np.ndarray:
    ok = ((days >= _marovane.FIRST_DATE) & (days <= _marovane.LAST_DATE)) | (days == _MISSING)
    if not ok.all():
        index = _first_false(ok)
        raise ValueError(
            f"dates must lie in the years 1 to 9999; got {_shown(shown[index])}{_where(index)}")
    return days


def _is_missing(item: Any) -> bool:
    """None, NaN, NaT of numpy or pandas (a date, to Python, unequal to itself), or pandas' NA."""
    if item is None or item is getattr(_sys.modules.get("pandas"), "NA", None):
        return True
    return isinstance(item, (_numbers.Real, _datetime.date, _np.datetime64)) and bool(item != item)


def _is_cftime(item: Any) -> bool:
    return type(item).__module__.partition(".")[0] == "cftime"


def _cftime_days(item: Any, index: tuple[int, ...]) -> int:
    """A date of a climate model's calendar, as the real date of its month and day in a year of
    its own year's length."""
    calendar = str(getattr(item, "calendar", "") or "")
    if calendar.lower() == "360_day":
        raise ValueError(
            f"dates of the 360_day calendar have no day of the real year: all its months have "
            f"30 days, so a date does not say where the Earth is on its orbit; convert them to "
            f"a calendar of 365 or 366 days first (xarray: convert_calendar){_where(index)}")
    leap = _CALENDAR_LEAP.get(calendar.lower())
    if leap is None:
        known = ", ".join(_CALENDAR_LEAP)
        raise ValueError(f"dates of the calendar {_shown(repr(calendar))} have no day of the "
                         f"real year known here; give dates of {known}{_where(index)}")
    year = int(item.year)
    if calendar.lower() not in _ONE_LENGTH and not 1 <= year <= 9999:
        raise ValueError(f"dates must lie in the years 1 to 9999; got {_shown(item)}{_where(index)}")
    held = _datetime.date(_LEAP_YEAR if leap(year) else _COMMON_YEAR, int(item.month), int(item.day))
    return held.toordinal() - _EPOCH_ORDINAL


def _cftime_array(items: _np.ndarray) -> _np.ndarray | None:
    """The days of a flat array of cftime dates of one known calendar, reckoned together; None
    for any other array, whose items are then read one by one."""
    first = items[0] if items.size else None
    if not _is_cftime(first):
        return None
    kind, calendar = type(first), getattr(first, "calendar", None)
    if not all(type(item) is kind and item.calendar == calendar for item in items):
        return None
    leap = _CALENDAR_LEAP.get(str(calendar or "").lower())
    if leap is None:
        return None
    ymd = _np.array([(item.year, item.month, item.day) for item in items], dtype=_np.int64)
    year, month, day = ymd[:, 0], ymd[:, 1], ymd[:, 2]
    if calendar.lower() not in _ONE_LENGTH and not ((year >= 1) & (year <= 9999)).all():
        return None
    leaps = leap(year)
    return (_np.where(leaps, _LEAP_YEAR_DAYS, 0) + _MONTH_DAYS[month - 1]
            + (leaps & (month > 2)) + day - 1)


def _date_days(item: Any, index: tuple[int, ...]) -> int:
    if _is_missing(item):
        return _MISSING
    if _is_cftime(item):
        return _cftime_days(item, index)
    if isinstance(item, _datetime.datetime):
        item = item.date()  # the date where it was taken, whatever its time zone
    if isinstance(item, _datetime.date):
        return item.toordinal() - _EPOCH_ORDINAL
    if isinstance(item, _np.datetime64):
        return int(_datetime_days(_np.asarray(item))[()])
    if isinstance(item, str):
        return int(_marovane.dates_of_texts([item])[0])
    raise TypeError(
        f"dates must be texts (YYYY-MM-DD), dates or cftime dates, not {_type_name(item)}"
        f"{_where(index)}"
    )


def _datetime_days(values: _np.ndarray) -> _np.ndarray:
    nat = _np.isnat(values)
    unit, count = _np.datetime_data(values.dtype)
    days = _np.where(nat, _MISSING, values.astype("datetime64[D]").astype(_np.int64))
    # numpy's conversion to days does not look for overflow: near the ends of int64, or in a
    # unit of many hours or years, a date may wrap around. Reckoned roughly too, the two agree.
    ticks = values.astype(_np.int64)
    rough = ticks.astype(_np.float64) * (count * _UNIT_DAYS.get(unit, 1.0))
    with _np.errstate(invalid="ignore"):
        agree = _np.array(nat | (_np.abs(rough - days) <= 3))  # an array even of one date
    if not agree.all() and unit in _UNIT_SECONDS:  # those of a fixed unit are reckoned exactly
        tick = _Fraction(_UNIT_SECONDS[unit]) * count / 86400
        flat_days, flat_agree = days.reshape(-1), agree.reshape(-1)
        for i in _np.flatnonzero(~flat_agree):
            exact = _math.floor(int(ticks.reshape(-1)[i]) * tick)
            if _marovane.FIRST_DATE <= exact <= _marovane.LAST_DATE:
                flat_days[i], flat_agree[i] = exact, True
    if not agree.all():  # numpy prints such a date as the one it wraps to: its count is shown
        index = _first_false(agree)
        raise ValueError(f"dates must lie in the years 1 to 9999; got {_shown(ticks[index])} in "
                         f"{values.dtype}{_where(index)}")
    return _check_dates(days, values)


def _dates(dates: Any) -> _np.ndarray:
    """Dates as days since 1970-01-01 (int64), in the shape given."""
    if isinstance(dates, (str, _datetime.date, _np.datetime64)) or _is_cftime(dates):
        return _np.asarray(_date_days(dates, ()), dtype=_np.int64)
    values = _array(dates, "dates")
    kind = values.dtype.kind
    if kind == "M":
        return _datetime_days(values)
    if kind == "U":
        return _marovane.dates_of_texts(values.ravel().tolist()).reshape(values.shape)
    if kind == "O":
        items = values.ravel()
        model = _cftime_array(items)  # a model's time axis, as xarray decodes it
        if model is not None:
            return model.reshape(values.shape)
        result = _np.empty(items.shape, dtype=_np.int64)
        texts = _np.fromiter((isinstance(item, str) for item in items), bool, count=items.size)
        if texts.any():  # read together, as an array of texts is
            result[texts] = _marovane.dates_of_texts(items[texts].tolist())
        for i in _np.flatnonzero(~texts):
            try:
                result[i] = _date_days(items[i], ())
            except (TypeError, ValueError):  # again, to say where
                _date_days(items[i], tuple(int(n) for n in _np.unravel_index(i, values.shape)))
                raise
        return _check_dates(result.reshape(values.shape), values)
    if kind == "f" and _np.isnan(values).all():  # an empty list, or a column of missing dates
        return _np.full(values.shape, _MISSING, dtype=_np.int64)
    raise TypeError(
        f"dates must be texts (YYYY-MM-DD) or numpy.datetime64, not an array of {values.dtype}"
    )


def _flat(array: _np.ndarray, dtype: Any) -> _np.ndarray:
    return _np.ascontiguousarray(array, dtype=dtype).reshape(-1)


def _field(value: Any) -> str:
    """A latitude or an identifier as the text a station file would hold for it."""
    if _is_missing(value):
        return ""
    if isinstance(value, str):
        return value
    if (isinstance(value, _numbers.Real) and not isinstance(value, _numbers.Integral)
            and not isinstance(value, (bool, _np.bool_))):
        return repr(float(value))  # the shortest text that reads back as the same double
    return str(value)


def _stations(latitude: Any, station: Any, latitude_column: str | None,
              id_column: str | None) -> tuple[list[str], _np.ndarray] | None:
    """The stations' identifiers and single-precision latitudes, from a pandas DataFrame (its
    columns found and its rows checked as marovane-cli --stations finds and checks a file's) or
    from latitudes with identifiers beside them; None for latitudes alone."""
    pandas = _sys.modules.get("pandas")
    frame = pandas is not None and isinstance(latitude, pandas.DataFrame)
    if not frame and station is None:
        if latitude_column is not None or id_column is not None:
            raise TypeError("latitude_column and id_column name columns of a pandas DataFrame "
                            "given as latitude")
        return None
    if frame:
        if station is not None:
            raise TypeError("station goes with latitudes; a DataFrame names its stations in a "
                            "column of its own")
        header = [str(name) for name in latitude.columns]
        at, id_at = _marovane.station_columns(header, latitude_column or "", id_column or "")
        columns = [latitude.iloc[:, at]] + ([] if id_at is None else [latitude.iloc[:, id_at]])
        names = [header[at]] + ([] if id_at is None else [header[id_at]])
    else:
        columns = [_np.asarray(latitude, dtype=object), _np.asarray(station, dtype=object)]
        if columns[0].ndim > 1 or columns[1].ndim > 1 or columns[0].size != columns[1].size:
            raise ValueError(f"latitude and station must be one-dimensional and of one length, "
                             f"not of shapes {columns[0].shape} and {columns[1].shape}")
        columns = [column.reshape(-1) for column in columns]
        names = ["latitude", "station"]
    rows = [[_field(value) for value in row] for row in zip(*columns)]
    return _marovane.stations_of_rows(names, rows, names[0], names[1] if len(names) > 1 else "")


def annual_cycle(
    latitude: Latitudes,
    aggregation: Choice = "dekadal",
    unit: Choice = "MJ/m^2/day",
    quantity: Choice = "radiation",
    method: Choice = "harmonic",
) -> npt.NDArray[_np.float64]:
    """The annual table of each latitude, as Marovane's files hold it.

    Parameters
    ----------
    latitude : float, str or array_like
        Decimal degrees, north positive, -90..90; texts as the command line reads them.
    aggregation : str or int
        ``"daily"`` (365 days), ``"weekly"`` (53 weeks), ``"dekadal"`` (36 dekads, the
        default), ``"monthly"`` (12 months) or ``"pentadal"`` (72 pentads: days 1-5, 6-10,
        11-15, 16-20, 21-25 and 26 to the month's end) over the 365-day year, or the code 1..5.
    unit : str or int
        The unit's label or code 1..7; ``"MJ/m^2/day"`` by default. In the per-dekad units a
        dekad's value is its total over its own 8, 10 or 11 days, any other period's a total
        over a nominal 10-day dekad. Ignored for the day length, in hours.
    quantity : str
        ``"radiation"`` (the default) or ``"daylength"``.
    method : str
        ``"harmonic"`` (the default) or ``"fao56"``.

    Returns
    -------
    numpy.ndarray
        float64 of shape ``shape(latitude) + (periods,)``: each period's mean daily value in
        the unit, rounded to 3 decimals, equal to the number the file prints.

    Examples
    --------
    >>> annual_cycle(41.9)[:4]
    array([12.969, 13.986, 15.55 , 17.545])
    >>> annual_cycle([0, 41.9], "monthly", "mm/day").shape
    (2, 12)
    """
    names = _choices(aggregation, unit, quantity, method)
    latitudes = _latitudes(latitude)
    table = _marovane.annual_cycles(_flat(latitudes, _np.float32), *names)
    return table.reshape(latitudes.shape + table.shape[1:])


def _per_day(function: Any, latitude: Any, day: Any, method: Any) -> Any:
    name = _choice_name(method, "method")
    latitudes, days = _np.broadcast_arrays(*_broadcast(_latitudes(latitude), _days(day), "day"))
    values = function(_flat(latitudes, _np.float32), _flat(days, _np.int16), name)
    return values.reshape(latitudes.shape)[()]


def daily_radiation(
    latitude: Latitudes, day: Days, method: Choice = "harmonic"
) -> npt.NDArray[_np.float64] | _np.float64:
    """Extraterrestrial radiation Ra of each latitude on each day of the year, in MJ/m^2/day.

    Bit for bit the program's daily value by the method: by default its own model (a
    four-harmonic declination, single-precision steps), or FAO-56's eqs 21-25 in double
    precision. The program holds this value in double precision, so it is returned as float64:
    rounding it to float32 would lose digits the program has. In polar night the value is 0, by
    the default method a negative zero at exactly -90 or +90 degrees.

    Parameters
    ----------
    latitude : float, str or array_like
        Decimal degrees, -90..90, held in single precision.
    day : int or array_like of int
        Day of the year, 1..366 (366 is 31 December of a leap year); broadcast with latitude.
    method : str
        ``"harmonic"`` (the default) or ``"fao56"``.

    Returns
    -------
    numpy.ndarray or numpy.float64
        float64 in the broadcast shape of latitude and day.

    Examples
    --------
    >>> daily_radiation(41.9, [172, 366])
    array([41.93044559, 12.65090418])
    """
    return _per_day(_marovane.daily_radiation, latitude, day, method)


def day_length(
    latitude: Latitudes, day: Days, method: Choice = "harmonic"
) -> npt.NDArray[_np.float32 | _np.float64] | _np.float32 | _np.float64:
    """Astronomical day length of each latitude on each day of the year, in hours.

    Bit for bit the program's value by the method: in single precision by default (its own
    model), in double precision by ``"fao56"`` (eq. 34). Exactly 24 in polar day, 0 in polar
    night and 12 at the equator.

    Parameters
    ----------
    latitude : float, str or array_like
        Decimal degrees, -90..90, held in single precision.
    day : int or array_like of int
        Day of the year, 1..366; broadcast with latitude.
    method : str
        ``"harmonic"`` (the default) or ``"fao56"``.

    Returns
    -------
    numpy.ndarray, numpy.float32 or numpy.float64
        float32 (``"harmonic"``) or float64 (``"fao56"``) in the broadcast shape of latitude
        and day.

    Examples
    --------
    >>> day_length([0, 41.9, 80], 172)
    array([12.      , 15.051961, 24.      ], dtype=float32)
    """
    return _per_day(_marovane.day_length, latitude, day, method)


def for_dates(
    latitude: Latitudes,
    dates: Dates,
    aggregation: Choice = "daily",
    unit: Choice = "MJ/m^2/day",
    quantity: Choice = "radiation",
    method: Choice = "harmonic",
    *,
    station: npt.ArrayLike | None = None,
    latitude_column: str | None = None,
    id_column: str | None = None,
) -> npt.NDArray[_np.float64] | _np.float64 | pandas.DataFrame:
    """The value, on real calendar dates, of the period that holds each date.

    A date's day of the year runs 1..366 (29 February is day 60 of a leap year, 1 March day
    61); periods are those of the real calendar: the day itself, its dekad (1-10, 11-20, 21 to
    the month's end, so a leap year's third February dekad has 9 days) or its month. Each value
    is the one marovane-cli --dates writes for that period, rounded to 3 decimals.

    Parameters
    ----------
    latitude : float, str or array_like
        Decimal degrees, -90..90, held in single precision; broadcast with dates.
    dates : str, datetime.date, numpy.datetime64, cftime.datetime or array_like of them
        ISO dates (``"2024-02-29"``, or with a time of day: ``"2024-02-29T06:30+01:00"``),
        dates or datetimes (their date; a time of day plays no part), in the years 1 to 9999.
        A pandas DatetimeIndex or Series works as it is. A date not given (NaT, pandas' NA,
        None or NaN) has the value NaN. Dates of climate models' calendars (cftime's, as
        xarray decodes them) take the values of their month and day in a year of their own
        year's length: ``noleap`` and ``365_day`` dates those of the 365-day year (any year),
        ``all_leap`` and ``366_day`` those of a leap year, ``standard``, ``gregorian``,
        ``proleptic_gregorian`` and ``julian`` dates their day of the year by their own leap
        rule; ``360_day`` dates are refused (ValueError): their months of 30 days put no date
        at a day of the real year.
    aggregation : str or int
        ``"daily"`` (the default), ``"dekadal"``, ``"monthly"`` or ``"pentadal"``; weekly has
        no real periods.
    unit, quantity, method
        As for :func:`annual_cycle`. A dekad in the per-dekad units is its total over its own
        days; a day or a month, over a nominal 10-day dekad.
    station : array_like, optional
        The stations' identifiers, one for each of the latitudes (one-dimensional).
    latitude_column, id_column : str, optional
        With a pandas DataFrame of stations as latitude, the names of its columns (any case);
        by default ``lat`` or ``latitude``, and ``id``, ``station`` or ``name`` (the row number
        when there is none), as ``marovane-cli --stations`` reads a file.

    Returns
    -------
    numpy.ndarray or numpy.float64
        float64 in the broadcast shape of latitude and dates. For stations (a DataFrame, or
        ``station``), a pandas DataFrame: one row per date (a one-dimensional sequence), one
        column per station, named by its identifier.

    Examples
    --------
    >>> for_dates(41.9, ["2024-02-29", "2024-12-31"], unit="mm/day")
    array([9.428, 5.162])
    >>> import pandas as pd
    >>> days = pd.date_range("2023-01-01", "2024-12-31")
    >>> ra = pd.Series(for_dates(41.9, days, unit="mm/day"), index=days)
    >>> ra["2024-02-27":"2024-03-01"].tolist()
    [9.219, 9.323, 9.428, 9.533]
    >>> import cftime
    >>> for_dates(41.9, cftime.datetime(2024, 3, 1, calendar="noleap"), unit="mm/day")
    9.428
    """
    names = _choices(aggregation, unit, quantity, method)
    stations = _stations(latitude, station, latitude_column, id_column)
    if stations is not None:
        return _station_frame(stations, dates, names)
    latitudes, days = _broadcast(_latitudes(latitude), _dates(dates), "dates")
    values = _marovane.for_dates(_np.asarray(latitudes, dtype=_np.float32, order="C"),
                                 _np.asarray(days, dtype=_np.int64, order="C"), *names)
    return values[()]


def _station_frame(stations: tuple[list[str], _np.ndarray], dates: Any,
                   names: tuple[str, str, str, str]) -> pandas.DataFrame:
    """for_dates of stations: a row per date, a column per station."""
    try:
        import pandas
    except ImportError as error:
        raise ImportError("marovane.for_dates of stations gives a pandas DataFrame: install "
                          "python3-pandas (sudo apt-get install python3-pandas)") from error
    days = _dates(dates)
    if days.ndim > 1:
        raise ValueError(f"dates of stations must be one date or a sequence of them, not of "
                         f"shape {days.shape}")
    days = days.reshape(-1)
    when = _np.where(days == _MISSING, _np.datetime64("NaT", "D"),
                     days.astype("datetime64[D]"))
    ids, latitudes = stations
    values = for_dates(latitudes[None, :], when[:, None], *names)
    index = dates if isinstance(dates, pandas.Index) else pandas.DatetimeIndex(when, name="date")
    return pandas.DataFrame(values, index=index, columns=pandas.Index(ids, name="station"))


def _station_ids(ids: list[str]) -> _np.ndarray:
    """The identifiers as the NetCDF file holds them: UTF-8 characters, NUL after each."""
    encoded = [id.encode("utf-8") for id in ids]
    width = max(1, max(len(id) for id in encoded))
    return _np.array(encoded, dtype=f"S{width}").reshape(-1, 1).view("S1")


def _date_range(dates: Any) -> str:
    """FROM/TO as the command line takes it, from a text or a pair of dates."""
    if isinstance(dates, str):
        return dates
    if isinstance(dates, (tuple, list)) and len(dates) == 2:
        if any(_is_cftime(end) for end in dates):  # its year would be lost
            raise TypeError("dates: FROM and TO of a table are real dates, not dates of a model "
                            "calendar (cftime); for_dates takes those")
        ends = [_dates(end) for end in dates]
        if all(end.ndim == 0 for end in ends):
            if any(int(end) == _MISSING for end in ends):
                raise ValueError("dates: FROM and TO must be dates, not NaT, None or NaN")
            return "/".join(str(_np.datetime64(int(end), "D")) for end in ends)
    raise TypeError("dates must be 'FROM/TO' (ISO dates) or a pair (from, to) of dates")


def to_dataset(
    latitude: Latitudes,
    aggregation: Choice | None = None,
    unit: Choice = "MJ/m^2/day",
    quantity: Choice = "radiation",
    method: Choice = "harmonic",
    dates: str | tuple[Dates, Dates] | None = None,
    *,
    station: npt.ArrayLike | None = None,
    latitude_column: str | None = None,
    id_column: str | None = None,
) -> xarray.Dataset:
    """The table of many latitudes as an xarray.Dataset: the NetCDF table of marovane-cli.

    The dataset holds the variables and attributes of the file that ``marovane-cli --table
    PATH.nc`` writes for the same choice, as ``xarray.open_dataset`` reads it back (CF
    conventions 1.8): the coordinate ``lat`` in single precision, a ``time`` coordinate in a
    year of 365 days (calendar ``noleap``, the year 1, decoded to cftime dates: each period's
    first day, with ``time_bounds`` from it to the next period's first day), one longitude
    ``lon`` (0: the values hold at every longitude), and the data variable ``radiation`` or
    ``daylength`` of dimensions (time, lat, lon) with its units, long_name and cell_methods.
    Period n is ``ds.isel(time=n - 1)``; ``ds.radiation.groupby("time.month")`` groups the days
    by month. With ``dates``, the table of real dates of ``--dates FROM/TO``: a ``time``
    coordinate, each period's first day, with bounds, and the data of dimensions (time, lat).

    Parameters
    ----------
    latitude : float, str or sequence of them
        One latitude or a one-dimensional sequence, in the table's order.
    aggregation, unit, quantity, method
        As for :func:`annual_cycle`; with ``dates`` the aggregation is daily, dekadal,
        monthly or pentadal. The aggregation is dekadal by default, and daily with ``dates``,
        as for the file and for :func:`for_dates`.
    dates : str or (date, date), optional
        ``"2023-01-01/2024-12-31"`` or a pair of dates: FROM and TO, both included, at most
        100 years; every period that overlaps them is taken whole.
    station, latitude_column, id_column
        Stations by name, as for :func:`for_dates`: the table of ``marovane-cli --stations``,
        with a ``station`` dimension in the stations' order, ``station_id`` and ``lat`` along
        it.

    Returns
    -------
    xarray.Dataset

    Raises
    ------
    ImportError
        When xarray is not installed (Debian: ``python3-xarray``), or, without ``dates``,
        cftime (``python3-cftime``).
    """
    try:
        import xarray
    except ImportError as error:
        raise ImportError(
            "marovane.to_dataset needs xarray: install python3-xarray "
            "(sudo apt-get install python3-xarray), or use annual_cycle and for_dates"
        ) from error
    if dates is None:
        # Without cftime, xarray would leave the noleap time as plain numbers, with a warning.
        try:
            import cftime  # noqa: F401
        except ImportError as error:
            raise ImportError(
                "marovane.to_dataset needs cftime for the 365-day year's time: install "
                "python3-cftime (sudo apt-get install python3-cftime), or give dates"
            ) from error
    if aggregation is None:
        aggregation = "dekadal" if dates is None else "daily"
    names = _choices(aggregation, unit, quantity, method)
    stations = _stations(latitude, station, latitude_column, id_column)
    if stations is None:
        latitudes = _latitudes(latitude)
        if latitudes.ndim > 1:
            raise ValueError(f"latitude must be one latitude or a sequence of them, not of shape "
                             f"{latitudes.shape}")
        lat = _flat(latitudes, _np.float32)
    else:
        lat = stations[1]
    if dates is None:
        table = _marovane.describe_table(*names, stations=stations is not None)
        values = {
            table["period"]: table["times"],
            table["period_bounds"]: table["bounds"],
            table["latitude"]: lat,
            table["longitude"]: _np.zeros(1, _np.float32),
            # Time first; a table of latitudes has its one longitude last, one of stations none.
            table["data"]: (annual_cycle(lat, *names).T if stations is not None
                            else annual_cycle(lat, *names).T[:, :, None]),
        }
    else:
        table = _marovane.describe_dated_table(_date_range(dates), *names,
                                               stations=stations is not None)
        firsts = table["firsts"]
        time = (firsts - firsts[0]).astype(_np.float64)
        values = {
            table["period"]: time,
            table["period_bounds"]: _np.stack([time, time + table["days"]], axis=1),
            table["latitude"]: lat,
            table["data"]: for_dates(lat, firsts[:, None].astype("datetime64[D]"), *names),
        }
    if stations is not None:
        values[table["station_id"]] = _station_ids(stations[0])
    # The variables as the file stores them, then decoded as xarray decodes a file it opens.
    stored = xarray.Dataset(attrs=dict(table["global"]))
    for variable in table["variables"]:
        stored[variable["name"]] = xarray.Variable(
            variable["dimensions"], values[variable["name"]], attrs=dict(variable["attributes"]))
    dataset = xarray.decode_cf(stored).load()
    # Written back (to_netcdf), the file is the command line's: xarray would give every
    # floating-point variable a fill value, coordinates and their bounds too, where CF allows
    # none, and the bounds the period numbers as coordinates, which only the data has.
    for variable in dataset.variables.values():
        variable.encoding["_FillValue"] = None
        variable.encoding.setdefault("coordinates", None)
    return dataset
