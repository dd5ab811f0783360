// The user's own text: characters that a format reads as markup or cannot
// show when the text is taken as markup, and characters no font can draw
// when it is taken as typed.

#include <algorithm>
#include <array>
#include <span>
#include <string>

#include "check/latex_groups.hpp"
#include "check/line_context.hpp"
#include "check/tag_lookup.hpp"
#include "io/message_text.hpp"
#include "text/latex_unicode.hpp"
#include "text/text_decoding.hpp"
#include "text/typed_text.hpp"
#include "writers/drawing.hpp"
#include "writers/flowing_writer.hpp"
#include "writers/paged/fallback_fonts.hpp"
#include "writers/paged/glyph_place.hpp"
#include "writers/paged/shaped_scripts.hpp"
#include "writers/paged/text_encoding.hpp"

namespace kolvo::check {
namespace {

enum class Follow : unsigned char { Any, LetterOrMark, NotTag, NotAfterBlank };

// A character that a format reads as something else than text. Its message
// names the formats between `before` and `after`; formats that read the
// character alike give the same message, which is then made once for all.
struct Hazard {
  char byte;
  Format format;
  Follow follow;  // what must come after it for the hazard to hold
  Severity severity;
  std::string_view before;
  std::string_view after;
};

// No '#': the LaTeX clean-up escapes it.
constexpr std::array<Hazard, 16> kHazards = {{
    {'&', Format::Latex, Follow::Any, Severity::Error, "'&' is an alignment tab in ",
     ", which stops with an error here"},
    {'_', Format::Latex, Follow::NotAfterBlank, Severity::Error,
     "'_' works only in mathematics in ", ", which stops with an error here"},
    {'^', Format::Latex, Follow::Any, Severity::Error, "'^' works only in mathematics in ",
     ", which stops with an error here"},
    {'%', Format::Latex, Follow::NotTag, Severity::Warning, "'%' starts a comment in ",
     ": the rest of the line and its line break are lost"},
    {'~', Format::Latex, Follow::Any, Severity::Warning, "'~' is a non-breaking space in ", ""},
    {'\\', Format::Latex, Follow::Any, Severity::Warning, "'\\' starts a command in ", ""},
    {'{', Format::Latex, Follow::Any, Severity::Warning, "'{' opens a group in ",
     " and is not shown"},
    {'}', Format::Latex, Follow::Any, Severity::Warning, "'}' closes a group in ",
     " and is not shown"},
    {'<', Format::Latex, Follow::Any, Severity::Warning,
     "'<' shows as another character in the default fonts of ", ""},
    {'>', Format::Latex, Follow::Any, Severity::Warning,
     "'>' shows as another character in the default fonts of ", ""},
    {'\\', Format::Rtf, Follow::Any, Severity::Warning, "'\\' starts a command in ", ""},
    {'{', Format::Rtf, Follow::Any, Severity::Warning, "'{' opens a group in ",
     " and is not shown"},
    {'}', Format::Rtf, Follow::Any, Severity::Warning, "'}' closes a group in ",
     " and is not shown"},
    {'<', Format::Html, Follow::LetterOrMark, Severity::Warning,
     "'<' before a letter, '/', '!' or '?' is taken as markup in ", ""},
    {'&', Format::Html, Follow::LetterOrMark, Severity::Warning,
     "'&' before a letter or '#' starts a character reference in ", ""},
    {'\t', Format::PostScript, Follow::Any, Severity::Warning, "a tab has no glyph in ",
     " and shows as a gap or nothing"},
}};

bool follows(std::string_view text, std::size_t at, const Hazard& hazard,
             const LineContext& line) {
  if (hazard.follow == Follow::Any) return true;
  if (hazard.follow == Follow::NotTag) {
    return line.knownTagAt(at) == nullptr && !formsTagAt(line, hazard.format, at);
  }
  if (hazard.follow == Follow::NotAfterBlank) return at == 0 || text[at - 1] != ' ';
  if (at + 1 >= text.size()) return false;
  // A tag may take the place of what comes next: the rows say what does.
  const char c = text[at + 1] == '%'
                     ? byteAfterOnceRewritten(text, at, hazard.format, line.options().mode)
                     : text[at + 1];
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

// Where LaTeX's comment begins on the line: the first "%" that is no tag,
// forms none and is not escaped by a backslash. What follows it is not
// read at all.
std::size_t latexCommentStart(const LineContext& line) {
  const std::string_view text = line.text();
  for (std::size_t at = text.find('%'); at != std::string_view::npos;
       at = text.find('%', at + 1)) {
    if (line.knownTagAt(at) != nullptr) {
      at += 2;
      continue;
    }
    std::size_t backslashes = 0;
    while (backslashes < at && text[at - 1 - backslashes] == '\\') ++backslashes;
    if (backslashes % 2 == 1) continue;
    if (!formsTagAt(line, Format::Latex, at)) return at;
  }
  return std::string_view::npos;
}

void checkHazards(LineContext& line) {
  const std::string_view text = line.text();
  const std::size_t latexComment = line.options().formats.has(Format::Latex)
                                       ? latexCommentStart(line)
                                       : std::string_view::npos;
  std::array<bool, kHazards.size()> reported{};
  for (std::size_t i = 0; i < kHazards.size(); ++i) {
    const Hazard& hazard = kHazards[i];
    const FormatSet formats = formatsOf(hazard, line.options());
    if (formats.empty()) continue;
    for (std::size_t at = text.find(hazard.byte); at != std::string_view::npos && !reported[i];
         at = text.find(hazard.byte, at + 1)) {
      if (hazard.format == Format::Latex && latexComment != std::string_view::npos &&
          at > latexComment) {
        break;
      }
      if (insideTag(line, at) || !follows(text, at, hazard, line)) continue;
      reported[i] = true;
      line.reportFor(at, hazard.severity, formats, hazard.before,
                     std::string(hazard.after) + std::string(kEscapeHint));
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
    if (line.firstOfItsKind(Repeated::NonAscii)) {
      line.report(at, Severity::Warning,
                  "text beyond ASCII shows as other characters in " + formatNames(formats) +
                      std::string(kEscapeHint));
    }
    return;
  }
}

// Each LaTeX output line but a centred one ends with the line break "\\",
// which reads a "[" or "*" that comes first on the next line (blanks
// aside) as its own. The writer guards a "*", and a "[" unless a length
// follows it, which the break then takes as its own, as a LaTeX user may
// mean it.
void checkLatexLineStart(LineContext& line) {
  if (!line.options().formats.has(Format::Latex)) return;
  const std::size_t first = line.text().find_first_not_of(' ');
  if (first == std::string_view::npos) return;
  if (line.text()[first] != '[' || !opensWithLength(line.text().substr(first))) return;
  line.report(first, Severity::Warning,
              "a length in '[' ']' first on a line is taken by LaTeX's line break before it "
              "as its own and not shown" + std::string(kEscapeHint));
}

// LaTeX reads a form feed (a page separator in many plain-text files) as
// the end of the paragraph: where only blanks follow it on the line, the
// line break that ends the line has no line to end, and LaTeX stops.
void checkLatexFormFeed(LineContext& line) {
  if (!line.options().formats.has(Format::Latex)) return;
  const std::size_t at = line.text().find('\f');
  if (at == std::string_view::npos) return;
  const bool lastOnLine = line.text().find_first_not_of(" \t\r\f", at) == std::string_view::npos;
  if (lastOnLine) {
    line.report(at, Severity::Error,
                "a form feed ends the paragraph in LaTeX, and the line break after it has no "
                "line to end, so LaTeX stops with an error" + std::string(kEscapeHint));
  } else {
    line.report(at, Severity::Warning,
                "a form feed ends the paragraph in LaTeX" + std::string(kEscapeHint));
  }
}

// Characters that the typed-text escapers show as "?": the first of a line
// is reported with the count.
struct Unshowable {
  std::size_t count = 0;
  std::size_t firstIndex = 0;  // in characters from the line's start
  char32_t first = 0;
  // The first few distinct ones, for what would draw them.
  std::array<char32_t, kMissingSampleCount> samples{};
  std::size_t sampleCount = 0;
};

void reportUnshowable(LineContext& line, const Unshowable& found, Repeated kind,
                      std::string_view where, const FallbackFonts* fallback = nullptr) {
  if (found.count == 0 || !line.firstOfItsKind(kind)) return;
  std::string message = std::to_string(found.count) +
                        (found.count == 1 ? " character" : " characters") + " of this line " +
                        (found.count == 1 ? "has" : "have") + " no glyph in " +
                        std::string(where) + " and " + (found.count == 1 ? "shows" : "show") +
                        " as '?'";
  if (found.count > 1) message += ", the first " + codePointName(found.first);
  else message += ": " + codePointName(found.first);
  // What would draw it: a font package to install, or why none will.
  const std::string hint =
      fallback != nullptr ? fallback->missingHint(std::span(found.samples.data(), found.sampleCount))
                          : std::string();
  if (!hint.empty()) message += " (" + hint + ")";
  line.reportAtColumn(found.firstIndex, Severity::Warning, std::move(message));
}

void note(Unshowable& found, std::size_t index, char32_t c) {
  if (found.count++ == 0) {
    found.firstIndex = index;
    found.first = c;
  }
  keepSample(found.samples, found.sampleCount, c);
}

// LaTeX reads its input as UTF-8 and stops at a byte that is no part of a
// UTF-8 character, unless a comment hides it.
void checkLatexUtf8(LineContext& line) {
  if (!line.options().formats.has(Format::Latex)) return;
  const std::string_view text = line.text().substr(0, latexCommentStart(line));
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (static_cast<unsigned char>(text[at]) < 0x80) continue;
    const std::size_t length = utf8SequenceLength(text, at);
    if (length > 0) {
      at += length - 1;
      continue;
    }
    if (line.firstOfItsKind(Repeated::NotUtf8Latex)) {
      line.report(at, Severity::Error,
                  "the byte " + printable(text.substr(at, 1)) +
                      " is no part of a UTF-8 character, so LaTeX stops with an error here" +
                      std::string(kEscapeHint));
    }
    return;
  }
}

// LaTeX sets up no control character but the tab, the line ends and the
// form feed (a NUL is blanked before it): it stops at the first, unless a
// comment hides it.
void checkLatexControls(LineContext& line) {
  if (!line.options().formats.has(Format::Latex)) return;
  const std::string_view text = line.text().substr(0, latexCommentStart(line));
  const auto stops = [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte != 0 && byte < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f') ||
           byte == 0x7F;
  };
  const auto found = std::find_if(text.begin(), text.end(), stops);
  if (found == text.end() || !line.firstOfItsKind(Repeated::ControlLatex)) return;
  const auto at = static_cast<std::size_t>(found - text.begin());
  line.report(at, Severity::Error,
              "the control character " + codePointName(static_cast<unsigned char>(*found)) +
                  " is not set up in LaTeX, so LaTeX stops with an error here" +
                  std::string(kEscapeHint));
}

// The clean-up that takes the underline mark out after a blank takes a
// user's "_" there out too, in every format.
void checkDroppedUnderscore(LineContext& line) {
  const std::size_t at = line.text().find(" _");
  if (at == std::string_view::npos) return;
  line.report(at + 1, Severity::Warning,
              "a '_' after a blank is dropped in " + formatNames(line.options().formats) +
                  std::string(kEscapeHint));
}

}  // namespace

void checkMarkupText(LineContext& line) {
  if (isDrawingLine(line.text())) return;
  checkHazards(line);
  checkDroppedUnderscore(line);
  checkLatexLineStart(line);
  checkLatexFormFeed(line);
  checkLatexUtf8(line);
  checkLatexControls(line);
  checkNonAscii(line);
}

namespace {

// Whether typed `format` (PostScript or PDF) draws `c`: with the standard
// fonts, or with a fallback font.
// A character of a script that needs shaping is drawn where the shaper
// finds a font for it, as the conversion draws it.
bool pagedDraws(char32_t c, FallbackFonts* fallback) {
  if (paged::glyphPlace(c).font != paged::GlyphFont::None) return true;
  if (fallback == nullptr) return false;
  if (!paged::needsShaping(c)) return fallback->glyph(c, FontStyle::Regular).has_value();
  ShapedText shaped;
  if (!fallback->shape(std::u32string_view(&c, 1), FontStyle::Regular, ParagraphDirection::FromText,
                       shaped)) {
    return false;
  }
  return std::none_of(shaped.pieces.begin(), shaped.pieces.end(), [](const ShapedPiece& piece) {
    return piece.kind == ShapedPiece::Kind::Missing;
  });
}

std::string pagedFontsOf(FormatSet formats, bool withFallback) {
  return std::string(withFallback ? "the standard and fallback fonts of "
                                  : "the standard fonts of ") +
         formatNames(formats);
}

}  // namespace

void checkTypedText(LineContext& line) {
  const CheckOptions& options = line.options();
  const bool postScript = options.formats.has(Format::PostScript);
  const bool pdf = options.formats.has(Format::Pdf);
  const bool latex = options.formats.has(Format::Latex);
  if ((!postScript && !pdf && !latex) || isDrawingLine(line.text())) return;
  std::string decoded;
  const std::string_view text = decodeText(line.text(), decoded) ? decoded : line.text();
  Unshowable inPostScript;
  Unshowable inPdf;
  Unshowable inLatex;
  std::size_t index = 0;
  for (std::size_t at = 0; at < text.size(); ++index) {
    const char32_t c = nextCodePoint(text, at);
    if (c < 0x80) continue;
    if (postScript && !pagedDraws(c, options.postScriptFallback)) note(inPostScript, index, c);
    if (pdf && !pagedDraws(c, options.pdfFallback)) note(inPdf, index, c);
    if (latex && !latexCanSet(c)) note(inLatex, index, c);
  }
  const bool fallback = options.postScriptFallback != nullptr || options.pdfFallback != nullptr;
  if (inPostScript.count == inPdf.count && inPostScript.first == inPdf.first) {
    FormatSet both;
    if (postScript) both.add(Format::PostScript);
    if (pdf) both.add(Format::Pdf);
    reportUnshowable(line, inPostScript.count > 0 ? inPostScript : inPdf,
                     Repeated::NoGlyphPaged, pagedFontsOf(both, fallback),
                     options.pdfFallback != nullptr ? options.pdfFallback
                                                    : options.postScriptFallback);
  } else {
    reportUnshowable(line, inPostScript, Repeated::NoGlyphPaged,
                     pagedFontsOf(FormatSet::of(Format::PostScript), fallback),
                     options.postScriptFallback);
    reportUnshowable(line, inPdf, Repeated::NoGlyphPdf,
                     pagedFontsOf(FormatSet::of(Format::Pdf), fallback), options.pdfFallback);
  }
  reportUnshowable(line, inLatex, Repeated::NoGlyphLatex, "LaTeX's fonts");
}

}  // namespace kolvo::check
