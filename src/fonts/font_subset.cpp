#include "fonts/font_subset.hpp"

#include <hb-subset.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <memory>
#include <utility>

#include "fonts/cff_cid_font.hpp"
#include "fonts/cff_table.hpp"
#include "io/message_text.hpp"

namespace kolvo::fonts {
namespace {

// What a PDF or PostScript interpreter never reads: layout, hinting kept
// out by a flag, and the bitmaps and colour layers of some faces.
constexpr std::array<hb_tag_t, 14> kDroppedTables = {
    HB_TAG('G', 'S', 'U', 'B'), HB_TAG('G', 'P', 'O', 'S'), HB_TAG('G', 'D', 'E', 'F'),
    HB_TAG('k', 'e', 'r', 'n'), HB_TAG('m', 'o', 'r', 'x'), HB_TAG('B', 'A', 'S', 'E'),
    HB_TAG('J', 'S', 'T', 'F'), HB_TAG('D', 'S', 'I', 'G'), HB_TAG('E', 'B', 'D', 'T'),
    HB_TAG('E', 'B', 'L', 'C'), HB_TAG('C', 'B', 'D', 'T'), HB_TAG('C', 'B', 'L', 'C'),
    HB_TAG('V', 'O', 'R', 'G'), HB_TAG('v', 'h', 'e', 'a')};

struct InputDeleter {
  void operator()(hb_subset_input_t* input) const { hb_subset_input_destroy(input); }
};
struct PlanDeleter {
  void operator()(hb_subset_plan_t* plan) const { hb_subset_plan_destroy(plan); }
};
struct FaceDeleter {
  void operator()(hb_face_t* face) const { hb_face_destroy(face); }
};
struct BlobDeleter {
  void operator()(hb_blob_t* blob) const { hb_blob_destroy(blob); }
};

std::string blobBytes(hb_blob_t* blob) {
  unsigned length = 0;
  const char* data = hb_blob_get_data(blob, &length);
  return data == nullptr ? std::string() : std::string(data, length);
}

// The CFF table of `subset`, its charset rewritten so that CID k is the
// glyph of code k.
std::string cffWithCodes(hb_face_t* subset, const std::vector<std::uint16_t>& glyphs) {
  const std::unique_ptr<hb_blob_t, BlobDeleter> table(
      hb_face_reference_table(subset, HB_TAG('C', 'F', 'F', ' ')));
  const std::string cff = blobBytes(table.get());
  const unsigned count = hb_face_get_glyph_count(subset);
  // Glyphs no code names (none, as long as nothing adds any) get CIDs
  // past the codes.
  std::vector<std::uint16_t> cids(count > 0 ? count - 1 : 0, 0);
  std::uint32_t spare = static_cast<std::uint32_t>(glyphs.size()) + 1;
  for (std::size_t code = 1; code <= glyphs.size(); ++code) {
    const std::uint16_t g = glyphs[code - 1];
    if (g >= 1 && g <= cids.size()) cids[g - 1] = static_cast<std::uint16_t>(code);
  }
  for (std::uint16_t& cid : cids) {
    if (cid == 0) cid = static_cast<std::uint16_t>(spare++);
  }
  std::optional<std::string> rewritten = withCharset(cff, cids);
  if (!rewritten) throw FontError("cannot give the CFF subset of the font its CIDs");
  return *std::move(rewritten);
}

// The CFF table of `subset` (name-keyed) made CID-keyed with one
// charstring per code: code k is CID k and glyph k. A code whose advance is
// not its glyph's own (shaping placed it) states its advance in its copy.
std::string cidKeyedCff(hb_face_t* subset, const FontFace& face, std::span<const std::uint32_t> glyphs,
                        std::span<const std::uint16_t> advances, std::vector<std::uint16_t>& subsetGlyphs) {
  const std::unique_ptr<hb_blob_t, BlobDeleter> table(
      hb_face_reference_table(subset, HB_TAG('C', 'F', 'F', ' ')));
  std::vector<CodeGlyph> codes;
  for (std::size_t i = 0; i < subsetGlyphs.size(); ++i) {
    CodeGlyph code{subsetGlyphs[i], std::nullopt};
    if (i < advances.size() && advances[i] != face.advance(glyphs[i])) {
      code.width = static_cast<int>(std::lround(advances[i] * static_cast<double>(face.unitsPerEm()) / 1000));
    }
    codes.push_back(code);
    subsetGlyphs[i] = static_cast<std::uint16_t>(i + 1);
  }
  std::optional<std::string> converted = cidKeyedByCode(blobBytes(table.get()), codes);
  if (!converted) throw FontError("cannot make the CFF subset of " + printable(face.path()) + " CID-keyed");
  return *std::move(converted);
}

std::uint32_t read16(std::string_view data, std::size_t at) {
  return at + 2 > data.size() ? 0
                              : static_cast<std::uint32_t>(static_cast<unsigned char>(data[at])) << 8 |
                                    static_cast<unsigned char>(data[at + 1]);
}
std::uint32_t read32(std::string_view data, std::size_t at) { return read16(data, at) << 16 | read16(data, at + 2); }

// The number of glyphs of a TrueType file (its maxp table's), 0 without one.
std::size_t glyphCount(std::string_view ttf) {
  const std::uint32_t count = read16(ttf, 4);
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::size_t record = 12 + 16 * std::size_t{i};
    if (read32(ttf, record) == HB_TAG('m', 'a', 'x', 'p')) return read16(ttf, read32(ttf, record + 8) + 4);
  }
  return 0;
}

void put16(std::string& out, std::uint32_t v) {
  out.push_back(static_cast<char>(v >> 8 & 0xFF));
  out.push_back(static_cast<char>(v & 0xFF));
}
void put32(std::string& out, std::uint32_t v) {
  put16(out, v >> 16);
  put16(out, v & 0xFFFF);
}
void set16(std::string& data, std::size_t at, std::uint32_t v) {
  data[at] = static_cast<char>(v >> 8 & 0xFF);
  data[at + 1] = static_cast<char>(v & 0xFF);
}

std::uint32_t tableChecksum(std::string_view table) {
  std::uint32_t sum = 0;
  for (std::size_t at = 0; at < table.size(); at += 4) {
    std::uint32_t word = 0;
    for (std::size_t i = 0; i < 4; ++i) {
      word = word << 8 | (at + i < table.size() ? static_cast<unsigned char>(table[at + i]) : 0U);
    }
    sum += word;
  }
  return sum;
}

// Tables that hold an entry for every glyph that the copies would lack.
constexpr std::array<hb_tag_t, 7> kPerGlyphTables = {
    HB_TAG('h', 'd', 'm', 'x'), HB_TAG('L', 'T', 'S', 'H'), HB_TAG('v', 'm', 't', 'x'), HB_TAG('g', 'v', 'a', 'r'),
    HB_TAG('H', 'V', 'A', 'R'), HB_TAG('V', 'V', 'A', 'R'), HB_TAG('V', 'D', 'M', 'X')};

// A sfnt file of `tables` (tag and contents, in the order given), its
// head's checksum adjustment made.
std::string sfntOf(std::uint32_t version, std::vector<std::pair<hb_tag_t, std::string>>& tables) {
  std::string out;
  const auto count = static_cast<std::uint32_t>(tables.size());
  std::uint32_t entrySelector = 0;
  while ((2U << entrySelector) <= count) ++entrySelector;
  const std::uint32_t searchRange = 16U << entrySelector;
  put32(out, version);
  put16(out, count);
  put16(out, searchRange);
  put16(out, entrySelector);
  put16(out, count * 16 - searchRange);
  std::size_t offset = 12 + 16 * tables.size();
  std::size_t headAt = 0;
  for (auto& [tag, table] : tables) {
    if (tag == HB_TAG('h', 'e', 'a', 'd') && table.size() >= 12) {
      set16(table, 8, 0);
      set16(table, 10, 0);
      headAt = offset;
    }
    put32(out, tag);
    put32(out, tableChecksum(table));
    put32(out, static_cast<std::uint32_t>(offset));
    put32(out, static_cast<std::uint32_t>(table.size()));
    offset += (table.size() + 3) & ~std::size_t{3};
  }
  for (const auto& [tag, table] : tables) {
    out += table;
    out.append((4 - table.size() % 4) % 4, '\0');
  }
  if (headAt != 0) {
    const std::uint32_t adjustment = 0xB1B0AFBAU - tableChecksum(out);
    set16(out, headAt + 8, adjustment >> 16);
    set16(out, headAt + 10, adjustment & 0xFFFF);
  }
  return out;
}

}  // namespace

