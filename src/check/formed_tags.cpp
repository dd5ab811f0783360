// Tags that the conversion forms itself: a tag whose text is empty in a
// format leaves its neighbours side by side ("%b%gGe" is "%be" in DocBook
// once "%gG" is gone), and the "%" of the percent row can begin a tag of a
// later row. The rows are applied by the rule itself (applyTagRows), with
// a watcher remembering where in the line each byte was typed.

#include <algorithm>
#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <vector>

#include "check/line_context.hpp"
#include "check/tag_lookup.hpp"
#include "markup/rows_in_order.hpp"
#include "markup/tag_index.hpp"
#include "markup/tag_table.hpp"
#include "text/typed_text.hpp"

namespace kolvo::check {
namespace {

constexpr std::size_t kProduced = std::numeric_limits<std::size_t>::max();

// Follows the rows as they rewrite the line, remembering for each byte
// where in the line it was typed, and notes every occurrence whose three
// bytes were not typed together.
class FormedTagWatcher final : public RowWatcher {
 public:
  // Text taken as typed (`typed`, in `mode`) has a "%" that begins no tag
  // escaped by its text step before the rows run: no tag forms with it.
  FormedTagWatcher(std::size_t size, std::vector<FormedTag>& formed, std::string_view typed = {},
                   TextMode mode = TextMode::Markup)
      : formed_(formed), typed_(typed), mode_(mode) {
    for (std::size_t i = 0; i < size; ++i) origin_.push_back(i);
  }

  void replacing(std::size_t row, std::span<const std::size_t> hits,
                 std::string_view text) override {
    std::vector<std::size_t> next;
    std::size_t in = 0;
    for (const std::size_t hit : hits) {
      if (!typedTogether(hit) && !escapedByTextStep(hit)) {
        formed_.push_back({firstTypedByte(hit), row});
      }
      next.insert(next.end(), origin_.begin() + static_cast<std::ptrdiff_t>(in),
                  origin_.begin() + static_cast<std::ptrdiff_t>(hit));
      next.insert(next.end(), text.size(), kProduced);
      in = hit + kTagTable[row].tag.size();
    }
    next.insert(next.end(), origin_.begin() + static_cast<std::ptrdiff_t>(in), origin_.end());
    origin_ = std::move(next);
  }

  bool typedTogether(std::size_t at) const {
    return origin_[at] != kProduced && origin_[at + 1] == origin_[at] + 1 &&
           origin_[at + 2] == origin_[at] + 2;
  }
  // Where the byte at `at` of the line as the rows leave it was typed, or
  // kProduced.
  std::size_t origin(std::size_t at) const { return origin_[at]; }

 private:
  bool escapedByTextStep(std::size_t at) const {
    return mode_ == TextMode::Typed && origin_[at] != kProduced && !beginsTag(typed_, origin_[at]);
  }
  // Where a formed tag is reported: its first typed byte (a formed tag
  // always holds one, since no text is a tag).
  std::size_t firstTypedByte(std::size_t at) const {
    for (std::size_t i = at; i < at + 3; ++i) {
      if (origin_[i] != kProduced) return origin_[i];
    }
    return 0;
  }

  std::vector<std::size_t> origin_;
  std::vector<FormedTag>& formed_;
  std::string_view typed_;
  TextMode mode_;
};

// Whether a tag can be formed at all: a text that can form one
// (TagIndex::mayFormTags) and leaves no "%" of its own needs a typed "%"
// at most two bytes before its tag to join with. Most lines have neither,
// and are not replayed.
bool mayForm(const LineContext& line, Format format) {
  const std::string_view typed = line.text();
  const TagIndex& index = tagIndex();
  for (const TagOccurrence& tag : line.tags()) {
    const Replacement text =
        tag.row ? tagText(*tag.row, format, line.options().mode) : std::nullopt;
    if (!text || !index.mayFormTags(*text)) continue;
    if (text->find('%') != std::string_view::npos) return true;
    const std::size_t from = tag.byte >= 2 ? tag.byte - 2 : 0;
    if (typed.substr(from, tag.byte - from).find('%') != std::string_view::npos) return true;
  }
  return false;
}

}  // namespace

FormedLine replayTagRows(const LineContext& line, Format format) {
  if (!mayForm(line, format)) return {};
  return replayEveryTagRow(line.text(), format, line.options().mode);
}

FormedLine replayEveryTagRow(std::string_view typed, Format format, TextMode mode) {
  std::string text(typed);
  FormedLine formed;
  FormedTagWatcher watcher(text.size(), formed.tags, typed, mode);
  LineMarks unused;
  applyTagRows(text, format, unused, mode, &watcher);
  if (!formed.tags.empty()) formed.rewritten = std::move(text);
  return formed;
}

char byteAfterOnceRewritten(std::string_view typed, std::size_t at, Format format,
                            TextMode mode) {
  std::string text(typed);
  std::vector<FormedTag> formed;
  FormedTagWatcher watcher(text.size(), formed);
  LineMarks unused;
  applyTagRows(text, format, unused, mode, &watcher);
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (watcher.origin(i) == at) return text[i + 1];
  }
  return '\0';
}

namespace {

struct Pending {
  FormedTag tag;
  FormatSet formats;
};

}  // namespace

bool formsTagAt(const LineContext& line, Format format, std::size_t byte) {
  const std::vector<FormedTag>& formed = line.formed(format).tags;
  return std::any_of(formed.begin(), formed.end(),
                     [byte](const FormedTag& tag) { return tag.byte == byte; });
}

// A formed tag shows other than typed. What it does to LaTeX's groups is
// judged with the rest of the rewritten line (LatexGroups), where a group
// it opens may well be closed: "\\%" of %ps and "us" make "\\\\underline{",
// a line break, text and a plain group.
void checkFormedTags(LineContext& line) {
  std::vector<Pending> looksWrong;
  for (const FormatInfo& f : kFormats) {
    if (!line.options().formats.has(f.format)) continue;
    for (const FormedTag& tag : line.formed(f.format).tags) {
      auto same = [&tag](const Pending& p) {
        return p.tag.byte == tag.byte && p.tag.row == tag.row;
      };
      const auto found = std::find_if(looksWrong.begin(), looksWrong.end(), same);
      if (found != looksWrong.end()) found->formats.add(f.format);
      else looksWrong.push_back({tag, FormatSet::of(f.format)});
    }
  }
  for (const Pending& p : looksWrong) {
    line.report(p.tag.byte, Severity::Warning,
                "the conversion joins the characters here into " + describeTag(p.tag.row) +
                    " in " + formatNames(p.formats) + ", which was not typed as such");
  }
}

}  // namespace kolvo::check
