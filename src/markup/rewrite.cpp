// The fast path of the line rewrite.
//
// What it buys over the reference path (every tag row and clean-up through
// replaceTag, rows_in_order.cpp), in CPU time, release
// build, 2.3 GHz Xeon with AVX2. One line (bench/micro_bench.cpp, the seven
// formats' range):
//                          fast path     reference path
//   plain line, 62 bytes   22 ns         2.7-3.1 us
//   3 tags                 80-170 ns     3.3-4.5 us
//   20 tags                1.2-1.7 us    16-19 us
//   1000 prose lines       2300 MB/s     18 MB/s
// The whole program on 100 MB of generated input (bench/make_corpus.cpp),
// HTML, against a build whose rewriteLine ran the reference path:
//   prose                  1000-1200 MB/s  20 MB/s
//   a tag every 3 words    215 MB/s      12 MB/s
// On prose the rest of the program (reading, writing) is now most of the
// time; on the reference path it was the rewrite, 85 replaceTag calls a line.
//
// It gives the bytes and the layout marks of the reference path (proven by
// tests/fast_path_test.cpp and the conversion fuzzer), but skips the work
// that cannot change either:
//
// - One scan of the line says which bytes of interest it holds; a line
//   without any (most prose) only has its final line feed made a blank.
//   Before it, where there is a text step, one check says whether the step
//   has anything to do (text_step_check.cpp); for prose it has not.
// - A call whose tag does not occur in the line returns the line unchanged
//   and has no occurrence effects, so only rows whose tag occurs in the line
//   *as rewritten so far* are run. Every occurrence of a tag starts at a
//   "%", so one scan over the "%" bytes finds the rows with work to do. The
//   percent row inserts a "%", and an empty replacement joins its
//   neighbours; either can form the tag of a later row, so after such a row
//   the line is scanned again. Other texts cannot form a tag, and as tags
//   never overlap, replacing one tag leaves the others where they were.
// - The exception is the PDF measurement: the underline and highlight start
//   rows measure whenever their flag is still set, occurrence or not. When
//   such a row is passed over, the measurement runs on the line as it
//   stands then.
// - A run of rows that can neither form a tag nor change the layout marks is
//   replaced in one pass over the line, with the same bytes as row after
//   row. The other rows go through replaceTagInto one at a time, and while
//   a measurement is pending a pass stops before a measuring row.
// - The clean-ups run as one pass over the line (cleanup_pass.cpp says why
//   that gives the same bytes).
// - Tags are "%" and two letters or digits, so replacing them removes none
//   of the bytes the clean-ups look for: what the line holds afterwards is
//   what it held before plus what the inserted texts hold.

#include "markup/rewrite.hpp"

#include "markup/byte_scan.hpp"
#include "markup/cleanup_pass.hpp"
#include "markup/replace_tag.hpp"
#include "markup/row_set.hpp"
#include "markup/tag_index.hpp"
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

namespace {

// Every tag is "%" and two letters or digits.
constexpr std::size_t kTagLength = 3;

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

// Puts the text of each row of `rows` in place of its tags, in one pass.
// Gives the bytes of those rows run one after another when none of them can
// form a tag: then their tags in the line are exactly those that were there
// at the start, and tags never overlap.
// The runs drawn with fallback fonts (`runs`, or none) move along.
void expandRows(std::string& out, std::string_view line, const RowSet& rows, TagColumn col,
                const TagIndex& index, LineItems* runs) {
  out.clear();
  LineItems::Editor mover(runs);
  std::size_t run = 0;
  std::size_t at = TagIndex::findTag(line, 0);
  while (at != std::string_view::npos) {
    const std::size_t row = index.rowAt(line, at, col);
    if (row == kNoRow || !rows.contains(row)) {
      at = TagIndex::findTag(line, at + 1);
      continue;
    }
    out.append(line, run, at - run);
    out.append(index.text(col, row));
    mover.replaced(at, kTagLength, index.text(col, row).size(), InsertedText::tagRow(row));
    run = at + kTagLength;
    at = TagIndex::findTag(line, run);
  }
  out.append(line, run);
  mover.finish();
}

// One line's way through the tag rows: the rows whose tags occur in it, in
// table order, alone or in batches.
class TagRowPass {
 public:
  // `runs` (or none) are the runs of `line` drawn with fallback fonts.
  TagRowPass(std::string& line, std::string& scratch, Format format, TextMode mode,
             LineMarks& marks, LineItems* runs)
      : index_(tagIndex()), line_(line), scratch_(scratch), format_(format),
        column_(tagColumn(format, mode)), marks_(marks), runs_(runs),
        rows_(index_.rowsIn(line, column_)) {}

