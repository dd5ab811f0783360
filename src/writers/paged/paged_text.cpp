#include "writers/paged/paged_text.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "markup/paged_cell_texts.hpp"
#include "markup/tag_index.hpp"
#include "text/paragraph_direction.hpp"
#include "text/link_finder.hpp"
#include "writers/paged/fallback_context.hpp"
#include "writers/paged/fallback_run.hpp"
#include "writers/paged/glyph_place.hpp"
#include "writers/paged/run_characters.hpp"
#include "writers/paged/shaped_scripts.hpp"
#include "writers/paged/utf16_hex.hpp"

namespace kolvo {
namespace {

constexpr std::size_t kTagLength = 3;
constexpr std::size_t kTabColumns = 8;

// The bytes pagedTextLooksAt() leaves alone, as a table.
constexpr std::array<bool, 256> makePlainBytes() {
  std::array<bool, 256> plain{};
  for (unsigned b = 0; b < 256; ++b) plain[b] = !pagedTextLooksAt(static_cast<unsigned char>(b));
  return plain;
}
constexpr std::array<bool, 256> kPlainBytes = makePlainBytes();

// Whether any of the eight bytes of `word` may not be plain (a line end
// may be plain after all): one beyond ASCII, a control byte, DEL, one of
// the five that need escaping, or a quote the text fonts show at a code of
// their own. Each test is exact, so a word of prose passes in a few
// instructions.
bool mayNeedWork(std::uint64_t word) {
  constexpr std::uint64_t ones = 0x0101010101010101ULL;
  constexpr std::uint64_t highs = 0x8080808080808080ULL;
  const auto hasZero = [](std::uint64_t v) { return (v - ones) & ~v & highs; };
  const auto has = [&](std::uint64_t v, unsigned char c) { return hasZero(v ^ (ones * c)); };
  const std::uint64_t belowBlank = (word - ones * 0x20) & ~word & highs;
  // "(" and ")" differ in their lowest bit only.
  const std::uint64_t parenthesis = has(word & (ones * 0xFE), '(');
  return ((word & highs) | belowBlank | has(word, 0x7F) | has(word, '%') | has(word, '\\') |
          parenthesis | has(word, '_') | has(word, '\'') | has(word, '`')) != 0;
}
constexpr int asciiWithCodesOfTheirOwn() {
  int count = 0;
  for (char32_t c = 0; c < 0x80; ++c) count += paged::glyphPlace(c).font != paged::GlyphFont::None;
  return count;
}
static_assert(asciiWithCodesOfTheirOwn() == 2 &&
                  paged::glyphPlace('\'').font == paged::GlyphFont::Text &&
                  paged::glyphPlace('`').font == paged::GlyphFont::Text,
              "mayNeedWork looks for exactly the ASCII characters with a code of their own");

#if defined(__SSE2__)
// The first of the sixteen bytes at `at` that mayNeedWork would flag, or
// 16: the same tests a vector at a time (a signed compare below the blank
// takes the control bytes and those beyond ASCII together).
unsigned firstFlagged(const char* at) {
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
  const auto is = [&](char c) { return _mm_cmpeq_epi8(v, _mm_set1_epi8(c)); };
  __m128i flagged = _mm_cmplt_epi8(v, _mm_set1_epi8(0x20));
  flagged = _mm_or_si128(flagged, _mm_or_si128(is(0x7F), is('%')));
  flagged = _mm_or_si128(flagged, _mm_or_si128(is('\\'), is('_')));
  flagged = _mm_or_si128(flagged, _mm_or_si128(is('\''), is('`')));
  // "(" and ")" differ in their lowest bit only.
  flagged = _mm_or_si128(flagged, _mm_cmpeq_epi8(_mm_and_si128(v, _mm_set1_epi8(static_cast<char>(0xFE))),
                                                 _mm_set1_epi8('(')));
  const auto mask = static_cast<unsigned>(_mm_movemask_epi8(flagged));
  return mask == 0 ? 16 : static_cast<unsigned>(std::countr_zero(mask));
}
#endif

// The length of the longest run of plain bytes at the start of `text`.
std::size_t plainPrefix(std::string_view text) {
  std::size_t at = 0;
#if defined(__SSE2__)
  // Sixteen bytes a step: half the instructions of the words below.
  for (; at + 16 <= text.size(); at += 16) {
    const unsigned first = firstFlagged(text.data() + at);
    if (first < 16) {
      at += first;
      break;
    }
  }
#endif
  constexpr std::size_t kWord = sizeof(std::uint64_t);
  for (; at + kWord <= text.size(); at += kWord) {
    std::uint64_t word = 0;
    std::memcpy(&word, text.data() + at, kWord);
    if (mayNeedWork(word)) break;
  }
  while (at < text.size() && kPlainBytes[static_cast<unsigned char>(text[at])]) ++at;
  return at;
}

using paged::isOneOf;
using paged::kHyphens;
using paged::kInvisible;
using paged::kRunEnders;

// The font switches around a run of Symbol glyphs: those of the Greek
// tags, which return to Times-Roman 12 (paged_cells.hpp).
struct SymbolSwitch {
  std::string_view open;
  std::string_view close;
};

constexpr SymbolSwitch kPostScriptSwitch = {symbolRunText(Format::PostScript, true),
                                            symbolRunText(Format::PostScript, false)};
constexpr SymbolSwitch kPdfSwitch = {symbolRunText(Format::Pdf, true),
                                     symbolRunText(Format::Pdf, false)};

void appendOctal(std::string& out, unsigned char code) {
  const char digits[] = {'\\', static_cast<char>('0' + (code >> 6)),
                         static_cast<char>('0' + (code >> 3 & 7)), static_cast<char>('0' + (code & 7))};
  out.append(digits, sizeof digits);
}

// Whether the bytes typed before a stretch sent to the shaper are all
// ASCII that the bidi algorithm leaves to the paragraph (blanks, digits,
// punctuation): they become part of the stretch, so that a right-to-left
// line that starts with them puts them on its right.
bool onlyWeakAscii(std::string_view bytes) {
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte >= 0x7F || (byte | 0x20U) - 'a' < 26U) return false;
  }
  return true;
}

