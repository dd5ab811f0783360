#include "markup/markup_reference.hpp"

#include <string_view>

#include "markup/tag_table.hpp"

namespace kolvo {
namespace {

bool onlyBlanks(std::string_view text) {
  return text.find_first_not_of(' ') == std::string_view::npos;
}

// The formats that leave the tag in the text as typed: the row has nothing
// for them.
bool keptAsTyped(const TagRow& row, Format f) { return !row.replacement(f).has_value(); }

// The formats for which the tag does nothing: it is removed or becomes
// blanks, and no effect of the row shows there instead (the centring tags,
// the page break in PostScript and PDF, the PDF highlight end).
bool withoutEffect(const TagRow& row, Format f) {
  const Replacement text = row.replacement(f);
  return text.has_value() && onlyBlanks(*text) && !actsWithoutText(row.effect, f);
}

std::string letters(const TagRow& row, bool (*test)(const TagRow&, Format)) {
  std::string out;
  for (const FormatInfo& f : kFormats) {
    if (!test(row, f.format)) continue;
    if (!out.empty()) out += ", ";
    out += f.letter;
  }
  return out;
}

std::string_view kindName(TagKind kind) { return kind == TagKind::Symbol ? "symbol" : "style"; }

std::string markdown() {
  std::string out =
      "| Tag | Meaning | Kind | Shown as typed in | No effect in |\n"
      "|---|---|---|---|---|\n";
  for (const TagRow& row : kTagTable) {
    out += "| `";
    out += row.tag;
    out += "` | ";
    out += row.meaning;
    out += " | ";
    out += kindName(row.kind);
    out += " | ";
    out += letters(row, keptAsTyped);
    out += " | ";
    out += letters(row, withoutEffect);
    out += " |\n";
  }
  return out;
}

// A tbl table for the manual page, fields separated by tabs; the meaning is
// a text block that wraps within its column, so the table fits an 80-column
// terminal. No field holds a backslash or starts with a dot, so every text
// goes in as it is.
std::string roff() {
  std::string out =
      ".TS\n"
      "tab(\t);\n"
      "lb lw(24) l l l.\n"
      "Tag\tMeaning\tKind\tAs typed in\tNo effect in\n"
      "_\n";
  for (const TagRow& row : kTagTable) {
    out += row.tag;
    out += "\tT{\n";
    out += row.meaning;
    out += "\nT}\t";
    out += kindName(row.kind);
    out += '\t';
    out += letters(row, keptAsTyped);
    out += '\t';
    out += letters(row, withoutEffect);
    out += '\n';
  }
  out += ".TE\n";
  return out;
}

}  // namespace

std::string markupReference(ReferenceStyle style) {
  return style == ReferenceStyle::Roff ? roff() : markdown();
}

}  // namespace kolvo
