// The PDF writer: fixed texts, the line step with its overprints, the page
// step and the epilogue. The first group drives the writer directly with a
// line's marks set by hand; the second runs whole conversions, so that the
// measurements of the tag substitution meet the writer.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "driver/conversion.hpp"
#include "markup/line_marks.hpp"
#include "writers/output_sink.hpp"
#include "writers/pdf_writer.hpp"

namespace kolvo {
namespace {

constexpr std::string_view kPrologue =
    "%PDF-1.1\n"
    "%\xC2\xA5\xC2\xB1\xC3\xAB\n"
    "\n"
    "1 0 obj << /Type /Catalog /Pages 2 0 R  >> endobj\n"
    "3 0 obj << /Type /Page /Parent 2 0 R /Resources 4 0 R /Contents 11 0 R >> endobj\n"
    "4 0 obj << /Font <<  /F1 5 0 R  /F2 6 0 R  /F3 7 0 R /F4 8 0 R  /F5 9 0 R  /F6 10 0 R >> >> endobj\n"
    "5 0 obj << /Type /Font /Subtype /Type1 /BaseFont /Times-Roman   >> endobj\n"
    "6 0 obj << /Type /Font /Subtype /Type1 /BaseFont /Times-Bold    >> endobj \n"
    "7 0 obj << /Type /Font /Subtype /Type1 /BaseFont /Symbol        >> endobj\n"
    "8 0 obj << /Type /Font /Subtype /Type1 /BaseFont /Times-Italic  >> endobj\n"
    "9 0 obj << /Type /Font /Subtype /Type1 /BaseFont /Courier       >> endobj\n"
    "10 0 obj << /Type /Font /Subtype /Type1 /BaseFont /ZapfDingbats >> endobj\n"
    "11 0 obj\n"
    "  << /Length 31 0 R >>\n"
    "stream\n";

std::size_t countOf(std::string_view text, std::string_view what) {
  std::size_t count = 0;
  for (std::size_t at = text.find(what); at != std::string_view::npos;
       at = text.find(what, at + what.size())) {
    ++count;
  }
  return count;
}

// The content streams of a document, in file order, each from the byte
// after its keyword line to the "endstream".
std::vector<std::string> streams(const std::string& pdf) {
  std::vector<std::string> result;
  std::size_t at = 0;
  while ((at = pdf.find("stream\n", at)) != std::string::npos) {
    const std::size_t begin = at + 7;
    const std::size_t end = pdf.find("endstream\n", begin);
    if (end == std::string::npos) break;
    result.push_back(pdf.substr(begin, end - begin));
    at = end + 10;
  }
  return result;
}

class PdfWriterTest : public ::testing::Test {
 protected:
  void start(char option = 's') {
    writer_ = makePdfWriter(out_, state_);
    writer_->prologue();
    writer_->topSpacing(option);
  }

  // One text line through the line step and the page step; returns the
  // bytes written for it.
  std::string text(std::string_view line) {
    const std::size_t before = doc_.size();
    writer_->line({line, {}, false});
    writer_->pageStep();
    return doc_.substr(before);
  }

  // A drawing line: its path first, then the line and page steps.
  std::string drawing(std::string_view line) {
    const std::size_t before = doc_.size();
    writer_->drawing(line);
    writer_->line({"", {}, true});
    writer_->pageStep();
    return doc_.substr(before);
  }

  std::string finish() {
    writer_->epilogue();
    return doc_;
  }

