// The PostScript writer: its frame, the line and page steps on their
// own, whole conversions byte for byte, and Ghostscript reading what we
// write, including many generated documents full of hostile text.

#include "writers/postscript_writer.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "driver/conversion.hpp"
#include "markup/tag_table.hpp"
#include "support/document_generator.hpp"
#include "support/test_support.hpp"
#include "writers/paged/font_widths.hpp"

namespace kolvo {
namespace {

// What the writer writes before the first page; its bytes are pinned by the
// golden files, its names by paged_vocabulary_test.cpp.
const std::string kPrologue(postScriptPrologue());

// Drives the writer directly, the way the conversion run calls it.
class PostScriptWriterTest : public ::testing::Test {
 protected:
  std::string out;
  OutputSink sink{&out};
  LineMarks state;
  std::unique_ptr<Writer> writer = makePostScriptWriter(sink, state);

  void start(char option = 's') {
    writer->prologue();
    writer->topSpacing(option);
    out.clear();
  }
  void textLine(std::string_view text = "x") {
    writer->line({text, {}, false});
    writer->pageStep();
  }
};

// The number of text lines on each page of `document`.
std::vector<int> linesPerPage(std::string_view document) {
  std::vector<int> pages{0};
  std::size_t pos = 0;
  while (pos < document.size()) {
    std::size_t end = document.find('\n', pos);
    if (end == std::string_view::npos) end = document.size();
    const std::string_view l = document.substr(pos, end - pos);
    if (l == "showpage") pages.push_back(0);
    // Text lines start at the margin; the prologue's "    moveto " does not count.
    if (!l.starts_with(' ') && l.ends_with(" moveto ")) ++pages.back();
    pos = end + 1;
  }
  return pages;
}

TEST_F(PostScriptWriterTest, PrologueAndEpilogueOfAnEmptyDocument) {
  writer->prologue();
  EXPECT_EQ(out, kPrologue);
  EXPECT_TRUE(kPrologue.starts_with("%!PS ")) << kPrologue;
  writer->topSpacing('s');
  writer->epilogue();
  EXPECT_EQ(out, kPrologue + "showpage \n");
}

TEST_F(PostScriptWriterTest, TopSpacingMovesOnlyTheFirstBaseline) {
  const std::pair<char, int> cases[] = {{'s', 805}, {'v', 805}, {'t', 750}, {'T', 710}};
  for (auto [option, first] : cases) {
    state = LineMarks{};
    start(option);
    textLine();
    EXPECT_EQ(out, "30 " + std::to_string(first) + " moveto \n(x) show \n") << option;
  }
}

TEST_F(PostScriptWriterTest, LineStepWritesMovetoAndShowThenResetsTheLine) {
  start();
  state.center = 1;
  state.line_x = -38;  // a long centred line
  writer->line({"Title ", {}, false});
  EXPECT_EQ(out, "-38 805 moveto \n(Title ) show \n");
  EXPECT_EQ(state.center, 0);
  EXPECT_EQ(state.line_x, 30);
  EXPECT_EQ(writer->progressTrace(false), "writing line 805 ...\n");
  writer->line({"", {}, false});
  EXPECT_EQ(out, "-38 805 moveto \n(Title ) show \n30 790 moveto \n() show \n");
}

TEST_F(PostScriptWriterTest, DrawingLineWritesItsCommandAndChangesNothing) {
  start();
  state.center = 1;
  state.line_x = 307;
  const LineMarks before = state;
  writer->drawing("$sl 1 100 100 200 200\n");
  EXPECT_EQ(out, " 1 0 0 setrgbcolor newpath 100 100 moveto 200 200 lineto closepath stroke\n");
  out.clear();
  writer->line({"$sl 1 100 100 200 200 ", {}, true});
  EXPECT_EQ(out, "");
  EXPECT_EQ(state, before);
  EXPECT_EQ(writer->progressTrace(true), "");
}

TEST_F(PostScriptWriterTest, DrawingColourLastsAcrossLinesThatDrawNothing) {
  start();
  writer->drawing("$sx 5 100 100 200 200\n");  // unknown shape
  writer->drawing("$sl 3 abc 100 200 200\n");  // not a number
  EXPECT_EQ(out, "");
  writer->drawing("$sl x 100 100 200 200\n");  // unknown colour
  EXPECT_EQ(out, " 0 1 0 setrgbcolor newpath 100 100 moveto 200 200 lineto closepath stroke\n");
}

TEST_F(PostScriptWriterTest, PageEndsAtBaselineThirtyOrLess) {
  start();
  // A page break puts the baseline at the bottom margin: the line still
  // goes on the page, one spacing lower, and the page ends after it.
  state.page.add(PageRequest::PageBreak);
  textLine();
  EXPECT_EQ(out, "30 15 moveto \n(x) show \nshowpage\n");
  EXPECT_EQ(writer->page(), 2u);
  state.startLine();
  out.clear();
  textLine();
  EXPECT_EQ(out, "30 805 moveto \n(x) show \n");
  // A drawing line takes no space, but its page break still ends the page.
  state.page.add(PageRequest::PageBreak);
  writer->line({"$sl 1 1 1 2 2 ", {}, true});
  writer->pageStep();
  EXPECT_EQ(writer->page(), 3u);
  EXPECT_EQ(writer->progressTrace(false), "writing line 820 ...\n");
}

TEST_F(PostScriptWriterTest, PageFilling) {
  struct Case {
    char option;
    int spacing;
    int first;  // lines on the first page; later pages start at 820
    int later;
  };
  for (const Case& c : {Case{'s', 15, 53, 53}, Case{'t', 15, 49, 53}, Case{'T', 15, 47, 53},
                        Case{'s', 20, 40, 40}, Case{'t', 20, 37, 40}}) {
    state = LineMarks{};
    writer = makePostScriptWriter(sink, state);
    out.clear();
    start(c.option);
    if (c.spacing == 20) state.page.add(PageRequest::LargeSpacing);
    for (int i = 0; i < c.first + c.later + 1; ++i) textLine();
    writer->epilogue();
    EXPECT_EQ(linesPerPage(out), (std::vector<int>{c.first, c.later, 1}))
        << c.option << " at spacing " << c.spacing;
  }
}

TEST_F(PostScriptWriterTest, LastBaselinesOfAPage) {
  start('t');
  for (int i = 0; i < 49; ++i) textLine();
  EXPECT_TRUE(out.ends_with("30 45 moveto \n(x) show \n30 30 moveto \n(x) show \nshowpage\n"));
  out.clear();
  textLine();
  EXPECT_EQ(out, "30 805 moveto \n(x) show \n");
}

// ---------------------------------------------------------------------------
// Whole conversions.

std::string convertPs(std::string_view input, char option = 's', std::string* console = nullptr) {
  return convertText(input, Format::PostScript, option, console);
}

// The document after the prologue.
std::string body(std::string_view input, char option = 's', std::string* console = nullptr) {
  const std::string document = convertPs(input, option, console);
  EXPECT_TRUE(document.starts_with(kPrologue));
  return document.substr(std::min(document.size(), kPrologue.size()));
}

TEST(PostScriptConversion, TwoLinesWithBold) {
  EXPECT_EQ(body("Hello %bsworld%be\nSecond line"),
            "30 805 moveto \n"
            "(Hello ) show  /Times-Bold findfont 12 scalefont setfont (world) show  /Times-Roman "
            "findfont 12 scalefont setfont ( ) show \n"
            "30 790 moveto \n"
            "(Second line) show \n"
            "showpage \n");
}

TEST(PostScriptConversion, EmptyAndBlankInputs) {
  EXPECT_EQ(convertPs(""), kPrologue + "showpage \n");
  EXPECT_EQ(body("\n"), "30 805 moveto \n( ) show \nshowpage \n");
  EXPECT_EQ(body("\n\nlast"),
            "30 805 moveto \n( ) show \n30 790 moveto \n( ) show \n30 775 moveto \n(last) show \n"
            "showpage \n");
  EXPECT_EQ(body("dos\r\n"), "30 805 moveto \n(dos  ) show \nshowpage \n");
}

TEST(PostScriptConversion, PagesFillAndAnExactEndLeavesAnEmptyPage) {
  std::string lines;
  for (int i = 0; i < 53; ++i) lines += "x\n";
  const std::string full = convertPs(lines);
  EXPECT_EQ(linesPerPage(full), (std::vector<int>{53, 0}));
  EXPECT_TRUE(full.ends_with("30 25 moveto \n(x ) show \nshowpage\nshowpage \n"));
  EXPECT_EQ(linesPerPage(convertPs(lines + "x\n")), (std::vector<int>{53, 1}));
  EXPECT_EQ(linesPerPage(convertPs(lines, 't')), (std::vector<int>{49, 4}));
  EXPECT_EQ(linesPerPage(convertPs(lines, 'T')), (std::vector<int>{47, 6}));
}

TEST(PostScriptConversion, LargeTextFortyLinesAPage) {
  std::string lines = "%lsbig\n";
  for (int i = 0; i < 40; ++i) lines += "x\n";
  const std::string out = body(lines);
  EXPECT_TRUE(out.starts_with("30 800 moveto \n"));
  EXPECT_EQ(linesPerPage(out), (std::vector<int>{40, 1}));
  EXPECT_TRUE(out.ends_with("30 20 moveto \n(x ) show \nshowpage\n30 800 moveto \n(x ) show \n"
                            "showpage \n"));
}

TEST(PostScriptConversion, PageBreakTagEndsThePageAfterItsLine) {
  EXPECT_EQ(body("a\nb%pg\nc\n"),
            "30 805 moveto \n(a ) show \n"
            "30 15 moveto \n(b ) show \nshowpage\n"
            "30 805 moveto \n(c ) show \nshowpage \n");
}

// Under --escape a centred line is centred on the page by its width in the
// fonts, in the font in force: PostScript keeps a font from line to line,
// a PDF line starts in the body font. (The byte estimate put this title
// off the left edge.)
TEST(PagedConversion, TypedCentringUsesTheFontsWidths) {
  // Where text of this width in points starts when centred: the blank
  // that ends the line does not count (the typed apostrophe is code 144 of
  // the re-encoded fonts).
  const auto centred = [](paged::PagedFont font, std::string_view text) {
    return std::to_string(std::lround((595 - paged::textWidth(font, text) * 12 / 1000.0) / 2));
  };
  const std::string input =
      "%cs%bsA centred bold title, long enough that its tags' bytes count%be%ce\n"
      "%bsbold on\n%csstill bold here%ce\n";
  const std::string ps = convertText(input, Format::PostScript, 's', nullptr, TextMode::Typed);
  const std::string pdf = convertText(input, Format::Pdf, 's', nullptr, TextMode::Typed);
  const std::string title = centred(paged::PagedFont::TimesBold,
                                    "A centred bold title, long enough that its tags\x90 bytes count");
  EXPECT_NE(ps.find("\n" + title + " 805 moveto \n"), std::string::npos) << title;
  EXPECT_NE(pdf.find(" " + title + " 805 Td "), std::string::npos) << title;
  // The last line has no tag of its own: bold in PostScript, not in PDF.
  const std::string bold = centred(paged::PagedFont::TimesBold, "still bold here");
  const std::string roman = centred(paged::PagedFont::TimesRoman, "still bold here");
  EXPECT_NE(ps.find("\n" + bold + " 775 moveto"), std::string::npos) << bold;
  EXPECT_NE(pdf.find(" " + roman + " 775 Td"), std::string::npos) << roman;
  // Without --escape the estimate stays, the tags' bytes and all.
  EXPECT_NE(convertText(input, Format::PostScript, 's').find("\n-176 805 moveto"),
            std::string::npos);
}

TEST(PostScriptConversion, CentredLines) {
  // Six bytes follow the tag: "Title" and the line feed.
  EXPECT_EQ(body("%csTitle\nnext\n"),
            "307 805 moveto \n(Title ) show \n30 790 moveto \n(next ) show \nshowpage \n");
  // 121 bytes after the tag put the start left of the page.
  EXPECT_EQ(body("%cs" + std::string(120, 'w') + "\nnext"),
            "-38 805 moveto \n(" + std::string(120, 'w') +
                " ) show \n30 790 moveto \n(next) show \nshowpage \n");
  // The escapes count: "\(a\)" and the line feed are six bytes.
  EXPECT_EQ(body("%cs(a)\n"), "307 805 moveto \n(\\(a\\) ) show \nshowpage \n");
}

TEST(PostScriptConversion, UnderlineAndHighlights) {
  EXPECT_EQ(body("a %usb%ue c\n"), "30 805 moveto \n(a )show (b) ushow  ( c ) show \nshowpage \n");
  EXPECT_EQ(body("%hsx%he\n"), "30 805 moveto \n() show  (x) hshow  ( ) show \nshowpage \n");
  EXPECT_EQ(body("%Hsx%He"), "30 805 moveto \n() show  (x) Hshow  () show \nshowpage \n");
}

TEST(PostScriptConversion, ProgressTraceGivesBaselinesAndSkipsDrawingLines) {
  std::string console;
  body("a\n$sl 1 100 100 200 200\nb\nc%pg\nd", 'v', &console);
  EXPECT_EQ(console, "writing line 805 ...\nwriting line 790 ...\nwriting line 15 ...\n"
                     "writing line 805 ...\n");
  console.clear();
  body("a\n", 's', &console);
  EXPECT_EQ(console, "");
}

TEST(PostScriptConversion, DrawingLinesTakeNoSpace) {
  EXPECT_EQ(body("a\n$sb G 050 100 545 200\nb\n"),
            "30 805 moveto \n(a ) show \n"
            " .8 .8 .8 setrgbcolor newpath 050 100 moveto 050 200 lineto 545 200 lineto 545 100 "
            "lineto  050 100 lineto closepath fill stroke \n"
            "30 790 moveto \n(b ) show \nshowpage \n");
  // Malformed or unknown: nothing drawn, and the text is still not written.
  EXPECT_EQ(body("$sl 1 1)2 100 200 200\n$sx 1 100 100 200 200\n$sl 1 100\n"), "showpage \n");
  // A text line that only looks like one.
  EXPECT_EQ(body(" $sl 1 100 100 200 200\n"),
            "30 805 moveto \n( $sl 1 100 100 200 200 ) show \nshowpage \n");
}

TEST(PostScriptConversion, DrawingLineCarryingAPageBreak) {
  EXPECT_EQ(body("a\n$sl 1 100 100 200 200 %pg\nb\n"),
            "30 805 moveto \n(a ) show \n"
            " 1 0 0 setrgbcolor newpath 100 100 moveto 200 200 lineto closepath stroke\n"
            "showpage\n30 805 moveto \n(b ) show \nshowpage \n");
}

TEST(PostScriptConversion, StringDelimitersAreEscaped) {
  EXPECT_EQ(body("1) item\n"), "30 805 moveto \n(1\\) item ) show \nshowpage \n");
  EXPECT_EQ(body("(a)\n"), "30 805 moveto \n(\\(a\\) ) show \nshowpage \n");
  EXPECT_EQ(body("C:\\new\n"), "30 805 moveto \n(C:\\\\new ) show \nshowpage \n");
  EXPECT_EQ(body("a\\%bsb%be\n"),
            "30 805 moveto \n(a\\\\) show  /Times-Bold findfont 12 scalefont setfont (b) show  "
            "/Times-Roman findfont 12 scalefont setfont ( ) show \nshowpage \n");
  EXPECT_EQ(body("x\nend\\"), "30 805 moveto \n(x ) show \n30 790 moveto \n(end\\\\) show \n"
                              "showpage \n");
}

// ---------------------------------------------------------------------------
// Ghostscript reads what we write.

struct GsRun {
  bool clean;       // exit 0 and no error message
  std::string log;  // what Ghostscript said
};

GsRun runGhostscript(const std::string& document, const std::string& device,
                     std::string* text = nullptr) {
  test::TempDir dir;
  const auto file = dir / "out.ps";
  test::writeFile(file, document);
  std::vector<std::string> argv = {"gs", "-q", "-dSAFER", "-dBATCH", "-dNOPAUSE",
                                   "-sDEVICE=" + device};
  if (text != nullptr) argv.push_back("-sOutputFile=-");
  argv.push_back(file.string());
  const test::CommandResult r = test::runCommand(argv);
  if (text != nullptr) *text = r.out;
  const std::string log = r.err + (text != nullptr ? "" : r.out);
  const bool clean = r.status == 0 && log.find("Error") == std::string::npos &&
                     r.out.find("Error:") == std::string::npos;
  return {clean, log};
}

TEST(PostScriptGhostscript, TextComesOutAsTyped) {
  KOLVO_REQUIRE_TOOL("gs");
  const std::string document = convertPs(
      "1) item\n(a) and (b\nC:\\new\na\\%bsbold%be tail\n%usunder%ue %hsyellow%he "
      "%HsGreen%He\n$sl 1 100 100 200 200\nred after the line\n%csCentred\nend\\");
  std::string text;
  const GsRun run = runGhostscript(document, "txtwrite", &text);
  EXPECT_TRUE(run.clean) << run.log;
  for (std::string_view expected :
       {"1) item", "(a) and (b", "C:\\new", "a\\bold tail", "under yellow Green",
        "red after the line", "Centred", "end\\"}) {
    EXPECT_NE(text.find(expected), std::string::npos) << expected << " in:\n" << text;
  }
}

TEST(PostScriptGhostscript, DocumentsAndShowcaseRunWithoutError) {
  KOLVO_REQUIRE_TOOL("gs");
  std::vector<std::filesystem::path> inputs;
  const auto showcase = test::sourceDir() / "examples" / "showcase.txt";
  if (std::filesystem::exists(showcase)) inputs.push_back(showcase);
  const auto documents = test::sourceDir() / "tests" / "documents";
  if (std::filesystem::is_directory(documents)) {
    for (const auto& entry : std::filesystem::directory_iterator(documents)) {
      if (entry.path().extension() == ".txt") inputs.push_back(entry.path());
    }
  }
  for (const auto& input : inputs) {
    for (char option : {'s', 't', 'T'}) {
      const GsRun run = runGhostscript(convertPs(test::readFile(input), option), "nullpage");
      EXPECT_TRUE(run.clean) << input << " option " << option << ":\n" << run.log;
    }
  }
}

// Documents from the test generator, full of what can hurt a PostScript
// string: every tag, parentheses, backslashes, percent signs, bytes that are
// not ASCII, NUL, long lines and drawing lines, well-formed or not.
test::DocumentMix hostileMix() {
  test::DocumentMix mix;
  mix.line.maxPieces = 24;
  mix.line.words = 10;
  mix.line.blanks = 10;
  mix.line.tags = 33;
  mix.line.nearMisses = 10;
  mix.line.tagFragments = 5;
  mix.line.delimiters = 20;
  mix.line.otherBytes = 6;
  mix.line.lineEnds = 6;
  mix.maxLines = 64;
  mix.manyLinesPercent = 0;
  mix.drawingPercent = 17;
  mix.longLinePercent = 10;
  mix.noFinalLineFeedPercent = 50;
  return mix;
}

TEST(PostScriptGhostscript, RandomDocumentsRunWithoutError) {
  KOLVO_REQUIRE_TOOL("gs");
  // The check itself notices a broken program.
  const std::string broken = kPrologue + "30 805 moveto \n(1) item) show \nshowpage \n";
  EXPECT_FALSE(runGhostscript(broken, "nullpage").clean);
  test::DocumentGenerator generator(20260);
  for (int i = 0; i < 40; ++i) {
    const std::string input = generator.document(hostileMix());
    const char option = "stTv"[i % 4];
    const GsRun run = runGhostscript(convertPs(input, option), "nullpage");
    EXPECT_TRUE(run.clean) << "document " << i << ":\n" << input << "\n---\n" << run.log;
  }
}

}  // namespace
}  // namespace kolvo
