// The document's metadata: the values made safe for each place a format
// keeps them, the options that give them, the date and when it is written,
// and what each writer puts where (in-process; the readers are in
// metadata_readers_test.cpp).
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "driver/conversion.hpp"
#include "driver/document_date.hpp"
#include "driver/options.hpp"
#include "markup/tag_table.hpp"
#include "support/test_support.hpp"
#include "support/xml_check.hpp"
#include "text/language_tag.hpp"
#include "text/metadata_text.hpp"
#include "writers/document_info.hpp"
#include "writers/paged/paper_size.hpp"
#include "writers/pdf_outline.hpp"

namespace kolvo {
namespace {

using test::readFile;
using test::runKolvo;
using test::writeFile;

// "Sm\u00F8rrebr\u00F8d" and a character beyond the first plane (U+1F600).
constexpr std::string_view kDanish = "Sm\xC3\xB8rrebr\xC3\xB8" "d";
constexpr std::string_view kGrinning = "\xF0\x9F\x98\x80";

TEST(MetadataText, PdfTextStringsAreUtf16WithAByteOrderMark) {
  EXPECT_EQ(pdfTextString(""), "()");
  EXPECT_EQ(pdfTextString("A("), "<FEFF00410028>");
  EXPECT_EQ(pdfTextString(kDanish), "<FEFF0053006D00F800720072006500620072" "00F80064>");
  // A surrogate pair, high then low.
  EXPECT_EQ(pdfTextString(kGrinning), "<FEFFD83DDE00>");
}

TEST(MetadataText, XmlTextEscapesEveryMarkupCharacterAndCanStayAscii) {
  EXPECT_EQ(xmlEscaped("a<b>&\"c'"), "a&lt;b&gt;&amp;&quot;c&apos;");
  EXPECT_EQ(xmlEscaped(kDanish), kDanish);
  EXPECT_EQ(xmlEscaped(std::string(kDanish) + std::string(kGrinning), true),
            "Sm&#248;rrebr&#248;d&#128512;");
  // Element text made of what xmlEscaped gives is well-formed for any value.
  const std::string hostile = "]]><!-- &amp; <?pi?> \" ' & <";
  EXPECT_EQ(test::xmlFault("<t a=\"" + xmlEscaped(hostile) + "\">" + xmlEscaped(hostile) + "</t>"),
            "");
}

TEST(MetadataText, StructuringCommentTextIsOneBalancedStringWithinItsRoom) {
  EXPECT_EQ(dscText("Notes (draft", 100), "(Notes \\(draft)");
  EXPECT_EQ(dscText("back\\slash)", 100), "(back\\\\slash\\))");
  EXPECT_EQ(dscText(kDanish, 100), "(Sm\\303\\270rrebr\\303\\270d)");
  // Cut at a whole character: never inside an escape, always closed.
  std::string parentheses;
  for (int i = 0; i < 24; ++i) parentheses += "\\(";
  EXPECT_EQ(dscText(std::string(300, '('), 50), "(" + parentheses + ")");
  EXPECT_EQ(dscText(std::string(40, 'x') + std::string(kDanish), 50),
            "(" + std::string(40, 'x') + "Sm)");
}

TEST(MetadataText, RtfAndLatexValuesEscapeTheirSpecialCharacters) {
  EXPECT_EQ(rtfInfoText("{a\\b}"), "\\{a\\\\b\\}");
  EXPECT_EQ(rtfInfoText(kDanish), "Sm\\u248?rrebr\\u248?d");
  // Units above 0x7FFF are negative, and a pair stands for U+1F600.
  EXPECT_EQ(rtfInfoText("\xEF\xBF\xBD"), "\\u-3?");
  EXPECT_EQ(rtfInfoText(kGrinning), "\\u-10179?\\u-8704?");
  EXPECT_EQ(latexHyperrefText("\\{}#%&$_~^ ok"),
            "\\textbackslash{}\\{\\}\\#\\%\\&\\$\\_\\textasciitilde{}\\textasciicircum{} ok");
  EXPECT_EQ(latexHyperrefText(kDanish), kDanish);
}

TEST(MetadataText, CommandLineWordsBecomeDecodedSingleLines) {
  EXPECT_EQ(metadataValue("two\nlines\tand\rmore"), "two lines and more");
  // A Latin-1 byte is read as Windows-1252, as the text's are.
  EXPECT_EQ(metadataValue("caf\xE9"), "caf\xC3\xA9");
  EXPECT_EQ(metadataValue(kGrinning), kGrinning);
}

TEST(LanguageTag, AcceptsWellFormedTagsAndRefusesTheRest) {
  for (const char* tag : {"en", "EN", "de-CH", "sr-Latn-RS", "zh-Hant-TW", "es-419", "zh-yue",
                          "de-DE-1996", "sl-rozaj-biske", "en-US-u-ca-gregory", "en-x-twain",
                          "x-private", "haw"}) {
    EXPECT_TRUE(isLanguageTag(tag)) << tag;
  }
  for (const char* tag : {"", "e", "en-", "-en", "en--US", "en_US", "englishlanguage",
                          "en-US-", "1en", "en-a", "en-x", "en-u-", "fr FR", "de-CH\n",
                          "en-US-x-toolongsubtag"}) {
    EXPECT_FALSE(isLanguageTag(tag)) << tag;
  }
}

TEST(DocumentDate, DatesAreWrittenInUtcInEachFormatsForm) {
  EXPECT_EQ(pdfDate(0), "D:19700101000000Z");
  EXPECT_EQ(isoDateTime(1700000000), "2023-11-14T22:13:20Z");
  EXPECT_EQ(isoDay(951782400), "2000-02-29");
  EXPECT_EQ(pdfDate(253402300799), "D:99991231235959Z");
}

TEST(DocumentDate, SourceDateEpochIsSecondsOrAWarningAndNoDate) {
  EXPECT_EQ(sourceDateEpoch("0"), 0);
  EXPECT_EQ(sourceDateEpoch("1700000000"), 1700000000);
  EXPECT_EQ(sourceDateEpoch("253402300799"), 253402300799);
  for (const char* bad : {"", "-1", "+5", "17e8", " 1", "1 ", "253402300800", "99999999999999999999"}) {
    EXPECT_FALSE(sourceDateEpoch(bad).has_value()) << bad;
  }
  std::vector<std::string> warnings;
  EXPECT_EQ(documentDate(nullptr, 42, warnings), 42);
  EXPECT_EQ(documentDate("7", 42, warnings), 7);
  EXPECT_TRUE(warnings.empty());
  EXPECT_FALSE(documentDate("yesterday\n", 42, warnings).has_value());
  ASSERT_EQ(warnings.size(), 1u);
  // The value is quoted as messages quote what they did not make.
  EXPECT_NE(warnings[0].find("'yesterday\\n'"), std::string::npos) << warnings[0];
}

TEST(DocumentInfoWords, TheProducerIsTheProgramOfTheVersionLine) {
  EXPECT_EQ(versionLine(), "Version " + std::string(kProjectVersion) + " b 2026 \n");
  EXPECT_EQ(kProducer, "Kolvo " + std::string(kProjectVersion));
}

TEST(DocumentInfoWords, KeywordsSplitAtCommasAndSemicolons) {
  EXPECT_EQ(keywordList(" budget, 2026 ;;plans ,"),
            (std::vector<std::string>{"budget", "2026", "plans"}));
  EXPECT_TRUE(keywordList(" , ").empty());
}

ConversionSettings settingsOf(const std::vector<const char*>& words,
                              std::string_view presets = {}) {
  const CommandLineRequest request = parseCommandLine(words, kLongOptions, presets);
  const auto* settings = std::get_if<ConversionSettings>(&request);
  if (settings == nullptr) {
    ADD_FAILURE() << "refused";
    return {};
  }
  return *settings;
}

TEST(MetadataOptions, TakeTheirValueEitherWayAndDecideWhetherMetadataIsWritten) {
  const ConversionSettings given = settingsOf({"--title=A = B", "--author", "Ann\n", "--subject",
                                               "S", "--keywords=k", "--lang", "en-GB",
                                               "--outline", "pdf", "in", "out.pdf"});
  EXPECT_EQ(given.info.title, "A = B");
  EXPECT_EQ(given.info.author, "Ann ");
  EXPECT_EQ(given.info.subject, "S");
  EXPECT_EQ(given.info.keywords, "k");
  EXPECT_EQ(given.info.language, "en-GB");
  EXPECT_TRUE(given.info.outline);
  EXPECT_TRUE(writesMetadata(given));
  EXPECT_FALSE(writesMetadata(settingsOf({"pdf", "in", "out.pdf"})));
  EXPECT_TRUE(writesMetadata(settingsOf({"--escape", "pdf", "in", "out.pdf"})));
  EXPECT_TRUE(writesMetadata(settingsOf({"--outline", "pdf", "in", "out.pdf"})));
  // KOLVO_OPTIONS' settings are taken back by an empty value and --no-outline.
  const ConversionSettings undone =
      settingsOf({"--title=", "--lang=", "--no-outline", "pdf", "in", "out.pdf"},
                 "--title=Kept --lang=fr --outline");
  EXPECT_FALSE(writesMetadata(undone));
}

TEST(MetadataOptions, AMalformedLanguageOrAMissingValueIsAUsageError) {
  for (const std::vector<const char*>& words :
       {std::vector<const char*>{"--lang", "en_GB", "pdf", "in", "out.pdf"},
        std::vector<const char*>{"--lang=en-", "pdf", "in", "out.pdf"},
        std::vector<const char*>{"pdf", "in", "out.pdf", "--title"},
        std::vector<const char*>{"--outline=yes", "pdf", "in", "out.pdf"}}) {
    const CommandLineRequest request = parseCommandLine(words);
    EXPECT_TRUE(std::holds_alternative<UsageError>(request)) << words[0];
  }
  const test::CommandResult r = runKolvo({"--lang", "en\x1B[31m", "-h", "-", "-"}, "x\n");
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(r.out.empty());
  // The tag is quoted safely, its escape byte shown as \x1b.
  EXPECT_NE(r.err.find("'en\\x1b[31m'"), std::string::npos) << r.err;
}

DocumentInfo sampleInfo() {
  DocumentInfo info;
  info.title = "Q&A <draft> \"" + std::string(kDanish) + "\"";
  info.author = "Ann O'Neil";
  info.subject = "Notes {1}";
  info.keywords = "one, two";
  info.language = "da-DK";
  info.created = 1700000000;
  return info;
}

constexpr std::string_view kInput = "%BsFirst line%Be\nbody & more\n";

TEST(MetadataWriters, XmlFormatsStayWellFormedAndHoldTheEscapedValues) {
  const DocumentInfo info = sampleInfo();
  const std::string escapedTitle = xmlEscaped(info.title);
  for (const Format format : {Format::AbiWord, Format::DocBook, Format::OpenDocument}) {
    for (const TextMode mode : {TextMode::Markup, TextMode::Typed}) {
      const std::string doc = convertText(kInput, format, 's', nullptr, mode, nullptr, nullptr, nullptr, &info);
      EXPECT_EQ(test::xmlFault(doc), "") << formatName(format) << '\n' << doc.substr(0, 1500);
      EXPECT_NE(doc.find(escapedTitle), std::string::npos) << formatName(format);
      EXPECT_NE(doc.find("Ann O&apos;Neil"), std::string::npos) << formatName(format);
      // DocBook's <info> has no place for the program that made it.
      if (format != Format::DocBook) {
        EXPECT_NE(doc.find(kProducer), std::string::npos) << formatName(format);
      }
      EXPECT_EQ(doc.find("2023-11-14T22:13:20") == std::string::npos, format == Format::DocBook)
          << formatName(format);
    }
  }
}

TEST(MetadataWriters, HtmlAndDocBookUnderEscapeTakeTheFirstLineWhenNoTitleIsGiven) {
  DocumentInfo info = sampleInfo();
  const std::string html =
      convertText(kInput, Format::Html, 's', nullptr, TextMode::Typed, nullptr, nullptr, nullptr, &info);
  EXPECT_NE(html.find("<html lang=\"da-DK\">"), std::string::npos) << html;
  EXPECT_NE(html.find("<title>" + xmlEscaped(info.title) + "</title>"), std::string::npos);
  EXPECT_NE(html.find("<meta name=\"description\" content=\"Notes {1}\">"), std::string::npos);
  EXPECT_EQ(html.find("<title>First line"), std::string::npos);
  info.title.clear();
  const std::string untitled =
      convertText(kInput, Format::Html, 's', nullptr, TextMode::Typed, nullptr, nullptr, nullptr, &info);
  EXPECT_NE(untitled.find("<title>First line</title>\n<meta name=\"author\""), std::string::npos)
      << untitled;
  const std::string docbook =
      convertText(kInput, Format::DocBook, 's', nullptr, TextMode::Typed, nullptr, nullptr, nullptr, &info);
  EXPECT_NE(docbook.find("<article xml:lang=\"da-DK\""), std::string::npos) << docbook;
  EXPECT_NE(docbook.find("<info>\n<title>First line</title>\n<author>"), std::string::npos)
      << docbook;
  EXPECT_EQ(test::xmlFault(docbook), "");
  // Markup HTML declares no encoding: its metadata is ASCII.
  const std::string markup =
      convertText(kInput, Format::Html, 's', nullptr, TextMode::Markup, nullptr, nullptr, nullptr, &info);
  EXPECT_NE(markup.find("content=\"Ann O&apos;Neil\""), std::string::npos) << markup;
  info.author = std::string(kDanish);
  const std::string ascii =
      convertText("x\n", Format::Html, 's', nullptr, TextMode::Markup, nullptr, nullptr, nullptr, &info);
  EXPECT_NE(ascii.find("Sm&#248;rrebr&#248;d"), std::string::npos) << ascii;
}

TEST(MetadataWriters, RtfLatexAndPostScriptKeepTheirValuesInsideTheirSyntax) {
  const DocumentInfo info = sampleInfo();
  const std::string rtf = convertText(kInput, Format::Rtf, 's', nullptr, TextMode::Markup, nullptr,
                                      nullptr, nullptr, &info);
  EXPECT_NE(rtf.find("{\\subject Notes \\{1\\}}"), std::string::npos) << rtf;
  EXPECT_NE(rtf.find("{\\creatim\\yr2023\\mo11\\dy14\\hr22\\min13\\sec20}}"), std::string::npos);
  EXPECT_NE(rtf.find("Sm\\u248?rrebr\\u248?d"), std::string::npos);
  for (const TextMode mode : {TextMode::Markup, TextMode::Typed}) {
    const std::string latex =
        convertText(kInput, Format::Latex, 's', nullptr, mode, nullptr, nullptr, nullptr, &info);
    EXPECT_NE(latex.find("pdfsubject={Notes \\{1\\}}"), std::string::npos) << latex;
    EXPECT_NE(latex.find("pdftitle={Q\\&A <draft>"), std::string::npos) << latex;
    EXPECT_LT(latex.find("hyperref"), latex.find("\\begin{document}"));
    EXPECT_EQ(latex.find("\\maketitle"), std::string::npos);
  }
  for (const PaperSize* paper : {static_cast<const PaperSize*>(nullptr), findPaperSize("a4")}) {
    const std::string ps = convertText(kInput, Format::PostScript, 's', nullptr, TextMode::Markup,
                                       paper, nullptr, nullptr, &info);
    EXPECT_NE(ps.find("\n%%For: (Ann O'Neil)\n%%Creator: (" + std::string(kProducer) +
                      ")\n%%CreationDate: (D:20231114221320Z)\n"),
              std::string::npos)
        << ps.substr(0, 300);
    EXPECT_NE(ps.find("/pdfmark where { pop [ /Title " + pdfTextString(info.title) +
                      " /Author " + pdfTextString(info.author)),
              std::string::npos);
    for (std::size_t line = 0; line < ps.size(); line = ps.find('\n', line) + 1) {
      if (ps.compare(line, 2, "%%") == 0) {
        EXPECT_LE(ps.find('\n', line) - line, kDscLineLength);
      }
    }
  }
}

TEST(MetadataWriters, WithoutInfoEveryFormatWritesWhatItAlwaysHas) {
  // An empty one still names the producer and the date, so it is passed
  // only when the command line asks for metadata (writesMetadata); LaTeX,
  // whose producer and date are pdflatex's, and DocBook, which has no place
  // for either, stay as they are.
  DocumentInfo none;
  none.created = 0;
  for (const FormatInfo& f : kFormats) {
    const std::string plain = convertText(kInput, f.format);
    EXPECT_EQ(plain.find(kProducer), std::string::npos) << f.name;
    const std::string with =
        convertText(kInput, f.format, 's', nullptr, TextMode::Markup, nullptr, nullptr, nullptr, &none);
    if (f.format == Format::Latex || f.format == Format::DocBook) {
      EXPECT_EQ(with, plain);
    } else {
      EXPECT_NE(with, plain) << f.name;
    }
  }
}

// Each object the table lists starts where it says.
void expectSoundCrossReferences(std::string_view pdf) {
  const std::size_t table = pdf.rfind("\nxref\n");
  ASSERT_NE(table, std::string_view::npos);
  std::size_t at = table + 6;
  while (at < pdf.size() && pdf.compare(at, 7, "trailer") != 0) {
    const std::size_t end = pdf.find('\n', at);
    const std::string_view head = pdf.substr(at, end - at);
    const std::size_t blank = head.find(' ');
    std::uint64_t number = std::stoull(std::string(head.substr(0, blank)));
    const std::uint64_t count = std::stoull(std::string(head.substr(blank + 1)));
    at = end + 1;
    for (std::uint64_t i = 0; i < count; ++i, ++number, at += 20) {
      if (number == 0) continue;
      const std::size_t offset = std::stoull(std::string(pdf.substr(at, 10)));
      EXPECT_EQ(pdf.substr(offset, std::to_string(number).size() + 6),
                std::to_string(number) + " 0 obj")
          << number;
    }
  }
}

TEST(MetadataWriters, PdfNamesItsInfoMetadataAndOutlineInOrder) {
  DocumentInfo info = sampleInfo();
  info.outline = true;
  std::string input = "%BsTitle line%Be\n";
  for (int i = 0; i < 80; ++i) input += "text\n%ls(Chapter) " + std::to_string(i) + "%le\n";
  for (const PaperSize* paper : {static_cast<const PaperSize*>(nullptr), findPaperSize("letter")}) {
    for (const TextMode mode : {TextMode::Markup, TextMode::Typed}) {
      const std::string pdf =
          convertText(input, Format::Pdf, 's', nullptr, mode, paper, nullptr, nullptr, &info);
      EXPECT_TRUE(pdf.starts_with("%PDF-1.4\n"));
      expectSoundCrossReferences(pdf);
      EXPECT_NE(pdf.find("/Title " + pdfTextString(info.title)), std::string::npos);
      EXPECT_NE(pdf.find("/CreationDate (D:20231114221320Z)"), std::string::npos);
      EXPECT_NE(pdf.find("/Lang (da-DK)"), std::string::npos);
      EXPECT_NE(pdf.find(" /Info "), std::string::npos);
      const std::size_t xmp = pdf.find("<x:xmpmeta");
      ASSERT_NE(xmp, std::string::npos);
      const std::size_t xmpEnd = pdf.find("</x:xmpmeta>", xmp);
      EXPECT_EQ(test::xmlFault(pdf.substr(xmp, xmpEnd + 12 - xmp)), "");
      // The bookmarks in the order of the lines, the chapters on later pages.
      std::size_t last = pdf.find("/Title " + pdfTextString("Title line") + " /Parent");
      ASSERT_NE(last, std::string::npos);
      for (int i = 0; i < 80; ++i) {
        const std::size_t next =
            pdf.find("/Title " + pdfTextString("(Chapter) " + std::to_string(i)) + " /Parent");
        ASSERT_NE(next, std::string::npos) << i;
        EXPECT_GT(next, last);
        last = next;
      }
      EXPECT_NE(pdf.find("/Count 81 >>"), std::string::npos);
      EXPECT_NE(pdf.find("/Dest [12 0 R /XYZ"), std::string::npos);
    }
  }
}

TEST(PdfOutline, HeadingsAreLinesWithTitleOrLargeTagsTheirTagsTakenOut) {
  EXPECT_EQ(headingText("%BsIntro%Be"), "Intro");
  EXPECT_EQ(headingText("  %xs%bsBig%be news%xe "), "Big news");
  EXPECT_EQ(headingText("%ls\xE9t\xE9%le"), "\xC3\xA9t\xC3\xA9");
  EXPECT_FALSE(headingText("plain %bsbold%be").has_value());
  EXPECT_FALSE(headingText("%ls%le").has_value());
  for (std::string_view tag : kHeadingTags) {
    const auto row = std::find_if(kTagTable.begin(), kTagTable.end(),
                                  [&](const TagRow& r) { return r.tag == tag; });
    ASSERT_NE(row, kTagTable.end()) << tag;
    EXPECT_TRUE(row->meaning.ends_with(" on")) << row->meaning;
  }
}

TEST(MetadataCommandLine, SourceDateEpochMakesRunsReproducible) {
  test::TempDir dir;
  writeFile(dir / "in.txt", kInput);
  const auto run = [&](const std::string& epoch, const std::string& format) {
    const std::string out = (dir / ("out." + format)).string();
    const test::CommandResult r =
        test::runCommand({"env", "SOURCE_DATE_EPOCH=" + epoch, test::kolvoBinary(), "--title", "T",
                          "--outline", format, (dir / "in.txt").string(), out});
    EXPECT_EQ(r.status, 0) << r.err;
    return std::make_pair(readFile(out), r.err);
  };
  for (const std::string format : {"pdf", "ps", "rtf", "abw", "fodt"}) {
    const auto first = run("1700000000", format);
    EXPECT_EQ(first, run("1700000000", format)) << format;
    EXPECT_NE(first.first, run("1700000001", format).first) << format;
    const auto [bytes, warning] = run("soon", format);
    EXPECT_NE(warning.find("SOURCE_DATE_EPOCH 'soon' is not a count of seconds"),
              std::string::npos)
        << warning;
    EXPECT_EQ(bytes.find("2023"), std::string::npos);
  }
  // Without it the date is the run's.
  const std::int64_t before = std::chrono::duration_cast<std::chrono::seconds>(
                                  std::chrono::system_clock::now().time_since_epoch())
                                  .count();
  const test::CommandResult r =
      test::runCommand({"env", "-u", "SOURCE_DATE_EPOCH", test::kolvoBinary(), "--author", "A",
                        "abw", (dir / "in.txt").string(), (dir / "now.abw").string()});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string now = readFile(dir / "now.abw");
  const std::string key = "<m key=\"dc.date\">";
  const std::size_t date = now.find(key);
  ASSERT_NE(date, std::string::npos);
  const std::string written = now.substr(date + key.size(), 20);
  const std::int64_t after = std::chrono::duration_cast<std::chrono::seconds>(
                                 std::chrono::system_clock::now().time_since_epoch())
                                 .count();
  bool withinTheRun = false;
  for (std::int64_t t = before; t <= after; ++t) withinTheRun = withinTheRun || written == isoDateTime(t);
  EXPECT_TRUE(withinTheRun) << written;
}

}  // namespace
}  // namespace kolvo
