// marovane-cli: the annual-cycle export and the batch run from the command line, over the
// same core as the window, so that both write the same bytes.

#include <cstdint>
#include <cstdio>
#include <iostream>
#include <map>
#include <optional>
#include <regex>
#include <string>

#include <CLI/CLI.hpp>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "Version.hpp"
#include "export/AnnualCycle.hpp"
#include "export/Batch.hpp"
#include "export/Units.hpp"
#include "text/LatitudeForms.hpp"
#include "text/NumberText.hpp"

namespace {

using namespace marovane;

constexpr int kExitWritten = 0;
constexpr int kExitFileFailed = 1;
constexpr int kExitBadArguments = 2;

const char* const kNotNumeric = "One of the inputs is not numeric!";
const char* const kOutOfRange = "Latitude of your location should be between -90\u00b0 and +90\u00b0.";

// The latitude as the decimal box would hold it: a degrees:minutes:seconds form with its
// hemisphere letter is converted exactly as the degree boxes convert it.
std::string DecimalLatitudeText(const std::string& argument) {
  static const std::regex dms(R"((\d{1,2}):(\d{1,2}):(\d{1,2})([NnSs]))");
  std::smatch m;
  if (std::regex_match(argument, m, dms)) {
    return DmsToDecimalText(m.str(1), m.str(2), m.str(3), m.str(4));
  }
  return argument;
}

// The export button's checks; the latitude or an exit status.
std::optional<float> CheckedLatitude(const std::string& argument) {
  const std::string text = DecimalLatitudeText(argument);
  if (!IsNumeric(text)) {
    std::cerr << kNotNumeric << "\n";
    return std::nullopt;
  }
  const double value = LeadingNumber(text);
  if (!IsLatitudeInRange(value)) {
    std::cerr << kOutOfRange << "\n";
    return std::nullopt;
  }
  return static_cast<float>(value);
}

int WriteToStandardOutput(const std::string& bytes) {
  if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() ||
      std::fflush(stdout) != 0) {
    std::perror("Cannot write standard output");
    return kExitFileFailed;
  }
  return kExitWritten;
}

int ExportSingle(float latitude, const std::string& output, std::int16_t aggregation,
                 std::int16_t unit) {
  if (output.empty() || output == "-") {
    return WriteToStandardOutput(AnnualCycleText(latitude, aggregation, unit));
  }
  try {
    WriteAnnualCycle(latitude, output, aggregation, unit);
  } catch (const FileError& e) {
    std::cerr << e.what() << "\n";
    return kExitFileFailed;
  }
  std::cerr << "Data correctly written to " << output << "\n";
  return kExitWritten;
}

int Batch(const std::string& input, std::int16_t aggregation, std::int16_t unit) {
  const BatchResult result =
      RunBatch(input, {aggregation, unit, Quantity::Radiation}, [](const std::string& entry) { std::cout << entry << "\n"; });
  std::cout << BatchSummary(result) << "\n";
  return result.complete() ? kExitWritten : kExitFileFailed;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
  // Standard output carries the file's own bytes: text mode would put a CR before every LF,
  // CR CR LF after each line.
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  CLI::App app{
      "Annual cycle of daily extraterrestrial solar radiation for a latitude, written as a\n"
      "comma-separated file (one file per latitude in batch mode).",
      "marovane-cli"};
  app.footer(
      "Examples:\n"
      "  marovane-cli --latitude 41.9                      dekadal MJ/m^2/day to standard output\n"
      "  marovane-cli --latitude 33:52:03S --aggregation monthly --unit mm/day --output sydney.csv\n"
      "  marovane-cli --latitude=-33.8675 --unit 4 --output sydney.csv\n"
      "  marovane-cli --batch lats.txt --aggregation daily   writes lats<latitude>.out per latitude\n"
      "\n"
      "Exit status: 0 everything written, 1 a file could not be read or written, 2 bad arguments.");
  app.set_version_flag("--version", std::string("marovane-cli ") + kVersion);

  std::string latitude;
  std::string batchFile;
  std::string output;
  std::int16_t aggregationCode = aggregation::kDekadal;
  std::int16_t unitCode = unit::kMJPerM2Day;

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
  app.add_option("-o,--output", output, "Output file; - or none writes to standard output")
      ->option_text("PATH")
      ->excludes(batch);

  try {
    app.parse(argc, argv);
    if (single->count() == 0 && batch->count() == 0) {
      throw CLI::RequiredError("--latitude or --batch");
    }
  } catch (const CLI::ParseError& e) {
    const int status = app.exit(e);
    return status == 0 ? kExitWritten : kExitBadArguments;
  }

  if (batch->count() > 0) {
    return Batch(batchFile, aggregationCode, unitCode);
  }
  const std::optional<float> value = CheckedLatitude(latitude);
  if (!value) {
    return kExitBadArguments;
  }
  return ExportSingle(*value, output, aggregationCode, unitCode);
}
