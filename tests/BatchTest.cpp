// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "TestFiles.hpp"
#include "export/Batch.hpp"
#include "export/CycleFile.hpp"
#include "text/NumberText.hpp"

namespace marovane {
namespace {

namespace fs = std::filesystem;

struct BatchRun {
  BatchResult result;
  std::vector<std::string> log;
};

CycleChoice Choice(int aggregation, int unit) {
  return {*AggregationOfCode(aggregation), *UnitOfCode(unit)};
}

BatchRun RunOn(const fs::path& input, int aggregation = 3, int unit = 1,
               const BatchProgress& progress = {}) {
  BatchRun run;
  run.result = RunBatch(
      input, Choice(aggregation, unit), [&](const std::string& entry) { run.log.push_back(entry); },
      progress);
  return run;
}

std::string Path(const fs::path& p) {
  return p.string();
}

// One file per latitude beside the input: separators of every kind, a repeated latitude
// (written and counted twice), an input with no item at all, and a byte order mark before
// the first item.
TEST(Batch, OneFilePerLatitudeBesideTheInput) {
  struct Case {
    const char* text;
    std::vector<const char*> latitudes;  // of the entries, in order
  };
  const Case cases[] = {
      {"10\r\n-20.5\r\n0\r\n", {"10", "-20.5", "0"}},
      {"  1,2 3\n\n4\t5 ,6\r\n7", {"1", "2", "3", "4", "5", "6", "7"}},
      {"41.9\n41.90\n", {"41.9", "41.9"}},
      {"\r\n  \n", {}},
      {"\xEF\xBB\xBF"
       "41.9\n-12",
       {"41.9", "-12"}},
      {"\xEF\xBB\xBF", {}},
  };
  for (const Case& c : cases) {
    test::ScratchDir dir;
    test::WriteText(dir / "lats.txt", c.text);
    const BatchRun run = RunOn(dir / "lats.txt", 4, 5);
    std::vector<std::string> expected;
    for (const char* latitude : c.latitudes) {
      const fs::path output = dir / ("lats" + std::string(latitude) + ".out");
      expected.push_back(std::to_string(expected.size() + 1) + " " + latitude + " " + Path(output));
      EXPECT_EQ(test::ReadBytes(output), AnnualCycleText(std::stof(latitude), Choice(4, 5)))
          << latitude;
    }
    EXPECT_EQ(run.log, expected) << c.text;
    EXPECT_TRUE(run.result.complete());
    EXPECT_EQ(BatchSummary(run.result), std::to_string(c.latitudes.size()) + " Files written.");
    if (c.latitudes.empty()) {
      EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
    }
  }
}

// Refused, unwritable and long items around the blocks in which the run plans its files,
// over more than the planned files it holds at once: each item has exactly one entry, the
// written ones are counted 1..n without a gap, and every written file is complete.
TEST(Batch, EveryItemHasOneEntryAndFilesAreCountedWithoutGaps) {
  test::ScratchDir dir;
  const fs::path input = dir / "lats.txt";
  constexpr int kItems = 200;
  std::vector<std::string> items;
  for (int i = 1; i <= kItems; ++i) {
    items.push_back(std::to_string(i / 2 - 89) + (i % 2 != 0 ? ".25" : ".75"));
  }
  // Numeric items of any length up to 4,096 characters are latitudes.
  const std::pair<int, std::string> longLatitudes[] = {
      {20, "41.9" + std::string(60, '0')},
      {63, std::string(3995, '0') + "7.125"},
      {95, "-" + std::string(4091, '0') + "33.5"},
  };
  for (const auto& [position, item] : longLatitudes) {
    items[static_cast<std::size_t>(position - 1)] = item;
  }
  struct Bad {
    int position;
    std::string item;    // empty: the item stays, but a folder, or a link to the input,
                         // stands where its file goes
    std::string reason;  // the end of its entry
  };
  const std::string isInput = "it is the input file";
  const Bad bad[] = {
      {1, "abc", "not a number, no file written."},
      {16, "95", "latitude outside -90..90, no file written."},
      {17, "", "Is a directory"},
      {33, "1" + std::string(4093, '0') + "E-1",
       "longer than any latitude (4097 characters), no file written."},
      {48, std::string(1u << 20, '7'),
       "longer than any latitude (1048576 characters), no file written."},
      {64, "", "Is a directory"},
      {65, "", "Is a directory"},
      {129, "", "Is a directory"},
      {161, "", "Is a directory"},
      {170, "", isInput},  // a symbolic link
      {171, "", isInput},  // a second name of the input
      {kItems, "1" + std::string(40, '0') + "E-1", "latitude outside -90..90, no file written."},
  };
  std::vector<fs::path> inputNames;
  for (const Bad& b : bad) {
    std::string& item = items[static_cast<std::size_t>(b.position - 1)];
    const fs::path output = dir / ("lats" + SingleText(std::stof(item)) + ".out");
    if (!b.item.empty()) {
      item = b.item;
    } else if (b.reason == isInput) {
      inputNames.push_back(output);
    } else {
      fs::create_directory(output);
    }
  }
  std::string text;
  for (std::size_t i = 0; i < items.size(); ++i) {
    text += items[i] + (i % 3 == 0 ? "\n" : i % 3 == 1 ? ", " : "\t");
  }
  test::WriteText(input, text);
  fs::create_symlink("lats.txt", inputNames.at(0));
  fs::create_hard_link(input, inputNames.at(1));

  const BatchRun run = RunOn(input, 2, 7);
  ASSERT_EQ(run.log.size(), static_cast<std::size_t>(kItems));
  int written = 0;
  for (int i = 1; i <= kItems; ++i) {
    const std::string& entry = run.log[static_cast<std::size_t>(i - 1)];
    const std::string& item = items[static_cast<std::size_t>(i - 1)];
    const auto badItem =
        std::find_if(std::begin(bad), std::end(bad), [&](const Bad& b) { return b.position == i; });
    if (badItem != std::end(bad)) {
      EXPECT_EQ(entry.rfind("Item " + std::to_string(i) + " (", 0), 0u) << entry;
      EXPECT_TRUE(entry.ends_with(badItem->reason)) << entry << " / " << badItem->reason;
      if (badItem->reason == isInput) {  // the entry names the file
        const fs::path output = dir / ("lats" + SingleText(std::stof(item)) + ".out");
        EXPECT_NE(entry.find("Cannot write " + Path(output) + ": "), std::string::npos) << entry;
      }
      continue;
    }
    ++written;
    const std::string latitude = SingleText(std::stof(item));
    const fs::path output = dir / ("lats" + latitude + ".out");
    EXPECT_EQ(entry, std::to_string(written) + " " + latitude + " " + Path(output));
    EXPECT_EQ(test::ReadBytes(output), AnnualCycleText(std::stof(item), Choice(2, 7))) << i;
  }
  EXPECT_EQ(run.result.written, written);
  EXPECT_EQ(run.result.failed, static_cast<std::int32_t>(std::size(bad)));
  EXPECT_EQ(run.result.items, kItems);
  EXPECT_EQ(BatchSummary(run.result),
            std::to_string(written) + " Files written.\n12 items failed.");
  EXPECT_EQ(test::ReadBytes(input), text);
  EXPECT_TRUE(fs::is_symlink(inputNames[0]));
}

// Pieces of any size give the same items: a file's reads and a pipe's or a browser's pieces
// split items, separators and the byte order mark anywhere.
TEST(Batch, ItemsWhateverThePieces) {
  const std::string longItem(kLongestItem + 5, '1');
  struct Case {
    std::string input;
    std::vector<std::string> items;  // each cut to kLongestItem + 1 bytes
  };
  const Case cases[] = {
      {"", {}},
      {" ,\r\n\t", {}},
      {"41.9, -33.87\n5", {"41.9", "-33.87", "5"}},
      {"\xEF\xBB\xBF"
       "41.9\r\n",
       {"41.9"}},
      {"\xEF\xBB\xBF", {}},
      {"\xEF\xBB", {"\xEF\xBB"}},
      {"\xEF\xBB"
       " 5",
       {"\xEF\xBB", "5"}},
      {"\xEF\xBB"
       "5",
       {"\xEF\xBB"
        "5"}},
      {"\xEF\xBB\xBF\xEF\xBB\xBF"
       "5",
       {"\xEF\xBB\xBF"
        "5"}},
      {"5 \xEF\xBB\xBF", {"5", "\xEF\xBB\xBF"}},
      {"1," + longItem + ",2", {"1", longItem.substr(0, kLongestItem + 1), "2"}},
  };
  for (const Case& c : cases) {
    for (const std::size_t piece :
         {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{7}, c.input.size() + 1}) {
      BatchItemSplitter splitter;
      std::vector<std::string> items;
      std::vector<std::uintmax_t> lengths;
      for (std::size_t at = 0; at < c.input.size(); at += piece) {
        splitter.feed(std::string_view(c.input).substr(at, piece));
        while (splitter.next() == BatchItemSplitter::Next::Item) {
          items.push_back(splitter.item());
          lengths.push_back(splitter.length());
        }
      }
      if (splitter.end()) {
        items.push_back(splitter.item());
        lengths.push_back(splitter.length());
      }
      EXPECT_EQ(items, c.items) << testing::PrintToString(c.input) << " in pieces of " << piece;
      EXPECT_EQ(splitter.taken(), c.input.size()) << testing::PrintToString(c.input);
      for (std::size_t i = 0; i < items.size(); ++i) {  // a cut item keeps its whole length
        EXPECT_EQ(lengths[i], items[i].size() > kLongestItem ? longItem.size() : items[i].size());
      }
    }
  }
  // An item that runs on past kLongestRun is told whatever the pieces.
  const std::string runsOn(kLongestRun + 1, '7');
  for (const std::size_t piece : {std::size_t{4096}, runsOn.size()}) {
    BatchItemSplitter splitter;
    BatchItemSplitter::Next next = BatchItemSplitter::Next::More;
    for (std::size_t at = 0; at < runsOn.size() && next == BatchItemSplitter::Next::More;
         at += piece) {
      splitter.feed(std::string_view(runsOn).substr(at, piece));
      next = splitter.next();
    }
    EXPECT_EQ(next, BatchItemSplitter::Next::RunsOn) << piece;
  }
}

// An input that cannot be read to its end ends the run with an entry naming it; what was
// read before stays written.
TEST(Batch, UnreadableInputEndsTheRunAndIsNamed) {
  test::ScratchDir dir;
  fs::create_directory(dir / "folder.txt");
  test::WriteText(dir / "endless.txt", "12 " + std::string((1u << 20) + 1, '7') + " 13");
  struct Case {
    fs::path input;
    int written;
    std::string reason;
  };
  const Case cases[] = {
      {dir / "missing.txt", 0, "No such file or directory"},
      {dir / "folder.txt", 0, "Is a directory"},
      {dir / "endless.txt", 1, "item 2 runs on for more than 1 MiB without a separator"},
      {"/dev/zero", 0, "item 1 runs on for more than 1 MiB without a separator"},
  };
  for (const Case& c : cases) {
    const BatchRun run = RunOn(c.input);
    ASSERT_EQ(run.log.size(), static_cast<std::size_t>(c.written + 1)) << c.input;
    const std::string reading = "Cannot read " + Path(c.input) + ": " + c.reason;
    EXPECT_EQ(run.log.back().rfind(reading, 0), 0u) << run.log.back() << " / " << reading;
    EXPECT_FALSE(run.result.inputRead());
    EXPECT_EQ(run.result.written, c.written);
    const std::string summary = BatchSummary(run.result);
    const std::string unread =
        "The input file " + Path(c.input) + " could not be read: " + c.reason;
    EXPECT_EQ(summary.rfind(std::to_string(c.written) + " Files written.\n" + unread, 0), 0u)
        << summary;
  }
}

// An item is shown cut short and with what a terminal would act on escaped.
TEST(Batch, RefusedItemsAreShownSafely) {
  test::ScratchDir dir;
  const fs::path input = dir / "lats.txt";
  const std::string tooLong = std::string(30, '1') + "\x1b[2J" + std::string(4100, '2');
  test::WriteText(input, "10 abc \x1b]0;x\x07 \xff\xfe" + std::string(1, '\0') + "9 " + tooLong +
                             " 1.2.3 -90.5 90.000001 \xEF\xBB\xBF"
                             "5");
  fs::create_directory(dir / "lats10.out");  // an output that cannot be written
  const BatchRun run = RunOn(input);
  const std::vector<std::string> expected = {
      "Item 1 (10): Cannot write " + Path(dir / "lats10.out") + ": Is a directory",
      "Item 2 (abc): not a number, no file written.",
      "Item 3 (\\x1b]0;x\\x07): not a number, no file written.",
      "Item 4 (\\xff\\xfe\\x009): not a number, no file written.",
      "Item 5 (" + std::string(30, '1') +
          "\\x1b[2J222\u2026): longer than any latitude (4134 "
          "characters), no file written.",
      "Item 6 (1.2.3): not a number, no file written.",
      "Item 7 (-90.5): latitude outside -90..90, no file written.",
      "Item 8 (90.000001): latitude outside -90..90, no file written.",
      "Item 9 (\\xef\\xbb\\xbf5): not a number, no file written.",
  };
  EXPECT_EQ(run.log, expected);
  EXPECT_EQ(run.result.written, 0);
  EXPECT_EQ(BatchSummary(run.result), "0 Files written.\n9 items failed.");
}

// The progress callback sees every item and can stop the run after any of them; told so
// after the last item, it leaves nothing unwritten and the run is complete.
TEST(Batch, StopsAfterTheItemWhereItIsTold) {
  struct Case {
    int items;
    int stopAfter;
  };
  const Case cases[] = {{40, 1}, {40, 16}, {40, 17}, {40, 39}, {3, 3}, {32, 32}};
  for (const Case& c : cases) {
    test::ScratchDir dir;
    const fs::path input = dir / "lats.txt";
    std::string text;
    for (int i = 1; i <= c.items; ++i) {
      text += std::to_string(i) + "\n";
    }
    test::WriteText(input, text);
    std::int64_t calls = 0;
    const BatchRun run = RunOn(input, 3, 1, [&](const BatchResult& soFar, std::uintmax_t read) {
      EXPECT_EQ(soFar.items, ++calls);
      EXPECT_GT(read, 0u);
      return soFar.items < c.stopAfter;
    });
    const std::string count = std::to_string(c.stopAfter);
    EXPECT_EQ(run.result.written, c.stopAfter);
    EXPECT_FALSE(fs::exists(dir / ("lats" + std::to_string(c.stopAfter + 1) + ".out")));
    if (c.stopAfter == c.items) {
      EXPECT_TRUE(run.result.complete());
      EXPECT_EQ(run.log.size(), static_cast<std::size_t>(c.items));
      EXPECT_EQ(BatchSummary(run.result), count + " Files written.");
      continue;
    }
    EXPECT_TRUE(run.result.stopped);
    ASSERT_EQ(run.log.size(), static_cast<std::size_t>(c.stopAfter + 1));
    EXPECT_EQ(run.log.back(),
              "Stopped by the user after item " + count + "; the items after it were not written.");
    EXPECT_EQ(BatchSummary(run.result),
              count + " Files written.\nStopped by the user after item " + count + ".");
  }
}

// A stop asked for while the run waits for its input holds: when the input comes, no file is
// written any more, as the window has already told the user.
TEST(Batch, StopAskedWhileTheInputWaitsWritesNoMore) {
  test::ScratchDir dir;
  const fs::path pipe = dir / "lats.txt";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  std::atomic<bool> stop{false};
  std::thread feeder([&] {
    std::FILE* in = std::fopen(pipe.c_str(), "w");
    std::fputs("5\n", in);
    std::fflush(in);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    stop = true;
    std::fputs("6\n", in);
    std::fclose(in);
  });
  std::vector<std::string> log;
  const BatchResult result = RunBatch(
      pipe, Choice(3, 1), [&](const std::string& entry) { log.push_back(entry); }, {}, &stop);
  feeder.join();
  EXPECT_TRUE(result.stopped);
  EXPECT_EQ(result.written, 0);
  EXPECT_EQ(log, (std::vector<std::string>{
                     "Stopped by the user after item 0; the items after it were not written."}));
  EXPECT_FALSE(fs::exists(dir / "lats5.out"));
}

// A batch ended by SIGINT or SIGTERM, whichever of its threads the signal reaches, leaves the
// files it replaces whole and no temporary name beside them.
TEST(Batch, InterruptedRunLeavesOnlyWholeFiles) {
  test::ScratchDir dir;
  const char* const latitudes[] = {"10", "-20.5", "0", "41.9"};
  std::string text;
  for (int i = 0; i < 20000; ++i) {
    text += std::string(latitudes[i % 4]) + "\n";
  }
  test::WriteText(dir / "lats.txt", text);
  const CycleChoice daily = Choice(1, 1);
  for (int round = 0; round < 48; ++round) {
    const pid_t batch = ::fork();
    if (batch == 0) {
      RunBatch(dir / "lats.txt", daily, [](const std::string&) {});
      _exit(0);
    }
    // Early in the run, in the midst of the files; the last rounds wait longer, so that a
    // slow build (sanitizers) or a busy machine has written some files by then.
    ::usleep(static_cast<useconds_t>(round < 40 ? 2000 + round % 24 * 700 : (round - 39) * 50000));
    ::kill(batch, round % 2 == 0 ? SIGINT : SIGTERM);
    int status = 0;
    ::waitpid(batch, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status)) << "round " << round << ": the batch ended by itself";
  }
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir.path())) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"lats-20.5.out", "lats.txt", "lats0.out", "lats10.out",
                                             "lats41.9.out"}));
  for (const char* latitude : latitudes) {
    EXPECT_EQ(test::ReadBytes(dir / ("lats" + std::string(latitude) + ".out")),
              AnnualCycleText(std::stof(latitude), daily))
        << latitude;
  }
}

