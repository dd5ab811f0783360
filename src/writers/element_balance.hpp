#pragma once
// Keeps the elements that tags open and close balanced on each line of a
// typed XML or HTML document (--escape), whatever order the user typed the
// tags in: an end tag closes the element its style's start tag opened (the
// tags of a style share their first two characters, "%b" of "%bs" and
// "%be"), else the last one of its name; one opened before others closes
// those first and opens them again after it, an end tag that closes nothing
// is left out, and what is still open at the end of the line is closed
// there. DocBook lets some inline elements hold only a few others (no
// emphasis or literal inside literal, superscript or subscript): such an
// element opened there is written as a phrase with the same attributes.
// Under --escape every element of a line comes from a tag's text
// (the user's text is escaped), so the structure of each row's text is all
// there is to follow; it is read once from the texts of the table.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "markup/format.hpp"
#include "markup/line_items.hpp"

namespace kolvo {

class ElementBalancer {
 public:
  // The structure of every row's typed text for `format`.
  explicit ElementBalancer(Format format);

  // `line` with its elements balanced, into `out` (replacing what it held).
  void balance(const TypedLine& line, std::string& out);

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

 private:
  struct Open {
    std::string_view name;
    std::string start;       // its start tag as written, to open it again
    std::size_t row;         // the tag row whose text opened it
    std::string_view written;  // the name written: `name`, or a plainer one
  };
  // The start tag of `piece` as it may stand where the line is now.
  Open opened(const Piece& piece, std::size_t row) const;
  void take(const Piece& piece, std::size_t row, std::string& out);
  // The open element `piece` (an end tag of `row`) closes, or none.
  std::vector<Open>::iterator closedBy(const Piece& piece, std::size_t row);
  void closeAll(std::string& out);

  std::vector<std::string_view> texts_;         // each row's typed text
  std::vector<std::vector<Piece>> pieces_;      // and its pieces
  std::vector<Open> open_;
  // DocBook: the elements that may not hold the richer ones, and those.
  bool narrowContent_ = false;
};

}  // namespace kolvo
