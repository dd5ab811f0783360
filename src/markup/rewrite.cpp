#include "markup/rewrite.hpp"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// The fast path. It makes exactly the replaceTag calls of the reference
// path that can change the line or the layout state, and does the rest
// without a call:
//
// - A call whose tag does not occur in the line returns the line unchanged
//   and has no occurrence effects, so only rows whose tag occurs in the line
//   *as rewritten so far* are called. Every occurrence of a tag starts at a
//   "%", so one scan over the "%" bytes finds the rows with work to do. The
//   percent row inserts a "%", and an empty replacement joins its
//   neighbours; either can form the tag of a later row, so after such a row
//   the line is scanned again. Other texts cannot form a tag, and as tags
//   never overlap, replacing one tag leaves the others where they were.
// - The exception is the PDF measurement: the "%hs" and "%us" rows measure
//   whenever their flag is still set, occurrence or not. When such a row is
//   passed over, the measurement runs on the line as it stands.
// - The clean-ups run as one pass over the line. This gives the same bytes
//   as running them one after another because no clean-up can form or
//   break an occurrence of an earlier or later one: " _" only drops an
//   underscore after a blank that stays, "#" and "<c></c>" share no byte
//   with each other or with " _", and the blanks made from carriage returns
//   and line feeds are never followed up by the " _" row, which ran before
//   them. Every test below looks at the bytes of the line as it was before
//   the clean-ups, which is exactly that order.
namespace {

// What a byte asks of the rewrite.
enum ByteClass : unsigned char {
  kPercent = 1,    // "%": may start a tag
  kDelimiter = 2,  // "\", "(" or ")": escaped in PostScript and PDF strings
  kCleanup = 4,    // "_", "#", "<": may take part in a clean-up pattern
  kLineEnd = 8,    // carriage return or line feed: becomes a blank
};

constexpr std::array<unsigned char, 256> makeByteClasses() {
  std::array<unsigned char, 256> classes{};
  classes[static_cast<unsigned char>('%')] = kPercent;
  classes[static_cast<unsigned char>('\\')] = kDelimiter;
  classes[static_cast<unsigned char>('(')] = kDelimiter;
  classes[static_cast<unsigned char>(')')] = kDelimiter;
  classes[static_cast<unsigned char>('_')] = kCleanup;
  classes[static_cast<unsigned char>('#')] = kCleanup;
  classes[static_cast<unsigned char>('<')] = kCleanup;
  classes[static_cast<unsigned char>('\r')] = kLineEnd;
  classes[static_cast<unsigned char>('\n')] = kLineEnd;
  return classes;
}

constexpr std::array<unsigned char, 256> kByteClasses = makeByteClasses();

unsigned classifyBytes(const char* text, std::size_t size) {
#if defined(__SSE2__)
  // Sixteen bytes at a time; the last block overlaps the one before it
  // rather than leaving a tail. Most lines hold nothing of interest, so
  // this is nearly all the work a plain line costs.
  if (size >= 16) {
    const __m128i percent = _mm_set1_epi8('%');
    const __m128i backslash = _mm_set1_epi8('\\');
    const __m128i one = _mm_set1_epi8(1);
    const __m128i parenthesis = _mm_set1_epi8(')');  // "(" is ")" less one
    const __m128i underscore = _mm_set1_epi8('_');
    const __m128i hash = _mm_set1_epi8('#');
    const __m128i less = _mm_set1_epi8('<');
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    __m128i seenPercent = _mm_setzero_si128();
    __m128i seenDelimiter = _mm_setzero_si128();
    __m128i seenCleanup = _mm_setzero_si128();
    __m128i seenLineEnd = _mm_setzero_si128();
    auto look = [&](const char* at) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
      seenPercent = _mm_or_si128(seenPercent, _mm_cmpeq_epi8(v, percent));
      seenDelimiter = _mm_or_si128(
          seenDelimiter, _mm_or_si128(_mm_cmpeq_epi8(v, backslash),
                                      _mm_cmpeq_epi8(_mm_or_si128(v, one), parenthesis)));
      seenCleanup = _mm_or_si128(
          seenCleanup, _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, underscore),
                                                 _mm_cmpeq_epi8(v, hash)),
                                    _mm_cmpeq_epi8(v, less)));
      seenLineEnd = _mm_or_si128(seenLineEnd,
                                 _mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf)));
    };
    std::size_t i = 0;
    for (; i + 16 <= size; i += 16) look(text + i);
    if (i < size) look(text + size - 16);
    unsigned classes = 0;
    if (_mm_movemask_epi8(seenPercent) != 0) classes |= kPercent;
    if (_mm_movemask_epi8(seenDelimiter) != 0) classes |= kDelimiter;
    if (_mm_movemask_epi8(seenCleanup) != 0) classes |= kCleanup;
    if (_mm_movemask_epi8(seenLineEnd) != 0) classes |= kLineEnd;
    return classes;
  }
