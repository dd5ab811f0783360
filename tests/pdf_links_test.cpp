// Typed PDF covers each web and e-mail address with a link annotation: a
// box over the address's words on each printed line it lies on, named by
// the page it is on, opening the address's target.
#include <gtest/gtest.h>

#include <charconv>
#include <string>
#include <string_view>
#include <vector>

#include "driver/conversion.hpp"
#include "support/test_support.hpp"
#include "writers/paged/paper_size.hpp"

namespace kolvo {
namespace {

struct Box {
  double left = 0, bottom = 0, right = 0, top = 0;
  std::string target;  // as the PDF string holds it
  std::uint64_t page = 0;
};

double numberAt(std::string_view text, std::size_t& at) {
  while (at < text.size() && text[at] == ' ') ++at;
  double value = 0;
  const auto [end, error] = std::from_chars(text.data() + at, text.data() + text.size(), value);
  at = static_cast<std::size_t>(end - text.data());
  return error == std::errc() ? value : -1;
}

// The annotations of `pdf` in the order of its pages' /Annots lists.
std::vector<Box> linkBoxes(std::string_view pdf) {
  std::vector<Box> boxes;
  std::uint64_t page = 0;
  for (std::size_t at = pdf.find(" obj << /Type /Page /"); at != std::string_view::npos;
       at = pdf.find(" obj << /Type /Page /", at + 1)) {
    ++page;
    const std::string_view object = pdf.substr(at, pdf.find("endobj", at) - at);
    const std::size_t list = object.find("/Annots [");
    if (list == std::string_view::npos) continue;
    std::size_t p = list + 9;
    while (p < object.size() && object[p] != ']') {
      const auto number = static_cast<std::uint64_t>(numberAt(object, p));
      p = object.find(" R", p) + 2;
      const std::string head = "\n" + std::to_string(number) + " 0 obj << /Type /Annot /Subtype /Link /Rect [";
      std::size_t q = pdf.find(head);
      if (q == std::string_view::npos) return {};
      q += head.size();
      Box box;
      box.page = page;
      box.left = numberAt(pdf, q);
      box.bottom = numberAt(pdf, q);
      box.right = numberAt(pdf, q);
      box.top = numberAt(pdf, q);
      const std::size_t uri = pdf.find("/URI (", q) + 6;
      box.target = std::string(pdf.substr(uri, pdf.find(") >> >> endobj", uri) - uri));
      boxes.push_back(box);
    }
  }
  return boxes;
}

std::string typedPdf(std::string_view input, const PaperSize* paper = nullptr) {
  return convertText(input, Format::Pdf, 's', nullptr, TextMode::Typed, paper);
}

TEST(PdfLinks, EachAddressIsABoxOverItsWordsThatOpensItsTarget) {
  const std::string pdf = typedPdf(
      "see https://example.org/a(b) now\n"
      "%bsmail%be joe@example.com, or (http://x.org/p?q=1&r=2).\n");
  const std::vector<Box> boxes = linkBoxes(pdf);
  ASSERT_EQ(boxes.size(), 3U) << pdf;
  EXPECT_EQ(boxes[0].target, "https://example.org/a\\(b\\)");
  EXPECT_EQ(boxes[1].target, "mailto:joe@example.com");
  EXPECT_EQ(boxes[2].target, "http://x.org/p?q=1&r=2");
  // "see " in Times-Roman 12 from the margin at 30: the box starts where
  // the address does.
  EXPECT_EQ(boxes[0].left, 48);
  for (const Box& box : boxes) {
    SCOPED_TRACE(box.target);
    EXPECT_EQ(box.page, 1U);
    EXPECT_LT(box.left, box.right);
    EXPECT_GT(box.right - box.left, 3.0 * static_cast<double>(box.target.size()));
    EXPECT_LE(box.right, 595);
    EXPECT_LT(box.bottom, box.top);
  }
  // The second line's boxes share its baseline, one line spacing down.
  EXPECT_EQ(boxes[1].bottom, boxes[2].bottom);
  EXPECT_LT(boxes[1].top, boxes[0].top);
  EXPECT_LE(boxes[1].top, boxes[0].bottom + 3);
  // A bold word before an address moves its box right.
  EXPECT_GT(boxes[1].left, 30 + 20);
}

TEST(PdfLinks, AnAddressWrappedOverTwoLinesHasABoxOnEach) {
  const std::string address = "https://example.org/" + std::string(130, 'a');
  const std::string pdf = typedPdf("intro " + address + " tail\n", &kPaperSizes[0]);
  const std::vector<Box> boxes = linkBoxes(pdf);
  ASSERT_EQ(boxes.size(), 2U) << pdf;
  EXPECT_EQ(boxes[0].target, address);
  EXPECT_EQ(boxes[1].target, address);
  EXPECT_GT(boxes[0].bottom, boxes[1].top - 3);  // the second lies below
  EXPECT_EQ(boxes[1].left, boxes[0].left);       // both start at the margin
  EXPECT_LE(boxes[0].right, kPaperSizes[0].width);
}

TEST(PdfLinks, APageNamesOnlyTheBoxesOnIt) {
  std::string input;
  for (int i = 0; i < 60; ++i) input += "line " + std::to_string(i) + " me" + std::to_string(i) + "@x.org\n";
  const std::vector<Box> boxes = linkBoxes(typedPdf(input));
  ASSERT_EQ(boxes.size(), 60U);
  std::uint64_t onFirst = 0;
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    EXPECT_EQ(boxes[i].target, "mailto:me" + std::to_string(i) + "@x.org");
    if (boxes[i].page == 1) ++onFirst;
    if (i > 0 && boxes[i].page == boxes[i - 1].page) {
      EXPECT_LT(boxes[i].top, boxes[i - 1].top);
    }
  }
  EXPECT_GT(onFirst, 40U);
  EXPECT_EQ(boxes.back().page, 2U);
}

TEST(PdfLinks, NoAddressOrNoTypedTextMeansNoAnnotation) {
  EXPECT_EQ(typedPdf("plain text, 50% off // not @ an address\n").find("/Annots"), std::string::npos);
  // Marked-up text keeps its bytes: no links there.
  const std::string markup = convertText("see https://example.org/\n", Format::Pdf);
  EXPECT_EQ(markup.find("/Annots"), std::string::npos);
  EXPECT_EQ(markup.find("3 0 obj << /Type /Page"), markup.find("3 0 obj"));
  // An address alone, at the start and end of a line without a line end.
  const std::vector<Box> boxes = linkBoxes(typedPdf("https://a.org/x"));
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].left, 30);
}

