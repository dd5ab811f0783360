// Tags that the conversion forms itself: a tag whose text is empty in a
// format leaves its neighbours side by side ("%b%gGe" is "%be" in DocBook
// once "%gG" is gone), and the "%" of the percent row can begin a tag of a
// later row. The rows are applied in table order, as the rewrite does, with
// each byte remembering where in the line it was typed.

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "check/latex_groups.hpp"
#include "check/line_context.hpp"
#include "check/tag_lookup.hpp"
#include "markup/tag_table.hpp"

namespace kolvo::check {
namespace {

constexpr std::size_t kProduced = std::numeric_limits<std::size_t>::max();

bool isTagLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// Whether a tag's text can take part in forming another tag.
bool canForm(std::string_view text) {
  return text.empty() || text.find('%') != std::string_view::npos || isTagLetter(text.front());
}

// The line as rewritten so far, byte by byte with the typed place of each.
struct Work {
  std::string text;
  std::vector<std::size_t> origin;

  bool typedTogether(std::size_t at) const {
    return origin[at] != kProduced && origin[at + 1] == origin[at] + 1 &&
           origin[at + 2] == origin[at] + 2;
  }
  // Where a formed tag is reported: its first typed byte (a formed tag
  // always holds one, since no text is a tag).
  std::size_t firstTypedByte(std::size_t at) const {
    for (std::size_t i = at; i < at + 3; ++i) {
      if (origin[i] != kProduced) return origin[i];
    }
    return 0;
  }
};

void applyRow(Work& work, std::size_t row, std::string_view text, std::vector<FormedTag>& formed) {
  const std::string_view tag = kTagTable[row].tag;
  std::size_t hit = work.text.find(tag);
  if (hit == std::string::npos) return;
  Work next;
  std::size_t in = 0;
  for (; hit != std::string::npos; hit = work.text.find(tag, in)) {
    if (!work.typedTogether(hit)) formed.push_back({work.firstTypedByte(hit), row});
    next.text.append(work.text, in, hit - in);
    next.origin.insert(next.origin.end(), work.origin.begin() + static_cast<std::ptrdiff_t>(in),
                       work.origin.begin() + static_cast<std::ptrdiff_t>(hit));
    next.text.append(text);
    next.origin.insert(next.origin.end(), text.size(), kProduced);
    in = hit + tag.size();
  }
  next.text.append(work.text, in);
  next.origin.insert(next.origin.end(), work.origin.begin() + static_cast<std::ptrdiff_t>(in),
                     work.origin.end());
  work = std::move(next);
}

// Whether a tag can be formed at all: a text that leaves letters or
// nothing needs a "%" at most two bytes before it to join with, and only
// the percent row's text holds a "%" of its own. Most lines have neither,
// and are not replayed.
bool mayForm(const LineContext& line, Format format) {
  const std::string_view typed = line.text();
  for (const TagOccurrence& tag : line.tags()) {
    const Replacement text =
        tag.row ? tagText(*tag.row, format, line.options().mode) : std::nullopt;
    if (!text || !canForm(*text)) continue;
    if (text->find('%') != std::string_view::npos) return true;
    const std::size_t from = tag.byte >= 2 ? tag.byte - 2 : 0;
    if (typed.substr(from, tag.byte - from).find('%') != std::string_view::npos) return true;
  }
  return false;
}

}  // namespace

FormedLine replayTagRows(const LineContext& line, Format format) {
  if (!mayForm(line, format)) return {};
  const TextMode mode = line.options().mode;
  Work work{std::string(line.text()), {}};
  for (std::size_t i = 0; i < work.text.size(); ++i) work.origin.push_back(i);
  FormedLine formed;
  for (std::size_t row = 0; row < kTagTable.size(); ++row) {
    const Replacement text = tagText(row, format, mode);
    if (text) applyRow(work, row, *text, formed.tags);
  }
  if (!formed.tags.empty()) formed.rewritten = std::move(work.text);
  return formed;
}

namespace {

// What a formed tag breaks in the format's file, if anything.
std::string_view brokenFile(std::string_view text, Format format) {
  if (format == Format::DocBook && text.find('<') != std::string_view::npos) {
    return "the DocBook file will not be well-formed";
  }
  if (format == Format::Latex && changesLatexGroups(text)) return "the LaTeX file will not compile";
  return {};
}

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

void checkFormedTags(LineContext& line) {
  const TextMode mode = line.options().mode;
  std::vector<Pending> looksWrong;
  for (const FormatInfo& f : kFormats) {
    if (!line.options().formats.has(f.format)) continue;
    for (const FormedTag& tag : line.formed(f.format).tags) {
      const std::string_view broken = brokenFile(*tagText(tag.row, f.format, mode), f.format);
      if (!broken.empty()) {
        line.report(tag.byte, Severity::Error,
                    "the conversion joins the characters here into " + describeTag(tag.row) +
                        " in " + formatNames(FormatSet::of(f.format)) + ": " +
                        std::string(broken));
        continue;
      }
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
