// SPDX-License-Identifier: GPL-3.0-or-later
// The computing library as the page calls it, compiled to WebAssembly: a handful of functions
// over the same values the desktop front ends use. Each call reads its arguments from one
// input buffer and leaves its answer in one output buffer, both a list of fields, each a
// 4-byte little-endian length and its bytes (texts are UTF-8). The page's core.js packs and
// unpacks them; nothing here decides what the page shows.
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Version.hpp"
#include "export/BatchItems.hpp"
#include "export/CycleText.hpp"
#include "export/Table.hpp"
#include "model/AnnualCycle.hpp"
#include "model/Choices.hpp"
#include "text/ChartText.hpp"
#include "text/LatitudeEntry.hpp"
#include "text/LatitudeForms.hpp"
#include "text/NumberText.hpp"
#include "text/ShownText.hpp"

namespace marovane::web {
namespace {

std::vector<std::uint8_t> input;
std::string output;

// The fields of the input, in order.
class Fields {
 public:
  std::string_view next() {
    std::uint32_t size = 0;
    if (at_ + 4 > input.size()) {
      return {};
    }
    std::memcpy(&size, input.data() + at_, 4);  // little-endian, as WebAssembly is
    at_ += 4;
    size = static_cast<std::uint32_t>(std::min<std::size_t>(size, input.size() - at_));
    const std::string_view field(reinterpret_cast<const char*>(input.data() + at_), size);
    at_ += size;
    return field;
  }
  std::int64_t number() {
    const std::string_view text = next();
    std::int64_t value = 0;
    for (const char c : text) {
      value = value * 10 + (c - '0');
    }
    return value;
  }

