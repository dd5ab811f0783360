// The programs that read the flowing-text formats accept what Kolvo writes.
// Each test skips, saying so, where its program is not installed.
#include <gtest/gtest.h>

#include <cstdint>

#include "driver/conversion.hpp"
#include "support/document_generator.hpp"
#include "support/test_support.hpp"
#include "text/xml_text.hpp"

namespace kolvo::test {
namespace {

std::string showcase() { return readFile(sourceDir() / "examples" / "showcase.txt"); }

// Words of the showcase that every format must carry through as text.
const char* const kWords[] = {"showcase", "plain", "italic", "underlined", "Courier", "magenta",
                              "superscript", "drawing"};

// 2,000 generated lines thick with tags, as one document.
std::string generatedDocument(std::uint64_t seed) {
  std::string document;
  for (const std::string& line : tagHeavyLines(seed, 2000, 4)) document += line;
  return document;
}

class FlowingConsumers : public ::testing::Test {
 protected:
  TempDir dir;
  // pdflatex on `tex`, its last 3,000 bytes of output for a failure.
  CommandResult pdflatex(const std::filesystem::path& tex) {
    CommandResult r =
        runCommand({"pdflatex", "-interaction=nonstopmode", "-halt-on-error", "-no-shell-escape",
                    "-output-directory", dir.path().string(), tex.string()});
    if (r.out.size() > 3000) r.out.erase(0, r.out.size() - 3000);
    return r;
  }
  std::filesystem::path write(Format f, std::string_view input) {
    const auto path = dir / ("doc." + std::string(formatExtension(f)));
    writeFile(path, convertText(input, f));
    return path;
  }
};

TEST_F(FlowingConsumers, XmllintAcceptsAbiWordAndDocBook) {
  KOLVO_REQUIRE_TOOL("xmllint");
  for (Format f : {Format::AbiWord, Format::DocBook}) {
    for (std::string_view doc : {std::string_view(""), std::string_view("%csTitle%ce\n%C0x%Ce\n")}) {
      const CommandResult r = runCommand({"xmllint", "--noout", "--nonet", write(f, doc).string()});
      EXPECT_EQ(r.status, 0) << formatName(f) << ": " << r.err;
    }
    const CommandResult r = runCommand({"xmllint", "--noout", "--nonet", write(f, showcase()).string()});
    EXPECT_EQ(r.status, 0) << formatName(f) << ": " << r.err;
    EXPECT_EQ(r.err, "");
  }
}

TEST_F(FlowingConsumers, PdflatexCompilesTheLatexOutput) {
  KOLVO_REQUIRE_TOOL("pdflatex");
  const auto tex = write(Format::Latex, showcase() + "%BsTitle%Be and 1#2\n");
  const CommandResult r = pdflatex(tex);
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_TRUE(std::filesystem::exists(dir / "doc.pdf"));
  if (toolAvailable("pdftotext") && std::filesystem::exists(dir / "doc.pdf")) {
    const CommandResult text = runCommand({"pdftotext", (dir / "doc.pdf").string(), "-"});
    for (const char* word : kWords) EXPECT_NE(text.out.find(word), std::string::npos) << word;
  }
}

// Line starts that used to stop pdflatex, with and without --escape: a
// centred line followed by an empty line, a page break or declarations
// alone, "[" or "* [" first on a line after another line, a tag's command
// after it too; and centred lines inside an underline or a superscript,
// on their line and from lines before.
TEST_F(FlowingConsumers, PdflatexCompilesLinesAfterCentredLinesAndBrackets) {
  KOLVO_REQUIRE_TOOL("pdflatex");
  const std::string input =
      "%csTitle%ce\n\nText\n[x] after a line\n%csA%ce\n   \n%csB%ce\n%pg\nlast\n  [y]\n"
      "[%gP] and [%ps]\n[ %bsx%be]\n%csC%ce\n%Ss%Se\n%csD%ce\n %P1 %Pe\n* [1] item\n"
      "x %us a %csb%ce c%ue y\n%bsa %ssb\n%csc%ce%se%be\n%cs a %us b %ce c %ue\n";
  for (const TextMode mode : {TextMode::Markup, TextMode::Typed}) {
    const auto tex = dir / "lines.tex";
    writeFile(tex, convertText(input, Format::Latex, 's', nullptr, mode));
    const CommandResult r = pdflatex(tex);
    EXPECT_EQ(r.status, 0) << r.out;
  }
}

// Under --escape DocBook is valid DocBook 5, whatever order the tags come
// in: 2,000 generated lines thick with tags, and the showcase.
TEST_F(FlowingConsumers, TypedDocBookIsValidAgainstTheSchema) {
  KOLVO_REQUIRE_TOOL("xmllint");
  const std::filesystem::path schema = "/usr/share/xml/docbook/schema/rng/5.0/docbook.rng";
  if (!std::filesystem::exists(schema)) GTEST_SKIP() << "no DocBook 5 schema (docbook5-xml)";
  const std::string generated = generatedDocument(20261208u);
  for (const std::string& input : {generated, showcase(), std::string()}) {
    const auto path = dir / "typed.xml";
    const std::string document = convertText(input, Format::DocBook, 's', nullptr, TextMode::Typed);
    writeFile(path, document);
    const CommandResult r = runCommand(
        {"xmllint", "--noout", "--nonet", "--relaxng", schema.string(), path.string()});
    EXPECT_EQ(r.status, 0) << r.err.substr(0, 2000) << document.substr(0, 600);
  }
}

// Under --escape HTML is HTML5 that tidy finds nothing to say about, its
// tags in any order: 2,000 generated lines thick with tags, the showcase,
// the empty document, and styles around nothing but white space.
TEST_F(FlowingConsumers, TidyHasNoWarningForTypedHtml) {
  KOLVO_REQUIRE_TOOL("tidy");
  const std::string generated = generatedDocument(20261209u);
  const std::string whiteSpace = "a%P4 \t%Peb\n%is\t%ie\n%P4%P4\t%le \t%bs\t\n";
  for (const std::string& input : {generated, showcase(), std::string(), whiteSpace}) {
    const auto path = dir / "typed.html";
    writeFile(path, convertText(input, Format::Html, 't', nullptr, TextMode::Typed));
    const CommandResult r = runCommand({"tidy", "-q", "-e", path.string()});
    EXPECT_EQ(r.status, 0) << r.err.substr(0, 2000);
    EXPECT_EQ(r.err, "");
  }
}

// The user's raw elements that AbiWord will not take inside a paragraph are
// text; the others (and unknown ones) stay elements, and the file opens.
TEST_F(FlowingConsumers, AbiwordOpensLinesHoldingItsOwnElements) {
  KOLVO_REQUIRE_TOOL("abiword");
  std::string input;
  for (std::string_view name : kAbiWordDocumentElements) {
    input += "word" + std::to_string(input.size()) + " <" + std::string(name) + ">in</" +
             std::string(name) + "> <" + std::string(name) + "/> <x>kept</x>\n";
  }
  input += "var a=1;<m>minified</m><p>nested</p><table><c>cell</c></table> end\n";
  const auto abw = write(Format::AbiWord, input);
  const auto txt = dir / "doc.txt";
  const CommandResult r = runCommand({"abiword", "--to=txt", "--to-name=" + txt.string(), abw.string()});
  EXPECT_EQ(r.status, 0) << r.err;
  ASSERT_TRUE(std::filesystem::exists(txt)) << r.err;
  const std::string text = readFile(txt);
  EXPECT_NE(text.find("<table>"), std::string::npos) << text;
  EXPECT_NE(text.find(" end"), std::string::npos) << text;
  EXPECT_EQ(text.find("<x>"), std::string::npos) << text;
}

// Under --escape LaTeX compiles whatever order the tags come in: 2,000
// generated lines thick with tags, unclosed, crossed and stray.
TEST_F(FlowingConsumers, PdflatexCompilesTypedLatexOfAnyTags) {
  KOLVO_REQUIRE_TOOL("pdflatex");
  const std::string generated = generatedDocument(20261212u);
  const auto tex = dir / "tags.tex";
  writeFile(tex, convertText(generated, Format::Latex, 's', nullptr, TextMode::Typed));
  const CommandResult r = pdflatex(tex);
  EXPECT_EQ(r.status, 0) << r.out;
}

// Addresses in typed text are links the readers take: tidy and the
// DocBook 5 schema have nothing to say of them, inside styles and centred
// lines too, and the PDF pdflatex makes holds each one's target.
TEST_F(FlowingConsumers, TypedLinksPassTheReaders) {
  KOLVO_REQUIRE_TOOL("tidy");
  KOLVO_REQUIRE_TOOL("xmllint");
  KOLVO_REQUIRE_TOOL("pdflatex");
  KOLVO_REQUIRE_TOOL("qpdf");
  const std::string input =
      "See https://example.org/a_b?x=1&y=%20#frag, (http://www.gnu.org/licenses/) or me@x.org.\n"
      "%bsBold https://example.org/b%be %isit mailto:a@b.org%ie %usu@x.co.uk%ue\n"
      "%csCentred ftp://ftp.example.org/~u/f.tgz%ce\n%Cscode https://x.org/%Ce %P2https://y.org/%Pe\n";
  const auto html = dir / "links.html";
  writeFile(html, convertText(input, Format::Html, 's', nullptr, TextMode::Typed));
  const CommandResult tidy = runCommand({"tidy", "-q", "-e", html.string()});
  EXPECT_EQ(tidy.err, "");
  const std::filesystem::path schema = "/usr/share/xml/docbook/schema/rng/5.0/docbook.rng";
  if (std::filesystem::exists(schema)) {
    const auto docbook = dir / "links.xml";
    writeFile(docbook, convertText(input, Format::DocBook, 's', nullptr, TextMode::Typed));
    const CommandResult r = runCommand(
        {"xmllint", "--noout", "--nonet", "--relaxng", schema.string(), docbook.string()});
    EXPECT_EQ(r.status, 0) << r.err;
  }
  const auto tex = dir / "links.tex";
  writeFile(tex, convertText(input, Format::Latex, 's', nullptr, TextMode::Typed));
  ASSERT_EQ(pdflatex(tex).status, 0);
  const CommandResult pdf = runCommand({"qpdf", "--json", (dir / "links.pdf").string()});
  for (const char* target : {"https://example.org/a_b?x=1&y=%20#frag", "http://www.gnu.org/licenses/",
                             "mailto:me@x.org", "mailto:a@b.org", "mailto:u@x.co.uk",
                             "ftp://ftp.example.org/~u/f.tgz", "https://y.org/"}) {
    EXPECT_NE(pdf.out.find(std::string("\"/URI\": \"u:") + target + "\""), std::string::npos) << target;
  }
}

TEST_F(FlowingConsumers, UnrtfReadsTheRtfOutput) {
  KOLVO_REQUIRE_TOOL("unrtf");
  const CommandResult r = runCommand({"unrtf", "--text", write(Format::Rtf, showcase()).string()});
  EXPECT_EQ(r.status, 0) << r.err;
  for (const char* word : kWords) EXPECT_NE(r.out.find(word), std::string::npos) << word;
}

TEST_F(FlowingConsumers, TidyFindsNoErrorsInTheHtmlOutput) {
  KOLVO_REQUIRE_TOOL("tidy");
  const CommandResult r = runCommand({"tidy", "-q", "-e", write(Format::Html, showcase()).string()});
  // tidy exits 1 for warnings (the markup is old-fashioned) and 2 for errors.
  EXPECT_LT(r.status, 2) << r.err;
}

TEST_F(FlowingConsumers, AbiwordOpensTheAbiWordOutputWithTheTextIntact) {
  KOLVO_REQUIRE_TOOL("abiword");
  const auto abw = write(Format::AbiWord, showcase());
  const auto txt = dir / "doc.txt";
  const CommandResult r = runCommand({"abiword", "--to=txt", "--to-name=" + txt.string(), abw.string()});
  EXPECT_EQ(r.status, 0) << r.err;
  ASSERT_TRUE(std::filesystem::exists(txt)) << r.err;
  const std::string text = readFile(txt);
  for (const char* word : kWords) EXPECT_NE(text.find(word), std::string::npos) << word;
}

}  // namespace
}  // namespace kolvo::test
