#include "markup/tag_index.hpp"

#include "markup/byte_scan.hpp"
#include "markup/typed_tag_texts.hpp"

namespace kolvo {

// Every tag is "%" and two letters or digits, each pair once (checked where
// the table is defined): so the pair after a "%" names at most one row.
TagIndex::TagIndex() {
  indexTags();
  for (std::size_t r = 0; r < kTagTable.size(); ++r) {
    for (Format f : kAllFormats) {
      addRow(r, f, TextMode::Markup);
      addRow(r, f, TextMode::Typed);
    }
    if (measuresPdfMarks(kTagTable[r].effect) &&
        columns_[column(Format::Pdf)].active.contains(r)) {
      pdfMeasuring_.push_back(r);
    }
  }
}

// Fills the pair lookup and the bytes that follow a "%" in some tag.
void TagIndex::indexTags() {
  for (std::size_t r = 0; r < kTagTable.size(); ++r) {
    const std::string_view tag = kTagTable[r].tag;
    rowPlusOne_[key(tag[1], tag[2])] = static_cast<std::uint8_t>(r + 1);
    tagBytes_[static_cast<unsigned char>(tag[1])] = true;
    tagBytes_[static_cast<unsigned char>(tag[2])] = true;
  }
}

// A new tag can only come from a "%" in the text, from a "%" before the text
// that the text's first byte completes, or from a join where the text is
// empty.
bool TagIndex::mayFormTags(std::string_view text) const {
  return text.empty() || text.find('%') != std::string_view::npos ||
         tagBytes_[static_cast<unsigned char>(text.front())];
}

void TagIndex::addRow(std::size_t row, Format f, TextMode mode) {
  const Replacement replacement = mode == TextMode::Typed ? typedReplacement(kTagTable[row], f)
                                                          : kTagTable[row].replacement(f);
  if (!replacement) return;
  Column& c = columns_[tagColumn(f, mode)];
  c.active.add(row);
  c.text[row] = *replacement;
  c.textClasses[row] = static_cast<unsigned char>(scan::classify(*replacement));
  const bool canFormTags = mayFormTags(*replacement);
  if (canFormTags) c.formsTags.add(row);
  if (canFormTags || changesLineMarks(kTagTable[row].effect)) c.oneByOne.add(row);
}

const TagIndex& tagIndex() {
  static const TagIndex index;
  return index;
}

}  // namespace kolvo