std::optional<std::string> withGlyphCopies(std::string_view ttf, std::span<const GlyphCopy> copies) {
  std::vector<std::pair<hb_tag_t, std::string>> tables;
  const std::uint32_t count = read16(ttf, 4);
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::size_t record = 12 + 16 * std::size_t{i};
    const std::size_t offset = read32(ttf, record + 8);
    const std::size_t length = read32(ttf, record + 12);
    if (record + 16 > ttf.size() || offset > ttf.size() || length > ttf.size() - offset) return std::nullopt;
    const hb_tag_t tag = read32(ttf, record);
    if (std::find(kPerGlyphTables.begin(), kPerGlyphTables.end(), tag) != kPerGlyphTables.end()) continue;
    tables.emplace_back(tag, std::string(ttf.substr(offset, length)));
  }
  const auto table = [&](hb_tag_t tag) -> std::string* {
    for (auto& [t, contents] : tables) {
      if (t == tag) return &contents;
    }
    return nullptr;
  };
  std::string* head = table(HB_TAG('h', 'e', 'a', 'd'));
  std::string* maxp = table(HB_TAG('m', 'a', 'x', 'p'));
  std::string* hhea = table(HB_TAG('h', 'h', 'e', 'a'));
  std::string* hmtx = table(HB_TAG('h', 'm', 't', 'x'));
  std::string* loca = table(HB_TAG('l', 'o', 'c', 'a'));
  std::string* glyf = table(HB_TAG('g', 'l', 'y', 'f'));
  if (!head || !maxp || !hhea || !hmtx || !loca || !glyf || head->size() < 54 || maxp->size() < 6 ||
      hhea->size() < 36) {
    return std::nullopt;
  }
  const std::uint32_t glyphs = read16(*maxp, 4);
  const std::uint32_t metrics = read16(*hhea, 34);
  const bool longOffsets = read16(*head, 50) != 0;
  if (glyphs + copies.size() > 0xFFFF || metrics == 0 || metrics > glyphs ||
      hmtx->size() < 4 * std::size_t{metrics} + 2 * std::size_t{glyphs - metrics} ||
      loca->size() < (longOffsets ? 4 : 2) * (std::size_t{glyphs} + 1)) {
    return std::nullopt;
  }
  const auto start = [&](std::uint32_t g) -> std::size_t {
    return longOffsets ? read32(*loca, 4 * std::size_t{g}) : 2 * std::size_t{read16(*loca, 2 * std::size_t{g})};
  };
  // Every glyph's advance and side bearing in full, the copies' after.
  std::string newHmtx;
  std::uint32_t widest = 0;
  // A glyph past the metrics has the last one's advance and a bearing of its own.
  const auto advanceOf = [&](std::uint32_t g) { return read16(*hmtx, 4 * std::size_t{std::min(g, metrics - 1)}); };
  const auto bearingOf = [&](std::uint32_t g) {
    return g < metrics ? read16(*hmtx, 4 * std::size_t{g} + 2)
                       : read16(*hmtx, 4 * std::size_t{metrics} + 2 * std::size_t{g - metrics});
  };
  std::string newGlyf = glyf->substr(0, std::min<std::size_t>(start(glyphs), glyf->size()));
  std::string newLoca;
  for (std::uint32_t g = 0; g <= glyphs; ++g) {
    put32(newLoca, static_cast<std::uint32_t>(std::min<std::size_t>(start(g), newGlyf.size())));
  }
  for (std::uint32_t g = 0; g < glyphs; ++g) {
    put16(newHmtx, advanceOf(g));
    put16(newHmtx, bearingOf(g));
    widest = std::max(widest, advanceOf(g));
  }
  for (const GlyphCopy& copy : copies) {
    if (copy.glyph >= glyphs) return std::nullopt;
    const std::size_t from = start(copy.glyph);
    const std::size_t to = start(copy.glyph + 1U);
    if (from > to || to > glyf->size()) return std::nullopt;
    // A composite of the glyph alone, where it stands: a copy of its
    // outline could take its width from a component (USE_MY_METRICS).
    if (to - from >= 10) {
      put16(newGlyf, 0xFFFF);                 // contours: a composite
      newGlyf.append(*glyf, from + 2, 8);     // the glyph's bounds
      put16(newGlyf, 0x0003);                 // two words, x and y
      put16(newGlyf, copy.glyph);
      put32(newGlyf, 0);
    }
    newGlyf.append(newGlyf.size() % 4 == 0 ? 0 : 4 - newGlyf.size() % 4, '\0');
    put32(newLoca, static_cast<std::uint32_t>(newGlyf.size()));
    put16(newHmtx, copy.advance);
    put16(newHmtx, bearingOf(copy.glyph));
    widest = std::max<std::uint32_t>(widest, copy.advance);
  }
  const auto total = static_cast<std::uint32_t>(glyphs + copies.size());
  set16(*head, 50, 1);  // long offsets
  set16(*maxp, 4, total);
  if (read32(*maxp, 0) == 0x00010000U && maxp->size() >= 32) {  // composites' elements and depth
    set16(*maxp, 28, std::max<std::uint32_t>(read16(*maxp, 28), 1));
    set16(*maxp, 30, read16(*maxp, 30) + 1);
  }
  set16(*hhea, 34, total);
  set16(*hhea, 10, widest);
  *hmtx = std::move(newHmtx);
  *loca = std::move(newLoca);
  *glyf = std::move(newGlyf);
  // Glyph names, in a version 2 table one per glyph: none.
  std::string* post = table(HB_TAG('p', 'o', 's', 't'));
  if (post && post->size() >= 32 && read32(*post, 0) == 0x00020000U) {
    post->resize(32);
    set16(*post, 0, 3);
  }
  return sfntOf(read32(ttf, 0), tables);
}

