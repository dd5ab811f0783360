#pragma once
// "$" switches LaTeX into mathematics and back. Mathematics may go on over
// the line breaks of the lines after it ("\\" sets nothing wrong there)
// and must end before the document does, inside the group it began in,
// and before anything that ends the paragraph: a centred line's
// environment, a form feed. Letters with accents, which mathematics
// refuses, are taken for any text beyond ASCII where it runs over lines.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "check/line_context.hpp"

namespace kolvo::check {

class LatexMath {
 public:
  // Follows one line of LaTeX taken as markup.
  void followLine(LineContext& line);

  // Reports mathematics the input leaves open.
  void finish(std::vector<Finding>& findings, InputEnd end);

 private:
  // Reports what stops LaTeX at `byte` inside the open mathematics, which
  // ends it here.
  void broken(LineContext& line, std::size_t byte, std::string_view what);
  // Follows one character or tag at `at`; returns where the next begins,
  // or npos at a comment.
  std::size_t step(LineContext& line, std::size_t at);

  bool open_ = false;
  int depth_ = 0;      // the group depth now
  int mathDepth_ = 0;  // the group depth the mathematics began at
  std::uint64_t openLine_ = 0;
  std::size_t openColumn_ = 0;
  // On the line being followed: the first "$", whether the mathematics was
  // cut through by a group, and the first byte beyond ASCII inside it.
  std::size_t first_ = std::string_view::npos;
  bool crossed_ = false;
  std::size_t beyondAscii_ = std::string_view::npos;
};

}  // namespace kolvo::check
