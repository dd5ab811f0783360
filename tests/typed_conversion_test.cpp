// Whole conversions of text as typed (--escape), and the XML character data
// that AbiWord and DocBook always get: what the command line and the run
// promise beyond the single text steps.
#include <gtest/gtest.h>

#include <string>

#include "driver/conversion.hpp"
#include "support/same_bytes.hpp"
#include "support/test_support.hpp"

namespace kolvo::test {
namespace {

std::string typed(std::string_view input, Format format) {
  return convertText(input, format, 's', nullptr, TextMode::Typed);
}

TEST(XmlCharacterData, AbiWordAndDocBookTakeStrayMarkupAsText) {
  EXPECT_NE(convertText("AT&T says 3 < 4\n", Format::DocBook)
                .find("<para>AT&amp;T says 3 &lt; 4 </para>"),
            std::string::npos);
  EXPECT_NE(convertText("<mhatta@gnu.org> caf\xE9\n", Format::AbiWord)
                .find("<c>&lt;mhatta@gnu.org> caf\xC3\xA9 </c>"),
            std::string::npos);
  // Other formats keep the user's markup as it was.
  EXPECT_NE(convertText("AT&T <b>\n", Format::Html).find("AT&T <b>  <br />"), std::string::npos);
}

TEST(TypedConversion, EveryLineIsOneParagraphHoweverLong) {
  // A tag straddles byte 559, where a line would otherwise be cut.
  const std::string line = std::string(555, 'a') + " %bsbold%be " + std::string(1000, 'b') + "\n";
  const std::string html = typed(line, Format::Html);
  EXPECT_NE(html.find(std::string(555, 'a') + " <b>bold</b> " + std::string(1000, 'b') + "  <br />"),
            std::string::npos);
  EXPECT_EQ(convertText(line, Format::Html).find("<b>bold</b>"), std::string::npos);
}

TEST(TypedConversion, ProloguesDeclareTheirEncoding) {
  EXPECT_EQ(typed("", Format::Html).rfind("<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"UTF-8\">\n", 0),
            0u);
  EXPECT_NE(typed("", Format::Latex).find("\\usepackage[T1]{fontenc}"), std::string::npos);
  const std::string ps = typed("", Format::PostScript);
  EXPECT_LT(ps.find("definefont"), ps.find("/Times-Roman \n12 selectfont \n"));
  const std::string pdf = typed("", Format::Pdf);
  EXPECT_NE(pdf.find("5 0 obj << /Type /Font /Subtype /Type1 /BaseFont /Times-Roman /Encoding"),
            std::string::npos);
  // Without --escape nothing changes.
  EXPECT_EQ(convertText("", Format::Html).rfind("<html>\n<body", 0), 0u);
}

TEST(TypedConversion, WhatCannotBeShownIsCountedInOneWarning) {
  TempDir dir;
  // Private use characters of the last plane, which no font draws.
  writeFile(dir / "in.txt", "\xF4\x8F\xBF\xBD\xF4\x8F\xBF\xBD\xF4\x8F\xBF\xBC caf\xC3\xA9\n\xF4\x8F\xBF\xBB\n");
  const CommandResult ps =
      runKolvo({"--escape", "-p", (dir / "in.txt").string(), (dir / "out.ps").string(), "-s"});
  EXPECT_EQ(ps.status, 0);
  EXPECT_EQ(ps.err,
            "kolvo: warning: 4 characters have no glyph in the standard fonts and are shown as "
            "'?': U+10FFFD U+10FFFC U+10FFFB ... (only a --font made for private use draws "
            "U+10FFFD U+10FFFC U+10FFFB)\n");
  EXPECT_NE(readFile(dir / "out.ps").find("(??? caf\\351 "), std::string::npos);
  // Every character fits an XML format: no warning.
  const CommandResult xml =
      runKolvo({"--escape", "-d", (dir / "in.txt").string(), (dir / "out.xml").string(), "-s"});
  EXPECT_EQ(xml.status, 0);
  EXPECT_EQ(xml.err, "");
}

TEST(TypedConversion, TheOptionStandsAnywhereBeforeTwoDashes) {
  TempDir dir;
  writeFile(dir / "in.txt", "a & b\n");
  EXPECT_EQ(runKolvo({"--escape", "--escape", "-h", (dir / "in.txt").string(),
                      (dir / "out.html").string(), "-s"})
                .status,
            0);
  EXPECT_NE(readFile(dir / "out.html").find("a &amp; b"), std::string::npos);
  const CommandResult late = runKolvo(
      {"-h", (dir / "in.txt").string(), (dir / "out2.html").string(), "-s", "--escape"});
  EXPECT_EQ(late.status, 0) << late.err;
  EXPECT_TRUE(sameBytes(readFile(dir / "out.html"), readFile(dir / "out2.html")));
  // After `--` it is the input's name, as any other word would be.
  const CommandResult named =
      runKolvo({"-h", "--", "--escape", (dir / "out3.html").string(), "-s"});
  EXPECT_EQ(named.status, 1);
  EXPECT_NE(named.err.find("cannot open input '--escape'"), std::string::npos);
}

}  // namespace
}  // namespace kolvo::test