namespace {

// The codes of `subset` (TrueType) given a box drawn by a copy of their
// glyph whose advance is the box, one copy per glyph and box.
void giveBoxes(const FontFace& face, std::span<const std::uint16_t> boxes, Subset& subset) {
  std::vector<GlyphCopy> copies;
  std::map<std::pair<std::uint16_t, std::uint16_t>, std::size_t> copyOf;
  std::vector<std::pair<std::size_t, std::size_t>> codeCopies;  // code, copy
  for (std::size_t i = 0; i < boxes.size() && i < subset.glyphs.size(); ++i) {
    if (boxes[i] == 0) continue;
    const auto units = static_cast<std::uint16_t>(
        std::min(std::lround(boxes[i] * static_cast<double>(face.unitsPerEm()) / 1000), 65535L));
    const auto [it, added] = copyOf.emplace(std::make_pair(subset.glyphs[i], units), copies.size());
    if (added) copies.push_back({subset.glyphs[i], units});
    codeCopies.emplace_back(i, it->second);
  }
  if (copies.empty()) return;
  const std::size_t glyphs = glyphCount(subset.program);
  std::optional<std::string> copied = withGlyphCopies(subset.program, copies);
  if (!copied) return;  // the codes keep their glyphs, boxes as wide as their advances
  subset.program = *std::move(copied);
  for (const auto& [code, copy] : codeCopies) subset.glyphs[code] = static_cast<std::uint16_t>(glyphs + copy);
  subset.boxed = true;
}

}  // namespace

