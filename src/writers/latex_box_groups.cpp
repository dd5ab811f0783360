#include "writers/latex_box_groups.hpp"

#include <algorithm>
#include <array>

namespace kolvo {
namespace {

constexpr std::array<std::string_view, 2> kBoxingCommands = {"underline", "textsuperscript"};
constexpr std::array<std::string_view, 2> kCentring = {"\\begin{center}", "\\end{center}"};

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// The bytes that open, close or end anything the groups follow.
constexpr std::array<bool, 256> kGroupBytes = [] {
  std::array<bool, 256> bytes{};
  for (const char c : {'%', '{', '}', '\\'}) bytes[static_cast<unsigned char>(c)] = true;
  return bytes;
}();

// The center environment's command at `at` of `line`, or nothing.
std::string_view centringAt(std::string_view line, std::size_t at) {
  for (std::string_view command : kCentring) {
    if (line.substr(at, command.size()) == command) return command;
  }
  return {};
}

}  // namespace

bool boxesItsArgument(std::string_view name) {
  return std::find(kBoxingCommands.begin(), kBoxingCommands.end(), name) != kBoxingCommands.end();
}

std::string_view LatexBoxGroups::follow(std::string_view line, std::string& rewritten) {
  // Most lines open and close no group.
  if (line.find('{') == std::string_view::npos && line.find('}') == std::string_view::npos) {
    return line;
  }
  std::size_t copied = 0;
  bool changed = false;
  for (std::size_t at = 0; at < line.size(); ++at) {
    while (at < line.size() && !kGroupBytes[static_cast<unsigned char>(line[at])]) ++at;
    if (at == line.size()) break;
    const char c = line[at];
    if (c == '%') break;  // a comment: LaTeX reads no further
    if (c == '{') {
      open("{", false);
    } else if (c == '}') {
      close();
    } else if (c == '\\') {
      const std::string_view centring = centringAt(line, at);
      if (!centring.empty()) {
        if (boxes_ > 0) {
          if (!changed) rewritten.clear();
          changed = true;
          rewritten.append(line.substr(copied, at - copied));
          writeAround(centring, rewritten);
          copied = at + centring.size();
        }
        at += centring.size() - 1;
        continue;
      }
      std::size_t end = at + 1;
      while (end < line.size() && isLetter(line[end])) ++end;
      if (end == at + 1) {
        ++at;  // an escaped character, or "\\"
      } else if (end < line.size() && line[end] == '{') {
        open(line.substr(at, end + 1 - at), boxesItsArgument(line.substr(at + 1, end - at - 1)));
        at = end;
      } else {
        at = end - 1;
      }
    }
  }
  if (!changed) return line;
  rewritten.append(line.substr(copied));
  return rewritten;
}

void LatexBoxGroups::open(std::string_view opener, bool box) {
  if (belowBoxes_ + open_.size() >= kMaxKept) {
    ++uncounted_;
    return;
  }
  // Nothing opens a group below the outermost box again: it is counted.
  if (open_.empty() && !box) {
    ++belowBoxes_;
    return;
  }
  open_.push_back({std::string(opener), box});
  if (box) ++boxes_;
}

void LatexBoxGroups::close() {
  if (uncounted_ > 0) {
    --uncounted_;
  } else if (!open_.empty()) {
    if (open_.back().box) --boxes_;
    open_.pop_back();
  } else if (belowBoxes_ > 0) {
    --belowBoxes_;
  }
}

void LatexBoxGroups::writeAround(std::string_view command, std::string& out) const {
  const auto outermost = std::find_if(open_.begin(), open_.end(),
                                      [](const Group& group) { return group.box; });
  out.append(static_cast<std::size_t>(open_.end() - outermost), '}');
  out.append(command);
  for (auto group = outermost; group != open_.end(); ++group) out.append(group->opener);
}

}  // namespace kolvo
