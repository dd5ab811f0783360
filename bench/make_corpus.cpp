// Writes the deterministic input files that bench/run.sh times Kolvo on.
//
//   kolvo_corpus prose   BYTES OUT   prose in lines of about 60 bytes
//   kolvo_corpus tags    BYTES OUT   prose with a tag every three words or so
//   kolvo_corpus oneline BYTES OUT   prose without a single line feed
//   kolvo_corpus drawing LINES OUT   LINES drawing lines, two prose lines each
//   kolvo_corpus russian BYTES OUT   Russian prose (UTF-8), a bold word now and then
//   kolvo_corpus japanese BYTES OUT  Japanese sentences (UTF-8), about 60 bytes a line
//
// The same arguments always give the same bytes: the generator has its own
// fixed-seed random numbers and depends on nothing else.
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "markup/tag_table.hpp"

namespace {

// splitmix64: small, fast, and the same everywhere.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  std::size_t below(std::size_t bound) { return static_cast<std::size_t>(next() % bound); }

 private:
  std::uint64_t state_;
};

constexpr std::array<std::string_view, 96> kWords = {
    "the",     "of",      "and",     "to",       "in",       "a",        "is",      "that",
    "for",     "it",      "as",      "was",      "with",     "be",       "by",      "on",
    "not",     "he",      "this",    "are",      "or",       "his",      "from",    "at",
    "which",   "but",     "have",    "an",       "had",      "they",     "you",     "were",
    "their",   "one",     "all",     "we",       "can",      "her",      "has",     "there",
    "been",    "if",      "more",    "when",     "will",     "would",    "who",     "so",
    "river",   "morning", "letter",  "window",   "garden",   "question", "number",  "paper",
    "evening", "station", "harbour", "mountain", "language", "kitchen",  "village", "measure",
    "quietly", "often",   "never",   "slowly",   "together", "perhaps",  "already", "almost",
    "written", "carried", "opened",  "remember", "followed", "listened", "counted", "turned",
    "small",   "bright",  "narrow",  "familiar", "distant",  "ordinary", "careful", "green",
    "seven",   "twelve",  "fifty",   "hundred",  "second",   "third",    "last",    "first",
};

// Start and end tags that enclose a word.
struct Pair {
  std::string_view start;
  std::string_view end;
};
constexpr std::array<Pair, 20> kPairs = {{
    {"%bs", "%be"}, {"%is", "%ie"}, {"%us", "%ue"}, {"%hs", "%he"}, {"%Hs", "%He"},
    {"%Bs", "%Be"}, {"%Cs", "%Ce"}, {"%C0", "%Ce"}, {"%rs", "%re"}, {"%Ss", "%Se"},
    {"%ss", "%se"}, {"%xs", "%xe"}, {"%P1", "%Pe"}, {"%P2", "%Pe"}, {"%P3", "%Pe"},
    {"%P4", "%Pe"}, {"%P5", "%Pe"}, {"%P7", "%Pe"}, {"%P9", "%Pe"}, {"%Sy", "%Pe"},
}};

class Writer {
 public:
  explicit Writer(const char* path) : file_(std::fopen(path, "wb")) {
    if (file_ == nullptr) {
      std::perror(path);
      std::exit(1);
    }
    buffer_.reserve(kChunk + 4096);
  }
  ~Writer() {
    flush();
    if (std::fclose(file_) != 0) {
      std::perror("kolvo_corpus");
      std::exit(1);
    }
  }
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;

  void add(std::string_view text) {
    buffer_.append(text);
    written_ += text.size();
    if (buffer_.size() >= kChunk) flush();
  }
  std::uint64_t written() const { return written_; }

 private:
  static constexpr std::size_t kChunk = 1 << 20;
  void flush() {
    if (!buffer_.empty() && std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size()) {
      std::perror("kolvo_corpus");
      std::exit(1);
    }
    buffer_.clear();
  }

  std::FILE* file_;
  std::string buffer_;
  std::uint64_t written_ = 0;
};

// Prose: sentences of common words, now and then a comma or a word in
// parentheses, in lines of about 60 bytes (42 to 72 and the last word).
class Prose {
 public:
  explicit Prose(std::uint64_t seed) : random_(seed) {}

  // The next word with its punctuation and the blank before it (if any).
  std::string word() {
    std::string text;
    std::string_view w = kWords[random_.below(kWords.size())];
    const bool parenthesis = random_.below(300) == 0;
    if (parenthesis) text += '(';
    text += w;
    if (sentenceStart_) {
      text[parenthesis ? 1 : 0] = static_cast<char>(text[parenthesis ? 1 : 0] - 'a' + 'A');
      sentenceStart_ = false;
    }
    if (parenthesis) text += ')';
    const std::size_t mark = random_.below(12);
    if (mark == 0) {
      text += '.';
      sentenceStart_ = true;
    } else if (mark == 1) {
      text += ',';
    }
    return text;
  }

