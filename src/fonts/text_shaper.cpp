#include "fonts/text_shaper.hpp"

#include <hb.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <span>
#include <type_traits>
#include <utility>
#include <vector>

#include "fonts/bidi_order.hpp"
#include "fonts/font_face.hpp"

namespace kolvo::fonts {
namespace {

constexpr std::size_t kNoFace = SIZE_MAX;
// A glyph of a cluster whose place is less than this many thousandths of
// the size from the next is a mark set on a letter.
constexpr long kNarrowAdvance = 100;

bool isBlank(char32_t c) { return c == U' ' || c == U'\t'; }

// Marks and the joiners belong to the letter before them, whatever face
// would draw them alone: shaping needs them in its run.
bool clingsToLetterBefore(char32_t c) {
  switch (hb_unicode_general_category(hb_unicode_funcs_get_default(), c)) {
    case HB_UNICODE_GENERAL_CATEGORY_NON_SPACING_MARK:
    case HB_UNICODE_GENERAL_CATEGORY_SPACING_MARK:
    case HB_UNICODE_GENERAL_CATEGORY_ENCLOSING_MARK:
    case HB_UNICODE_GENERAL_CATEGORY_FORMAT:
      return true;
    default:
      return false;
  }
}

// The face of each character: the face of the letter before while it has
// the character (a run stays in one face), else the fonts' choice.
void facesOf(std::u32string_view text, FontStyle style, ShapingFaces& faces,
             std::vector<std::size_t>& chosen) {
  chosen.assign(text.size(), kNoFace);
  std::size_t before = kNoFace;
  const FontFace* beforeFace = nullptr;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char32_t c = text[i];
    if (isBlank(c)) continue;
    // The face's own glyph first: a look-up, where the category is a call.
    if (beforeFace != nullptr && (beforeFace->glyph(c) || clingsToLetterBefore(c))) {
      chosen[i] = before;
      continue;
    }
    const std::optional<std::size_t> face = faces.faceFor(c, style);
    chosen[i] = face.value_or(kNoFace);
    if (face) {
      before = *face;
      beforeFace = &faces.face(before);
    }
  }
}

using Placed = PlacedGlyph;

// Each glyph's cluster, and what it stands for: all of the cluster when it
// is the cluster's one glyph; in a cluster of as many glyphs as
// characters, the character the face's character map gives it, when every
// glyph has one of its own; otherwise nothing, and the cluster is spanned.
void markClusters(std::vector<Placed>& placed, std::size_t end, std::u32string_view text,
                  const FontFace& face, bool rightToLeft) {
  std::vector<std::uint32_t> starts;
  starts.reserve(placed.size());
  for (const Placed& p : placed) starts.push_back(p.cluster);
  std::sort(starts.begin(), starts.end());
  for (Placed& p : placed) {
    const auto after = std::upper_bound(starts.begin(), starts.end(), p.cluster);
    p.clusterEnd = after == starts.end() ? static_cast<std::uint32_t>(end) : *after;
    const auto glyphs = after - std::lower_bound(starts.begin(), starts.end(), p.cluster);
    if (glyphs == 1) {
      p.mapsFrom = p.cluster;
      p.mapsTo = p.clusterEnd;
      continue;
    }
    p.nearest = p.cluster;
    for (std::uint32_t c = p.cluster; c < p.clusterEnd; ++c) {
      if (face.glyph(text[c]) == p.glyph) {
        p.nearest = c;
        break;
      }
    }
    const bool asManyAsCharacters = static_cast<std::uint32_t>(glyphs) == p.clusterEnd - p.cluster;
    if (asManyAsCharacters && face.glyph(text[p.nearest]) == p.glyph) {
      p.mapsFrom = p.nearest;
      p.mapsTo = p.nearest + 1;
    }
  }
  // A cluster is told by its glyphs only when each stands for a character
  // of its own, in the order of the characters along the run's direction
  // (a vowel drawn before its consonant is not).
  for (std::size_t i = 0; i < placed.size(); ++i) {
    const Placed& p = placed[i];
    const bool outOfOrder = i + 1 < placed.size() && placed[i + 1].cluster == p.cluster &&
                            (placed[i + 1].mapsFrom > p.mapsFrom) == rightToLeft;
    if (p.mapsTo != p.mapsFrom && !outOfOrder) continue;
    for (Placed& q : placed) {
      if (q.cluster == p.cluster) q.mapsTo = q.mapsFrom;
    }
  }
}

// The glyphs of the cluster at `cluster` in the order a reader takes
// them: as drawn, or from the right in a right-to-left run.
std::vector<std::size_t> glyphsOfCluster(const std::vector<Placed>& placed, std::uint32_t cluster,
                                         bool rightToLeft) {
  std::vector<std::size_t> glyphs;
  for (std::size_t i = 0; i < placed.size(); ++i) {
    if (placed[i].cluster == cluster) glyphs.push_back(i);
  }
  if (rightToLeft) std::reverse(glyphs.begin(), glyphs.end());
  return glyphs;
}

// Which of `glyphs` tell nothing: the narrow ones (marks set on a
// letter), for a reader draws a character's box over its glyph's advance
// and a box too narrow for its characters reads as a gap in the word; and
// where the glyphs still outnumber the cluster's `characters` (a vowel
// drawn in two parts), the narrowest others but the leftmost, `leftmost`
// of `glyphs`: a glyph left of a silent one reaches over it (glyphBoxes),
// and none is left of the leftmost. The widest always tells.
std::vector<bool> silentGlyphs(const std::vector<Placed>& placed, const std::vector<std::size_t>& glyphs,
                               long penEnd, std::uint32_t characters, std::size_t leftmost) {
  std::vector<std::pair<long, std::size_t>> byWidth;
  for (std::size_t k = 0; k < glyphs.size(); ++k) {
    const std::size_t g = glyphs[k];
    byWidth.emplace_back((g + 1 < placed.size() ? placed[g + 1].x : penEnd) - placed[g].x, k);
  }
  std::vector<bool> silent(glyphs.size(), false);
  if (byWidth.empty()) return silent;
  std::stable_sort(byWidth.begin(), byWidth.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::size_t telling = glyphs.size();
  for (std::size_t s = 0; s + 1 < byWidth.size(); ++s) {
    const bool narrow = byWidth[s].first < kNarrowAdvance;
    if (!narrow && telling <= characters) break;
    if (!narrow && byWidth[s].second == leftmost) continue;
    silent[byWidth[s].second] = true;
    --telling;
  }
  return silent;
}

// Gives each glyph of every cluster of several glyphs a piece of the
// cluster's text, in the order a reader takes them: a character each, the
// last that tells any the rest (clusterTextInCodes). A cluster its glyphs
// did not tell stays spanned.
void givePieces(std::vector<Placed>& placed, long penEnd, bool rightToLeft) {
  for (const Placed& first : placed) {
    if (first.piece) continue;
    const std::uint32_t begin = first.cluster;
    const std::uint32_t end = first.clusterEnd;
    const std::vector<std::size_t> glyphs = glyphsOfCluster(placed, begin, rightToLeft);
    if (glyphs.size() < 2) continue;
    const bool spanned = first.mapsTo == first.mapsFrom;
    const std::size_t leftmost = rightToLeft ? glyphs.size() - 1 : 0;
    const std::vector<bool> silent = silentGlyphs(placed, glyphs, penEnd, end - begin, leftmost);
    const auto telling = static_cast<std::size_t>(std::count(silent.begin(), silent.end(), false));
    std::uint32_t next = begin;
    std::size_t told = 0;
    for (std::size_t k = 0; k < glyphs.size(); ++k) {
      Placed& p = placed[glyphs[k]];
      p.piece = true;
      p.spanned = spanned;
      p.mapsFrom = next;
      if (!silent[k]) next = ++told == telling ? end : next + 1;
      p.mapsTo = next;
    }
  }
}

}  // namespace

std::vector<std::uint16_t> glyphBoxes(std::span<const PlacedGlyph> placed, std::span<const std::uint16_t> advances,
                                      std::span<const std::uint16_t> widths) {
  std::vector<std::uint16_t> boxes(placed.size(), 0);
  const auto tells = [](const PlacedGlyph& p) { return p.mapsTo > p.mapsFrom; };
  for (std::size_t i = 0; i < placed.size(); ++i) {
    if (!placed[i].piece || !tells(placed[i])) continue;
    long reach = advances[i];
    for (std::size_t j = i + 1; j < placed.size() && placed[j].cluster == placed[i].cluster && !tells(placed[j]); ++j) {
      reach += advances[j];
    }
    if (reach - widths[i] >= kNarrowAdvance) boxes[i] = static_cast<std::uint16_t>(std::min(reach, 65535L));
  }
  return boxes;
}

namespace {

// Codes advance the pen only rightwards, so the glyphs are drawn in the
// order of their places, as harfBuzzGlyphs sorts them (a mark HarfBuzz put
// right of the letter after it in the buffer is drawn after that letter);
// each code's advance reaches to the next glyph's place, the last one's to
// the run's end.
void appendPlaced(const std::vector<Placed>& placed, long end, std::size_t face,
                  std::u32string_view text, ShapingFaces& faces, ShapedText& out) {
  std::vector<std::uint16_t> advances;
  advances.reserve(placed.size());
  long pen = 0;
  for (std::size_t i = 0; i < placed.size(); ++i) {
    const long next = i + 1 < placed.size() ? placed[i + 1].x : end;
    const long advance = std::clamp(next - pen, 0L, 65535L);
    pen += advance;
    advances.push_back(static_cast<std::uint16_t>(advance));
  }
  std::vector<std::uint16_t> boxes;
  if (std::any_of(placed.begin(), placed.end(), [](const Placed& p) { return p.piece; })) {
    std::vector<std::uint16_t> widths;
    widths.reserve(placed.size());
    for (const Placed& p : placed) widths.push_back(faces.face(face).advance(p.glyph));
    boxes = glyphBoxes(placed, advances, widths);
  }
  for (std::size_t i = 0; i < placed.size(); ++i) {
    const std::uint16_t advance = advances[i];
    const Placed& p = placed[i];
    const bool alone = p.mapsTo > p.mapsFrom && !p.piece;
    const std::u32string_view characters = alone || p.piece ? text.substr(p.mapsFrom, p.mapsTo - p.mapsFrom)
                                                            : text.substr(p.nearest, 1);
    const std::optional<FallbackGlyph> code = p.piece ? faces.pieceCode(face, p.glyph, advance, characters, boxes[i])
                                                      : faces.placedCode(face, p.glyph, advance, characters, alone);
    if (!code) continue;
    const bool spanned = p.piece ? p.spanned : !alone;
    out.glyphs.push_back({*code, static_cast<std::uint32_t>(advance), p.cluster, p.clusterEnd, spanned});
  }
}

// Shapes the characters [begin, end) of `text` in `face`, the rest of the
// text their context, and adds their piece.
// HarfBuzz's glyphs for the characters [begin, end) of `text` in `face`,
// the rest of the text their context; the pen's end in `end`.
std::vector<Placed> harfBuzzGlyphs(std::u32string_view text, std::size_t begin, std::size_t end,
                                   bool rightToLeft, const FontFace& face, bool pieces, long& penEnd) {
  hb_buffer_t* buffer = hb_buffer_create();
  hb_buffer_add_utf32(buffer, reinterpret_cast<const std::uint32_t*>(text.data()),
                      static_cast<int>(text.size()), static_cast<unsigned>(begin),
                      static_cast<int>(end - begin));
  hb_buffer_set_direction(buffer, rightToLeft ? HB_DIRECTION_RTL : HB_DIRECTION_LTR);
  hb_buffer_guess_segment_properties(buffer);
  hb_shape(face.font(), buffer, nullptr, 0);
  unsigned count = 0;
  const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buffer, &count);
  const hb_glyph_position_t* position = hb_buffer_get_glyph_positions(buffer, &count);
  const double scale = 1000.0 / face.unitsPerEm();
  std::vector<Placed> placed;
  placed.reserve(count);
  double pen = 0;  // in font units
  for (unsigned i = 0; i < count; ++i) {
    placed.push_back({info[i].codepoint, info[i].cluster,
                      std::lround((pen + position[i].x_offset) * scale)});
    pen += position[i].x_advance;
  }
  hb_buffer_destroy(buffer);
  // In the order they are drawn (appendPlaced), which is the order a
  // reader takes them in: a mark placed before the one HarfBuzz put ahead
  // of it tells its cluster out of order.
  std::stable_sort(placed.begin(), placed.end(),
                   [](const Placed& a, const Placed& b) { return a.x < b.x; });
  markClusters(placed, end, text, face, rightToLeft);
  penEnd = std::lround(pen * scale);
  if (pieces) givePieces(placed, penEnd, rightToLeft);
  return placed;
}

// How many characters on either side of a run HarfBuzz may read as its
// context (it reads five): a run kept in its context is found again only
// with these the same.
constexpr std::size_t kContextLength = 8;

// The key a run is kept under in ShapedWords: face and direction, whether
// it is kept in context and if so the characters around it (each side led
// by its length), then its text.
void runKey(std::u32string_view text, std::size_t begin, std::size_t end, bool rightToLeft,
            std::size_t face, bool inContext, std::u32string& key) {
  key.clear();
  key.push_back(static_cast<char32_t>(face));
  key.push_back(rightToLeft ? U'r' : U'l');
  key.push_back(inContext ? U'c' : U'w');
  if (inContext) {
    const std::size_t before = std::min(begin, kContextLength);
    const std::size_t after = std::min(text.size() - end, kContextLength);
    key.push_back(static_cast<char32_t>(before));
    key.append(text.substr(begin - before, before));
    key.push_back(static_cast<char32_t>(after));
    key.append(text.substr(end, after));
  }
  key.append(text.substr(begin, end - begin));
}

// Shapes the characters [begin, end) of `text` in `face` and adds their
// piece, from the store when the same run was shaped before.
void shapeRun(std::u32string_view text, std::size_t begin, std::size_t end, bool rightToLeft,
              std::size_t face, ShapingFaces& faces, std::u32string& key, ShapedText& out) {
  const bool bounded = (begin == 0 || text[begin - 1] == U' ') && (end == text.size() || text[end] == U' ');
  ShapedWords* const words = faces.shapedWords();
  ShapedPiece piece{ShapedPiece::Kind::Glyphs, rightToLeft, begin, end, out.glyphs.size(), 0};
  const auto shift = static_cast<std::uint32_t>(begin);
  if (words != nullptr) {
    runKey(text, begin, end, rightToLeft, face, !bounded, key);
    piece.kept = words->appendKept(key, shift, out.glyphs);
  }
  if (piece.kept == 0) {
    long penEnd = 0;
    const std::vector<Placed> placed = harfBuzzGlyphs(text, begin, end, rightToLeft, faces.face(face),
                                                      faces.clusterTextInCodes(), penEnd);
    appendPlaced(placed, penEnd, face, text, faces, out);
    if (words != nullptr) {
      piece.kept = words->keep(key, shift, std::span<const ShapedGlyph>(out.glyphs).subspan(piece.firstGlyph));
    }
  }
  piece.glyphCount = out.glyphs.size() - piece.firstGlyph;
  out.pieces.push_back(piece);
}

}  // namespace

