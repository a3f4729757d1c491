// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Options.hpp"

#include <cerrno>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <CLI/CLI.hpp>

#include "Version.hpp"
#include "export/Table.hpp"
#include "model/Choices.hpp"
#include "text/LatitudeForms.hpp"
#include "text/ShownText.hpp"

namespace marovane::cli {

namespace {

// The options' values as the parser fills them: an option not given keeps its default.
struct Values {
  std::vector<std::string> latitudes;
  std::string batch;
  std::string grid;
  std::string stations;
  std::string latitudeColumn;
  std::string idColumn;
  std::string table;
  std::string layout = "wide";
  std::string dates;
  std::string output;
  std::string aggregation = std::string(Describe(kDefaultAggregation).name);
  std::string unit = std::string(UnitLabel(kDefaultUnit));
  std::string quantity = std::string(Describe(Quantity::Radiation).name);
  std::string method = std::string(Describe(Method::Harmonic).name);
};

// The options once defined, in the order --help lists them.
struct Defined {
  CLI::Option* latitude = nullptr;
  CLI::Option* batch = nullptr;
  CLI::Option* grid = nullptr;
  CLI::Option* stations = nullptr;
  CLI::Option* latitudeColumn = nullptr;
  CLI::Option* idColumn = nullptr;
  CLI::Option* aggregation = nullptr;
  CLI::Option* unit = nullptr;
  CLI::Option* quantity = nullptr;
  CLI::Option* method = nullptr;
  CLI::Option* output = nullptr;
  CLI::Option* table = nullptr;
  CLI::Option* layout = nullptr;
  CLI::Option* dates = nullptr;
};

// Each option with what it takes, as the messages say it.
using Takes = std::vector<std::pair<const CLI::Option*, std::string>>;

// The tables this build writes, as --help and the messages name them: the Windows program
// has no NetCDF.
#ifdef MAROVANE_HAVE_NETCDF
#define MAROVANE_TABLE_FORMATS "CSV or NetCDF"
#define MAROVANE_TABLE_ENDINGS ".csv or .nc"
#define MAROVANE_NETCDF_TABLE                                                           \
  " or .nc (NetCDF, CF conventions, latitudes ascending, each once, stations in their " \
  "order, a time axis of 365 days)"
#else
#define MAROVANE_TABLE_FORMATS "CSV"
#define MAROVANE_TABLE_ENDINGS ".csv"
#define MAROVANE_NETCDF_TABLE ""
#endif

// What the program does, at the top of --help.
constexpr char kAbout[] =
    "Annual cycle of daily extraterrestrial solar radiation for a latitude, written as a\n"
    "comma-separated file (one file per latitude in batch mode), or for many latitudes or\n"
    "named stations and real calendar dates as one table (" MAROVANE_TABLE_FORMATS ").";

// Adds the examples and the exit statuses to --help, and --version.
void AddFooterAndVersion(CLI::App& app) {
  app.footer(
      "Examples:\n"
      "  marovane-cli --latitude 41.9                      dekadal MJ/m^2/day to standard output\n"
      "  marovane-cli --latitude 33:52:03S --aggregation monthly --unit mm/day --output "
      "sydney.csv\n"
      "  marovane-cli --latitude=-33.8675 --unit 4 --output sydney.csv\n"
      "  marovane-cli --latitude 69.65 -q daylength        dekadal day length in hours\n"
      "  marovane-cli --latitude -20 -a daily --method fao56   FAO-56's formulas instead\n"
      "  marovane-cli --batch lats.txt --aggregation daily   writes lats<latitude>.out per "
      "latitude\n"
      "  marovane-cli -l 41.9 -l 33:52:03S --table -       one CSV table of both latitudes\n"
#ifdef MAROVANE_HAVE_NETCDF
      "  marovane-cli --grid -89.75:89.75:0.5 --table bands.nc   every 0.5 degree band, NetCDF\n"
#else
      "  marovane-cli --grid -89.75:89.75:0.5 --table bands.csv   every 0.5 degree band\n"
#endif
      "  marovane-cli -l 41.9 --dates 2023-01-01/2024-12-31 --table ra.csv   daily values\n"
      "  marovane-cli --stations stations.csv -a monthly --table ra.csv   a row per station\n"
      "\n"
      "Exit status: 0 everything written, 1 a file could not be read or written, 2 bad arguments.");
  app.set_version_flag("--version", std::string("marovane-cli ") + kVersion);
}

// Defines --latitude, --batch and --grid, the three ways of giving the latitudes.
void DefineLatitudeOptions(CLI::App& app, Values& values, Defined& options) {
  options.latitude = app.add_option("-l,--latitude", values.latitudes,
                                    "Decimal degrees, north positive (41.9, -33.8675), or "
                                    "degrees:minutes:seconds with N or S "
                                    "(41:54:00N); give it again for more latitudes in one --table")
                         ->option_text("LAT")
                         ->expected(1)
                         ->allow_extra_args(false)
                         ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  options.batch =
      app.add_option("-b,--batch", values.batch,
                     "Text file of latitudes separated by line breaks, blanks or commas")
          ->option_text("FILE");
  options.grid =
      app.add_option("-g,--grid", values.grid,
                     "Latitudes START, START+STEP, ... up to STOP (included when on the grid), "
                     "in decimal degrees, for a --table; at most 1,000,000")
          ->option_text("START:STOP:STEP");
  options.stations =
      app.add_option("-s,--stations", values.stations,
                     "CSV file of stations with a header (comma, semicolon or tab): the latitude "
                     "column lat or latitude, the identifier column id, station or name (the row "
                     "number without one), for a --table led by the identifiers")
          ->option_text("FILE");
  options.latitudeColumn =
      app.add_option("--latitude-column", values.latitudeColumn,
                     "The --stations column of the latitudes, by its name in any case")
          ->option_text("NAME");
  options.idColumn = app.add_option("--id-column", values.idColumn,
                                    "The --stations column of the identifiers, by its name")
                         ->option_text("NAME");
}

// Defines --aggregation, --unit, --quantity and --method, what is computed.
void DefineChoiceOptions(CLI::App& app, Values& values, Defined& options) {
  options.aggregation =
      app.add_option("-a,--aggregation", values.aggregation,
                     AcceptedAggregations() + "; dekadal is the default, daily with --dates")
          ->option_text("NAME");
  options.unit = app.add_option("-u,--unit", values.unit,
                                "Label or code: " + AcceptedUnits() + "; MJ/m^2/day is the default")
                     ->option_text("UNIT");
  options.quantity =
      app.add_option("-q,--quantity", values.quantity,
                     "radiation (the default) or daylength: the mean astronomical day length of "
                     "each period in hours, whatever the unit")
          ->option_text("NAME");
  options.method =
      app.add_option("-m,--method", values.method,
                     "harmonic (the default): Marovane's own model; fao56: the formulas of FAO "
                     "Irrigation and Drainage Paper 56 (eqs 21-25 and 34) in double precision")
          ->option_text("NAME");
}

// Defines --output, --table, --layout and --dates, what is written and where.
void DefineFileOptions(CLI::App& app, Values& values, Defined& options) {
  options.output = app.add_option("-o,--output", values.output,
                                  "Output file; - or none writes to standard output")
                       ->option_text("PATH");
  options.table =
      app.add_option("-t,--table", values.table,
                     "One table of all the latitudes: a name ending in .csv "
                     "(comma-separated)" MAROVANE_NETCDF_TABLE ", or - for CSV on standard output")
          ->option_text("PATH");
  options.layout =
      app.add_option("--layout", values.layout,
                     "wide (the default): a row per latitude, a column per period; long: a row "
                     "per latitude and period (CSV tables)")
          ->option_text("wide|long");
  options.dates =
      app.add_option("-d,--dates", values.dates,
                     "Real calendar dates, ISO 8601, at most 100 years (2023-01-01/2024-12-31): "
                     "daily (the default), dekadal, monthly or pentadal values in a long "
                     "--table of date, latitude, value; periods at the ends are taken whole")
          ->option_text("FROM/TO");
}

// Defines every option, bound to `values`, in the order --help lists them.
Defined DefineOptions(CLI::App& app, Values& values) {
  // Every refusal is in the program's own words: the parser is left to take the values, and
  // what it would refuse (an unknown option, a value too many, options that clash) is
  // checked after it. An option given again keeps its last value until then.
  app.allow_extras();
  app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  Defined options;
  DefineLatitudeOptions(app, values, options);
  DefineChoiceOptions(app, values, options);
  DefineFileOptions(app, values, options);
  return options;
}

// What each option takes, as the messages say it.
Takes OptionTakes(const Defined& options) {
  return {
      {options.latitude,
       "a latitude in decimal degrees (41.9, -33.8675) or "
       "degrees:minutes:seconds (41:54:00N)"},
      {options.batch, "a text file of latitudes"},
      {options.grid, "START:STOP:STEP in decimal degrees (-89.75:89.75:0.5)"},
      {options.stations, "a CSV file of stations with a header line (id,lat,lon)"},
      {options.latitudeColumn, "the name of the --stations column of the latitudes"},
      {options.idColumn, "the name of the --stations column of the identifiers"},
      {options.aggregation, AcceptedAggregations()},
      {options.unit, AcceptedUnitForms()},
      {options.quantity, AcceptedQuantities()},
      {options.method, AcceptedMethods()},
      {options.output, "a path, or - for standard output"},
      {options.table,
       "a name ending in " MAROVANE_TABLE_ENDINGS ", or - for a comma-separated table on "
       "standard output"},
      {options.layout, "wide or long"},
      {options.dates, "FROM/TO, two ISO dates (2023-01-01/2024-12-31)"},
  };
}

// Writes the text of --help or --version to `out`, where a failed write is a failure.
int ShowHelpOrVersion(const CLI::App& app, const CLI::Success& e, std::ostream& out,
                      std::ostream& err) {
  // The version ends in std::endl, whose flush may already have failed: errno tells why.
  errno = 0;
  app.exit(e, out, err);
  out.flush();
  if (!out) {
    err << "Cannot write standard output: " << SystemReason() << "\n";
    return kExitFileFailed;
  }
  return kExitWritten;
}

// Names the option the parser found with no value: one last, or followed by another option.
void SayNoValue(const Takes& takes, const CLI::ArgumentMismatch& e, std::ostream& err) {
  const std::string_view what = e.what();
  for (const auto& [option, taken] : takes) {
    const std::string name = option->get_name();
    if (what.starts_with(name + ":")) {
      err << name << " is given no value; give " << taken << ".\n";
      return;
    }
  }
  err << "An option is given no value; marovane-cli --help says what each one takes.\n";
}

// Whether an option took another option's name as its value, after a message.
bool ValueIsOptionName(const Takes& takes, std::ostream& err) {
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
        return true;
      }
    }
  }
  return false;
}

