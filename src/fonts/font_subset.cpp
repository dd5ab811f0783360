#include "fonts/font_subset.hpp"

#include <hb-subset.h>

#include <array>
#include <cmath>
#include <memory>

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

}  // namespace

Subset subsetFace(const FontFace& face, std::span<const std::uint32_t> glyphs,
                  std::span<const std::uint16_t> advances) {
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
  }
  return subset;
}

}  // namespace kolvo::fonts
