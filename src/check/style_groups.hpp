#pragma once
// Which tags open a style and which close it. The tag table says what each
// tag writes; this says which of them belong together, so that the checker
// can tell a style left open from one closed.

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

#include "markup/format.hpp"

namespace kolvo::check {

// What a style changes, which decides whether the next line still has it.
enum class StyleKind : unsigned char {
  Font,       // face or size
  Colour,     // the text colour
  Rise,       // superscript
  Mark,       // underline or highlight, drawn per line
  Paragraph,  // centring
};

struct StyleGroup {
  std::array<std::string_view, 10> openers;  // unused places are empty
  std::array<std::string_view, 2> closers;
  StyleKind kind;
  bool spansLines;  // meant to go on over several lines
};

inline constexpr std::size_t kStyleGroupCount = 13;
extern const std::array<StyleGroup, kStyleGroupCount> kStyleGroups;

struct StyleRole {
  std::size_t group;
  bool opens;
};

// The group a tag row opens or closes, if it belongs to one.
std::optional<StyleRole> styleRoleOf(std::size_t row);

// What happens in `format` to a style of `kind` still open when its line
// ends, before the checker looks at the document's structure.
enum class LineEnd : unsigned char {
  Ends,     // the next line starts afresh
  Carries,  // the following lines keep it
  Lost,     // it is drawn wrong or not at all
};

LineEnd lineEndOf(StyleKind kind, Format format);

}  // namespace kolvo::check
