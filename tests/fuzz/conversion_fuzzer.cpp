// Fuzzes a whole conversion in process. The first byte picks the format, the
// second the option letter and the text mode (markup, or typed as --escape
// gives it), the rest is the document. Besides the sanitizers' checks, every
// output must hold together:
//  - it starts with its format's prologue and ends with its epilogue;
//  - PostScript and PDF: no input text escapes a string operand, so every
//    output line ends outside any string and never closes one it did not open;
//  - PDF: startxref finds the table, every table entry finds its object, every
//    length object holds its stream's true length, /Size is one past the last;
//  - AbiWord and DocBook: well-formed XML, in both modes (see expectXml for
//    what the user's own tags of the markup may leave open);
//  - typed HTML: no markup in the body but the tag texts' and line forms';
//  - the fast line rewrite agrees with the one-call-per-row reference.
// A third bit of the second byte gives typed PostScript and PDF a fake set of
// three fallback fonts (tests/support/fake_fallback_fonts.hpp), so that
// random Unicode text runs through the fallback runs, their measures and
// the embedded fonts.
#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "driver/conversion.hpp"
#include "driver/line_reader.hpp"
#include "markup/format.hpp"
#include "markup/line_marks.hpp"
#include "pipeline/line_rewrite.hpp"
#include "markup/tag_table.hpp"
#include "markup/typed_tag_texts.hpp"
#include "support/fake_fallback_fonts.hpp"
#include "pipeline/line_rewrite.hpp"
#include "support/xml_check.hpp"
#include "text/typed_text.hpp"
#include "writers/flowing_writer.hpp"
#include "writers/paged/fallback_context.hpp"
#include "writers/writer_table.hpp"

namespace {

using kolvo::Format;
using kolvo::TextMode;

[[noreturn]] void fail(const char* what) {
  (void)std::fprintf(stderr, "conversion_fuzzer: %s\n", what);
  std::abort();
}

void expectFrame(std::string_view doc, std::string_view head, std::string_view tail) {
  if (doc.substr(0, head.size()) != head) fail("the prologue is missing");
  if (doc.size() < head.size() + tail.size() || doc.substr(doc.size() - tail.size()) != tail) {
    fail("the epilogue is missing");
  }
}

// PostScript string syntax, which PDF shares: "(" opens (and nests), ")"
// closes, a backslash takes the next byte with it, "%" outside a string
// starts a comment. Text lines never span output lines, so each output line
// must end outside every string.
void expectStringsBalanced(std::string_view doc) {
  int depth = 0;
  bool comment = false;
  for (std::size_t i = 0; i < doc.size(); ++i) {
    const char c = doc[i];
    if (c == '\n') {
      if (depth != 0) fail("a string operand runs past the end of its line");
      comment = false;
      continue;
    }
    if (comment) continue;
    if (depth > 0 && c == '\\') {
      if (i + 1 < doc.size() && doc[i + 1] != '\n') ++i;
      continue;
    }
    if (c == '(') {
      ++depth;
    } else if (c == ')') {
      if (depth == 0) fail("a ')' closes no string");
      --depth;
    } else if (c == '%' && depth == 0) {
      comment = true;
    }
  }
  if (depth != 0) fail("the document ends inside a string");
}

bool readNumber(std::string_view text, std::size_t& at, std::uint64_t& value) {
  const std::size_t start = at;
  value = 0;
  while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
    value = value * 10 + static_cast<std::uint64_t>(text[at] - '0');
    ++at;
  }
  return at > start && at - start < 19;
}

bool startsWith(std::string_view text, std::size_t at, std::string_view prefix) {
  return at <= text.size() && text.substr(at, prefix.size()) == prefix;
}

