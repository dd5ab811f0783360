#include "markup/cleanup_pass.hpp"

#include "markup/byte_scan.hpp"
#include "markup/cleanups.hpp"

namespace kolvo {
namespace {

// The clean-up rows by what they do. One pass gives the bytes of the rows run
// one after another because no clean-up can form or break an occurrence of
// an earlier or later one: " _" only drops an underscore after a blank that
// stays, "#" and "<c></c>" share no byte with each other or with " _", and
// the blanks made from carriage returns and line feeds come last, so the
// " _" row never sees them. So each test can look at the bytes as they were
// before the clean-ups. The asserts pin what that reasoning and the code
// below rely on: change the list and they stop the build until both are
// looked at again.
constexpr const CleanupRow& kDropMark = kCleanups[0];
constexpr const CleanupRow& kEscapeHash = kCleanups[1];
constexpr const CleanupRow& kFillEmptyRun = kCleanups[2];
constexpr const CleanupRow& kCarriageReturn = kCleanups[3];
constexpr const CleanupRow& kLineFeed = kCleanups[4];

static_assert(kCleanups.size() == 5, "the one pass knows five clean-ups");
static_assert(kDropMark.pattern == " _" && kDropMark.replacement == " " && !kDropMark.latexOnly,
              "first, a blank and a mark become the blank");
static_assert(kEscapeHash.pattern == "#" && kEscapeHash.replacement == "\\#" &&
                  kEscapeHash.latexOnly,
              "then, for LaTeX only, a backslash goes before the hash sign");
static_assert(kFillEmptyRun.pattern == "<c></c>" && kFillEmptyRun.replacement == "<c> </c>" &&
                  !kFillEmptyRun.latexOnly,
              "then an empty AbiWord run gets a blank");
static_assert(kCarriageReturn.pattern == "\r" && kCarriageReturn.replacement == " " &&
                  !kCarriageReturn.latexOnly && kLineFeed.pattern == "\n" &&
                  kLineFeed.replacement == " " && !kLineFeed.latexOnly,
              "last, carriage returns and line feeds become blanks");

constexpr char kBlank = kDropMark.replacement[0];
constexpr char kMark = kDropMark.pattern[1];
constexpr char kHash = kEscapeHash.pattern[0];
constexpr char kRunStart = kFillEmptyRun.pattern[0];
constexpr std::string_view kEmptyRun = kFillEmptyRun.pattern;
constexpr std::string_view kFilledRun = kFillEmptyRun.replacement;
// The blank goes in after "<c>": the rest is what the run had.
constexpr std::size_t kEmptyRunOpen = kEmptyRun.find('>') + 1;
static_assert(kFilledRun.substr(0, kEmptyRunOpen) == kEmptyRun.substr(0, kEmptyRunOpen) &&
              kFilledRun.substr(kEmptyRunOpen + 1) == kEmptyRun.substr(kEmptyRunOpen));
constexpr char kCr = kCarriageReturn.pattern[0];
constexpr char kLf = kLineFeed.pattern[0];

// The fast path skips the clean-ups for a line whose scan saw none of these.
constexpr bool scanSees(char c, unsigned byteClass) {
  return scan::kByteClasses[static_cast<unsigned char>(c)] == byteClass;
}
static_assert(scanSees(kMark, scan::kCleanup) && scanSees(kHash, scan::kCleanup) &&
                  scanSees(kRunStart, scan::kCleanup) && scanSees(kCr, scan::kLineEnd) &&
                  scanSees(kLf, scan::kLineEnd),
              "the byte scan must flag every byte that starts the clean-ups' work");

}  // namespace

// Each match is found from the byte that cannot be missing from it ("_",
// "#", "<"); a blank is never part of an earlier match, so an underscore
// after a blank always matches " _".
bool cleanupsInto(std::string& out, std::string_view text, bool latex, LineItems* runs) {
  LineItems::Editor mover(runs);
  // Outside LaTeX a hash sign needs nothing: look for the mark in its place.
  const char hash = latex ? kHash : kMark;
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
  for (std::size_t i = scan::findAnyOf(text, 0, kMark, hash, kRunStart);
       i != std::string_view::npos; i = scan::findAnyOf(text, i, kMark, hash, kRunStart)) {
    const char c = text[i];
    if (c == kMark) {
      if (i > 0 && text[i - 1] == kBlank) {
        upTo(i);  // the blank stays, the mark goes
        mover.replaced(i, 1, 0, InsertedText::text());
        run = i + 1;
      }
      ++i;
    } else if (c == kHash) {
      upTo(i);
      out.push_back(kEscapeHash.replacement[0]);
      mover.replaced(i, 0, 1, InsertedText::cleanup());
      run = i;  // the hash sign goes with the next run
      ++i;
    } else if (text.substr(i, kEmptyRun.size()) == kEmptyRun) {
      upTo(i);
      out.append(kFilledRun);
      mover.replaced(i + kEmptyRunOpen, 0, kFilledRun.size() - kEmptyRun.size(),
                     InsertedText::cleanup());
      i += kEmptyRun.size();
      run = i;
    } else {
      ++i;
    }
  }
  if (matched) out.append(text, run);
  mover.finish();
  return matched;
}

void blanksForLineEnds(std::string& line, bool innerLineEnd) {
  if (!innerLineEnd) {
    if (!line.empty() && (line.back() == kCr || line.back() == kLf)) line.back() = kBlank;
    return;
  }
  for (char& c : line) {
    if (c == kCr || c == kLf) c = kBlank;
  }
}

}  // namespace kolvo