TEST(Batch, RelativeInputIsLoggedWithItsFullPath) {
  test::ScratchDir dir;
  test::WriteText(dir / "lats.txt", "-12.5");
  const fs::path previous = fs::current_path();
  fs::current_path(dir.path());
  const BatchRun run = RunOn("lats.txt");
  fs::current_path(previous);
  ASSERT_EQ(run.log.size(), 1u);
  EXPECT_EQ(run.log[0], "1 -12.5 " + (dir / "lats-12.5.out").string());
}

// Four characters of the file name go, never a byte of a character, never the folder.
TEST(Batch, OutputNames) {
  struct Case {
    const char* input;
    float latitude;
    const char* output;
  };
  const Case cases[] = {
      {"/data/lats.txt", 41.9f, "/data/lats41.9.out"},
      {"/data/lats.txt", -12.5f, "/data/lats-12.5.out"},
      {"/data/lats.csv", -0.0f, "/data/lats0.out"},
      {"/data/latitudes", 5.0f, "/data/latit5.out"},
      {"abc", 5.0f, "5.out"},
      {"/data/in/ab", 10.0f, "/data/in/10.out"},
      {"/data/in/abcd", 10.0f, "/data/in/10.out"},
      {"/data/lats\xc3\xa9"
       "123",
       7.0f, "/data/lats7.out"},
      {"/data/Breitengrade_S\xc3\xbc"
       "d",
       10.0f, "/data/Breitengrade10.out"},
      {"/data/\xf0\x9f\x8c\x9e"
       "sun.txt",
       1.0f,
       "/data/\xf0\x9f\x8c\x9e"
       "sun1.out"},
      {"/data/lats\xff\xfe.x", 1.0f, "/data/lats1.out"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BatchOutputName(c.input, c.latitude).string(), c.output) << c.input;
  }
}

}  // namespace
}  // namespace marovane