void expectPdfStructure(std::string_view pdf) {
  constexpr std::string_view kEof = "\n%%EOF\n";
  if (pdf.size() < kEof.size() || pdf.substr(pdf.size() - kEof.size()) != kEof) fail("no %%EOF");
  const std::size_t startxref = pdf.rfind("startxref\n");
  if (startxref == std::string_view::npos) fail("no startxref");
  std::size_t at = startxref + 10;
  std::uint64_t xref = 0;
  if (!readNumber(pdf, at, xref) || at != pdf.size() - kEof.size()) fail("bad startxref");
  if (!startsWith(pdf, xref, "xref\n")) fail("startxref does not point at the table");

  at = xref + 5;
  std::uint64_t highest = 0;
  std::uint64_t entries = 0;
  while (!startsWith(pdf, at, "trailer\n")) {
    std::uint64_t first = 0, count = 0;
    if (!readNumber(pdf, at, first) || !startsWith(pdf, at, " ")) fail("bad subsection");
    ++at;
    if (!readNumber(pdf, at, count) || !startsWith(pdf, at, "\n") || count == 0) {
      fail("bad subsection");
    }
    ++at;
    for (std::uint64_t n = first; n < first + count; ++n, at += 20) {
      if (at + 20 > pdf.size()) fail("table cut short");
      const std::string_view entry = pdf.substr(at, 20);
      if (n == 0) {
        if (entry != "0000000000 65535 f \n") fail("bad free entry");
        continue;
      }
      if (entries > 0 && n <= highest) fail("table not sorted");
      std::size_t digits = 0;
      std::uint64_t offset = 0;
      if (!readNumber(entry, digits, offset) || digits != 10 || entry.substr(10) != " 00000 n \n") {
        fail("bad table entry");
      }
      const std::string head = std::to_string(n) + " 0 obj";
      if (!startsWith(pdf, offset, head)) fail("a table entry misses its object");
      highest = n;
      ++entries;

      // A content stream: its length object must hold the true length.
      const std::string_view object = pdf.substr(offset + head.size());
      if (startsWith(object, 0, "\n  << /Length ")) {
        std::size_t p = 14;
        std::uint64_t lengthObject = 0;
        if (!readNumber(object, p, lengthObject) || !startsWith(object, p, " 0 R >>\n")) {
          fail("bad stream dictionary");
        }
        p += 8;
        if (startsWith(object, p, "  stream\n")) {
          p += 9;
        } else if (startsWith(object, p, "stream\n")) {
          p += 7;
        } else {
          fail("no stream keyword");
        }
        const std::string lengthHead = "\n" + std::to_string(lengthObject) + " 0 obj ";
        const std::size_t found = object.find(lengthHead, p);
        if (found == std::string_view::npos) fail("no length object after the stream");
        std::size_t q = found + lengthHead.size();
        std::uint64_t length = 0;
        if (!readNumber(object, q, length)) fail("bad length object");
        if (!startsWith(object, p + length, "endstream\nendobj\n")) fail("wrong stream length");
      }
    }
  }
  if (entries == 0) fail("empty table");
  const std::string size = "trailer\n  <<  /Root 1 0 R /Size " + std::to_string(highest + 1) + "\n";
  if (!startsWith(pdf, at, size)) fail("wrong /Size");
}

bool holdsTag(std::string_view input) {
  for (std::size_t at = input.find('%'); at != std::string_view::npos;
       at = input.find('%', at + 1)) {
    if (kolvo::beginsTag(input, at)) return true;
  }
  return false;
}

// AbiWord's tag texts close the current run and open the next, or stand
// alone, so they never cross an element: the output is well-formed whatever
// the input, in both modes. DocBook's style tags open and close elements of
// their own (<emphasis>, <phrase>...), and a "%bs" without its "%be" leaves
// one open: a mistake in the user's markup that the program passes on. So
// DocBook is held to full well-formedness only when the input holds no tag
// of the markup. Then no row of the table fires at all (a row acts on a
// tag, and only a tag's text can form another), and what is left is the
// user's text. With a tag, elements may cross but all else must hold.
void expectXml(std::string_view doc, Format format, std::string_view input) {
  const bool tagsMayCross = format == Format::DocBook && holdsTag(input);
  const std::string fault =
      kolvo::test::xmlFault(doc, tagsMayCross ? kolvo::test::Nesting::Unchecked
                                              : kolvo::test::Nesting::Checked);
  if (!fault.empty()) {
    (void)std::fprintf(stderr, "conversion_fuzzer: %s\n", fault.c_str());
    fail("the XML output is not well-formed");
  }
}

// The tags that Kolvo itself writes into a typed HTML body: those of its
// tag texts, of its line forms and of the title before them.
std::vector<std::string_view> typedHtmlTags() {
  std::vector<std::string_view> tags;
  const auto add = [&tags](std::string_view text) {
    for (std::size_t at = text.find('<'); at != std::string_view::npos;
         at = text.find('<', at + 1)) {
      tags.push_back(text.substr(at, text.find('>', at) + 1 - at));
    }
  };
  for (const kolvo::TagRow& row : kolvo::kTagTable) add(*kolvo::typedReplacement(row, Format::Html));
  const kolvo::FlowingFormat& html = kolvo::kHtmlTypedFormat;
  for (std::string_view text :
       {html.blankLine, html.plain.before, html.plain.after, html.centred.before,
        html.centred.after, html.firstLineTitle.before, html.firstLineTitle.after,
        html.rightToLeft.before, html.rightToLeft.after, html.rightToLeftCentred.before,
        html.rightToLeftCentred.after}) {
    add(text);
  }
  // An address's link: its target stands inside the start tag.
  tags.emplace_back("<a href=\"");
  tags.emplace_back("</a>");
  return tags;
}

