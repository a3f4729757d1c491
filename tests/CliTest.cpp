// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>

#include <gtest/gtest.h>

#include "TestFiles.hpp"
#include "Version.hpp"
#include "cli/CommandLine.hpp"
#include "export/CycleFile.hpp"

namespace marovane {
namespace {

namespace fs = std::filesystem;

using Outcome = test::CliRun;
using test::CallCli;

std::string Quoted(const std::string& argument) {
  std::string quoted = "'";
  for (char c : argument) {
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  }
  return quoted + "'";
}

// Runs `program` as a process with `arguments`; standard output goes to `stdoutPath` when
// given. For what only a process shows: the exit status, the bytes on standard output, a
// standard output that cannot be written.
Outcome RunProgram(const std::string& program, const test::ScratchDir& dir,
                   const std::vector<std::string>& arguments, const std::string& stdoutPath = "") {
  const fs::path out = stdoutPath.empty() ? dir / "stdout" : fs::path(stdoutPath);
  const fs::path err = dir / "stderr";
  std::string command = Quoted(program);
  // Appended piece by piece: GCC 12 at -O3 takes `" " + Quoted(a)` for an overlapping copy.
  for (const std::string& a : arguments) {
    command.append(" ").append(Quoted(a));
  }
  command.append(" >").append(Quoted(out.string())).append(" 2>").append(Quoted(err.string()));
  command.append(" </dev/null");
  Outcome outcome;
  const int raw = std::system(command.c_str());
  outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  if (stdoutPath.empty()) {
    outcome.out = test::ReadBytes(out);
  }
  outcome.err = test::ReadBytes(err);
  return outcome;
}

Outcome RunCliProcess(const test::ScratchDir& dir, const std::vector<std::string>& arguments,
                      const std::string& stdoutPath = "") {
  return RunProgram(MAROVANE_CLI, dir, arguments, stdoutPath);
}

// The options that the lines of a --help text list: "-l,--latitude LAT  ..." gives -l and
// --latitude.
std::vector<std::string> ListedOptions(const std::string& help) {
  static const std::regex option(R"(^ +(-[-\w]+(?:, ?-[-\w]+)*))");
  std::vector<std::string> options;
  std::istringstream lines(help);
  for (std::string line; std::getline(lines, line);) {
    std::smatch m;
    if (std::regex_search(line, m, option)) {
      std::istringstream names(std::regex_replace(m.str(1), std::regex(", ?"), " "));
      for (std::string name; names >> name;) {
        options.push_back(name);
      }
    }
  }
  return options;
}

const char* const kUnitLabels[] = {"MJ/m^2/day", "J/cm^2/day",   "cal/cm^2/day", "W/m^2",
                                   "mm/day",     "MJ/m^2/dekad", "mm/dekad"};
const char* const kAggregations[] = {"daily", "weekly", "dekadal", "monthly"};

// The latitudes of the reference files.
const char* const kLatitudes[] = {"-90", "-41.9", "0", "41.9", "66.5", "67.0761566", "90"};

// Every aggregation and unit, each by its name and by its code, gives its own table.
TEST(Cli, EveryAggregationAndUnitByNameAndByCode) {
  int n = 0;
  for (int aggregation = 1; aggregation <= 4; ++aggregation) {
    for (int unit = 1; unit <= 7; ++unit) {
      for (const bool byName : {true, false}) {
        const char* latitude = kLatitudes[n++ % 7];
        const Outcome o =
            CallCli({"--latitude", latitude, "--aggregation",
                     byName ? kAggregations[aggregation - 1] : std::to_string(aggregation),
                     "--unit", byName ? kUnitLabels[unit - 1] : std::to_string(unit)});
        const std::string what = std::string(latitude) + " " + std::to_string(aggregation) + " " +
                                 std::to_string(unit) + (byName ? " by name" : " by code");
        ASSERT_EQ(o.status, 0) << what << ": " << o.err;
        EXPECT_EQ(o.err, "") << what;
        const CycleChoice choice{static_cast<Aggregation>(aggregation), static_cast<Unit>(unit)};
        EXPECT_EQ(o.out, AnnualCycleText(static_cast<float>(std::stod(latitude)), choice)) << what;
      }
    }
  }
}

// A few reference files, each unit and aggregation once, through --output and standard
// output in turn; the first two also through the program itself.
TEST(Cli, ReferenceFilesThroughOutputAndStandardOutput) {
  test::ScratchDir dir;
  for (int i = 0; i < 7; ++i) {
    const int aggregation = i % 4 + 1;
    const int unit = i + 1;
    const std::string name = "lat_" + std::string(kLatitudes[i]) + "_agg" +
                             std::to_string(aggregation) + "_unit" + std::to_string(unit) + ".csv";
    const std::string reference = test::ReadBytes(test::DataPath("reference/files/" + name));
    std::vector<std::string> args = {"--latitude",    kLatitudes[i],
                                     "--aggregation", std::to_string(aggregation),
                                     "--unit",        kUnitLabels[unit - 1]};
    const bool toFile = i % 2 == 0;
    if (toFile) {
      args.insert(args.end(), {"--output", (dir / name).string()});
    }
    for (const bool process : {false, true}) {
      if (process && i >= 2) {
        break;
      }
      fs::remove(dir / name);
      const Outcome o = process ? RunCliProcess(dir, args) : CallCli(args);
      ASSERT_EQ(o.status, 0) << name << ": " << o.err;
      if (toFile) {
        EXPECT_EQ(o.out, "") << name;
        EXPECT_EQ(o.err, "Data correctly written to " + (dir / name).string() + "\n");
        EXPECT_EQ(test::ReadBytes(dir / name), reference) << name;
      } else {
        EXPECT_EQ(o.err, "") << name;
        EXPECT_EQ(o.out, reference) << name;
      }
    }
  }
}

TEST(Cli, LatitudeForms) {
  struct Case {
    std::vector<std::string> args;
    float latitude;
    std::int16_t aggregation = 3;
    std::int16_t unit = 1;
    Quantity quantity = Quantity::Radiation;
    Method method = Method::Harmonic;
  };
  const Case cases[] = {
      {{"--latitude", "41.9"}, 41.9f},
      {{"--latitude", "41:54:00N"}, 41.9f},
      {{"--latitude", "-33.8675"}, -33.8675f},
      {{"--latitude=-33.8675"}, -33.8675f},
      {{"-l", "-33.8675"}, -33.8675f},
      {{"--latitude", "33:52:03S"}, -33.868f},
      {{"--latitude", "10:30:30s"}, -10.508f},
      {{"--latitude", "90"}, 90.0f},
      {{"--latitude", "-90", "--output", "-"}, -90.0f},
      {{"--latitude", "4\n"}, 4.0f},
      {{"--latitude", " 41.9\r\n"}, 41.9f},  // blanks and a line end around the number
      {{"--latitude", "41.9", "--aggregation", "DAILY"}, 41.9f, 1},
      {{"--latitude", "41.9", "-a", "Monthly", "-u", "mm/day"}, 41.9f, 4, 5},
      {{"--latitude", "41.9", "--quantity", "radiation"}, 41.9f},
      {{"--latitude", "41.9", "--quantity", "daylength"}, 41.9f, 3, 1, Quantity::DayLength},
      {{"--latitude", "-69.65", "-q", "DayLength", "-u", "5"}, -69.65f, 3, 5, Quantity::DayLength},
      {{"--latitude", "0", "-a", "weekly", "--quantity=DAYLENGTH"},
       0.0f,
       2,
       1,
       Quantity::DayLength},
      {{"--latitude", "-20", "-a", "daily", "--method", "fao56"},
       -20.0f,
       1,
       1,
       Quantity::Radiation,
       Method::Fao56},
      {{"--latitude", "41.9", "-m", "HARMONIC"}, 41.9f},
  };
  for (const Case& c : cases) {
    const Outcome o = CallCli(c.args);
    EXPECT_EQ(o.status, 0) << c.args[1] << " " << o.err;
    EXPECT_EQ(o.err, "") << c.args[1];
    const CycleChoice choice{*AggregationOfCode(c.aggregation), *UnitOfCode(c.unit), c.quantity,
                             c.method};
    EXPECT_EQ(o.out, AnnualCycleText(c.latitude, choice)) << c.args.back();
  }
  const Outcome daily = CallCli({"-l", "41.9", "-a", "daily", "-q", "daylength"});
  EXPECT_NE(daily.out.find("\r\n41.9, 172, 15.052\r\n"), std::string::npos);
  EXPECT_NE(CallCli({"-l", "-20", "-m", "fao56"}).out, CallCli({"-l", "-20"}).out);
}

TEST(Cli, BadArgumentsWriteNothing) {
  test::ScratchDir dir;
  const std::string notNumeric = "One of the inputs is not numeric!\n";
  const std::string outOfRange =
      "Latitude of your location should be between -90\u00b0 and +90\u00b0.\n";
  const std::string out = (dir / "out.csv").string();
  const std::string notAValue =
      "' is the value of no option: each option takes one value (for more latitudes of a "
      "--table, give --latitude again before each).\n";
  struct Case {
    std::vector<std::string> args;
    std::string message;  // all of standard error when it ends in a line end, else found in it
  };
  const Case cases[] = {
      {{"--latitude", "4-5"}, notNumeric},
      {{"--latitude", "1.2.3"}, notNumeric},
      {{"--latitude", ""}, notNumeric},
      {{"--latitude", "41,9"}, notNumeric},
      {{"--latitude", "1 2"}, notNumeric},  // a blank inside a number
      {{"--latitude", "4 1.9"}, notNumeric},
      {{"--latitude", "4\r5"}, notNumeric},
      {{"--latitude",
        "4\xc2\xa0"
        "5"},
       notNumeric},
      {{"--latitude", "41:54N"}, notNumeric},
      {{"--latitude", "141:54:00N"}, notNumeric},
      {{"--latitude", "x41:54:00N"}, notNumeric},
      {{"--latitude", "41:54:00Nfoo"}, notNumeric},
      {{"--latitude", "41:54:00"}, notNumeric},
      {{"--latitude", "1" + std::string(310, '0') + "E-1"}, outOfRange},
      {{"--latitude", "1e18446744073709551617"}, outOfRange},
      {{"--latitude", "90.000001"}, outOfRange},
      {{"--latitude", "-90.5"}, outOfRange},
      {{"--latitude", "99:99:99S"}, outOfRange},
      {{"--latitude", "41.9", "--unit", "0"},
       "--unit: unknown unit '0'; give a code 1..7 or a label: MJ/m^2/day (1), J/cm^2/day (2), "
       "cal/cm^2/day (3), W/m^2 (4), mm/day (5), MJ/m^2/dekad (6) or mm/dekad (7).\n"},
      {{"--latitude", "41.9", "--unit", "8"}, "--unit"},
      {{"--latitude", "41.9", "--unit", "\x1b[2J\\"}, "unknown unit '\\x1b[2J\\\\'"},
      {{"--latitude", "41.9", "--aggregation", "yearly"},
       "--aggregation: unknown aggregation 'yearly'; give daily (1), weekly (2), dekadal (3), "
       "monthly (4) or pentadal (5).\n"},
      {{"--latitude", "41.9", "--quantity", "sunshine"}, "--quantity"},
      {{"--latitude", "41.9", "--method", "fao"}, "--method: unknown method 'fao'"},
      {{"--latitude", "41.9", "--output", ""}, "--output: an empty path names no file"},
      // What the parser would refuse, in the program's own words.
      {{"--latitude", "41.9", "--foo"},
       "--foo: no such option; marovane-cli --help lists the "
       "options.\n"},
      {{"-x", "--latitude", "41.9"},
       "-x: no such option; marovane-cli --help lists the options.\n"},
      {{"--latitude", "41.9", "--foo=bar"},
       "--foo: no such option; marovane-cli --help lists "
       "the options.\n"},
      {{"--latitude"},
       "--latitude is given no value; give a latitude in decimal degrees (41.9, "
       "-33.8675) or degrees:minutes:seconds (41:54:00N).\n"},
      {{"-l", "41.9", "--output"},
       "--output is given no value; give a path, or - for standard "
       "output.\n"},
      {{"-l", "41.9", "--table", "--output", out},
       "--table is given no value; give a name ending in .csv or .nc, or - for a comma-separated "
       "table on standard output.\n"},
      {{"-l", "41.9", "-a"},
       "--aggregation is given no value; give daily (1), weekly (2), "
       "dekadal (3), monthly (4) or pentadal (5).\n"},
      {{"-l", "41.9", "--output", out, "--output", out},
       "--output is given 2 times; give it "
       "once.\n"},
      {{"-l", "41.9", "-a", "daily", "--aggregation", "monthly"},
       "--aggregation is given 2 times; give it once.\n"},
      {{"-l", "41.9", "45"}, "'45" + notAValue},
      {{"-l", "41.9", "--output", out, "--", "5"}, "'5" + notAValue},
      {{"--latitude", "41.9", "--batch", "x.txt"},
       "--latitude and --batch cannot be used together: give the latitudes one way.\n"},
      {{"--batch", "x.txt", "--output", out},
       "--output and --batch cannot be used together: the batch names each file after its "
       "input.\n"},
      {{},
       "No latitude given: give --latitude LAT, --batch FILE, or --grid START:STOP:STEP or "
       "--stations FILE with --table PATH; marovane-cli --help says more.\n"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = c.args;
    if (std::find(args.begin(), args.end(), "--batch") == args.end() &&
        std::find(args.begin(), args.end(), "--output") == args.end()) {
      args.insert(args.end(), {"--output", (dir / "out.csv").string()});
    }
    const Outcome o = CallCli(args);
    EXPECT_EQ(o.status, 2) << o.err;
    if (c.message.ends_with("\n")) {
      EXPECT_EQ(o.err, c.message);
    } else {
      EXPECT_NE(o.err.find(c.message), std::string::npos) << o.err;
    }
    EXPECT_EQ(o.out, "") << o.err;
    EXPECT_FALSE(fs::exists(dir / "out.csv")) << o.err;
  }
  // The program itself says so by its exit status, in the same words.
  EXPECT_EQ(RunCliProcess(dir, {"--latitude", "1 2"}).status, 2);
  const Outcome unknown = RunCliProcess(dir, {"-l", "1", "--foo"});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_EQ(unknown.err, "--foo: no such option; marovane-cli --help lists the options.\n");
}

// Paths in messages and in the log as the system shows them: a backslash as it is, only what
// cannot be seen escaped.
TEST(Cli, PathsAreShownAsTheSystemShowsThem) {
  test::ScratchDir dir;
  const fs::path folder = dir / "a\\b \xce\xa9";
  fs::create_directories(folder);
  const std::string shownFolder = folder.string();
  struct Case {
    std::string name;
    std::string shown;
  };
  const Case cases[] = {
      {"lats.csv", "lats.csv"},
      {"x\\y.csv", "x\\y.csv"},
      {"\xff\x1b.csv", "\\xff\\x1b.csv"},
      {"no\xc2\xa0"
       "break.csv",
       "no\\xc2\\xa0break.csv"},
  };
  for (const Case& c : cases) {
    const Outcome o = CallCli({"-l", "41.9", "--output", (folder / c.name).string()});
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.err, "Data correctly written to " + shownFolder + "/" + c.shown + "\n");
    EXPECT_EQ(test::ReadBytes(folder / c.name), AnnualCycleText(41.9f, {}));
  }
  const std::string missing = shownFolder + "/no\\such/x.csv";
  const Outcome folderMissing = CallCli({"-l", "41.9", "--output", missing});
  EXPECT_EQ(folderMissing.status, 1);
  EXPECT_NE(folderMissing.err.find(missing + ": No such file or directory\n"), std::string::npos)
      << folderMissing.err;

  test::WriteText(folder / "lats.txt",
                  "10 4\xc2\xa0"
                  "5\n");
  const Outcome batch = CallCli({"--batch", (folder / "lats.txt").string()});
  EXPECT_EQ(batch.status, 1);
  EXPECT_EQ(batch.out, "1 10 " + shownFolder +
                           "/lats10.out\n"
                           "Item 2 (4\\xc2\\xa05): not a number, no file written.\n"
                           "1 Files written.\n");
  const Outcome unread = CallCli({"--batch", (folder / "none\\.txt").string()});
  EXPECT_EQ(unread.out, "Cannot read " + shownFolder +
                            "/none\\.txt: No such file or directory\n"
                            "0 Files written.\n");
}

// Both programs answer --help and --version without a display, and their manual pages,
// made from that help at build time, list every option the help lists.
TEST(Cli, HelpVersionAndManualPage) {
  test::ScratchDir dir;
  struct Case {
    std::string name;
    std::string program;
    std::vector<std::string> someOptions;  // some that the help must list
  };
  std::vector<Case> cases = {
      {"marovane-cli",
       MAROVANE_CLI,
       {"-h", "--version", "-l", "--latitude", "--batch", "-o", "--quantity", "--method"}}};
#ifdef MAROVANE_GUI
  cases.push_back({"marovane", MAROVANE_GUI, {"-h", "--help", "--version"}});
#endif
  for (const Case& c : cases) {
    const std::vector<std::string> noDisplay = {
        "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u", "QT_QPA_PLATFORM", c.program};
    std::vector<std::string> args = noDisplay;
    args.push_back("--help");
    const Outcome help = RunProgram("env", dir, args);
    EXPECT_EQ(help.status, 0) << c.name << ": " << help.err;
    EXPECT_NE(help.out.find("Usage: " + c.name + " [OPTIONS]"), std::string::npos) << help.out;
    args.back() = "--version";
    const Outcome version = RunProgram("env", dir, args);
    EXPECT_EQ(version.status, 0) << c.name << ": " << version.err;
    EXPECT_EQ(version.out, c.name + " " + kVersion + "\n");

    std::string page = test::ReadBytes(fs::path(MAROVANE_MAN_DIR) / (c.name + ".1"));
    // A negative number of the help is no option: not in bold.
    EXPECT_FALSE(std::regex_search(page, std::regex(R"(\\fB\\?-[0-9])"))) << c.name;
    page = std::regex_replace(page, std::regex(R"(\\-)"), "-");
    EXPECT_NE(page.find("\"" + c.name + " " + kVersion + "\""), std::string::npos) << c.name;
    const std::vector<std::string> options = ListedOptions(help.out);
    for (const std::string& option : c.someOptions) {
      EXPECT_NE(std::find(options.begin(), options.end(), option), options.end()) << option;
    }
    for (const std::string& option : options) {
      EXPECT_NE(page.find(option), std::string::npos) << c.name << " page lacks " << option;
    }
  }
  const std::string page = test::ReadBytes(fs::path(MAROVANE_MAN_DIR) / "marovane-cli.1");
  EXPECT_NE(page.find("(41.9, \\-33.8675)"), std::string::npos);
}

TEST(Cli, FailedWritesExitWithOneAndNameTheFile) {
  test::ScratchDir dir;
  const Outcome full = CallCli({"--latitude", "41.9", "--output", "/dev/full"});
  EXPECT_EQ(full.status, 1);
  EXPECT_NE(full.err.find("/dev/full: No space left on device"), std::string::npos) << full.err;

  // Standard output that cannot take the file, the help or the version: a failure too.
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--latitude", "41.9", "--aggregation", "daily"}, {"--help"}, {"--version"}}) {
    const Outcome pipe = RunCliProcess(dir, args, "/dev/full");
    EXPECT_EQ(pipe.status, 1) << args[0];
    EXPECT_NE(pipe.err.find("Cannot write standard output: No space left on device"),
              std::string::npos)
        << args[0] << ": " << pipe.err;
  }
}

// The log and the count go to standard output, what failed to standard error; anything
// that failed, the log itself included, is exit status 1.
TEST(Cli, BatchLogsEachFileAndTheCount) {
  test::ScratchDir dir;
  test::WriteText(dir / "lats.txt", "10\n-20.5\n0\n");
  test::WriteText(dir / "bad.txt", "10 x");
  const std::string lats = (dir / "lats.txt").string();
  const std::string base = (dir / "lats").string();
  const std::string written3 = "1 10 " + base + "10.out\n2 -20.5 " + base + "-20.5.out\n3 0 " +
                               base + "0.out\n3 Files written.\n";
  const std::string none = (dir / "none.txt").string();
  struct Case {
    std::vector<std::string> args;
    std::string stdoutPath;  // standard output of the program goes there when given
    int status;
    std::string out;  // the whole of standard output, unless it was redirected
    std::string err;  // the whole of standard error, or found in it when redirected
  };
  const Case cases[] = {
      {{"--batch", lats, "-a", "monthly", "-u", "4"}, "", 0, written3, ""},
      {{"--batch", (dir / "bad.txt").string()},
       "",
       1,
       "1 10 " + (dir / "bad10.out").string() +
           "\nItem 2 (x): not a number, no file written.\n"
           "1 Files written.\n",
       "1 item failed.\n"},
      {{"--batch", none},
       "",
       1,
       "Cannot read " + none + ": No such file or directory\n0 Files written.\n",
       "The input file " + none + " could not be read: No such file or directory.\n"},
      {{"--batch", lats, "-a", "Monthly", "-u", "4"},
       "/dev/full",
       1,
       "",
       "Cannot write standard output: No space left on device\n"},
  };
  for (const Case& c : cases) {
    const bool process = !c.stdoutPath.empty();
    const Outcome o = process ? RunCliProcess(dir, c.args, c.stdoutPath) : CallCli(c.args);
    EXPECT_EQ(o.status, c.status) << c.args[1] << ": " << o.err;
    if (process) {
      EXPECT_NE(o.err.find(c.err), std::string::npos) << o.err;
    } else {
      EXPECT_EQ(o.out, c.out) << c.args[1];
      EXPECT_EQ(o.err, c.err) << c.args[1];
    }
    // However the log fared, the files are written.
    EXPECT_EQ(test::ReadBytes(base + "-20.5.out"),
              AnnualCycleText(-20.5f, {Aggregation::Monthly, Unit::WPerM2}));
  }
  const Outcome hours = CallCli({"--batch", lats, "-a", "weekly", "-q", "daylength"});
  EXPECT_EQ(hours.status, 0) << hours.err;
  EXPECT_EQ(test::ReadBytes(base + "-20.5.out"),
            AnnualCycleText(-20.5f, {Aggregation::Weekly, Unit::MJPerM2Day, Quantity::DayLength}));
}

}  // namespace
}  // namespace marovane
