#pragma once
// LaTeX's \underline and \textsuperscript set their argument in a box, in
// which no paragraph can begin or end: the center environment of a centred
// line inside one stops pdflatex ("perhaps a missing \item"). The writer
// of LaTeX taken as markup follows the groups its lines open and close, and
// where such a box is open at "\begin{center}" or "\end{center}", it closes
// the groups down to the outermost box before the command and opens them
// again after it. Lines where no box is open there are written as they are.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kolvo {

// Whether the LaTeX command `name` (without its backslash) sets its
// argument in a box.
bool boxesItsArgument(std::string_view name);

class LatexBoxGroups {
 public:
  // Follows `line` as it is to be written; returns it, or `rewritten`
  // holding it with the groups closed and opened again around the center
  // environment's commands.
  std::string_view follow(std::string_view line, std::string& rewritten) {
    // Most lines open and close no group.
    if (line.find('{') == std::string_view::npos && line.find('}') == std::string_view::npos) {
      return line;
    }
    return followGroups(line, rewritten);
  }
  // The same, every byte looked at in turn: what follow(), which finds the
  // bytes that matter 64 at a time, must equal.
  std::string_view followByteByByte(std::string_view line, std::string& rewritten);
  // How many groups are open, kept or counted.
  std::size_t openGroups() const { return belowBoxes_ + open_.size() + uncounted_; }

 private:
  // follow() of a line with a brace.
  std::string_view followGroups(std::string_view line, std::string& rewritten);
  // Where no box is open, a line that opens none is only counted: its
  // groups, found 64 bytes at a time with the escapes among them, are
  // added to those open. False, and nothing counted, where the line may
  // open a box.
  bool countGroups(std::string_view line);
  // A line being followed, and what of it has been written around a
  // centring command so far.
  struct Rewrite {
    std::string_view line;
    std::string& out;
    std::size_t copied = 0;
    bool changed = false;
    std::string_view finish();
  };
  // Takes the byte at `at` (one that opens, closes or ends something) and
  // what it begins; returns where the next may lie, npos at a comment.
  std::size_t take(Rewrite& rewrite, std::size_t at);
  struct Group {
    std::string opener;  // "\underline{" or "{"
    bool box;
  };
  void open(std::string_view opener, bool box);
  void close();
  // The groups from the outermost open box up, closed and opened again
  // around `command`, into `out`.
  void writeAround(std::string_view command, std::string& out) const;

  // Groups beyond this many are counted, not kept: memory stays bounded.
  static constexpr std::size_t kMaxKept = 4096;
  std::size_t belowBoxes_ = 0;  // groups open below the outermost box, counted
  std::vector<Group> open_;     // from the outermost box in
  std::size_t boxes_ = 0;       // of open_, the boxes
  std::size_t uncounted_ = 0;   // groups open beyond kMaxKept
};

}  // namespace kolvo
