#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include <gtest/gtest.h>

#include "TestFiles.hpp"
#include "export/AnnualCycle.hpp"
#include "export/Batch.hpp"

namespace marovane {
namespace {

namespace fs = std::filesystem;

struct BatchRun {
  BatchResult result;
  std::vector<std::string> log;
};

BatchRun RunOn(const fs::path& input, std::int16_t aggregation = 3, std::int16_t unit = 1) {
  BatchRun run;
  run.result = RunBatch(input, {aggregation, unit, Quantity::Radiation},
                        [&](const std::string& entry) { run.log.push_back(entry); });
  return run;
}

TEST(Batch, OneFilePerLatitudeBesideTheInput) {
  test::ScratchDir dir;
  const fs::path input = dir / "lats.txt";
  test::WriteText(input, "10\r\n-20.5\r\n0\r\n");
  const BatchRun run = RunOn(input, 4, 5);
  const std::string base = (dir / "lats").string();
  const std::vector<std::string> expected = {"1 10 " + base + "10.out",
                                             "2 -20.5 " + base + "-20.5.out",
                                             "3 0 " + base + "0.out"};
  EXPECT_EQ(run.log, expected);
  EXPECT_EQ(run.result.written, 3);
  EXPECT_TRUE(run.result.complete());
  EXPECT_EQ(BatchSummary(run.result), "3 Files written.");
  EXPECT_EQ(test::ReadBytes(base + "-20.5.out"), AnnualCycleText(-20.5f, 4, 5));
  EXPECT_EQ(test::ReadBytes(base + "0.out"), AnnualCycleText(0.0f, 4, 5));
}

TEST(Batch, ItemsAreSeparatedByBlanksCommasAndLineBreaks) {
  test::ScratchDir dir;
  const fs::path input = dir / "many.csv";
  test::WriteText(input, "  1,2 3\n\n4\t5 ,6\r\n7");
  const BatchRun run = RunOn(input);
  ASSERT_EQ(run.log.size(), 7u);
  for (int i = 1; i <= 7; ++i) {
    const std::string name = (dir / ("many" + std::to_string(i) + ".out")).string();
    EXPECT_EQ(run.log[static_cast<std::size_t>(i - 1)],
              std::to_string(i) + " " + std::to_string(i) + " " + name);
    EXPECT_TRUE(fs::exists(name));
  }
}

TEST(Batch, RepeatedLatitudeIsWrittenAndCountedTwice) {
  test::ScratchDir dir;
  const fs::path input = dir / "lats.txt";
  test::WriteText(input, "41.9\n41.90\n");
  const BatchRun run = RunOn(input);
  ASSERT_EQ(run.log.size(), 2u);
  EXPECT_EQ(run.log[1], "2 41.9 " + (dir / "lats41.9.out").string());
  EXPECT_EQ(run.result.written, 2);
  EXPECT_EQ(test::ReadBytes(dir / "lats41.9.out"), AnnualCycleText(41.9f, 3, 1));
}

TEST(Batch, EmptyInputWritesNothing) {
  test::ScratchDir dir;
  const fs::path input = dir / "lats.txt";
  test::WriteText(input, "\r\n  \n");
  const BatchRun run = RunOn(input);
  EXPECT_TRUE(run.log.empty());
  EXPECT_EQ(BatchSummary(run.result), "0 Files written.");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(Batch, UnreadableInputIsReportedAndEnds) {
  test::ScratchDir dir;
  fs::create_directory(dir / "folder.txt");
  const fs::path inputs[] = {dir / "missing.txt", dir / "folder.txt"};
  for (const fs::path& input : inputs) {
    const BatchRun run = RunOn(input);
    ASSERT_EQ(run.log.size(), 1u) << input;
    EXPECT_NE(run.log[0].find(input.string()), std::string::npos) << run.log[0];
    EXPECT_FALSE(run.result.inputRead);
    EXPECT_EQ(BatchSummary(run.result), "0 Files written.\nThe input file could not be read.");
  }
}

TEST(Batch, BadItemsGetTheirOwnEntryAndNoFile) {
  test::ScratchDir dir;
  const fs::path input = dir / "lats.txt";
  test::WriteText(input, "10\nabc\n95\n-90.5\n1.2.3\n90\n");
  fs::create_directory(dir / "lats90.out");  // an output that cannot be written
  const BatchRun run = RunOn(input);
  const std::vector<std::string> expected = {
      "1 10 " + (dir / "lats10.out").string(),
      "Item 2 (abc): not a number, no file written.",
      "Item 3 (95): latitude outside -90..90, no file written.",
      "Item 4 (-90.5): latitude outside -90..90, no file written.",
      "Item 5 (1.2.3): not a number, no file written.",
      "Item 6 (90): Cannot write " + (dir / "lats90.out").string() + ": Is a directory",
  };
  EXPECT_EQ(run.log, expected);
  EXPECT_EQ(run.result.written, 1);
  EXPECT_EQ(run.result.failed, 5);
  EXPECT_EQ(BatchSummary(run.result), "1 Files written.\n5 items failed.");
  EXPECT_FALSE(fs::exists(dir / "lats95.out"));
  EXPECT_FALSE(fs::exists(dir / "lats-90.5.out"));
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

TEST(Batch, OutputNames) {
  EXPECT_EQ(BatchOutputName("/data/lats.txt", 41.9f), "/data/lats41.9.out");
  EXPECT_EQ(BatchOutputName("/data/lats.txt", -12.5f), "/data/lats-12.5.out");
  EXPECT_EQ(BatchOutputName("/data/lats.csv", -0.0f), "/data/lats0.out");
  EXPECT_EQ(BatchOutputName("/data/latitudes", 5.0f), "/data/latit5.out");
  EXPECT_EQ(BatchOutputName("abc", 5.0f), "5.out");
}

}  // namespace
}  // namespace marovane
