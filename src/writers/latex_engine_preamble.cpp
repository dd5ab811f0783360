#include "writers/latex_engine_preamble.hpp"

#include <array>
#include <string_view>

#include "text/latex_font_scripts.hpp"

namespace kolvo {
namespace {

// pdflatex: the encodings (T1 named last, so that it stays the default),
// CJKutf8, and the macros as the typed text was set before the other
// engines were asked for.
std::string pdftexBranch(const LatexScripts& scripts) {
  std::string encodings;
  if (scripts.has(LatexScript::Cyrillic)) encodings += "T2A,";
  if (scripts.has(LatexScript::Greek)) encodings += "LGR,";
  if (scripts.has(LatexScript::Vietnamese)) encodings += "T5,";
  std::string lines = "\\usepackage{iftex}\n\\ifPDFTeX\n";
  if (!encodings.empty()) lines += "\\usepackage[" + encodings + "T1]{fontenc}\n";
  if (scripts.has(LatexScript::Cjk)) lines += "\\usepackage{CJKutf8}\n";
  lines +=
      "\\newcommand\\kolvoScript[2]{{\\fontencoding{#1}\\selectfont #2}}\n"
      "\\newcommand\\kolvoCjk[2]{\\begin{CJK}{UTF8}{#1}#2\\end{CJK}}\n"
      "\\newcommand\\kolvoText[3]{#2}\n"
      "\\newcommand\\kolvoLeftToRight[1]{#1}\n"
      "\\newcommand\\kolvoRightToLeft[1]{#1\\\\{}}\n"
      "\\newcommand\\kolvoRightToLeftRun[1]{#1}\n";
  return lines;
}

// What lualatex and xelatex share: Latin Modern without TeX's ligatures
// ("--" stays two hyphens: an empty group does not part them in lualatex),
// a font for each script, the first installed of a comma-separated list
// (\kolvo@font{name}{features}{fonts}), looked for and loaded at the
// script's first run only (CJK fonts are slow to load), the run macros,
// and pdfTeX's \pdfliteral, which the colour tags write. \kolvo@shaping is HarfBuzz's shaping in lualatex.
// \kolvo@endline ends the paragraph before a right-to-left one without the
// empty line that the line break before it would leave.
constexpr std::string_view kUnicodeEngines =
    "\\else\n"
    "\\usepackage{fontspec}\n"
    "\\IfFontExistsTF{Latin Modern Roman}{\\setmainfont{Latin Modern Roman}[Ligatures=TeXOff]}{}\n"
    "\\setlength\\parindent{0pt}\n"
    "\\makeatletter\n"
    "\\newcommand\\kolvo@font[3]{\\expandafter\\gdef\\csname kolvoFont#1\\endcsname{\\kolvo@pick{#1}{#2}{#3}}}\n"
    "\\newcommand\\kolvo@pick[3]{\\expandafter\\global\\expandafter\\let\\csname kolvoFont#1\\endcsname\\relax\n"
    "\\@for\\kolvo@name:=#3\\do{\\expandafter\\ifx\\csname kolvoFont#1\\endcsname\\relax\n"
    "\\IfFontExistsTF{\\kolvo@name}{\\edef\\kolvo@next{\\noexpand\\fontspec{\\kolvo@name}[#2]}\\kolvo@next\n"
    "\\expandafter\\xdef\\csname kolvoFont#1\\endcsname{\\noexpand\\fontfamily{\\f@family}\\noexpand\\selectfont}}{}\\fi}}\n"
    "\\newcommand\\kolvoScript[2]{{\\csname kolvoFont#1\\endcsname #2}}\n"
    "\\newcommand\\kolvoCjk[2]{{\\csname kolvoFont#1\\endcsname #2}}\n"
    "\\newcommand\\kolvo@endline{\\ifhmode\\unskip\\unpenalty\\unskip\\unpenalty\\fi\\par}\n"
    "\\ifLuaTeX\n"
    "\\def\\kolvo@shaping{Renderer=HarfBuzz,}\n"
    "\\providecommand\\pdfliteral{\\pdfextension literal}\n"
    "\\newcommand\\kolvoText[3]{{\\csname kolvoFont#1\\endcsname\n"
    "\\ifcsname kolvoDir#1\\endcsname\\textdir TRT\\fi #3}}\n"
    "\\newcommand\\kolvoLeftToRight[1]{{\\textdir TLT #1}}\n"
    "\\newcommand\\kolvoRightToLeft[1]{\\kolvo@endline{\\pardir TRT\\textdir TRT #1\\par}}\n"
    "\\newcommand\\kolvoRightToLeftRun[1]{{\\textdir TRT #1}}\n"
    "\\else\n"
    "\\def\\kolvo@shaping{}\n"
    "\\providecommand\\pdfliteral[1]{\\special{pdf:literal direct #1}}\n"
    "\\TeXXeTstate=1\n"
    "\\newcommand\\kolvoText[3]{{\\csname kolvoFont#1\\endcsname\n"
    "\\ifcsname kolvoDir#1\\endcsname\\beginR #3\\endR\\else #3\\fi}}\n"
    "\\newcommand\\kolvoLeftToRight[1]{\\beginL #1\\endL}\n"
    "\\newcommand\\kolvoRightToLeft[1]{\\kolvo@endline{\\leftskip 0pt plus 1fil\\parfillskip 0pt\n"
    "\\beginR #1\\endR\\par}}\n"
    "\\newcommand\\kolvoRightToLeftRun[1]{\\beginR #1\\endR}\n"
    "\\fi\n";

// Han and kana have no blanks between words: lualatex may break a line
// between any two of them (a Lua filter puts stretchable glue there),
// xelatex by its line-break locale.
constexpr std::string_view kCjkLineBreaks =
    "\\ifLuaTeX\n"
    "\\directlua{local glyph = node.id('glyph')\n"
    "local function wide(c) return (c >= 0x2E80 and c <= 0x9FFF) or (c >= 0xF900 and c <= 0xFAFF)\n"
    "or (c >= 0xFF00 and c <= 0xFFEF) end\n"
    "luatexbase.add_to_callback('pre_linebreak_filter', function(head)\n"
    "for n in node.traverse_id(glyph, head) do local after = n.next\n"
    "if after and after.id == glyph and (wide(n.char) or wide(after.char)) then\n"
    "local g = node.new('glue') node.setglue(g, 0, 65536) head = node.insert_after(head, n, g) end\n"
    "end return head end, 'kolvo.cjkbreaks')}\n"
    "\\else\n"
    "\\XeTeXlinebreaklocale \"zh\"\\XeTeXlinebreakskip=0pt plus 1pt\\relax\n"
    "\\fi\n";

// Cyrillic and Greek, which Latin Modern lacks; Vietnamese it has.
constexpr std::string_view kAlphabetFonts = "CMU Serif,Noto Serif,DejaVu Serif,FreeSerif,Liberation Serif";

// The CJK families, by their names in the CJK environment.
constexpr std::array<std::pair<std::string_view, std::string_view>, 3> kCjkFonts = {{
    {"gbsn", "Noto Serif CJK SC,Noto Sans CJK SC,WenQuanYi Zen Hei,AR PL UMing CN,Droid Sans Fallback"},
    {"min", "Noto Serif CJK JP,Noto Sans CJK JP,IPAexMincho,IPAMincho,TakaoMincho,WenQuanYi Zen Hei"},
    {"mj", "Noto Serif CJK KR,Noto Sans CJK KR,UnBatang,Baekmuk Batang,NanumMyeongjo"},
}};

std::string fontLine(std::string_view name, std::string_view features, std::string_view fonts) {
  std::string line = "\\kolvo@font{";
  line.append(name).append("}{").append(features).append("}{").append(fonts).append("}\n");
  return line;
}

std::string fontFamilies(const LatexScripts& scripts) {
  std::string lines;
  if (scripts.has(LatexScript::Cyrillic)) lines += fontLine("T2A", "", kAlphabetFonts);
  if (scripts.has(LatexScript::Greek)) lines += fontLine("LGR", "", kAlphabetFonts);
  if (scripts.has(LatexScript::Cjk)) {
    for (const auto& [family, fonts] : kCjkFonts) lines += fontLine(family, "", fonts);
    lines += kCjkLineBreaks;
  }
  for (std::size_t row = 0; row < kLatexFontScripts.size(); ++row) {
    if (!scripts.hasFontScript(row)) continue;
    const LatexFontScript& script = kLatexFontScripts[row];
    // The symbols and rarer letters of Other need no shaping, and in
    // lualatex's node mode a character their font lacks is left out, where
    // HarfBuzz would set .notdef, and a face with no other glyph stops the
    // PDF ("no glyphs in the subset").
    std::string features = row == kOtherFontScript ? "" : "\\kolvo@shaping ";
    if (!script.fontspecScript.empty()) features.append("Script=").append(script.fontspecScript);
    lines += fontLine(script.name, features, script.fonts);
    if (script.rightToLeft) lines.append("\\let\\kolvoDir").append(script.name).append("\\relax\n");
  }
  return lines;
}

}  // namespace

std::string latexEngineBranches(const LatexScripts& scripts) {
  std::string lines = pdftexBranch(scripts);
  lines += kUnicodeEngines;
  lines += fontFamilies(scripts);
  lines += "\\makeatother\n\\fi\n";
  return lines;
}

}  // namespace kolvo
