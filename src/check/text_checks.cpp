// The user's own text: characters that a format reads as markup or cannot
// show when the text is taken as markup, and characters no font can draw
// when it is taken as typed.

#include <array>
#include <string>

#include "check/line_context.hpp"
#include "text/latex_unicode.hpp"
#include "text/text_decoding.hpp"
#include "text/typed_text.hpp"
#include "writers/drawing.hpp"
#include "writers/paged/text_encoding.hpp"

namespace kolvo::check {
namespace {

constexpr std::string_view kEscapeHint = " (--escape shows the text as typed)";

enum class Follow : unsigned char { Any, LetterOrMark, NotTag };

// A character that `formats` read as something else than text.
struct Hazard {
  char byte;
  Format format;
  Follow follow;  // what must come after it for the hazard to hold
  Severity severity;
  std::string_view message;
};

constexpr std::array<Hazard, 17> kHazards = {{
    {'&', Format::Latex, Follow::Any, Severity::Error,
     "'&' is an alignment tab in LaTeX, which stops with an error here"},
    {'#', Format::Latex, Follow::Any, Severity::Error,
     "'#' is a macro parameter in LaTeX, which stops with an error here"},
    {'_', Format::Latex, Follow::Any, Severity::Error,
     "'_' works only in mathematics in LaTeX, which stops with an error here"},
    {'^', Format::Latex, Follow::Any, Severity::Error,
     "'^' works only in mathematics in LaTeX, which stops with an error here"},
    {'%', Format::Latex, Follow::NotTag, Severity::Warning,
     "'%' starts a comment in LaTeX: the rest of the line and its line break are lost"},
    {'~', Format::Latex, Follow::Any, Severity::Warning,
     "'~' is a non-breaking space in LaTeX"},
    {'\\', Format::Latex, Follow::Any, Severity::Warning,
     "'\\' starts a LaTeX command"},
    {'{', Format::Latex, Follow::Any, Severity::Warning,
     "'{' groups in LaTeX and is not shown"},
    {'}', Format::Latex, Follow::Any, Severity::Warning,
     "'}' groups in LaTeX and is not shown"},
    {'<', Format::Latex, Follow::Any, Severity::Warning,
     "'<' shows as another character in LaTeX's default fonts"},
    {'>', Format::Latex, Follow::Any, Severity::Warning,
     "'>' shows as another character in LaTeX's default fonts"},
    {'\\', Format::Rtf, Follow::Any, Severity::Warning, "'\\' starts an RTF control word"},
    {'{', Format::Rtf, Follow::Any, Severity::Warning, "'{' opens an RTF group and is not shown"},
    {'}', Format::Rtf, Follow::Any, Severity::Warning, "'}' closes an RTF group and is not shown"},
    {'<', Format::Html, Follow::LetterOrMark, Severity::Warning,
     "'<' before a letter, '/', '!' or '?' is taken as markup by a browser"},
    {'&', Format::Html, Follow::LetterOrMark, Severity::Warning,
     "'&' before a letter or '#' starts a character reference in HTML"},
    {'\t', Format::PostScript, Follow::Any, Severity::Warning,
     "a tab has no glyph in PostScript and PDF and shows as a gap or nothing"},
}};

bool follows(std::string_view text, std::size_t at, const Hazard& hazard,
             const LineContext& line) {
  if (hazard.follow == Follow::Any) return true;
  if (hazard.follow == Follow::NotTag) return line.knownTagAt(at) == nullptr;
  if (at + 1 >= text.size()) return false;
  const char c = text[at + 1];
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '/' || c == '!' ||
         c == '?' || c == '#';
}

// PostScript's tab hazard stands for PDF's too.
FormatSet formatsOf(const Hazard& hazard, const CheckOptions& options) {
  FormatSet set = FormatSet::of(hazard.format);
  if (hazard.format == Format::PostScript) set.add(Format::Pdf);
  return formatsAmong(options, set);
}

// Skips the tags: their "%" and letters are markup the checker reads itself.
bool insideTag(const LineContext& line, std::size_t at) {
  for (const TagOccurrence& tag : line.tags()) {
    if (tag.row && at > tag.byte && at < tag.byte + 3) return true;
    if (tag.byte > at) break;
  }
  return false;
}

void checkHazards(LineContext& line) {
  const std::string_view text = line.text();
  std::array<bool, kHazards.size()> reported{};
  for (std::size_t i = 0; i < kHazards.size(); ++i) {
    const Hazard& hazard = kHazards[i];
    const FormatSet formats = formatsOf(hazard, line.options());
    if (formats.empty()) continue;
    for (std::size_t at = text.find(hazard.byte); at != std::string_view::npos && !reported[i];
         at = text.find(hazard.byte, at + 1)) {
      if (insideTag(line, at) || !follows(text, at, hazard, line)) continue;
      reported[i] = true;
      line.report(at, hazard.severity, std::string(hazard.message) + std::string(kEscapeHint));
    }
  }
}

constexpr FormatSet kByteFormats = [] {
  FormatSet set;
  set.add(Format::Rtf);
  set.add(Format::PostScript);
  set.add(Format::Pdf);
  return set;
}();

void checkNonAscii(LineContext& line) {
  const FormatSet formats = formatsAmong(line.options(), kByteFormats);
  if (formats.empty()) return;
  const std::string_view text = line.text();
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (static_cast<unsigned char>(text[at]) < 0x80) continue;
    line.report(at, Severity::Warning,
                "text beyond ASCII shows as other characters in " + formatNames(formats) +
                    std::string(kEscapeHint));
    return;
  }
}

// "$" switches LaTeX into mathematics and back: an odd number on a line
// leaves it there.
void checkDollars(LineContext& line) {
  if (!line.options().formats.has(Format::Latex)) return;
  const std::string_view text = line.text();
  const std::size_t first = text.find('$');
  if (first == std::string_view::npos) return;
  std::size_t count = 0;
  for (char c : text) count += c == '$' ? 1 : 0;
  if (count % 2 == 1) {
    line.report(first, Severity::Error,
                "'$' starts mathematics in LaTeX and is not ended on this line, so LaTeX stops "
                "with an error" + std::string(kEscapeHint));
  } else {
    line.report(first, Severity::Warning,
                "'$' sets the text up to the next '$' as mathematics in LaTeX" +
                    std::string(kEscapeHint));
  }
}

// Characters that the typed-text escapers show as "?": the first of a line
// is reported with the count.
struct Unshowable {
  std::size_t count = 0;
  std::size_t firstIndex = 0;  // in characters from the line's start
  char32_t first = 0;
};

std::string codePointName(char32_t c) {
  constexpr std::string_view kHex = "0123456789ABCDEF";
  std::string hex;
  for (char32_t v = c; v != 0 || hex.size() < 4; v >>= 4) hex.insert(hex.begin(), kHex[v & 0xF]);
  return "U+" + hex;
}

void reportUnshowable(LineContext& line, const Unshowable& found, std::string_view where) {
  if (found.count == 0) return;
  std::string message = std::to_string(found.count) +
                        (found.count == 1 ? " character" : " characters") + " of this line " +
                        (found.count == 1 ? "has" : "have") + " no glyph in " +
                        std::string(where) + " and " + (found.count == 1 ? "shows" : "show") +
                        " as '?'";
  if (found.count > 1) message += ", the first " + codePointName(found.first);
  else message += ": " + codePointName(found.first);
  line.reportAtColumn(found.firstIndex, Severity::Warning, std::move(message));
}

void note(Unshowable& found, std::size_t index, char32_t c) {
  if (found.count++ == 0) {
    found.firstIndex = index;
    found.first = c;
  }
}

}  // namespace

