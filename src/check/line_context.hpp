#pragma once
// What every check of one line gets: the line, where it is, which tags it
// holds, for which formats and text mode to judge it, and where findings go.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "check/columns.hpp"
#include "check/finding.hpp"

namespace kolvo {
struct PaperSize;
class FallbackFonts;
}

namespace kolvo::check {

// What the findings about the user's text as markup end with.
inline constexpr std::string_view kEscapeHint = " (--escape shows the text as typed)";

struct CheckOptions {
  FormatSet formats = FormatSet::all();
  TextMode mode = TextMode::Markup;
  const PaperSize* paper = nullptr;  // lines wrap to this page; none: they never wrap
  // What typed PostScript and PDF draw beyond the standard fonts, if anything.
  FallbackFonts* postScriptFallback = nullptr;
  FallbackFonts* pdfFallback = nullptr;
};

// A "%" and two letters or digits in the line; `row` is empty when no tag
// of the table has that name.
struct TagOccurrence {
  std::size_t byte;
  std::optional<std::size_t> row;
};

// Findings that would repeat on most lines of a document (its text is not
// ASCII, say) are reported on the first line that has them; the others
// are counted for one note at the end.
enum class Repeated : unsigned char {
  NonAscii,
  NoGlyphPaged,
  NoGlyphPdf,
  NoGlyphLatex,
  NotUtf8Latex,
  ControlLatex,
};
inline constexpr std::size_t kRepeatedKinds = 6;

class Repeats {
 public:
  // True the first time `kind` is met; counts every later line.
  bool first(Repeated kind, std::uint64_t line);
  // The notes of the kinds met on more than one line.
  void finish(std::vector<Finding>& findings, InputEnd end) const;

 private:
  struct Seen {
    std::uint64_t firstLine = 0;
    std::uint64_t moreLines = 0;
  };
  std::array<Seen, kRepeatedKinds> seen_{};
};

// Tags that the tag rows form themselves on a line, for one format (a
// tag with an empty text joining its neighbours, the "%" of the percent
// row), and the line as the rows leave it when they form any.
struct FormedTag {
  std::size_t byte;  // the first typed byte of the formed tag
  std::size_t row;
};
struct FormedLine {
  std::vector<FormedTag> tags;
  std::string rewritten;  // empty when no tag is formed
};

class LineContext {
 public:
  LineContext(std::string_view text, std::uint64_t line, std::size_t firstColumn,
              const CheckOptions& options, std::vector<Finding>& findings,
              Repeats* repeats = nullptr);

  std::string_view text() const { return text_; }
  const CheckOptions& options() const { return options_; }
  const std::vector<TagOccurrence>& tags() const { return tags_; }
  std::uint64_t line() const { return line_; }

  // The 1-based column of text()[byte].
  std::size_t columnOf(std::size_t byte) const;

  // The known tag that begins at `byte`, if any.
  const TagOccurrence* knownTagAt(std::size_t byte) const;

  void report(std::size_t byte, Severity severity, std::string message);
  // The same with the names of `formats` between `before` and `after`: the
  // same finding made for other formats at the same place joins it.
  void reportFor(std::size_t byte, Severity severity, FormatSet formats, std::string_view before,
                 std::string_view after = {});
  // The same at the character `index` (0-based) of the line.
  void reportAtColumn(std::size_t index, Severity severity, std::string message);
  // Whether a finding of `kind` is to be reported on this line (see Repeats).
  bool firstOfItsKind(Repeated kind);

  // The formed tags of `format`, replayed once per line and format.
  const FormedLine& formed(Format format) const;

 private:
  std::string_view text_;
  std::uint64_t line_;
  std::size_t firstColumn_;
  const CheckOptions& options_;
  std::vector<Finding>& findings_;
  std::vector<TagOccurrence> tags_;
  Repeats* repeats_;
  mutable std::array<std::optional<FormedLine>, kFormatCount> formed_;
};

// Replays the tag rows over the line for `format` (formed_tags.cpp); a
// line on which no tag can form is passed over.
FormedLine replayTagRows(const LineContext& line, Format format);
// The same without passing over any line.
FormedLine replayEveryTagRow(std::string_view typed, Format format, TextMode mode);

// The byte that comes after the typed byte `at` once the tag rows have
// rewritten the line for `format` (a tag with no text there is gone), or
// '\0' where nothing does.
char byteAfterOnceRewritten(std::string_view typed, std::size_t at, Format format,
                            TextMode mode);

// The formats of `options` among `candidates`.
FormatSet formatsAmong(const CheckOptions& options, FormatSet candidates);

// "%bs (bold on)": a tag with what it means, for messages.
std::string describeTag(std::size_t row);

// The findings of each kind of check; each reports through the context.
void checkTags(LineContext& line);
void checkDrawingLine(LineContext& line);
void checkMarkupText(LineContext& line);
void checkTypedText(LineContext& line);
void checkPageBreaks(LineContext& line);
void checkFormedTags(LineContext& line);

// Whether the tag rows form a tag for `format` whose first typed byte is `byte`.
bool formsTagAt(const LineContext& line, Format format, std::size_t byte);

}  // namespace kolvo::check
