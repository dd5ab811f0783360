#include "markup/tag_index.hpp"

#include <algorithm>
#include <cstddef>

#include "markup/byte_scan.hpp"
#include "markup/cleanups.hpp"
#include "markup/typed_tag_texts.hpp"

namespace kolvo {
namespace {

bool isCleanupByte(char c) {
  return (scan::kByteClasses[static_cast<unsigned char>(c)] & scan::kCleanup) != 0;
}

// Whether `text` laid over `pattern` with the pattern's first byte at
// `shift` in the text agrees with it on every byte they share.
bool agreesAt(std::string_view text, std::string_view pattern, std::ptrdiff_t shift) {
  const auto textSize = static_cast<std::ptrdiff_t>(text.size());
  const auto patternSize = static_cast<std::ptrdiff_t>(pattern.size());
  for (std::ptrdiff_t k = std::max<std::ptrdiff_t>(0, -shift); k < patternSize && shift + k < textSize; ++k) {
    if (text[static_cast<std::size_t>(shift + k)] != pattern[static_cast<std::size_t>(k)]) return false;
  }
  return true;
}

// Whether a text can give a clean-up's match one of the bytes the scan
// flags for them ("_", "#", "<"), its byte `at` being one: laid on the same
// byte of the pattern, the rest of what they share agrees. (A text that
// keeps its bytes whole, that is: one that no later tag cuts.)
bool mayGiveCleanupByte(std::string_view text, std::size_t at, std::string_view pattern) {
  for (std::size_t k = 0; k < pattern.size(); ++k) {
    const auto shift = static_cast<std::ptrdiff_t>(at) - static_cast<std::ptrdiff_t>(k);
    if (pattern[k] == text[at] && agreesAt(text, pattern, shift)) return true;
  }
  return false;
}

// A clean-up matches only where one of those bytes is: the user's, which
// the scan of the line sees, or one a tag's text put in. A text that
// cannot be part of any match is no reason to run them.
bool mayTakePartInCleanups(std::string_view text, Format f) {
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (!isCleanupByte(text[at])) continue;
    for (const CleanupRow& cleanup : kCleanups) {
      if (cleanup.appliesTo(f) && mayGiveCleanupByte(text, at, cleanup.pattern)) return true;
    }
  }
  return false;
}

}  // namespace

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
  const bool canFormTags = mayFormTags(*replacement);
  unsigned classes = scan::classify(*replacement);
  // A text a later tag may cut can leave any of its bytes alone.
  if ((classes & scan::kCleanup) != 0 && !canFormTags && !mayTakePartInCleanups(*replacement, f)) {
    classes &= ~unsigned{scan::kCleanup};
  }
  c.textClasses[row] = static_cast<unsigned char>(classes);
  if (canFormTags) c.formsTags.add(row);
  if (canFormTags || changesLineMarks(kTagTable[row].effect)) c.oneByOne.add(row);
}

const TagIndex& tagIndex() {
  static const TagIndex index;
  return index;
}

}  // namespace kolvo
