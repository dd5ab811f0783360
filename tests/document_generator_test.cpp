// The test generator itself: the tests that rely on it prove only as much as
// it really produces, and a broken nesting promise would show up as a
// DocBook failure far from its cause.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "driver/conversion.hpp"
#include "markup/tag_table.hpp"
#include "support/document_generator.hpp"
#include "support/sweep_documents.hpp"
#include "support/xml_check.hpp"

namespace kolvo::test {
namespace {

std::vector<std::string> documents(std::uint64_t seed, const DocumentMix& mix, int count) {
  DocumentGenerator generator(seed);
  std::vector<std::string> docs;
  for (int i = 0; i < count; ++i) docs.push_back(generator.document(mix));
  return docs;
}

std::vector<std::string> lines(std::string_view doc) {
  std::vector<std::string> result;
  std::size_t start = 0;
  for (std::size_t end = doc.find('\n'); end != std::string_view::npos;
       start = end + 1, end = doc.find('\n', start)) {
    result.emplace_back(doc.substr(start, end - start));
  }
  result.emplace_back(doc.substr(start));
  return result;
}

TEST(DocumentGenerator, TheSeedAloneDecidesTheText) {
  const DocumentMix mix;
  EXPECT_EQ(documents(5, mix, 20), documents(5, mix, 20));
  EXPECT_NE(documents(5, mix, 20), documents(6, mix, 20));
}

TEST(DocumentGenerator, TheUsualMixHoldsEveryTagAndEveryKindOfLine) {
  std::string all;
  std::size_t longLines = 0, manyLines = 0, withoutFinalLineFeed = 0;
  for (const std::string& doc : documents(1, DocumentMix{}, 300)) {
    all += doc;
    const std::vector<std::string> docLines = lines(doc);
    for (const std::string& line : docLines) longLines += line.size() > 559;
    manyLines += docLines.size() > 100;
    withoutFinalLineFeed += !doc.empty() && doc.back() != '\n';
  }
  for (const TagRow& row : kTagTable) EXPECT_NE(all.find(row.tag), std::string::npos) << row.tag;
  for (std::string_view piece : {"\r\n", "$sl ", "$st ", "$sb ", "$sr ", "$sx ", "%pg\n", "1)2",
                                 "%zz", "100%", "(", ")", "\\", "#", " _", "\t"}) {
    EXPECT_NE(all.find(piece), std::string::npos) << piece;
  }
  EXPECT_GT(longLines, 5u);
  EXPECT_GT(manyLines, 5u);
  EXPECT_GT(withoutFinalLineFeed, 20u);
  // Left out unless asked for.
  EXPECT_EQ(all.find_first_of("&<>{}~^'\"[]"), std::string::npos);
  EXPECT_TRUE(std::none_of(all.begin(), all.end(), [](char c) {
    return c == '\0' || static_cast<unsigned char>(c) >= 0x80;
  }));
}

TEST(DocumentGenerator, AWeightOfZeroLeavesThePiecesOut) {
  LineMix mix;
  mix.tags = mix.nearMisses = mix.delimiters = 0;
  mix.words = 1;
  mix.blanks = 1;
  DocumentGenerator generator(2);
  for (int i = 0; i < 500; ++i) {
    const std::string line = generator.line(mix);
    EXPECT_TRUE(std::all_of(line.begin(), line.end(), [](char c) {
      return c == ' ' || std::isalnum(static_cast<unsigned char>(c));
    })) << line;
  }
}

TEST(DocumentGenerator, BlanksSetEveryPieceApart) {
  LineMix mix;
  mix.words = mix.tags = 1;
  mix.blanks = mix.nearMisses = mix.delimiters = 0;
  mix.blankAfterEachPiece = true;
  DocumentGenerator generator(3);
  for (int i = 0; i < 500; ++i) {
    const std::string line = generator.line(mix);
    for (std::size_t at = line.find('%'); at != std::string::npos; at = line.find('%', at + 1)) {
      ASSERT_TRUE(at == 0 || line[at - 1] == ' ') << line;
      ASSERT_TRUE(at + 3 < line.size() && line[at + 3] == ' ') << line;
    }
  }
}

std::size_t count(std::string_view text, std::string_view piece) {
  std::size_t n = 0;
  for (std::size_t at = text.find(piece); at != std::string_view::npos;
       at = text.find(piece, at + 1)) {
    ++n;
  }
  return n;
}

TEST(DocumentGenerator, NestedElementTagsGiveWellFormedDocBook) {
  DocumentMix mix;
  mix.line.nestedElementTags = true;
  mix.line.tagFragments = 5;  // ignored when nesting: they could form an element tag
  mix.line.lineEnds = 5;      // carriage returns only
  std::size_t emphasis = 0, phrases = 0;
  for (const std::string& doc : documents(4, mix, 150)) {
    const std::string xml = convertText(doc, Format::DocBook);
    EXPECT_EQ(xmlFault(xml), "") << doc;
    const std::string typed = convertText(doc, Format::DocBook, 's', nullptr, TextMode::Typed);
    EXPECT_EQ(xmlFault(typed), "") << doc;
    emphasis += count(xml, "<emphasis");
    phrases += count(typed, "<phrase");
  }
  // Paragraphs alone would prove little.
  EXPECT_GT(emphasis, 200u);
  EXPECT_GT(phrases, 100u);
}

TEST(DocumentGenerator, ProsePunctuationAndGroupMarksComeWhenWeighted) {
  LineMix mix;
  mix.prose = mix.punctuation = mix.groupMarks = 20;
  std::string all;
  DocumentGenerator generator(7);
  for (int i = 0; i < 400; ++i) all += generator.line(mix);
  for (std::string_view piece : {"don't", "the ", "...", "e.g.", "[", "]", "*", "'", "\"", "--",
                                 "{", "}", "~", "^", "|", "@"}) {
    EXPECT_NE(all.find(piece), std::string::npos) << piece;
  }
}

// The style tags of a line, in order.
std::vector<std::string> styleTagsOf(std::string_view line) {
  std::vector<std::string> tags;
  for (std::size_t at = line.find('%'); at != std::string_view::npos; at = line.find('%', at + 1)) {
    for (const TagRow& row : kTagTable) {
      if (row.kind == TagKind::Style && line.substr(at, 3) == row.tag) tags.emplace_back(row.tag);
    }
  }
  return tags;
}

// Each start met by its own end ("%P3" by "%Pe"), innermost first, and no
// end without its start; "%pg" has no end and stands alone.
TEST(DocumentGenerator, PairedStyleTagsCloseInsideOut) {
  DocumentMix mix;
  mix.line.pairedStyleTags = true;
  mix.line.nestedElementTags = true;
  mix.line.tags = 60;
  mix.longLinePercent = mix.drawingPercent = 0;
  std::size_t pairs = 0, deepest = 0;
  for (const std::string& doc : documents(8, mix, 100)) {
    for (const std::string& line : lines(doc)) {
      std::vector<std::string> open;
      for (const std::string& tag : styleTagsOf(line)) {
        if (tag == "%pg") continue;
        if (tag[2] != 'e') {
          open.push_back(tag.substr(0, 2) + "e");
          deepest = std::max(deepest, open.size());
          continue;
        }
        ASSERT_FALSE(open.empty()) << line;
        ASSERT_EQ(tag, open.back()) << line;
        open.pop_back();
        ++pairs;
      }
      EXPECT_TRUE(open.empty()) << line;
    }
  }
  EXPECT_GT(pairs, 1000u);
  EXPECT_GT(deepest, 3u);
}

TEST(SweepDocuments, EachIsMadeFromItsSeedAndIndexAlone) {
  EXPECT_EQ(sweepDocument(9, 17).text, sweepDocument(9, 17).text);
  EXPECT_NE(sweepDocument(9, 17).text, sweepDocument(9, 18).text);
  EXPECT_NE(sweepDocument(9, 17).text, sweepDocument(10, 17).text);
}

// A plain document's LaTeX must compile without --escape: only ASCII, and
// no special character of LaTeX but the "%" of a tag.
TEST(SweepDocuments, PlainOnesHoldNoLatexSpecialCharacterButTags) {
  std::size_t plain = 0;
  const std::size_t documentCount = 400;
  for (std::size_t i = 0; i < documentCount; ++i) {
    const SweepDocument doc = sweepDocument(11, i);
    if (!doc.plain) continue;
    ++plain;
    std::string text = doc.text;
    for (const TagRow& row : kTagTable) {
      for (std::size_t at = text.find(row.tag); at != std::string::npos; at = text.find(row.tag)) {
        text.replace(at, row.tag.size(), " ");
      }
    }
    EXPECT_EQ(text.find_first_of(kLatexSpecials), std::string::npos) << doc.text;
    EXPECT_TRUE(std::all_of(text.begin(), text.end(), [](char c) {
      return c == '\n' || c == '\r' || (c >= ' ' && c < 0x7f);
    })) << doc.text;
  }
  EXPECT_GT(plain, documentCount / 6);
  EXPECT_LT(plain, documentCount / 3);
}

}  // namespace
}  // namespace kolvo::test
