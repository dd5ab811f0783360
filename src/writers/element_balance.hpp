#pragma once
// Keeps the elements that tags open and close balanced on each line of a
// typed XML or HTML document (--escape), whatever order the user typed the
// tags in: an end tag closes the element its style's start tag opened (the
// tags of a style share their first two characters, "%b" of "%bs" and
// "%be"), else the last one of its name; one opened before others closes
// those first and opens them again after it, an end tag that closes nothing
// is left out, and what is still open at the end of the line is closed
// there. Typed text, which the writer alone turns into elements, is also
// tidied: an element left empty (or blank) is left out, and so is a start
// tag of an element already open with the same start tag (bold inside
// bold). DocBook lets some inline elements hold only a few others (no
// emphasis or literal inside literal, superscript or subscript): such an
// element opened there is written as a phrase with the same attributes.
// Under --escape every element of a line comes from a tag's text
// (the user's text is escaped), so the structure of each row's text is all
// there is to follow; it is read once from the texts of the table.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "markup/format.hpp"
#include "markup/line_items.hpp"
#include "text/byte_set.hpp"
#include "text/xml_markup.hpp"

namespace kolvo {

class ElementBalancer {
 public:
  // The structure of every row's text for `format` in `mode`.
  ElementBalancer(Format format, TextMode mode);

  // `line` with its elements balanced, into `out` (replacing what it held);
  // false, with `out` left alone, where the line stands as it is (unless
  // `always`: the tests hold that judgement to the balancing itself).
  bool balance(const TypedLine& line, std::string& out, bool always = false) {
    // A line with no element of a tag's and nothing carried into it (most
    // prose) stands as it is, asked here where the writer calls: the
    // user's own elements, kept only where they pair up within the line
    // (keepWellFormedXml), nest by themselves.
    const auto nests = [&](const LineItem& item) {
      return item.kind == ItemKind::TagText && item.row < nests_.size() && nests_[item.row];
    };
    if (!always && carried_.empty() && std::none_of(line.items.begin(), line.items.end(), nests)) {
      return false;
    }
    return balanceTags(line, out, always);
  }

  // A piece of a tag's text: plain text, or an element's start or end tag
  // (bytes and name).
  struct Piece {
    enum class Kind : unsigned char { Text, Start, End };
    Kind kind = Kind::Text;
    std::string_view bytes;
    std::string_view name;
  };
  // `text` cut into pieces; a tag's own text only (the table's constants).
  static std::vector<Piece> piecesOf(std::string_view text);
  // The same for LaTeX: a text ending in "{" opens a group (name "{"), "}"
  // closes one, "\begin{x}" and "\end{x}" an environment (name "x").
  static std::vector<Piece> latexPiecesOf(std::string_view text);
  // The row of a piece of the user's own text.
  static constexpr std::size_t kUserRow = static_cast<std::size_t>(-1);

 private:
  // balance() of a line with an element of a tag's, or one carried into it.
  bool balanceTags(const TypedLine& line, std::string& out, bool always);
  struct Open {
    std::string_view name;
    std::string start;       // its start tag as written, to open it again
    std::size_t row;         // the tag row whose text opened it
    std::string_view written;  // the name written: `name`, or a plainer one
    std::size_t at = 0;        // where its start tag begins in the output
  };
  // Writes `open`'s end tag, or (typed text) takes its start tag back where
  // nothing but blanks has been written inside it since (an empty element
  // is only noise, and HTML checkers warn of it).
  void close(const Open& open, std::string& out) const;
  // How `open` is closed: "</name>", "}" or "\end{name}".
  void writeEnd(const Open& open, std::string& out) const;
  void openEnvironment(const Piece& piece, std::size_t row, std::string& out);
  // The start tag of `piece` as it may stand where the line is now.
  Open opened(const Piece& piece, std::size_t row) const;
  void take(const Piece& piece, std::size_t row, std::string& out);
  // Calls visit(piece, row, offset in the line) for every piece of `line`
  // in order: the tags' texts by their rows' pieces, the user's text as
  // text (in markup, its start and end tags as pieces of no row, kUserRow).
  template <typename Visit>
  void forEachPiece(const TypedLine& line, Visit&& visit);
  template <typename Visit>
  void userPieces(std::string_view text, std::size_t base, Visit& visit);
  // Whether balancing would leave a line that holds an element of a tag's
  // as it is: its elements nest (in markup that is all; typed text also has
  // no element balancing would leave out or rename). Most lines do, and
  // are written straight away.
  bool standsAsItIs(const TypedLine& line);
  // The same judgement for a line whose user's text holds no markup, from
  // the rows' pieces as numbers: most lines take this way, and it compares
  // no names.
  bool tagsNestAsTheyAre(const TypedLine& line);
  // Whether the user's text of `line` holds markup of its own (markup
  // mode: more "<" than its tags' texts put in).
  bool userTextHoldsMarkup(const TypedLine& line) const;
  std::uint16_t nameCode(std::string_view name);
  // The open element `piece` (an end tag of `row`) closes, or none.
  std::vector<Open>::iterator closedBy(const Piece& piece, std::size_t row);
  void closeAll(std::string& out);

  std::vector<std::string_view> texts_;         // each row's typed text
  std::vector<std::vector<Piece>> pieces_;      // and its pieces
  std::vector<bool> nests_;                     // whether they hold a tag
  std::vector<std::size_t> lessThans_;          // and how many '<' they hold
  struct Checked {
    std::string_view name;
    std::string_view start;
    std::size_t contentBegin;
    std::size_t row;
  };
  std::vector<Checked> checking_;
  // Each row's pieces as numbers: names and start tags by their codes.
  struct CodedPiece {
    Piece::Kind kind = Piece::Kind::Text;
    bool rich = false;     // DocBook: an element a narrow one may not hold
    bool narrow = false;   // DocBook: an element that holds only a few others
    bool group = false;    // LaTeX: a group, not an environment
    std::uint16_t name = 0;
    std::uint16_t start = 0;  // its start tag's bytes, by code
    std::size_t offset = 0;   // in the row's text
    std::size_t size = 0;
  };
  std::vector<std::vector<CodedPiece>> coded_;
  std::vector<std::uint16_t> styles_;  // each row's style, by code
  std::vector<std::string_view> names_;  // what the name codes stand for
  struct CheckedCode {
    std::uint16_t name;
    std::uint16_t start;
    std::uint16_t style;
    bool narrow;
    bool group;
    std::size_t contentBegin;
  };
  std::vector<CheckedCode> checkingCodes_;
  std::vector<Open> open_;
  // DocBook: the elements that may not hold the richer ones, and those.
  bool narrowContent_ = false;
  bool userMarkup_ = false;
  // LaTeX: groups and environments, closed at the end of each line (a line
  // break may not stand in them) and opened again on the next.
  bool latex_ = false;
  std::vector<Open> carried_;
  bool userMarkupHere_ = false;  // this line's text of the user's holds some
  // Inside a comment of the user's that a tag's text stands in.
  bool inComment_ = false;
  std::vector<std::string_view> attributeNames_;
  // "<", counted in every line of a document in markup (most of them
  // long) sixteen bytes at a time.
  ByteSet lessThan_;
};

}  // namespace kolvo
