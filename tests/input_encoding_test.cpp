// Input in a legacy encoding (--encoding, through the C library's iconv),
// the note --check gives when bytes read as Windows-1252 look like another
// encoding, and the warning for input that looks binary. The quick cases
// take small byte strings; EncodingReaders runs iconv(1) on real text.
#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

#include "driver/conversion.hpp"
#include "driver/encoding_decoder.hpp"
#include "driver/line_reader.hpp"
#include "driver/options.hpp"
#include "support/same_bytes.hpp"
#include "support/test_support.hpp"
#include "text/encoding_guess.hpp"

namespace kolvo::test {
namespace {

const std::string kReplacement = "\xEF\xBF\xBD";

std::string decodeInBlocks(const std::string& encoding, std::string_view bytes,
                           std::size_t block) {
  const std::unique_ptr<InputDecoder> decoder = makeEncodingDecoder(encoding);
  std::string out;
  for (std::size_t at = 0; at < bytes.size(); at += block) decoder->decode(bytes.substr(at, block), out);
  decoder->finish(out);
  return out;
}

std::string readAll(std::string_view input, const std::string& encoding) {
  LineReader reader(input, kMaxPiece, makeEncodingDecoder(encoding));
  std::string all;
  for (std::string line; reader.next(line);) all += line;
  return all;
}

TEST(EncodingDecoder, GivesUtf8WhereverTheBlocksEnd) {
  // "あい" in Shift_JIS, two bytes each; a tag between them stays a tag.
  const std::string sjis = "\x82\xA0%bs\x82\xA2\r\n";
  const std::string expected = "\xE3\x81\x82%bs\xE3\x81\x84\r\n";
  for (std::size_t block = 1; block <= sjis.size(); ++block) {
    EXPECT_EQ(decodeInBlocks("SHIFT_JIS", sjis, block), expected) << "blocks of " << block;
  }
  EXPECT_EQ(decodeInBlocks("KOI8-R", "\xF0\xD2\xC9\xD7\xC5\xD4", 4),
            "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82");  // Привет
  // "ą": the same letter at different bytes.
  EXPECT_EQ(decodeInBlocks("ISO-8859-2", "\xB1", 1), "\xC4\x85");
  EXPECT_EQ(decodeInBlocks("windows-1250", "\xB9", 1), "\xC4\x85");
}

TEST(EncodingDecoder, SequencesTheEncodingLacksBecomeTheReplacementCharacter) {
  // A byte no Shift_JIS character starts with, then text again; a lead
  // byte cut off by the end of the input.
  EXPECT_EQ(decodeInBlocks("SHIFT_JIS", "a\xFF" "b\x82", 1), "a" + kReplacement + "b" + kReplacement);
  EXPECT_EQ(decodeInBlocks("SHIFT_JIS", "a\xFF" "b\x82", 8), "a" + kReplacement + "b" + kReplacement);
  // UTF-8 by name is the reading without --encoding: no decoder at all.
  EXPECT_EQ(makeEncodingDecoder("utf-8"), nullptr);
  EXPECT_EQ(makeEncodingDecoder(""), nullptr);
  EXPECT_THROW((void)makeEncodingDecoder("NO-SUCH-ENCODING"), std::invalid_argument);
}

TEST(EncodingDecoder, TheLineReaderGivesDecodedPiecesAndNoMark) {
  // With an encoding named, leading bytes are the encoding's, not a mark.
  EXPECT_EQ(readAll("\xEF\xBB\xBF" "a\n", "ISO-8859-1"), "\xC3\xAF\xC2\xBB\xC2\xBF" "a\n");
  // A long KOI8-R line is cut into pieces of the decoded bytes.
  const std::string koi8(600, '\xC1');  // "а" six hundred times
  LineReader reader(koi8, kMaxPiece, makeEncodingDecoder("KOI8-R"));
  std::string piece;
  ASSERT_TRUE(reader.next(piece));
  EXPECT_EQ(piece.size(), kMaxPiece);
}

// The bytes of a converted legacy sample, pinned: KOI8-R with a tag to
// HTML, the same as its UTF-8 text would give.
TEST(EncodingDecoder, ConvertedSampleIsPinned) {
  const std::string koi8 = "%bs\xF0\xD2\xC9\xD7\xC5\xD4%be, \xCD\xC9\xD2!\n";
  LineReader in(koi8, kMaxPiece, makeEncodingDecoder("KOI8-R"));
  std::string document;
  OutputSink out(&document);
  class : public Console {
    void print(std::string_view) override {}
  } console;
  convert(in, out, Format::Html, 's', console);
  out.flush();
  EXPECT_EQ(document,
            "<html>\n<body bgcolor=#FFF text=#000 style='font-size: 16px;'>\n"
            "<b>\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82</b>, "
            "\xD0\xBC\xD0\xB8\xD1\x80!  <br />\n</body></html>\n");
}

TEST(EncodingOption, NamesAreCheckedWhereTheyAreRead) {
  const auto parse = [](const std::vector<const char*>& words, std::string_view presets = {}) {
    return parseCommandLine(words, kLongOptions, presets);
  };
  const CommandLineRequest koi8 = parse({"--encoding", "KOI8-R", "html", "a", "b"});
  ASSERT_TRUE(std::holds_alternative<ConversionSettings>(koi8));
  EXPECT_EQ(std::get<ConversionSettings>(koi8).encoding, "KOI8-R");
  const CommandLineRequest utf8 = parse({"--encoding=UTF-8", "html", "a", "b"});
  EXPECT_EQ(std::get<ConversionSettings>(utf8).encoding, "");
  const CommandLineRequest preset = parse({"--check", "a"}, "--encoding SHIFT_JIS");
  ASSERT_TRUE(std::holds_alternative<CheckSettings>(preset));
  EXPECT_EQ(std::get<CheckSettings>(preset).encoding, "SHIFT_JIS");
  const CommandLineRequest unknown = parse({"--encoding", "koi9\x1b[2J", "html", "a", "b"});
  ASSERT_TRUE(std::holds_alternative<UsageError>(unknown));
  EXPECT_TRUE(std::get<UsageError>(unknown).message.starts_with(
      "unknown encoding 'koi9\\x1b[2J': say a name that iconv -l lists"))
      << std::get<UsageError>(unknown).message;
  const CommandLineRequest fromPresets = parse({"html", "a", "b"}, "--encoding=X");
  EXPECT_TRUE(std::get<UsageError>(fromPresets).message.starts_with("in KOLVO_OPTIONS: unknown encoding 'X'"));
}

TEST(EncodingOption, UnknownNameIsAUsageErrorAndWritesNothing) {
  TempDir dir;
  writeFile(dir / "in.txt", "x\n");
  const CommandResult r =
      runKolvo({"--encoding", "NO-SUCH", "html", (dir / "in.txt").string(), (dir / "o.html").string()});
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(r.err.starts_with("kolvo: unknown encoding 'NO-SUCH': ")) << r.err;
  EXPECT_FALSE(std::filesystem::exists(dir / "o.html"));
}

std::optional<LikelyEncoding> guessOf(std::string_view text, std::size_t piece = 559) {
  EncodingGuess guess;
  for (std::size_t at = 0; at < text.size(); at += piece) guess.read(text.substr(at, piece));
  guess.finish();
  return guess.likely();
}

std::string times(std::string_view text, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += text;
  return out;
}

TEST(EncodingGuess, NamesTheFamilyTheBytesLookLike) {
  // "日本語のテキストです。" in Shift_JIS.
  const std::string sjis = "\x93\xFA\x96\x7B\x8C\xEA\x82\xCC\x83\x65\x83\x4C\x83\x58\x83\x67"
                           "\x82\xC5\x82\xB7\x81\x42\n";
  EXPECT_EQ(guessOf(times(sjis, 4)), LikelyEncoding::ShiftJis);
  // "привет мир " in KOI8-R and in Windows-1251.
  EXPECT_EQ(guessOf(times("\xD0\xD2\xC9\xD7\xC5\xD4 \xCD\xC9\xD2 word\n", 6)), LikelyEncoding::Koi8R);
  EXPECT_EQ(guessOf(times("\xEF\xF0\xE8\xE2\xE5\xF2 \xEC\xE8\xF0 word\n", 6)),
            LikelyEncoding::Windows1251);
  // "Będą mogły wyłączyć" in ISO-8859-2, then Windows-1250 with "ś" (0x9C).
  EXPECT_EQ(guessOf(times("B\xEA" "d\xB1 mog\xB3y wy\xB3\xB1" "czy\xE6\n", 5)),
            LikelyEncoding::Iso8859_2);
  EXPECT_EQ(guessOf(times("B\xEA" "d\xB9 mog\xB3y wy\xB3\xB9" "czy\xE6 wi\x9C" "nie\n", 5)),
            LikelyEncoding::Windows1250);
  EXPECT_EQ(guessOf("a\x81" "b \x8D c\x9D\n"), LikelyEncoding::Undefined);
}

TEST(EncodingGuess, WindowsAndLatinTextAndCutUtf8GiveNoNote) {
  // Latin-1 French, German, Spanish and Catalan; Windows-1252 quotes, dashes, euro.
  const std::string latin1 =
      "Caf\xE9 d\xE9j\xE0 \xE9t\xE9, \xAB na\xEFve \xBB, Gr\xF6\xDF" "e \xDC" "berma\xDF, "
      "\xBFQu\xE9 a\xF1o?, \xA1Ol\xE9!, col\xB7lecci\xF3, 20\xB0" "C, 5 m\xB2, 1\xBA\n";
  EXPECT_EQ(guessOf(times(latin1, 20)), std::nullopt);
  const std::string windows = "\x93Quoted\x94 \x96 dash \x85 \x80" "5 \x91it\x92s c\x9Cur\n";
  EXPECT_EQ(guessOf(times(windows, 20)), std::nullopt);
  // Russian and Japanese UTF-8, cut into pieces of every size.
  const std::string utf8 = times("\xD0\xBF\xD1\x80\xD0\xB8 \xE6\x97\xA5\xE6\x9C\xAC\n", 20);
  for (std::size_t piece = 1; piece <= 16; ++piece) {
    EXPECT_EQ(guessOf(utf8, piece), std::nullopt) << "pieces of " << piece;
  }
}

TEST(EncodingGuess, CheckNotesItOnceAtTheEnd) {
  TempDir dir;
  writeFile(dir / "koi8.txt", times("\xD0\xD2\xC9\xD7\xC5\xD4 \xCD\xC9\xD2\n", 10));
  const CommandResult r = runKolvo({"--check", "html", (dir / "koi8.txt").string()});
  EXPECT_NE(r.out.find("koi8.txt:10:11: note: the bytes that are not UTF-8 are read as "
                       "Windows-1252, but they look like Cyrillic in KOI8-R: if so, say "
                       "--encoding KOI8-R\n"),
            std::string::npos)
      << r.out;
  EXPECT_EQ(r.status, 0) << r.err;  // a note alone
  // Read as KOI8-R there is nothing to say.
  const CommandResult read = runKolvo({"--encoding", "KOI8-R", "--check", "html", (dir / "koi8.txt").string()});
  EXPECT_EQ(read.out, "");
}

TEST(BinaryInput, NulOrManyControlBytesInTheStartLookBinary) {
  const auto looksBinary = [](std::string_view input) {
    LineReader reader(input);
    for (std::string line; reader.next(line);) {
    }
    return reader.looksBinary();
  };
  EXPECT_TRUE(looksBinary(std::string("text\0more\n", 10)));
  EXPECT_TRUE(looksBinary(times("\x01\x02\x03\x04\x05\x06\x07\x08 abcdefgh\n", 4)));
  // Tabs, form feeds, escape sequences and a stray control are text.
  EXPECT_FALSE(looksBinary(times("a\tb\fc \x1b[1mbold\x1b[0m\n", 50) + "\x01\n"));
  // Only the start counts.
  EXPECT_FALSE(looksBinary(std::string(70000, 'a') + std::string("\0", 1)));
  // UTF-16 has NUL bytes; the text it holds has none.
  EXPECT_FALSE(looksBinary(std::string("\xFF\xFE" "a\0b\0\n\0", 8)));
}

TEST(BinaryInput, WarningNamesTheFileAndTheConversionGoesOn) {
  TempDir dir;
  const auto in = dir / "x\n.bin";
  writeFile(in, std::string("a\0b\n", 4));
  const auto out = dir / "o.html";
  const CommandResult r = runKolvo({"html", in.string(), out.string()});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "kolvo: warning: '" + (dir / "x").string() + "\\n.bin' looks like a binary file, not text\n");
  EXPECT_EQ(readFile(out), convertText("a b\n", Format::Html));
  const CommandResult piped = runKolvo({"html", "-", "-"}, std::string("a\0b\n", 4));
  EXPECT_EQ(piped.err, "kolvo: warning: standard input looks like a binary file, not text\n");
}

// Real text: manual pages and a licence, copied into legacy encodings by
// iconv(1). Read with --encoding they convert as their UTF-8 originals do;
// without it --check names the encoding, and says nothing of Latin-1.
class EncodingReaders : public ::testing::Test {
 protected:
  TempDir dir;

