// The document's metadata as the readers see it: pdfinfo, qpdf and mutool on
// PDF (the information dictionary, the XMP stream, the outline), pdflatex
// on LaTeX with hyperref, the DocBook 5 schema on typed DocBook with its
// <info>. In-process checks of the same are in metadata_test.cpp.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/test_support.hpp"

namespace kolvo {
namespace {

using test::CommandResult;
using test::readFile;
using test::runCommand;
using test::TempDir;
using test::writeFile;

// A title no single escape gets right: markup characters of every format
// and text beyond ASCII and beyond the first plane.
const std::string kTitle = "Q&A <b> (draft) {1} 50% \\ \"r\xC3\xA9sum\xC3\xA9\" \xF0\x9F\x98\x80";

std::vector<std::string> metadataWords(const std::string& format, const TempDir& dir,
                                       const std::string& out) {
  return {"env", "SOURCE_DATE_EPOCH=1700000000", test::kolvoBinary(), "--title", kTitle,
          "--author", "Ann \xC3\x96", "--subject", "Sub & ject", "--keywords", "one, two",
          "--lang", "fr-CA", "--outline", format, (dir / "in.txt").string(), (dir / out).string()};
}

constexpr std::string_view kInput =
    "%BsFirst%Be\nplain + text, see https://example.org/a\n%lsSecond (two)%le\nmore\n%xsThird \xC3\xA9%xe\n";

TEST(MetadataReaders, PdfinfoQpdfAndMutoolReadTheMetadataAndTheOutline) {
  for (const char* tool : {"pdfinfo", "qpdf", "mutool", "xmllint"}) KOLVO_REQUIRE_TOOL(tool);
  TempDir dir;
  writeFile(dir / "in.txt", kInput);
  for (const std::vector<std::string>& extra : {std::vector<std::string>{},
                                               std::vector<std::string>{"--escape"},
                                               std::vector<std::string>{"--paper", "a5"}}) {
    std::vector<std::string> words = metadataWords("pdf", dir, "out.pdf");
    words.insert(words.begin() + 3, extra.begin(), extra.end());
    const CommandResult run = runCommand(words);
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string pdf = (dir / "out.pdf").string();
    const CommandResult check = runCommand({"qpdf", "--check", pdf});
    EXPECT_EQ(check.status, 0) << check.out << check.err;
    EXPECT_EQ(check.err, "");
    const CommandResult info = runCommand({"pdfinfo", "-enc", "UTF-8", pdf});
    ASSERT_EQ(info.status, 0) << info.err;
    for (const std::string& line :
         {"Title:           " + kTitle, std::string("Author:          Ann \xC3\x96"),
          std::string("Subject:         Sub & ject"), std::string("Keywords:        one, two"),
          std::string("Producer:        Kolvo "), std::string("Creator:         Kolvo "),
          std::string("CreationDate:    Tue Nov 14 22:13:20 2023 UTC"),
          std::string("Metadata Stream: yes"), std::string("PDF version:     1.4")}) {
      EXPECT_NE(info.out.find(line), std::string::npos) << line << "\n" << info.out;
    }
    // The XMP stream as qpdf gives it back parses as XML.
    const CommandResult xmp = runCommand({"pdfinfo", "-meta", pdf});
    writeFile(dir / "xmp.xml", xmp.out);
    const CommandResult parsed = runCommand({"xmllint", "--noout", (dir / "xmp.xml").string()});
    EXPECT_EQ(parsed.status, 0) << parsed.err << xmp.out;
    EXPECT_NE(xmp.out.find("<rdf:li xml:lang=\"x-default\">Q&amp;A &lt;b&gt;"), std::string::npos);
    const CommandResult outline = runCommand({"mutool", "show", pdf, "outline"});
    ASSERT_EQ(outline.status, 0) << outline.err;
    const std::size_t first = outline.out.find("\"First\"");
    const std::size_t second = outline.out.find("\"Second (two)\"");
    const std::size_t third = outline.out.find("\"Third \xC3\xA9\"");
    EXPECT_TRUE(first < second && second < third && third != std::string::npos) << outline.out;
  }
}

// Ghostscript runs the structuring comments' document past without a
// complaint, and ps2pdf carries the values into the PDF it makes.
TEST(MetadataReaders, Ps2pdfCarriesThePostScriptsValuesIntoThePdf) {
  for (const char* tool : {"ps2pdf", "pdfinfo"}) KOLVO_REQUIRE_TOOL(tool);
  TempDir dir;
  writeFile(dir / "in.txt", kInput);
  for (const std::vector<std::string>& extra :
       {std::vector<std::string>{}, std::vector<std::string>{"--escape", "--paper", "letter"}}) {
    std::vector<std::string> words = metadataWords("ps", dir, "out.ps");
    words.insert(words.begin() + 3, extra.begin(), extra.end());
    const CommandResult run = runCommand(words);
    ASSERT_EQ(run.status, 0) << run.err;
    const CommandResult made =
        runCommand({"ps2pdf", (dir / "out.ps").string(), (dir / "out.pdf").string()});
    ASSERT_EQ(made.status, 0) << made.out << made.err;
    const CommandResult info = runCommand({"pdfinfo", "-enc", "UTF-8", (dir / "out.pdf").string()});
    EXPECT_NE(info.out.find("Title:           " + kTitle), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("Author:          Ann \xC3\x96"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("Keywords:        one, two"), std::string::npos) << info.out;
  }
}

// Typed text with a link has loaded hyperref already: loaded again for the
// metadata, it must not clash.
TEST(MetadataReaders, PdflatexCompilesHyperrefsValuesIntoThePdf) {
  for (const char* tool : {"pdflatex", "pdfinfo"}) KOLVO_REQUIRE_TOOL(tool);
  TempDir dir;
  writeFile(dir / "in.txt", kInput);
  for (const bool typed : {false, true}) {
    std::vector<std::string> words = metadataWords("tex", dir, "out.tex");
    if (typed) words.insert(words.begin() + 3, "--escape");
    const CommandResult run = runCommand(words);
    ASSERT_EQ(run.status, 0) << run.err;
    const CommandResult latex =
        runCommand({"pdflatex", "-interaction=nonstopmode", "-halt-on-error", "-no-shell-escape",
                    "-output-directory", dir.path().string(), (dir / "out.tex").string()});
    ASSERT_EQ(latex.status, 0) << latex.out.substr(latex.out.size() > 3000 ? latex.out.size() - 3000 : 0);
    const CommandResult info =
        runCommand({"pdfinfo", "-enc", "UTF-8", (dir / "out.pdf").string()});
    EXPECT_NE(info.out.find("Title:           " + kTitle), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("Subject:         Sub & ject"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("Creator:         Kolvo "), std::string::npos) << info.out;
  }
}

TEST(MetadataReaders, TypedDocBookWithItsInfoIsValidAgainstTheSchema) {
  KOLVO_REQUIRE_TOOL("xmllint");
  const std::filesystem::path schema = "/usr/share/xml/docbook/schema/rng/5.0/docbook.rng";
  if (!std::filesystem::exists(schema)) GTEST_SKIP() << "no DocBook 5 schema (docbook5-xml)";
  TempDir dir;
  writeFile(dir / "in.txt", kInput);
  writeFile(dir / "empty.txt", "");
  // Given a title, and taking the first line's (of a document with lines
  // and of one without).
  for (const std::vector<std::string>& words :
       {metadataWords("xml", dir, "out.xml"),
        std::vector<std::string>{test::kolvoBinary(), "--author", "A", "--keywords", "k",
                                 "--escape", "xml", (dir / "in.txt").string(),
                                 (dir / "out.xml").string()},
        std::vector<std::string>{test::kolvoBinary(), "--escape", "xml",
                                 (dir / "empty.txt").string(), (dir / "out.xml").string()}}) {
    std::vector<std::string> typed = words;
    if (typed[0] == "env") typed.insert(typed.begin() + 3, "--escape");
    const CommandResult run = runCommand(typed);
    ASSERT_EQ(run.status, 0) << run.err;
    const CommandResult valid = runCommand({"xmllint", "--noout", "--nonet", "--relaxng",
                                            schema.string(), (dir / "out.xml").string()});
    EXPECT_EQ(valid.status, 0) << valid.err << readFile(dir / "out.xml");
  }
}

}  // namespace
}  // namespace kolvo