// `c` as the text fonts show it, appended to `out`; false, with nothing
// appended, when they do not (a control character, or one a fallback or
// the Symbol font draws). Plain bytes stand for themselves; the rest are
// octal codes, or escaped where the string's syntax needs it. Inlined in
// the escaper's steps, which call it for every byte they do not copy.
[[gnu::always_inline]] inline bool appendInTextFont(char32_t c, std::string& out) {
  if (c < 0x80 && kPlainBytes[c]) {
    out.push_back(static_cast<char>(c));
  } else if (c == '%' || c == '_') {
    appendOctal(out, static_cast<unsigned char>(c));
  } else if (const paged::GlyphPlace place = paged::glyphPlace(c); place.font == paged::GlyphFont::Text) {
    appendOctal(out, place.code);
  } else if (c == '\\' || c == '(' || c == ')') {
    out.push_back('\\');
    out.push_back(static_cast<char>(c));
  } else if (isOneOf(c, kHyphens)) {
    out.push_back('-');
  } else {
    return false;
  }
  return true;
}

class PagedEscaper {
  using Glyph = paged::FallbackContext::Glyph;

 public:
  // Carries on after the first `start` bytes, which are plain and already
  // in `out`.
  PagedEscaper(std::string_view text, std::size_t start, Format format, std::string& out,
               EscapeStats& stats, paged::FallbackContext* glyphs,
               std::span<const FoundLink> links)
      : links_(links),
        text_(text),
        format_(format),
        switch_(format == Format::Pdf ? kPdfSwitch : kPostScriptSwitch),
        out_(out),
        stats_(stats),
        glyphs_(glyphs),
        at_(start),
        column_(start) {}

  // A link that ends the line ends here.
  void finish() { passLinkEdges(); }

  void run() {
    while (at_ < text_.size()) {
      passLinkEdges();
      copyPlainRun();
      if (at_ == text_.size()) break;
      if (at_ == nextLinkEdge()) continue;
      const unsigned char byte = static_cast<unsigned char>(text_[at_]);
      if (byte >= 0x80) {
        nonAscii();
      } else {
        special(static_cast<char>(byte));
      }
    }
  }

