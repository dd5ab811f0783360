// The first reading of typed PostScript and PDF with fallback fonts passes
// over what cannot ask the fonts anything new (src/driver/fallback_code_reading.cpp,
// src/writers/paged/asks_nothing_new.cpp, src/writers/paged/quiet_pairs.cpp).
// It is held to the full reading, which escapes every line as the
// conversion does: the same first asks of the fonts in the same order
// (which decide every code and every font picked), and so the same bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "driver/conversion.hpp"
#include "driver/line_reader.hpp"
#include "markup/format.hpp"
#include "pipeline/text_step.hpp"
#include "support/document_generator.hpp"
#include "support/fake_fallback_fonts.hpp"
#include "support/same_bytes.hpp"
#include "support/test_support.hpp"
#include "writers/drawing.hpp"
#include "writers/output_sink.hpp"
#include "writers/paged/fallback_context.hpp"
#include "writers/writer.hpp"

namespace kolvo::test {
namespace {

// The fake fonts, with every first ask written down: a character in a
// style, or a font's own character (its blank). The system's fonts pick a
// font for each character by what was asked before, so the order of these
// asks, missing characters and all, is what must not change.
class AskLog final : public FallbackFonts {
 public:
  using Ask = std::tuple<bool, char32_t, int>;  // glyphIn?, character, style or font

  std::optional<FallbackGlyph> glyph(char32_t c, FontStyle style) override {
    note({false, c, static_cast<int>(style)});
    return fonts_.glyph(c, style);
  }
  std::optional<FallbackGlyph> glyphIn(std::uint16_t font, char32_t c) override {
    note({true, c, font});
    return fonts_.glyphIn(font, c);
  }
  std::uint32_t advance(FallbackGlyph g) const override { return fonts_.advance(g); }
  char32_t character(FallbackGlyph g) const override { return fonts_.character(g); }
  std::size_t fontCount() const override { return fonts_.fontCount(); }
  EmbeddedFont embed(std::size_t font) const override { return fonts_.embed(font); }
  std::string missingHint(std::span<const char32_t> missing) const override {
    return fonts_.missingHint(missing);
  }

  const std::vector<Ask>& asks() const { return asks_; }