  std::size_t lineLength() { return 42 + random_.below(31); }
  Random& random() { return random_; }

 private:
  Random random_;
  bool sentenceStart_ = true;
};

void writeProse(Writer& out, std::uint64_t bytes, bool lineFeeds, std::uint64_t seed) {
  Prose prose(seed);
  std::string line;
  std::size_t target = prose.lineLength();
  while (out.written() < bytes) {
    if (!line.empty()) line += ' ';
    line += prose.word();
    if (line.size() >= target) {
      if (lineFeeds) {
        line += '\n';
      } else {
        line += ' ';
      }
      out.add(line);
      line.clear();
      target = prose.lineLength();
    }
  }
}

void writeTagged(Writer& out, std::uint64_t bytes) {
  Prose prose(2);
  Random& random = prose.random();
  std::array<std::string_view, kolvo::kTagRowCount> symbols{};
  std::size_t symbolCount = 0;
  for (const kolvo::TagRow& row : kolvo::kTagTable) {
    if (row.kind == kolvo::TagKind::Symbol) symbols[symbolCount++] = row.tag;
  }

  std::string line;
  std::size_t words = 0;
  const std::size_t lineWords = 10;
  while (out.written() < bytes) {
    if (words == 0) {
      // Now and then a centred line, a large line or a page break.
      const std::size_t kind = random.below(500);
      if (kind < 20) line += "%cs";
      if (kind >= 20 && kind < 24) line += "%ls";
      if (kind == 24) line += "%pg";
    }
    if (words != 0) line += ' ';
    // One tag in three words: a pair around the word (two tags) in one word
    // of nine, a symbol after the word in another.
    const std::size_t choice = random.below(9);
    if (choice == 0) {
      const Pair& pair = kPairs[random.below(kPairs.size())];
      line += pair.start;
      line += prose.word();
      line += pair.end;
    } else if (choice == 1) {
      line += prose.word();
      line += ' ';
      line += symbols[random.below(symbolCount)];
    } else {
      line += prose.word();
    }
    if (++words == lineWords) {
      if (line.rfind("%cs", 0) == 0) line += "%ce";
      if (line.rfind("%ls", 0) == 0) line += "%le";
      line += '\n';
      out.add(line);
      line.clear();
      words = 0;
    }
  }
}

void writeDrawing(Writer& out, std::uint64_t drawingLines) {
  Prose prose(3);
  Random& random = prose.random();
  constexpr std::string_view kShapes = "ltbr";
  constexpr std::string_view kColours = "0123456789gG";
  std::string line;
  for (std::uint64_t i = 0; i < drawingLines; ++i) {
    for (int text = 0; text < 2; ++text) {
      std::size_t target = prose.lineLength();
      while (line.size() < target) {
        if (!line.empty()) line += ' ';
        line += prose.word();
      }
      line += '\n';
      out.add(line);
      line.clear();
    }
    char draw[40];
    std::snprintf(draw, sizeof draw, "$s%c %c %3u %3u %3u %3u\n", kShapes[random.below(4)],
                  kColours[random.below(kColours.size())],
                  static_cast<unsigned>(30 + random.below(500)),
                  static_cast<unsigned>(30 + random.below(780)),
                  static_cast<unsigned>(30 + random.below(500)),
                  static_cast<unsigned>(30 + random.below(780)));
    out.add(draw);
  }
}