 private:
  // Where the next edge of a link lies in the text (its end when the pen
  // is inside it), past the text when none is left.
  std::size_t nextLinkEdge() const {
    if (nextEdge_ / 2 >= links_.size()) return text_.size();
    const FoundLink& link = links_[nextEdge_ / 2];
    return nextEdge_ % 2 == 0 ? link.begin : link.end;
  }

  // Records the links whose text the pen has passed: an address is ASCII
  // and holds no tag, so the pen stops at each edge exactly. Most lines
  // have none, and the check for one is where the escaper steps.
  void passLinkEdges() {
    if (nextEdge_ / 2 < links_.size()) passEdgesOfLinks();
  }
  void passEdgesOfLinks() {
    while (nextEdge_ / 2 < links_.size() && nextLinkEdge() <= at_) {
      if (nextEdge_ % 2 == 0) {
        linkStart_ = out_.size();
      } else {
        const FoundLink& link = links_[nextEdge_ / 2];
        stats_.lineItems.addLinkText(linkStart_, out_.size(), linkTarget(text_, link));
      }
      ++nextEdge_;
      startStretch();  // a stretch for the shaper never holds an edge
    }
  }

  void copyPlainRun() {
    const std::size_t length =
        std::min(plainPrefix(text_.substr(at_)), nextLinkEdge() - at_);
    out_.append(text_, at_, length);
    at_ += length;
    column_ += length;
  }

  // An ASCII byte that is not copied as it is.
  void special(char c) {
    if (c == '%' && beginsTag(text_, at_)) {
      followTag();
      out_.append(text_, at_, kTagLength);
      at_ += kTagLength;
      startStretch();
      return;
    }
    ++at_;
    if (c == '\t') {
      const std::size_t blanks = kTabColumns - column_ % kTabColumns;
      out_.append(blanks, ' ');
      column_ += blanks;
      return;
    }
    ++column_;
    if (!appendInTextFont(static_cast<unsigned char>(c), out_)) {
      missing(static_cast<unsigned char>(c));  // a control character
    }
  }

  void nonAscii() {
    std::size_t next = at_;
    const char32_t c = nextCodePoint(text_, next);
    const paged::GlyphPlace place = paged::glyphPlace(c);
    if (place.font == paged::GlyphFont::Symbol) {
      symbolRun();
      return;
    }
    const std::size_t start = at_;
    at_ = next;
    if (isOneOf(c, kInvisible)) return;
    ++column_;
    if (!appendInTextFont(c, out_) && !fallbackRun(c, start) &&
        !(paged::needsShaping(c) && shapedStretch(start))) {
      missing(c);
    }
  }

  // The stretch of the line from `start` (a character of a script that
  // needs shaping) to the next tag or line end, drawn by the shaper's
  // pieces, left to right; weak ASCII typed just before it joins it. False,
  // with nothing written, when the fonts do not shape.
  bool shapedStretch(std::size_t start) {
    if (glyphs_ == nullptr) return false;
    std::size_t begin = start;
    if (onlyWeakAscii(text_.substr(stretchStart_, start - stretchStart_))) begin = stretchStart_;
    paged::FallbackContext::ShapingScratch& scratch = glyphs_->shapingScratch();
    const std::size_t end = readStretch(begin, scratch);
    if (!glyphs_->fonts().shape(scratch.chars, glyphs_->inForce().style, paragraph(), scratch.shaped)) {
      return false;
    }
    if (begin < start) {
      out_.resize(stretchOut_);
      column_ = stretchColumn_;
    } else {
      --column_;  // counted for the character at `start`
    }
    column_ += scratch.chars.size();
    at_ = end;
    drawnTo_ = at_;
    if (!glyphs_->codesOnly()) writeShaped(scratch);
    return true;
  }

  // The characters of the stretch from `begin` into `scratch`; where it
  // ends (a control character, a tag, a link's edge or the line's end).
  std::size_t readStretch(std::size_t begin, paged::FallbackContext::ShapingScratch& scratch) const {
    scratch.chars.clear();
    std::size_t at = begin;
    const std::size_t edge = nextLinkEdge();
    while (at < edge) {
      const auto byte = static_cast<unsigned char>(text_[at]);
      if ((byte < 0x20 && byte != '\t') || (byte == '%' && beginsTag(text_, at))) break;
      scratch.chars.push_back(nextCodePoint(text_, at));
    }
    return at;
  }

