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
  std::size_t text_start = 0;
  const auto flushText = [&](std::size_t to) {
    if (to > text_start) pieces.push_back({Piece::Kind::Text, text.substr(text_start, to - text_start), {}});
  };
  for (std::size_t at = text.find('<'); at != std::string_view::npos; at = text.find('<', at)) {
    const std::size_t close = text.find('>', at);
    if (close == std::string_view::npos) break;
    const std::string_view tag = text.substr(at, close + 1 - at);
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
      text_start = close + 1;
    }
    at = close + 1;
  }
  flushText(text.size());
  return pieces;
}

ElementBalancer::ElementBalancer(Format format) : narrowContent_(format == Format::DocBook) {
  texts_.reserve(kTagRowCount);
  pieces_.reserve(kTagRowCount);
  for (const TagRow& row : kTagTable) {
    const Replacement text = typedReplacement(row, format);
    texts_.push_back(text ? *text : std::string_view());
    pieces_.push_back(piecesOf(texts_.back()));
  }
}

std::vector<ElementBalancer::Open>::iterator ElementBalancer::closedBy(const Piece& piece,
                                                                      std::size_t row) {
  const std::string_view style = kTagTable[row].tag.substr(0, 2);
  const auto sameName = [&](const Open& o) { return o.name == piece.name; };
  const auto sameStyle = [&](const Open& o) {
    return sameName(o) && kTagTable[o.row].tag.substr(0, 2) == style;
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
      open_.push_back(opened(piece, row));
      out.append(open_.back().start);
      return;
    case Piece::Kind::End:
      break;
  }
  const auto match = closedBy(piece, row);
  if (match == open_.end()) return;  // closes nothing
  for (auto later = open_.end(); later-- != match + 1;) {
    out.append("</").append(later->written).append(">");
  }
  out.append("</").append(match->written).append(">");
  for (auto later = match + 1; later != open_.end(); ++later) out.append(later->start);
  open_.erase(match);
}

void ElementBalancer::closeAll(std::string& out) {
  while (!open_.empty()) {
    out.append("</").append(open_.back().written).append(">");
    open_.pop_back();
  }
}

void ElementBalancer::balance(const TypedLine& line, std::string& out) {
  out.clear();
  open_.clear();
  std::size_t copied = 0;
  for (const LineItem& item : line.items) {
    if (item.kind != ItemKind::TagText || item.row >= pieces_.size()) continue;
    // A text cut short by a later replacement is left as it stands.
    if (line.bytes.substr(item.begin, item.end - item.begin) != texts_[item.row]) continue;
    out.append(line.bytes, copied, item.begin - copied);
    for (const Piece& piece : pieces_[item.row]) take(piece, item.row, out);
    copied = item.end;
  }
  // The line's last blank stays last: the elements close before it.
  std::size_t end = line.bytes.size();
  while (end > copied && line.bytes[end - 1] == ' ') --end;
  out.append(line.bytes, copied, end - copied);
  closeAll(out);
  out.append(line.bytes, end);
}

}  // namespace kolvo
