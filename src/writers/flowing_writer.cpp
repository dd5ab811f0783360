#include "writers/flowing_writer.hpp"

#include <cstddef>


namespace kolvo {
namespace {

constexpr bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::size_t firstNonBlank(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size() && isBlank(text[at])) ++at;
  return at;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

}  // namespace

bool opensWithLength(std::string_view text) {
  std::size_t at = 1;
  const auto skipBlanks = [&] {
    while (at < text.size() && isBlank(text[at])) ++at;
  };
  skipBlanks();
  if (at + 1 < text.size() && text[at] == '\\' && isLetter(text[at + 1])) {
    const std::size_t end = text.find_first_of("]{}", at);
    return end != std::string_view::npos && text[end] == ']';
  }
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) ++at;
  bool digits = false;
  while (at < text.size() && (isDigit(text[at]) || text[at] == '.')) {
    digits = digits || isDigit(text[at]);
    ++at;
  }
  if (!digits) return false;
  skipBlanks();
  static constexpr std::string_view kUnits[] = {"pt", "mm", "cm", "in", "ex", "em",
                                                "bp", "pc", "dd", "cc", "sp"};
  for (std::string_view unit : kUnits) {
    if (text.substr(at, unit.size()) != unit) continue;
    at += unit.size();
    skipBlanks();
    return at < text.size() && text[at] == ']';
  }
  return false;
}

namespace {

// The user's text of a line: its bytes but the tags' texts and the link
// markup around addresses, blanks around it left out.
std::string userText(const TypedLine& line) {
  std::string text;
  std::size_t copied = 0;
  for (const LineItem& item : line.items) {
    const bool markup = item.kind == ItemKind::TagText || item.kind == ItemKind::LinkMarkup;
    if (!markup || item.begin < copied) continue;
    text.append(line.bytes, copied, item.begin - copied);
    copied = item.end;
  }
  text.append(line.bytes, copied);
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') + 1 - first);
}

}  // namespace

void FlowingWriter::prologue() {
  out_.write(prologueText());
  out_.write(packages_);
  out_.write(prologueEndText());
  titlePending_ = !firstLineTitle().before.empty();
  noteWhetherItemsAreRead();
}

void FlowingWriter::writeTitle(std::string_view firstLine) {
  titlePending_ = false;
  noteWhetherItemsAreRead();
  const LineForm title = firstLineTitle();
  out_.write(title.before);
  out_.write(firstLine);
  out_.write(title.after);
  for (std::size_t i = 0; i < heldBlankLines_; ++i) out_.write(format_.blankLine);
}

void FlowingWriter::topSpacing(char option) {
  std::size_t count = 0;
  if (option == 't') count = format_.blankLinesT;
  if (option == 'T') count = format_.blankLinesBigT;
  if (titlePending_) {
    heldBlankLines_ = count;
  } else {
    for (std::size_t i = 0; i < count; ++i) out_.write(format_.blankLine);
  }
  if (count > 0) after_ = After::LineBreak;
  noteWhetherItemsAreRead();
}

void FlowingWriter::guardLineStart(const TypedLine& line, std::string_view text, bool centred) {
  const LineStartGuards& guards = format_.guards;
  if (after_ == After::LineBreak && !guards.beforeBreakArgumentAfterBreak.empty()) {
    const std::string_view start = text.substr(firstNonBlank(text));
    if (start.starts_with('*') || (start.starts_with('[') && !opensWithLength(start))) {
      out_.write(guards.beforeBreakArgumentAfterBreak);
    }
  }
  if (after_ == After::Centred && !centred && !guards.beforeNoParagraphAfterCentred.empty() &&
      (firstNonBlank(text) == text.size() || userText(line).empty())) {
    out_.write(guards.beforeNoParagraphAfterCentred);
  }
}

void FlowingWriter::line(const TypedLine& line) {
  if (line.drawing) return;
  if (titlePending_) writeTitle(userText(line));
  const bool centred = marks_.center == 1;
  const bool rightToLeft = line.rightToLeft && !format_.rightToLeft.before.empty();
  const LineForm& form = rightToLeft ? (centred ? format_.rightToLeftCentred : format_.rightToLeft)
                                     : (centred ? format_.centred : format_.plain);
  out_.write(form.before);
  // A line after a line break that starts with neither a blank nor "[" nor
  // "*" (most) has nothing to guard.
  const bool mayNeedGuard =
      after_ == After::Centred ||
      (!line.bytes.empty() && (isBlank(line.bytes.front()) || line.bytes.front() == '[' ||
                               line.bytes.front() == '*'));
  // What is written: the line, or the line balanced (which may leave only
  // blanks where the line closed and opened styles).
  std::string_view text =
      balancer_ && balancer_->balance(line, balanced_) ? std::string_view(balanced_) : line.bytes;
  if (boxes_) text = boxes_->follow(text, unboxed_);
  if (guarded_ && mayNeedGuard) guardLineStart(line, text, centred);
  out_.write(text);
  out_.write(form.after);
  const bool endedParagraph = centred || (rightToLeft && format_.rightToLeftEndsParagraph);
  after_ = endedParagraph ? After::Centred : After::LineBreak;
  noteWhetherItemsAreRead();
  wroteLine_ = true;
}

std::string FlowingWriter::progressTrace(bool) const { return "..."; }

void FlowingWriter::epilogue() {
  const bool titled = !firstLineTitle().before.empty();
  if (titlePending_) writeTitle({});
  if (titled && !wroteLine_ && heldBlankLines_ == 0) out_.write(format_.blankLine);
  out_.write(format_.epilogue);
}

}  // namespace kolvo
