#include "writers/element_balance.hpp"

#include <algorithm>
#include <array>
#include <iterator>
#include <span>

#include "markup/tag_table.hpp"
#include "markup/typed_tag_texts.hpp"
#include "text/byte_set.hpp"

namespace kolvo {
namespace {

constexpr bool isNameByte(char c) {
  return c != ' ' && c != '\t' && c != '\n' && c != '/' && c != '>';
}

// What an element may hold and still be left out as empty: HTML's readers
// take a tab for white space as much as a blank.
constexpr std::string_view kBlanks = " \t";

// HTML elements that have no end tag, written without "/>" in some texts.
constexpr std::string_view kVoidElements[] = {"br", "hr", "img", "meta", "wbr"};

// DocBook's inline elements that hold only a few others, and the elements
// the tags write that they may not hold.
constexpr std::string_view kNarrowElements[] = {"literal", "superscript", "subscript"};
constexpr std::string_view kRichElements[] = {"emphasis", "literal"};
constexpr std::string_view kPlainElement = "phrase";

// The style a tag row belongs to: the first two characters its tags share
// ("%b" of "%bs" and "%be"); none for the user's own elements.
std::string_view styleOf(std::size_t row) {
  return row < kTagRowCount ? kTagTable[row].tag.substr(0, 2) : std::string_view();
}

// The byte that starts markup.
ByteSet lessThanSign() {
  std::array<bool, 128> members{};
  members['<'] = true;
  return ByteSet(members, false);
}

bool isOneOf(std::string_view name, std::span<const std::string_view> names) {
  return std::ranges::find(names, name) != names.end();
}

}  // namespace

std::vector<ElementBalancer::Piece> ElementBalancer::piecesOf(std::string_view text) {
  std::vector<Piece> pieces;
  std::size_t textStart = 0;
  const auto flushText = [&](std::size_t to) {
    if (to > textStart) pieces.push_back({Piece::Kind::Text, text.substr(textStart, to - textStart), {}});
  };
  for (std::size_t at = text.find('<'); at != std::string_view::npos; at = text.find('<', at)) {
    const std::size_t tagEnd = text.find('>', at);
    if (tagEnd == std::string_view::npos) break;
    const std::string_view tag = text.substr(at, tagEnd + 1 - at);
    const bool end = tag.starts_with("</");
    const std::size_t nameAt = end ? 2 : 1;
    std::size_t nameEnd = nameAt;
    while (nameEnd < tag.size() && isNameByte(tag[nameEnd])) ++nameEnd;
    const std::string_view name = tag.substr(nameAt, nameEnd - nameAt);
    const bool plain = name.empty() || name.front() == '!' || name.front() == '?' ||
                       tag.ends_with("/>") ||
                       std::ranges::find(kVoidElements, name) != std::end(kVoidElements);
    if (!plain) {
      flushText(at);
      pieces.push_back({end ? Piece::Kind::End : Piece::Kind::Start, tag, name});
      textStart = tagEnd + 1;
    }
    at = tagEnd + 1;
  }
  flushText(text.size());
  return pieces;
}

std::vector<ElementBalancer::Piece> ElementBalancer::latexPiecesOf(std::string_view text) {
  constexpr std::string_view kBegin = "\\begin{";
  constexpr std::string_view kEnd = "\\end{";
  const auto environment = [&](std::string_view prefix) {
    return text.substr(prefix.size(), text.size() - prefix.size() - 1);
  };
  if (text.starts_with(kBegin) && text.ends_with('}')) {
    return {{Piece::Kind::Start, text, environment(kBegin)}};
  }
  if (text.starts_with(kEnd) && text.ends_with('}')) {
    return {{Piece::Kind::End, text, environment(kEnd)}};
  }
  if (text == "}") return {{Piece::Kind::End, text, "{"}};
  if (text.ends_with('{') && !text.ends_with("{}")) return {{Piece::Kind::Start, text, "{"}};
  return text.empty() ? std::vector<Piece>{} : std::vector<Piece>{{Piece::Kind::Text, text, {}}};
}

ElementBalancer::ElementBalancer(Format format, TextMode mode)
    : narrowContent_(format == Format::DocBook && mode == TextMode::Typed),
      userMarkup_(mode == TextMode::Markup), latex_(format == Format::Latex),
      lessThan_(lessThanSign()) {
  texts_.reserve(kTagRowCount);
  pieces_.reserve(kTagRowCount);
  for (const TagRow& row : kTagTable) {
    const Replacement text =
        mode == TextMode::Typed ? typedReplacement(row, format) : row.replacement(format);
    texts_.push_back(text ? *text : std::string_view());
    pieces_.push_back(latex_ ? latexPiecesOf(texts_.back()) : piecesOf(texts_.back()));
    nests_.push_back(std::ranges::any_of(
        pieces_.back(), [](const Piece& piece) { return piece.kind != Piece::Kind::Text; }));
    lessThans_.push_back(static_cast<std::size_t>(std::ranges::count(texts_.back(), '<')));
    styles_.push_back(nameCode(styleOf(styles_.size())));
    std::vector<CodedPiece>& coded = coded_.emplace_back();
    for (const Piece& piece : pieces_.back()) {
      coded.push_back({piece.kind, isOneOf(piece.name, kRichElements),
                       isOneOf(piece.name, kNarrowElements), piece.name == "{",
                       nameCode(piece.name), nameCode(piece.bytes),
                       static_cast<std::size_t>(piece.bytes.data() - texts_.back().data()),
                       piece.bytes.size()});
    }
  }
}

std::uint16_t ElementBalancer::nameCode(std::string_view name) {
  const auto known = std::ranges::find(names_, name);
  if (known != names_.end()) return static_cast<std::uint16_t>(known - names_.begin());
  names_.push_back(name);
  return static_cast<std::uint16_t>(names_.size() - 1);
}

std::vector<ElementBalancer::Open>::iterator ElementBalancer::closedBy(const Piece& piece,
                                                                      std::size_t row) {
  const std::string_view style = styleOf(row);
  const auto sameName = [&](const Open& o) { return o.name == piece.name; };
  const auto sameStyle = [&](const Open& o) {
    return sameName(o) && !style.empty() && styleOf(o.row) == style;
  };
  auto match = std::find_if(open_.rbegin(), open_.rend(), sameStyle);
  if (match == open_.rend()) match = std::find_if(open_.rbegin(), open_.rend(), sameName);
  return match == open_.rend() ? open_.end() : std::prev(match.base());
}

ElementBalancer::Open ElementBalancer::opened(const Piece& piece, std::size_t row) const {
  const bool inNarrow =
      narrowContent_ && isOneOf(piece.name, kRichElements) &&
      std::ranges::any_of(open_, [](const Open& o) { return isOneOf(o.written, kNarrowElements); });
  if (!inNarrow) return {piece.name, std::string(piece.bytes), row, piece.name};
  std::string start(1, '<');
  start.append(kPlainElement).append(piece.bytes.substr(1 + piece.name.size()));
  return {piece.name, std::move(start), row, kPlainElement};
}

void ElementBalancer::take(const Piece& piece, std::size_t row, std::string& out) {
  switch (piece.kind) {
    case Piece::Kind::Text:
      out.append(piece.bytes);
      return;
    case Piece::Kind::Start:
      // The same style again inside itself adds nothing (and HTML checkers
      // take it for a mistyped end tag): the first end tag closes it.
      if (!userMarkup_ &&
          std::ranges::any_of(open_, [&](const Open& o) { return o.start == piece.bytes; })) {
        return;
      }
      if (latex_ && piece.name != "{") return openEnvironment(piece, row, out);
      open_.push_back(opened(piece, row));
      open_.back().at = out.size();
      out.append(open_.back().start);
      return;
    case Piece::Kind::End:
      break;
  }
  const auto match = closedBy(piece, row);
  if (match == open_.end()) return;  // closes nothing
  for (auto later = open_.end(); later-- != match + 1;) close(*later, out);
  close(*match, out);
  for (auto later = match + 1; later != open_.end(); ++later) {
    later->at = out.size();
    out.append(later->start);
  }
  open_.erase(match);
}

// A LaTeX environment may not stand inside a style's group: the groups
// open at its start close before it and open again inside it.
void ElementBalancer::openEnvironment(const Piece& piece, std::size_t row, std::string& out) {
  std::size_t groups = 0;
  while (groups < open_.size() && open_[open_.size() - 1 - groups].name == "{") ++groups;
  std::vector<Open> reopened(open_.end() - static_cast<std::ptrdiff_t>(groups), open_.end());
  for (std::size_t i = 0; i < groups; ++i) {
    close(open_.back(), out);
    open_.pop_back();
  }
  open_.push_back(opened(piece, row));
  open_.back().at = out.size();
  out.append(open_.back().start);
  for (Open& group : reopened) {
    group.at = out.size();
    out.append(group.start);
    open_.push_back(std::move(group));
  }
}

void ElementBalancer::writeEnd(const Open& open, std::string& out) const {
  if (!latex_) {
    out.append("</").append(open.written).append(">");
  } else if (open.name == "{") {
    out.push_back('}');
  } else {
    out.append("\\end{").append(open.name).append("}");
  }
}

void ElementBalancer::close(const Open& open, std::string& out) const {
  const std::size_t inside = open.at + open.start.size();
  if (!userMarkup_ && out.find_first_not_of(kBlanks, inside) == std::string::npos) {
    out.erase(open.at, open.start.size());  // blanks at most: they stay, plain
  } else {
    writeEnd(open, out);
  }
}

void ElementBalancer::closeAll(std::string& out) {
  while (!open_.empty()) {
    close(open_.back(), out);
    open_.pop_back();
  }
}

template <typename Visit>
void ElementBalancer::userPieces(std::string_view text, std::size_t base, Visit& visit) {
  if (!userMarkupHere_) return visit(Piece{Piece::Kind::Text, text, {}}, kUserRow, base);
  std::size_t copied = 0;
  const auto textUpTo = [&](std::size_t to) {
    if (to > copied) {
      visit(Piece{Piece::Kind::Text, text.substr(copied, to - copied), {}}, kUserRow, base + copied);
    }
    copied = std::max(copied, to);
  };
  std::size_t at = 0;
  xml::Markup markup;
  while (at < text.size()) {
    if (inComment_) {
      // A comment the user opened before a tag's text goes on to its "-->".
      const std::size_t end = text.find("-->", at);
      if (end == std::string_view::npos) break;
      inComment_ = false;
      at = end + 3;
      continue;
    }
    at = text.find('<', at);
    if (at == std::string_view::npos) break;
    if (!xml::readMarkup(text, at, markup, attributeNames_)) {
      inComment_ = text.substr(at).starts_with("<!--");
      at += inComment_ ? 4 : 1;
      continue;
    }
    const bool start = markup.kind == xml::MarkupKind::StartTag;
    if (start || markup.kind == xml::MarkupKind::EndTag) {
      textUpTo(at);
      visit(Piece{start ? Piece::Kind::Start : Piece::Kind::End,
                  text.substr(markup.begin, markup.end - markup.begin), markup.name},
            kUserRow, base + at);
      copied = markup.end;
    }
    at = markup.end;  // a comment or an empty element is text, "<" inside it too
  }
  textUpTo(text.size());
}

// The user's text holds markup only where the line holds more "<" than
// its tags' texts put in.
bool ElementBalancer::userTextHoldsMarkup(const TypedLine& line) const {
  if (!userMarkup_) return false;
  std::size_t tagLessThans = 0;
  for (const LineItem& item : line.items) {
    if (item.kind == ItemKind::TagText && item.row < lessThans_.size()) {
      tagLessThans += lessThans_[item.row];
    }
  }
  return lessThan_.countIn(line.bytes) > tagLessThans;
}

template <typename Visit>
void ElementBalancer::forEachPiece(const TypedLine& line, Visit&& visit) {
  inComment_ = false;
  userMarkupHere_ = userTextHoldsMarkup(line);
  std::size_t copied = 0;
  for (const LineItem& item : line.items) {
    if (item.kind != ItemKind::TagText || item.row >= pieces_.size() || item.begin < copied) continue;
    // A text cut short by a later replacement is left as it stands.
    const std::string_view text = texts_[item.row];
    if (line.bytes.substr(item.begin, item.end - item.begin) != text) continue;
    if (item.begin > copied) {
      userPieces(line.bytes.substr(copied, item.begin - copied), copied, visit);
    }
    if (inComment_) {
      visit(Piece{Piece::Kind::Text, text, {}}, item.row, item.begin);
    } else {
      for (const Piece& piece : pieces_[item.row]) {
        visit(piece, item.row, item.begin + static_cast<std::size_t>(piece.bytes.data() - text.data()));
      }
    }
    copied = item.end;
  }
  if (copied < line.bytes.size()) userPieces(line.bytes.substr(copied), copied, visit);
}

bool ElementBalancer::standsAsItIs(const TypedLine& line) {
  if (!userTextHoldsMarkup(line)) return tagsNestAsTheyAre(line);
  checking_.clear();
  bool asItIs = true;
  const bool typed = !userMarkup_;
  forEachPiece(line, [&](const Piece& piece, std::size_t row, std::size_t pos) {
    if (!asItIs || piece.kind == Piece::Kind::Text) return;
    if (piece.kind == Piece::Kind::Start) {
      // Typed text is also held to what balancing would change besides
      // the nesting: a style inside itself, a rich element in a narrow one.
      if (typed && latex_ && piece.name != "{" &&
          std::ranges::any_of(checking_, [](const Checked& c) { return c.name == "{"; })) {
        asItIs = false;  // an environment inside a group
      }
      if (typed && (std::ranges::any_of(checking_, [&](const Checked& c) { return c.start == piece.bytes; }) ||
                    (narrowContent_ && isOneOf(piece.name, kRichElements) &&
                     std::ranges::any_of(checking_, [](const Checked& c) {
                       return isOneOf(c.name, kNarrowElements);
                     })))) {
        asItIs = false;
      }
      checking_.push_back({piece.name, piece.bytes, pos + piece.bytes.size(), row});
      return;
    }
    if (checking_.empty() || checking_.back().name != piece.name) {
      asItIs = false;
      return;
    }
    // Typed: an end tag closes its own style's element (as closedBy pairs).
    if (typed && styleOf(row) != styleOf(checking_.back().row)) asItIs = false;
    // Typed: an element holding blanks at most would be left out.
    const std::size_t from = checking_.back().contentBegin;
    if (typed && line.bytes.substr(from, pos - from).find_first_not_of(kBlanks) == std::string_view::npos) {
      asItIs = false;
    }
    checking_.pop_back();
  });
  return asItIs && checking_.empty();
}

bool ElementBalancer::tagsNestAsTheyAre(const TypedLine& line) {
  const bool typed = !userMarkup_;
  checkingCodes_.clear();
  std::size_t groups = 0;   // LaTeX groups open
  std::size_t narrows = 0;  // DocBook elements open that hold only a few others
  std::size_t copied = 0;
  for (const LineItem& item : line.items) {
    if (item.kind != ItemKind::TagText || item.row >= coded_.size() || item.begin < copied) continue;
    const std::string_view text = texts_[item.row];
    if (line.bytes.substr(item.begin, item.end - item.begin) != text) continue;
    copied = item.end;
    for (const CodedPiece& piece : coded_[item.row]) {
      const std::size_t at = item.begin + piece.offset;
      if (piece.kind == Piece::Kind::Start) {
        if (typed && ((latex_ && !piece.group && groups > 0) || (piece.rich && narrows > 0) ||
                      std::ranges::any_of(checkingCodes_, [&](const CheckedCode& c) {
                        return c.start == piece.start;
                      }))) {
          return false;
        }
        checkingCodes_.push_back({piece.name, piece.start, styles_[item.row], piece.narrow,
                                  piece.group, at + piece.size});
        groups += piece.group ? 1U : 0U;
        narrows += piece.narrow && narrowContent_ ? 1U : 0U;
        continue;
      }
      if (piece.kind == Piece::Kind::Text) continue;
      if (checkingCodes_.empty() || checkingCodes_.back().name != piece.name) return false;
      const CheckedCode& open = checkingCodes_.back();
      if (typed && (styles_[item.row] != open.style ||
                    line.bytes.substr(open.contentBegin, at - open.contentBegin)
                            .find_first_not_of(kBlanks) == std::string_view::npos)) {
        return false;
      }
      groups -= open.group ? 1U : 0U;
      narrows -= open.narrow && narrowContent_ ? 1U : 0U;
      checkingCodes_.pop_back();
    }
  }
  return checkingCodes_.empty();
}

bool ElementBalancer::balanceTags(const TypedLine& line, std::string& out, bool always) {
  if (!always && carried_.empty() && standsAsItIs(line)) return false;
  out.clear();
  open_.clear();
  // What the line before left open starts this one again.
  for (Open& open : carried_) {
    open.at = out.size();
    out.append(open.start);
    open_.push_back(std::move(open));
  }
  carried_.clear();
  forEachPiece(line, [&](const Piece& piece, std::size_t row, std::size_t) { take(piece, row, out); });
  // The line's last blanks stay last: the elements close before them.
  std::size_t end = out.size();
  while (end > 0 && out[end - 1] == ' ') --end;
  const std::string blanks(out.size() - end, ' ');
  out.resize(end);
  if (latex_) {
    // A style's group goes on in the next line: closed here, opened there.
    // An environment (centring) is the line's own, as in every format.
    for (const Open& open : open_) {
      if (open.name == "{") carried_.push_back(open);
    }
  }
  closeAll(out);
  out.append(blanks);
  return true;
}

}  // namespace kolvo