 private:
  std::size_t at_ = 0;
};

void Put(std::string_view field) {
  const auto size = static_cast<std::uint32_t>(field.size());
  char length[4];
  std::memcpy(length, &size, 4);
  output.append(length, 4).append(field);
}
void Put(bool flag) {
  Put(std::string_view(flag ? "1" : "0"));
}
void Put(std::int64_t number) {
  Put(std::string_view(std::to_string(number)));
}

// The answer's pointer; its size comes from marovane_output_size.
const char* Answer() {
  return output.data();
}

// A choice from its four names; what the page sends is always one of the names it was given.
std::optional<CycleChoice> ChoiceOf(Fields& fields) {
  const auto aggregation = AggregationNamed(fields.next());
  const auto unit = UnitNamed(fields.next());
  const auto method = MethodNamed(fields.next());
  const auto quantity = QuantityNamed(fields.next());
  if (!aggregation || !unit || !method || !quantity) {
    return std::nullopt;
  }
  return CycleChoice{*aggregation, *unit, *quantity, *method};
}

// A latitude as the page holds it, the text that checkLatitude gave; 0 for another text.
float LatitudeOf(std::string_view text) {
  float latitude = 0.0f;
  return CheckLatitudeText(text, latitude) == LatitudeCheck::Valid ? latitude : 0.0f;
}

std::optional<LatitudeBox> BoxNamed(std::string_view name) {
  constexpr std::string_view kNames[] = {"decimal", "degrees", "minutes", "seconds", "hemisphere"};
  for (std::size_t i = 0; i < std::size(kNames); ++i) {
    if (kNames[i] == name) {
      return static_cast<LatitudeBox>(i);
    }
  }
  return std::nullopt;
}

LatitudeTexts TextsOf(Fields& fields) {
  LatitudeTexts texts;
  texts.decimal = fields.next();
  texts.degrees = fields.next();
  texts.minutes = fields.next();
  texts.seconds = fields.next();
  texts.hemisphere = fields.next();
  return texts;
}

// A refusal of Export's checks: its title ("Strange Location", or none for the page's own)
// and its message; both empty for a valid latitude.
void PutRefusal(LatitudeCheck check) {
  Put(check == LatitudeCheck::OutOfRange ? kStrangeLocation : std::string_view());
  Put(LatitudeCheckMessage(check));
}

void PutReaction(const LatitudeReaction& reaction) {
  Put(reaction.texts.decimal);
  Put(reaction.texts.degrees);
  Put(reaction.texts.minutes);
  Put(reaction.texts.seconds);
  Put(reaction.texts.hemisphere);
  Put(reaction.filled);
  Put(reaction.strange);
  PutRefusal(reaction.strange ? LatitudeCheck::OutOfRange : LatitudeCheck::Valid);
}

// A batch run over an input that the page hands over in pieces.
struct Batch {
  std::string inputName;
  CycleChoice choice;
  BatchItemSplitter splitter;
  BatchResult result;                 // items: those handed out so far
  std::int32_t failed = 0;            // files that could not be written
  std::vector<std::int64_t> refused;  // the numbers of the items refused
  bool ended = false;                 // the input ended, or cannot be read further
  // Items given out as files, waiting to be told written or failed.
  struct Pending {
    std::string prefix;  // "Item 3 (41.9): "
    std::string tail;    // " 41.9 "
  };
  std::map<std::int64_t, Pending> pending;
};
std::map<std::int64_t, std::unique_ptr<Batch>> batches;
std::int64_t lastBatch = 0;

Batch* BatchOf(Fields& fields) {
  const auto found = batches.find(fields.number());
  return found == batches.end() ? nullptr : found->second.get();
}

// One item: "r" and its log entry when refused, "f", its number, the output's name and its
// bytes when it gets a file.
void PutItem(Batch& batch, std::string_view item, std::uintmax_t length) {
  const std::int64_t number = ++batch.result.items;
  const std::string prefix = BatchItemPrefix(number, item);
  const BatchItem checked = CheckBatchItem(item, length);
  if (!checked.refusal.empty()) {
    batch.refused.push_back(number);
    Put(std::string_view("r"));
    Put(number);
    Put(prefix + checked.refusal + ", no file written.");
    return;
  }
  Put(std::string_view("f"));
  Put(number);
  Put(BatchOutputFileName(batch.inputName, checked.latitude));
  Put(AnnualCycleText(checked.latitude, batch.choice));
  batch.pending[number] = {prefix, " " + SingleText(checked.latitude) + " "};
}

// The items the splitter finds in what was fed, and at the end of the input the last.
void PutItems(Batch& batch, bool end) {
  for (;;) {
    const BatchItemSplitter::Next next = batch.splitter.next();
    if (next == BatchItemSplitter::Next::Item) {
      PutItem(batch, batch.splitter.item(), batch.splitter.length());
      continue;
    }
    if (next == BatchItemSplitter::Next::RunsOn) {
      const std::string shown = ShownPath(batch.inputName);
      const std::string reason = RunsOnReason(batch.result.items + 1);
      batch.result.unreadInput = UnreadInput(shown, reason);
      batch.ended = true;
      Put(std::string_view("u"));
      Put(batch.result.items + 1);
      Put(CannotReadEntry(shown, reason));
    }
    break;
  }
  if (end && !batch.ended) {
    batch.ended = true;
    if (batch.splitter.end()) {
      PutItem(batch, batch.splitter.item(), batch.splitter.length());
    }
  }
}

}  // namespace
}  // namespace marovane::web

using namespace marovane;
using namespace marovane::web;

