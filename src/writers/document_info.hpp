#pragma once
// What a document says about itself besides its text: the title, author,
// subject, keywords and language given on the command line, the date it
// was made and the program that made it, and whether a PDF gets an outline
// of its headings. A run without it (nullptr where a writer takes one)
// writes what Kolvo has always written.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "kolvo_version.hpp"

namespace kolvo {

// kProducer, the program and its version as a document names its
// producer, comes from kolvo_version.hpp.

struct DocumentInfo {
  // Each is a metadataValue (text/metadata_text.hpp); empty: not given.
  std::string title;
  std::string author;
  std::string subject;
  std::string keywords;
  std::string language;  // a BCP 47 tag
  // Seconds since 1970-01-01 UTC; none: the date is left out.
  std::optional<std::int64_t> created;
  // PDF: the lines in title or large type become bookmarks.
  bool outline = false;

  // Whether the command line gave any of the five texts.
  bool described() const {
    return !title.empty() || !author.empty() || !subject.empty() || !keywords.empty() ||
           !language.empty();
  }
};

// The keywords one by one: split at commas and semicolons, blanks around
// each taken off, empty ones left out.
std::vector<std::string> keywordList(std::string_view keywords);

// The date and time of `seconds` since 1970 in UTC.
struct UtcTime {
  std::int64_t year;
  unsigned month, day, hour, minute, second;
};
UtcTime utcTimeOf(std::int64_t seconds);

// "D:20261208053100Z", as PDF dates are written.
std::string pdfDate(std::int64_t seconds);
// "2026-12-08T05:31:00Z" (XML schema dateTime, XMP, OpenDocument).
std::string isoDateTime(std::int64_t seconds);
// "2026-12-08".
std::string isoDay(std::int64_t seconds);

}  // namespace kolvo
