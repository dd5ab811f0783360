#pragma once
// What a kolvo_options handle holds: the program's own ConversionSettings,
// set word by word through its own option table (kLongOptions) and FORMAT
// and OPTION readers, so that a setting means in the library what it means
// on the command line; and what only a library caller gives: the date and
// where messages go.

#include <string_view>

#include "driver/options.hpp"
#include "kolvo/kolvo.h"

struct kolvo_options {
  // Unnamed input shows as the program's standard input does ("-").
  kolvo_options() { settings.inputPath = "-"; }
  kolvo::ConversionSettings settings;  // inputPath names the input; outputPath is unused
  long long date = KOLVO_DATE_NOW;
  kolvo_message_fn onMessage = nullptr;
  void* messageUser = nullptr;
};

namespace kolvo::library {

// Each throws ApiFailure (KOLVO_ERROR_USAGE) with the command line's
// message for a word it refuses, and leaves the options as they were.
void setFormat(kolvo_options& options, std::string_view word);
void setOptionLetter(kolvo_options& options, std::string_view word);
// `name` with or without its "--"; a null `value` for an option without one.
void setLongOption(kolvo_options& options, std::string_view name, const char* value);
void setDate(kolvo_options& options, long long seconds);

// The settings of one conversion: the page design settled as the command
// line settles it (margins without a paper: A4), the date chosen. Throws
// ApiFailure when the margins leave no room.
ConversionSettings settingsOfRun(const kolvo_options& options);

}  // namespace kolvo::library
