// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CommandLine.hpp"

#include <cerrno>
#include <filesystem>
#include <new>
#include <optional>
#include <ostream>
#include <string>
#include <system_error>
#include <vector>

#include <CLI/CLI.hpp>

#include "Version.hpp"
#include "export/Batch.hpp"
#include "export/CycleFile.hpp"
#include "export/Table.hpp"
#ifdef MAROVANE_HAVE_NETCDF
#include "export/NetcdfTable.hpp"
#endif
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

// What --table, --layout and --dates ask for.
struct TableRequest {
  std::string path;  // "-": standard output
  bool netcdf = false;
  TableLayout layout = TableLayout::Wide;
  std::optional<DateRange> dates;
};

// A to Z in lower case, every other byte as it is.
std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  }
  return lower;
}

// Whether `text` ends in `ending` (lower case) in either case, with something before it.
bool EndsWith(std::string_view text, std::string_view ending) {
  return text.size() > ending.size() && Lower(text.substr(text.size() - ending.size())) == ending;
}

// The table's format from its path's ending, in either case (OUT.CSV is CSV), or nothing after
// a message on `err`. An ending alone, in any folder, names no file.
std::optional<bool> IsNetcdf(const std::string& path, std::ostream& err) {
  const std::size_t slash = path.find_last_of("/\\");
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  for (const std::string_view ending : {".csv", ".nc"}) {
    if (Lower(name) == ending) {
      err << "--table '" << ShownPath(path) << "' has no file name before " << ShownPath(name)
          << "; give a name such as table" << ending << ".\n";
      return std::nullopt;
    }
  }
  if (path == "-" || EndsWith(path, ".csv")) {
    return false;
  }
  if (EndsWith(path, ".nc")) {
#ifdef MAROVANE_HAVE_NETCDF
    return true;
#else
    err << "--table: this build of marovane-cli writes no NetCDF; give a name ending in .csv.\n";
    return std::nullopt;
#endif
  }
  err << "--table: ";
  if (path.empty()) {
    err << "an empty path";
  } else {
    err << "'" << ShownPath(path) << "'";
  }
  err << " ends neither in .csv (comma-separated) nor in .nc (NetCDF); give one of these, or - "
         "for a comma-separated table on standard output.\n";
  return std::nullopt;
}

