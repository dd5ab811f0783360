#include "pipeline/text_step.hpp"

#include <vector>

#include "pipeline/typed_links.hpp"
#include "text/latex_text.hpp"
#include "text/line_look.hpp"
#include "text/paragraph_direction.hpp"
#include "text/rtf_text.hpp"
#include "text/text_decoding.hpp"
#include "text/xml_text.hpp"
#include "writers/paged/paged_text.hpp"

namespace kolvo {
namespace {

// What the text step found in the line before: its items and what the
// looks at it said.
void forgetLastLine(EscapeStats& stats) {
  stats.lineItems.clear();
  stats.rightToLeft = false;
  stats.leftToRightOnly = false;
  stats.withoutLinks = false;
  stats.tagGapLevels.clear();
}

void escapeTyped(std::string& line, std::string& scratch, Format format, EscapeStats& stats,
                 paged::FallbackContext* glyphs) {
  if (fileSyntax(format) == FileSyntax::PageStrings) {
    if (escapePagedText(line, format, scratch, stats, glyphs)) line.swap(scratch);
    return;
  }
  const TypedEscaper escape = typedEscaperOf(format);
  std::vector<FoundLink> links;
  if (writesTypedLinks(format) && !stats.withoutLinks) findLinks(line, links);
  if (!links.empty()) {
    escapeWithLinks(line, links, format, escape, scratch, stats);
    line.swap(scratch);
  } else if (escape(line, scratch, stats)) {
    line.swap(scratch);
  }
}

}  // namespace

void prepareText(std::string& line, std::string& scratch, Format format, TextMode mode,
                 EscapeStats& stats, paged::FallbackContext* glyphs) {
  // A line the check passes is ASCII: left to right.
  forgetLastLine(stats);
  if (!hasTextStep(format, mode)) return;
  // The check looks at the bytes of addresses too, in the formats with links.
  if (!textStepMayChange(line, textStepOf(format, mode))) return;
  prepareTextStepByStep(line, scratch, format, mode, stats, glyphs);
}

void prepareTextStepByStep(std::string& line, std::string& scratch, Format format, TextMode mode,
                           EscapeStats& stats, paged::FallbackContext* glyphs) {
  forgetLastLine(stats);
  if (!hasTextStep(format, mode)) return;
  if (decodeText(line, scratch)) line.swap(scratch);
  if (mode == TextMode::Typed) {
    // Most lines are Latin, Greek or Cyrillic: nothing in them runs right
    // to left, and their bytes alone say so; most hold no link either. One
    // look at the line tells both.
    const LineLook look = lookAtLine(line);
    stats.leftToRightOnly = !look.mayHoldRightToLeft;
    stats.withoutLinks = !look.mayHoldLinks;
    if (!stats.leftToRightOnly) {
      stats.rightToLeft = startsRightToLeft(line);
      if (fileSyntax(format) == FileSyntax::PageStrings) {
        levelsBetweenTags(line, stats.rightToLeft, stats.tagGapLevels);
      }
    }
    escapeTyped(line, scratch, format, stats, glyphs);
  } else if (keepWellFormedXml(line, scratch, fileSyntax(format) == FileSyntax::XmlRuns,
                               format == Format::AbiWord
                                   ? std::span<const std::string_view>(kAbiWordDocumentElements)
                                   : std::span<const std::string_view>())) {
    line.swap(scratch);
  }
}

}  // namespace kolvo
