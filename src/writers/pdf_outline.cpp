#include "writers/pdf_outline.hpp"

#include <algorithm>

#include "markup/tag_table.hpp"
#include "text/metadata_text.hpp"

namespace kolvo {
namespace {

bool isTagAt(std::string_view text, std::size_t at) {
  if (text.size() - at < 3) return false;
  const std::string_view candidate = text.substr(at, 3);
  return std::any_of(kTagTable.begin(), kTagTable.end(),
                     [&](const TagRow& row) { return row.tag == candidate; });
}

bool holdsHeadingTag(std::string_view source) {
  return std::any_of(std::begin(kHeadingTags), std::end(kHeadingTags),
                     [&](std::string_view tag) { return source.find(tag) != std::string_view::npos; });
}

void writeReference(OutputSink& out, std::string_view key, std::uint64_t number) {
  out.write(key);
  writeNumber(out, number);
  out.write(" 0 R");
}

}  // namespace

std::optional<std::string> headingText(std::string_view source) {
  if (!holdsHeadingTag(source)) return std::nullopt;
  std::string text;
  for (std::size_t at = 0; at < source.size();) {
    if (source[at] == '%' && isTagAt(source, at)) {
      at += 3;
    } else {
      text += source[at++];
    }
  }
  text = metadataValue(text);
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return std::nullopt;
  return text.substr(first, text.find_last_not_of(' ') + 1 - first);
}

std::uint64_t writePdfOutline(OutputSink& out, PdfObjectTable& table,
                              std::span<const OutlineEntry> entries, std::uint64_t first) {
  const std::uint64_t root = pdfFallbackObject(first);
  const auto item = [&](std::size_t i) { return pdfFallbackObject(first + 1 + i); };
  table.laterObject(root, out.offset());
  writeNumber(out, root);
  out.write(" 0 obj << /Type /Outlines");
  writeReference(out, " /First ", item(0));
  writeReference(out, " /Last ", item(entries.size() - 1));
  out.write(" /Count ");
  writeNumber(out, entries.size());
  out.write(" >> endobj\n");
  for (std::size_t i = 0; i < entries.size(); ++i) {
    table.laterObject(item(i), out.offset());
    writeNumber(out, item(i));
    out.write(" 0 obj << /Title ");
    out.write(pdfTextString(entries[i].title));
    writeReference(out, " /Parent ", root);
    if (i > 0) writeReference(out, " /Prev ", item(i - 1));
    if (i + 1 < entries.size()) writeReference(out, " /Next ", item(i + 1));
    writeReference(out, " /Dest [", entries[i].pageObject);
    out.write(" /XYZ 0 ");
    out.writeInt(entries[i].top);
    out.write(" null] >> endobj\n");
  }
  return root;
}

}  // namespace kolvo