extern "C" {

// Room for the next call's arguments.
__attribute__((export_name("marovane_input"))) std::uint8_t* marovane_input(std::uint32_t size) {
  input.resize(size);
  return input.data();
}

__attribute__((export_name("marovane_output_size"))) std::uint32_t marovane_output_size() {
  return static_cast<std::uint32_t>(output.size());
}

// The program's version, texts and choices, as the window shows them.
__attribute__((export_name("marovane_choices"))) const char* marovane_choices() {
  output.clear();
  Put(std::string_view(kVersion));
  Put(kStartLatitude);
  Put(kHemisphereOnly);
  Put(kDataWrittenTo);
  Put(static_cast<std::int64_t>(choice::kAggregations.size()));
  for (const AggregationInfo& row : choice::kAggregations) {
    Put(row.name);
    Put(row.caption);
    Put(row.period);
    Put(static_cast<std::int64_t>(row.periods));
    Put(row.inWindow);
    Put(HasRealPeriods(row.value));
  }
  Put(static_cast<std::int64_t>(choice::kUnits.size()));
  for (const UnitInfo& row : choice::kUnits) {
    Put(row.label);
    Put(row.toolTip);
  }
  Put(static_cast<std::int64_t>(choice::kMethods.size()));
  for (const MethodInfo& row : choice::kMethods) {
    Put(row.name);
    Put(row.caption);
  }
  Put(static_cast<std::int64_t>(choice::kQuantities.size()));
  for (const QuantityInfo& row : choice::kQuantities) {
    Put(row.name);
    Put(row.caption);
  }
  for (int box = 0; box < 5; ++box) {
    Put(LatitudeBoxToolTip(static_cast<LatitudeBox>(box)));
    Put(static_cast<std::int64_t>(LatitudeBoxMaxLength(static_cast<LatitudeBox>(box))));
    Put(static_cast<std::int64_t>(LatitudeBoxSelection(static_cast<LatitudeBox>(box))));
  }
  return Answer();
}

// Box, character (its code point in decimal): "1" where the box takes it.
__attribute__((export_name("marovane_box_accepts"))) const char* marovane_box_accepts() {
  Fields fields;
  const auto box = BoxNamed(fields.next());
  const std::int64_t character = fields.number();
  output.clear();
  Put(box && LatitudeBoxAccepts(*box, static_cast<char32_t>(character)));
  return Answer();
}

// Box and the five texts: the five texts afterwards, filled, strange, and the message to show.
__attribute__((export_name("marovane_key_released"))) const char* marovane_key_released() {
  Fields fields;
  const auto box = BoxNamed(fields.next());
  const LatitudeTexts texts = TextsOf(fields);
  output.clear();
  PutReaction(LatitudeKeyReleased(box.value_or(LatitudeBox::Decimal), texts));
  return Answer();
}

__attribute__((export_name("marovane_fill_degree_boxes"))) const char*
marovane_fill_degree_boxes() {
  Fields fields;
  const LatitudeTexts texts = TextsOf(fields);
  output.clear();
  PutReaction(FillDegreeBoxes(texts));
  return Answer();
}

// The Export's checks of a decimal text: ok, the latitude as the files write it, the title
// and the message of a refusal.
__attribute__((export_name("marovane_check_latitude"))) const char* marovane_check_latitude() {
  Fields fields;
  float latitude = 0.0f;
  const LatitudeCheck check = CheckLatitudeText(fields.next(), latitude);
  output.clear();
  Put(check == LatitudeCheck::Valid);
  Put(check == LatitudeCheck::Valid ? SingleText(latitude) : std::string());
  PutRefusal(check);
  return Answer();
}

// Latitude text and choice: ok, the file's bytes, or the title and message of a refusal.
__attribute__((export_name("marovane_cycle_file"))) const char* marovane_cycle_file() {
  Fields fields;
  const std::string_view text = fields.next();
  const std::optional<CycleChoice> choice = ChoiceOf(fields);
  float latitude = 0.0f;
  const LatitudeCheck check = CheckLatitudeText(text, latitude);
  output.clear();
  const bool ok = check == LatitudeCheck::Valid && choice;
  Put(ok);
  Put(ok ? AnnualCycleText(latitude, *choice) : std::string());
  PutRefusal(check);
  return Answer();
}

// Latitude text and choice: the periods as doubles, four per period (number, first day, days,
// value), or nothing where Export would refuse the latitude.
__attribute__((export_name("marovane_cycle_values"))) const char* marovane_cycle_values() {
  Fields fields;
  const std::string_view text = fields.next();
  const std::optional<CycleChoice> choice = ChoiceOf(fields);
  float latitude = 0.0f;
  output.clear();
  if (CheckLatitudeText(text, latitude) != LatitudeCheck::Valid || !choice) {
    return Answer();
  }
  const AnnualCycle table = AnnualCycleTable(latitude, *choice);
  std::vector<double> values;
  values.reserve(table.periods.size() * 4);
  for (const CyclePeriod& period : table.periods) {
    values.insert(values.end(),
                  {static_cast<double>(period.number), static_cast<double>(period.firstDay),
                   static_cast<double>(period.days), period.value});
  }
  Put(std::string_view(reinterpret_cast<const char*>(values.data()),
                       values.size() * sizeof(double)));
  return Answer();
}

// Latitude text, whether the chart follows it, the latitude drawn, choice, whether curves are
// kept, whether the day length is shown: the chart's title, window title, status line, value
// unit and the key's entry for the day lengths.
__attribute__((export_name("marovane_chart_texts"))) const char* marovane_chart_texts() {
  Fields fields;
  const std::string_view latitudeText = fields.next();
  const bool follows = fields.next() == "1";
  const float latitude = LatitudeOf(fields.next());
  const std::optional<CycleChoice> choice = ChoiceOf(fields);
  const bool anyKept = fields.next() == "1";
  const bool dayLength = fields.next() == "1";
  output.clear();
  if (!choice) {
    return Answer();
  }
  Put(ChartTitle(latitude, *choice, anyKept, dayLength));
  Put(ChartWindowTitle(latitude, *choice));
  Put(ChartStatus(latitudeText, follows, latitude));
  Put(ChartUnit(*choice));
  Put(kDayLengthKey);
  return Answer();
}

// Latitude and method: the names of its curve, of it by this method and by the other, of its
// day length, the latitude as the title and as the status name it, then the key's names of
// it by this method and by the other and of its day length.
__attribute__((export_name("marovane_curve_names"))) const char* marovane_curve_names() {
  Fields fields;
  const float latitude = LatitudeOf(fields.next());
  const Method method = MethodNamed(fields.next()).value_or(Method::Harmonic);
  output.clear();
  Put(CurveName(latitude));
  Put(MethodCurveName(latitude, method));
  Put(MethodCurveName(latitude, method == Method::Fao56 ? Method::Harmonic : Method::Fao56));
  Put(DayLengthCurveName(latitude));
  Put(LatitudeName(latitude));
  Put(LatitudeDegrees(latitude));
  Put(MethodKeyName(latitude, method));
  Put(MethodKeyName(latitude, method == Method::Fao56 ? Method::Harmonic : Method::Fao56));
  Put(DayLengthKeyName(latitude));
  return Answer();
}

// The highest value drawn: the value axis's top and steps.
__attribute__((export_name("marovane_nice_scale"))) const char* marovane_nice_scale() {
  Fields fields;
  const ValueScale scale = NiceScale(NumericValue(fields.next()).value_or(0.0));
  output.clear();
  Put(DoubleText(scale.top));
  Put(static_cast<std::int64_t>(scale.steps));
  return Answer();
}

// Aggregation and a day on the axis: the index of the period under it, empty off the year.
__attribute__((export_name("marovane_period_at"))) const char* marovane_period_at() {
  Fields fields;
  const auto aggregation = AggregationNamed(fields.next());
  const double day = NumericValue(fields.next()).value_or(-1.0);
  output.clear();
  if (!aggregation) {
    return Answer();
  }
  AnnualCycle table;
  table.choice.aggregation = *aggregation;
  table.periods = CyclePeriods(*aggregation);
  if (const CyclePeriod* period = PeriodAt(table, day)) {
    Put(static_cast<std::int64_t>(period - table.periods.data()));
  }
  return Answer();
}

// Latitude, choice and a day on the axis: the readout under the pointer, empty off the curve.
__attribute__((export_name("marovane_reading"))) const char* marovane_reading() {
  Fields fields;
  const float latitude = LatitudeOf(fields.next());
  const std::optional<CycleChoice> choice = ChoiceOf(fields);
  const double day = NumericValue(fields.next()).value_or(-1.0);
  output.clear();
  if (choice) {
    Put(Reading(AnnualCycleTable(latitude, *choice), day));
  }
  return Answer();
}

// Aggregation, unit, then per column its latitude, method, quantity and name: the text that
// Copy values gives.
__attribute__((export_name("marovane_values_table"))) const char* marovane_values_table() {
  Fields fields;
  const auto aggregation = AggregationNamed(fields.next());
  const auto unit = UnitNamed(fields.next());
  std::vector<AnnualCycle> tables;
  std::vector<std::string> names;
  for (;;) {
    const std::string_view latitude = fields.next();
    if (latitude.empty()) {
      break;
    }
    const auto method = MethodNamed(fields.next());
    const auto quantity = QuantityNamed(fields.next());
    names.emplace_back(fields.next());
    if (!aggregation || !unit || !method || !quantity) {
      break;
    }
    tables.push_back(AnnualCycleTable(LatitudeOf(latitude),
                                      CycleChoice{*aggregation, *unit, *quantity, *method}));
  }
  output.clear();
  if (!aggregation || tables.size() != names.size()) {
    return Answer();
  }
  std::vector<ValuesColumn> columns;
  for (std::size_t i = 0; i < tables.size(); ++i) {
    columns.push_back({&tables[i], names[i]});
  }
  Put(ValuesTable(*aggregation, columns));
  return Answer();
}

// Input name and choice: the run's number.
__attribute__((export_name("marovane_batch_new"))) const char* marovane_batch_new() {
  Fields fields;
  auto batch = std::make_unique<Batch>();
  batch->inputName = fields.next();
  const std::optional<CycleChoice> choice = ChoiceOf(fields);
  output.clear();
  if (!choice) {
    return Answer();
  }
  batch->choice = *choice;
  batches[++lastBatch] = std::move(batch);
  Put(lastBatch);
  return Answer();
}

// Run and a piece of its input (end: "1" at the input's end): the items found, each "r",
// number, entry (refused), "f", number, name, bytes (a file), or "u", number, entry (the
// input is no text of latitudes; the run ends), then the input's bytes taken so far.
__attribute__((export_name("marovane_batch_feed"))) const char* marovane_batch_feed() {
  Fields fields;
  Batch* batch = BatchOf(fields);
  const std::string_view piece = fields.next();
  const bool end = fields.next() == "1";
  output.clear();
  if (batch == nullptr) {
    return Answer();
  }
  if (!batch->ended) {
    // The splitter takes the piece to its end before the call returns, so the input buffer
    // may change afterwards.
    batch->splitter.feed(piece);
    PutItems(*batch, end);
  }
  Put(static_cast<std::int64_t>(batch->splitter.taken()));
  return Answer();
}

// Run, item number, and the written file's path as shown, or "" and why it failed: the entry.
__attribute__((export_name("marovane_batch_done"))) const char* marovane_batch_done() {
  Fields fields;
  Batch* batch = BatchOf(fields);
  const std::int64_t number = fields.number();
  const std::string_view shownPath = fields.next();
  const std::string_view failure = fields.next();
  output.clear();
  if (batch == nullptr) {
    return Answer();
  }
  const auto found = batch->pending.find(number);
  if (found == batch->pending.end()) {
    return Answer();
  }
  if (failure.empty()) {
    ++batch->result.written;
    Put(std::to_string(batch->result.written) + found->second.tail + ShownPath(shownPath));
  } else {
    ++batch->failed;
    Put(found->second.prefix + ShownPath(failure));
  }
  batch->pending.erase(found);
  return Answer();
}

// Files written and items read: the progress dialog's text.
__attribute__((export_name("marovane_batch_count"))) const char* marovane_batch_count() {
  Fields fields;
  const std::int64_t written = fields.number();
  const std::int64_t items = fields.number();
  output.clear();
  Put(BatchCountText(written, items));
  return Answer();
}

// Run, whether the user stopped it, and how many items the page had logged then: the stop's
// entry (when stopped), then the summary. The run is over.
__attribute__((export_name("marovane_batch_finish"))) const char* marovane_batch_finish() {
  Fields fields;
  const std::int64_t id = fields.number();
  const bool stopped = fields.next() == "1";
  const std::int64_t logged = fields.number();
  output.clear();
  const auto found = batches.find(id);
  if (found == batches.end()) {
    return Answer();
  }
  Batch& batch = *found->second;
  BatchResult& result = batch.result;
  // A stopped run counts the items up to the last one logged: those handed out after it were
  // never reached, refused or not.
  if (stopped) {
    result.items = std::min(result.items, logged);
  }
  result.stopped = stopped;
  result.failed = batch.failed;
  for (const std::int64_t number : batch.refused) {
    result.failed += number <= result.items ? 1 : 0;
  }
  Put(stopped ? StoppedEntry(result.items) : std::string());
  Put(BatchSummary(result));
  batches.erase(found);
  return Answer();
}

// Latitudes (a list, or START:STOP:STEP), dates ("" or FROM/TO), layout ("wide" or "long")
// and choice: ok, the table's bytes, or the message saying which value is at fault.
__attribute__((export_name("marovane_table"))) const char* marovane_table() {
  Fields fields;
  const std::string_view latitudesText = fields.next();
  const std::string_view datesText = fields.next();
  const std::string_view layoutText = fields.next();
  const std::optional<CycleChoice> choice = ChoiceOf(fields);
  output.clear();
  auto refuse = [](const std::string& message) {
    Put(false);
    Put(std::string_view());
    Put(message);
    return Answer();
  };
  if (!choice) {
    return refuse("Unknown choice.");
  }
  std::string refusal;
  std::vector<float> latitudes;
  BatchItemSplitter splitter;
  splitter.feed(latitudesText);
  std::vector<std::string> items;
  while (splitter.next() == BatchItemSplitter::Next::Item) {
    items.push_back(splitter.item());
  }
  if (splitter.end()) {
    items.push_back(splitter.item());
  }
  if (items.size() == 1 && items[0].find(':') != std::string::npos && !DmsArgumentText(items[0])) {
    const std::optional<std::vector<float>> grid = GridLatitudes(items[0], refusal);
    if (!grid) {
      return refuse("Latitudes: " + refusal + ".");
    }
    latitudes = *grid;
  } else {
    for (const std::string& item : items) {
      float latitude = 0.0f;
      const LatitudeCheck check = CheckLatitudeArgument(item, latitude);
      if (check != LatitudeCheck::Valid) {
        return refuse("Latitude '" + ShownText(item, kShownCharacters) +
                      "': " + std::string(LatitudeCheckMessage(check)));
      }
      latitudes.push_back(latitude);
    }
  }
  if (latitudes.empty()) {
    return refuse("Give one latitude or more, or START:STOP:STEP.");
  }
  if (latitudes.size() > kMostTableLatitudes) {
    return refuse("More than 1,000,000 latitudes; give fewer.");
  }
  std::vector<DatedPeriod> dated;
  if (!datesText.empty()) {
    const std::optional<DateRange> range = ParseDateRange(datesText, refusal);
    if (!range) {
      return refuse("Dates: " + refusal + ".");
    }
    if (!HasRealPeriods(choice->aggregation)) {
      return refuse("Dates: " + NoRealPeriods(choice->aggregation) + "; choose " +
                    RealCalendarAggregations() + ".");
    }
    dated = DatedPeriods(range->from, range->to, choice->aggregation);
  }
  const std::size_t periods = !datesText.empty()
                                  ? dated.size()
                                  : static_cast<std::size_t>(Describe(choice->aggregation).periods);
  if (!TableFits(latitudes.size(), periods)) {
    return refuse(TableTooLarge(latitudes.size(), periods) + ".");
  }
  const std::string text =
      !datesText.empty() ? DatedTableText(latitudes, dated, *choice)
                         : TableText(latitudes, *choice,
                                     layoutText == "long" ? TableLayout::Long : TableLayout::Wide);
  Put(true);
  Put(text);
  Put(std::string_view());
  return Answer();
}

}  // extern "C"
