// The tag table: every tag of the markup with its text for each format, in
// the order in which the rows are applied to a line.
//
// The order matters. A row sees the line as the rows before it left it, so
// the "%" that the percent row (%ps) inserts can still form a tag of a later
// row, and a row whose text is empty can join its neighbours into a later
// tag. The rows whose tags have effects (the last field of a row, see
// tag_effect.hpp) keep their relative order (%cs %ce %hs %he %ls %le %pg %us
// %ue), and the percent row comes before %us.
//
// Conventions of the texts:
// - std::nullopt (kNone) means the row does nothing for that format and the
//   tag stays in the line as typed; "" deletes the tag. The two are distinct.
// - PostScript and PDF texts are made from operations (paged_cells.hpp):
//   each row names its tag there once more, and the build checks the two
//   agree.
// - LaTeX texts ending in a control word get "{}" and RTF texts ending in a
//   control word get one blank, so that the user's text after the tag cannot
//   run into the command name or its number.
// - Only the AbiWord symbol runs hold non-ASCII bytes (UTF-8).

#include "markup/tag_table.hpp"

#include <span>

#include "markup/opendocument_texts.hpp"
#include "markup/tag_key.hpp"
#include "markup/paged_cell_texts.hpp"

namespace kolvo {
namespace {

constexpr std::nullopt_t kNone = std::nullopt;

}  // namespace

// An AbiWord run holding one character in the given font, after which a run
// without properties continues the line.
#define KOLVO_ABI_RUN(font, chars) "</c><c props=\"font-family:" font "\">" chars "</c><c>"
#define KOLVO_ABI_SYMBOL(chars) KOLVO_ABI_RUN("Symbol", chars)

// The PostScript and PDF cells of the row of `tag`.
#define KOLVO_PAGED(tag) pagedText(tag, Format::PostScript), pagedText(tag, Format::Pdf)

// Columns: AbiWord, DocBook, HTML, RTF, LaTeX, PostScript, PDF.
constexpr std::array<TagRow, kTagRowCount> kTagTable = {{
    // --- Aleph and the Greek letters (1-33) --------------------------------
    {"%Al", TagKind::Symbol, "aleph",
     {KOLVO_ABI_SYMBOL("\xC3\x80"), "", "&aleph;", "\\f1 \\'c0\\f0 ", "", KOLVO_PAGED("%Al")}},
    {"%g1", TagKind::Symbol, "alpha",
     {KOLVO_ABI_SYMBOL("a"), "", "&alpha;", "\\f1 a\\f0 ", "\\ensuremath{\\alpha}",
      KOLVO_PAGED("%g1")}},
    {"%g2", TagKind::Symbol, "beta",
     {KOLVO_ABI_SYMBOL("b"), "", "&beta;", "\\f1 b\\f0 ", "\\ensuremath{\\beta}",
      KOLVO_PAGED("%g2")}},
    {"%gG", TagKind::Symbol, "Gamma",
     {KOLVO_ABI_SYMBOL("G"), "", "&Gamma;", "\\f1 G\\f0 ", "\\ensuremath{\\Gamma}",
      KOLVO_PAGED("%gG")}},
    {"%g7", TagKind::Symbol, "gamma",
     {KOLVO_ABI_SYMBOL("g"), "", "&gamma;", "\\f1 g\\f0 ", "\\ensuremath{\\gamma}",
      KOLVO_PAGED("%g7")}},
    {"%gD", TagKind::Symbol, "Delta",
     {KOLVO_ABI_SYMBOL("D"), "", "&Delta;", "\\f1 D\\f0 ", "\\ensuremath{\\Delta}",
      KOLVO_PAGED("%gD")}},
    {"%g4", TagKind::Symbol, "delta",
     {KOLVO_ABI_SYMBOL("d"), "", "&delta;", "\\f1 d\\f0 ", "\\ensuremath{\\delta}",
      KOLVO_PAGED("%g4")}},
    {"%g5", TagKind::Symbol, "epsilon",
     {KOLVO_ABI_SYMBOL("e"), "", "&epsilon;", "\\f1 e\\f0 ", "\\ensuremath{\\epsilon}",
      KOLVO_PAGED("%g5")}},
    {"%gz", TagKind::Symbol, "zeta",
     {KOLVO_ABI_SYMBOL("z"), "", "&zeta;", "\\f1 z\\f0 ", "\\ensuremath{\\zeta}",
      KOLVO_PAGED("%gz")}},
    {"%g8", TagKind::Symbol, "eta",
     {KOLVO_ABI_SYMBOL("h"), "", "&eta;", "\\f1 h\\f0 ", "\\ensuremath{\\eta}",
      KOLVO_PAGED("%g8")}},
    {"%gT", TagKind::Symbol, "Theta",
     {KOLVO_ABI_SYMBOL("Q"), "", "&Theta;", "\\f1 Q\\f0 ", "\\ensuremath{\\Theta}",
      KOLVO_PAGED("%gT")}},
    {"%gt", TagKind::Symbol, "theta",
     {KOLVO_ABI_SYMBOL("q"), "", "&theta;", "\\f1 q\\f0 ", "\\ensuremath{\\theta}",
      KOLVO_PAGED("%gt")}},
    {"%g9", TagKind::Symbol, "iota",
     {KOLVO_ABI_SYMBOL("i"), "", "&iota;", "\\f1 i\\f0 ", "\\ensuremath{\\iota}",
      KOLVO_PAGED("%g9")}},
    {"%gk", TagKind::Symbol, "kappa",
     {KOLVO_ABI_SYMBOL("k"), "", "&kappa;", "\\f1 k\\f0 ", "\\ensuremath{\\kappa}",
      KOLVO_PAGED("%gk")}},
    {"%gL", TagKind::Symbol, "Lambda",
     {KOLVO_ABI_SYMBOL("L"), "", "&Lambda;", "\\f1 L\\f0 ", "\\ensuremath{\\Lambda}",
      KOLVO_PAGED("%gL")}},
    {"%gl", TagKind::Symbol, "lambda",
     {KOLVO_ABI_SYMBOL("l"), "", "&lambda;", "\\f1 l\\f0 ", "\\ensuremath{\\lambda}",
      KOLVO_PAGED("%gl")}},
    {"%gm", TagKind::Symbol, "mu",
     {KOLVO_ABI_SYMBOL("m"), "", "&mu;", "\\f1 m\\f0 ", "\\ensuremath{\\mu}", KOLVO_PAGED("%gm")}},
    {"%gn", TagKind::Symbol, "nu",
     {KOLVO_ABI_SYMBOL("n"), "", "&nu;", "\\f1 n\\f0 ", "\\ensuremath{\\nu}", KOLVO_PAGED("%gn")}},
    {"%gx", TagKind::Symbol, "xi",
     {KOLVO_ABI_SYMBOL("x"), "", "&xi;", "\\f1 x\\f0 ", "\\ensuremath{\\xi}", KOLVO_PAGED("%gx")}},
    {"%gP", TagKind::Symbol, "Pi",
     {KOLVO_ABI_SYMBOL("P"), "", "&Pi;", "\\f1 P\\f0 ", "\\ensuremath{\\Pi}", KOLVO_PAGED("%gP")}},
    {"%zp", TagKind::Symbol, "pi",
     {KOLVO_ABI_SYMBOL("p"), "", "&pi;", "\\f1 p\\f0 ", "\\ensuremath{\\pi}", KOLVO_PAGED("%zp")}},
    {"%g3", TagKind::Symbol, "chi",
     {KOLVO_ABI_SYMBOL("c"), "", "&chi;", "\\f1 c\\f0 ", "\\ensuremath{\\chi}",
      KOLVO_PAGED("%g3")}},
    {"%zr", TagKind::Symbol, "rho",
     {KOLVO_ABI_SYMBOL("r"), "", "&rho;", "\\f1 r\\f0 ", "\\ensuremath{\\rho}",
      KOLVO_PAGED("%zr")}},
    {"%gs", TagKind::Symbol, "sigma",
     {KOLVO_ABI_SYMBOL("s"), "", "&sigma;", "\\f1 s\\f0 ", "\\ensuremath{\\sigma}",
      KOLVO_PAGED("%gs")}},
    {"%zs", TagKind::Symbol, "final sigma",
     {KOLVO_ABI_SYMBOL("V"), "", "&sigmaf;", "\\f1 V\\f0 ", "\\ensuremath{\\varsigma}",
      KOLVO_PAGED("%zs")}},
    {"%zt", TagKind::Symbol, "tau",
     {KOLVO_ABI_SYMBOL("t"), "", "&tau;", "\\f1 t\\f0 ", "\\ensuremath{\\tau}",
      KOLVO_PAGED("%zt")}},
    {"%gu", TagKind::Symbol, "upsilon",
     {KOLVO_ABI_SYMBOL("u"), "", "&upsilon;", "\\f1 u\\f0 ", "\\ensuremath{\\upsilon}",
      KOLVO_PAGED("%gu")}},
    // Upsilon with a tilde: AbiWord adds a combining tilde (U+0303) to the
    // upsilon; PostScript centres a Times-Roman tilde (\304) over the glyph
    // inside gsave/grestore, then shows the upsilon itself; PDF shows the
    // upsilon, then the tilde moved back over it by TJ offsets.
    {"%zu", TagKind::Symbol, "upsilon with tilde",
     {KOLVO_ABI_SYMBOL("u" "\xCC\x83"), "", "&#8166;", "\\f1 u\\f0 ",
      "\\ensuremath{\\tilde{\\upsilon}}", KOLVO_PAGED("%zu")}},
    {"%gF", TagKind::Symbol, "Phi",
     {KOLVO_ABI_SYMBOL("F"), "", "&Phi;", "\\f1 F\\f0 ", "\\ensuremath{\\Phi}",
      KOLVO_PAGED("%gF")}},
    {"%g6", TagKind::Symbol, "phi",
     {KOLVO_ABI_SYMBOL("f"), "", "&phi;", "\\f1 f\\f0 ", "\\ensuremath{\\phi}",
      KOLVO_PAGED("%g6")}},
    {"%gp", TagKind::Symbol, "Psi",
     {KOLVO_ABI_SYMBOL("Y"), "", "&Psi;", "\\f1 Y\\f0 ", "\\ensuremath{\\Psi}",
      KOLVO_PAGED("%gp")}},
    {"%gO", TagKind::Symbol, "Omega",
     {KOLVO_ABI_SYMBOL("W"), "", "&Omega;", "\\f1 W\\f0 ", "\\ensuremath{\\Omega}",
      KOLVO_PAGED("%gO")}},
    {"%gw", TagKind::Symbol, "omega",
     {KOLVO_ABI_SYMBOL("w"), "", "&omega;", "\\f1 w\\f0 ", "\\ensuremath{\\omega}",
      KOLVO_PAGED("%gw")}},

    // --- Title and bold (34-37), bullet (38) -------------------------------
    {"%Bs", TagKind::Style, "title (16 pt) on",
     {"</c><c props=\"font-size:16pt\">", "<title>", "<font style='font-size: 16pt'>",
      "\\fs32 ", "\\LARGE{}", KOLVO_PAGED("%Bs")}},
    {"%Be", TagKind::Style, "title off",
     {"</c><c>", "</title>", "</font>", "\\fs24 ", "\\normalsize{}", KOLVO_PAGED("%Be")}},
    {"%bs", TagKind::Style, "bold on",
     {"</c><c props=\"font-weight:bold\">", "<emphasis role=\"bold\">", "<b>", "\\b1 ",
      "\\textbf{", KOLVO_PAGED("%bs")}},
    {"%be", TagKind::Style, "bold off",
     {"</c><c>", "</emphasis>", "</b>", "\\b0 ", "}", KOLVO_PAGED("%be")}},
    {"%bu", TagKind::Symbol, "bullet",
     {KOLVO_ABI_SYMBOL("\xC2\xB7"), "&#8226;", "&bull;", "\\bullet ", "\\textbullet{}",
      KOLVO_PAGED("%bu")}},

    // --- Centring (39-40), copyright (41), monospace (42-44) ---------------
    {"%cs", TagKind::Style, "centre line (start)",
     {"", "", "<center>", "\\qc1 ", "\\begin{center}", KOLVO_PAGED("%cs")},
     TagEffect::CentreStart},
    {"%ce", TagKind::Style, "centre line (end)",
     {"", "", "</center>", " ", "\\end{center}", KOLVO_PAGED("%ce")},
     TagEffect::CentreEnd},
    {"%cr", TagKind::Symbol, "copyright sign",
     {KOLVO_ABI_SYMBOL("\xC3\x93"), "&#169;", "&copy;", "\\'a9", "\\copyright{}",
      KOLVO_PAGED("%cr")}},
    {"%Cs", TagKind::Style, "monospace 12 pt on",
     {"", "<literal>", "<pre style='font-size: 12pt;'>", "\\f2 ", "\\texttt{", KOLVO_PAGED("%Cs")}},
    {"%C0", TagKind::Style, "monospace 10 pt on",
     {"", "<literal>", "<pre style='font-size: 10pt;'>", "\\f2 ", "\\texttt{", KOLVO_PAGED("%C0")}},
    {"%Ce", TagKind::Style, "monospace off",
     {"", "</literal>", "</pre>", "\\f0 ", "}", KOLVO_PAGED("%Ce")}},

    // --- Daggers and division (45-47) --------------------------------------
    {"%da", TagKind::Symbol, "dagger",
     {kNone, "&#x2020;", "&dagger;", "\\'86", "\\textdagger{}", KOLVO_PAGED("%da")}},
    {"%dd", TagKind::Symbol, "double dagger",
     {kNone, "&#x2021;", "&ddagger;", "\\'87", "\\textdaggerdbl{}", KOLVO_PAGED("%dd")}},
    {"%di", TagKind::Symbol, "division sign",
     {KOLVO_ABI_SYMBOL("\xC2\xB8"), kNone, "&div;", "\\'f7", "", KOLVO_PAGED("%di")}},

    // --- Highlights (48-51) -------------------------------------------------
    // In PDF "%hs" becomes the "_" mark that the highlight measurement looks
    // for; the bar itself is drawn by the PDF writer. PDF has no green bar.
    {"%hs", TagKind::Style, "yellow highlight on",
     {"</c><c props=\"bgcolor:ffff00\">", kNone, "<mark style='background: #ff0;'>",
      "\\highlight2 ", "", KOLVO_PAGED("%hs")},
     TagEffect::HighlightStart},
    {"%he", TagKind::Style, "yellow highlight off",
     {"</c><c>", kNone, "</mark>", "\\highlight0 ", "", KOLVO_PAGED("%he")},
     TagEffect::HighlightEnd},
    {"%Hs", TagKind::Style, "green highlight on",
     {"</c><c props=\"bgcolor:00ff00\">", kNone, "<mark style='background: #0f0;'>",
      "\\highlight3 ", "", KOLVO_PAGED("%Hs")}},
    {"%He", TagKind::Style, "green highlight off",
     {"</c><c>", kNone, "</mark>", "\\highlight0 ", "", KOLVO_PAGED("%He")}},

    // --- Italic (52-53), large text (54-55) ---------------------------------
    {"%is", TagKind::Style, "italic on",
     {"</c><c props=\"font-style:italic\">", "<emphasis>", "<i>", "\\i1 ", "\\textit{",
      KOLVO_PAGED("%is")}},
    {"%ie", TagKind::Style, "italic off",
     {"</c><c>", "</emphasis>", "</i>", "\\i0 ", "}", KOLVO_PAGED("%ie")}},
    {"%ls", TagKind::Style, "large (24 pt) on",
     {"</c><c props=\"font-size:24pt\">", kNone, "<font style='font-size: 24pt'>", "\\fs48 ",
      "\\Huge{}", KOLVO_PAGED("%ls")},
     TagEffect::LargeStart},
    {"%le", TagKind::Style, "large off",
     {"</c><c>", kNone, "</font>", "\\fs24 ", "\\normalsize{}", KOLVO_PAGED("%le")},
     TagEffect::LargeEnd},

    // --- Colours (56-65) ----------------------------------------------------
    {"%P1", TagKind::Style, "red",
     {"</c><c props=\"color:ff0000\">", "<emphasis role=\"color:#ff0000\">",
      "<font color=#f00>", "\\cf1 ", "\\pdfliteral{1 0 0 rg}", KOLVO_PAGED("%P1")}},
    {"%P2", TagKind::Style, "dark red",
     {"</c><c props=\"color:990000\">", "<emphasis role=\"color:#990000\">",
      "<font color=#900>", "\\cf9 ", "\\pdfliteral{.55 0 0 rg}", KOLVO_PAGED("%P2")}},
    {"%P3", TagKind::Style, "green",
     {"</c><c props=\"color:00FF00\">", "<emphasis role=\"color:#00AA00\">",
      "<font color=#0f0>", "\\cf3 ", "\\pdfliteral{0 1 0 rg}", KOLVO_PAGED("%P3")}},
    {"%P4", TagKind::Style, "dark green",
     {"</c><c props=\"color:009900\">", "<emphasis role=\"color:#009900\">",
      "<font color=#090>", "\\cf10 ", "\\pdfliteral{0 .55 0 rg}", KOLVO_PAGED("%P4")}},
    {"%P5", TagKind::Style, "blue",
     {"</c><c props=\"color:0000FF\">", "<emphasis role=\"color: #0000FF\">",
      "<font color=#00f>", "\\cf8 ", "\\pdfliteral{0 0 1 rg}", KOLVO_PAGED("%P5")}},
    {"%P6", TagKind::Style, "dark blue",
     {"</c><c props=\"color:000099\">", "<emphasis role=\"color:#000099\">",
      "<font color=#009>", "\\cf5 ", "\\pdfliteral{0 0 .55 rg}", KOLVO_PAGED("%P6")}},
    {"%P7", TagKind::Style, "magenta",
     {"</c><c props=\"color:FF00FF\">", "<emphasis role=\"color: #FF00FF\">",
      "<font color=#f0f>", "\\cf7 ", "\\pdfliteral{1 0 1 rg}", KOLVO_PAGED("%P7")}},
    {"%P8", TagKind::Style, "dark magenta",
     {"</c><c props=\"color:990099\">", "<emphasis role=\"color: #990099\">",
      "<font color=#909>", "\\cf4 ", "\\pdfliteral{.55 0 .55 rg}", KOLVO_PAGED("%P8")}},
    {"%P9", TagKind::Style, "olive",
     {"</c><c props=\"color:999900\">", "<emphasis role=\"color:#999900\">",
      "<font color=#990>", "\\cf6 ", "\\pdfliteral{.55 .55 0 rg}", KOLVO_PAGED("%P9")}},
    {"%Pe", TagKind::Style, "colour off",
     {"</c><c>", "</emphasis>", "</font>", "\\cf0 ", "\\pdfliteral{0 0 0 rg}", KOLVO_PAGED("%Pe")}},

    // --- Page break (66), plus-minus (67), percent (68) ---------------------
    {"%pg", TagKind::Style, "page break",
     {"<pbr/>", "", "", "\\page ", "\\pagebreak{}", KOLVO_PAGED("%pg")},
     TagEffect::PageBreak},
    {"%pm", TagKind::Symbol, "plus-minus sign",
     {KOLVO_ABI_SYMBOL("\xC2\xB1"), "&#177;", "&#177;", "\\'b1", "\\underline{+}",
      KOLVO_PAGED("%pm")}},
    // The only text holding a "%": it may form a tag with what follows, which
    // the rows after this one then replace.
    {"%ps", TagKind::Symbol, "percent sign", {"%", "%", "%", "%", "\\%", KOLVO_PAGED("%ps")}},

    // --- Red pair (69-70), signs (71-73) ------------------------------------
    {"%rs", TagKind::Style, "red on",
     {"</c><c props=\"color:ff0000\">", "<emphasis role=\"color:#ff0000\">",
      "<font color='#f00'>", "\\cf1 ", "\\pdfliteral{1 0 0 rg}", KOLVO_PAGED("%rs")}},
    {"%re", TagKind::Style, "red off",
     {"</c><c>", "</emphasis>", "</font>", "\\cf0 ", "\\pdfliteral{0 0 0 rg}", KOLVO_PAGED("%re")}},
    {"%tc", TagKind::Symbol, "white circle",
     {"", "&#9675;", "&#9675;", "", "\\textbigcircle{}", KOLVO_PAGED("%tc")}},
    {"%rt", TagKind::Symbol, "registered sign",
     {KOLVO_ABI_SYMBOL("\xC3\x92"), "&#174;", "&reg;", "\\'ae", "\\textregistered{}",
      KOLVO_PAGED("%rt")}},
    {"%sn", TagKind::Symbol, "section sign",
     {KOLVO_ABI_RUN("Times New Roman", "\xC2\xA7"), "&#167;", "&#167;", "\\'a7",
      "\\textsection{}", KOLVO_PAGED("%sn")}},

    // --- Small text (74-75), superscript (76-77) ----------------------------
    {"%Ss", TagKind::Style, "small (10 pt) on",
     {"</c><c props=\"font-size:10pt\">", kNone, "<font style='font-size: 10pt'>", "\\fs20 ",
      "\\small{}", KOLVO_PAGED("%Ss")}},
    {"%Se", TagKind::Style, "small off",
     {"</c><c>", kNone, "</font>", "\\fs24 ", "\\normalsize{}", KOLVO_PAGED("%Se")}},
    {"%ss", TagKind::Style, "superscript on",
     {"</c><c props=\"text-position:superscript\">", "<superscript>", "<sup>", "\\super ",
      "\\textsuperscript{", KOLVO_PAGED("%ss")}},
    {"%se", TagKind::Style, "superscript off",
     {"</c><c>", "</superscript>", "</sup>", "\\nosupersub ", "}", KOLVO_PAGED("%se")}},

    // --- Summation, square root (78-79), Symbol font (80), trade mark (81) --
    {"%su", TagKind::Symbol, "summation sign",
     {KOLVO_ABI_SYMBOL("\xC3\xA5"), "&#8721;", "&sum;", "\\f1 S\\f0 ", " ", KOLVO_PAGED("%su")}},
    {"%sq", TagKind::Symbol, "square root sign",
     {KOLVO_ABI_SYMBOL("\xC3\x96"), "&#8730;", "&radic;", "\\f1 \\'d6\\f0 ", " ",
      KOLVO_PAGED("%sq")}},
    {"%Sy", TagKind::Style, "12 pt text, in the Symbol font in PostScript and PDF",
     {"</c><c props=\"font-size:12pt\">", kNone, "<font style='font-size: 12pt'>", "\\fs24 ",
      "\\normalsize{}", KOLVO_PAGED("%Sy")}},
    {"%tm", TagKind::Symbol, "trade mark sign",
     {KOLVO_ABI_SYMBOL("\xC3\x94"), "&#8482;", "&trade;", "\\'99", "\\texttrademark{}",
      KOLVO_PAGED("%tm")}},

    // --- Underline (82-83), extra large text (84-85) ------------------------
    // In PDF both underline tags become the "_" marks that the underline
    // measurement looks for; the PDF writer draws the line itself.
    {"%us", TagKind::Style, "underline on",
     {"</c><c props=\"text-decoration:underline\">", "<emphasis role=\"style: underline\">",
      "<u>", "\\ul1 ", "\\underline{", KOLVO_PAGED("%us")},
     TagEffect::UnderlineStart},
    {"%ue", TagKind::Style, "underline off",
     {"</c><c>", "</emphasis>", "</u>", "\\ul0 ", "}", KOLVO_PAGED("%ue")},
     TagEffect::UnderlineEnd},
    {"%xs", TagKind::Style, "extra large (36 pt) on",
     {"</c><c props=\"font-size:36pt\">", kNone, "<font style='font-size: 36pt'>", "\\fs72 ",
      "\\Huge{}", KOLVO_PAGED("%xs")}},
    {"%xe", TagKind::Style, "extra large off",
     {"</c><c>", kNone, "</font>", "\\fs24 ", "\\normalsize{}", KOLVO_PAGED("%xe")}},
}};

#undef KOLVO_PAGED
#undef KOLVO_ABI_SYMBOL
#undef KOLVO_ABI_RUN

namespace {

// The fast rewrite path builds on this: a "%" and the two bytes after it
// name at most one row, two tags can never overlap, and no tag holds a byte
// that a clean-up looks for.
constexpr bool everyTagWellFormedAndOnce() {
  for (std::size_t r = 0; r < kTagTable.size(); ++r) {
    const std::string_view tag = kTagTable[r].tag;
    if (!hasTagShape(tag)) return false;
    for (std::size_t earlier = 0; earlier < r; ++earlier) {
      if (kTagTable[earlier].tag.substr(1) == tag.substr(1)) return false;
    }
  }
  return true;
}
static_assert(everyTagWellFormedAndOnce(),
              "every tag must be \"%\" and two letters or digits, no two tags alike");

// Each row's PostScript and PDF cells are its own tag's, the cells follow
// the table's order (pagedCell looks them up by row), and each operation is
// one its format has.
constexpr bool pagedCellsAreTheTable() {
  for (std::size_t r = 0; r < kTagRowCount; ++r) {
    const TagRow& row = kTagTable[r];
    if (kPagedCells[r].tag != row.tag) return false;
    for (const Format f : {Format::PostScript, Format::Pdf}) {
      if (row.replacement(f) != pagedText(row.tag, f)) return false;
      for (const PagedOp& op : kPagedCells[r].cell(f).operations()) {
        if (!belongsTo(op, f)) return false;
      }
    }
  }
  return true;
}
static_assert(pagedCellsAreTheTable(), "a row names another tag's PostScript or PDF cells");

// The rows with an effect, by the two bytes after their "%", so that
// looking up a pattern does not walk the whole table.
struct EffectLetters {
  char second = 0;
  char third = 0;
  TagEffect effect = TagEffect::None;
};

constexpr std::size_t kEffectRowCount = [] {
  std::size_t count = 0;
  for (const TagRow& row : kTagTable) count += row.effect != TagEffect::None ? 1 : 0;
  return count;
}();

constexpr std::array<EffectLetters, kEffectRowCount> kEffectLetters = [] {
  std::array<EffectLetters, kEffectRowCount> rows{};
  std::size_t next = 0;
  for (const TagRow& row : kTagTable) {
    if (row.effect != TagEffect::None) rows[next++] = {row.tag[1], row.tag[2], row.effect};
  }
  return rows;
}();

}  // namespace

TagEffect effectOfPattern(std::string_view pattern) {
  if (pattern.size() < 3) return TagEffect::None;
  for (const EffectLetters& row : kEffectLetters) {
    if (row.second == pattern[1] && row.third == pattern[2]) return row.effect;
  }
  return TagEffect::None;
}

// --- The columns kept out of the rows ---------------------------------------
// One entry per format past the row columns, in the order of kFormats: its
// cells, one per row, and its typed overrides (see typed_tag_texts.hpp for
// why a cell may differ when the user's text is shown as typed).

namespace {

using ColumnCells = std::array<ColumnCell, kTagRowCount>;

struct SeparateColumn {
  Format format;
  const ColumnCells* cells;
  std::span<const ColumnCell> typedCells;
};

constexpr std::array<SeparateColumn, kFormatCount - kRowColumnCount> kSeparateColumns = {{
    {Format::OpenDocument, &opendocument::kTagTexts, opendocument::kTypedTagTexts},
}};

// Each entry's format is the next one of kFormats, its cells name every
// row's tag in the table's order, and its overrides name tags of the table,
// each once.
constexpr bool columnsFollowTheTable() {
  for (std::size_t c = 0; c < kSeparateColumns.size(); ++c) {
    const SeparateColumn& entry = kSeparateColumns[c];
    if (column(entry.format) != kRowColumnCount + c) return false;
    for (std::size_t r = 0; r < kTagRowCount; ++r) {
      if ((*entry.cells)[r].tag != kTagTable[r].tag) return false;
    }
    for (std::size_t i = 0; i < entry.typedCells.size(); ++i) {
      bool inTable = false;
      for (const TagRow& row : kTagTable) inTable = inTable || row.tag == entry.typedCells[i].tag;
      if (!inTable) return false;
      for (std::size_t j = 0; j < i; ++j) {
        if (entry.typedCells[j].tag == entry.typedCells[i].tag) return false;
      }
    }
  }
  return true;
}
static_assert(columnsFollowTheTable(),
              "a column kept out of the rows must give every row's tag in table order");

const SeparateColumn* separateColumn(Format f) {
  if (column(f) < kRowColumnCount) return nullptr;
  return &kSeparateColumns[column(f) - kRowColumnCount];
}

// The row of each tag by its key, plus one (0: no such tag): a column kept
// out of the rows holds its cells in the table's order.
using RowByKey = std::array<std::uint8_t, kTagKeyCount>;
constexpr RowByKey rowsByKey() {
  RowByKey rows{};
  for (std::size_t r = 0; r < kTagTable.size(); ++r) {
    rows[tagKey(kTagTable[r].tag)] = static_cast<std::uint8_t>(r + 1);
  }
  return rows;
}
constexpr RowByKey kRowPlusOneByKey = rowsByKey();
static_assert(kTagRowCount < 255, "a row's number must fit a byte");

}  // namespace

constexpr std::array<std::uint64_t, 256 * 256 / 64> kTagPairBits = [] {
  std::array<std::uint64_t, 256 * 256 / 64> bits{};
  for (const TagRow& row : kTagTable) {
    const std::size_t pair = tagPairIndex(row.tag[1], row.tag[2]);
    bits[pair / 64] |= std::uint64_t{1} << (pair % 64);
  }
  return bits;
}();

Replacement columnText(Format f, std::string_view tag) {
  const SeparateColumn* entry = separateColumn(f);
  if (entry == nullptr || !hasTagShape(tag)) return std::nullopt;
  const std::uint8_t rowPlusOne = kRowPlusOneByKey[tagKey(tag)];
  if (rowPlusOne == 0) return std::nullopt;
  return (*entry->cells)[rowPlusOne - 1U].text;
}

std::optional<Replacement> columnTypedOverride(Format f, std::string_view tag) {
  if (const SeparateColumn* entry = separateColumn(f)) {
    for (const ColumnCell& cell : entry->typedCells) {
      if (cell.tag == tag) return cell.text;
    }
  }
  return std::nullopt;
}

}  // namespace kolvo