// Whether an argument is left that no option took, after a message.
bool ArgumentLeft(const CLI::App& app, std::ostream& err) {
  std::vector<std::string> extras = app.remaining();
  std::erase(extras, "--");  // "--" ends the options; what follows it is refused below
  if (extras.empty()) {
    return false;
  }
  const std::string& first = extras.front();
  const bool option =
      first.starts_with("--") ||
      (first.size() > 1 && first[0] == '-' &&
       ((first[1] >= 'a' && first[1] <= 'z') || (first[1] >= 'A' && first[1] <= 'Z')));
  if (option) {
    err << ShownText(first.substr(0, first.find('=')), kShownCharacters)
        << ": no such option; marovane-cli --help lists the options.\n";
  } else {
    err << "'" << ShownText(first, kShownCharacters)
        << "' is the value of no option: each option takes one "
        << "value (for more latitudes of a --table, give --latitude again before each).\n";
  }
  return true;
}

// Whether an option other than --latitude is given more than once, after a message.
bool GivenAgain(const Defined& options, const Takes& takes, std::ostream& err) {
  for (const auto& [option, taken] : takes) {
    if (option != options.latitude && option->count() > 1) {
      err << option->get_name() << " is given " << option->count() << " times; give it once.\n";
      return true;
    }
  }
  return false;
}

