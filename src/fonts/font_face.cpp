#include "fonts/font_face.hpp"

#include <hb-ot.h>
#include <hb.h>

#include <algorithm>
#include <array>
#include <cmath>

#include "fonts/cff_table.hpp"
#include "io/message_text.hpp"

namespace kolvo::fonts {
namespace {

constexpr hb_tag_t kGlyfTag = HB_TAG('g', 'l', 'y', 'f');
constexpr hb_tag_t kCffTag = HB_TAG('C', 'F', 'F', ' ');
constexpr hb_tag_t kHeadTag = HB_TAG('h', 'e', 'a', 'd');
constexpr hb_tag_t kPostTag = HB_TAG('p', 'o', 's', 't');

// The bytes of one table of `face`.
std::string tableBytes(hb_face_t* face, hb_tag_t tag) {
  hb_blob_t* blob = hb_face_reference_table(face, tag);
  unsigned length = 0;
  const char* data = hb_blob_get_data(blob, &length);
  std::string bytes(data == nullptr ? "" : std::string(data, length));
  hb_blob_destroy(blob);
  return bytes;
}

int readInt16(const std::string& bytes, std::size_t at) {
  if (at + 2 > bytes.size()) return 0;
  const auto high = static_cast<unsigned char>(bytes[at]);
  const auto low = static_cast<unsigned char>(bytes[at + 1]);
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(high << 8 | low));
}

// Keeps the letters, digits and hyphens of a PostScript name.
std::string cleanName(const std::string& name) {
  std::string out;
  for (char c : name) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-') {
      out.push_back(c);
    }
  }
  return out.empty() ? std::string("Fallback") : out;
}

}  // namespace

FontFace::FontFace(const std::string& path, unsigned index) : path_(path), index_(index) {
  hb_blob_t* blob = hb_blob_create_from_file_or_fail(path.c_str());
  if (blob == nullptr) throw FontError("cannot read the font " + printable(path));
  face_ = hb_face_create(blob, index);
  hb_blob_destroy(blob);
  if (hb_face_get_glyph_count(face_) == 0) {
    hb_face_destroy(face_);
    throw FontError(printable(path) + " is not a TrueType or OpenType font");
  }
  const bool glyf = !tableBytes(face_, kGlyfTag).empty();
  const std::string cff = glyf ? std::string() : tableBytes(face_, kCffTag);
  if (!glyf && !isCffTable(cff)) {
    hb_face_destroy(face_);
    throw FontError(printable(path) + " has neither TrueType outlines nor a CFF table");
  }
  outlines_ = glyf ? OutlineFormat::TrueType : OutlineFormat::Cff;
  cidKeyed_ = !glyf && isCidKeyedCff(cff);
  font_ = hb_font_create(face_);
  unitsPerEm_ = hb_face_get_upem(face_);
  if (unitsPerEm_ == 0) unitsPerEm_ = 1000;
}

FontFace::~FontFace() {
  hb_font_destroy(font_);
  hb_face_destroy(face_);
}

std::optional<std::uint32_t> FontFace::askGlyph(char32_t c) const {
  constexpr char32_t kFirstPlane = 0x10000;
  std::uint32_t* known = nullptr;
  if (c < kFirstPlane) {
    if (glyphOfCharacter_.empty()) glyphOfCharacter_.assign(kFirstPlane, kNotAsked);
    known = &glyphOfCharacter_[c];
  }
  hb_codepoint_t g = 0;
  if (hb_font_get_nominal_glyph(font_, c, &g) == 0) g = 0;
  if (known != nullptr) *known = g;
  if (g == 0) return std::nullopt;
  return g;
}

std::uint16_t FontFace::advance(std::uint32_t glyph) const {
  if (glyph < advanceOfGlyph_.size() && advanceOfGlyph_[glyph] != kNotAsked) {
    return static_cast<std::uint16_t>(advanceOfGlyph_[glyph]);
  }
  const hb_position_t units = hb_font_get_glyph_h_advance(font_, glyph);
  const long thousandths = std::lround(units * 1000.0 / unitsPerEm_);
  const auto advance = static_cast<std::uint16_t>(std::clamp(thousandths, 0L, 65535L));
  const unsigned glyphCount = hb_face_get_glyph_count(face_);
  if (glyph < glyphCount) {
    if (advanceOfGlyph_.empty()) advanceOfGlyph_.assign(glyphCount, kNotAsked);
    advanceOfGlyph_[glyph] = advance;
  }
  return advance;
}

EmbeddedFont FontFace::description() const {
  EmbeddedFont described;
  std::array<char, 128> name{};
  unsigned size = name.size();
  hb_ot_name_get_utf8(face_, HB_OT_NAME_ID_POSTSCRIPT_NAME, HB_LANGUAGE_INVALID, &size, name.data());
  described.postScriptName = cleanName(name.data());
  described.outlines = outlines_;
  described.cidKeyed = outlines_ == OutlineFormat::Cff;
  const auto thousandths = [&](double units) {
    return static_cast<int>(std::lround(units * 1000.0 / unitsPerEm_));
  };
  hb_position_t value = 0;
  if (hb_ot_metrics_get_position(font_, HB_OT_METRICS_TAG_HORIZONTAL_ASCENDER, &value)) {
    described.ascent = thousandths(value);
  }
  if (hb_ot_metrics_get_position(font_, HB_OT_METRICS_TAG_HORIZONTAL_DESCENDER, &value)) {
    described.descent = thousandths(value);
  }
  described.capHeight = described.ascent;
  if (hb_ot_metrics_get_position(font_, HB_OT_METRICS_TAG_CAP_HEIGHT, &value) && value > 0) {
    described.capHeight = thousandths(value);
  }
  // head: xMin, yMin, xMax, yMax at 36; post: italicAngle (16.16) at 4,
  // isFixedPitch at 12.
  const std::string head = tableBytes(face_, kHeadTag);
  for (std::size_t i = 0; i < 4; ++i) described.bbox[i] = thousandths(readInt16(head, 36 + 2 * i));
  const std::string post = tableBytes(face_, kPostTag);
  described.italicAngle = readInt16(post, 4);
  described.fixedPitch = readInt16(post, 12) != 0 || readInt16(post, 14) != 0;
  described.italic = described.italicAngle != 0;
  return described;
}

}  // namespace kolvo::fonts
