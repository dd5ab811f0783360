#pragma once
// The markup checker: reads a document piece by piece, as the conversion
// does, and reports what would come out wrong in the chosen formats.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "check/finding.hpp"
#include "check/latex_math.hpp"
#include "check/line_context.hpp"
#include "check/page_width.hpp"
#include "check/style_tracker.hpp"
#include "text/encoding_guess.hpp"

namespace kolvo::check {

struct FindingCounts {
  std::uint64_t notes = 0;
  std::uint64_t warnings = 0;
  std::uint64_t errors = 0;
};

class Checker {
 public:
  Checker(const CheckOptions& options, FindingSink& sink);

  // One piece as the line reader gives it: a line with its line feed, or a
  // part of a longer line.
  void checkPiece(std::string_view piece);

  // Reports what only the end of the input shows.
  void finish();

  const FindingCounts& counts() const { return counts_; }

 private:
  void checkLine(LineContext& line);
  void checkSeam(std::string_view piece);
  void emit();
  void advance(std::string_view piece);

  CheckOptions options_;
  FindingSink& sink_;
  StyleTracker styles_;
  LatexMath math_;  // "$" over the lines of LaTeX taken as markup
  Repeats repeats_;
  PageWidthCheck pageWidth_;
  EncodingGuess encoding_;  // whether the input is likely not Windows-1252 where not UTF-8
  std::vector<Finding> findings_;
  FindingCounts counts_;
  std::uint64_t line_ = 1;
  std::size_t pieceColumn_ = 1;  // the column the current piece starts at
  std::size_t lineBytes_ = 0;    // bytes of the current line before this piece
  std::string tail_;             // the last bytes of the previous piece
  InputEnd end_;                 // past the last character read so far
  std::array<bool, 256> looksAt_{};  // bytes some check of the formats looks at
};

// The summary for standard error: "3 warnings, 1 error" or "no problems".
std::string summary(const FindingCounts& counts);

}  // namespace kolvo::check