  // The line's direction, by its first strong character (the one rule the
  // flowing formats and the paged writers' alignment follow too), found
  // once a stretch asks.
  ParagraphDirection paragraph() {
    if (paragraph_ == ParagraphDirection::FromText) {
      paragraph_ = startsRightToLeft(text_) ? ParagraphDirection::RightToLeft
                                            : ParagraphDirection::LeftToRight;
    }
    return paragraph_;
  }

  // The shaper's pieces: a blank of the text font, "?" for a character no
  // font has, a fallback run.
  void writeShaped(paged::FallbackContext::ShapingScratch& scratch) {
    const std::u32string_view chars = scratch.chars;
    for (const ShapedPiece& piece : scratch.shaped.pieces) {
      if (piece.kind == ShapedPiece::Kind::Blank) {
        out_.push_back(' ');
      } else if (piece.kind == ShapedPiece::Kind::Missing || piece.glyphCount == 0) {
        missing(chars[piece.begin]);
      } else if (piece.rightToLeft || !writeInTextFont(chars.substr(piece.begin, piece.end - piece.begin))) {
        writeShapedRun(scratch, piece);
      }
    }
  }

  // A left-to-right piece whose every character the text fonts show (a
  // Latin word, a number among right-to-left words) is written in the font
  // in force, as it would be outside the stretch, not in the shaping face;
  // false, with nothing written, when one of them is not.
  bool writeInTextFont(std::u32string_view chars) {
    const std::size_t before = out_.size();
    for (const char32_t c : chars) {
      if (!appendInTextFont(c, out_)) {
        out_.resize(before);
        return false;
      }
    }
    return true;
  }

  // The glyphs of one piece in one run; in PDF, the glyphs of a cluster
  // that is not one glyph for one character in a span with its text (once:
  // a cluster whose glyphs the positions part tells it again as nothing).
  void writeShapedRun(paged::FallbackContext::ShapingScratch& scratch, const ShapedPiece& piece) {
    paged::BuiltRuns& built = glyphs_->builtRuns();
    if (piece.kept != 0) {
      if (const paged::BuiltRun* keptRun = built.find(piece.kept, glyphs_->inForce())) {
        paged::FallbackRun::writeBuilt(glyphs_->runScratch(), format_, glyphs_->inForce(), *keptRun, out_,
                                       stats_.lineItems);
        return;
      }
    }
    const ShapedGlyph* const glyphs = scratch.shaped.glyphs.data() + piece.firstGlyph;
    paged::FallbackRun shapedRun(glyphs_->runScratch(), format_, glyphs_->inForce(), glyphs[0].glyph.font);
    const bool spans = true;
    const std::u32string_view chars = scratch.chars;
    std::vector<std::uint32_t>& told = scratch.toldClusters;  // whose text a span told
    told.clear();
    for (std::size_t i = 0; i < piece.glyphCount;) {
      const ShapedGlyph& first = glyphs[i];
      std::size_t end = i + 1;
      while (end < piece.glyphCount && glyphs[end].clusterBegin == first.clusterBegin) ++end;
      if (spans && first.spanned) {
        scratch.actualText.clear();
        if (std::find(told.begin(), told.end(), first.clusterBegin) == told.end()) {
          paged::appendUtf16Hex(scratch.actualText,
                         chars.substr(first.clusterBegin, first.clusterEnd - first.clusterBegin));
          told.push_back(first.clusterBegin);
        }
        shapedRun.beginSpan(scratch.actualText);
      }
      for (; i < end; ++i) shapedRun.add(glyphs[i].glyph.code, glyphs[i].advance);
      if (spans && first.spanned) shapedRun.endSpan();
    }
    shapedRun.finish(out_, stats_.lineItems,
                     piece.kept != 0 ? &built.add(piece.kept, glyphs_->inForce()) : nullptr);
  }

