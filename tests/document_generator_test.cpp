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
  EXPECT_EQ(all.find_first_of("&<>"), std::string::npos);
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

}  // namespace
}  // namespace kolvo::test
