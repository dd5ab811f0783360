#include "writers/pdf_fallback_fonts.hpp"

#include <string>

#include "writers/paged/fallback_run.hpp"
#include "writers/pdf_objects.hpp"

namespace kolvo {
namespace {

// The objects of font i are pdfFallbackObject(kObjectsPerFont * i + one of these).
enum FontObject : unsigned { kType0, kCidFont, kDescriptor, kProgram, kToUnicode, kCidToGid };
constexpr unsigned kObjectsPerFont = 6;

std::uint64_t fontObjectNumber(std::size_t font, FontObject object) {
  return pdfFallbackObject(kObjectsPerFont * font + object);
}

// Codes per line of the ToUnicode map and of the widths; the map allows at
// most 100 entries per block.
constexpr std::size_t kCodesPerBlock = 100;

constexpr char kHex[] = "0123456789ABCDEF";

void appendHex16(std::string& out, unsigned value) {
  for (int shift = 12; shift >= 0; shift -= 4) out.push_back(kHex[value >> shift & 0xF]);
}

// UTF-16BE in hex, for the ToUnicode map.
void appendUtf16(std::string& out, char32_t c) {
  if (c < 0x10000) {
    appendHex16(out, static_cast<unsigned>(c));
    return;
  }
  const char32_t v = c - 0x10000;
  appendHex16(out, 0xD800 + static_cast<unsigned>(v >> 10));
  appendHex16(out, 0xDC00 + static_cast<unsigned>(v & 0x3FF));
}

class FontObjects {
 public:
  FontObjects(OutputSink& out, PdfObjectTable& table, std::size_t index, const EmbeddedFont& font)
      : out_(out), table_(table), index_(index), font_(font), name_(subsetTag() + font.postScriptName) {}

  void write() {
    writeType0();
    writeCidFont();
    writeDescriptor();
    writeProgram();
    writeToUnicode();
    if (font_.outlines == OutlineFormat::TrueType) writeCidToGid();
  }

  std::uint64_t number(FontObject object) const { return fontObjectNumber(index_, object); }

 private:
  // Six capitals that differ per font of the document, as subsets are named.
  std::string subsetTag() const {
    std::string tag = "KOLVO";
    tag.push_back(static_cast<char>('A' + index_ % 26));
    return tag + "+";
  }

  std::string reference(FontObject object) const { return std::to_string(number(object)) + " 0 R"; }

  void begin(FontObject object) {
    table_.laterObject(number(object), out_.offset());
    writeNumber(out_, number(object));
    out_.write(" 0 obj ");
  }

  void writeDictionary(FontObject object, const std::string& dictionary) {
    begin(object);
    out_.write(dictionary);
    out_.write(" endobj\n");
  }

  void writeStream(FontObject object, const std::string& extra, std::string_view data, bool deflated) {
    begin(object);
    out_.write("<< /Length ");
    writeNumber(out_, data.size());
    if (deflated) out_.write(" /Filter /FlateDecode");
    out_.write(extra);
    out_.write(" >>\nstream\n");
    out_.write(data);
    out_.write("\nendstream\nendobj\n");
  }

  void writeType0() {
    writeDictionary(kType0, "<< /Type /Font /Subtype /Type0 /BaseFont /" + name_ +
                                " /Encoding /Identity-H /DescendantFonts [" + reference(kCidFont) +
                                "] /ToUnicode " + reference(kToUnicode) + " >>");
  }

  void writeCidFont() {
    const bool trueType = font_.outlines == OutlineFormat::TrueType;
    std::string d = "<< /Type /Font /Subtype /";
    d += trueType ? "CIDFontType2" : "CIDFontType0";
    d += " /BaseFont /" + name_ +
         " /CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >>"
         " /FontDescriptor " + reference(kDescriptor) + " /DW 1000 /W [1 [";
    for (std::size_t i = 0; i < font_.glyphs.size(); ++i) {
      d += i % kCodesPerBlock == 0 ? "\n" : " ";
      d += std::to_string(font_.glyphs[i].advance);
    }
    d += "]]";
    if (trueType) d += " /CIDToGIDMap " + reference(kCidToGid);
    d += " >>";
    writeDictionary(kCidFont, d);
  }

