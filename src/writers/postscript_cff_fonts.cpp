#include "writers/postscript_cff_fonts.hpp"

#include <string>

#include "writers/paged/fallback_run.hpp"
#include "writers/paged/utf16_hex.hpp"

namespace kolvo {
namespace {

constexpr std::size_t kCodesPerPage = 256;
constexpr std::size_t kHexPerLine = 38;  // bytes per line of hex
constexpr char kHex[] = "0123456789ABCDEF";

unsigned byteAt(std::string_view data, std::size_t at) {
  return at < data.size() ? static_cast<unsigned char>(data[at]) : 0;
}

void appendHexByte(std::string& out, unsigned b) {
  out.push_back(kHex[b >> 4 & 0xF]);
  out.push_back(kHex[b & 0xF]);
}

// `bytes` as hex lines, ended by ">", which is where the ASCIIHexDecode
// filter they are read through ends.
void writeHexData(OutputSink& out, std::string_view bytes) {
  std::string line;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    appendHexByte(line, byteAt(bytes, i));
    if ((i + 1) % kHexPerLine == 0 || i + 1 == bytes.size()) {
      line.push_back('\n');
      out.write(line);
      line.clear();
    }
  }
  out.write(">\n");
}

// The CMap of code page `page`: bytes 00 to FF are CIDs page * 256 up.
void writeCodePageMap(OutputSink& out, std::size_t page) {
  out.write("/CIDInit /ProcSet findresource begin 12 dict begin begincmap\n"
            "/CIDSystemInfo 3 dict dup begin /Registry (Adobe) def /Ordering (Identity) def"
            " /Supplement 0 def end def\n/CMapName /KolvoPage" + std::to_string(page) +
            " def /CMapType 1 def\n1 begincodespacerange <00> <FF> endcodespacerange\n"
            "1 begincidrange <00> <FF> " + std::to_string(page * kCodesPerPage) +
            " endcidrange\nendcmap CMapName currentdict /CMap defineresource pop end end\n");
}

// Each code's characters in UTF-16BE, by CID, for ps2pdf to make the
// ToUnicode map from (Ghostscript reads a CIDFont's GlyphNames2Unicode by
// CID).
std::string charactersByCid(const EmbeddedFont& font) {
  std::string entries = "/GlyphNames2Unicode <<";
  for (std::size_t i = 0; i < font.glyphs.size(); ++i) {
    const EmbeddedGlyph& glyph = font.glyphs[i];
    entries += i % 8 == 0 ? "\n" : " ";
    entries += std::to_string(i + 1) + " <";
    const std::u32string single(1, glyph.unicode);
    paged::appendUtf16Hex(entries, glyph.characters.empty() ? single : glyph.characters);
    entries += ">";
  }
  return entries + " >>";
}

}  // namespace

std::string_view cffFontName(std::string_view cff) {
  const std::size_t at = byteAt(cff, 2);
  const unsigned count = byteAt(cff, at) << 8 | byteAt(cff, at + 1);
  const unsigned offSize = byteAt(cff, at + 2);
  if (count == 0 || offSize < 1 || offSize > 4) return {};
  const auto offset = [&](std::size_t i) {
    std::size_t value = 0;
    for (unsigned b = 0; b < offSize; ++b) value = value << 8 | byteAt(cff, at + 3 + i * offSize + b);
    return value;
  };
  const std::size_t data = at + 3 + (std::size_t{count} + 1) * offSize - 1;
  const std::size_t begin = data + offset(0);
  const std::size_t end = data + offset(1);
  if (begin >= end || end > cff.size()) return {};
  return cff.substr(begin, end - begin);
}

void writePostScriptCffFont(OutputSink& out, const EmbeddedFont& font, std::size_t index,
                            CodePageMaps& maps) {
  const std::size_t pages = (font.glyphs.size() + 1 + kCodesPerPage - 1) / kCodesPerPage;
  for (; maps.defined < pages; ++maps.defined) writeCodePageMap(out, maps.defined);
  // StartData reads the table from the current file, which within the
  // executed filter is the filter: the prologue stays text.
  const std::string base = "KolvoK" + std::to_string(index);
  out.write("/FontSetInit /ProcSet findresource begin\ncurrentfile /ASCIIHexDecode filter cvx exec\n");
  std::string start = "/" + base + " " + std::to_string(font.program.size()) + " StartData ";
  writeHexData(out, start + font.program);
  // A copy with the characters of its CIDs, defined under a name of this
  // font's own, whatever the table calls itself.
  std::string tableName = "<";
  for (const char c : cffFontName(font.program)) appendHexByte(tableName, static_cast<unsigned char>(c));
  out.write("/" + base + " " + tableName + "> cvn" +
            " /CIDFont findresource dup length 1 add dict copy dup /FID undef dup /CIDFontName /" + base +
            " put dup /FontInfo 2 copy known {2 copy get dup length 1 add dict copy} {1 dict} ifelse"
            " dup\n" + charactersByCid(font) + " put put /CIDFont defineresource pop\n");
  for (std::size_t page = 0; page < pages; ++page) {
    out.write("/" + paged::postScriptFallbackName(index, page) + " /KolvoPage" + std::to_string(page) +
              " [/" + base + " /CIDFont findresource] composefont pop\n");
  }
}

}  // namespace kolvo
