#pragma once
// The scripts that pdflatex cannot show and that lualatex and xelatex set
// in a system font of their own (fontspec): typed LaTeX writes each run of
// them with both forms, the "?" pdflatex shows and the characters the other
// engines show (latex_script_runs.hpp), and its preamble picks, for each of
// the scripts the text has, the first of the row's fonts that the compiling
// machine has installed. A character beyond T1 and TS1 in none of the
// scripts' blocks (symbols, rarer letters) belongs to the last row, "Other".

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kolvo {

struct LatexFontScript {
  std::string_view name;  // in the preamble's macros: letters only
  // fontspec's Script feature, which picks the font's shaping rules; empty
  // for none.
  std::string_view fontspecScript;
  bool rightToLeft;
  // Families fontconfig may know, in order of choice, comma-separated.
  std::string_view fonts;
};

inline constexpr std::array<LatexFontScript, 24> kLatexFontScripts = {{
    {"Hebrew", "Hebrew", true, "Noto Serif Hebrew,Noto Sans Hebrew,David CLM,Frank Ruehl CLM,DejaVu Sans,FreeSerif"},
    // Noto Kufi Arabic first: its glyphs map back to the letters typed
    // (Naskh's give pdftotext presentation forms).
    {"Arabic", "Arabic", true, "Noto Kufi Arabic,Noto Naskh Arabic,Noto Sans Arabic,Amiri,KacstOne,DejaVu Sans,FreeSerif"},
    {"Syriac", "Syriac", true, "Noto Sans Syriac,Noto Sans Syriac Eastern,FreeSerif"},
    {"Thaana", "Thaana", true, "Noto Sans Thaana,FreeSerif"},
    {"Nko", "", true, "Noto Sans NKo"},
    {"Armenian", "Armenian", false, "Noto Serif Armenian,Noto Sans Armenian,DejaVu Serif,FreeSerif"},
    {"Georgian", "Georgian", false, "Noto Serif Georgian,Noto Sans Georgian,DejaVu Serif,FreeSerif"},
    {"Devanagari", "Devanagari", false, "Noto Serif Devanagari,Noto Sans Devanagari,Lohit Devanagari,FreeSerif"},
    {"Bengali", "Bengali", false, "Noto Serif Bengali,Noto Sans Bengali,Lohit Bengali,FreeSerif"},
    {"Gurmukhi", "Gurmukhi", false, "Noto Serif Gurmukhi,Noto Sans Gurmukhi,Lohit Gurmukhi,FreeSerif"},
    {"Gujarati", "Gujarati", false, "Noto Serif Gujarati,Noto Sans Gujarati,Lohit Gujarati,FreeSerif"},
    {"Oriya", "Oriya", false, "Noto Sans Oriya,Noto Sans Odia,Lohit Odia"},
    {"Tamil", "Tamil", false, "Noto Serif Tamil,Noto Sans Tamil,Lohit Tamil,FreeSerif"},
    {"Telugu", "Telugu", false, "Noto Serif Telugu,Noto Sans Telugu,Lohit Telugu"},
    {"Kannada", "Kannada", false, "Noto Serif Kannada,Noto Sans Kannada,Lohit Kannada"},
    {"Malayalam", "Malayalam", false, "Noto Serif Malayalam,Noto Sans Malayalam,Lohit Malayalam,FreeSerif"},
    {"Sinhala", "Sinhala", false, "Noto Serif Sinhala,Noto Sans Sinhala,FreeSerif"},
    {"Thai", "Thai", false, "Noto Serif Thai,Noto Sans Thai,Norasi,Loma,Garuda,FreeSerif"},
    {"Lao", "Lao", false, "Noto Serif Lao,Noto Sans Lao,Phetsarath OT"},
    {"Tibetan", "Tibetan", false, "Noto Serif Tibetan,Jomolhari,Noto Sans Tibetan"},
    {"Myanmar", "Myanmar", false, "Noto Serif Myanmar,Noto Sans Myanmar,Padauk"},
    {"Ethiopic", "Ethiopic", false, "Noto Serif Ethiopic,Noto Sans Ethiopic,Abyssinica SIL,FreeSerif"},
    {"Khmer", "Khmer", false, "Noto Serif Khmer,Noto Sans Khmer,Khmer OS"},
    // DejaVu Sans has the most symbols of the common fonts.
    {"Other", "", false, "DejaVu Sans,FreeSerif,Noto Sans Symbols2,Noto Sans Symbols,DejaVu Serif,Noto Serif"},
}};

// The row of "Other", and the index of a row by its name's place.
inline constexpr std::size_t kOtherFontScript = kLatexFontScripts.size() - 1;
static_assert(kLatexFontScripts.size() <= 32, "LatexScripts keeps one bit per row");

// The row whose blocks hold `cp`; kOtherFontScript outside them all.
std::size_t latexFontScriptOf(char32_t cp);

// Whether typed LaTeX writes `cp` (neither T1, TS1 nor a script of
// latex_scripts.hpp sets it) with both forms: any character from U+00A0 on
// but the noncharacters, which no engine should be handed.
bool latexShowsOnlyBeyondPdftex(char32_t cp);

}  // namespace kolvo
