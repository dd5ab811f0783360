#pragma once
// The output formats: one constant table from which the command line, its
// usage text and messages, the markup reference and the tests take the
// letters, names and extensions. Adding a format is a row here, a column in
// the tag table, a row in the writer table (src/writers/writer_factory.cpp)
// and its golden files.

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace kolvo {

// How the user's text is taken: as markup that may hold the format's own
// markup (the default), or as typed, every character shown as it is
// (--escape).
enum class TextMode : unsigned char { Markup, Typed };

// Order matters: it is the column order of the tag table and the row order
// of kFormats. A new format goes at the end of both.
enum class Format : unsigned char { AbiWord, DocBook, Html, Rtf, Latex, PostScript, Pdf };

struct FormatInfo {
  Format format;
  char letter;                 // the second character of the FORMAT word
  std::string_view name;       // for messages and documentation
  std::string_view extension;  // the usual file name extension, without the dot
  bool paged;                  // laid out on pages (PostScript, PDF), not flowing text
};

inline constexpr std::array<FormatInfo, 7> kFormats = {{
    {Format::AbiWord, 'a', "AbiWord", "abw", false},
    {Format::DocBook, 'd', "DocBook 5", "xml", false},
    {Format::Html, 'h', "HTML", "html", false},
    {Format::Rtf, 'r', "RTF", "rtf", false},
    {Format::Latex, 'l', "LaTeX", "tex", false},
    {Format::PostScript, 'p', "PostScript", "ps", true},
    {Format::Pdf, 'P', "PDF", "pdf", true},
}};

inline constexpr std::size_t kFormatCount = kFormats.size();

constexpr std::size_t column(Format f) { return static_cast<std::size_t>(f); }

namespace format_table_checks {
constexpr bool rowsFollowTheEnum() {
  for (std::size_t i = 0; i < kFormatCount; ++i) {
    if (column(kFormats[i].format) != i) return false;
  }
  return true;
}
constexpr bool lettersAreDistinct() {
  for (std::size_t i = 0; i < kFormatCount; ++i) {
    for (std::size_t j = i + 1; j < kFormatCount; ++j) {
      if (kFormats[i].letter == kFormats[j].letter) return false;
    }
  }
  return true;
}
}  // namespace format_table_checks
static_assert(format_table_checks::rowsFollowTheEnum(), "kFormats must follow the order of Format");
static_assert(format_table_checks::lettersAreDistinct(), "two formats share a letter");

constexpr const FormatInfo& formatInfo(Format f) { return kFormats[column(f)]; }

constexpr char letterOf(Format f) { return formatInfo(f).letter; }

constexpr std::string_view formatName(Format f) { return formatInfo(f).name; }

constexpr std::string_view formatExtension(Format f) { return formatInfo(f).extension; }

constexpr bool isPaged(Format f) { return formatInfo(f).paged; }

std::optional<Format> formatFromLetter(char letter);

// Normalised option letter: V, t, T and v are kept, anything else becomes s.
// (V is turned into s by the run once the version line is printed.)
char normaliseOption(char letter);

// The formats alone, in column order, for loops that need nothing else.
inline constexpr std::array<Format, kFormatCount> kAllFormats = [] {
  std::array<Format, kFormatCount> all{};
  for (std::size_t i = 0; i < kFormatCount; ++i) all[i] = kFormats[i].format;
  return all;
}();

}  // namespace kolvo
