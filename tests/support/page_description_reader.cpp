// A small reader of the page description that the tag texts make: enough
// of a stack machine for fonts, colours, rise and painting, and nothing
// that would draw. The program says what a line paints from its items;
// the tests hold that to what this reader finds in the bytes.

#include "support/page_description_reader.hpp"

#include <algorithm>
#include <limits>
#include <array>
#include <charconv>
#include <span>
#include <string>
#include <utility>

namespace kolvo::paged {
namespace {

enum class TokenKind : unsigned char {
  String, HexString, Name, Number, Operator, ArrayOpen, ArrayClose
};

struct Token {
  TokenKind kind = TokenKind::Operator;
  std::string_view text;  // a string's contents, a name without "/", or the token
  std::size_t begin = 0;  // where `text` starts in the program
};

constexpr bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\0';
}
constexpr bool isDelimiter(char c) {
  return isBlank(c) || c == '(' || c == ')' || c == '[' || c == ']' || c == '/' || c == '{' ||
         c == '}' || c == '<' || c == '>' || c == '%';
}
constexpr bool startsNumber(char c) {
  return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.';
}

// The end of the string whose contents start at `pos`: balanced
// parentheses, a backslash taking the next byte along.
std::size_t stringEnd(std::string_view program, std::size_t pos) {
  int depth = 1;
  for (; pos < program.size(); ++pos) {
    const char c = program[pos];
    if (c == '\\') {
      ++pos;
    } else if (c == '(') {
      ++depth;
    } else if (c == ')' && --depth == 0) {
      return pos;
    }
  }
  return program.size();
}

// Reads the token at or after `pos`; false at the end of the program.
bool nextToken(std::string_view program, std::size_t& pos, Token& token) {
  while (pos < program.size()) {
    const char c = program[pos];
    if (isBlank(c)) {
      ++pos;
    } else if (c == '%') {
      const std::size_t lineEnd = program.find('\n', pos);
      pos = lineEnd == std::string_view::npos ? program.size() : lineEnd;
    } else {
      break;
    }
  }
  if (pos >= program.size()) return false;
  const char c = program[pos];
  if (c == '(') {
    const std::size_t end = stringEnd(program, pos + 1);
    token = {TokenKind::String, program.substr(pos + 1, end - pos - 1), pos + 1};
    pos = end + 1;
    return true;
  }
  if (c == '<' && (pos + 1 >= program.size() || program[pos + 1] != '<')) {
    // A hex string: a fallback run's codes.
    const std::size_t close = program.find('>', pos + 1);
    const std::size_t end = close == std::string_view::npos ? program.size() : close;
    token = {TokenKind::HexString, program.substr(pos + 1, end - pos - 1), pos + 1};
    pos = std::min(end + 1, program.size());
    return true;
  }
  if (c == '[' || c == ']' || c == '{' || c == '}' || c == '<' || c == '>' || c == ')') {
    // Only arrays matter here; the other delimiters do nothing this reader knows.
    const TokenKind kind = c == '[' ? TokenKind::ArrayOpen
                           : c == ']' ? TokenKind::ArrayClose
                                      : TokenKind::Operator;
    token = {kind, program.substr(pos, 1), pos};
    ++pos;
    return true;
  }
  const std::size_t first = c == '/' ? pos + 1 : pos;
  std::size_t end = first;
  while (end < program.size() && !isDelimiter(program[end])) ++end;
  const TokenKind kind = c == '/' ? TokenKind::Name
                         : startsNumber(c) ? TokenKind::Number
                                           : TokenKind::Operator;
  token = {kind, program.substr(first, end - first), first};
  pos = end;
  return true;
}

// A number operand's value; 0 for one the reader computed or cannot read.
double numberOf(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0;
  if (std::from_chars(text.data(), text.data() + text.size(), value).ec != std::errc{}) return 0;
  return value;
}

enum class Op : unsigned char {
  Paint, PaintArray, FindFont, ScaleFont, SetFont, SelectFont, PdfFont, Colour, Rise,
  Dup, Pop, Exch, Roll, Binary, StringWidth, CurrentPoint, Move, GSave, GRestore
};

struct OpName {
  std::string_view name;
  Op op;
};

// The operators of the PostScript tag texts and the writer's prologue.
// Those it does not know (neg, say) leave the stack as they would find it.
constexpr std::array<OpName, 23> kPostScriptOps = {{
    {"show", Op::Paint}, {"ushow", Op::Paint}, {"hshow", Op::Paint}, {"Hshow", Op::Paint},
    {"findfont", Op::FindFont}, {"scalefont", Op::ScaleFont}, {"setfont", Op::SetFont},
    {"selectfont", Op::SelectFont}, {"setrgbcolor", Op::Colour}, {"dup", Op::Dup},
    {"pop", Op::Pop}, {"exch", Op::Exch}, {"roll", Op::Roll}, {"add", Op::Binary},
    {"sub", Op::Binary}, {"mul", Op::Binary}, {"div", Op::Binary},
    {"stringwidth", Op::StringWidth}, {"currentpoint", Op::CurrentPoint},
    {"moveto", Op::Move}, {"rmoveto", Op::Move}, {"gsave", Op::GSave},
    {"grestore", Op::GRestore},
}};

// The text operators of the PDF tag texts.
constexpr std::array<OpName, 5> kPdfOps = {{
    {"Tj", Op::Paint}, {"TJ", Op::PaintArray}, {"Tf", Op::PdfFont}, {"Ts", Op::Rise},
    {"rg", Op::Colour},
}};

enum class ItemKind : unsigned char { Number, Name, String, HexString, Font, Mark, Other };

struct Item {
  static Item number() { return {ItemKind::Number, {}, {}, 0, 0}; }

