#include "driver/document_date.hpp"

#include <limits>

#include "io/message_text.hpp"

namespace kolvo {
namespace {

// 9999-12-31T23:59:59Z: every format's date has four digits for the year.
constexpr std::int64_t kLastSecond = 253402300799;

}  // namespace

bool writesMetadata(const ConversionSettings& settings) {
  return settings.info.described() || settings.info.outline || settings.mode == TextMode::Typed;
}

std::optional<std::int64_t> sourceDateEpoch(std::string_view value) {
  if (value.empty() || value.size() > 12) return std::nullopt;
  std::int64_t seconds = 0;
  for (const char c : value) {
    if (c < '0' || c > '9') return std::nullopt;
    seconds = seconds * 10 + (c - '0');
  }
  if (seconds > kLastSecond) return std::nullopt;
  return seconds;
}

std::optional<std::int64_t> documentDate(const char* epoch, std::int64_t now,
                                         std::vector<std::string>& warnings) {
  if (epoch == nullptr) return now;
  if (const std::optional<std::int64_t> seconds = sourceDateEpoch(epoch)) return seconds;
  warnings.push_back("SOURCE_DATE_EPOCH " + quoted(epoch) +
                     " is not a count of seconds since 1970; the document names no date");
  return std::nullopt;
}

}  // namespace kolvo