#endif
  unsigned classes = 0;
  for (std::size_t i = 0; i < size; ++i) classes |= kByteClasses[static_cast<unsigned char>(text[i])];
  return classes;
}

// What a line holds. A line from the reader has its one line feed as its
// last byte, which is worth knowing apart from line ends inside it.
struct LineScan {
  unsigned classes = 0;
  bool innerLineEnd = false;  // a carriage return or line feed before the last byte
};

LineScan scanLine(std::string_view line) {
  LineScan scan;
  if (line.empty()) return scan;
  const unsigned inner = classifyBytes(line.data(), line.size() - 1);
  scan.classes = inner | kByteClasses[static_cast<unsigned char>(line.back())];
  scan.innerLineEnd = (inner & kLineEnd) != 0;
  return scan;
}

// A set of tag rows, by position in the table.
class RowSet {
 public:
  void add(std::size_t row) { bits_[row / 64] |= std::uint64_t{1} << (row % 64); }
  void remove(std::size_t row) { bits_[row / 64] &= ~(std::uint64_t{1} << (row % 64)); }
  bool empty() const { return (bits_[0] | bits_[1]) == 0; }
  // The lowest row in the set; the set must not be empty.
  std::size_t first() const {
    return bits_[0] != 0 ? static_cast<std::size_t>(std::countr_zero(bits_[0]))
                         : 64 + static_cast<std::size_t>(std::countr_zero(bits_[1]));
  }
  // Keeps only the rows at `from` and later.
  void dropBelow(std::size_t from) {
    for (std::size_t word = 0; word < bits_.size(); ++word) {
      const std::size_t low = word * 64;
      if (from >= low + 64) {
        bits_[word] = 0;
      } else if (from > low) {
        bits_[word] &= ~std::uint64_t{0} << (from - low);
      }
    }
  }

 private:
  std::array<std::uint64_t, 2> bits_{};
};

static_assert(kTagRowCount <= 128, "a RowSet holds 128 rows");
static_assert(kTagRowCount < 255, "row numbers are kept in a byte");

// Finds the tag row of a "%" and the two bytes after it, and knows per
// format which rows apply and which can bring a new tag into the line.
class TagIndex {
 public:
  TagIndex() {
    std::array<bool, 256> tagByte{};
    for (std::size_t r = 0; r < kTagTable.size(); ++r) {
      const std::string_view tag = kTagTable[r].tag;
      // The shortcuts rely on tags being "%" and two bytes other than "%"
      // (so that no two occurrences of tags can overlap), each tag once.
      // A table that broke this would be served by the reference path.
      if (tag.size() != 3 || tag[0] != '%' || tag[1] == '%' || tag[2] == '%' ||
          rowPlusOne_[key(tag[1], tag[2])] != 0) {
        usable_ = false;
        return;
      }
      rowPlusOne_[key(tag[1], tag[2])] = static_cast<std::uint8_t>(r + 1);
      tagByte[static_cast<unsigned char>(tag[1])] = true;
      tagByte[static_cast<unsigned char>(tag[2])] = true;
    }
    for (std::size_t r = 0; r < kTagTable.size(); ++r) {
      for (Format f : kAllFormats) {
        const Replacement text = kTagTable[r].replacement(f);
        if (!text) continue;
        active_[column(f)][r] = true;
        // A new tag can only come from a "%" in the text, from a "%" before
        // the text that the text's first byte completes, or from a join
        // where the text is empty.
        formsTags_[column(f)][r] = text->empty() || text->find('%') != std::string_view::npos ||
                                   tagByte[static_cast<unsigned char>(text->front())];
      }
      const std::string_view tag = kTagTable[r].tag;
      const bool measures = (tag[1] == 'u' || tag[1] == 'h') && tag[2] == 's';
      if (measures && active_[column(Format::Pdf)][r]) pdfMeasuring_.push_back(r);
    }
  }