// The glyphs lie in the arena as their bytes, which they may be copied as.
static_assert(std::is_trivially_copyable_v<ShapedGlyph>);
static_assert(sizeof(ShapedGlyph) % sizeof(std::uint32_t) == 0);

namespace {

constexpr std::size_t kGlyphWords = sizeof(ShapedGlyph) / sizeof(std::uint32_t);

// A key is a few characters: mixed in place, cheaper than hashing its
// bytes. The top bits, which the last product mixes best,
// pick the slot.
std::uint32_t hashOf(std::u32string_view key) {
  constexpr std::uint64_t kMix = 0xFF51AFD7ED558CCDULL;
  std::uint64_t hash = 0x9E3779B97F4A7C15ULL;
  // Two characters to a product: each waits on the one before.
  std::size_t i = 0;
  for (; i + 1 < key.size(); i += 2) hash = (hash ^ (key[i] | std::uint64_t{key[i + 1]} << 32U)) * kMix;
  if (i < key.size()) hash = (hash ^ key[i]) * kMix;
  return static_cast<std::uint32_t>(hash >> 32);
}

// The slot a hash looks at first among `count` (a power of two).
std::size_t firstSlot(std::uint32_t hash, std::size_t count) {
  return (std::uint64_t{hash} * count) >> 32;
}

}  // namespace

