#include "check/latex_math.hpp"

#include <string>

#include "check/latex_groups.hpp"
#include "check/tag_lookup.hpp"

namespace kolvo::check {
namespace {

// Whether a tag's LaTeX text begins or ends an environment.
bool beginsOrEndsEnvironment(std::string_view latex) {
  return latex.find("\\begin{") != std::string_view::npos ||
         latex.find("\\end{") != std::string_view::npos;
}

}  // namespace

void LatexMath::followLine(LineContext& line) {
  if (!line.options().formats.has(Format::Latex)) return;
  const std::string_view text = line.text();
  if (!open_) {
    if (text.find('$') == std::string_view::npos) return;
    depth_ = 0;
    mathDepth_ = 0;
  }
  first_ = std::string_view::npos;
  crossed_ = false;
  beyondAscii_ = std::string_view::npos;
  for (std::size_t at = 0; at < text.size();) at = step(line, at);
  // Mathematics that goes on to the next line takes no accent with it.
  if (open_ && beyondAscii_ != std::string_view::npos) {
    broken(line, beyondAscii_, "text beyond ASCII, which mathematics may refuse, runs over the line");
  }
  if (first_ == std::string_view::npos) return;
  if (crossed_) {
    line.report(first_, Severity::Error,
                "'$' starts mathematics in LaTeX that a brace or a tag's group cuts through "
                "before its closing '$', so LaTeX stops with an error" +
                    std::string(kEscapeHint));
  } else {
    line.report(first_, Severity::Warning,
                "'$' sets the text up to the next '$' as mathematics in LaTeX" +
                    std::string(kEscapeHint));
  }
}

std::size_t LatexMath::step(LineContext& line, std::size_t at) {
  const std::string_view text = line.text();
  const char c = text[at];
  std::size_t next = at + 1;
  if (const TagOccurrence* tag = line.knownTagAt(at)) {
    const Replacement latex = tagText(*tag->row, Format::Latex, TextMode::Markup);
    if (latex && open_ && beginsOrEndsEnvironment(*latex)) {
      broken(line, at, "a centred line's environment begins or ends");
    }
    if (latex) depth_ += latexGroupChange(*latex);
    next = at + 3;
  } else if (c == '\\') {
    next = at + 2;
  } else if (c == '{' || c == '}') {
    depth_ += c == '{' ? 1 : -1;
  } else if (c == '%') {
    return text.size();
  } else if (c == '\f' && open_) {
    broken(line, at, "a form feed ends the paragraph");
  } else if (static_cast<unsigned char>(c) >= 0x80 && open_) {
    if (line.line() != openLine_) {
      broken(line, at, "text beyond ASCII, which mathematics may refuse, runs over the line");
    } else if (beyondAscii_ == std::string_view::npos) {
      beyondAscii_ = at;
    }
  } else if (c == '$') {
    if (first_ == std::string_view::npos) first_ = at;
    crossed_ = crossed_ || (open_ && depth_ != mathDepth_);
    open_ = !open_;
    mathDepth_ = depth_;
    beyondAscii_ = std::string_view::npos;
    if (open_) {
      openLine_ = line.line();
      openColumn_ = line.columnOf(at);
    }
  }
  crossed_ = crossed_ || (open_ && depth_ < mathDepth_);
  return std::min(next, text.size());
}

void LatexMath::broken(LineContext& line, std::size_t byte, std::string_view what) {
  line.report(byte, Severity::Error,
              "mathematics that '$' began at line " + std::to_string(openLine_) + ", column " +
                  std::to_string(openColumn_) + " is still open where " + std::string(what) +
                  ", so LaTeX stops with an error" + std::string(kEscapeHint));
  open_ = false;
  beyondAscii_ = std::string_view::npos;
}

void LatexMath::finish(std::vector<Finding>& findings, InputEnd end) {
  if (!open_) return;
  findings.push_back({end.line, end.column, Severity::Error,
                      "the input ends inside mathematics that '$' began at line " +
                          std::to_string(openLine_) + ", column " +
                          std::to_string(openColumn_) + ", so LaTeX stops with an error" +
                          std::string(kEscapeHint)});
  open_ = false;
}

}  // namespace kolvo::check
