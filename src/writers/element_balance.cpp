#include "writers/element_balance.hpp"

#include <algorithm>
#include <iterator>
#include <span>

#include "markup/tag_table.hpp"
#include "markup/typed_tag_texts.hpp"

namespace kolvo {
namespace {

constexpr bool isNameByte(char c) {
  return c != ' ' && c != '\t' && c != '\n' && c != '/' && c != '>';
}

// HTML elements that have no end tag, written without "/>" in some texts.
constexpr std::string_view kVoidElements[] = {"br", "hr", "img", "meta", "wbr"};

// DocBook's inline elements that hold only a few others, and the elements
// the tags write that they may not hold.
constexpr std::string_view kNarrowElements[] = {"literal", "superscript", "subscript"};
constexpr std::string_view kRichElements[] = {"emphasis", "literal"};
constexpr std::string_view kPlainElement = "phrase";

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

ElementBalancer::ElementBalancer(Format format, TextMode mode)
    : narrowContent_(format == Format::DocBook), userMarkup_(mode == TextMode::Markup) {
  texts_.reserve(kTagRowCount);
  pieces_.reserve(kTagRowCount);
  for (const TagRow& row : kTagTable) {
    const Replacement text =
        mode == TextMode::Typed ? typedReplacement(row, format) : row.replacement(format);
    texts_.push_back(text ? *text : std::string_view());
    pieces_.push_back(piecesOf(texts_.back()));
  }
}

std::vector<ElementBalancer::Open>::iterator ElementBalancer::closedBy(const Piece& piece,
                                                                      std::size_t row) {
  const auto styleOf = [](std::size_t r) {
    return r < kTagRowCount ? kTagTable[r].tag.substr(0, 2) : std::string_view();
  };
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
  std::string start = "<" + std::string(kPlainElement);
  start.append(piece.bytes.substr(1 + piece.name.size()));
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
      if (std::ranges::any_of(open_, [&](const Open& o) { return o.start == piece.bytes; })) return;
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

void ElementBalancer::close(const Open& open, std::string& out) {
  const std::size_t inside = open.at + open.start.size();
  if (out.find_first_not_of(' ', inside) == std::string::npos) {
    out.erase(open.at, open.start.size());  // blanks at most: they stay, plain
  } else {
    out.append("</").append(open.written).append(">");
  }
}

void ElementBalancer::closeAll(std::string& out) {
  while (!open_.empty()) {
    close(open_.back(), out);
    open_.pop_back();
  }
}

template <typename Visit>
void ElementBalancer::userPieces(std::string_view text, Visit& visit) {
  if (!userMarkup_) return visit(Piece{Piece::Kind::Text, text, {}}, kUserRow);
  std::size_t copied = 0;
  const auto textUpTo = [&](std::size_t to) {
    if (to > copied) visit(Piece{Piece::Kind::Text, text.substr(copied, to - copied), {}}, kUserRow);
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
            kUserRow);
      copied = markup.end;
    }
    at = markup.end;  // a comment or an empty element is text, "<" inside it too
  }
  textUpTo(text.size());
}

template <typename Visit>
void ElementBalancer::forEachPiece(const TypedLine& line, Visit&& visit) {
  inComment_ = false;
  std::size_t copied = 0;
  for (const LineItem& item : line.items) {
    if (item.kind != ItemKind::TagText || item.row >= pieces_.size() || item.begin < copied) continue;
    // A text cut short by a later replacement is left as it stands.
    if (line.bytes.substr(item.begin, item.end - item.begin) != texts_[item.row]) continue;
    if (item.begin > copied) userPieces(line.bytes.substr(copied, item.begin - copied), visit);
    if (inComment_) {
      visit(Piece{Piece::Kind::Text, texts_[item.row], {}}, item.row);
    } else {
      for (const Piece& piece : pieces_[item.row]) visit(piece, item.row);
    }
    copied = item.end;
  }
  if (copied < line.bytes.size()) userPieces(line.bytes.substr(copied), visit);
}

bool ElementBalancer::wellFormed(const TypedLine& line) {
  std::vector<std::string_view> names;
  bool nested = true;
  forEachPiece(line, [&](const Piece& piece, std::size_t) {
    if (piece.kind == Piece::Kind::Start) names.push_back(piece.name);
    if (piece.kind != Piece::Kind::End) return;
    if (names.empty() || names.back() != piece.name) nested = false;
    if (!names.empty()) names.pop_back();
  });
  return nested && names.empty();
}

void ElementBalancer::balance(const TypedLine& line, std::string& out) {
  out.clear();
  open_.clear();
  if (userMarkup_ && wellFormed(line)) {
    out.assign(line.bytes);
    return;
  }
  forEachPiece(line, [&](const Piece& piece, std::size_t row) { take(piece, row, out); });
  // The line's last blanks stay last: the elements close before them.
  std::size_t end = out.size();
  while (end > 0 && out[end - 1] == ' ') --end;
  const std::string blanks(out.size() - end, ' ');
  out.resize(end);
  closeAll(out);
  out.append(blanks);
}

}  // namespace kolvo