  // The page's text, or empty (and the test skips) when it is not installed.
  std::string manualPage(const std::string& path) {
    const CommandResult r = runCommand({"sh", "-c", "zcat '" + path + "'"});
    return r.status == 0 ? r.out : std::string();
  }

  std::filesystem::path copyIn(const std::string& text, const std::string& encoding,
                               const std::string& name) {
    writeFile(dir / "utf8.txt", text);
    const CommandResult r = runCommand(
        {"iconv", "-f", "UTF-8", "-t", encoding, (dir / "utf8.txt").string()});
    EXPECT_EQ(r.status, 0) << r.err;
    writeFile(dir / name, r.out);
    return dir / name;
  }
};

TEST_F(EncodingReaders, LegacyCopiesConvertAsTheirOriginalsAndCheckNamesThem) {
  KOLVO_REQUIRE_TOOL("iconv");
  KOLVO_REQUIRE_TOOL("zcat");
  struct Case {
    std::string page;
    std::string encoding;  // iconv's and --encoding's
    std::string noted;     // the encoding the note names
  };
  const std::vector<Case> cases = {
      {"/usr/share/man/ja/man1/apropos.1.gz", "CP932", "SHIFT_JIS"},
      {"/usr/share/man/ru/man1/apropos.1.gz", "KOI8-R", "KOI8-R"},
      {"/usr/share/man/ru/man1/apropos.1.gz", "WINDOWS-1251", "WINDOWS-1251"},
      {"/usr/share/man/pl/man1/apropos.1.gz", "ISO-8859-2", "ISO-8859-2"},
      {"/usr/share/man/pl/man1/apropos.1.gz", "WINDOWS-1250", "WINDOWS-1250"},
  };
  for (const Case& c : cases) {
    const std::string text = manualPage(c.page);
    if (text.empty()) GTEST_SKIP() << c.page << " is not installed";
    const auto copy = copyIn(text, c.encoding, c.encoding + ".txt");
    for (const char* format : {"html", "pdf", "tex"}) {
      const CommandResult legacy =
          runKolvo({"--escape", "--encoding", c.encoding, format, copy.string(), "-"});
      const CommandResult original =
          runKolvo({"--escape", format, (dir / "utf8.txt").string(), "-"});
      EXPECT_EQ(legacy.status, 0) << legacy.err;
      EXPECT_TRUE(sameBytes(original.out, legacy.out)) << c.encoding << " " << format;
    }
    const CommandResult check = runKolvo({"--check", "html", copy.string()});
    EXPECT_NE(check.out.find("say --encoding " + c.noted + "\n"), std::string::npos)
        << c.encoding << ": " << check.out;
    const CommandResult read =
        runKolvo({"--encoding", c.encoding, "--check", "html", copy.string()});
    EXPECT_EQ(read.out.find("--encoding"), std::string::npos) << read.out;
  }
}

TEST_F(EncodingReaders, LatinOneTextGetsNoNote) {
  KOLVO_REQUIRE_TOOL("iconv");
  const std::string licence = readFile("/usr/share/common-licenses/GPL-3");
  // With accented words of four languages, each line of them a few times.
  std::string text = licence;
  for (int i = 0; i < 30; ++i) {
    text += "Caf\u00E9 d\u00E9j\u00E0 vu, Gr\u00F6\u00DFe und \u00DCberma\u00DF, "
            "\u00BFQu\u00E9 a\u00F1o?, \u00AB na\u00EFve fa\u00E7ade \u00BB, 20 \u00B0C\n";
  }
  for (const std::string encoding : {"LATIN1", "WINDOWS-1252"}) {
    const auto copy = copyIn(text, encoding, encoding + ".txt");
    const CommandResult check = runKolvo({"--check", "pdf", copy.string()});
    EXPECT_EQ(check.out.find("--encoding"), std::string::npos) << encoding << ": " << check.out;
  }
}

}  // namespace
}  // namespace kolvo::test
