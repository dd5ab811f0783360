#include "driver/page_design_options.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "driver/options.hpp"
#include "io/message_text.hpp"

namespace kolvo {
namespace {

struct LengthUnit {
  std::string_view name;
  double points;
};

constexpr std::array<LengthUnit, 4> kLengthUnits = {{
    {"pt", 1.0},
    {"mm", 72.0 / 25.4},
    {"cm", 72.0 / 2.54},
    {"in", 72.0},
}};

// Larger than any paper: a margin beyond it is a typing mistake.
constexpr double kLongestMargin = 10000;

// One length in points, or what is wrong with it.
std::variant<std::int32_t, std::string> parseLength(std::string_view word) {
  double points = 1.0;
  for (const LengthUnit& unit : kLengthUnits) {
    if (word.ends_with(unit.name)) {
      points = unit.points;
      word.remove_suffix(unit.name.size());
      break;
    }
  }
  double value = 0;
  const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value,
                                            std::chars_format::fixed);
  if (word.empty() || error != std::errc() || end != word.data() + word.size()) {
    return "a margin must be a number, in points or with pt, mm, cm or in";
  }
  const double length = value * points;
  if (!(length >= 0) || length > kLongestMargin) return std::string("a margin must be 0 or more, and less than a page");
  return static_cast<std::int32_t>(std::lround(length));
}

std::vector<std::string_view> commaSeparated(std::string_view text) {
  std::vector<std::string_view> words;
  for (std::size_t at = 0;;) {
    const std::size_t comma = text.find(',', at);
    words.push_back(text.substr(at, comma - at));
    if (comma == std::string_view::npos) return words;
    at = comma + 1;
  }
}

bool leapYear(std::int64_t year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// "YYYY-MM-DD" of a day counted from 1970-01-01, by the civil calendar.
std::string dayName(std::int64_t days) {
  std::int64_t year = 1970;
  while (days >= (leapYear(year) ? 366 : 365)) days -= leapYear(year++) ? 366 : 365;
  constexpr std::array<int, 12> kMonthDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int month = 0;
  for (; month < 11; ++month) {
    const int length = kMonthDays[static_cast<std::size_t>(month)] + (month == 1 && leapYear(year) ? 1 : 0);
    if (days < length) break;
    days -= length;
  }
  std::array<char, 32> text{};
  const int size = std::snprintf(text.data(), text.size(), "%04lld-%02d-%02lld",
                                 static_cast<long long>(year), month + 1,
                                 static_cast<long long>(days) + 1);
  return std::string(text.data(), static_cast<std::size_t>(size));
}

}  // namespace

std::variant<paged::PageMargins, std::string> parseMargins(std::string_view text) {
  const std::vector<std::string_view> words = commaSeparated(text);
  if (words.size() != 1 && words.size() != 4) {
    return "say four margins (left,right,top,bottom) or one for all, not " +
           std::to_string(words.size());
  }
  std::array<std::int32_t, 4> points{};
  for (std::size_t i = 0; i < 4; ++i) {
    const auto length = parseLength(words[words.size() == 1 ? 0 : i]);
    if (const auto* problem = std::get_if<std::string>(&length)) {
      return *problem + ": " + quoted(words[words.size() == 1 ? 0 : i]);
    }
    points[i] = std::get<std::int32_t>(length);
  }
  return paged::PageMargins{points[0], points[1], points[2], points[3]};
}

std::string runningDate(const char* sourceDateEpoch, std::time_t now) {
  long long seconds = now;
  if (sourceDateEpoch != nullptr) {
    const std::string_view epoch(sourceDateEpoch);
    long long given = 0;
    const auto [end, error] = std::from_chars(epoch.data(), epoch.data() + epoch.size(), given);
    if (!epoch.empty() && error == std::errc() && end == epoch.data() + epoch.size() && given >= 0) {
      seconds = given;
    }
  }
  constexpr long long kSecondsPerDay = 86400;
  return dayName(seconds / kSecondsPerDay);
}

std::string runningFileName(std::string_view inputPath) {
  return inputPath == "-" ? std::string("stdin") : std::string(inputPath);
}

std::optional<std::string> settlePageDesign(ConversionSettings& settings) {
  // --mono too: the warnings of lines off an unwrapped page measure Times.
  const bool framed = settings.margins.has_value() || !settings.header.empty() ||
                      !settings.footer.empty() || settings.mono;
  if (framed && settings.paper == nullptr) settings.paper = &kA4Paper;
  if (!settings.margins || settings.paper == nullptr) return std::nullopt;
  paged::PageDesign design;
  design.margins = settings.margins;
  design.header = settings.header;
  design.footer = settings.footer;
  std::string problem = paged::pageDesignProblem(*settings.paper, design);
  if (problem.empty()) return std::nullopt;
  return problem;
}

std::optional<paged::PageDesign> pageDesignOf(const ConversionSettings& settings) {
  if (!settings.margins && settings.header.empty() && settings.footer.empty() && !settings.mono) {
    return std::nullopt;
  }
  paged::PageDesign design;
  design.margins = settings.margins;
  design.header = settings.header;
  design.footer = settings.footer;
  design.mono = settings.mono;
  design.fileName = runningFileName(settings.inputPath);
  design.title = settings.info.title;  // %t
  design.date = runningDate(std::getenv("SOURCE_DATE_EPOCH"), std::time(nullptr));
  return design;
}

}  // namespace kolvo
