#include "support/document_generator.hpp"

#include <array>
#include <string_view>
#include <vector>

#include "markup/tag_table.hpp"

namespace kolvo::test {
namespace {

using namespace std::string_view_literals;

constexpr std::array kNearMisses = {
    "%"sv,  "%%"sv,  "%zz"sv, "%cS"sv, "%CS"sv, "%b"sv,  "%g"sv,   "%P"sv,  "%p"sv,
    "%s"sv, "%c"sv,  "%x0"sv, "%Z1"sv, "% bs"sv, "%-s"sv, "%1"sv,  "%Pf"sv,  "%gg"sv,
    "%u_e"sv, "100%"sv, "50% "sv, "%u"sv, "%h"sv, "%B"sv, "%ps"sv};

// "%ps" leaves a "%" that joins what follows into a tag, and a tag replaced
// by nothing joins its neighbours; the tails complete a "%" left before them.
constexpr std::array kTagFragments = {
    "%psrs"sv, "%psus"sv, "%pshs"sv, "%psbs"sv, "%psg1"sv, "%ps%ps"sv, "%%bs"sv, "%P%g1e"sv,
    "%b%Als"sv, "%%Alus"sv, "%u%gls%ue"sv, "%c%pge"sv, "%%pgcs"sv, "%P%"sv,
    "s"sv,     "e"sv,     "us"sv,    "hs"sv,    "bs"sv,    "1"sv,      "Al"sv,   "ls"sv};

constexpr std::array kDelimiters = {
    "("sv, ")"sv,  "\\"sv,  "\\\\"sv, "\\("sv, "(("sv,  "))"sv, "(a)"sv, "1) "sv, "x\\y"sv,
    "\\n"sv, "#"sv, "\\#"sv, "a#b ##"sv, "_"sv, " _"sv, "__"sv, "x_y"sv, " _ _"sv, "\t"sv,
    "$"sv, "$s"sv};

constexpr std::array kRawMarkup = {"&"sv, "<"sv, ">"sv, "<c></c>"sv, "<c>"sv, "</c>"sv};

// Real words, so that text reads as prose does: capitals, apostrophes,
// hyphens and numbers among them.
constexpr std::array kProseWords = {
    "the"sv,   "of"sv,     "and"sv,   "a"sv,       "to"sv,     "in"sv,      "is"sv,
    "it"sv,    "that"sv,   "for"sv,   "The"sv,     "This"sv,   "letter"sv,  "don't"sv,
    "it's"sv,  "page"sv,   "well-known"sv, "Monday"sv, "1999"sv, "3.5"sv,   "e.g."sv,
    "section"sv, "Kolvo"sv, "paragraph"sv, "written"sv, "O'Neill"sv, "vs."sv, "twenty-one"sv};

constexpr std::array kProseEnds = {"."sv, ","sv, ";"sv, ":"sv, "!"sv, "?"sv, "..."sv, ""sv};

constexpr std::array kPunctuation = {
    "'"sv, "\"\""sv, "\""sv, "-"sv, "--"sv, "---"sv, "["sv, "]"sv, "[1]"sv, "*"sv, "**"sv,
    "/"sv, "+"sv, "="sv, "@"sv, "|"sv, "``"sv, "''"sv, "!"sv, "?"sv, ":"sv, ";"sv, ","sv, "."sv,
    "`"sv, "<<"sv};

constexpr std::array kGroupMarks = {"{"sv, "}"sv, "{x}"sv, "}{"sv, "~"sv, "^"sv, "x^2"sv,
                                    "{{"sv, "}}"sv, "~/"sv};

constexpr std::array kOtherBytes = {"\xC3\xA9"sv, "\xE2\x82\xAC"sv, "\xE9"sv, "\xFF"sv,
                                    "\x80"sv,     "\xC3"sv,         "\0"sv};

// Start and end tags that DocBook turns into elements, by element, in
// either text mode (typed text makes the highlight and size tags phrases).
struct ElementTags {
  std::vector<std::string_view> starts;
  std::vector<std::string_view> ends;
};
const std::array<ElementTags, 5> kElementTags = {{
    {{"%bs", "%is", "%P1", "%P2", "%P3", "%P4", "%P5", "%P6", "%P7", "%P8", "%P9", "%rs", "%us"},
     {"%be", "%ie", "%Pe", "%re", "%ue"}},
    {{"%Bs"}, {"%Be"}},
    {{"%Cs", "%C0"}, {"%Ce"}},
    {{"%ss"}, {"%se"}},
    {{"%hs", "%Hs", "%ls", "%Ss", "%Sy", "%xs"}, {"%he", "%He", "%le", "%Se", "%xe"}},
}};

bool isElementTag(std::string_view tag) {
  for (const ElementTags& element : kElementTags) {
    for (std::string_view t : element.starts) if (t == tag) return true;
    for (std::string_view t : element.ends) if (t == tag) return true;
  }
  return false;
}

// A style's end tag is its start's first two characters and "e".
std::string_view endOf(std::string_view start) {
  for (const TagRow& row : kTagTable) {
    if (row.kind == TagKind::Style && row.tag != start && row.tag.substr(0, 2) == start.substr(0, 2) &&
        row.tag[2] == 'e') {
      return row.tag;
    }
  }
  return {};
}

// The style tags that have an end of their own, each with it.
std::vector<std::pair<std::string_view, std::string_view>> styleStarts() {
  std::vector<std::pair<std::string_view, std::string_view>> starts;
  for (const TagRow& row : kTagTable) {
    const std::string_view end = row.kind == TagKind::Style ? endOf(row.tag) : std::string_view();
    if (!end.empty()) starts.emplace_back(row.tag, end);
  }
  return starts;
}

bool isStyleWithEnd(std::string_view tag) {
  for (const TagRow& row : kTagTable) {
    if (row.tag == tag) return row.kind == TagKind::Style && (!endOf(tag).empty() || tag[2] == 'e');
  }
  return false;
}

enum class Piece {
  Word, Blank, Tag, NearMiss, TagFragment, Delimiter, RawMarkup, OtherByte, LineEnd, Prose,
  Punctuation, GroupMark
};

Piece drawPiece(Random& random, const LineMix& mix) {
  const std::array<std::pair<unsigned, Piece>, 12> weights = {{
      {mix.words, Piece::Word},
      {mix.blanks, Piece::Blank},
      {mix.tags, Piece::Tag},
      {mix.nearMisses, Piece::NearMiss},
      {mix.tagFragments, Piece::TagFragment},
      {mix.delimiters, Piece::Delimiter},
      {mix.rawMarkup, Piece::RawMarkup},
      {mix.otherBytes, Piece::OtherByte},
      {mix.lineEnds, Piece::LineEnd},
      {mix.prose, Piece::Prose},
      {mix.punctuation, Piece::Punctuation},
      {mix.groupMarks, Piece::GroupMark},
  }};
  std::size_t total = 0;
  for (const auto& [weight, piece] : weights) total += weight;
  if (total == 0) return Piece::Blank;
  std::size_t at = random.below(total);
  for (const auto& [weight, piece] : weights) {
    if (at < weight) return piece;
    at -= weight;
  }
  return Piece::Blank;
}

}  // namespace

std::string DocumentGenerator::word() {
  std::string w;
  const std::size_t length = 1 + random_.below(8);
  for (std::size_t i = 0; i < length; ++i) {
    const std::size_t c = random_.below(62);
    w += static_cast<char>(c < 26 ? 'a' + c : c < 52 ? 'A' + (c - 26) : '0' + (c - 52));
  }
  return w;
}

std::string DocumentGenerator::prose() {
  std::string text;
  const std::size_t words = 2 + random_.below(6);
  for (std::size_t i = 0; i < words; ++i) {
    if (i > 0) text += ' ';
    text += random_.pick(kProseWords);
  }
  return text + std::string(random_.pick(kProseEnds));
}

// Closes the innermost open style or opens another one.
void DocumentGenerator::pairedStyleTag(std::vector<std::string_view>& open, std::string& text) {
  static const auto starts = styleStarts();
  if (!open.empty() && random_.percent(50)) {
    text += open.back();
    open.pop_back();
    return;
  }
  const auto& [start, end] = random_.pick(starts);
  text += start;
  open.push_back(end);
}

std::string DocumentGenerator::line(const LineMix& mix) {
  const bool paired = mix.pairedStyleTags;
  const bool nested = mix.nestedElementTags || paired;
  std::string text;
  std::vector<const ElementTags*> open;  // innermost last
  std::vector<std::string_view> openStyles;  // their end tags, innermost last
  const std::size_t pieces = random_.below(mix.maxPieces + 1);
  for (std::size_t i = 0; i < pieces; ++i) {
    switch (drawPiece(random_, mix)) {
      case Piece::Word: text += word(); break;
      case Piece::Blank: text += ' '; break;
      case Piece::Tag: {
        const std::string_view tag = kTagTable[random_.below(kTagTable.size())].tag;
        if (paired && isStyleWithEnd(tag)) {
          pairedStyleTag(openStyles, text);
        } else if (!nested || paired || !isElementTag(tag)) {
          text += tag;
          // The "%" that "%ps" leaves must not join what follows.
          if (nested && tag == "%ps") text += ' ';
        } else if (!open.empty() && random_.percent(50)) {
          text += random_.pick(open.back()->ends);
          open.pop_back();
        } else {
          const ElementTags& element = random_.pick(kElementTags);
          text += random_.pick(element.starts);
          open.push_back(&element);
        }
        break;
      }
      case Piece::NearMiss:
        text += random_.pick(kNearMisses);
        // A near miss right before a tag replaced by nothing could join
        // into an element tag.
        if (nested) text += ' ';
        break;
      case Piece::TagFragment:
        if (!nested) text += random_.pick(kTagFragments);
        break;
      case Piece::Delimiter: text += random_.pick(kDelimiters); break;
      case Piece::RawMarkup: text += random_.pick(kRawMarkup); break;
      case Piece::OtherByte: text += random_.pick(kOtherBytes); break;
      case Piece::LineEnd: text += (nested || random_.percent(50)) ? '\r' : '\n'; break;
      case Piece::Prose: text += prose(); break;
      case Piece::Punctuation: text += random_.pick(kPunctuation); break;
      case Piece::GroupMark: text += random_.pick(kGroupMarks); break;
    }
    if (mix.blankAfterEachPiece) text += ' ';
  }
  for (; !open.empty(); open.pop_back()) text += random_.pick(open.back()->ends);
  for (; !openStyles.empty(); openStyles.pop_back()) text += openStyles.back();
  return text;
}

std::string DocumentGenerator::drawingLine() {
  constexpr std::string_view kShapes = "ltbrx ";
  constexpr std::string_view kColours = "0123456789gGx ?";
  constexpr std::array kValid = {"030"sv, " 30"sv, "400"sv, "565"sv, "1.5"sv, "-10"sv, "  0"sv,
                                 "+.5"sv, "99."sv, "842"sv, "100"sv, "999"sv, "5"sv};
  constexpr std::array kInvalid = {"abc"sv, "1)2"sv, "((("sv, "\\\\\\"sv, ""sv, "-"sv, "."sv,
                                   "1-2"sv, "%bs"sv, "1 2"sv, "("sv,   "  "sv,  "+7."sv};
  const bool valid = random_.percent(60);
  std::string text = "$s";
  text += random_.pick(kShapes);
  text += ' ';
  text += random_.pick(kColours);
  for (int i = 0; i < 4; ++i) {
    text += ' ';
    text += valid || random_.percent(70) ? random_.pick(kValid) : random_.pick(kInvalid);
  }
  if (random_.percent(15)) text.resize(random_.below(text.size() + 1));  // cut short
  const std::size_t pageBreak = random_.below(100);
  if (pageBreak < 10) text += "%pg";
  else if (pageBreak < 20) text += " %pg";
  return text;
}

// Longer than the 559-byte pieces the reader cuts a line into, anywhere,
// even inside a tag.
std::string DocumentGenerator::longLine(const LineMix& mix) {
  const std::size_t length = 560 + random_.below(1500);
  std::string text;
  while (text.size() < length) {
    text += line(mix);
    text += word();
  }
  return text;
}

std::string DocumentGenerator::document(const DocumentMix& mix) {
  const std::size_t lines = random_.percent(mix.manyLinesPercent) ? 100 + random_.below(120)
                                                                  : random_.below(mix.maxLines + 1);
  std::string doc;
  for (std::size_t i = 0; i < lines; ++i) {
    const std::size_t kind = random_.below(100);
    if (kind < mix.drawingPercent) {
      doc += drawingLine();
    } else if (kind < mix.drawingPercent + mix.longLinePercent && !mix.line.nestedElementTags) {
      doc += longLine(mix.line);
    } else {
      doc += line(mix.line);
    }
    if (i + 1 == lines && random_.percent(mix.noFinalLineFeedPercent)) break;
    doc += random_.percent(mix.crlfPercent) ? "\r\n" : "\n";
  }
  return doc;
}

std::vector<std::string> tagHeavyLines(std::uint64_t seed, std::size_t count,
                                       unsigned otherBytes) {
  LineMix mix;
  mix.maxPieces = 24;
  mix.tags = 60;
  mix.nearMisses = 8;
  mix.tagFragments = 12;
  mix.delimiters = 10;
  mix.rawMarkup = 4;
  mix.otherBytes = otherBytes;
  DocumentGenerator generator(seed);
  std::vector<std::string> lines;
  lines.reserve(count);
  for (std::size_t i = 0; i < count; ++i) lines.push_back(generator.line(mix) + '\n');
  return lines;
}

}  // namespace kolvo::test
