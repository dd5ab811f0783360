#include "driver/text_warnings.hpp"

#include <cstring>

#include "io/message_text.hpp"
#include "text/text_decoding.hpp"
#include "text/typed_text.hpp"

namespace kolvo {
namespace {

constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;

bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool followed(std::string_view text, std::size_t at, MarkupFollow follow) {
  const char next = at + 1 < text.size() ? text[at + 1] : '\0';
  switch (follow) {
    case MarkupFollow::Anything: return true;
    case MarkupFollow::NotAfterBlank: return at == 0 || text[at - 1] != ' ';
    case MarkupFollow::NotTag: return !beginsTag(text, at);
    case MarkupFollow::MarkupStart:
      return isAsciiLetter(next) || next == '/' || next == '!' || next == '?';
    case MarkupFollow::Reference: return isAsciiLetter(next) || next == '#';
  }
  return false;
}

// What the markup characters of a format do to its document.
std::string_view markupEffect(Format format) {
  return format == Format::Latex ? "which stops pdflatex or is not shown"
                                 : "which is not shown";
}

std::string plural(std::uint64_t count, std::string_view one, std::string_view many) {
  return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

}  // namespace

BeyondAscii beyondAsciiIn(Format format) {
  switch (format) {
    case Format::PostScript:
    case Format::Pdf: return BeyondAscii::Every;
    case Format::Rtf: return BeyondAscii::Utf8Only;
    case Format::Latex: return BeyondAscii::NotUtf8Only;
    default: return BeyondAscii::Shown;
  }
}

TextWarningCounter::TextWarningCounter(Format format, TextMode mode)
    : beyondAscii_(beyondAsciiIn(format)), active_(mode == TextMode::Markup) {
  for (std::size_t i = 0; i < kMarkupCharacters.size(); ++i) {
    if (kMarkupCharacters[i].format != format) continue;
    markupRow_[static_cast<unsigned char>(kMarkupCharacters[i].byte)] =
        static_cast<unsigned char>(i + 1);
    hasMarkup_ = true;
    const bool percent = kMarkupCharacters[i].byte == '%';
    if (percent) percentRow_ = static_cast<unsigned>(i + 1);
    // "%" is looked for on its own: the tags hold it too, and a line with
    // tags has many.
    tallyClasses_[static_cast<unsigned char>(kMarkupCharacters[i].byte)] |=
        percent ? kTallyPercent : kTallyMarkup;
  }
  // A format that shows every character as typed has nothing to count.
  if (!hasMarkup_ && beyondAscii_ == BeyondAscii::Shown) active_ = false;
}

void TextWarningCounter::countFound(std::string_view text, const LineTally& tally) {
  if (!active_) return;
  if ((tally.classes & kTallyPercent) != 0 && percentRow_ != 0) countStrayPercent(text);
  if (tally.beyondAscii != 0 && beyondAscii_ != BeyondAscii::Shown) {
    // Most text beyond ASCII is in two-byte sequences: a character for
    // each lead, every one of them UTF-8.
    if (!tally.onlyTwoByte) {
      countBeyondAscii(text);
    } else if (beyondAscii_ != BeyondAscii::NotUtf8Only) {
      counts_.beyondAscii += tally.twoByteLeads;
    }
  }
  if ((tally.classes & kTallyMarkup) != 0) countMarkup(text);
}

// A "%" that begins no tag.
void TextWarningCounter::countStrayPercent(std::string_view text) {
  for (std::size_t at = text.find('%'); at != std::string_view::npos; at = text.find('%', at + 1)) {
    if (beginsTag(text, at)) {
      at += 2;
    } else if (followed(text, at, kMarkupCharacters[percentRow_ - 1].follow)) {
      ++counts_.markup[percentRow_ - 1];
    }
  }
}

// Text beyond ASCII of any other shape, read one sequence at a time.
void TextWarningCounter::countBeyondAscii(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size()) {
    if (at + 8 <= text.size()) {
      std::uint64_t word = 0;
      std::memcpy(&word, text.data() + at, sizeof word);
      if ((word & kHighBits) == 0) {
        at += 8;
        continue;
      }
    }
    if (static_cast<unsigned char>(text[at]) < 0x80) {
      ++at;
      continue;
    }
    const std::size_t length = utf8SequenceLength(text, at);
    const bool counted = beyondAscii_ == BeyondAscii::Every ||
                         (beyondAscii_ == BeyondAscii::Utf8Only) == (length != 0);
    if (counted) ++counts_.beyondAscii;
    at += length != 0 ? length : 1;
  }
}

void TextWarningCounter::countMarkup(std::string_view text) {
  for (std::size_t at = 0; at < text.size(); ++at) {
    const unsigned row = markupRow_[static_cast<unsigned char>(text[at])];
    // (No other byte than "%" begins a tag: the tags need no passing over.)
    if (row == 0 || row == percentRow_) continue;
    if (followed(text, at, kMarkupCharacters[row - 1].follow)) ++counts_.markup[row - 1];
  }
}

std::vector<std::string> textWarnings(Format format, const TextWarningCounts& counts) {
  std::vector<std::string> warnings;
  const std::string name(formatName(format));
  if (counts.beyondAscii > 0) {
    warnings.push_back(plural(counts.beyondAscii, "character", "characters") +
                       " beyond ASCII " + (counts.beyondAscii == 1 ? "is" : "are") +
                       " not shown as typed in " + name + "; --escape shows them");
  }
  std::uint64_t total = 0;
  std::string each;
  for (std::size_t i = 0; i < kMarkupCharacters.size(); ++i) {
    if (kMarkupCharacters[i].format != format || counts.markup[i] == 0) continue;
    total += counts.markup[i];
    if (!each.empty()) each += ", ";
    each += std::to_string(counts.markup[i]) + " " +
            quoted(std::string_view(&kMarkupCharacters[i].byte, 1));
  }
  if (total > 0) {
    warnings.push_back(plural(total, "character", "characters") + " of the text " +
                       (total == 1 ? "is " : "are ") + name + " markup, " +
                       std::string(markupEffect(format)) + ": " + each + "; --escape shows them");
  }
  return warnings;
}

}  // namespace kolvo
