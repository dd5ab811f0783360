// Typed LaTeX's scripts of their own: each run switched in place, the
// family of a CJK run, what the first reading finds, and a preamble that
// loads only what the text has.
#include "text/latex_scripts.hpp"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "driver/conversion.hpp"
#include "support/typed_document.hpp"
#include "text/latex_text.hpp"
#include "text/latex_unicode.hpp"
#include "writers/flowing_writer.hpp"

namespace kolvo::test {
namespace {

std::string escaped(std::string_view typed, EscapeStats& stats) {
  return escapedBy(escapeLatexText, typed, stats);
}

#define T2A(text) "{\\fontencoding{T2A}\\selectfont " text "}"
#define LGR(text) "{\\fontencoding{LGR}\\selectfont " text "}"
#define T5(text) "{\\fontencoding{T5}\\selectfont " text "}"
#define CJK(family, text) "\\begin{CJK}{UTF8}{" family "}" text "\\end{CJK}"

TEST(LatexScripts, EachRunIsSwitchedInPlace) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      // Blanks join a run only between two of its letters; punctuation and
      // tags end it, so no group of the tags is cut.
      {"Ну, привет мир  ok\n", T2A("Ну") ", " T2A("привет мир") "  ok\n"},
      {"%bsЖир%be ный", "%bs" T2A("Жир") "%be " T2A("ный")},
      {"Ёё Ґґ Ӂ", T2A("Ёё Ґґ Ӂ")},
      // A Greek word with an accent is set in LGR whole; the basic letters
      // alone keep their math symbols and Latin capitals.
      {"Καλημέρα κόσμε", LGR("Καλημέρα κόσμε")},
      {"ἄνθρωπος", LGR("ἄνθρωπος")},
      {"α Α-β", "\\ensuremath{\\alpha} A-\\ensuremath{\\beta}"},
      {"αβ Α", LGR("αβ Α")},
      {"Tiếng Việt Ơ", "Ti" T5("ế") "ng Vi" T5("ệ") "t " T5("Ơ")},
      // CJK by the line: kana make it Japanese, Hangul Korean, else Chinese.
      {"中文 测试。", CJK("gbsn", "中文 测试。")},
      {"日本語のテスト", CJK("min", "日本語のテスト")},
      {"한국어 漢字", CJK("mj", "한국어 漢字")},
      // A Han character the Chinese fonts lack (page U+9Dxx) takes the next family.
      {"中鴀", CJK("gbsn", "中") CJK("min", "鴀")},
      {"ＡＢ１", CJK("gbsn", "ＡＢ１")},
  };
  EscapeStats stats;
  for (const auto& [typed, latex] : cases) EXPECT_EQ(escaped(typed, stats), latex) << typed;
  EXPECT_EQ(stats.missingGlyphs, 0U);
  // No encoding here: Hebrew, CJK Extension A (no subfont), Cyrillic beyond T2A.
  EXPECT_EQ(escaped("א㐀Ԁ", stats), "???");
  EXPECT_EQ(stats.missingGlyphs, 3U);
  for (std::string_view typed : {"Жи%bs", "%g1α%ps中", "a%%Ж%"}) {
    expectOnlyTheTypedTags(escapeLatexText, typed);
  }
}

// What T1 and TS1 set keeps the text it had: no script takes it.
TEST(LatexScripts, NoScriptTakesACharacterTheTextFontsSet) {
  for (char32_t cp = 0xA0; cp < 0x20000; ++cp) {
    if (latexScriptOf(cp) != LatexScript::None) {
      EXPECT_FALSE(latexCanSet(cp)) << codePointName(cp);
    }
  }
}

