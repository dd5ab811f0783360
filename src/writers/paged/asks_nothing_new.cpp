#include "writers/paged/asks_nothing_new.hpp"

#include <cstdint>
#include <cstring>

#include "markup/tag_index.hpp"
#include "text/typed_text.hpp"
#include "writers/paged/glyph_place.hpp"
#include "writers/paged/run_characters.hpp"
#include "writers/paged/shaped_scripts.hpp"

namespace kolvo::paged {
namespace {

constexpr std::size_t kTagLength = 3;
constexpr char32_t kNotKept = 0;  // no character beyond ASCII is 0

unsigned byteAt(std::string_view text, std::size_t at) { return static_cast<unsigned char>(text[at]); }
bool isContinuation(unsigned byte) { return (byte & 0xC0U) == 0x80; }

// The character beyond ASCII at `at` when decodeText would keep its bytes
// and the context remembers it (two or three bytes, well formed, neither
// U+FFFE nor U+FFFF); moves `at` past it. kNotKept otherwise.
char32_t keptCharacter(std::string_view text, std::size_t& at) {
  const unsigned lead = byteAt(text, at);
  if (lead >= 0xC2 && lead <= 0xDF && at + 1 < text.size() && isContinuation(byteAt(text, at + 1))) {
    const char32_t c = (lead & 0x1FU) << 6 | (byteAt(text, at + 1) & 0x3FU);
    at += 2;
    return c;
  }
  if (lead < 0xE0 || lead > 0xEF || at + 2 >= text.size()) return kNotKept;
  const unsigned second = byteAt(text, at + 1);
  const unsigned third = byteAt(text, at + 2);
  if (!isContinuation(second) || !isContinuation(third)) return kNotKept;
  if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F)) return kNotKept;
  const char32_t c = (lead & 0x0FU) << 12 | (second & 0x3FU) << 6 | (third & 0x3FU);
  if (c == 0xFFFE || c == 0xFFFF) return kNotKept;
  at += 3;
  return c;
}

// The bytes the escaper sees as blanks once the line is decoded: blanks,
// and the controls that decoding (or the NUL step before it) makes blanks.
bool becomesBlank(unsigned byte) {
  return byte == ' ' || (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r');
}

// The first byte at `at` or later that is beyond ASCII or a "%".
std::size_t nextOfInterest(std::string_view text, std::size_t at) {
  constexpr std::uint64_t ones = 0x0101010101010101ULL;
  constexpr std::uint64_t highs = 0x8080808080808080ULL;
  for (; at + sizeof(std::uint64_t) <= text.size(); at += sizeof(std::uint64_t)) {
    std::uint64_t word = 0;
    std::memcpy(&word, text.data() + at, sizeof word);
    const std::uint64_t percent = word ^ (ones * '%');
    if (((word | ((percent - ones) & ~percent)) & highs) != 0) break;
  }
  while (at < text.size() && byteAt(text, at) < 0x80 && text[at] != '%') ++at;
  return at;
}

class LineLook {
  using Glyph = FallbackContext::Glyph;

 public:
  LineLook(std::string_view line, FallbackContext& context)
      : text_(line), context_(context), column_(tagColumn(context.format(), TextMode::Typed)) {}

  bool asksNothing() {
    while ((at_ = nextOfInterest(text_, at_)) < text_.size()) {
      if (text_[at_] == '%') {
        followTag();
      } else if (!character()) {
        return false;
      }
    }
    return true;
  }

 private:
  // As the escaper: a tag may change the font in force; any other "%" is
  // text.
  void followTag() {
    if (!beginsTag(text_, at_)) {
      ++at_;
      return;
    }
    const std::size_t row = tagIndex().rowAt(text_, at_, column_);
    if (row != kNoRow) fontSwitches(context_.format()).apply(row, context_.inForce());
    at_ += kTagLength;
  }

  // The character beyond ASCII at at_, and the run it begins.
  bool character() {
    const char32_t c = keptCharacter(text_, at_);
    if (c == kNotKept || c >= FallbackContext::kRemembered) return false;
    const GlyphPlace place = glyphPlace(c);
    if (place.font == GlyphFont::Symbol) {
      // A run of Symbol glyphs returns to the body font.
      context_.inForce() = bodyFont(context_.format());
      return true;
    }
    if (place.font == GlyphFont::Text || isOneOf(c, kInvisible) || isOneOf(c, kHyphens)) return true;
    // The shaper gives codes by the characters around: it is always asked.
    if (needsShaping(c)) return false;
    const Glyph g = context_.knownGlyphs(context_.inForce().style)[c];
    if (!context_.settled(g, false)) return false;
    return g.glyph.code == 0 || runAsksNothing(g.glyph.font);
  }

  // The characters the escaper takes into a run of `font` after its first
  // (extendRun): each is asked for, and a blank between two of them asks
  // for the font's blank.
  bool runAsksNothing(std::uint16_t font) {
    const Glyph* const known = context_.knownGlyphs(context_.inForce().style);
    while (at_ < text_.size()) {
      std::size_t start = at_;
      while (start < text_.size() && becomesBlank(byteAt(text_, start))) ++start;
      if (start == text_.size() || byteAt(text_, start) < 0x80) return true;
      std::size_t next = start;
      const char32_t c = keptCharacter(text_, next);
      if (c == kNotKept || c >= FallbackContext::kRemembered) return false;
      if (kRunEnders.contains(c)) return true;
      const Glyph more = known[c];
      if (!context_.settled(more, false)) return false;
      if (more.glyph.code == 0 || more.glyph.font != font) return true;
      if (start > at_ && !context_.blankAsked(font)) return false;
      at_ = next;
    }
    return true;
  }

  std::string_view text_;
  FallbackContext& context_;
  TagColumn column_;
  std::size_t at_ = 0;
};

}  // namespace

bool asksNothingNew(std::string_view line, FallbackContext& context) {
  return LineLook(line, context).asksNothing();
}

}  // namespace kolvo::paged