 private:
  void note(const Ask& ask) {
    if (seen_.insert(ask).second) asks_.push_back(ask);
  }
  FakeFallbackFonts fonts_{false};
  std::set<Ask> seen_;
  std::vector<Ask> asks_;
};

// The reading the first reading must equal: every line escaped as the
// conversion escapes it, the drawing lines' tags undone.
void fullReading(std::string_view input, Format format, FallbackFonts& fonts) {
  paged::FallbackContext context(fonts, format, true);
  LineReader in(input, kWholeLines);
  std::string line;
  std::string scratch;
  EscapeStats stats;
  while (in.next(line)) {
    std::replace(line.begin(), line.end(), '\0', ' ');
    const paged::FontInForce before = context.inForce();
    prepareText(line, scratch, format, TextMode::Typed, stats, &context);
    if (isDrawingLine(line)) context.inForce() = before;
  }
}

std::vector<AskLog::Ask> firstReadingAsks(std::string_view input, Format format) {
  AskLog log;
  LineReader in(input, kWholeLines);
  giveOutFallbackCodes(in, format, log);
  return log.asks();
}

std::vector<AskLog::Ask> fullReadingAsks(std::string_view input, Format format) {
  AskLog log;
  fullReading(input, format, log);
  return log.asks();
}

// The document the conversion writes after the full reading.
std::string afterFullReading(std::string_view input, Format format) {
  FakeFallbackFonts fonts(false);
  fullReading(input, format, fonts);
  class Silent final : public Console {
   public:
    void print(std::string_view) override {}
  } console;
  std::string document;
  OutputSink out(&document);
  LineReader in(input, kWholeLines);
  convert(in, out, format, 's', console, TextMode::Typed, nullptr, &fonts);
  return document;
}

void expectSameAsFullReading(std::string_view input, const std::string& what) {
  for (const Format format : {Format::PostScript, Format::Pdf}) {
    SCOPED_TRACE(what + " in " + std::string(formatName(format)));
    const std::vector<AskLog::Ask> asks = fullReadingAsks(input, format);
    EXPECT_EQ(firstReadingAsks(input, format), asks);
    FakeFallbackFonts fonts(false);
    EXPECT_TRUE(sameBytes(afterFullReading(input, format),
                          convertText(input, format, 's', nullptr, TextMode::Typed, nullptr, &fonts)));
  }
}

// Cyrillic, Greek (Symbol glyphs), CJK, arrows, Hangul (in no fake font),
// the hyphens, an invisible mark, a character beyond the first plane.
const std::vector<std::string> kPieces = {
    "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82", "\xD0\xB4\xD0\xBE\xD0\xBC", "\xD1\x91\xD0\xB6",
    "\xCE\xB1\xCE\xB2", "\xE6\x9D\xB1\xE4\xBA\xAC", "\xE2\x86\x92", "\xEA\xB0\x80", "\xE2\x80\x90",
    "\xE2\x80\x8B", "\xF0\x9F\x98\x80", "caf\xC3\xA9", "plain", "words", " ", "  ", "\t", "%bs",
    "%be", "%is", "%ie", "%Bs", "%Be", "%us", "%ue", "%g1", "%%", "50%", "(x)", "\x01", std::string(1, '\0'),
    "\xC0", "\xD0", "\x96", "\xEF\xBF\xBE", "\xE9t\xE9",
};

// Lines made of those pieces, with drawing lines and blank lines between.
std::string mixedDocument(std::uint64_t seed, std::size_t lines) {
  Random random(seed);
  std::string text;
  for (std::size_t i = 0; i < lines; ++i) {
    if (random.percent(5)) text += "$s1 10 10 20 20 ";
    if (random.percent(3)) {
      text += "\n";
      continue;
    }
    const std::size_t pieces = 1 + random.below(12);
    for (std::size_t p = 0; p < pieces; ++p) text += random.pick(kPieces);
    text += random.percent(5) ? "\r\n" : "\n";
  }
  return text;
}

TEST(FallbackCodeReading, MixedLinesAskWhatTheFullReadingAsks) {
  for (std::uint64_t seed = 1; seed <= 40; ++seed) {
    expectSameAsFullReading(mixedDocument(seed, 60 + seed * 7), "seed " + std::to_string(seed));
  }
}

// Long stretches of one script, so that the thirty-two-byte look takes over
// from the line-by-line one, with a style switch now and then.
TEST(FallbackCodeReading, LongCyrillicTextWithStylesAcrossLines) {
  const std::string words[] = {"\xD0\xB4\xD0\xBE\xD0\xBC ", "\xD1\x80\xD0\xB5\xD0\xBA\xD0\xB0 ",
                               "\xD1\x81\xD0\xB0\xD0\xB4 ", "\xD1\x91\xD0\xBB\xD0\xBA\xD0\xB0 ",
                               "sea "};
  Random random(7);
  std::string text;
  for (int line = 0; line < 3000; ++line) {
    const std::size_t count = 3 + random.below(12);
    for (std::size_t w = 0; w < count; ++w) {
      if (random.percent(2)) text += random.pick(std::array{"%bs", "%be", "%is", "%ie"});
      std::string word = random.pick(words);
      // No blank between two letters of a run at first: the fonts' blanks
      // are asked for only from line 1200 on.
      if (line <= 1200) word.back() = ',';
      text += word;
    }
    // The first blank between two letters of a run, and right after it a
    // new letter: the blank's code comes first.
    if (line == 1200) {
      text += "\n\xD0\xB4\xD0\xBE\xD0\xBC \xD1\x81\xD0\xB0\xD0\xB4\n";
      for (int i = 0; i < 40; ++i) text += "\xD0\xB4\xD0\xBE\xD0\xBC,\xD1\x81\xD0\xB0\xD0\xB4,\n";
      text += "\xD0\xA8";
    }
    // New letters after stretches that the thirty-two-byte look takes, in
    // the style their tags set: a drawing line's tag is undone; PostScript
    // carries italic to a later line, PDF starts it in the body font; bold
    // set on the letter's own line.
    if (line == 2000) {
      const std::string quiet = "\xD0\xB4\xD0\xBE\xD0\xBC \xD1\x81\xD0\xB0\xD0\xB4 \xD1\x80\xD0\xB5\xD0\xBA\xD0\xB0 ";
      text += "%be%ie " + quiet + "\n" + quiet + quiet + "\n$s1 10 10 20 20 %bs" + quiet + quiet + "\n" + quiet +
              quiet + "\xD0\xAB\n";
      text += quiet + "%is" + quiet + quiet + "\n";
      for (int i = 0; i < 10; ++i) text += quiet + quiet + "\n";
      text += quiet + "\xD0\xAC\n" + quiet + quiet + "%bs" + quiet + quiet + "\xD0\xAE\n";
    }
    // Rare letters late, in either style: they must still be asked for.
    if (line == 1700) text += "\xD0\xA9 %bs\xD0\xAA%be";
    if (line == 2500) text += "%is\xD2\x90";
    text += "\n";
  }
  expectSameAsFullReading(text, "long Cyrillic text");
}

// A line far longer than a read of the input, and a last line without a
// line feed; input given as UTF-16 is read decoded.
TEST(FallbackCodeReading, LinesAcrossReadsAndUtf16Input) {
  std::string longLine;
  while (longLine.size() < 200000) longLine += "plain words %bs\xD0\x96%be then \xE6\x9D\xB1 ";
  expectSameAsFullReading("\xD0\x96\n" + longLine + "\n%is\xD0\xAF", "a long line");
  std::string utf16 = "\xFF\xFE";
  for (const char16_t unit : std::u16string(u"\u0416 \u0416\n%bs\u042F\n\u6771")) {
    utf16 += static_cast<char>(unit & 0xFF);
    utf16 += static_cast<char>(unit >> 8);
  }
  expectSameAsFullReading(utf16, "UTF-16");
}

// PostScript carries the font from line to line, through lines of ASCII
// alone that the reading passes over; a drawing line's tags do not count.
TEST(FallbackCodeReading, PostScriptStylesCarriedOverAsciiLines) {
  const std::string text =
      "%bs bold from here\nstill bold\n\xD0\x96\n"
      "$s1 10 10 20 20 %is%be\n\xD0\xAF\n"
      "%be%is italic, then %bs\nplain words\n\xD1\x8F \xD1\x8F\n"
      "%be\n\xD0\xA9\n";
  expectSameAsFullReading(text, "styles across lines");
  // The bold face (a font of its own in the fake) drew Ж, Я and я.
  EXPECT_EQ(firstReadingAsks(text, Format::PostScript), fullReadingAsks(text, Format::PostScript));
}

// Real text nobody here wrote, in many scripts, with the style switches
// woven in before and after its letters.
TEST(FallbackCodeReading, RealTextInManyScripts) {
  const std::vector<std::filesystem::path> sources = {"/usr/share/X11/locale/en_US.UTF-8/Compose",
                                                      "/usr/share/doc/man-db/THANKS",
                                                      "/usr/share/doc/libglib2.0-0/copyright"};
  std::size_t found = 0;
  for (const std::filesystem::path& source : sources) {
    if (!std::filesystem::exists(source)) continue;
    ++found;
    const std::string text = readFile(source);
    expectSameAsFullReading(text, source.string());
    Random random(found);
    std::string styled;
    for (std::size_t at = 0; at < text.size(); ++at) {
      if (static_cast<unsigned char>(text[at]) < 0x80 && random.percent(1)) {
        styled += random.pick(std::array{"%bs", "%be", "%is", "%ie", "%Bs", "%Be"});
      }
      styled += text[at];
    }
    expectSameAsFullReading(styled, source.string() + " with styles");
  }
  if (found == 0) GTEST_SKIP() << "no real text in several scripts here (libx11-data, man-db)";
}

// PostScript defines its fallback fonts in the prologue, so it reads the
// input twice; PDF names them in a dictionary it writes at the end.
TEST(FallbackCodeReading, OnlyPostScriptWithFallbackFontsReadsTwice) {
  for (const FormatInfo& info : kFormats) {
    SCOPED_TRACE(std::string(info.name));
    EXPECT_FALSE(writerReadsInputTwice(info.format, TextMode::Markup, true));
    EXPECT_FALSE(writerReadsInputTwice(info.format, TextMode::Typed, false));
    EXPECT_EQ(writerReadsInputTwice(info.format, TextMode::Typed, true),
              info.format == Format::PostScript);
  }
}

}  // namespace
}  // namespace kolvo::test
