// SPDX-License-Identifier: GPL-3.0-or-later
// The table options through the command line, inside a folder of its own: --table with any
// name (no folder in it), --layout, --dates and the latitudes of --latitude, --grid or a
// --batch file. Every run ends in one of the three exit statuses with the program's own words;
// a refusal writes nothing; a written table is whole: CSV lines end in CR LF, each with as
// many cells as the header, and a NetCDF file is one.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

#include "FuzzCheck.hpp"
#include "cli/CommandLine.hpp"
#include "export/Table.hpp"
#ifdef MAROVANE_NETCDF_MODULE
#include "export/NetcdfDataset.hpp"
#endif

namespace {

namespace fs = std::filesystem;
using namespace marovane;

// A run costs about this many values at most: libFuzzer wants many runs a second.
constexpr std::size_t kMostValues = 100'000;

const fs::path& Folder() {
  static const fs::path folder = [] {
    const fs::path dir =
        fs::temp_directory_path() / ("marovane-fuzz-table-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::current_path(dir);
#ifdef MAROVANE_NETCDF_MODULE
    detail::UseNetcdfModule(MAROVANE_NETCDF_MODULE);
#endif
    return dir;
  }();
  return folder;
}

std::vector<std::string> Files() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(Folder())) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string Read(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool NetcdfName(std::string_view name) {
  return name.size() > 3 && (name.ends_with(".nc") || name.ends_with(".NC") ||
                             name.ends_with(".Nc") || name.ends_with(".nC"));
}

// Plain CSV: lines ending in CR LF, no other line break, as many cells on each as the header.
void CheckCsv(const std::string& text) {
  FUZZ_CHECK(text.ends_with("\r\n"));
  std::size_t cells = std::string::npos;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = text.find("\r\n", start);
    FUZZ_CHECK(end != std::string::npos);
    const std::string_view line(text.data() + start, end - start);
    FUZZ_CHECK(line.find_first_of("\r\n") == std::string_view::npos);
    const std::size_t commas = static_cast<std::size_t>(std::count(line.begin(), line.end(), ','));
    FUZZ_CHECK(cells == std::string::npos || commas == cells);
    cells = commas;
    start = end + 2;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) {
    return 0;
  }
  // Byte 0: which options (bits 0-1 the latitudes: --latitude, --grid or --batch; bit 2
  // --layout; bit 3 --dates; bits 4-5 the aggregation; bit 6 day length; bit 7 FAO-56);
  // byte 1 the unit; then fields separated by NUL bytes: the table's name, the layout, the
  // dates, and the latitudes.
  const std::uint8_t flags = data[0];
  std::vector<std::string> fields(1);
  for (std::size_t i = 2; i < size; ++i) {
    if (data[i] == 0) {
      fields.emplace_back();
    } else {
      fields.back() += static_cast<char>(data[i]);
    }
  }
  fields.resize(std::max<std::size_t>(fields.size(), 4));
  const std::string& name = fields[0];
  if (name.find('/') != std::string::npos || name.find("..") != std::string::npos) {
    return 0;
  }
  const int source = flags % 4;
  const Aggregation aggregation =
      *AggregationOfCode(static_cast<std::int16_t>(1 + (flags >> 4) % 4));
  std::vector<std::string> args = {"marovane-cli",
                                   "--table",
                                   name,
                                   "-a",
                                   std::string(Describe(aggregation).name),
                                   "-u",
                                   std::to_string(1 + data[1] % 7)};
  if (flags & 0x04) {
    args.insert(args.end(), {"--layout", fields[1]});
  }
  std::size_t periods = static_cast<std::size_t>(Describe(aggregation).periods);
  if (flags & 0x08) {
    args.insert(args.end(), {"--dates", fields[2]});
    std::string refusal;
    if (const auto range = ParseDateRange(fields[2], refusal)) {
      periods = DatedPeriods(range->from, range->to, aggregation).size();
    }
  }
  if (flags & 0x40) {
    args.insert(args.end(), {"-q", "daylength"});
  }
  if (flags & 0x80) {
    args.insert(args.end(), {"-m", "fao56"});
  }
  std::size_t latitudes = 0;
  const fs::path folder = Folder();
  if (source == 1) {
    std::string refusal;
    if (const auto grid = GridLatitudes(fields[3], refusal)) {
      latitudes = grid->size();
    }
    args.insert(args.end(), {"--grid", fields[3]});
  } else if (source == 2) {
    std::string text;
    for (std::size_t i = 3; i < fields.size(); ++i) {
      text += fields[i] + "\n";
    }
    latitudes = static_cast<std::size_t>(std::count_if(
        text.begin(), text.end(), [](char c) { return c == '\n' || c == ' ' || c == ','; }));
    std::ofstream(folder / "lats.txt", std::ios::binary) << text;
    args.insert(args.end(), {"--batch", "lats.txt"});
  } else {
    for (std::size_t i = 3; i < fields.size(); ++i) {
      args.insert(args.end(), {"-l", fields[i]});
    }
    latitudes = fields.size() - 3;
  }
  if (latitudes * periods > kMostValues) {
    fs::remove(folder / "lats.txt");
    return 0;
  }

  const std::vector<std::string> before = Files();
  std::vector<const char*> argv;
  for (const std::string& a : args) {
    argv.push_back(a.c_str());
  }
  std::ostringstream out;
  std::ostringstream err;
  const int status = RunCommandLine(static_cast<int>(argv.size()), argv.data(), out, err);
  const std::vector<std::string> after = Files();
  FUZZ_CHECK(status == 0 || status == 1 || status == 2);
  FUZZ_CHECK(err.str().empty() || err.str().ends_with("\n"));
  // The parser's own words never reach the user; a message may still quote them from the input.
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  for (const std::string_view words : {"Run with --help", "not expected"}) {
    FUZZ_CHECK(input.find(words) != std::string_view::npos ||
               err.str().find(words) == std::string::npos);
  }
  if (status != 0) {
    FUZZ_CHECK(!err.str().empty());
    FUZZ_CHECK(out.str().empty());
    FUZZ_CHECK(after == before);
  } else if (name == "-") {
    FUZZ_CHECK(after == before);
    CheckCsv(out.str());
  } else {
    FUZZ_CHECK(out.str().empty());
    std::vector<std::string> written = before;
    if (!std::binary_search(before.begin(), before.end(), name)) {
      written.insert(std::upper_bound(written.begin(), written.end(), name), name);
    }
    FUZZ_CHECK(after == written);
    const std::string bytes = Read(folder / name);
    if (NetcdfName(name)) {
      FUZZ_CHECK(bytes.starts_with(std::string("CDF\x02", 4)));
    } else {
      CheckCsv(bytes);
    }
  }
  for (const auto& entry : fs::directory_iterator(folder)) {
    fs::remove_all(entry.path());
  }
  return 0;
}
