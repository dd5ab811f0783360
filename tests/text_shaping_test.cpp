// Shaped and right-to-left text of the font module: the bidi order of a
// stretch (BidiOrder), the pieces and codes the shaper gives with the
// machine's fonts (TextShaping: a missing script, an empty stretch, a lone
// mark, mixed directions), and what readers make of it (ShapingReaders,
// slow: HarfBuzz's own hb-shape draws the same glyphs, pdftotext gives the
// message catalogues' translations back). Tests skip, saying why, where a
// font or reader is missing.
#include <gtest/gtest.h>
#include <hb.h>

#include <algorithm>
#include <fstream>
#include <initializer_list>
#include <iostream>
#include <map>
#include <regex>
#include <set>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "fonts/bidi_order.hpp"
#include "fonts/font_face.hpp"
#include "fonts/font_finder.hpp"
#include "fonts/font_subset.hpp"
#include "fonts/system_fallback_fonts.hpp"
#include "fonts/text_shaper.hpp"
#include "driver/conversion.hpp"
#include "markup/format.hpp"
#include "writers/paged/paper_size.hpp"
#include "support/catalogue_text.hpp"
#include "support/test_support.hpp"
#include "support/words_back.hpp"
#include "text/typed_text.hpp"

namespace kolvo::test {
namespace {

using Kind = ShapedPiece::Kind;

// The places of `text` left to right, as characters.
std::u32string visualOf(std::u32string_view text, ParagraphDirection paragraph,
                        ParagraphDirection* settled = nullptr) {
  fonts::BidiOrder order;
  fonts::bidiOrder(text, paragraph, order);
  if (settled != nullptr) *settled = order.paragraph;
  std::u32string visual;
  for (const std::uint32_t i : order.visual) visual.push_back(text[i]);
  return visual;
}

TEST(BidiOrder, MixedDirectionsAndNumbersTakeTheirPlaces) {
  ParagraphDirection settled{};
  // Left to right first: the Hebrew word turns, the number after it stays
  // as typed, and both stand right of the Latin.
  EXPECT_EQ(visualOf(U"abc \u05D0\u05D1\u05D2 123", ParagraphDirection::FromText, &settled),
            U"abc 123 \u05D2\u05D1\u05D0");
  EXPECT_EQ(settled, ParagraphDirection::LeftToRight);
  // Hebrew first: the whole line turns, the Latin word and number keep
  // their own order.
  EXPECT_EQ(visualOf(U"\u05D0\u05D1 abc 12", ParagraphDirection::FromText, &settled),
            U"abc 12 \u05D1\u05D0");
  EXPECT_EQ(settled, ParagraphDirection::RightToLeft);
  // A direction given stands, whatever the text's first letter.
  EXPECT_EQ(visualOf(U"\u05D0\u05D1 c", ParagraphDirection::LeftToRight, &settled),
            U"\u05D1\u05D0 c");
  EXPECT_EQ(settled, ParagraphDirection::LeftToRight);
}

TEST(BidiOrder, TextWithoutStrongCharactersSettlesNothing) {
  ParagraphDirection settled{};
  EXPECT_EQ(visualOf(U"12 - 34", ParagraphDirection::FromText, &settled), U"12 - 34");
  EXPECT_EQ(settled, ParagraphDirection::FromText);
  EXPECT_EQ(visualOf(U"", ParagraphDirection::FromText, &settled), U"");
  EXPECT_EQ(settled, ParagraphDirection::FromText);
}

// Characters of each bidi class the quick path must tell apart: right to
// left letters and marks, left to right letters, European and Arabic
// numbers with their separators and terminators, mirrored brackets and
// other neutrals, blanks, a tab, the joiners, and the explicit marks.
constexpr std::u32string_view kBidiPool =
    U"\u0645\u0631\u062D\u0628\u0627\u0644\u064E\u0651"  // Arabic letters, two marks
    U"\u05D0\u05D1\u05D2\u05B8"                          // Hebrew letters, a point
    U"abcZ\u0915\u093F\u0E01\u0E34"                      // Latin, Devanagari, Thai
    U"0129\u0660\u0663\u06F1"                            // European, Arabic, Persian digits
    U"+-.,:/%$#\u060C\u066B"                             // separators, terminators
    U"()[]{}<>\u00AB\u00BB!?\"'*&@"                      // brackets and other neutrals
    U"    \t\u200C\u200D\u00A0"                          // blanks, a tab, joiners
    U"\u200E\u200F\u202A\u202B\u202C\u202D\u202E\u2066\u2067\u2068\u2069\u061C";

// Letters of both ways with the neutrals, marks and blanks between them
// but no number or bracket: the mixed lines the quick path resolves itself.
constexpr std::u32string_view kMixedPool =
    U"\u0645\u0631\u05D0abZ\u0915\u064E\u093F  \t.,:;!?-+%#/*&@\"'\u060C\u00A0";

// bidiOrder() against FriBidi itself: levels, places and the settled
// paragraph, on real phrases and on random mixes of every class above.
void expectSameBidi(std::u32string_view text, ParagraphDirection paragraph) {
  fonts::BidiOrder quick;
  fonts::BidiOrder full;
  fonts::bidiOrder(text, paragraph, quick);
  fonts::bidiOrderByFriBidi(text, paragraph, full);
  std::string shown;
  for (const char32_t c : text) shown += std::to_string(static_cast<unsigned>(c)) + " ";
  EXPECT_EQ(quick.levels, full.levels) << shown;
  EXPECT_EQ(quick.visual, full.visual) << shown;
  EXPECT_EQ(quick.paragraph, full.paragraph) << shown;
}

TEST(BidiOrder, QuickPathEqualsFriBidiOnRealAndMixedText) {
  const std::u32string phrases[] = {
      U"\u0644\u0627 \u064A\u0645\u0643\u0646 \u0641\u062A\u062D \u0627\u0644\u0645\u0644\u0641: (\u062E\u0637\u0623)",
      U"\u0627\u0644\u0635\u0641\u062D\u0629 12 \u0645\u0646 \u0663\u0664",
      U"\u0627\u0633\u062A\u062E\u062F\u0645 GTK+ \u0644\u0640 %s",
      U"abc, \u05D0\u05D1\u05D2! def \u05D3\u05B8 ",
      U"\u0645\u0631 abc\tdef  \u0644 . ",
      U"Version 2.4 (beta) of the file-manager, 50% done",
      U"\u05E9\u05DE\u05D5\u05E8 [\u05E7\u05D5\u05D1\u05E5] \u05D1\u05E9\u05DD...",
      U"\u0928\u092F\u093E \u092B\u093C\u094B\u0932\u094D\u0921\u0930 (2) \u092C\u0928\u093E\u090F\u0901\u0964",
      U"\u0E40\u0E1B\u0E34\u0E14\u0E41\u0E1F\u0E49\u0E21 \"%s\" \u0E44\u0E21\u0E48\u0E44\u0E14\u0E49",
      U"  \u0645\u0631\u062D\u0628\u0627  ",
      U"",
      U"\t",
  };
  for (const std::u32string& phrase : phrases) {
    for (const auto paragraph : {ParagraphDirection::LeftToRight, ParagraphDirection::RightToLeft,
                                 ParagraphDirection::FromText}) {
      expectSameBidi(phrase, paragraph);
    }
  }
  // Random mixes, most from a few classes (where the quick path applies),
  // some from all.
  std::uint64_t seed = 0x2545F4914F6CDD1DULL;
  const auto next = [&seed] {
    seed ^= seed << 13;
    seed ^= seed >> 7;
    seed ^= seed << 17;
    return seed;
  };
  for (int round = 0; round < 3000; ++round) {
    const std::size_t window = 4 + next() % (kBidiPool.size() - 4);
    const std::size_t from = next() % (kBidiPool.size() - window + 1);
    const std::u32string_view pool = round % 3 == 0   ? kBidiPool
                                     : round % 3 == 1 ? kMixedPool
                                                      : kBidiPool.substr(from, window % 12 + 1);
    std::u32string text;
    for (std::size_t n = next() % 24; n > 0; --n) text.push_back(pool[next() % pool.size()]);
    expectSameBidi(text, round % 2 == 0 ? ParagraphDirection::RightToLeft : ParagraphDirection::LeftToRight);
  }
}

// The path of the font fontconfig gives `sample`, or empty.
std::string fontPathFor(char32_t sample) {
  const std::vector<fonts::FontLocation> found =
      fonts::FontFinder().candidates(sample, FontStyle::Regular);
  for (const fonts::FontLocation& location : found) {
    try {
      fonts::FontFace face(location.path, location.index);
      if (face.outlines() == OutlineFormat::TrueType && location.index == 0) return location.path;
    } catch (const fonts::FontError&) {
    }
  }
  return {};
}

#define KOLVO_REQUIRE_FONT_FOR(sample, package)                                           \
  const std::string fontPath = fontPathFor(sample);                                      \
  if (fontPath.empty()) GTEST_SKIP() << "no TrueType font for U+" << std::hex           \
                                     << static_cast<unsigned>(sample) << " (" package ")"

// One face for every character; records the glyphs the shaper places, in
// the order it gives them.
class OneFace final : public fonts::ShapingFaces {
 public:
  explicit OneFace(const std::string& path) : face_(path, 0) {}
  std::optional<std::size_t> faceFor(char32_t c, FontStyle) override {
    return face_.glyph(c) ? std::optional<std::size_t>(0) : std::nullopt;
  }
  const fonts::FontFace& face(std::size_t) const override { return face_; }
  std::optional<FallbackGlyph> placedCode(std::size_t, std::uint32_t glyph, std::uint16_t advance,
                                          std::u32string_view characters, bool alone) override {
    placed.push_back({glyph, advance, std::u32string(characters), alone});
    return FallbackGlyph{0, static_cast<std::uint16_t>(placed.size())};
  }
  struct Placed {
    std::uint32_t glyph;
    std::uint16_t advance;
    std::u32string characters;
    bool alone;
  };
  std::vector<Placed> placed;

