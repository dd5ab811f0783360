#pragma once
// Fast scans over a line for the few bytes that make a line need more work
// than a copy: the start of a tag, the string delimiters of PostScript and
// PDF, the bytes of the clean-up patterns, and line ends. Most lines hold
// none of them, so these scans are most of what a plain line costs.

#include <array>
#include <cstddef>
#include <string_view>

namespace kolvo::scan {

// What a byte asks of the rewrite; a line's classes are those of its bytes,
// or-ed together.
enum ByteClass : unsigned {
  kPercent = 1,    // "%": may start a tag
  kDelimiter = 2,  // "\", "(" or ")": escaped in PostScript and PDF strings
  kCleanup = 4,    // "_", "#", "<": may take part in a clean-up pattern
  kLineEnd = 8,    // carriage return or line feed: becomes a blank
};

constexpr std::array<unsigned char, 256> makeByteClasses() {
  std::array<unsigned char, 256> classes{};
  classes[static_cast<unsigned char>('%')] = kPercent;
  classes[static_cast<unsigned char>('\\')] = kDelimiter;
  classes[static_cast<unsigned char>('(')] = kDelimiter;
  classes[static_cast<unsigned char>(')')] = kDelimiter;
  classes[static_cast<unsigned char>('_')] = kCleanup;
  classes[static_cast<unsigned char>('#')] = kCleanup;
  classes[static_cast<unsigned char>('<')] = kCleanup;
  classes[static_cast<unsigned char>('\r')] = kLineEnd;
  classes[static_cast<unsigned char>('\n')] = kLineEnd;
  return classes;
}

inline constexpr std::array<unsigned char, 256> kByteClasses = makeByteClasses();

// The classes of the bytes of `text`, by the fastest means the processor has.
unsigned classify(std::string_view text);

// The first byte of `text` at `from` or later that is `a`, `b` or `c`, or
// npos. `from` may be anything up to the size of `text`.
std::size_t findAnyOf(std::string_view text, std::size_t from, char a, char b, char c);

// The first byte of `text` at `from` or later that lies beyond ASCII, or the
// size of `text`; `from` may be anything up to that size.
std::size_t findBeyondAscii(std::string_view text, std::size_t from);

// The last byte of `text` before `end` that is `byte`, or npos; `end` may
// be anything up to the size of `text`.
std::size_t findLast(std::string_view text, std::size_t end, char byte);

// The ways classify() can go, for tests that compare them. Each returns
// false when this build or this processor does not have it.
bool classifyOneByOne(std::string_view text, unsigned& classes);
bool classifySse2(std::string_view text, unsigned& classes);
bool classifyAvx2(std::string_view text, unsigned& classes);

// Whether this processor runs AVX2, asked once: the scans here and in the
// layers above choose their 32-byte versions by it.
bool cpuHasAvx2();

}  // namespace kolvo::scan
