// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CommandLine.hpp"

#include <cerrno>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <system_error>

#include <CLI/CLI.hpp>

#include "Version.hpp"
#include "export/Batch.hpp"
#include "export/CycleFile.hpp"
#include "text/LatitudeForms.hpp"
#include "text/ShownText.hpp"

namespace marovane {

namespace {

constexpr int kExitWritten = 0;
constexpr int kExitFileFailed = 1;
constexpr int kExitBadArguments = 2;

// The export button's checks: the latitude, or nothing after a message on `err`.
std::optional<float> CheckedLatitude(const std::string& argument, std::ostream& err) {
  float latitude = 0.0f;
  const LatitudeCheck check = CheckLatitudeArgument(argument, latitude);
  if (check != LatitudeCheck::Valid) {
    err << LatitudeCheckMessage(check) << "\n";
    return std::nullopt;
  }
  return latitude;
}

// The names a choice takes on the command line, for its help and its refusal:
// "daily (1), weekly (2), dekadal (3) or monthly (4)".
template <typename Rows, typename Name>
std::string Listed(const Rows& rows, Name name, bool withCodes) {
  std::string list;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (i > 0) {
      list += i + 1 == rows.size() ? " or " : ", ";
    }
    list += name(rows[i]);
    if (withCodes) {
      list += " (" + std::to_string(i + 1) + ")";
    }
  }
  return list;
}

const auto kName = [](const auto& row) { return std::string(row.name); };
const auto kLabel = [](const auto& row) { return std::string(row.label); };

// The value that `text` names, or nothing after a message on `err` listing what it may be.
template <typename T>
std::optional<T> Chosen(std::optional<T> value, const std::string& option, const std::string& what,
                        const std::string& text, const std::string& accepted, std::ostream& err) {
  if (!value) {
    err << option << ": unknown " << what << " '" << ShownText(text, 40) << "'; give " << accepted
        << ".\n";
  }
  return value;
}

// Arguments are UTF-8 on every platform (on Windows, main makes them so from the wide
// command line): a path is made from UTF-8, never through the ANSI code page.
std::filesystem::path PathArgument(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
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
  err << "Data correctly written to " << ShownPath(output) << "\n";
  return kExitWritten;
}

// The log and the count go to `out`; what failed, and why, to `err`.
int Batch(const std::filesystem::path& input, const CycleChoice& choice, std::ostream& out,
          std::ostream& err) {
  bool logFailed = false;
  const BatchResult result = RunBatch(input, choice, [&](const std::string& entry) {
    WriteOut(out, entry + "\n", err, logFailed);
  });
  const std::string summary = BatchSummary(result) + "\n";
  const std::size_t firstLine = summary.find('\n') + 1;
  WriteOut(out, std::string_view(summary).substr(0, firstLine), err, logFailed);
  err << std::string_view(summary).substr(firstLine);
  return result.complete() && !logFailed ? kExitWritten : kExitFileFailed;
}

}  // namespace

int RunCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  const std::string aggregations = Listed(choice::kAggregations, kName, true);
  const std::string units = Listed(choice::kUnits, kLabel, true);
  const std::string quantities = Listed(choice::kQuantities, kName, false);
  const std::string methods = Listed(choice::kMethods, kName, false);

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
      "  marovane-cli --latitude -20 -a daily --method fao56   FAO-56's formulas instead\n"
      "  marovane-cli --batch lats.txt --aggregation daily   writes lats<latitude>.out per latitude\n"
      "\n"
      "Exit status: 0 everything written, 1 a file could not be read or written, 2 bad arguments.");
  app.set_version_flag("--version", std::string("marovane-cli ") + kVersion);

  std::string latitude;
  std::string batchFile;
  std::string output;
  std::string aggregationName(Describe(kDefaultAggregation).name);
  std::string unitName(UnitLabel(kDefaultUnit));
  std::string quantityName(Describe(Quantity::Radiation).name);
  std::string methodName(Describe(Method::Harmonic).name);

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
  app.add_option("-a,--aggregation", aggregationName, aggregations + "; dekadal is the default")
      ->option_text("NAME");
  app.add_option("-u,--unit", unitName,
                 "Label or code: " + units + "; MJ/m^2/day is the default")
      ->option_text("UNIT");
  app.add_option("-q,--quantity", quantityName,
                 "radiation (the default) or daylength: the mean astronomical day length of "
                 "each period in hours, whatever the unit")
      ->option_text("NAME");
  app.add_option("-m,--method", methodName,
                 "harmonic (the default): Marovane's own model; fao56: the formulas of FAO "
                 "Irrigation and Drainage Paper 56 (eqs 21-25 and 34) in double precision")
      ->option_text("NAME");
  auto* outputOption =
      app.add_option("-o,--output", output, "Output file; - or none writes to standard output")
          ->option_text("PATH")
          ->excludes(batch);

  try {
    app.parse(argc, argv);
    if (single->count() == 0 && batch->count() == 0) {
      throw CLI::RequiredError("--latitude or --batch");
    }
  } catch (const CLI::ParseError& e) {
    errno = 0;
    const int status = app.exit(e, out, err);
    if (status == 0) {
      // --help and --version: their text is the output, and a failed write is a failure. The
      // version ends in std::endl, whose flush may already have failed: errno tells why.
      out.flush();
      if (!out) {
        err << "Cannot write standard output: " << SystemReason() << "\n";
        return kExitFileFailed;
      }
      return kExitWritten;
    }
    return kExitBadArguments;
  }

  const auto aggregation = Chosen(AggregationNamed(aggregationName), "--aggregation",
                                  "aggregation", aggregationName, aggregations, err);
  const auto unit = Chosen(UnitNamed(unitName), "--unit", "unit", unitName,
                           "a code 1..7 or a label: " + units, err);
  const auto quantity = Chosen(QuantityNamed(quantityName), "--quantity", "quantity",
                               quantityName, quantities, err);
  const auto method =
      Chosen(MethodNamed(methodName), "--method", "method", methodName, methods, err);
  if (!aggregation || !unit || !quantity || !method) {
    return kExitBadArguments;
  }
  if (outputOption->count() > 0 && output.empty()) {
    err << "--output: an empty path names no file; give a path, or - for standard output.\n";
    return kExitBadArguments;
  }

  const CycleChoice choice{*aggregation, *unit, *quantity, *method};
  if (batch->count() > 0) {
    return Batch(PathArgument(batchFile), choice, out, err);
  }
  const std::optional<float> value = CheckedLatitude(latitude, err);
  if (!value) {
    return kExitBadArguments;
  }
  return ExportSingle(*value, output, choice, out, err);
}

}  // namespace marovane
