#include "check/latex_groups.hpp"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <optional>

#include "check/tag_lookup.hpp"
#include "io/message_text.hpp"
#include "writers/latex_box_groups.hpp"

namespace kolvo::check {
namespace {

constexpr std::string_view kBegin = "begin{";
constexpr std::string_view kEnd = "end{";

enum class TokenKind : unsigned char { Open, Close, Comment };

struct Token {
  TokenKind kind;
  std::size_t at;           // in the text scanned
  std::string_view name;    // the environment, empty for a brace
};

// Calls `take` for each group token of `latex`; a "%" ends the scan as a
// comment when `commentsCount` (the user's text), else it is not looked at.
template <class Take>
void scanLatex(std::string_view latex, bool commentsCount, Take take) {
  for (std::size_t i = 0; i < latex.size(); ++i) {
    const char c = latex[i];
    if (c == '\\') {
      const std::string_view rest = latex.substr(i + 1);
      const bool begins = rest.starts_with(kBegin);
      if (begins || rest.starts_with(kEnd)) {
        const std::size_t nameStart = i + 1 + (begins ? kBegin.size() : kEnd.size());
        const std::size_t nameEnd = latex.find('}', nameStart);
        if (nameEnd == std::string_view::npos) return;
        take(Token{begins ? TokenKind::Open : TokenKind::Close, i,
                   latex.substr(nameStart, nameEnd - nameStart)});
        i = nameEnd;
      } else {
        ++i;  // an escaped character, or the first letter of a command
      }
    } else if (c == '{' || c == '}') {
      take(Token{c == '{' ? TokenKind::Open : TokenKind::Close, i, {}});
    } else if (c == '%' && commentsCount) {
      take(Token{TokenKind::Comment, i, {}});
      return;
    }
  }
}

// What the "{" at `at` of `latex` opens: after "\\" the letters before it
// are text, no command.
GroupKind kindOfBrace(std::string_view latex, std::size_t at) {
  std::size_t start = at;
  while (start > 0 && std::isalpha(static_cast<unsigned char>(latex[start - 1])) != 0) --start;
  if (start == at) return GroupKind::Plain;
  std::size_t backslashes = 0;
  while (backslashes < start && latex[start - 1 - backslashes] == '\\') ++backslashes;
  if (backslashes % 2 == 0) return GroupKind::Plain;
  return boxesItsArgument(latex.substr(start, at - start)) ? GroupKind::Box : GroupKind::Argument;
}

GroupKind kindOf(const Token& token, std::string_view latex) {
  return token.name.empty() ? kindOfBrace(latex, token.at) : GroupKind::Argument;
}

std::string groupName(std::string_view environment) {
  return environment.empty() ? "a LaTeX group"
                             : "the LaTeX environment " + printable(environment);
}

}  // namespace

bool changesLatexGroups(std::string_view latex) {
  int depth = 0;
  bool unbalanced = false;
  scanLatex(latex, false, [&](const Token& token) {
    depth += token.kind == TokenKind::Open ? 1 : -1;
    unbalanced = unbalanced || depth < 0;
  });
  return unbalanced || depth != 0;
}

int latexGroupChange(std::string_view latex) {
  int depth = 0;
  scanLatex(latex, false,
            [&depth](const Token& token) { depth += token.kind == TokenKind::Open ? 1 : -1; });
  return depth;
}

void LatexGroups::followLine(LineContext& line) {
  // Tags the rows form themselves change what is a comment and what a
  // group: the rewritten line itself is followed then, less precisely
  // placed.
  if (const FormedLine& formed = line.formed(Format::Latex); !formed.tags.empty()) {
    scanLatex(formed.rewritten, true, [&](const Token& token) {
      if (token.kind == TokenKind::Comment) return;
      const std::string what = "a tag or character of this line";
      if (token.kind == TokenKind::Open) {
        open(std::string(token.name), line, 0, what, kindOf(token, formed.rewritten));
      } else {
        close(token.name, line, 0, what);
      }
    });
    return;
  }
  const std::string_view text = line.text();
  const bool markup = line.options().mode == TextMode::Markup;
  std::size_t userStart = 0;
  bool commented = false;
  auto followUser = [&](std::size_t end) {
    if (!markup || commented) return;
    scanLatex(text.substr(userStart, end - userStart), true, [&](const Token& token) {
      if (token.kind == TokenKind::Comment) {
        commented = true;
        return;
      }
      const std::size_t byte = userStart + token.at;
      const std::string what = "'" + std::string(1, text[byte]) + "'";
      if (token.kind == TokenKind::Open) {
        open(std::string(token.name), line, byte, what, kindOf(token, text.substr(userStart)));
      } else {
        close(token.name, line, byte, what);
      }
    });
  };
  for (const TagOccurrence& tag : line.tags()) {
    const Replacement latex = tag.row ? tagText(*tag.row, Format::Latex, line.options().mode)
                                      : std::nullopt;
    if (!latex) continue;  // shown as typed: part of the user's text
    followUser(tag.byte);
    if (commented) return;
    follow(*latex, line, tag.byte, describeTag(*tag.row));
    userStart = tag.byte + 3;
  }
  followUser(text.size());
}

bool LatexGroups::isBox(const Group& group) { return group.kind == GroupKind::Box; }

void LatexGroups::follow(std::string_view latex, LineContext& line, std::size_t byte,
                         const std::string& openedBy) {
  scanLatex(latex, false, [&](const Token& token) {
    if (token.kind == TokenKind::Open) {
      open(std::string(token.name), line, byte, openedBy, kindOf(token, latex));
    } else {
      close(token.name, line, byte, openedBy);
    }
  });
}

bool LatexGroups::closesAroundGroups(std::string_view environment) {
  if (environment != "center") return false;
  if (std::none_of(open_.begin(), open_.end(), isBox)) return false;
  const auto nearest = std::find_if(open_.rbegin(), open_.rend(), [](const Group& group) {
    return !group.environment.empty();
  });
  if (nearest == open_.rend() || nearest->environment != environment) return false;
  open_.erase(std::next(nearest).base());
  return true;
}

void LatexGroups::open(std::string environment, const LineContext& line, std::size_t byte,
                       const std::string& openedBy, GroupKind kind) {
  if (open_.size() >= kMaxKept) {
    ++uncounted_;
    return;
  }
  Group group{std::move(environment), line.line(), line.columnOf(byte), openedBy, kind};
  // The writer begins the environment under the groups from the outermost
  // box up, and opens them again inside it.
  const auto outermostBox = group.environment == "center"
                                ? std::find_if(open_.begin(), open_.end(), isBox)
                                : open_.end();
  open_.insert(outermostBox, std::move(group));
}

void LatexGroups::close(std::string_view environment, LineContext& line, std::size_t byte,
                        const std::string& closedBy) {
  if (uncounted_ > 0) {
    --uncounted_;
    return;
  }
  if (open_.empty()) {
    line.report(byte, Severity::Error,
                closedBy + " closes " + groupName(environment) +
                    " that is not open: LaTeX stops with an error here");
    return;
  }
  const Group& top = open_.back();
  if (top.environment != environment && closesAroundGroups(environment)) return;
  if (top.environment != environment) {
    line.report(byte, Severity::Error,
                closedBy + " closes " + groupName(environment) + " while " +
                    groupName(top.environment) + " opened by " + top.openedBy + " at line " +
                    std::to_string(top.line) + " is open: LaTeX stops with an error here");
  }
  open_.pop_back();
}

void LatexGroups::finish(std::vector<Finding>& findings, InputEnd end) {
  for (const Group& group : open_) {
    findings.push_back({end.line, end.column,
                        group.kind == GroupKind::Plain ? Severity::Warning : Severity::Error,
                        "the input ends with " + groupName(group.environment) +
                            " still open, opened by " + group.openedBy + " at line " +
                            std::to_string(group.line) + ", column " +
                            std::to_string(group.column) +
                            (group.kind == GroupKind::Plain ? ": LaTeX closes it itself, with a warning"
                                             : ": the LaTeX file will not compile")});
  }
  open_.clear();
  uncounted_ = 0;
}

}  // namespace kolvo::check
