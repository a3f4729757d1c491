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
#include "export/CycleFile.hpp"

namespace marovane {
namespace {

namespace fs = std::filesystem;

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

std::string Quoted(const std::string& argument) {
  std::string quoted = "'";
  for (char c : argument) {
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  }
  return quoted + "'";
}

// Runs `program` with `arguments`; standard output goes to `stdoutPath` when given.
Outcome RunProgram(const std::string& program, const test::ScratchDir& dir,
                   const std::vector<std::string>& arguments, const std::string& stdoutPath = "") {
  const fs::path out = stdoutPath.empty() ? dir / "stdout" : fs::path(stdoutPath);
  const fs::path err = dir / "stderr";
  std::string command = Quoted(program);
  for (const std::string& a : arguments) {
    command += " " + Quoted(a);
  }
  command += " >" + Quoted(out.string()) + " 2>" + Quoted(err.string()) + " </dev/null";
  Outcome outcome;
  const int raw = std::system(command.c_str());
  outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  if (stdoutPath.empty()) {
    outcome.out = test::ReadBytes(out);
  }
  outcome.err = test::ReadBytes(err);
  return outcome;
}

// Runs the command line.
Outcome RunCli(const test::ScratchDir& dir, const std::vector<std::string>& arguments,
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

// Every reference file, alternately to standard output and to --output, with the unit and
// aggregation given alternately by name and by code.
TEST(Cli, WritesEveryReferenceFileByteForByte) {
  test::ScratchDir dir;
  int n = 0;
  for (const char* latitude : {"-90", "-41.9", "0", "41.9", "66.5", "67.0761566", "90"}) {
    for (int aggregation = 1; aggregation <= 4; ++aggregation) {
      for (int unit = 1; unit <= 7; ++unit, ++n) {
        const std::string name = "lat_" + std::string(latitude) + "_agg" +
                                 std::to_string(aggregation) + "_unit" + std::to_string(unit) +
                                 ".csv";
        std::vector<std::string> args = {
            "--latitude", latitude, "--aggregation",
            n % 2 == 0 ? kAggregations[aggregation - 1] : std::to_string(aggregation), "--unit",
            n % 3 == 0 ? kUnitLabels[unit - 1] : std::to_string(unit)};
        std::string written;
        if (n % 2 == 0) {
          args.insert(args.end(), {"--output", (dir / name).string()});
          const Outcome o = RunCli(dir, args);
          ASSERT_EQ(o.status, 0) << name << ": " << o.err;
          EXPECT_EQ(o.out, "") << name;
          written = test::ReadBytes(dir / name);
        } else {
          const Outcome o = RunCli(dir, args);
          ASSERT_EQ(o.status, 0) << name << ": " << o.err;
          written = o.out;
        }
        EXPECT_EQ(written, test::ReadBytes(test::DataPath("reference/files/" + name))) << name;
      }
    }
  }
}

TEST(Cli, LatitudeForms) {
  test::ScratchDir dir;
  struct Case {
    std::vector<std::string> args;
    float latitude;
    std::int16_t aggregation = 3;
    std::int16_t unit = 1;
    Quantity quantity = Quantity::Radiation;
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
      {{"--latitude", "41.9", "--aggregation", "DAILY"}, 41.9f, 1},
      {{"--latitude", "41.9", "-a", "Monthly", "-u", "mm/day"}, 41.9f, 4, 5},
      {{"--latitude", "41.9", "--quantity", "radiation"}, 41.9f},
      {{"--latitude", "41.9", "--quantity", "daylength"}, 41.9f, 3, 1, Quantity::DayLength},
      {{"--latitude", "-69.65", "-q", "DayLength", "-u", "5"}, -69.65f, 3, 5, Quantity::DayLength},
      {{"--latitude", "0", "-a", "weekly", "--quantity=DAYLENGTH"}, 0.0f, 2, 1, Quantity::DayLength},
  };
  for (const Case& c : cases) {
    const Outcome o = RunCli(dir, c.args);
    EXPECT_EQ(o.status, 0) << c.args[1] << " " << o.err;
    const CycleChoice choice{*AggregationOfCode(c.aggregation), *UnitOfCode(c.unit), c.quantity};
    EXPECT_EQ(o.out, AnnualCycleText(c.latitude, choice))
        << c.args.back();
  }
  const Outcome daily = RunCli(dir, {"-l", "41.9", "-a", "daily", "-q", "daylength"});
  EXPECT_NE(daily.out.find("\r\n41.9, 172, 15.052\r\n"), std::string::npos);
}

TEST(Cli, BadArgumentsWriteNothing) {
  test::ScratchDir dir;
  const std::string notNumeric = "One of the inputs is not numeric!";
  const std::string outOfRange = "Latitude of your location should be between -90\u00b0 and +90\u00b0.";
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const Case cases[] = {
      {{"--latitude", "4-5"}, notNumeric},
      {{"--latitude", "1.2.3"}, notNumeric},
      {{"--latitude", ""}, notNumeric},
      {{"--latitude", "41,9"}, notNumeric},
      {{"--latitude", "41:54N"}, notNumeric},
      {{"--latitude", "141:54:00N"}, notNumeric},
      {{"--latitude", "x41:54:00N"}, notNumeric},
      {{"--latitude", "41:54:00Nfoo"}, notNumeric},
      {{"--latitude", "41:54:00"}, notNumeric},
      {{"--latitude", "1" + std::string(310, '0') + "E-1"}, outOfRange},
      {{"--latitude", "90.000001"}, outOfRange},
      {{"--latitude", "-90.5"}, outOfRange},
      {{"--latitude", "99:99:99S"}, outOfRange},
      {{"--latitude", "41.9", "--unit", "8"}, "--unit"},
      {{"--latitude", "41.9", "--aggregation", "yearly"}, "--aggregation"},
      {{"--latitude", "41.9", "--quantity", "sunshine"}, "--quantity"},
      {{"--latitude", "41.9", "--batch", "x.txt"}, "excludes"},
      {{}, "--latitude or --batch is required"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"--output", (dir / "out.csv").string()});
    if (c.args.size() > 2 && c.args[2] == "--batch") {
      args.resize(c.args.size());
    }
    const Outcome o = RunCli(dir, args);
    EXPECT_EQ(o.status, 2) << o.err;
    EXPECT_NE(o.err.find(c.message), std::string::npos) << o.err;
    EXPECT_FALSE(fs::exists(dir / "out.csv"));
  }
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
      {"marovane-cli", MAROVANE_CLI,
       {"-h", "--version", "-l", "--latitude", "--batch", "-o", "--quantity"}}};
#ifdef MAROVANE_GUI
  cases.push_back({"marovane", MAROVANE_GUI, {"-h", "--help", "--version"}});
#endif
  for (const Case& c : cases) {
    const std::vector<std::string> noDisplay = {"-u", "DISPLAY", "-u", "WAYLAND_DISPLAY",
                                                "-u", "QT_QPA_PLATFORM", c.program};
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
}

TEST(Cli, FailedWritesExitWithOneAndNameTheFile) {
  test::ScratchDir dir;
  const Outcome full = RunCli(dir, {"--latitude", "41.9", "--output", "/dev/full"});
  EXPECT_EQ(full.status, 1);
  EXPECT_NE(full.err.find("/dev/full: No space left on device"), std::string::npos) << full.err;

  const Outcome pipe = RunCli(dir, {"--latitude", "41.9", "--aggregation", "daily"}, "/dev/full");
  EXPECT_EQ(pipe.status, 1);
  EXPECT_NE(pipe.err.find("standard output"), std::string::npos) << pipe.err;

  const std::string missing = (dir / "no" / "such.csv").string();
  const Outcome folder = RunCli(dir, {"--latitude", "41.9", "--output", missing});
  EXPECT_EQ(folder.status, 1);
  EXPECT_NE(folder.err.find(missing), std::string::npos) << folder.err;
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
    std::string stdoutPath;  // standard output goes there when given
    int status;
    std::string out;         // the whole of standard output, unless it was redirected
    std::string err;         // found in standard error
  };
  const Case cases[] = {
      {{"--batch", lats, "-a", "monthly", "-u", "4"}, "", 0, written3, ""},
      {{"--batch", (dir / "bad.txt").string()}, "", 1,
       "1 10 " + (dir / "bad10.out").string() + "\nItem 2 (x): not a number, no file written.\n"
       "1 Files written.\n", "1 item failed.\n"},
      {{"--batch", none}, "", 1, "Cannot read " + none + ": No such file or directory\n0 Files written.\n",
       "The input file " + none + " could not be read: No such file or directory.\n"},
      {{"--batch", lats, "-a", "Monthly", "-u", "4"}, "/dev/full", 1, "",
       "Cannot write standard output: No space left on device\n"},
  };
  for (const Case& c : cases) {
    const Outcome o = RunCli(dir, c.args, c.stdoutPath);
    EXPECT_EQ(o.status, c.status) << c.args[1] << ": " << o.err;
    if (c.stdoutPath.empty()) {
      EXPECT_EQ(o.out, c.out) << c.args[1];
    }
    EXPECT_NE(o.err.find(c.err), std::string::npos) << o.err;
    // However the log fared, the files are written.
    EXPECT_EQ(test::ReadBytes(base + "-20.5.out"),
              AnnualCycleText(-20.5f, {Aggregation::Monthly, Unit::WPerM2}));
  }
  const Outcome hours = RunCli(dir, {"--batch", lats, "-a", "weekly", "-q", "daylength"});
  EXPECT_EQ(hours.status, 0) << hours.err;
  EXPECT_EQ(test::ReadBytes(base + "-20.5.out"),
            AnnualCycleText(-20.5f, {Aggregation::Weekly, Unit::MJPerM2Day, Quantity::DayLength}));
}

}  // namespace
}  // namespace marovane
