#pragma once
// The output formats: one constant table from which the command line, its
// usage text and messages, the markup reference and the tests take the
// letters, names and extensions, and the text steps, the kind of file each
// format is. Adding a format is a row here, its column of tag texts (a table
// of its own, registered in src/markup/tag_table.cpp), a row in the writer
// table (src/writers/writer_table.hpp) and its golden files; docs/HACKING.md
// lists the rest.

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
enum class Format : unsigned char {
  AbiWord,
  DocBook,
  Html,
  Rtf,
  Latex,
  PostScript,
  Pdf,
  OpenDocument,
};

// The kind of file a format writes, which decides how the user's text is made
// safe for it (src/pipeline/text_step.hpp): in markup mode the XML formats keep
// the user's markup only where it is well-formed within the line, the others
// take it as read (PostScript and PDF escape their string delimiters); typed
// text is escaped for the kind.
enum class FileSyntax : unsigned char {
  Xml,      // the tag texts open and close elements of their own (DocBook)
  XmlRuns,  // the tag texts end one run and begin the next (AbiWord, OpenDocument)
  Html,     // typed text as XML, markup as read
  Rtf,
  Latex,
  PageStrings,  // text in string operands (PostScript, PDF)
};

struct FormatInfo {
  Format format;
  char letter;                 // the second character of the FORMAT word
  std::string_view name;       // for messages and documentation
  std::string_view extension;  // the usual file name extension, without the dot
  bool paged;                  // laid out on pages (PostScript, PDF), not flowing text
  FileSyntax syntax;
  // Other words that name the format as FORMAT (besides `extension`), lower
  // case; the user may type them in any case.
  std::array<std::string_view, 2> aliases;
};

inline constexpr std::array<FormatInfo, 8> kFormats = {{
    {Format::AbiWord, 'a', "AbiWord", "abw", false, FileSyntax::XmlRuns, {"abiword", ""}},
    {Format::DocBook, 'd', "DocBook 5", "xml", false, FileSyntax::Xml, {"docbook", "dbk"}},
    {Format::Html, 'h', "HTML", "html", false, FileSyntax::Html, {"htm", ""}},
    {Format::Rtf, 'r', "RTF", "rtf", false, FileSyntax::Rtf, {"", ""}},
    {Format::Latex, 'l', "LaTeX", "tex", false, FileSyntax::Latex, {"latex", ""}},
    {Format::PostScript, 'p', "PostScript", "ps", true, FileSyntax::PageStrings, {"postscript", ""}},
    {Format::Pdf, 'P', "PDF", "pdf", true, FileSyntax::PageStrings, {"", ""}},
    {Format::OpenDocument, 'o', "OpenDocument text", "fodt", false, FileSyntax::XmlRuns, {"odt", ""}},
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
// A FORMAT word that names a format is read before its second character, so
// a name may not be claimed twice.
constexpr std::size_t kNamesPerFormat = 3;  // the extension and the aliases
constexpr std::string_view nameAt(std::size_t i) {
  const FormatInfo& f = kFormats[i / kNamesPerFormat];
  const std::size_t which = i % kNamesPerFormat;
  return which == 0 ? f.extension : f.aliases[which - 1];
}
constexpr bool namesAreDistinct() {
  for (std::size_t i = 0; i < kFormatCount * kNamesPerFormat; ++i) {
    for (std::size_t j = i + 1; j < kFormatCount * kNamesPerFormat; ++j) {
      if (!nameAt(i).empty() && nameAt(i) == nameAt(j)) return false;
    }
  }
  return true;
}
// The page-laid-out formats, and only they, put text in string operands.
constexpr bool pagedFormatsUsePageStrings() {
  for (const FormatInfo& f : kFormats) {
    if (f.paged != (f.syntax == FileSyntax::PageStrings)) return false;
  }
  return true;
}
}  // namespace format_table_checks
static_assert(format_table_checks::rowsFollowTheEnum(), "kFormats must follow the order of Format");
static_assert(format_table_checks::lettersAreDistinct(), "two formats share a letter");
static_assert(format_table_checks::namesAreDistinct(), "two formats share a name");
static_assert(format_table_checks::pagedFormatsUsePageStrings(),
              "a paged format must write page strings, and only a paged one");

constexpr const FormatInfo& formatInfo(Format f) { return kFormats[column(f)]; }

constexpr char letterOf(Format f) { return formatInfo(f).letter; }

constexpr std::string_view formatName(Format f) { return formatInfo(f).name; }

constexpr std::string_view formatExtension(Format f) { return formatInfo(f).extension; }

constexpr bool isPaged(Format f) { return formatInfo(f).paged; }

constexpr FileSyntax fileSyntax(Format f) { return formatInfo(f).syntax; }

// The formats whose files are XML, which must be well-formed whatever the input.
constexpr bool isXml(FileSyntax syntax) {
  return syntax == FileSyntax::Xml || syntax == FileSyntax::XmlRuns;
}

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
