#pragma once
// What a conversion without --escape shows otherwise than it was typed:
// text beyond ASCII in the formats that take it as bytes, and the
// characters LaTeX and HTML read as their own markup. Counted over the text
// a document shows (tags and drawing lines are not shown as text) by one
// run, and worded by the driver as one warning per kind.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "markup/format.hpp"
#include "text/line_tally.hpp"

namespace kolvo {

// What must come after a markup character for the format to read it so.
enum class MarkupFollow : unsigned char {
  Anything,
  NotAfterBlank,  // "_" after a blank is taken out by a clean-up instead
  NotTag,         // a "%" that begins no tag is a LaTeX comment
  MarkupStart,    // HTML "<" before a letter, "/", "!" or "?"
  Reference,      // HTML "&" before a letter or "#"
};

struct MarkupCharacter {
  char byte;
  Format format;
  MarkupFollow follow;
};

// No "#": the LaTeX clean-up escapes it.
inline constexpr std::array<MarkupCharacter, 11> kMarkupCharacters = {{
    {'&', Format::Latex, MarkupFollow::Anything},
    {'$', Format::Latex, MarkupFollow::Anything},
    {'_', Format::Latex, MarkupFollow::NotAfterBlank},
    {'^', Format::Latex, MarkupFollow::Anything},
    {'~', Format::Latex, MarkupFollow::Anything},
    {'\\', Format::Latex, MarkupFollow::Anything},
    {'{', Format::Latex, MarkupFollow::Anything},
    {'}', Format::Latex, MarkupFollow::Anything},
    {'%', Format::Latex, MarkupFollow::NotTag},
    {'<', Format::Html, MarkupFollow::MarkupStart},
    {'&', Format::Html, MarkupFollow::Reference},
}};

// Which characters beyond ASCII a format shows otherwise than typed when
// the text is taken as markup.
enum class BeyondAscii : unsigned char {
  Shown,        // XML formats and HTML: UTF-8 in and out
  Every,        // PostScript, PDF: every byte drawn in the fonts' own encoding
  Utf8Only,     // RTF reads bytes as Windows-1252, as Kolvo does: UTF-8 comes out wrong
  NotUtf8Only,  // pdflatex reads UTF-8 and stops at any other byte
};
BeyondAscii beyondAsciiIn(Format format);

struct TextWarningCounts {
  std::uint64_t beyondAscii = 0;
  std::array<std::uint64_t, kMarkupCharacters.size()> markup{};
};

// Counts a run's text taken as markup; a run of typed text (--escape)
// counts nothing, for it shows every character as typed.
class TextWarningCounter {
 public:
  TextWarningCounter(Format format, TextMode mode);

  // A piece of the input as read, before any rewrite, and its tally by a
  // LineTallier with tallyClasses(); not a drawing line.
  void count(std::string_view text, const LineTally& tally) {
    // Most lines: nothing beyond ASCII, no markup character.
    if ((tally.beyondAscii | tally.classes) != 0) countFound(text, tally);
  }

  bool active() const { return active_; }
  bool countsBeyondAscii() const { return active_ && beyondAscii_ != BeyondAscii::Shown; }
  // The classes of the bytes it looks for: kTallyMarkup, kTallyPercent.
  const std::array<std::uint8_t, 128>& tallyClasses() const { return tallyClasses_; }

  const TextWarningCounts& counts() const { return counts_; }

 private:
  void countFound(std::string_view text, const LineTally& tally);
  void countBeyondAscii(std::string_view text);
  void countMarkup(std::string_view text);
  void countStrayPercent(std::string_view text);

  BeyondAscii beyondAscii_;
  bool active_;
  // Index + 1 of each byte's row of kMarkupCharacters for this format.
  std::array<unsigned char, 256> markupRow_{};
  bool hasMarkup_ = false;
  unsigned percentRow_ = 0;  // index + 1 of "%" among them, if the format has it
  std::array<std::uint8_t, 128> tallyClasses_{};
  TextWarningCounts counts_;
};

// The warnings, without the program's name, one per kind found:
// "57 characters beyond ASCII are not shown as typed in PDF; --escape shows them".
std::vector<std::string> textWarnings(Format format, const TextWarningCounts& counts);

}  // namespace kolvo
