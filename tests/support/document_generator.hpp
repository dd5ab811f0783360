#pragma once
// The one generator of random input for the tests: lines and whole
// documents mixed from words and prose, every tag, near misses, pieces that form tags
// once their neighbours are rewritten, drawing lines, string delimiters,
// clean-up patterns, raw markup, long lines, line ends and bytes that are
// not ASCII. Each caller sets the mix it needs; the same seed and mix always
// give the same text, on every platform, so a failure can be reproduced.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kolvo::test {

// splitmix64: the same numbers on every platform and standard library.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
  }
  // 0 to n - 1; n must not be 0.
  std::size_t below(std::size_t n) { return static_cast<std::size_t>(next() % n); }
  bool percent(std::size_t p) { return below(100) < p; }
  template <typename Items>
  const auto& pick(const Items& items) {
    return items[below(std::size(items))];
  }

 private:
  std::uint64_t state_;
};

// What a text line is made of. Each piece is drawn by its weight; a weight
// of 0 leaves that kind of piece out.
struct LineMix {
  unsigned words = 35;         // 1 to 8 letters and digits
  unsigned blanks = 15;
  unsigned tags = 26;          // any row of the tag table, evenly
  unsigned nearMisses = 10;    // almost tags: "%", "100%", "%zz", "%b", "%ps"
  unsigned tagFragments = 0;   // tags formed only once a neighbour is rewritten
                               // ("%psrs", "%P%g1e") and tag tails ("us", "bs")
  unsigned delimiters = 11;    // what writers escape or clean up: ( ) \ # _ $ tab
  unsigned rawMarkup = 0;      // "&", "<", ">" and the "<c></c>" clean-ups
  unsigned otherBytes = 0;     // UTF-8, bytes that are not UTF-8, NUL
  unsigned lineEnds = 0;       // "\r", and "\n" inside what the caller takes as one line
  unsigned prose = 0;          // a few English words ending in a stop, comma or the like
  unsigned punctuation = 0;    // marks of real text no format reads as markup: ' " - [ ] * ...
  unsigned groupMarks = 0;     // { } ~ ^ : groups and commands to RTF and LaTeX
  std::size_t maxPieces = 13;  // a line has 0 to maxPieces pieces
  // A blank after every piece, so that no piece joins its neighbour into a
  // tag or a word.
  bool blankAfterEachPiece = false;
  // DocBook's element tags ("%bs" ... "%be") pair up and nest within the
  // line, and nothing else forms one: the DocBook output is well-formed XML
  // in either text mode.
  // Leaves out tag fragments and line feeds.
  bool nestedElementTags = false;
  // Every style tag comes as a start and its own end ("%bs" ... "%be",
  // "%P3" ... "%Pe"), nested within the line: each format's groups and
  // elements balance, LaTeX's too even without --escape. Takes precedence
  // over nestedElementTags; leaves out tag fragments.
  bool pairedStyleTags = false;
};

struct DocumentMix {
  LineMix line;
  std::size_t maxLines = 39;           // 0 to maxLines lines...
  unsigned manyLinesPercent = 8;       // ...or else 100 to 219: several pages
  unsigned drawingPercent = 15;        // drawing lines, valid or not
  unsigned longLinePercent = 3;        // lines the reader cuts into 559-byte pieces
  unsigned crlfPercent = 15;           // "\r\n" line ends
  unsigned noFinalLineFeedPercent = 20;
};

class DocumentGenerator {
 public:
  explicit DocumentGenerator(std::uint64_t seed) : random_(seed) {}

  // One text line without its line end.
  std::string line(const LineMix& mix);
  // "$s" with a shape, a colour and four fields, most of them valid; now and
  // then cut short or followed by a page break. No line end.
  std::string drawingLine();
  std::string document(const DocumentMix& mix);

  Random& random() { return random_; }

 private:
  std::string word();
  std::string prose();
  void pairedStyleTag(std::vector<std::string_view>& open, std::string& text);
  std::string longLine(const LineMix& mix);
  Random random_;
};

// Lines thick with what the rewrite treats apart: every tag, near misses,
// fragments that form tags once a neighbour is rewritten, string
// delimiters and AbiWord's empty runs; `otherBytes` of text beyond ASCII.
// `count` lines from `seed`, each ending in a line feed.
std::vector<std::string> tagHeavyLines(std::uint64_t seed, std::size_t count,
                                       unsigned otherBytes = 0);

}  // namespace kolvo::test