Subset subsetFace(const FontFace& face, std::span<const std::uint32_t> glyphs,
                  std::span<const std::uint16_t> advances, std::span<const std::uint16_t> boxes) {
  const std::unique_ptr<hb_subset_input_t, InputDeleter> input(hb_subset_input_create_or_fail());
  if (!input) throw FontError("out of memory");
  hb_set_t* keep = hb_subset_input_glyph_set(input.get());
  for (const std::uint32_t g : glyphs) hb_set_add(keep, g);
  hb_set_t* dropped = hb_subset_input_set(input.get(), HB_SUBSET_SETS_DROP_TABLE_TAG);
  for (const hb_tag_t tag : kDroppedTables) hb_set_add(dropped, tag);
  // A name-keyed face's charstrings are flattened, so that a copy can
  // state its own width before any subroutine would.
  const bool nameKeyed = face.outlines() == OutlineFormat::Cff && !face.cidKeyed();
  unsigned flags = HB_SUBSET_FLAGS_NO_HINTING;
  if (nameKeyed) flags |= HB_SUBSET_FLAGS_DESUBROUTINIZE;
  hb_subset_input_set_flags(input.get(), flags);
  const std::unique_ptr<hb_subset_plan_t, PlanDeleter> plan(
      hb_subset_plan_create_or_fail(face.face(), input.get()));
  if (!plan) throw FontError("cannot subset " + printable(face.path()));
  const std::unique_ptr<hb_face_t, FaceDeleter> result(hb_subset_plan_execute_or_fail(plan.get()));
  if (!result) throw FontError("cannot subset " + printable(face.path()));

  Subset subset;
  const hb_map_t* newGlyphs = hb_subset_plan_old_to_new_glyph_mapping(plan.get());
  for (const std::uint32_t g : glyphs) {
    subset.glyphs.push_back(static_cast<std::uint16_t>(hb_map_get(newGlyphs, g)));
  }
  if (nameKeyed) {
    subset.program = cidKeyedCff(result.get(), face, glyphs, advances, subset.glyphs);
  } else if (face.outlines() == OutlineFormat::Cff) {
    subset.program = cffWithCodes(result.get(), subset.glyphs);
  } else {
    const std::unique_ptr<hb_blob_t, BlobDeleter> blob(hb_face_reference_blob(result.get()));
    subset.program = blobBytes(blob.get());
    giveBoxes(face, boxes, subset);
  }
  return subset;
}

}  // namespace kolvo::fonts
