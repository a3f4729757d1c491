// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CommandLine.hpp"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <new>
#include <optional>
#include <ostream>
#include <string>
#include <system_error>
#include <vector>

#include "cli/Options.hpp"
#include "export/Batch.hpp"
#include "export/CycleFile.hpp"
#include "export/Table.hpp"
#ifdef MAROVANE_HAVE_NETCDF
#include "export/NetcdfTable.hpp"
#endif
#include "text/ShownText.hpp"

namespace marovane::cli {

std::string SystemReason() {
  return errno != 0 ? std::generic_category().message(errno) : std::string("write error");
}

namespace {

// Arguments are UTF-8 on every platform (on Windows, main makes them so from the wide
// command line): a path is made from UTF-8, never through the ANSI code page.
std::filesystem::path PathArgument(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// Writes `text` to `out`; false, with a message on `err` the first time, when it fails.
bool WriteOut(std::ostream& out, std::string_view text, std::ostream& err, bool& failed) {
  if (failed) {
    return false;
  }
  errno = 0;
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.flush();
  if (!out) {
    failed = true;
    err << "Cannot write standard output: " << SystemReason() << "\n";
  }
  return !failed;
}

// Writes the annual cycle of one latitude to its file or to `out`.
int ExportSingle(float latitude, const std::string& output, const CycleChoice& choice,
                 std::ostream& out, std::ostream& err) {
  if (output.empty() || output == "-") {
    bool failed = false;
    return WriteOut(out, AnnualCycleText(latitude, choice), err, failed) ? kExitWritten
                                                                         : kExitFileFailed;
  }
  try {
    WriteAnnualCycle(latitude, PathArgument(output), choice);
  } catch (const FileError& e) {
    err << ShownPath(e.what()) << "\n";
    return kExitFileFailed;
  }
  err << kDataWrittenTo << ShownPath(output) << "\n";
  return kExitWritten;
}

// The log and the count go to `out`, through its buffer: a flush for each entry would cost a
// write for each file. What failed, and why, goes to `err`, once `out` is flushed.
int Batch(const std::filesystem::path& input, const CycleChoice& choice, std::ostream& out,
          std::ostream& err) {
  bool logFailed = false;
  auto checkLog = [&] {
    if (!out && !logFailed) {
      logFailed = true;
      err << "Cannot write standard output: " << SystemReason() << "\n";
    }
  };
  auto logLine = [&](std::string_view line) {
    if (!logFailed) {
      errno = 0;
      out.write(line.data(), static_cast<std::streamsize>(line.size())).put('\n');
      checkLog();
    }
  };
  BatchResult result;
  try {
    result = RunBatch(input, choice, logLine);
  } catch (const std::exception& e) {
    // What the engine could not foresee (no thread to be had, say): told, never a crash.
    out.flush();
    err << "The batch stopped: " << ShownPath(e.what()) << "\n";
    return kExitFileFailed;
  }
  const std::string summary = BatchSummary(result);
  const std::size_t firstLine = summary.find('\n');
  logLine(std::string_view(summary).substr(0, firstLine));
  if (!logFailed) {
    errno = 0;
    out.flush();
    checkLog();
  }
  if (firstLine != std::string::npos) {
    err << std::string_view(summary).substr(firstLine + 1) << "\n";
  }
  return result.complete() && !logFailed ? kExitWritten : kExitFileFailed;
}

// The latitudes of a batch input for a table: all of them, or nothing and the exit status
// after saying why. A table is whole or not written, so an item the batch would refuse
// refuses the table.
std::optional<std::vector<float>> TableBatchLatitudes(const std::string& input, int& status,
                                                      std::ostream& err) {
  BatchLatitudes read = ReadBatchLatitudes(PathArgument(input), kMostTableLatitudes);
  for (const std::string& refusal : read.refusals) {
    err << refusal << "\n";
  }
  if (!read.unreadInput.empty()) {
    err << read.unreadInput << "\n";
    status = kExitFileFailed;
    return std::nullopt;
  }
  status = kExitBadArguments;
  std::string shownInput(1, '\'');
  shownInput.append(ShownPath(input)).append(1, '\'');
  if (read.refused > 0) {
    err << "--batch: " << read.refused << (read.refused == 1 ? " item" : " items") << " of "
        << shownInput << (read.refused == 1 ? " is no latitude" : " are no latitudes")
        << "; no table written.\n";
    return std::nullopt;
  }
  if (read.tooMany) {
    err << "--batch: " << shownInput << " holds more than 1,000,000 latitudes; no table "
        << "written.\n";
    return std::nullopt;
  }
  if (read.latitudes.empty()) {
    err << "--batch: " << shownInput << " holds no latitude; no table written.\n";
    return std::nullopt;
  }
  return std::move(read.latitudes);
}

// A station file is read whole before its rows are checked: at most this much of it, so that
// an endless input (/dev/zero, a pipe) is refused rather than filling the memory.
constexpr std::size_t kMostStationBytes = std::size_t{512} << 20;

// The stations of a --stations file, or nothing and the exit status after saying why: 1 when
// it cannot be read, 2 when it holds no such list (the row and column named).
std::optional<Stations> TableStations(const TableRequest& request, int& status, std::ostream& err) {
  const std::string& input = *request.stations;
  std::string shownInput(1, '\'');
  shownInput.append(ShownPath(input)).append(1, '\'');
  std::string text;
  errno = 0;
  {
    std::unique_ptr<std::FILE, decltype(&std::fclose)> file(OpenFile(PathArgument(input), "rb"),
                                                            &std::fclose);
    bool failed = file == nullptr;
    char buffer[1 << 16];
    while (!failed && text.size() <= kMostStationBytes) {
      const std::size_t read = std::fread(buffer, 1, sizeof buffer, file.get());
      text.append(buffer, read);
      failed = std::ferror(file.get()) != 0;
      if (read < sizeof buffer) {
        break;
      }
    }
    if (!failed && text.size() > kMostStationBytes) {
      err << "--stations: " << shownInput << " holds more than 512 MB, more than any list of "
          << "1,000,000 stations; no table written.\n";
      status = kExitBadArguments;
      return std::nullopt;
    }
    if (failed) {
      err << "--stations: " << shownInput << " could not be read: " << SystemReason()
          << "; no table written.\n";
      status = kExitFileFailed;
      return std::nullopt;
    }
  }
  std::string refusal;
  std::optional<Stations> stations = ParseStations(text, request.columns, refusal);
  if (!stations) {
    err << "--stations: " << shownInput << ": " << refusal << "; no table written.\n";
    status = kExitBadArguments;
  }
  return stations;
}

// Builds the table and writes it to its file or to `out`; with `stations`, of them.
int WriteTable(const std::vector<float>& latitudes, const Stations* stations,
               const TableRequest& request, const CycleChoice& choice, std::ostream& out,
               std::ostream& err) {
  std::vector<DatedPeriod> dated;
  if (request.dates) {
    dated = DatedPeriods(request.dates->from, request.dates->to, choice.aggregation);
  }
  const std::size_t periods =
      request.dates ? dated.size() : static_cast<std::size_t>(Describe(choice.aggregation).periods);
  if (!TableFits(latitudes.size(), periods)) {
    err << "--table: " << TableTooLarge(latitudes.size(), periods) << ".\n";
    return kExitBadArguments;
  }
  try {
    std::string text;
#ifdef MAROVANE_HAVE_NETCDF
    if (request.netcdf) {
      const NetcdfBytes bytes =
          stations != nullptr ? (request.dates ? NetcdfStationDatedTable(*stations, dated, choice)
                                               : NetcdfStationTable(*stations, choice))
          : request.dates     ? NetcdfDatedTable(latitudes, dated, choice)
                              : NetcdfTable(latitudes, choice);
      WriteFileBytes(PathArgument(request.path), bytes.view());
      err << "Table written to " << ShownPath(request.path) << "\n";
      return kExitWritten;
    }
#endif
    text = stations != nullptr
               ? (request.dates ? StationDatedTableText(*stations, dated, choice)
                                : StationTableText(*stations, choice, request.layout))
           : request.dates ? DatedTableText(latitudes, dated, choice)
                           : TableText(latitudes, choice, request.layout);
    if (request.path == "-") {
      bool failed = false;
      return WriteOut(out, text, err, failed) ? kExitWritten : kExitFileFailed;
    }
    WriteFileBytes(PathArgument(request.path), text);
  } catch (const FileError& e) {
    err << ShownPath(e.what()) << "\n";
    return kExitFileFailed;
#ifdef MAROVANE_HAVE_NETCDF
  } catch (const NetcdfError& e) {
    err << ShownPath(e.what()) << "; no table written.\n";
    return kExitFileFailed;
#endif
  } catch (const std::bad_alloc&) {
    err << "Not enough memory for a table of " << latitudes.size() << " latitudes of " << periods
        << " periods; no table written.\n";
    return kExitFileFailed;
  }
  err << "Table written to " << ShownPath(request.path) << "\n";
  return kExitWritten;
}

// The table's latitudes, its --batch input read now, or nothing and the status after a message.
std::optional<std::vector<float>> TableLatitudes(TableRequest& request, int& status,
                                                 std::ostream& err) {
  std::optional<std::vector<float>> tableLatitudes = std::move(request.latitudes);
  status = kExitBadArguments;
  const std::optional<std::string>& input = request.batch ? request.batch : request.stations;
  if (input && request.path != "-" &&
      SameFile(IdentityOf(PathArgument(request.path)), IdentityOf(PathArgument(*input)))) {
    err << "--table: '" << ShownPath(request.path) << "' would replace the "
        << request.latitudesFrom << " input '" << ShownPath(*input) << "'; no table written.\n";
    return std::nullopt;
  }
  if (request.batch) {
    tableLatitudes = TableBatchLatitudes(*request.batch, status, err);
    if (!tableLatitudes) {
      return std::nullopt;
    }
  }
  if (request.netcdf) {
    std::string refusal;
    tableLatitudes = CoordinateLatitudes(std::move(*tableLatitudes), refusal);
    if (!tableLatitudes) {
      err << request.latitudesFrom << ": " << refusal
          << "; a NetCDF table holds each latitude once, in ascending order (its "
          << "lat is a coordinate). Give each latitude once, or write a .csv table.\n";
      status = kExitBadArguments;
    }
  }
  return tableLatitudes;
}

// --table: gathers the latitudes and writes the table.
int Table(TableRequest request, const CycleChoice& choice, std::ostream& out, std::ostream& err) {
  int status = kExitBadArguments;
  const std::optional<std::vector<float>> latitudes = TableLatitudes(request, status, err);
  if (!latitudes) {
    return status;
  }
  if (request.stations) {
    // Stations keep their order and may share a latitude: each is its own row.
    const std::optional<Stations> stations = TableStations(request, status, err);
    if (!stations) {
      return status;
    }
    return WriteTable(stations->latitudes, &*stations, request, choice, out, err);
  }
  return WriteTable(*latitudes, nullptr, request, choice, out, err);
}

// Does what the request asks: the export, the batch or the table.
int Run(Request request, std::ostream& out, std::ostream& err) {
  switch (request.kind) {
    case Request::Kind::Table: return Table(std::move(request.table), request.choice, out, err);
    case Request::Kind::Batch: return Batch(PathArgument(request.batch), request.choice, out, err);
    case Request::Kind::Export: break;
  }
  return ExportSingle(request.latitude, request.output, request.choice, out, err);
}

}  // namespace

}  // namespace marovane::cli

namespace marovane {

int RunCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  int status = cli::kExitBadArguments;
  std::optional<cli::Arguments> arguments = cli::ParseArguments(argc, argv, out, err, status);
  if (!arguments) {
    return status;
  }
  std::optional<cli::Request> request = cli::CheckArguments(*arguments, err);
  if (!request) {
    return cli::kExitBadArguments;
  }
  return cli::Run(std::move(*request), out, err);
}

}  // namespace marovane