TEST(LatexScripts, TheFirstReadingFindsWhatTheRunsUse) {
  EscapeStats stats;
  const std::pair<std::string_view, LatexScript> cases[] = {
      {"x Ж", LatexScript::Cyrillic}, {"ά", LatexScript::Greek},
      {"ệ", LatexScript::Vietnamese}, {"中", LatexScript::Cjk}, {"한", LatexScript::Cjk},
  };
  for (const auto& [text, script] : cases) {
    const LatexScripts found = latexScriptsIn(text);
    EXPECT_TRUE(found.has(script)) << text;
    LatexScripts alone;
    alone.add(script);
    EXPECT_EQ(found.bits, alone.bits) << text;
  }
  // What T1 and TS1 set, the basic Greek letters, what no encoding has, and
  // bytes that are not UTF-8 (Windows-1252's) bring nothing in.
  for (std::string_view text : {"plain ASCII", "é € ‘q’ №", "α β-γ Ω", "א ☃ 㐀", "\xD0 \xE4\xB8 \xC6"}) {
    EXPECT_TRUE(latexScriptsIn(text).empty()) << text;
  }
  // A character cut by the blocks is read whole.
  const std::string_view mixed = "Жa ά ệ中";
  LatexScriptScan scan;
  for (const char c : mixed) scan.read(std::string_view(&c, 1));
  EXPECT_EQ(scan.scripts().bits, latexScriptsIn(mixed).bits);
  EXPECT_EQ(latexScriptsIn(mixed).bits, 0b11110);
  // Two basic Greek letters in a row are a word: in LGR, as the escaper sets it.
  EXPECT_TRUE(latexScriptsIn("x αβ").has(LatexScript::Greek));
  EXPECT_EQ(escaped("x αβ", stats), "x " LGR("αβ"));
  // ASCII passed over in long stretches still parts two Greek letters, and
  // leaves a word after it found, wherever the stretch ends.
  for (std::size_t n = 1; n < 80; ++n) {
    const std::string ascii(n, 'x');
    EXPECT_TRUE(latexScriptsIn("α" + ascii + "β").empty()) << n;
    EXPECT_TRUE(latexScriptsIn(ascii + "αβ" + ascii).has(LatexScript::Greek)) << n;
    EXPECT_EQ(latexScriptsIn(ascii + "Ж" + ascii + "中").bits, latexScriptsIn("Ж中").bits) << n;
  }
  // The document's CJK leaning: kana anywhere make it Japanese.
  EXPECT_EQ(latexScriptsIn("中文").cjkLeaning, CjkFamily::Chinese);
  EXPECT_EQ(latexScriptsIn("한 中").cjkLeaning, CjkFamily::Korean);
  EXPECT_EQ(latexScriptsIn("한\n説明\nです").cjkLeaning, CjkFamily::Japanese);
}

TEST(LatexScripts, ThePreambleLoadsOnlyWhatTheTextHas) {
  const std::string start = std::string(kLatexTypedFormat.prologue);
  const std::string end = std::string(kLatexTypedFormat.prologueEnd);
  const auto typed = [](std::string_view text) {
    return convertText(text, Format::Latex, 's', nullptr, TextMode::Typed);
  };
  // Text without the scripts keeps the prologue it always had.
  EXPECT_TRUE(typed("é α β ☃\n").starts_with(start + end));
  EXPECT_TRUE(typed("Жук\n").starts_with(start + "\\usepackage[T2A,T1]{fontenc}\n" + end));
  EXPECT_TRUE(typed("%bs日本%be\n").starts_with(start + "\\usepackage{CJKutf8}\n" + end));
  // The last line has it and no line feed.
  EXPECT_TRUE(typed("a\nb\nά ệ 中 Ж").starts_with(
      start + "\\usepackage[T2A,LGR,T5,T1]{fontenc}\n\\usepackage{CJKutf8}\n" + end));
  // A heading of Han alone in a Japanese text is set in the Japanese family.
  const std::string japanese = typed("説明\nです\n");
  EXPECT_NE(japanese.find(CJK("min", "説明")), std::string::npos) << japanese;
  // Text the conversion reads through --encoding or from UTF-16 is scanned as it decodes.
  EXPECT_TRUE(typed(std::string_view("\xFF\xFE\x16\x04\n\x00", 6)).starts_with(start + "\\usepackage[T2A,T1]{fontenc}\n" + end));
}

}  // namespace
}  // namespace kolvo::test