  void writeDescriptor() {
    // Nonsymbolic (32), with FixedPitch (1) and Italic (64) as the face says.
    const int flags = 32 + (font_.fixedPitch ? 1 : 0) + (font_.italic ? 64 : 0);
    std::string d = "<< /Type /FontDescriptor /FontName /" + name_ +
                    " /Flags " + std::to_string(flags) + " /FontBBox [";
    for (std::size_t i = 0; i < font_.bbox.size(); ++i) {
      d += (i == 0 ? "" : " ") + std::to_string(font_.bbox[i]);
    }
    d += "] /ItalicAngle " + std::to_string(font_.italicAngle) + " /Ascent " +
         std::to_string(font_.ascent) + " /Descent " + std::to_string(font_.descent) +
         " /CapHeight " + std::to_string(font_.capHeight) + " /StemV 80 ";
    d += font_.outlines == OutlineFormat::TrueType ? "/FontFile2 " : "/FontFile3 ";
    d += reference(kProgram) + " >>";
    writeDictionary(kDescriptor, d);
  }

  void writeProgram() {
    std::string extra;
    if (font_.outlines == OutlineFormat::TrueType) {
      extra = " /Length1 " + std::to_string(font_.program.size());
    } else {
      extra = " /Subtype /CIDFontType0C";
    }
    const bool deflated = !font_.deflatedProgram.empty();
    writeStream(kProgram, extra, deflated ? font_.deflatedProgram : font_.program, deflated);
  }

  void writeToUnicode() {
    std::string map =
        "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
        "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
        "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
        "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
    for (std::size_t start = 0; start < font_.glyphs.size(); start += kCodesPerBlock) {
      const std::size_t end = std::min(font_.glyphs.size(), start + kCodesPerBlock);
      map += std::to_string(end - start) + " beginbfchar\n";
      for (std::size_t i = start; i < end; ++i) {
        map += '<';
        appendHex16(map, static_cast<unsigned>(i + 1));
        map += "> <";
        if (font_.glyphs[i].characters.empty()) {
          appendUtf16(map, font_.glyphs[i].unicode);
        } else {
          for (const char32_t c : font_.glyphs[i].characters) appendUtf16(map, c);
        }
        map += ">\n";
      }
      map += "endbfchar\n";
    }
    map += "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend";
    writeStream(kToUnicode, "", map, false);
  }

  // Two bytes per code from 0: the code's glyph in the subset (0 for code 0).
  void writeCidToGid() {
    std::string map(2, '\0');
    for (const EmbeddedGlyph& g : font_.glyphs) {
      map.push_back(static_cast<char>(g.glyph >> 8));
      map.push_back(static_cast<char>(g.glyph & 0xFF));
    }
    writeStream(kCidToGid, "", map, false);
  }

  OutputSink& out_;
  PdfObjectTable& table_;
  std::size_t index_;
  const EmbeddedFont& font_;
  std::string name_;
};

}  // namespace

std::uint64_t pdfFallbackObjectCount(std::size_t count) { return kObjectsPerFont * count; }

std::string pdfFallbackFontEntries(std::size_t count) {
  std::string entries;
  for (std::size_t i = 0; i < count; ++i) {
    entries += " /" + paged::pdfFallbackResource(i) + " " +
               std::to_string(fontObjectNumber(i, kType0)) + " 0 R";
  }
  return entries;
}

void writePdfFallbackFonts(OutputSink& out, PdfObjectTable& table, const FallbackFonts& fonts,
                           std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const EmbeddedFont font = fonts.embed(i);
    FontObjects(out, table, i, font).write();
  }
}

}  // namespace kolvo