// Whether two options that cannot go together are given, after a message.
bool Clash(const Defined& options, std::ostream& err) {
  // Two ways of giving the latitudes, or of naming the file, that cannot go together.
  const struct {
    const CLI::Option* first;
    const CLI::Option* second;
    const char* why;
  } clashes[] = {
      {options.latitude, options.batch, "give the latitudes one way"},
      {options.grid, options.latitude, "give the latitudes one way"},
      {options.grid, options.batch, "give the latitudes one way"},
      {options.stations, options.latitude, "give the latitudes one way"},
      {options.stations, options.grid, "give the latitudes one way"},
      {options.stations, options.batch, "give the latitudes one way"},
      {options.output, options.batch, "the batch names each file after its input"},
      {options.output, options.table, "--table PATH names the table's file"},
  };
  for (const auto& clash : clashes) {
    if (clash.first->count() > 0 && clash.second->count() > 0) {
      err << clash.first->get_name() << " and " << clash.second->get_name()
          << " cannot be used together: " << clash.why << ".\n";
      return true;
    }
  }
  return false;
}

// Whether no latitude is given at all, after a message.
bool NoLatitude(const Defined& options, std::ostream& err) {
  if (options.latitude->count() > 0 || options.batch->count() > 0 || options.grid->count() > 0 ||
      options.stations->count() > 0) {
    return false;
  }
  err << "No latitude given: give --latitude LAT, --batch FILE, or --grid START:STOP:STEP or "
         "--stations FILE with --table PATH; marovane-cli --help says more.\n";
  return true;
}

