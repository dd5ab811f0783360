#include "writers/document_info.hpp"

#include <algorithm>
#include <chrono>
#include <string>

namespace kolvo {

std::vector<std::string> keywordList(std::string_view keywords) {
  std::vector<std::string> list;
  std::size_t start = 0;
  while (start <= keywords.size()) {
    const std::size_t end = std::min(keywords.find_first_of(",;", start), keywords.size());
    std::string_view word = keywords.substr(start, end - start);
    const std::size_t first = word.find_first_not_of(' ');
    if (first != std::string_view::npos) {
      word = word.substr(first, word.find_last_not_of(' ') + 1 - first);
      list.emplace_back(word);
    }
    start = end + 1;
  }
  return list;
}

UtcTime utcTimeOf(std::int64_t seconds) {
  using namespace std::chrono;
  const sys_seconds time{std::chrono::seconds(seconds)};
  const sys_days day = floor<days>(time);
  const year_month_day date{day};
  const hh_mm_ss clock{time - day};
  return {static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
          static_cast<unsigned>(date.day()), static_cast<unsigned>(clock.hours().count()),
          static_cast<unsigned>(clock.minutes().count()),
          static_cast<unsigned>(clock.seconds().count())};
}

namespace {

std::string padded(std::int64_t value, std::size_t width) {
  std::string digits = std::to_string(value);
  if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
  return digits;
}

}  // namespace

std::string pdfDate(std::int64_t seconds) {
  const UtcTime t = utcTimeOf(seconds);
  return "D:" + padded(t.year, 4) + padded(t.month, 2) + padded(t.day, 2) + padded(t.hour, 2) +
         padded(t.minute, 2) + padded(t.second, 2) + "Z";
}

std::string isoDateTime(std::int64_t seconds) {
  const UtcTime t = utcTimeOf(seconds);
  return padded(t.year, 4) + "-" + padded(t.month, 2) + "-" + padded(t.day, 2) + "T" +
         padded(t.hour, 2) + ":" + padded(t.minute, 2) + ":" + padded(t.second, 2) + "Z";
}

std::string isoDay(std::int64_t seconds) { return isoDateTime(seconds).substr(0, 10); }

}  // namespace kolvo
