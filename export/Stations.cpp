// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/Stations.hpp"

#include <array>
#include <unordered_map>

#include "export/Table.hpp"
#include "text/LatitudeForms.hpp"
#include "text/ShownText.hpp"

namespace marovane {

namespace {

// The names a column goes by when none is given, in the order they are taken.
constexpr std::array<std::string_view, 2> kLatitudeNames = {"lat", "latitude"};
constexpr std::array<std::string_view, 3> kIdNames = {"id", "station", "name"};

struct Row {
  std::vector<std::string> fields;
  std::size_t line = 0;  // where it begins in the text; 0 for rows given split
};

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  }
  return lower;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) {
    text.remove_prefix(1);
  }
  while (!text.empty() && IsBlank(text.back())) {
    text.remove_suffix(1);
  }
  return text;
}

std::string Quoted(std::string_view text) {
  std::string quoted(1, '\'');
  quoted += ShownText(text, kShownCharacters);
  quoted += '\'';
  return quoted;
}

// The separator the header holds most of, outside quotes: comma, semicolon or tab, the comma
// on a tie and when there is none (a file of one column).
char Separator(std::string_view text) {
  std::size_t counts[3] = {};
  const char separators[3] = {',', ';', '\t'};
  bool quoted = false;
  for (const char c : text) {
    if (c == '"') {
      quoted = !quoted;
    } else if (!quoted && (c == '\n' || c == '\r')) {
      break;
    } else if (!quoted) {
      for (int s = 0; s < 3; ++s) {
        counts[s] += c == separators[s] ? 1 : 0;
      }
    }
  }
  int most = 0;
  for (int s = 1; s < 3; ++s) {
    most = counts[s] > counts[most] ? s : most;
  }
  return separators[most];
}

// The rows of a CSV text, the header first; empty lines left out. False, with `refusal`, for a
// quote left open.
bool SplitRows(std::string_view text, std::vector<Row>& rows, std::string& refusal) {
  const char separator = Separator(text);
  std::size_t line = 1;
  std::size_t i = 0;
  while (i < text.size()) {
    Row row{{}, line};
    bool blankLine = true;
    for (;;) {  // one field
      std::string field;
      std::size_t start = i;
      while (i < text.size() && IsBlank(text[i])) {
        ++i;
      }
      if (i < text.size() && text[i] == '"') {
        const std::size_t opened = line;
        for (++i;; ++i) {
          if (i >= text.size()) {
            refusal = "line " + std::to_string(opened) + ": a quoted field is not closed";
            return false;
          }
          if (text[i] == '"') {
            if (i + 1 < text.size() && text[i + 1] == '"') {
              field += '"';
              ++i;
              continue;
            }
            ++i;
            break;
          }
          line += text[i] == '\n' ? 1 : 0;
          field += text[i];
        }
        // What follows the closing quote up to the separator belongs to the field too.
        start = i;
        while (i < text.size() && text[i] != separator && text[i] != '\n' && text[i] != '\r') {
          ++i;
        }
        field += Trimmed(text.substr(start, i - start));
        blankLine = false;
      } else {
        while (i < text.size() && text[i] != separator && text[i] != '\n' && text[i] != '\r') {
          ++i;
        }
        field = Trimmed(text.substr(start, i - start));
        blankLine = blankLine && field.empty();
      }
      row.fields.push_back(std::move(field));
      if (i < text.size() && text[i] == separator) {
        ++i;
        blankLine = false;
        continue;
      }
      break;
    }
    if (i < text.size() && text[i] == '\r') {
      ++i;
    }
    if (i < text.size() && text[i] == '\n') {
      ++i;
    }
    ++line;
    if (!blankLine) {
      rows.push_back(std::move(row));
    }
  }
  return true;
}

std::string HeaderNames(const std::vector<std::string>& header) {
  std::string names;
  for (std::size_t i = 0; i < header.size() && i < 20; ++i) {
    names.append(i == 0 ? "" : ", ").append(Quoted(header[i]));
  }
  return header.size() > 20 ? names + ", ..." : names;
}

// The column named `given`, or the first of `names`; nothing, with `refusal`, when the header
// has none, or has the column twice.
template <std::size_t N>
std::optional<std::size_t> Column(const std::vector<std::string>& header, const std::string& given,
                                  const std::array<std::string_view, N>& names, bool needed,
                                  std::string_view what, std::string_view option,
                                  std::string& refusal) {
  std::vector<std::string> wanted;
  if (!given.empty()) {
    wanted.push_back(Lower(given));
  } else {
    for (const std::string_view name : names) {
      wanted.emplace_back(name);
    }
  }
  for (const std::string& name : wanted) {
    std::optional<std::size_t> found;
    for (std::size_t c = 0; c < header.size(); ++c) {
      if (Lower(header[c]) != name) {
        continue;
      }
      if (found) {
        refusal = "the header names column " + Quoted(header[c]) + " twice (columns " +
                  std::to_string(*found + 1) + " and " + std::to_string(c + 1) +
                  "); give each column its own name";
        return std::nullopt;
      }
      found = c;
    }
    if (found) {
      refusal.clear();
      return found;
    }
  }
  if (!given.empty()) {
    refusal = "the header has no column " + Quoted(given) + " (" + std::string(option) +
              "); its columns are " + HeaderNames(header);
  } else if (needed) {
    std::string accepted;
    for (std::size_t n = 0; n < N; ++n) {
      accepted.append(n == 0 ? "" : n + 1 == N ? " or " : ", ").append(names[n]);
    }
    refusal = "the header names no " + std::string(what) + " column (" + accepted +
              ", in any case); its columns are " + HeaderNames(header) + "; give " +
              std::string(option) + (option.starts_with("-") ? " NAME" : "=NAME");
  } else {
    refusal.clear();
  }
  return std::nullopt;
}