// A run's number: where it lies in the arena, and the store's generation.
std::uint64_t ShapedWords::numberOf(std::uint32_t at) const {
  return std::uint64_t{generation_} << 32U | at;
}

std::uint64_t ShapedWords::appendKept(std::u32string_view key, std::uint32_t shift,
                                      std::vector<ShapedGlyph>& out) const {
  if (slots_.empty()) return 0;
  const std::uint32_t hash = hashOf(key);
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t i = firstSlot(hash, slots_.size());; i = (i + 1) & mask) {
    const Slot slot = slots_[i];
    if (slot.at == 0) return 0;
    if (slot.hash != hash) continue;
    const std::uint32_t* const entry = arena_.data() + (slot.at - 1);
    if (entry[0] != key.size() || std::memcmp(entry + 2, key.data(), key.size() * sizeof(char32_t)) != 0) {
      continue;
    }
    const std::size_t first = out.size();
    out.resize(first + entry[1]);
    std::memcpy(static_cast<void*>(out.data() + first), entry + 2 + key.size(), std::size_t{entry[1]} * sizeof(ShapedGlyph));
    for (std::size_t g = first; g < out.size(); ++g) {
      out[g].clusterBegin += shift;
      out[g].clusterEnd += shift;
    }
    return numberOf(slot.at);
  }
}

