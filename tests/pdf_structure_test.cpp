// The PDF file as readers see it: a parser that checks the cross-reference
// table, the stream lengths and the page tree against the bytes written, and
// the real consumers (qpdf, pdftotext, mutool, Ghostscript) on converted
// documents.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "driver/conversion.hpp"
#include "markup/tag_table.hpp"
#include "support/document_generator.hpp"
#include "support/fake_fallback_fonts.hpp"
#include "support/same_bytes.hpp"
#include "support/test_support.hpp"
#include "writers/output_sink.hpp"
#include "writers/pdf_writer.hpp"

namespace kolvo {
namespace {

using test::runCommand;
using test::TempDir;

bool readNumber(std::string_view text, std::size_t& at, std::uint64_t& value) {
  const char* begin = text.data() + at;
  const auto [end, error] = std::from_chars(begin, text.data() + text.size(), value);
  if (error != std::errc() || end == begin) return false;
  at += static_cast<std::size_t>(end - begin);
  return true;
}

bool startsWithAt(std::string_view text, std::size_t at, std::string_view prefix) {
  return at <= text.size() && text.substr(at, prefix.size()) == prefix;
}

// Reads a written PDF and reports every way in which its cross-reference
// table, trailer, stream lengths or page tree do not describe it. Empty
// when the file is sound and has `pages` pages.
std::string structureProblems(std::string_view pdf, std::uint64_t pages) {
  std::ostringstream problems;

  // Trailer tail: "startxref\nNNN\n%%EOF\n".
  const std::size_t tail = pdf.rfind("startxref\n");
  std::uint64_t xrefAt = 0;
  std::size_t at = tail + 10;
  if (tail == std::string_view::npos || !readNumber(pdf, at, xrefAt) ||
      pdf.substr(at) != "\n%%EOF\n") {
    return "no startxref and %%EOF at the end";
  }
  if (!startsWithAt(pdf, xrefAt, "xref\n")) return "startxref does not point at xref";

  // The table: subsections of 20-byte entries, the free entry first.
  std::map<std::uint64_t, std::uint64_t> offsets;
  at = xrefAt + 5;
  bool first = true;
  while (!startsWithAt(pdf, at, "trailer\n")) {
    std::uint64_t start = 0, count = 0;
    const bool header = readNumber(pdf, at, start) && startsWithAt(pdf, at, " ") &&
                        readNumber(pdf, ++at, count) && startsWithAt(pdf, at, "\n");
    if (!header) return "bad subsection header at byte " + std::to_string(at);
    ++at;
    for (std::uint64_t number = start; number < start + count; ++number, at += 20) {
      const std::string_view entry = pdf.substr(at, 20);
      if (first) {
        if (number != 0 || entry != "0000000000 65535 f \n") return "free entry is not first";
        first = false;
        continue;
      }
      std::uint64_t offset = 0;
      std::size_t digits = 0;
      if (entry.size() != 20 || !readNumber(entry, digits, offset) || digits != 10 ||
          entry.substr(10) != " 00000 n \n") {
        return "bad entry for object " + std::to_string(number);
      }
      if (!offsets.emplace(number, offset).second) {
        problems << "object " << number << " listed twice; ";
      }
    }
  }
  if (offsets.empty()) return "empty cross-reference table";
  const std::string trailer =
      "trailer\n  <<  /Root 1 0 R /Size " + std::to_string(offsets.rbegin()->first + 1) +
      "\n  >>\nstartxref\n";
  if (pdf.substr(at, trailer.size()) != trailer || at + trailer.size() != tail + 10) {
    problems << "trailer or /Size wrong; ";
  }

  // Every offset points at its object, at a line start.
  for (const auto& [number, offset] : offsets) {
    if (offset == 0 || offset >= pdf.size() || pdf[offset - 1] != '\n' ||
        !startsWithAt(pdf, offset, std::to_string(number) + " 0 obj")) {
      problems << "object " << number << " not at " << offset << "; ";
    }
  }
  // Every object written is listed.
  std::size_t objects = 0;
  for (std::size_t line = 0; line < xrefAt; line = pdf.find('\n', line) + 1) {
    std::size_t p = line;
    std::uint64_t number = 0;
    if (readNumber(pdf, p, number) && startsWithAt(pdf, p, " 0 obj")) {
      ++objects;
      if (offsets.count(number) == 0 || offsets[number] != line) {
        problems << "object " << number << " at " << line << " not in the table; ";
      }
    }
  }
  if (objects != offsets.size()) problems << "table and file hold different objects; ";

  auto objectText = [&](std::uint64_t number) -> std::string_view {
    const auto found = offsets.find(number);
    if (found == offsets.end()) return {};
    return pdf.substr(found->second);
  };

  // The page tree names pages 3, 12, 13, ... in order.
  const std::string_view tree = objectText(2);
  const std::string treeHead = "2 0 obj << /Type /Pages /Kids [";
  if (!startsWithAt(tree, 0, treeHead)) return problems.str() + "no page tree";
  std::string kids = "3 0 R";
  for (std::uint64_t page = 2; page <= pages; ++page) kids += " 1" + std::to_string(page) + " 0 R";
  const std::string treeRest = kids + "] /Count " + std::to_string(pages) +
                               " /MediaBox [0 0 595 842] >> endobj\n";
  if (tree.substr(treeHead.size(), treeRest.size()) != treeRest) {
    problems << "page tree does not list exactly " << pages << " pages; ";
  }

  // Each page names its content stream, whose length object is exact.
  for (std::uint64_t page = 1; page <= pages; ++page) {
    const std::string digits = std::to_string(page);
    const std::uint64_t pageObject = page == 1 ? 3 : std::stoull("1" + digits);
    const std::uint64_t contents = page == 1 ? 11 : std::stoull("2" + digits);
    const std::uint64_t length = std::stoull("3" + digits);
    const std::string names = "/Parent 2 0 R /Resources 4 0 R /Contents " + std::to_string(contents) + " 0 R";
    const std::string_view object = objectText(pageObject);
    const std::size_t named = object.substr(0, object.find("endobj")).find(names);
    if (named == std::string_view::npos ||
        (!startsWithAt(object, named + names.size(), " >>") &&
         !startsWithAt(object, named + names.size(), " /Annots ["))) {
      problems << "page " << page << " does not name its contents; ";
      continue;
    }
    const std::string head = std::to_string(contents) + " 0 obj\n  << /Length " +
                             std::to_string(length) + " 0 R >>\n" +
                             (page == 1 ? "stream\n" : "  stream\n");
    if (!startsWithAt(objectText(contents), 0, head)) {
      problems << "contents of page " << page << " have a wrong header; ";
      continue;
    }
    const std::size_t dataAt = offsets[contents] + head.size();
    const std::string_view lengthText = objectText(length);
    const std::string lengthHead = std::to_string(length) + " 0 obj ";
    std::size_t p = lengthHead.size();
    std::uint64_t n = 0;
    if (!startsWithAt(lengthText, 0, lengthHead) || !readNumber(lengthText, p, n) ||
        !startsWithAt(lengthText, p, " endobj\n")) {
      problems << "length object of page " << page << " is malformed; ";
      continue;
    }
    if (n > pdf.size() || !startsWithAt(pdf, dataAt + n, "endstream\nendobj\n\n" + lengthHead) ||
        (n > 0 && pdf[dataAt + n - 1] != '\n')) {
      problems << "stream of page " << page << " is not " << n << " bytes; ";
    }
  }
  return problems.str();
}

// A document written straight through the writer: `pages` pages, some
// lines underlined or highlighted, some drawings, so that the streams
// differ in length.
std::string writtenDocument(std::uint64_t pages) {
  std::string pdf;
  OutputSink out(&pdf);
  LineMarks state;
  const std::unique_ptr<Writer> writer = makePdfWriter(out, state);
  writer->prologue();
  writer->topSpacing('s');
  const std::uint64_t lines = 53 * (pages - 1) + 1;
  for (std::uint64_t i = 0; i < lines; ++i) {
    if (i % 7 == 3) {
      // A drawing line: its path, and no space taken.
      writer->drawing("$sl 1 100 100 200 " + std::to_string(i % 500));
      writer->line({"$sl 1 100 100 200 200 ", {}, true});
      writer->pageStep();
    }
    state.underline = i % 5 == 1 ? 1 : 0;
    state.underline_length = static_cast<std::int32_t>(i % 9) - 2;
    state.highlight = i % 11 == 2 ? 1 : 0;
    state.highlight_length = static_cast<std::int32_t>(i % 4);
    writer->line({"line " + std::to_string(i) + std::string(i % 13, 'w') + " \\(x\\) ", {}, false});
    writer->pageStep();
  }
  writer->epilogue();
  return pdf;
}

TEST(PdfStructure, TableLengthsAndPageTreeDescribeTheFile) {
  for (std::uint64_t pages : {1u, 2u, 105u, 106u, 300u}) {
    SCOPED_TRACE(pages);
    EXPECT_EQ(structureProblems(writtenDocument(pages), pages), "");
  }
}

// Typed text writes its page objects at the end, after the link
// annotations they name: the table still finds every one.
TEST(PdfStructure, TypedPagesWrittenLastAreWhereTheTableSays) {
  for (const std::uint64_t pages : {1u, 2u, 106u}) {
    SCOPED_TRACE(pages);
    std::string input;
    for (std::uint64_t i = 0; i < 53 * (pages - 1) + 1; ++i) {
      input += i % 3 == 0 ? "see https://example.org/" + std::to_string(i) + " (x)\n" : "plain\n";
    }
    const std::string pdf = convertText(input, Format::Pdf, 's', nullptr, TextMode::Typed);
    EXPECT_EQ(structureProblems(pdf, pages), "");
    EXPECT_NE(pdf.find("/Annots ["), std::string::npos);
  }
}

// A CFF font leaves one of its object numbers unused; the annotations
// after the fonts must not take the number of the last font object.
TEST(PdfStructure, AnnotationsAfterFontsWithAGapTakeNumbersOfTheirOwn) {
  test::FakeFallbackFonts fonts(true);
  const std::string input =
      "\xD0\x9F\xD1\x80\xD0\xB8 \xE4\xB8\xAD\xE6\x96\x87 \xE2\x95\x90 see https://y.org/\n";
  const std::string pdf =
      convertText(input, Format::Pdf, 's', nullptr, TextMode::Typed, nullptr, &fonts);
  EXPECT_EQ(structureProblems(pdf, 1), "");
  EXPECT_NE(pdf.find("/Subtype /Link"), std::string::npos);
}

TEST(PdfStructure, ParserCatchesADamagedFile) {
  const std::string good = writtenDocument(2);
  ASSERT_EQ(structureProblems(good, 2), "");
  EXPECT_NE(structureProblems(good, 3), "");
  std::string shifted = good;
  shifted.insert(shifted.find("12 0 obj"), " ");
  EXPECT_NE(structureProblems(shifted, 2), "");
  std::string longer = good;
  longer.insert(longer.find("endstream"), "x\n");
  EXPECT_NE(structureProblems(longer, 2), "");
}

// The pages a document says it has: one, plus one per later stream.
std::uint64_t pageCountOf(std::string_view pdf) {
  std::uint64_t pages = 1;
  for (std::size_t at = pdf.find("  stream\n"); at != std::string_view::npos;
       at = pdf.find("  stream\n", at + 1)) {
    ++pages;
  }
  return pages;
}

// The consumers.

// Runs every installed reader on `pdf` and expects no error and no warning.
void expectReadersAccept(const std::filesystem::path& pdf, std::string* text = nullptr) {
  SCOPED_TRACE(pdf.string());
  if (test::toolAvailable("qpdf")) {
    const auto r = runCommand({"qpdf", "--check", pdf.string()});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out.find("WARNING"), std::string::npos) << r.out;
  }
  if (test::toolAvailable("mutool")) {
    const auto r = runCommand({"mutool", "draw", "-q", "-F", "pnm", "-r", "20", "-o", "/dev/null",
                              pdf.string()});
    EXPECT_EQ(r.status, 0) << r.err;
    // This build of mutool always says that it has no colour management.
    std::string messages = r.err;
    const std::string icc = "warning: ICC support is not available\n";
    if (messages.rfind(icc, 0) == 0) messages.erase(0, icc.size());
    EXPECT_EQ(messages, "");
  }
  if (text != nullptr && test::toolAvailable("pdftotext")) {
    const auto r = runCommand({"pdftotext", "-raw", pdf.string(), "-"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    *text = r.out;
  }
}

std::string withoutBlanks(std::string_view text) {
  std::string result;
  for (char c : text) {
    if (!std::isspace(static_cast<unsigned char>(c))) result += c;
  }
  return result;
}

// Every word of `words`, in order, is in `extracted` (blanks set aside:
// a font switch in a line may split or join the extracted words).
void expectWordsInOrder(const std::vector<std::string>& words, std::string_view extracted) {
  const std::string flat = withoutBlanks(extracted);
  std::size_t at = 0;
  for (const std::string& word : words) {
    const std::size_t found = flat.find(word, at);
    ASSERT_NE(found, std::string::npos)
        << "missing or out of order: " << word << "\nread back: " << extracted;
    at = found + word.size();
  }
}

// The words of a marked-up input that a reader can find on the page:
// drawing lines dropped, tags taken out (the percent tag leaves its "%" for
// the rows after it, as in the conversion), only tokens of letters and
// digits kept. Left out: centred lines, whose start may lie left of the
// page, and the rest of a line after a switch to the Symbol font or to a
// large size, which shows other glyphs or may run past the right edge.
std::vector<std::string> inputWords(std::string_view input) {
  std::vector<std::string> words;
  std::istringstream lines{std::string(input)};
  std::string line;
  while (std::getline(lines, line)) {
    if (line.rfind("$s", 0) == 0 || line.find("%cs") != std::string::npos) continue;
    for (const TagRow& row : kTagTable) {
      const bool cut = row.tag == "%Sy" || row.tag == "%Bs" || row.tag == "%ls" || row.tag == "%xs";
      const std::string_view by = row.replacement(Format::Pdf) == "%" ? "%" : " ";
      for (std::size_t at = line.find(row.tag); at != std::string::npos; at = line.find(row.tag, at)) {
        if (cut) {
          line.erase(at);
          break;
        }
        line.replace(at, row.tag.size(), by);
      }
    }
    std::istringstream tokens(line);
    std::string token;
    while (tokens >> token) {
      if (std::all_of(token.begin(), token.end(),
                      [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; })) {
        words.push_back(token);
      }
    }
  }
  return words;
}

TEST(PdfReaders, AcceptDocumentsOfManyPages) {
  KOLVO_REQUIRE_TOOL("qpdf");
  TempDir dir;
  for (std::uint64_t pages : {1u, 106u}) {
    const auto path = dir / ("pages" + std::to_string(pages) + ".pdf");
    test::writeFile(path, writtenDocument(pages));
    expectReadersAccept(path);
    if (test::toolAvailable("pdfinfo")) {
      const auto info = runCommand({"pdfinfo", path.string()});
      std::istringstream fields(info.out.substr(std::min(info.out.find("Pages:"), info.out.size())));
      std::string label;
      std::uint64_t count = 0;
      fields >> label >> count;
      EXPECT_EQ(count, pages) << info.out;
    }
  }
}

TEST(PdfReaders, GiveBackTheWordsOfTheInput) {
  KOLVO_REQUIRE_TOOL("pdftotext");
  TempDir dir;
  const std::string input =
      "Quarterly report\n"
      "%csCentred heading%ce\n"
      "Plain %bsbold%be and %isitalic%ie words\n"
      "Some %usunderlined%ue and %hsmarked%he text\n"
      "Parentheses (kept) and 1) items, a path C:\\new\\table and a lone \\\n"
      "$sl 1 030 400 565 400\n"
      "Greek %g1 between words\n"
      "%pg\n"
      "Second page ends here";
  const auto path = dir / "words.pdf";
  test::writeFile(path, convertText(input, Format::Pdf));
  std::string text;
  expectReadersAccept(path, &text);
  expectWordsInOrder({"Quarterly", "report", "Centred", "heading", "Plain", "bold", "and",
                      "italic", "words", "Some", "underlined", "and", "marked", "text",
                      "Parentheses", "(kept)", "and", "1)", "items,", "C:\\new\\table", "lone",
                      "\\", "Greek", "between", "words", "Second", "page", "ends", "here"},
                     text);
}

TEST(PdfReaders, RenderTheShowcaseAndTestDocuments) {
  KOLVO_REQUIRE_TOOL("qpdf");
  std::vector<std::filesystem::path> inputs;
  const auto showcase = test::sourceDir() / "examples" / "showcase.txt";
  ASSERT_TRUE(std::filesystem::exists(showcase)) << showcase;
  inputs.push_back(showcase);
  const auto documents = test::sourceDir() / "tests" / "documents";
  if (std::filesystem::is_directory(documents)) {
    for (const auto& entry : std::filesystem::directory_iterator(documents)) {
      if (entry.path().extension() == ".txt") inputs.push_back(entry.path());
    }
  }
  TempDir dir;
  std::vector<std::string> ghostscript = {"gs", "-dSAFER", "-dBATCH", "-dNOPAUSE",
                                          "-sDEVICE=nullpage"};
  for (const auto& input : inputs) {
    const auto output = dir / (input.stem().string() + ".pdf");
    const auto r = runCommand({test::kolvoBinary(), "-P", input.string(), output.string(), "-s"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::string text;
    expectReadersAccept(output, &text);
    if (test::toolAvailable("pdftotext")) expectWordsInOrder(inputWords(test::readFile(input)), text);
    ghostscript.push_back(output.string());
  }
  // Ghostscript too, all files in one run; it reports repairs with "****".
  if (test::toolAvailable("gs")) {
    const auto r = runCommand(ghostscript);
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ((r.out + r.err).find("****"), std::string::npos) << r.out << r.err;
    EXPECT_EQ((r.out + r.err).find("rror"), std::string::npos) << r.out << r.err;
  }
}

TEST(PdfReaders, WorksWhenTheOutputIsAPipe) {
  KOLVO_REQUIRE_TOOL("qpdf");
  std::string input;
  for (int i = 0; i < 120; ++i) input += "Line %us" + std::to_string(i) + "%ue\n";
  const auto piped = runCommand({test::kolvoBinary(), "-P", "-", "-", "-s"}, input);
  ASSERT_EQ(piped.status, 0) << piped.err;
  EXPECT_TRUE(test::sameBytes(convertText(input, Format::Pdf), piped.out));
  EXPECT_EQ(structureProblems(piped.out, 3), "");
}

// Many documents from the test generator: words, every tag, parentheses,
// backslashes and the other delimiters, and drawing lines, each read by
// every installed reader. A blank after every piece keeps the words apart,
// so that the words read back can be told from the input.
TEST(PdfReaders, AcceptGeneratedDocuments) {
  KOLVO_REQUIRE_TOOL("qpdf");
  test::DocumentMix mix;
  mix.line.maxPieces = 7;
  mix.line.words = 45;
  mix.line.blanks = 0;
  mix.line.tags = 33;
  mix.line.nearMisses = 0;
  mix.line.delimiters = 22;
  mix.line.blankAfterEachPiece = true;
  mix.manyLinesPercent = 20;
  mix.drawingPercent = 12;
  mix.longLinePercent = 0;
  mix.crlfPercent = 0;
  mix.noFinalLineFeedPercent = 10;
  test::DocumentGenerator generator(20260417);
  TempDir dir;
  for (int doc = 0; doc < 30; ++doc) {
    const std::string input = generator.document(mix);
    SCOPED_TRACE(input);
    const auto path = dir / ("generated" + std::to_string(doc) + ".pdf");
    const std::string pdf = convertText(input, Format::Pdf);
    test::writeFile(path, pdf);
    EXPECT_EQ(structureProblems(pdf, pageCountOf(pdf)), "");
    std::string text;
    expectReadersAccept(path, &text);
    if (test::toolAvailable("pdftotext")) expectWordsInOrder(inputWords(input), text);
  }
}

}  // namespace
}  // namespace kolvo
