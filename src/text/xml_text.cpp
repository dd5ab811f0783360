#include "text/xml_text.hpp"

#include <algorithm>
#include <vector>

#include "markup/byte_scan.hpp"
#include "text/typed_text.hpp"
#include "text/xml_markup.hpp"

namespace kolvo {
namespace {

using xml::Markup;
using xml::MarkupKind;

constexpr std::size_t kNotFound = std::string_view::npos;

// A copy of a text with single bytes replaced, left to right. The copy only
// starts at the first replacement, so that a text without any costs nothing.
class ByteEdits {
 public:
  ByteEdits(std::string_view text, std::string& out) : text_(text), out_(out) {}

  void replace(std::size_t at, std::string_view with) {
    if (!started_) {
      out_.clear();
      out_.reserve(text_.size() + 32);
      started_ = true;
    }
    out_.append(text_, run_, at - run_);
    out_.append(with);
    run_ = at + 1;
  }
  // Whether anything was replaced; if so `out` now holds the whole copy.
  bool finish() {
    if (started_) out_.append(text_, run_);
    return started_;
  }

 private:
  std::string_view text_;
  std::string& out_;
  std::size_t run_ = 0;
  bool started_ = false;
};

// The well-formed comments and tags of `text`, each marked kept or not.
struct Found {
  Markup markup;
  bool kept = false;
};

// Whether the tag rows and clean-ups that follow would change a tag of the
// user's: a tag of the markup in an attribute value becomes the format's
// own markup, and the clean-up of an underscore mark drops the "_" that
// begins an attribute name after a blank, which can make two attributes one.
bool laterStepsWouldChange(std::string_view text, const Markup& tag) {
  for (std::size_t at = tag.begin; at < tag.end; ++at) {
    if (beginsTag(text, at) || (text[at] == '_' && text[at - 1] == ' ')) return true;
  }
  return false;
}

// Whether the tag rows could break a comment of the user's: a tag whose
// text is empty (or a "%" the percent row leaves, which forms one) can join
// two of its dashes into the "--" no comment may hold, or leave one right
// before its "-->". The texts themselves never begin or end with a dash.
bool laterStepsCouldBreak(std::string_view text, const Markup& comment) {
  const std::string_view content = text.substr(comment.begin + 4, comment.end - comment.begin - 7);
  if (content.find('-') == kNotFound) return false;
  for (std::size_t at = content.find('%'); at != kNotFound; at = content.find('%', at + 1)) {
    if (beginsTag(content, at)) return true;
  }
  return false;
}

// Where the tags of the markup start, in order.
std::vector<std::size_t> markupTagsOf(std::string_view text) {
  std::vector<std::size_t> tags;
  for (std::size_t at = text.find('%'); at != kNotFound; at = text.find('%', at + 1)) {
    if (beginsTag(text, at)) tags.push_back(at);
  }
  return tags;
}

bool anyBetween(const std::vector<std::size_t>& sorted, std::size_t from, std::size_t to) {
  const auto first = std::lower_bound(sorted.begin(), sorted.end(), from);
  return first != sorted.end() && *first < to;
}

// The markup to keep, in order: pairs start and end tags with a stack of the
// start tags still open. With `tagsSplitElements` an element holding a tag
// of the markup is not kept: the format's texts for tags close and reopen
// an element of their own, which would cross it.
std::vector<Found> keptMarkup(std::string_view text, bool tagsSplitElements,
                              std::span<const std::string_view> textNames) {
  std::vector<Found> found;
  std::vector<std::size_t> open;
  std::vector<std::string_view> names;
  const std::vector<std::size_t> markupTags =
      tagsSplitElements ? markupTagsOf(text) : std::vector<std::size_t>{};
  Markup markup;
  for (std::size_t at = text.find('<'); at != kNotFound;) {
    if (!xml::readMarkup(text, at, markup, names)) {
      at = text.find('<', at + 1);
      continue;
    }
    const bool textName = markup.kind != MarkupKind::Comment &&
                          std::find(textNames.begin(), textNames.end(), markup.name) != textNames.end();
    if (textName || (markup.kind == MarkupKind::Comment ? laterStepsCouldBreak(text, markup)
                                                        : laterStepsWouldChange(text, markup))) {
      at = text.find('<', at + 1);
      continue;
    }
    bool kept = markup.kind == MarkupKind::Comment || markup.kind == MarkupKind::EmptyElementTag;
    if (markup.kind == MarkupKind::StartTag) {
      open.push_back(found.size());
    } else if (markup.kind == MarkupKind::EndTag && !open.empty() &&
               found[open.back()].markup.name == markup.name) {
      Found& start = found[open.back()];
      start.kept = kept = !anyBetween(markupTags, start.markup.end, markup.begin);
      open.pop_back();
    }
    found.push_back({markup, kept});
    at = text.find('<', markup.end);
  }
  std::erase_if(found, [](const Found& piece) { return !piece.kept; });
  return found;
}

// Whether the ">" at `at` would end "]]>": the two characters before it are
// "]]", passing over the tags of the markup between them, whose text may be
// empty and so join what stands around them.
bool endsCdataSectionEnd(std::string_view text, std::size_t at) {
  int brackets = 0;
  while (at > 0 && brackets < 2) {
    if (at >= 3 && beginsTag(text, at - 3)) {
      at -= 3;
    } else if (text[at - 1] == ']') {
      ++brackets;
      --at;
    } else {
      return false;
    }
  }
  return brackets == 2;
}

void escapeStrayAmpersand(ByteEdits& edits, std::string_view text, std::size_t at) {
  if (xml::referenceLength(text, at) == 0) edits.replace(at, "&amp;");
}

// The ampersands of a kept tag, which can only be in attribute values.
void escapeTagAmpersands(ByteEdits& edits, std::string_view text, const Markup& tag) {
  for (std::size_t at = tag.begin; at < tag.end; ++at) {
    if (text[at] == '&') escapeStrayAmpersand(edits, text, at);
  }
}

}  // namespace

bool keepWellFormedXml(std::string_view in, std::string& out, bool tagsSplitElements,
                       std::span<const std::string_view> textNames) {
  std::size_t at = scan::findAnyOf(in, 0, '<', '&', '>');
  if (at == kNotFound) return false;
  const std::vector<Found> kept =
      in.find('<', at) == kNotFound ? std::vector<Found>{} : keptMarkup(in, tagsSplitElements, textNames);
  ByteEdits edits(in, out);
  std::size_t next = 0;  // the first kept piece not yet passed
  for (; at != kNotFound; at = scan::findAnyOf(in, at, '<', '&', '>')) {
    if (next < kept.size() && kept[next].markup.begin == at) {
      const Markup& piece = kept[next++].markup;
      if (piece.kind != MarkupKind::Comment) escapeTagAmpersands(edits, in, piece);
      at = piece.end;
      continue;
    }
    if (in[at] == '<') {
      edits.replace(at, "&lt;");
    } else if (in[at] == '&') {
      escapeStrayAmpersand(edits, in, at);
    } else if (endsCdataSectionEnd(in, at)) {
      edits.replace(at, "&gt;");
    }
    ++at;
  }
  return edits.finish();
}

bool escapeXmlText(std::string_view in, std::string& out) {
  ByteEdits edits(in, out);
  // Two scans for the five bytes, each resumed only once passed.
  std::size_t nextMarkup = scan::findAnyOf(in, 0, '&', '<', '>');
  std::size_t nextOther = scan::findAnyOf(in, 0, '%', '_', '_');
  while (nextMarkup != kNotFound || nextOther != kNotFound) {
    const std::size_t at = std::min(nextMarkup, nextOther);
    std::size_t after = at + 1;
    switch (in[at]) {
      case '&':
        edits.replace(at, "&amp;");
        break;
      case '<':
        edits.replace(at, "&lt;");
        break;
      case '>':
        edits.replace(at, "&gt;");
        break;
      case '_':
        edits.replace(at, "&#95;");
        break;
      default:  // "%"
        if (beginsTag(in, at)) {
          after = at + 3;  // the tag stays as it is
        } else {
          edits.replace(at, "&#37;");
        }
        break;
    }
    if (nextMarkup < after) nextMarkup = scan::findAnyOf(in, after, '&', '<', '>');
    if (nextOther < after) nextOther = scan::findAnyOf(in, after, '%', '_', '_');
  }
  return edits.finish();
}

}  // namespace kolvo