 private:
  fonts::FontFace face_;
};

const std::u32string kArabicWords = U"\u0645\u0631\u062D\u0628\u0627 \u0644\u0627";  // "marhaba la"

// --check sees what the conversion draws: shaped scripts that a font has
// are no characters without a glyph, and one no font has still is.
TEST(TextShaping, CheckAgreesWithTheConversionOnShapedScripts) {
  KOLVO_REQUIRE_FONT_FOR(U'\u0645', "fonts-noto-core or fonts-dejavu-core");
  TempDir dir;
  const auto input = dir / "shaped.txt";
  writeFile(input, "\u0645\u0631\u062D\u0628\u0627 hello\n");
  const CommandResult checked = runKolvo({"--check", "--escape", "-P", input.string()});
  EXPECT_EQ(checked.status, 0) << checked.err;
  EXPECT_EQ(checked.out.find("no glyph"), std::string::npos) << checked.out;
  const CommandResult converted = runKolvo({"--escape", "-P", input.string(), (dir / "out.pdf").string()});
  EXPECT_EQ(converted.err.find("shown as"), std::string::npos) << converted.err;
  // A code point no font has (unassigned in the Indic block).
  writeFile(input, "\u0984 \u0645\n");
  const CommandResult missing = runKolvo({"--check", "--escape", "-P", input.string()});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.out.find("U+0984"), std::string::npos) << missing.out;
}

TEST(TextShaping, ArabicJoinsRightToLeftWithLigatureAndBlank) {
  KOLVO_REQUIRE_FONT_FOR(U'\u0645', "fonts-noto-core or fonts-dejavu-core");
  OneFace faces(fontPath);
  ShapedText out;
  fonts::shapeText(kArabicWords, FontStyle::Regular, ParagraphDirection::FromText, faces, out);
  EXPECT_EQ(out.paragraph, ParagraphDirection::RightToLeft);
  // Left to right on the page: the second word, the blank, the first.
  ASSERT_EQ(out.pieces.size(), 3u);
  EXPECT_EQ(out.pieces[0].kind, Kind::Glyphs);
  EXPECT_EQ(out.pieces[0].begin, 6u);
  EXPECT_TRUE(out.pieces[0].rightToLeft);
  EXPECT_EQ(out.pieces[1].kind, Kind::Blank);
  EXPECT_EQ(out.pieces[2].begin, 0u);
  EXPECT_EQ(out.pieces[2].end, 5u);
  // Joined forms are not the letters' own glyphs; lam-alef is one glyph
  // that stands for both letters.
  const fonts::FontFace face(fontPath, 0);
  EXPECT_NE(faces.placed[out.glyphs[out.pieces[2].firstGlyph].glyph.code - 1U].glyph,
            *face.glyph(U'\u0627'));
  ASSERT_EQ(out.pieces[0].glyphCount, 1u);
  const OneFace::Placed& ligature = faces.placed[out.glyphs[out.pieces[0].firstGlyph].glyph.code - 1U];
  EXPECT_EQ(ligature.characters, U"\u0644\u0627");
  EXPECT_TRUE(ligature.alone);
  EXPECT_FALSE(out.glyphs[out.pieces[0].firstGlyph].spanned);
}

TEST(TextShaping, DevanagariReorderedVowelIsToldBesideItsCluster) {
  KOLVO_REQUIRE_FONT_FOR(U'\u0915', "fonts-noto-core");
  OneFace faces(fontPath);
  ShapedText out;
  // "kitab": the i vowel is drawn before the consonant it follows.
  fonts::shapeText(U"\u0915\u093F\u0924\u093E\u092C", FontStyle::Regular,
                   ParagraphDirection::FromText, faces, out);
  EXPECT_EQ(out.paragraph, ParagraphDirection::LeftToRight);
  ASSERT_EQ(out.pieces.size(), 1u);
  ASSERT_GE(out.glyphs.size(), 2u);
  EXPECT_FALSE(out.pieces[0].rightToLeft);
  EXPECT_TRUE(out.glyphs[0].spanned);
  EXPECT_EQ(out.glyphs[0].clusterBegin, 0u);
  EXPECT_EQ(out.glyphs[0].clusterEnd, 2u);
  EXPECT_FALSE(out.glyphs.back().spanned);
}

TEST(TextShaping, EdgesGiveNoGlyphsOrMissingPiecesButNeverFail) {
  KOLVO_REQUIRE_FONT_FOR(U'\u0645', "fonts-noto-core or fonts-dejavu-core");
  OneFace faces(fontPath);
  ShapedText out;
  fonts::shapeText(U"", FontStyle::Regular, ParagraphDirection::FromText, faces, out);
  EXPECT_TRUE(out.pieces.empty());
  EXPECT_TRUE(out.glyphs.empty());
  // A lone combining mark (shadda) is shaped on its own.
  fonts::shapeText(U"\u0651", FontStyle::Regular, ParagraphDirection::FromText, faces, out);
  ASSERT_EQ(out.pieces.size(), 1u);
  EXPECT_NE(out.pieces[0].kind, Kind::Blank);
  // A face without the script: every letter is a missing piece of its own.
  fonts::shapeText(U"\u0E44\u0E17", FontStyle::Regular, ParagraphDirection::FromText, faces, out);
  if (out.pieces.size() == 2) {
    EXPECT_EQ(out.pieces[0].kind, Kind::Missing);
    EXPECT_EQ(out.pieces[1].kind, Kind::Missing);
  }
}

// A character no face has is asked for again and again in real text (a
// catalogue read in the wrong charset is full of them): every time it is
// missing, as the first time, while faces picked between the asks for
// other characters keep being found, through the shaper and a character
// at a time alike.
TEST(TextShaping, ACharacterNoFontHasStaysMissingWhileOthersAreFound) {
  KOLVO_REQUIRE_FONT_FOR(U'\u0645', "fonts-noto-core or fonts-dejavu-core");
  const std::unique_ptr<FallbackFonts> fonts = fonts::makeSystemFallbackFonts({}, {});
  const char32_t unassigned = U'\U00064B79';
  const std::u32string texts[] = {U"\U00064B79", U"\u0645\u0631 \U00064B79", U"\U00064B79 \u05E9\u05DC",
                                  U"\u05E9 \U00064B79 \u0645", U"\U00064B79"};
  ShapedText out;
  for (int round = 0; round < 2; ++round) {
    for (const std::u32string& text : texts) {
      ASSERT_TRUE(fonts->shape(text, FontStyle::Regular, ParagraphDirection::FromText, out));
      std::size_t missing = 0;
      std::size_t drawn = 0;
      for (const ShapedPiece& piece : out.pieces) {
        missing += piece.kind == Kind::Missing ? 1 : 0;
        drawn += piece.kind == Kind::Glyphs ? 1 : 0;
      }
      EXPECT_EQ(missing, 1u) << round;
      // The Arabic and Hebrew words are drawn, one piece each.
      EXPECT_EQ(drawn, static_cast<std::size_t>(std::count(text.begin(), text.end(), U' '))) << round;
    }
    EXPECT_FALSE(fonts->glyph(unassigned, FontStyle::Regular));
    const std::optional<FallbackGlyph> zhe = fonts->glyph(U'\u0416', FontStyle::Regular);
    ASSERT_TRUE(zhe);
    EXPECT_EQ(fonts->character(*zhe), U'\u0416');
  }
}

TEST(TextShaping, AFontFileWithoutTheScriptLeavesItMissing) {
  KOLVO_REQUIRE_FONT_FOR(U'\u0416', "fonts-dejavu-core");
  fonts::FontFace face(fontPath, 0);
  if (face.glyph(U'\u0915')) GTEST_SKIP() << "the Cyrillic font has Devanagari too";
  const std::vector<std::string> files = {fontPath};
  const std::unique_ptr<FallbackFonts> fonts =
      fonts::makeSystemFallbackFonts(files, {.useFontconfig = false});
  ShapedText out;
  ASSERT_TRUE(fonts->shape(U"\u0915\u093F \u0416", FontStyle::Regular, ParagraphDirection::FromText, out));
  ASSERT_EQ(out.pieces.size(), 4u);
  EXPECT_EQ(out.pieces[0].kind, Kind::Missing);
  EXPECT_EQ(out.pieces[1].kind, Kind::Missing);
  EXPECT_EQ(out.pieces[2].kind, Kind::Blank);
  EXPECT_EQ(out.pieces[3].kind, Kind::Glyphs);
  // Only the Cyrillic letter was given a code.
  ASSERT_EQ(fonts->fontCount(), 1u);
  EXPECT_EQ(fonts->embed(0).glyphs.size(), 1u);
}

TEST(TextShaping, ShapedCodesCarryPositionsAndLigatureText) {
  KOLVO_REQUIRE_FONT_FOR(U'\u0645', "fonts-noto-core or fonts-dejavu-core");
  const std::vector<std::string> files = {fontPath};
  const std::unique_ptr<FallbackFonts> fonts =
      fonts::makeSystemFallbackFonts(files, {.useFontconfig = false});
  ShapedText out;
  ASSERT_TRUE(fonts->shape(kArabicWords, FontStyle::Regular, ParagraphDirection::FromText, out));
  std::uint64_t sum = 0;
  for (const ShapedGlyph& g : out.glyphs) {
    sum += g.advance;
    EXPECT_EQ(fonts->advance(g.glyph), g.advance);
  }
  EXPECT_GT(sum, 0u);
  const EmbeddedFont embedded = fonts->embed(0);
  bool ligature = false;
  for (const EmbeddedGlyph& g : embedded.glyphs) ligature |= g.characters == U"\u0644\u0627";
  EXPECT_TRUE(ligature);
  // Shaping the same text again gives no new code.
  const std::size_t codes = embedded.glyphs.size();
  ASSERT_TRUE(fonts->shape(kArabicWords, FontStyle::Regular, ParagraphDirection::FromText, out));
  EXPECT_EQ(fonts->embed(0).glyphs.size(), codes);
}

// What a reader takes from the glyphs in the order they are drawn: the
// text of a cluster told beside its glyphs once, else each glyph's own
// characters.
std::u32string readInDrawnOrder(const ShapedText& out, const OneFace& faces,
                                std::u32string_view text) {
  std::u32string read;
  std::uint32_t toldCluster = UINT32_MAX;
  for (const ShapedGlyph& g : out.glyphs) {
    if (!g.spanned) {
      read += faces.placed[g.glyph.code - 1U].characters;
    } else if (g.clusterBegin != toldCluster) {
      read += text.substr(g.clusterBegin, g.clusterEnd - g.clusterBegin);
      toldCluster = g.clusterBegin;
    }
  }
  return read;
}

// Thai stacks a vowel and a tone mark over one consonant, and fonts place
// the two in either order: whichever comes first on the page, a reader
// gets the characters back in the order they were typed.
TEST(TextShaping, StackedThaiMarksReadBackInTheirOrderInEveryFace) {
  const std::u32string text = U"\u0E17\u0E35\u0E48\u0E19\u0E35\u0E48 \u0E19\u0E49\u0E33";
  const std::vector<fonts::FontLocation> found =
      fonts::FontFinder().candidates(U'\u0E17', FontStyle::Regular);
  if (found.empty()) GTEST_SKIP() << "no font for Thai (fonts-thai-tlwg or fonts-noto-core)";
  std::size_t faces = 0;
  for (const fonts::FontLocation& location : found) {
    if (location.index != 0 || faces == 6) continue;
    std::unique_ptr<OneFace> face;
    try {
      face = std::make_unique<OneFace>(location.path);
    } catch (const fonts::FontError&) {
      continue;
    }
    ++faces;
    ShapedText out;
    fonts::shapeText(text, FontStyle::Regular, ParagraphDirection::FromText, *face, out);
    std::u32string read;
    for (const ShapedPiece& piece : out.pieces) {
      if (piece.kind != Kind::Glyphs) read += text.substr(piece.begin, piece.end - piece.begin);
      if (piece.kind != Kind::Glyphs) continue;
      ShapedText one;
      one.glyphs.assign(out.glyphs.begin() + static_cast<std::ptrdiff_t>(piece.firstGlyph),
                        out.glyphs.begin() + static_cast<std::ptrdiff_t>(piece.firstGlyph + piece.glyphCount));
      read += readInDrawnOrder(one, *face, text);
    }
    EXPECT_EQ(read, text) << location.path;
  }
}

// The store of shaped runs by itself: each run kept is found again by its
// key alone, moved to where it now stands, through the table's growth;
// keys that begin alike (each a prefix of later ones) stay apart.
TEST(ShapedWordsStore, FindsEachRunByItsKeyAloneMovedToWhereItStands) {
  fonts::ShapedWords words;
  const auto keyOf = [](std::size_t n) {
    std::u32string key = U"w";
    for (const char c : std::to_string(n)) key.push_back(static_cast<char32_t>(c));
    return key;
  };
  const auto glyphsOf = [](std::size_t n) {
    const auto at = static_cast<std::uint32_t>(100 + n % 3);
    const ShapedGlyph glyph{{0, static_cast<std::uint16_t>(n + 1)}, static_cast<std::uint32_t>(n), at, at + 1,
                            n % 2 == 0};
    return std::vector<ShapedGlyph>(1 + n % 4, glyph);
  };
  constexpr std::size_t kRuns = 5000;  // past the table's first sizes
  std::vector<ShapedGlyph> out;
  for (std::size_t n = 0; n < kRuns; ++n) {
    const std::u32string key = keyOf(n);
    ASSERT_FALSE(words.appendKept(key, 0, out)) << n;
    ASSERT_TRUE(out.empty()) << n;
    words.keep(key, 100, glyphsOf(n));
  }
  for (std::size_t n = 0; n < kRuns; ++n) {
    out.assign(1, ShapedGlyph{});  // what is there already stays
    ASSERT_TRUE(words.appendKept(keyOf(n), 7, out)) << n;
    const std::vector<ShapedGlyph> kept = glyphsOf(n);
    ASSERT_EQ(out.size(), kept.size() + 1) << n;
    for (std::size_t g = 0; g < kept.size(); ++g) {
      const ShapedGlyph& found = out[g + 1];
      EXPECT_EQ(found.glyph.code, kept[g].glyph.code) << n;
      EXPECT_EQ(found.advance, kept[g].advance) << n;
      EXPECT_EQ(found.clusterBegin, kept[g].clusterBegin - 100 + 7) << n;
      EXPECT_EQ(found.clusterEnd, kept[g].clusterEnd - 100 + 7) << n;
      EXPECT_EQ(found.spanned, kept[g].spanned) << n;
    }
  }
  out.clear();
  EXPECT_FALSE(words.appendKept(U"w", 0, out));  // the beginning of every key
  EXPECT_FALSE(words.appendKept(keyOf(kRuns), 0, out));
  EXPECT_TRUE(out.empty());
}

// A run's number names its glyphs for as long as the run lasts: when the
// store is full and starts again, a run kept where an earlier one was is
// not given that one's number, so nothing built for the old run is taken
// for the new.
TEST(ShapedWordsStore, NoNumberIsGivenTwiceThroughARestart) {
  fonts::ShapedWords words;
  const std::vector<ShapedGlyph> glyph(1, ShapedGlyph{{0, 1}, 1, 0, 1, false});
  std::set<std::uint64_t> numbers;
  constexpr std::size_t kRuns = (std::size_t{1} << 17U) + 2;  // past the store's bound on runs
  std::vector<ShapedGlyph> out;
  for (std::size_t n = 0; n < kRuns; ++n) {
    const std::u32string key = U"w" + std::u32string(1, static_cast<char32_t>(0x10000 + n));
    const std::uint64_t number = words.keep(key, 0, glyph);
    ASSERT_NE(number, 0U) << n;
    ASSERT_TRUE(numbers.insert(number).second) << n;
  }
  // The first runs went with the restart; the last are still found.
  EXPECT_EQ(words.appendKept(U"w\U00010000", 0, out), 0U);
  EXPECT_NE(words.appendKept(U"w" + std::u32string(1, static_cast<char32_t>(0x10000 + kRuns - 1)), 0, out), 0U);
}

// The same face, keeping shaped words.
class OneFaceKeepingWords final : public fonts::ShapingFaces {
 public:
  explicit OneFaceKeepingWords(const std::string& path) : faces_(path) {}
  std::optional<std::size_t> faceFor(char32_t c, FontStyle style) override { return faces_.faceFor(c, style); }
  const fonts::FontFace& face(std::size_t f) const override { return faces_.face(f); }
  fonts::ShapedWords* shapedWords() override { return &words_; }
  std::optional<FallbackGlyph> placedCode(std::size_t f, std::uint32_t glyph, std::uint16_t advance,
                                          std::u32string_view characters, bool alone) override {
    return faces_.placedCode(f, glyph, advance, characters, alone);
  }
  OneFace faces_;