  // A tag may change the font in force, which a fallback run returns to.
  void followTag() {
    if (glyphs_ == nullptr) return;
    const std::size_t row = tagIndex().rowAt(text_, at_, tagColumn(format_, TextMode::Typed));
    if (row != kNoRow) paged::fontSwitches(format_).apply(row, glyphs_->inForce());
  }

  // `first` (just read, from `start`) and the characters after it that the
  // same fallback font draws, in one run; blanks between them join the run.
  // A font that draws whole words takes the letters of the word before
  // `first` too. False when no fallback font has `first`.
  bool fallbackRun(char32_t first, std::size_t start) {
    if (glyphs_ == nullptr) return false;
    paged::FallbackContext& context = *glyphs_;
    const FontStyle style = context.inForce().style;
    const Glyph glyph = context.glyph(first, style);
    if (glyph.glyph.code == 0) return false;
    const std::uint16_t font = glyph.glyph.font;
    const bool wholeWords = context.drawsWholeWords(font);
    const std::size_t wordStart = wholeWords ? lettersBefore(context, font, start) : start;
    // The first of PostScript's two readings wants the codes, not the text.
    std::optional<paged::FallbackRun> fallbackRun;
    if (!context.codesOnly()) {
      if (wordStart < start) out_.resize(out_.size() - writtenLength(wordStart, start));
      fallbackRun.emplace(context.runScratch(), format_, context.inForce(), font);
      for (std::size_t at = wordStart; at < start;) {
        const Glyph letter = context.letterIn(font, nextCodePoint(text_, at));
        fallbackRun->add(letter.glyph.code, letter.advance);
      }
      fallbackRun->add(glyph.glyph.code, glyph.advance);
    }
    extendRun(context, style, font, wholeWords, fallbackRun ? &*fallbackRun : nullptr);
    if (fallbackRun) fallbackRun->finish(out_, stats_.lineItems);
    drawnTo_ = at_;
    return true;
  }

  // Where the letters of the word before `start` begin that `font` can
  // draw: letters the text fonts show, written since the last run, tag or
  // link edge. `start` when there are none.
  std::size_t lettersBefore(const paged::FallbackContext& context, std::uint16_t font,
                            std::size_t start) const {
    const std::size_t floor = std::max(stretchStart_, drawnTo_);
    std::size_t begin = start;
    while (begin > floor) {
      std::size_t before = begin - 1;
      while (before > floor && (static_cast<unsigned char>(text_[before]) & 0xC0U) == 0x80) --before;
      std::size_t at = before;
      const char32_t c = nextCodePoint(text_, at);
      if (at != begin || !paged::isTextFontLetter(c) || context.letterIn(font, c).glyph.code == 0) {
        break;
      }
      begin = before;
    }
    return begin;
  }

  // How many bytes the escaper wrote for the letters [from, to): an ASCII
  // letter is copied, one of the upper half written as an octal escape.
  std::size_t writtenLength(std::size_t from, std::size_t to) const {
    std::size_t length = 0;
    for (std::size_t at = from; at < to;) {
      length += static_cast<unsigned char>(text_[at]) < 0x80 ? 1U : 4U;
      (void)nextCodePoint(text_, at);
    }
    return length;
  }