  ItemKind kind = ItemKind::Other;
  std::string_view text;  // a number, name or font name, or a string's contents
  std::string_view size;  // a scaled font's size
  std::size_t begin = 0;  // a string's contents in the program
  std::size_t token = 0;  // the token that pushed it
};

class Machine {
 public:
  Machine(Format format, const TextStyle& start) : format_(format), style_(start) {
    shown_.styles.push_back(start);
  }

  void push(const Token& token, std::size_t index) {
    switch (token.kind) {
      case TokenKind::String:
        stack_.push_back({ItemKind::String, token.text, {}, token.begin, index});
        break;
      case TokenKind::HexString:
        stack_.push_back({ItemKind::HexString, token.text, {}, token.begin, index});
        break;
      case TokenKind::Name:
        stack_.push_back({ItemKind::Name, token.text, {}, token.begin, index});
        break;
      case TokenKind::Number:
        stack_.push_back({ItemKind::Number, token.text, {}, token.begin, index});
        break;
      case TokenKind::ArrayOpen:
        stack_.push_back({ItemKind::Mark, {}, {}, token.begin, index});
        break;
      case TokenKind::ArrayClose:
      case TokenKind::Operator:
        break;
    }
  }

  void operate(std::string_view name, std::size_t index) {
    const auto ops = format_ == Format::Pdf ? std::span<const OpName>(kPdfOps)
                                            : std::span<const OpName>(kPostScriptOps);
    for (const OpName& op : ops) {
      // The table's name, not the token: the runs outlive the program text.
      if (op.name == name) return apply(op.op, op.name, index);
    }
  }

  ShownText finish() && {
    shown_.end = std::move(style_);
    return std::move(shown_);
  }

 private:
  Item pop() {
    if (stack_.empty()) return {};
    Item top = stack_.back();
    stack_.pop_back();
    return top;
  }

  void apply(Op op, std::string_view name, std::size_t index);
  void applyStackOp(Op op);
  void setColour();
  void paint(const Item& string, std::string_view closer, std::size_t index, double shift);
  void paintArray();

