// The tag table: what its comments promise about the order of the rows,
// the tags and the shape of every text. The bytes of each text are pinned by
// the golden files (every tag is used in tests/documents).

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <regex>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "check/style_groups.hpp"
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

std::size_t positionOf(std::string_view tag) {
  return static_cast<std::size_t>(&rowOf(tag) - kTagTable.data());
}

// ---------------------------------------------------------------------------
// Order and tags

TEST(TagTableShape, ThePercentRowComesBeforeTheUnderline) {
  // "%%us" must underline: the "%" that %ps leaves forms "%us" for the
  // underline row, which must still be to come.
  EXPECT_LT(positionOf("%ps"), positionOf("%us"));
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

TEST(TagTableShape, EveryTagOfAStyleGroupIsAStyleRow) {
  std::size_t named = 0;
  for (const check::StyleGroup& group : check::kStyleGroups) {
    for (std::string_view tag : group.openers) {
      if (tag.empty()) continue;
      EXPECT_EQ(rowOf(tag).kind, TagKind::Style) << tag;
      ++named;
    }
    for (std::string_view tag : group.closers) {
      if (tag.empty()) continue;
      EXPECT_EQ(rowOf(tag).kind, TagKind::Style) << tag;
      ++named;
    }
  }
  EXPECT_GT(named, 0u);
}

TEST(TagTableShape, PagedSymbolsInAFontOfTheirOwnReturnToTheTextFont) {
  // The last font a symbol's text selects is the plain text font at 12
  // points: the text after the symbol is not left in Symbol or ZapfDingbats.
  for (const TagRow& row : kTagTable) {
    if (row.kind != TagKind::Symbol) continue;
    const std::string_view ps = *row.replacement(Format::PostScript);
    const std::size_t psFont = ps.rfind(" findfont ");
    if (psFont != std::string_view::npos) {
      EXPECT_TRUE(ps.substr(0, psFont).ends_with("/Times-Roman") &&
                  ps.substr(psFont).starts_with(" findfont 12 scalefont setfont "))
          << row.tag << ": " << ps;
    }
    const std::string_view pdf = *row.replacement(Format::Pdf);
    const std::size_t pdfFont = pdf.rfind(" Tf ");
    if (pdfFont != std::string_view::npos) {
      EXPECT_TRUE(pdf.substr(0, pdfFont).ends_with("/F1 12")) << row.tag << ": " << pdf;
    }
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
  // The Greek rows open the table: every row before the first style.
  std::size_t greekRows = 0;
  for (const TagRow& row : kTagTable) {
    if (row.kind == TagKind::Style) break;
    ++greekRows;
    if (row.tag == "%zu") continue;  // an upsilon with a tilde over it: no single code
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
  EXPECT_GE(greekRows, 24u);  // the whole alphabet at least
}

}  // namespace
}  // namespace kolvo