 private:
  fonts::ShapedWords words_;
};

// The glyphs of `first`, shaped in `fresh`, are those of `again`, shaped
// in `kept`: the same font glyphs, advances and clusters.
void expectSameGlyphs(const OneFace& fresh, const ShapedText& first, const OneFace& kept,
                      const ShapedText& again) {
  ASSERT_EQ(first.glyphs.size(), again.glyphs.size());
  for (std::size_t i = 0; i < first.glyphs.size(); ++i) {
    const ShapedGlyph& a = first.glyphs[i];
    const ShapedGlyph& b = again.glyphs[i];
    EXPECT_EQ(fresh.placed[a.glyph.code - 1U].glyph, kept.placed[b.glyph.code - 1U].glyph) << i;
    EXPECT_EQ(a.advance, b.advance) << i;
    EXPECT_EQ(a.clusterBegin, b.clusterBegin) << i;
    EXPECT_EQ(a.clusterEnd, b.clusterEnd) << i;
    EXPECT_EQ(a.spanned, b.spanned) << i;
  }
}

TEST(TextShaping, KeptWordsShapeAsTheFirstTime) {
  KOLVO_REQUIRE_FONT_FOR(U'\u0645', "fonts-noto-core or fonts-dejavu-core");
  // Words between blanks come from the store the second time; a word
  // joined to its neighbour by a font change would not.
  const std::u32string text = kArabicWords + U" " + kArabicWords + U" \u0645\u0651\u0631 " + kArabicWords;
  OneFace fresh(fontPath);
  OneFaceKeepingWords keeping(fontPath);
  ShapedText first;
  ShapedText again;
  fonts::shapeText(text, FontStyle::Regular, ParagraphDirection::FromText, fresh, first);
  fonts::shapeText(text, FontStyle::Regular, ParagraphDirection::FromText, keeping, again);
  ASSERT_EQ(first.glyphs.size(), again.glyphs.size());
  ASSERT_EQ(first.pieces.size(), again.pieces.size());
  expectSameGlyphs(fresh, first, keeping.faces_, again);
}

// Runs between blanks and runs that touch a number, a bracket or a letter
// of another direction, each said more than once: the store gives the
// glyphs, places and clusters that shaping every run anew gives, in
// either paragraph direction, and is used for the runs in context too.
TEST(TextShaping, KeptRunsInContextShapeAsTheFirstTime) {
  KOLVO_REQUIRE_FONT_FOR(U'\u0645', "fonts-noto-core or fonts-dejavu-core");
  const std::u32string once = kArabicWords + U"12 (" + kArabicWords + U") abc" + kArabicWords +
                              U" \u0644\u0627\u0660\u0661 \u0645\u0651\u0631\u060C" + kArabicWords;
  const std::u32string text = once + U" " + once + U" " + once;
  for (const auto paragraph : {ParagraphDirection::RightToLeft, ParagraphDirection::LeftToRight}) {
    OneFace fresh(fontPath);
    OneFaceKeepingWords keeping(fontPath);
    ShapedText first;
    ShapedText again;
    fonts::shapeText(text, FontStyle::Regular, paragraph, fresh, first);
    fonts::shapeText(text, FontStyle::Regular, paragraph, keeping, again);
    ASSERT_EQ(first.glyphs.size(), again.glyphs.size());
    ASSERT_EQ(first.pieces.size(), again.pieces.size());
    EXPECT_EQ(first.paragraph, again.paragraph);
    for (std::size_t i = 0; i < first.pieces.size(); ++i) {
      EXPECT_EQ(first.pieces[i].begin, again.pieces[i].begin) << i;
      EXPECT_EQ(first.pieces[i].kind, again.pieces[i].kind) << i;
      EXPECT_EQ(first.pieces[i].glyphCount, again.pieces[i].glyphCount) << i;
    }
    expectSameGlyphs(fresh, first, keeping.faces_, again);
    // Only the first of the three sayings was shaped, context and all.
    EXPECT_LE(keeping.faces_.placed.size() * 2, fresh.placed.size());
  }
}

// The same face telling the text of the clusters its glyphs do not tell
// through codes of their own, as PostScript's fonts do.
class OneFaceTellingPieces final : public fonts::ShapingFaces {
 public:
  explicit OneFaceTellingPieces(const std::string& path) : faces_(path) {}
  std::optional<std::size_t> faceFor(char32_t c, FontStyle style) override { return faces_.faceFor(c, style); }
  const fonts::FontFace& face(std::size_t f) const override { return faces_.face(f); }
  std::optional<FallbackGlyph> placedCode(std::size_t f, std::uint32_t glyph, std::uint16_t advance,
                                          std::u32string_view characters, bool alone) override {
    return faces_.placedCode(f, glyph, advance, characters, alone);
  }
  bool clusterTextInCodes() const override { return true; }
  std::optional<FallbackGlyph> pieceCode(std::size_t f, std::uint32_t glyph, std::uint16_t advance,
                                         std::u32string_view characters, std::uint16_t box) override {
    ++pieces;
    const std::optional<FallbackGlyph> code = faces_.placedCode(f, glyph, advance, characters, true);
    if (box != 0) boxes[code->code] = box;
    return code;
  }
  OneFace faces_;
  std::size_t pieces = 0;
  std::map<std::uint16_t, std::uint16_t> boxes;  // by code, of the pieces given one
};

// What a reader that knows no spans takes from the codes in drawn order.
std::u32string codesInDrawnOrder(const ShapedText& out, const OneFace& faces) {
  std::u32string read;
  for (const ShapedGlyph& g : out.glyphs) read += faces.placed[g.glyph.code - 1U].characters;
  return read;
}

// A vowel drawn before its consonant (Devanagari), and one drawn in two
// parts round it (Tamil, three glyphs for two characters): each glyph
// tells a piece of the cluster in the order drawn, the extra glyph none,
// and the glyphs stay spanned, so PDF readers still get the cluster's text
// from the span. A cluster of one glyph asks for no piece.
TEST(TextShaping, PiecesOfAClusterTellItInTheOrderDrawn) {
  struct Sample {
    char32_t letter;
    std::u32string text;
    std::size_t silent;  // glyphs that tell nothing
    bool firstSpanned;   // the first cluster's glyphs do not tell it by themselves
  };
  const std::vector<Sample> samples = {
      {U'\u0915', U"\u0915\u093F\u0924\u093E\u092C", 0, true},  // kitab
      {U'\u0B95', U"\u0BA4\u0BCA\u0B95\u0BC1", 1, true},        // tokhu
      // "lenden"'s "de": the e sign is set a little left of its own place,
      // which ps2pdf draws as an offset; it tells nothing, its letter both.
      {U'\u0915', U"\u0926\u0947\u0928", 1, false},
  };
  for (const Sample& sample : samples) {
    const std::string path = fontPathFor(sample.letter);
    if (path.empty()) continue;
    OneFaceTellingPieces faces(path);
    ShapedText out;
    fonts::shapeText(sample.text, FontStyle::Regular, ParagraphDirection::FromText, faces, out);
    EXPECT_EQ(codesInDrawnOrder(out, faces.faces_), sample.text) << path;
    EXPECT_GT(faces.pieces, 0u) << path;
    std::size_t silent = 0;
    for (const ShapedGlyph& g : out.glyphs) {
      if (faces.faces_.placed[g.glyph.code - 1U].characters.empty()) ++silent;
      EXPECT_EQ(g.spanned, sample.firstSpanned && g.clusterBegin == 0) << path;
    }
    EXPECT_EQ(silent, sample.silent) << path;
  }
  KOLVO_REQUIRE_FONT_FOR(U'\u0645', "fonts-noto-core or fonts-dejavu-core");
  OneFaceTellingPieces arabic(fontPath);
  ShapedText out;
  fonts::shapeText(kArabicWords, FontStyle::Regular, ParagraphDirection::FromText, arabic, out);
  EXPECT_EQ(arabic.pieces, 0u);
}

// A reader gives each glyph a box as wide as the program's advance and
// drops one that tells nothing; where the box falls short of the next
// glyph that tells a piece by as much as a blank, the glyph's box reaches
// there. Bengali "kon" (a vowel drawn round its consonant, its right part
// silent), Bengali "tu" (a sign set off its own advance of none), a mark
// close enough to need nothing, and glyphs that tell no piece.
TEST(TextShaping, AGlyphsBoxReachesToTheNextGlyphThatTellsAPiece) {
  const auto piece = [](std::uint32_t cluster, std::uint32_t from, std::uint32_t to) {
    fonts::PlacedGlyph p{0, cluster, 0};
    p.mapsFrom = from;
    p.mapsTo = to;
    p.piece = true;
    return p;
  };
  const auto alone = [](std::uint32_t cluster) {
    fonts::PlacedGlyph p{0, cluster, 0};
    p.mapsFrom = cluster;
    p.mapsTo = cluster + 1;
    return p;
  };
  struct Sample {
    const char* what;
    std::vector<fonts::PlacedGlyph> placed;
    std::vector<std::uint16_t> advances;  // drawn
    std::vector<std::uint16_t> widths;    // the program's
    std::vector<std::uint16_t> boxes;
  };
  const std::vector<Sample> samples = {
      {"two-part vowel", {piece(0, 0, 1), piece(0, 1, 2), piece(0, 2, 2), alone(2)},
       {346, 807, 266, 604}, {346, 807, 266, 604}, {0, 1073, 0, 0}},
      {"two silent parts", {piece(0, 0, 2), piece(0, 2, 2), piece(0, 2, 2)}, {500, 60, 60}, {500, 0, 0}, {620, 0, 0}},
      {"sign set off", {alone(0), piece(1, 1, 2), piece(1, 2, 3), alone(3)},
       {604, 599, 108, 604}, {604, 707, 0, 604}, {0, 0, 108, 0}},
      {"close mark", {piece(0, 0, 2), piece(0, 2, 2)}, {550, 50}, {600, 0}, {0, 0}},
      {"a silent part's next cluster", {piece(0, 0, 2), piece(0, 2, 2), piece(2, 2, 3), piece(2, 3, 4)},
       {400, 300, 200, 200}, {400, 300, 200, 200}, {700, 0, 0, 0}},
      {"no pieces", {alone(0), alone(1)}, {100, 900}, {500, 0}, {0, 0}},
  };
  for (const Sample& sample : samples) {
    EXPECT_EQ(fonts::glyphBoxes(sample.placed, sample.advances, sample.widths), sample.boxes) << sample.what;
  }
}

// Tamil "kondu": the consonant of the vowel drawn round it tells the vowel
// sign, and its box reaches over the silent right part to the next glyph.
TEST(TextShaping, TheLetterInsideATwoPartVowelIsBoxedOverTheSilentPart) {
  KOLVO_REQUIRE_FONT_FOR(U'\u0B95', "fonts-noto-core");
  OneFaceTellingPieces faces(fontPath);
  ShapedText out;
  fonts::shapeText(U"\u0B95\u0BCA\u0BA3\u0BCD\u0B9F\u0BC1", FontStyle::Regular, ParagraphDirection::FromText,
                   faces, out);
  ASSERT_GE(out.glyphs.size(), 3u);
  EXPECT_EQ(codesInDrawnOrder(out, faces.faces_), U"\u0B95\u0BCA\u0BA3\u0BCD\u0B9F\u0BC1");
  const auto boxed = faces.boxes.find(out.glyphs[1].glyph.code);
  ASSERT_NE(boxed, faces.boxes.end());
  EXPECT_TRUE(faces.faces_.placed[out.glyphs[2].glyph.code - 1U].characters.empty());  // the silent part
  EXPECT_EQ(boxed->second, out.glyphs[1].advance + out.glyphs[2].advance);
  EXPECT_EQ(faces.boxes.size(), 1u);
}

// Khmer "kie": the vowel's left and right parts are as wide, and the right
// one is silent, for no glyph is left of the left one to reach over it.
TEST(TextShaping, TheLeftmostGlyphOfAClusterTellsAPiece) {
  KOLVO_REQUIRE_FONT_FOR(U'\u1780', "fonts-noto-core");
  OneFaceTellingPieces faces(fontPath);
  ShapedText out;
  fonts::shapeText(U"\u1780\u17C0", FontStyle::Regular, ParagraphDirection::FromText, faces, out);
  ASSERT_EQ(out.glyphs.size(), 3u);
  ASSERT_EQ(out.glyphs[0].advance, out.glyphs[2].advance);  // the face this was written for
  EXPECT_EQ(codesInDrawnOrder(out, faces.faces_), U"\u1780\u17C0");
  EXPECT_FALSE(faces.faces_.placed[out.glyphs[0].glyph.code - 1U].characters.empty());
  EXPECT_TRUE(faces.faces_.placed[out.glyphs[2].glyph.code - 1U].characters.empty());
  EXPECT_EQ(faces.boxes.count(out.glyphs[1].glyph.code), 1u);
}

// The copy that gives a code its box: a glyph of its own, drawn as the
// original, its advance the box; one copy per glyph and box; the other
// codes keep their glyphs. A file whose tables do not hold together gets
// no copies.
TEST(TextShaping, ABoxedCodeIsDrawnByACopyOfItsGlyphAsWideAsTheBox) {
  KOLVO_REQUIRE_FONT_FOR(U'\u0B95', "fonts-noto-core");
  const fonts::FontFace face(fontPath, 0);
  const std::uint32_t ka = *face.glyph(U'\u0B95');
  const std::uint32_t aa = *face.glyph(U'\u0BBE');
  const std::uint16_t own = face.advance(ka);
  const std::vector<std::uint32_t> glyphs = {ka, ka, aa, ka};
  const std::vector<std::uint16_t> advances = {own, own, face.advance(aa), own};
  const std::vector<std::uint16_t> boxes = {0, static_cast<std::uint16_t>(own + 600), 0,
                                            static_cast<std::uint16_t>(own + 600)};
  const fonts::Subset subset = fonts::subsetFace(face, glyphs, advances, boxes);
  ASSERT_TRUE(subset.boxed);
  EXPECT_NE(subset.glyphs[1], subset.glyphs[0]);
  EXPECT_EQ(subset.glyphs[1], subset.glyphs[3]);
  TempDir dir;
  writeFile(dir / "boxed.ttf", subset.program);
  const fonts::FontFace boxed((dir / "boxed.ttf").string(), 0);
  EXPECT_EQ(boxed.advance(subset.glyphs[0]), own);
  EXPECT_EQ(boxed.advance(subset.glyphs[1]), own + 600);
  EXPECT_EQ(boxed.advance(subset.glyphs[2]), face.advance(aa));
  EXPECT_EQ(boxed.glyph(U'\u0B95'), subset.glyphs[0]);
  hb_glyph_extents_t original{};
  hb_glyph_extents_t copy{};
  ASSERT_TRUE(hb_font_get_glyph_extents(boxed.font(), subset.glyphs[0], &original));
  ASSERT_TRUE(hb_font_get_glyph_extents(boxed.font(), subset.glyphs[1], &copy));
  EXPECT_EQ(copy.x_bearing, original.x_bearing);
  EXPECT_EQ(copy.width, original.width);
  EXPECT_EQ(copy.height, original.height);
  EXPECT_GT(copy.width, 0);
  // The same subset without boxes is the program PDF embeds, unchanged.
  const fonts::Subset plain = fonts::subsetFace(face, glyphs, advances);
  EXPECT_FALSE(plain.boxed);
  EXPECT_EQ(fonts::subsetFace(face, glyphs, advances, std::vector<std::uint16_t>(4, 0)).program, plain.program);
  const std::vector<fonts::GlyphCopy> copies = {{1, 900}};
  EXPECT_FALSE(fonts::withGlyphCopies(plain.program.substr(0, 40), copies));
  EXPECT_FALSE(fonts::withGlyphCopies(plain.program, std::vector<fonts::GlyphCopy>{{0xFFF0, 900}}));
}

// PostScript's font names a code that tells nothing "silent" and gives it
// U+0000, which readers drop, where without any they would take the code
// for a character; its pieces tell the rest.
TEST(TextShaping, PostScriptNamesTheSilentGlyphAndItsPieces) {
  KOLVO_REQUIRE_FONT_FOR(U'\u0B95', "fonts-noto-core");
  const std::vector<std::string> files = {fontPath};
  const std::unique_ptr<FallbackFonts> fonts =
      fonts::makeSystemFallbackFonts(files, {.useFontconfig = false, .clusterTextInCodes = true});
  const std::string doc = convertText("\u0BA4\u0BCA\u0B95\u0BC1\n", Format::PostScript, 's', nullptr,
                                      TextMode::Typed, nullptr, fonts.get());
  EXPECT_NE(doc.find("/silent <0000>"), std::string::npos) << doc.substr(0, 2000);
  EXPECT_NE(doc.find("/FontInfo << /GlyphNames2Unicode <<"), std::string::npos);
  // The span is still there for a distiller that keeps it where readers look.
  EXPECT_NE(doc.find("/ActualText <FEFF0BA40BCA>"), std::string::npos);
  // PDF's codes are as they were: the span tells the cluster.
  const std::unique_ptr<FallbackFonts> pdfFonts =
      fonts::makeSystemFallbackFonts(files, {.useFontconfig = false});
  const std::string pdf = convertText("\u0BA4\u0BCA\u0B95\u0BC1\n", Format::Pdf, 's', nullptr,
                                      TextMode::Typed, nullptr, pdfFonts.get());
  EXPECT_EQ(pdf.find("silent"), std::string::npos);
}

// hb-shape's glyph ids of `text` in the font at `path` in the order of
// their places from the left (its pen plus each glyph's offset), which is
// the order the writers draw them in: a mark HarfBuzz sets left of the
// one before it in its buffer is drawn first.
std::vector<std::uint32_t> hbShapeGlyphs(const std::string& path, const std::string& text) {
  const CommandResult shaped = runCommand({"hb-shape", "--no-glyph-names", "--no-clusters", path, text});
  std::vector<std::pair<long, std::uint32_t>> placed;  // place, glyph
  long pen = 0;
  std::istringstream items(shaped.out.substr(shaped.out.find('[') + 1));
  for (std::string item; std::getline(items, item, '|');) {
    // "GLYPH[@DX,DY]+ADVANCE", the last item ending in "]".
    const std::size_t at = item.find('@');
    const std::size_t plus = item.find('+');
    if (plus == std::string::npos) continue;
    const long dx = at == std::string::npos ? 0 : std::stol(item.substr(at + 1));
    placed.emplace_back(pen + dx, static_cast<std::uint32_t>(std::stoul(item)));
    pen += std::stol(item.substr(plus + 1));
  }
  std::stable_sort(placed.begin(), placed.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::uint32_t> glyphs;
  for (const auto& [place, glyph] : placed) glyphs.push_back(glyph);
  return glyphs;
}

// A word of each shaped script (the catalogues' words; Hebrew pointed),
// shaped in the face fontconfig gives its first letter: the glyphs drawn
// are HarfBuzz's own, at its places.
// The x of each string a line's text objects (PDF) or moves (PostScript)
// put on the page, in the order written.
std::vector<int> placesOf(const std::string& doc, Format format) {
  const std::regex place(format == Format::Pdf ? "Tf (\\d+) \\d+ Td" : "\n(\\d+) \\d+ moveto");
  std::vector<int> xs;
  for (std::sregex_iterator m(doc.begin(), doc.end(), place), end; m != end; ++m) {
    xs.push_back(std::stoi((*m)[1]));
  }
  return xs;
}

TEST(TextShaping, StretchesBetweenTagsStandInTheOrderShown) {
  KOLVO_REQUIRE_FONT_FOR(U'\u05D0', "fonts-noto-core or fonts-dejavu-core");
  const std::vector<std::string> files = {fontPath};
  for (const Format format : {Format::Pdf, Format::PostScript}) {
    for (const PaperSize* paper : {static_cast<const PaperSize*>(nullptr), findPaperSize("a4")}) {
      SCOPED_TRACE(std::string(formatName(format)) + (paper != nullptr ? " on A4" : ""));
      const auto places = [&](std::string_view line) {
        const std::unique_ptr<FallbackFonts> fonts =
            fonts::makeSystemFallbackFonts(files, {.useFontconfig = false});
        const std::string doc =
            convertText(line, format, 's', nullptr, TextMode::Typed, paper, fonts.get());
        return placesOf(doc, format);
      };
      // A right-to-left line: its first stretch is the rightmost, and the
      // line ends at the right margin.
      const std::vector<int> rtl = places("אבג %bsדהו%be זחט\n");
      ASSERT_EQ(rtl.size(), 3U);
      EXPECT_GT(rtl[0], rtl[1]);
      EXPECT_GT(rtl[1], rtl[2]);
      EXPECT_GT(rtl[0], 450);
      // A left-to-right line: two Hebrew stretches side by side are read
      // from the right, the Latin ones round them stay in place.
      const std::vector<int> ltr = places("abc %bsאבג%be%isדהו%ie def\n");
      ASSERT_EQ(ltr.size(), 4U);
      EXPECT_LT(ltr[0], ltr[2]);
      EXPECT_LT(ltr[2], ltr[1]);
      EXPECT_LT(ltr[1], ltr[3]);
      // Left to right throughout: one string, as before.
      EXPECT_EQ(places("abc %bsdef%be ghi\n").size(), 1U);
      // After a line with a link, which PDF covers: the stretches cover none.
      EXPECT_EQ(places("https://x.org/\nאבג %bsדהו%be זחט\n").size(), 4U);
    }
  }
}

// A word said again is written from the run built the first time, but
// only in the font in force it was built in: the same word in bold goes
// back to the bold font, in another size to that size, and the regular
// word after the bold one is the regular word's bytes again.
TEST(TextShaping, AWordWrittenAgainReturnsToTheFontInForceOfItsOwnPlace) {
  KOLVO_REQUIRE_FONT_FOR(U'\u05D0', "fonts-noto-core or fonts-dejavu-core");
  const std::vector<std::string> files = {fontPath};
  const std::string line = "אבג %bsאבג%be אבג %Bsאבג\n";
  for (const Format format : {Format::Pdf, Format::PostScript}) {
    SCOPED_TRACE(formatName(format));
    const std::unique_ptr<FallbackFonts> fonts =
        fonts::makeSystemFallbackFonts(files, {.useFontconfig = false});
    const std::string doc = convertText(line, format, 's', nullptr, TextMode::Typed, nullptr, fonts.get());
    // Each run's codes and the font it returns to, in the order written.
    const std::regex run(format == Format::Pdf ? "<([0-9a-f]+)> Tj (/F\\d+ \\d+) Tf"
                                               : "<([0-9a-f]+)> show (/[A-Za-z-]+ \\d+) selectfont");
    std::vector<std::pair<std::string, std::string>> runs;
    for (std::sregex_iterator m(doc.begin(), doc.end(), run), end; m != end; ++m) {
      runs.emplace_back((*m)[1], (*m)[2]);
    }
    ASSERT_EQ(runs.size(), 4U) << doc;
    const bool pdf = format == Format::Pdf;
    EXPECT_EQ(runs[0].second, pdf ? "/F1 12" : "/Times-Roman 12");
    EXPECT_EQ(runs[1].second, pdf ? "/F2 12" : "/Times-Bold 12");
    EXPECT_EQ(runs[2], runs[0]);
    EXPECT_EQ(runs[3].second, pdf ? "/F1 16" : "/Times-Roman 16");
    for (const auto& [codes, font] : runs) EXPECT_EQ(codes, runs[0].first);
  }
}

// Among right-to-left words, a Latin word, brackets and a number that the
// text font shows are written in it, as they are outside the stretch, not
// in the face that shapes the Hebrew; a Latin word with a letter the text
// font lacks is still drawn whole in the fallback face.
TEST(TextShaping, LatinAmongRightToLeftWordsStaysInTheTextFont) {
  KOLVO_REQUIRE_FONT_FOR(U'\u05D0', "fonts-noto-core or fonts-dejavu-core");
  const std::vector<std::string> files = {fontPath};
  const std::string line = "שלום abc (def) 123 Vi\u1EC7t שלום\n";
  for (const Format format : {Format::Pdf, Format::PostScript}) {
    SCOPED_TRACE(formatName(format));
    const std::unique_ptr<FallbackFonts> fonts =
        fonts::makeSystemFallbackFonts(files, {.useFontconfig = false});
    const std::string doc = convertText(line, format, 's', nullptr, TextMode::Typed, nullptr, fonts.get());
    const std::string textFont = format == Format::Pdf ? "/F1 12 Tf" : "/Times-Roman 12 selectfont";
    EXPECT_NE(doc.find(textFont + " ( abc \\(def\\) 123 )"), std::string::npos) << doc;
    // The three words of fallback runs: two Hebrew, one Vietnamese.
    const std::regex run(format == Format::Pdf ? "<([0-9a-f]+)> Tj" : "<([0-9a-f]+)> show");
    EXPECT_EQ(std::distance(std::sregex_iterator(doc.begin(), doc.end(), run), std::sregex_iterator()), 3);
  }
}

TEST(TextShaping, ARightToLeftLineWithTagsBreaksInTheOrderItIsRead) {
  KOLVO_REQUIRE_FONT_FOR(U'\u05D0', "fonts-noto-core or fonts-dejavu-core");
  const std::vector<std::string> files = {fontPath};
  std::string line = "אבג %bsדהו%be";
  for (int i = 0; i < 60; ++i) line += " זחט";
  line += " %isיכל%ie\n";
  for (const Format format : {Format::Pdf, Format::PostScript}) {
    SCOPED_TRACE(formatName(format));
    const std::unique_ptr<FallbackFonts> fonts =
        fonts::makeSystemFallbackFonts(files, {.useFontconfig = false});
    const std::string doc = convertText(line, format, 's', nullptr, TextMode::Typed,
                                        findPaperSize("a4"), fonts.get());
    // Each string's place, in the order written.
    const std::regex place(format == Format::Pdf ? "Tf (\\d+) (\\d+) Td" : "\n(\\d+) (\\d+) moveto");
    std::vector<std::pair<int, int>> xy;  // baseline, x
    for (std::sregex_iterator m(doc.begin(), doc.end(), place), end; m != end; ++m) {
      xy.emplace_back(std::stoi((*m)[2]), std::stoi((*m)[1]));
    }
    ASSERT_GE(xy.size(), 4U) << doc;
    // The first printed line holds the first stretch, at its right end,
    // the bold word left of it, and the start of the third.
    const int top = xy.front().first;
    EXPECT_TRUE(std::is_sorted(xy.begin(), xy.end(),
                               [](const auto& a, const auto& b) { return a.first > b.first; }));
    ASSERT_EQ(std::count_if(xy.begin(), xy.end(), [&](const auto& p) { return p.first == top; }), 3);
    EXPECT_GT(xy[0].second, xy[1].second);
    EXPECT_GT(xy[1].second, xy[2].second);
    // The last line holds the end of the third stretch and the italic
    // word, left of it: the line's last words.
    const std::size_t n = xy.size();
    EXPECT_EQ(xy[n - 1].first, xy[n - 2].first);
    EXPECT_LT(xy[n - 1].second, xy[n - 2].second);
  }
}

TEST(ShapingReaders, GlyphsEqualHarfBuzzsOwnShaping) {
  KOLVO_REQUIRE_TOOL("hb-shape");
  const std::vector<std::string> samples = {
      "\u0645\u0631\u062D\u0628\u0627",            // Arabic
      "\u05E9\u05C1\u05B8\u05DC\u05D5\u05B9\u05DD",  // Hebrew, pointed
      "\u06AF\u0630\u0631\u0648\u0627\u0698\u0647",  // Persian
      "\u0928\u092E\u0938\u094D\u0924\u0947",       // Devanagari
      "\u09AA\u09BE\u09B8\u0993\u09AF\u09BC\u09BE\u09B0\u09CD\u09A1",  // Bengali
      "\u0B95\u0BCB\u0BAA\u0BCD\u0BAA\u0BC1\u0B95\u0BB3\u0BCD",        // Tamil
      "\u0E19\u0E49\u0E33\u0E17\u0E35\u0E48\u0E19\u0E35\u0E48",        // Thai
      "\u1796\u17B6\u1780\u17D2\u1799\u179F\u1798\u17D2\u1784\u17B6\u178F\u17CB",  // Khmer
      "\u10DE\u10D0\u10E0\u10DD\u10DA\u10D8",       // Georgian
      "\u0544\u0561\u057F\u0579\u0565\u056C\u056B",  // Armenian
      "\u1218\u1320\u1240\u121A\u12EB",             // Amharic
  };
  std::size_t shaped = 0;
  for (const std::string& utf8 : samples) {
    std::u32string text;
    for (std::size_t at = 0; at < utf8.size();) text.push_back(nextCodePoint(utf8, at));
    const std::string path = fontPathFor(text[0]);
    if (path.empty()) {
      std::cout << "no TrueType font for U+" << std::hex << static_cast<unsigned>(text[0]) << std::dec << "\n";
      continue;
    }
    OneFace faces(path);
    ShapedText out;
    fonts::shapeText(text, FontStyle::Regular, ParagraphDirection::FromText, faces, out);
    std::vector<std::uint32_t> ours;
    for (const ShapedGlyph& g : out.glyphs) ours.push_back(faces.placed[g.glyph.code - 1U].glyph);
    EXPECT_EQ(ours, hbShapeGlyphs(path, utf8)) << utf8 << " in " << path;
    ++shaped;
  }
  if (shaped == 0) GTEST_SKIP() << "no font for any of the scripts (install fonts-noto-core)";
}

// Converts the catalogue text of each of `languages` to `format` and checks
// that pdftotext gives at least 98% of its characters back (PostScript
// through ps2pdf); how many languages it judged (one without a font or
// catalogue is passed over).
std::size_t judgeReadBack(Format format, std::initializer_list<const char*> languages) {
  std::size_t judged = 0;
  for (const char* language : languages) {
    const std::vector<std::string> lines = catalogueLines(language, 200);
    if (lines.size() < 20) continue;
    TempDir dir;
    std::string input;
    for (const std::string& line : lines) input += line + "\n";
    writeFile(dir / "in.txt", input);
    const bool pdf = format == Format::Pdf;
    const std::string out = (dir / (pdf ? "out.pdf" : "out.ps")).string();
    const CommandResult run = runKolvo({"--escape", pdf ? "pdf" : "ps", (dir / "in.txt").string(), out});
    EXPECT_EQ(run.status, 0) << language << ": " << run.err;
    if (run.status != 0 || !run.err.empty()) continue;  // a font is missing: said in the warning
    if (!pdf) runCommand({"ps2pdf", out, (dir / "out.pdf").string()});
    const std::string back = runCommand({"pdftotext", (dir / "out.pdf").string(), "-"}).out;
    const std::map<char32_t, std::size_t> wanted = characterCounts(input);
    std::map<char32_t, std::size_t> got = characterCounts(back);
    std::size_t total = 0;
    std::size_t found = 0;
    for (const auto& [c, n] : wanted) {
      total += n;
      found += std::min(n, got[c]);
    }
    EXPECT_GE(found * 100, total * 98) << language << ": " << found << " of " << total;
    ++judged;
  }
  return judged;
}

TEST(ShapingReaders, PdftotextGivesTheTranslationsBack) {
  for (const char* tool : {"pdftotext", "msgunfmt"}) KOLVO_REQUIRE_TOOL(tool);
  if (judgeReadBack(Format::Pdf, {"ar", "he", "fa", "hi", "bn", "ta", "th", "km"}) == 0) {
    GTEST_SKIP() << "no catalogues or fonts for the shaped scripts (install fonts-noto-core)";
  }
}

TEST(ShapingReaders, Ps2pdfKeepsTheRightToLeftTranslations) {
  for (const char* tool : {"pdftotext", "msgunfmt", "ps2pdf"}) KOLVO_REQUIRE_TOOL(tool);
  if (judgeReadBack(Format::PostScript, {"ar", "he", "fa"}) == 0) {
    GTEST_SKIP() << "no catalogues or fonts for Arabic or Hebrew (install fonts-noto-core)";
  }
}

}  // namespace
}  // namespace kolvo::test
