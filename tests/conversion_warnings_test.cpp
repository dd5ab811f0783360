// The warnings of a conversion without --escape: text beyond ASCII, the
// characters LaTeX and HTML read as markup, lines wider than the page. In
// process, from the run's report; then the command's streams and status.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <numeric>
#include <string>
#include <vector>

#include "check/checker.hpp"
#include "io/message_text.hpp"
#include "text/text_decoding.hpp"
#include "driver/conversion.hpp"
#include "support/document_generator.hpp"
#include "support/test_support.hpp"
#include "writers/drawing.hpp"
#include "writers/output_sink.hpp"

namespace kolvo::test {
namespace {

class SilentConsole final : public Console {
 public:
  void print(std::string_view) override {}
};

ConversionReport reportOf(std::string_view input, Format format,
                          TextMode mode = TextMode::Markup, const PaperSize* paper = nullptr) {
  std::string document;
  OutputSink out(&document);
  LineReader in(input, mode == TextMode::Typed ? kWholeLines : kMaxPiece);
  SilentConsole console;
  ConversionReport report = convert(in, out, format, 's', console, mode, paper);
  out.flush();
  return report;
}

std::vector<std::string> warningsOf(std::string_view input, Format format,
                                    TextMode mode = TextMode::Markup,
                                    const PaperSize* paper = nullptr) {
  return conversionWarnings(format, reportOf(input, format, mode, paper));
}

using Lines = std::vector<std::string>;

// "é" in UTF-8, "é" as a Latin-1 byte, and one of each in a drawing line
// that shows no text.
constexpr std::string_view kMixedText =
    "Caf\xC3\xA9 na\xC3\xAFve \xE6\x97\xA5 d\xE9j\xE0\n"
    "$sl 1  30 400 565 400 \xC3\xA9\xE9\n";

TEST(ConversionWarnings, BeyondAsciiCountsWhatEachFormatShowsOtherwise) {
  // PostScript and PDF draw every byte in the fonts' own encoding: three
  // UTF-8 characters and two Latin-1 bytes.
  EXPECT_EQ(warningsOf(kMixedText, Format::Pdf),
            Lines{"5 characters beyond ASCII are not shown as typed in PDF; --escape shows them"});
  EXPECT_EQ(warningsOf(kMixedText, Format::PostScript),
            Lines{"5 characters beyond ASCII are not shown as typed in PostScript; --escape "
                  "shows them"});
  // RTF reads bytes as Windows-1252, as Kolvo does: only UTF-8 comes out wrong.
  EXPECT_EQ(warningsOf(kMixedText, Format::Rtf),
            Lines{"3 characters beyond ASCII are not shown as typed in RTF; --escape shows them"});
  // pdflatex reads UTF-8 and stops at the other bytes.
  EXPECT_EQ(warningsOf(kMixedText, Format::Latex),
            Lines{"2 characters beyond ASCII are not shown as typed in LaTeX; --escape shows "
                  "them"});
  for (const Format f : {Format::Html, Format::AbiWord, Format::DocBook, Format::OpenDocument}) {
    EXPECT_EQ(warningsOf(kMixedText, f), Lines{}) << formatName(f);
  }
  EXPECT_EQ(warningsOf("\xE2\x82\xAC 5\n", Format::Pdf),
            Lines{"1 character beyond ASCII is not shown as typed in PDF; --escape shows them"});
}

// The count of characters beyond ASCII, however the fast reading of
// two-byte text meets its blocks, is the count sequence by sequence.
TEST(ConversionWarnings, BeyondAsciiCountsAreTheSameInEveryBlockShape) {
  const std::array<std::string_view, 6> parts = {"a", " ", "\xD0\x96", "\xE2\x80\x94",
                                                 "\xE9", "\xBF"};
  Random random(11);
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    const std::size_t pieces = random.below(60);
    for (std::size_t i = 0; i < pieces; ++i) {
      text += parts[random.percent(80) ? random.below(3) : random.below(parts.size())];
    }
    std::uint64_t utf8 = 0;
    std::uint64_t other = 0;
    for (std::size_t at = 0; at < text.size();) {
      if (static_cast<unsigned char>(text[at]) < 0x80) {
        ++at;
        continue;
      }
      const std::size_t length = utf8SequenceLength(text, at);
      ++(length != 0 ? utf8 : other);
      at += length != 0 ? length : 1;
    }
    const auto counted = [&](Format f) {
      TextWarningCounter counter(f, TextMode::Markup);
      counter.count(text, LineTallier({}, counter.tallyClasses()).tally(text));
      return counter.counts().beyondAscii;
    };
    EXPECT_EQ(counted(Format::Pdf), utf8 + other) << printable(text);
    EXPECT_EQ(counted(Format::Rtf), utf8) << printable(text);
    EXPECT_EQ(counted(Format::Latex), other) << printable(text);
  }
}

TEST(ConversionWarnings, MarkupCharactersOutsideTagsAreCountedByKind) {
  // Tags, "%ps", "#" (escaped by a clean-up) and "_" after a blank (taken
  // out) are not the user's markup; a "%" that begins no tag is a comment.
  const std::string latex = "%bsA & B%be %ps #1 x_1 _y $a^2$ ~ \\relax {} 50% off\n";
  EXPECT_EQ(warningsOf(latex, Format::Latex),
            Lines{"10 characters of the text are LaTeX markup, which stops pdflatex or is not "
                  "shown: 1 '&', 2 '$', 1 '_', 1 '^', 1 '~', 1 '\\\\', 1 '{', 1 '}', 1 '%'; "
                  "--escape shows them"});
  // HTML reads "<" and "&" as markup only before what starts a tag or a reference.
  const std::string html = "<b>x</b> 3 < 4 && AT&T &#38; <!-- c --> a<?\n";
  EXPECT_EQ(warningsOf(html, Format::Html),
            Lines{"6 characters of the text are HTML markup, which is not shown: 4 '<', 2 '&'; "
                  "--escape shows them"});
  EXPECT_EQ(warningsOf(html, Format::Rtf), Lines{});
  EXPECT_EQ(warningsOf("$sb G 050 100 545 200 & <b>\n", Format::Latex), Lines{});
  EXPECT_EQ(warningsOf("<b>\n", Format::Html)[0].substr(0, 40),
            "1 character of the text is HTML markup, ");
}

// A long text of lines with nothing to count and, here and there, a byte
// that counts: at a line's start or end, in a drawing line, in a piece of
// a line too long for one, after a stretch longer than one look ahead.
std::string mostlyQuietText(Random& random) {
  const std::array<std::string_view, 8> counted = {"<b", "&amp;", "\xC3\xA9", "\xE9",
                                                   "{", "\\x", "50%", "$"};
  std::string text;
  for (int line = 0; line < 4000; ++line) {
    if (random.percent(1)) text += "$sl 1  30 400 565 400 ";
    std::size_t length = random.below(100);
    if (random.percent(2)) length += 600;                // pieces of one line
    if (random.percent(1)) length += std::size_t{1} << 17U;  // past the look ahead
    for (std::size_t i = 0; i < length; ++i) text += random.percent(15) ? ' ' : static_cast<char>('a' + i % 26);
    if (random.percent(8)) text.insert(text.size() - random.below(std::min<std::size_t>(length, 40) + 1), random.pick(counted));
    text += '\n';
    // A counted byte that ends a piece, after quiet lines.
    if (line % 700 == 0) text += std::string(kMaxPiece - 1, 'a') + "{ and on\n";
  }
  return text;
}

// What each line's own tally counts, line by line.
TextWarningCounts countedLineByLine(std::string_view text, Format format) {
  TextWarningCounter counter(format, TextMode::Markup);
  const LineTallier tallier({}, counter.tallyClasses(), counter.countsBeyondAscii());
  LineReader in(text, kMaxPiece);
  for (std::string line; in.next(line);) {
    if (!isDrawingLine(line)) counter.count(line, tallier.tally(line));
  }
  return counter.counts();
}

// Lines found to hold nothing to count are not tallied; the counts are
// those of tallying every line, whether the text is read from memory
// (all of it ahead) or from a file (a block at a time).
TEST(ConversionWarnings, LinesWithNothingToCountCountAsEveryLineTallied) {
  Random random(29);
  const std::string text = mostlyQuietText(random);
  TempDir dir;
  writeFile(dir / "in.txt", text);
  for (const Format format : {Format::Html, Format::Rtf, Format::Latex}) {
    SCOPED_TRACE(formatName(format));
    const TextWarningCounts expected = countedLineByLine(text, format);
    ASSERT_NE(std::accumulate(expected.markup.begin(), expected.markup.end(), expected.beyondAscii), 0U);
    const TextWarningCounts fromMemory = reportOf(text, format).text;
    EXPECT_EQ(fromMemory.beyondAscii, expected.beyondAscii);
    EXPECT_EQ(fromMemory.markup, expected.markup);
    const int fd = open((dir / "in.txt").c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    LineReader file(fd, "in.txt");
    std::string document;
    OutputSink out(&document);
    SilentConsole console;
    const TextWarningCounts fromFile = convert(file, out, format, 's', console, TextMode::Markup, nullptr).text;
    close(fd);
    EXPECT_EQ(fromFile.beyondAscii, expected.beyondAscii);
    EXPECT_EQ(fromFile.markup, expected.markup);
  }
}

TEST(ConversionWarnings, EscapeShowsTheTextAndCountsNothingOfIt) {
  // (A character no font has would still be "?", with its own warning.)
  const std::string text = "Caf\xC3\xA9 d\xE9j\xE0 & $ <b> \\ { 50% off\n" + std::string(90, 'm') + "\n";
  for (const FormatInfo& f : kFormats) {
    EXPECT_EQ(warningsOf(text, f.format, TextMode::Typed), Lines{}) << f.name;
  }
}

std::string longLine(std::size_t bytes) { return std::string(bytes, 'm') + "\n"; }

TEST(ConversionWarnings, LinesWiderThanThePageWithoutPaper) {
  // "m" is 9.3 points in Times-Roman 12: 60 fit from x 30 to 595, 61 do
  // not; 20 fit in 36 points, 21 do not.
  const std::string text = longLine(60) + longLine(61) + "%xs" + longLine(20) + "%xs" +
                           longLine(21) +
                           "$sl 1 " + longLine(200) + longLine(700);
  for (const Format f : {Format::PostScript, Format::Pdf}) {
    // The 700 bytes are two pieces of the reader, each a printed line.
    EXPECT_EQ(reportOf(text, f).linesOffPage, 4U) << formatName(f);
    // Under --escape the run's warnings are off.
    EXPECT_EQ(reportOf(text, f, TextMode::Typed).linesOffPage, 0U) << formatName(f);
    EXPECT_EQ(reportOf(text, f, TextMode::Markup, findPaperSize("a4")).linesOffPage, 0U);
  }
  EXPECT_EQ(reportOf(text, Format::Html).linesOffPage, 0U);
  EXPECT_EQ(warningsOf(longLine(61), Format::Pdf),
            Lines{"1 line is wider than the page; --paper wraps them"});
  EXPECT_EQ(warningsOf(longLine(61) + longLine(62), Format::PostScript),
            Lines{"2 lines are wider than the page; --paper wraps them"});
}

// The warning and --check measure alike: the lines the run counts are the
// lines the check says run off the page.
class OffPageFindings final : public check::FindingSink {
 public:
  void report(const check::Finding& finding) override {
    if (finding.message.find("runs off the") != std::string::npos) ++count;
  }
  std::uint64_t count = 0;
};

// The lines of `document` that --check finds off a PostScript or PDF page.
std::uint64_t offPageByTheCheck(std::string_view document, Format format) {
  check::CheckOptions options;
  options.formats = check::FormatSet::of(format);
  OffPageFindings findings;
  check::Checker checker(options, findings);
  LineReader in(document, kMaxPiece);
  for (std::string piece; in.next(piece);) checker.checkPiece(piece);
  checker.finish();
  return findings.count;
}

// Lines of tags that change the font, a byte at a time past the edge: the
// quick bound from the typed line's tally (the fonts' widest ratio to the
// body font) and the sums of the rewritten line's widths must tell them as
// the layout does, whatever glyphs the text is made of (the ones whose
// ratio is the widest among them) and whatever font the line before left.
TEST(ConversionWarnings, LinesOfTagsByTheEdgeAreCountedAsLaidOut) {
  const std::string_view fontTags[][2] = {
      {"%bs", "%be"}, {"%is", "%ie"}, {"%Cs", "%Ce"}, {"%xs", "%xe"}, {"%Bs", "%Be"},
      {"%ss", "%se"}, {"%Sy", "%Pe"}, {"%P4", "%Pe"}, {"%C0", "%Ce"}};
  const std::string_view glyphs[] = {"m", "i", "|", "\"", "a ", "W."};
  for (const auto& tags : fontTags) {
    for (const std::string_view glyph : glyphs) {
      std::string document;
      for (std::size_t count = 20; count < 140; count += 3) {
        std::string line(tags[0]);
        for (std::size_t i = 0; i < count; ++i) {
          line += glyph;
          if (i == count / 3) line += tags[1];
          if (i == 2 * count / 3) line += tags[0];
        }
        document += line + "\n";
      }
      for (const Format f : {Format::PostScript, Format::Pdf}) {
        EXPECT_EQ(reportOf(document, f).linesOffPage, offPageByTheCheck(document, f))
            << tags[0] << " " << glyph << " " << formatName(f);
      }
    }
  }
}

// Long text in the body font, then a few words in a wider or larger font
// reaching the edge a byte at a time, with clean-ups in the body text that
// add or take out a glyph: the bound that sums only the other font's text
// must count the lines the layout does.
TEST(ConversionWarnings, BodyTextThenAnotherFontByTheEdge) {
  const std::string_view fontTags[][2] = {{"%Bs", "%Be"}, {"%Cs", "%Ce"}, {"%xs", "%xe"},
                                          {"%Sy", "%Pe"}, {"%P4", "%Pe"}};
  const std::string_view bodies[] = {"mmmm ", "ii <c></c> ", "a _b ", "W.W. "};
  for (const auto& [open, close] : fontTags) {
    for (const std::string_view body : bodies) {
      std::string document;
      for (std::size_t count = 1; count < 40; ++count) {
        std::string line;
        while (line.size() < 60) line += body;
        line += open;
        for (std::size_t i = 0; i < count; ++i) line += "Wm";
        line += close;
        if (count % 2 == 0) line += " ii";
        document += line + "\n";
      }
      for (const Format f : {Format::PostScript, Format::Pdf}) {
        EXPECT_EQ(reportOf(document, f).linesOffPage, offPageByTheCheck(document, f))
            << open << " " << body << " " << formatName(f);
      }
    }
  }
}

TEST(ConversionWarnings, LinesOffThePageAreTheOnesTheCheckFinds) {
  DocumentMix mix;
  mix.longLinePercent = 30;
  mix.line.maxPieces = 40;
  // Stray markup, NUL and other bytes, line ends of every kind and pieces
  // of tags: where the two measures once parted.
  mix.line.rawMarkup = 8;
  mix.line.otherBytes = 8;
  mix.line.lineEnds = 3;
  mix.line.tagFragments = 8;
  for (std::uint64_t seed = 1; seed <= 40; ++seed) {
    const std::string document = DocumentGenerator(seed).document(mix);
    for (const Format f : {Format::PostScript, Format::Pdf}) {
      for (const TextMode mode : {TextMode::Markup}) {
        check::CheckOptions options;
        options.formats = check::FormatSet::of(f);
        options.mode = mode;
        OffPageFindings findings;
        check::Checker checker(options, findings);
        LineReader in(document, mode == TextMode::Typed ? kWholeLines : kMaxPiece);
        for (std::string piece; in.next(piece);) checker.checkPiece(piece);
        checker.finish();
        EXPECT_EQ(reportOf(document, f, mode).linesOffPage, findings.count)
            << "seed " << seed << " " << formatName(f);
      }
    }
  }
}

// A drawing line's centring tag moves the next PostScript line off the
// left edge (its writer ends no line there); the PDF writer starts the
// next line at the margin. Both measures know it.
TEST(ConversionWarnings, ALineAfterACentredDrawingLine) {
  const std::string document = "$s%csdoYn   %gz\n%\n";
  EXPECT_EQ(reportOf(document, Format::PostScript).linesOffPage, 1U);
  EXPECT_EQ(reportOf(document, Format::Pdf).linesOffPage, 0U);
  for (const Format f : {Format::PostScript, Format::Pdf}) {
    check::CheckOptions options;
    options.formats = check::FormatSet::of(f);
    OffPageFindings findings;
    check::Checker checker(options, findings);
    LineReader in(document, kMaxPiece);
    for (std::string piece; in.next(piece);) checker.checkPiece(piece);
    checker.finish();
    EXPECT_EQ(findings.count, f == Format::PostScript ? 1U : 0U) << formatName(f);
  }
}

// The command: one line per kind on standard error, after the document is
// complete; the document and the exit status as without them.
TEST(ConversionWarningsCommand, WarnOnStandardErrorAndExitZero) {
  TempDir dir;
  const auto in = dir / "in.txt";
  writeFile(in, "Caf\xC3\xA9 & co\n" + longLine(80));
  const std::string out = (dir / "out.pdf").string();
  const CommandResult pdf = runKolvo({"pdf", in.string(), out});
  EXPECT_EQ(pdf.status, 0);
  EXPECT_EQ(pdf.err,
            "kolvo: warning: 1 character beyond ASCII is not shown as typed in PDF; --escape "
            "shows them\n"
            "kolvo: warning: 1 line is wider than the page; --paper wraps them\n");
  const CommandResult tex = runKolvo({"tex", in.string(), "-"});
  EXPECT_EQ(tex.status, 0);
  EXPECT_EQ(tex.err,
            "kolvo: warning: 1 character of the text is LaTeX markup, which stops pdflatex or "
            "is not shown: 1 '&'; --escape shows them\n");
  // Nothing of the kind with --escape, and --check reports on its own.
  EXPECT_EQ(runKolvo({"--escape", "tex", in.string(), "-"}).err, "");
  const CommandResult check = runKolvo({"--check", "tex", in.string()});
  EXPECT_EQ(check.err.find("kolvo: warning:"), std::string::npos) << check.err;
}

}  // namespace
}  // namespace kolvo::test
