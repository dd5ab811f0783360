#include "markup/rows_in_order.hpp"

#include <vector>

#include "markup/cleanups.hpp"
#include "markup/replace_tag.hpp"
#include "markup/rewrite.hpp"
#include "markup/typed_tag_texts.hpp"

namespace kolvo {

Replacement rowText(const TagRow& row, Format format, TextMode mode) {
  return mode == TextMode::Typed ? typedReplacement(row, format) : row.replacement(format);
}

void applyTagRows(std::string& line, Format format, LineMarks& marks, TextMode mode,
                  RowWatcher* watcher, LineItems* runs) {
  std::vector<std::size_t> hits;
  for (std::size_t r = 0; r < kTagTable.size(); ++r) {
    const TagRow& row = kTagTable[r];
    const Replacement text = rowText(row, format, mode);
    if (!text) continue;
    if (watcher != nullptr) {
      hits.clear();
      for (std::size_t at = line.find(row.tag); at != std::string::npos;
           at = line.find(row.tag, at + row.tag.size())) {
        hits.push_back(at);
      }
      if (!hits.empty()) watcher->replacing(r, hits, *text);
    }
    line = replaceTag(line, row.tag, *text, marks, format, runs, InsertedText::tagRow(r));
  }
}

void applyRowsInOrder(std::string& line, Format format, LineMarks& marks, TextMode mode,
                      LineItems* runs) {
  if (mode == TextMode::Markup && isPaged(format)) line = escapeStringDelimiters(line);
  applyTagRows(line, format, marks, mode, nullptr, runs);
  for (const CleanupRow& row : kCleanups) {
    if (row.appliesTo(format)) {
      line = replaceTag(line, row.pattern, row.replacement, marks, format, runs,
                        row.keepsText ? InsertedText::text() : InsertedText::cleanup());
    }
  }
}

}  // namespace kolvo
