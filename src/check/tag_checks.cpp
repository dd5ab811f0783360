// Unknown tags, tags with no text in a format, and page breaks.

#include <string>

#include "check/line_context.hpp"
#include "check/tag_lookup.hpp"
#include "markup/tag_table.hpp"
#include "writers/drawing.hpp"

namespace kolvo::check {
namespace {

std::string suggestion(const std::vector<std::string_view>& tags) {
  std::string text = " (did you mean ";
  for (std::size_t i = 0; i < tags.size(); ++i) {
    if (i > 0) text += i + 1 == tags.size() ? " or " : ", ";
    text += tags[i];
  }
  return text + "?)";
}

void reportUnknownTag(LineContext& line, std::size_t byte) {
  const std::string_view typed = line.text().substr(byte, 3);
  const std::vector<std::string_view> near = nearestTags(typed);
  std::string message = "unknown tag " + std::string(typed) + ", shown as typed";
  if (near.empty()) {
    line.report(byte, Severity::Note, message);
    return;
  }
  line.report(byte, Severity::Warning, message + suggestion(near));
}

void reportMissingText(LineContext& line, const TagOccurrence& tag) {
  FormatSet missing;
  for (const FormatInfo& f : kFormats) {
    if (!line.options().formats.has(f.format)) continue;
    if (!tagText(*tag.row, f.format, line.options().mode)) missing.add(f.format);
  }
  if (missing.empty()) return;
  line.report(tag.byte, Severity::Warning,
              describeTag(*tag.row) + " has no text in " + formatNames(missing) +
                  " and shows there as typed");
}

// Formats whose page-break text breaks the page where it stands; the others
// end the page after the line (LaTeX's \pagebreak, the paged writers).
constexpr FormatSet kBreakWhereTagStands = [] {
  FormatSet set;
  set.add(Format::AbiWord);
  set.add(Format::Rtf);
  set.add(Format::OpenDocument);
  return set;
}();

constexpr FormatSet kPagedFormats = [] {
  FormatSet set;
  for (const FormatInfo& f : kFormats) {
    if (f.paged) set.add(f.format);
  }
  return set;
}();

bool isPageBreak(const TagOccurrence& tag) {
  return tag.row && kTagTable[*tag.row].effect == TagEffect::PageBreak;
}

// Whether the line shows anything besides its page-break tags.
bool hasOtherText(std::string_view text, const std::vector<TagOccurrence>& tags) {
  std::size_t shown = text.size();
  while (shown > 0 && (text[shown - 1] == '\n' || text[shown - 1] == '\r')) --shown;
  for (const TagOccurrence& tag : tags) shown -= isPageBreak(tag) ? 3U : 0U;
  return shown > 0;
}

}  // namespace

void checkTags(LineContext& line) {
  for (const TagOccurrence& tag : line.tags()) {
    if (!tag.row) {
      reportUnknownTag(line, tag.byte);
    } else {
      reportMissingText(line, tag);
    }
  }
}

void checkPageBreaks(LineContext& line) {
  if (isDrawingLine(line.text())) return;
  for (const TagOccurrence& tag : line.tags()) {
    if (!isPageBreak(tag)) continue;
    const FormatSet paged = formatsAmong(line.options(), kPagedFormats);
    if (!paged.empty() && hasOtherText(line.text(), line.tags())) {
      line.report(tag.byte, Severity::Warning,
                  "the text of a line with %pg is drawn at the foot of the page, below the "
                  "bottom margin, in " + formatNames(paged) + "; give %pg a line of its own");
    }
    const FormatSet before = formatsAmong(line.options(), kBreakWhereTagStands);
    if (tag.byte == 0 && !before.empty() && hasOtherText(line.text(), line.tags())) {
      line.report(tag.byte, Severity::Note,
                  "%pg starts the line: in " + formatNames(before) +
                      " the page breaks before this line's text, in the other formats after it");
    }
    return;
  }
}

}  // namespace kolvo::check