// The latitudes of a table from --latitude given once or more, each checked as the export
// button checks it, or nothing after a message naming the one at fault.
std::optional<std::vector<float>> CheckedLatitudes(const std::vector<std::string>& arguments,
                                                   std::ostream& err) {
  std::vector<float> latitudes;
  for (const std::string& argument : arguments) {
    float latitude = 0.0f;
    const LatitudeCheck check = CheckLatitudeArgument(argument, latitude);
    if (check != LatitudeCheck::Valid) {
      err << "--latitude '" << ShownText(argument, 40) << "': " << LatitudeCheckMessage(check)
          << "\n";
      return std::nullopt;
    }
    latitudes.push_back(latitude);
  }
  return latitudes;
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

// Builds the table and writes it to its file or to `out`.
int WriteTable(const std::vector<float>& latitudes, const TableRequest& request,
               const CycleChoice& choice, std::ostream& out, std::ostream& err) {
  std::vector<DatedPeriod> dated;
  if (request.dates) {
    dated = DatedPeriods(request.dates->from, request.dates->to, choice.aggregation);
  }
  const std::size_t periods = request.dates
                                  ? dated.size()
                                  : static_cast<std::size_t>(Describe(choice.aggregation).periods);
  if (!TableFits(latitudes.size(), periods)) {
    err << "--table: " << latitudes.size() << " latitudes of " << periods
        << " periods each make more than 100,000,000 values; give fewer latitudes or fewer "
           "periods.\n";
    return kExitBadArguments;
  }
  try {
    std::string text;
#ifdef MAROVANE_HAVE_NETCDF
    if (request.netcdf) {
      const NetcdfBytes bytes = request.dates ? NetcdfDatedTable(latitudes, dated, choice)
                                              : NetcdfTable(latitudes, choice);
      WriteFileBytes(PathArgument(request.path), bytes.view());
      err << "Table written to " << ShownPath(request.path) << "\n";
      return kExitWritten;
    }
#endif
    text = request.dates ? DatedTableText(latitudes, dated, choice)
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

// The table options as given; a null pointer for an option not given.
struct TableArguments {
  const std::string& path;
  const std::string* layout;
  const std::string* dates;
  const std::string* grid;
  const std::string* batch;
  const std::vector<std::string>& latitudes;
};

// --table: checks every table option, then gathers the latitudes and writes the table.
int Table(const TableArguments& args, const CycleChoice& choice, std::ostream& out,
          std::ostream& err) {
  TableRequest request;
  request.path = args.path;
  const std::optional<bool> netcdf = IsNetcdf(args.path, err);
  if (!netcdf) {
    return kExitBadArguments;
  }
  request.netcdf = *netcdf;
  if (args.layout != nullptr && *args.layout == "long") {
    request.layout = TableLayout::Long;
  } else if (args.layout != nullptr && *args.layout != "wide") {
    err << "--layout: unknown layout '" << ShownText(*args.layout, 40) << "'; give wide or long.\n";
    return kExitBadArguments;
  }
  if (request.netcdf && args.layout != nullptr) {
    err << "--layout: a NetCDF table has one layout, a variable of latitude and period; "
           "--layout is for CSV.\n";
    return kExitBadArguments;
  }
  if (args.dates != nullptr) {
    std::string refusal;
    request.dates = ParseDateRange(*args.dates, refusal);
    if (!request.dates) {
      err << "--dates: " << refusal << ".\n";
      return kExitBadArguments;
    }
    if (!HasRealPeriods(choice.aggregation)) {
      err << "--dates: " << NoRealPeriods(choice.aggregation) << "; give --aggregation "
          << RealCalendarAggregations() << ".\n";
      return kExitBadArguments;
    }
    if (args.layout != nullptr && request.layout == TableLayout::Wide) {
      err << "--layout: a table of --dates is long only: one row per period and latitude.\n";
      return kExitBadArguments;
    }
  }
  std::optional<std::vector<float>> tableLatitudes;
  int status = kExitBadArguments;
  if (args.grid != nullptr) {
    std::string refusal;
    tableLatitudes = GridLatitudes(*args.grid, refusal);
    if (!tableLatitudes) {
      err << "--grid: " << refusal << ".\n";
    }
  } else if (args.batch != nullptr) {
    if (args.path != "-" &&
        SameFile(IdentityOf(PathArgument(args.path)), IdentityOf(PathArgument(*args.batch)))) {
      err << "--table: '" << ShownPath(args.path) << "' would replace the --batch input '"
          << ShownPath(*args.batch) << "'; no table written.\n";
      return kExitBadArguments;
    }
    tableLatitudes = TableBatchLatitudes(*args.batch, status, err);
  } else {
    tableLatitudes = CheckedLatitudes(args.latitudes, err);
  }
  if (!tableLatitudes) {
    return status;
  }
  if (request.netcdf) {
    std::string refusal;
    tableLatitudes = CoordinateLatitudes(std::move(*tableLatitudes), refusal);
    if (!tableLatitudes) {
      err << (args.grid != nullptr ? "--grid: " : args.batch != nullptr ? "--batch: " : "--latitude: ")
          << refusal << "; a NetCDF table holds each latitude once, in ascending order (its "
          << "lat is a coordinate). Give each latitude once, or write a .csv table.\n";
      return kExitBadArguments;
    }
  }
  return WriteTable(*tableLatitudes, request, choice, out, err);
}

}  // namespace

int RunCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  const std::string aggregations = AcceptedAggregations();
  const std::string units = AcceptedUnits();
  const std::string quantities = AcceptedQuantities();
  const std::string methods = AcceptedMethods();

  CLI::App app{
      "Annual cycle of daily extraterrestrial solar radiation for a latitude, written as a\n"
      "comma-separated file (one file per latitude in batch mode), or for many latitudes and\n"
      "real calendar dates as one table (CSV or NetCDF).",
      "marovane-cli"};
  app.footer(
      "Examples:\n"
      "  marovane-cli --latitude 41.9                      dekadal MJ/m^2/day to standard output\n"
      "  marovane-cli --latitude 33:52:03S --aggregation monthly --unit mm/day --output sydney.csv\n"
      "  marovane-cli --latitude=-33.8675 --unit 4 --output sydney.csv\n"
      "  marovane-cli --latitude 69.65 -q daylength        dekadal day length in hours\n"
      "  marovane-cli --latitude -20 -a daily --method fao56   FAO-56's formulas instead\n"
      "  marovane-cli --batch lats.txt --aggregation daily   writes lats<latitude>.out per latitude\n"
      "  marovane-cli -l 41.9 -l 33:52:03S --table -       one CSV table of both latitudes\n"
      "  marovane-cli --grid -89.75:89.75:0.5 --table bands.nc   every 0.5 degree band, NetCDF\n"
      "  marovane-cli -l 41.9 --dates 2023-01-01/2024-12-31 -a daily --table ra.csv\n"
      "\n"
      "Exit status: 0 everything written, 1 a file could not be read or written, 2 bad arguments.");
  app.set_version_flag("--version", std::string("marovane-cli ") + kVersion);

  std::vector<std::string> latitudes;
  std::string batchFile;
  std::string grid;
  std::string tablePath;
  std::string layoutName = "wide";
  std::string datesText;
  std::string output;
  std::string aggregationName(Describe(kDefaultAggregation).name);
  std::string unitName(UnitLabel(kDefaultUnit));
  std::string quantityName(Describe(Quantity::Radiation).name);
  std::string methodName(Describe(Method::Harmonic).name);

  // Every refusal is in the program's own words: the parser is left to take the values, and
  // what it would refuse (an unknown option, a value too many, options that clash) is
  // checked below. An option given again keeps its last value until then.
  app.allow_extras();
  app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);

  auto* single = app.add_option(
      "-l,--latitude", latitudes,
      "Decimal degrees, north positive (41.9, -33.8675), or degrees:minutes:seconds with N or S "
      "(41:54:00N); give it again for more latitudes in one --table")
      ->option_text("LAT")
      ->expected(1)
      ->allow_extra_args(false)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  auto* batch = app.add_option("-b,--batch", batchFile,
                               "Text file of latitudes separated by line breaks, blanks or commas")
      ->option_text("FILE");
  auto* gridOption =
      app.add_option("-g,--grid", grid,
                     "Latitudes START, START+STEP, ... up to STOP (included when on the grid), "
                     "in decimal degrees, for a --table; at most 1,000,000")
          ->option_text("START:STOP:STEP");
  auto* aggregationOption =
      app.add_option("-a,--aggregation", aggregationName, aggregations + "; dekadal is the default")
          ->option_text("NAME");
  auto* unitOption = app.add_option("-u,--unit", unitName,
                                    "Label or code: " + units + "; MJ/m^2/day is the default")
                         ->option_text("UNIT");
  auto* quantityOption =
      app.add_option("-q,--quantity", quantityName,
                     "radiation (the default) or daylength: the mean astronomical day length of "
                     "each period in hours, whatever the unit")
          ->option_text("NAME");
  auto* methodOption =
      app.add_option("-m,--method", methodName,
                     "harmonic (the default): Marovane's own model; fao56: the formulas of FAO "
                     "Irrigation and Drainage Paper 56 (eqs 21-25 and 34) in double precision")
          ->option_text("NAME");
  auto* outputOption =
      app.add_option("-o,--output", output, "Output file; - or none writes to standard output")
          ->option_text("PATH");
  auto* tableOption =
      app.add_option("-t,--table", tablePath,
                     "One table of all the latitudes: a name ending in .csv (comma-separated) or "
                     ".nc (NetCDF, CF conventions, latitudes ascending, each once), or - for CSV "
                     "on standard output")
          ->option_text("PATH");
  auto* layoutOption =
      app.add_option("--layout", layoutName,
                     "wide (the default): a row per latitude, a column per period; long: a row "
                     "per latitude and period (CSV tables)")
          ->option_text("wide|long");
  auto* datesOption =
      app.add_option("-d,--dates", datesText,
                     "Real calendar dates, ISO 8601, at most 100 years (2023-01-01/2024-12-31): "
                     "daily, dekadal, monthly or pentadal values in a long --table of date, "
                     "latitude, value; periods at the ends are taken whole")
          ->option_text("FROM/TO");

  // What each option takes, as the messages say it.
  const std::pair<const CLI::Option*, std::string> takes[] = {
      {single, "a latitude in decimal degrees (41.9, -33.8675) or degrees:minutes:seconds "
               "(41:54:00N)"},
      {batch, "a text file of latitudes"},
      {gridOption, "START:STOP:STEP in decimal degrees (-89.75:89.75:0.5)"},
      {aggregationOption, aggregations},
      {unitOption, "a code 1..7 or a label: " + units},
      {quantityOption, quantities},
      {methodOption, methods},
      {outputOption, "a path, or - for standard output"},
      {tableOption, "a name ending in .csv or .nc, or - for a comma-separated table on standard "
                    "output"},
      {layoutOption, "wide or long"},
      {datesOption, "FROM/TO, two ISO dates (2023-01-01/2024-12-31)"},
  };

  try {
    app.parse(argc, argv);
  } catch (const CLI::Success& e) {
    // --help and --version: their text is the output, and a failed write is a failure. The
    // version ends in std::endl, whose flush may already have failed: errno tells why.
    errno = 0;
    app.exit(e, out, err);
    out.flush();
    if (!out) {
      err << "Cannot write standard output: " << SystemReason() << "\n";
      return kExitFileFailed;
    }
    return kExitWritten;
  } catch (const CLI::ArgumentMismatch& e) {
    // An option last, or followed by another option, has no value: the parser names it first.
    const std::string_view what = e.what();
    for (const auto& [option, taken] : takes) {
      const std::string name = option->get_name();
      if (what.starts_with(name + ":")) {
        err << name << " is given no value; give " << taken << ".\n";
        return kExitBadArguments;
      }
    }
    err << "An option is given no value; marovane-cli --help says what each one takes.\n";
    return kExitBadArguments;
  } catch (const CLI::ParseError&) {
    err << "The arguments could not be read; marovane-cli --help says what each option takes.\n";
    return kExitBadArguments;
  }

  // The parser gives an option the next argument as its value even when that is an option:
  // "--latitude --output x" is a --latitude without its value.
  const auto isOptionName = [&](const std::string& text) {
    for (const auto& [option, taken] : takes) {
      if (option->check_name(text)) {
        return true;
      }
    }
    return false;
  };
  for (const auto& [option, taken] : takes) {
    for (const std::string& value : option->results()) {
      if (isOptionName(value)) {
        err << option->get_name() << " is given no value; give " << taken << ".\n";
        return kExitBadArguments;
      }
    }
  }
  std::vector<std::string> extras = app.remaining();
  std::erase(extras, "--");  // "--" ends the options; what follows it is refused below
  if (!extras.empty()) {
    const std::string& first = extras.front();
    const bool option = first.starts_with("--") ||
                        (first.size() > 1 && first[0] == '-' &&
                         ((first[1] >= 'a' && first[1] <= 'z') || (first[1] >= 'A' && first[1] <= 'Z')));
    if (option) {
      err << ShownText(first.substr(0, first.find('=')), 40)
          << ": no such option; marovane-cli --help lists the options.\n";
    } else {
      err << "'" << ShownText(first, 40) << "' is the value of no option: each option takes one "
          << "value (for more latitudes of a --table, give --latitude again before each).\n";
    }
    return kExitBadArguments;
  }
  for (const auto& [option, taken] : takes) {
    if (option != single && option->count() > 1) {
      err << option->get_name() << " is given " << option->count() << " times; give it once.\n";
      return kExitBadArguments;
    }
  }
  // Two ways of giving the latitudes, or of naming the file, that cannot go together.
  const struct {
    const CLI::Option* first;
    const CLI::Option* second;
    const char* why;
  } clashes[] = {
      {single, batch, "give the latitudes one way"},
      {gridOption, single, "give the latitudes one way"},
      {gridOption, batch, "give the latitudes one way"},
      {outputOption, batch, "the batch names each file after its input"},
      {outputOption, tableOption, "--table PATH names the table's file"},
  };
  for (const auto& clash : clashes) {
    if (clash.first->count() > 0 && clash.second->count() > 0) {
      err << clash.first->get_name() << " and " << clash.second->get_name()
          << " cannot be used together: " << clash.why << ".\n";
      return kExitBadArguments;
    }
  }
  if (single->count() == 0 && batch->count() == 0 && gridOption->count() == 0) {
    err << "No latitude given: give --latitude LAT, --batch FILE, or --grid START:STOP:STEP "
           "with --table PATH; marovane-cli --help says more.\n";
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
  if (tableOption->count() == 0) {
    const char* needsTable = latitudes.size() > 1    ? "--latitude given more than once"
                             : gridOption->count() > 0  ? "--grid"
                             : layoutOption->count() > 0 ? "--layout"
                             : datesOption->count() > 0  ? "--dates"
                                                         : nullptr;
    if (needsTable != nullptr) {
      err << needsTable << " makes one table of every latitude: add --table PATH (a name "
          << "ending in .csv or .nc, or - for standard output).\n";
      return kExitBadArguments;
    }
  } else {
    const TableArguments table{tablePath,
                               layoutOption->count() > 0 ? &layoutName : nullptr,
                               datesOption->count() > 0 ? &datesText : nullptr,
                               gridOption->count() > 0 ? &grid : nullptr,
                               batch->count() > 0 ? &batchFile : nullptr,
                               latitudes};
    return Table(table, choice, out, err);
  }

  if (batch->count() > 0) {
    return Batch(PathArgument(batchFile), choice, out, err);
  }
  const std::optional<float> value = CheckedLatitude(latitudes.front(), err);
  if (!value) {
    return kExitBadArguments;
  }
  return ExportSingle(*value, output, choice, out, err);
}

}  // namespace marovane