  std::string doc_;
  OutputSink out_{&doc_};
  LineMarks state_;
  std::unique_ptr<Writer> writer_;
};

TEST_F(PdfWriterTest, PrologueIsByteExactAndPutsTheCatalogAtByte18) {
  start();
  EXPECT_EQ(doc_, kPrologue);
  EXPECT_EQ(doc_.find("1 0 obj"), 18u);
  EXPECT_EQ(writer_->progressTrace(false), "writing line 820 ...\n");
  EXPECT_EQ(writer_->page(), 1u);
}

TEST_F(PdfWriterTest, EmptyDocumentIsOneEmptyPageWithAnExactTable) {
  start();
  const std::string expected =
      std::string(kPrologue) +
      "endstream\n"
      "endobj\n"
      "\n"
      "31 0 obj 0 endobj\n"
      "2 0 obj << /Type /Pages /Kids [3 0 R] /Count 1 /MediaBox [0 0 595 842] >> endobj\n"
      "xref\n"
      "0 12\n"
      "0000000000 65535 f \n"
      "0000000018 00000 n \n"
      "0000000768 00000 n \n"
      "0000000068 00000 n \n"
      "0000000149 00000 n \n"
      "0000000248 00000 n \n"
      "0000000322 00000 n \n"
      "0000000397 00000 n \n"
      "0000000471 00000 n \n"
      "0000000545 00000 n \n"
      "0000000619 00000 n \n"
      "0000000693 00000 n \n"
      "31 1\n"
      "0000000750 00000 n \n"
      "trailer\n"
      "  <<  /Root 1 0 R /Size 32\n"
      "  >>\n"
      "startxref\n"
      "849\n"
      "%%EOF\n";
  EXPECT_EQ(finish(), expected);
}

TEST_F(PdfWriterTest, PlainLinesStepDownByTheLineSpacing) {
  start();
  EXPECT_EQ(text("Hello "), "  BT /F1 12 Tf 30 805 Td (Hello ) Tj ET\n");
  EXPECT_EQ(text("\\(a\\) "), "  BT /F1 12 Tf 30 790 Td (\\(a\\) ) Tj ET\n");
  state_.page.add(PageRequest::LargeSpacing);
  EXPECT_EQ(text("big"), "  BT /F1 12 Tf 30 770 Td (big) Tj ET\n");
  state_.startLine();
  EXPECT_EQ(text(""), "  BT /F1 12 Tf 30 750 Td () Tj ET\n");
  // Large text ended on a later line: normal spacing from that line on.
  state_.page.add(PageRequest::EndLarge);
  EXPECT_EQ(text("small"), "  BT /F1 12 Tf 30 735 Td (small) Tj ET\n");
}

TEST_F(PdfWriterTest, UnderlineWorkedExample) {
  start();
  state_.underline = 1;
  state_.underline_length = 1;
  state_.underline_x = 50;
  EXPECT_EQ(text("Hello world_ "),
            "  BT /F1 12 Tf 30 805 Td (Hello world_ ) Tj ET\n"
            "  BT /F1 12 Tf 56 805 Td (__) Tj ET \n");
  EXPECT_EQ(state_.underline, 0);
  // The next line is plain again.
  EXPECT_EQ(text("next"), "  BT /F1 12 Tf 30 790 Td (next) Tj ET\n");
}

TEST_F(PdfWriterTest, HighlightIsAYellowRowUnderTheLineInBlack) {
  start();
  state_.highlight = 1;
  state_.highlight_length = 2;
  state_.highlight_x = 45;
  EXPECT_EQ(text("Some marked text "),
            "  BT /F6 13 Tf 51 805 Td 1 1 0 rg (zzz) Tj ET \n"
            "  BT /F1 12 Tf 30 805 Td 0 0 0 rg (Some marked text ) Tj ET\n");
  EXPECT_EQ(state_.highlight, 0);
}

TEST_F(PdfWriterTest, LineWithBothIsWrittenTwiceAtTheMargin) {
  start();
  state_.underline = 1;
  state_.underline_length = 0;
  state_.underline_x = 80;
  state_.highlight = 1;
  state_.highlight_length = 3;
  state_.highlight_x = 30;
  // A centring start does not move an overprinted line.
  state_.center = 1;
  state_.line_x = 200;
  EXPECT_EQ(text("A B "),
            "  BT /F1 12 Tf 30 805 Td (A B ) Tj ET\n"
            "  BT /F1 12 Tf 86 805 Td (_) Tj ET \n"
            "  BT /F6 13 Tf 36 805 Td 1 1 0 rg (zzzz) Tj ET \n"
            "  BT /F1 12 Tf 30 805 Td 0 0 0 rg (A B ) Tj ET\n");
  EXPECT_EQ(state_.underline, 0);
  EXPECT_EQ(state_.highlight, 0);
  EXPECT_EQ(state_.center, 0);
  EXPECT_EQ(state_.line_x, 30);
}

TEST_F(PdfWriterTest, NegativeCountsGiveEmptyOverprints) {
  start();
  state_.underline = 1;
  state_.underline_length = -3;
  state_.underline_x = 30;
  EXPECT_EQ(text("x"),
            "  BT /F1 12 Tf 30 805 Td (x) Tj ET\n"
            "  BT /F1 12 Tf 36 805 Td () Tj ET \n");
  state_.highlight = 1;
  state_.highlight_length = -1;
  state_.highlight_x = -20;
  EXPECT_EQ(text("y"),
            "  BT /F6 13 Tf -14 790 Td 1 1 0 rg () Tj ET \n"
            "  BT /F1 12 Tf 30 790 Td 0 0 0 rg (y) Tj ET\n");
}

TEST_F(PdfWriterTest, CentredLineStartsAtTheMeasuredMarginOnce) {
  start();
  state_.center = 1;
  state_.line_x = 307;
  EXPECT_EQ(text("Title "), "  BT /F1 12 Tf 307 805 Td (Title ) Tj ET\n");
  EXPECT_EQ(state_.center, 0);
  EXPECT_EQ(state_.line_x, 30);
  state_.center = 1;
  state_.line_x = -17;
  EXPECT_EQ(text("long"), "  BT /F1 12 Tf -17 790 Td (long) Tj ET\n");
  EXPECT_EQ(text("after"), "  BT /F1 12 Tf 30 775 Td (after) Tj ET\n");
}

TEST_F(PdfWriterTest, DrawingLineTakesNoSpaceButEndsItsLine) {
  start();
  text("one");
  state_.center = 1;
  state_.line_x = 100;
  state_.underline = 1;  // a "%us" on the drawing line waits for the next text line
  EXPECT_EQ(drawing("$sl 5 100 100 200 200 %us\n"), " 0 0 1 RG 1 w 100 100 m 200 200 l S\n");
  EXPECT_EQ(state_.center, 0);
  EXPECT_EQ(state_.line_x, 30);
  EXPECT_EQ(state_.underline, 1);
  EXPECT_EQ(writer_->progressTrace(true), "writing line 805 ...\n");
  EXPECT_EQ(text("two").substr(0, 30), "  BT /F1 12 Tf 30 790 Td (two)");
  EXPECT_EQ(state_.underline, 0);
}

TEST_F(PdfWriterTest, PageBreakOpensPageTwoAsObjects12And22) {
  start();
  for (int i = 0; i < 52; ++i) text("x");
  const std::string last = text("x");
  const std::string head = "  BT /F1 12 Tf 30 25 Td (x) Tj ET\nendstream\nendobj\n\n31 0 obj ";
  ASSERT_EQ(last.substr(0, head.size()), head);
  EXPECT_EQ(last.substr(last.find(" endobj\n") + 8),
            "12 0 obj << /Type /Page /Parent 2 0 R /Resources 4 0 R /Contents 22 0 R >> endobj \n"
            "22 0 obj\n"
            "  << /Length 32 0 R >>\n"
            "  stream\n");
  EXPECT_EQ(writer_->page(), 2u);
  EXPECT_EQ(writer_->progressTrace(false), "writing line 820 ...\n");
  EXPECT_EQ(text("y"), "  BT /F1 12 Tf 30 805 Td (y) Tj ET\n");
}

TEST_F(PdfWriterTest, PagesHold53LinesOr46And44OnAShiftedFirstPage) {
  struct Case {
    char option;
    std::size_t firstPage;
    std::string lastBaseline;
  };
  for (const Case& c : {Case{'s', 53, " 25 Td"}, Case{'t', 46, " 30 Td"}, Case{'T', 44, " 20 Td"}}) {
    SCOPED_TRACE(c.option);
    doc_.clear();
    state_ = LineMarks{};
    start(c.option);
    for (std::size_t i = 0; i < c.firstPage + 53 + 1; ++i) text("line");
    const std::vector<std::string> pages = streams(finish());
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(countOf(pages[0], "  BT "), c.firstPage);
    EXPECT_NE(pages[0].find(c.lastBaseline + " (line) Tj ET\n", pages[0].size() - 40),
              std::string::npos);
    EXPECT_EQ(countOf(pages[1], "  BT "), 53u);
    EXPECT_EQ(pages[1].substr(0, 30), "  BT /F1 12 Tf 30 805 Td (line");
    EXPECT_EQ(countOf(pages[2], "  BT "), 1u);
  }
}

TEST_F(PdfWriterTest, DocumentEndingOnAPageEndHasAnEmptyLastPage) {
  start();
  for (int i = 0; i < 53; ++i) text("x");
  const std::string pdf = finish();
  EXPECT_NE(pdf.find("22 0 obj\n  << /Length 32 0 R >>\n  stream\nendstream\nendobj\n\n"
                     "32 0 obj 0 endobj\n"),
            std::string::npos);
  EXPECT_NE(pdf.find("/Kids [3 0 R 12 0 R] /Count 2 "), std::string::npos);
}

TEST_F(PdfWriterTest, PageTenIsObject110WithContents210) {
  start();
  for (int i = 0; i < 9 * 53 + 1; ++i) text("x");
  const std::string pdf = finish();
  EXPECT_NE(pdf.find("\n110 0 obj << /Type /Page /Parent 2 0 R /Resources 4 0 R "
                     "/Contents 210 0 R >> endobj \n210 0 obj\n  << /Length 310 0 R >>\n"),
            std::string::npos);
  EXPECT_NE(pdf.find("/Kids [3 0 R 12 0 R 13 0 R 14 0 R 15 0 R 16 0 R 17 0 R 18 0 R 19 0 R "
                     "110 0 R] /Count 10 /MediaBox [0 0 595 842] >> endobj\n"),
            std::string::npos);
  EXPECT_EQ(writer_->page(), 10u);
}

TEST_F(PdfWriterTest, PageBreakTagEndsThePageAfterItsLine) {
  start();
  text("a");
  state_.page.add(PageRequest::PageBreak);  // what "%pg" asks
  EXPECT_EQ(text("b").substr(0, 40), "  BT /F1 12 Tf 30 15 Td (b) Tj ET\nendstr");
  EXPECT_EQ(writer_->page(), 2u);
  // On a drawing line it ends the page as well.
  EXPECT_NE(drawing("$sl 0 1   1   2   2  %pg\n").find("/Contents 23 0 R"), std::string::npos);
  EXPECT_EQ(writer_->page(), 3u);
}

// Whole conversions: the tag rows measure, the writer draws.

std::string body(const std::string& pdf) {
  const std::vector<std::string> pages = streams(pdf);
  return pages.empty() ? std::string() : pages.front();
}

TEST(PdfConversion, UnderlineWorkedExample) {
  EXPECT_EQ(body(convertText("Hello %usworld%ue\n", Format::Pdf)),
            "  BT /F1 12 Tf 30 805 Td (Hello world_ ) Tj ET\n"
            "  BT /F1 12 Tf 56 805 Td (__) Tj ET \n");
}

TEST(PdfConversion, HighlightMeasuredFromTheLine) {
  // "%hs" gives "_" at 5, the "%" of "%he" is at 12: 3 squares from x 51.
  EXPECT_EQ(body(convertText("Some %hsmarked%he text\n", Format::Pdf)),
            "  BT /F6 13 Tf 51 805 Td 1 1 0 rg (zzz) Tj ET \n"
            "  BT /F1 12 Tf 30 805 Td 0 0 0 rg (Some marked text ) Tj ET\n");
}

TEST(PdfConversion, CentredTitle) {
  EXPECT_EQ(body(convertText("%csTitle\nnext\n", Format::Pdf)),
            "  BT /F1 12 Tf 307 805 Td (Title ) Tj ET\n"
            "  BT /F1 12 Tf 30 790 Td (next ) Tj ET\n");
}

TEST(PdfConversion, PageBreakTagWritesItsLineAt15) {
  const std::vector<std::string> pages =
      streams(convertText("a\nb%pg\nc", Format::Pdf));
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_EQ(pages[0],
            "  BT /F1 12 Tf 30 805 Td (a ) Tj ET\n"
            "  BT /F1 12 Tf 30 15 Td (b ) Tj ET\n");
  EXPECT_EQ(pages[1], "  BT /F1 12 Tf 30 805 Td (c) Tj ET\n");
}

TEST(PdfConversion, LargeSpacingHoldsUntilALaterEndTag) {
  const std::string page =
      body(convertText("%lsBig%le\nstill\n%leback\nnormal\n", Format::Pdf));
  std::vector<std::string> baselines;
  for (std::size_t at = page.find(" Td "); at != std::string::npos; at = page.find(" Td ", at + 1)) {
    baselines.push_back(page.substr(page.rfind(' ', at - 1) + 1, at - page.rfind(' ', at - 1) - 1));
  }
  EXPECT_EQ(baselines, (std::vector<std::string>{"800", "780", "765", "750"}));
}

TEST(PdfConversion, DrawingFormsLandInThePageAndPrintTheTrace) {
  std::string console;
  const std::string pdf = convertText(
      "first\n"
      "$sl 5 100 100 200 200\n"
      "$st 1 100 300 200 300\n"
      "$sb G 050 100 545 200\n"
      "$sr 3 010 020 030 040\n"
      "second\n",
      Format::Pdf, 'v', &console);
  EXPECT_EQ(body(pdf),
            "  BT /F1 12 Tf 30 805 Td (first ) Tj ET\n"
            " 0 0 1 RG 1 w 100 100 m 200 200 l S\n"
            " 1 0 0 RG 4 w 100 300 m 200 300 l S\n"
            " .8 .8 .8 rg 050 100 m 050 200 l 545 200 l 545 100 l 050 100 l f\n"
            " 0 1 0 RG 010 020 m 010 040 l 030 040 l 030 020 l 010 020 l S f\n"
            "  BT /F1 12 Tf 30 790 Td (second ) Tj ET\n");
  EXPECT_EQ(console,
            "writing line 805 ...\n"
            "writing line 805 ...\n"
            "writing line 805 ...\n"
            "writing line 805 ...\n"
            "writing line 805 ...\n"
            "writing line 790 ...\n");
}

TEST(PdfConversion, TopSpacingOptions) {
  EXPECT_EQ(body(convertText("a\n", Format::Pdf, 't')).substr(0, 25),
            "  BT /F1 12 Tf 30 705 Td ");
  EXPECT_EQ(body(convertText("a\n", Format::Pdf, 'T')).substr(0, 25),
            "  BT /F1 12 Tf 30 665 Td ");
}

}  // namespace
}  // namespace kolvo
