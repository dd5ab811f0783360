#include "writers/postscript_fallback_fonts.hpp"

#include <algorithm>
#include <string>
#include <unordered_set>
#include <vector>

#include "writers/paged/fallback_run.hpp"
#include "writers/paged/utf16_hex.hpp"
#include "writers/postscript_cff_fonts.hpp"

namespace kolvo {
namespace {

// A Type 42 font's sfnts strings may hold at most 65535 bytes each and must
// end where a table or a glyph ends.
constexpr std::size_t kMaxPiece = 65534;
constexpr std::size_t kHexPerLine = 38;  // bytes of a string per line of hex
constexpr std::size_t kCodesPerPage = 256;

std::uint32_t read32(std::string_view data, std::size_t at) {
  if (at + 4 > data.size()) return 0;
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4; ++i) v = v << 8 | static_cast<unsigned char>(data[at + i]);
  return v;
}
std::uint32_t read16(std::string_view data, std::size_t at) {
  if (at + 2 > data.size()) return 0;
  return static_cast<std::uint32_t>(static_cast<unsigned char>(data[at]) << 8 |
                                    static_cast<unsigned char>(data[at + 1]));
}

// Where the program may be cut: every table start and every glyph start in
// glyf, ascending, even offsets only.
std::vector<std::size_t> cutPoints(std::string_view ttf) {
  std::vector<std::size_t> cuts;
  const std::uint32_t tables = read16(ttf, 4);
  std::size_t glyf = 0, loca = 0, locaLength = 0, head = 0;
  for (std::uint32_t i = 0; i < tables; ++i) {
    const std::size_t record = 12 + 16 * std::size_t{i};
    const std::uint32_t tag = read32(ttf, record);
    const std::size_t offset = read32(ttf, record + 8);
    cuts.push_back(offset);
    if (tag == 0x676C7966) glyf = offset;  // glyf
    if (tag == 0x6C6F6361) {               // loca
      loca = offset;
      locaLength = read32(ttf, record + 12);
    }
    if (tag == 0x68656164) head = offset;  // head
  }
  if (glyf != 0 && loca != 0 && head != 0) {
    const bool longOffsets = read16(ttf, head + 50) != 0;
    const std::size_t step = longOffsets ? 4 : 2;
    for (std::size_t at = loca; at + step <= loca + locaLength; at += step) {
      cuts.push_back(glyf + (longOffsets ? read32(ttf, at) : 2 * read16(ttf, at)));
    }
  }
  cuts.push_back(ttf.size());
  std::sort(cuts.begin(), cuts.end());
  std::vector<std::size_t> even;
  for (const std::size_t c : cuts) {
    if (c % 2 == 0 && c <= ttf.size()) even.push_back(c);
  }
  return even;
}

void writeHexString(OutputSink& out, std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  out.put('<');
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i % kHexPerLine == 0) out.put('\n');
    const auto b = static_cast<unsigned char>(bytes[i]);
    out.put(kHex[b >> 4]);
    out.put(kHex[b & 0xF]);
  }
  out.write("00\n>\n");  // the extra byte that ends each string
}

void writeSfnts(OutputSink& out, std::string_view ttf) {
  const std::vector<std::size_t> cuts = cutPoints(ttf);
  out.write("/sfnts [\n");
  std::size_t start = 0;
  std::size_t last = 0;  // the last cut point within reach of start
  for (const std::size_t cut : cuts) {
    if (cut - start > kMaxPiece && last > start) {
      writeHexString(out, ttf.substr(start, last - start));
      start = last;
    }
    last = cut;
  }
  if (start < ttf.size()) writeHexString(out, ttf.substr(start));
  out.write("] ");
}

std::string decimal(int thousandths) {
  std::string text = std::to_string(thousandths / 1000.0);
  while (text.back() == '0') text.pop_back();
  if (text.back() == '.') text.pop_back();
  return text;
}

// The name of the codes that tell no text (their characters are U+0000,
// which readers drop: without any, they take the code for a character).
constexpr std::string_view kSilentName = "silent";

bool tellsNothing(const EmbeddedGlyph& glyph) { return glyph.unicode == 0 && glyph.characters.empty(); }

// The glyph name of each code: its character's (a ligature's names all of
// its characters, as readers take them back), and where shaping gave
// several codes the same characters (joined forms, placed marks), the later
// ones with a suffix of their own, which readers drop.
std::vector<std::string> glyphNames(const EmbeddedFont& font) {
  std::vector<std::string> names;
  names.reserve(font.glyphs.size());
  std::unordered_set<std::string> taken;
  for (std::size_t i = 0; i < font.glyphs.size(); ++i) {
    const EmbeddedGlyph& glyph = font.glyphs[i];
    std::string name;
    if (tellsNothing(glyph)) {
      name = kSilentName;
    } else if (glyph.characters.empty()) {
      name = postScriptGlyphName(glyph.unicode);
    } else {
      name = "uni";
      for (const char32_t c : glyph.characters) name += postScriptGlyphName(c).substr(c > 0xFFFF ? 1 : 3);
    }
    if (!taken.insert(name).second) name += ".k" + std::to_string(i + 1);
    names.push_back(std::move(name));
  }
  return names;
}

