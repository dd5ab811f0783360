#pragma once
// When a document carries metadata and which date it names. The metadata
// (title, producer, date...) is written when the command line gives any of
// --title, --author, --subject, --keywords, --lang or --outline, and under
// --escape; otherwise every byte stays as Kolvo has always written it.
// The date is SOURCE_DATE_EPOCH's when that is set, so that a build is
// reproducible, and the run's own time otherwise; a SOURCE_DATE_EPOCH that
// is not a count of seconds gets a warning and no date is written.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "driver/options.hpp"

namespace kolvo {

// Whether a run with these settings writes the document's metadata.
bool writesMetadata(const ConversionSettings& settings);

// SOURCE_DATE_EPOCH's seconds: decimal digits alone, from 0 up to the end
// of the year 9999; none for anything else.
std::optional<std::int64_t> sourceDateEpoch(std::string_view value);

// The date of the document: SOURCE_DATE_EPOCH's (`epoch`, null when unset)
// or `now`; with a malformed one, a warning in `warnings` and none.
std::optional<std::int64_t> documentDate(const char* epoch, std::int64_t now,
                                         std::vector<std::string>& warnings);

}  // namespace kolvo
