// Input nobody should write but anybody can hand over: NUL bytes, invalid
// UTF-8, a 100 MB line without a line feed, a line of nothing but tags and a
// million drawing lines. The program must not crash, must not lose text,
// and must run in little memory whatever the size of the input.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "driver/conversion.hpp"
#include "markup/tag_table.hpp"
#include "support/same_bytes.hpp"
#include "support/test_support.hpp"
#include "support/xml_check.hpp"

#if defined(__SANITIZE_ADDRESS__)
#define KOLVO_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KOLVO_SANITIZED 1
#endif
#endif

namespace kolvo::test {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

// Under the sanitizers the binary is slower and far larger in memory: the
// inputs shrink and the memory bound is not checked.
#ifdef KOLVO_SANITIZED
constexpr bool kSanitized = true;
constexpr std::size_t kScale = 10;
#else
constexpr bool kSanitized = false;
constexpr std::size_t kScale = 1;
#endif

constexpr long kPeakMemoryLimitKiB = 8 * 1024;

struct MeasuredRun {
  int status = -1;      // exit status, or 128 + signal
  long peakKiB = 0;     // the child's maximum resident set size
  std::string err;
};

// Runs kolvo with `args` (standard output to /dev/null, standard error to a
// file) through kolvo_peak_memory, which reports the peak resident memory of
// kolvo alone.
MeasuredRun runMeasured(const std::vector<std::string>& args, const fs::path& scratch) {
  const fs::path errPath = scratch / "stderr.txt";
  const fs::path reportPath = scratch / "peak.txt";
  std::vector<std::string> command = {KOLVO_PEAK_MEMORY, reportPath.string(), kolvoBinary()};
  command.insert(command.end(), args.begin(), args.end());
  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int null = open("/dev/null", O_RDWR);
    if (err < 0 || null < 0) _exit(126);
    dup2(null, 0);
    dup2(null, 1);
    dup2(err, 2);
    std::vector<char*> argv;
    for (std::string& a : command) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) throw std::runtime_error("waitpid failed");
  MeasuredRun run;
  run.err = readFile(errPath);
  std::istringstream report(readFile(reportPath));
  report >> run.peakKiB >> run.status;
  if (!report) throw std::runtime_error("no memory report");
  return run;
}

void expectSmallPeak(const MeasuredRun& run) {
  ::testing::Test::RecordProperty("peak_kib", std::to_string(run.peakKiB));
  EXPECT_GT(run.peakKiB, 0);
  if (kSanitized) return;
  EXPECT_LT(run.peakKiB, kPeakMemoryLimitKiB) << "peak resident memory in KiB";
}

