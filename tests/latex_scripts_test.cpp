// Typed LaTeX's scripts of their own: each run switched in place, the
// family of a CJK run, what the first reading finds, and a preamble that
// loads only what the text has.
#include "text/latex_scripts.hpp"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "driver/conversion.hpp"
#include "support/typed_document.hpp"
#include "text/latex_font_scripts.hpp"
#include "text/latex_text.hpp"
#include "text/latex_unicode.hpp"
#include "writers/flowing_writer.hpp"

namespace kolvo::test {
namespace {

std::string escaped(std::string_view typed, EscapeStats& stats) {
  return escapedBy(escapeLatexText, typed, stats);
}

#define T2A(text) "\\kolvoScript{T2A}{" text "}"
#define LGR(text) "\\kolvoScript{LGR}{" text "}"
#define T5(text) "\\kolvoScript{T5}{" text "}"
#define CJK(family, text) "\\kolvoCjk{" family "}{" text "}"
#define BOTH(row, pdftex, text) "\\kolvoText{" row "}{" pdftex "}{" text "}"

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
  // No encoding here: Hebrew, a Han character no CJK family has (page
  // U+9Dxx is the Chinese fonts', and no other has it either: U+4DB5 lies
  // before the CJK pages), Cyrillic beyond T2A.
  // (Escaped as a left-to-right line: the Hebrew is a run of its own.)
  EXPECT_EQ(escaped("אԀ", stats),
            "\\kolvoRightToLeftRun{" BOTH("Hebrew", "?", "א") "}" BOTH("Other", "?", "Ԁ"));
  EXPECT_EQ(stats.missingGlyphs, 2U);
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
  for (std::string_view text : {"plain ASCII", "é € ‘q’ №", "α β-γ Ω", "\xD0 \xE4\xB8 \xC6"}) {
    EXPECT_TRUE(latexScriptsIn(text).empty()) << text;
  }
  // What only lualatex and xelatex show: one bit per row of the fonts' table,
  // down to the characters below U+0180 that T1 lacks.
  const LatexScripts beyond = latexScriptsIn("x שלום ☃ नमस्ते ŉ");
  EXPECT_EQ(beyond.bits, 0);
  EXPECT_EQ(beyond.fontScripts, 1U << latexFontScriptOf(U'ש') | 1U << kOtherFontScript |
                                    1U << latexFontScriptOf(U'न'));
  EXPECT_EQ(kLatexFontScripts[latexFontScriptOf(U'ש')].name, "Hebrew");
  EXPECT_EQ(kLatexFontScripts[latexFontScriptOf(U'ی')].name, "Arabic");
  EXPECT_EQ(kLatexFontScripts[latexFontScriptOf(U'ﻻ')].name, "Arabic");
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
  EXPECT_TRUE(typed("é α β\n").starts_with(start + end));
  // pdflatex's packages, between the engine test and the macros.
  const auto pdftexPackages = [&](std::string_view text) {
    const std::string latex = typed(text);
    const std::string opening = start + "\\usepackage{iftex}\n\\ifPDFTeX\n";
    EXPECT_TRUE(latex.starts_with(opening)) << latex;
    EXPECT_NE(latex.find("\\makeatother\n\\fi\n" + end), std::string::npos) << latex;
    const std::size_t from = opening.size();
    return latex.substr(from, latex.find("\\newcommand\\kolvoScript") - from);
  };
  EXPECT_EQ(pdftexPackages("Жук\n"), "\\usepackage[T2A,T1]{fontenc}\n");
  EXPECT_EQ(pdftexPackages("%bs日本%be\n"), "\\usepackage{CJKutf8}\n");
  EXPECT_EQ(pdftexPackages("☃\n"), "");
  // The last line has it and no line feed.
  EXPECT_EQ(pdftexPackages("a\nb\nά ệ 中 Ж"), "\\usepackage[T2A,LGR,T5,T1]{fontenc}\n\\usepackage{CJKutf8}\n");
  // A heading of Han alone in a Japanese text is set in the Japanese family.
  const std::string japanese = typed("説明\nです\n");
  EXPECT_NE(japanese.find(CJK("min", "説明")), std::string::npos) << japanese;
  // Text the conversion reads through --encoding or from UTF-16 is scanned as it decodes.
  EXPECT_EQ(pdftexPackages(std::string_view("\xFF\xFE\x16\x04\n\x00", 6)), "\\usepackage[T2A,T1]{fontenc}\n");
}


// What only lualatex and xelatex show carries both forms: pdflatex's "?"
// for each character (counted as before) and the characters themselves.
// A run is one row of the fonts' table; blanks join it only inside.
TEST(LatexScripts, WhatOnlyTheUnicodeEnginesShowCarriesBothForms) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"नमस्ते दुनिया!", BOTH("Devanagari", "?????? ??????", "नमस्ते दुनिया") "!"},
      {"שלום مرحبا", "\\kolvoRightToLeftRun{" BOTH("Hebrew", "????", "שלום") " " BOTH("Arabic", "?????", "مرحبا") "}"},
      {"%bsสวัสดี%be ok", "%bs" BOTH("Thai", "??????", "สวัสดี") "%be ok"},
      {"☃  ★ x", BOTH("Other", "?  ?", "☃  ★") " x"},
      {"Жא", T2A("Ж") "\\kolvoRightToLeftRun{" BOTH("Hebrew", "?", "א") "}"},
      // The joiners stay in the run that they shape; the non-joiner, which
      // T1 sets, keeps its own form for pdflatex.
      {"क\u200Dष क\u200Cष", BOTH("Devanagari", "??? ?\u200C?", "क\u200Dष क\u200Cष")},
  };
  for (const auto& [typed, latex] : cases) {
    EscapeStats stats;
    EXPECT_EQ(escaped(typed, stats), latex) << typed;
    std::size_t questionMarks = 0;
    for (const char c : latex) questionMarks += c == '?' ? 1 : 0;
    EXPECT_EQ(stats.missingGlyphs, questionMarks) << typed;
    expectOnlyTheTypedTags(escapeLatexText, typed);
  }
  // A noncharacter is handed to no engine.
  EscapeStats stats;
  EXPECT_EQ(escaped("a\xEF\xBF\xBF", stats), "a?");
}