std::uint64_t ShapedWords::keep(std::u32string_view key, std::uint32_t shift,
                                std::span<const ShapedGlyph> glyphs) {
  const std::size_t size = 2 + key.size() + glyphs.size() * kGlyphWords;
  if (words_ >= kMaxWords || arena_.size() + size > kMaxArena) {
    arena_.clear();
    slots_.assign(slots_.size(), Slot{});
    words_ = 0;
    ++generation_;
  }
  if (size > kMaxArena) return 0;
  if (2 * (words_ + 1) > slots_.size()) grow();
  const auto at = static_cast<std::uint32_t>(arena_.size());
  arena_.resize(arena_.size() + size);
  std::uint32_t* entry = arena_.data() + at;
  entry[0] = static_cast<std::uint32_t>(key.size());
  entry[1] = static_cast<std::uint32_t>(glyphs.size());
  std::memcpy(entry + 2, key.data(), key.size() * sizeof(char32_t));
  entry += 2 + key.size();
  for (ShapedGlyph glyph : glyphs) {
    glyph.clusterBegin -= shift;
    glyph.clusterEnd -= shift;
    std::memcpy(entry, &glyph, sizeof glyph);
    entry += kGlyphWords;
  }
  place({hashOf(key), at + 1});
  ++words_;
  return numberOf(at + 1);
}

