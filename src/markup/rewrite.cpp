#include "markup/rewrite.hpp"

#include "markup/cleanups.hpp"
#include "markup/replace_tag.hpp"
#include "markup/tag_table.hpp"

namespace kolvo {

std::string escapeStringDelimiters(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 8);
  for (char c : text) {
    if (c == '\\' || c == '(' || c == ')') out.push_back('\\');
    out.push_back(c);
  }
  return out;
}

void rewriteLineReference(std::string& line, Format format, LayoutState& state) {
  if (isPaged(format)) line = escapeStringDelimiters(line);
  for (const TagRow& row : kTagTable) {
    if (const Replacement text = row.replacement(format)) {
      line = replaceTag(line, row.tag, *text, state, format);
    }
  }
  for (const CleanupRow& row : kCleanups) {
    if (row.appliesTo(format)) line = replaceTag(line, row.pattern, row.replacement, state, format);
  }
}

void rewriteLine(std::string& line, std::string& scratch, Format format, LayoutState& state) {
  (void)scratch;
  rewriteLineReference(line, format, state);
}

}  // namespace kolvo