// The advances of the glyphs shaping placed otherwise than the program
// says, in the font's units (1 per em): " /Metrics << ... >>", or nothing.
std::string metricsOf(const EmbeddedFont& font, const std::vector<std::string>& names) {
  std::string metrics;
  for (std::size_t i = 0; i < font.glyphs.size(); ++i) {
    if (font.glyphs[i].ownAdvance) continue;
    metrics += (metrics.empty() ? "\n/Metrics << /" : " /") + names[i] + " " +
               decimal(font.glyphs[i].advance);
  }
  return metrics.empty() ? metrics : metrics + " >>";
}

// The characters of the names readers cannot take them from (a suffix, a
// ligature), for Ghostscript's ps2pdf: " /FontInfo << /GlyphNames2Unicode
// << ... >> >>" with UTF-16BE strings, or nothing.
std::string glyphNamesToUnicode(const EmbeddedFont& font, const std::vector<std::string>& names) {
  std::string entries;
  for (std::size_t i = 0; i < font.glyphs.size(); ++i) {
    const EmbeddedGlyph& glyph = font.glyphs[i];
    if (glyph.characters.empty() && names[i] == postScriptGlyphName(glyph.unicode)) continue;
    entries += " /" + names[i] + " <";
    const std::u32string single(1, glyph.unicode);
    paged::appendUtf16Hex(entries, glyph.characters.empty() ? single : glyph.characters);
    entries += ">";
  }
  return entries.empty() ? entries : "\n/FontInfo << /GlyphNames2Unicode <<" + entries + " >> >>";
}

// "/KolvoK0 << ... >> def": the font dictionary that each code page copies.
void writeBaseFont(OutputSink& out, const EmbeddedFont& font, std::size_t index,
                   const std::vector<std::string>& names) {
  const std::string base = "KolvoK" + std::to_string(index);
  out.write("/" + base + " << /FontType 42 /PaintType 0 /FontMatrix [1 0 0 1 0 0]\n/FontBBox [");
  for (std::size_t i = 0; i < font.bbox.size(); ++i) out.write((i == 0 ? "" : " ") + decimal(font.bbox[i]));
  out.write("] /Encoding StandardEncoding\n/CharStrings << /.notdef 0");
  for (std::size_t i = 0; i < font.glyphs.size(); ++i) {
    out.write(i % 8 == 0 ? "\n/" : " /");
    out.write(names[i] + " " + std::to_string(font.glyphs[i].glyph));
  }
  out.write(" >>");
  out.write(metricsOf(font, names));
  out.write(glyphNamesToUnicode(font, names));
  out.write("\n");
  writeSfnts(out, font.program);
  out.write(">> def\n");
}

void writeCodePage(OutputSink& out, const std::vector<std::string>& names, std::size_t index,
                   std::size_t page) {
  const std::string name = paged::postScriptFallbackName(index, page);
  out.write("/" + name + " KolvoK" + std::to_string(index) +
            " dup length 1 add dict copy dup /FontName /" + name + " put dup /Encoding [");
  for (std::size_t b = 0; b < kCodesPerPage; ++b) {
    const std::size_t code = page * kCodesPerPage + b;
    out.write(b % 8 == 0 ? "\n/" : " /");
    out.write(code >= 1 && code <= names.size() ? names[code - 1] : std::string(".notdef"));
  }
  out.write("] put definefont pop\n");
}

}  // namespace

std::string postScriptGlyphName(char32_t c) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string name = c > 0xFFFF ? "u" : "uni";
  const int digits = c > 0xFFFF ? 6 : 4;
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) name.push_back(kHex[c >> shift & 0xF]);
  return name;
}

void writePostScriptFallbackFonts(OutputSink& out, const FallbackFonts& fonts) {
  CodePageMaps maps;
  for (std::size_t i = 0; i < fonts.fontCount(); ++i) {
    const EmbeddedFont font = fonts.embed(i);
    if (font.outlines == OutlineFormat::Cff) {
      writePostScriptCffFont(out, font, i, maps);
      continue;
    }
    const std::vector<std::string> names = glyphNames(font);
    writeBaseFont(out, font, i, names);
    const std::size_t pages = (font.glyphs.size() + 1 + kCodesPerPage - 1) / kCodesPerPage;
    for (std::size_t page = 0; page < pages; ++page) writeCodePage(out, names, i, page);
  }
}

}  // namespace kolvo