  // Takes the characters after a run's first into it (into `run` when it
  // is built) while its font draws them. Locals, not members, and glyphs
  // by value: the appends to the run's text would otherwise make every
  // step read them again from memory.
  void extendRun(paged::FallbackContext& context, FontStyle style, std::uint16_t font,
                 bool wholeWords, paged::FallbackRun* run) {
    const std::string_view text = text_;
    std::size_t at = at_;
    std::size_t atColumn = column_;
    Glyph blank;  // asked for once a blank stands inside the run
    const Glyph* const known = context.knownGlyphs(style);
    while (at < text.size()) {
      std::size_t start = at;
      while (start < text.size() && text[start] == ' ') ++start;
      if (start == text.size()) break;
      std::size_t next = start;
      if (wholeWords && start == at) {
        // The rest of the word: letters the text fonts show, in this font.
        const char32_t c = nextCodePoint(text, next);
        const Glyph letter = paged::isTextFontLetter(c) ? context.letterIn(font, c) : Glyph{};
        if (letter.glyph.code != 0) {
          if (run != nullptr) run->add(letter.glyph.code, letter.advance);
          ++atColumn;
          at = next;
          continue;
        }
        next = start;
      }
      if (static_cast<unsigned char>(text[start]) < 0x80) break;
      const char32_t c = nextCodePoint(text, next);
      if (kRunEnders.contains(c)) break;
      Glyph more = c < paged::FallbackContext::kRemembered ? known[c] : Glyph{};
      if (more.glyph.code == 0) more = context.glyph(c, style);
      if (more.glyph.code == 0 || more.glyph.font != font) break;
      if (start > at && blank.glyph.code == 0 && (blank = context.blank(font)).glyph.code == 0) break;
      if (run != nullptr) {
        for (std::size_t b = at; b < start; ++b) run->add(blank.glyph.code, blank.advance);
        run->add(more.glyph.code, more.advance);
      }
      atColumn += start - at + 1;
      at = next;
    }
    at_ = at;
    column_ = atColumn;
  }

  // The Symbol glyphs from here on, in one switch to the Symbol font.
  void symbolRun() {
    const std::size_t begin = out_.size();
    out_.append(switch_.open);
    while (at_ < text_.size()) {
      std::size_t next = at_;
      const paged::GlyphPlace place = paged::glyphPlace(nextCodePoint(text_, next));
      if (place.font != paged::GlyphFont::Symbol) break;
      appendOctal(out_, place.code);
      ++column_;
      at_ = next;
    }
    out_.append(switch_.close);
    stats_.lineItems.addSymbolRun(begin, out_.size());
    drawnTo_ = at_;
    if (glyphs_ != nullptr) glyphs_->inForce() = paged::bodyFont(format_);
  }

  void missing(char32_t c) {
    out_.push_back('?');
    stats_.missing(c);
  }

  // A stretch the shaper may be given starts here (after a tag).
  void startStretch() {
    stretchStart_ = at_;
    stretchOut_ = out_.size();
    stretchColumn_ = column_;
  }

  std::span<const FoundLink> links_;
  std::size_t nextEdge_ = 0;   // 2k: link k's start, 2k + 1: its end
  std::size_t linkStart_ = 0;  // in the output, of the link being passed
  std::string_view text_;
  Format format_;
  const SymbolSwitch& switch_;
  std::string& out_;
  EscapeStats& stats_;
  paged::FallbackContext* const glyphs_;  // null: no fallback fonts
  std::size_t at_;
  std::size_t column_;
  // Where the stretch after the last tag starts, in the text and in `out_`,
  // and its column; the plain prefix the escaper was started after is in
  // `out_` at the same offsets.
  std::size_t stretchStart_ = 0;
  std::size_t stretchOut_ = 0;
  std::size_t stretchColumn_ = 0;
  // The line's direction, once a stretch asked for it.
  ParagraphDirection paragraph_ = ParagraphDirection::FromText;
  // Where the last fallback, shaped or Symbol run ended in the text: a
  // word drawn whole takes no letter before it.
  std::size_t drawnTo_ = 0;
};

}  // namespace

bool escapePagedText(std::string_view utf8, Format format, std::string& out, EscapeStats& stats,
                     paged::FallbackContext* glyphs) {
  // Every PDF line starts in the body font; PostScript carries the font on.
  if (glyphs != nullptr && format == Format::Pdf) {
    glyphs->inForce() = paged::bodyFont(format);
  }
  std::vector<FoundLink> links;  // allocated only for a line that has one
  // (findLinks looks first, as mayHoldLinks; the text step may have looked.)
  if (annotatesLinks(format) && !stats.withoutLinks) findLinks(utf8, links);
  std::size_t at = plainPrefix(utf8);
  if (at == utf8.size() && links.empty()) return false;
  if (!links.empty()) at = std::min(at, links.front().begin);
  out.clear();
  out.reserve(utf8.size() + utf8.size() / 2);
  out.append(utf8, 0, at);
  PagedEscaper escaper(utf8, at, format, out, stats, glyphs, links);
  escaper.run();
  escaper.finish();
  return true;
}

}  // namespace kolvo
