#pragma once
// Input that is not UTF-8 is read as Windows-1252. A whole file's bytes can
// say that this guess is likely wrong: Shift_JIS pairs, Cyrillic words
// written in bytes alone, Central European letters where Windows-1252 has
// symbols, bytes Windows-1252 leaves undefined. The guess is kept
// conservative: Latin-1 and Windows-1252 text, and UTF-8 cut between the
// pieces it comes in, give none.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kolvo {

// What the bytes that are not UTF-8 look like instead of Windows-1252.
enum class LikelyEncoding : unsigned char {
  ShiftJis,
  Koi8R,        // Cyrillic, most letters (the lower case) in 0xC0-0xDF
  Windows1251,  // Cyrillic, most in 0xE0-0xFF
  Iso8859_2,    // Central European letters where Latin-1 has symbols
  Windows1250,  // the same, and letters where Windows-1252 has punctuation
  Undefined,    // bytes that Windows-1252 leaves undefined, of no family above
};

class EncodingGuess {
 public:
  // The next bytes of the input, in any pieces.
  void read(std::string_view bytes);
  // The end of the input: what the last piece held back is read.
  void finish();
  // What the input most likely is, if not Windows-1252.
  std::optional<LikelyEncoding> likely() const;

 private:
  // Reads `bytes` up to `end`; returns where it stopped (a character may
  // run past `end`).
  std::size_t readUpTo(std::string_view bytes, std::size_t end);
  void readHighByte(std::string_view bytes, std::size_t at);
  void readShiftJis(std::string_view bytes, std::size_t end);
  void readWords(std::string_view bytes, std::size_t end);

  std::string held_;  // the end of the last piece, which may begin a character
  std::uint64_t beyondAscii_ = 0;  // bytes from 0x80
  std::uint64_t notUtf8_ = 0;      // of them, bytes in no UTF-8 sequence
  std::uint64_t undefined_ = 0;    // 0x81, 0x8D, 0x8F, 0x90, 0x9D
  // Shift_JIS: lead and trail pairs (those whose lead is 0x81-0x9F, where
  // Windows-1252 has punctuation), and high bytes that fit no pair.
  std::uint64_t pairs_ = 0;
  std::uint64_t lowLeadPairs_ = 0;
  std::uint64_t unpaired_ = 0;
  // Words (runs of letters): of three or more bytes from 0xC0 and no ASCII
  // letter, and those that mix ASCII letters with bytes from 0xC0.
  std::uint64_t highWords_ = 0;
  std::uint64_t mixedWords_ = 0;
  std::uint64_t lowerC0_ = 0;  // in the high words: 0xC0-0xDF (KOI8-R's lower case)
  std::uint64_t lowerE0_ = 0;  // 0xE0-0xFF (Windows-1251's)
  // Bytes 0xA1-0xBF between two letters: letters in ISO-8859-2, symbols in
  // Latin-1 (guillemets, the middle dot and the acute accent aside).
  std::uint64_t lettersAmongSymbols_ = 0;
  std::uint64_t controlsAmongLetters_ = 0;  // 0x80-0x9F between two letters (Windows-1250)
};

// The note for --check: what the bytes look like and which --encoding
// would read them.
std::string encodingNote(LikelyEncoding likely);

}  // namespace kolvo
