# SPDX-License-Identifier: GPL-3.0-or-later
# The compiled core of the marovane package: flat C-ordered arrays in, flat arrays out.
from typing import Any

import numpy as np
import numpy.typing as npt

__version__: str
LATITUDE_OUT_OF_RANGE: str
SHOWN_CHARACTERS: int
FIRST_DATE: int
LAST_DATE: int
MISSING_DATE: int

def annual_cycles(
    latitudes: npt.NDArray[np.float32], aggregation: str, unit: str, quantity: str, method: str
) -> npt.NDArray[np.float64]: ...
def daily_radiation(
    latitudes: npt.NDArray[np.float32], days: npt.NDArray[np.int16], method: str
) -> npt.NDArray[np.float64]: ...
def day_length(
    latitudes: npt.NDArray[np.float32], days: npt.NDArray[np.int16], method: str
) -> npt.NDArray[np.float32] | npt.NDArray[np.float64]: ...
def for_dates(
    latitudes: npt.NDArray[np.float32],
    dates: npt.NDArray[np.int64],
    aggregation: str,
    unit: str,
    quantity: str,
    method: str,
) -> npt.NDArray[np.float64]: ...
def latitude_of_text(text: str) -> float: ...
def dates_of_texts(texts: list[str]) -> npt.NDArray[np.int64]: ...
def describe_table(
    aggregation: str, unit: str, quantity: str, method: str, stations: bool = False
) -> dict[str, Any]: ...
def describe_dated_table(
    dates: str, aggregation: str, unit: str, quantity: str, method: str, stations: bool = False
) -> dict[str, Any]: ...
def station_columns(
    header: list[str], latitude_column: str, id_column: str
) -> tuple[int, int | None]: ...
def stations_of_rows(
    header: list[str], rows: list[list[str]], latitude_column: str, id_column: str
) -> tuple[list[str], npt.NDArray[np.float32]]: ...
