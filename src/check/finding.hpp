#pragma once
// One finding of the markup checker: where, how bad, and what.

#include <cstdint>
#include <string>
#include <string_view>

#include "markup/format.hpp"

namespace kolvo::check {

// error: the output will not open in its reader; warning: it opens but
// looks wrong; note: a hint.
enum class Severity : unsigned char { Note, Warning, Error };

std::string_view severityName(Severity severity);

// A set of formats, one bit per column of the format table.
class FormatSet {
 public:
  constexpr FormatSet() = default;
  static constexpr FormatSet all() {
    FormatSet set;
    for (const FormatInfo& f : kFormats) set.add(f.format);
    return set;
  }
  static constexpr FormatSet of(Format f) {
    FormatSet set;
    set.add(f);
    return set;
  }
  constexpr void add(Format f) { bits_ |= bit(f); }
  constexpr void add(FormatSet other) { bits_ |= other.bits_; }
  constexpr bool has(Format f) const { return (bits_ & bit(f)) != 0; }
  constexpr bool empty() const { return bits_ == 0; }
  constexpr bool operator==(const FormatSet&) const = default;

 private:
  static constexpr unsigned bit(Format f) { return 1U << column(f); }
  unsigned bits_ = 0;
};

struct Finding {
  std::uint64_t line = 0;    // 1-based input line
  std::uint64_t column = 0;  // 1-based, in characters
  Severity severity = Severity::Warning;
  std::string message;
  // The formats the finding concerns, named at `formatsAt` of the message
  // (see messageOf); none when the message names no formats of its own.
  // The same finding made for several formats is one finding for them all.
  FormatSet formats{};
  std::size_t formatsAt = std::string::npos;
};

// Where the input ends, past its last character: what only the end shows
// is reported there, after every other finding, so that the findings keep
// their order while they are written as the input is read.
struct InputEnd {
  std::uint64_t line = 1;
  std::uint64_t column = 1;
};

// A finding whose message names `formats` between `before` and `after`.
Finding findingFor(std::uint64_t line, std::uint64_t column, Severity severity,
                   FormatSet formats, std::string_view before, std::string_view after);

// The message with the names of its formats in place.
std::string messageOf(const Finding& finding);

// Whether `later` is `earlier` made for other formats: the same place,
// severity and message but for the names of the formats.
bool sameFindingButFormats(const Finding& earlier, const Finding& later);

// "INPUT:LINE:COLUMN: SEVERITY: MESSAGE\n", as compilers write them.
std::string formatFinding(std::string_view inputName, const Finding& finding);

// Receives the findings of a check in line and column order.
class FindingSink {
 public:
  virtual ~FindingSink() = default;
  virtual void report(const Finding& finding) = 0;
};

// "DocBook 5", "HTML and RTF", "HTML, RTF and LaTeX": for messages.
std::string formatNames(FormatSet formats);

}  // namespace kolvo::check
