// The tag table: order of application, the shape of every text, and the
// exact bytes of the rows that are easy to get wrong.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <regex>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "markup/tag_table.hpp"

namespace kolvo {
namespace {

using namespace std::string_view_literals;

const TagRow& rowOf(std::string_view tag) {
  auto it = std::find_if(kTagTable.begin(), kTagTable.end(),
                         [&](const TagRow& r) { return r.tag == tag; });
  if (it == kTagTable.end()) {
    ADD_FAILURE() << "no row for " << tag;
    return kTagTable.front();
  }
  return *it;
}

Replacement text(std::string_view tag, Format f) { return rowOf(tag).replacement(f); }

bool isAlnum(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; }

// Calls `check` with every replacement text of the table.
template <typename Check>
void forEachText(Check check) {
  for (const TagRow& row : kTagTable) {
    for (Format f : kAllFormats) {
      if (Replacement t = row.replacement(f)) check(row, f, *t);
    }
  }
}

const std::vector<std::string_view> kExpectedOrder = {
    "%Al", "%g1", "%g2", "%gG", "%g7", "%gD", "%g4", "%g5", "%gz", "%g8",  // 1-10
    "%gT", "%gt", "%g9", "%gk", "%gL", "%gl", "%gm", "%gn", "%gx", "%gP",  // 11-20
    "%zp", "%g3", "%zr", "%gs", "%zs", "%zt", "%gu", "%zu", "%gF", "%g6",  // 21-30
    "%gp", "%gO", "%gw", "%Bs", "%Be", "%bs", "%be", "%bu", "%cs", "%ce",  // 31-40
    "%cr", "%Cs", "%C0", "%Ce", "%da", "%dd", "%di", "%hs", "%he", "%Hs",  // 41-50
    "%He", "%is", "%ie", "%ls", "%le", "%P1", "%P2", "%P3", "%P4", "%P5",  // 51-60
    "%P6", "%P7", "%P8", "%P9", "%Pe", "%pg", "%pm", "%ps", "%rs", "%re",  // 61-70
    "%tc", "%rt", "%sn", "%Ss", "%Se", "%ss", "%se", "%su", "%sq", "%Sy",  // 71-80
    "%tm", "%us", "%ue", "%xs", "%xe"};                                    // 81-85

const std::set<std::string_view> kStyleTags = {
    "%Bs", "%Be", "%bs", "%be", "%cs", "%ce", "%Cs", "%C0", "%Ce", "%hs",
    "%he", "%Hs", "%He", "%is", "%ie", "%ls", "%le", "%P1", "%P2", "%P3",
    "%P4", "%P5", "%P6", "%P7", "%P8", "%P9", "%Pe", "%pg", "%rs", "%re",
    "%Ss", "%Se", "%ss", "%se", "%Sy", "%us", "%ue", "%xs", "%xe"};

// ---------------------------------------------------------------------------
// Order and tags

TEST(TagTableShape, RowsComeInTheOrderOfApplication) {
  ASSERT_EQ(kExpectedOrder.size(), kTagRowCount);
  for (std::size_t i = 0; i < kTagRowCount; ++i) {
    EXPECT_EQ(kTagTable[i].tag, kExpectedOrder[i]) << "position " << i + 1;
  }
}

TEST(TagTableShape, TagsArePercentAndTwoAlphanumericsAndUnique) {
  std::set<std::string_view> seen;
  for (const TagRow& row : kTagTable) {
    ASSERT_EQ(row.tag.size(), 3u) << row.tag;
    EXPECT_EQ(row.tag[0], '%') << row.tag;
    EXPECT_TRUE(isAlnum(row.tag[1]) && isAlnum(row.tag[2])) << row.tag;
    EXPECT_TRUE(seen.insert(row.tag).second) << "duplicate " << row.tag;
    EXPECT_FALSE(row.meaning.empty()) << row.tag;
  }
}

TEST(TagTableShape, KindsSplitIntoFortySixSymbolsAndThirtyNineStyles) {
  ASSERT_EQ(kStyleTags.size(), 39u);
  for (const TagRow& row : kTagTable) {
    TagKind expected = kStyleTags.count(row.tag) ? TagKind::Style : TagKind::Symbol;
    EXPECT_EQ(row.kind, expected) << row.tag;
  }
}

TEST(TagTableShape, EffectsSitOnTheirTagsOnly) {
  const std::vector<std::pair<std::string_view, TagEffect>> expected = {
      {"%cs", TagEffect::CentreStart},    {"%ce", TagEffect::CentreEnd},
      {"%hs", TagEffect::HighlightStart}, {"%he", TagEffect::HighlightEnd},
      {"%ls", TagEffect::LargeStart},     {"%le", TagEffect::LargeEnd},
      {"%pg", TagEffect::PageBreak},      {"%us", TagEffect::UnderlineStart},
      {"%ue", TagEffect::UnderlineEnd}};
  std::vector<std::pair<std::string_view, TagEffect>> found;
  for (const TagRow& row : kTagTable) {
    if (row.effect != TagEffect::None) found.emplace_back(row.tag, row.effect);
  }
  EXPECT_EQ(found, expected);  // in table order, which the effects rely on
}

// ---------------------------------------------------------------------------
// Properties every text must have

TEST(TagTableTexts, NoReplacementOnlyWhereTheTagMustStayAsTyped) {
  const std::set<std::pair<std::string_view, Format>> expected = {
      {"%da", Format::AbiWord}, {"%dd", Format::AbiWord}, {"%di", Format::DocBook},
      {"%Ss", Format::DocBook}, {"%Se", Format::DocBook}, {"%ls", Format::DocBook},
      {"%le", Format::DocBook}, {"%xs", Format::DocBook}, {"%xe", Format::DocBook},
      {"%Sy", Format::DocBook}, {"%hs", Format::DocBook}, {"%he", Format::DocBook},
      {"%Hs", Format::DocBook}, {"%He", Format::DocBook}};
  std::set<std::pair<std::string_view, Format>> actual;
  for (const TagRow& row : kTagTable) {
    for (Format f : kAllFormats) {
      if (!row.replacement(f)) actual.insert({row.tag, f});
    }
  }
  EXPECT_EQ(actual, expected);
  // Centring works in DocBook too: the tags are removed, not kept.
  EXPECT_EQ(text("%cs", Format::DocBook), ""sv);
  EXPECT_EQ(text("%ce", Format::DocBook), ""sv);
}

TEST(TagTableTexts, OnlyThePercentRowCanFormANewTag) {
  forEachText([](const TagRow& row, Format f, std::string_view t) {
    if (row.tag == "%ps") return;
    EXPECT_EQ(t.find('%'), std::string_view::npos) << row.tag << " " << letterOf(f);
  });
  for (Format f : kAllFormats) {
    EXPECT_EQ(text("%ps", f), f == Format::Latex ? "\\%"sv : "%"sv) << letterOf(f);
  }
}

TEST(TagTableTexts, NoTextBeginsWithALetterOrDigit) {
  // Otherwise removing a tag before it could join "%" and the text into a tag.
  forEachText([](const TagRow& row, Format f, std::string_view t) {
    if (!t.empty()) {
      EXPECT_FALSE(isAlnum(t.front())) << row.tag << " " << letterOf(f);
    }
  });
}

TEST(TagTableTexts, PagedStyleTextsCloseAndReopenTheStringOperand) {
  for (const TagRow& row : kTagTable) {
    if (row.kind != TagKind::Style) continue;
    for (Format f : {Format::PostScript, Format::Pdf}) {
      std::string_view t = *row.replacement(f);
      if (t.empty() || t == " " || (f == Format::Pdf && t == "_")) continue;
      EXPECT_EQ(t.front(), ')') << row.tag << " " << letterOf(f);
      EXPECT_EQ(t.back(), '(') << row.tag << " " << letterOf(f);
    }
  }
  // The underline and highlight marks that the PDF measurement looks for.
  EXPECT_EQ(text("%us", Format::Pdf), "_"sv);
  EXPECT_EQ(text("%ue", Format::Pdf), "_"sv);
  EXPECT_EQ(text("%hs", Format::Pdf), "_"sv);
  EXPECT_EQ(text("%he", Format::Pdf), ""sv);
}

TEST(TagTableTexts, ControlWordsAreDelimitedFromTheFollowingText) {
  const std::regex latexWordAtEnd(R"(\\[A-Za-z]+$)");
  const std::regex rtfWordAtEnd(R"(\\[A-Za-z]+-?[0-9]*$)");
  for (const TagRow& row : kTagTable) {
    std::string latex(*row.replacement(Format::Latex));
    std::string rtf(*row.replacement(Format::Rtf));
    EXPECT_FALSE(std::regex_search(latex, latexWordAtEnd)) << row.tag << ": " << latex;
    EXPECT_FALSE(std::regex_search(rtf, rtfWordAtEnd)) << row.tag << ": " << rtf;
  }
  EXPECT_EQ(text("%Bs", Format::Latex), "\\LARGE{}"sv);
  EXPECT_EQ(text("%pg", Format::Latex), "\\pagebreak{}"sv);
  EXPECT_EQ(text("%ss", Format::Rtf), "\\super "sv);
  EXPECT_EQ(text("%P4", Format::Rtf), "\\cf10 "sv);
  EXPECT_EQ(text("%Ce", Format::Rtf), "\\f0 "sv);
  // Texts that end in a symbol, a brace or a blank are left alone.
  EXPECT_EQ(text("%cr", Format::Rtf), "\\'a9"sv);
  EXPECT_EQ(text("%ce", Format::Rtf), " "sv);
  EXPECT_EQ(text("%cs", Format::Latex), "\\begin{center}"sv);
}

TEST(TagTableTexts, DocBookUsesOnlyNumericCharacterReferences) {
  // Without a DTD an XML parser knows no named entity beyond the five of XML.
  const std::regex namedEntity("&[A-Za-z]");
  for (const TagRow& row : kTagTable) {
    if (Replacement t = row.replacement(Format::DocBook)) {
      EXPECT_FALSE(std::regex_search(std::string(*t), namedEntity)) << row.tag << ": " << *t;
    }
  }
  EXPECT_EQ(text("%bu", Format::DocBook), "&#8226;"sv);
  EXPECT_EQ(text("%tc", Format::DocBook), "&#9675;"sv);
  EXPECT_EQ(text("%su", Format::DocBook), "&#8721;"sv);
  EXPECT_EQ(text("%sq", Format::DocBook), "&#8730;"sv);
  EXPECT_EQ(text("%tm", Format::DocBook), "&#8482;"sv);
  EXPECT_EQ(text("%C0", Format::DocBook), "<literal>"sv);
  EXPECT_EQ(text("%Ce", Format::DocBook), "</literal>"sv);
}

TEST(TagTableTexts, NonAsciiBytesOnlyInAbiWordRuns) {
  forEachText([](const TagRow& row, Format f, std::string_view t) {
    bool ascii = std::all_of(t.begin(), t.end(),
                             [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (f != Format::AbiWord && f != Format::OpenDocument) {
      EXPECT_TRUE(ascii) << row.tag << " " << letterOf(f);
    }
  });
}

// ---------------------------------------------------------------------------
// The Greek rows: one character shown five ways

TEST(TagTableGreek, CodesAgreeAcrossFormats) {
  const std::regex psForm(
      R"(^\) show /Symbol findfont (\d+) scalefont setfont \(\\([0-7]{3})\) show )"
      R"(/Times-Roman findfont 12 scalefont setfont \($)");
  const std::regex pdfForm(R"(^\)( ?)Tj /F3 (\d+) Tf \(\\([0-7]{3})\) Tj /F1 12 Tf \($)");
  const std::set<std::string_view> pdfSpacedOpening = {"%Al", "%g1", "%g2", "%gG", "%g7",
                                                       "%gD", "%g4", "%g5", "%gz", "%g3"};
  for (std::size_t i = 0; i < 33; ++i) {
    const TagRow& row = kTagTable[i];
    if (row.tag == "%zu") continue;  // checked on its own below
    SCOPED_TRACE(std::string(row.tag));
    std::string ps(*row.replacement(Format::PostScript));
    std::string pdf(*row.replacement(Format::Pdf));
    std::smatch p, q;
    ASSERT_TRUE(std::regex_match(ps, p, psForm)) << ps;
    ASSERT_TRUE(std::regex_match(pdf, q, pdfForm)) << pdf;

    std::string psSize = row.tag == "%Al" ? "16" : row.tag == "%g4" ? "18" : "12";
    EXPECT_EQ(p[1], psSize);
    EXPECT_EQ(q[2], row.tag == "%Al" ? "18" : "12");
    EXPECT_EQ(q[1], pdfSpacedOpening.count(row.tag) ? " " : "");
    EXPECT_EQ(p[2], q[3]);

    EXPECT_EQ(row.replacement(Format::DocBook), ""sv);
    if (row.tag == "%Al") continue;
    // The octal code is the letter that RTF and AbiWord put in the Symbol font.
    char letter = static_cast<char>(std::stoi(p[2].str(), nullptr, 8));
    std::string one(1, letter);
    EXPECT_EQ(row.replacement(Format::Rtf), "\\f1 " + one + "\\f0 ");
    EXPECT_EQ(row.replacement(Format::AbiWord),
              "</c><c props=\"font-family:Symbol\">" + one + "</c><c>");
    std::string_view latex = *row.replacement(Format::Latex);
    EXPECT_TRUE(latex.starts_with("\\ensuremath{\\") && latex.ends_with("}")) << latex;
  }
}

TEST(TagTableGreek, AlephRow) {
  EXPECT_EQ(text("%Al", Format::AbiWord),
            "</c><c props=\"font-family:Symbol\">\xC3\x80</c><c>"sv);
  EXPECT_EQ(text("%Al", Format::Html), "&aleph;"sv);
  EXPECT_EQ(text("%Al", Format::Rtf), "\\f1 \\'c0\\f0 "sv);
  EXPECT_EQ(text("%Al", Format::Latex), ""sv);
}

TEST(TagTableGreek, UpsilonWithTilde) {
  EXPECT_EQ(text("%zu", Format::AbiWord),
            "</c><c props=\"font-family:Symbol\">u\xCC\x83</c><c>"sv);
  EXPECT_EQ(text("%zu", Format::Html), "&#8166;"sv);
  EXPECT_EQ(text("%zu", Format::Rtf), "\\f1 u\\f0 "sv);
  EXPECT_EQ(text("%zu", Format::Latex), "\\ensuremath{\\tilde{\\upsilon}}"sv);
  EXPECT_EQ(text("%zu", Format::PostScript),
            ") show /Symbol findfont 12 scalefont setfont (\\165) dup stringwidth pop 2 div "
            "currentpoint 3 1 roll add exch gsave moveto /Times-Roman findfont 12 scalefont "
            "setfont (\\304) dup stringwidth pop 2 div neg 0 rmoveto show grestore show "
            "/Times-Roman findfont 12 scalefont setfont ("sv);
  EXPECT_EQ(text("%zu", Format::Pdf),
            ") Tj /F3 12 Tf (\\165) Tj /F1 12 Tf [454.5 (\\304) -121.5] TJ ("sv);
}

// ---------------------------------------------------------------------------
// Exact bytes, format by format

TEST(TagTableBytes, Alpha) {
  EXPECT_EQ(text("%g1", Format::AbiWord),
            "</c><c props=\"font-family:Symbol\">a</c><c>"sv);
  EXPECT_EQ(text("%g1", Format::DocBook), ""sv);
  EXPECT_EQ(text("%g1", Format::Html), "&alpha;"sv);
  EXPECT_EQ(text("%g1", Format::Rtf), "\\f1 a\\f0 "sv);
  EXPECT_EQ(text("%g1", Format::Latex), "\\ensuremath{\\alpha}"sv);
  EXPECT_EQ(text("%g1", Format::PostScript),
            ") show /Symbol findfont 12 scalefont setfont (\\141) show "
            "/Times-Roman findfont 12 scalefont setfont ("sv);
  EXPECT_EQ(text("%g1", Format::Pdf), ") Tj /F3 12 Tf (\\141) Tj /F1 12 Tf ("sv);
  EXPECT_EQ(text("%g8", Format::Pdf), ")Tj /F3 12 Tf (\\150) Tj /F1 12 Tf ("sv);
}

TEST(TagTableBytes, AbiWord) {
  EXPECT_EQ(text("%sn", Format::AbiWord),
            "</c><c props=\"font-family:Times New Roman\">\xC2\xA7</c><c>"sv);
  EXPECT_EQ(text("%bu", Format::AbiWord),
            "</c><c props=\"font-family:Symbol\">\xC2\xB7</c><c>"sv);
  EXPECT_EQ(text("%Bs", Format::AbiWord), "</c><c props=\"font-size:16pt\">"sv);
  EXPECT_EQ(text("%P3", Format::AbiWord), "</c><c props=\"color:00FF00\">"sv);
  EXPECT_EQ(text("%pg", Format::AbiWord), "<pbr/>"sv);
  EXPECT_EQ(text("%tc", Format::AbiWord), ""sv);
  EXPECT_EQ(text("%Cs", Format::AbiWord), ""sv);
}

TEST(TagTableBytes, DocBookAndHtml) {
  EXPECT_EQ(text("%us", Format::DocBook), "<emphasis role=\"style: underline\">"sv);
  EXPECT_EQ(text("%P3", Format::DocBook), "<emphasis role=\"color:#00AA00\">"sv);
  EXPECT_EQ(text("%P5", Format::DocBook), "<emphasis role=\"color: #0000FF\">"sv);
  EXPECT_EQ(text("%P1", Format::Html), "<font color=#f00>"sv);
  EXPECT_EQ(text("%rs", Format::Html), "<font color='#f00'>"sv);
  EXPECT_EQ(text("%hs", Format::Html), "<mark style='background: #ff0;'>"sv);
  EXPECT_EQ(text("%C0", Format::Html), "<pre style='font-size: 10pt;'>"sv);
  EXPECT_EQ(text("%zs", Format::Html), "&sigmaf;"sv);
  EXPECT_EQ(text("%tc", Format::Html), "&#9675;"sv);
  EXPECT_EQ(text("%pg", Format::Html), ""sv);
}

TEST(TagTableBytes, RtfAndLatex) {
  EXPECT_EQ(text("%sq", Format::Rtf), "\\f1 \\'d6\\f0 "sv);
  EXPECT_EQ(text("%su", Format::Rtf), "\\f1 S\\f0 "sv);
  EXPECT_EQ(text("%cs", Format::Rtf), "\\qc1 "sv);
  EXPECT_EQ(text("%tc", Format::Rtf), ""sv);
  EXPECT_EQ(text("%Sy", Format::Latex), "\\normalsize{}"sv);
  EXPECT_EQ(text("%su", Format::Latex), " "sv);
  EXPECT_EQ(text("%sq", Format::Latex), " "sv);
  EXPECT_EQ(text("%di", Format::Latex), ""sv);
  EXPECT_EQ(text("%pm", Format::Latex), "\\underline{+}"sv);
  EXPECT_EQ(text("%P8", Format::Latex), "\\pdfliteral{.55 0 .55 rg}"sv);
}

TEST(TagTableBytes, PostScript) {
  EXPECT_EQ(text("%cr", Format::PostScript),
            ") show /Symbol findfont 12 scalefont setfont (\\323) show "
            "/Times-Roman findfont 12 scalefont setfont ("sv);
  EXPECT_EQ(text("%P8", Format::PostScript), ") show  .55 0 .55  setrgbcolor ("sv);
  EXPECT_EQ(text("%ls", Format::PostScript),
            ")  show /Times-Roman findfont 24 scalefont setfont ("sv);
  EXPECT_EQ(text("%bs", Format::PostScript),
            ") show  /Times-Bold findfont 12 scalefont setfont ("sv);
  EXPECT_EQ(text("%Bs", Format::PostScript),
            ") show /Times-Roman findfont 16 scalefont setfont ("sv);
  EXPECT_EQ(text("%us", Format::PostScript), ")show ("sv);
  EXPECT_EQ(text("%ue", Format::PostScript), ") ushow  ("sv);
  EXPECT_EQ(text("%tc", Format::PostScript),
            ") show /ZapfDingbats findfont 12 scalefont setfont (\\155) show "
            "/Times-Roman findfont 12 scalefont setfont ("sv);
  EXPECT_EQ(text("%bu", Format::PostScript), "\\267"sv);
  EXPECT_EQ(text("%ss", Format::PostScript), " "sv);
}

TEST(TagTableBytes, Pdf) {
  EXPECT_EQ(text("%cr", Format::Pdf), ") Tj /F3 12 Tf (\\343) Tj /F1 12 Tf ("sv);
  EXPECT_EQ(text("%P8", Format::Pdf), ") Tj /F1 12 Tf .5 0 .5 rg ("sv);
  EXPECT_EQ(text("%tc", Format::Pdf), ") Tj /F6 12 Tf (\\155) Tj /F1 12 Tf ("sv);
  EXPECT_EQ(text("%su", Format::Pdf), ") Tj /F3 12 Tf (S) Tj /F1 12 Tf ("sv);
  EXPECT_EQ(text("%ss", Format::Pdf), ") Tj /F1 10 Tf 7 Ts ("sv);
  EXPECT_EQ(text("%Sy", Format::Pdf), ") Tj /F3 12 Tf ("sv);
  EXPECT_EQ(text("%Hs", Format::Pdf), ""sv);
  EXPECT_EQ(text("%cs", Format::Pdf), ""sv);
}

}  // namespace
}  // namespace kolvo
