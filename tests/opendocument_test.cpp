// OpenDocument text: its column of tag texts tied to the tag table, the
// document around the lines, well-formed XML whatever the tags and the text,
// in both text modes, and what the checker says of it.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "check/checker.hpp"
#include "driver/conversion.hpp"
#include "markup/opendocument_texts.hpp"
#include "markup/typed_tag_texts.hpp"
#include "support/document_generator.hpp"
#include "support/xml_check.hpp"

namespace kolvo::test {
namespace {

using namespace std::string_literals;
constexpr Format kOdt = Format::OpenDocument;

std::string odt(std::string_view input, TextMode mode = TextMode::Markup, char option = 's') {
  return convertText(input, kOdt, option, nullptr, mode);
}

// Typed text declares the right-to-left paragraph styles too.
std::string prologueOf(TextMode mode) {
  if (mode == TextMode::Markup) return std::string(opendocument::kPrologue);
  return std::string(opendocument::kPrologueBeforeStylesEnd) + std::string(opendocument::kTypedPrologueEnd);
}

// What stands between the prologue and the epilogue.
std::string body(std::string_view input, TextMode mode = TextMode::Markup, char option = 's') {
  const std::string doc = odt(input, mode, option);
  const std::string prologue = prologueOf(mode);
  const std::size_t frame = prologue.size() + opendocument::kEpilogue.size();
  EXPECT_TRUE(doc.starts_with(prologue));
  EXPECT_TRUE(doc.ends_with(opendocument::kEpilogue));
  return doc.size() < frame ? doc : doc.substr(prologue.size(), doc.size() - frame);
}

std::string row(const TagRow& r, TextMode mode) {
  const Replacement text =
      mode == TextMode::Typed ? typedReplacement(r, kOdt) : r.replacement(kOdt);
  return text ? std::string(*text) : "(none)";
}

TEST(OpenDocumentColumn, EveryRowTakesItsTextFromTheColumnInBothModes) {
  for (std::size_t r = 0; r < kTagRowCount; ++r) {
    const TagRow& tagRow = kTagTable[r];
    ASSERT_EQ(opendocument::kTagTexts[r].tag, tagRow.tag);
    EXPECT_EQ(tagRow.replacement(kOdt), opendocument::kTagTexts[r].text) << tagRow.tag;
    // Only the percent sign differs when the text is shown as typed: no
    // typed text may hold a "%", which could form a tag with what follows.
    const std::string typed = row(tagRow, TextMode::Typed);
    EXPECT_EQ(typed.find('%'), std::string::npos) << tagRow.tag;
    if (tagRow.tag != "%ps") {
      EXPECT_EQ(typed, row(tagRow, TextMode::Markup)) << tagRow.tag;
    }
  }
  EXPECT_EQ(row(kTagTable[0], TextMode::Markup), "\xE2\x84\xB5");  // aleph
}

TEST(OpenDocumentColumn, TheRowColumnsKeepTheirOwnTexts) {
  // The lookup past the row columns must not leak into them, nor they into it.
  EXPECT_FALSE(columnText(Format::AbiWord, "%bs").has_value());
  EXPECT_FALSE(columnTypedOverride(Format::Html, "%ps").has_value());
  EXPECT_FALSE(columnText(kOdt, "%zz").has_value());
  EXPECT_EQ(columnTypedOverride(kOdt, "%ps"), Replacement("&#37;"));
  EXPECT_FALSE(columnTypedOverride(kOdt, "%bs").has_value());
}

TEST(OpenDocumentWriter, LinesAreParagraphsOfOneSpan) {
  EXPECT_EQ(odt(""), std::string(opendocument::kPrologue) + std::string(opendocument::kEpilogue));
  EXPECT_EQ(body("x\n"), "<text:p text:style-name=\"Text\"><text:span>x </text:span></text:p>\n");
  EXPECT_EQ(body("end"), "<text:p text:style-name=\"Text\"><text:span>end</text:span></text:p>\n");
  EXPECT_EQ(body("%csTitle%ce\nnext\n"),
            "<text:p text:style-name=\"Centred\"><text:span>Title </text:span></text:p>\n"
            "<text:p text:style-name=\"Text\"><text:span>next </text:span></text:p>\n");
  EXPECT_EQ(body("", TextMode::Markup, 't'),
            "<text:p text:style-name=\"Text\"/>\n<text:p text:style-name=\"Text\"/>\n");
  EXPECT_EQ(body("$sl 1  30 400 565 400\n$sx\n"), "");
  EXPECT_NE(odt("").find("office:mimetype=\"application/vnd.oasis.opendocument.text\""),
            std::string::npos);
}

TEST(OpenDocumentWriter, StylesSwitchFlatSpansAndThePageBreakBeginsAParagraph) {
  EXPECT_EQ(body("a%bsb%isc%ied%Pe\n"),
            "<text:p text:style-name=\"Text\"><text:span>a</text:span>"
            "<text:span text:style-name=\"Bold\">b</text:span>"
            "<text:span text:style-name=\"Italic\">c</text:span><text:span>d</text:span>"
            "<text:span> </text:span></text:p>\n");
  EXPECT_EQ(body("up%pgdown\n"),
            "<text:p text:style-name=\"Text\"><text:span>up</text:span></text:p>"
            "<text:p text:style-name=\"PageBreak\"><text:span>down </text:span></text:p>\n");
  // Symbols are characters within the span, which keeps its style.
  EXPECT_EQ(body("%is%g1%su%ie\n"),
            "<text:p text:style-name=\"Text\"><text:span></text:span>"
            "<text:span text:style-name=\"Italic\">\xCE\xB1\xE2\x88\x91</text:span>"
            "<text:span> </text:span></text:p>\n");
}

TEST(OpenDocumentWriter, TextStepsOfBothModes) {
  // Markup mode keeps the user's markup only where it is well-formed within
  // the line and holds no tag (a tag's text would split the element).
  EXPECT_NE(body("a <b>x</b> & 3 < 4\n").find("a <b>x</b> &amp; 3 &lt; 4 "), std::string::npos);
  EXPECT_NE(body("<b>%bsx</b>\n").find("&lt;b>"), std::string::npos);
  EXPECT_NE(body("caf\xE9\n").find("caf\xC3\xA9"), std::string::npos);  // Windows-1252
  // Typed mode shows every character; the percent sign cannot form a tag.
  EXPECT_NE(body("<b>x</b> 50%\n", TextMode::Typed).find("&lt;b&gt;x&lt;/b&gt; 50&#37;"),
            std::string::npos);
  // (Without --escape the "%" of the percent row forms a tag of a later row.)
  EXPECT_NE(body("%psrs\n", TextMode::Typed).find("&#37;rs"), std::string::npos);
  EXPECT_NE(body("%psrs\n").find("text:style-name=\"Red\""), std::string::npos);
}

// Every style tag after every other, on one line and across lines: the
// spans never cross, whatever the order.
TEST(OpenDocumentWriter, EveryOrderOfTagsIsWellFormed) {
  std::string input;
  for (const TagRow& first : kTagTable) {
    for (const TagRow& second : kTagTable) {
      input += std::string(first.tag) + "x" + std::string(second.tag) + " <i>y</i> ";
    }
    input += "\n";
  }
  for (TextMode mode : {TextMode::Markup, TextMode::Typed}) {
    EXPECT_EQ(xmlFault(odt(input, mode)), "");
  }
}

TEST(OpenDocumentWriter, GeneratedDocumentsAreWellFormedInBothModes) {
  DocumentMix mix;
  mix.line.rawMarkup = 4;
  mix.line.otherBytes = 3;
  mix.line.tagFragments = 4;
  mix.line.lineEnds = 2;
  DocumentGenerator generator(0x6f64742d77656c6c);  // fixed: failures must reproduce
  for (int i = 0; i < 300; ++i) {
    const std::string doc = generator.document(mix);
    for (TextMode mode : {TextMode::Markup, TextMode::Typed}) {
      const std::string fault = xmlFault(odt(doc, mode));
      ASSERT_EQ(fault, "") << (mode == TextMode::Typed ? "typed: " : "markup: ") << doc;
    }
  }
}

class Collect final : public check::FindingSink {
 public:
  void report(const check::Finding& finding) override { found.push_back(check::messageOf(finding)); }
  std::vector<std::string> found;
};

std::vector<std::string> checkOdt(std::string_view text, bool allFormats = false) {
  check::CheckOptions options;
  if (!allFormats) options.formats = check::FormatSet::of(kOdt);
  Collect sink;
  check::Checker checker(options, sink);
  while (!text.empty()) {  // one line at a time, as the command line reads them
    const std::size_t end = std::min(text.find('\n'), text.size() - 1) + 1;
    checker.checkPiece(text.substr(0, end));
    text.remove_prefix(end);
  }
  checker.finish();
  return sink.found;
}

TEST(OpenDocumentCheck, EveryTagHasATextAndEveryLineStartsAfresh) {
  std::string everyTag;
  for (const TagRow& r : kTagTable) everyTag += std::string(r.tag) + " ";
  // A style left open ends with its line: nothing to report.
  EXPECT_EQ(checkOdt(everyTag + "\n%bsbold\nnext %ss2\n"), std::vector<std::string>{});
  // A closing tag without an opening one is still worth a note.
  EXPECT_EQ(checkOdt("text%be\n"),
            std::vector<std::string>{
                "%be (bold off) closes a style that is not open in OpenDocument text"});
}

TEST(OpenDocumentCheck, ThePageBreakStandsWhereItsTagDoes) {
  const std::vector<std::string> found = checkOdt("%pgtext\n");
  ASSERT_EQ(found.size(), 1u);
  EXPECT_NE(found[0].find("in OpenDocument text the page breaks before this line's text"),
            std::string::npos)
      << found[0];
}

TEST(OpenDocumentCheck, WithoutAFormatTheCheckCoversIt) {
  const std::vector<std::string> found = checkOdt("%bsbold\n", true);
  ASSERT_FALSE(found.empty());
  // DocBook's element is an error, HTML and the others carry it on; not
  // OpenDocument, whose next line starts a new span.
  for (const std::string& f : found) {
    EXPECT_EQ(f.find("OpenDocument"), std::string::npos) << f;
  }
  EXPECT_NE(checkOdt("snake _case\n", true)[0].find("PDF and OpenDocument text"),
            std::string::npos);
}

}  // namespace
}  // namespace kolvo::test
