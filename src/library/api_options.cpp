#include "library/api_options.hpp"

#include <chrono>
#include <string>

#include "driver/document_date.hpp"
#include "driver/format_word.hpp"
#include "driver/page_design_options.hpp"
#include "io/message_text.hpp"
#include "library/api_errors.hpp"

namespace kolvo::library {
namespace {

// The last second every format's four-digit year can name (9999-12-31).
constexpr long long kLastSecond = 253402300799;

[[noreturn]] void refuse(const std::string& message) {
  throw ApiFailure(KOLVO_ERROR_USAGE, message);
}

}  // namespace

void setFormat(kolvo_options& options, std::string_view word) {
  const std::optional<Format> format = formatOfWord(word);
  if (!format) refuse(unknownFormatMessage(word));
  options.settings.format = *format;
}

void setOptionLetter(kolvo_options& options, std::string_view word) {
  // As the command line reads OPTION: its second character, if any.
  options.settings.option = word.size() >= 2 ? word[1] : '\0';
}

void setLongOption(kolvo_options& options, std::string_view name, const char* value) {
  std::string word = name.starts_with("--") ? "" : "--";
  word += name;
  if (value != nullptr) {
    word += '=';
    word += value;
  }
  const char* const words[] = {word.c_str()};
  // Applied to a copy, so that a refused value leaves the options whole.
  ConversionSettings settings = options.settings;
  if (auto request = applySettingWords(words, kLongOptions, settings)) {
    const auto* error = std::get_if<UsageError>(&*request);
    refuse(error != nullptr ? error->message : quoted(name) + " is not a setting");
  }
  options.settings = std::move(settings);
}

void setDate(kolvo_options& options, long long seconds) {
  if (seconds != KOLVO_DATE_NOW && seconds != KOLVO_DATE_NONE &&
      (seconds < 0 || seconds > kLastSecond)) {
    refuse("date " + std::to_string(seconds) +
           " is not a count of seconds from 1970 to the end of 9999");
  }
  options.date = seconds;
}

ConversionSettings settingsOfRun(const kolvo_options& options) {
  ConversionSettings settings = options.settings;
  if (auto problem = settlePageDesign(settings)) refuse("--margins: " + *problem);
  if (writesMetadata(settings)) {
    if (options.date == KOLVO_DATE_NOW) {
      settings.info.created = std::chrono::duration_cast<std::chrono::seconds>(
                                  std::chrono::system_clock::now().time_since_epoch())
                                  .count();
    } else if (options.date == KOLVO_DATE_NONE) {
      settings.info.created.reset();
    } else {
      settings.info.created = options.date;
    }
  }
  return settings;
}

}  // namespace kolvo::library
