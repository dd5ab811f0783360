// Pages for print: the header and footer templates, the margins, the text
// area they leave, and the pages written in it (in-process, no reader).
#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "driver/conversion.hpp"
#include "driver/options.hpp"
#include "driver/page_design_options.hpp"
#include "writers/paged/fallback_widths.hpp"
#include "writers/paged/page_design.hpp"
#include "writers/paged/running_text.hpp"

namespace kolvo::test {
namespace {

using paged::PageDesign;
using paged::PageMargins;
using paged::RunningLine;

RunningLine parsed(std::string_view text) {
  RunningLine line;
  const std::string problem = paged::parseRunningLine(text, line);
  EXPECT_EQ(problem, "") << text;
  return line;
}

std::string part(const RunningLine& line, std::size_t i, std::uint64_t page = 7,
                 std::uint64_t pages = 12) {
  PageDesign design;
  design.fileName = "notes.txt";
  design.title = "Title";
  design.date = "2026-12-08";
  return paged::expandRunningPart(line.parts[i], design, page, pages);
}

TEST(RunningLineTemplate, PartsFillFromTheLeftAndEveryCodeExpands) {
  const RunningLine three = parsed("%f||Page %p of %P");
  EXPECT_EQ(part(three, 0), "notes.txt");
  EXPECT_EQ(part(three, 1), "");
  EXPECT_EQ(part(three, 2), "Page 7 of 12");
  EXPECT_TRUE(three.usesPageCount());

  const RunningLine one = parsed("%t, %d");
  EXPECT_EQ(part(one, 0), "Title, 2026-12-08");
  EXPECT_TRUE(one.parts[1].empty() && one.parts[2].empty());
  EXPECT_FALSE(one.usesPageCount());

  // %% and %| are the characters; a code's letter is case-sensitive.
  const RunningLine literal = parsed("100%% %| a|%p%P");
  EXPECT_EQ(part(literal, 0, 3, 40), "100% | a");
  EXPECT_EQ(part(literal, 1, 3, 40), "340");
  EXPECT_TRUE(parsed("").empty());
}

TEST(RunningLineTemplate, MistakesAreNamedAndQuotedSafely) {
  RunningLine line;
  EXPECT_NE(paged::parseRunningLine("a|b|c|d", line).find("more than three parts"),
            std::string::npos);
  EXPECT_NE(paged::parseRunningLine("50%", line).find("a % at the end"), std::string::npos);
  const std::string unknown = paged::parseRunningLine("x %q y", line);
  EXPECT_NE(unknown.find("unknown code '%q'"), std::string::npos) << unknown;
  // A control byte after the % is shown escaped, never raw.
  const std::string control = paged::parseRunningLine("%\x1b", line);
  EXPECT_NE(control.find("\\x1b"), std::string::npos) << control;
  EXPECT_EQ(control.find('\x1b'), std::string::npos);
}

TEST(RunningLineTemplate, AnyBytesBecomeCodesOfTheReencodedFont) {
  EXPECT_EQ(paged::runningCodes("plain"), "plain");
  EXPECT_EQ(paged::runningCodes("caf\xC3\xA9"), "caf\xE9");    // UTF-8 é
  EXPECT_EQ(paged::runningCodes("caf\xE9"), "caf\xE9");        // Windows-1252 é
  EXPECT_EQ(paged::runningCodes("\xE4\xB8\xAD|"), "?|");       // no Chinese in it
  EXPECT_EQ(paged::runningCodes("a\tb\x01"), "a b ");          // controls are blanks
  EXPECT_EQ(paged::runningCodes("\xE2\x80\x94"), "\x97");      // em dash, WinAnsi's
  // The typed apostrophe is itself, not the font's curly quote at 39.
  EXPECT_NE(paged::runningCodes("'"), "'");
}

std::string operators(Format format, std::string_view header, std::string_view fileName) {
  PageDesign design;
  design.header = parsed(header);
  design.fileName = fileName;
  const paged::PageFrame frame = paged::pageFrame(kA4Paper, &design);
  return paged::runningOperators(format, design, frame, 1, 1);
}

TEST(RunningLineTemplate, StringsAreEscapedInBothLanguages) {
  const std::string name = "a(b)\\c\xC3\xA9\x7f.txt";
  for (const Format format : {Format::PostScript, Format::Pdf}) {
    const std::string ops = operators(format, "%f", name);
    EXPECT_NE(ops.find("(a\\(b\\)\\\\c\\351 .txt)"), std::string::npos) << ops;
  }
  const std::string ps = operators(Format::PostScript, "L|C|R", "x");
  EXPECT_TRUE(ps.starts_with("gsave /KolvoRunning 9 selectfont")) << ps;
  EXPECT_TRUE(ps.ends_with("grestore\n")) << ps;
  const std::string pdf = operators(Format::Pdf, "L|C|R", "x");
  EXPECT_NE(pdf.find("BT /FR 9 Tf 30 "), std::string::npos) << pdf;
  EXPECT_TRUE(pdf.ends_with("Q\n")) << pdf;
}

// Left at the margin, centre in the middle, right ending at the margin: the
// x of each part, by its width in Times-Roman 9.
TEST(RunningLineTemplate, PartsStandAtTheLeftMiddleAndRight) {
  const std::string pdf = operators(Format::Pdf, "iiii|iiii|iiii", "x");
  // "i" is 278 units: four are 10.008 points at 9 points.
  EXPECT_NE(pdf.find("Tf 30 "), std::string::npos) << pdf;
  EXPECT_NE(pdf.find("Tf 292 "), std::string::npos) << pdf;  // 30 + (535 - 10.008) / 2
  EXPECT_NE(pdf.find("Tf 555 "), std::string::npos) << pdf;  // 565 - 10.008
}

PageMargins margins(std::string_view text) {
  const auto result = parseMargins(text);
  if (const auto* problem = std::get_if<std::string>(&result)) {
    ADD_FAILURE() << text << ": " << *problem;
    return {};
  }
  return std::get<PageMargins>(result);
}

std::string marginProblem(std::string_view text) {
  const auto result = parseMargins(text);
  const auto* problem = std::get_if<std::string>(&result);
  return problem != nullptr ? *problem : std::string();
}

TEST(MarginOption, UnitsAndOneValueForAll) {
  EXPECT_EQ(margins("36"), (PageMargins{36, 36, 36, 36}));
  EXPECT_EQ(margins("1in,2cm,10mm,5pt"), (PageMargins{72, 57, 28, 5}));
  EXPECT_EQ(margins("0.5in"), (PageMargins{36, 36, 36, 36}));
  EXPECT_EQ(margins("0,0,0,0"), (PageMargins{0, 0, 0, 0}));
}

TEST(MarginOption, MalformedValuesAreRefusedWithTheReason) {
  for (const char* text : {"1,2", "1,2,3", "1,2,3,4,5", "1in,"}) {
    EXPECT_NE(marginProblem(text).find("four margins"), std::string::npos) << text;
  }
  for (const char* text : {"", "a", "3xx", "in", "1.2.3", "1 in", "+5", "0x10"}) {
    EXPECT_NE(marginProblem(text).find("must be a number"), std::string::npos) << text;
  }
  EXPECT_NE(marginProblem("-5").find("0 or more"), std::string::npos);
  EXPECT_NE(marginProblem("1,2,-0.6,4").find("0 or more"), std::string::npos);
  EXPECT_NE(marginProblem("99999").find("less than a page"), std::string::npos);
}

TEST(MarginOption, MarginsThatLeaveNoRoomAreRefused) {
  PageDesign design;
  design.margins = PageMargins{300, 300, 36, 36};
  EXPECT_NE(paged::pageDesignProblem(kA4Paper, design).find("-5pt wide on a4 paper"),
            std::string::npos)
      << paged::pageDesignProblem(kA4Paper, design);
  design.margins = PageMargins{36, 36, 400, 400};
  EXPECT_NE(paged::pageDesignProblem(kA4Paper, design).find("high"), std::string::npos);
  design.margins = PageMargins{36, 36, 10, 36};
  EXPECT_EQ(paged::pageDesignProblem(kA4Paper, design), "");
  design.header = parsed("%p");
  EXPECT_NE(paged::pageDesignProblem(kA4Paper, design).find("no room for the header"),
            std::string::npos);
  design.margins = PageMargins{36, 36, 36, 23};
  design.footer = parsed("%p");
  EXPECT_NE(paged::pageDesignProblem(kA4Paper, design).find("no room for the footer"),
            std::string::npos);
}

template <typename Request>
const Request* request(const CommandLineRequest& r) {
  return std::get_if<Request>(&r);
}

CommandLineRequest parsedLine(const std::vector<const char*>& words) {
  return parseCommandLine(words);
}

TEST(PageDesignOptions, ImplyA4PaperAndRefuseWhatCannotBePrinted) {
  const auto plain = parsedLine({"--margins", "2cm", "pdf", "in.txt", "out.pdf"});
  ASSERT_NE(request<ConversionSettings>(plain), nullptr);
  EXPECT_EQ(request<ConversionSettings>(plain)->paper, &kA4Paper);
  const auto letter =
      parsedLine({"--mono", "--paper", "letter", "--footer=%p", "pdf", "in.txt", "out.pdf"});
  ASSERT_NE(request<ConversionSettings>(letter), nullptr);
  EXPECT_EQ(request<ConversionSettings>(letter)->paper->name, "letter");
  EXPECT_TRUE(request<ConversionSettings>(letter)->mono);

  const auto wide = parsedLine({"--margins", "4in", "pdf", "in.txt", "out.pdf"});
  ASSERT_NE(request<UsageError>(wide), nullptr);
  EXPECT_NE(request<UsageError>(wide)->message.find("wide on a4 paper"), std::string::npos);
  // Fits A4 and not A5.
  const auto a5 = parsedLine({"--margins", "2.5in", "--paper", "a5", "pdf", "i", "o.pdf"});
  ASSERT_NE(request<UsageError>(a5), nullptr);
  EXPECT_TRUE(request<ConversionSettings>(
                  parsedLine({"--margins", "2.5in", "pdf", "in.txt", "out.pdf"})) != nullptr);

  const auto code = parsedLine({"--header", "%x", "pdf", "in.txt", "out.pdf"});
  ASSERT_NE(request<UsageError>(code), nullptr);
  EXPECT_NE(request<UsageError>(code)->message.find("in the header '%x'"), std::string::npos);
  // Taken back: no design, no paper.
  const auto undone = parseCommandLine(std::vector<const char*>{"--no-mono", "--header=",
                                                                 "--margins", "none", "pdf",
                                                                 "in.txt", "out.pdf"},
                                       kLongOptions, "--mono --header %p --margins 1in");
  ASSERT_NE(request<ConversionSettings>(undone), nullptr);
  EXPECT_EQ(request<ConversionSettings>(undone)->paper, nullptr);
  EXPECT_FALSE(pageDesignOf(*request<ConversionSettings>(undone)).has_value());
}

TEST(PageDesignOptions, DateFileNameAndTheirFallbacks) {
  EXPECT_EQ(runningDate("0", 1'000'000'000), "1970-01-01");
  EXPECT_EQ(runningDate("1803859200", 0), "2027-03-01");  // past a February of 28 days
  EXPECT_EQ(runningDate("951782400", 0), "2000-02-29");
  EXPECT_EQ(runningDate(nullptr, 1'796'688'000), "2026-12-08");
  EXPECT_EQ(runningDate("soon", 1'796'688'000), "2026-12-08");
  EXPECT_EQ(runningDate("-5", 1'796'688'000), "2026-12-08");
  EXPECT_EQ(runningFileName("-"), "stdin");
  EXPECT_EQ(runningFileName("dir/a b.txt"), "dir/a b.txt");
}

// The baselines a page description draws text at, with the x and the
// font size, from "X Y moveto" (PostScript; size from the last
// selectfont) or "/Fn S Tf X Y Td" (PDF).
struct Drawn {
  double y;
  double size;
  bool running;
};

std::vector<Drawn> drawnLines(const std::string& doc, Format format) {
  std::vector<Drawn> drawn;
  std::istringstream in(doc);
  double size = 12;
  bool running = false;
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line);
    std::vector<std::string> w;
    for (std::string word; words >> word;) w.push_back(word);
    for (std::size_t i = 0; i < w.size(); ++i) {
      if (w[i] == "gsave" || w[i] == "q") running = true;
      if (w[i] == "grestore" || w[i] == "Q") running = false;
      if ((w[i] == "selectfont" || w[i] == "Tf") && i >= 1) size = std::stod(w[i - 1]);
      const bool at = format == Format::Pdf ? w[i] == "Td" : w[i] == "moveto";
      if (at && i >= 2) drawn.push_back({std::stod(w[i - 1]), size, running});
    }
  }
  return drawn;
}

// Large text, spacing, page breaks and lines that wrap: no body line
// reaches into the header's or footer's band, on any paper or margins.
TEST(PageDesignLayout, TextLinesNeverRunIntoTheHeaderOrFooter) {
  std::string input;
  for (int i = 0; i < 150; ++i) {
    input += "line " + std::to_string(i);
    if (i % 7 == 0) input += " %ls LARGE %le";
    if (i % 11 == 0) input += " %xs huge %xe";
    if (i % 13 == 0) input += std::string(300, 'w') + " wrapped";
    if (i % 31 == 0) input += "%pg";
    input += "\n";
  }
  PageDesign design;
  design.header = parsed("%f|%t|%p");
  design.footer = parsed("||%p of %P");
  for (const std::optional<PageMargins> m :
       {std::optional<PageMargins>{}, std::optional<PageMargins>{PageMargins{72, 72, 24, 24}},
        std::optional<PageMargins>{PageMargins{20, 50, 100, 150}}}) {
    design.margins = m;
    for (const PaperSize& paper : kPaperSizes) {
      const paged::PageFrame frame = paged::pageFrame(paper, &design);
      for (const Format format : {Format::PostScript, Format::Pdf}) {
        for (const char option : {'s', 'T'}) {
          const std::string doc = convertText(input, format, option, nullptr, TextMode::Markup,
                                              &paper, nullptr, &design);
          int body = 0;
          for (const Drawn& d : drawnLines(doc, format)) {
            if (d.running) continue;
            ++body;
            // Ascenders up to the size above the baseline, descenders a
            // quarter of it below.
            EXPECT_LT(d.y + d.size * 0.75, frame.headerBaseline - 2) << paper.name << d.y;
            EXPECT_GT(d.y - d.size / 4, frame.footerBaseline + 7) << paper.name << d.y;
          }
          EXPECT_GT(body, 150);
        }
      }
    }
  }
}

TEST(PageDesignLayout, PostScriptCountsItsPagesBeforeWritingThem) {
  std::string input;
  for (int i = 0; i < 150; ++i) input += "line\n";
  PageDesign design;
  design.footer = parsed("%f||Page %p of %P");
  design.fileName = "in.txt";
  const std::string ps = convertText(input, Format::PostScript, 's', nullptr, TextMode::Markup,
                                     &kA4Paper, nullptr, &design);
  EXPECT_NE(ps.find("%%Pages: 3\n"), std::string::npos);
  // Each on its own page: after the page before it ends, before its own end.
  std::size_t pageStart = 0;
  for (int page = 1; page <= 3; ++page) {
    const std::string shown = "(Page " + std::to_string(page) + " of 3) show\n";
    const std::size_t found = ps.find(shown);
    ASSERT_NE(found, std::string::npos) << shown;
    const std::size_t pageEnd = ps.find("showpage", pageStart);
    EXPECT_GT(found, pageStart);
    EXPECT_LT(found, pageEnd);
    pageStart = pageEnd + 1;
  }
  // The prologue is written once, before the pages.
  EXPECT_EQ(ps.find("%!PS-Adobe-3.0"), 0u);
  EXPECT_EQ(ps.find("%!PS-Adobe-3.0", 1), std::string::npos);
}

TEST(PageDesignLayout, PdfDrawsEachPagesFormMadeAtTheEnd) {
  std::string input;
  for (int i = 0; i < 120; ++i) input += "line\n";
  PageDesign design;
  design.header = parsed("||%p/%P");
  const std::string pdf = convertText(input, Format::Pdf, 's', nullptr, TextMode::Markup,
                                      &kA4Paper, nullptr, &design);
  EXPECT_NE(pdf.find(" /FR 40 0 R >> /XObject 41 0 R >> endobj"), std::string::npos);
  EXPECT_NE(pdf.find("stream\n  /KR1 Do\n"), std::string::npos);
  EXPECT_NE(pdf.find("stream\n  /KR3 Do\n"), std::string::npos);
  EXPECT_NE(pdf.find("<< /KR1 42 0 R /KR2 43 0 R /KR3 44 0 R >>"), std::string::npos);
  EXPECT_NE(pdf.find("(3/3) Tj ET"), std::string::npos);
  EXPECT_NE(pdf.find("(1/3) Tj ET"), std::string::npos);
}

// --mono: Courier's widths wrap the lines, and the fonts name Courier.
TEST(PageDesignLayout, MonoSetsTheTextInCourierAndWrapsByItsWidth) {
  PageDesign design;
  design.mono = true;
  // 535 points of text area hold 74 Courier characters of 7.2 points.
  const std::string line = std::string(74, 'i') + " " + std::string(10, 'm') + "\n";
  const std::string pdf = convertText(line, Format::Pdf, 's', nullptr, TextMode::Markup,
                                      &kA4Paper, nullptr, &design);
  EXPECT_NE(pdf.find("/BaseFont /Courier-Bold "), std::string::npos);
  EXPECT_NE(pdf.find("/BaseFont /Courier-Oblique "), std::string::npos);
  // In Times-Roman the whole line fits.
  EXPECT_NE(pdf.find("805 Td (" + std::string(74, 'i') + ") Tj"), std::string::npos) << pdf;
  EXPECT_NE(pdf.find("790 Td (" + std::string(10, 'm') + " ) Tj"), std::string::npos) << pdf;
  for (const TextMode mode : {TextMode::Markup, TextMode::Typed}) {
    const std::string ps = convertText("%bsbold%be\n", Format::PostScript, 's', nullptr, mode,
                                       &kA4Paper, nullptr, &design);
    EXPECT_NE(ps.find("/Courier-Bold findfont"), std::string::npos);
    EXPECT_NE(ps.find("/Times-Bold exch definefont pop"), std::string::npos);
  }
}

// Courier-Bold and Courier-Oblique are measured by Courier's table: the
// URW metrics give every glyph of all three faces 600 units, which the one
// table generated from them shows for every code it has.
TEST(PageDesignLayout, MonoFacesShareCouriersFixedWidths) {
  for (const TextMode mode : {TextMode::Markup, TextMode::Typed}) {
    const paged::GlyphWidths* courier = paged::standardFontWidths(mode).widths("Courier");
    ASSERT_NE(courier, nullptr);
    int glyphs = 0;
    for (const std::uint16_t width : *courier) {
      if (width == 0) continue;
      EXPECT_EQ(width, 600);
      ++glyphs;
    }
    EXPECT_GT(glyphs, 140);
    const paged::FallbackWidths mono(Format::PostScript, mode, nullptr, true);
    const paged::FallbackWidths times(Format::PostScript, mode, nullptr, false);
    for (const paged::MonoFace& face : paged::kMonoFaces) {
      EXPECT_EQ(mono.widths(face.textFont), courier) << face.textFont;
      EXPECT_NE(times.widths(face.textFont), courier) << face.textFont;
    }
    EXPECT_EQ(mono.widths("Symbol"), times.widths("Symbol"));
  }
}

}  // namespace
}  // namespace kolvo::test
