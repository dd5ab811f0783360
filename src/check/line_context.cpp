#include "check/line_context.hpp"

#include <utility>

#include "check/tag_lookup.hpp"
#include "markup/tag_table.hpp"

namespace kolvo::check {

LineContext::LineContext(std::string_view text, std::uint64_t line, std::size_t firstColumn,
                         const CheckOptions& options, std::vector<Finding>& findings,
                         Repeats* repeats)
    : text_(text), line_(line), firstColumn_(firstColumn), options_(options),
      findings_(findings), repeats_(repeats) {
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

void LineContext::reportFor(std::size_t byte, Severity severity, FormatSet formats,
                            std::string_view before, std::string_view after) {
  findings_.push_back(findingFor(line_, columnOf(byte), severity, formats, before, after));
}

void LineContext::reportAtColumn(std::size_t index, Severity severity, std::string message) {
  findings_.push_back({line_, firstColumn_ + index, severity, std::move(message)});
}

const FormedLine& LineContext::formed(Format format) const {
  std::optional<FormedLine>& slot = formed_[column(format)];
  if (!slot) slot = replayTagRows(*this, format);
  return *slot;
}

bool LineContext::firstOfItsKind(Repeated kind) {
  return repeats_ == nullptr || repeats_->first(kind, line_);
}

bool Repeats::first(Repeated kind, std::uint64_t line) {
  Seen& seen = seen_[static_cast<std::size_t>(kind)];
  if (seen.firstLine == 0) {
    seen.firstLine = line;
    return true;
  }
  if (line != seen.firstLine) ++seen.moreLines;
  return false;
}

void Repeats::finish(std::vector<Finding>& findings, InputEnd end) const {
  constexpr std::array<std::string_view, kRepeatedKinds> kWhat = {
      "have text beyond ASCII", "have characters without a glyph in PostScript or PDF",
      "have characters without a glyph in PDF", "have characters without a glyph in LaTeX's fonts",
      "have bytes that are not UTF-8, which stop LaTeX",
      "have control characters, which stop LaTeX"};
  // What the first line's finding was.
  constexpr std::array<std::string_view, kRepeatedKinds> kFinding = {
      "warning", "warning", "warning", "warning", "error", "error"};
  for (std::size_t kind = 0; kind < kRepeatedKinds; ++kind) {
    const Seen& seen = seen_[kind];
    if (seen.moreLines == 0) continue;
    findings.push_back({end.line, end.column, Severity::Note,
                        std::to_string(seen.moreLines) +
                            (seen.moreLines == 1 ? " more line " : " more lines ") +
                            (seen.moreLines == 1 ? "has" : "have") +
                            std::string(kWhat[kind].substr(4)) +
                            " as well; the " + std::string(kFinding[kind]) + " at line " +
                            std::to_string(seen.firstLine) +
                            " stands for all"});
  }
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
