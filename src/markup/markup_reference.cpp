#include "markup/markup_reference.hpp"

#include "markup/tag_table.hpp"

namespace kolvo {
namespace {

// An empty text removes the tag; for most rows that means the format shows
// nothing for it. The centring tags, the page break in PostScript and PDF,
// and the PDF highlight end still act through the page layout.
bool actsWithoutText(std::string_view tag, Format f) {
  if (tag == "%cs" || tag == "%ce") return true;
  if (tag == "%pg") return isPaged(f);
  if (tag == "%he") return f == Format::Pdf;
  return false;
}

std::string letters(const TagRow& row, bool keptAsText) {
  std::string out;
  for (Format f : kAllFormats) {
    const Replacement text = row.replacement(f);
    const bool match = keptAsText ? !text.has_value()
                                  : (text.has_value() && text->empty() && !actsWithoutText(row.tag, f));
    if (!match) continue;
    if (!out.empty()) out += ", ";
    out += letterOf(f);
  }
  return out.empty() ? "" : out;
}

}  // namespace

std::string markupReference() {
  std::string out =
      "| Tag | Meaning | Kind | Kept as typed in | Removed, no effect in |\n"
      "|---|---|---|---|---|\n";
  for (const TagRow& row : kTagTable) {
    out += "| `";
    out += row.tag;
    out += "` | ";
    out += row.meaning;
    out += " | ";
    out += row.kind == TagKind::Symbol ? "symbol" : "style";
    out += " | " + letters(row, true) + " | " + letters(row, false) + " |\n";
  }
  return out;
}

}  // namespace kolvo
