#pragma once
// The seven output formats and the option letters of the command line.

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace kolvo {

// Order matters: it is the column order of the tag table.
enum class Format : unsigned char { AbiWord, DocBook, Html, Rtf, Latex, PostScript, Pdf };

inline constexpr std::size_t kFormatCount = 7;

// The letters the command line uses, in column order: "adhrlpP".
inline constexpr std::string_view kFormatLetters = "adhrlpP";

constexpr std::size_t column(Format f) { return static_cast<std::size_t>(f); }

constexpr char letterOf(Format f) { return kFormatLetters[column(f)]; }

std::optional<Format> formatFromLetter(char letter);

// Human name of a format, for messages and documentation.
std::string_view formatName(Format f);

// The usual file name extension for a format ("html", "ps", ...).
std::string_view formatExtension(Format f);

constexpr bool isPaged(Format f) { return f == Format::PostScript || f == Format::Pdf; }

// Normalised option letter: V, t, T and v are kept, anything else becomes s.
// (V is turned into s by the run once the version line is printed.)
char normaliseOption(char letter);

inline constexpr std::array<Format, kFormatCount> kAllFormats = {
    Format::AbiWord, Format::DocBook,    Format::Html, Format::Rtf,
    Format::Latex,   Format::PostScript, Format::Pdf};

}  // namespace kolvo