// Typed text in HTML: every "<" of the body begins one of Kolvo's own tags,
// and every "&" a reference, so that none of the user's text became markup.
void expectTypedHtmlBody(std::string_view body) {
  static const std::vector<std::string_view> kOwnTags = typedHtmlTags();
  for (std::size_t at = body.find('<'); at != std::string_view::npos; at = body.find('<', at + 1)) {
    const std::string_view rest = body.substr(at);
    if (std::none_of(kOwnTags.begin(), kOwnTags.end(),
                     [rest](std::string_view tag) { return rest.starts_with(tag); })) {
      fail("typed text became markup in the HTML body");
    }
  }
  for (std::size_t at = body.find('&'); at != std::string_view::npos; at = body.find('&', at + 1)) {
    const std::size_t name = at + 1 + (at + 1 < body.size() && body[at + 1] == '#');
    std::size_t end = name;
    while (end < body.size() && std::isalnum(static_cast<unsigned char>(body[end]))) ++end;
    if (end == name || end == body.size() || body[end] != ';') fail("a stray '&' in typed HTML");
  }
}

// The fast path of the line rewrite must give what the reference gives,
// with the same effects, line after line, reading the lines as the run does.
void expectRewritesAgree(std::string_view input, Format format, TextMode mode, bool fallback) {
  kolvo::LineReader reader(input, mode == TextMode::Typed ? kolvo::kWholeLines : kolvo::kMaxPiece);
  kolvo::LineMarks fast;
  kolvo::LineMarks reference;
  kolvo::EscapeStats fastStats;
  kolvo::EscapeStats referenceStats;
  // Each path its own fonts: asked the same in the same order, they give
  // the same codes.
  kolvo::test::FakeFallbackFonts fastFonts;
  kolvo::test::FakeFallbackFonts referenceFonts;
  kolvo::paged::FallbackContext fastContext(fastFonts, format);
  kolvo::paged::FallbackContext referenceContext(referenceFonts, format);
  const bool drawsFallback = fallback && mode == TextMode::Typed && kolvo::isPaged(format);
  kolvo::paged::FallbackContext* const fastGlyphs = drawsFallback ? &fastContext : nullptr;
  kolvo::paged::FallbackContext* const referenceGlyphs = drawsFallback ? &referenceContext : nullptr;
  std::string line;
  std::string scratch;
  while (reader.next(line)) {
    std::string slow = line;
    fast.startLine();
    reference.startLine();
    kolvo::rewriteLine(line, scratch, format, fast, mode, fastStats, fastGlyphs);
    kolvo::rewriteLineReference(slow, format, reference, mode, referenceStats, referenceGlyphs);
    if (line != slow) fail("rewriteLine differs from the reference");
    if (!(fast == reference)) fail("rewriteLine has other effects than the reference");
    if (!(fastStats.lineItems == referenceStats.lineItems)) {
      fail("rewriteLine places the fallback runs elsewhere than the reference");
    }
    if (fastStats.missingGlyphs != referenceStats.missingGlyphs) {
      fail("rewriteLine counts other missing glyphs than the reference");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const Format format = kolvo::kAllFormats[data[0] % kolvo::kFormatCount];
  constexpr std::string_view kOptions = "VtTvsx";
  const char option = kOptions[data[1] % kOptions.size()];
  const TextMode mode = data[1] / kOptions.size() % 2 == 1 ? TextMode::Typed : TextMode::Markup;
  const bool fallback = data[1] / kOptions.size() / 2 % 2 == 1;
  const std::string_view input(reinterpret_cast<const char*>(data) + 2, size - 2);

  std::string console;
  kolvo::test::FakeFallbackFonts fonts(format != Format::PostScript);
  const std::string doc =
      kolvo::convertText(input, format, option, &console, mode, nullptr, fallback ? &fonts : nullptr);
  // The fonts follow the last page; their programs are binary.
  const std::string_view text = std::string_view(doc).substr(0, doc.find("\n40 0 obj"));

  // A flowing format by its texts; each paged one by what its writer
  // alone knows, and a paged format this does not know is a fault.
  const kolvo::WriterRow& row = kolvo::kWriterTable[kolvo::column(format)];
  if (row.flowing != nullptr) {
    const kolvo::FlowingFormat& f = mode == TextMode::Typed ? *row.typedFlowing : *row.flowing;
    expectFrame(doc, f.prologue, f.epilogue);
    if (kolvo::isXml(kolvo::fileSyntax(format))) expectXml(doc, format, input);
    if (format == Format::Html && mode == TextMode::Typed) {
      expectTypedHtmlBody(std::string_view(doc).substr(
          f.prologue.size(), doc.size() - f.prologue.size() - f.epilogue.size()));
    }
  } else if (format == Format::PostScript) {
    expectFrame(doc, "%!PS \n", "showpage \n");
    expectStringsBalanced(doc);
  } else if (format == Format::Pdf) {
    expectFrame(doc, "%PDF-1.1\n", "%%EOF\n");
    expectStringsBalanced(text);
    expectPdfStructure(doc);
  } else {
    fail("a paged format the fuzzer has no checks for");
  }
  if (option == 'V' && console.rfind(kolvo::versionLine(), 0) != 0) fail("no version line");
  expectRewritesAgree(input, format, mode, fallback);
  return 0;
}
