#include "export/AnnualCycle.hpp"

#include <cerrno>
#include <cstdio>
#include <memory>
#include <system_error>

#include "export/Units.hpp"
#include "model/AnnualRadiation.hpp"
#include "model/Calendar.hpp"
#include "text/NumberText.hpp"

namespace marovane {

namespace {

constexpr std::int16_t kWeeksInYear = 53;
constexpr std::int16_t kDaysInWeek = 7;

std::string_view HeaderText(std::int16_t aggregation) {
  switch (aggregation) {
    case aggregation::kDaily: return "Latitude, Julian Day, extraterrestrial Radiation ";
    case aggregation::kWeekly: return "Latitude, Week Number, extraterrestrial Radiation ";
    case aggregation::kDekadal: return "Latitude, Dekad Number, extraterrestrial Radiation ";
    case aggregation::kMonthly: return "Latitude, Month Number, extraterrestrial Radiation ";
    default: return "";
  }
}

// Mean of `days` consecutive days from `first`; day numbers past 365 wrap to the year's start.
double PeriodMean(const YearRadiation& ra, int first, int days) {
  double sum = 0.0;
  for (int d = first; d < first + days; ++d) {
    sum += ra[static_cast<std::size_t>(d > kDaysInYear ? d - kDaysInYear : d)];
  }
  return sum / static_cast<double>(days);
}

}  // namespace

FileError::FileError(const std::filesystem::path& file, std::string_view action, int error)
    : std::runtime_error(std::string(action) + " " + file.string() + ": " +
                         std::generic_category().message(error)),
      file_(file) {}

std::string AnnualCycleText(float latitude, std::int16_t aggregation, std::int16_t unit) {
  const std::string_view header = HeaderText(aggregation);
  if (header.empty()) {
    return {};
  }
  const YearRadiation ra = AnnualRadiation(latitude);
  const std::string prefix = SingleText(latitude) + ", ";

  std::string text;
  text.reserve(30 * (kDaysInYear + 1));
  text.append(header).append(UnitLabel(unit)).append("\r\n");
  auto line = [&](int period, double factor, double mean) {
    text.append(prefix)
        .append(std::to_string(period))
        .append(", ")
        .append(DoubleText(RoundTo3Decimals(factor * mean)))
        .append("\r\n");
  };

  // The per-dekad units take the factor of the given dekad only in the dekadal mode; days,
  // weeks and months use that of a nominal 10-day dekad (period 1).
  const double nominalFactor = UnitFactor(unit, 1);
  int last = 0;
  switch (aggregation) {
    case aggregation::kDaily:
      for (int d = 1; d <= kDaysInYear; ++d) {
        line(d, nominalFactor, ra[static_cast<std::size_t>(d)]);
      }
      break;
    case aggregation::kWeekly:
      for (int w = 1; w <= kWeeksInYear; ++w, last += kDaysInWeek) {
        line(w, nominalFactor, PeriodMean(ra, last + 1, kDaysInWeek));
      }
      break;
    case aggregation::kDekadal:
      for (std::int16_t k = 1; k <= kDekadsInYear; ++k) {
        const int n = DekadLength(k);
        line(k, UnitFactor(unit, k), PeriodMean(ra, last + 1, n));
        last += n;
      }
      break;
    default:  // monthly
      for (std::int16_t m = 1; m <= kMonthsInYear; ++m) {
        const int n = MonthLength(m);
        line(m, nominalFactor, PeriodMean(ra, last + 1, n));
        last += n;
      }
      break;
  }
  return text;
}

void WriteFileBytes(const std::filesystem::path& file, std::string_view bytes) {
  std::FILE* stream = std::fopen(file.c_str(), "wb");
  if (stream == nullptr) {
    throw FileError(file, "Cannot write", errno);
  }
  int error = 0;
  if (std::fwrite(bytes.data(), 1, bytes.size(), stream) != bytes.size() ||
      std::fflush(stream) != 0) {
    error = errno;
  }
  if (std::fclose(stream) != 0 && error == 0) {
    error = errno;
  }
  if (error != 0) {
    // A truncated file must not pass for a complete one; devices and pipes are left alone.
    std::error_code ignored;
    if (std::filesystem::is_regular_file(file, ignored)) {
      std::filesystem::remove(file, ignored);
    }
    throw FileError(file, "Cannot write", error);
  }
}

void WriteAnnualCycle(float latitude, const std::filesystem::path& file,
                      std::int16_t aggregation, std::int16_t unit) {
  WriteFileBytes(file, AnnualCycleText(latitude, aggregation, unit));
}

}  // namespace marovane
