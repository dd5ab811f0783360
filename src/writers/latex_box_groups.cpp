#include "writers/latex_box_groups.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

#include "markup/byte_scan.hpp"

namespace kolvo {
namespace {

constexpr std::array<std::string_view, 2> kBoxingCommands = {"underline", "textsuperscript"};
constexpr std::array<std::string_view, 2> kCentring = {"\\begin{center}", "\\end{center}"};

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// The bytes that open, close or end anything the groups follow.
constexpr std::array<bool, 256> kGroupBytes = [] {
  std::array<bool, 256> bytes{};
  for (const char c : {'%', '{', '}', '\\'}) bytes[static_cast<unsigned char>(c)] = true;
  return bytes;
}();

#if defined(__x86_64__) && defined(__GNUC__)
const bool kHaveAvx2 = scan::cpuHasAvx2();

// The bytes of kGroupBytes among 32, a bit each.
__attribute__((target("avx2"))) std::uint32_t groupBits32(const char* bytes) {
  const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes));
  const __m256i braces = _mm256_or_si256(_mm256_cmpeq_epi8(v, _mm256_set1_epi8('{')),
                                         _mm256_cmpeq_epi8(v, _mm256_set1_epi8('}')));
  const __m256i others = _mm256_or_si256(_mm256_cmpeq_epi8(v, _mm256_set1_epi8('%')),
                                         _mm256_cmpeq_epi8(v, _mm256_set1_epi8('\\')));
  return static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_or_si256(braces, others)));
}

// The bytes among 32 that are not ASCII letters, a bit each.
__attribute__((target("avx2"))) std::uint32_t notLetters32(const char* bytes) {
  const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes));
  // Lower case folded onto upper: a letter is then 'A' to 'Z' (signed,
  // so bytes beyond ASCII fall below).
  const __m256i folded = _mm256_andnot_si256(_mm256_set1_epi8(0x20), v);
  const __m256i below = _mm256_cmpgt_epi8(_mm256_set1_epi8('A'), folded);
  const __m256i above = _mm256_cmpgt_epi8(folded, _mm256_set1_epi8('Z'));
  return static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_or_si256(below, above)));
}
#endif

// Where the letters of `line` from `from` end: a command's name.
std::size_t lettersEnd(std::string_view line, std::size_t from) {
#if defined(__x86_64__) && defined(__GNUC__)
  // Most names are short and far from the line's end: 32 bytes looked at
  // at once.
  if (kHaveAvx2 && from + 32 <= line.size()) {
    const std::uint32_t others = notLetters32(line.data() + from);
    if (others != 0) return from + static_cast<std::size_t>(std::countr_zero(others));
    from += 32;
  }
#endif
  while (from < line.size() && isLetter(line[from])) ++from;
  return from;
}

// The bytes of kGroupBytes among the 64 of `line` from `block` (fewer at
// its end), a bit each.
std::uint64_t groupBitsAt(std::string_view line, std::size_t block) {
  const std::size_t size = line.size();
#if defined(__x86_64__) && defined(__GNUC__)
  if (kHaveAvx2 && size >= 32) {
    std::uint64_t bits = 0;
    for (std::size_t half = 0; half < 64 && block + half < size; half += 32) {
      const std::size_t from = block + half;
      // The last 32 bytes of the line, where fewer than 32 are left: the
      // bits of those before `from` shifted out.
      const std::size_t loaded = std::min(from, size - 32);
      bits |= std::uint64_t{groupBits32(line.data() + loaded) >> (from - loaded)} << half;
    }
    return bits;
  }
#endif
  std::uint64_t bits = 0;
  for (std::size_t at = block; at < size && at < block + 64; ++at) {
    if (kGroupBytes[static_cast<unsigned char>(line[at])]) bits |= std::uint64_t{1} << (at - block);
  }
  return bits;
}

// Calls take(at) for each byte of kGroupBytes in `line`, in order, but
// those before where the last call said the next may lie (what a byte
// before took in); a call that returns npos ends the walk. The lines with
// groups are mostly commands and their braces, a byte that matters every
// few: they are found by the block, not looked at in turn.
template <typename Take>
inline __attribute__((always_inline)) void forEachGroupByte(std::string_view line, Take&& take) {
  std::size_t next = 0;
  for (std::size_t block = 0; block < line.size(); block += 64) {
    for (std::uint64_t bits = groupBitsAt(line, block); bits != 0; bits &= bits - 1) {
      const std::size_t at = block + static_cast<std::size_t>(std::countr_zero(bits));
      if (at < next) continue;
      next = take(at);
      if (next == std::string_view::npos) return;
    }
  }
}

// The last eight bytes of each boxing command's name, as a word read from
// the line would hold them: a brace after neither opens no box.
static_assert(std::all_of(kBoxingCommands.begin(), kBoxingCommands.end(),
                          [](std::string_view name) { return name.size() >= 8; }));
constexpr std::uint64_t lastEightBytes(std::string_view name) {
  std::array<char, 8> last{};
  for (std::size_t k = 0; k < last.size(); ++k) last[k] = name[name.size() - last.size() + k];
  return std::bit_cast<std::uint64_t>(last);
}
using BoxingNameEnds = std::array<std::uint64_t, kBoxingCommands.size()>;
constexpr BoxingNameEnds boxingNameEnds() {
  BoxingNameEnds ends{};
  std::size_t end = 0;
  for (const std::string_view name : kBoxingCommands) ends[end++] = lastEightBytes(name);
  return ends;
}
constexpr BoxingNameEnds kBoxingNameEnds = boxingNameEnds();