std::string RowName(std::size_t number, const Row& row) {
  std::string name = "row " + std::to_string(number);
  return row.line == 0 ? name : name + " (line " + std::to_string(row.line) + ")";
}

}  // namespace

std::optional<StationColumnsFound> FindStationColumns(const std::vector<std::string>& header,
                                                      const StationColumns& columns,
                                                      std::string& refusal) {
  const std::optional<std::size_t> latitude = Column(header, columns.latitude, kLatitudeNames, true,
                                                     "latitude", columns.latitudeOption, refusal);
  if (!latitude) {
    return std::nullopt;
  }
  const std::optional<std::size_t> id =
      Column(header, columns.id, kIdNames, false, "identifier", columns.idOption, refusal);
  if (!id && !refusal.empty()) {
    return std::nullopt;
  }
  return StationColumnsFound{*latitude, id};
}

namespace {

std::optional<Stations> CheckedStations(const std::vector<std::string>& header,
                                        const std::vector<Row>& rows, const StationColumns& columns,
                                        std::string& refusal) {
  const std::optional<StationColumnsFound> found = FindStationColumns(header, columns, refusal);
  if (!found) {
    return std::nullopt;
  }
  const std::size_t latitudeColumn = found->latitude;
  const std::optional<std::size_t> idColumn = found->id;
  if (rows.empty()) {
    refusal = "no station below the header";
    return std::nullopt;
  }
  if (rows.size() > kMostTableLatitudes) {
    refusal = "more than 1,000,000 stations";
    return std::nullopt;
  }
  Stations stations;
  stations.ids.reserve(rows.size());
  stations.latitudes.reserve(rows.size());
  std::unordered_map<std::string_view, std::size_t> seen;
  seen.reserve(rows.size());
  const auto field = [](const Row& row, std::size_t column) {
    return column < row.fields.size() ? std::string_view(row.fields[column]) : std::string_view();
  };
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const Row& row = rows[r];
    const std::size_t number = r + 1;
    const auto refuse = [&](std::size_t column, const std::string& why) {
      refusal = RowName(number, row) + ", column " + Quoted(header[column]) + ": " + why;
      return std::nullopt;
    };
    const std::string_view latitudeText = Trimmed(field(row, latitudeColumn));
    float latitude = 0.0f;
    const LatitudeCheck check = CheckLatitudeArgument(latitudeText, latitude);
    if (latitudeText.empty()) {
      return refuse(latitudeColumn, "no latitude");
    }
    if (check == LatitudeCheck::NotNumeric) {
      return refuse(latitudeColumn, Quoted(latitudeText) + " is not a latitude in decimal degrees");
    }
    if (check == LatitudeCheck::OutOfRange) {
      return refuse(latitudeColumn, Quoted(latitudeText) + " lies outside -90..90");
    }
    std::string id = idColumn ? std::string(field(row, *idColumn)) : std::to_string(number);
    if (id.empty()) {
      return refuse(*idColumn, "no identifier");
    }
    stations.ids.push_back(std::move(id));
    stations.latitudes.push_back(latitude);
  }
  // Identifiers are checked once all are held: the views point into them.
  for (std::size_t r = 0; r < stations.ids.size(); ++r) {
    const auto [at, added] = seen.emplace(stations.ids[r], r + 1);
    if (!added) {
      refusal = RowName(r + 1, rows[r]) + ", column " + Quoted(header[*idColumn]) + ": " +
                Quoted(stations.ids[r]) + " is already the identifier of row " +
                std::to_string(at->second) + "; each station needs its own";
      return std::nullopt;
    }
  }
  refusal.clear();
  return stations;
}

}  // namespace

std::optional<Stations> ParseStations(std::string_view text, const StationColumns& columns,
                                      std::string& refusal) {
  if (text.starts_with("\xEF\xBB\xBF")) {
    text.remove_prefix(3);
  }
  std::vector<Row> rows;
  if (!SplitRows(text, rows, refusal)) {
    return std::nullopt;
  }
  if (rows.empty()) {
    refusal = "no header line naming the columns (id,lat,lon)";
    return std::nullopt;
  }
  const std::vector<std::string> header = std::move(rows.front().fields);
  rows.erase(rows.begin());
  return CheckedStations(header, rows, columns, refusal);
}

std::optional<Stations> StationsOfRows(const std::vector<std::string>& header,
                                       const std::vector<std::vector<std::string>>& rows,
                                       const StationColumns& columns, std::string& refusal) {
  std::vector<Row> split;
  split.reserve(rows.size());
  for (const std::vector<std::string>& fields : rows) {
    split.push_back({fields, 0});
  }
  return CheckedStations(header, split, columns, refusal);
}

std::string CsvField(std::string_view text) {
  const bool plain = text.find_first_of(",\"\r\n") == std::string_view::npos &&
                     (text.empty() || (!IsBlank(text.front()) && !IsBlank(text.back())));
  if (plain) {
    return std::string(text);
  }
  std::string quoted(1, '"');
  for (const char c : text) {
    quoted += c;
    if (c == '"') {
      quoted += '"';
    }
  }
  quoted += '"';
  return quoted;
}

}  // namespace marovane
