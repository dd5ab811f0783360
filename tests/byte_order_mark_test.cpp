// Input that starts with a byte-order mark: a UTF-8 mark is dropped, and
// UTF-16 (as Windows editors save text) is read as the text it holds, its
// tags included, whether it comes from a file, a pipe or memory.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <unistd.h>

#include <string>
#include <thread>

#include "driver/conversion.hpp"
#include "driver/line_reader.hpp"
#include "support/same_bytes.hpp"
#include "support/test_support.hpp"
#include "text/utf16_decoding.hpp"

namespace kolvo::test {
namespace {

// UTF-16 of a UTF-8 text that holds only characters of the first plane,
// with the mark of its byte order in front.
std::string utf16Of(std::u16string_view text, bool bigEndian) {
  std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (const char16_t u : text) {
    const char high = static_cast<char>(u >> 8);
    const char low = static_cast<char>(u & 0xFF);
    out += bigEndian ? std::string{high, low} : std::string{low, high};
  }
  return out;
}

std::string decodeInBlocks(std::string_view bytes, std::size_t block, bool bigEndian) {
  Utf16Decoder decoder(bigEndian);
  std::string out;
  for (std::size_t at = 0; at < bytes.size(); at += block) decoder.decode(bytes.substr(at, block), out);
  decoder.finish(out);
  return out;
}

std::string allOf(LineReader& reader) {
  std::string all;
  std::string line;
  while (reader.next(line)) all += line;
  return all;
}

TEST(Utf16Decoder, GivesTheSameTextWhereverTheBlocksEnd) {
  // "Ж", a G clef (a surrogate pair), "%bs".
  const std::string le = utf16Of(u"\u0416\U0001D11E%bs\r\n", false).substr(2);
  const std::string be = utf16Of(u"\u0416\U0001D11E%bs\r\n", true).substr(2);
  const std::string expected = "\xD0\x96\xF0\x9D\x84\x9E%bs\r\n";
  for (std::size_t block = 1; block <= le.size(); ++block) {
    EXPECT_EQ(decodeInBlocks(le, block, false), expected) << "blocks of " << block;
    EXPECT_EQ(decodeInBlocks(be, block, true), expected) << "blocks of " << block;
  }
}

TEST(Utf16Decoder, BrokenUnitsBecomeTheReplacementCharacter) {
  const std::string fffd = "\xEF\xBF\xBD";
  // A high surrogate followed by a letter, a low surrogate alone, a high
  // surrogate at the very end, and an odd last byte.
  EXPECT_EQ(decodeInBlocks(std::string("\x00\xD8" "a\x00", 4), 4, false), fffd + "a");
  EXPECT_EQ(decodeInBlocks(std::string("\x00\xDC" "a\x00", 4), 1, false), fffd + "a");
  EXPECT_EQ(decodeInBlocks(std::string("a\x00\x3D\xD8", 4), 3, false), "a" + fffd);
  EXPECT_EQ(decodeInBlocks(std::string("a\x00z", 3), 2, false), "a" + fffd);
  EXPECT_EQ(decodeInBlocks("", 1, false), "");
}

TEST(ByteOrderMark, OnlyAWholeMarkAtTheStartCounts) {
  EXPECT_EQ(byteOrderMarkOf("\xEF\xBB\xBFtext"), ByteOrderMark::Utf8);
  EXPECT_EQ(byteOrderMarkOf("\xFF\xFEt"), ByteOrderMark::Utf16LE);
  EXPECT_EQ(byteOrderMarkOf("\xFE\xFFt"), ByteOrderMark::Utf16BE);
  EXPECT_EQ(byteOrderMarkOf("\xEF\xBB"), ByteOrderMark::None);
  EXPECT_EQ(byteOrderMarkOf("x\xEF\xBB\xBF"), ByteOrderMark::None);
  EXPECT_EQ(byteOrderMarkOf("\xFF"), ByteOrderMark::None);
}

TEST(ByteOrderMark, TheReaderDropsAUtf8MarkAndDecodesUtf16) {
  const std::string text = "%bsJos\xC3\xA9%be \xE2\x82\xAC" "1.275,00\nsecond line\n";
  const std::u16string wide = u"%bsJos\u00E9%be \u20AC1.275,00\nsecond line\n";
  for (const std::string& input : {"\xEF\xBB\xBF" + text, utf16Of(wide, false), utf16Of(wide, true)}) {
    LineReader memory(input);
    EXPECT_EQ(allOf(memory), text);
    TempDir dir;
    writeFile(dir / "in.txt", input);
    const int fd = open((dir / "in.txt").c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    LineReader file(fd, "in.txt");
    EXPECT_EQ(allOf(file), text);
    close(fd);
  }
  // Without a mark nothing changes, not even bytes that begin one.
  LineReader plain("\xEF\xBBx\n");
  EXPECT_EQ(allOf(plain), "\xEF\xBBx\n");
}

TEST(ByteOrderMark, APipeMayGiveTheMarkOutAByteAtATime) {
  const std::string input = utf16Of(u"%isA%ie\n", false);
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  std::thread writer([&] {
    for (const char c : input) {
      EXPECT_EQ(write(ends[1], &c, 1), 1);
      std::this_thread::yield();
    }
    close(ends[1]);
  });
  LineReader reader(ends[0], "pipe");
  EXPECT_EQ(allOf(reader), "%isA%ie\n");
  writer.join();
  close(ends[0]);
}

TEST(ByteOrderMark, ADocumentConvertsAsTheSameTextWithoutAMark) {
  const std::string text = "%cs%bsTitle%be%ce\nPrice: %us100%ue %g1\n";
  const std::u16string wide = u"%cs%bsTitle%be%ce\nPrice: %us100%ue %g1\n";
  for (const FormatInfo& f : kFormats) {
    for (const TextMode mode : {TextMode::Markup, TextMode::Typed}) {
      const std::string expected = convertText(text, f.format, 's', nullptr, mode);
      EXPECT_TRUE(sameBytes(expected, convertText("\xEF\xBB\xBF" + text, f.format, 's', nullptr, mode)))
          << f.name;
      EXPECT_TRUE(sameBytes(expected, convertText(utf16Of(wide, false), f.format, 's', nullptr, mode)))
          << f.name;
    }
  }
}

TEST(ByteOrderMark, StandardInputIsReadTheSameWay) {
  const std::string text = "%bsbold%be\n";
  const CommandResult plain = runKolvo({"-h", "-", "-", "-s"}, text);
  const CommandResult wide = runKolvo({"-h", "-", "-", "-s"}, utf16Of(u"%bsbold%be\n", true));
  ASSERT_EQ(wide.status, 0) << wide.err;
  EXPECT_TRUE(sameBytes(plain.out, wide.out));
}

}  // namespace
}  // namespace kolvo::test
