#pragma once
// The outline (bookmarks) of a PDF document: every line set in title or
// large type is a heading, listed in document order, each pointing to its
// page at the height where the line stands.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "writers/output_sink.hpp"
#include "writers/pdf_object_table.hpp"

namespace kolvo {

// The tags whose lines are headings: title, large and extra large type.
inline constexpr std::string_view kHeadingTags[] = {"%Bs", "%ls", "%xs"};

// The text of a heading, from the line as read: its tags taken out, its
// bytes decoded (metadataValue), blanks around it off; none when the line
// holds no heading tag or nothing else.
std::optional<std::string> headingText(std::string_view source);

struct OutlineEntry {
  std::uint64_t pageObject;
  std::int64_t top;  // the height the view opens at, in points
  std::string title;
};

// Writes the outline's root as object pdfFallbackObject(first) and each
// entry as the objects after it, recording them in `table`. Returns the
// root's number.
std::uint64_t writePdfOutline(OutputSink& out, PdfObjectTable& table,
                              std::span<const OutlineEntry> entries, std::uint64_t first);

}  // namespace kolvo
