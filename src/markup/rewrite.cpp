#include "markup/rewrite.hpp"

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

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
//   *as rewritten so far* are called. (The percent row inserts a "%", and an
//   empty replacement joins its neighbours; either can form the tag of a
//   later row.) Every occurrence of a tag starts at a "%", so one scan over
//   the "%" bytes finds the next row that has work to do.
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

unsigned classify(std::string_view text) {
  unsigned classes = 0;
  for (char c : text) classes |= kByteClasses[static_cast<unsigned char>(c)];
  return classes;
}

constexpr std::size_t kNoRow = kTagRowCount;

// Finds the tag row of a "%" and the two bytes after it, and which rows
// each format applies.
class TagIndex {
 public:
  TagIndex() {
    for (std::size_t r = 0; r < kTagTable.size(); ++r) {
      const std::string_view tag = kTagTable[r].tag;
      // Everything below relies on tags being "%" and two more bytes. A table
      // that broke that rule would be served by the reference path.
      if (tag.size() != 3 || tag[0] != '%' || rowOf(tag[1], tag[2]) != kNoRow) {
        usable_ = false;
        return;
      }
      rowPlusOne_[key(tag[1], tag[2])] = static_cast<std::uint8_t>(r + 1);
      for (Format f : kAllFormats) {
        if (kTagTable[r].replacement(f)) active_[column(f)][r] = true;
      }
      const bool measures = (tag[1] == 'u' || tag[1] == 'h') && tag[2] == 's';
      if (measures && active(Format::Pdf, r)) pdfMeasuring_.push_back(r);
    }
  }

  bool usable() const { return usable_; }

  std::size_t rowOf(char second, char third) const {
    const std::uint8_t plusOne = rowPlusOne_[key(second, third)];
    return plusOne == 0 ? kNoRow : plusOne - 1u;
  }

  bool active(Format f, std::size_t row) const { return active_[column(f)][row]; }

  // The PDF rows whose call measures even when it replaces nothing ("%hs"
  // and "%us"), in table order.
  const std::vector<std::size_t>& pdfMeasuringRows() const { return pdfMeasuring_; }

  // The first row at position `from` or later that applies to `f` and whose
  // tag occurs in `line`, or kNoRow.
  std::size_t nextRow(std::string_view line, std::size_t from, Format f) const {
    std::size_t best = kNoRow;
    const char* p = line.data();
    const char* const end = p + line.size();
    while (end - p >= 3) {
      p = static_cast<const char*>(std::memchr(p, '%', static_cast<std::size_t>(end - p - 2)));
      if (p == nullptr) break;
      const std::size_t row = rowOf(p[1], p[2]);
      if (row < best && row >= from && active(f, row)) best = row;
      ++p;
    }
    return best;
  }

 private:
  static std::size_t key(char second, char third) {
    return static_cast<std::size_t>(static_cast<unsigned char>(second)) << 8 |
           static_cast<unsigned char>(third);
  }

  std::array<std::uint8_t, 256 * 256> rowPlusOne_{};
  std::array<std::array<bool, kTagRowCount>, kFormatCount> active_{};
  std::vector<std::size_t> pdfMeasuring_;
  bool usable_ = true;
};

static_assert(kTagRowCount < 255, "row numbers are kept in a byte");

const TagIndex& tagIndex() {
  static const TagIndex index;
  return index;
}

// Runs the tag rows; returns whether the line changed.
bool applyTagRows(std::string& line, std::string& scratch, Format format, LayoutState& state) {
  const TagIndex& index = tagIndex();
  const bool pdf = format == Format::Pdf;
  bool changed = false;
  std::size_t from = 0;
  for (;;) {
    const std::size_t row = index.nextRow(line, from, format);
    if (pdf) {
      // Rows passed over without a call that would still have measured.
      for (std::size_t r : index.pdfMeasuringRows()) {
        if (r >= from && r < row) measurePdfMarks(line, kTagTable[r].tag, state, format);
      }
    }
    if (row == kNoRow) return changed;
    const TagRow& tagRow = kTagTable[row];
    replaceTagInto(scratch, line, tagRow.tag, *tagRow.replacement(format), state, format);
    line.swap(scratch);
    changed = true;
    from = row + 1;
  }
}

void escapeInto(std::string& out, std::string_view text) {
  out.clear();
  out.reserve(2 * text.size());
  std::size_t run = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (kByteClasses[static_cast<unsigned char>(text[i])] != kDelimiter) continue;
    out.append(text, run, i - run);
    out.push_back('\\');
    run = i;  // the delimiter itself goes with the next run
  }
  out.append(text, run);
}

constexpr std::string_view kEmptyRun = "<c></c>";
constexpr std::string_view kFilledRun = "<c> </c>";

// Clean-ups " _", "#" (LaTeX) and "<c></c>" in one pass; line ends are left
// for blanksForLineEnds.
void cleanupsInto(std::string& out, std::string_view text, bool latex) {
  out.clear();
  out.reserve(2 * text.size());
  std::size_t run = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if ((kByteClasses[static_cast<unsigned char>(c)] & kCleanup) == 0 && c != ' ') {
      ++i;
    } else if (c == ' ' && i + 1 < text.size() && text[i + 1] == '_') {
      out.append(text, run, i + 1 - run);  // keep the blank, drop the mark
      i += 2;
      run = i;
    } else if (c == '#' && latex) {
      out.append(text, run, i - run);
      out.push_back('\\');
      run = i;  // the hash sign goes with the next run
      ++i;
    } else if (c == '<' && text.substr(i, kEmptyRun.size()) == kEmptyRun) {
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

  unsigned classes = classify(line);
  if (isPaged(format) && (classes & kDelimiter) != 0) {
    escapeInto(scratch, line);
    line.swap(scratch);
  }

  const bool measuring =
      format == Format::Pdf && (state.underline == 1 || state.highlight1 == 1);
  if ((classes & kPercent) != 0 || measuring) {
    if (applyTagRows(line, scratch, format, state)) classes = classify(line);
  }

  if ((classes & kCleanup) != 0) {
    cleanupsInto(scratch, line, format == Format::Latex);
    line.swap(scratch);
  }
  if ((classes & kLineEnd) != 0) blanksForLineEnds(line);
}

}  // namespace kolvo
