// decodeText: well-formed UTF-8 stays, every other byte is its Windows-1252
// character, and the characters XML forbids give way. The no-change answer
// must be exact, as the line loop skips the copy on it.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "text/text_decoding.hpp"

namespace kolvo {
namespace {

constexpr std::string_view kUntouched = "untouched";
const std::string kReplacementChar = "\xEF\xBF\xBD";

// The decoded text, whether or not it changed.
std::string decoded(std::string_view in) {
  std::string out(kUntouched);
  if (!decodeText(in, out)) {
    EXPECT_EQ(out, kUntouched) << "no change must leave the output alone";
    return std::string(in);
  }
  EXPECT_NE(out, in) << "a change was reported for text that stayed the same";
  return out;
}

bool changes(std::string_view in) {
  std::string out(kUntouched);
  return decodeText(in, out);
}

// Independent of the code under test: code points up to U+FFFF.
std::string utf8(char32_t cp) {
  std::string s;
  if (cp < 0x80) {
    s += static_cast<char>(cp);
  } else if (cp < 0x800) {
    s += static_cast<char>(0xC0 | (cp >> 6));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    s += static_cast<char>(0xE0 | (cp >> 12));
    s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  }
  return s;
}

TEST(DecodeText, PlainTextIsNotCopied) {
  EXPECT_FALSE(changes(""));
  EXPECT_FALSE(changes("The letter was carried to the station by seven in the morning\n"));
  EXPECT_FALSE(changes("tab\tcarriage return\r line feed\n DEL \x7F"));
  std::string printable;
  for (int c = 0x20; c < 0x80; ++c) printable += static_cast<char>(c);
  EXPECT_FALSE(changes(printable));
}

TEST(DecodeText, WellFormedUtf8StaysAtEveryLengthLimit) {
  for (std::string_view s : {
           "\xC2\x80", "\xC2\x85", "\xDF\xBF",          // U+0080, a C1 control, U+07FF
           "\xE0\xA0\x80", "\xED\x9F\xBF",              // U+0800, U+D7FF
           "\xEE\x80\x80", "\xEF\xBF\xBD",              // U+E000, U+FFFD
           "\xF0\x90\x80\x80", "\xF4\x8F\xBF\xBF",      // U+10000, U+10FFFF
           "caf\xC3\xA9 \xE2\x82\xAC 5 \xF0\x9D\x84\x9E"}) {
    EXPECT_FALSE(changes(s)) << testing::PrintToString(s);
  }
}

TEST(DecodeText, Latin1AndWindows1252BytesBecomeTheirCharacters) {
  EXPECT_EQ(decoded("caf\xE9\n"), "caf\xC3\xA9\n");
  EXPECT_EQ(decoded("\xE9\xC3\xA9"), "\xC3\xA9\xC3\xA9");  // next to well-formed UTF-8
  for (int b = 0xA0; b <= 0xFF; ++b) {
    const std::string byte(1, static_cast<char>(b));
    EXPECT_EQ(decoded(byte), utf8(static_cast<char32_t>(b))) << "byte " << b;
  }
  EXPECT_EQ(decoded("\x80"), utf8(0x20AC));
  EXPECT_EQ(decoded("\x85"), utf8(0x2026));
  EXPECT_EQ(decoded("\x8A"), utf8(0x0160));
  EXPECT_EQ(decoded("\x91\x92\x93\x94"), utf8(0x2018) + utf8(0x2019) + utf8(0x201C) + utf8(0x201D));
  EXPECT_EQ(decoded("\x99"), utf8(0x2122));
  EXPECT_EQ(decoded("\x9F"), utf8(0x0178));
}

TEST(DecodeText, UndefinedWindows1252BytesBecomeTheReplacementCharacter) {
  for (char b : {'\x81', '\x8D', '\x8F', '\x90', '\x9D'}) {
    EXPECT_EQ(decoded(std::string(1, b)), kReplacementChar) << static_cast<int>(b);
  }
}

TEST(DecodeText, IllFormedSequencesAreReadByteByByte) {
  // Overlong forms.
  EXPECT_EQ(decoded("\xC0\xAF"), utf8(0xC0) + utf8(0xAF));
  EXPECT_EQ(decoded("\xC1\xBF"), utf8(0xC1) + utf8(0xBF));
  EXPECT_EQ(decoded("\xE0\x9F\xBF"), utf8(0xE0) + utf8(0x0178) + utf8(0xBF));
  EXPECT_EQ(decoded("\xF0\x8F\xBF\xBF"), utf8(0xF0) + kReplacementChar + utf8(0xBF) + utf8(0xBF));
  // Surrogates, U+D800 and U+DFFF.
  EXPECT_EQ(decoded("\xED\xA0\x80"), utf8(0xED) + utf8(0xA0) + utf8(0x20AC));
  EXPECT_EQ(decoded("\xED\xBF\xBF"), utf8(0xED) + utf8(0xBF) + utf8(0xBF));
  // Above U+10FFFF, and lead bytes that never begin a sequence.
  EXPECT_EQ(decoded("\xF4\x90\x80\x80"),
            utf8(0xF4) + kReplacementChar + utf8(0x20AC) + utf8(0x20AC));
  EXPECT_EQ(decoded("\xF5\x80\x80\x80"), utf8(0xF5) + utf8(0x20AC) + utf8(0x20AC) + utf8(0x20AC));
  EXPECT_EQ(decoded("\xFF\xFE"), utf8(0xFF) + utf8(0xFE));
  // Continuation bytes alone, and a lead byte followed by ASCII.
  EXPECT_EQ(decoded("a\xA9z"), "a" + utf8(0xA9) + "z");
  EXPECT_EQ(decoded("\xC3("), utf8(0xC3) + "(");
  EXPECT_EQ(decoded("\xE2\x82(\xAC"), utf8(0xE2) + utf8(0x201A) + "(" + utf8(0xAC));
}

TEST(DecodeText, SequencesCutShortByTheEndOfTheLine) {
  EXPECT_EQ(decoded("abc\xC3"), "abc" + utf8(0xC3));
  EXPECT_EQ(decoded("abc\xE2\x82"), "abc" + utf8(0xE2) + utf8(0x201A));
  EXPECT_EQ(decoded("abc\xF0\x9D\x84"), "abc" + utf8(0xF0) + kReplacementChar + utf8(0x201E));
  // The line feed is no continuation byte.
  EXPECT_EQ(decoded("\xE2\x82\n"), utf8(0xE2) + utf8(0x201A) + "\n");
}

TEST(DecodeText, ControlsBecomeBlanksButTabAndLineEndsStay) {
  for (int b = 0; b < 0x20; ++b) {
    const std::string in = "a" + std::string(1, static_cast<char>(b)) + "b";
    const bool kept = b == '\t' || b == '\n' || b == '\r';
    EXPECT_EQ(decoded(in), kept ? in : "a b") << "byte " << b;
  }
  EXPECT_EQ(decoded(std::string("\0\f\x1B\n", 4)), "   \n");
}

TEST(DecodeText, NonCharactersFFFEAndFFFFBecomeTheReplacementCharacter) {
  EXPECT_EQ(decoded("a\xEF\xBF\xBE" "b\xEF\xBF\xBF"), "a" + kReplacementChar + "b" + kReplacementChar);
  EXPECT_FALSE(changes("\xEF\xBF\xBD\xEF\xBF\xBC"));  // U+FFFD, U+FFFC are fine
}

TEST(DecodeText, AChangeIsFoundAtEveryPositionOfEveryLength) {
  // The scan goes by blocks; a byte to change must be seen wherever it is,
  // and the bytes around it must be copied exactly.
  for (std::size_t length = 1; length <= 70; ++length) {
    for (std::size_t at = 0; at < length; ++at) {
      std::string in(length, 'x');
      in.back() = '\n';
      for (char b : {'\x01', '\xE9', '\x7F'}) {
        in[at] = b;
        std::string expected = in;
        if (b == '\x01') expected[at] = ' ';
        if (b == '\xE9') expected.replace(at, 1, utf8(0xE9));
        SCOPED_TRACE(testing::Message() << "length " << length << " at " << at << " byte "
                                        << static_cast<int>(b));
        EXPECT_EQ(decoded(in), expected);
      }
    }
  }
}

TEST(DecodeText, TwoByteTextIsReadInBlocksUpToTheByteThatChanges) {
  // Letters of two bytes go by 16 bytes at a time; a piece that breaks
  // them must be found at every offset from a block's start, including a
  // lead that ends a block, and the letters around it kept.
  struct Piece {
    std::string_view bytes;
    std::string decoded;
  };
  const std::string zhe = utf8(0x0416);
  const std::vector<Piece> pieces = {
      {"\xC0\x80", utf8(0xC0) + utf8(0x20AC)},  // overlong
      {"\xD0\x01", utf8(0xD0) + " "},           // a lead before a control
      {"\xD0 ", utf8(0xD0) + " "},               // a lead before ASCII
      {"\x80\xBF", utf8(0x20AC) + utf8(0xBF)},  // continuations alone
      {"\xEF\xBF\xBF", kReplacementChar},        // a non-character
      {"\xE2\x80\x94", utf8(0x2014)},            // three bytes, well-formed
  };
  for (std::size_t letters = 1; letters <= 24; ++letters) {
    for (std::size_t at = 0; at < letters; ++at) {
      for (const Piece& piece : pieces) {
        std::string in;
        std::string expected;
        for (std::size_t k = 0; k < letters; ++k) {
          in += k == at ? std::string(piece.bytes) : zhe;
          expected += k == at ? piece.decoded : zhe;
        }
        in += " \xD0\xAF\n";
        expected += " " + utf8(0x042F) + "\n";
        SCOPED_TRACE(testing::Message() << letters << " letters, piece at " << at << ": "
                                        << testing::PrintToString(in));
        EXPECT_EQ(decoded(in), expected);
      }
    }
  }
}

TEST(DecodeText, OutputIsDecodedTextForRandomBytes) {
  // Whatever the bytes, the result must itself need no change (so it is
  // well-formed UTF-8 without forbidden characters), and text that was
  // well-formed apart from one byte keeps the rest.
  std::uint64_t state = 0x746578742d646563;
  auto next = [&] {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<unsigned>(state >> 33);
  };
  for (int i = 0; i < 2000; ++i) {
    std::string in;
    const unsigned length = next() % 40;
    for (unsigned k = 0; k < length; ++k) {
      const unsigned pick = next() % 4;
      // Bias towards the bytes that start and continue sequences.
      in += static_cast<char>(pick == 0 ? 0xC0 + next() % 0x40
                              : pick == 1 ? 0x80 + next() % 0x40
                                          : next() % 0x100);
    }
    const std::string out = decoded(in);
    EXPECT_FALSE(changes(out)) << testing::PrintToString(in);
  }
}

}  // namespace
}  // namespace kolvo