// The readers: qpdf finds nothing wrong, and each box covers the word
// pdftotext finds where the address is, wrapped or not.
TEST(PdfLinkReaders, BoxesCoverTheWordsPdftotextFinds) {
  KOLVO_REQUIRE_TOOL("qpdf");
  KOLVO_REQUIRE_TOOL("pdftotext");
  test::TempDir dir;
  const auto path = dir / "links.pdf";
  std::string input = "%bsBold%be https://example.org/one and %Bsbig%Be mailto:two@example.org\n";
  input += "%cscentred https://example.org/three%ce\n";
  input += "https://example.org/" + std::string(120, 'f') + " after\n";
  const std::string pdf = typedPdf(input, &kPaperSizes[0]);
  test::writeFile(path, pdf);
  const test::CommandResult check = test::runCommand({"qpdf", "--check", path.string()});
  EXPECT_EQ(check.status, 0) << check.out << check.err;
  const test::CommandResult json = test::runCommand({"qpdf", "--json", path.string()});
  for (const std::string target : {"https://example.org/one", "mailto:two@example.org",
                                   "https://example.org/three"}) {
    EXPECT_NE(json.out.find("\"/URI\": \"u:" + target + "\""), std::string::npos) << target;
  }
  const test::CommandResult words = test::runCommand({"pdftotext", "-bbox", path.string(), "-"});
  ASSERT_EQ(words.status, 0) << words.err;
  const std::vector<Box> boxes = linkBoxes(pdf);
  ASSERT_EQ(boxes.size(), 5U) << pdf;
  std::size_t next = 0;  // the box that the next address word lies in
  for (std::size_t at = words.out.find("<word "); at != std::string::npos;
       at = words.out.find("<word ", at + 1)) {
    const std::size_t textAt = words.out.find('>', at) + 1;
    const std::string word = words.out.substr(textAt, words.out.find('<', textAt) - textAt);
    if (word.find("example") == std::string::npos && word.find("ffff") == std::string::npos) continue;
    ASSERT_LT(next, boxes.size()) << word;
    std::size_t p = words.out.find("xMin=\"", at) + 6;
    const double xMin = numberAt(words.out, p);
    p = words.out.find("yMin=\"", at) + 6;
    const double yMin = numberAt(words.out, p);
    p = words.out.find("xMax=\"", at) + 6;
    const double xMax = numberAt(words.out, p);
    const Box& box = boxes[next++];
    SCOPED_TRACE(word);
    EXPECT_NEAR(box.left, xMin, 1.5);
    EXPECT_NEAR(box.right, xMax, 1.5);
    // pdftotext counts y from the top of the page.
    EXPECT_LE(box.bottom, kPaperSizes[0].height - yMin);
    EXPECT_GE(box.top, kPaperSizes[0].height - yMin - 2);
  }
  EXPECT_EQ(next, boxes.size());
}

}  // namespace
}  // namespace kolvo
