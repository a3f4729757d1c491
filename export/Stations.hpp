// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Stations by name: a list of places with a header line, as spreadsheets and weather services
// write them ("id,lat,lon"), read for a table whose rows carry each station's identifier.
namespace marovane {

// The stations of a table, in the order of their file: identifier i is at latitude i.
struct Stations {
  std::vector<std::string> ids;
  std::vector<float> latitudes;
};

// Which columns hold the latitude and the identifier: a name given (matched in any case), or
// empty to take the first of lat, latitude (latitude) and id, station, name (identifier). Without
// an identifier column each station is named by its row number, 1 for the first below the
// header. `latitudeOption` and `idOption` are how the front end names the two choices, so that
// a refusal says what to give.
struct StationColumns {
  std::string latitude;
  std::string id;
  std::string_view latitudeOption = "--latitude-column";
  std::string_view idOption = "--id-column";
};

// Where the two columns are in a header: the latitude's, and the identifier's if there is one;
// nothing, with `refusal`, for a column missing or named twice.
struct StationColumnsFound {
  std::size_t latitude = 0;
  std::optional<std::size_t> id;
};
std::optional<StationColumnsFound> FindStationColumns(const std::vector<std::string>& header,
                                                      const StationColumns& columns,
                                                      std::string& refusal);

// The stations of a CSV text: a header line naming the columns, then one station per row. The
// separator is the comma, the semicolon or the tab, whichever the header holds most of; a UTF-8
// byte order mark is skipped; a field may be quoted ("Rome, Urbe"), with "" for a quote inside;
// blanks around a field are dropped, and so are empty lines. Nothing, with `refusal` naming the
// row (and its line in the text) and the column, for a missing column, a latitude that is not a
// number or lies outside -90..90, an empty or repeated identifier, a quote left open, no
// station at all, or more than kMostTableLatitudes of them.
std::optional<Stations> ParseStations(std::string_view text, const StationColumns& columns,
                                      std::string& refusal);

// The same reading and checks for rows already split into fields (a data frame's): the
// header's names, then each row's fields as texts. Rows are named by their number alone.
std::optional<Stations> StationsOfRows(const std::vector<std::string>& header,
                                       const std::vector<std::vector<std::string>>& rows,
                                       const StationColumns& columns, std::string& refusal);

// A field of the program's CSV tables: as it is, or quoted (a quote doubled) when it holds a
// comma, a quote or a line end, or begins or ends with a blank, which readers would drop.
std::string CsvField(std::string_view text);

}  // namespace marovane
