#pragma once
// Styles across lines: which style tags are left open or closed without
// being opened, and what that does in each format. DocBook is judged by
// its elements, which must close on their line (every line is a
// paragraph); LaTeX by its groups and environments, which may span lines
// but must close before the document ends.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "check/latex_groups.hpp"
#include "check/line_context.hpp"
#include "check/style_groups.hpp"

namespace kolvo::check {

// A style left open in one format.
struct OpenStyle {
  bool open = false;
  bool carried = false;  // reported, and kept over the following lines
};
using FormatStyles = std::array<OpenStyle, kStyleGroupCount>;

class StyleTracker {
 public:
  explicit StyleTracker(const CheckOptions& options) : options_(options) {}

  void checkLine(LineContext& line);

  // The LaTeX groups still open at the end of the input.
  void finish(std::vector<Finding>& findings, InputEnd end);

 private:
  bool followsLatexGroups() const;

  const CheckOptions& options_;
  std::array<FormatStyles, kFormatCount> styles_{};
  LatexGroups latex_;
};

}  // namespace kolvo::check
