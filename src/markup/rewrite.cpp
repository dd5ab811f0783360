#include "markup/rewrite.hpp"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

#include "markup/byte_scan.hpp"
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

// The fast path. It gives the bytes and the layout state of the reference
// path, but skips the work that cannot change either:
//
// - One scan of the line says which bytes of interest it holds; a line
//   without any (most prose) only has its final line feed made a blank.
// - A call whose tag does not occur in the line returns the line unchanged
//   and has no occurrence effects, so only rows whose tag occurs in the line
//   *as rewritten so far* are run. Every occurrence of a tag starts at a
//   "%", so one scan over the "%" bytes finds the rows with work to do. The
//   percent row inserts a "%", and an empty replacement joins its
//   neighbours; either can form the tag of a later row, so after such a row
//   the line is scanned again. Other texts cannot form a tag, and as tags
//   never overlap, replacing one tag leaves the others where they were.
// - The exception is the PDF measurement: the "%hs" and "%us" rows measure
//   whenever their flag is still set, occurrence or not. When such a row is
//   passed over, the measurement runs on the line as it stands then.
// - A run of rows that can neither form a tag nor touch the layout state is
//   replaced in one pass over the line, with the same bytes as row after
//   row. The other rows go through replaceTagInto one at a time, and while
//   a measurement is pending a pass stops before a measuring row.
// - The clean-ups run as one pass over the line. This gives the same bytes
//   as running them one after another because no clean-up can form or
//   break an occurrence of an earlier or later one: " _" only drops an
//   underscore after a blank that stays, "#" and "<c></c>" share no byte
//   with each other or with " _", and the blanks made from carriage returns
//   and line feeds are never followed up by the " _" row, which ran before
//   them. So each test looks at the bytes as they were before the clean-ups.
// - Tags are "%" and two letters or digits, so replacing them removes none
//   of the bytes the clean-ups look for: what the line holds afterwards is
//   what it held before plus what the inserted texts hold.
namespace {

// What a line holds. A line from the reader has its one line feed as its
// last byte, which is worth knowing apart from line ends inside it.
struct LineScan {
  unsigned classes = 0;
  bool innerLineEnd = false;  // a carriage return or line feed before the last byte
};

LineScan scanLine(std::string_view line) {
  LineScan seen;
  if (line.empty()) return seen;
  const unsigned inner = scan::classify(line.substr(0, line.size() - 1));
  seen.classes = inner | scan::kByteClasses[static_cast<unsigned char>(line.back())];
  seen.innerLineEnd = (inner & scan::kLineEnd) != 0;
  return seen;
}

// A set of tag rows, by position in the table.
class RowSet {
 public:
  void add(std::size_t row) { bits_[row / 64] |= std::uint64_t{1} << (row % 64); }
  void remove(std::size_t row) { bits_[row / 64] &= ~(std::uint64_t{1} << (row % 64)); }
  bool empty() const { return (bits_[0] | bits_[1]) == 0; }
  bool contains(std::size_t row) const { return (bits_[row / 64] >> (row % 64) & 1) != 0; }
  bool intersects(const RowSet& other) const { return !(*this & other).empty(); }
  RowSet operator&(const RowSet& other) const {
    RowSet both;
    for (std::size_t w = 0; w < bits_.size(); ++w) both.bits_[w] = bits_[w] & other.bits_[w];
    return both;
  }
  RowSet without(const RowSet& other) const {
    RowSet rest;
    for (std::size_t w = 0; w < bits_.size(); ++w) rest.bits_[w] = bits_[w] & ~other.bits_[w];
    return rest;
  }
  // The lowest and the highest row in the set; the set must not be empty.
  std::size_t first() const {
    return bits_[0] != 0 ? static_cast<std::size_t>(std::countr_zero(bits_[0]))
                         : 64 + static_cast<std::size_t>(std::countr_zero(bits_[1]));
  }
  std::size_t last() const {
    return bits_[1] != 0 ? 127 - static_cast<std::size_t>(std::countl_zero(bits_[1]))
                         : 63 - static_cast<std::size_t>(std::countl_zero(bits_[0]));
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
  // Keeps only the rows before `to`.
  void dropFrom(std::size_t to) {
    for (std::size_t word = 0; word < bits_.size(); ++word) {
      const std::size_t low = word * 64;
      if (to <= low) {
        bits_[word] = 0;
      } else if (to < low + 64) {
        bits_[word] &= ~(~std::uint64_t{0} << (to - low));
      }
    }
  }

 private:
  std::array<std::uint64_t, 2> bits_{};
};

static_assert(kTagRowCount <= 128, "a RowSet holds 128 rows");
static_assert(kTagRowCount < 255, "row numbers are kept in a byte");

constexpr std::size_t kNoRow = kTagRowCount;

constexpr bool isTagByte(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// Per format: which row a "%" and the two bytes after it begin, the rows'
// texts, and what each row can do besides putting its text in place.
class TagIndex {
 public:
  TagIndex() {
    std::array<bool, 256> tagByte{};
    for (std::size_t r = 0; r < kTagTable.size(); ++r) {
      const std::string_view tag = kTagTable[r].tag;
      // The shortcuts rely on every tag being "%" and two letters or digits,
      // each tag once: then no two occurrences of tags can overlap, and no
      // tag holds a byte that a clean-up looks for. A table that broke this
      // would be served by the reference path.
      if (tag.size() != 3 || tag[0] != '%' || !isTagByte(tag[1]) || !isTagByte(tag[2]) ||
          rowPlusOne_[key(tag[1], tag[2])] != 0) {
        usable_ = false;
        return;
      }
      rowPlusOne_[key(tag[1], tag[2])] = static_cast<std::uint8_t>(r + 1);
      tagByte[static_cast<unsigned char>(tag[1])] = true;
      tagByte[static_cast<unsigned char>(tag[2])] = true;
    }
    for (std::size_t r = 0; r < kTagTable.size(); ++r) {
      const std::string_view tag = kTagTable[r].tag;
      for (Format f : kAllFormats) {
        const Replacement text = kTagTable[r].replacement(f);
        if (!text) continue;
        Column& c = columns_[column(f)];
        c.active.add(r);
        c.text[r] = *text;
        c.textClasses[r] = static_cast<unsigned char>(scan::classify(*text));
        // A new tag can only come from a "%" in the text, from a "%" before
        // the text that the text's first byte completes, or from a join
        // where the text is empty.
        const bool formsTags = text->empty() || text->find('%') != std::string_view::npos ||
                               tagByte[static_cast<unsigned char>(text->front())];
        if (formsTags) c.formsTags.add(r);
        if (formsTags || patternHasEffects(tag)) c.oneByOne.add(r);
      }
      if (patternMeasures(tag) && columns_[column(Format::Pdf)].active.contains(r)) {
        pdfMeasuring_.push_back(r);
      }
    }
  }

  bool usable() const { return usable_; }

  // The rows that apply to `f` and whose tag occurs in `line`.
  RowSet rowsIn(std::string_view line, Format f) const {
    RowSet rows;
    for (std::size_t at = findTag(line, 0); at != std::string_view::npos;
         at = findTag(line, at + 1)) {
      const std::size_t row = rowAt(line, at, f);
      if (row != kNoRow) rows.add(row);
    }
    return rows;
  }

  // The row of `f` whose tag begins at `at` (a "%" with two bytes after it),
  // or kNoRow.
  std::size_t rowAt(std::string_view line, std::size_t at, Format f) const {
    const std::uint8_t plusOne = rowPlusOne_[key(line[at + 1], line[at + 2])];
    if (plusOne == 0) return kNoRow;
    const std::size_t row = plusOne - 1u;
    return columns_[column(f)].active.contains(row) ? row : kNoRow;
  }

  // The next "%" at `from` or later that has two bytes after it, or npos.
  static std::size_t findTag(std::string_view line, std::size_t from) {
    if (line.size() < 3 || from > line.size() - 3) return std::string_view::npos;
    const void* hit = std::memchr(line.data() + from, '%', line.size() - 2 - from);
    return hit == nullptr ? std::string_view::npos
                          : static_cast<std::size_t>(static_cast<const char*>(hit) - line.data());
  }

  std::string_view text(Format f, std::size_t row) const { return columns_[column(f)].text[row]; }
  unsigned textClasses(Format f, std::size_t row) const {
    return columns_[column(f)].textClasses[row];
  }
  bool formsTags(Format f, std::size_t row) const {
    return columns_[column(f)].formsTags.contains(row);
  }
  // The rows that must run one at a time, in order: those that can form a
  // tag and those that touch the layout state.
  const RowSet& oneByOne(Format f) const { return columns_[column(f)].oneByOne; }

  // The PDF rows whose call measures even when it replaces nothing ("%hs"
  // and "%us"), in table order.
  const std::vector<std::size_t>& pdfMeasuringRows() const { return pdfMeasuring_; }

 private:
  struct Column {
    RowSet active;
    RowSet formsTags;
    RowSet oneByOne;
    std::array<std::string_view, kTagRowCount> text{};
    std::array<unsigned char, kTagRowCount> textClasses{};
  };

  static std::size_t key(char second, char third) {
    return static_cast<std::size_t>(static_cast<unsigned char>(second)) << 8 |
           static_cast<unsigned char>(third);
  }

  std::array<std::uint8_t, std::size_t{256} * 256> rowPlusOne_{};
  std::array<Column, kFormatCount> columns_{};
  std::vector<std::size_t> pdfMeasuring_;
  bool usable_ = true;
};

const TagIndex& tagIndex() {
  static const TagIndex index;
  return index;
}

// Puts the text of each row of `rows` in place of its tags, in one pass.
// Gives the bytes of those rows run one after another when none of them can
// form a tag: then their tags in the line are exactly those that were there
// at the start, and tags never overlap.
void expandRows(std::string& out, std::string_view line, const RowSet& rows, Format format,
                const TagIndex& index) {
  out.clear();
  std::size_t run = 0;
  std::size_t at = TagIndex::findTag(line, 0);
  while (at != std::string_view::npos) {
    const std::size_t row = index.rowAt(line, at, format);
    if (row == kNoRow || !rows.contains(row)) {
      at = TagIndex::findTag(line, at + 1);
      continue;
    }
    out.append(line, run, at - run);
    out.append(index.text(format, row));
    run = at + 3;
    at = TagIndex::findTag(line, run);
  }
  out.append(line, run);
}

// Runs the tag rows. Returns the byte classes of the texts put into the
// line (tags themselves hold none of the bytes that the clean-ups or the
// line ends need); the line is unchanged when no row had work to do.
unsigned applyTagRows(std::string& line, std::string& scratch, Format format,
                      LayoutState& state) {
  const TagIndex& index = tagIndex();
  const bool pdf = format == Format::Pdf;
  // The PDF rows passed over in [from, to) that would still have measured.
  auto measureSkipped = [&](std::size_t from, std::size_t to) {
    for (std::size_t r : index.pdfMeasuringRows()) {
      if (r >= from && r < to) measurePdfMarks(line, kTagTable[r].tag, state, format);
    }
  };

  RowSet rows = index.rowsIn(line, format);
  unsigned inserted = 0;
  std::size_t from = 0;
  while (!rows.empty()) {
    const std::size_t row = rows.first();
    if (pdf) measureSkipped(from, row);

    if (index.oneByOne(format).contains(row)) {
      replaceTagInto(scratch, line, kTagTable[row].tag, index.text(format, row), state, format);
      line.swap(scratch);
      inserted |= index.textClasses(format, row);
      from = row + 1;
      if (index.formsTags(format, row)) {
        rows = index.rowsIn(line, format);
        rows.dropBelow(from);
      } else {
        // No tag was made, and none but this row's was taken away: tags
        // cannot overlap, so the other occurrences are all still there.
        rows.remove(row);
      }
      continue;
    }

    // The rows from here up to the next one that must run alone go in one
    // pass. While a PDF measurement is pending the pass also stops before
    // a measuring row, which must see the line as the rows before it left
    // it. (Only rows that run alone can set the flags.)
    RowSet batch = rows;
    const RowSet alone = rows & index.oneByOne(format);
    if (!alone.empty()) batch.dropFrom(alone.first());
    if (pdf && (state.underline == 1 || state.highlight == 1)) {
      for (std::size_t r : index.pdfMeasuringRows()) {
        if (r > row) {
          batch.dropFrom(r);
          break;
        }
      }
    }
    expandRows(scratch, line, batch, format, index);
    line.swap(scratch);
    for (RowSet left = batch; !left.empty(); left.remove(left.first())) {
      inserted |= index.textClasses(format, left.first());
    }
    from = batch.last() + 1;
    rows = rows.without(batch);
  }
  if (pdf) measureSkipped(from, kTagRowCount);
  return inserted;
}

void escapeInto(std::string& out, std::string_view text) {
  out.clear();
  out.reserve(2 * text.size());
  std::size_t run = 0;
  for (std::size_t i = scan::findAnyOf(text, 0, '\\', '(', ')'); i != std::string_view::npos;
       i = scan::findAnyOf(text, i + 1, '\\', '(', ')')) {
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
// so an underscore after a blank always matches " _". Returns false, and
// leaves `out` alone, when nothing matches: then the line stays as it is.
bool cleanupsInto(std::string& out, std::string_view text, bool latex) {
  // Outside LaTeX a hash sign needs nothing: look for "_" in its place.
  const char hash = latex ? '#' : '_';
  bool matched = false;
  std::size_t run = 0;
  // Copies what comes before a match, starting the output at the first.
  auto upTo = [&](std::size_t end) {
    if (!matched) {
      out.clear();
      matched = true;
    }
    out.append(text, run, end - run);
  };
  for (std::size_t i = scan::findAnyOf(text, 0, '_', hash, '<'); i != std::string_view::npos;
       i = scan::findAnyOf(text, i, '_', hash, '<')) {
    const char c = text[i];
    if (c == '_') {
      if (i > 0 && text[i - 1] == ' ') {
        upTo(i);  // the blank stays, the mark goes
        run = i + 1;
      }
      ++i;
    } else if (c == '#') {
      upTo(i);
      out.push_back('\\');
      run = i;  // the hash sign goes with the next run
      ++i;
    } else if (text.substr(i, kEmptyRun.size()) == kEmptyRun) {
      upTo(i);
      out.append(kFilledRun);
      i += kEmptyRun.size();
      run = i;
    } else {
      ++i;
    }
  }
  if (matched) out.append(text, run);
  return matched;
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

  LineScan seen = scanLine(line);
  if (isPaged(format) && (seen.classes & scan::kDelimiter) != 0) {
    escapeInto(scratch, line);
    line.swap(scratch);
  }

  const bool measuring =
      format == Format::Pdf && (state.underline == 1 || state.highlight == 1);
  if ((seen.classes & scan::kPercent) != 0 || measuring) {
    const unsigned inserted = applyTagRows(line, scratch, format, state);
    seen.classes |= inserted;
    if ((inserted & scan::kLineEnd) != 0) seen.innerLineEnd = true;
  }

  if ((seen.classes & scan::kCleanup) != 0 && cleanupsInto(scratch, line, format == Format::Latex)) {
    line.swap(scratch);
  }
  // The clean-ups above neither make nor remove line ends, and leave a final
  // one where it was.
  if ((seen.classes & scan::kLineEnd) != 0) {
    if (seen.innerLineEnd) {
      blanksForLineEnds(line);
    } else {
      line.back() = ' ';
    }
  }
}

}  // namespace kolvo
