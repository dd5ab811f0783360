// --paper: the size table, where "auto" looks, the command line, and what
// the paged writers make of a size (structure, page size, wrapped lines).
// The programs that read the result are in paper_readers_test.cpp.

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "driver/conversion.hpp"
#include "driver/options.hpp"
#include "driver/paper_choice.hpp"
#include "support/test_support.hpp"
#include "writers/paged/page_cursor.hpp"
#include "writers/paged/paper_size.hpp"

namespace kolvo {
namespace {

const PaperSize& paper(std::string_view name) { return *findPaperSize(name); }

std::vector<std::string_view> linesOf(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    lines.push_back(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
  }
  return lines;
}

std::size_t countOf(std::string_view text, std::string_view what) {
  std::size_t count = 0;
  for (std::size_t at = text.find(what); at != std::string_view::npos;
       at = text.find(what, at + 1)) {
    ++count;
  }
  return count;
}

// A paragraph of `words` numbered words typed as one line.
std::string paragraph(int first, int words) {
  std::string text;
  for (int i = first; i < first + words; ++i) text += (text.empty() ? "word" : " word") + std::to_string(i);
  return text;
}

std::string convertOn(std::string_view input, Format format, std::string_view size,
                      char option = 's', std::string* trace = nullptr) {
  return convertText(input, format, option, trace, TextMode::Typed, findPaperSize(size));
}

TEST(PaperTable, NamesSizesAndPlacesTheFirstBaseline) {
  EXPECT_EQ(findPaperSize("A4"), &kPaperSizes[0]);
  EXPECT_EQ(findPaperSize("Letter")->height, 792);
  EXPECT_EQ(findPaperSize("legal")->height, 1008);
  EXPECT_EQ(findPaperSize("a5")->width, 420);
  for (std::string_view unknown : {"", "a3", "letters", "auto", "a4 "}) {
    EXPECT_EQ(findPaperSize(unknown), nullptr) << unknown;
  }
  EXPECT_EQ(paperSizeNames(), "a4, letter, legal, a5");
  // 22 points below the top edge on every size, as on A4.
  EXPECT_EQ(baselineOn(paper("a4"), kStartBaseline), kStartBaseline);
  EXPECT_EQ(baselineOn(paper("letter"), kStartBaseline), 770);
  EXPECT_EQ(baselineOn(paper("a5"), kStartBaseline), 573);
  EXPECT_EQ(textAreaWidth(paper("letter")), 552);
}

TEST(PaperConfiguration, ReadsTheVariableThenTheFile) {
  EXPECT_EQ(paperNamedIn("# the paper\n\n  letter \t\nlegal\n"), "letter");
  EXPECT_EQ(paperNamedIn("a5"), "a5");
  EXPECT_EQ(paperNamedIn("# only a comment\n  \n"), "");
  EXPECT_EQ(paperNamedIn(""), "");

  test::TempDir dir;
  const auto file = dir / "papersize";
  test::writeFile(file, "# written by paperconfig\nlegal\n");
  const std::string path = file.string();
  EXPECT_EQ(configuredPaper("letter", path.c_str()).name, "letter");
  EXPECT_EQ(configuredPaper("letter", path.c_str()).source, "PAPERSIZE");
  EXPECT_EQ(configuredPaper("", path.c_str()).name, "legal");
  EXPECT_EQ(configuredPaper(nullptr, path.c_str()).source, path);
  const std::string missing = (dir / "none").string();
  EXPECT_EQ(configuredPaper(nullptr, missing.c_str()).name, "a4");
  test::writeFile(file, "\n# nothing named\n");
  EXPECT_EQ(configuredPaper(nullptr, path.c_str()).name, "a4");
}

TEST(PaperOption, TakesASizeBeforeTheFormat) {
  const std::vector<const char*> words = {"--escape", "--paper", "Letter", "-p", "in", "out", "-s"};
  const CommandLineRequest request = parseCommandLine(words);
  const auto* settings = std::get_if<ConversionSettings>(&request);
  ASSERT_NE(settings, nullptr);
  EXPECT_EQ(settings->paper, findPaperSize("letter"));
  EXPECT_EQ(settings->mode, TextMode::Typed);

  const std::vector<const char*> without = {"-p", "in", "out", "-s"};
  EXPECT_EQ(std::get<ConversionSettings>(parseCommandLine(without)).paper, nullptr);

  const std::vector<const char*> unknown = {"--paper", "b5", "-p", "in", "out", "-s"};
  const CommandLineRequest refused = parseCommandLine(unknown);
  const auto* error = std::get_if<UsageError>(&refused);
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(error->message, "unknown paper size 'b5': say a4, letter, legal, a5, auto or none");

  const std::vector<const char*> bare = {"--paper"};
  const CommandLineRequest missing = parseCommandLine(bare);
  ASSERT_NE(std::get_if<UsageError>(&missing), nullptr);
  EXPECT_EQ(std::get<UsageError>(missing).message, "option '--paper' needs SIZE");
}

// "auto" as the program sees it: the environment of the process.
TEST(PaperOption, AutoFollowsPaperSizeAndThePaperFile) {
  test::TempDir dir;
  test::writeFile(dir / "in.txt", "hello\n");
  test::writeFile(dir / "papersize", "legal\n");
  const std::string in = (dir / "in.txt").string();
  const std::string out = (dir / "out.pdf").string();
  const std::string conf = "PAPERCONF=" + (dir / "papersize").string();
  const auto run = [&](std::vector<std::string> environment) {
    std::vector<std::string> argv = {"env", "-u", "PAPERSIZE", "-u", "PAPERCONF"};
    argv.insert(argv.end(), environment.begin(), environment.end());
    for (std::string word : {test::kolvoBinary(), std::string("--paper"), std::string("auto"),
                             std::string("-P"), in, out, std::string("-s")}) {
      argv.push_back(word);
    }
    return test::runCommand(argv);
  };
  EXPECT_EQ(run({"PAPERSIZE=letter", conf}).status, 0);
  EXPECT_NE(test::readFile(out).find("/MediaBox [0 0 612 792]"), std::string::npos);
  EXPECT_EQ(run({conf}).status, 0);
  EXPECT_NE(test::readFile(out).find("/MediaBox [0 0 612 1008]"), std::string::npos);
  EXPECT_EQ(run({"PAPERCONF=" + (dir / "none").string()}).status, 0);
  EXPECT_NE(test::readFile(out).find("/MediaBox [0 0 595 842]"), std::string::npos);

  const test::CommandResult wrong = run({"PAPERSIZE=b5"});
  EXPECT_EQ(wrong.status, 2);
  EXPECT_NE(wrong.err.find("unknown paper size 'b5' (from PAPERSIZE)"), std::string::npos)
      << wrong.err;
}

// The structure a page tool reads: header, one %%Page per page in order,
// a setup per page, the trailer with the count.
TEST(PaperPostScript, FollowsTheStructuringConventions) {
  std::string input;
  for (int i = 0; i < 40; ++i) input += paragraph(i * 100, 10 + (i % 3) * 40) + "\n";
  const std::string ps = convertOn(input, Format::PostScript, "letter");
  const std::vector<std::string_view> lines = linesOf(ps);
  ASSERT_GT(lines.size(), 10u);
  EXPECT_EQ(lines[0], "%!PS-Adobe-3.0");
  for (std::string_view comment :
       {"%%BoundingBox: 0 0 612 792\n", "%%DocumentMedia: Letter 612 792 0 () ()\n",
        "%%Pages: (atend)\n", "%%EndComments\n", "%%BeginProlog\n", "%%EndProlog\n",
        "<< /PageSize [612 792] >> setpagedevice\n", "%%EndSetup\n"}) {
    EXPECT_EQ(countOf(ps, comment), 1u) << comment;
  }
  std::size_t pages = 0;
  for (std::string_view line : lines) {
    if (!line.starts_with("%%Page: ")) continue;
    ++pages;
    EXPECT_EQ(line, "%%Page: " + std::to_string(pages) + " " + std::to_string(pages));
  }
  EXPECT_GE(pages, 3u);
  EXPECT_EQ(countOf(ps, "showpage\n"), pages);
  EXPECT_EQ(countOf(ps, "%%BeginPageSetup\n/Times-Roman 12 selectfont\n%%EndPageSetup\n"), pages);
  EXPECT_TRUE(ps.ends_with("showpage\n%%Trailer\n%%Pages: " + std::to_string(pages) + "\n%%EOF\n"));
  // Typed text's fonts are defined in the setup, before any page.
  EXPECT_LT(ps.find("/Times-Roman findfont"), ps.find("%%EndSetup"));
}

TEST(PaperPostScript, PlacesLinesOnThePage) {
  const std::string ps = convertOn("one\n%cs" + paragraph(0, 60) + "%ce\n", Format::PostScript, "letter");
  // First baseline 755 on Letter; every line within the page.
  EXPECT_NE(ps.find("\n30 755 moveto \n(one ) show \n"), std::string::npos);
  std::vector<int> xs;
  for (std::string_view line : linesOf(ps)) {
    if (!line.ends_with(" moveto ") || line.starts_with(' ')) continue;
    const int x = std::stoi(std::string(line));
    const int y = std::stoi(std::string(line.substr(line.find(' ') + 1)));
    EXPECT_GE(x, kLeftMargin) << line;
    EXPECT_GT(y, 0) << line;
    EXPECT_LT(y, 792) << line;
    xs.push_back(x);
  }
  // The centred paragraph: full pieces start near the margin, the last,
  // shorter piece further right.
  ASSERT_GE(xs.size(), 4u);
  EXPECT_LT(xs[1], 45);
  EXPECT_GT(xs.back(), xs[1]);
  // Option t and T keep their distance from the top edge.
  EXPECT_NE(convertOn("x\n", Format::PostScript, "letter", 't').find("\n30 700 moveto"),
            std::string::npos);
  EXPECT_NE(convertOn("x\n", Format::PostScript, "legal", 'T').find("\n30 876 moveto"),
            std::string::npos);
}

// A long bold line crossing the foot of the page: its rest goes on the next
// page, which selects the bold font itself; the trace counts input lines.
TEST(PaperPostScript, ALineWrappingOntoTheNextPageTakesItsFont) {
  std::string input;
  for (int i = 0; i < 50; ++i) input += "line\n";
  input += "%bs" + paragraph(0, 200) + "\nstill bold%be\n";
  std::string trace;
  const std::string ps = convertOn(input, Format::PostScript, "a4", 'v', &trace);
  const std::size_t page2 = ps.find("%%Page: 2 2\n");
  ASSERT_NE(page2, std::string::npos);
  EXPECT_TRUE(std::string_view(ps).substr(page2).starts_with(
      "%%Page: 2 2\n%%BeginPageSetup\n/Times-Bold 12 selectfont\n%%EndPageSetup\n"));
  EXPECT_EQ(countOf(trace, "writing line"), 52u);
  EXPECT_NE(ps.find("(still bold) show  /Times-Roman"), std::string::npos);
}

TEST(PaperPdf, TheMediaBoxAndTheLinesFollowThePaper) {
  const std::string pdf = convertOn("%bsbold " + paragraph(0, 40) + "%be\n", Format::Pdf, "letter");
  EXPECT_NE(pdf.find("/MediaBox [0 0 612 792]"), std::string::npos);
  EXPECT_NE(pdf.find("  BT /F1 12 Tf 30 755 Td () Tj /F2 12 Tf (bold word0"), std::string::npos);
  // The next piece starts in bold.
  EXPECT_NE(pdf.find("  BT /F2 12 Tf 30 740 Td (word"), std::string::npos);
  EXPECT_EQ(convertOn("x\n", Format::Pdf, "a5").find("/MediaBox [0 0 595 842]"), std::string::npos);
  EXPECT_NE(convertOn("x\n", Format::Pdf, "a5").find("/MediaBox [0 0 420 595]"), std::string::npos);
}

// An underline and a highlight over a wrapped line mark their part of each
// piece; the colour in force opens the next page.
TEST(PaperPdf, OverprintsAndColourCarryAcrossBreaks) {
  // 20 words take two printed lines.
  const std::string under = convertOn("a %us" + paragraph(0, 20) + " %ue b\n", Format::Pdf, "a4");
  EXPECT_EQ(countOf(under, "Td (word"), 1u);
  // The marks start after "a " (8.3 points).
  EXPECT_EQ(countOf(under, "  BT /F1 12 Tf 38 805 Td (____"), 1u);
  EXPECT_EQ(countOf(under, "  BT /F1 12 Tf 30 790 Td (____"), 1u);
  const std::string high = convertOn("a %hs" + paragraph(0, 20) + "%he b\n", Format::Pdf, "a4");
  EXPECT_EQ(countOf(high, "Td 1 1 0 rg (zzz"), 2u);
  EXPECT_EQ(countOf(high, "Td 0 0 0 rg ("), 2u);

  std::string input = "%P1red\n";
  for (int i = 0; i < 60; ++i) input += "line\n";
  const std::string red = convertOn(input, Format::Pdf, "a4");
  EXPECT_NE(red.find("  stream\n  1 0 0 rg\n"), std::string::npos);
}

}  // namespace
}  // namespace kolvo