void ShapedWords::grow() {
  std::vector<Slot> old(slots_.empty() ? std::size_t{512} : slots_.size() * 2);
  old.swap(slots_);
  for (const Slot& slot : old) {
    if (slot.at != 0) place(slot);
  }
}

void ShapedWords::place(Slot slot) {
  const std::size_t mask = slots_.size() - 1;
  std::size_t i = firstSlot(slot.hash, slots_.size());
  while (slots_[i].at != 0) i = (i + 1) & mask;
  slots_[i] = slot;
}

void shapeText(std::u32string_view text, FontStyle style, ParagraphDirection paragraph,
               ShapingFaces& faces, ShapedText& out) {
  out.clear();
  ShapedWords* const words = faces.shapedWords();
  // Empty, and so no allocation, when the store's are used.
  // cppcheck-suppress unassignedVariable ; filled through `buffers`
  ShapingBuffers ownBuffers;
  ShapingBuffers& buffers = words != nullptr ? words->buffers() : ownBuffers;
  BidiOrder& order = buffers.order;
  bidiOrder(text, paragraph, order);
  out.paragraph = order.paragraph;
  facesOf(text, style, faces, buffers.faces);
  const std::vector<std::size_t>& face = buffers.faces;
  const std::vector<std::uint32_t>& visual = order.visual;
  for (std::size_t v = 0; v < visual.size();) {
    const std::size_t first = visual[v];
    if (isBlank(text[first]) || face[first] == kNoFace) {
      const auto kind = isBlank(text[first]) ? ShapedPiece::Kind::Blank : ShapedPiece::Kind::Missing;
      out.pieces.push_back({kind, false, first, first + 1, 0, 0});
      ++v;
      continue;
    }
    // The places after it that hold the next characters of the same face
    // and level, in the level's direction.
    const bool rightToLeft = (order.levels[first] & 1U) != 0;
    std::size_t last = first;
    std::size_t w = v + 1;
    for (; w < visual.size(); ++w) {
      const std::size_t next = visual[w];
      const bool adjacent = rightToLeft ? next + 1 == last : next == last + 1;
      if (!adjacent || isBlank(text[next]) || face[next] != face[first] ||
          order.levels[next] != order.levels[first]) {
        break;
      }
      last = next;
    }
    shapeRun(text, std::min(first, last), std::max(first, last) + 1, rightToLeft, face[first],
             faces, buffers.key, out);
    v = w;
  }
}

}  // namespace kolvo::fonts
