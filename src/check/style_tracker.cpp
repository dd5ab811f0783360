#include "check/style_tracker.hpp"

#include <optional>
#include <utility>

#include "check/tag_lookup.hpp"
#include "markup/tag_effect.hpp"
#include "markup/tag_table.hpp"

namespace kolvo::check {
namespace {

bool isBlank(std::string_view text) {
  return text.find_first_not_of(' ') == std::string_view::npos;
}

// The text a style tag gives in `format` when it is a style there at all:
// not shown as typed, not empty, and (LaTeX) not a group, which the group
// check follows.
std::optional<std::string_view> styleText(std::size_t row, Format format, TextMode mode) {
  const Replacement text = tagText(row, format, mode);
  if (!text) return std::nullopt;
  // An empty PDF end mark still ends the measure of its overprint.
  if (isBlank(*text) && !actsWithoutText(kTagTable[row].effect, format)) return std::nullopt;
  if (format == Format::Latex && changesLatexGroups(*text)) return std::nullopt;
  return text;
}

// An opening tag whose text is its end tag's (the Symbol font tag sets
// the normal size in LaTeX and RTF) changes nothing there.
bool givesWhatItsEndGives(std::size_t row, std::size_t group, Format format, TextMode mode) {
  const Replacement text = tagText(row, format, mode);
  // An effect, not a text, makes such a style (the PDF underline marks).
  if (!text || isBlank(*text) || kTagTable[row].effect != TagEffect::None) return false;
  for (std::string_view closer : kStyleGroups[group].closers) {
    if (!closer.empty() && tagText(tagRowOf(closer), format, mode) == text) return true;
  }
  return false;
}

enum class Outcome : unsigned char { Carries, Lost, Stray, StrayMark };

// One finding made for several formats at once.
struct Pending {
  std::size_t byte;
  std::size_t row;
  Outcome outcome;
  FormatSet formats;
};

void add(std::vector<Pending>& pending, std::size_t byte, std::size_t row, Outcome outcome,
         Format format) {
  for (Pending& p : pending) {
    if (p.byte == byte && p.outcome == outcome) {
      p.formats.add(format);
      return;
    }
  }
  pending.push_back({byte, row, outcome, FormatSet::of(format)});
}

void reportPending(LineContext& line, const Pending& p) {
  const std::string tag = describeTag(p.row);
  const std::string where = formatNames(p.formats);
  switch (p.outcome) {
    case Outcome::Carries:
      line.report(p.byte, Severity::Warning,
                  tag + " is not closed on its line: in " + where +
                      " the lines that follow keep the style");
      break;
    case Outcome::Lost:
      line.report(p.byte, Severity::Warning,
                  tag + " is not closed on its line: in " + where +
                      " the mark is drawn wrong or not at all");
      break;
    case Outcome::StrayMark:
      line.report(p.byte, Severity::Warning,
                  tag + " closes a style that is not open: in " + where +
                      " the mark starts at the beginning of the line");
      break;
    case Outcome::Stray:
      line.reportFor(p.byte, Severity::Note, p.formats, tag + " closes a style that is not open in ");
      break;
  }
}

// DocBook: the elements of the tags' texts close on their line. The writer
// balances a line whose elements do not nest (closing what is open at its
// end, leaving out what closes nothing), so the file opens; the style is
// not what the tags seem to say.
struct XmlElement {
  // cppcheck-suppress unusedStructMember ; compared with each end tag's name
  std::string_view name;
  std::size_t byte;
  std::size_t row;
};

void reportXml(LineContext& line, std::size_t byte, std::string message) {
  line.report(byte, Severity::Warning,
              std::move(message) + ": in DocBook the conversion balances the line's elements");
}

void followXml(std::string_view xml, const TagOccurrence& tag, std::vector<XmlElement>& open,
               LineContext& line) {
  for (std::size_t at = xml.find('<'); at != std::string_view::npos; at = xml.find('<', at + 1)) {
    const std::size_t end = xml.find('>', at);
    if (end == std::string_view::npos) return;
    const bool closing = at + 1 < xml.size() && xml[at + 1] == '/';
    if (!closing && xml[end - 1] == '/') continue;
    const std::size_t nameStart = at + (closing ? 2 : 1);
    const std::size_t nameEnd = std::min(xml.find_first_of(" />", nameStart), end);
    const std::string_view name = xml.substr(nameStart, nameEnd - nameStart);
    if (!closing) {
      open.push_back({name, tag.byte, *tag.row});
    } else if (open.empty()) {
      reportXml(line, tag.byte, describeTag(*tag.row) + " ends <" + std::string(name) +
                                    ">, which is not open on this line");
    } else {
      if (open.back().name != name) {
        reportXml(line, tag.byte,
                  describeTag(*tag.row) + " ends <" + std::string(name) + "> while <" +
                      std::string(open.back().name) + "> of " + describeTag(open.back().row) +
                      " is open");
      }
      open.pop_back();
    }
  }
}

void checkDocBookElements(LineContext& line) {
  std::vector<XmlElement> open;
  for (const TagOccurrence& tag : line.tags()) {
    if (!tag.row) continue;
    const Replacement xml = tagText(*tag.row, Format::DocBook, line.options().mode);
    if (xml) followXml(*xml, tag, open, line);
  }
  for (const XmlElement& element : open) {
    reportXml(line, element.byte,
              describeTag(element.row) + " is not closed on its line (every line is a paragraph)");
  }
}

void trackFormat(Format format, FormatStyles& styles, const LineContext& line,
                 std::vector<Pending>& pending) {
  const TextMode mode = line.options().mode;
  std::array<std::optional<TagOccurrence>, kStyleGroupCount> openedHere{};
  for (const TagOccurrence& tag : line.tags()) {
    if (!tag.row) continue;
    const std::optional<StyleRole> role = styleRoleOf(*tag.row);
    if (!role || !styleText(*tag.row, format, mode)) continue;
    if (role->opens && givesWhatItsEndGives(*tag.row, role->group, format, mode)) continue;
    OpenStyle& style = styles[role->group];
    if (role->opens) {
      style = {true, false};
      openedHere[role->group] = tag;
    } else if (style.open) {
      style = {};
      openedHere[role->group].reset();
    } else if (!kStyleGroups[role->group].spansLines) {
      // Large text ends where its end tag stands, opened here or not.
      const bool mark = kStyleGroups[role->group].kind == StyleKind::Mark;
      add(pending, tag.byte, *tag.row,
          mark && format == Format::PostScript ? Outcome::StrayMark : Outcome::Stray, format);
    }
  }
  for (std::size_t g = 0; g < kStyleGroupCount; ++g) {
    if (!styles[g].open) continue;
    if (kStyleGroups[g].spansLines) continue;
    const LineEnd end = lineEndOf(kStyleGroups[g].kind, format);
    if (end != LineEnd::Carries) styles[g] = {};
    if (!openedHere[g] || end == LineEnd::Ends) continue;
    add(pending, openedHere[g]->byte, *openedHere[g]->row,
        end == LineEnd::Carries ? Outcome::Carries : Outcome::Lost, format);
    styles[g].carried = end == LineEnd::Carries;
  }
}

}  // namespace

// Typed LaTeX closes each line's groups at its end and opens them again on
// the next, and leaves out a close with nothing open: its groups always
// balance, and only markup's are followed.
bool StyleTracker::followsLatexGroups() const {
  return options_.formats.has(Format::Latex) && options_.mode == TextMode::Markup;
}

void StyleTracker::checkLine(LineContext& line) {
  if (options_.formats.has(Format::DocBook)) checkDocBookElements(line);
  if (followsLatexGroups()) latex_.followLine(line);
  std::vector<Pending> pending;
  for (const FormatInfo& f : kFormats) {
    if (f.format == Format::DocBook || !options_.formats.has(f.format)) continue;
    trackFormat(f.format, styles_[column(f.format)], line, pending);
  }
  for (const Pending& p : pending) reportPending(line, p);
}

void StyleTracker::finish(std::vector<Finding>& findings, InputEnd end) {
  if (followsLatexGroups()) latex_.finish(findings, end);
}

}  // namespace kolvo::check
