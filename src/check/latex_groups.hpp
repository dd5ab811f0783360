#pragma once
// LaTeX's groups ("{" "}") and environments ("\begin{x}" "\end{x}") as a
// document opens and closes them, from the tags' LaTeX texts and, when the
// text is taken as markup, the user's own text.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "check/line_context.hpp"

namespace kolvo::check {

// What a brace opens: a command's argument, a plain group (the user's own
// "{"), which LaTeX closes itself at the end of the document with a
// warning, or the argument of a command that sets it in a box
// (boxesItsArgument), which the writer closes and opens again around a
// centred line's environment.
enum class GroupKind : unsigned char { Argument, Plain, Box };

class LatexGroups {
 public:
  // Follows one line; reports a close that does not match.
  void followLine(LineContext& line);

  // Reports every group the document leaves open.
  void finish(std::vector<Finding>& findings, InputEnd end);

 private:
  struct Group {
    std::string environment;  // empty for a brace group
    std::uint64_t line;
    std::size_t column;
    std::string openedBy;  // "%bs (bold on)" or "'{'"
    GroupKind kind = GroupKind::Argument;
  };

  void follow(std::string_view latex, LineContext& line, std::size_t byte,
              const std::string& openedBy);
  void open(std::string environment, const LineContext& line, std::size_t byte,
            const std::string& openedBy, GroupKind kind = GroupKind::Argument);
  // Whether closing `environment` takes it out from under the groups open
  // inside it, as the writer does where a box is open.
  bool closesAroundGroups(std::string_view environment);
  static bool isBox(const Group& group);
  void close(std::string_view environment, LineContext& line, std::size_t byte,
             const std::string& closedBy);

  // Groups beyond this many are counted, not kept: memory stays bounded.
  static constexpr std::size_t kMaxKept = 4096;
  std::vector<Group> open_;
  std::uint64_t uncounted_ = 0;
};

// Whether a tag's LaTeX text opens or closes a group or an environment
// (rather than switching a setting that simply lasts).
// The groups and environments a LaTeX text opens (positive) or closes
// (negative) on balance.
int latexGroupChange(std::string_view latex);

bool changesLatexGroups(std::string_view latex);

}  // namespace kolvo::check