// The values of the options given; those not given have none.
Arguments GivenArguments(const Defined& options, Values values) {
  const auto given = [](const CLI::Option* option, std::string& value) {
    return option->count() > 0 ? std::optional<std::string>(std::move(value)) : std::nullopt;
  };
  return {.latitudes = std::move(values.latitudes),
          .batch = given(options.batch, values.batch),
          .grid = given(options.grid, values.grid),
          .stations = given(options.stations, values.stations),
          .latitudeColumn = given(options.latitudeColumn, values.latitudeColumn),
          .idColumn = given(options.idColumn, values.idColumn),
          .output = given(options.output, values.output),
          .table = given(options.table, values.table),
          .layout = given(options.layout, values.layout),
          .dates = given(options.dates, values.dates),
          .aggregation = options.dates->count() > 0 && options.aggregation->count() == 0
                             ? std::string(Describe(kDefaultDatesAggregation).name)
                             : std::move(values.aggregation),
          .unit = std::move(values.unit),
          .quantity = std::move(values.quantity),
          .method = std::move(values.method)};
}

}  // namespace

std::optional<Arguments> ParseArguments(int argc, const char* const* argv, std::ostream& out,
                                        std::ostream& err, int& status) {
  CLI::App app{kAbout, "marovane-cli"};
  AddFooterAndVersion(app);
  Values values;
  const Defined options = DefineOptions(app, values);
  const Takes takes = OptionTakes(options);
  status = kExitBadArguments;
  try {
    app.parse(argc, argv);
  } catch (const CLI::Success& e) {
    status = ShowHelpOrVersion(app, e, out, err);
    return std::nullopt;
  } catch (const CLI::ArgumentMismatch& e) {
    SayNoValue(takes, e, err);
    return std::nullopt;
  } catch (const CLI::ParseError&) {
    err << "The arguments could not be read; marovane-cli --help says what each option takes.\n";
    return std::nullopt;
  }
  if (ValueIsOptionName(takes, err) || ArgumentLeft(app, err) || GivenAgain(options, takes, err) ||
      Clash(options, err) || NoLatitude(options, err)) {
    return std::nullopt;
  }
  return GivenArguments(options, std::move(values));
}

namespace {

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
    err << option << ": unknown " << what << " '" << ShownText(text, kShownCharacters) << "'; give "
        << accepted << ".\n";
  }
  return value;
}

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
#ifdef MAROVANE_HAVE_NETCDF
  err << " ends neither in .csv (comma-separated) nor in .nc (NetCDF); give one of these, or - "
         "for a comma-separated table on standard output.\n";
#else
  err << " does not end in .csv (comma-separated); give such a name, or - for a "
         "comma-separated table on standard output.\n";
#endif
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
      err << "--latitude '" << ShownText(argument, kShownCharacters)
          << "': " << LatitudeCheckMessage(check) << "\n";
      return std::nullopt;
    }
    latitudes.push_back(latitude);
  }
  return latitudes;
}

// The cycle chosen by its four options, or nothing after a message for each unknown name.
std::optional<CycleChoice> CheckedChoice(const Arguments& args, std::ostream& err) {
  const auto aggregation = Chosen(AggregationNamed(args.aggregation), "--aggregation",
                                  "aggregation", args.aggregation, AcceptedAggregations(), err);
  const auto unit =
      Chosen(UnitNamed(args.unit), "--unit", "unit", args.unit, AcceptedUnitForms(), err);
  const auto quantity = Chosen(QuantityNamed(args.quantity), "--quantity", "quantity",
                               args.quantity, AcceptedQuantities(), err);
  const auto method =
      Chosen(MethodNamed(args.method), "--method", "method", args.method, AcceptedMethods(), err);
  if (!aggregation || !unit || !quantity || !method) {
    return std::nullopt;
  }
  return CycleChoice{*aggregation, *unit, *quantity, *method};
}

// --layout into `request`; false after a message.
bool CheckedLayout(const Arguments& args, TableRequest& request, std::ostream& err) {
  if (args.layout && *args.layout == "long") {
    request.layout = TableLayout::Long;
  } else if (args.layout && *args.layout != "wide") {
    err << "--layout: unknown layout '" << ShownText(*args.layout, kShownCharacters)
        << "'; give wide or long.\n";
    return false;
  }
  if (request.netcdf && args.layout) {
    err << "--layout: a NetCDF table has one layout, a variable of latitude and period; "
           "--layout is for CSV.\n";
    return false;
  }
  return true;
}