void checkMarkupText(LineContext& line) {
  if (isDrawingLine(line.text())) return;
  checkHazards(line);
  checkDollars(line);
  checkNonAscii(line);
}

void checkTypedText(LineContext& line) {
  const bool paged = line.options().formats.has(Format::PostScript) ||
                     line.options().formats.has(Format::Pdf);
  const bool latex = line.options().formats.has(Format::Latex);
  if ((!paged && !latex) || isDrawingLine(line.text())) return;
  std::string decoded;
  const std::string_view text = decodeText(line.text(), decoded) ? decoded : line.text();
  Unshowable inPaged;
  Unshowable inLatex;
  std::size_t index = 0;
  for (std::size_t at = 0; at < text.size(); ++index) {
    const char32_t c = nextCodePoint(text, at);
    if (c < 0x80) continue;
    if (paged && paged::glyphPlace(c).font == paged::GlyphFont::None) note(inPaged, index, c);
    if (latex && !latexCanSet(c)) note(inLatex, index, c);
  }
  FormatSet pagedFormats;
  pagedFormats.add(Format::PostScript);
  pagedFormats.add(Format::Pdf);
  reportUnshowable(line, inPaged,
                   "the standard fonts of " +
                       formatNames(formatsAmong(line.options(), pagedFormats)));
  reportUnshowable(line, inLatex, "LaTeX's fonts");
}

}  // namespace kolvo::check