// Text the standard PostScript and PDF fonts lack: under --escape it is
// drawn with fallback fonts.
constexpr auto kRussianWords = std::to_array<std::string_view>({
    "\xD0\xB8", "\xD0\xB2", "\xD0\xBD\xD0\xB5", "\xD0\xBD\xD0\xB0", "\xD1\x87\xD1\x82\xD0\xBE",
    "\xD0\xBE\xD0\xBD", "\xD0\xBA\xD0\xB0\xD0\xBA", "\xD0\xB4\xD0\xBE\xD0\xBC",
    "\xD0\xBF\xD0\xB8\xD1\x81\xD1\x8C\xD0\xBC\xD0\xBE", "\xD1\x80\xD0\xB5\xD0\xBA\xD0\xB0",
    "\xD1\x83\xD1\x82\xD1\x80\xD0\xBE\xD0\xBC", "\xD0\xBE\xD0\xBA\xD0\xBD\xD0\xBE",
    "\xD1\x81\xD0\xB0\xD0\xB4", "\xD0\xB2\xD0\xBE\xD0\xBF\xD1\x80\xD0\xBE\xD1\x81",
    "\xD1\x81\xD1\x82\xD0\xB0\xD0\xBD\xD1\x86\xD0\xB8\xD1\x8F",
    "\xD0\xB3\xD0\xBE\xD1\x80\xD0\xB0", "\xD1\x8F\xD0\xB7\xD1\x8B\xD0\xBA",
    "\xD0\xB4\xD0\xB5\xD1\x80\xD0\xB5\xD0\xB2\xD0\xBD\xD1\x8F", "\xD1\x82\xD0\xB8\xD1\x85\xD0\xBE",
    "\xD1\x87\xD0\xB0\xD1\x81\xD1\x82\xD0\xBE", "\xD0\xB2\xD0\xBC\xD0\xB5\xD1\x81\xD1\x82\xD0\xB5",
    "\xD1\x83\xD0\xB6\xD0\xB5", "\xD0\xB7\xD0\xB5\xD0\xBB\xD1\x91\xD0\xBD\xD1\x8B\xD0\xB9",
    "\xD1\x81\xD0\xB5\xD0\xBC\xD1\x8C", "\xD1\x81\xD1\x82\xD0\xBE",
    "\xD0\xBF\xD0\xB5\xD1\x80\xD0\xB2\xD1\x8B\xD0\xB9",
});
constexpr auto kJapaneseSentences = std::to_array<std::string_view>({
    "\xE6\x9D\xB1\xE4\xBA\xAC\xE3\x81\xAE\xE4\xBC\x9A\xE8\xAD\xB0\xE3\x81\xAF\xE6\x9D\xA5\xE9\x80\xB1\xE3\x81\xA7\xE3\x81\x99\xE3\x80\x82",
    "\xE6\x89\x8B\xE7\xB4\x99\xE3\x82\x92\xE6\x9B\xB8\xE3\x81\x8D\xE3\x81\xBE\xE3\x81\x97\xE3\x81\x9F\xE3\x80\x82",
    "\xE5\xB7\x9D\xE3\x81\xAE\xE8\xBF\x91\xE3\x81\x8F\xE3\x81\xAB\xE9\xA7\x85\xE3\x81\x8C\xE3\x81\x82\xE3\x82\x8A\xE3\x81\xBE\xE3\x81\x99\xE3\x80\x82",
    "\xE4\xBB\x8A\xE6\x97\xA5\xE3\x81\xAF\xE3\x81\x84\xE3\x81\x84\xE5\xA4\xA9\xE6\xB0\x97\xE3\x81\xA7\xE3\x81\x99\xE3\x81\xAD\xE3\x80\x82",
});

// Russian: words in lines of about 60 bytes, one in about fifty bold.
void writeRussian(Writer& out, std::uint64_t bytes) {
  Random random(4);
  std::string line;
  while (out.written() < bytes) {
    line.clear();
    while (line.size() < 60) {
      if (!line.empty()) line += ' ';
      const std::string_view word = kRussianWords[random.below(kRussianWords.size())];
      if (random.below(50) == 0) {
        line += "%bs";
        line += word;
        line += "%be";
      } else {
        line += word;
      }
    }
    line += '\n';
    out.add(line);
  }
}

void writeJapanese(Writer& out, std::uint64_t bytes) {
  Random random(5);
  std::string line;
  while (out.written() < bytes) {
    line.clear();
    while (line.size() < 60) line += kJapaneseSentences[random.below(kJapaneseSentences.size())];
    line += '\n';
    out.add(line);
  }
}

[[noreturn]] void usage() {
  std::fputs(
      "usage: kolvo_corpus prose|tags|oneline|russian|japanese BYTES OUT\n"
      "       kolvo_corpus drawing LINES OUT\n",
      stderr);
  std::exit(2);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) usage();
  const std::string_view kind = argv[1];
  char* end = nullptr;
  const unsigned long long amount = std::strtoull(argv[2], &end, 10);
  if (end == argv[2] || *end != '\0') usage();
  Writer out(argv[3]);
  if (kind == "prose") {
    writeProse(out, amount, true, 1);
  } else if (kind == "oneline") {
    writeProse(out, amount, false, 4);
  } else if (kind == "tags") {
    writeTagged(out, amount);
  } else if (kind == "russian") {
    writeRussian(out, amount);
  } else if (kind == "japanese") {
    writeJapanese(out, amount);
  } else if (kind == "drawing") {
    writeDrawing(out, amount);
  } else {
    usage();
  }
  return 0;
}
