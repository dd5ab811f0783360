#pragma once
// --margins, --header, --footer and --mono: their words read, and the
// PageDesign of a run made from them once the command line is read.

#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "writers/paged/page_design.hpp"

namespace kolvo {

struct ConversionSettings;

// "LEFT,RIGHT,TOP,BOTTOM" or one value for all four, each a number in
// points or with a unit (pt, mm, cm, in): rounded to whole points. A
// string says what is wrong.
std::variant<paged::PageMargins, std::string> parseMargins(std::string_view text);

// What %d shows: the day of SOURCE_DATE_EPOCH when it holds a number of
// seconds, else of `now`; "2026-12-08" (UTC).
std::string runningDate(const char* sourceDateEpoch, std::time_t now);

// What %f shows for INPUT: the path as given, "stdin" for "-".
std::string runningFileName(std::string_view inputPath);

// Margins, a header or a footer without a paper size lay the page out for
// A4 (as --paper a4); then what is wrong with the margins on the paper, or
// nothing.
std::optional<std::string> settlePageDesign(ConversionSettings& settings);

// The design of a run (null when none of its options was given).
std::optional<paged::PageDesign> pageDesignOf(const ConversionSettings& settings);

}  // namespace kolvo
