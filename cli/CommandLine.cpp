// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CommandLine.hpp"

#include <cstdint>
#include <cerrno>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <system_error>

#include <CLI/CLI.hpp>

#include "Version.hpp"
#include "export/AnnualCycle.hpp"
#include "export/Batch.hpp"
#include "export/Units.hpp"
#include "text/LatitudeForms.hpp"
#include "text/NumberText.hpp"
#include "text/ShownText.hpp"

namespace marovane {

namespace {

constexpr int kExitWritten = 0;
constexpr int kExitFileFailed = 1;
constexpr int kExitBadArguments = 2;

const char* const kNotNumeric = "One of the inputs is not numeric!";
const char* const kOutOfRange = "Latitude of your location should be between -90\u00b0 and +90\u00b0.";

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The latitude as the decimal box would hold it: a degrees:minutes:seconds form with its
// hemisphere letter ("41:54:00N", one or two digits each) is converted exactly as the degree
// boxes convert it; anything else is taken as the decimal text.
std::string DecimalLatitudeText(const std::string& argument) {
  const std::string_view text = argument;
  std::string_view parts[3];
  std::size_t i = 0;
  for (int k = 0; k < 3; ++k) {
    const std::size_t start = i;
    while (i < text.size() && i - start < 2 && IsDigit(text[i])) {
      ++i;
    }
    if (i == start) {
      return argument;
    }
    parts[k] = text.substr(start, i - start);
    if (k < 2) {
      if (i >= text.size() || text[i] != ':') {
        return argument;
      }
      ++i;
    }
  }
  if (i + 1 != text.size() || std::string_view("NnSs").find(text[i]) == std::string_view::npos) {
    return argument;
  }
  return DmsToDecimalText(parts[0], parts[1], parts[2], text.substr(i));
}

// The export button's checks: the latitude, or nothing after a message on `err`.
std::optional<float> CheckedLatitude(const std::string& argument, std::ostream& err) {
  float latitude = 0.0f;
  switch (CheckLatitudeText(DecimalLatitudeText(argument), latitude)) {
    case LatitudeCheck::NotNumeric: err << kNotNumeric << "\n"; return std::nullopt;
    case LatitudeCheck::OutOfRange: err << kOutOfRange << "\n"; return std::nullopt;
    case LatitudeCheck::Valid: return latitude;
  }
  return std::nullopt;
}

std::string SystemReason() {
  return errno != 0 ? std::generic_category().message(errno) : std::string("write error");
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

int ExportSingle(float latitude, const std::string& output, const BatchChoice& choice,
                 std::ostream& out, std::ostream& err) {
  if (output.empty() || output == "-") {
    bool failed = false;
    const std::string text =
        AnnualCycleText(latitude, choice.aggregation, choice.unit, choice.quantity);
    return WriteOut(out, text, err, failed) ? kExitWritten : kExitFileFailed;
  }
  try {
    WriteAnnualCycle(latitude, output, choice.aggregation, choice.unit, choice.quantity);
  } catch (const FileError& e) {
    err << ShownText(e.what()) << "\n";
    return kExitFileFailed;
  }
  err << "Data correctly written to " << ShownText(output) << "\n";
  return kExitWritten;
}

// The log and the count go to `out`, through its buffer: a flush for each entry would cost a
// write for each file. What failed, and why, goes to `err`, once `out` is flushed.
int Batch(const std::string& input, const BatchChoice& choice, std::ostream& out,
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
  const BatchResult result = RunBatch(input, choice, logLine);
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

}  // namespace

int RunCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  CLI::App app{
      "Annual cycle of daily extraterrestrial solar radiation for a latitude, written as a\n"
      "comma-separated file (one file per latitude in batch mode).",
      "marovane-cli"};
  app.footer(
      "Examples:\n"
      "  marovane-cli --latitude 41.9                      dekadal MJ/m^2/day to standard output\n"
      "  marovane-cli --latitude 33:52:03S --aggregation monthly --unit mm/day --output sydney.csv\n"
      "  marovane-cli --latitude=-33.8675 --unit 4 --output sydney.csv\n"
      "  marovane-cli --latitude 69.65 -q daylength        dekadal day length in hours\n"
      "  marovane-cli --batch lats.txt --aggregation daily   writes lats<latitude>.out per latitude\n"
      "\n"
      "Exit status: 0 everything written, 1 a file could not be read or written, 2 bad arguments.");
  app.set_version_flag("--version", std::string("marovane-cli ") + kVersion);

  std::string latitude;
  std::string batchFile;
  std::string output;
  std::int16_t aggregationCode = aggregation::kDekadal;
  std::int16_t unitCode = unit::kMJPerM2Day;
  Quantity quantity = Quantity::Radiation;

  const std::map<std::string, std::int16_t> aggregations = {
      {"daily", aggregation::kDaily},
      {"weekly", aggregation::kWeekly},
      {"dekadal", aggregation::kDekadal},
      {"monthly", aggregation::kMonthly}};
  std::map<std::string, std::int16_t> units;
  for (std::int16_t code = unit::kFirst; code <= unit::kLast; ++code) {
    units.emplace(std::string(UnitLabel(code)), code);
  }

  auto* single = app.add_option(
      "-l,--latitude", latitude,
      "Decimal degrees, north positive (41.9, -33.8675), or degrees:minutes:seconds with N or S "
      "(41:54:00N)")
      ->option_text("LAT");
  auto* batch = app.add_option("-b,--batch", batchFile,
                               "Text file of latitudes separated by line breaks, blanks or commas")
      ->option_text("FILE");
  single->excludes(batch);
  batch->excludes(single);
  app.add_option("-a,--aggregation", aggregationCode,
                 "daily (1), weekly (2), dekadal (3, the default) or monthly (4)")
      ->transform(CLI::CheckedTransformer(aggregations, CLI::ignore_case))
      ->option_text("NAME");
  app.add_option("-u,--unit", unitCode,
                 "Label or code: MJ/m^2/day (1, the default), J/cm^2/day (2), cal/cm^2/day (3), "
                 "W/m^2 (4), mm/day (5), MJ/m^2/dekad (6), mm/dekad (7)")
      ->transform(CLI::CheckedTransformer(units))
      ->option_text("UNIT");
  app.add_option("-q,--quantity", quantity,
                 "radiation (the default) or daylength: the mean astronomical day length of "
                 "each period in hours, whatever the unit")
      ->transform(CLI::CheckedTransformer(
          std::map<std::string, Quantity>{{"radiation", Quantity::Radiation},
                                          {"daylength", Quantity::DayLength}},
          CLI::ignore_case))
      ->option_text("NAME");
  app.add_option("-o,--output", output, "Output file; - or none writes to standard output")
      ->option_text("PATH")
      ->excludes(batch);

  try {
    app.parse(argc, argv);
    if (single->count() == 0 && batch->count() == 0) {
      throw CLI::RequiredError("--latitude or --batch");
    }
  } catch (const CLI::ParseError& e) {
    const int status = app.exit(e, out, err);
    return status == 0 ? kExitWritten : kExitBadArguments;
  }

  const BatchChoice choice{aggregationCode, unitCode, quantity};
  if (batch->count() > 0) {
    return Batch(batchFile, choice, out, err);
  }
  const std::optional<float> value = CheckedLatitude(latitude, err);
  if (!value) {
    return kExitBadArguments;
  }
  return ExportSingle(*value, output, choice, out, err);
}

}  // namespace marovane
