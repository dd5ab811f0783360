#include "check/line_context.hpp"

#include <utility>

#include "check/tag_lookup.hpp"
#include "markup/tag_table.hpp"

namespace kolvo::check {

LineContext::LineContext(std::string_view text, std::uint64_t line, std::size_t firstColumn,
                         const CheckOptions& options, std::vector<Finding>& findings)
    : text_(text), line_(line), firstColumn_(firstColumn), options_(options),
      findings_(findings) {
  for (std::size_t at = text.find('%'); at != std::string_view::npos;
       at = text.find('%', at + 1)) {
    if (!hasTagShape(text, at)) continue;
    const std::optional<std::size_t> row = tagRowAt(text, at);
    tags_.push_back({at, row});
    if (row) at += 2;  // a known tag's letters begin nothing
  }
}

std::size_t LineContext::columnOf(std::size_t byte) const {
  return firstColumn_ + characterCount(text_.substr(0, byte));
}

const TagOccurrence* LineContext::knownTagAt(std::size_t byte) const {
  for (const TagOccurrence& tag : tags_) {
    if (tag.byte == byte) return tag.row ? &tag : nullptr;
    if (tag.byte > byte) break;
  }
  return nullptr;
}

void LineContext::report(std::size_t byte, Severity severity, std::string message) {
  findings_.push_back({line_, columnOf(byte), severity, std::move(message)});
}

void LineContext::reportAtColumn(std::size_t index, Severity severity, std::string message) {
  findings_.push_back({line_, firstColumn_ + index, severity, std::move(message)});
}

FormatSet formatsAmong(const CheckOptions& options, FormatSet candidates) {
  FormatSet chosen;
  for (const FormatInfo& f : kFormats) {
    if (options.formats.has(f.format) && candidates.has(f.format)) chosen.add(f.format);
  }
  return chosen;
}

std::string describeTag(std::size_t row) {
  const TagRow& r = kTagTable[row];
  return std::string(r.tag) + " (" + std::string(r.meaning) + ")";
}

}  // namespace kolvo::check
