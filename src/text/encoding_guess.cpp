#include "text/encoding_guess.hpp"

#include <algorithm>

#include "text/text_decoding.hpp"

namespace kolvo {
namespace {

// Enough of each sign that a stray byte or two decides nothing.
constexpr std::uint64_t kLeastEvidence = 8;

unsigned char byteAt(std::string_view bytes, std::size_t at) {
  return static_cast<unsigned char>(bytes[at]);
}

bool isAsciiLetter(unsigned char b) { return (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z'); }

// The bytes Windows-1252 does not define.
bool isUndefined(unsigned char b) {
  return b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
}

// Latin-1 symbols that stand next to letters in Latin-1 text too: the
// guillemets, the acute accent used as an apostrophe, the middle dot of
// Catalan's "l·l".
bool isSymbolBesideLetters(unsigned char b) {
  return b == 0xAB || b == 0xBB || b == 0xB4 || b == 0xB7;
}

// A byte that is a letter in the encodings guessed at (or in Latin-1).
bool mayBeLetter(unsigned char b) {
  return isAsciiLetter(b) || (b >= 0xA1 && !isSymbolBesideLetters(b) && b != 0xD7 && b != 0xF7);
}

bool isShiftJisLead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool isShiftJisTrail(unsigned char b) {
  return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}
bool isHalfWidthKatakana(unsigned char b) { return b >= 0xA1 && b <= 0xDF; }

}  // namespace

void EncodingGuess::read(std::string_view bytes) {
  std::string joined;
  if (!held_.empty()) {
    joined = held_ + std::string(bytes);
    bytes = joined;
  }
  // A piece may end inside a character: its last bytes beyond ASCII wait
  // for the next piece.
  std::size_t end = bytes.size();
  while (end > 0 && bytes.size() - end < 3 && byteAt(bytes, end - 1) >= 0x80) --end;
  const std::size_t stop = readUpTo(bytes, end);
  held_.assign(bytes.substr(std::min(stop, bytes.size())));
}

void EncodingGuess::finish() {
  const std::string last = std::move(held_);
  held_.clear();
  readUpTo(last, last.size());
}

std::size_t EncodingGuess::readUpTo(std::string_view bytes, std::size_t end) {
  std::size_t at = 0;
  while (at < end) {
    if (byteAt(bytes, at) < 0x80) {
      ++at;
      continue;
    }
    const std::size_t length = utf8SequenceLength(bytes, at);
    beyondAscii_ += std::max<std::size_t>(length, 1);
    if (length != 0) {
      at += length;
      continue;
    }
    readHighByte(bytes, at);
    ++at;
  }
  readShiftJis(bytes, std::min(at, bytes.size()));
  readWords(bytes, std::min(at, bytes.size()));
  return at;
}

void EncodingGuess::readHighByte(std::string_view bytes, std::size_t at) {
  const unsigned char b = byteAt(bytes, at);
  ++notUtf8_;
  if (isUndefined(b)) ++undefined_;
  const bool between = at > 0 && at + 1 < bytes.size() && mayBeLetter(byteAt(bytes, at - 1)) &&
                       mayBeLetter(byteAt(bytes, at + 1));
  if (!between) return;
  if (b >= 0xA1 && b <= 0xBF && !isSymbolBesideLetters(b)) ++lettersAmongSymbols_;
  if (b <= 0x9F) ++controlsAmongLetters_;
}

void EncodingGuess::readShiftJis(std::string_view bytes, std::size_t end) {
  for (std::size_t at = 0; at < end; ++at) {
    const unsigned char b = byteAt(bytes, at);
    if (b < 0x80 || isHalfWidthKatakana(b)) continue;
    if (isShiftJisLead(b) && at + 1 < bytes.size() && isShiftJisTrail(byteAt(bytes, at + 1))) {
      ++pairs_;
      if (b <= 0x9F) ++lowLeadPairs_;
      ++at;
      continue;
    }
    ++unpaired_;
  }
}

void EncodingGuess::readWords(std::string_view bytes, std::size_t end) {
  for (std::size_t at = 0; at < end;) {
    const unsigned char b = byteAt(bytes, at);
    if (!isAsciiLetter(b) && b < 0xC0) {
      ++at;
      continue;
    }
    std::uint64_t ascii = 0;
    std::uint64_t high = 0;
    std::uint64_t lowerC0 = 0;
    for (; at < end && (isAsciiLetter(byteAt(bytes, at)) || byteAt(bytes, at) >= 0xC0); ++at) {
      const unsigned char c = byteAt(bytes, at);
      if (c < 0x80) {
        ++ascii;
      } else {
        ++high;
        if (c < 0xE0) ++lowerC0;
      }
    }
    if (ascii == 0 && high >= 3) {
      ++highWords_;
      lowerC0_ += lowerC0;
      lowerE0_ += high - lowerC0;
    } else if (ascii > 0 && high > 0) {
      ++mixedWords_;
    }
  }
}

std::optional<LikelyEncoding> EncodingGuess::likely() const {
  // Mostly UTF-8, with a stray byte or a piece cut in a character: no guess.
  if (notUtf8_ * 2 < beyondAscii_) return std::nullopt;
  if (pairs_ >= kLeastEvidence && lowLeadPairs_ * 2 >= pairs_ && unpaired_ * 20 <= pairs_) {
    return LikelyEncoding::ShiftJis;
  }
  if (highWords_ >= kLeastEvidence && highWords_ >= 2 * mixedWords_) {
    return lowerC0_ >= lowerE0_ ? LikelyEncoding::Koi8R : LikelyEncoding::Windows1251;
  }
  if (lettersAmongSymbols_ >= kLeastEvidence && lettersAmongSymbols_ * 10 >= notUtf8_) {
    return controlsAmongLetters_ > 0 ? LikelyEncoding::Windows1250 : LikelyEncoding::Iso8859_2;
  }
  if (undefined_ >= 3) return LikelyEncoding::Undefined;
  return std::nullopt;
}

std::string encodingNote(LikelyEncoding likely) {
  std::string_view looks;
  std::string_view name;
  switch (likely) {
    case LikelyEncoding::ShiftJis: looks = "Japanese in Shift_JIS"; name = "SHIFT_JIS"; break;
    case LikelyEncoding::Koi8R: looks = "Cyrillic in KOI8-R"; name = "KOI8-R"; break;
    case LikelyEncoding::Windows1251: looks = "Cyrillic in Windows-1251"; name = "WINDOWS-1251"; break;
    case LikelyEncoding::Iso8859_2:
      looks = "a Central European language in ISO-8859-2";
      name = "ISO-8859-2";
      break;
    case LikelyEncoding::Windows1250:
      looks = "a Central European language in Windows-1250";
      name = "WINDOWS-1250";
      break;
    case LikelyEncoding::Undefined:
      return "the bytes that are not UTF-8 are read as Windows-1252, which leaves some of them "
             "undefined: say what the text is written in with --encoding NAME";
  }
  return "the bytes that are not UTF-8 are read as Windows-1252, but they look like " +
         std::string(looks) + ": if so, say --encoding " + std::string(name);
}

}  // namespace kolvo