// In a right-to-left line each left-to-right run (letters and digits, with
// what lies between them) goes in \kolvoLeftToRight, so that lualatex and
// xelatex keep its order; tags and right-to-left letters end it.
TEST(LatexScripts, ARightToLeftLineKeepsItsLeftToRightRunsInOrder) {
  const auto rightToLeft = [](std::string_view typed) {
    EscapeStats stats;
    stats.rightToLeft = true;
    std::string out;
    escapeLatexText(typed, out, stats);
    return out;
  };
  EXPECT_EQ(rightToLeft("שלום world 123 עולם"),
            BOTH("Hebrew", "????", "שלום") " \\kolvoLeftToRight{world 123} " BOTH("Hebrew", "????", "עולם"));
  EXPECT_EQ(rightToLeft("א %bsab, cd%be."), BOTH("Hebrew", "?", "א") " %bs\\kolvoLeftToRight{ab, cd}%be.");
  EXPECT_EQ(rightToLeft("א a--b Жx"), BOTH("Hebrew", "?", "א") " \\kolvoLeftToRight{a-{}-b " T2A("Ж") "x}");
  EXPECT_EQ(rightToLeft("אב"), BOTH("Hebrew", "??", "אב"));
}

// In a left-to-right line each right-to-left run (from its first such
// letter to its last such letter or digit before a Latin letter, a tag or
// the end) goes in \kolvoRightToLeftRun, its digits left to right in it.
TEST(LatexScripts, ALeftToRightLineSetsItsRightToLeftRunsApart) {
  const auto typed = [](std::string_view text) {
    EscapeStats stats;
    std::string out;
    return escapeLatexText(text, out, stats) ? out : std::string(text);
  };
  EXPECT_EQ(typed("a שלום, 12 עולם 3. b"),
            "a \\kolvoRightToLeftRun{" BOTH("Hebrew", "????", "שלום") ", \\kolvoLeftToRight{12} "
            BOTH("Hebrew", "????", "עולם") " \\kolvoLeftToRight{3}}. b");
  EXPECT_EQ(typed("%bsשלום%be x"), "%bs\\kolvoRightToLeftRun{" BOTH("Hebrew", "????", "שלום") "}%be x");
  // Cyrillic, CJK and Thai lines hold none: as before.
  EXPECT_EQ(typed("Жук"), T2A("Жук"));
  EXPECT_EQ(typed("x 1 y"), "x 1 y");
}

TEST(LatexScripts, ThePreambleTellsTheEnginesApart) {
  const auto typed = [](std::string_view text) {
    return convertText(text, Format::Latex, 's', nullptr, TextMode::Typed);
  };
  const std::string hebrew = typed("שלום\n\nok ☃\n");
  // pdflatex's branch first, then fontspec's with the scripts the text has.
  const std::size_t pdftex = hebrew.find("\\usepackage{iftex}\n\\ifPDFTeX\n\\newcommand\\kolvoScript");
  const std::size_t unicode = hebrew.find("\\else\n\\usepackage{fontspec}\n");
  const std::size_t family = hebrew.find("\\kolvo@font{Hebrew}{\\kolvo@shaping Script=Hebrew}{Noto Serif Hebrew,");
  const std::size_t direction = hebrew.find("\\let\\kolvoDirHebrew\\relax\n");
  const std::size_t other = hebrew.find("\\kolvo@font{Other}{}{DejaVu Sans,");
  const std::size_t end = hebrew.find("\\makeatother\n\\fi\n\\raggedbottom\n");
  EXPECT_LT(pdftex, unicode) << hebrew;
  EXPECT_LT(unicode, family) << hebrew;
  EXPECT_LT(family, direction) << hebrew;
  EXPECT_LT(direction, other) << hebrew;
  EXPECT_LT(other, end) << hebrew;
  EXPECT_NE(end, std::string::npos) << hebrew;
  EXPECT_EQ(hebrew.find("kolvo@font{T2A}"), std::string::npos);
  EXPECT_EQ(hebrew.find("directlua"), std::string::npos);
  // The right-to-left line is a paragraph of its own under lualatex and
  // xelatex; the empty line after it gets a box to end, as after a centred line.
  EXPECT_NE(hebrew.find("\\kolvoRightToLeft{" BOTH("Hebrew", "????", "שלום") " }\n\\mbox{}  \\\\ \n"),
            std::string::npos)
      << hebrew;
  // CJK brings its three families and the line breaks between its characters.
  const std::string cjk = typed("中文\n");
  for (std::string_view line : {"\\kolvo@font{gbsn}{}{Noto Serif CJK SC,", "\\kolvo@font{min}{}{",
                                "\\kolvo@font{mj}{}{", "'kolvo.cjkbreaks'", "\\XeTeXlinebreaklocale"}) {
    EXPECT_NE(cjk.find(line), std::string::npos) << line;
  }
}

}  // namespace
}  // namespace kolvo::test