  bool usable() const { return usable_; }

  // Whether replacing the row's tag in `f` can make a tag that was not in
  // the line before.
  bool formsTags(Format f, std::size_t row) const { return formsTags_[column(f)][row]; }

  // The PDF rows whose call measures even when it replaces nothing ("%hs"
  // and "%us"), in table order.
  const std::vector<std::size_t>& pdfMeasuringRows() const { return pdfMeasuring_; }

  // The rows that apply to `f` and whose tag occurs in `line`.
  RowSet rowsIn(std::string_view line, Format f) const {
    RowSet rows;
    const char* p = line.data();
    const char* const end = p + line.size();
    while (end - p >= 3) {
      p = static_cast<const char*>(std::memchr(p, '%', static_cast<std::size_t>(end - p - 2)));
      if (p == nullptr) break;
      const std::uint8_t plusOne = rowPlusOne_[key(p[1], p[2])];
      if (plusOne != 0 && active_[column(f)][plusOne - 1u]) rows.add(plusOne - 1u);
      ++p;
    }
    return rows;
  }

 private:
  static std::size_t key(char second, char third) {
    return static_cast<std::size_t>(static_cast<unsigned char>(second)) << 8 |
           static_cast<unsigned char>(third);
  }

  std::array<std::uint8_t, 256 * 256> rowPlusOne_{};
  std::array<std::array<bool, kTagRowCount>, kFormatCount> active_{};
  std::array<std::array<bool, kTagRowCount>, kFormatCount> formsTags_{};
  std::vector<std::size_t> pdfMeasuring_;
  bool usable_ = true;
};

const TagIndex& tagIndex() {
  static const TagIndex index;
  return index;
}

// Runs the tag rows; returns whether the line changed.
bool applyTagRows(std::string& line, std::string& scratch, Format format, LayoutState& state) {
  const TagIndex& index = tagIndex();
  // The PDF rows passed over in [from, to) that would still have measured.
  auto measureSkipped = [&](std::size_t from, std::size_t to) {
    for (std::size_t r : index.pdfMeasuringRows()) {
      if (r >= from && r < to) measurePdfMarks(line, kTagTable[r].tag, state, format);
    }
  };
  const bool pdf = format == Format::Pdf;
  RowSet rows = index.rowsIn(line, format);
  bool changed = false;
  std::size_t from = 0;
  while (!rows.empty()) {
    const std::size_t row = rows.first();
    if (pdf) measureSkipped(from, row);
    const TagRow& tagRow = kTagTable[row];
    replaceTagInto(scratch, line, tagRow.tag, *tagRow.replacement(format), state, format);
    line.swap(scratch);
    changed = true;
    from = row + 1;
    if (index.formsTags(format, row)) {
      rows = index.rowsIn(line, format);
      rows.dropBelow(from);
    } else {
      // No tag was made, and none but this row's was taken away: tags
      // cannot overlap, so the other occurrences are all still there.
      rows.remove(row);
    }
  }
  if (pdf) measureSkipped(from, kTagRowCount);
  return changed;
}