// Whether the brace at `at` of `line` may open a box: it follows the end
// of a boxing command's name. (A brace after "xunderline", or after an
// escaped backslash and the name, is a yes too: the full reading sorts it.)
bool mayOpenBox(std::string_view line, std::size_t at) {
  if (at < 8) return false;
  std::uint64_t before = 0;
  std::memcpy(&before, line.data() + at - 8, 8);
  return std::find(kBoxingNameEnds.begin(), kBoxingNameEnds.end(), before) != kBoxingNameEnds.end();
}

// The center environment's command at `at` of `line`, whose name (the
// letters after the backslash, a brace after them) is `name`, or nothing.
std::string_view centringAt(std::string_view line, std::size_t at, std::string_view name) {
  if (name != "begin" && name != "end") return {};
  for (std::string_view command : kCentring) {
    if (line.substr(at, command.size()) == command) return command;
  }
  return {};
}

}  // namespace

bool boxesItsArgument(std::string_view name) {
  return std::find(kBoxingCommands.begin(), kBoxingCommands.end(), name) != kBoxingCommands.end();
}

// (Inlined: it is called for every few bytes of a line with commands.)
inline __attribute__((always_inline)) std::size_t LatexBoxGroups::take(Rewrite& rewrite, std::size_t at) {
  const std::string_view line = rewrite.line;
  const char c = line[at];
  if (c == '%') return std::string_view::npos;  // a comment: LaTeX reads no further
  if (c == '{') {
    open("{", false);
    return at + 1;
  }
  if (c == '}') {
    close();
    return at + 1;
  }
  const std::size_t end = lettersEnd(line, at + 1);
  if (end == at + 1) return at + 2;  // an escaped character, or "\\"
  if (end == line.size() || line[end] != '{') return end;
  const std::string_view name = line.substr(at + 1, end - at - 1);
  if (const std::string_view centring = centringAt(line, at, name); !centring.empty()) {
    if (boxes_ > 0) {
      if (!rewrite.changed) rewrite.out.clear();
      rewrite.changed = true;
      rewrite.out.append(line.substr(rewrite.copied, at - rewrite.copied));
      writeAround(centring, rewrite.out);
      rewrite.copied = at + centring.size();
    }
    return at + centring.size();
  }
  open(line.substr(at, end + 1 - at), boxesItsArgument(name));
  return end + 1;
}

std::string_view LatexBoxGroups::followGroups(std::string_view line, std::string& rewritten) {
  if (open_.empty() && countGroups(line)) return line;
  Rewrite rewrite{line, rewritten};
  forEachGroupByte(line, [&](std::size_t at) { return take(rewrite, at); });
  return rewrite.finish();
}

bool LatexBoxGroups::countGroups(std::string_view line) {
  // With no box open, the groups open are only a count (of which those
  // past the bound are not kept), and nothing is written around: the
  // bytes that matter are read as take() reads them, less its commands.
  std::size_t depth = openGroups();
  bool mayOpen = false;
  forEachGroupByte(line, [&](std::size_t at) {
    switch (line[at]) {
      case '%': return std::string_view::npos;  // a comment: LaTeX reads no further
      case '{':
        if (mayOpenBox(line, at)) {
          mayOpen = true;
          return std::string_view::npos;
        }
        ++depth;
        return at + 1;
      case '}':
        if (depth > 0) --depth;  // closes nothing where nothing is open
        return at + 1;
      default: return at + 2;  // a backslash: the byte after it is escaped, or begins a name
    }
  });
  if (mayOpen) return false;
  belowBoxes_ = std::min(depth, kMaxKept);
  uncounted_ = depth - belowBoxes_;
  return true;
}

std::string_view LatexBoxGroups::followByteByByte(std::string_view line, std::string& rewritten) {
  Rewrite rewrite{line, rewritten};
  for (std::size_t at = 0; at < line.size();) {
    at = kGroupBytes[static_cast<unsigned char>(line[at])] ? take(rewrite, at) : at + 1;
  }
  return rewrite.finish();
}

std::string_view LatexBoxGroups::Rewrite::finish() {
  if (!changed) return line;
  out.append(line.substr(copied));
  return out;
}

void LatexBoxGroups::open(std::string_view opener, bool box) {
  if (belowBoxes_ + open_.size() >= kMaxKept) {
    ++uncounted_;
    return;
  }
  // Nothing opens a group below the outermost box again: it is counted.
  if (open_.empty() && !box) {
    ++belowBoxes_;
    return;
  }
  open_.push_back({std::string(opener), box});
  if (box) ++boxes_;
}

void LatexBoxGroups::close() {
  if (uncounted_ > 0) {
    --uncounted_;
  } else if (!open_.empty()) {
    if (open_.back().box) --boxes_;
    open_.pop_back();
  } else if (belowBoxes_ > 0) {
    --belowBoxes_;
  }
}

void LatexBoxGroups::writeAround(std::string_view command, std::string& out) const {
  const auto outermost = std::find_if(open_.begin(), open_.end(),
                                      [](const Group& group) { return group.box; });
  out.append(static_cast<std::size_t>(open_.end() - outermost), '}');
  out.append(command);
  for (auto group = outermost; group != open_.end(); ++group) out.append(group->opener);
}

}  // namespace kolvo