// --dates into `request`, for a table of `aggregation`; false after a message.
bool CheckedDates(const Arguments& args, Aggregation aggregation, TableRequest& request,
                  std::ostream& err) {
  if (!args.dates) {
    return true;
  }
  std::string refusal;
  request.dates = ParseDateRange(*args.dates, refusal);
  if (!request.dates) {
    err << "--dates: " << refusal << ".\n";
    return false;
  }
  if (!HasRealPeriods(aggregation)) {
    err << "--dates: " << NoRealPeriods(aggregation) << "; give --aggregation "
        << RealCalendarAggregations() << ".\n";
    return false;
  }
  if (args.layout && request.layout == TableLayout::Wide) {
    err << "--layout: a table of --dates is long only: one row per period and latitude.\n";
    return false;
  }
  return true;
}

// --grid's or --latitude's checked latitudes, or the --batch input, into `request`.
bool CheckedTableLatitudes(const Arguments& args, TableRequest& request, std::ostream& err) {
  if (args.grid) {
    request.latitudesFrom = "--grid";
    std::string refusal;
    std::optional<std::vector<float>> grid = GridLatitudes(*args.grid, refusal);
    if (!grid) {
      err << "--grid: " << refusal << ".\n";
      return false;
    }
    request.latitudes = std::move(*grid);
  } else if (args.batch) {
    request.latitudesFrom = "--batch";
    request.batch = args.batch;
  } else if (args.stations) {
    request.latitudesFrom = "--stations";
    request.stations = args.stations;
    request.columns.latitude = args.latitudeColumn.value_or("");
    request.columns.id = args.idColumn.value_or("");
  } else {
    std::optional<std::vector<float>> latitudes = CheckedLatitudes(args.latitudes, err);
    if (!latitudes) {
      return false;
    }
    request.latitudes = std::move(*latitudes);
  }
  return true;
}

// --table with the options of a table: the table asked for, or nothing after a message.
std::optional<TableRequest> CheckedTable(const Arguments& args, Aggregation aggregation,
                                         std::ostream& err) {
  TableRequest request;
  request.path = *args.table;
  const std::optional<bool> netcdf = IsNetcdf(request.path, err);
  if (!netcdf) {
    return std::nullopt;
  }
  request.netcdf = *netcdf;
  if (!CheckedLayout(args, request, err) || !CheckedDates(args, aggregation, request, err) ||
      !CheckedTableLatitudes(args, request, err)) {
    return std::nullopt;
  }
  return request;
}

// The option given that asks for a table, or a null pointer.
const char* NeedingTable(const Arguments& args) {
  return args.latitudes.size() > 1 ? "--latitude given more than once"
         : args.grid               ? "--grid"
         : args.stations           ? "--stations"
         : args.layout             ? "--layout"
         : args.dates              ? "--dates"
                                   : nullptr;
}

}  // namespace

std::optional<Request> CheckArguments(const Arguments& args, std::ostream& err) {
  const std::optional<CycleChoice> choice = CheckedChoice(args, err);
  if (!choice) {
    return std::nullopt;
  }
  if (args.output && args.output->empty()) {
    err << "--output: an empty path names no file; give a path, or - for standard output.\n";
    return std::nullopt;
  }
  for (const auto& [column, name] : {std::pair{&args.latitudeColumn, "--latitude-column"},
                                     std::pair{&args.idColumn, "--id-column"}}) {
    if (*column && !args.stations) {
      err << name << " names a column of --stations FILE; give --stations too.\n";
      return std::nullopt;
    }
    if (*column && (*column)->empty()) {
      err << name << ": an empty name names no column; give the column's name.\n";
      return std::nullopt;
    }
  }
  Request request;
  request.choice = *choice;
  if (args.table) {
    std::optional<TableRequest> table = CheckedTable(args, choice->aggregation, err);
    if (!table) {
      return std::nullopt;
    }
    request.kind = Request::Kind::Table;
    request.table = std::move(*table);
    return request;
  }
  if (const char* needsTable = NeedingTable(args)) {
    err << needsTable << " makes one table of every latitude: add --table PATH (a name "
        << "ending in " MAROVANE_TABLE_ENDINGS ", or - for standard output).\n";
    return std::nullopt;
  }
  if (args.batch) {
    request.kind = Request::Kind::Batch;
    request.batch = *args.batch;
    return request;
  }
  const std::optional<float> latitude = CheckedLatitude(args.latitudes.front(), err);
  if (!latitude) {
    return std::nullopt;
  }
  request.latitude = *latitude;
  request.output = args.output.value_or("");
  return request;
}

}  // namespace marovane::cli