// The first byte at `from` or later that is `a`, `b` or `c`, or npos.
std::size_t findAnyOf(std::string_view text, std::size_t from, char a, char b, char c) {
  std::size_t i = from;
#if defined(__SSE2__)
  const __m128i va = _mm_set1_epi8(a);
  const __m128i vb = _mm_set1_epi8(b);
  const __m128i vc = _mm_set1_epi8(c);
  for (; i + 16 <= text.size(); i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
    const __m128i hits = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, va), _mm_cmpeq_epi8(v, vb)),
                                      _mm_cmpeq_epi8(v, vc));
    const auto mask = static_cast<unsigned>(_mm_movemask_epi8(hits));
    if (mask != 0) return i + static_cast<std::size_t>(std::countr_zero(mask));
  }
#endif
  for (; i < text.size(); ++i) {
    if (text[i] == a || text[i] == b || text[i] == c) return i;
  }
  return std::string_view::npos;
}

void escapeInto(std::string& out, std::string_view text) {
  out.clear();
  out.reserve(2 * text.size());
  std::size_t run = 0;
  for (std::size_t i = findAnyOf(text, 0, '\\', '(', ')'); i != std::string_view::npos;
       i = findAnyOf(text, i + 1, '\\', '(', ')')) {
    out.append(text, run, i - run);
    out.push_back('\\');
    run = i;  // the delimiter itself goes with the next run
  }
  out.append(text, run);
}

constexpr std::string_view kEmptyRun = "<c></c>";
constexpr std::string_view kFilledRun = "<c> </c>";

// Clean-ups " _", "#" (LaTeX) and "<c></c>" in one pass; line ends are left
// for blanksForLineEnds. Each match is found from the byte that cannot be
// missing from it ("_", "#", "<"); a blank is never part of an earlier match,
// so an underscore after a blank always matches " _".
void cleanupsInto(std::string& out, std::string_view text, bool latex) {
  out.clear();
  out.reserve(2 * text.size());
  // Outside LaTeX a hash sign needs nothing: look for "_" in its place.
  const char hash = latex ? '#' : '_';
  std::size_t run = 0;
  for (std::size_t i = findAnyOf(text, 0, '_', hash, '<'); i != std::string_view::npos;
       i = findAnyOf(text, i, '_', hash, '<')) {
    const char c = text[i];
    if (c == '_') {
      if (i > 0 && text[i - 1] == ' ') {
        out.append(text, run, i - run);  // the blank stays, the mark goes
        run = i + 1;
      }
      ++i;
    } else if (c == '#') {
      out.append(text, run, i - run);
      out.push_back('\\');
      run = i;  // the hash sign goes with the next run
      ++i;
    } else if (text.substr(i, kEmptyRun.size()) == kEmptyRun) {
      out.append(text, run, i - run);
      out.append(kFilledRun);
      i += kEmptyRun.size();
      run = i;
    } else {
      ++i;
    }
  }
  out.append(text, run);
}

void blanksForLineEnds(std::string& line) {
  for (char& c : line) {
    if (c == '\r' || c == '\n') c = ' ';
  }
}

}  // namespace

void rewriteLine(std::string& line, std::string& scratch, Format format, LayoutState& state) {
  if (!tagIndex().usable()) {
    rewriteLineReference(line, format, state);
    return;
  }

  LineScan scan = scanLine(line);
  if (isPaged(format) && (scan.classes & kDelimiter) != 0) {
    escapeInto(scratch, line);
    line.swap(scratch);
  }

  const bool measuring =
      format == Format::Pdf && (state.underline == 1 || state.highlight1 == 1);
  if ((scan.classes & kPercent) != 0 || measuring) {
    if (applyTagRows(line, scratch, format, state)) scan = scanLine(line);
  }

  if ((scan.classes & kCleanup) != 0) {
    cleanupsInto(scratch, line, format == Format::Latex);
    line.swap(scratch);
  }
  // The clean-ups above neither make nor remove line ends, and leave a final
  // one where it was.
  if ((scan.classes & kLineEnd) != 0) {
    if (scan.innerLineEnd) {
      blanksForLineEnds(line);
    } else {
      line.back() = ' ';
    }
  }
}

}  // namespace kolvo