// Writes `count` copies of `piece` to `path` without holding them all.
void writeRepeated(const fs::path& path, std::string_view piece, std::size_t count,
                   std::string_view tail = {}) {
  std::ofstream out(path, std::ios::binary);
  std::string block;
  const std::size_t perBlock = std::max<std::size_t>(1, (1 << 20) / piece.size());
  for (std::size_t i = 0; i < perBlock; ++i) block += piece;
  for (std::size_t done = 0; done < count; done += perBlock) {
    const std::size_t n = std::min(perBlock, count - done);
    out.write(block.data(), static_cast<std::streamsize>(n * piece.size()));
  }
  out.write(tail.data(), static_cast<std::streamsize>(tail.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::size_t countOf(std::string_view text, std::string_view what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string_view::npos;
       at = text.find(what, at + what.size())) {
    ++n;
  }
  return n;
}

// ---------------------------------------------------------------------------
// NUL bytes: each becomes a blank, in every format; nothing after it is lost.

TEST(NulBytes, BecomeBlanksAndKeepTheTextAfterThemInEveryFormat) {
  const std::string input = "before\0after %bsbold\0text%be\0\n\0\0\nlast\0"s;
  for (Format f : kAllFormats) {
    SCOPED_TRACE(formatName(f));
    const std::string doc = convertText(input, f);
    EXPECT_EQ(doc.find('\0'), std::string::npos);
    EXPECT_NE(doc.find("before after"), std::string::npos);
    EXPECT_NE(doc.find("text"), std::string::npos);
    EXPECT_NE(doc.find("last "), std::string::npos);
  }
  EXPECT_NE(convertText(input, Format::Html).find("before after <b>bold text</b>   <br />\n"
                                                  "    <br />\nlast  <br />\n"),
            std::string::npos);
}

TEST(NulBytes, NeverJoinATagNorVanishFromOne) {
  // "%\0bs" is not the bold tag: the NUL keeps its place as a blank.
  const std::string doc = convertText("%\0bs and %b\0s\n"s, Format::Html);
  EXPECT_NE(doc.find("% bs and %b s"), std::string::npos);
  EXPECT_EQ(doc.find("<b>"), std::string::npos);
}

TEST(NulBytes, KeepTheMeasuresOfPagedFormats) {
  // A blank has the width of the NUL it replaces: centring and the PDF
  // underline come out as for any other byte.
  const std::string withNul = convertText("%csTi\0le\n"s, Format::Pdf);
  const std::string withBlank = convertText("%csTi le\n", Format::Pdf);
  EXPECT_EQ(withNul, withBlank);
  EXPECT_EQ(convertText("a\0%usb%ue\n"s, Format::Pdf),
            convertText("a %usb%ue\n", Format::Pdf));
}

TEST(NulBytes, InADrawingLineDrawNothingAndWriteNothing) {
  const std::string line = "$sl 1 \0\0\0 400 565 400\n"s;
  for (Format f : {Format::PostScript, Format::Pdf, Format::Html}) {
    const std::string doc = convertText(line, f);
    EXPECT_TRUE(sameBytes(convertText("", f), doc)) << formatName(f);
  }
}

const std::string kNulInput = "a\0b %bsc\0d%be\n\0\n"s;

TEST(NulBytes, TheXmlStaysWellFormed) {
  for (Format f : {Format::AbiWord, Format::DocBook}) {
    EXPECT_EQ(xmlFault(convertText(kNulInput, f)), "") << formatName(f);
  }
}

TEST(NulByteReaders, XmllintAcceptsTheOutput) {
  KOLVO_REQUIRE_TOOL("xmllint");
  TempDir dir;
  for (Format f : {Format::AbiWord, Format::DocBook}) {
    const fs::path path = dir / ("nul." + std::string(formatExtension(f)));
    writeFile(path, convertText(kNulInput, f));
    const CommandResult r = runCommand({"xmllint", "--noout", path.string()});
    EXPECT_EQ(r.status, 0) << formatName(f) << ": " << r.err;
  }
}

TEST(NulBytes, TheProgramKeepsEveryLineAfterThem) {
  TempDir dir;
  std::string input;
  for (int i = 0; i < 1000; ++i) input += "line\0"s + std::to_string(i) + "\n";
  writeFile(dir / "in.txt", input);
  const CommandResult r =
      runCommand({kolvoBinary(), "-r", (dir / "in.txt").string(), (dir / "out.rtf").string(), "-s"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string doc = readFile(dir / "out.rtf");
  EXPECT_EQ(countOf(doc, "\\pard\\ql line "), 1000u);
  EXPECT_NE(doc.find("line 999  \\par\n}\n"), std::string::npos);
}

// ---------------------------------------------------------------------------
// Bytes that are not UTF-8 pass through as typed.

TEST(InvalidUtf8, PassesThroughUnchangedOrAsWindows1252InXml) {
  // A lone continuation byte, a truncated sequence, an overlong form, bytes
  // that never occur in UTF-8, and a truncated sequence at the very end.
  const std::string bad = "\x80 \xC3( \xC0\xAF \xFE\xFF \xED\xA0\x80 \xE2\x82";
  const std::string input = "x" + bad + "%bsy%be\n" + bad;
  for (Format f : kAllFormats) {
    SCOPED_TRACE(formatName(f));
    const std::string doc = convertText(input, f);
    // Parentheses get a backslash in PostScript and PDF; the XML formats
    // read each stray byte as its Windows-1252 character, as XML must be
    // UTF-8; every other format writes the bytes as they came.
    const std::string expected =
        isPaged(f) ? "\x80 \xC3\\( \xC0\xAF \xFE\xFF \xED\xA0\x80 \xE2\x82"
        : isXml(fileSyntax(f))
            ? "\xE2\x82\xAC \xC3\x83( \xC3\x80\xC2\xAF \xC3\xBE\xC3\xBF \xC3\xAD\xC2\xA0\xE2\x82\xAC "
              "\xC3\xA2\xE2\x80\x9A"
            : bad;
    EXPECT_EQ(countOf(doc, expected), 2u);
  }
}

TEST(InvalidUtf8Readers, GhostscriptRunsThePostScript) {
  KOLVO_REQUIRE_TOOL("gs");
  TempDir dir;
  std::string input;
  for (int byte = 0x80; byte <= 0xFF; ++byte) input += static_cast<char>(byte);
  input += "\n\xC3(\xE2)\\\n";
  writeFile(dir / "bad.ps", convertText(input, Format::PostScript));
  const CommandResult r = runCommand({"gs", "-q", "-dSAFER", "-dBATCH", "-dNOPAUSE",
                                      "-sDEVICE=nullpage", (dir / "bad.ps").string()});
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_EQ(r.out + r.err, "");
}

// ---------------------------------------------------------------------------
// Size: whatever the input, memory stays small.

TEST(HugeInput, TheMemoryMeasureSeesKolvoAloneNotThisTest) {
  // 64 MiB held by the test must not show up in kolvo's peak.
  std::vector<char> ballast(64u << 20, 'x');
  TempDir dir;
  writeFile(dir / "in.txt", "small\n");
  const MeasuredRun run =
      runMeasured({"-h", (dir / "in.txt").string(), (dir / "out").string(), "-s"}, dir.path());
  EXPECT_EQ(run.status, 0);
  expectSmallPeak(run);
  EXPECT_EQ(ballast[ballast.size() - 1], 'x');
}

TEST(HugeInput, A100MegabyteLineWithoutALineFeed) {
  TempDir dir;
  const std::size_t size = 100'000'000 / kScale;
  // 10-byte blocks that hold a "(" for the escape; the size is a multiple
  // of neither 559 nor the read size.
  writeRepeated(dir / "in.txt", "abcd(efgh ", size / 10, "END");
  const fs::path out = dir / "out.html";
  const MeasuredRun run = runMeasured({"-h", (dir / "in.txt").string(), out.string(), "-s"},
                                      dir.path());
  ASSERT_EQ(run.status, 0) << run.err;
  expectSmallPeak(run);
  // Every byte arrives, in pieces of 559 bytes, each its own line.
  const std::uintmax_t total = size + 3;
  const std::uintmax_t pieces = (total + 558) / 559;
  const std::uintmax_t frame = convertText("", Format::Html).size();
  EXPECT_EQ(fs::file_size(out), frame + total + pieces * std::string_view(" <br />\n").size());
}

TEST(HugeInput, A100MegabyteLineInPdfKeepsEveryPage) {
  TempDir dir;
  const std::size_t size = 100'000'000 / kScale;
  writeRepeated(dir / "in.txt", "a)\\%bs%us", size / 9);
  const fs::path out = dir / "out.pdf";
  const MeasuredRun run = runMeasured({"-P", (dir / "in.txt").string(), out.string(), "-s"},
                                      dir.path());
  ASSERT_EQ(run.status, 0) << run.err;
  expectSmallPeak(run);
  // 53 lines a page; the page tree, written right before the
  // cross-reference table, lists them all.
  const std::uintmax_t pieces = (size + 558) / 559;
  const std::uintmax_t pages = (pieces + 52) / 53;
  std::ifstream pdf(out, std::ios::binary);
  pdf.seekg(-64, std::ios::end);
  std::string tail(64, '\0');
  pdf.read(tail.data(), 64);
  const std::size_t startxref = tail.rfind("startxref\n");
  ASSERT_NE(startxref, std::string::npos);
  const std::streamoff xref = std::stoll(tail.substr(startxref + 10));
  const std::streamoff treeSize = static_cast<std::streamoff>(pages) * 12 + 200;
  pdf.seekg(xref - treeSize);
  std::string tree(static_cast<std::size_t>(treeSize), '\0');
  pdf.read(tree.data(), treeSize);
  const std::size_t at = tree.rfind("/Count ");
  ASSERT_NE(at, std::string::npos);
  EXPECT_EQ(std::stoull(tree.substr(at + 7)), pages);
  EXPECT_NE(tree.find("2 0 obj << /Type /Pages /Kids [3 0 R 12 0 R "), std::string::npos);
}

TEST(HugeInput, LinesOfNothingButTags) {
  TempDir dir;
  std::string tags;
  for (const TagRow& row : kTagTable) tags += row.tag;
  // Every tag, 85 to a line, then one long line of them without line feeds.
  writeRepeated(dir / "lines.txt", tags + "\n", 2'000 / kScale);
  writeRepeated(dir / "line.txt", tags, 2'000 / kScale);
  for (const char* name : {"lines.txt", "line.txt"}) {
    for (const char* format : {"-a", "-d", "-h", "-r", "-l", "-p", "-P"}) {
      SCOPED_TRACE(std::string(name) + " " + format);
      const MeasuredRun run = runMeasured(
          {format, (dir / name).string(), (dir / "out").string(), "-s"}, dir.path());
      ASSERT_EQ(run.status, 0) << run.err;
      expectSmallPeak(run);
      EXPECT_GT(fs::file_size(dir / "out"), fs::file_size(dir / name));
    }
  }
}

TEST(HugeInput, AMillionDrawingLines) {
  TempDir dir;
  const std::size_t count = 1'000'000 / kScale;
  writeRepeated(dir / "in.txt", "$sl 1  30 400 565 400\n", count);
  for (const char* format : {"-p", "-P", "-h"}) {
    SCOPED_TRACE(format);
    const fs::path out = dir / "out";
    const MeasuredRun run =
        runMeasured({format, (dir / "in.txt").string(), out.string(), "-s"}, dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    expectSmallPeak(run);
    const std::string doc = readFile(out);
    const std::string_view command =
        std::string_view(format) == "-P" ? " 565 400 l S\n" : " 565 400 lineto closepath";
    EXPECT_EQ(countOf(doc, command), std::string_view(format) == "-h" ? 0 : count);
    // Drawing lines take no room: one page however many there are.
    if (std::string_view(format) == "-P") {
      EXPECT_NE(doc.find("/Count 1 "), std::string::npos);
    }
  }
}

TEST(HugeInput, ABigDocumentFromStandardInput) {
  // A pipe delivers the input in small, uneven reads.
  TempDir dir;
  writeRepeated(dir / "in.txt", "x%bsy%be (z)\n", 2'000'000 / kScale);
  const CommandResult r = runCommand(
      {"sh", "-c",
       "cat '" + (dir / "in.txt").string() + "' | '" + kolvoBinary() + "' -p - '" +
           (dir / "out.ps").string() + "' -s"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(fs::file_size(dir / "out.ps") > fs::file_size(dir / "in.txt"), true);
}

}  // namespace
}  // namespace kolvo::test