  // Returns the byte classes of the texts put into the line (tags themselves
  // hold none of the bytes that the clean-ups or the line ends need); the
  // line is unchanged when no row had work to do.
  unsigned run() {
    while (!rows_.empty()) {
      const std::size_t row = rows_.first();
      measurePassedOver(row);
      if (index_.oneByOne(column_).contains(row)) {
        runAlone(row);
      } else {
        runBatch(row);
      }
    }
    measurePassedOver(kTagRowCount);
    return inserted_;
  }

 private:
  // The PDF measuring rows in [next_, to), passed over because their tag is
  // not in the line, measure all the same.
  void measurePassedOver(std::size_t to) {
    if (format_ != Format::Pdf) return;
    for (std::size_t r : index_.pdfMeasuringRows()) {
      if (r >= next_ && r < to) measurePdfMarks(line_, kTagTable[r].effect, marks_, format_, runs_);
    }
  }

  void runAlone(std::size_t row) {
    const TagRow& tagRow = kTagTable[row];
    replaceTagInto(scratch_, line_, tagRow.tag, index_.text(column_, row), tagRow.effect, marks_,
                   format_, runs_, InsertedText::tagRow(row));
    line_.swap(scratch_);
    inserted_ |= index_.textClasses(column_, row);
    next_ = row + 1;
    if (index_.formsTags(column_, row)) {
      rows_ = index_.rowsIn(line_, column_);
      rows_.dropBelow(next_);
    } else {
      // No tag was made, and none but this row's was taken away: tags
      // cannot overlap, so the other occurrences are all still there.
      rows_.remove(row);
    }
  }

  void runBatch(std::size_t row) {
    const RowSet batch = batchFrom(row);
    expandRows(scratch_, line_, batch, column_, index_, runs_);
    line_.swap(scratch_);
    for (RowSet left = batch; !left.empty(); left.remove(left.first())) {
      inserted_ |= index_.textClasses(column_, left.first());
    }
    next_ = batch.last() + 1;
    rows_ = rows_.without(batch);
  }

  // The rows from `row` up to the next one that must run alone. While a PDF
  // measurement is pending the batch also stops before a measuring row,
  // which must see the line as the rows before it left it. (Only rows that
  // run alone can set the flags.)
  RowSet batchFrom(std::size_t row) const {
    RowSet batch = rows_;
    const RowSet alone = rows_ & index_.oneByOne(column_);
    if (!alone.empty()) batch.dropFrom(alone.first());
    if (format_ == Format::Pdf && (marks_.underline == 1 || marks_.highlight == 1)) {
      for (std::size_t r : index_.pdfMeasuringRows()) {
        if (r > row) {
          batch.dropFrom(r);
          break;
        }
      }
    }
    return batch;
  }

  const TagIndex& index_;
  std::string& line_;
  std::string& scratch_;
  const Format format_;
  const TagColumn column_;
  LineMarks& marks_;
  LineItems* runs_;
  RowSet rows_;           // the rows still to run whose tags are in the line
  std::size_t next_ = 0;  // the rows before this one have had their turn
  unsigned inserted_ = 0;
};

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

}  // namespace

void rewriteTags(std::string& line, std::string& scratch, Format format, LineMarks& marks,
                 TextMode mode, LineItems* runs) {
  // Items that are neither recorded nor there to be moved cost nothing.
  if (runs != nullptr && runs->empty() && !runs->recordsTexts()) runs = nullptr;
  LineScan seen = scanLine(line);
  if (mode == TextMode::Markup && isPaged(format) && (seen.classes & scan::kDelimiter) != 0) {
    escapeInto(scratch, line);
    line.swap(scratch);
  }

  const bool measuring =
      format == Format::Pdf && (marks.underline == 1 || marks.highlight == 1);
  if ((seen.classes & scan::kPercent) != 0 || measuring) {
    const unsigned inserted = TagRowPass(line, scratch, format, mode, marks, runs).run();
    seen.classes |= inserted;
    if ((inserted & scan::kLineEnd) != 0) seen.innerLineEnd = true;
  }

  if ((seen.classes & scan::kCleanup) != 0 &&
      cleanupsInto(scratch, line, format == Format::Latex, runs)) {
    line.swap(scratch);
  }
  // The clean-ups above neither make nor remove line ends, and leave a final
  // one where it was.
  if ((seen.classes & scan::kLineEnd) != 0) blanksForLineEnds(line, seen.innerLineEnd);
}

}  // namespace kolvo