  Format format_;
  TextStyle style_;
  std::vector<Item> stack_;
  std::vector<TextStyle> saved_;
  ShownText shown_;
};

void Machine::apply(Op op, std::string_view name, std::size_t index) {
  switch (op) {
    case Op::Paint:
      return paint(pop(), name, index, 0);
    case Op::PaintArray:
      return paintArray();
    case Op::FindFont:
      stack_.push_back({ItemKind::Font, pop().text, {}, 0, index});
      return;
    case Op::ScaleFont: {
      const Item size = pop();
      Item font = pop();
      font.size = size.text;
      stack_.push_back(font);
      return;
    }
    case Op::SetFont:
    case Op::SelectFont:
    case Op::PdfFont: {
      const Item size = op == Op::SetFont ? Item{} : pop();
      const Item font = pop();
      style_.font = font.text;
      style_.size = op == Op::SetFont ? font.size : size.text;
      return;
    }
    case Op::Colour:
      return setColour();
    case Op::Rise:
      style_.rise = pop().text;
      return;
    case Op::GSave:
      saved_.push_back(style_);
      return;
    case Op::GRestore:
      if (!saved_.empty()) {
        style_ = std::move(saved_.back());
        saved_.pop_back();
      }
      return;
    default:
      return applyStackOp(op);
  }
}

// The operators that only move values about: enough to keep the stack
// right through the accent placement of the upsilon with a tilde.
void Machine::applyStackOp(Op op) {
  switch (op) {
    case Op::Dup:
      if (!stack_.empty()) stack_.push_back(stack_.back());
      return;
    case Op::Pop:
      pop();
      return;
    case Op::Exch:
      if (stack_.size() >= 2) std::swap(stack_[stack_.size() - 1], stack_[stack_.size() - 2]);
      return;
    case Op::Roll: {
      const auto shift = static_cast<long>(numberOf(pop().text));
      const auto count = static_cast<long>(numberOf(pop().text));
      if (count <= 0 || static_cast<std::size_t>(count) > stack_.size()) return;
      const long right = ((shift % count) + count) % count;
      std::rotate(stack_.end() - count, stack_.end() - right, stack_.end());
      return;
    }
    case Op::Binary:
      pop();
      pop();
      stack_.push_back(Item::number());
      return;
    case Op::StringWidth:
      pop();
      [[fallthrough]];
    case Op::CurrentPoint:
      stack_.push_back(Item::number());
      stack_.push_back(Item::number());
      return;
    case Op::Move:
      pop();
      pop();
      return;
    default:
      return;
  }
}

void Machine::setColour() {
  const Item blue = pop();
  const Item green = pop();
  const Item red = pop();
  style_.colour = std::string(red.text) + ' ' + std::string(green.text) + ' ' +
                  std::string(blue.text);
}

void Machine::paint(const Item& string, std::string_view closer, std::size_t index,
                    double shift) {
  const bool hex = string.kind == ItemKind::HexString;
  if ((string.kind != ItemKind::String && !hex) || !saved_.empty()) return;
  if (shown_.styles.back() != style_) shown_.styles.push_back(style_);
  ShownRun run;
  run.begin = string.begin;
  run.end = string.begin + string.text.size();
  run.style = shown_.styles.size() - 1;
  run.shift = shift;
  run.breakable = string.token + 1 == index;
  run.closer = closer;
  run.hex = hex;
  shown_.runs.push_back(run);
}

// "[ (a) -120 (b) ] TJ": each number moves the pen left by thousandths of
// the font size.
void Machine::paintArray() {
  std::vector<Item> items;
  while (!stack_.empty() && stack_.back().kind != ItemKind::Mark) items.push_back(pop());
  pop();
  const double size = pointSize(style_);
  double shift = 0;
  std::size_t at = 0;
  for (auto item = items.rbegin(); item != items.rend(); ++item) {
    if (item->kind == ItemKind::Number) {
      shift -= numberOf(item->text) * size / 1000;
    } else if (item->kind == ItemKind::String || item->kind == ItemKind::HexString) {
      paint(*item, "TJ", 0, shift);
      shift = 0;
      at = item->begin + item->text.size();
    }
  }
  if (shift != 0) paint({ItemKind::String, {}, {}, at, 0}, "TJ", 0, shift);
}

}  // namespace

ShownText readShownText(std::string_view line, Format format, const TextStyle& start) {
  // Most lines are text alone: no operator can come before a ")" closes
  // the writer's string.
  if (line.find(')') == std::string_view::npos) {
    ShownText plain;
    plain.styles.push_back(start);
    const std::string_view closer = format == Format::Pdf ? "Tj" : "show";
    plain.runs.push_back({0, line.size(), 0, 0, true, closer, false});
    plain.end = start;
    return plain;
  }
  std::string program;
  program.reserve(line.size() + 8);
  program += '(';
  program += line;
  program += format == Format::Pdf ? ") Tj" : ") show";
  Machine machine(format, start);
  Token token;
  std::size_t pos = 0;
  for (std::size_t index = 1; nextToken(program, pos, token); ++index) {
    if (token.kind == TokenKind::Operator) {
      machine.operate(token.text, index);
    } else {
      machine.push(token, index);
    }
  }
  ShownText shown = std::move(machine).finish();
  // Back from the program to the line: the program starts with "(".
  for (ShownRun& run : shown.runs) {
    run.begin = std::min(run.begin - 1, line.size());
    run.end = std::min(run.end - 1, line.size());
  }
  return shown;
}

LineLayout layoutLine(std::string_view line, Format format, const TextStyle& start,
                      double maxWidth, const WidthSource& widths,
                      std::span<const std::size_t> marks, bool exactWidths) {
  LineLayout layout;
  layoutShown(line, format, readShownText(line, format, start), maxWidth, widths, marks,
              exactWidths, layout);
  return layout;
}

LineLayout layoutLineGlyphByGlyph(std::string_view line, Format format, const TextStyle& start,
                                  double maxWidth, const WidthSource& widths,
                                  std::span<const std::size_t> marks) {
  LineLayout layout;
  layoutShownGlyphByGlyph(line, format, readShownText(line, format, start), maxWidth, widths,
                          marks, layout);
  return layout;
}

LineLayout layoutLineFromRight(std::string_view line, Format format, const TextStyle& start,
                               double maxWidth, const WidthSource& widths,
                               std::span<const std::size_t> marks) {
  LineLayout layout;
  layoutShownFromRight(line, format, readShownText(line, format, start), maxWidth, widths, marks,
                       layout);
  return layout;
}

LineFit fitLine(std::string_view line, Format format, const PaperSize& paper,
                const TextStyle& start, const WidthSource& widths) {
  const double available = textAreaWidth(paper);
  const LineLayout wrapped = layoutLine(line, format, start, available, widths);
  const LineLayout whole =
      layoutLine(line, format, start, std::numeric_limits<double>::infinity(), widths);
  return {whole.pieces.front().width, available, wrapped.pieces.size(),
          wrapped.pieces.front().end};
}

}  // namespace kolvo::paged
